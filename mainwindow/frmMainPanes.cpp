#include "mainwindow/frmMainPanes.h"

#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/ui/Twips.h"
#include "windows/maintenance/ThumbNail.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

template <class W>
W* named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLineEdit* readOnlyField(QWidget* parent, const char* name, const QString& toolTip) {
  auto* e = named(new QLineEdit(parent), name);
  e->setReadOnly(true);
  e->setToolTip(toolTip);
  return e;
}

// The volume's storage location. A wheel turned over it while it has no focus scrolls the pane
// instead of moving the entry: only a choice made in the focused combo changes the location.
class LocationCombo : public QComboBox {
 public:
  explicit LocationCombo(QWidget* parent) : QComboBox(parent) {
    // The wheel alone gives no focus.
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void wheelEvent(QWheelEvent* event) override {
    if (!hasFocus()) {
      event->ignore();
      return;
    }
    QComboBox::wheelEvent(event);
  }
};

}  // namespace

QTreeWidget* NewInfoList(QWidget* parent, const QString& name) {
  auto* lv = new QTreeWidget(parent);
  lv->setObjectName(name);
  lv->setColumnCount(2);
  lv->setHeaderLabels({QStringLiteral("Eigenschaft"), QStringLiteral("Wert")});
  lv->setRootIsDecorated(false);
  lv->setUniformRowHeights(true);
  lv->setFixedHeight(ui::twipsToPixelsY(1800));
  return lv;
}

InfoStack::InfoStack(QWidget* field, QTreeWidget* info, int gapTwips, int bottomTwips, int fieldBottomTwips,
                     QWidget* parent)
    : QWidget(parent),
      layout_(new QVBoxLayout(this)),
      info_(info),
      gap_(gapTwips),
      bottom_(bottomTwips),
      fieldBottom_(fieldBottomTwips) {
  layout_->setContentsMargins(0, 0, 0, 0);
  field->setParent(this);
  info->setParent(this);
  layout_->addWidget(field, 1);
  layout_->addWidget(info, 0);
  setInfoVisible(false);
}

void InfoStack::setInfoVisible(bool visible) {
  info_->setVisible(visible);
  layout_->setSpacing(visible ? ui::twipsToPixelsY(gap_) : 0);
  layout_->setContentsMargins(0, 0, 0, ui::twipsToPixelsY(visible ? bottom_ : fieldBottom_));
}

CategoryPane::CategoryPane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picCategory"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(ui::twipsToPixelsX(60), ui::twipsToPixelsY(60), ui::twipsToPixelsX(100), 0);
  fraCategory = named(new QGroupBox(this), "fraCategory");
  outer->addWidget(fraCategory);

  auto* grid = new QGridLayout(fraCategory);
  grid->setHorizontalSpacing(ui::twipsToPixelsX(20));
  CatName = named(new QLineEdit(fraCategory), "CatName");
  CatIcon = named(new QLabel(fraCategory), "CatIcon");
  CatIcon->setFixedSize(18, 18);
  CatIcon->setAlignment(Qt::AlignCenter);
  lblCatIcon = named(new QLabel(QStringLiteral("Icon"), fraCategory), "lblCatIcon");
  CatIconEdit = named(new QPushButton(QStringLiteral("Icon ändern"), fraCategory), "CatIconEdit");
  CatIconDelete = named(new QPushButton(QStringLiteral("Icon löschen"), fraCategory), "CatIconDelete");
  CatThumbNail = named(new ThumbNail(fraCategory), "CatThumbNail");
  CatThumbNail->setAppearance(0);
  CatThumbNail->setBorderStyle(0);
  CatThumbNail->setFixedSize(16, 16);
  CatThumbNail->hide();

  grid->addWidget(new QLabel(QStringLiteral("Name der Kategorie"), fraCategory), 0, 0);
  grid->addWidget(lblCatIcon, 0, 1);
  grid->addWidget(CatName, 1, 0);
  grid->addWidget(CatIcon, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(0);  // the two buttons touch
  buttons->addWidget(CatIconEdit);
  buttons->addWidget(CatIconDelete);
  grid->addLayout(buttons, 1, 2);
  grid->setColumnStretch(0, 1);

  grid->addWidget(new QLabel(QStringLiteral("Beschreibung"), fraCategory), 2, 0, 1, 3);
  CatDescription = named(new QTextEdit(fraCategory), "CatDescription");
  CatDescription->setAcceptRichText(false);
  LVCategoryInfo = NewInfoList(fraCategory, QStringLiteral("LVCategoryInfo"));
  infoStack_ =
      new InfoStack(CatDescription, LVCategoryInfo, kInfoGapTwips, kInfoBottomTwips, kFieldBottomTwips, fraCategory);
  grid->addWidget(infoStack_, 3, 0, 1, 3);
  grid->setRowStretch(3, 1);
}

VolumePane::VolumePane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picVolume"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(ui::twipsToPixelsX(60), ui::twipsToPixelsY(60), ui::twipsToPixelsX(100), 0);
  for (int i = 0; i < 4; ++i) {
    fraVolume[i] = new QGroupBox(this);
    fraVolume[i]->setObjectName(QStringLiteral("fraVolume%1").arg(i));
    outer->addWidget(fraVolume[i], i == 3 ? 1 : 0);
  }

  // Frame 0: name, id, description.
  auto* g0 = new QGridLayout(fraVolume[0]);
  VolumeName = named(new QLineEdit(fraVolume[0]), "VolumeName");
  VID = readOnlyField(fraVolume[0], "VID", QStringLiteral("Eindeutige ID, die Automatisch erstellt wird"));
  VID->setFixedWidth(ui::twipsToPixelsX(1000));
  lblVID = named(new QLabel(QStringLiteral("ID"), fraVolume[0]), "lblVID");
  VolumeDescription = named(new QLineEdit(fraVolume[0]), "VolumeDescription");
  g0->addWidget(new QLabel(QStringLiteral("Name des Volumes"), fraVolume[0]), 0, 0);
  g0->addWidget(lblVID, 0, 1);
  g0->addWidget(VolumeName, 1, 0);
  g0->addWidget(VID, 1, 1);
  g0->addWidget(new QLabel(QStringLiteral("Beschreibung"), fraVolume[0]), 2, 0, 1, 2);
  g0->addWidget(VolumeDescription, 3, 0, 1, 2);
  g0->setColumnStretch(0, 1);

  // Frame 1: path and the drive facts.
  auto* g1 = new QGridLayout(fraVolume[1]);
  // The path changes only through the relocation, which checks the medium first.
  VolumePath = readOnlyField(fraVolume[1], "VolumePath", QStringLiteral("Pfad des Volumes"));
  cmdVolumeBrowse = named(new QPushButton(fraVolume[1]), "cmdVolumeBrowse");
  cmdVolumeBrowse->setIcon(cmdVolumeBrowse->style()->standardIcon(QStyle::SP_DirOpenIcon));
  cmdVolumeBrowse->setToolTip(QStringLiteral("Pfad des Volumes ändern"));
  VolumeDate = readOnlyField(fraVolume[1], "VolumeDate", QString());
  VolumeTypeString = readOnlyField(fraVolume[1], "VolumeTypeString", QStringLiteral("Typ des Laufwerks"));
  VolumeLabel = readOnlyField(fraVolume[1], "VolumeLabel", QStringLiteral("Name des Laufwerks"));
  VolumeSerial = readOnlyField(fraVolume[1], "VolumeSerial", QStringLiteral("Seriennummer des Laufwerks"));
  Computername = readOnlyField(fraVolume[1], "Computername", QStringLiteral("Name des Computers"));
  g1->addWidget(new QLabel(QStringLiteral("Pfad"), fraVolume[1]), 0, 0);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(VolumePath, 1);
  pathRow->addWidget(cmdVolumeBrowse, 0, Qt::AlignBottom);
  g1->addLayout(pathRow, 0, 1, 1, 3);
  g1->addWidget(new QLabel(QStringLiteral("Einlesedatum"), fraVolume[1]), 1, 0);
  g1->addWidget(VolumeDate, 1, 1);
  g1->addWidget(new QLabel(QStringLiteral("Typ"), fraVolume[1]), 1, 2);
  g1->addWidget(VolumeTypeString, 1, 3);
  g1->addWidget(new QLabel(QStringLiteral("Laufwerksname"), fraVolume[1]), 2, 0);
  g1->addWidget(VolumeLabel, 2, 1);
  g1->addWidget(new QLabel(QStringLiteral("Seriennummer"), fraVolume[1]), 2, 2);
  g1->addWidget(VolumeSerial, 2, 3);
  g1->addWidget(new QLabel(QStringLiteral("Computername"), fraVolume[1]), 3, 0);
  g1->addWidget(Computername, 3, 1);
  g1->setColumnStretch(1, 1);
  g1->setColumnStretch(3, 1);

  // Frame 2: storage location.
  auto* g2 = new QHBoxLayout(fraVolume[2]);
  VolumeLocID = named(new LocationCombo(fraVolume[2]), "VolumeLocID");
  g2->addWidget(new QLabel(QStringLiteral("Lagerort"), fraVolume[2]));
  g2->addWidget(VolumeLocID, 1);

  // Frame 3: memo and the volume information.
  auto* g3 = new QVBoxLayout(fraVolume[3]);
  g3->addWidget(new QLabel(QStringLiteral("Memo"), fraVolume[3]));
  VolumeMemo = named(new QTextEdit(fraVolume[3]), "VolumeMemo");
  LVVolumeInfo = NewInfoList(fraVolume[3], QStringLiteral("LVVolumeInfo"));
  infoStack_ =
      new InfoStack(VolumeMemo, LVVolumeInfo, kInfoGapTwips, kInfoBottomTwips, kFieldBottomTwips, fraVolume[3]);
  g3->addWidget(infoStack_, 1);
}

FolderPane::FolderPane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picFolder"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  LVFiles = named(new QTreeWidget(this), "LVFiles");
  LVFiles->setColumnCount(4);
  LVFiles->setHeaderLabels(
      {QStringLiteral("Dateiname"), QStringLiteral("Größe"), QStringLiteral("Datum"), QStringLiteral("Beschreibung")});
  LVFiles->setRootIsDecorated(false);
  LVFiles->setUniformRowHeights(true);
  LVFiles->setIconSize(QSize(16, 16));
  LVFiles->header()->setStretchLastSection(false);
  LVFiles->installEventFilter(this);
  LVFolderInfo = NewInfoList(this, QStringLiteral("LVFolderInfo"));
  // The file list and the folder information touch: no gaps in this pane.
  infoStack_ = new InfoStack(LVFiles, LVFolderInfo, 0, 0, 0, this);
  outer->addWidget(infoStack_);
}

bool FolderPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LVFiles && event->type() == QEvent::Resize) FitListViewColumn(LVFiles, 1, true);
  return QWidget::eventFilter(watched, event);
}
