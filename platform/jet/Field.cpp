#include "platform/jet/Field.h"

#include "platform/jet/Cursor.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Recordset.h"

namespace jet {

namespace {
const QString kObject = QStringLiteral("Field");
}

Field::Field(std::shared_ptr<Recordset> recordset, int index) : recordset_(std::move(recordset)), index_(index) {}

QString Field::Name() const { return recordset_->cursor().columns[index_].name; }
FieldType Field::Type() const { return recordset_->cursor().columns[index_].type; }
int Field::Size() const { return recordset_->cursor().columns[index_].size; }
int Field::Attributes() const {
  recordset_->cursor();
  return 0;
}

rt::Variant Field::Value() const { return recordset_->cursor().value(index_); }

void Field::SetValue(const rt::Variant& value) {
  detail::Cursor& c = recordset_->cursor();
  if (c.mode == EditMode::None) raise(err::kUpdateWithoutEdit, kObject, c.columns[index_].name);
  detail::assignForField(value, c.columns[index_], kObject, c.buffer[index_]);
  c.dirty[index_] = true;
}

int64_t Field::FieldSize() const {
  const rt::Variant v = Value();
  if (v.isNull()) return 0;
  if (v.type() == rt::Variant::Type::Binary) return v.toBinary().size();
  return v.toText().toUtf8().size();
}

QByteArray Field::GetChunk(int64_t offset, int64_t length) const {
  const rt::Variant v = Value();
  if (v.isNull() || offset < 0 || length <= 0) return QByteArray();
  const QByteArray bytes = v.type() == rt::Variant::Type::Binary ? v.toBinary() : v.toText().toUtf8();
  if (offset >= bytes.size()) return QByteArray();
  return bytes.mid(offset, length);
}

void Field::AppendChunk(const QByteArray& bytes) {
  detail::Cursor& c = recordset_->cursor();
  if (c.mode == EditMode::None) raise(err::kUpdateWithoutEdit, kObject, c.columns[index_].name);
  const rt::Variant& old = c.value(index_);
  QByteArray joined = old.isNull() ? QByteArray() : old.toBinary();
  joined += bytes;
  SetValue(rt::Variant(joined));
}

}  // namespace jet
