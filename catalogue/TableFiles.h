#pragma once

// The files (tblFILES) as plain rows. Errors of the engine reach the caller unchanged.

#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace jet {
class Database;
}

struct FileRecord {
  QString Filename;
  rt::Variant DateTime;
  double Filesize = 0;
  rt::Variant Desc;
  int32_t FID = 0;
};

// The folder's own files by name, each handed to onRow as it is read: a failure part-way
// leaves the caller with the rows before it.
void ForEachFileOfFolder(jet::Database& db, int32_t PID, const std::function<void(const FileRecord&)>& onRow);
