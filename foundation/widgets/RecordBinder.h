#pragma once

// A record shown in text boxes and edited in place: a table record set positioned on one row
// of a table, and text controls bound to its fields.
//
//  - A control shows its field of the current row; the binder fills it without marking it.
//    Only the user's edits set the control's changed flag (DataChanged).
//  - Flush ("move by 0 records") writes: the validate handler runs first with save = "some
//    control is changed"; it may clear save (nothing is written, the edits stay) or set
//    fields itself (SetEmptyBoundFieldNull). Then every changed text is checked against its
//    field's size, and the changed fields alone are written in one update, their values
//    bound, never joined into SQL.
//  - A failed write leaves nothing half-written: the edit is cancelled and the row is read
//    again, so the controls show what is stored (or "no current record" when the row has
//    gone meanwhile); the error then reaches the caller. When another user changed a field
//    meanwhile (3197), the changed controls keep what was typed and stay changed.
//  - Without a current record (the key was not found, or the row was deleted) the controls
//    are empty and read-only, and nothing can be written.

#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"
#include "platform/runtime/Variant.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QLineEdit;
class QTextEdit;
class RecordBinder;

// One control bound to one field. A hidden field has no widget and keeps its text itself.
class BoundField {
 public:
  BoundField(RecordBinder& binder, QWidget* widget, QString field, QString caption);

  RecordBinder& DataSource() const { return *binder_; }
  QString DataField() const { return field_; }
  // The label the user knows the field by, for messages.
  QString Caption() const { return caption_; }
  QWidget* Widget() const { return widget_; }

  bool DataChanged() const { return changed_; }
  void setDataChanged(bool changed) { changed_ = changed; }

  QString Text() const;
  // Shows a text without marking the control changed.
  void setText(const QString& text);

 private:
  friend class RecordBinder;
  void setEditable(bool editable);

  RecordBinder* binder_;
  QPointer<QWidget> widget_;
  QString field_;
  QString caption_;
  QString hiddenText_;
  bool changed_ = false;
  bool readOnly_ = false;  // the control is never edited by the user
};

class RecordBinder : public QObject {
  Q_OBJECT

 public:
  // save: on entry whether any control is changed; the handler may clear it.
  using ValidateHandler = std::function<void(bool& save)>;

  RecordBinder() = default;
  ~RecordBinder() override;

  // Bindings; readOnly controls only show their field.
  BoundField& Bind(QLineEdit* box, const QString& field, const QString& caption, bool readOnly = false);
  BoundField& Bind(QTextEdit* box, const QString& field, const QString& caption);
  BoundField& BindHidden(const QString& field, const QString& caption);

  void setValidate(ValidateHandler handler) { validate_ = std::move(handler); }
  // Runs after a write went through.
  void setAfterWrite(std::function<void()> handler) { afterWrite_ = std::move(handler); }

  // A new table record set on the table, positioned on the row whose primary key is key.
  // Pending edits are dropped. True when the row exists; else "no current record".
  bool Open(jet::Database& db, const QString& table, const rt::Variant& key);
  // Lets go of the record set; the controls are emptied.
  void Close();

  bool HasCurrent() const;
  // The key of the row the binder was opened on.
  rt::Variant Key() const { return key_; }
  // The record set; raises 3021 while there is no current record.
  jet::Recordset& Recordset() const;
  jet::EditMode EditMode() const;
  // A field of the current row as stored.
  rt::Variant Value(const QString& field) const;

  bool AnyChanged() const;
  // Move by 0 records: validate, then write the changed fields (see above).
  void Flush();
  // Drops pending edits and shows the stored row again.
  void Reload();

 signals:
  // Some control was edited by the user.
  void edited(BoundField& field);
  // The controls show a row again, or no record (after Open, Reload, a failed write, Close).
  void shown(bool hasCurrent);

 private:
  BoundField& add(QWidget* widget, const QString& field, const QString& caption, bool readOnly);
  void show();
  // Reads the row again and shows it, but for the controls the user changed.
  void reloadKeepingEdits();
  void showNoRecord();
  void checkSizes();
  void write();

  std::vector<std::unique_ptr<BoundField>> fields_;
  std::shared_ptr<jet::Recordset> rs_;
  QString table_;
  rt::Variant key_;
  ValidateHandler validate_;
  std::function<void()> afterWrite_;
  bool filling_ = false;
};
