#include "catalogue/mdlGlobals.h"
#include "foundation/cuAppError.h"
#include "platform/ui/CdTray.h"
#include "platform/ui/CursorPosition.h"
#include "platform/volumes/VolumeSystem.h"
#include "tests/platform/volumes/FakeSystem.h"
#include "tests/support/FixedCursor.h"
#include "tests/support/ModalScript.h"
#include "tests/support/RecordingTray.h"
#include "tests/support/TestHelpers.h"
#include "windows/capture/frmVolumeNewPre.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class SourceChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reopenEventLoops();
    if (!gErr) gErr = std::make_unique<cuAppError>();
    savedDrives = gCDDrives;
    savedLast = gLastReadPath;
    gCDDrives = {QStringLiteral("/media/cdrom/"), QStringLiteral("/media/dvd/")};
    previousTray = ui::setCdTray(std::make_unique<RecordingTray>(&trays));
    previousCursor = ui::setCursorSource(std::make_unique<FixedCursor>(std::nullopt));
  }
  void TearDown() override {
    gCDDrives = savedDrives;
    gLastReadPath = savedLast;
    ui::setCdTray(std::move(previousTray));
    ui::setCursorSource(std::move(previousCursor));
  }
  // Shows the chooser modally, as the wizard does, and runs step inside.
  static void execWith(frmVolumeNewPre& w, const std::function<void()>& step) {
    QTimer::singleShot(0, &w, step);
    w.exec();
  }

  QStringList savedDrives;
  QString savedLast;
  std::vector<std::pair<QString, ui::TrayAction>> trays;
  std::unique_ptr<ui::CdTray> previousTray;
  std::unique_ptr<ui::CursorSource> previousCursor;
  testenv::BoxRecorder boxes;
};

TEST_F(SourceChooserTest, DriveOfTheLastReadIsPreselected) {
  const struct {
    const char* last;
    int row;
  } cases[] = {{"/MEDIA/DVD/", 1}, {"/media/cdrom/", 0}, {"/root/", 0}, {"", 0}};
  for (const auto& c : cases) {
    gLastReadPath = QString::fromUtf8(c.last);
    frmVolumeNewPre w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quelle wählen"));
    EXPECT_EQ(w.lstCD()->count(), 2);
    EXPECT_EQ(w.lstCD()->currentRow(), c.row) << c.last;
    EXPECT_TRUE(w.cmdOpen()->isEnabled());
  }
  gCDDrives.clear();
  frmVolumeNewPre none;
  EXPECT_EQ(none.lstCD()->currentRow(), -1);
  EXPECT_FALSE(none.cmdOpen()->isEnabled());
  EXPECT_FALSE(none.cmdClose()->isEnabled());
}

TEST_F(SourceChooserTest, OkTakesTheSelectedDriveAndDoesNothingWithoutOne) {
  frmVolumeNewPre w;
  bool openWithoutSelection = false;
  execWith(w, [&] {
    w.lstCD()->clearSelection();
    EXPECT_FALSE(w.cmdOpen()->isEnabled());
    QTest::mouseClick(w.cmdCD(), Qt::LeftButton);
    openWithoutSelection = w.isVisible();
    w.lstCD()->setCurrentRow(1);
    EXPECT_TRUE(w.cmdClose()->isEnabled());
    QTest::mouseClick(w.cmdCD(), Qt::LeftButton);
  });
  EXPECT_TRUE(openWithoutSelection);
  EXPECT_EQ(w.chkCancel(), 0);
  EXPECT_EQ(w.pubResult(), QStringLiteral("/media/dvd/"));
}

TEST_F(SourceChooserTest, FolderChoiceEscAndCloseBox) {
  const struct {
    std::function<void(frmVolumeNewPre&)> act;
    int chkCancel;
  } cases[] = {
      {[](frmVolumeNewPre& w) { QTest::mouseClick(w.cmdChoosePath(), Qt::LeftButton); }, 0},
      {[](frmVolumeNewPre& w) { QTest::keyClick(w.lstCD(), Qt::Key_Return); }, 0},  // the default button
      {[](frmVolumeNewPre& w) { QTest::keyClick(w.lstCD(), Qt::Key_Escape); }, 1},
      {[](frmVolumeNewPre& w) { QTest::keyClick(w.cmdCD(), Qt::Key_Escape); }, 1},
      {[](frmVolumeNewPre& w) { w.close(); }, 1},
  };
  for (const auto& c : cases) {
    frmVolumeNewPre w;
    execWith(w, [&] {
      w.lstCD()->setFocus();
      c.act(w);
    });
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.chkCancel(), c.chkCancel);
    EXPECT_EQ(w.pubResult(), QString());
  }
}

TEST_F(SourceChooserTest, TrayButtonsMoveTheTrayOfTheSelectedDrive) {
  frmVolumeNewPre w;
  w.show();
  w.lstCD()->setCurrentRow(1);
  QTest::mouseClick(w.cmdOpen(), Qt::LeftButton);
  QTest::mouseClick(w.cmdClose(), Qt::LeftButton);
  w.lstCD()->clearSelection();
  w.cmdOpen()->click();  // disabled: nothing
  const std::vector<std::pair<QString, ui::TrayAction>> expected{
      {QStringLiteral("/media/dvd/"), ui::TrayAction::Open}, {QStringLiteral("/media/dvd/"), ui::TrayAction::Close}};
  EXPECT_EQ(trays, expected);
  EXPECT_TRUE(w.isVisible());
}

// The OK button comes up under the pointer, but never so near an edge that the window leaves
// the screen.
TEST_F(SourceChooserTest, ComesUpWithOkUnderThePointerAndOnTheScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QPoint middle = screen.center();
  const QPoint corner = screen.bottomRight() - QPoint(2, 2);
  for (const QPoint& pointer : {middle, corner, screen.topLeft()}) {
    ui::setCursorSource(std::make_unique<FixedCursor>(pointer));
    frmVolumeNewPre w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QPoint okCentre = w.cmdCD()->mapToGlobal(w.cmdCD()->rect().center());
    if (pointer == middle) {
      EXPECT_LE((okCentre - pointer).manhattanLength(), 1);
    }
    EXPECT_TRUE(screen.contains(w.frameGeometry())) << pointer.x() << "," << pointer.y();
  }
  // Without a pointer position the window stays where the system puts it.
  ui::setCursorSource(std::make_unique<FixedCursor>(std::nullopt));
  frmVolumeNewPre w;
  EXPECT_NO_THROW(w.show());
}

// A disc mounted after start-up has a mount point of its own: OK takes where it is now.
TEST(OpticalDriveRootTest, TheMountPointADiscHasNow) {
  const volumes::SystemRoots saved = volumes::defaultRoots();
  volumes::setDefaultRoots(fakesys::build());
  EXPECT_EQ(OpticalDriveRoot(QStringLiteral("/dev/sr0")), QStringLiteral("/media/cdrom/"));
  EXPECT_EQ(OpticalDriveRoot(QStringLiteral("/media/cdrom/")), QStringLiteral("/media/cdrom/"));
  // Not mounted: the mount point the system table gives it; none: the entry as it is.
  EXPECT_EQ(OpticalDriveRoot(QStringLiteral("/dev/sr1")), QStringLiteral("/media/cdrom1/"));
  EXPECT_EQ(OpticalDriveRoot(QStringLiteral("/dev/sr2")), QStringLiteral("/dev/sr2"));
  volumes::setDefaultRoots(saved);
}

}  // namespace
