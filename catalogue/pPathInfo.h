#pragma once

// Counts of one folder and of its whole subtree.

#include "catalogue/pInfoRecord.h"

#include <QString>

#include <cstdint>

class pPathInfo : public pInfoRecord {
 public:
  QString Path;
  int32_t Files = 0;
  double Bytes = 0;
  double TotalBytes = 0;
  int32_t TotalFiles = 0;
  int32_t TotalSubFolders = 0;
  // True when the folder has sub-folders and its subtree totals were taken from its tblPATHS
  // row; only then do the total rows show.
  bool ExtendedInfo = false;

  QString ByteString() const { return infoByteText(Bytes); }
  QString FilesString() const { return infoCountText(Files); }
  QString TotalByteString() const { return infoByteText(TotalBytes); }
  QString TotalFilesString() const { return infoCountText(TotalFiles); }
};
