#include "catalogue/TreeSource.h"

#include "catalogue/TableFolders.h"

std::vector<IconRow> TreeSource::SystemIcons() { return IconRows(db_, IconOrder::Stored); }

std::vector<CategoryRow> TreeSource::Categories() {
  std::vector<CategoryRow> rows = CategoryRows(db_, CategoryOrder::Stored);
  names_.clear();
  for (const CategoryRow& row : rows) names_.insert(row.CID, row.CatName);
  return rows;
}

std::vector<CatItem> TreeSource::Ancestors(int32_t CID) {
  std::vector<CatItem> chain;
  fCatArrayParent(CID, chain, &db_);
  std::vector<CatItem> existing;
  for (const CatItem& ancestor : chain) {
    const auto it = names_.constFind(ancestor.CID);
    if (it != names_.constEnd()) existing.push_back({ancestor.CID, it.value()});
  }
  return existing;
}

std::vector<VolumeRow> TreeSource::Volumes() { return VolumeRows(db_, VolumeOrder::ByName); }

std::vector<int32_t> TreeSource::CategoriesWithIcon() { return ::CategoriesWithIcon(db_); }

std::optional<QByteArray> TreeSource::CategoryIcon(int32_t CID) { return CategoryIconBytes(db_, CID); }

std::vector<FolderRow> TreeSource::VolumeFolders(int32_t VID, const QString& RootText,
                                                 const std::function<void()>& beforeRow) {
  std::vector<FolderRow> rows;
  ForEachFolderOfVolume(db_, VID, [&](const FolderRecord& record) {
    if (beforeRow) beforeRow();
    FolderRow row;
    row.pid = record.PID;
    row.root = record.Path.isNull();
    if (!record.Parent.isNull()) row.parent = record.Parent.toInt();
    row.text = row.root ? RootText + QStringLiteral(" [Root]") : record.Path.toText();
    rows.push_back(std::move(row));
  });
  return rows;
}
