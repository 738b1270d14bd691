#pragma once

// Internal: the row machinery behind a record set.

#include "platform/jet/Connection.h"
#include "platform/jet/Recordset.h"

#include <optional>

namespace jet::detail {

class Cursor {
 public:
  Cursor(Connection& conn, RecordsetType type, QString source, std::vector<rt::Variant> params);

  RecordsetType type;
  QString source;
  QString table;  // base table: the source of a table-type set, or of a table-name source
  std::vector<ColumnInfo> columns;

  // Current row state.
  bool bof = true;
  bool eof = true;
  bool noMatch = false;
  bool hasCurrent = false;
  int64_t position = -1;         // 0-based row number (query kinds)
  std::vector<rt::Variant> row;  // values of the current row
  int64_t rowid = 0;             // of the current row, when the set has a base table

  // Edit buffer. While adding, a field not set since AddNew is Null whatever its slot holds:
  // the slots keep the last row's values, so a row added after a row costs no clearing.
  EditMode mode = EditMode::None;
  std::vector<rt::Variant> buffer;
  std::vector<bool> dirty;

  void moveFirst();
  void moveNext();
  void movePrevious();
  void moveLast();
  int64_t recordCount();
  double percentPosition();
  void setIndex(const QString& name);
  QString indexName;
  void seek(const std::vector<rt::Variant>& key);
  void find(const QString& criteria, bool fromStart);
  void update();
  void remove();
  int fieldIndex(const QString& name) const;
  const rt::Variant& value(int i) const;
  bool editable() const { return editable_; }

 private:
  Connection& conn_;
  std::vector<rt::Variant> params_;
  bool editable_ = false;
  // Table kind: index columns (empty: row order).
  QStringList keyCols_;
  // Query kinds.
  StmtPtr stmt_;
  int hiddenCols_ = 0;  // leading rowid column of a table-name source
  int64_t known_ = 0;   // rows reached so far
  bool complete_ = false;
  std::vector<std::vector<rt::Variant>> rows_;  // dynaset: all rows
  std::vector<int64_t> rowids_;
  // The INSERT of the last AddNew and the fields it sets: rows added alike reuse it.
  std::vector<bool> insertMask_;
  sqlite3_stmt* insert_ = nullptr;
  // The texts' UTF-8 bound in place by that INSERT, one per field.
  std::vector<QByteArray> insertUtf8_;

  QString object() const { return QStringLiteral("Recordset"); }
  QString keyTerm(const QString& column) const;
  int64_t countOf(sqlite3_stmt* s) const;
  QString orderBy(bool desc) const;
  QString keyTuple() const;
  bool tableFetch(sqlite3_stmt* s);
  void tableStep(bool forward, bool fromCurrent);
  void restart();
  bool stepQuery();
  void readRow();
  void checkUnchangedSinceRead();
  void setNoCurrent(bool atBof, bool atEof);
  void loadDynaset();
  void positionDynaset(int64_t i);
  bool matches(const QString& criteria);
};

}  // namespace jet::detail
