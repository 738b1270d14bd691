#pragma once

// The right-hand side of the main window at work: the pane of the node the tree reports
// (category, volume, or folder with its file list), the information lists with their cache of
// computed totals, and the editing of categories and volumes in their panes (names,
// descriptions, memo, location, category icons, relocating a volume).
//
// The main window owns one and calls NodeClick from the tree's click; the View menu's
// information entries, the panes' controls and the file list are connected here.

#include "catalogue/pCatInfo.h"
#include "catalogue/pInfoColl.h"
#include "catalogue/pPathInfo.h"
#include "catalogue/pVolumeInfo.h"
#include "foundation/widgets/RecordBinder.h"
#include "mainwindow/FileTypeIcons.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QTreeWidget;
class QTreeWidgetItem;
class frmMain;

class frmMainDetail : public QObject {
  Q_OBJECT

 public:
  explicit frmMainDetail(frmMain& window);
  ~frmMainDetail() override;

  // --- Node selection and the panes ---

  // The tree reported a click on another node: its pane shows, filled from the catalogue.
  void NodeClick(QTreeWidgetItem* Node);
  // nullptr: the tree's selected node.
  void ShowCat(QTreeWidgetItem* Node = nullptr);
  void ShowVolume(QTreeWidgetItem* Node = nullptr);
  // The file list of a folder node (also after the icon mode changed).
  void ShowPath(QTreeWidgetItem* Node = nullptr);
  // The image key of a file name under the option IconMode.
  QString FileIconKey(const QString& FileName);
  FileTypeIcons& FileIcons() { return fileIcons_; }
  // Whether the shown pane offers to open a file (a filled file list, a clicked file row); the
  // toolbar's "Run" follows it.
  bool RunOffered() const { return runOffered_; }
  // The view after the last node has gone: no pane, no search.
  void FindEnableUpdate();

  // --- Information lists and their cache ---

  void CatProperties(int32_t CID);
  void VolumeProperties(int32_t VID);
  void FolderProperties(int32_t PID);
  static void CatInfo2ListView(const pCatInfo& info, QTreeWidget* list);
  static void VolumeInfo2ListView(const pVolumeInfo& info, QTreeWidget* list);
  static void PathInfo2ListView(const pPathInfo& info, QTreeWidget* list);
  // The records behind the lists and the Info commands (CathInfo and its kin of catalogue/mdlInfo).
  pInfoColl& InfoCache() { return *cache_; }
  // A new, empty cache (after a catalogue was opened or the view refreshed).
  void NewInfoCache();

  // --- Editing in the panes ---

  RecordBinder& datCat() { return datCat_; }
  RecordBinder& datVol() { return datVol_; }
  // Runs the check of the focused pane field as if the focus had left it, so that nothing the
  // user typed is lost when the pane changes or the window closes.
  void CommitPending();
  void CatIconEdit_Click();
  void CatIconDelete_Click();
  void cmdVolumeBrowse_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Selection.
  QAction* menuItem(const char* name) const;
  bool checked(const char* name) const;
  void enableRun(bool on);
  void LVFiles_ColumnClick(int column);
  void sortFiles();
  // Runs a command of the panes (RunCommand), in the main window's name.
  void Command(const QString& procedure, const std::function<void()>& command);

  // Information.
  void refreshInfo(int32_t message, const char* procedure, const std::function<void()>& fill);
  void ViewInfo_Click(int kind);

  // Editing.
  void bindPanes();
  void Name_Validate(RecordBinder& binder, BoundField& name, bool& Cancel, const char* procedure);
  void Record_Validate(RecordBinder& binder, bool& Save, bool category);
  void Text_Validate(RecordBinder& binder, const char* procedure);
  void VolumeLocID_Validate();
  void validateFocusLeft(QWidget* widget, bool& Cancel);
  void updateRelocatedNodes(int32_t VID, const QString& path, int32_t type);
  void showVolumeFacts();

  frmMain& w_;
  std::unique_ptr<pInfoColl> cache_;
  FileTypeIcons fileIcons_;
  int sortColumn_ = 0;
  bool runOffered_ = false;

  RecordBinder datCat_;
  RecordBinder datVol_;
  BoundField* catName_ = nullptr;
  BoundField* catDescription_ = nullptr;
  BoundField* volumeName_ = nullptr;
  BoundField* volumeDescription_ = nullptr;
  BoundField* volumeMemo_ = nullptr;
  BoundField* volumeLocIDHidden_ = nullptr;
  // The combo's own changed flag: the user chose another location.
  bool locChanged_ = false;
  // The name was refused (message 150): a change of record drops the edit instead of
  // writing the "???" put in its place.
  bool catRefused_ = false;
  bool volRefused_ = false;
  // The node whose text follows a name once it is written.
  QString pendingNodeKey_;
  QString pendingNodeText_;
};
