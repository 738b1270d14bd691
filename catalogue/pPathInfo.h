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
  bool ExtendedInfo = false;  // the totals are filled: the folder has sub-folders

  QString ByteString() const { return infoByteText(Bytes); }
  QString FilesString() const { return infoCountText(Files); }
  QString TotalByteString() const { return infoByteText(TotalBytes); }
  QString TotalFilesString() const { return infoCountText(TotalFiles); }
};
