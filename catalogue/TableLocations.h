#pragma once

// The storage locations (tblLOCATIONS) as plain rows, and the changes the windows make to them.
// Errors of the engine reach the caller unchanged.

#include <QString>

#include <cstdint>
#include <vector>

namespace jet {
class Database;
class Workspace;
}  // namespace jet

struct LocationRow {
  int32_t lID = 0;
  QString LocName;
  QString LocDescription;
};

enum class LocationOrder { ByName, ById };

std::vector<LocationRow> LocationRows(jet::Database& db, LocationOrder order);

// The number of volumes kept at the location.
int32_t LocationVolumeCount(jet::Database& db, int32_t lID);

// An empty description is stored as Null, never as an empty text.
void LocationAdd(jet::Database& db, int32_t lID, const QString& name, const QString& description);
// False when there is no such location (another user deleted it meanwhile).
bool LocationUpdate(jet::Database& db, int32_t lID, const QString& name, const QString& description);

// Releases the location's volumes and deletes its row in one transaction of ws: a failed delete
// must not leave the volumes without their location while the location stays. False when the
// row was gone (the volumes are released all the same).
bool LocationDelete(jet::Workspace& ws, jet::Database& db, int32_t lID);
