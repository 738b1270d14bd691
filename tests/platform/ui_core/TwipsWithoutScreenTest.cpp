#include "platform/ui/Twips.h"

#include <gtest/gtest.h>

// Without a QGuiApplication there is no screen to ask: 96 DPI is assumed.
TEST(Twips, FifteenPerPixelWithoutAScreen) {
  EXPECT_DOUBLE_EQ(ui::twipsPerPixelX(), 15.0);
  EXPECT_DOUBLE_EQ(ui::twipsPerPixelY(), 15.0);
  EXPECT_EQ(ui::pixelsToTwipsX(7), 105);
  EXPECT_EQ(ui::twipsToPixelsY(1440), 96);
}
