#pragma once

// Keys and tags of tree nodes and list items ("C12", "V3|40", "A17"), kept in item data.
// Keys compare without regard to case.

#include <QString>
#include <QVariant>

class QTreeWidget;
class QTreeWidgetItem;

namespace ui {

inline constexpr int kItemKeyRole = Qt::UserRole + 1;
inline constexpr int kItemTagRole = Qt::UserRole + 2;

QString itemKey(const QTreeWidgetItem* item);
void setItemKey(QTreeWidgetItem* item, const QString& key);
QVariant itemTag(const QTreeWidgetItem* item);
void setItemTag(QTreeWidgetItem* item, const QVariant& tag);

// The item of that key anywhere in the widget, or nullptr.
QTreeWidgetItem* findItemByKey(const QTreeWidget* widget, const QString& key);

}  // namespace ui
