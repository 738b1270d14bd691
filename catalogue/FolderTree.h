#pragma once

// How the folders of one volume hang together, worked out before any node is made. The rows
// come from tblPATHS; the root folder is the row whose Path is Null.
//
// Every row is placed exactly once: under its parent row when that parent is reached from the
// volume, else directly at the volume: the root folder, a row whose parent is missing or is
// the row itself, and the rows of a loop of parents (the loop is broken at its first row). So a
// damaged or foreign catalogue still shows each folder once and no chain of parents closes on
// itself. The children of a folder stand in the catalogue's text order (case-insensitive,
// umlauts beside their base letters); the rows at the volume keep the order of the rows.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct FolderRow {
  int32_t pid = 0;
  std::optional<int32_t> parent;  // nothing: Parent is Null
  bool root = false;              // Path is Null
  QString text;                   // what the folder's node shows
};

struct FolderTree {
  static constexpr size_t kAtVolume = static_cast<size_t>(-1);
  std::vector<size_t> top;                    // rows (indexes) that hang at the volume
  std::vector<std::vector<size_t>> children;  // for each row, the rows below it
  std::vector<size_t> parent;                 // for each row, the row it hangs below, or kAtVolume
};

FolderTree BuildFolderTree(const std::vector<FolderRow>& rows);
