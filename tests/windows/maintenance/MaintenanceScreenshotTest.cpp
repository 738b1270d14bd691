// Not a check: run with --gtest_also_run_disabled_tests to write pictures of the maintenance
// windows for a person to look at (ZUVRAX_SHOT_DIR, default /tmp).
#include "foundation/widgets/mdlQZLib51_pictures.h"
#include "tests/windows/maintenance/MaintenanceFixture.h"
#include "windows/maintenance/frmLocList.h"
#include "windows/maintenance/frmOptions.h"
#include "windows/maintenance/frmSplash.h"
#include "windows/maintenance/frmSystemIcons.h"

#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using maintest::MaintenanceTest;

namespace {

void shoot(QWidget& w, const QString& name) {
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTest::qWait(200);  // let the window system draw it before the picture is taken
  const QString dir = qEnvironmentVariable("ZUVRAX_SHOT_DIR", QStringLiteral("/tmp"));
  w.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

TEST_F(MaintenanceTest, DISABLED_Screenshots) {
  {
    frmOptions w;
    shoot(w, "options-standard");
    w.TabOne1->setCurrentIndex(1);
    shoot(w, "options-expert");
    w.reject();
  }
  addLocation(1, "Keller", QStringLiteral("Regal 2, unten links"));
  addLocation(2, "archiv");
  addVolume(10, "Fotos 2019", 1);
  addVolume(11, "Fotos 2020", 1);
  {
    frmLocList w;
    shoot(w, "loclist");
  }
  {
    // One icon the user replaced, one damaged, one without a picture.
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::transparent);
    {
      QPainter p(&red);
      p.setBrush(Qt::red);
      p.drawEllipse(2, 2, 28, 28);
    }
    QByteArray bytes;
    PictureToBytes(Picture::fromImage(red.scaled(16, 16), PictureType::Icon), bytes);
    exec(QStringLiteral("UPDATE tblICONS SET Icon = ? WHERE IID = 12"), {bytes});
    exec(QStringLiteral("UPDATE tblICONS SET Icon = ? WHERE IID = 11"), {QByteArray("\0\0\1\0kaputt", 10)});
    exec(QStringLiteral("UPDATE tblICONS SET Icon = Null WHERE IID = 6"));
    frmSystemIcons w;
    w.LV[1]->setCurrentItem(w.LV[1]->topLevelItem(2));
    shoot(w, "systemicons");
  }
  {
    frmSplash w;
    w.Init(1, QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon), QString(), QString());
    shoot(w, "about");
  }
}

}  // namespace
