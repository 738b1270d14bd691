// The main window's frame: its menus, toolbar and status bar. Each command is kept as a member
// named as the menu item; its object name is the same, for the tests and the position store.

#include "mainwindow/frmMain.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

QAction* frmMain::NewItem(QMenu* menu, const char* name, const QString& caption) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

void frmMain::BuildMenus() {
  mMainFile = menuBar()->addMenu(QStringLiteral("&Datei"));
  mMainFile->setObjectName(QStringLiteral("mMainFile"));
  mMainFile_New = NewItem(mMainFile, "mMainFile_New", QStringLiteral("Neue Datenbank anlegen"));
  connect(mMainFile_New, &QAction::triggered, this, &frmMain::DBNew);
  mMainFile->addSeparator();
  mMainFile_DB = NewItem(mMainFile, "mMainFile_DB", QStringLiteral("Datenbank öffnen"));
  connect(mMainFile_DB, &QAction::triggered, this, &frmMain::DBOpenWithDialog);
  mMainFile_DBClose = NewItem(mMainFile, "mMainFile_DBClose", QStringLiteral("Datenbank schließen"));
  connect(mMainFile_DBClose, &QAction::triggered, this, &frmMain::mMainFile_DBClose_Click);
  mMainFile->addSeparator();
  mMainFile_DBImport = NewItem(mMainFile, "mMainFile_DBImport", QStringLiteral("Importieren ..."));
  // Element 0 of the recent entries: a separator, hidden while the list is empty.
  mMainFile_Recent0 = mMainFile->addSeparator();
  mMainFile_Recent0->setObjectName(QStringLiteral("mMainFile_Recent0"));
  mMainFile_Recent0->setVisible(false);
  QAction* beforeQuit = mMainFile->addSeparator();
  beforeQuit->setObjectName(QStringLiteral("mMainFile_QuitSeparator"));
  mMainFile_Quit = NewItem(mMainFile, "mMainFile_Quit", QStringLiteral("&Programm beenden"));
  connect(mMainFile_Quit, &QAction::triggered, this, &frmMain::mMainFile_Quit_Click);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
  edit->setObjectName(QStringLiteral("mMainEdit"));
  mMainEdit_Locations = NewItem(edit, "mMainEdit_Locations", QStringLiteral("&Lagerorte"));
  mMainEdit_SystemIcons = NewItem(edit, "mMainEdit_SystemIcons", QStringLiteral("&System-Icons"));
  connect(mMainEdit_SystemIcons, &QAction::triggered, this, &frmMain::mMainEdit_SystemIcons_Click);
  edit->addSeparator();
  mMainEdit_Find = NewItem(edit, "mMainEdit_Find", QStringLiteral("&Suchen"));
  connect(mMainEdit_Find, &QAction::triggered, this, &frmMain::Find);

  QMenu* view = menuBar()->addMenu(QStringLiteral("&Ansicht"));
  view->setObjectName(QStringLiteral("mMainView"));
  mMainView_CategoryInfo = NewItem(view, "mMainView_CategoryInfo", QStringLiteral("&Kategorie-Informationen"));
  mMainView_FolderInfo = NewItem(view, "mMainView_FolderInfo", QStringLiteral("&Ordner-Informationen"));
  mMainView_VolumeInfo = NewItem(view, "mMainView_VolumeInfo", QStringLiteral("&Volume-Informationen"));
  for (QAction* a : {mMainView_CategoryInfo, mMainView_FolderInfo, mMainView_VolumeInfo}) {
    a->setCheckable(true);
    connect(a, &QAction::toggled, this, &frmMain::mMainView_Info_Click);
  }
  view->addSeparator();
  mMainView_Refresh = NewItem(view, "mMainView_Refresh", QStringLiteral("&Aktualisieren"));
  connect(mMainView_Refresh, &QAction::triggered, this, &frmMain::mMainView_Refresh_Click);

  QMenu* extras = menuBar()->addMenu(QStringLiteral("&Extras"));
  extras->setObjectName(QStringLiteral("mMainExtras"));
  mMainExtras_DBUpdate = NewItem(extras, "mMainExtras_DBUpdate", QStringLiteral("Datenbank-Update"));
  mMainExtras_DBUpdate->setVisible(false);
  mMainExtras_DBInfo = NewItem(extras, "mMainExtras_DBInfo", QStringLiteral("Datenbank-Info"));
  extras->addSeparator();
  mMainExtras_Compress = NewItem(extras, "mMainExtras_Compress", QStringLiteral("Datenbank &komprimieren"));
  extras->addSeparator();
  mMainExtras_Options = NewItem(extras, "mMainExtras_Options", QStringLiteral("&Optionen"));

  QMenu* help = menuBar()->addMenu(QStringLiteral("&?"));
  help->setObjectName(QStringLiteral("mMainHelp"));
  mMainHelp_Help = NewItem(help, "mMainHelp_Help", QStringLiteral("&Hilfe"));
  connect(mMainHelp_Help, &QAction::triggered, this, &frmMain::mMainHelp_Help_Click);
  help->addSeparator();
  mMainHelp_Web = NewItem(help, "mMainHelp_Web", QStringLiteral("&Tolvarent im Web"));
  connect(mMainHelp_Web, &QAction::triggered, this, &frmMain::mMainHelp_Web_Click);
  help->addSeparator();
  mMainHelp_About = NewItem(help, "mMainHelp_About", QStringLiteral("Info"));

  ConnectToolCommands();
}

void frmMain::BuildToolbar() {
  TB = addToolBar(QStringLiteral("TB"));
  TB->setObjectName(QStringLiteral("TB"));
  TB->setMovable(false);
  TB->setFloatable(false);
  TB->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  TB->setContextMenuPolicy(Qt::PreventContextMenu);
  const auto button = [this](const char* key, const char* caption, const char* tip, QStyle::StandardPixmap icon) {
    QAction* a = TB->addAction(style()->standardIcon(icon), QString::fromUtf8(caption));
    a->setObjectName(QStringLiteral("TB_") + QString::fromLatin1(key));
    a->setToolTip(QString::fromUtf8(tip));
    a->setData(QString::fromLatin1(key));
    // The button shows its caption without the marker; Alt and the marked letter press it.
    a->setShortcut(QKeySequence::mnemonic(a->text()));
    connect(a, &QAction::triggered, this, [this, a] { TB_ButtonClick(a->data().toString()); });
    return a;
  };
  tbDBNew_ = button("DBNew", "&Neue DB", "Neue Datenbank anlegen", QStyle::SP_FileIcon);
  tbDBOpen_ = button("DBOpen", "DB &öffnen", "Datenbank öffnen", QStyle::SP_DialogOpenButton);
  TB->addSeparator();
  tbFind_ = button("Find", "&Suchen", "Datei(en)/Volumes suchen", QStyle::SP_FileDialogContentsView);
  TB->addSeparator();
  tbRun_ = button("Run", "Ausführen", "Gewählte Datei öffnen/ausführen", QStyle::SP_MediaPlay);
  tbRun_->setEnabled(false);
}

void frmMain::BuildStatusBar() {
  SBPanel1 = new QLabel(statusBar());
  SBPanel1->setObjectName(QStringLiteral("SBPanel1"));
  SBPanel1->setMinimumWidth(1);
  statusBar()->setObjectName(QStringLiteral("SB"));
  statusBar()->addWidget(SBPanel1, 1);
}
