#pragma once

// Open, save and folder dialogs behind four calls that take plain texts and return a path, or
// an empty text when the user cancels. Create one where needed and drop it after the call.

#include <QString>
#include <QStringList>

#include <cstdint>

class QWidget;

class FileDialog {
 public:
  // Dialog flags of the open and save calls.
  static constexpr int32_t OFN_OVERWRITEPROMPT = 0x2;
  static constexpr int32_t OFN_HIDEREADONLY = 0x4;
  static constexpr int32_t OFN_ALLOWMULTISELECT = 0x200;
  static constexpr int32_t OFN_PATHMUSTEXIST = 0x800;
  static constexpr int32_t OFN_FILEMUSTEXIST = 0x1000;
  static constexpr int32_t OFN_EXPLORER = 0x80000;

  QString BrowseForFolder(const QString& sTitle, const QString& sInitialPath, QWidget* lHwnd, bool fTerminate);
  QString BrowseForFolderEx(const QString& sTitle, const QString& sInitialPath, QWidget* lHwnd, bool fTerminate,
                            bool fShowCurrentPath, const QString& sRootPath, bool fNewDialogStyle, bool fIncludeFiles);
  // With multiple selection in explorer style: the folder and the names, separated by NULs.
  QString GetOpenFileName(const QString& sInitialDir, const QString& sInitialFile, const QString& sTitle,
                          const QString& sFilter, QWidget* lHwnd, int32_t lAttr);
  QString GetSaveFileName(const QString& sInitialDir, const QString& sInitialFile, const QString& sTitle,
                          const QString& sFilter, QWidget* lHwnd, int32_t lAttr);

  // The filter in dialog form: descriptions and patterns, each ended by a NUL, the whole by
  // one more NUL.
  static QString ParseFilter(const QString& text);
  // The dialog form as Qt name filters ("Textdateien (*.txt)").
  static QStringList QtFilters(const QString& dialogForm);

 private:
  void ResetState();
  void SetTitle(const QString& title, const QString& fallback);
  void SetFilter(const QString& filter);
  void SetFlags(int32_t flags) { flags_ = flags; }
  void SetInitDir(const QString& dir);
  void SetFileName(const QString& name);
  int32_t Z_CheckFlags(int32_t lAttr, const QString& intention);
  QString X_ShowOpen(QWidget* owner);
  QString X_ShowSave(QWidget* owner);
  QString Show(QWidget* owner, bool save);
  QString Browse(const QString& title, const QString& initialPath, QWidget* owner, bool terminate, const QString& root,
                 bool includeFiles);

  QString title_;
  QString filter_;
  int32_t flags_ = 0;
  QString initDir_;
  QString fileName_;
};
