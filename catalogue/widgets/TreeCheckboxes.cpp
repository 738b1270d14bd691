// The tree control's check boxes: a checked node checks and locks its whole subtree; a click on
// a locked box is undone shortly after, with a message.

#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeErrors.h"
#include "catalogue/widgets/TreeNode.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/mdlQZLib52_window.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QSignalBlocker>
#include <QTreeWidgetItemIterator>

using treeerr::kSource;

namespace {

void setLocked(QTreeWidgetItem* node, bool locked, const QColor& grey) {
  node->setData(0, kNodeLockedRole, locked);
  node->setData(0, Qt::ForegroundRole, locked ? QVariant(grey) : QVariant());
}

}  // namespace

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
    gErr->MsgShow(kMsgNodeCheckFixed, ui::kInformation);
  } catch (...) {
    // The reversal reports nothing beyond its message.
  }
}
