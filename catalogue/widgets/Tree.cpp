#include "catalogue/widgets/Tree.h"

#include "catalogue/mdlCommand_categories.h"
#include "catalogue/widgets/TreeNode.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_pictures.h"
#include "foundation/mdlQZLib51_sql.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "foundation/widgets/mdlQZLib52_window.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetSqlText.h"
#include "platform/jet/Recordset.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "platform/ui/widgets/QtPlatform.h"

#include <QBitmap>
#include <QHash>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <unordered_set>

namespace {

const QString kSource = QStringLiteral("Tree");
const QString kDummyPrefix = QStringLiteral("#Dummy#");
constexpr int kQuestionYesNoDefaultNo = ui::kYesNo | ui::kQuestion | ui::kDefaultButton2;  // 292

// Passes the error being handled on with the control as source.
[[noreturn]] void raiseAgain(const QString& procedure) {
  gErr->ErrRaise(0, kSource, procedure);
  throw;
}

[[noreturn]] void raiseNotFound() {
  throw rt::RaisedError(35601, QString(), QStringLiteral("Element nicht gefunden."));
}

[[noreturn]] void raiseNoDatabase() {
  throw rt::RaisedError(rt::kErrNoObject, QString(),
                        QStringLiteral("Objektvariable oder With-Blockvariable nicht festgelegt."));
}

bool isPictureError(const rt::RaisedError& e) { return e.number == 481 || e.number == 9; }

// 16 x 16 with light grey (C0C0C0) transparent in pictures that carry no transparency.
QPixmap listPixmap(const QImage& image) {
  QPixmap pixmap = QPixmap::fromImage(
      image.size() == QSize(16, 16) ? image : image.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  if (!image.hasAlphaChannel()) pixmap.setMask(pixmap.createMaskFromColor(QColor(0xC0, 0xC0, 0xC0)));
  return pixmap;
}

QPixmap placeholderPicture() {
  QPixmap p(16, 16);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DotLine));
  g.drawRect(2, 2, 11, 11);
  return p;
}

QPixmap dragFolderPicture() {
  QPixmap p(32, 32);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QColor(0x80, 0x60, 0x00));
  g.setBrush(QColor(0xF0, 0xD0, 0x60));
  g.drawRect(8, 12, 20, 14);
  g.drawRect(8, 9, 8, 3);
  g.setPen(Qt::black);
  g.drawLine(0, 0, 0, 10);
  g.drawLine(0, 0, 7, 7);
  return p;
}

void setLocked(QTreeWidgetItem* node, bool locked, const QColor& grey) {
  node->setData(0, kNodeLockedRole, locked);
  node->setData(0, Qt::ForegroundRole, locked ? QVariant(grey) : QVariant());
}

}  // namespace

Tree::Tree(QWidget* parent) : QWidget(parent), tv_(new TreeView(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tv_);
  tv_->images().add(QStringLiteral("i15"), placeholderPicture());
  imgDragFolder_ = dragFolderPicture();

  for (QTimer* t : {&timer1_, &timer2_, &timerNodeClick_}) t->setSingleShot(true);
  timerNodeClick_.setInterval(5);
  timer2_.setInterval(50);
  connect(&timer1_, &QTimer::timeout, this, &Tree::Timer1_Timer);
  connect(&timer2_, &QTimer::timeout, this, &Tree::Timer2_Timer);
  connect(&timerNodeClick_, &QTimer::timeout, this, &Tree::TimerNodeClick_Timer);

  connect(tv_, &QTreeWidget::itemExpanded, this, &Tree::TV_Expand);
  connect(tv_, &QTreeWidget::itemCollapsed, this, &Tree::TV_Collapse);
  connect(tv_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { TV_NodeClick(node); });
  connect(tv_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { onCurrentItemChanged(current); });
  connect(tv_, &QTreeWidget::itemChanged, this, &Tree::onItemChanged);
}

Tree::~Tree() {
  // The view dies with the base class; its last signals must not reach a half-destroyed tree.
  if (tv_) tv_->disconnect(this);
  timerNodeClick_.stop();
  pendingClickKey_.clear();
  setDragIcon(DragIcon::None);
  db_ = nullptr;
}

// ---- properties ----

void Tree::setBorder(bool border) { tv_->setFrameShape(border ? QFrame::StyledPanel : QFrame::NoFrame); }

void Tree::setCheckboxes(bool on) {
  checkboxes_ = on;
  QSignalBlocker block(tv_);
  for (QTreeWidgetItemIterator it(tv_); *it; ++it) {
    if (on) {
      prepareCheckbox(*it, (*it)->parent());
    } else {
      (*it)->setFlags((*it)->flags() & ~Qt::ItemIsUserCheckable);
      (*it)->setData(0, Qt::CheckStateRole, QVariant());
      (*it)->setData(0, kNodeCheckRole, QVariant());
      setLocked(*it, false, QColor());
    }
  }
}

QPixmap Tree::Icon(int32_t n) const { return tv_->images().pixmap(IconKey(n)); }

QTreeWidgetItem* Tree::SelectedItem() const {
  try {
    return tv_->currentItem();
  } catch (...) {
    raiseAgain(QStringLiteral("SelectedItem (Get)"));
  }
}

QPixmap Tree::SelectedItemIcon() const {
  try {
    const QTreeWidgetItem* node = tv_->currentItem();
    if (!node) raiseNoDatabase();
    return tv_->images().pixmap(NodeImage(node));
  } catch (...) {
    raiseAgain(QStringLiteral("SelectedItemIcon (Get)"));
  }
}

void Tree::setSelectedItem(QTreeWidgetItem* node) {
  try {
    selectNode(node);
    if (QTreeWidgetItem* selected = tv_->currentItem())
      TV_NodeClick(selected);
    else
      lastClickedKey_.clear();
  } catch (...) {
    raiseAgain(QStringLiteral("SelectedItem (Set)"));
  }
}

// ---- methods ----

void Tree::Clear() {
  timerNodeClick_.stop();
  pendingClickKey_.clear();
  lockedCheckKeys_.clear();
  endDrag();
  QScopedValueRollback<bool> quiet(filling_, true);
  tv_->clear();
}

QTreeWidgetItem* Tree::NodeCategory(int32_t CID) const {
  try {
    TreeNode* node = tv_->node(NodeKey(CID, 0));
    if (!node) raiseNotFound();
    return node;
  } catch (...) {
    raiseAgain(QStringLiteral("NodeCategory"));
  }
}

QString Tree::NodeKey(int32_t id, int32_t type) {
  if (type == 0) return Prefix_KeyCategory() + QString::number(id);
  if (type == 1) return Prefix_KeyVolume() + QString::number(id);
  return QString();
}

QString Tree::NodePath(const QTreeWidgetItem* node) {
  try {
    if (!node) raiseNoDatabase();
    const QString key = ui::itemKey(node);
    const qsizetype bar = key.indexOf(PathSeparator());
    return bar < 0 ? key : key.mid(bar + 1);
  } catch (...) {
    raiseAgain(QStringLiteral("NodePath"));
  }
}

int32_t Tree::NodeTypeOfKey(const QString& key) {
  if (key.startsWith(kDummyPrefix, Qt::CaseInsensitive)) return 3;
  if (key.startsWith(Prefix_KeyCategory(), Qt::CaseInsensitive)) return 0;
  if (key.contains(PathSeparator())) return 2;
  return 1;
}

int32_t Tree::NodeType(const QTreeWidgetItem* node) {
  try {
    if (!node) raiseNoDatabase();
    return NodeTypeOfKey(ui::itemKey(node));
  } catch (...) {
    raiseAgain(QStringLiteral("NodeType"));
  }
}

QString Tree::NodeImage(const QTreeWidgetItem* node) {
  return node ? node->data(0, kNodeImageRole).toString() : QString();
}

void Tree::SetNodeImage(QTreeWidgetItem* node, const QString& imageKey) { node->setData(0, kNodeImageRole, imageKey); }

bool Tree::NodeLocked(const QTreeWidgetItem* node) { return node && node->data(0, kNodeLockedRole).toBool(); }

bool Tree::NodeExists(const QString& Key) const { return tv_->node(Key) != nullptr; }

void Tree::Populate(const QString& SelectKey) { TVFill(SelectKey); }

bool Tree::SelectItem(const QString& Key, bool EnsureVisible) {
  try {
    TreeNode* node = tv_->node(Key);
    if (!node) raiseNotFound();
    selectNode(node);
    if (QTreeWidgetItem* selected = tv_->currentItem()) {
      if (EnsureVisible) ensureVisible(selected);
      TV_NodeClick(selected);
    }
    return true;
  } catch (...) {
    raiseAgain(QStringLiteral("SelectItem"));
  }
}

void Tree::X_ILIconsSystemRefresh() {
  try {
    if (!db_) raiseNoDatabase();
    auto rs = db_->OpenRecordset(QStringLiteral("tblICONS"), jet::RecordsetType::Table);
    ui::ImageList& images = tv_->images();
    while (!rs->IsEOF()) {
      const QString key = IconKey(rs->Fields(QStringLiteral("IID")).Value().toInt());
      std::optional<Picture> picture;
      try {
        picture = ReadPictureField(rs->Fields(QStringLiteral("Icon")));
      } catch (const rt::RaisedError& e) {
        // One unreadable picture must not keep every other icon and the whole tree away.
        if (!isPictureError(e)) throw;
      }
      if (picture && !picture->isEmpty()) {
        if (ImageListKeyExists(images, key)) images.remove(key);
        images.add(key, listPixmap(picture->image()));
      }
      rs->MoveNext();
    }
    rs->Close();
    tv_->viewport()->update();
  } catch (...) {
    raiseAgain(QStringLiteral("AddSystemIcons"));
  }
}

void Tree::IconsUserRemove() {
  try {
    // The list itself offers no key walk; the control knows the "u" images it added.
    const QStringList keys = userIcons_;
    userIcons_.clear();
    for (const QString& key : keys) tv_->images().remove(key);
  } catch (...) {
    raiseAgain(QStringLiteral("IconsUserRemove"));
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

void Tree::prepareCheckbox(QTreeWidgetItem* node, const QTreeWidgetItem* parent) {
  // A node that appears below a checked or locked node is locked and checked like its siblings.
  const bool locked = parent && (parent->checkState(0) == Qt::Checked || NodeLocked(parent));
  const Qt::CheckState state =
      locked ? Qt::Checked : (node->data(0, Qt::CheckStateRole).isValid() ? node->checkState(0) : Qt::Unchecked);
  node->setFlags(node->flags() | Qt::ItemIsUserCheckable);
  node->setCheckState(0, state);
  node->setData(0, kNodeCheckRole, static_cast<int>(state));
  setLocked(node, locked, tv_->palette().color(QPalette::Disabled, QPalette::Text));
}

void Tree::TVFill(const QString& SelectKey) {
  QString item;
  ++fillGeneration_;
  ui::HourglassScope hourglass;
  tv_->setUpdatesEnabled(false);
  filling_ = true;
  try {
    if (!db_) raiseNoDatabase();
    if (tv_->topLevelItemCount() > 0) Clear();
    IconsUserRemove();
    X_ILIconsSystemRefresh();
    dummyCount_ = 0;
    QTreeWidgetItem* firstAdded = nullptr;
    auto note = [&firstAdded](QTreeWidgetItem* node) {
      if (!firstAdded) firstAdded = node;
      return node;
    };

    auto cats = db_->OpenRecordset(QStringLiteral("tblCATEGORIES"), jet::RecordsetType::Table);
    auto seek = db_->OpenRecordset(QStringLiteral("tblCATEGORIES"), jet::RecordsetType::Table);
    seek->SetIndex(QStringLiteral("PrimaryKey"));
    const QString i12 = QStringLiteral("i12");
    if (cats->RecordCount() > 0) {
      while (!cats->IsEOF()) {
        const QString name = NzValue(cats->Fields(QStringLiteral("CatName")).Value(), QString()).toText();
        item = QStringLiteral("Kategorie: ") + name;
        emit Status(gErr->MsgLoad(179, name));
        const int32_t cid = cats->Fields(QStringLiteral("CID")).Value().toInt();
        const QString key = NodeKey(cid, 0);
        const rt::Variant parent = cats->Fields(QStringLiteral("Parent")).Value();
        if (parent.isNull()) {
          if (!NodeExists(key)) note(addNode(nullptr, key, name, i12, cid));
        } else {
          std::vector<CatItem> ancestors;
          fCatArrayParent(cid, ancestors, db_);
          QTreeWidgetItem* above = nullptr;
          for (const CatItem& ancestor : ancestors) {
            const QString ancestorKey = NodeKey(ancestor.CID, 0);
            if (TreeNode* existing = tv_->node(ancestorKey)) {
              above = existing;
              continue;
            }
            seek->Seek(QStringLiteral("="), {rt::Variant(ancestor.CID)});
            // A parent id without a row: the chain hangs at the nearest ancestor that exists.
            if (seek->NoMatch()) continue;
            above = note(addNode(above, ancestorKey,
                                 NzValue(seek->Fields(QStringLiteral("CatName")).Value(), QString()).toText(), i12,
                                 seek->Fields(QStringLiteral("CID")).Value().toInt()));
          }
          if (!NodeExists(key)) note(addNode(above, key, name, i12, cid));
        }
        cats->MoveNext();
      }
    }
    seek->Close();
    cats->Close();

    auto vols =
        db_->OpenRecordset(BuildSelectSql(QStringLiteral("tblVOLUMES"), QString(), QStringLiteral("VolumeName"), false),
                           jet::RecordsetType::ForwardOnly);
    while (!vols->IsEOF()) {
      const QString name = NzValue(vols->Fields(QStringLiteral("VolumeName")).Value(), QString()).toText();
      item = QStringLiteral("Volume: ") + name;
      emit Status(gErr->MsgLoad(180, name));
      const QString volumePath = NzValue(vols->Fields(QStringLiteral("VolumePath")).Value(), QString()).toText();
      const int32_t vid = vols->Fields(QStringLiteral("VID")).Value().toInt();
      const rt::Variant type = vols->Fields(QStringLiteral("VolumeType")).Value();
      QString image = type.isNull() ? QString() : IconKey(type.toInt());
      // Drive types without a picture of their own show the fixed-disk picture.
      if (!tv_->images().contains(image)) image = IconKey(3);
      const rt::Variant catId = vols->Fields(QStringLiteral("CatID")).Value();
      // A volume whose category is gone stays visible on the top level.
      QTreeWidgetItem* parent = catId.isNull() ? nullptr : tv_->node(NodeKey(catId.toInt(), 0));
      TreeNode* volume = addNode(parent, NodeKey(vid, 1), name, image, vid);
      note(volume);
      addNode(volume, kDummyPrefix + QString::number(++dummyCount_), volumePath, QStringLiteral("i15"), QVariant());
      vols->MoveNext();
    }
    vols->Close();
    tv_->sortItems(0, Qt::AscendingOrder);

    emit Status(gErr->MsgLoad(181));
    auto icons = db_->OpenRecordset(
        BuildSelectSql(QStringLiteral("tblCATEGORIES"), QStringLiteral("[Icon] Is Not Null"), QString(), false),
        jet::RecordsetType::ForwardOnly);
    while (!icons->IsEOF()) {
      const int32_t cid = icons->Fields(QStringLiteral("CID")).Value().toInt();
      std::optional<Picture> picture;
      try {
        picture = fCatIconLoad(cid, db_);
      } catch (const rt::RaisedError& e) {
        if (!isPictureError(e)) throw;
      }
      if (picture && !picture->isEmpty()) {
        const QString key = Prefix_KeyUserIcon() + QString::number(cid);
        tv_->images().add(key, listPixmap(picture->image()));
        userIcons_ << key;
        if (TreeNode* node = tv_->node(NodeKey(cid, 0))) SetNodeImage(node, key);
      }
      icons->MoveNext();
    }
    icons->Close();

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
  const QString volumeKey = NodeKey(VolID, 1);
  try {
    if (!db_) raiseNoDatabase();
    // The read yields to pending input: no command may start meanwhile; Esc and closing are
    // left to the operation around the expansion, if any.
    ui::BusyScope busy;
    emit VolumeFill(Name, false);
    const int generation = fillGeneration_;

    struct Row {
      int32_t pid;
      rt::Variant path;
      rt::Variant parent;
    };
    std::vector<Row> rows;
    auto rs = db_->OpenRecordset(
        QStringLiteral("SELECT PID, Path, Parent FROM tblPATHS WHERE (VolumeID=#VolID#) ORDER BY PID;")
            .replace(QStringLiteral("#VolID#"), QString::number(VolID)),
        jet::RecordsetType::ForwardOnly);
    while (!rs->IsEOF()) {
      DoEventsIfInput();
      rows.push_back({rs->Fields(0).Value().toInt(), rs->Fields(1).Value(), rs->Fields(2).Value()});
      rs->MoveNext();
    }
    rs->Close();

    // The input that was let through may have refilled the tree or loaded this volume.
    TreeNode* volume = tv_->node(volumeKey);
    if (generation != fillGeneration_ || !volume || volume->childCount() > 0) return;

    // Build the folders detached, each parent's children in catalogue text order, and hang
    // them into the view at once.
    std::vector<std::unique_ptr<TreeNode>> nodes;
    nodes.reserve(rows.size());
    QHash<int32_t, size_t> byPid;
    byPid.reserve(static_cast<qsizetype>(rows.size()));
    for (const Row& row : rows) {
      const bool root = row.path.isNull();
      const QString key = volumeKey + PathSeparator() + QString::number(row.pid);
      auto node = std::make_unique<TreeNode>(tv_, key, root ? RootText + QStringLiteral(" [Root]") : row.path.toText(),
                                             root ? QStringLiteral("i16") : QStringLiteral("i10"));
      ui::setItemTag(node.get(), row.pid);
      byPid.insert(row.pid, nodes.size());
      nodes.push_back(std::move(node));
    }
    // Children of each folder (index into nodes), and those that hang at the volume.
    std::vector<std::vector<size_t>> children(nodes.size());
    std::vector<size_t> atVolume;
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].path.isNull() || rows[i].parent.isNull()) {
        atVolume.push_back(i);
        continue;
      }
      const auto it = byPid.constFind(rows[i].parent.toInt());
      if (it == byPid.constEnd() || it.value() == i)
        atVolume.push_back(i);
      else
        children[it.value()].push_back(i);
    }
    // Walk from the volume; folders not reached (a missing parent or a loop of parents) hang
    // at the volume, so every row is shown once and no parent chain can close on itself.
    std::vector<char> reached(nodes.size(), 0);
    std::vector<size_t> order;
    order.reserve(nodes.size());
    std::vector<size_t> top;
    std::vector<std::vector<size_t>> kidsOf(nodes.size());  // the children each node takes
    auto walk = [&](size_t start) {
      size_t from = order.size();
      reached[start] = 1;
      order.push_back(start);
      while (from < order.size()) {
        const size_t at = order[from++];
        for (size_t c : children[at])
          if (!reached[c]) {
            reached[c] = 1;
            kidsOf[at].push_back(c);
            order.push_back(c);
          }
      }
    };
    for (size_t i : atVolume)
      if (!reached[i]) {
        top.push_back(i);
        walk(i);
      }
    for (size_t i = 0; i < nodes.size(); ++i)
      if (!reached[i]) {
        top.push_back(i);
        walk(i);
      }

    const auto byText = [&nodes](size_t a, size_t b) {
      return jet::compareText(nodes[a]->text(0), nodes[b]->text(0)) < 0;
    };
    // Parents take their children deepest first, while everything is still detached.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      std::vector<size_t>& kids = kidsOf[*it];
      if (kids.empty()) continue;
      std::stable_sort(kids.begin(), kids.end(), byText);
      QList<QTreeWidgetItem*> list;
      list.reserve(static_cast<qsizetype>(kids.size()));
      for (size_t c : kids) list << nodes[c].get();
      nodes[*it]->addChildren(list);
    }
    QList<QTreeWidgetItem*> list;
    for (size_t i : top) list << nodes[i].get();
    if (checkboxes_) {
      for (size_t i : order) {
        QTreeWidgetItem* n = nodes[i].get();
        prepareCheckbox(n, n->parent() ? n->parent() : volume);
      }
    }
    for (auto& node : nodes) node.release();  // owned by their parents or the volume from here
    {
      QSignalBlocker block(tv_);
      volume->addChildren(list);
    }
    emit VolumeFill(Name, true);
  } catch (...) {
    // Keep the volume expandable so the user can try again.
    if (TreeNode* volume = tv_->node(volumeKey); volume && volume->childCount() == 0)
      addNode(volume, kDummyPrefix + QString::number(++dummyCount_), RootText, QStringLiteral("i15"), QVariant());
    raiseAgain(QStringLiteral("TVFillVolume (VolID = ") + QString::number(VolID) + QStringLiteral(")"));
  }
}

// ---- clicks, expansion, collapse ----

void Tree::selectNode(QTreeWidgetItem* node) {
  QScopedValueRollback<bool> quiet(selecting_, true);
  tv_->setCurrentItem(node);
  if (!node) tv_->clearSelection();
}

void Tree::ensureVisible(QTreeWidgetItem* node) {
  // Scrolling opens the ancestors; those expansions are not the user's.
  QScopedValueRollback<bool> quiet(selecting_, true);
  tv_->scrollToItem(node);
}

void Tree::onCurrentItemChanged(QTreeWidgetItem* current) {
  // Keyboard moves reach the host like clicks; the control's own selections run the click
  // logic themselves.
  if (filling_ || selecting_ || !current) return;
  TV_NodeClick(current);
}

void Tree::TV_NodeClick(QTreeWidgetItem* node) {
  dragging_ = false;
  if (!node) return;
  try {
    const QString key = ui::itemKey(node);
    if (key.compare(lastClickedKey_, Qt::CaseInsensitive) == 0) return;
    // Noted before the host hears of it, so a host that selects another node from its
    // handler is not overwritten afterwards.
    lastClickedKey_ = key;
    if (useNodeClickTimer_) {
      pendingClickKey_ = key;
      timerNodeClick_.start();
    } else {
      pendingClickKey_.clear();
      emit NodeClick(node);
    }
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("TV_NodeClick"));
  }
}

void Tree::TimerNodeClick_Timer() {
  timerNodeClick_.stop();
  const QString key = pendingClickKey_;
  pendingClickKey_.clear();
  if (key.isEmpty()) return;
  try {
    if (TreeNode* node = tv_->node(key)) emit NodeClick(node);
  } catch (...) {
    // Errors of the deferred report are ignored; the host reports its own.
  }
}

void Tree::TV_Expand(QTreeWidgetItem* node) {
  dragging_ = false;
  if (!node) return;
  const bool locked = LockWindowRedraw(this);
  ui::HourglassScope hourglass;
  try {
    const QString key = ui::itemKey(node);
    switch (NodeType(node)) {
      case 0:
        if (!NodeImage(node).startsWith(Prefix_KeyUserIcon(), Qt::CaseInsensitive))
          SetNodeImage(node, QStringLiteral("i13"));
        break;
      case 1:
        if (node->childCount() == 1 && NodeType(node->child(0)) == 3) {
          const QString rootText = node->child(0)->text(0);
          const int32_t vid = ui::itemTag(node).toInt();
          {
            QScopedValueRollback<bool> quiet(filling_, true);
            delete node->takeChild(0);
          }
          TVFillVolume(vid, rootText, node->text(0));
        }
        break;
      case 2:
        if (NodeImage(node).compare(QStringLiteral("i16"), Qt::CaseInsensitive) != 0)
          SetNodeImage(node, QStringLiteral("i11"));
        break;
      default:
        break;
    }
    // Loading let input through: act only on a node that still stands in the tree. An
    // expansion that the control's own scrolling caused leaves the selection alone.
    QTreeWidgetItem* current = tv_->node(key);
    if (current && !selecting_ && !filling_) {
      selectNode(current);
      ensureVisible(current);
      TV_NodeClick(current);
    }
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("TV_Expand"));
  }
  hourglass.end();
  if (locked) LockWindowRedraw(nullptr);
}

void Tree::TV_Collapse(QTreeWidgetItem* node) {
  dragging_ = false;
  if (!node) return;
  try {
    const int32_t type = NodeType(node);
    if (type == 2 && NodeImage(node).compare(QStringLiteral("i16"), Qt::CaseInsensitive) != 0)
      SetNodeImage(node, QStringLiteral("i10"));
    else if (type == 0 && !NodeImage(node).startsWith(Prefix_KeyUserIcon(), Qt::CaseInsensitive))
      SetNodeImage(node, QStringLiteral("i12"));
    if (selecting_ || filling_) return;
    selectNode(node);
    ensureVisible(node);
    TV_NodeClick(node);
  } catch (...) {
    // Collapsing reports nothing.
  }
}

// ---- mouse and drag ----

void Tree::TV_MouseDown(Qt::MouseButton button, const QPoint& pos) {
  if (button != Qt::LeftButton) return;
  try {
    dragNode_ = tv_->itemAt(pos);
    dragOverNode_ = nullptr;
    if (!dragNode_) return;
    if (NodeType(dragNode_) == 2) {
      dragNode_ = nullptr;
      return;
    }
    const QTreeWidgetItem* selected = tv_->currentItem();
    if (!selected || ui::itemKey(selected).compare(ui::itemKey(dragNode_), Qt::CaseInsensitive) != 0) {
      selectNode(dragNode_);
      TV_NodeClick(dragNode_);
    }
    timer1_.start(dragDelay_);
  } catch (...) {
    // A press that fails only starts no drag.
  }
}

void Tree::Timer1_Timer() {
  timer1_.stop();
  if (!dragNode_) return;
  dragging_ = true;
  setDragIcon(DragIcon::NoDrop);
}

void Tree::TV_MouseMove(const QPoint& pos) {
  if (!dragging_) return;
  TV_DragOver(pos, tv_->viewport()->rect().contains(pos) ? 0 : 1);
}

void Tree::TV_MouseUp(Qt::MouseButton button, const QPoint& pos) {
  timer1_.stop();
  try {
    if (dragging_ && button == Qt::LeftButton) {
      // A release outside the tree is no drop anywhere.
      if (tv_->viewport()->rect().contains(pos))
        TV_DragDrop(pos);
      else
        endDrag();
    }
    dragging_ = false;
    if (button != Qt::RightButton) return;
    if (tv_->topLevelItemCount() == 0) {
      emit MenuEmptyDB();
      return;
    }
    const QTreeWidgetItem* selected = tv_->currentItem();
    if (!selected) return;
    switch (NodeType(selected)) {
      case 0:
        emit MenuCategory();
        break;
      case 1:
        emit MenuVolume();
        break;
      case 2:
        emit MenuFolder();
        break;
      default:
        break;
    }
  } catch (...) {
    // The release reports nothing.
  }
}

void Tree::TV_DragOver(const QPoint& pos, int state) {
  if (!dragging_ || !dragNode_) return;
  QTreeWidgetItem* over = state == 1 ? nullptr : tv_->itemAt(pos);
  if (over == dragOverNode_) return;
  try {
    dragOverNode_ = over;
    tv_->setDropHighlight(over);
    const QTreeWidgetItem* selected = tv_->currentItem();
    if (!selected) return;
    setDragIcon(DragIcon::Empty);
    if (dragOverNode_ == selected) {
      if (state != 1) setDragIcon(DragIcon::NoDrop);
    } else if (dragOverNode_) {
      if (NodeType(dragOverNode_) != 0 || dragOverNode_ == dragNode_->parent() ||
          (NodeType(dragNode_) == 0 && IsNodeAncestor(dragNode_, dragOverNode_)))
        setDragIcon(DragIcon::NoDrop);
    }
    if (dragIcon_ == DragIcon::Empty) setDragIcon(DragIcon::DragFolder);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("TV_DragOver"));
  }
}

bool Tree::moveWouldCycle(int32_t draggedCID, int32_t targetCID) const {
  if (draggedCID == targetCID) return true;
  std::vector<CatItem> ancestors;
  fCatArrayParent(targetCID, ancestors, db_);
  return std::any_of(ancestors.begin(), ancestors.end(),
                     [draggedCID](const CatItem& c) { return c.CID == draggedCID; });
}

void Tree::TV_DragDrop(const QPoint&) {
  try {
    if (dragNode_ && dragging_ && dragIcon_ != DragIcon::NoDrop) {
      // Over empty space the target is the top level; the first top-level node stands for it
      // only in the test for dropping that node on itself. The selection stays on the dragged
      // node, which the host still shows.
      const bool topLevel = tv_->dropHighlight() == nullptr;
      QTreeWidgetItem* target = topLevel ? GetFirstRootNode(tv_) : tv_->dropHighlight();
      const bool sameNode = !target || ui::itemKey(target).compare(ui::itemKey(dragNode_), Qt::CaseInsensitive) == 0;
      if (!sameNode && (topLevel || NodeType(target) == 0)) {
        if (!db_) raiseNoDatabase();
        const bool isVolume = NodeType(dragNode_) != 0;
        const QString draggedText = dragNode_->text(0);
        int message = 0;
        rt::Variant second = rt::Null;
        if (topLevel) {
          message = isVolume ? 159 : 160;
        } else {
          message = isVolume ? 157 : 158;
          second = target->text(0);
        }
        // What is moved where is taken before the question: the box lets events through, and
        // the nodes may be gone when it returns.
        const int32_t id = ui::itemTag(dragNode_).toInt();
        const rt::Variant value = topLevel ? rt::Null : rt::Variant(ui::itemTag(target).toInt());
        const QString key = ui::itemKey(dragNode_);
        setDragIcon(DragIcon::None);
        if (gErr->MsgShow(message, kQuestionYesNoDefaultNo, draggedText, second) == ui::kAnswerYes) {
          // The tree shows every category, but the catalogue is what must never hold a loop.
          const bool refused = !isVolume && !topLevel && moveWouldCycle(id, value.toInt());
          if (!refused) {
            auto rs = db_->OpenRecordset(isVolume ? QStringLiteral("tblVOLUMES") : QStringLiteral("tblCATEGORIES"),
                                         jet::RecordsetType::Table);
            rs->SetIndex(QStringLiteral("PrimaryKey"));
            rs->Seek(QStringLiteral("="), {rt::Variant(id)});
            if (!rs->NoMatch()) {
              rs->Edit();
              rs->Fields(isVolume ? QStringLiteral("CatID") : QStringLiteral("Parent")).SetValue(value);
              rs->Update();
            }
            rs->Close();
          }
          endDrag();
          TVFill(key);
          tv_->setDropHighlight(nullptr);
        }
      }
    }
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("TV_DragDrop"));
  }
  endDrag();
}

void Tree::nodeGone(const QTreeWidgetItem* node) {
  // A drag whose node is gone ends; a target that is gone is no longer under the pointer.
  // Nodes go in the middle of Qt's own removal, so nothing here asks the model for an index.
  if (node == dragNode_) {
    timer1_.stop();
    dragNode_ = nullptr;
    dragOverNode_ = nullptr;
    dragging_ = false;
    if (tv_->dropHighlight()) tv_->forgetDropHighlight();
    setDragIcon(DragIcon::None);
  } else if (node == dragOverNode_) {
    dragOverNode_ = nullptr;
  }
}

void Tree::setDragIcon(DragIcon icon) {
  const bool shown = dragIcon_ == DragIcon::NoDrop || dragIcon_ == DragIcon::DragFolder;
  dragIcon_ = icon;
  if (icon == DragIcon::NoDrop)
    ui::setMousePointer(ui::kPointerNoDrop);
  else if (icon == DragIcon::DragFolder) {
    ui::setCustomMousePointer(imgDragFolder_, QPoint(0, 0));
    ui::setMousePointer(ui::kPointerCustom);
  } else if (shown)
    // Only a pointer the drag put up goes back; an hourglass of someone else stays.
    ui::setMousePointer(ui::kPointerDefault);
}

void Tree::endDrag() {
  tv_->setDropHighlight(nullptr);
  dragNode_ = nullptr;
  dragOverNode_ = nullptr;
  setDragIcon(DragIcon::Empty);
  setDragIcon(DragIcon::None);
  dragging_ = false;
}

// ---- check boxes ----

void Tree::onItemChanged(QTreeWidgetItem* node) {
  if (!checkboxes_ || !node) return;
  const int state = static_cast<int>(node->checkState(0));
  if (node->data(0, kNodeCheckRole).toInt() == state) return;  // another change than the tick
  {
    QSignalBlocker block(tv_);
    node->setData(0, kNodeCheckRole, state);
  }
  TV_NodeCheck(node);
}

void Tree::TV_NodeCheck(QTreeWidgetItem* node) {
  try {
    if (NodeLocked(node)) {
      const QString key = ui::itemKey(node);
      if (!lockedCheckKeys_.contains(key, Qt::CaseInsensitive)) lockedCheckKeys_ << key;
      timer2_.start();
      return;
    }
    if (node->childCount() > 0) {
      std::vector<QTreeWidgetItem*> descendants;
      int count = 0;
      CollectTreeNodes(node, descendants, count, true);
      const Qt::CheckState state = node->checkState(0);
      const bool checked = state == Qt::Checked;
      const QColor grey = tv_->palette().color(QPalette::Disabled, QPalette::Text);
      QSignalBlocker block(tv_);
      for (int i = 0; i < count; ++i) {
        descendants[static_cast<size_t>(i)]->setCheckState(0, state);
        descendants[static_cast<size_t>(i)]->setData(0, kNodeCheckRole, static_cast<int>(state));
        setLocked(descendants[static_cast<size_t>(i)], checked, grey);
      }
    }
    bool anyChecked = false;
    for (QTreeWidgetItemIterator it(tv_); *it && !anyChecked; ++it) anyChecked = (*it)->checkState(0) == Qt::Checked;
    emit SelectionChanged(anyChecked);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("TV_NodeCheck"));
  }
}

void Tree::Timer2_Timer() {
  timer2_.stop();
  try {
    // The boxes that were clicked go back, whichever node is selected. A locked box is always
    // checked, so it is set, not toggled: a box ticked twice before this fires stays checked.
    const QStringList keys = lockedCheckKeys_;
    lockedCheckKeys_.clear();
    QSignalBlocker block(tv_);
    for (const QString& key : keys) {
      if (TreeNode* node = tv_->node(key); node && NodeLocked(node)) {
        node->setCheckState(0, Qt::Checked);
        node->setData(0, kNodeCheckRole, static_cast<int>(Qt::Checked));
      }
    }
    block.unblock();
    gErr->MsgShow(184, ui::kInformation);
  } catch (...) {
    // The reversal reports nothing beyond its message.
  }
}
