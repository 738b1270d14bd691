#pragma once

// The program's main window: menus, toolbar, status bar, the catalogue tree beside the three
// detail panes, the two states (no catalogue / a catalogue open) and the commands that open,
// create and close catalogues.

#include "catalogue/MainWindowServices.h"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>

class CategoryPane;
class FolderPane;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QTreeWidgetItem;
class Tree;
class VolumePane;
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

  // Opens the catalogue without dialog; neither the recent list nor LastDB/LastDir change.
  void pubDBOpen(const QString& Path) override;
  void pubStatus(const QString& text) override;
  // Selects the volume's node, scrolls it into view and expands it; raises when there is none.
  void pubVolumeSelect(int32_t VID) override;
  void SetStatusPanel1(const QString& text) override;
  void pubRefreshFonts();

  cuRecentFiles* RecentFiles() const { return m_RFL.get(); }
  // The panes at work: selection, information lists, editing (ShowPath, CathInfo, ...).
  frmMainDetail* Detail() const { return detail_.get(); }

  // Set by Esc anywhere in the window; the expand-all command clears and reads it.
  bool Cancel() const { return m_Cancel; }
  void setCancel(bool value) { m_Cancel = value; }

  // Toolbar button by key ("DBNew", "DBOpen", "Find", "Run"); acts only when it is visible
  // and enabled.
  void TB_ButtonClick(const QString& key);

  // A command of the window, or the tree's reading of a volume's folders, is running and lets
  // input through: other catalogue commands are refused and a close waits for its end.
  bool Busy() const;

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
  void BuildMenus();
  void BuildToolbar();
  void BuildClientArea();
  QAction* NewItem(QMenu* menu, const char* name, const QString& caption);
  // Enables a command of the menus when on, unless its window is still to come.
  void EnableCommand(const char* name, bool on);

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
  void LoadData();
  void WriteGUID();
  bool IsOpenCatalogue(const QString& path) const;

  void mMainFile_Quit_Click();
  void mMainView_Refresh_Click();
  void mMainView_Info_Click();
  void mMainHelp_Help_Click();
  void mMainHelp_Web_Click();

  // Counts a running command for its lifetime; a close that came meanwhile runs at its end.
  class Running {
   public:
    explicit Running(frmMain& w);
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

   private:
    frmMain& w_;
  };
  void ClosePending();

  QStackedWidget* client_ = nullptr;
  int running_ = 0;
  bool closePending_ = false;
  std::unique_ptr<cuRecentFiles> m_RFL;
  std::unique_ptr<frmMainDetail> detail_;
  bool unloading_ = false;
  bool m_Cancel = false;
};
