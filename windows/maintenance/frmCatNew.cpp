#include "windows/maintenance/frmCatNew.h"

#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/WindowCommand.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpContext = 20;
}

frmCatNew::frmCatNew(QWidget* parent)
    : QDialog(parent),
      catName_(new QLineEdit(this)),
      catDescription_(new QPlainTextEdit(this)),
      fraSubCat_(new QFrame(this)),
      chkSub_(new QCheckBox(QStringLiteral("Als Unterkategorie von '##'"), fraSubCat_)),
      cmdOK_(new QPushButton(QStringLiteral("&OK"), this)),
      cmdCancel_(new QPushButton(QStringLiteral("&Abbrechen"), this)) {
  setObjectName(QStringLiteral("frmCatNew"));
  setWindowTitle(QStringLiteral("Neue Kategorie"));
  setProperty("HelpContextID", kHelpContext);
  catName_->setObjectName(QStringLiteral("CatName"));
  catName_->setMaxLength(255);
  catDescription_->setObjectName(QStringLiteral("CatDescription"));
  catDescription_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  catDescription_->setTabChangesFocus(true);
  fraSubCat_->setObjectName(QStringLiteral("fraSubCat"));
  chkSub_->setObjectName(QStringLiteral("chkSub"));
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
  cmdOK_->setDefault(true);
  cmdCancel_->setAutoDefault(false);

  auto* frame1 = new QFrame(this);
  frame1->setObjectName(QStringLiteral("Frame1"));
  frame1->setFrameShape(QFrame::StyledPanel);
  auto* label1 = new QLabel(QStringLiteral("Name der Kategorie"), frame1);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setBuddy(catName_);
  auto* label2 = new QLabel(QStringLiteral("Beschreibung"), frame1);
  label2->setObjectName(QStringLiteral("Label2"));
  label2->setBuddy(catDescription_);
  auto* fields = new QVBoxLayout(frame1);
  fields->addWidget(label1);
  fields->addWidget(catName_);
  fields->addWidget(label2);
  fields->addWidget(catDescription_);

  fraSubCat_->setFrameShape(QFrame::StyledPanel);
  auto* picSubCat = new QWidget(fraSubCat_);
  picSubCat->setObjectName(QStringLiteral("picSubCat"));
  auto* sub = new QHBoxLayout(picSubCat);
  sub->setContentsMargins(0, 0, 0, 0);
  sub->addWidget(chkSub_);
  auto* subFrame = new QVBoxLayout(fraSubCat_);
  subFrame->addWidget(picSubCat);

  auto* picButtons = new QWidget(this);
  picButtons->setObjectName(QStringLiteral("picButtons"));
  auto* buttons = new QHBoxLayout(picButtons);
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->addStretch();
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame1, 1);
  layout->addWidget(fraSubCat_);
  layout->addWidget(picButtons);
  setMinimumWidth(380);

  connect(cmdOK_, &QPushButton::clicked, this, &frmCatNew::cmdOK_Click);
  connect(cmdCancel_, &QPushButton::clicked, this, &frmCatNew::reject);
  SetFormFont(this);
}

void frmCatNew::setSubCategoryOf(const QString& catName) {
  QString caption = chkSub_->text();
  QString name = catName;
  // A "&" of the name is text, not the mark of a shortcut key.
  name.replace(QLatin1Char('&'), QStringLiteral("&&"));
  caption.replace(QStringLiteral("##"), name, Qt::CaseInsensitive);
  chkSub_->setText(caption);
  chkSub_->setChecked(true);
}

void frmCatNew::hideSubCategory() {
  fraSubCat_->hide();
  adjustSize();
}

void frmCatNew::cmdOK_Click() {
  Command(QStringLiteral("cmdOK_Click"), [this] {
    // Blanks are a name: only an empty text is refused.
    if (catName_->text().isEmpty()) {
      gErr->MsgShow(kMsgCategoryNameMissing, ui::kExclamation);
      catName_->setFocus();
      return;
    }
    chkCancel_ = 0;
    accept();
  });
}

void frmCatNew::reject() {
  chkCancel_ = 1;
  QDialog::reject();
}

void frmCatNew::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(QStringLiteral("frmCatNew"), procedure, command, {}, this);
}
