#pragma once

// The volumes (tblVOLUMES) as plain rows, and the changes the windows make to them. Errors of
// the engine reach the caller unchanged.

#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace jet {
class Database;
}

struct VolumeRow {
  int32_t VID = 0;
  QString VolumeName;
  QString VolumePath;
  rt::Variant VolumeType;
  rt::Variant CatID;
};

// Stored: the table's own row order.
enum class VolumeOrder { Stored, ById, ByName };

std::vector<VolumeRow> VolumeRows(jet::Database& db, VolumeOrder order);

// By name, the volumes that match the first criterion given: the id (VID > 0), the location
// (LocID >= 1), else the name part, which keeps the pattern characters of Like (a bad pattern
// raises). Nothing given: no volumes.
std::vector<VolumeRow> VolumesFound(jet::Database& db, int32_t VID, int32_t LocID, const QString& NamePart);

// The volume's row; nothing when there is no such volume.
std::optional<VolumeRow> VolumeOfId(jet::Database& db, int32_t VID);

// A new volume's row; CatID and LocID are written only when they are not Null.
struct NewVolume {
  int32_t VID = 0;
  rt::Variant VolumeSerial, VolumeLabel, VolumeType, VolumeName, VolumePath, Description, Memo, Computername, EditDate,
      CatID, LocID;
};
void VolumeAdd(jet::Database& db, const NewVolume& volume);

// The volume's path and the facts of its medium; EditDate becomes now. Empty texts are stored
// as Null. False when there is no such volume.
bool VolumeRelocate(jet::Database& db, int32_t VID, const QString& path, const QString& serial, const QString& label,
                    const QString& computername, int32_t type);
