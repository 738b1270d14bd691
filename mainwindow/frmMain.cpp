#include "mainwindow/frmMain.h"

#include "foundation/cuAppError.h"
#include "foundation/widgets/Help.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/widgets/FormRegistry.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "platform/ui/widgets/Twips.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

namespace {

const QString kTitle = QStringLiteral("Tolvarent Kerbolith");
constexpr int kHelpContextMain = 10;
// The tree's error for a key without a node.
constexpr int32_t kErrNodeNotFound = 35601;


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
  BuildClientArea();
  qApp->installEventFilter(this);
  ui::registerForm(this);
  Form_Load();
}

frmMain::~frmMain() { qApp->removeEventFilter(this); }

QAction* frmMain::NewItem(QMenu* menu, const char* name, const QString& caption) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

void frmMain::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
  file->setObjectName(QStringLiteral("mMainFile"));
  NewItem(file, "mMainFile_New", QStringLiteral("Neue Datenbank anlegen"));
  file->addSeparator();
  NewItem(file, "mMainFile_DB", QStringLiteral("Datenbank öffnen"));
  NewItem(file, "mMainFile_DBClose", QStringLiteral("Datenbank schließen"));
  file->addSeparator();
  NewItem(file, "mMainFile_DBImport", QStringLiteral("Importieren ..."));
  // Element 0 of the recent entries: a separator, hidden while the list is empty.
  QAction* recent0 = file->addSeparator();
  recent0->setObjectName(QStringLiteral("mMainFile_Recent0"));
  recent0->setVisible(false);
  QAction* beforeQuit = file->addSeparator();
  beforeQuit->setObjectName(QStringLiteral("mMainFile_QuitSeparator"));
  connect(NewItem(file, "mMainFile_Quit", QStringLiteral("&Programm beenden")), &QAction::triggered, this,
          &frmMain::mMainFile_Quit_Click);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
  edit->setObjectName(QStringLiteral("mMainEdit"));
  NewItem(edit, "mMainEdit_Locations", QStringLiteral("&Lagerorte"));
  NewItem(edit, "mMainEdit_SystemIcons", QStringLiteral("&System-Icons"));
  edit->addSeparator();
  NewItem(edit, "mMainEdit_Find", QStringLiteral("&Suchen"));

  QMenu* view = menuBar()->addMenu(QStringLiteral("&Ansicht"));
  view->setObjectName(QStringLiteral("mMainView"));
  for (auto [name, caption] : {std::pair{"mMainView_CategoryInfo", "&Kategorie-Informationen"},
                               std::pair{"mMainView_FolderInfo", "&Ordner-Informationen"},
                               std::pair{"mMainView_VolumeInfo", "&Volume-Informationen"}}) {
    QAction* a = NewItem(view, name, QString::fromUtf8(caption));
    a->setCheckable(true);
    connect(a, &QAction::toggled, this, &frmMain::mMainView_Info_Click);
  }
  view->addSeparator();
  connect(NewItem(view, "mMainView_Refresh", QStringLiteral("&Aktualisieren")), &QAction::triggered, this,
          &frmMain::mMainView_Refresh_Click);

  QMenu* extras = menuBar()->addMenu(QStringLiteral("&Extras"));
  extras->setObjectName(QStringLiteral("mMainExtras"));
  NewItem(extras, "mMainExtras_DBUpdate", QStringLiteral("Datenbank-Update"))->setVisible(false);
  NewItem(extras, "mMainExtras_DBInfo", QStringLiteral("Datenbank-Info"));
  extras->addSeparator();
  NewItem(extras, "mMainExtras_Compress", QStringLiteral("Datenbank &komprimieren"));
  extras->addSeparator();
  NewItem(extras, "mMainExtras_Options", QStringLiteral("&Optionen"));

  QMenu* help = menuBar()->addMenu(QStringLiteral("&?"));
  help->setObjectName(QStringLiteral("mMainHelp"));
  connect(NewItem(help, "mMainHelp_Help", QStringLiteral("&Hilfe")), &QAction::triggered, this,
          &frmMain::mMainHelp_Help_Click);
  help->addSeparator();
  NewItem(help, "mMainHelp_Web", QStringLiteral("&Tolvarent im Web"));
  help->addSeparator();
  NewItem(help, "mMainHelp_About", QStringLiteral("Info"));
}

void frmMain::BuildToolbar() {
  TB = addToolBar(QStringLiteral("TB"));
  TB->setObjectName(QStringLiteral("TB"));
  TB->setMovable(false);
  TB->setFloatable(false);
  TB->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  TB->setContextMenuPolicy(Qt::PreventContextMenu);
  struct Button {
    const char* key;
    const char* caption;
    const char* tip;
    QStyle::StandardPixmap icon;
  };
  const Button buttons[] = {
      {"DBNew", "Neue DB", "Neue Datenbank anlegen", QStyle::SP_FileIcon},
      {"DBOpen", "DB öffnen", "Datenbank öffnen", QStyle::SP_DialogOpenButton},
      {"Find", "Suchen", "Datei(en)/Volumes suchen", QStyle::SP_FileDialogContentsView},
      {"Run", "Ausführen", "Gewählte Datei öffnen/ausführen", QStyle::SP_MediaPlay},
  };
  int n = 0;
  for (const Button& b : buttons) {
    if (n == 2 || n == 3) TB->addSeparator();
    QAction* a = TB->addAction(style()->standardIcon(b.icon), QString::fromUtf8(b.caption));
    a->setObjectName(QStringLiteral("TB_") + QString::fromLatin1(b.key));
    a->setToolTip(QString::fromUtf8(b.tip));
    a->setData(QString::fromLatin1(b.key));
    connect(a, &QAction::triggered, this, [this, a] { TB_ButtonClick(a->data().toString()); });
    ++n;
  }
  findChild<QAction*>(QStringLiteral("TB_Run"))->setEnabled(false);
}

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
  Tree1 = new QTreeWidget(ElasticOne1);
  Tree1->setObjectName(QStringLiteral("Tree1"));
  Tree1->setHeaderHidden(true);
  Tree1->setProperty("HelpContextID", kHelpContextMain);

  // The three panes lie on top of each other in one cell; at most one is visible.
  auto* right = new QWidget(ElasticOne1);
  right->setObjectName(QStringLiteral("ElasticOne1Right"));
  auto* grid = new QGridLayout(right);
  grid->setContentsMargins(0, 0, 0, 0);
  picCategory = new CategoryPane(right);
  picVolume = new VolumePane(right);
  picFolder = new FolderPane(right);
  for (QWidget* pane : {static_cast<QWidget*>(picCategory), static_cast<QWidget*>(picVolume),
                        static_cast<QWidget*>(picFolder)}) {
    grid->addWidget(pane, 0, 0);
    pane->hide();
  }
  ElasticOne1->setStretchFactor(1, 1);
  client_->addWidget(ElasticOne1);
  connect(ElasticOne1, &QSplitter::splitterMoved, this, [this] { ElasticOne1_Resize(); });

  SBPanel1 = new QLabel(statusBar());
  SBPanel1->setObjectName(QStringLiteral("SBPanel1"));
  SBPanel1->setMinimumWidth(1);
  statusBar()->setObjectName(QStringLiteral("SB"));
  statusBar()->addWidget(SBPanel1, 1);
}

void frmMain::Form_Load() {
  try {
    // Background of the two states: button face with a catalogue, application workspace without.
    QPalette closed = lblNoDB->palette();
    closed.setColor(QPalette::Window, palette().color(QPalette::Dark));
    closed.setColor(QPalette::WindowText, palette().color(QPalette::BrightText));
    lblNoDB->setPalette(closed);
    FormEnable(false);
  } catch (...) {
    gErr->ErrMsg(QStringLiteral("frmMain"), QStringLiteral("Form_Load"));
  }
}

void frmMain::FormEnable(bool IsOpen) {
  try {
    // A focused detail field gives up the focus first, so its pending edit is validated while
    // the catalogue is still open.
    if (!IsOpen && Tree1->isVisible() && Tree1->topLevelItemCount() > 0) {
      QWidget* focus = QApplication::focusWidget();
      if (focus && isAncestorOf(focus) && focus != Tree1) focus->clearFocus();
    }
    client_->setCurrentWidget(IsOpen ? static_cast<QWidget*>(ElasticOne1) : static_cast<QWidget*>(lblNoDB));
    const QString caption = kTitle;
    if (!IsOpen) Tree1->clear();
    Tree1->setEnabled(IsOpen);
    for (const char* name : {"mMainEdit_Locations", "mMainEdit_SystemIcons", "mMainExtras_Compress",
                             "mMainFile_DBClose", "mMainExtras_DBInfo", "mMainFile_DBImport", "mMainView_Refresh"})
      findChild<QAction*>(QString::fromLatin1(name))->setEnabled(IsOpen);
    bool find = false;
    if (!IsOpen) {
      picFolder->hide();
      picCategory->hide();
      picVolume->hide();
      picVolume->VolumeLocID->clear();
    }
    findChild<QAction*>(QStringLiteral("mMainEdit_Find"))->setEnabled(find);
    findChild<QAction*>(QStringLiteral("TB_Find"))->setEnabled(find);
    setWindowTitle(caption);
    ui::pumpMessages();
    ui::pumpMessages();
  } catch (...) {
    gErr->ErrRaise(0, QStringLiteral("frmMain"), QStringLiteral("FormEnable"));
  }
}

void frmMain::TB_ButtonClick(const QString& key) {
  QAction* button = nullptr;
  for (QAction* a : TB->actions())
    if (a->data().toString().compare(key, Qt::CaseInsensitive) == 0) button = a;
  if (!button || !button->isVisible() || !button->isEnabled()) return;
  try {
    const QString k = button->data().toString();
    if (k == QLatin1String("DBOpen")) findChild<QAction*>(QStringLiteral("mMainFile_DB"))->trigger();
    else if (k == QLatin1String("DBNew")) findChild<QAction*>(QStringLiteral("mMainFile_New"))->trigger();
    else if (k == QLatin1String("Find")) findChild<QAction*>(QStringLiteral("mMainEdit_Find"))->trigger();
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
  const int stored = 0;
  const int pos = MainSplitterPosition(stored, ui::pixelsToTwipsX(frameGeometry().width()), ui::pixelsToTwipsX(client_->width()));
  const int total = ElasticOne1->width() - ElasticOne1->handleWidth();
  const int left = std::clamp(ui::twipsToPixelsX(pos), 0, std::max(0, total));
  ElasticOne1->setSizes({left, total - left});
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (!isMinimized()) ElasticOne1_Resize();
}

void frmMain::ElasticOne1_Resize() {
  picCategory->setInfoVisible(findChild<QAction*>(QStringLiteral("mMainView_CategoryInfo"))->isChecked());
  picVolume->setInfoVisible(findChild<QAction*>(QStringLiteral("mMainView_VolumeInfo"))->isChecked());
  picFolder->setInfoVisible(findChild<QAction*>(QStringLiteral("mMainView_FolderInfo"))->isChecked());
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
    QTreeWidgetItem* node = ui::findItemByKey(Tree1, QStringLiteral("V") + QString::number(VID));
    if (!node) throw rt::RaisedError(kErrNodeNotFound, QStringLiteral("Tree"), QStringLiteral("Element nicht gefunden."));
    Tree1->setCurrentItem(node);
    Tree1->scrollToItem(node);
    node->setExpanded(true);
  } catch (...) {
    gErr->ErrRaise(0, QStringLiteral("frmMain"), QStringLiteral("VolumeSelect"));
  }
}

void frmMain::mMainHelp_Help_Click() {
  try {
    Help().HTMLHelpOpen(this, rt::App::helpFile());
  } catch (...) {
    // Help that cannot be shown is not worth an error box here.
  }
}

void frmMain::mMainFile_Quit_Click() { close(); }

void frmMain::mMainView_Refresh_Click() {}

void frmMain::mMainView_Info_Click() { ElasticOne1_Resize(); }
