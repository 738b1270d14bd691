#include "windows/maintenance/frmOpenDB.h"

#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_registry.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/WindowCommand.h"
#include "platform/runtime/App.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSource = QStringLiteral("frmOpenDB");
const QString kProgramKey = rt::App::registryKey();

}  // namespace

frmOpenDB::frmOpenDB(QWidget* parent) : QDialog(parent) {
  setObjectName(kSource);
  setWindowTitle(QStringLiteral("Datenbank öffnen"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  Label1 = new QLabel(QStringLiteral("Bekannte Datenbanken"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  lstDB = new QListWidget(this);
  lstDB->setObjectName(QStringLiteral("lstDB"));
  lstDB->setSelectionMode(QAbstractItemView::SingleSelection);
  Label1->setBuddy(lstDB);
  chkOther = new QCheckBox(QStringLiteral(" andere Datenbank auswählen"), this);
  chkOther->setObjectName(QStringLiteral("chkOther"));
  chkOther->setToolTip(QStringLiteral("Datenbank über Dateiauswahl-Dialog auswählen"));
  chkExclusive = new QCheckBox(QStringLiteral(" exklusiv öffnen"), this);
  chkExclusive->setObjectName(QStringLiteral("chkExclusive"));
  chkExclusive->setToolTip(QStringLiteral(
      "Andrere Netzwerkbenutzer können nicht auf die DB zugreifen, wenn \"exklusiv öffnen\" angehakt ist"));
  cmdOK = new QPushButton(QStringLiteral("&OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  cmdCancel = new QPushButton(QStringLiteral("&Abbrechen"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  chkCancel = new QCheckBox(this);
  chkCancel->setObjectName(QStringLiteral("chkCancel"));
  chkCancel->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(lstDB, 1);
  layout->addWidget(chkOther);
  layout->addWidget(chkExclusive);
  layout->addLayout(buttons);
  resize(460, 280);

  connect(chkOther, &QCheckBox::toggled, this, &frmOpenDB::chkOther_Click);
  connect(cmdOK, &QPushButton::clicked, this, &frmOpenDB::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmOpenDB::cmdCancel_Click);
  // Esc and the close box hide the window as Cancel does; chkCancel is still checked then.
  connect(this, &QDialog::rejected, this, [this] { chkCancel->setChecked(true); });
  Form_Load();
}

void frmOpenDB::Form_Load() {
  SetFormFont(this);
  chkCancel->setChecked(true);
  try {
    const QString key = AddTrailingChar(kProgramKey, QStringLiteral("\\")) + QStringLiteral("Recent");
    // The list ends at the first number without a value; a file gone meanwhile is passed over.
    for (int n = 1;; ++n) {
      const QString name = QStringLiteral("File ") + QString::number(n);
      if (!RegValueExists(registry::HKEY_CURRENT_USER, key, name)) break;
      const QString path = RegGetString(registry::HKEY_CURRENT_USER, key, name, QString());
      if (FileExists(path)) lstDB->addItem(path);
    }
    chkExclusive->setChecked(gOptions && gOptions->Exclusive());
    if (lstDB->count() > 0) lstDB->setCurrentRow(0);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("Init"));
  }
}

void frmOpenDB::chkOther_Click() {
  Command(QStringLiteral("chkOther_Click"), [this] {
    const bool other = chkOther->isChecked();
    lstDB->setEnabled(!other);
    if (other) {
      lstDB->clearSelection();
      lstDB->setCurrentRow(-1);
    } else if (lstDB->count() > 0) {
      lstDB->setCurrentRow(0);
    }
  });
}

void frmOpenDB::cmdOK_Click() {
  Command(QStringLiteral("cmdOK_Click"), [this] {
    if (!chkOther->isChecked() && lstDB->selectedItems().isEmpty()) return;
    chkCancel->setChecked(false);
    accept();
  });
}

void frmOpenDB::cmdCancel_Click() {
  Command(QStringLiteral("cmdCancel_Click"), [this] {
    chkCancel->setChecked(true);
    reject();
  });
}

void frmOpenDB::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kSource, procedure, command, {}, this);
}
