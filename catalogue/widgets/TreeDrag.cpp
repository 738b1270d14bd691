// The tree control's mouse handling: the press that arms a drag, the drag over the nodes, the
// drop that moves a volume or a category, and the release that asks for a context menu.

#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeErrors.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/mdlQZLib52_window.h"
#include "platform/runtime/Variant.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "platform/ui/widgets/QtPlatform.h"

using treeerr::kSource;
using treeerr::raiseNoObject;

namespace {
constexpr int kQuestionYesNoDefaultNo = ui::kYesNo | ui::kQuestion | ui::kDefaultButton2;  // 292
}  // namespace

void Tree::TV_MouseDown(Qt::MouseButton button, const QPoint& pos) {
  if (button != Qt::LeftButton) return;
  try {
    dragNode_ = tv_->itemAt(pos);
    dragOverNode_ = nullptr;
    if (!dragNode_) return;
    if (NodeType(dragNode_) == kNodeFolder) {
      dragNode_ = nullptr;
      return;
    }
    const QTreeWidgetItem* selected = tv_->currentItem();
    if (!selected || ui::itemKey(selected).compare(ui::itemKey(dragNode_), Qt::CaseInsensitive) != 0) {
      selectNode(dragNode_);
      TV_NodeClick(dragNode_);
    }
    // A tree without drags only selects the pressed node.
    if (!allowDrag_) {
      dragNode_ = nullptr;
      return;
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
      case kNodeCategory:
        emit MenuCategory();
        break;
      case kNodeVolume:
        emit MenuVolume();
        break;
      case kNodeFolder:
        emit MenuFolder();
        break;
      case kNodePlaceholder:
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
      if (NodeType(dragOverNode_) != kNodeCategory || dragOverNode_ == dragNode_->parent() ||
          (NodeType(dragNode_) == kNodeCategory && IsNodeAncestor(dragNode_, dragOverNode_)))
        setDragIcon(DragIcon::NoDrop);
    }
    if (dragIcon_ == DragIcon::Empty) setDragIcon(DragIcon::DragFolder);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("TV_DragOver"));
  }
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
      if (!sameNode && (topLevel || NodeType(target) == kNodeCategory)) {
        if (!db_) raiseNoObject();
        const bool isVolume = NodeType(dragNode_) != kNodeCategory;
        const QString draggedText = dragNode_->text(0);
        int message = 0;
        rt::Variant second = rt::Null;
        if (topLevel) {
          message = isVolume ? kMsgMoveVolumeToTopAsk : kMsgMoveCategoryToTopAsk;
        } else {
          message = isVolume ? kMsgMoveVolumeAsk : kMsgMoveCategoryAsk;
          second = target->text(0);
        }
        // What is moved where is taken before the question: the box lets events through, and
        // the nodes may be gone when it returns.
        const int32_t id = ui::itemTag(dragNode_).toInt();
        const rt::Variant value = topLevel ? rt::Null : rt::Variant(ui::itemTag(target).toInt());
        const QString key = ui::itemKey(dragNode_);
        setDragIcon(DragIcon::None);
        if (gErr->MsgShow(message, kQuestionYesNoDefaultNo, draggedText, second) == ui::kAnswerYes) {
          if (isVolume)
            fVolumeMove(id, value, db_);
          else
            fCatMove(id, value, db_);  // refuses a move that would close a loop
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
  if (icon == DragIcon::NoDrop) {
    ui::setMousePointer(ui::kPointerNoDrop);
  } else if (icon == DragIcon::DragFolder) {
    ui::setCustomMousePointer(imgDragFolder_, QPoint(0, 0));
    ui::setMousePointer(ui::kPointerCustom);
  } else if (shown) {
    // Only a pointer the drag put up goes back; an hourglass of someone else stays.
    ui::setMousePointer(ui::kPointerDefault);
  }
}

void Tree::endDrag() {
  tv_->setDropHighlight(nullptr);
  dragNode_ = nullptr;
  dragOverNode_ = nullptr;
  setDragIcon(DragIcon::Empty);
  setDragIcon(DragIcon::None);
  dragging_ = false;
}
