#pragma once

// The program's icons (tblICONS) as plain rows, the pictures as the bytes the fields hold.
// Errors of the engine reach the caller unchanged.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace jet {
class Database;
}

struct IconRow {
  int32_t IID = 0;
  QString FriendlyName;
  std::optional<QByteArray> Icon;  // nothing: Null
};

// Stored: the table's own row order; ByOrder: by the field Order.
enum class IconOrder { Stored, ByOrder };

std::vector<IconRow> IconRows(jet::Database& db, IconOrder order);

// Stores the bytes as the icon's picture; false when there is no such icon.
bool IconStore(jet::Database& db, int32_t IID, const QByteArray& bytes);

// Puts the standard picture (DefaultIcon) back as the icon's picture. check sees the standard
// picture's bytes first; when it raises, nothing is written. False when there is no such icon.
bool IconRestoreDefault(jet::Database& db, int32_t IID,
                        const std::function<void(const std::optional<QByteArray>&)>& check);
