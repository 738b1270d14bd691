#include "windows/capture/frmFind.h"

#include "catalogue/TableLocations.h"
#include "catalogue/TableVolumes.h"
#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pFinder.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/cuFormPos.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/jet/JetSqlText.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "windows/capture/FindResultModel.h"
#include "windows/capture/frmEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

const QString kSource = QStringLiteral("frmFind");
constexpr int kHelpContextFind = 50;
const QString kSeparator = QStringLiteral("/");

// Rows of the volume list sort by their text in the catalogue's text order.
class VolumeItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    return jet::compareText(text(column), other.text(column)) < 0;
  }
};

// The line of the status text, outside the window's layouts: a new text repaints the line
// alone. A label inside them would have them laid out anew up to the tab pages, and the tab
// widget repaints the whole window on that.
class StatusLine : public QWidget {
 public:
  explicit StatusLine(QLabel* label) : label_(label) {
    label_->setParent(this);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  }
  QSize sizeHint() const override { return {0, lineHeight()}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    label_->setGeometry(rect());
    QWidget::resizeEvent(event);
  }
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::FontChange) updateGeometry();
    QWidget::changeEvent(event);
  }

 private:
  int lineHeight() const {
    const QMargins m = label_->contentsMargins();
    return label_->fontMetrics().height() + m.top() + m.bottom() + 2 * label_->margin();
  }
  QLabel* label_;
};

QPushButton* newButton(const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  // Enter belongs to the field it is typed in, not to whichever button is the dialog's default.
  b->setAutoDefault(false);
  return b;
}

// The first two columns of a result list fit their texts and their captions; the third takes
// the rest of the list's width, never less than its caption.
void FitColumnsToTexts(QTreeView* list) {
  AutoSizeListViewColumn(list, 1, true);
  AutoSizeListViewColumn(list, 2, true);
}

void FitLastColumn(QTreeView* list) {
  FitListViewColumn(list, 3, true);
  list->setColumnWidth(2, std::max(list->columnWidth(2), list->header()->sectionSizeHint(2)));
}

}  // namespace

QString FindOutputText(int rows, const std::function<QString(int row, int column)>& text) {
  int widths[3] = {0, 0, 0};
  qsizetype total = 0;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < 3; ++c) widths[c] = std::max(widths[c], static_cast<int>(text(r, c).size()));
  total = static_cast<qsizetype>(rows) * (widths[0] + widths[1] + widths[2] + 4);
  QString out;
  out.reserve(total);
  const QString blank = QStringLiteral(" ");
  const QString tab = QStringLiteral("\t");
  for (int r = 0; r < rows; ++r) {
    const QString line = PadRight(text(r, 0), widths[0], blank) + tab + PadRight(text(r, 1), widths[1], blank) + tab +
                         PadRight(text(r, 2), widths[2], blank);
    AppendWithSeparator(out, line, QStringLiteral("\r\n"), false);
  }
  return out;
}

frmFind::frmFind(QWidget* parent)
    : QDialog(parent),
      TabOne1(new QTabWidget(this)),
      txtFileFind(new QLineEdit),
      cmbSource(new QComboBox),
      chkFileWhole(new QCheckBox(QStringLiteral("Ganze Zeichenfolge vergleichen"))),
      cmdFileFind(newButton(QStringLiteral("&Suche starten"), nullptr)),
      LVFiles(new FindResultView),
      lblCount(new QLabel),
      cmbVolID(new QComboBox),
      lblVolLoc(new QLabel(QStringLiteral("Lagerort"))),
      cmbVolLoc(new QComboBox),
      txtVolName(new QLineEdit),
      cmdVolNameFilter(newButton(QStringLiteral("&OK"), nullptr)),
      LVVolumes(new QTreeWidget),
      kLV(new QMenu(this)),
      sliceRows_(0) {
  setObjectName(QStringLiteral("frmFind"));
  setWindowTitle(QStringLiteral("Suchen"));
  setProperty("HelpContextID", kHelpContextFind);
  setSizeGripEnabled(true);

  // The tab captions come as one text, as the tab container takes them.
  const QStringList tabs = QStringLiteral("Dateien/Ordner|Volumes").split(QLatin1Char('|'));
  TabOne1->setObjectName(QStringLiteral("TabOne1"));
  TabOne1->addTab(BuildFilesPage(), tabs.at(0));
  TabOne1->addTab(BuildVolumesPage(), tabs.at(1));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(TabOne1);

  kLV->setObjectName(QStringLiteral("kLV"));
  kLV_Select = kLV->addAction(QStringLiteral("&Auswählen"));
  kLV->addSeparator();
  kLV_Properties = kLV->addAction(QStringLiteral("&Eigenschaften"));
  kLV_Output = kLV->addAction(QStringLiteral("&Ausgeben ..."));
  kLV_Select->setObjectName(QStringLiteral("kLV_Select"));
  kLV_Properties->setObjectName(QStringLiteral("kLV_Properties"));
  kLV_Output->setObjectName(QStringLiteral("kLV_Output"));
  connect(kLV_Select, &QAction::triggered, this, &frmFind::kLV_Select_Click);
  connect(kLV_Properties, &QAction::triggered, this, &frmFind::kLV_Properties_Click);
  connect(kLV_Output, &QAction::triggered, this, &frmFind::kLV_Output_Click);

  Timer1.setSingleShot(true);
  Timer1.setInterval(1);
  connect(&Timer1, &QTimer::timeout, this, &frmFind::Timer1_Timer);

  connect(cmdFileFind, &QPushButton::clicked, this, &frmFind::cmdFileFind_Click);
  connect(txtFileFind, &QLineEdit::returnPressed, this, [this] {
    if (cmdFileFind->isEnabled()) cmdFileFind_Click();
  });
  connect(TabOne1, &QTabWidget::currentChanged, this, &frmFind::TabOne1_Switch);
  connect(LVFiles->header(), &QHeaderView::sectionClicked, this, &frmFind::LVFiles_ColumnClick);
  connect(LVVolumes->header(), &QHeaderView::sectionClicked, this, &frmFind::LVVolumes_ColumnClick);
  connect(cmbVolID, &QComboBox::activated, this, [this](int index) {
    if (isVisible()) Filter(cmbVolID->itemText(index).toInt(), 0, QString());
  });
  connect(cmbVolLoc, &QComboBox::activated, this, [this](int index) {
    if (isVisible()) Filter(0, cmbVolLoc->itemData(index).toInt(), QString());
  });
  connect(cmdVolNameFilter, &QPushButton::clicked, this, [this] { Filter(0, 0, txtVolName->text()); });
  connect(txtVolName, &QLineEdit::textChanged, this,
          [this](const QString& text) { cmdVolNameFilter->setEnabled(!text.isEmpty()); });
  connect(txtVolName, &QLineEdit::returnPressed, this, [this] {
    if (cmdVolNameFilter->isEnabled()) cmdVolNameFilter->click();
  });
  for (QWidget* list : {static_cast<QWidget*>(LVFiles), static_cast<QWidget*>(LVVolumes)}) {
    list->installEventFilter(this);
    static_cast<QAbstractItemView*>(list)->viewport()->installEventFilter(this);
  }

  resize(760, 540);
  Form_Load();
}

frmFind::~frmFind() = default;

FindResultModel* frmFind::Results() const { return LVFiles->results(); }

QWidget* frmFind::BuildFilesPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pic0"));
  auto* fra0 = new QGroupBox;
  fra0->setObjectName(QStringLiteral("fra0"));
  auto* label1 = new QLabel(QStringLiteral("Suchbegriff:"));
  auto* label2 = new QLabel(QStringLiteral("Suchen in:"));
  label1->setBuddy(txtFileFind);
  label2->setBuddy(cmbSource);
  txtFileFind->setObjectName(QStringLiteral("txtFileFind"));
  txtFileFind->setToolTip(QStringLiteral("Ordnersuche: Suchbegriff mit Backslash (\\) oder Schrägstrich (/) beginnen"));
  cmbSource->setObjectName(QStringLiteral("cmbSource"));
  cmdFileFind->setObjectName(QStringLiteral("cmdFileFind"));
  auto* fraCmd = new QWidget;
  fraCmd->setObjectName(QStringLiteral("fraCmd"));
  auto* cmdLayout = new QVBoxLayout(fraCmd);
  cmdLayout->setContentsMargins(0, 0, 0, 0);
  cmdLayout->addWidget(cmdFileFind);
  cmdLayout->addStretch();
  auto* search = new QGridLayout(fra0);
  search->addWidget(label1, 0, 0);
  search->addWidget(txtFileFind, 0, 1);
  search->addWidget(label2, 1, 0);
  search->addWidget(cmbSource, 1, 1);
  search->addWidget(fraCmd, 0, 2, 2, 1);
  search->setColumnStretch(1, 1);

  auto* fra1 = new QGroupBox(QStringLiteral("Optionen"));
  fra1->setObjectName(QStringLiteral("fra1"));
  chkFileWhole->setObjectName(QStringLiteral("chkFileWhole"));
  auto* options = new QHBoxLayout(fra1);
  options->addWidget(chkFileWhole);
  options->addStretch();

  auto* fra2 = new QGroupBox(QStringLiteral("Suchergebnis"));
  fra2->setObjectName(QStringLiteral("fra2"));
  LVFiles->setObjectName(QStringLiteral("LVFiles"));
  lblCount->setObjectName(QStringLiteral("lblCount"));
  auto* result = new QVBoxLayout(fra2);
  result->addWidget(LVFiles, 1);
  result->addWidget(new StatusLine(lblCount));

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(fra0);
  layout->addWidget(fra1);
  layout->addWidget(fra2, 1);
  return page;
}

QWidget* frmFind::BuildVolumesPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pic1"));
  auto* fraVol0 = new QGroupBox;
  fraVol0->setObjectName(QStringLiteral("fraVol0"));
  auto* label4 = new QLabel(QStringLiteral("Volume-ID"));
  label4->setBuddy(cmbVolID);
  lblVolLoc->setObjectName(QStringLiteral("lblVolLoc"));
  lblVolLoc->setBuddy(cmbVolLoc);
  cmbVolID->setObjectName(QStringLiteral("cmbVolID"));
  cmbVolID->setToolTip(QStringLiteral("Wählen Sie eine ID"));
  cmbVolID->setMinimumContentsLength(6);
  cmbVolLoc->setObjectName(QStringLiteral("cmbVolLoc"));
  cmbVolLoc->setToolTip(QStringLiteral("Wählen Sie einen Lagerort"));
  auto* fraVolName = new QGroupBox;
  fraVolName->setObjectName(QStringLiteral("fraVolName"));
  auto* label5 = new QLabel(QStringLiteral("Volume-Name"));
  label5->setBuddy(txtVolName);
  txtVolName->setObjectName(QStringLiteral("txtVolName"));
  txtVolName->setToolTip(QStringLiteral("Name oder Teil des Namens eingeben"));
  cmdVolNameFilter->setObjectName(QStringLiteral("cmdVolNameFilter"));
  cmdVolNameFilter->setToolTip(QStringLiteral("Filter anwenden"));
  cmdVolNameFilter->setEnabled(false);
  auto* name = new QGridLayout(fraVolName);
  name->addWidget(label5, 0, 0, 1, 2);
  name->addWidget(txtVolName, 1, 0);
  name->addWidget(cmdVolNameFilter, 1, 1);
  auto* criteria = new QGridLayout(fraVol0);
  criteria->addWidget(label4, 0, 0, Qt::AlignBottom);
  criteria->addWidget(cmbVolID, 1, 0, Qt::AlignTop);
  criteria->addWidget(lblVolLoc, 0, 1, Qt::AlignBottom);
  criteria->addWidget(cmbVolLoc, 1, 1, Qt::AlignTop);
  criteria->addWidget(fraVolName, 0, 2, 2, 1);
  criteria->setColumnStretch(1, 1);

  auto* fraVol1 = new QGroupBox(QStringLiteral("Ergebnis"));
  fraVol1->setObjectName(QStringLiteral("fraVol1"));
  LVVolumes->setObjectName(QStringLiteral("LVVolumes"));
  LVVolumes->setColumnCount(3);
  LVVolumes->setHeaderLabels({QStringLiteral("Volume"), QStringLiteral("ID"), QStringLiteral("Kategorie")});
  LVVolumes->setRootIsDecorated(false);
  LVVolumes->setUniformRowHeights(true);
  LVVolumes->setAllColumnsShowFocus(true);
  LVVolumes->setSelectionMode(QAbstractItemView::SingleSelection);
  LVVolumes->header()->setStretchLastSection(false);
  LVVolumes->header()->setSectionsClickable(true);
  auto* result = new QVBoxLayout(fraVol1);
  result->addWidget(LVVolumes);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(fraVol0);
  layout->addWidget(fraVol1, 1);
  return page;
}

// ---- frame --------------------------------------------------------------------------------

void frmFind::Form_Load() {
  try {
    SetFormFont(this);
    if (gFormPos) gFormPos->AddForm(this, QStringLiteral("Find"), 3);
    A_FileSourceComboFill();
    cmbSource->setCurrentIndex(0);
    FillLocations();
    FillVolumes();
    TabOne1->setCurrentIndex(0);
  } catch (...) {
    // The window opens with what could be filled.
  }
}

void frmFind::Form_Activate() {
  try {
    if (TabOne1->currentIndex() == 0) txtFileFind->setFocus();
  } catch (...) {
  }
}

void frmFind::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Form_Activate();
  FitResultColumns();
}

void frmFind::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
}

void frmFind::keyPressEvent(QKeyEvent* event) {
  // Esc asks a running search to stop; it never closes the window.
  if (event->key() == Qt::Key_Escape) {
    searchCancelRequested_ = true;
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void frmFind::TabOne1_Switch(int tab) {
  try {
    if (!isVisible()) return;
    if (tab == 0)
      txtFileFind->setFocus();
    else
      cmbVolID->setFocus();
  } catch (...) {
  }
}

void frmFind::FitResultColumns() {
  FitLastColumn(LVFiles);
  FitLastColumn(LVVolumes);
}

bool frmFind::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && (watched == LVFiles || watched == LVVolumes)) {
    FitLastColumn(static_cast<QTreeView*>(watched));
  } else if (event->type() == QEvent::MouseButtonRelease &&
             static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    if (watched == LVFiles->viewport()) LVFiles_MouseUp();
    if (watched == LVVolumes->viewport()) LVVolumes_MouseUp();
  } else if (event->type() == QEvent::ContextMenu &&
             static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
    // The menu key opens the same menu as the right mouse button.
    if (watched == LVFiles) LVFiles_MouseUp();
    if (watched == LVVolumes) LVVolumes_MouseUp();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void frmFind::SetStatusText(const QString& text) {
  lblCount->setText(text);
  SettleLayout();
  ui::pumpMessages();
}

void frmFind::SettleLayout() {
  // A changed text or list asks its box to lay out again, that box its own, and so on up to
  // the window, one level per turn of the message loop, each turn painting the window anew:
  // the levels are laid out here at once, and the window is painted once.
  int levels = 1;
  for (QWidget* w = lblCount; w && w != this; w = w->parentWidget()) ++levels;
  for (int level = 0; level < levels; ++level) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

void frmFind::A_FileSourceComboFill() {
  try {
    cmbSource->clear();
    cmbSource->addItem(QStringLiteral("(Alles)"), 0);
    for (const VolumeRow& row : VolumeRows(CommandDB(), VolumeOrder::Stored))
      cmbSource->addItem(row.VolumeName, row.VID);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("A_FileSourceComboFill"));
  }
}

void frmFind::FillLocations() {
  try {
    cmbVolLoc->clear();
    for (const LocationRow& row : LocationRows(CommandDB(), LocationOrder::ById))
      cmbVolLoc->addItem(row.LocName, row.lID);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("FillLocations"));
  }
  // Nothing chosen until the user chooses.
  cmbVolLoc->setCurrentIndex(-1);
  cmbVolLoc->setEnabled(cmbVolLoc->count() > 0);
  lblVolLoc->setEnabled(cmbVolLoc->isEnabled());
}

void frmFind::FillVolumes() {
  try {
    cmbVolID->clear();
    for (const VolumeRow& row : VolumeRows(CommandDB(), VolumeOrder::ById)) cmbVolID->addItem(QString::number(row.VID));
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("FillVolumes"));
  }
  cmbVolID->setCurrentIndex(-1);
  cmbVolID->setEnabled(cmbVolID->count() > 0);
}

// ---- file and folder search ---------------------------------------------------------------

bool frmFind::CancelConfirmed(int64_t listed) {
  ui::pumpMessagesThrottled();
  if (onPoll) onPoll(listed);
  if (!searchCancelRequested_) return false;
  if (gErr->MsgShow(kMsgCancelSearchAsk, ui::kYesNo | ui::kQuestion) == ui::kAnswerYes) return true;
  searchCancelRequested_ = false;
  return false;
}

void frmFind::AddHit(pFinder& finder, const FindHit& hit, std::string_view name) {
  FindResultModel* results = Results();
  if (!results->hasVolume(hit.VID)) results->setVolume(hit.VID, finder.Volume(hit.VID).VolumeName);
  if (!results->hasPath(hit.PID)) {
    // The folder and those above it that the list does not have yet, the top one first.
    std::vector<std::pair<int32_t, FolderPaths::Part>> parts;
    for (int32_t pid = hit.PID; pid != 0 && !results->hasPath(pid);) {
      FolderPaths::Part part = finder.FolderPart(pid);
      const int32_t parent = part.parent;
      parts.emplace_back(pid, std::move(part));
      pid = parent;
    }
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
      const FolderPaths::Part& part = it->second;
      results->setPath(
          it->first, part.parent,
          part.parent != 0 ? part.tail : AddTrailingChar(finder.Volume(hit.VID).VolumePath, kSeparator) + part.tail);
    }
  }
  results->append(hit.ID, hit.VID, hit.PID, name);
}

bool frmFind::RunSearch(pFinder& finder, bool folders) {
  // The query: the catalogue slice by slice, with a look at Esc between slices.
  for (;;) {
    const bool more = finder.Scan();
    if (CancelConfirmed(0)) return false;
    if (!more) break;
  }
  if (!finder.AnyRows()) return true;
  SetStatusText(gErr->MsgLoad(kMsgSearchStarting));
  Results()->reserve(finder.HitCount(), finder.HitNameBytes());
  FindHit hit;
  std::string_view name;
  for (int64_t counter = 0;; ++counter) {
    if (counter % 10 == 0 && CancelConfirmed(counter)) return false;
    if (!finder.NextHit(hit, name)) break;
    // The first hit decides the kind of the list and its first column's caption.
    if (counter == 0) {
      chkFolderSearch_ = folders ? 1 : 0;
      Results()->setFirstHeader(folders ? QStringLiteral("Ordnername") : QStringLiteral("Dateiname"));
    }
    AddHit(finder, hit, name);
  }
  FindResultModel* results = Results();
  results->flush();
  if (results->count() > 0) {
    FitColumnsToTexts(LVFiles);
    FitLastColumn(LVFiles);
  }
  return true;
}

void frmFind::cmdFileFind_Click() {
  bool searched = false;
  Command(QStringLiteral("cmdFileFind"), [this, &searched] {
    const FindTerm term = ParseFindTerm(txtFileFind->text());
    switch (term.verdict) {
      case FindTerm::Verdict::Empty:
        gErr->MsgShow(kMsgSearchTermMissing, ui::kInformation);
        txtFileFind->setFocus();
        return;
      case FindTerm::Verdict::Ignore:
        return;
      case FindTerm::Verdict::Invalid:
        gErr->MsgShow(0, ui::kExclamation, rt::Null, rt::Null, QStringLiteral("Ungültige Eingabe."));
        return;
      case FindTerm::Verdict::Search:
        break;
    }
    // Other windows wait; this one stays usable, and Esc or its close box ask to stop.
    ui::HourglassScope pointer;
    searched = true;
    searchCancelRequested_ = false;
    cmdFileFind->setEnabled(false);
    try {
      Results()->clear();
      SetStatusText(gErr->MsgLoad(kMsgQueryRunning));
      const int32_t vid = cmbSource->currentIndex() > 0 ? cmbSource->currentData().toInt() : 0;
      pFinder finder(CommandDB(), term.kind, term.text, chkFileWhole->isChecked(), vid, sliceRows_);
      RunSearch(finder, term.kind == FindKind::Folders);
      Results()->flush();
      SetStatusText(gErr->MsgLoad(kMsgSearchDone, Results()->count()));
    } catch (...) {
      // The rows listed so far stay; the status no longer claims a query is running.
      Results()->flush();
      SetStatusText(QString());
      throw;
    }
  });
  if (!searched) return;
  cmdFileFind->setEnabled(true);
  searchCancelRequested_ = false;
}

void frmFind::LVFiles_ColumnClick(int column) {
  Command(QStringLiteral("LVFiles_ColumnClick"), [this, column] {
    ui::HourglassScope pointer;
    Results()->sortByColumn(column);
  });
}

// ---- showing a hit in the main window -----------------------------------------------------

void frmFind::FileSelect() {
  Command(QStringLiteral("FileSelect"), [this] {
    const int row = LVFiles->selectedRow();
    if (row < 0) return;
    const FindResultModel::Row& hit = Results()->row(row);
    if (!gfrmMain) throw rt::RaisedError(rt::kErrNoObject, kSource, QStringLiteral("Das Hauptfenster fehlt."));
    gfrmMain->pubVolumeSelect(hit.VID);
    if (gfrmMain->pubFolderSelect(hit.VID, hit.PID) && chkFolderSearch_ == 0) gfrmMain->pubFileListSelect(hit.ID);
  });
}

void frmFind::VolumeSelect() {
  Command(QStringLiteral("VolumeSelect"), [this] {
    QTreeWidgetItem* item = LVVolumes->currentItem();
    if (!item || !item->isSelected()) return;
    if (!gfrmMain) throw rt::RaisedError(rt::kErrNoObject, kSource, QStringLiteral("Das Hauptfenster fehlt."));
    gfrmMain->pubVolumeSelect(ui::itemTag(item).toInt());
  });
}

// ---- volume search ------------------------------------------------------------------------

void frmFind::Filter(int32_t VID, int32_t LocID, const QString& NamePart) {
  Command(QStringLiteral("Filter"), [this, VID, LocID, &NamePart] {
    LVVolumes->clear();
    // Nothing to search by.
    if (VID <= 0 && LocID < 1 && NamePart.isEmpty()) return;
    const std::vector<VolumeRow> rows = VolumesFound(CommandDB(), VID, LocID, NamePart);
    if (rows.empty()) {
      gErr->MsgShow(kMsgNoResult, ui::kInformation);
      return;
    }
    for (const VolumeRow& row : rows) {
      const int32_t vid = row.VID;
      const int32_t cid = row.CatID.isNull() ? 0 : row.CatID.toInt();
      QString category = QStringLiteral("-");
      if (cid > 0) {
        const QString parents = fCatStringParent(cid);
        category = parents.isEmpty() ? fCatName(cid) : parents + QStringLiteral(" > ") + fCatName(cid);
      }
      auto* item =
          new VolumeItem(LVVolumes, {row.VolumeName, QStringLiteral("%1").arg(vid, 4, 10, QLatin1Char('0')), category});
      ui::setItemKey(item, QStringLiteral("A") + QString::number(vid));
      ui::setItemTag(item, vid);
    }
    FitColumnsToTexts(LVVolumes);
    FitLastColumn(LVVolumes);
  });
}

void frmFind::LVVolumes_ColumnClick(int column) {
  Command(QStringLiteral("LVVolumes_ColumnClick"),
          [this, column] { LVVolumes->sortItems(column, Qt::AscendingOrder); });
}

// ---- context menu -------------------------------------------------------------------------

void frmFind::LVFiles_MouseUp() {
  if (LVFiles->selectedRow() < 0) return;
  kLV_Properties->setEnabled(chkFolderSearch_ == 0);
  kLV->popup(QCursor::pos());
}

void frmFind::LVVolumes_MouseUp() {
  QTreeWidgetItem* item = LVVolumes->currentItem();
  if (!item || !item->isSelected()) return;
  kLV_Properties->setEnabled(true);
  kLV->popup(QCursor::pos());
}

void frmFind::kLV_Select_Click() {
  if (TabOne1->currentIndex() == 0)
    FileSelect();
  else
    VolumeSelect();
}

void frmFind::kLV_Properties_Click() {
  Command(QStringLiteral("Properties"), [this] {
    if (TabOne1->currentIndex() == 0) {
      const int row = LVFiles->selectedRow();
      // Folders have no file properties.
      if (row < 0 || chkFolderSearch_ != 0) return;
      std::vector<PropItem> rows;
      fFileProperties(Results()->row(row).ID, rows);
      propRows_ = std::move(rows);
      propCaption_ = QStringLiteral("Datei-Eigenschaften");
    } else {
      QTreeWidgetItem* item = LVVolumes->currentItem();
      if (!item || !item->isSelected()) return;
      std::vector<PropItem> rows;
      fVolumeInfo2InfoData(*fVolumeInfo(ui::itemTag(item).toInt()), rows);
      propRows_ = std::move(rows);
      propCaption_ = QStringLiteral("Volume-Eigenschaften");
    }
    Timer1.start();
  });
}

void frmFind::Timer1_Timer() {
  Timer1.stop();
  Command(QStringLiteral("Timer1"), [this] { OpenProperties(propCaption_, propRows_, this); });
}

void frmFind::kLV_Output_Click() {
  Command(QStringLiteral("Output"), [this] {
    QString text;
    {
      ui::HourglassScope pointer;
      if (TabOne1->currentIndex() == 0) {
        FindResultModel* results = Results();
        results->flush();
        text = FindOutputText(results->count(), [results](int r, int c) { return results->text(r, c); });
      } else {
        text = FindOutputText(LVVolumes->topLevelItemCount(),
                              [this](int r, int c) { return LVVolumes->topLevelItem(r)->text(c); });
      }
    }
    frmEditor editor(this);
    editor.Init(text, QStringLiteral("Ausgabe"), 0);
    editor.exec();
  });
}

void frmFind::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(
      kSource, procedure, command, [this] { searchCancelRequested_ = true; }, this);
}
