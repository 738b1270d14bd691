#pragma once

// The program's main window: menus, toolbar, status bar, the catalogue tree beside the three
// detail panes, the two states (no catalogue / a catalogue open) and the commands that open,
// create and close catalogues.

#include "catalogue/MainWindowServices.h"
#include "mainwindow/StructureCommands.h"

#include <QFont>
#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CategoryPane;
class FolderPane;
class PendingProperties;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QTreeWidgetItem;
class Tree;
class VolumePane;
class pInfoColl;
class cuRecentFiles;
class frmMainDetail;

// Where the splitter goes on activation, all in twips: the stored position when it lies
// strictly between 1000 and the outer width - 1000, else a third of the client width.
int MainSplitterPosition(int storedTwips, int outerWidthTwips, int clientWidthTwips);

class frmMain : public QMainWindow, public MainWindowServices {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // Opens the catalogue without dialog (start-up); neither the recent list nor LastDB/LastDir
  // change. A command of the window: it does not start while another command runs.
  void pubDBOpen(const QString& Path) override;
  void pubStatus(const QString& text) override;
  // Selects the volume's node, scrolls it into view and expands it; raises when there is none.
  void pubVolumeSelect(int32_t VID) override;
  void SetStatusPanel1(const QString& text) override;
  void pubRefreshFonts() override;
  bool FolderPaneShowsFolder() const override;
  void ShowPath() override;
  // frmMainFind.cpp: a hit of the search window shown in the tree and the file list.
  bool pubFolderSelect(int32_t vid, int32_t pid) override;
  void pubFileListSelect(int32_t fid) override;

  // The listing of the tree's selected volume (from its root folder) or folder in the text
  // window; WithSubfolders adds every folder below it.
  void CmdOutput(bool WithSubfolders);
  // Collapses every node and selects the first top-level node.
  void kTV_Category_Nodes_Close_Click();
  // Expands every category and volume (loading the volumes' folders) and reselects the node
  // that was selected; Esc stops it at the next tenth node.
  void kTV_Category_Nodes_Open_Click();

  cuRecentFiles* RecentFiles() const { return m_RFL.get(); }
  // The panes at work: selection, information lists, editing (ShowPath, CathInfo, ...).
  frmMainDetail* Detail() const { return detail_.get(); }

  // The font the window measures its texts in (the status texts it shortens, the date column):
  // the tree font. No control of the window takes it.
  const QFont& TextFont() const { return textFont_; }

  // Set by Esc anywhere in the window; the expand-all command clears and reads it.
  bool Cancel() const { return m_Cancel; }
  void setCancel(bool value) { m_Cancel = value; }

  // Toolbar button by key ("DBNew", "DBOpen", "Find", "Run"); acts only when it is visible
  // and enabled.
  void TB_ButtonClick(const QString& key);

  // Controls reached by the other parts of the window.
  Tree* Tree1 = nullptr;
  QSplitter* ElasticOne1 = nullptr;
  CategoryPane* picCategory = nullptr;
  VolumePane* picVolume = nullptr;
  FolderPane* picFolder = nullptr;
  QLabel* lblNoDB = nullptr;
  QLabel* SBPanel1 = nullptr;
  QToolBar* TB = nullptr;

 protected:
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // The toolbar is part of the frame: no menu offers to hide it.
  QMenu* createPopupMenu() override { return nullptr; }

 private:
  // frmMainFrame.cpp: the menus, the toolbar and the status bar.
  void BuildMenus();
  void BuildToolbar();
  void BuildStatusBar();
  QAction* NewItem(QMenu* menu, const char* name, const QString& caption);

  void BuildClientArea();

  void Form_Load();
  void Form_Activate();
  void ElasticOne1_Resize();
  void FormEnable(bool IsOpen);

  // The tree's events.
  void Tree1_NodeClick(QTreeWidgetItem* Node);
  void Tree1_VolumeFill(const QString& Name, bool Done);

  void ApplyFonts();
  void Form_Unload();

  // Opening, creating and closing catalogues.
  void DBOpenWithDialog();
  void DBNew();
  void mMainFile_Recent_Click(int Index);
  void mMainFile_DBClose_Click();
  // Shows the catalogue at path (DBOpen with exclusive, then LoadData; prepare runs on the
  // opened catalogue before it is shown). False when DBOpen declined it. An opening that fails
  // leaves no catalogue open, so no file stays locked behind a window that shows none. The
  // caller has closed the view (FormEnable(false)).
  bool OpenCatalogue(const QString& path, int exclusive, const std::function<void()>& prepare = {});
  // OpenCatalogue, then the catalogue becomes the newest entry of the recent list (written
  // through) and LastDB: the Open dialog, the recent entries and File New.
  bool OpenAndRemember(const QString& path, int exclusive, const std::function<void()>& prepare = {});
  void LoadData();
  void WriteGUID();
  bool IsOpenCatalogue(const QString& path) const;

  void mMainFile_Quit_Click();
  void mMainView_Refresh_Click();
  void mMainEdit_SystemIcons_Click();
  void mMainView_Info_Click();
  void mMainHelp_Help_Click();
  void mMainHelp_Web_Click();
  // frmMainFind.cpp: the search window, modal; the tree reports node clicks at once meanwhile.
  void Find();

  // frmMainTools.cpp: the catalogue tools of the Edit, Extras, File and Help menus.
  void ConnectToolCommands();
  void mMainEdit_Locations_Click();
  void mMainExtras_DBInfo_Click();
  void mMainExtras_Compress_Click();
  void mMainExtras_DBUpdate_Click();
  void mMainExtras_Options_Click();
  void mMainFile_DBImport_Click();
  void mMainHelp_About_Click();

  // Runs a command of this window (RunCommand): Esc or a close request sets m_Cancel.
  void Command(const QString& procedure, const std::function<void()>& command);

  // The menus' commands (each object name is its member's name) and the toolbar's buttons
  // (object names "TB_" & key).
  QMenu* mMainFile = nullptr;
  QAction* mMainFile_New = nullptr;
  QAction* mMainFile_DB = nullptr;
  QAction* mMainFile_DBClose = nullptr;
  QAction* mMainFile_DBImport = nullptr;
  QAction* mMainFile_Recent0 = nullptr;
  QAction* mMainFile_Quit = nullptr;
  QAction* mMainEdit_Locations = nullptr;
  QAction* mMainEdit_SystemIcons = nullptr;
  QAction* mMainEdit_Find = nullptr;
  QAction* mMainView_CategoryInfo = nullptr;
  QAction* mMainView_FolderInfo = nullptr;
  QAction* mMainView_VolumeInfo = nullptr;
  QAction* mMainView_Refresh = nullptr;
  QAction* mMainExtras_DBUpdate = nullptr;
  QAction* mMainExtras_DBInfo = nullptr;
  QAction* mMainExtras_Compress = nullptr;
  QAction* mMainExtras_Options = nullptr;
  QAction* mMainHelp_Help = nullptr;
  QAction* mMainHelp_Web = nullptr;
  QAction* mMainHelp_About = nullptr;
  QAction* tbDBNew_ = nullptr;
  QAction* tbDBOpen_ = nullptr;
  QAction* tbFind_ = nullptr;
  QAction* tbRun_ = nullptr;

  // frmMainMenus.cpp: the context menus of the tree, the file list and the information lists,
  // and their commands.
  void BuildContextMenus();
  void ShowPopup(QMenu* menu);
  void Tree1_MenuCategory();
  void Tree1_MenuVolume();
  void Tree1_MenuEmptyDB();
  void PopupMenuFolder(int16_t Mode);
  void kTV_Category_NewVolume_Click();
  void kTV_Volume_New_Click();
  void NewCat_Click();
  void kTV_Category_Delete_Click();
  void kTV_Volume_Delete_Click();
  void Memo_Click(const QString& Name);
  void kLV_Folder_Desc_Click();
  void kLV_Folder_Execute_Click();
  void FileProperties_Click();
  void kLVInfo_Clipboard_Click();
  void NodeProperties_Click(int kind);

  QMenu* kTV_Category = nullptr;
  QAction* kTV_Category_NewVolume = nullptr;
  QAction* kTV_Category_NewCat = nullptr;
  QAction* kTV_Category_Delete = nullptr;
  QAction* kTV_Category_Properties = nullptr;
  QMenu* kTV_Category_Nodes = nullptr;
  QAction* kTV_Category_Nodes_Open = nullptr;
  QAction* kTV_Category_Nodes_Close = nullptr;
  QMenu* kTV_Volume = nullptr;
  QAction* kTV_Volume_NewCat = nullptr;
  QAction* kTV_Volume_Bar0 = nullptr;
  QAction* kTV_Volume_New = nullptr;
  QAction* kTV_Volume_Delete = nullptr;
  QAction* kTV_Volume_Bar1 = nullptr;
  QAction* kTV_Volume_Output = nullptr;
  QAction* kTV_Volume_Properties = nullptr;
  QMenu* kTV_Folder = nullptr;
  QAction* kTV_Folder_Memo = nullptr;
  QAction* kTV_Folder_Output = nullptr;
  QAction* kTV_Folder_Properties = nullptr;
  QMenu* kLV_Folder = nullptr;
  QMenu* kLV_Folder_Folder = nullptr;
  QAction* kLV_Folder_Folder_Memo = nullptr;
  QAction* kLV_Folder_Folder_Output = nullptr;
  QAction* kLV_Folder_Folder_Properties = nullptr;
  QAction* kLV_Folder_Desc = nullptr;
  QAction* kLV_Folder_FileProperties = nullptr;
  QAction* kLV_Folder_CopyLine = nullptr;
  QAction* kLV_Folder_Execute = nullptr;
  QMenu* kLVInfo = nullptr;
  QAction* kLVInfo_Clipboard = nullptr;
  // The Info commands leave their rows here; its one-shot Timer1 opens the window.
  PendingProperties* pending_ = nullptr;

  // What the category and volume commands need of the window.
  class StructureHost : public StructureCommandsHost {
   public:
    explicit StructureHost(frmMain& window) : w_(window) {}
    QWidget* Window() override;
    Tree* TreeControl() override;
    pInfoColl* InfoCache() override;
    void FormEnable(bool isOpen) override;
    void FindEnableUpdate() override;
    void EmptyAfterVolumeDelete() override;

   private:
    frmMain& w_;
  };
  StructureHost structureHost_{*this};
  StructureCommands structure_{structureHost_};

  QStackedWidget* client_ = nullptr;
  std::unique_ptr<cuRecentFiles> m_RFL;
  std::unique_ptr<frmMainDetail> detail_;
  QFont textFont_;
  bool unloading_ = false;
  bool m_Cancel = false;
};
