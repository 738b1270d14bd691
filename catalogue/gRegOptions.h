#pragma once

// The program's options. Creating the object reads every option from the current user's key
// "Software\Tolvarent\Kerbolith\Options"; releasing it writes them all back. In between they
// live only in memory. Every value is REG_SZ text; Booleans are "-1" and "0".

#include <QString>
#include <QStringList>

#include <cstdint>

class gRegOptions {
 public:
  gRegOptions();
  ~gRegOptions();
  gRegOptions(const gRegOptions&) = delete;
  gRegOptions& operator=(const gRegOptions&) = delete;

  // Handed to the database engine once, at start-up.
  int32_t MaxLocksPerFile = 1000000;

  // File names (wildcards allowed) separated by "|". A text equal apart from letter case
  // changes nothing; another rebuilds AutoMemoCol.
  void setAutoMemo(const QString& v);
  QString AutoMemo() const { return autoMemo_; }
  const QStringList& AutoMemoCol() const { return autoMemoCol_; }

  void setAutoOpen(bool v) { autoOpen_ = v; }
  bool AutoOpen() const { return autoOpen_; }
  void setCatDescFontname(const QString& v) { catDescFontname_ = v; }
  QString CatDescFontname() const { return catDescFontname_; }
  // The font sizes take and give text; a text that is not a number raises 13 and changes nothing.
  void setCatDescFontsize(const QString& v);
  QString CatDescFontsize() const { return QString::number(catDescFontsize_); }
  void setDragDelay(int32_t v) { dragDelay_ = v; }
  int32_t DragDelay() const { return dragDelay_; }
  void setEditorFileFilter(const QString& v) { editorFileFilter_ = v; }
  QString EditorFileFilter() const { return editorFileFilter_; }
  void setEditorFontBold(bool v) { editorFontBold_ = v; }
  bool EditorFontBold() const { return editorFontBold_; }
  void setEditorFontItalic(bool v) { editorFontItalic_ = v; }
  bool EditorFontItalic() const { return editorFontItalic_; }
  void setEditorFontname(const QString& v) { editorFontname_ = v; }
  QString EditorFontname() const { return editorFontname_; }
  void setEditorFontsize(const QString& v);
  QString EditorFontsize() const { return QString::number(editorFontsize_); }
  void setExclusive(bool v) { exclusive_ = v; }
  bool Exclusive() const { return exclusive_; }
  void setExtendedWarnings(bool v) { extendedWarnings_ = v; }
  bool ExtendedWarnings() const { return extendedWarnings_; }
  void setIconMode(int32_t v) { iconMode_ = v; }
  int32_t IconMode() const { return iconMode_; }
  void setLastIconDir(const QString& v) { lastIconDir_ = v; }
  QString LastIconDir() const { return lastIconDir_; }
  void setLastDB(const QString& v) { lastDB_ = v; }
  QString LastDB() const { return lastDB_; }
  void setLastDir(const QString& v) { lastDir_ = v; }
  QString LastDir() const { return lastDir_; }
  void setListFontname(const QString& v) { listFontname_ = v; }
  QString ListFontname() const { return listFontname_; }
  void setListFontsize(const QString& v);
  QString ListFontsize() const { return QString::number(listFontsize_); }
  void setMainformSplit(int32_t v) { mainformSplit_ = v; }
  int32_t MainformSplit() const { return mainformSplit_; }
  void setOnReadSkipHidden(bool v) { onReadSkipHidden_ = v; }
  bool OnReadSkipHidden() const { return onReadSkipHidden_; }
  void setOnReadSkipSystem(bool v) { onReadSkipSystem_ = v; }
  bool OnReadSkipSystem() const { return onReadSkipSystem_; }
  void setReadingBreakDuration(int32_t v) { readingBreakDuration_ = v; }
  int32_t ReadingBreakDuration() const { return readingBreakDuration_; }
  void setReadingBreakFiles(int32_t v) { readingBreakFiles_ = v; }
  int32_t ReadingBreakFiles() const { return readingBreakFiles_; }
  void setTreeFontname(const QString& v) { treeFontname_ = v; }
  QString TreeFontname() const { return treeFontname_; }
  void setTreeFontsize(const QString& v);
  QString TreeFontsize() const { return QString::number(treeFontsize_); }
  void setViewCategoryInfo(bool v) { viewCategoryInfo_ = v; }
  bool ViewCategoryInfo() const { return viewCategoryInfo_; }
  void setViewFolderInfo(bool v) { viewFolderInfo_ = v; }
  bool ViewFolderInfo() const { return viewFolderInfo_; }
  void setViewVolumeInfo(bool v) { viewVolumeInfo_ = v; }
  bool ViewVolumeInfo() const { return viewVolumeInfo_; }

  // Start folder of the file dialogs: a non-empty newFolder becomes LastDir; a LastDir that is
  // no existing folder is replaced by the program folder, or by the user's home where the
  // program may not write into its folder. Returns LastDir.
  QString InitDir(const QString& newFolder = QString());

 private:
  void Read();
  void Write() const;
  QString Get(const QString& name) const;
  bool FontInstalled(const QString& name) const;
  QString ReadFontName(const QString& name) const;
  int32_t ReadLongDefault(const QString& name, int32_t defaultValue) const;
  QString ReadFolder(const QString& name) const;

  QString key_;
  QString autoMemo_;
  QStringList autoMemoCol_;
  bool autoOpen_ = false;
  int32_t dragDelay_ = 500;
  QString editorFileFilter_;
  QString editorFontname_ = QStringLiteral("Tahoma");
  int32_t editorFontsize_ = 10;
  bool editorFontBold_ = false;
  bool editorFontItalic_ = false;
  bool extendedWarnings_ = true;
  int32_t iconMode_ = 0;
  QString lastDB_;
  QString lastDir_;
  QString lastIconDir_;
  int32_t mainformSplit_ = 0;
  bool onReadSkipHidden_ = false;
  bool onReadSkipSystem_ = true;
  bool viewFolderInfo_ = true;
  bool viewCategoryInfo_ = false;
  bool viewVolumeInfo_ = true;
  QString treeFontname_ = QStringLiteral("Tahoma");
  QString listFontname_ = QStringLiteral("Tahoma");
  int32_t treeFontsize_ = 8;
  int32_t listFontsize_ = 8;
  QString catDescFontname_ = QStringLiteral("Tahoma");
  int32_t catDescFontsize_ = 8;
  bool exclusive_ = true;
  int32_t readingBreakDuration_ = 2000;
  int32_t readingBreakFiles_ = 10000;
};
