#pragma once

// The categories (tblCATEGORIES) as plain rows, and their icons as the bytes the field holds.
// Errors of the engine reach the caller unchanged.

#include "platform/runtime/Variant.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace jet {
class Database;
}

struct CategoryRow {
  int32_t CID = 0;
  QString CatName;
  rt::Variant Parent;  // Null on the top level
};

// Stored: the table's own row order.
enum class CategoryOrder { Stored, ByName };

std::vector<CategoryRow> CategoryRows(jet::Database& db, CategoryOrder order);

// The categories that have an icon of their own, in the table's row order.
std::vector<int32_t> CategoriesWithIcon(jet::Database& db);

// The category's icon field; nothing when it is Null or there is no such category.
std::optional<QByteArray> CategoryIconBytes(jet::Database& db, int32_t CID);
// Stores the bytes as the category's icon (nothing: Null); false when there is no such category.
bool CategoryIconStore(jet::Database& db, int32_t CID, const std::optional<QByteArray>& bytes);
