#include "foundation/mQZFw40.h"
#include "foundation/mdlMCI.h"
#include "foundation/mdlQZFramework.h"
#include "platform/ui/CdTray.h"
#include "platform/ui/CursorPosition.h"
#include "tests/support/FixedCursor.h"
#include "tests/support/RecordingTray.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

// ---- mouse position ----------------------------------------------------------------------------

class MousePositionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto c = std::make_unique<FixedCursor>();
    cursor = c.get();
    ui::setCursorSource(std::move(c));
  }
  void TearDown() override { ui::setCursorSource(nullptr); }
  FixedCursor* cursor = nullptr;
};

}  // namespace

TEST_F(MousePositionTest, ScreenClientAndTwips) {
  const struct {
    QPoint pixel;
    bool client;
    bool twips;
    double factorX, factorY;
    QPoint expected;
  } cases[] = {
      {{100, 20}, false, true, 15, 15, {1500, 300}},
      {{100, 20}, false, false, 15, 15, {100, 20}},
      {{100, 20}, true, false, 15, 15, {60, 10}},
      {{100, 20}, true, true, 15, 15, {900, 150}},
      {{100, 20}, false, true, 12, 20, {1200, 400}},
      {{1, 3}, false, true, 12.5, 12.5, {12, 38}},  // 12.5 and 37.5: halves to even
      {{-2, 0}, false, true, 15, 15, {-30, 0}},
  };
  for (const auto& c : cases) {
    cursor->pos = c.pixel;
    cursor->twipsX = c.factorX;
    cursor->twipsY = c.factorY;
    int32_t x = 0, y = 0;
    ASSERT_TRUE(MousePositionGet(7, x, y, c.client, c.twips));
    EXPECT_EQ(QPoint(x, y), c.expected) << c.pixel.x() << "," << c.pixel.y() << " factor " << c.factorX;
  }
}

TEST_F(MousePositionTest, NoPositionOrNoWindowGivesFalseAndLeavesTheValues) {
  int32_t x = -5, y = -6;
  cursor->pos.reset();
  EXPECT_FALSE(MousePositionGet(7, x, y, false, true));
  EXPECT_EQ(x, -5);
  EXPECT_EQ(y, -6);

  cursor->pos = QPoint(100, 20);
  EXPECT_FALSE(MousePositionGet(99, x, y, true, true));
  EXPECT_EQ(x, -5);
  EXPECT_EQ(y, -6);
}

TEST(MousePosition, WithoutAScreenGivesFalse) {
  // The test program has no window system and installs no source: false, not a crash.
  int32_t x = 1, y = 2;
  EXPECT_FALSE(MousePositionGet(0, x, y, false, true));
  EXPECT_EQ(x, 1);
}

// ---- CD tray -----------------------------------------------------------------------------------

namespace {

void writeText(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

}  // namespace

TEST(CdTray, CommandsReachTheInstalledTray) {
  auto rec = std::make_unique<RecordingTray>();
  RecordingTray* tray = rec.get();
  ui::setCdTray(std::move(rec));
  CDTrayOpen("/media/cdrom/");
  CDTrayClose("");
  const std::unique_ptr<ui::CdTray> back = ui::setCdTray(nullptr);
  ASSERT_EQ(tray->calls.size(), 2u);
  EXPECT_EQ(tray->calls[0].first, "/media/cdrom/");
  EXPECT_EQ(tray->calls[0].second, ui::TrayAction::Open);
  EXPECT_EQ(tray->calls[1].first, "");
  EXPECT_EQ(tray->calls[1].second, ui::TrayAction::Close);
}

TEST(CdTray, MissingDrivesDoNothingAndRaiseNothing) {
  for (const char* drive : {"/no/such/drive/", "/dev/sr97", "/dev/null", "relative/path", "D:\\"}) {
    EXPECT_NO_THROW(CDTrayOpen(drive)) << drive;
    EXPECT_NO_THROW(CDTrayClose(drive)) << drive;
  }
}

TEST(CdTray, DeviceLookupFindsOnlyOpticalDrives) {
  const QString dir = testenv::freshTempDir();
  const QString mountinfo = dir + "/mountinfo";
  writeText(mountinfo,
            "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
            "40 22 11:0 / /media/cd\\040rom rw,nosuid shared:20 - iso9660 /dev/sr1 ro\n"
            "41 22 8:17 / /media/stick rw shared:21 - vfat /dev/sdb1 rw\n"
            "42 22 0:50 / /mnt/over rw - ext4 /dev/sdc1 rw\n"
            "43 42 11:0 / /mnt/over rw - udf /dev/sr0 ro\n"
            "garbage line\n");
  const QString block = dir + "/block";
  for (const char* n : {"sda", "sr10", "sr2", "loop0"}) ASSERT_TRUE(QDir().mkpath(block + "/" + n));

  const struct {
    const char* drive;
    const char* device;
  } cases[] = {
      {"/media/cd rom/", "/dev/sr1"},
      {"/media/cd rom", "/dev/sr1"},
      {"/mnt/over/", "/dev/sr0"},  // the mount on top counts
      {"/", ""},                   // a disk is never ejected
      {"/media/stick/", ""},
      {"/media/", ""},  // only the mount point itself names the drive
      {"/dev/sr4", "/dev/sr4"},
      {"/dev/sda", ""},
      {"", "/dev/sr2"},  // the first optical drive
  };
  for (const auto& c : cases) EXPECT_EQ(ui::opticalDeviceFor(c.drive, mountinfo, block), QString(c.device)) << c.drive;

  EXPECT_EQ(ui::opticalDeviceFor("", mountinfo, dir + "/none"), "");
  EXPECT_EQ(ui::opticalDeviceFor("/media/cd rom/", dir + "/none", block), "");
}

// ---- Wait --------------------------------------------------------------------------------------

TEST(Wait, PumpsOnlyWhenAskedAndOnlyWhileWaiting) {
  bool fired = false;
  QTimer::singleShot(0, [&] { fired = true; });

  Wait(0, true);
  EXPECT_FALSE(fired) << "a wait of 0 handles no message";
  Wait(-10, true);
  EXPECT_FALSE(fired);

  QElapsedTimer t;
  t.start();
  Wait(40, false);
  EXPECT_GE(t.elapsed(), 40);
  EXPECT_FALSE(fired) << "without pumping nothing is handled";

  t.restart();
  Wait(40, true);
  EXPECT_GE(t.elapsed(), 40);
  EXPECT_TRUE(fired);
}
