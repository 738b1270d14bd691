#pragma once

// The folders (tblPATHS) as plain rows. Errors of the engine reach the caller unchanged.

#include "platform/runtime/Variant.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace jet {
class Database;
}

// The ids of the volume's folders.
std::vector<int32_t> FolderIdsOfVolume(jet::Database& db, int32_t VID);

struct FolderRecord {
  int32_t PID = 0;
  rt::Variant Path;  // Null for the volume's root folder
  rt::Variant Parent;
};

// The volume's folders by ascending PID, each handed to onRow as it is read.
void ForEachFolderOfVolume(jet::Database& db, int32_t VID, const std::function<void(const FolderRecord&)>& onRow);
