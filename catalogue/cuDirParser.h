#pragma once

// Walks the folder tree of a volume and collects every folder with its own and cumulative
// counts and byte sizes. Files are reported through NewFile as they are found, never kept:
// memory grows with the number of folders only.

#include "catalogue/DirSource.h"
#include "catalogue/cuDirParserFolders.h"
#include "foundation/cuAppError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class cuDirParserAhead;

class cuDirParser {
 public:
  // The real file system unless a source is given.
  explicit cuDirParser(std::unique_ptr<dirsrc::DirSource> source = nullptr);
  ~cuDirParser();

  void setCalcFolderSize(bool v) { calcFolderSize_ = v; }
  bool CalcFolderSize() const { return calcFolderSize_; }
  const QStringList& Errors() const { return errors_; }
  const cuDirParserFolders& Folders() const { return folders_; }
  void setRoot(const QString& v) { root_ = v; }
  QString Root() const { return root_; }
  void setSkipHidden(bool v) { skipHidden_ = v; }
  bool SkipHidden() const { return skipHidden_; }
  void setSkipSystem(bool v) { skipSystem_ = v; }
  bool SkipSystem() const { return skipSystem_; }

  // Folders are listed ahead on this many threads when the source allows it; 0: none. The
  // events, their order and the folders found are the same either way.
  void setListThreads(int v) { listThreads_ = v; }
  int ListThreads() const { return listThreads_; }
  // Keeps every non-folder entry of each listing (skipped ones too) for KeptFiles.
  void setKeepFiles(bool v) { keepFiles_ = v; }

  enum class Kept {
    None,      // not listed by the walk, or its listing ended early for the walk's own reasons
    Complete,  // the whole listing
    Failed,    // the entries before the listing failed (none when the folder could not be opened)
  };
  // The kept non-folder entries of the folder at position, in listing order, into out.
  Kept KeptFiles(int32_t position, std::vector<dirsrc::DirEntry>& out) const;

  // Meant to be called while Run pumps messages; the flag stays set after Run.
  void Cancel() { cancel_ = true; }
  bool isCanceled() const { return cancel_; }
  void Run();

  // Events. rawFullPath is the file's path as the file system spells it, for opening it.
  std::function<void(const QString& folderPath, const QString& shortName, const QString& name, int64_t size,
                     int32_t attributes, const QByteArray& rawFullPath)>
      NewFile;
  std::function<void(const QString& fullPath, const QString& listedPath, const QString& name, int32_t index)> Folder;
  std::function<void()> Canceled;

 private:
  struct Listed {
    int32_t subDirs = 0;     // sub-folders to walk
    int32_t firstChild = 0;  // position of the first of them in Folders
  };
  struct Totals {
    int64_t size = 0;
    int32_t files = 0;
    int32_t dirs = 0;
  };

  void GetFolders(int32_t position);
  Listed GetSubDirs(int32_t position);
  static QByteArray NormalizePath(QByteArray path);
  void raiseCanceled();
  bool wanted(const dirsrc::DirEntry& e) const;

  std::unique_ptr<dirsrc::DirListing> openListing(const QByteArray& path);
  void keep(int32_t position, const dirsrc::EntryStore::Span& span, Kept state);

  struct KeptSpan {
    dirsrc::EntryStore::Span span;
    Kept state = Kept::None;
  };

  std::unique_ptr<dirsrc::DirSource> source_;
  cuDirParserAhead* ahead_ = nullptr;  // during Run, when folders are listed ahead
  dirsrc::EntryStore kept_;
  std::vector<KeptSpan> spans_;  // by position - 1
  int listThreads_ = 0;
  bool keepFiles_ = false;
  cuAppError err_;
  cuDirParserFolders folders_;
  QStringList errors_;
  QString root_;
  bool calcFolderSize_ = true;
  bool skipHidden_ = false;
  bool skipSystem_ = true;
  bool cancel_ = false;
};
