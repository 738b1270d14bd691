#include "platform/ui/widgets/ItemKeys.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace ui {

QString itemKey(const QTreeWidgetItem* item) { return item ? item->data(0, kItemKeyRole).toString() : QString(); }
void setItemKey(QTreeWidgetItem* item, const QString& key) { item->setData(0, kItemKeyRole, key); }
QVariant itemTag(const QTreeWidgetItem* item) { return item ? item->data(0, kItemTagRole) : QVariant(); }
void setItemTag(QTreeWidgetItem* item, const QVariant& tag) { item->setData(0, kItemTagRole, tag); }

QTreeWidgetItem* findItemByKey(const QTreeWidget* widget, const QString& key) {
  if (!widget || key.isEmpty()) return nullptr;
  for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(widget)); *it; ++it)
    if (itemKey(*it).compare(key, Qt::CaseInsensitive) == 0) return *it;
  return nullptr;
}

}  // namespace ui
