#pragma once

// Uses the help window as a person would, through the window system: input that a modal
// window or a running command blocks never arrives.

#include "foundation/widgets/HelpWindow.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace testenv {

// Types into the topic filter and returns its text.
inline QString typeIntoHelpFilter(HelpWindow& w, const QString& text) {
  auto* filter = w.findChild<QLineEdit*>();
  filter->clear();
  filter->setFocus();
  for (const QChar c : text) QTest::keyClick(w.windowHandle(), c.toLatin1());
  return filter->text();
}

// Clicks the visible contents entry of that title.
inline void clickHelpEntry(HelpWindow& w, const QString& title) {
  QListWidget* list = w.contents();
  for (int i = 0; i < list->count(); ++i) {
    QListWidgetItem* item = list->item(i);
    if (item->isHidden() || item->text() != title) continue;
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {},
                      list->viewport()->mapTo(&w, list->visualItemRect(item).center()));
    return;
  }
  ADD_FAILURE() << "no entry " << title.toStdString();
}

// The help window is shown and can be used: the modal window, if any, counts it as its own
// (Qt blocks every other window), and a topic is found by typing and chosen with the mouse.
inline void expectHelpUsable(HelpWindow* w) {
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  const auto own = [w] {
    const QWindow* modal = QGuiApplication::modalWindow();
    return !modal || modal->isAncestorOf(w->windowHandle(), QWindow::IncludeTransients);
  };
  EXPECT_TRUE(QTest::qWaitFor(own, 5000)) << "blocked by a modal window";
  EXPECT_EQ(typeIntoHelpFilter(*w, "Lager"), "Lager");
  clickHelpEntry(*w, "Lagerorte");
  EXPECT_EQ(w->currentTopic(), "/loclist.htm");
}

}  // namespace testenv
