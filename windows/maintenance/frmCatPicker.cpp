#include "windows/maintenance/frmCatPicker.h"

#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/widgets/WindowCommand.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpContext = 30;
}

frmCatPicker::frmCatPicker(QWidget* parent)
    : QDialog(parent),
      lbl_(new QLabel(QStringLiteral("Wählen Sie die Kategorie, der das neue Volume zugeordnet werden soll:"), this)),
      cmbCat_(new QComboBox(this)),
      cmdNext_(new QPushButton(QStringLiteral("&OK"), this)),
      cmdCancel_(new QPushButton(QStringLiteral("&Abbrechen"), this)) {
  setObjectName(QStringLiteral("frmCatPicker"));
  setWindowTitle(QStringLiteral("Kategorie wählen"));
  setProperty("HelpContextID", kHelpContext);
  lbl_->setObjectName(QStringLiteral("lbl"));
  lbl_->setWordWrap(true);
  cmbCat_->setObjectName(QStringLiteral("cmbCat"));
  cmbCat_->setEditable(false);
  cmbCat_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cmbCat_->setMinimumContentsLength(30);
  cmdNext_->setObjectName(QStringLiteral("cmdNext"));
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
  cmdNext_->setDefault(true);
  cmdCancel_->setAutoDefault(false);

  auto* picCommand = new QWidget(this);
  picCommand->setObjectName(QStringLiteral("picCommand"));
  auto* buttons = new QHBoxLayout(picCommand);
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->addStretch();
  buttons->addWidget(cmdNext_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lbl_);
  layout->addWidget(cmbCat_);
  layout->addStretch();
  layout->addWidget(picCommand);

  connect(cmdNext_, &QPushButton::clicked, this, &frmCatPicker::cmdNext_Click);
  connect(cmdCancel_, &QPushButton::clicked, this, &frmCatPicker::reject);

  SetFormFont(this);
  try {
    fCatFillCombo(cmbCat_, std::nullopt);
  } catch (...) {
    // What was filled stays; the user may still choose from it.
  }
}

int32_t frmCatPicker::SelectedCID() const {
  const int index = cmbCat_->currentIndex();
  return index < 0 ? 0 : cmbCat_->itemData(index).toInt();
}

void frmCatPicker::preselect(int32_t CatID) {
  const int index = cmbCat_->findData(CatID);
  // A proposed category that is not listed leaves no choice made, rather than the top level.
  cmbCat_->setCurrentIndex(index);
}

void frmCatPicker::cmdNext_Click() {
  Command(QStringLiteral("cmdNext_Click"), [this] {
    // Without a choice OK would file the volume at the top level unasked.
    if (cmbCat_->currentIndex() < 0) return;
    chkCancel_ = 0;
    accept();
  });
}

void frmCatPicker::reject() {
  chkCancel_ = 1;
  QDialog::reject();
}

void frmCatPicker::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(QStringLiteral("frmCatPicker"), procedure, command, {}, this);
}
