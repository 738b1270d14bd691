// Not a check: run with --gtest_also_run_disabled_tests to write pictures of the window for a
// person to look at (ZUVRAX_SHOT_DIR, default /tmp). Under Xvfb (QT_QPA_PLATFORM=xcb) the
// screen pictures show the open menus as well.
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/mdlGlobals_main.h"
#include "foundation/cuAppError.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/ui/MessageBox.h"
#include "tests/mainwindow/CatalogueWriter.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

namespace {
QString shotPath(const QString& name) {
  const QString dir = qEnvironmentVariable("ZUVRAX_SHOT_DIR", QStringLiteral("/tmp"));
  return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

void shootScreen(const QString& name) {
  QTest::qWait(300);
  QGuiApplication::primaryScreen()->grabWindow(0).save(shotPath(name));
}

// Opens the menu bar's menu of that name, takes the screen, closes it again.
void shootMenu(frmMain& w, const char* menuName, const QString& name) {
  auto* menu = w.findChild<QMenu*>(QString::fromLatin1(menuName));
  QMenuBar* bar = w.menuBar();
  const QRect r = bar->actionGeometry(menu->menuAction());
  QTest::mouseClick(bar, Qt::LeftButton, {}, r.center());
  shootScreen(name);
  menu->hide();
}
}  // namespace

TEST(DISABLED_Screenshot, MainWindowStates) {
  ui::setPresenter(std::make_unique<ui::RecordingPresenter>());
  ScriptedChooser* chooser = installScriptedChooser();
  frmMain* w = nullptr;
  ASSERT_TRUE(startMainWindow(w, QSize(1000, 680)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  QTest::qWait(200);
  w->grab().save(shotPath("frmMain-closed"));

  const QString dir = testenv::freshTempDir();
  for (const char* name : {"Musik.qvk", "Archiv-mit-einem-sehr-langen-Namen.qvk"}) {
    ASSERT_TRUE(testenv::copyTemplate(dir + "/" + name));
    chooser->answers = {dir + "/" + name};
    w->findChild<QAction*>("mMainFile_DB")->trigger();
  }
  QTest::qWait(200);
  w->grab().save(shotPath("frmMain-open"));
  shootMenu(*w, "mMainFile", "frmMain-filemenu");
  shootMenu(*w, "mMainHelp", "frmMain-helpmenu");
  w->close();
  QCoreApplication::processEvents();
}

// A catalogue with categories, volumes and folders, left in the picture folder as
// Archiv.qvk for a run of the program itself; then the tree and each pane.
TEST(DISABLED_Screenshot, TreeAndPanes) {
  ui::setPresenter(std::make_unique<ui::RecordingPresenter>());
  const QString path = qEnvironmentVariable("ZUVRAX_SHOT_DIR", QStringLiteral("/tmp")) + "/Archiv.qvk";
  QFile::remove(path);
  ASSERT_TRUE(testenv::copyTemplate(path));
  {
    CatalogueWriter c(path);
    c.category(1, "Musik");
    c.category(2, "Klassik", 1);
    c.category(3, "Fotos");
    c.category(4, "Übersicht");
    c.volume(1, "Bach Kantaten", 2, 5, "/media/cdrom/");
    c.volume(2, "Urlaub 2019", 3, 2, "/media/usb/");
    c.volume(3, "Sicherung", rt::Null, 3, "/srv/sicherung/");
    c.volume(4, "Jazz", 1, 5, "/media/cdrom/");
    c.volume(5, "Server", rt::Null, 4, "/net/server/");
    c.folder(10, 1, rt::Null, rt::Null);
    c.folder(11, 1, "CD1", 10);
    c.folder(12, 1, "CD2", 10);
    c.folder(13, 1, "Booklet", 11);
  }
  frmMain* w = nullptr;
  ASSERT_TRUE(startMainWindow(w, QSize(1000, 680)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  w->pubDBOpen(path);
  QTest::qWait(200);
  w->grab().save(shotPath("frmMain-tree-category"));
  w->pubVolumeSelect(1);
  QTest::qWait(200);
  w->grab().save(shotPath("frmMain-tree-volume"));
  // A small window cuts the pane off at the bottom.
  w->resize(640, 420);
  QTest::qWait(200);
  w->grab().save(shotPath("frmMain-small-volume"));
  w->resize(1000, 680);
  w->Tree1->SelectItem("V1|11", true);
  w->Tree1->SelectedItem()->setExpanded(true);
  QTest::qWait(200);
  w->grab().save(shotPath("frmMain-tree-folder"));
  w->close();
  QCoreApplication::processEvents();
}
