#pragma once

// Totals of one volume, filled by fVolumeInfo.

#include "catalogue/pInfoRecord.h"

#include <QString>

#include <cstdint>

class pVolumeInfo : public pInfoRecord {
 public:
  QString Name;
  QString Path;
  int32_t Files = 0;
  int32_t Folders = 0;
  double Bytes = 0;

  QString ByteString() const { return infoByteText(Bytes); }
  QString FilesString() const { return infoCountText(Files); }
};
