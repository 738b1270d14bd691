#pragma once

// One folder found by the walker, with its own and cumulative counts and byte sizes.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class cuDirParserFolder {
 public:
  int32_t Files() const { return files_; }
  QString FullPath() const;
  int32_t Index() const { return index_; }
  QString Name() const;
  int32_t Parent() const { return parent_; }
  int64_t Size() const { return size_; }
  int32_t SubDirs() const { return subDirs_; }
  int32_t TotalDirs() const { return totalDirs_; }
  int32_t TotalFiles() const { return totalFiles_; }
  int64_t TotalSize() const { return totalSize_; }
  void X_Index(int32_t v) { index_ = v; }

  // The path as the file system spells it (the text form of a name that is no UTF-8 is its Windows-1252 reading), with
  // trailing "/".
  QByteArray RawPath() const;
  QByteArray RawName() const;
  // False for a folder that holds another file system: it is recorded but not listed.
  bool Entered() const { return entered_; }

 private:
  friend class cuDirParser;
  friend class cuDirParserFolders;

  // The walk holds every folder: one below its parent keeps only its name (in the collection's
  // store of names), and its path is made when asked for. Any other keeps what Add was given.
  struct Own {
    QByteArray rawPath;
    QByteArray rawName;
    QString name;
  };
  const cuDirParserFolder* up_ = nullptr;  // the parent, when only the name is kept
  const char* rawName_ = nullptr;
  int32_t rawNameSize_ = 0;
  std::unique_ptr<Own> own_;  // when up_ is not set
  bool utf8_ = false;         // every part of the path is UTF-8: the whole decodes at once
  bool entered_ = true;
  mutable bool hasSubFolders_ = false;  // some were added by name below this one
  int32_t index_ = 0;
  int32_t parent_ = 0;
  int32_t files_ = 0;
  int32_t subDirs_ = 0;
  int32_t totalFiles_ = 0;
  int32_t totalDirs_ = 0;
  int64_t size_ = 0;
  int64_t totalSize_ = 0;
};
