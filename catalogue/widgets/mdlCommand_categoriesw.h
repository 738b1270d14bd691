#pragma once

// The categories' own icons: pictures in the field Icon of tblCATEGORIES.

#include "foundation/widgets/mdlQZLib51_pictures.h"

#include <cstdint>
#include <optional>

namespace jet {
class Database;
}

// The category's own icon; nothing when it has none or does not exist.
std::optional<Picture> fCatIconLoad(int32_t CID, jet::Database* db = nullptr);
// Stores the picture as the category's icon (uncompressed); an unknown category is left alone.
void fCatIconSave(int32_t CID, const Picture& picture);
