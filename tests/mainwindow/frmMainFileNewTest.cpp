// File New over a catalogue that another opener holds.

#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/mdlGlobals_main.h"
#include "mainwindow/frmMain.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Workspace.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestHelpers.h"

#include <QAction>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class FileNewTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    chooser = installScriptedChooser();
  }
  QString catalogue(const QString& name) {
    const QString path = dir + "/" + name;
    EXPECT_TRUE(testenv::copyTemplate(path));
    return path;
  }
  QAction* item(const char* name) { return window->findChild<QAction*>(name); }

  ScriptedChooser* chooser = nullptr;
};

// The file is not replaced under the program that has it open: the user hears that it is in
// use, and the catalogue open in the window stays open.
TEST_F(FileNewTest, ACatalogueAnotherOpenerHoldsIsNotReplaced) {
  ASSERT_TRUE(startMainWindow(window));
  const QString mine = catalogue("mein.qvk");
  gfrmMain->pubDBOpen(mine);
  ASSERT_EQ(gDB->DBPath(), mine);

  const QString held = catalogue("gehalten.qvk");
  jet::Engine other;
  auto ws = testenv::catalogueWorkspace(other);
  auto db = ws->OpenDatabase(held, false);
  db->Execute("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (1, 'Keller')");
  const QByteArray before = testenv::contentOf(held);

  chooser->answers = {held};
  item("mMainFile_New")->trigger();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].style & ui::kCritical);
  EXPECT_TRUE(boxes->shown[0].text.contains("Die Datei wird bereits verwendet.")) << boxes->shown[0].text.toStdString();
  EXPECT_EQ(testenv::contentOf(held), before);
  auto rs = db->OpenRecordset("SELECT LocName FROM tblLOCATIONS", jet::RecordsetType::Snapshot);
  EXPECT_EQ(rs->Fields(0).Value().toText(), "Keller");
  rs->Close();
  EXPECT_EQ(gDB->DBPath(), mine);
  EXPECT_TRUE(window->windowTitle().contains("mein.qvk"));

  // Let go, the same choice makes the new catalogue.
  db->Close();
  chooser->answers = {held};
  item("mMainFile_New")->trigger();
  EXPECT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(gDB->DBPath(), held);
  auto locations = gDB->DB()->OpenRecordset("SELECT Count(*) FROM tblLOCATIONS", jet::RecordsetType::Snapshot);
  EXPECT_EQ(locations->Fields(0).Value().toLong(), 0);
  locations->Close();
}

}  // namespace
