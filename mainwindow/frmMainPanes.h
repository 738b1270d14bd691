#pragma once

// The three detail panes of the main window (category, volume, folder). They only hold their
// controls and lay them out; what they show is filled by the window's selection code.

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QTreeWidget;
class QVBoxLayout;
class ThumbNail;

// Gaps of the pane rules in twips: field to info list, below the list, below the field when
// the list is hidden.
inline constexpr int kInfoGapTwips = 200;
inline constexpr int kInfoBottomTwips = 100;
inline constexpr int kFieldBottomTwips = 150;

// A two-column information list ("Eigenschaft", "Wert").
QTreeWidget* NewInfoList(QWidget* parent, const QString& name);

// A field above an information list: the list shows or hides below it; the gaps (twips) are
// between field and list, below the list, and below the field while the list is hidden.
class InfoStack : public QWidget {
 public:
  InfoStack(QWidget* field, QTreeWidget* info, int gapTwips, int bottomTwips, int fieldBottomTwips, QWidget* parent);
  void setInfoVisible(bool visible);

 private:
  QVBoxLayout* layout_;
  QTreeWidget* info_;
  int gap_, bottom_, fieldBottom_;
};

class CategoryPane : public QWidget {
 public:
  explicit CategoryPane(QWidget* parent);
  void setInfoVisible(bool visible) { infoStack_->setInfoVisible(visible); }

  QGroupBox* fraCategory;  // index 0 of the frame array
  QLineEdit* CatName;
  QLabel* CatIcon;
  QLabel* lblCatIcon;
  QPushButton* CatIconEdit;
  QPushButton* CatIconDelete;
  QTextEdit* CatDescription;
  QTreeWidget* LVCategoryInfo;
  ThumbNail* CatThumbNail;  // renders a chosen icon file at the tree's image size; never shown

 private:
  InfoStack* infoStack_;
};

class VolumePane : public QWidget {
 public:
  explicit VolumePane(QWidget* parent);
  void setInfoVisible(bool visible) { infoStack_->setInfoVisible(visible); }

  QGroupBox* fraVolume[4];
  QLineEdit* VolumeName;
  QLineEdit* VID;
  QLabel* lblVID;
  QLineEdit* VolumeDescription;
  QLineEdit* VolumePath;
  QPushButton* cmdVolumeBrowse;
  QLineEdit* VolumeDate;
  QLineEdit* VolumeTypeString;
  QLineEdit* VolumeLabel;
  QLineEdit* VolumeSerial;
  QLineEdit* Computername;
  QComboBox* VolumeLocID;
  QTextEdit* VolumeMemo;
  QTreeWidget* LVVolumeInfo;

 private:
  InfoStack* infoStack_;
};

class FolderPane : public QWidget {
 public:
  explicit FolderPane(QWidget* parent);
  void setInfoVisible(bool visible) { infoStack_->setInfoVisible(visible); }

  QTreeWidget* LVFiles;
  QTreeWidget* LVFolderInfo;

 protected:
  // The name column takes what the other columns leave of the list's width.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  InfoStack* infoStack_;
};
