// The main window used as a user would: every command of its menus, toolbar and context menus
// in both states and with each kind of node selected, odd window sizes, Esc, closing and
// reopening, and catalogues that are read-only or gone. A command must either be disabled or
// show that it did something; none may crash, raise past the window or leave it unusable.
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/mdlGlobals_main.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_registry.h"
#include "foundation/widgets/HelpWindow.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/registry/Registry.h"
#include "platform/runtime/App.h"
#include "platform/runtime/Variant.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ShellOpen.h"
#include "platform/ui/Twips.h"
#include "platform/ui/widgets/FileChooser.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/mainwindow/CatalogueWriter.h"
#include "tests/mainwindow/ContextMenus.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

namespace {

class MainUseTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    chooser = installScriptedChooser();
    auto sh = std::make_unique<ui::RecordingShellOpener>();
    shell = sh.get();
    previousShell = ui::setShellOpener(std::move(sh));
    // Whatever modal window or pop-up menu a command opens is noted and dismissed.
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [this] {
      QWidget* popup = QApplication::activePopupWidget();
      if (popup && keepPopups) {
        // A context menu the test is about to click.
      } else if (popup) {
        QStringList texts;
        if (auto* m = qobject_cast<QMenu*>(popup))
          for (QAction* a : m->actions()) texts << a->text();
        dismissed << popup->metaObject()->className() + QString(":") + texts.join("/");
        popup->close();
      } else if (QWidget* modal = QApplication::activeModalWidget()) {
        dismissed << modal->metaObject()->className();
        if (auto* d = qobject_cast<QDialog*>(modal))
          d->reject();
        else
          modal->close();
      }
    });
    closer.start();
  }
  void TearDown() override {
    closer.stop();
    if (HelpWindow::existing()) HelpWindow::existing()->close();
    closeWindow();
    ui::setShellOpener(std::move(previousShell));
    restorePresenter();
  }

  void start() { startExposed(); }

  // Two categories, a volume in each and one at the top, the first volume with two folders.
  QString filledCatalogue(const QString& name = QStringLiteral("archiv.qvk")) {
    const QString path = dir + "/" + name;
    EXPECT_TRUE(testenv::copyTemplate(path));
    CatalogueWriter c(path);
    c.category(1, "Musik");
    c.category(2, "Klassik", 1);
    c.volume(1, "Bach", 2);
    c.volume(2, "Filme", 1);
    c.volume(3, "Alpha");
    c.folder(10, 1, rt::Null, rt::Null);
    c.folder(11, 1, "Kantaten", 10);
    return path;
  }

  Tree* tree() const { return window->Tree1; }
  QTreeWidgetItem* node(const QString& key) const { return tree()->TV()->node(key); }
  QAction* item(const char* name) const { return window->findChild<QAction*>(name); }
  QString visiblePane() const {
    QStringList shown;
    if (window->picCategory->isVisible()) shown << "category";
    if (window->picVolume->isVisible()) shown << "volume";
    if (window->picFolder->isVisible()) shown << "folder";
    return shown.join("+");
  }
  QString boxTexts() const {
    QStringList t;
    for (const auto& b : boxes->shown) t << b.text;
    return t.join(" | ");
  }

  // Everything a command can show the user, taken before and after it ran.
  struct Trace {
    size_t boxes = 0, requests = 0, shell = 0;
    QStringList dismissed, tops, checks, nodes;
    QString title, pane, status, clipboard;
    bool operator==(const Trace&) const = default;
  };
  Trace trace() const {
    Trace t;
    t.boxes = boxes->shown.size();
    t.requests = chooser->requests.size();
    t.shell = shell->opened.size();
    t.dismissed = dismissed;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && !qobject_cast<QMenu*>(w))
        t.tops << w->metaObject()->className() + QString("/") + w->windowTitle();
    t.tops.sort();
    for (QAction* a : window->findChildren<QAction*>())
      if (a->isCheckable()) t.checks << a->objectName() + (a->isChecked() ? "+" : "-");
    for (QTreeWidgetItem* n : tree()->NodesInAddOrder()) t.nodes << ui::itemKey(n) + "|" + n->text(0);
    t.title = window->windowTitle();
    t.pane = visiblePane();
    t.status = window->SBPanel1->text();
    t.clipboard = QGuiApplication::clipboard()->text();
    return t;
  }

  // The trace once what the window set going has run (the tree's deferred click, the closer's
  // turn) and nothing changes any more.
  Trace settledTrace() const {
    Trace last = trace();
    for (int round = 0; round < 100; ++round) {
      testenv::letArmedTimersRun(closer.interval());
      Trace now = trace();
      if (now == last) break;
      last = std::move(now);
    }
    return last;
  }

  // The commands a user reaches from the menus and the toolbar: visible items with a name or
  // a recent entry's number, no separators, no submenus, not "Programm beenden".
  QList<QAction*> commands() const {
    QList<QAction*> out;
    for (QMenu* m : window->menuBar()->findChildren<QMenu*>())
      for (QAction* a : m->actions())
        if (!a->isSeparator() && !a->menu() && a->isVisible() && a->objectName() != "mMainFile_Quit") out << a;
    for (QAction* a : window->TB->actions())
      if (!a->isSeparator() && a->isVisible()) out << a;
    return out;
  }
  static QString nameOf(const QAction* a) {
    return a->objectName().isEmpty() ? QString("Recent ") + a->text() : a->objectName();
  }

  // Brings the window into a state: "" closed, else the catalogue open with that node selected.
  void enter(const QString& path, const QString& key) {
    if (key.isEmpty()) {
      if (gDB && !gDB->DBPath().isEmpty()) item("mMainFile_DBClose")->trigger();
      ASSERT_TRUE(window->lblNoDB->isVisible());
      return;
    }
    if (!gDB || gDB->DBPath() != path) gfrmMain->pubDBOpen(path);
    ASSERT_EQ(gDB->DBPath(), path) << boxTexts().toStdString();
    if (key.contains('|')) node(key.section('|', 0, 0))->setExpanded(true);
    // A folder below the root: selecting it makes the nodes down to it.
    tree()->SelectItem(key, true);
    ASSERT_NE(node(key), nullptr) << key.toStdString();
    const QString pane = key.startsWith('C') ? "category" : key.contains('|') ? "folder" : "volume";
    ASSERT_TRUE(QTest::qWaitFor([&] { return visiblePane() == pane; }, 1000))
        << key.toStdString() << " shows " << visiblePane().toStdString();
    settle();
  }

  ScriptedChooser* chooser = nullptr;
  ui::RecordingShellOpener* shell = nullptr;
  std::unique_ptr<ui::ShellOpener> previousShell;
  QTimer closer;
  bool keepPopups = false;
  QStringList dismissed;
};

}  // namespace

TEST_F(MainUseTest, EveryCommandIsDisabledOrVisiblyDoesSomethingInEveryState) {
  const QString path = filledCatalogue();
  start();
  // One recent entry, so the File menu has one to try.
  chooser->answers = {path};
  item("mMainFile_DB")->trigger();
  ASSERT_EQ(gDB->DBPath(), path) << boxTexts().toStdString();

  int extra = 100;
  QStringList dead, disabledActed;
  for (const QString& state : {QString(), QString("C1"), QString("V3"), QString("V1"), QString("V1|11")}) {
    enter(path, state);
    for (QAction* a : commands()) {
      const QString name = nameOf(a);
      SCOPED_TRACE((state + " " + name).toStdString());
      enter(path, state);
      if (!state.isEmpty()) {
        // A row written behind the window's back, through its own connection: a reload shows it.
        gDB->DB()->Execute(QString("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (%1, 'Neu %1')").arg(++extra));
      }
      const bool enabled = a->isEnabled();
      const Trace before = trace();
      a->trigger();
      // What an enabled command shows may come later, through a deferred click or the closer.
      if (enabled) (void)QTest::qWaitFor([&] { return !(trace() == before); }, 2000);
      const Trace after = settledTrace();
      if (enabled && after == before) dead << state + ":" + name;
      if (!enabled && !(after == before)) disabledActed << state + ":" + name;
      // Undo what the command left: help window, check marks.
      if (HelpWindow::existing()) HelpWindow::existing()->close();
      if (a->isCheckable() && enabled) a->trigger();
      ASSERT_TRUE(gfrmMain) << "the window went away";
    }
  }
  EXPECT_TRUE(dead.isEmpty()) << "enabled, but nothing happens: " << dead.join(", ").toStdString();
  EXPECT_TRUE(disabledActed.isEmpty()) << "disabled, but acted: " << disabledActed.join(", ").toStdString();

  // Still usable: a catalogue opens through the dialog and fills the tree.
  enter(path, QString());
  chooser->answers = {path};
  item("TB_DBOpen")->trigger();
  EXPECT_EQ(gDB->DBPath(), path);
  EXPECT_NE(node("V1"), nullptr);
  item("mMainFile_Quit")->trigger();
  settle();
  EXPECT_FALSE(gfrmMain);
  EXPECT_FALSE(gDB);
}

// A right click on a node, the file list or an information list opens that place's menu, and
// each enabled item of it visibly does something.
// Elsewhere a right click offers no menu.
TEST_F(MainUseTest, RightClicksOfferNoMenuWithDeadItems) {
  const QString path = filledCatalogue();
  {
    CatalogueWriter c(path);
    c.file(1, 11, "Arie.flac");
  }
  start();
  keepPopups = true;
  // A menu opens from the event itself or from what the event sets going.
  auto rightClick = [&](QWidget* w, QPoint at) {
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &e);
    settledTrace();
  };
  const auto everywhere = [&](const QString& state) {
    for (QWidget* w : {static_cast<QWidget*>(window->menuBar()), static_cast<QWidget*>(window->TB),
                       static_cast<QWidget*>(window->statusBar()), window->centralWidget()}) {
      SCOPED_TRACE((state + " " + w->objectName()).toStdString());
      rightClick(w, QPoint(w->width() - 5, w->height() / 2));
      EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
  };
  everywhere("closed");
  gfrmMain->pubDBOpen(path);
  node("V1")->setExpanded(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tree()->NodeOfKey("V1|11") != nullptr; }, 5000));

  // Opens the place's menu with the node selected: a tree node, or the file list or the folder
  // information list of folder 11.
  const auto openMenu = [&](const QString& place) -> QMenu* {
    if (!place.startsWith('-')) return menus::nodeMenu(tree(), place);
    if (!menus::clickNode(tree(), "V1|11")) return nullptr;
    if (place == "-files")
      return menus::listMenu(window->picFolder->LVFiles, window->picFolder->LVFiles->topLevelItem(0));
    return menus::listMenu(window->picFolder->LVFolderInfo);
  };
  const struct {
    const char* place;
    const char* menu;
  } places[] = {{"C1", "kTV_Category"},  {"V3", "kTV_Volume"},     {"V1", "kTV_Volume"},
                {"V1|11", "kTV_Folder"}, {"-files", "kLV_Folder"}, {"-info", "kLVInfo"}};
  QStringList dead;
  for (const auto& p : places) {
    SCOPED_TRACE(p.place);
    QMenu* menu = openMenu(p.place);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), p.menu);
    QStringList items;
    std::function<void(QMenu*)> walk = [&](QMenu* m) {
      for (QAction* a : m->actions())
        if (!a->isSeparator() && a->isVisible() && a->isEnabled()) {
          if (a->menu())
            walk(a->menu());
          else
            items << a->objectName();
        }
    };
    walk(menu);
    menus::closePopups();
    for (const QString& name : items) {
      SCOPED_TRACE(name.toStdString());
      // Deleting is answered No by the recording presenter; nothing else is needed here.
      QGuiApplication::clipboard()->clear();
      QMenu* again = openMenu(p.place);
      const Trace before = trace();
      ASSERT_TRUE(menus::choose(again, name));
      if (!QTest::qWaitFor([&] { return !(trace() == before); }, 1000)) dead << QString(p.place) + ":" + name;
      ASSERT_TRUE(gfrmMain) << "the window went away";
    }
  }
  for (const char* name : {"kTV_Volume_Output", "kTV_Folder_Output", "kLV_Folder_Folder_Output",
                           "kTV_Category_Nodes_Open", "kTV_Category_Nodes_Close"})
    EXPECT_TRUE(item(name)->isEnabled()) << name;
  keepPopups = false;
  everywhere("open");
  EXPECT_TRUE(dead.isEmpty()) << "enabled, but nothing happens: " << dead.join(", ").toStdString();
  EXPECT_TRUE(gfrmMain);
}

TEST_F(MainUseTest, TinyHugeMinimisedAndRestoredTheWindowKeepsWorking) {
  const QString path = filledCatalogue();
  start();
  // Fields of the visible pane that are squashed below their height; layouts settle in
  // posted events, so the checks wait for the condition instead of a fixed time.
  const auto squashed = [this] {
    QStringList out;
    for (QWidget* pane : {static_cast<QWidget*>(window->picCategory), static_cast<QWidget*>(window->picVolume)})
      if (pane->isVisible())
        for (QLineEdit* field : pane->findChildren<QLineEdit*>())
          if (field->isVisible() && field->height() < field->minimumSizeHint().height())
            out << field->objectName() +
                       QString(" %1 < %2").arg(field->height()).arg(field->minimumSizeHint().height());
    return out;
  };
  const auto bothSidesHaveRoom = [this] {
    const QList<int> sizes = window->ElasticOne1->sizes();
    return sizes.size() == 2 && sizes[0] > 50 && sizes[1] > 50;
  };
  for (const bool open : {false, true}) {
    if (open) {
      gfrmMain->pubDBOpen(path);
      node("V1")->setExpanded(true);
    }
    for (const char* key : {"", "C1", "V3", "V1|11"}) {
      if (open && *key) enter(path, key);
      if (!open && *key) continue;
      SCOPED_TRACE(key);
      for (const QSize size : {QSize(1, 1), QSize(40, 30), QSize(8000, 6000), QSize(640, 420), QSize(900, 600)}) {
        window->resize(size);
        // A pane that does not fit scrolls; its fields are never squashed below their height.
        (void)QTest::qWaitFor([&] { return squashed().isEmpty(); }, 5000);
        EXPECT_TRUE(squashed().isEmpty())
            << "at " << size.width() << "x" << size.height() << ": " << squashed().join(", ").toStdString();
      }
      window->showMinimized();
      EXPECT_TRUE(QTest::qWaitFor([&] { return window->isMinimized(); }, 5000));
      window->showNormal();
      window->activateWindow();
      // No pane holds the window above the size the user gave it.
      EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isMinimized() && window->size() == QSize(900, 600); }, 5000))
          << window->width() << "x" << window->height();
      EXPECT_LT(window->minimumSizeHint().height(), 400);
      // Back at its size, the tree and the pane both have room again.
      if (open) {
        EXPECT_TRUE(QTest::qWaitFor(bothSidesHaveRoom, 5000));
      }
    }
  }
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().toStdString();
}

TEST_F(MainUseTest, EscOnlySetsTheFlagAndLeavesTheWindowAsItIs) {
  const QString path = filledCatalogue();
  start();
  gfrmMain->pubDBOpen(path);
  enter(path, "V3");
  const Trace before = trace();
  QTest::keyClick(tree()->TV(), Qt::Key_Escape);
  QTest::keyClick(window->picVolume->VolumeName, Qt::Key_Escape);
  EXPECT_TRUE(window->Cancel());
  EXPECT_TRUE(settledTrace() == before);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(MainUseTest, ReopeningTheSameCatalogueShowsTheSameTree) {
  const QString path = filledCatalogue();
  start();
  chooser->answers = {path};
  item("mMainFile_DB")->trigger();
  const QStringList first = trace().nodes;
  ASSERT_FALSE(first.isEmpty());
  item("mMainFile_DBClose")->trigger();
  chooser->answers = {path};
  item("mMainFile_DB")->trigger();
  EXPECT_EQ(trace().nodes, first);
  item("mMainFile_DBClose")->trigger();
  // And through its recent entry.
  QAction* recent = nullptr;
  for (QAction* a : window->findChild<QMenu*>("mMainFile")->actions())
    if (a->objectName().isEmpty() && a->data().toInt() == 1 && a->isVisible()) recent = a;
  ASSERT_NE(recent, nullptr);
  recent->trigger();
  EXPECT_EQ(gDB->DBPath(), path);
  EXPECT_EQ(trace().nodes, first);
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().toStdString();
}

TEST_F(MainUseTest, DeletedRecentCatalogueIsReportedWhileAnotherStaysOpen) {
  const QString gone = filledCatalogue("weg.qvk"), other = filledCatalogue("da.qvk");
  start();
  for (const QString& p : {gone, other}) {
    chooser->answers = {p};
    item("mMainFile_DB")->trigger();
  }
  ASSERT_TRUE(QFile::remove(gone));
  QAction* recent = nullptr;
  for (QAction* a : window->findChild<QMenu*>("mMainFile")->actions())
    if (a->objectName().isEmpty() && a->data().toInt() == 2 && a->isVisible()) recent = a;
  ASSERT_NE(recent, nullptr);
  recent->trigger();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Die Datenbank '" + gone + "' ist nicht vorhanden.");
  EXPECT_EQ(gDB->DBPath(), other);
  EXPECT_NE(node("V1"), nullptr);
  EXPECT_TRUE(tree()->isEnabled());
}

// A catalogue on a read-only file system: it opens and shows, or one clear box says why not,
// and the window goes on either way.
TEST_F(MainUseTest, ReadOnlyCatalogueOpensOrIsRefusedWithOneBox) {
  const QString src = dir + "/src", ro = dir + "/ro";
  ASSERT_TRUE(QDir().mkpath(src));
  ASSERT_TRUE(QDir().mkpath(ro));
  filledCatalogue("src/nur.qvk");
  if (QProcess::execute("mount", {"--bind", src, ro}) != 0) GTEST_SKIP() << "no bind mount";
  struct Unmount {
    QString at;
    ~Unmount() { QProcess::execute("umount", {at}); }
  } unmount{ro};
  if (QProcess::execute("mount", {"-o", "remount,bind,ro", ro}) != 0) GTEST_SKIP() << "no read-only remount";
  start();
  chooser->answers = {ro + "/nur.qvk"};
  item("mMainFile_DB")->trigger();
  EXPECT_LE(boxes->shown.size(), 1u) << boxTexts().toStdString();
  if (boxes->shown.empty()) {
    EXPECT_EQ(gDB->DBPath(), ro + "/nur.qvk");
    EXPECT_NE(node("V1"), nullptr);
  } else {
    EXPECT_TRUE(window->lblNoDB->isVisible());
  }
  // Refresh and close work on it too, and another catalogue opens afterwards.
  if (item("mMainView_Refresh")->isEnabled()) item("mMainView_Refresh")->trigger();
  if (item("mMainFile_DBClose")->isEnabled()) item("mMainFile_DBClose")->trigger();
  const QString other = filledCatalogue("anders.qvk");
  chooser->answers = {other};
  item("mMainFile_DB")->trigger();
  EXPECT_EQ(gDB->DBPath(), other);
  window->close();
  settle();
}

// Help without its file: the user learns why nothing opens.
TEST_F(MainUseTest, HelpWithoutItsFileSaysSo) {
  start();
  const QString real = rt::App::helpFile();
  rt::App::setHelpFile(dir + "/fehlt.chm");
  const Trace before = trace();
  item("mMainHelp_Help")->trigger();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !(trace() == before); }, 5000));
  const Trace after = settledTrace();
  rt::App::setHelpFile(real);
  EXPECT_FALSE(after == before) << "nothing shown";
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Die Hilfedatei '" + dir + "/fehlt.chm' ist nicht vorhanden.");
  EXPECT_TRUE(boxes->shown[0].style & ui::kCritical);
  EXPECT_FALSE(HelpWindow::existing() && HelpWindow::existing()->isVisible());
}

// Stored under a larger screen, the main window opens wholly on this one, frame and all, and
// keeps its place and size where they fit. A window manager frames a window only once it has
// shown it: the window is kept on the screen when its frame comes, too.
TEST_F(MainUseTest, AStoredPlaceFromALargerScreenOpensOnTheScreen) {
  const QString key = QStringLiteral("Software\\Tolvarent\\Kerbolith\\WindowPos\\MainForm");
  const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
  const auto twipsX = [](int px) { return QString::number(ui::pixelsToTwipsX(px)); };
  const auto twipsY = [](int px) { return QString::number(ui::pixelsToTwipsY(px)); };
  struct Case {
    QSize stored;
    QPoint place;
    bool fits;
  } cases[] = {
      {{1600, 1000}, {124, 40}, false},
      {{free.width(), free.height()}, {free.width() / 2, free.height() / 2}, false},
      {{free.width() / 2, free.height() / 2}, {124, 40}, true},
  };
  for (const bool framedLater : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(QString("%1x%2 at %3,%4%5")
                       .arg(c.stored.width())
                       .arg(c.stored.height())
                       .arg(c.place.x())
                       .arg(c.place.y())
                       .arg(framedLater ? ", framed later" : "")
                       .toStdString());
      for (const auto& [name, value] : {std::pair{"Maximized", QString("0")},
                                        {"Width", twipsX(c.stored.width())},
                                        {"Height", twipsY(c.stored.height())},
                                        {"Left", twipsX(c.place.x())},
                                        {"Top", twipsY(c.place.y())}})
        ASSERT_TRUE(RegSetString(registry::HKEY_CURRENT_USER, key, name, value));
      ASSERT_TRUE(Main([this, framedLater] {
        auto w = std::make_unique<frmMain>();
        w->setWindowFlag(Qt::FramelessWindowHint, framedLater);
        w->show();
        window = w.get();
        return w;
      }));
      ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
      if (framedLater) {
        // What a window manager does with a window it was just shown: puts a frame around
        // it where it stands. The offscreen platform frames a window when it is placed anew.
        window->setWindowFlag(Qt::FramelessWindowHint, false);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        window->windowHandle()->setFramePosition(window->windowHandle()->framePosition());
      }
      ASSERT_NE(window->frameGeometry().size(), window->size()) << "no frame to keep on the screen";
      EXPECT_TRUE(QTest::qWaitFor([&] { return free.contains(window->frameGeometry()); }, 5000))
          << window->frameGeometry().x() << "," << window->frameGeometry().y() << " " << window->frameGeometry().width()
          << "x" << window->frameGeometry().height();
      if (c.fits) {
        EXPECT_EQ(window->pos(), c.place);
        EXPECT_EQ(window->size(), c.stored);
      }
      closeWindow();
    }
  }
}
