#include "windows/maintenance/frmLocEdit.h"

#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/WindowCommand.h"
#include "platform/ui/MessageBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace {
constexpr int kHelpContext = 70;
// The catalogue's text fields hold at most this many characters.
constexpr int kMaxText = 255;
}  // namespace

frmLocEdit::frmLocEdit(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmLocEdit"));
  setWindowTitle(QStringLiteral("Lagerort"));
  LocName = new QLineEdit(this);
  LocName->setObjectName(QStringLiteral("LocName"));
  LocName->setMaxLength(kMaxText);
  LocDescription = new QPlainTextEdit(this);
  LocDescription->setObjectName(QStringLiteral("LocDescription"));
  LocDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  LocDescription->setTabChangesFocus(true);
  cmdOK = new QPushButton(QStringLiteral("&OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  cmdCancel = new QPushButton(QStringLiteral("&Abbrechen"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel->setAutoDefault(false);
  connect(cmdOK, &QPushButton::clicked, this, &frmLocEdit::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmLocEdit::cmdCancel_Click);

  auto* name = new QLabel(QStringLiteral("&Name des Lagerorts"), this);
  name->setBuddy(LocName);
  auto* description = new QLabel(QStringLiteral("&Beschreibung"), this);
  description->setBuddy(LocDescription);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto* layout = new QGridLayout(this);
  layout->addWidget(name, 0, 0);
  layout->addWidget(LocName, 1, 0);
  layout->addWidget(description, 2, 0);
  layout->addWidget(LocDescription, 3, 0);
  layout->addLayout(buttons, 4, 0);
  layout->setRowStretch(3, 1);
  resize(360, 240);

  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] { fHelpOpen(this, kHelpContext); });
  SetFormFont(this);
}

void frmLocEdit::cmdOK_Click() {
  Command(QStringLiteral("cmdOK_Click"), [this] {
    if (LocName->text().isEmpty()) {
      gErr->MsgShow(kMsgNameMissing, ui::kOkOnly + ui::kExclamation);
      LocName->setFocus(Qt::OtherFocusReason);
      return;
    }
    cancel_ = 0;
    accept();
  });
}

void frmLocEdit::cmdCancel_Click() {
  Command(QStringLiteral("cmdCancel_Click"), [this] {
    cancel_ = 1;
    reject();
  });
}

void frmLocEdit::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(QStringLiteral("frmLocEdit"), procedure, command, {}, this);
}
