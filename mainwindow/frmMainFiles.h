#pragma once

// The main window's commands on folder memos, file descriptions, file-list rows and the Info
// windows. The window's menu handlers call these with what they take from the tree and the
// file list; each reports its own errors in one box with "frmMain" and its label as source.

#include "catalogue/PropItem.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <vector>

class QTreeWidget;
class QWidget;
class pInfoColl;

// Edits Text in a new text window (TextMode 0 plain, 1 rich text) captioned "Editor <Name>",
// modally over owner. True when the user changed the text and chose to save it (message 109);
// Text then holds the new text.
bool Editor(QWidget* owner, QString& Text, const QString& Name, int16_t TextMode);

// Edits the memo field of the folder as rich text and stores it (an empty memo as Null). True
// when it was stored; a folder that is not found is told (message 123).
bool PathShowEditor(QWidget* owner, int32_t PID, const QString& FieldName, const QString& Name);

// Edits the file's description as plain text under the file's name and stores it; one longer
// than the field takes is cut to it or not stored, as the user answers (message 153). True when
// stored; shown then holds what the file list shows for it ("-" for none).
bool FileDescEdit(QWidget* owner, int32_t FID, const QString& fileName, QString& shown);

// The selected row of the list as "header: text" lines onto the clipboard; nothing without a
// selected row.
void kLV_Folder_CopyLine_Click(QTreeWidget* list);

// The main window's one-shot timer for the property window: an Info command leaves its caption
// and rows here and starts it; the first tick shows them, after the menu command has returned.
// A second command before the tick replaces the first one's rows.
class PendingProperties : public QObject {
 public:
  explicit PendingProperties(QWidget* owner);
  void Schedule(const QString& caption, std::vector<PropItem> rows);
  QTimer& Timer1() { return timer1_; }
  const QString& Caption() const { return caption_; }
  const std::vector<PropItem>& Rows() const { return rows_; }

 private:
  void Timer1_Timer();

  QWidget* owner_;
  QTimer timer1_;
  QString caption_;
  std::vector<PropItem> rows_;
};

// The Info commands of the nodes and of a file. The volume and folder commands show their
// status message (187, 171) shortened to the status panel's width while they compute, and clear
// it at the end.
void kTV_Category_Properties_Click(PendingProperties& pending, pInfoColl& cache, int32_t CID);
void kTV_Volume_Properties_Click(PendingProperties& pending, pInfoColl& cache, int32_t VID, const QWidget* statusPanel);
void kTV_Folder_Properties_Click(PendingProperties& pending, pInfoColl& cache, int32_t PID, const QWidget* statusPanel);
void kLV_Folder_FileProperties_Click(PendingProperties& pending, int32_t FID);
