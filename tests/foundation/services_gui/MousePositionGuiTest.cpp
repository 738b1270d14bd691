#include "foundation/mdlQZFramework.h"
#include "platform/ui/widgets/QtCursorSource.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>

// The window system's source on a real (offscreen) screen and window.
TEST(MousePositionGui, ScreenAndClientOfARealWindow) {
  ui::setCursorSource(std::make_unique<ui::QtCursorSource>());
  QWindow window;
  window.setGeometry(200, 100, 300, 200);
  window.show();
  ASSERT_TRUE(window.handle());
  QCursor::setPos(250, 130);
  const QPoint screen = QCursor::pos();
  const double factor = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchX();

  int32_t x = 0, y = 0;
  ASSERT_TRUE(MousePositionGet(0, x, y, false, false));
  EXPECT_EQ(QPoint(x, y), screen);

  ASSERT_TRUE(MousePositionGet(window.winId(), x, y, true, false));
  EXPECT_EQ(QPoint(x, y), window.mapFromGlobal(screen));
  EXPECT_NE(QPoint(x, y), screen);

  ASSERT_TRUE(MousePositionGet(0, x, y, false, true));
  EXPECT_EQ(x, static_cast<int32_t>(std::nearbyint(screen.x() * factor)));

  EXPECT_FALSE(MousePositionGet(window.winId() + 12345, x, y, true, false));
  ui::setCursorSource(nullptr);
}
