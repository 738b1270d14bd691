#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/mdlGlobals_main.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/HelpWindow.h"
#include "foundation/widgets/cuRecentFiles.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Workspace.h"
#include "platform/registry/Registry.h"
#include "platform/runtime/App.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ShellOpen.h"
#include "platform/ui/widgets/FileChooser.h"
#include "tests/mainwindow/CatalogueWriter.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kRecentKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Recent");
const QString kOptionsKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Options");

QString regText(const QString& key, const QString& name) {
  registry::Value v;
  if (registry::queryValue(registry::HKEY_CURRENT_USER, key, name, v) != registry::kSuccess) return QString();
  return QString::fromUtf8(v.data);
}

class MainWindowTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    chooser = installScriptedChooser();
  }

  bool start() { return startMainWindow(window); }
  QString catalogue(const QString& name) {
    const QString path = dir + "/" + name;
    EXPECT_TRUE(QFile::copy(TemplatePath(), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
  }
  QAction* item(const char* name) { return window->findChild<QAction*>(name); }
  QList<QAction*> recentItems() {
    QList<QAction*> r;
    for (QAction* a : window->findChild<QMenu*>("mMainFile")->actions())
      if (a->objectName().isEmpty() && a->data().toInt() > 0 && a->isVisible()) r << a;
    return r;
  }
  QString boxText(size_t i) const { return i < boxes->shown.size() ? boxes->shown[i].text : QString(); }

  ScriptedChooser* chooser = nullptr;
};

}  // namespace

TEST_F(MainWindowTest, StartOpensTheCatalogueGivenToTheWindowAndShowsItInTheCaption) {
  ASSERT_TRUE(start());
  const QString path = catalogue("start.qvk");
  gfrmMain->pubDBOpen(path);
  EXPECT_TRUE(boxes->shown.empty()) << boxText(0).toStdString();
  EXPECT_EQ(window->windowTitle(), "Tolvarent Kerbolith [" + path + "] [EXKLUSIV]");
  EXPECT_FALSE(window->lblNoDB->isVisible());
  EXPECT_TRUE(item("mMainFile_DBClose")->isEnabled());
  // Opening at start-up touches neither the recent list nor LastDB.
  EXPECT_EQ(window->RecentFiles()->Count(), 0);
  EXPECT_TRUE(gOptions->LastDB().isEmpty());
}

TEST_F(MainWindowTest, ForeignFileGivesOneBoxAndAUsableClosedWindow) {
  ASSERT_TRUE(start());
  const QString path = dir + "/fremd.qvk";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("Dies ist keine Datenbank, sondern eine Textdatei.\n");
  f.close();
  gfrmMain->pubDBOpen(path);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].style & ui::kCritical);
  EXPECT_EQ(window->windowTitle(), "Tolvarent Kerbolith");
  EXPECT_TRUE(window->lblNoDB->isVisible());
  // The window goes on: a real catalogue opens afterwards.
  gfrmMain->pubDBOpen(catalogue("gut.qvk"));
  EXPECT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(window->windowTitle().contains("gut.qvk"));
}

TEST_F(MainWindowTest, FileNewCopiesTheTemplateWithANewGuidAndListsIt) {
  ASSERT_TRUE(start());
  const QString path = dir + "/neu.qvk";
  QFile old(path);  // an existing file is replaced
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("alt");
  old.close();
  chooser->answers = {path};
  item("TB_DBNew")->trigger();
  ASSERT_EQ(chooser->requests.size(), 1u);
  EXPECT_EQ(chooser->requests[0].kind, ui::FileRequest::Kind::Save);
  EXPECT_EQ(chooser->requests[0].title, "Geben Sie den Dateinamen an");
  EXPECT_EQ(chooser->requests[0].fileName, "zuvrax.qvk");
  EXPECT_TRUE(boxes->shown.empty()) << boxText(0).toStdString();
  EXPECT_EQ(gDB->DBPath(), path);
  EXPECT_TRUE(QFileInfo(path).permissions() & QFileDevice::WriteOwner);
  auto rs = gDB->DB()->OpenRecordset("tblVERSION", jet::RecordsetType::Snapshot);
  const QString guid = rs->Fields("GUID").Value().toText();
  rs->Close();
  EXPECT_EQ(guid.size(), 38);
  EXPECT_EQ(gOptions->LastDB(), path);
  EXPECT_EQ(gOptions->LastDir(), dir + "/");
  // Written through at once, so the chooser sees it while the program runs.
  EXPECT_EQ(regText(kRecentKey, "File 1"), path);
  ASSERT_EQ(recentItems().size(), 1);

  // The open catalogue chosen again, through another spelling: 118, nothing replaced.
  chooser->answers = {dir + "/./neu.qvk"};
  item("mMainFile_New")->trigger();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Die Datenbank '" + dir + "/./neu.qvk' ist bereits geöffnet.");
  EXPECT_EQ(gDB->DBPath(), path);
}

TEST_F(MainWindowTest, FileNewWithoutTemplateShows126AndNoDialog) {
  // The template stands beside the program: move the program folder to one without it (never
  // hide the real template, other test programs run beside this one).
  ASSERT_TRUE(start());
  rt::App::setPath(testenv::freshTempDir());
  const QString templ = TemplatePath();
  item("mMainFile_New")->trigger();
  rt::App::setPath(QString());
  EXPECT_TRUE(chooser->requests.empty());
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Die Datenbank-Vorlage '" + templ + "' wurde nicht gefunden.");
}

// A program installed where the user may not write offers its first catalogue in the user's
// home; a private copy that may write into its folder offers that folder.
TEST_F(MainWindowTest, FileNewStartsInTheHomeFolderWhereTheProgramFolderTakesNoFile) {
  ASSERT_TRUE(start());
  const QString program = testenv::freshTempDir();
  ASSERT_TRUE(testenv::copyTemplate(program + "/zuvrax.db"));
  // "nobody" must reach the template.
  for (QString up = program; up.count('/') > 1; up = up.left(up.lastIndexOf('/')))
    ::chmod(QFile::encodeName(up).constData(), 0755);
  rt::App::setPath(program);
  gOptions->setLastDir(QString());
  item("mMainFile_New")->trigger();  // cancelled
  ASSERT_EQ(chooser->requests.size(), 1u);
  EXPECT_EQ(chooser->requests[0].directory, program + "/");

  gOptions->setLastDir(QString());
  const bool root = ::geteuid() == 0;
  if (!root) ::chmod(QFile::encodeName(program).constData(), 0555);
  // The superuser may write anywhere: the command runs as "nobody".
  const int code = testenv::inChild([&] {
    if (root && !testenv::dropPrivileges()) return testenv::kSkipCode;
    item("mMainFile_New")->trigger();
    if (!boxes->shown.empty()) return 10;
    if (chooser->requests.size() != 2) return 11;
    return chooser->requests[1].directory == QDir::homePath() + "/" ? 0 : 12;
  });
  ::chmod(QFile::encodeName(program).constData(), 0755);
  rt::App::setPath(QString());
  if (code == testenv::kSkipCode) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(code, 0);
}

TEST_F(MainWindowTest, RecentEntriesOpenMoveToTopAndMissingOnesAreRemoved) {
  ASSERT_TRUE(start());
  const QString a = catalogue("a.qvk"), b = catalogue("b.qvk"), c = catalogue("c.qvk");
  for (const QString& p : {a, b, c}) {
    chooser->answers = {p};
    item("mMainFile_DB")->trigger();
  }
  EXPECT_TRUE(boxes->shown.empty()) << boxText(0).toStdString();
  ASSERT_EQ(recentItems().size(), 3);
  // Newest first: c, b, a. Open a (position 3) from the menu.
  recentItems()[2]->trigger();
  EXPECT_EQ(gDB->DBPath(), a);
  EXPECT_EQ(window->RecentFiles()->Item(1).FullPath(), a);
  EXPECT_EQ(regText(kRecentKey, "File 1"), a);
  // The open one from the menu: 118.
  recentItems()[0]->trigger();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains("ist bereits geöffnet"));
  // b deleted meanwhile: 119, entry gone, others keep their order, a stays open.
  QFile::remove(b);
  recentItems()[2]->trigger();
  ASSERT_EQ(boxes->shown.size(), 2u);
  EXPECT_EQ(boxes->shown[1].text, "Die Datenbank '" + b + "' ist nicht vorhanden.");
  ASSERT_EQ(window->RecentFiles()->Count(), 2);
  EXPECT_EQ(window->RecentFiles()->Item(2).FullPath(), c);
  EXPECT_EQ(regText(kRecentKey, "File 3"), QString());
  EXPECT_EQ(gDB->DBPath(), a);
}

TEST_F(MainWindowTest, CloseAndQuitKeepLastDbAndAutoOpenReopensIt) {
  ASSERT_TRUE(start());
  const QString path = catalogue("auto.qvk");
  chooser->answers = {path};
  item("TB_DBOpen")->trigger();
  ASSERT_EQ(gDB->DBPath(), path);
  gOptions->setAutoOpen(true);
  item("mMainFile_DBClose")->trigger();
  EXPECT_TRUE(gDB->DBPath().isEmpty());
  EXPECT_EQ(window->windowTitle(), "Tolvarent Kerbolith");
  item("mMainFile_Quit")->trigger();
  settle();
  EXPECT_FALSE(gfrmMain);
  EXPECT_FALSE(gDB);
  EXPECT_FALSE(gErr);
  EXPECT_EQ(regText(kOptionsKey, "LastDB"), path);
  EXPECT_EQ(regText(kRecentKey, "File 1"), path);

  ASSERT_TRUE(start());
  EXPECT_EQ(gDB->DBPath(), path);
  EXPECT_TRUE(window->windowTitle().contains(path));
  // Reopened at start-up: the recent list shows the entry it had.
  EXPECT_EQ(recentItems().size(), 1);
}

TEST_F(MainWindowTest, FindNeedsAVolumeAndTheLocationListIsFilled) {
  ASSERT_TRUE(start());
  gfrmMain->pubDBOpen(catalogue("leer.qvk"));
  ASSERT_EQ(gDB->DBPath(), dir + "/leer.qvk");
  // Open but without volumes: no search.
  EXPECT_FALSE(item("mMainEdit_Find")->isEnabled());
  EXPECT_FALSE(item("TB_Find")->isEnabled());
  QComboBox* loc = window->picVolume->VolumeLocID;
  EXPECT_EQ(loc->count(), 1);
  EXPECT_EQ(loc->itemText(0), "(Keiner)");

  gDB->DB()->Execute("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (1, 'Regal'), (2, 'Keller')");
  gDB->DB()->Execute(
      "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) "
      "VALUES (1, 'Archiv', '/mnt/archiv/', 3, 45000)");
  item("mMainView_Refresh")->trigger();
  EXPECT_TRUE(boxes->shown.empty()) << boxText(0).toStdString();
  // With the first volume the search is offered.
  EXPECT_TRUE(item("mMainEdit_Find")->isEnabled());
  EXPECT_TRUE(item("TB_Find")->isEnabled());
  ASSERT_EQ(loc->count(), 3);
  EXPECT_EQ(loc->itemText(1), "Keller");
  EXPECT_EQ(loc->itemData(1).toInt(), 2);
  EXPECT_EQ(loc->currentIndex(), 0);

  item("mMainFile_DBClose")->trigger();
  EXPECT_FALSE(item("mMainEdit_Find")->isEnabled());
  EXPECT_FALSE(item("TB_Find")->isEnabled());
  EXPECT_EQ(loc->count(), 0);
}

TEST_F(MainWindowTest, SplitterSetOnActivationWhileClosedFitsTheOpenedCatalogue) {
  ASSERT_TRUE(start());
  window->resize(960, 640);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  // Activated in the closed state; the catalogue comes afterwards.
  gfrmMain->pubDBOpen(catalogue("split.qvk"));
  QCoreApplication::processEvents();
  ASSERT_TRUE(window->ElasticOne1->isVisible());
  const int third = window->centralWidget()->width() / 3;
  EXPECT_NEAR(window->ElasticOne1->sizes().value(0), third, 2);
}

TEST_F(MainWindowTest, HelpAndWebCommandsReachTheHelpWindowAndTheShell) {
  ASSERT_TRUE(start());
  auto rec = std::make_unique<ui::RecordingShellOpener>();
  ui::RecordingShellOpener* shell = rec.get();
  auto previous = ui::setShellOpener(std::move(rec));
  item("mMainHelp_Web")->trigger();
  item("mMainHelp_Help")->trigger();
  ASSERT_EQ(shell->opened.size(), 1u);
  EXPECT_EQ(shell->opened[0].target, "http://www.tolvarent.de");
  ui::setShellOpener(std::move(previous));
  ASSERT_TRUE(HelpWindow::existing());
  EXPECT_TRUE(HelpWindow::existing()->isVisible());
  EXPECT_EQ(HelpWindow::existing()->filePath(), rt::App::helpFile());
  HelpWindow::existing()->close();
  EXPECT_TRUE(boxes->shown.empty()) << boxText(0).toStdString();
}

TEST_F(MainWindowTest, HelpFileIsAbsoluteAfterStart) {
  ASSERT_TRUE(start());
  EXPECT_TRUE(QFileInfo(rt::App::helpFile()).isAbsolute());
  EXPECT_TRUE(rt::App::helpFile().endsWith("/zuvrax.chm"));
}

// Runs in a copy of this program in a folder without the workgroup file (see below).
TEST(MainWithoutWorkgroupFile, DISABLED_Child) {
  auto rec = std::make_unique<ui::RecordingPresenter>();
  auto* boxes = rec.get();
  ui::setPresenter(std::move(rec));
  bool windowMade = false;
  const bool ok = Main([&]() -> std::unique_ptr<MainWindowServices> {
    windowMade = true;
    return std::make_unique<frmMain>();
  });
  EXPECT_FALSE(ok);
  EXPECT_FALSE(windowMade);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].title, "Tolvarent Kerbolith <Fehler Nr. -2147221700>");
  EXPECT_TRUE(boxes->shown[0].text.contains("mdlGlobals: CheckFiles | mdlGlobals: Main"));
  EXPECT_TRUE(boxes->shown[0].text.contains("Ohne diese Datei kann 'Tolvarent Kerbolith' nicht ausgeführt werden."));
  EXPECT_FALSE(gErr);
  EXPECT_FALSE(gOptions);
}

TEST(MainWithoutWorkgroupFile, Shows196AndEndsCleanly) {
  const QString dir = testenv::freshTempDir();
  const QString copy = dir + "/test_mainwindow";
  ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
  QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ExeOwner);
  QFile::copy(TemplatePath(), dir + "/zuvrax.db");
  QProcess p;
  p.start(copy, {"--gtest_also_run_disabled_tests", "--gtest_filter=MainWithoutWorkgroupFile.DISABLED_Child"});
  ASSERT_TRUE(p.waitForFinished(30000));
  const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
  EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
  EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

// The window pumps messages while it opens a catalogue; a close that arrives then must not
// release the globals under the running command.
TEST_F(MainWindowTest, CloseWhileACatalogueOpensWaitsForTheOpeningAndThenEnds) {
  ASSERT_TRUE(start());
  gfrmMain->pubDBOpen(catalogue("erst.qvk"));
  const QString second = catalogue("zweit.qvk");
  frmMain* w = window;
  QMetaObject::invokeMethod(
      w, [w] { w->close(); }, Qt::QueuedConnection);
  gfrmMain->pubDBOpen(second);
  ASSERT_TRUE(gfrmMain);
  ASSERT_TRUE(gDB);
  EXPECT_EQ(gDB->DBPath(), second);
  EXPECT_TRUE(boxes->shown.empty()) << boxText(0).toStdString();
  // The close was put off, not lost: the program ends once the command is done.
  for (int i = 0; i < 5 && gfrmMain; ++i) settle();
  EXPECT_FALSE(gfrmMain);
  EXPECT_FALSE(gDB);
  EXPECT_FALSE(gErr);
}

TEST_F(MainWindowTest, CloseWhileTheOpenDialogCommandRunsKeepsItsRecentListUntilItEnds) {
  ASSERT_TRUE(start());
  const QString path = catalogue("dialog.qvk");
  chooser->answers = {path};
  frmMain* w = window;
  QMetaObject::invokeMethod(
      w, [w] { w->close(); }, Qt::QueuedConnection);
  item("TB_DBOpen")->trigger();
  ASSERT_TRUE(gfrmMain);
  EXPECT_EQ(gDB->DBPath(), path);
  EXPECT_EQ(gOptions->LastDB(), path);
  for (int i = 0; i < 5 && gfrmMain; ++i) settle();
  EXPECT_FALSE(gfrmMain);
  EXPECT_EQ(regText(kRecentKey, "File 1"), path);
  registry::deleteKey(registry::HKEY_CURRENT_USER, QStringLiteral("Software\\Tolvarent"));
}

// The tree's loading of a volume's folders lets pending events run; a close among them waits
// for the load instead of pulling the catalogue away under it, and is not lost.
TEST_F(MainWindowTest, CloseWhileAVolumesFoldersLoadWaitsForTheLoadAndThenEnds) {
  ASSERT_TRUE(start());
  const QString path = catalogue("ordner.qvk");
  {
    CatalogueWriter c(path);
    c.volume(1, "Platte");
    c.folder(10, 1, rt::Null, rt::Null);
    c.folder(11, 1, "Briefe", 10);
  }
  gfrmMain->pubDBOpen(path);
  frmMain* w = window;
  bool closeRefused = false;
  QObject::connect(w->Tree1, &Tree::VolumeFill, w, [w, &closeRefused](const QString&, bool done) {
    if (!done) closeRefused = !w->close();
  });
  w->Tree1->TV()->node("V1")->setExpanded(true);
  EXPECT_TRUE(closeRefused);
  ASSERT_TRUE(gfrmMain);
  // The load ended: the volume shows its root folder.
  EXPECT_NE(w->Tree1->TV()->node("V1|10"), nullptr);
  EXPECT_TRUE(boxes->shown.empty()) << boxText(0).toStdString();
  for (int i = 0; i < 5 && gfrmMain; ++i) settle();
  EXPECT_FALSE(gfrmMain);
  EXPECT_FALSE(gDB);
}

// A catalogue the window cannot show (its location table is gone) is reported once and left
// closed, whichever way it was opened: no window shows "no catalogue" while the file stays
// open and locked behind it, and it joins neither the recent list nor LastDB.
TEST_F(MainWindowTest, CatalogueThatCannotBeShownIsLeftClosedWhicheverWayItWasOpened) {
  ASSERT_TRUE(start());
  const QString good = catalogue("gut.qvk");
  const QString broken = catalogue("ohne-lagerorte.qvk");
  // Listed while it was still whole, then damaged.
  chooser->answers = {broken};
  item("mMainFile_DB")->trigger();
  ASSERT_EQ(gDB->DBPath(), broken) << boxText(0).toStdString();
  item("mMainFile_DBClose")->trigger();
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(broken).constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "DROP TABLE tblLOCATIONS", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  const QString lastDb = gOptions->LastDB();
  const std::function<void()> ways[] = {
      [&] { gfrmMain->pubDBOpen(broken); },
      [&] {
        chooser->answers = {broken};
        item("mMainFile_DB")->trigger();
      },
      [&] {
        for (QAction* a : recentItems())
          if (window->RecentFiles()->Item(a->data().toInt()).FullPath() == broken) a->trigger();
      },
  };
  int way = 0;
  for (const auto& open : ways) {
    SCOPED_TRACE(way++);
    gfrmMain->pubDBOpen(good);
    ASSERT_EQ(gDB->DBPath(), good);
    boxes->shown.clear();
    open();
    EXPECT_EQ(boxes->shown.size(), 1u) << boxText(0).toStdString() << " | " << boxText(1).toStdString();
    EXPECT_TRUE(window->lblNoDB->isVisible());
    EXPECT_EQ(window->windowTitle(), "Tolvarent Kerbolith");
    EXPECT_TRUE(gDB->DBPath().isEmpty());
    EXPECT_EQ(gDB->DB(), nullptr);
    // Nobody holds it: another program may open it for itself alone.
    jet::Engine engine;
    auto ws = testenv::catalogueWorkspace(engine);
    EXPECT_NO_THROW(ws->OpenDatabase(broken, true)->Close());
    EXPECT_EQ(gOptions->LastDB(), lastDb);
  }
  EXPECT_EQ(window->RecentFiles()->Item(1).FullPath(), broken);
  EXPECT_EQ(window->RecentFiles()->Count(), 1);
}
