#include "mainwindow/frmMain.h"

#include "catalogue/TableVersion.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "catalogue/widgets/mdlGlobals_main.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/FileDialog.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/cuFormPos.h"
#include "foundation/widgets/cuRecentFiles.h"
#include "mainwindow/DBOpenDialog.h"
#include "mainwindow/frmMainDetail.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/jet/Engine.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/Twips.h"
#include "platform/ui/widgets/FormRegistry.h"
#include "windows/maintenance/frmSystemIcons.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>

namespace {

const QString kTitle = rt::App::title();
constexpr int kHelpContextMain = 10;
const QString kSource = QStringLiteral("frmMain");
const QString kProgramKey = rt::App::registryKey();
constexpr int kRecentMax = 8;

}  // namespace

int MainSplitterPosition(int storedTwips, int outerWidthTwips, int clientWidthTwips) {
  if (storedTwips > 1000 && storedTwips < outerWidthTwips - 1000) return storedTwips;
  return clientWidthTwips / 3;
}

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(kTitle);
  setProperty("HelpContextID", kHelpContextMain);
  resize(900, 640);
  BuildMenus();
  BuildToolbar();
  BuildStatusBar();
  BuildClientArea();
  detail_ = std::make_unique<frmMainDetail>(*this);
  BuildContextMenus();
  qApp->installEventFilter(this);
  // A close refused while a command runs (it still uses the catalogue and the globals) follows
  // when the command is done.
  ui::BusyScope::closeWhenIdle(this);
  ui::registerForm(this);
  Form_Load();
}

namespace {

QString RecentKey() { return AddTrailingChar(kProgramKey, QStringLiteral("\\")) + QStringLiteral("Recent"); }

}  // namespace

frmMain::~frmMain() { qApp->removeEventFilter(this); }

void frmMain::BuildClientArea() {
  client_ = new QStackedWidget(this);
  client_->setObjectName(QStringLiteral("client"));
  setCentralWidget(client_);

  lblNoDB = new QLabel(QStringLiteral("Es ist keine Datenbank geöffnet."), client_);
  lblNoDB->setObjectName(QStringLiteral("lblNoDB"));
  lblNoDB->setAlignment(Qt::AlignCenter);
  lblNoDB->setAutoFillBackground(true);
  client_->addWidget(lblNoDB);

  ElasticOne1 = new QSplitter(Qt::Horizontal, client_);
  ElasticOne1->setObjectName(QStringLiteral("ElasticOne1"));
  ElasticOne1->setChildrenCollapsible(false);
  Tree1 = new Tree(ElasticOne1);
  Tree1->setObjectName(QStringLiteral("Tree1"));
  connect(Tree1, &Tree::NodeClick, this, &frmMain::Tree1_NodeClick);
  connect(Tree1, &Tree::VolumeFill, this, &frmMain::Tree1_VolumeFill);

  // The three panes lie on top of each other in one cell; at most one is visible. A pane
  // that does not fit the window scrolls, rather than holding the window at its full height
  // (which grows with the font) or squashing its fields.
  auto* scroll = new QScrollArea(ElasticOne1);
  scroll->setObjectName(QStringLiteral("ElasticOne1Scroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  auto* right = new QWidget;
  right->setObjectName(QStringLiteral("ElasticOne1Right"));
  auto* grid = new QGridLayout(right);
  grid->setContentsMargins(0, 0, 0, 0);
  picCategory = new CategoryPane(right);
  picVolume = new VolumePane(right);
  picFolder = new FolderPane(right);
  for (QWidget* pane :
       {static_cast<QWidget*>(picCategory), static_cast<QWidget*>(picVolume), static_cast<QWidget*>(picFolder)}) {
    grid->addWidget(pane, 0, 0);
    pane->hide();
  }
  scroll->setWidget(right);
  ElasticOne1->setStretchFactor(1, 1);
  client_->addWidget(ElasticOne1);
  connect(ElasticOne1, &QSplitter::splitterMoved, this, [this] { ElasticOne1_Resize(); });
}

void frmMain::Form_Load() {
  try {
    SetFormFont(this);
    // Background of the two states: button face with a catalogue, application workspace without.
    QPalette closed = lblNoDB->palette();
    closed.setColor(QPalette::Window, palette().color(QPalette::Dark));
    closed.setColor(QPalette::WindowText, palette().color(QPalette::BrightText));
    lblNoDB->setPalette(closed);
    if (gFormPos) gFormPos->AddForm(this, QStringLiteral("MainForm"), 3);
    Tree1->setBorder(true);
    if (gOptions) Tree1->setDragDelay(gOptions->DragDelay());
    Tree1->TV()->setProperty("HelpContextID", kHelpContextMain);
    ApplyFonts();
    m_RFL = std::make_unique<cuRecentFiles>();
    m_RFL->setRegKey(RecentKey());
    m_RFL->setMaxEntries(kRecentMax);
    m_RFL->setMenu(mMainFile, mMainFile_Recent0);
    m_RFL->Refresh();
    connect(mMainFile, &QMenu::triggered, this, [this](QAction* a) {
      const int index = a->data().toInt();
      if (a->objectName().isEmpty() && index > 0) mMainFile_Recent_Click(index);
    });
    if (gOptions) {
      mMainView_FolderInfo->setChecked(gOptions->ViewFolderInfo());
      mMainView_CategoryInfo->setChecked(gOptions->ViewCategoryInfo());
      mMainView_VolumeInfo->setChecked(gOptions->ViewVolumeInfo());
    }
    FormEnable(false);
  } catch (...) {
    gErr->ErrMsg(QStringLiteral("frmMain"), QStringLiteral("Form_Load"));
  }
}

void frmMain::FormEnable(bool IsOpen) {
  try {
    // A focused detail field gives up the focus first, so its pending edit is validated while
    // the catalogue is still open.
    if (!IsOpen && Tree1->isVisible() && Tree1->TV()->topLevelItemCount() > 0) {
      QWidget* focus = QApplication::focusWidget();
      if (focus && isAncestorOf(focus) && !Tree1->isAncestorOf(focus)) focus->clearFocus();
    }
    client_->setCurrentWidget(IsOpen ? static_cast<QWidget*>(ElasticOne1) : static_cast<QWidget*>(lblNoDB));
    QString caption = kTitle;
    if (IsOpen && gDB) {
      caption += QStringLiteral(" [") + gDB->DBPath() + QStringLiteral("]");
      if (gDB->Exclusive()) caption += QStringLiteral(" [EXKLUSIV]");
    }
    if (!IsOpen) {
      Tree1->Clear();
      // The next catalogue may begin with the same key: its first node must still be
      // reported, or no pane would show.
      Tree1->setSelectedItem(nullptr);
      // The database goes away with the catalogue; the tree must not keep reading it.
      Tree1->setDatabase(nullptr);
    }
    Tree1->setEnabled(IsOpen);
    for (QAction* command : {mMainEdit_Locations, mMainEdit_SystemIcons, mMainExtras_Compress, mMainFile_DBClose,
                             mMainExtras_DBInfo, mMainFile_DBImport, mMainView_Refresh})
      command->setEnabled(IsOpen);
    const bool find = IsOpen && fVolumeCount() >= 1;
    if (!IsOpen) {
      picFolder->hide();
      picCategory->hide();
      picVolume->hide();
      picVolume->VolumeLocID->clear();
    }
    mMainEdit_Find->setEnabled(find);
    tbFind_->setEnabled(mMainEdit_Find->isEnabled());
    setWindowTitle(caption);
    ui::pumpMessages();
    ui::pumpMessages();
  } catch (...) {
    gErr->ErrReRaise(QStringLiteral("frmMain"), QStringLiteral("FormEnable"));
  }
}

void frmMain::TB_ButtonClick(const QString& key) {
  QAction* button = nullptr;
  for (QAction* a : TB->actions())
    if (a->data().toString().compare(key, Qt::CaseInsensitive) == 0) button = a;
  if (!button || !button->isVisible() || !button->isEnabled()) return;
  try {
    if (button == tbDBOpen_)
      mMainFile_DB->trigger();
    else if (button == tbDBNew_)
      mMainFile_New->trigger();
    else if (button == tbFind_)
      mMainEdit_Find->trigger();
    else if (button == tbRun_)
      kLV_Folder_Execute_Click();
  } catch (...) {
    gErr->ErrMsg(QStringLiteral("frmMain"), QStringLiteral("TB_ButtonClick"));
  }
}

void frmMain::pubStatus(const QString& text) {
  SBPanel1->setText(text);
  ui::pumpMessages();
}

void frmMain::SetStatusPanel1(const QString& text) { SBPanel1->setText(text); }

void frmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
  if (event->type() == QEvent::WindowStateChange && !isMinimized()) ElasticOne1_Resize();
}

void frmMain::Form_Activate() {
  const int stored = gOptions ? gOptions->MainformSplit() : 0;
  const int pos =
      MainSplitterPosition(stored, ui::pixelsToTwipsX(frameGeometry().width()), ui::pixelsToTwipsX(client_->width()));
  // While no catalogue is open the container is a hidden page whose size is stale: give it
  // the client area's size first, or the split would be taken from that stale width.
  if (client_->currentWidget() != ElasticOne1) ElasticOne1->resize(client_->size());
  const int total = ElasticOne1->width() - ElasticOne1->handleWidth();
  const int left = std::clamp(ui::twipsToPixelsX(pos), 0, std::max(0, total));
  ElasticOne1->setSizes({left, total - left});
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (!isMinimized()) ElasticOne1_Resize();
}

void frmMain::ElasticOne1_Resize() {
  if (gOptions && ElasticOne1->isVisible() && !ElasticOne1->sizes().isEmpty())
    gOptions->setMainformSplit(ui::pixelsToTwipsX(ElasticOne1->sizes().first()));
  picCategory->setInfoVisible(mMainView_CategoryInfo->isChecked());
  picVolume->setInfoVisible(mMainView_VolumeInfo->isChecked());
  picFolder->setInfoVisible(mMainView_FolderInfo->isChecked());
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  // Key preview: Esc anywhere in this window sets the flag; the key still reaches its control.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && w->window() == this) m_Cancel = true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmMain::pubVolumeSelect(int32_t VID) {
  try {
    Tree1->SelectItem(Tree::NodeKey(VID, Tree::kNodeVolume), true);
    // Expanding loads the volume's folders.
    if (QTreeWidgetItem* node = Tree1->SelectedItem()) node->setExpanded(true);
  } catch (...) {
    gErr->ErrReRaise(QStringLiteral("frmMain"), QStringLiteral("VolumeSelect"));
  }
}

void frmMain::mMainHelp_Help_Click() {
  Command(QStringLiteral("mMainHelp_Help_Click"), [this] {
    // A help that fails to open is passed over quietly, but a missing file is said: else the
    // command would do nothing at all.
    const QString file = rt::App::helpFile();
    if (!QFileInfo(file).isFile()) {
      gErr->MsgShow(0, ui::kCritical, file, rt::Null, QStringLiteral("Die Hilfedatei '##' ist nicht vorhanden."));
      return;
    }
    try {
      fHelpOpen(this, 0);
    } catch (...) {
      // Help that cannot be shown is not worth an error box here.
    }
  });
}

void frmMain::mMainHelp_Web_Click() {
  Command(QStringLiteral("mMainHelp_Web_Click"), [this] { GoWeb(this); });
}

// No command: a close request while a command runs means its cancel.
void frmMain::mMainFile_Quit_Click() { close(); }

void frmMain::mMainView_Refresh_Click() {
  Command(QStringLiteral("Refresh"), [this] { LoadData(); });
}

void frmMain::mMainEdit_SystemIcons_Click() {
  Command(QStringLiteral("SystemIcons"), [this] {
    frmSystemIcons window(this);
    window.exec();
    ui::pumpMessages();
    ui::pumpMessages();
    if (window.chkEdited() != 1) return;
    ui::HourglassScope hourglass;
    Tree1->X_ILIconsSystemRefresh();
  });
}

void frmMain::pubRefreshFonts() {
  try {
    ApplyFonts();
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("pubRefreshFonts"));
  }
}

void frmMain::ApplyFonts() {
  if (!gOptions) return;
  QFont tree = Tree1->TV()->font();
  tree.setFamily(gOptions->TreeFontname());
  tree.setPointSize(gOptions->TreeFontsize().toInt());
  Tree1->TV()->setFont(tree);
  // The window measures its texts in the tree font. Kept apart from the widget's own font,
  // which Qt would hand down to every control of the window.
  textFont_ = font();
  textFont_.setFamily(tree.family());
  textFont_.setPointSize(tree.pointSize());
  QFont list = picFolder->LVFiles->font();
  list.setFamily(gOptions->ListFontname());
  list.setPointSize(gOptions->ListFontsize().toInt());
  picFolder->LVFiles->setFont(list);
  picFolder->LVFiles->setColumnWidth(
      2, QFontMetrics(textFont_).horizontalAdvance(QStringLiteral(" 00.00.00 ")) + ui::twipsToPixelsX(100));
  QFont desc = picCategory->CatDescription->font();
  desc.setFamily(gOptions->CatDescFontname());
  desc.setPointSize(gOptions->CatDescFontsize().toInt());
  picCategory->CatDescription->setFont(desc);
}

void frmMain::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kSource, procedure, command, [this] { m_Cancel = true; });
}

void frmMain::closeEvent(QCloseEvent* event) {
  // The field being edited is written while the catalogue is still open.
  if (!unloading_) detail_->CommitPending();
  // While a command or the tree's loading runs, the busy scope refuses the close (it means
  // Cancel) and asks again once they are done: here nothing is running.
  QMainWindow::closeEvent(event);
  if (!unloading_) {
    unloading_ = true;
    Form_Unload();
  }
}

void frmMain::Form_Unload() {
  try {
    if (m_RFL) m_RFL->Terminate();
  } catch (...) {
    // The list is gone either way; shut-down goes on.
  }
  m_RFL.reset();
  // The database goes with the globals; the tree must not keep pointing at it.
  if (Tree1) Tree1->setDatabase(nullptr);
  // Shut down once this close has run through every handler of the window (the position
  // store watches it too).
  QMetaObject::invokeMethod(
      qApp, [] { AppShutdown(); }, Qt::QueuedConnection);
}

// --- Opening, creating and closing catalogues ---

bool frmMain::IsOpenCatalogue(const QString& path) const {
  // The same file under another spelling or through a link is the open catalogue too.
  return gDB && !gDB->DBPath().isEmpty() && cuDAODatabase::SameFile(path, gDB->DBPath());
}

void frmMain::pubDBOpen(const QString& Path) {
  Command(QStringLiteral("DBOpen"), [&] {
    FormEnable(false);
    OpenCatalogue(Path, -2);
  });
}

bool frmMain::OpenCatalogue(const QString& path, int exclusive, const std::function<void()>& prepare) {
  if (!DBOpen(path, exclusive)) return false;
  try {
    if (prepare) prepare();
    LoadData();
    return true;
  } catch (...) {
    // The view shows no catalogue, so none may stay open (and locked) behind it. The error that
    // got here is the one to report.
    try {
      FormEnable(false);
    } catch (...) {
    }
    gDB->setDBPath(QString());
    throw;
  }
}

bool frmMain::OpenAndRemember(const QString& path, int exclusive, const std::function<void()>& prepare) {
  if (!OpenCatalogue(path, exclusive, prepare)) return false;
  m_RFL->Add(path);
  gOptions->setLastDB(path);
  // The chooser reads the stored list while the program runs: keep it current.
  m_RFL->Save();
  return true;
}

void frmMain::DBOpenWithDialog() {
  Command(QStringLiteral("DBOpen"), [this] {
    QString path;
    bool exclusive = false;
    const int32_t choice = DBOpenDialog(this, path, exclusive);
    if (choice == 0) return;
    if (choice == 1) {
      const QString start =
          gOptions->InitDir(gDB->DBPath().isEmpty() ? QString() : GetFolderPart(gDB->DBPath(), true, false));
      path = FileDialog().GetOpenFileName(start, QString(), gErr->MsgLoad(kMsgSelectDatabase), CatalogueFileFilter(),
                                          this, 0);
      if (path.isEmpty()) return;
      ui::pumpMessages();
      ui::pumpMessages();
      if (IsOpenCatalogue(path)) {
        gErr->MsgShow(kMsgAlreadyOpen, ui::kInformation, path);
        return;
      }
    }
    gOptions->setLastDir(GetFolderPart(path, true, true));
    FormEnable(false);
    OpenAndRemember(path, exclusive ? -1 : 0);
  });
}

void frmMain::DBNew() {
  Command(QStringLiteral("DBNew"), [this] {
    const QString templ = TemplatePath();
    if (!FileExists(templ)) {
      gErr->MsgShow(kMsgTemplateNotFound, ui::kCritical, templ);
      return;
    }
    const QString path = FileDialog().GetSaveFileName(gOptions->InitDir(), rt::App::exeName() + QStringLiteral(".qvk"),
                                                      gErr->MsgLoad(kMsgNewFileName), CatalogueFileFilter(), this, 0);
    if (path.isEmpty()) return;
    if (IsOpenCatalogue(path)) {
      gErr->MsgShow(kMsgAlreadyOpen, ui::kInformation, path);
      return;
    }
    gOptions->setLastDir(GetFolderPart(path, true, true));

    // The copy takes the place of an existing file in one step, and never of one that another
    // opener holds: a failure leaves the open catalogue and the view as they are.
    jet::Engine::DBEngine().CopyDatabase(templ, path);
    FormEnable(false);
    OpenAndRemember(path, -2, [this] { WriteGUID(); });
  });
}

void frmMain::WriteGUID() {
  try {
    VersionGuidWrite(*gDB->DB(), NewGuidString());
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("WriteGUID"));
  }
}

void frmMain::mMainFile_Recent_Click(int Index) {
  Command(QStringLiteral("Recent_Click"), [this, Index] {
    const QString path = m_RFL->Item(Index).FullPath();
    if (IsOpenCatalogue(path)) {
      gErr->MsgShow(kMsgAlreadyOpen, ui::kInformation, path);
      return;
    }
    if (FileExists(path)) {
      gOptions->setLastDir(GetFolderPart(path, true, true));
      FormEnable(false);
      OpenAndRemember(path, -2);
    } else {
      gErr->MsgShow(kMsgDatabaseMissing, ui::kCritical, path);
      m_RFL->Remove(Index);
      m_RFL->Save();
    }
  });
}

void frmMain::mMainFile_DBClose_Click() {
  Command(QStringLiteral("DBClose"), [this] {
    FormEnable(false);
    gDB->setDBPath(QString());
  });
}

void frmMain::LoadData() {
  try {
    fLocFillCombo(picVolume->VolumeLocID);
    Tree1->setDatabase(gDB->DB().get());
    Tree1->Populate();
    FormEnable(true);
    detail_->NewInfoCache();
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("LoadData"));
  }
}

void frmMain::mMainView_Info_Click() { ElasticOne1_Resize(); }

// --- Node selection ---

void frmMain::Tree1_NodeClick(QTreeWidgetItem* Node) { detail_->NodeClick(Node); }

void frmMain::Tree1_VolumeFill(const QString& Name, bool Done) {
  try {
    pubStatus(Done ? QString() : gErr->MsgLoad(kMsgVolumeLoading, rt::Variant(Name)));
  } catch (...) {
    // The status text is only a hint.
  }
}
