#pragma once

// What the category tree shows, read from a catalogue without any widget: the program's icons,
// the categories with their ancestors, the volumes, the categories' own icons and the folders
// of one volume. Errors of the engine reach the caller unchanged.

#include "catalogue/FolderTree.h"
#include "catalogue/TableCategories.h"
#include "catalogue/TableIcons.h"
#include "catalogue/TableVolumes.h"
#include "catalogue/mdlCommand_categories.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace jet {
class Database;
}

class TreeSource {
 public:
  explicit TreeSource(jet::Database& db) : db_(db) {}

  // tblICONS in the table's row order.
  std::vector<IconRow> SystemIcons();

  // Every category in the table's row order. Also the names Ancestors gives.
  std::vector<CategoryRow> Categories();
  // The ancestors of a category read by Categories, the top-most first, with their stored
  // names; an ancestor without a row is left out, so the chain hangs at the nearest one that
  // exists.
  std::vector<CatItem> Ancestors(int32_t CID);

  // The volumes by name.
  std::vector<VolumeRow> Volumes();

  // The categories with an icon of their own, and one such icon (nothing: none).
  std::vector<int32_t> CategoriesWithIcon();
  std::optional<QByteArray> CategoryIcon(int32_t CID);

  // The volume's folders by ascending PID as its nodes show them: the root folder as
  // RootText & " [Root]", the others by name. beforeRow runs before each row is taken.
  std::vector<FolderRow> VolumeFolders(int32_t VID, const QString& RootText, const std::function<void()>& beforeRow);

 private:
  jet::Database& db_;
  QHash<int32_t, QString> names_;
};
