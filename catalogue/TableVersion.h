#pragma once

// The catalogue's version record (tblVERSION) and the sizes of its tables. Errors of the
// engine reach the caller unchanged.

#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>

namespace jet {
class Database;
}

struct VersionRecord {
  rt::Variant Major, Minor, Revision, GUID;
};

// The first version record (3021 when there is none).
VersionRecord VersionRecordOf(jet::Database& db);

// Writes guid into the first version record.
void VersionGuidWrite(jet::Database& db, const QString& guid);

// The number of rows of one of the catalogue's tables (a name the program gives, never a
// user's text).
int64_t TableRowCount(jet::Database& db, const QString& table);
