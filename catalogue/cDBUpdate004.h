#pragma once

// Recomputes the stored folder statistics of the open catalogue from its file rows: for every
// tblPATHS row its own Files and Size and, over all folders below it, TotalFiles, TotalSize and
// TotalDirs. Progress goes to the first status panel of the main window; the end and any error
// are reported in a message box. No transaction and no cancel: each row is written as soon as
// its values are known, so rows written before an error keep their new values.
//
// The folder tree is read once and summed in memory (two queries in all, one update per row),
// which gives the same values as querying each folder and each of its descendants. A damaged
// parent chain (a cycle) is cut where a folder would be met again.

#include <QString>

#include <cstdint>
#include <vector>

class cDBUpdate004 {
 public:
  void DoUpdate004();

 private:
  struct PathStats {
    double size = 0;
    int32_t files = 0;
    double totalSize = 0;
    int32_t totalFiles = 0;
    int32_t totalDirs = 0;
  };
  struct PathRow {
    int32_t pid = 0;
    int32_t parent = -1;  // index of the parent row, -1 for none
    bool hasVolume = false;
    int32_t files = 0;
    double size = 0;
  };

  // Own and total values of every row, from the rows alone.
  static std::vector<PathStats> CalcPathStats(const std::vector<PathRow>& rows);
  // The children of every row, by ascending PID.
  static std::vector<std::vector<int32_t>> CollectChildPaths(const std::vector<PathRow>& rows);
  static std::vector<PathRow> CollectSubPaths();
};
