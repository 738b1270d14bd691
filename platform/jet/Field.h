#pragma once

#include "platform/runtime/Variant.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace jet {

class Recordset;

// Field types as the declared column types give them:
//   INTEGER, INT, LONG          -> Long
//   BOOLEAN, BIT, YESNO         -> Boolean (stored -1/0)
//   DOUBLE, REAL, FLOAT         -> Double
//   DATE..., DATETIME           -> Date (an OLE date number stored as REAL)
//   TEXT, TEXT(n), VARCHAR(n)   -> Text (n characters at most, 255 without n)
//   MEMO...                     -> Memo
//   BLOB, LONGBINARY...         -> LongBinary
// A column of a query without a declared type takes the type of its value.
enum class FieldType { Boolean, Long, Double, Date, Text, Memo, LongBinary };

inline constexpr int dbSystemField = 0x2000;

// A field of a record set's current row (or of the row being added or edited). The handle is
// cheap and stays tied to its record set; use after the set is closed raises 3420.
class Field {
 public:
  Field(std::shared_ptr<Recordset> recordset, int index);

  QString Name() const;
  FieldType Type() const;
  // Declared size: characters of a Text field, 0 for the others.
  int Size() const;
  // DAO's attribute flags; none of ours is a system field.
  int Attributes() const;

  // Null when the field holds no value. 3021 without a current row.
  rt::Variant Value() const;
  // Only while an AddNew or Edit is pending (3020 otherwise). The value is converted to the
  // field's type (3421 when it cannot be, 3163 when a text is too long for the field).
  void SetValue(const rt::Variant& value);

  // Byte length of a long binary (or text) value; 0 for Null.
  int64_t FieldSize() const;
  // `length` bytes from `offset` (fewer at the end, empty past it).
  QByteArray GetChunk(int64_t offset, int64_t length) const;
  // Appends bytes to the value being edited (a Null value counts as empty).
  void AppendChunk(const QByteArray& bytes);

 private:
  std::shared_ptr<Recordset> recordset_;
  int index_;
};

}  // namespace jet
