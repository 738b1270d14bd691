#pragma once

// The file and folder search of the search window.
//
// The names are compared inside the query, with the term as a bound value: the engine's Like
// matcher for "contains", equality under the text collation for whole names. The catalogue is
// scanned in slices of rows by ranges of their ids, so that no single step runs long and the
// caller can pump messages and ask about a cancel between slices.
// Each slice's hits are sorted by the program on the sort keys of the text collation, and the
// sorted slices are merged when the hits are handed out, into the order of one query sorted by
// name, volume name, volume path and folder name (files) or by volume name, volume path and
// folder name (folders), ties broken by the row's id.
// A large search sorts its slices on threads of its own while the next slice is read, and
// merges on a thread while the caller takes the hits; the database is read on the caller's
// thread only.

#include "catalogue/FolderPaths.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetSqlText.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class FindKind { Files = 0, Folders = 1 };

// The search box's text under the term rules, where "/" counts as "\" does: a term holding
// either searches folders once a leading and then a trailing one are taken off; one left inside
// is invalid input; one alone does nothing. The term is not trimmed.
struct FindTerm {
  enum class Verdict { Empty, Ignore, Invalid, Search };
  Verdict verdict = Verdict::Empty;
  FindKind kind = FindKind::Files;
  QString text;
};
FindTerm ParseFindTerm(const QString& input);

struct FindHit {
  int32_t ID = 0;   // FID of a file, PID of a folder
  int32_t VID = 0;  // its volume
  int32_t PID = 0;  // the file's folder, or the folder itself
  QString Name;     // Filename, or the folder's own name
};

struct FindVolume {
  QString VolumeName;
  QString VolumePath;
};

class pFinder {
 public:
  // The search of term in the volume VID (0: every volume), by whole names or as a part of
  // the name under the Like rules ("*" & term & "*"). In that mode a "[" without its "]"
  // raises the matcher's error 93 at once. Slices of sliceRows ids each; 0 sizes them by the
  // time they take, about kSliceMs each.
  pFinder(jet::Database& db, FindKind kind, const QString& term, bool wholeName, int32_t VID, int sliceRows = 0);
  ~pFinder();
  pFinder(const pFinder&) = delete;
  pFinder& operator=(const pFinder&) = delete;

  // True when the searched range (the catalogue, or the volume) holds any name to compare.
  bool AnyRows();
  // Scans the next slice; false once every slice has been scanned.
  bool Scan();
  // After the scan: the next hit in list order; false after the last.
  bool NextHit(FindHit& hit);
  // The same without making the name's text: name (UTF-8) is valid until the next call.
  bool NextHit(FindHit& hit, std::string_view& name);
  // Hits found by the slices scanned so far, and the bytes of their names (UTF-8).
  int64_t HitCount() const { return hitCount_; }
  int64_t HitNameBytes() const { return hitNameBytes_; }
  // Name and path of a volume of a hit.
  const FindVolume& Volume(int32_t VID) const;
  // The folder part of a hit's path, as PathFullName gives it without the volume path, in the
  // parts of FolderPaths.
  FolderPaths::Part FolderPart(int32_t PID) { return folders_.PartOf(PID); }

 private:
  // A hit as the scan of a slice collects it, its name in sliceNames_.
  struct Entry {
    jet::SortHead head;  // of the name
    int32_t id;
    uint32_t folder;  // index into folderList_ (the PID until the folders are resolved)
    uint32_t nameAt;
    uint32_t nameSize;
  };
  // A hit of a sorted run.
  struct Hit {
    jet::SortHead head;
    int32_t id;
    uint32_t folder;
    std::string_view name;
  };
  // Memory of the system's own, given back to it as soon as it is freed: the merge frees what
  // it has passed while the list grows.
  class PageBlock {
   public:
    explicit PageBlock(size_t bytes);
    ~PageBlock();
    PageBlock(PageBlock&& other) noexcept;
    PageBlock(const PageBlock&) = delete;
    PageBlock& operator=(const PageBlock&) = delete;
    PageBlock& operator=(PageBlock&&) = delete;
    char* data() const { return data_; }
    void reset();

   private:
    char* data_;
    size_t size_;
  };
  // The hits of one slice in their order, as records (head, id, folder, name size, name) in
  // blocks that are given back as the merge passes them, the next one read out.
  class Run {
   public:
    Run(const std::vector<Entry>& sorted, const std::string& names);
    const Hit& head() const { return head_; }
    // To the next record; false after the last.
    bool advance();
    // Gives back the blocks before the one of the next record.
    void release();

   private:
    std::vector<PageBlock> blocks_;
    std::vector<size_t> used_;  // bytes of each block
    size_t block_ = 0;          // block and offset of the record after head_ (head_ lies in block_)
    size_t at_ = 0;
    size_t released_ = 0;  // blocks given back
    Hit head_{};
  };
  // A folder of a hit: its volume and its name (in folderNames_). Its place among the folders
  // (sort keys of the volume name, a 0, and of volume path and folder name) is worked out when
  // two hits first need it: most hits differ in their names already.
  struct Folder {
    Folder(int32_t folderPid, int32_t folderVid, uint32_t at, uint32_t size)
        : pid(folderPid), vid(folderVid), nameAt(at), nameSize(size) {}
    Folder(const Folder& other)
        : pid(other.pid),
          vid(other.vid),
          nameAt(other.nameAt),
          nameSize(other.nameSize),
          ordered(other.ordered.load(std::memory_order_relaxed)),
          order(other.order) {}
    int32_t pid;
    int32_t vid;
    uint32_t nameAt;
    uint32_t nameSize;
    // Set once order holds the place; the sorting threads may ask for it at the same time.
    mutable std::atomic<bool> ordered = false;
    mutable std::string order;
  };
  const std::string& orderOf(uint32_t folder) const;
  mutable std::mutex orderMutex_;  // taken while a place is worked out
  int compare(const jet::SortHead& headA, std::string_view nameA, uint32_t folderA, int32_t idA,
              const jet::SortHead& headB, std::string_view nameB, uint32_t folderB, int32_t idB) const;
  bool headLess(size_t runA, size_t runB) const;
  // Heads, sort and the run of one slice's entries, on any thread: it reads the folders only.
  Run sortedRun(std::vector<Entry>& entries, const std::string& names) const;
  void startMerge();
  // The next hit of the merge and the run it came from; false after the last. name lies in
  // that run's blocks until it gives them back.
  bool mergeNext(FindHit& hit, std::string_view& name, Run*& run);
  void loadVolumes();
  void addFolder(int32_t pid, int32_t vid, std::string_view name);
  // The folders of the slice's hits (their ids in the entries' folder field) not known yet are
  // read, with the rows of their parents for their paths; the entries get their folders'
  // places, and hits of no folder of the searched range are dropped, as the join of the query
  // would drop them.
  void resolveFolders();
  void loadFolders(const QString& sql, const std::vector<rt::Variant>& params);
  std::optional<int64_t> idAfter(int64_t id);

  jet::Database& db_;
  // One read over the whole search: its many small reads neither lock nor check the file
  // one by one.
  std::unique_ptr<jet::NativeQuery> readScope_;
  FolderPaths folders_;
  FindKind kind_;
  QString term_;
  bool wholeName_;
  bool everything_;  // the pattern matches every name
  int32_t vid_;
  static constexpr int kSliceMs = 25;
  int64_t sliceRows_;
  bool timedSlices_;
  bool started_ = false;
  std::optional<int64_t> next_;  // the first id of the next slice
  bool scanned_ = false;
  bool merging_ = false;
  bool allFolders_ = false;  // every folder of the searched range is in folderInfo_
  int64_t hitCount_ = 0;
  int64_t hitNameBytes_ = 0;
  QHash<int32_t, FindVolume> volumes_;
  QHash<int32_t, std::string> volumeKeys_;  // sort keys of VolumeName
  // A folder's place in folderList_, kNoFolder for none.
  static constexpr uint32_t kNoFolder = std::numeric_limits<uint32_t>::max();
  uint32_t folderOf(int32_t pid) const;
  std::vector<uint32_t> byId_;            // by PID, for the ids below its size
  QHash<int32_t, uint32_t> folderIndex_;  // the others
  std::vector<Folder> folderList_;
  std::string folderNames_;
  QSet<int32_t> foreign_;     // folders outside the searched range
  std::vector<Entry> slice_;  // the slice being scanned, its names side by side
  std::string sliceNames_;
  std::vector<Run> runs_;
  // Whether run A's head comes first; a run without hits left comes after all.
  bool before(size_t runA, size_t runB) const;
  std::vector<size_t> tree_;  // the merge's matches (see startMerge)
  std::vector<bool> done_;    // runs without hits left
  Run* handedOut_ = nullptr;  // the run of the hit handed out last
  // A slice of at least so many hits, once every folder is known, is sorted on a thread; a
  // search of at least kThreadedMerge hits is merged on one.
  static constexpr size_t kThreadedSort = 512;
  static constexpr int64_t kThreadedMerge = 32768;
  class Sorter;
  class Merger;
  struct Batch;
  std::unique_ptr<Sorter> sorter_;
  std::unique_ptr<Merger> merger_;
  std::unique_ptr<Batch> batch_;  // the hits being handed out by the merge thread
  size_t batchAt_ = 0;
};
