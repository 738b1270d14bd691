#include "catalogue/widgets/Tree.h"

#include "catalogue/widgets/TreeErrors.h"
#include "catalogue/widgets/TreeNode.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QPainter>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace treeerr {

void raiseNotFound() {
  throw rt::RaisedError(rt::kErrElementNotFound, QString(), QStringLiteral("Element nicht gefunden."));
}

void raiseNoObject() {
  throw rt::RaisedError(rt::kErrNoObject, QString(),
                        QStringLiteral("Objektvariable oder With-Blockvariable nicht festgelegt."));
}

}  // namespace treeerr

using treeerr::kSource;
using treeerr::raiseNoObject;
using treeerr::raiseNotFound;

namespace {

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

}  // namespace

Tree::Tree(QWidget* parent) : QWidget(parent), tv_(new TreeView(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tv_);
  tv_->images().add(IconKey(kIconPlaceholder), placeholderPicture());
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

QPixmap Tree::Icon(int32_t n) const { return tv_->images().pixmap(IconKey(n)); }

QTreeWidgetItem* Tree::SelectedItem() const {
  try {
    return tv_->currentItem();
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("SelectedItem (Get)"));
  }
}

QPixmap Tree::SelectedItemIcon() const {
  try {
    const QTreeWidgetItem* node = tv_->currentItem();
    if (!node) raiseNoObject();
    return tv_->images().pixmap(NodeImage(node));
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("SelectedItemIcon (Get)"));
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
    gErr->ErrReRaise(kSource, QStringLiteral("SelectedItem (Set)"));
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
  volumeFolders_.clear();
}

QTreeWidgetItem* Tree::NodeCategory(int32_t CID) const {
  try {
    TreeNode* node = tv_->node(NodeKey(CID, kNodeCategory));
    if (!node) raiseNotFound();
    return node;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("NodeCategory"));
  }
}

QString Tree::NodeKey(int32_t id, int32_t type) {
  if (type == kNodeCategory) return Prefix_KeyCategory() + QString::number(id);
  if (type == kNodeVolume) return Prefix_KeyVolume() + QString::number(id);
  return QString();
}

QString Tree::NodePath(const QTreeWidgetItem* node) {
  try {
    if (!node) raiseNoObject();
    const QString key = ui::itemKey(node);
    const qsizetype bar = key.indexOf(PathSeparator());
    return bar < 0 ? key : key.mid(bar + 1);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("NodePath"));
  }
}

Tree::NodeKind Tree::NodeTypeOfKey(const QString& key) {
  if (key.startsWith(Prefix_KeyPlaceholder(), Qt::CaseInsensitive)) return kNodePlaceholder;
  if (key.startsWith(Prefix_KeyCategory(), Qt::CaseInsensitive)) return kNodeCategory;
  if (key.contains(PathSeparator())) return kNodeFolder;
  return kNodeVolume;
}

Tree::NodeKind Tree::NodeType(const QTreeWidgetItem* node) {
  try {
    if (!node) raiseNoObject();
    return NodeTypeOfKey(ui::itemKey(node));
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("NodeType"));
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
    TreeNode* node = NodeOfKey(Key);
    if (!node) raiseNotFound();
    selectNode(node);
    if (QTreeWidgetItem* selected = tv_->currentItem()) {
      if (EnsureVisible) ensureVisible(selected);
      TV_NodeClick(selected);
    }
    return true;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("SelectItem"));
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
  tv_->scrollNodeIntoView(node);
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
      case kNodeCategory:
        if (!NodeImage(node).startsWith(Prefix_KeyUserIcon(), Qt::CaseInsensitive))
          SetNodeImage(node, IconKey(kIconCategoryOpen));
        break;
      case kNodeVolume:
        if (node->childCount() == 1 && NodeType(node->child(0)) == kNodePlaceholder) {
          const QString rootText = node->child(0)->text(0);
          const int32_t vid = ui::itemTag(node).toInt();
          {
            QScopedValueRollback<bool> quiet(filling_, true);
            delete node->takeChild(0);
          }
          TVFillVolume(vid, rootText, node->text(0));
        }
        break;
      case kNodeFolder:
        LoadFolderChildren(node);
        if (NodeImage(node).compare(IconKey(kIconRootFolder), Qt::CaseInsensitive) != 0)
          SetNodeImage(node, IconKey(kIconFolderOpen));
        break;
      case kNodePlaceholder:
        break;
    }
    // The load pumps messages: act only on a node that still stands in the tree. An
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
    const NodeKind type = NodeType(node);
    if (type == kNodeFolder && NodeImage(node).compare(IconKey(kIconRootFolder), Qt::CaseInsensitive) != 0)
      SetNodeImage(node, IconKey(kIconFolderClosed));
    else if (type == kNodeCategory && !NodeImage(node).startsWith(Prefix_KeyUserIcon(), Qt::CaseInsensitive))
      SetNodeImage(node, IconKey(kIconCategoryClosed));
    if (selecting_ || filling_) return;
    selectNode(node);
    ensureVisible(node);
    TV_NodeClick(node);
  } catch (...) {
    // Collapsing reports nothing.
  }
}
