#include "platform/jet/Recordset.h"

#include "platform/jet/Cursor.h"
#include "platform/jet/JetError.h"

namespace jet {

namespace {
const QString kObject = QStringLiteral("Recordset");
}

Recordset::Recordset(std::shared_ptr<detail::Connection> connection, std::unique_ptr<detail::Cursor> cursor)
    : connection_(std::move(connection)), cursor_(std::move(cursor)) {}

Recordset::~Recordset() = default;

detail::Cursor& Recordset::cursor() const {
  if (!cursor_ || !connection_->isOpen()) raise(err::kObjectInvalid, kObject);
  return *cursor_;
}

RecordsetType Recordset::Type() const { return cursor().type; }
QString Recordset::Name() const { return cursor().source; }
void Recordset::SetIndex(const QString& indexName) { cursor().setIndex(indexName); }
QString Recordset::Index() const { return cursor().indexName; }

void Recordset::Seek(const QString& comparison, const std::vector<rt::Variant>& key) {
  if (comparison.trimmed() != QLatin1String("=")) raise(err::kNotSupported, kObject, comparison);
  detail::Cursor& c = cursor();
  c.mode = EditMode::None;
  c.seek(key);
}

bool Recordset::NoMatch() const { return cursor().noMatch; }
void Recordset::FindFirst(const QString& criteria) { cursor().find(criteria, true); }
void Recordset::FindNext(const QString& criteria) { cursor().find(criteria, false); }

void Recordset::MoveFirst() {
  cursor().mode = EditMode::None;
  cursor_->moveFirst();
}
void Recordset::MoveNext() {
  cursor().mode = EditMode::None;
  cursor_->moveNext();
}
void Recordset::MovePrevious() {
  cursor().mode = EditMode::None;
  cursor_->movePrevious();
}
void Recordset::MoveLast() {
  cursor().mode = EditMode::None;
  cursor_->moveLast();
}

void Recordset::Move(int64_t rows) {
  detail::Cursor& c = cursor();
  if (rows == 0) {
    if (c.mode != EditMode::None)
      c.update();
    else if (!c.hasCurrent)
      raise(err::kNoCurrentRecord, kObject);
    return;
  }
  c.mode = EditMode::None;
  for (int64_t i = 0; i < rows; ++i) c.moveNext();
  for (int64_t i = 0; i > rows; --i) c.movePrevious();
}

bool Recordset::IsBOF() const { return cursor().bof; }
bool Recordset::IsEOF() const { return cursor().eof; }
int64_t Recordset::RecordCount() { return cursor().recordCount(); }
double Recordset::PercentPosition() { return cursor().percentPosition(); }

void Recordset::AddNew() {
  detail::Cursor& c = cursor();
  if (!c.editable()) raise(err::kReadOnly, kObject);
  c.buffer.resize(c.columns.size());
  c.dirty.assign(c.columns.size(), false);
  c.mode = EditMode::Add;
}

void Recordset::Edit() {
  detail::Cursor& c = cursor();
  if (!c.editable()) raise(err::kReadOnly, kObject);
  if (!c.hasCurrent) raise(err::kNoCurrentRecord, kObject);
  c.buffer = c.row;
  c.dirty.assign(c.columns.size(), false);
  c.mode = EditMode::InProgress;
}

void Recordset::Update() { cursor().update(); }

void Recordset::CancelUpdate() {
  detail::Cursor& c = cursor();
  if (c.mode == EditMode::None) raise(err::kUpdateWithoutEdit, kObject);
  c.mode = EditMode::None;
}

void Recordset::Delete() {
  detail::Cursor& c = cursor();
  c.mode = EditMode::None;
  c.remove();
}

EditMode Recordset::GetEditMode() const { return cursor().mode; }
int Recordset::FieldCount() const { return static_cast<int>(cursor().columns.size()); }

Field Recordset::Fields(int index) {
  if (index < 0 || index >= FieldCount()) raise(err::kNotInCollection, kObject, QString::number(index));
  return Field(shared_from_this(), index);
}

Field Recordset::Fields(const QString& name) {
  const int i = cursor().fieldIndex(name);
  if (i < 0) raise(err::kNotInCollection, kObject, name);
  return Field(shared_from_this(), i);
}

bool Recordset::IsOpen() const { return cursor_ && connection_->isOpen(); }

void Recordset::Close() { cursor_.reset(); }

}  // namespace jet
