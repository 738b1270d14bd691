#include "catalogue/widgets/frmImport.h"

#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "platform/ui/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kHelpContext = 60;
// Design sizes in twips.
constexpr int kClientWidth = 7140;
constexpr int kClientHeight = 5250;
constexpr int kCommandHeight = 675;
constexpr int kOkWidth = 1155;
constexpr int kCancelWidth = 1095;
constexpr int kButtonHeight = 375;
constexpr int kButtonTop = 180;
constexpr int kMargin = 100;

QRect twipsRect(int left, int top, int width, int height) {
  return QRect(ui::twipsToPixelsX(left), ui::twipsToPixelsY(top), ui::twipsToPixelsX(std::max(width, 0)),
               ui::twipsToPixelsY(std::max(height, 0)));
}

}  // namespace

frmImport::frmImport(QWidget* owner)
    : QDialog(owner),
      lblMsg(new QLabel(this)),
      Tree1(new Tree(this)),
      picCommand(new QWidget(this)),
      cmdOK(new QPushButton(QStringLiteral("&OK"), picCommand)),
      cmdCancel(new QPushButton(QStringLiteral("&Abbrechen"), picCommand)),
      chkCancel(new QCheckBox(QStringLiteral("chkCancel"), this)) {
  setObjectName(QStringLiteral("frmImport"));
  setWindowTitle(QStringLiteral("Import"));
  setProperty("HelpContextID", kHelpContext);
  setSizeGripEnabled(true);
  lblMsg->setObjectName(QStringLiteral("lblMsg"));
  lblMsg->setText(QStringLiteral(
      "Aktivieren Sie die Kontrollkästchen vor den Kategorien bzw. Volumes, die Sie importieren möchten."));
  lblMsg->setWordWrap(true);
  Tree1->setObjectName(QStringLiteral("Tree1"));
  picCommand->setObjectName(QStringLiteral("picCommand"));
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setToolTip(QStringLiteral("Import durchführen"));
  cmdOK->setDefault(true);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel->setToolTip(QStringLiteral("Funktion abbrechen"));
  chkCancel->setObjectName(QStringLiteral("chkCancel"));
  chkCancel->setVisible(false);
  connect(cmdOK, &QPushButton::clicked, this, &frmImport::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmImport::cmdCancel_Click);
  connect(Tree1, &Tree::SelectionChanged, cmdOK, &QPushButton::setEnabled);
  resize(ui::twipsToPixelsX(kClientWidth), ui::twipsToPixelsY(kClientHeight));
  Form_Load();
}

void frmImport::Form_Load() {
  SetFormFont(this);
  // Until OK is pressed, however the window goes away, it counts as cancelled.
  chkCancel->setChecked(true);
  Tree1->setBorder(true);
  Tree1->setCheckboxes(true);
  Tree1->setShowFolders(false);
  // The source is only read: its nodes are ticked, never moved.
  Tree1->setAllowDrag(false);
  cmdOK->setEnabled(false);
}

void frmImport::cmdOK_Click() {
  chkCancel->setChecked(false);
  accept();
}

void frmImport::cmdCancel_Click() {
  chkCancel->setChecked(true);
  reject();
}

void frmImport::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Form_Resize();
}

void frmImport::Form_Resize() {
  try {
    const int scaleWidth = ui::pixelsToTwipsX(width());
    const int scaleHeight = ui::pixelsToTwipsY(height());
    const int labelWidth = std::max(scaleWidth - 2 * kMargin, 0);
    const int labelHeight = ui::pixelsToTwipsY(lblMsg->heightForWidth(ui::twipsToPixelsX(labelWidth)));
    lblMsg->setGeometry(twipsRect(kMargin, kMargin, labelWidth, labelHeight));
    // The button strip keeps its height along the bottom edge.
    picCommand->setGeometry(twipsRect(0, scaleHeight - kCommandHeight, scaleWidth, kCommandHeight));
    Tree1->setGeometry(twipsRect(kMargin, kMargin + labelHeight + kMargin, scaleWidth - 2 * kMargin,
                                 scaleHeight - labelHeight - 3 * kMargin - kCommandHeight));
    const int okLeft = (scaleWidth - kOkWidth - kCancelWidth) / 2;
    cmdOK->setGeometry(twipsRect(okLeft, kButtonTop, kOkWidth, kButtonHeight));
    cmdCancel->setGeometry(twipsRect(okLeft + kOkWidth + kMargin, kButtonTop, kCancelWidth, kButtonHeight));
  } catch (...) {
    // A window too small for the sizes keeps what it has.
  }
}
