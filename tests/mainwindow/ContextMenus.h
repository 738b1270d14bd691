#pragma once

// Reaching the main window's context menus as a user does: a left click selects a node or a
// row, a right click over it opens the menu, and a click on an item (through its submenu when
// it lies in one) runs the command. Whatever modal windows the command opens must be answered
// by a script set up before the item is clicked.

#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/TreeView.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace menus {

// The pop-up menu that is open, waited for; none when no menu came.
inline QMenu* openPopup(int timeoutMs = 2000) {
  QMenu* menu = nullptr;
  (void)QTest::qWaitFor(
      [&] {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu && menu->isVisible();
      },
      timeoutMs);
  return menu;
}

// Closes every open pop-up menu.
inline void closePopups() {
  while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

// A left click on the node, scrolled into view first; waits until the tree has it selected
// and, when it was not selected before, has reported the click (its pane is filled then).
inline bool clickNode(Tree* tree, const QString& key) {
  QTreeWidgetItem* node = tree->NodeOfKey(key);
  if (!node) return false;
  for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
  const bool already = tree->SelectedItem() == node;
  QSignalSpy clicks(tree, &Tree::NodeClick);
  // On a loaded machine the view may lay out the expanded levels after the first click was
  // placed; the click is placed again from the node's fresh rectangle until it lands.
  for (int attempt = 0; attempt < 10; ++attempt) {
    tree->TV()->scrollToItem(node);
    // Near the node's left end: a column wider than the view puts the middle of its row beyond
    // the view's edge.
    const QRect rect = tree->TV()->visualItemRect(node);
    const QPoint at(std::clamp(rect.left() + 8, 0, tree->TV()->viewport()->width() - 1), rect.center().y());
    QTest::mouseClick(tree->TV()->viewport(), Qt::LeftButton, {}, at);
    if (QTest::qWaitFor([&] { return tree->SelectedItem() == node && (already || !clicks.isEmpty()); }, 2000))
      return true;
  }
  return false;
}

// A right click over the tree at the node (or, without one, over its empty space); the menu
// that opens, or none.
inline QMenu* rightClickTree(Tree* tree, const QString& key = QString()) {
  closePopups();
  QPoint at(5, tree->TV()->viewport()->height() - 5);
  if (QTreeWidgetItem* node = key.isEmpty() ? nullptr : tree->TV()->node(key))
    at = tree->TV()->visualItemRect(node).center();
  // The menu opens at the pointer.
  QCursor::setPos(tree->TV()->viewport()->mapToGlobal(at));
  QTest::mouseClick(tree->TV()->viewport(), Qt::RightButton, {}, at);
  return openPopup(300);
}

// Selects the node with a left click, then right-clicks it.
inline QMenu* nodeMenu(Tree* tree, const QString& key) {
  if (!clickNode(tree, key)) return nullptr;
  return rightClickTree(tree, key);
}

// A left click on the row (none: on the list's empty space), then a right click there.
inline QMenu* listMenu(QTreeWidget* list, QTreeWidgetItem* row = nullptr) {
  closePopups();
  QPoint at(5, list->viewport()->height() - 5);
  if (row) {
    list->scrollToItem(row);
    at = list->visualItemRect(row).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  }
  QCursor::setPos(list->viewport()->mapToGlobal(at));
  QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
  return openPopup(300);
}

// The menu's visible entries: captions, "-" for a separator, "(caption)" for a disabled item.
inline QStringList entries(const QMenu* menu) {
  QStringList out;
  if (!menu) return out;
  for (QAction* a : menu->actions()) {
    if (!a->isVisible()) continue;
    if (a->isSeparator())
      out << QStringLiteral("-");
    else
      out << (a->isEnabled() ? a->text() : QStringLiteral("(%1)").arg(a->text()));
  }
  return out;
}

// Clicks the item of the open menu that has this object name, opening its submenu first when
// it lies in one. Returns once the command has run. False when the item is not there to click.
inline bool choose(QMenu* menu, const QString& name) {
  if (!menu) return false;
  for (QAction* a : menu->actions()) {
    if (!a->isVisible() || a->isSeparator()) continue;
    if (a->objectName() == name) {
      if (!a->isEnabled()) return false;
      const QPoint at = menu->actionGeometry(a).center();
      QTest::mouseMove(menu, at);
      QTest::mouseClick(menu, Qt::LeftButton, {}, at);
      return true;
    }
    if (QMenu* sub = a->menu(); sub && sub->findChild<QAction*>(name)) {
      const QPoint at = menu->actionGeometry(a).center();
      QTest::mouseMove(menu, at);
      QTest::mouseClick(menu, Qt::LeftButton, {}, at);
      if (!QTest::qWaitFor([&] { return sub->isVisible(); }, 2000)) return false;
      return choose(sub, name);
    }
  }
  return false;
}

}  // namespace menus
