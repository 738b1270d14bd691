#pragma once

#include "platform/jet/Field.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <memory>
#include <vector>

namespace jet {

namespace detail {
class Connection;
class Cursor;
}  // namespace detail

enum class RecordsetType { Table = 1, Dynaset = 2, Snapshot = 4, ForwardOnly = 8 };

// DAO's edit modes: nothing pending, an Edit, an AddNew.
enum class EditMode { None = 0, InProgress = 1, Add = 2 };

// A set of rows with a current record.
//  Table: a live cursor over one table in the order of its `Index` (row order without one);
//         Seek, AddNew/Edit/Update/Delete; RecordCount is exact.
//  Dynaset: the rows of a table or a query, editable when they come from one table.
//  Snapshot: read-only rows of a table or query, stepped lazily.
//  ForwardOnly: like a snapshot, but only MoveNext; RecordCount counts rows reached so far.
// On an empty set IsBOF and IsEOF are both true. Reading a field, Edit, Delete without a
// current record, and moving past the end raise 3021.
class Recordset : public std::enable_shared_from_this<Recordset> {
 public:
  Recordset(std::shared_ptr<detail::Connection> connection, std::unique_ptr<detail::Cursor> cursor);
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  RecordsetType Type() const;
  // The table name or SQL text it was opened with.
  QString Name() const;

  // Table type only (3251 otherwise). "PrimaryKey" (any case) is the table's key; other names
  // are the table's named indexes (3265 when unknown). Setting an index moves to the first row.
  void SetIndex(const QString& indexName);
  QString Index() const;
  // Only "=" is supported (3251 otherwise). Finds the first row of the index whose key equals
  // `key` (texts without regard to case); NoMatch tells the outcome, and without a match there
  // is no current record. 3019 without an index.
  void Seek(const QString& comparison, const std::vector<rt::Variant>& key);
  bool NoMatch() const;

  // Criteria are Jet SQL conditions (a WHERE clause without "WHERE"). FindFirst searches from
  // the first row, FindNext from the one after the current. Without a match NoMatch is true
  // and the current record stays where it was. Not on forward-only sets (3251).
  void FindFirst(const QString& criteria);
  void FindNext(const QString& criteria);

  void MoveFirst();
  void MoveNext();
  void MovePrevious();
  void MoveLast();
  // Move(0) writes a pending edit and stays; other counts move relative to the current row.
  void Move(int64_t rows);
  bool IsBOF() const;
  bool IsEOF() const;

  // Table: all rows. Others: the rows reached so far; complete after MoveLast.
  int64_t RecordCount();
  // Position of the current row within RecordCount, 0 to 100 (0 without a current row).
  double PercentPosition();

  // AddNew starts a new row with every field Null; its fields can be read and set before
  // Update. After Update of an AddNew the current row is the one that was current before.
  void AddNew();
  void Edit();
  void Update();
  void CancelUpdate();
  void Delete();
  EditMode GetEditMode() const;

  int FieldCount() const;
  // By position (3265 when out of range) or by name without regard to case (3265 unknown).
  Field Fields(int index);
  Field Fields(const QString& name);

  bool IsOpen() const;
  // Drops a pending edit and releases the statement. Closing twice is harmless.
  void Close();

 private:
  friend class Field;
  detail::Cursor& cursor() const;

  std::shared_ptr<detail::Connection> connection_;
  std::unique_ptr<detail::Cursor> cursor_;
};

}  // namespace jet
