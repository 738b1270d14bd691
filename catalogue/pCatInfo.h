#pragma once

// Totals of a category with its sub-categories, as the main window shows them.

#include "catalogue/pInfoRecord.h"

#include <QString>

#include <cstdint>

class pCatInfo : public pInfoRecord {
 public:
  QString Name;
  int32_t Files = 0;
  int32_t Volumes = 0;
  double Bytes = 0;

  QString ByteString() const { return infoByteText(Bytes); }
  QString FilesString() const { return infoCountText(Files); }
};
