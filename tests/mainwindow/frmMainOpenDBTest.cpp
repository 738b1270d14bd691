// "Datenbank öffnen" through the catalogue chooser: a listed catalogue opens in the mode the
// chooser's box says, "other" goes on to the file dialog, Cancel changes nothing, and a
// listed file gone meanwhile leads to the file dialog.
#include "catalogue/mdlCommand_open.h"
#include "foundation/widgets/cuRecentFiles.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Workspace.h"
#include "tests/mainwindow/PaneFixture.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class OpenDialogTest : public PaneFixture {
 protected:
  QString copy(const QString& name) {
    const QString path = dir + "/" + name;
    EXPECT_TRUE(testenv::copyTemplate(path));
    return path;
  }
  // Opens path through the file dialog, so that it becomes a recent catalogue.
  void openThroughFileDialog(const QString& path) {
    chooser->answers = {path};
    item("mMainFile_DB")->trigger();
    ASSERT_EQ(gDB->DBPath(), path);
  }
  static void pick(std::function<void(frmOpenDB&)> step) { ChooserAnswerer::instance().script.push_back(step); }
};

}  // namespace

TEST_F(OpenDialogTest, AListedCatalogueOpensInTheChosenModeWithoutTheFileDialog) {
  startExposed();
  const QString a = copy("a.qvk"), b = copy("b.qvk");
  openThroughFileDialog(a);
  openThroughFileDialog(b);
  const size_t asked = chooser->requests.size();
  // The list shows the newest first; take the second, not exclusive.
  QStringList listed;
  pick([&](frmOpenDB& d) {
    for (int i = 0; i < d.lstDB->count(); ++i) listed << d.lstDB->item(i)->text();
    d.lstDB->setCurrentRow(1);
    d.chkExclusive->setChecked(false);
    d.cmdOK->click();
  });
  item("TB_DBOpen")->trigger();
  EXPECT_EQ(listed, (QStringList{b, a}));
  EXPECT_EQ(chooser->requests.size(), asked);
  EXPECT_EQ(gDB->DBPath(), a);
  EXPECT_FALSE(gDB->Exclusive());
  EXPECT_FALSE(window->windowTitle().contains("[EXKLUSIV]"));
  EXPECT_EQ(window->RecentFiles()->Item(1).FullPath(), a);
  EXPECT_EQ(gOptions->LastDB(), a);
  EXPECT_EQ(gOptions->LastDir(), dir + "/");
  // The open catalogue chosen from the list is opened afresh, exclusively this time.
  pick([](frmOpenDB& d) {
    d.chkExclusive->setChecked(true);
    d.cmdOK->click();
  });
  item("mMainFile_DB")->trigger();
  EXPECT_TRUE(boxes->shown.empty()) << boxes->shown[0].text.toStdString();
  EXPECT_EQ(gDB->DBPath(), a);
  EXPECT_TRUE(gDB->Exclusive());
}

TEST_F(OpenDialogTest, CancelChangesNothingAndAVanishedListedFileLeadsToTheFileDialog) {
  startExposed();
  const QString a = copy("a.qvk"), b = copy("b.qvk"), c = copy("c.qvk");
  openThroughFileDialog(a);
  openThroughFileDialog(b);
  const size_t asked = chooser->requests.size();
  const int shown = ChooserAnswerer::instance().shown;
  pick([](frmOpenDB& d) { d.cmdCancel->click(); });
  item("mMainFile_DB")->trigger();
  EXPECT_EQ(ChooserAnswerer::instance().shown, shown + 1);
  EXPECT_EQ(chooser->requests.size(), asked);
  EXPECT_EQ(gDB->DBPath(), b);
  EXPECT_TRUE(window->Tree1->isEnabled());

  // a is listed, then deleted before OK: the file dialog takes over, titled 143.
  pick([&](frmOpenDB& d) {
    d.lstDB->setCurrentRow(1);
    QFile::remove(a);
    d.cmdOK->click();
  });
  chooser->answers = {c};
  item("mMainFile_DB")->trigger();
  ASSERT_EQ(chooser->requests.size(), asked + 1);
  EXPECT_EQ(chooser->requests.back().title, "Datenbank auswählen");
  EXPECT_EQ(gDB->DBPath(), c);
}

// A damaged catalogue opened from the menu: the box says so in German words of our own, never
// in the store's English, whether the damage is found by the open or by the first read.
TEST_F(OpenDialogTest, ADamagedCatalogueIsReportedInGerman) {
  startExposed();
  const QString good = copy("gut.qvk");
  openThroughFileDialog(good);
  struct Case {
    const char* name;
    std::function<void(const QString&)> damage;
  };
  const std::vector<Case> cases = {
      {"cut short",
       [](const QString& p) {
         QFile f(p);
         ASSERT_TRUE(f.resize(f.size() / 3));
       }},
      {"garbage over its volumes",
       [](const QString& p) {
         {
           jet::Engine engine;
           auto ws = testenv::catalogueWorkspace(engine);
           auto db = ws->OpenDatabase(p, false);
           ws->BeginTrans();
           for (int i = 1; i <= 3000; ++i)
             db->Execute(
                 "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) VALUES (?, ?, '/m/', 3, "
                 "1)",
                 0, {rt::Variant(i), rt::Variant(QString(80, QLatin1Char('v')) + QString::number(i))});
           ws->CommitTrans();
           ws->Close();
         }
         QFile f(p);
         ASSERT_TRUE(f.open(QIODevice::ReadWrite));
         f.seek(f.size() - 8 * 4096);
         f.write(QByteArray(8 * 4096, '\xff'));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = copy(QString::fromLatin1(c.name).replace(' ', '_') + ".qvk");
    c.damage(path);
    boxes->shown.clear();
    chooser->answers = {path};
    item("mMainFile_DB")->trigger();
    ASSERT_FALSE(boxes->shown.empty());
    bool damagedSaid = false;
    for (const auto& box : boxes->shown) {
      EXPECT_FALSE(box.text.contains("malformed") || box.text.contains("database")) << box.text.toStdString();
      damagedSaid = damagedSaid || box.text.contains(jet::errorText(jet::err::kDamaged));
    }
    EXPECT_TRUE(damagedSaid) << boxes->shown.front().text.toStdString();
  }
}
