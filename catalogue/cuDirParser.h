#pragma once

// Walks the folder tree of a volume and collects every folder with its own and cumulative
// counts and byte sizes. Files are reported through NewFile as they are found, and a folder's
// listing through Listed, never kept: memory grows with the number of folders only.

#include "catalogue/DirSource.h"
#include "catalogue/cuDirParserFolders.h"
#include "foundation/cuAppError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
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
  // Folders are listed in collection order instead of depth first (the collection is the same),
  // and each folder is handed to Listed as the walk takes it: the totals are filled in when
  // the walk ends.
  void setCollectionOrder(bool v) { collectionOrder_ = v; }

  enum class Kept {
    None,      // not listed by the walk, or its listing ended early for the walk's own reasons
    Complete,  // the whole listing
    Failed,    // the entries before the listing failed (none when the folder could not be opened)
  };

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
  // In collection order, once for every folder in turn, after its listing (and its NewFile and
  // Folder events): every non-folder entry of the listing (skipped ones too), in listing order.
  // Whatever the handler raises ends the walk and comes out of Run as it is.
  std::function<void(const cuDirParserFolder& folder, std::span<const dirsrc::DirEntry> files, Kept kept)> Listed;

 private:
  struct Listing {
    int32_t subDirs = 0;     // sub-folders to walk
    int32_t firstChild = 0;  // position of the first of them in Folders
  };
  struct Totals {
    int64_t size = 0;
    int32_t files = 0;
    int32_t dirs = 0;
  };

  // What a listing found for the walk through the tree in collection order, kept until the
  // walk reaches the folder.
  struct Found {
    std::vector<std::pair<QByteArray, bool>> subDirs;  // the wanted sub-folders: name, entered
    bool complete = false;
    QString error;  // for Errors
  };
  struct WalkFrame {
    int32_t first = 0;  // position of the first sub-folder
    int32_t count = 0;  // sub-folders to walk (0 when the listing failed)
    int32_t next = 0;
  };

  void GetFolders(int32_t position);
  void walkInCollectionOrder();
  void reachFolders(int32_t listedBelow);
  void reachFolder(int32_t position);
  void sumTotals(const std::vector<char>& listed);
  // With found, the sub-folders and the error go there instead of into the collection.
  Listing GetSubDirs(int32_t position, Found* found = nullptr);
  static QByteArray NormalizePath(QByteArray path);
  void raiseCanceled();
  bool wanted(const dirsrc::DirEntry& e) const;

  std::unique_ptr<dirsrc::DirListing> openListing(const QByteArray& path);
  void keepFile(const dirsrc::DirEntry& e);
  void handOver(const cuDirParserFolder& folder, Kept kept);

  std::unique_ptr<dirsrc::DirSource> source_;
  cuDirParserAhead* ahead_ = nullptr;    // during Run, when folders are listed ahead
  std::vector<dirsrc::DirEntry> files_;  // of the listing being walked, for Listed
  size_t fileCount_ = 0;
  Kept kept_ = Kept::None;                     // how GetSubDirs left files_
  bool handing_ = false;                       // Listed runs: what it raises is the caller's
  std::vector<std::unique_ptr<Found>> found_;  // by position - 1, from the listing until the walk reaches it
  std::vector<char> walkable_;                 // by position - 1: to be listed
  std::vector<WalkFrame> frames_;              // the walk through the tree
  bool reachedRoot_ = false;
  int listThreads_ = 0;
  bool collectionOrder_ = false;
  cuAppError err_;
  cuDirParserFolders folders_;
  QStringList errors_;
  QString root_;
  bool calcFolderSize_ = true;
  bool skipHidden_ = false;
  bool skipSystem_ = true;
  bool cancel_ = false;
};
