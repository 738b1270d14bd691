#include "catalogue/widgets/Tree.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList menuCaptions(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator())
      out << (a->isVisible() ? QStringLiteral("-") : QStringLiteral("(-)"));
    else
      out << (a->isVisible() ? a->text() : QStringLiteral("(%1)").arg(a->text()));
  }
  return out;
}

// Calls back whenever the widget paints.
class PaintSpy : public QObject {
 public:
  PaintSpy(QWidget* w, std::function<void()> onPaint) : onPaint_(std::move(onPaint)) { w->installEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) onPaint_();
    return false;
  }

 private:
  std::function<void()> onPaint_;
};

}  // namespace

TEST(MainSplitterPosition, StoredValueOnlyWellInsideTheWindow) {
  struct Case {
    int stored, outer, client, expected;
  } cases[] = {
      {0, 12000, 11800, 3933},      {1000, 12000, 11800, 3933}, {11000, 12000, 11800, 3933},
      {10999, 12000, 11800, 10999}, {1001, 2002, 1900, 1001},   {1001, 2001, 1900, 633},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MainSplitterPosition(c.stored, c.outer, c.client), c.expected) << c.stored << " " << c.outer;
}

TEST(frmMainFrame, MenusCarryTheirCaptionsAndSeparators) {
  frmMain w;
  auto menu = [&](const char* name) { return w.findChild<QMenu*>(QString::fromLatin1(name)); };
  EXPECT_EQ(menuCaptions(menu("mMainFile")),
            (QStringList{"Neue Datenbank anlegen", "-", "Datenbank öffnen", "Datenbank schließen", "-",
                         "Importieren ...", "(-)", "-", "&Programm beenden"}));
  EXPECT_EQ(menuCaptions(menu("mMainEdit")), (QStringList{"&Lagerorte", "&System-Icons", "-", "&Suchen"}));
  EXPECT_EQ(menuCaptions(menu("mMainView")), (QStringList{"&Kategorie-Informationen", "&Ordner-Informationen",
                                                          "&Volume-Informationen", "-", "&Aktualisieren"}));
  EXPECT_EQ(menuCaptions(menu("mMainExtras")),
            (QStringList{"(Datenbank-Update)", "Datenbank-Info", "-", "Datenbank &komprimieren", "-", "&Optionen"}));
  EXPECT_EQ(menuCaptions(menu("mMainHelp")), (QStringList{"&Hilfe", "-", "&Tolvarent im Web", "-", "Info"}));
  QStringList bar;
  for (QAction* a : w.menuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar, (QStringList{"&Datei", "&Bearbeiten", "&Ansicht", "&Extras", "&?"}));
}

TEST(frmMainFrame, ContextMenusCarryTheirCaptionsAndSeparators) {
  frmMain w;
  auto menu = [&](const char* name) { return w.findChild<QMenu*>(QString::fromLatin1(name)); };
  const struct {
    const char* menu;
    QStringList captions;
  } cases[] = {
      {"kTV_Category", {"Neues &Volume", "-", "Neue &Kategorie", "Kategorie löschen", "-", "&Info", "-", "K&noten"}},
      {"kTV_Category_Nodes", {"Alle öffnen", "Alle schließen"}},
      {"kTV_Volume", {"Neue &Kategorie", "-", "&Neues Volume", "Volume &löschen", "-", "&Ausgeben ...", "&Info"}},
      {"kTV_Folder", {"&Memo", "-", "&Ausgeben ...", "&Info"}},
      {"kLV_Folder", {"&Ordner", "-", "Datei-&Beschreibung", "&Datei-Info", "&Zeile kopieren", "-", "&Ausführen"}},
      {"kLV_Folder_Folder", {"&Memo", "-", "&Ausgeben ...", "&Info"}},
      {"kLVInfo", {"In die &Zwischenablage kopieren"}},
  };
  for (const auto& c : cases) {
    ASSERT_NE(menu(c.menu), nullptr) << c.menu;
    EXPECT_EQ(menuCaptions(menu(c.menu)), c.captions) << c.menu;
    // Pop-up menus only: none of them is in the menu bar.
    EXPECT_FALSE(w.menuBar()->actions().contains(menu(c.menu)->menuAction())) << c.menu;
  }
  // Each item is reached by its name.
  for (QMenu* m : w.findChildren<QMenu*>())
    if (QString(m->objectName()).startsWith('k'))
      for (QAction* a : m->actions())
        if (!a->isSeparator()) {
          EXPECT_EQ(w.findChild<QAction*>(a->objectName()), a) << a->text().toStdString();
        }
}

TEST(frmMainFrame, ToolbarHasFourButtonsWithSeparatorsAfterSecondAndThird) {
  frmMain w;
  QStringList items;
  for (QAction* a : w.TB->actions()) items << (a->isSeparator() ? QStringLiteral("-") : a->data().toString());
  EXPECT_EQ(items, (QStringList{"DBNew", "DBOpen", "-", "Find", "-", "Run"}));
  QStringList captions;
  for (QAction* a : w.TB->actions())
    if (!a->isSeparator()) captions << a->text() + "=" + a->shortcut().toString();
  EXPECT_EQ(captions, (QStringList{"&Neue DB=Alt+N", "DB &öffnen=Alt+Ö", "&Suchen=Alt+S", "Ausführen="}));
  EXPECT_EQ(w.findChild<QAction*>("TB_Find")->toolTip(), "Datei(en)/Volumes suchen");
}

TEST(frmMainFrame, ClosedStateAfterLoad) {
  frmMain w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ(w.windowTitle(), "Tolvarent Kerbolith");
  EXPECT_TRUE(w.lblNoDB->isVisible());
  EXPECT_EQ(w.lblNoDB->text(), "Es ist keine Datenbank geöffnet.");
  EXPECT_FALSE(w.ElasticOne1->isVisible());
  EXPECT_FALSE(w.Tree1->isEnabled());
  for (const char* name :
       {"mMainEdit_Locations", "mMainEdit_SystemIcons", "mMainExtras_Compress", "mMainFile_DBClose",
        "mMainExtras_DBInfo", "mMainFile_DBImport", "mMainView_Refresh", "mMainEdit_Find", "TB_Find"})
    EXPECT_FALSE(w.findChild<QAction*>(name)->isEnabled()) << name;
  for (const char* name : {"mMainFile_New", "mMainFile_DB", "mMainFile_Quit", "mMainHelp_Help", "mMainHelp_Web",
                           "TB_DBNew", "TB_DBOpen", "mMainExtras_Options", "mMainHelp_About"})
    EXPECT_TRUE(w.findChild<QAction*>(name)->isEnabled()) << name;
  // Nothing to open yet.
  EXPECT_FALSE(w.findChild<QAction*>("TB_Run")->isEnabled());
}

TEST(frmMainFrame, EscSetsTheCancelFlagAndStillReachesTheControl) {
  frmMain w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_FALSE(w.Cancel());
  QTest::keyClick(w.lblNoDB, Qt::Key_Escape);
  EXPECT_TRUE(w.Cancel());
}

// A long operation that never returns to the event loop reports through pubStatus: the text
// must reach the screen inside the call, and what was pending runs once.
TEST(frmMainFrame, PubStatusShowsTheTextOnScreenBeforeItReturns) {
  frmMain w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QStringList painted;
  PaintSpy spy(w.SBPanel1, [&] { painted << w.SBPanel1->text(); });
  for (const QString& text : {QStringLiteral("Lese Ordner ..."), QString()}) {
    painted.clear();
    bool pendingRan = false;
    QMetaObject::invokeMethod(
        &w, [&] { pendingRan = true; }, Qt::QueuedConnection);
    w.pubStatus(text);
    EXPECT_TRUE(pendingRan) << text.toStdString();
    EXPECT_TRUE(painted.contains(text)) << text.toStdString() << " painted: " << painted.join("/").toStdString();
    EXPECT_EQ(w.SBPanel1->text(), text);
  }
}
