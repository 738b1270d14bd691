// Not a check: run with --gtest_also_run_disabled_tests under Xvfb (QT_QPA_PLATFORM=xcb) to
// write pictures of the filled panes and the catalogue chooser for a person to look at
// (ZUVRAX_SHOT_DIR, default /tmp).
#include "tests/mainwindow/PaneFixture.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

QString shotPath(const QString& name) {
  return qEnvironmentVariable("ZUVRAX_SHOT_DIR", QStringLiteral("/tmp")) + QLatin1Char('/') + name +
         QStringLiteral(".png");
}

class DISABLED_PaneScreenshot : public PaneFixture {
 protected:
  void shoot(const QString& name) {
    QTest::qWait(250);
    window->grab().save(shotPath(name));
  }
};

}  // namespace

TEST_F(DISABLED_PaneScreenshot, EveryPaneFilled) {
  openRead();
  window->resize(1100, 720);
  gOptions->setIconMode(0);
  item("mMainView_CategoryInfo")->trigger();
  ASSERT_TRUE(click("C2"));
  chooser->answers = {QString()};
  shoot("pane-category");
  node("C2")->setExpanded(true);
  ASSERT_TRUE(click("V1"));
  shoot("pane-volume");
  ASSERT_TRUE(clickFolder(dir + "/daten/ [Root]"));
  shoot("pane-folder-root");
  ASSERT_TRUE(clickFolder("Bilder"));
  shoot("pane-folder-builtin-icons");
  gOptions->setIconMode(1);
  detail().ShowPath();
  shoot("pane-folder-system-icons");
  ASSERT_TRUE(clickFolder("Musik"));
  shoot("pane-folder-totals");
  // A category with an icon of its own, beside the tree's.
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  for (int y = 2; y < 14; ++y)
    for (int x = 2; x < 14; ++x) img.setPixelColor(x, y, (x + y) % 4 < 2 ? QColor(200, 30, 30) : QColor(250, 200, 0));
  const QString ico = dir + "/stern.ico";
  img.save(ico, "ICO");
  ASSERT_TRUE(click("C2"));
  chooser->answers = {ico};
  window->picCategory->CatIconEdit->click();
  ASSERT_TRUE(click("C1"));
  ASSERT_TRUE(click("C2"));
  shoot("pane-category-own-icon");
}

TEST_F(DISABLED_PaneScreenshot, CatalogueChooser) {
  openRead();
  const QString other = dir + "/zweiter-katalog.qvk";
  ASSERT_TRUE(testenv::copyTemplate(other));
  chooser->answers = {other};
  item("mMainFile_DB")->trigger();
  chooser->answers = {catalogue};
  item("mMainFile_DB")->trigger();
  for (bool otherChecked : {false, true}) {
    ChooserAnswerer::instance().script.push_back([otherChecked](frmOpenDB& d) {
      if (otherChecked) d.chkOther->setChecked(true);
      QTest::qWait(250);
      d.grab().save(shotPath(otherChecked ? "chooser-other" : "chooser"));
      d.cmdCancel->click();
    });
    item("mMainFile_DB")->trigger();
  }
}
