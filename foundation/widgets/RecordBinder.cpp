#include "foundation/widgets/RecordBinder.h"

#include "platform/jet/Field.h"
#include "platform/jet/JetError.h"
#include "platform/runtime/RaisedError.h"

#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTextDocument>
#include <QTextEdit>

namespace {

const QString kSource = QStringLiteral("RecordBinder");

[[noreturn]] void raiseNoCurrentRecord() {
  throw rt::RaisedError(jet::err::kNoCurrentRecord, kSource, jet::errorText(jet::err::kNoCurrentRecord));
}

}  // namespace

BoundField::BoundField(RecordBinder& binder, QWidget* widget, QString field, QString caption)
    : binder_(&binder), widget_(widget), field_(std::move(field)), caption_(std::move(caption)) {}

QString BoundField::Text() const {
  if (auto* line = qobject_cast<QLineEdit*>(widget_.data())) return line->text();
  if (auto* text = qobject_cast<QTextEdit*>(widget_.data())) return text->toPlainText();
  return hiddenText_;
}

void BoundField::setText(const QString& text) {
  if (auto* line = qobject_cast<QLineEdit*>(widget_.data())) {
    line->setText(text);
    line->setCursorPosition(0);
  } else if (auto* edit = qobject_cast<QTextEdit*>(widget_.data())) {
    edit->setPlainText(text);
  } else {
    hiddenText_ = text;
  }
}

void BoundField::setEditable(bool editable) {
  const bool ro = readOnly_ || !editable;
  if (auto* line = qobject_cast<QLineEdit*>(widget_.data())) line->setReadOnly(ro);
  if (auto* edit = qobject_cast<QTextEdit*>(widget_.data())) edit->setReadOnly(ro);
}

RecordBinder::~RecordBinder() = default;

BoundField& RecordBinder::add(QWidget* widget, const QString& field, const QString& caption, bool readOnly) {
  fields_.push_back(std::make_unique<BoundField>(*this, widget, field, caption));
  BoundField& bound = *fields_.back();
  bound.readOnly_ = readOnly;
  bound.setEditable(false);
  return bound;
}

BoundField& RecordBinder::Bind(QLineEdit* box, const QString& field, const QString& caption, bool readOnly) {
  BoundField& bound = add(box, field, caption, readOnly);
  // textEdited comes from the user only, never from setText.
  connect(box, &QLineEdit::textEdited, this, [this, &bound] {
    bound.setDataChanged(true);
    emit edited(bound);
  });
  return bound;
}

BoundField& RecordBinder::Bind(QTextEdit* box, const QString& field, const QString& caption) {
  BoundField& bound = add(box, field, caption, false);
  // Text put in by the program (setPlainText) leaves nothing to undo; the user's typing,
  // pasting and dropping does.
  connect(box, &QTextEdit::textChanged, this, [this, box, &bound] {
    if (filling_ || !box->document()->isUndoAvailable()) return;
    bound.setDataChanged(true);
    emit edited(bound);
  });
  return bound;
}

BoundField& RecordBinder::BindHidden(const QString& field, const QString& caption) {
  return add(nullptr, field, caption, false);
}

bool RecordBinder::Open(jet::Database& db, const QString& table, const rt::Variant& key) {
  Close();
  table_ = table;
  key_ = key;
  rs_ = db.OpenRecordset(table, jet::RecordsetType::Table);
  rs_->SetIndex(QStringLiteral("PrimaryKey"));
  Reload();
  return HasCurrent();
}

void RecordBinder::Close() {
  if (rs_) {
    try {
      rs_->Close();
    } catch (const rt::RaisedError&) {
      // A set whose database has gone is let go all the same.
    }
  }
  rs_.reset();
  showNoRecord();
}

bool RecordBinder::HasCurrent() const {
  return rs_ && rs_->IsOpen() && !rs_->NoMatch() && !rs_->IsEOF() && !rs_->IsBOF();
}

jet::Recordset& RecordBinder::Recordset() const {
  if (!HasCurrent()) raiseNoCurrentRecord();
  return *rs_;
}

jet::EditMode RecordBinder::EditMode() const { return rs_ && rs_->IsOpen() ? rs_->GetEditMode() : jet::EditMode::None; }

rt::Variant RecordBinder::Value(const QString& field) const { return Recordset().Fields(field).Value(); }

bool RecordBinder::AnyChanged() const {
  for (const auto& f : fields_)
    if (f->DataChanged()) return true;
  return false;
}

void RecordBinder::Reload() {
  if (!rs_ || !rs_->IsOpen()) {
    showNoRecord();
    return;
  }
  if (rs_->GetEditMode() != jet::EditMode::None) rs_->CancelUpdate();
  rs_->Seek(QStringLiteral("="), {key_});
  if (HasCurrent())
    show();
  else
    showNoRecord();
}

void RecordBinder::reloadKeepingEdits() {
  if (rs_->GetEditMode() != jet::EditMode::None) rs_->CancelUpdate();
  rs_->Seek(QStringLiteral("="), {key_});
  if (!HasCurrent()) {
    showNoRecord();
    return;
  }
  QScopedValueRollback<bool> quiet(filling_, true);
  for (const auto& f : fields_) {
    if (f->DataChanged()) continue;
    const rt::Variant v = rs_->Fields(f->DataField()).Value();
    f->setText(v.isNull() ? QString() : v.toText());
  }
  emit shown(true);
}

void RecordBinder::show() {
  QScopedValueRollback<bool> quiet(filling_, true);
  for (const auto& f : fields_) {
    const rt::Variant v = rs_->Fields(f->DataField()).Value();
    f->setText(v.isNull() ? QString() : v.toText());
    f->setDataChanged(false);
    f->setEditable(true);
  }
  emit shown(true);
}

void RecordBinder::showNoRecord() {
  QScopedValueRollback<bool> quiet(filling_, true);
  for (const auto& f : fields_) {
    f->setText(QString());
    f->setDataChanged(false);
    f->setEditable(false);
  }
  emit shown(false);
}

void RecordBinder::Flush() {
  if (!HasCurrent()) {
    // Nothing to write into; what was typed cannot be kept.
    if (AnyChanged()) Reload();
    return;
  }
  bool save = AnyChanged() || EditMode() != jet::EditMode::None;
  if (validate_) validate_(save);
  if (!save) {
    if (EditMode() == jet::EditMode::InProgress) rs_->CancelUpdate();
    return;
  }
  if (!AnyChanged() && EditMode() == jet::EditMode::None) return;
  write();
}

void RecordBinder::checkSizes() {
  for (const auto& f : fields_) {
    if (!f->DataChanged()) continue;
    const jet::Field field = rs_->Fields(f->DataField());
    if (field.Type() != jet::FieldType::Text || field.Size() <= 0) continue;
    if (f->Text().size() > field.Size())
      throw rt::RaisedError(
          jet::err::kValueTooLarge, kSource,
          QStringLiteral("Der Text im Feld '%1' ist zu lang: Das Feld nimmt höchstens %2 Zeichen auf.")
              .arg(f->Caption())
              .arg(field.Size()));
  }
}

void RecordBinder::write() {
  try {
    checkSizes();
    if (EditMode() == jet::EditMode::None) rs_->Edit();
    for (const auto& f : fields_)
      if (f->DataChanged()) rs_->Fields(f->DataField()).SetValue(rt::Variant(f->Text()));
    rs_->Update();
  } catch (...) {
    // Another user wrote a field meanwhile: what was typed here stays, and the rest shows
    // what is stored now; saving again then writes it deliberately.
    const bool conflict = rt::currentError().number == jet::err::kWriteConflict;
    try {
      if (conflict)
        reloadKeepingEdits();
      else
        Reload();
    } catch (...) {
      // The store itself failed; the first error says why.
      showNoRecord();
    }
    throw;
  }
  show();
  if (afterWrite_) afterWrite_();
}
