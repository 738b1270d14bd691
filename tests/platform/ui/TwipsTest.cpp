#include "platform/ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

class FixedTwips : public ui::TwipsSource {
 public:
  double twipsPerPixelX() override { return 12; }
  double twipsPerPixelY() override { return 20; }
};

}  // namespace

TEST(Twips, FollowTheScreenUnlessASourceIsInstalled) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  EXPECT_DOUBLE_EQ(ui::twipsPerPixelX(), 1440.0 / screen->logicalDotsPerInchX());
  EXPECT_DOUBLE_EQ(ui::twipsPerPixelY(), 1440.0 / screen->logicalDotsPerInchY());

  auto previous = ui::setTwipsSource(std::make_unique<FixedTwips>());
  EXPECT_EQ(ui::pixelsToTwipsX(10), 120);
  EXPECT_EQ(ui::pixelsToTwipsY(10), 200);
  EXPECT_EQ(ui::twipsToPixelsX(126), 11);  // 10.5 rounds away from zero
  EXPECT_EQ(ui::twipsToPixelsY(-30), -2);  // -1.5 likewise
  ui::setTwipsSource(std::move(previous));

  EXPECT_DOUBLE_EQ(ui::twipsPerPixelX(), 1440.0 / screen->logicalDotsPerInchX());
}
