#include "catalogue/widgets/TreeNode.h"

#include "catalogue/widgets/TreeView.h"
#include "platform/jet/JetSqlText.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QBrush>
#include <QColor>
#include <QIcon>
#include <QPalette>

TreeNode::TreeNode(TreeView* owner, const QString& key, const QString& text, const QString& imageKey)
    : view_(owner), registeredKey_(key.toLower()) {
  setText(0, text);
  ui::setItemKey(this, key);
  QTreeWidgetItem::setData(0, kNodeImageRole, imageKey);
  QTreeWidgetItem::setData(0, kNodeSeqRole, view_->nextSeq());
  view_->registerNode(registeredKey_, this);
}

TreeNode::~TreeNode() {
  if (view_->dropHighlight_ == this) view_->dropHighlight_ = nullptr;
  view_->nodeGone(this);
  view_->unregisterNode(registeredKey_, this);
}

QVariant TreeNode::data(int column, int role) const {
  if (column == 0 && role == Qt::DecorationRole) {
    const QString imageKey = QTreeWidgetItem::data(0, kNodeImageRole).toString();
    if (!imageKey.isEmpty() && view_->images().contains(imageKey)) return QIcon(view_->images().pixmap(imageKey));
    return QVariant();
  }
  if (role == Qt::BackgroundRole && view_->dropHighlight_ == this)
    return QBrush(view_->palette().color(QPalette::Highlight).lighter(160));
  return QTreeWidgetItem::data(column, role);
}

bool TreeNode::operator<(const QTreeWidgetItem& other) const {
  const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
  return jet::compareText(text(column < 0 ? 0 : column), other.text(column < 0 ? 0 : column)) < 0;
}
