// The tree control's images and its filling: the whole tree from the catalogue, one volume's
// folders when the volume is first expanded, and a folder's subfolders when they are wanted.

#include "catalogue/FolderTree.h"
#include "catalogue/TreeSource.h"
#include "catalogue/mdlCommand_categories.h"
#include "catalogue/widgets/FolderNodes.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeErrors.h"
#include "catalogue/widgets/TreeNode.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/mdlQZLib51_pictures.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "foundation/widgets/mdlQZLib52_window.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QBitmap>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <memory>

using treeerr::kSource;
using treeerr::raiseNoObject;
using treeerr::raiseNotFound;

namespace {

// 16 x 16 with light grey (C0C0C0) transparent in pictures that carry no transparency.
QPixmap listPixmap(const QImage& image) {
  QPixmap pixmap = QPixmap::fromImage(
      image.size() == QSize(16, 16) ? image : image.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  if (!image.hasAlphaChannel()) pixmap.setMask(pixmap.createMaskFromColor(QColor(0xC0, 0xC0, 0xC0)));
  return pixmap;
}

}  // namespace

// ---- images ----

void Tree::X_ILIconsSystemRefresh() {
  try {
    if (!db_) raiseNoObject();
    ui::ImageList& images = tv_->images();
    for (const IconRow& row : TreeSource(*db_).SystemIcons()) {
      const QString key = IconKey(row.IID);
      std::optional<Picture> picture;
      try {
        picture = PictureOfFieldBytes(row.Icon);
      } catch (const rt::RaisedError& e) {
        // One unreadable picture must not keep every other icon and the whole tree away.
        if (!isPictureError(e)) throw;
      }
      if (picture && !picture->isEmpty()) {
        if (ImageListKeyExists(images, key)) images.remove(key);
        images.add(key, listPixmap(picture->image()));
      }
    }
    tv_->viewport()->update();
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("AddSystemIcons"));
  }
}

void Tree::IconsUserRemove() {
  try {
    // The list itself offers no key walk; the control knows the "u" images it added.
    const QStringList keys = userIcons_;
    userIcons_.clear();
    for (const QString& key : keys) tv_->images().remove(key);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("IconsUserRemove"));
  }
}

// ---- filling ----

TreeNode* Tree::addNode(QTreeWidgetItem* parent, const QString& key, const QString& text, const QString& imageKey,
                        const QVariant& tag) {
  auto node = std::make_unique<TreeNode>(tv_, key, text, imageKey);
  if (tag.isValid()) ui::setItemTag(node.get(), tag);
  if (checkboxes_) prepareCheckbox(node.get(), parent);
  TreeNode* raw = node.release();
  if (parent)
    parent->addChild(raw);
  else
    tv_->addTopLevelItem(raw);
  return raw;
}

void Tree::addPlaceholder(QTreeWidgetItem* volume, const QString& volumePath) {
  addNode(volume, Prefix_KeyPlaceholder() + QString::number(++dummyCount_), volumePath, IconKey(kIconPlaceholder),
          QVariant());
}

void Tree::TVFill(const QString& SelectKey) {
  QString item;
  ++fillGeneration_;
  ui::HourglassScope hourglass;
  tv_->setUpdatesEnabled(false);
  filling_ = true;
  try {
    if (!db_) raiseNoObject();
    if (tv_->topLevelItemCount() > 0) Clear();
    volumeFolders_.clear();
    IconsUserRemove();
    X_ILIconsSystemRefresh();
    dummyCount_ = 0;
    QTreeWidgetItem* firstAdded = nullptr;
    auto note = [&firstAdded](QTreeWidgetItem* node) {
      if (!firstAdded) firstAdded = node;
      return node;
    };

    TreeSource source(*db_);
    const QString closed = IconKey(kIconCategoryClosed);
    for (const CategoryRow& category : source.Categories()) {
      const QString& name = category.CatName;
      item = QStringLiteral("Kategorie: ") + name;
      emit Status(gErr->MsgLoad(kMsgReadingCategory, name));
      const int32_t cid = category.CID;
      const QString key = NodeKey(cid, kNodeCategory);
      if (category.Parent.isNull()) {
        if (!NodeExists(key)) note(addNode(nullptr, key, name, closed, cid));
      } else {
        QTreeWidgetItem* above = nullptr;
        for (const CatItem& ancestor : source.Ancestors(cid)) {
          const QString ancestorKey = NodeKey(ancestor.CID, kNodeCategory);
          if (TreeNode* existing = tv_->node(ancestorKey))
            above = existing;
          else
            above = note(addNode(above, ancestorKey, ancestor.CatName, closed, ancestor.CID));
        }
        if (!NodeExists(key)) note(addNode(above, key, name, closed, cid));
      }
    }

    for (const VolumeRow& row : source.Volumes()) {
      const QString& name = row.VolumeName;
      item = QStringLiteral("Volume: ") + name;
      emit Status(gErr->MsgLoad(kMsgReadingVolume, name));
      const int32_t vid = row.VID;
      QString image = row.VolumeType.isNull() ? QString() : IconKey(row.VolumeType.toInt());
      // Drive types without a picture of their own show the fixed-disk picture.
      if (!tv_->images().contains(image)) image = IconKey(kIconFixedDisk);
      // A volume whose category is gone stays visible on the top level.
      QTreeWidgetItem* parent = row.CatID.isNull() ? nullptr : tv_->node(NodeKey(row.CatID.toInt(), kNodeCategory));
      TreeNode* volume = addNode(parent, NodeKey(vid, kNodeVolume), name, image, vid);
      note(volume);
      addPlaceholder(volume, row.VolumePath);
    }
    tv_->sortItems(0, Qt::AscendingOrder);

    emit Status(gErr->MsgLoad(kMsgLoadingIcons));
    for (const int32_t cid : source.CategoriesWithIcon()) {
      std::optional<Picture> picture;
      try {
        picture = PictureOfFieldBytes(source.CategoryIcon(cid));
      } catch (const rt::RaisedError& e) {
        if (!isPictureError(e)) throw;
      }
      if (picture && !picture->isEmpty()) {
        const QString key = Prefix_KeyUserIcon() + QString::number(cid);
        tv_->images().add(key, listPixmap(picture->image()));
        userIcons_ << key;
        if (TreeNode* node = tv_->node(NodeKey(cid, kNodeCategory))) SetNodeImage(node, key);
      }
    }

    if (tv_->topLevelItemCount() > 0) {
      QTreeWidgetItem* selected = SelectKey.isEmpty() ? firstAdded : tv_->node(SelectKey);
      if (!selected) raiseNotFound();
      ensureVisible(selected);
      selectNode(selected);
      filling_ = false;
      TV_NodeClick(selected);
    }
  } catch (...) {
    filling_ = false;
    gErr->ErrMsg(kSource, QStringLiteral("TVFill (") + item + QStringLiteral(")"));
  }
  filling_ = false;
  tv_->setUpdatesEnabled(true);
  hourglass.end();
  emit Status(QString());
}

void Tree::TVFillVolume(int32_t VolID, const QString& RootText, const QString& Name) {
  if (!showFolders_) return;
  const QString volumeKey = NodeKey(VolID, kNodeVolume);
  try {
    if (!db_) raiseNoObject();
    // The read yields to pending input: no command may start meanwhile; Esc and closing are
    // left to the operation around the expansion, if any.
    ui::BusyScope busy;
    emit VolumeFill(Name, false);
    const int generation = fillGeneration_;

    std::vector<FolderRow> rows = TreeSource(*db_).VolumeFolders(VolID, RootText, [] { DoEventsIfInput(); });

    // What ran while the rows were read (the host's status text pumps) may have refilled the
    // tree or loaded this volume.
    TreeNode* volume = tv_->node(volumeKey);
    if (generation != fillGeneration_ || !volume || volume->childCount() > 0) return;

    auto folders = std::make_unique<VolumeFolders>();
    folders->tree = BuildFolderTree(rows);
    folders->rows = std::move(rows);
    hangFolderNodes(volume, VolID, *folders, folders->tree.top);
    volumeFolders_[VolID] = std::move(folders);
    emit VolumeFill(Name, true);
  } catch (...) {
    // Keep the volume expandable so the user can try again.
    volumeFolders_.erase(VolID);
    if (TreeNode* volume = tv_->node(volumeKey); volume && volume->childCount() == 0) addPlaceholder(volume, RootText);
    gErr->ErrReRaise(kSource, QStringLiteral("TVFillVolume (VolID = ") + QString::number(VolID) + QStringLiteral(")"));
  }
}

// ---- folders, level by level ----

std::optional<size_t> Tree::folderRow(VolumeFolders& folders, int32_t pid) const {
  if (folders.rowOfPid.isEmpty() && !folders.rows.empty()) {
    folders.rowOfPid.reserve(static_cast<qsizetype>(folders.rows.size()));
    for (size_t i = 0; i < folders.rows.size(); ++i) folders.rowOfPid.insert(folders.rows[i].pid, i);
  }
  const auto it = folders.rowOfPid.constFind(pid);
  if (it == folders.rowOfPid.constEnd()) return std::nullopt;
  return it.value();
}

void Tree::hangFolderNodes(QTreeWidgetItem* parent, int32_t VolID, const VolumeFolders& folders,
                           const std::vector<size_t>& rows) {
  const QString volumeKey = NodeKey(VolID, kNodeVolume) + PathSeparator();
  // The nodes are made detached and hung into the view at once.
  std::vector<std::unique_ptr<QTreeWidgetItem>> made =
      MakeFolderNodes(folders.tree, rows, 1, [&](size_t i, bool childrenMade) -> std::unique_ptr<QTreeWidgetItem> {
        const FolderRow& row = folders.rows[i];
        auto node = std::make_unique<TreeNode>(tv_, volumeKey + QString::number(row.pid), row.text,
                                               IconKey(row.root ? kIconRootFolder : kIconFolderClosed));
        ui::setItemTag(node.get(), row.pid);
        if (!childrenMade && !folders.tree.children[i].empty()) {
          // The expand button shows without children until they are made.
          node->setData(0, kNodePendingRole, true);
          node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        }
        return node;
      });
  if (checkboxes_)
    for (const auto& node : made) prepareCheckbox(node.get(), parent);
  QList<QTreeWidgetItem*> list;
  list.reserve(static_cast<qsizetype>(made.size()));
  for (const auto& node : made) list << node.get();
  {
    QSignalBlocker block(tv_);
    parent->addChildren(list);
  }
  for (auto& node : made) node.release();  // owned by the parent from here
}

bool Tree::FolderChildrenPending(const QTreeWidgetItem* node) {
  return node && node->data(0, kNodePendingRole).toBool();
}

void Tree::LoadFolderChildren(QTreeWidgetItem* node) {
  if (!FolderChildrenPending(node)) return;
  const QString key = ui::itemKey(node);
  const qsizetype bar = key.indexOf(PathSeparator());
  bool vidOk = false, pidOk = false;
  const int32_t vid = key.mid(1, bar - 1).toInt(&vidOk);
  const int32_t pid = key.mid(bar + 1).toInt(&pidOk);
  // Cleared first: whatever follows, the node is not made twice.
  node->setData(0, kNodePendingRole, QVariant());
  node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  const auto it = vidOk && pidOk ? volumeFolders_.find(vid) : volumeFolders_.end();
  if (it == volumeFolders_.end()) return;
  const std::optional<size_t> row = folderRow(*it->second, pid);
  if (!row || node->childCount() > 0) return;
  hangFolderNodes(node, vid, *it->second, it->second->tree.children[*row]);
}

TreeNode* Tree::NodeOfKey(const QString& key) {
  if (TreeNode* node = tv_->node(key)) return node;
  // "V" & VID & "|" & PID of a volume whose folders are loaded.
  if (NodeTypeOfKey(key) != kNodeFolder || !key.startsWith(Prefix_KeyVolume(), Qt::CaseInsensitive)) return nullptr;
  const qsizetype bar = key.indexOf(PathSeparator());
  bool vidOk = false, pidOk = false;
  const int32_t vid = key.mid(1, bar - 1).toInt(&vidOk);
  const int32_t pid = key.mid(bar + 1).toInt(&pidOk);
  if (!vidOk || !pidOk) return nullptr;
  const auto it = volumeFolders_.find(vid);
  if (it == volumeFolders_.end()) return nullptr;
  VolumeFolders& folders = *it->second;
  const std::optional<size_t> row = folderRow(folders, pid);
  if (!row) return nullptr;
  std::vector<size_t> above;
  for (size_t up = folders.tree.parent[*row]; up != FolderTree::kAtVolume; up = folders.tree.parent[up])
    above.push_back(up);
  const QString volumeKey = NodeKey(vid, kNodeVolume) + PathSeparator();
  for (auto at = above.rbegin(); at != above.rend(); ++at) {
    TreeNode* node = tv_->node(volumeKey + QString::number(folders.rows[*at].pid));
    if (!node) return nullptr;
    LoadFolderChildren(node);
  }
  return tv_->node(key);
}
