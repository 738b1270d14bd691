#pragma once

// The file and folder search of the search window.
//
// The names are compared inside the query, with the term as a bound value: the engine's Like
// matcher for "contains", equality under the text collation for whole names. The catalogue is
// scanned in slices of rows, each sorted by the query, so that no single step runs long and the
// caller can pump messages and ask about a cancel between slices; the sorted slices are merged
// when the hits are handed out, under the same collation, into the order of one query sorted
// by name, volume name, volume path and folder name (files) or by volume name, volume path and
// folder name (folders), ties broken by the row's id.

#include "catalogue/FolderPaths.h"
#include "platform/jet/Database.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
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
  // raises the matcher's error 93 at once. Slices of sliceRows rows each; 0 sizes them by the
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
  // Hits found by the slices scanned so far.
  int64_t HitCount() const { return hitCount_; }
  // Name and path of a volume of a hit.
  const FindVolume& Volume(int32_t VID) const;
  // The folder part of a hit's path, as PathFullName gives it without the volume path.
  QString FolderPath(int32_t PID) { return folders_.Of(PID); }

 private:
  struct Entry {
    int32_t id;
    int32_t vid;
    int32_t pid;
    uint32_t nameAt;  // the name in the run's text, UTF-8
    uint32_t nameSize;
  };
  // The hits of one slice in their order, their names side by side in one text.
  struct Run {
    std::vector<Entry> entries;
    std::string names;
    size_t next = 0;
    std::string_view name(const Entry& e) const { return std::string_view(names).substr(e.nameAt, e.nameSize); }
  };
  int compare(const Run& ra, const Entry& a, const Run& rb, const Entry& b) const;
  bool headLess(size_t runA, size_t runB) const;
  void startMerge();
  void loadVolumes();

  jet::Database& db_;
  // One read over the whole search: its many small reads neither lock nor check the file
  // one by one.
  std::unique_ptr<jet::NativeQuery> readScope_;
  FolderPaths folders_;
  FindKind kind_;
  QString term_;
  bool wholeName_;
  int32_t vid_;
  static constexpr int kSliceMs = 25;
  int sliceRows_;
  bool timedSlices_;
  int64_t lastId_ = 0;
  bool scanned_ = false;
  bool merging_ = false;
  int64_t hitCount_ = 0;
  QHash<int32_t, FindVolume> volumes_;
  QHash<int32_t, std::string> volumeKeys_;  // VolumeName, UTF-8
  QHash<int32_t, std::string> folderKeys_;  // VolumePath & Path, UTF-8
  std::vector<Run> runs_;
  std::vector<size_t> heap_;  // runs with entries left, smallest head first
};
