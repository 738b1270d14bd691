#pragma once

// Volume commands and drive facts shared by the windows: whether a folder may become a
// volume's path, the facts about the medium under a path, drive type texts, the volume count
// and the information record of one volume.

#include "catalogue/PropItem.h"
#include "catalogue/pVolumeInfo.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace jet {
class Database;
}

struct DriveInfoRec {
  QString VolumeSerial;  // signed 32-bit decimal
  QString VolumeLabel;
  int32_t VolumeType = 0;
  QString VolumeTypeString;
  QString Computername;
};

// True when path may be the path of a volume on the medium with this serial: no other volume
// of the medium lies at or below it (the very same path is asked about) and none above it.
// VID is the volume being relocated (excluded), or Null for a new one. selectVolume shows the
// conflicting volume in the main window before the question. Errors are shown; then False.
bool VolumeCheck(jet::Database& db, const QString& path, const QString& serial, const rt::Variant& VID,
                 const std::function<void(int32_t)>& selectVolume);

// The same on the open catalogue, selecting through the main window.
bool VolumeCheck(const QString& path, const QString& serial, const rt::Variant& VID);

// Files the volume under the category CatID (Null: the top level); an unknown volume is left
// alone.
void fVolumeMove(int32_t VID, const rt::Variant& CatID, jet::Database* db = nullptr);

DriveInfoRec DriveInfo(const QString& path);
bool IsChangeableDrive(int32_t driveType);
QString fVolumeTypeString(const int32_t& driveType);
// The number of volumes of db; 0 without a database (errors are shown).
int32_t fVolumeCount(jet::Database* db);
// Of the open catalogue (gDB); 0 when none is open.
int32_t fVolumeCount();
std::shared_ptr<pVolumeInfo> fVolumeInfo(jet::Database& db, const int32_t& VID);
std::shared_ptr<pVolumeInfo> fVolumeInfo(const int32_t& VID);
void fVolumeInfo2InfoData(const pVolumeInfo& info, std::vector<PropItem>& data);
