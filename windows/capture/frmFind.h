#pragma once

// The search window: file and folder names across the catalogue or one volume (tab
// "Dateien/Ordner"), volumes by id, storage location or name (tab "Volumes"); a hit is shown in
// the main window, its properties opened, or the list written out as text.
//
// The main window creates it per use, shows it with exec() and deletes it; while it is open the
// main window's tree reports node clicks at once.

#include "catalogue/PropItem.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

class FindResultModel;
class FindResultView;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTreeWidget;
struct FindHit;
class pFinder;

// The list as aligned text: the three texts of each row filled up with blanks to the widest of
// their column (in characters) and joined by one TAB, the rows joined by CR LF with none after
// the last.
QString FindOutputText(int rows, const std::function<QString(int row, int column)>& text);

class frmFind : public QDialog {
  Q_OBJECT

 public:
  explicit frmFind(QWidget* parent = nullptr);
  ~frmFind() override;

  QTabWidget* TabOne1;
  QLineEdit* txtFileFind;
  QComboBox* cmbSource;
  QCheckBox* chkFileWhole;
  QPushButton* cmdFileFind;
  FindResultView* LVFiles;
  QLabel* lblCount;
  QComboBox* cmbVolID;
  QLabel* lblVolLoc;
  QComboBox* cmbVolLoc;
  QLineEdit* txtVolName;
  QPushButton* cmdVolNameFilter;
  QTreeWidget* LVVolumes;
  QMenu* kLV;
  QAction* kLV_Select;
  QAction* kLV_Properties;
  QAction* kLV_Output;
  QTimer Timer1;

  FindResultModel* Results() const;
  // Kind of the hits listed last: 1 folders, 0 files.
  int chkFolderSearch() const { return chkFolderSearch_; }
  bool SearchCancelRequested() const { return searchCancelRequested_; }

  // Rows per slice of the catalogue a search scans between two looks at the message loop;
  // 0 (the default) sizes the slices by the time they take.
  void setSliceRows(int rows) { sliceRows_ = rows; }
  // Called whenever a running search looks at the message loop (after each slice scanned, and
  // before every tenth hit listed, with the number listed), just before it reads the cancel
  // request.
  std::function<void(int64_t listed)> onPoll;

  void cmdFileFind_Click();
  void Filter(int32_t VID, int32_t LocID, const QString& NamePart);
  void FileSelect();
  void VolumeSelect();
  void kLV_Select_Click();
  void kLV_Properties_Click();
  void kLV_Output_Click();
  // The caption and rows the properties command keeps for Timer1.
  const QString& PropCaption() const { return propCaption_; }
  const std::vector<PropItem>& PropRows() const { return propRows_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildFilesPage();
  QWidget* BuildVolumesPage();
  void Form_Load();
  void Form_Activate();
  void TabOne1_Switch(int tab);
  void SetStatusText(const QString& text);
  void SettleLayout();
  void A_FileSourceComboFill();
  void FillLocations();
  void FillVolumes();
  // The search proper; false when it was cancelled.
  bool RunSearch(pFinder& finder, bool folders);
  void AddHit(pFinder& finder, const FindHit& hit, std::string_view name);
  // Pumps the message loop and, when a cancel was asked for, asks whether to stop; true to stop.
  bool CancelConfirmed(int64_t listed);
  void LVFiles_ColumnClick(int column);
  void LVVolumes_ColumnClick(int column);
  void LVFiles_MouseUp();
  void LVVolumes_MouseUp();
  void Timer1_Timer();
  void FitResultColumns();
  // Runs a command of this window (RunCommand): Esc or a close request asks a search to stop.
  void Command(const QString& procedure, const std::function<void()>& command);

  int chkFolderSearch_ = 0;
  bool searchCancelRequested_ = false;
  int sliceRows_;
  QString propCaption_;
  std::vector<PropItem> propRows_;
};
