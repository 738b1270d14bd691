#include "tests/windows/maintenance/MaintenanceFixture.h"
#include "windows/maintenance/frmLocEdit.h"
#include "windows/maintenance/frmLocList.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <sqlite3.h>

using maintest::MaintenanceTest;

namespace {

QStringList rows(const QTreeWidget* lv) {
  QStringList r;
  for (int i = 0; i < lv->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* it = lv->topLevelItem(i);
    r << it->text(0) + "|" + it->text(1) + "|" + it->text(2);
  }
  return r;
}

// "Keller" (3 volumes), "archiv" (1 volume, no description), "Dach" (unused).
class LocationsTest : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    addLocation(1, "Keller", QStringLiteral("Regal 2"));
    addLocation(2, "archiv");
    addLocation(5, "Dach", QStringLiteral("   "));
    addVolume(10, "V10", 1);
    addVolume(11, "V11", 1);
    addVolume(12, "V12", 1);
    addVolume(13, "V13", 2);
    addVolume(14, "V14");
  }

  QTreeWidgetItem* select(frmLocList& w, const QString& name) {
    for (int i = 0; i < w.LV->topLevelItemCount(); ++i) {
      QTreeWidgetItem* it = w.LV->topLevelItem(i);
      if (it->text(0) == name) {
        w.LV->setCurrentItem(it);
        it->setSelected(true);
        return it;
      }
    }
    ADD_FAILURE() << "no row " << name.toStdString();
    return nullptr;
  }

  // Answers the next editor: fills the boxes and presses OK (or Cancel); a refused OK (the
  // editor still open) is followed by Cancel so the test goes on.
  void answerEditor(frmLocList& w, const QString& name, const QString& description, bool ok = true) {
    whenModal(
        [name, description, ok, this](QWidget* modal) {
          auto* editor = qobject_cast<frmLocEdit*>(modal);
          ASSERT_NE(editor, nullptr);
          editorShownName = editor->LocName->text();
          editorShownDescription = editor->LocDescription->toPlainText();
          editor->LocName->setText(name);
          editor->LocDescription->setPlainText(description);
          (ok ? editor->cmdOK : editor->cmdCancel)->click();
          editorStayedOpen = editor->isVisible();
          if (editorStayedOpen) editor->cmdCancel->click();
        },
        &w);
  }

  int64_t count(const QString& sql) { return value(sql).toLong(); }

  QString editorShownName;
  QString editorShownDescription;
  bool editorStayedOpen = false;
};

TEST_F(LocationsTest, ListShowsNamesInCatalogueOrderWithTheirUse) {
  frmLocList w;
  EXPECT_EQ(w.windowTitle(), "Lagerorte");
  EXPECT_EQ(rows(w.LV), QStringList({"archiv||1", "Dach|   |0", "Keller|Regal 2|3"}));
  EXPECT_EQ(w.LV->topLevelItem(2)->data(0, Qt::UserRole).toInt(), 1);
  EXPECT_EQ(w.chkEdited(), 0);
}

TEST_F(LocationsTest, EmptyCatalogueShowsEmptyListAndAddAppends) {
  exec("UPDATE tblVOLUMES SET LocID = Null");
  exec("DELETE FROM tblLOCATIONS");
  frmLocList w;
  w.show();
  EXPECT_EQ(w.LV->topLevelItemCount(), 0);
  answerEditor(w, "Zimmer", "");
  w.CmdAdd();
  EXPECT_EQ(rows(w.LV), QStringList({"Zimmer||0"}));
  EXPECT_TRUE(w.LV->topLevelItem(0)->isSelected());
  EXPECT_EQ(w.chkEdited(), 1);
  EXPECT_EQ(count("SELECT Count(*) FROM tblLOCATIONS WHERE LocName = 'Zimmer' AND LocDescription IS NULL"), 1);
}

TEST_F(LocationsTest, AddAppendsWithTheNextKey) {
  frmLocList w;
  w.show();
  answerEditor(w, "Boden", "links");
  w.CmdAdd();
  EXPECT_EQ(editorShownName, "");
  EXPECT_EQ(rows(w.LV).last(), "Boden|links|0");
  EXPECT_TRUE(w.LV->topLevelItem(3)->isSelected());
  EXPECT_EQ(w.LV->topLevelItem(3)->data(0, Qt::UserRole).toInt(), 6);
  EXPECT_EQ(value("SELECT LocDescription FROM tblLOCATIONS WHERE lID = 6").toText(), "links");
  EXPECT_EQ(w.chkEdited(), 1);
}

// An empty name keeps the editor open and writes nothing.
TEST_F(LocationsTest, EditorRefusesAnEmptyName) {
  frmLocList w;
  w.show();
  answerEditor(w, "", "x");
  w.CmdAdd();
  EXPECT_TRUE(editorStayedOpen);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Sie müssen einen Namen angeben.");
  EXPECT_EQ(boxes->shown[0].style, ui::kExclamation);
  EXPECT_EQ(w.LV->topLevelItemCount(), 3);
  EXPECT_EQ(w.chkEdited(), 0);
  EXPECT_EQ(count("SELECT Count(*) FROM tblLOCATIONS"), 3);
  // A name of one blank is a name.
  answerEditor(w, " ", "");
  w.CmdAdd();
  EXPECT_FALSE(editorStayedOpen);
  EXPECT_EQ(count("SELECT Count(*) FROM tblLOCATIONS WHERE LocName = ' '"), 1);
}

// Names need not be unique: a name another location has, in any letter case, is taken as it is,
// when adding and when changing.
TEST_F(LocationsTest, ANameAnotherLocationHasIsAccepted) {
  frmLocList w;
  w.show();
  for (const QString& name : {QStringLiteral("Keller"), QStringLiteral("KELLER")}) {
    SCOPED_TRACE(name.toStdString());
    answerEditor(w, name, "zweites Regal");
    w.CmdAdd();
    EXPECT_FALSE(editorStayedOpen);
    EXPECT_EQ(rows(w.LV).last(), name + "|zweites Regal|0");
  }
  select(w, "Dach");
  answerEditor(w, "archiv", "");
  w.Edit();
  EXPECT_FALSE(editorStayedOpen);
  EXPECT_TRUE(boxes->shown.empty());
  EXPECT_EQ(value("SELECT LocName FROM tblLOCATIONS WHERE lID = 5").toText(), "archiv");
  EXPECT_EQ(count("SELECT Count(*) FROM tblLOCATIONS WHERE LocName = 'Keller' OR LocName = 'KELLER'"), 3);
  EXPECT_EQ(count("SELECT Count(*) FROM tblLOCATIONS"), 5);
  EXPECT_EQ(w.chkEdited(), 1);
}

TEST_F(LocationsTest, EditChangesRowAndRecord) {
  frmLocList w;
  w.show();
  select(w, "Keller");
  answerEditor(w, "KELLER", "");
  w.Edit();
  EXPECT_EQ(editorShownName, "Keller");
  EXPECT_EQ(editorShownDescription, "Regal 2");
  EXPECT_FALSE(editorStayedOpen);
  EXPECT_EQ(rows(w.LV).last(), "KELLER||3");
  EXPECT_EQ(value("SELECT LocName FROM tblLOCATIONS WHERE lID = 1").toText(), "KELLER");
  EXPECT_TRUE(value("SELECT LocDescription FROM tblLOCATIONS WHERE lID = 1").isNull());
  EXPECT_EQ(w.chkEdited(), 1);
}

TEST_F(LocationsTest, EditCancelledOrOfAVanishedRecordWritesNothing) {
  frmLocList w;
  w.show();
  select(w, "Dach");
  answerEditor(w, "Neu", "", false);
  w.Edit();
  EXPECT_EQ(w.chkEdited(), 0);

  exec("DELETE FROM tblLOCATIONS WHERE lID = 5");
  answerEditor(w, "Neu", "");
  w.Edit();
  EXPECT_TRUE(boxes->shown.empty());
  EXPECT_EQ(w.chkEdited(), 0);
  EXPECT_EQ(w.LV->currentItem()->text(0), "Dach");
  EXPECT_EQ(count("SELECT Count(*) FROM tblLOCATIONS WHERE LocName = 'Neu'"), 0);
}

TEST_F(LocationsTest, DeleteAsksAndReleasesTheVolumes) {
  frmLocList w;
  select(w, "Keller");
  boxes->script(ui::kAnswerNo);
  w.Delete();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text,
            "3 Volumes sind dem Lagerort 'Keller' zugeordnet.\r\n\r\nSoll der Lagerort trotzdem gelöscht werden?");
  EXPECT_EQ(boxes->shown[0].style, ui::kYesNo + ui::kExclamation + ui::kDefaultButton2);
  EXPECT_EQ(count("SELECT Count(*) FROM tblVOLUMES WHERE LocID = 1"), 3);
  EXPECT_EQ(w.chkEdited(), 0);

  boxes->script(ui::kAnswerYes);
  w.Delete();
  EXPECT_EQ(count("SELECT Count(*) FROM tblVOLUMES WHERE LocID IS NULL"), 4);
  EXPECT_EQ(count("SELECT Count(*) FROM tblLOCATIONS WHERE lID = 1"), 0);
  EXPECT_EQ(rows(w.LV), QStringList({"archiv||1", "Dach|   |0"}));
  EXPECT_TRUE(w.LV->topLevelItem(0)->isSelected());
  EXPECT_EQ(w.chkEdited(), 1);

  boxes->shown.clear();
  select(w, "Dach");
  boxes->script(ui::kAnswerYes);
  w.Delete();
  EXPECT_EQ(boxes->shown[0].text, "Soll der Lagerort 'Dach' wirklich gelöscht werden?");
  select(w, "archiv");
  boxes->script(ui::kAnswerYes);
  w.Delete();
  EXPECT_EQ(w.LV->topLevelItemCount(), 0);
  EXPECT_EQ(count("SELECT Count(*) FROM tblLOCATIONS"), 0);
  EXPECT_EQ(count("SELECT Count(*) FROM tblVOLUMES WHERE LocID IS NOT NULL"), 0);
}

// A delete that fails after the volumes were released leaves both tables as they were.
TEST_F(LocationsTest, FailedDeleteKeepsTheVolumesAssigned) {
  // The engine speaks Jet SQL only: the trigger goes in through SQLite itself.
  gDB->setDBPath(QString());
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
  EXPECT_EQ(
      sqlite3_exec(raw, "CREATE TRIGGER keep BEFORE DELETE ON tblLOCATIONS BEGIN SELECT RAISE(ABORT, 'gesperrt'); END",
                   nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(raw);
  ASSERT_TRUE(DBOpen(path, 0));
  frmLocList w;
  select(w, "Keller");
  boxes->script(ui::kAnswerYes);
  w.Delete();
  ASSERT_EQ(boxes->shown.size(), 2u);
  EXPECT_EQ(boxes->shown[1].style & ui::kCritical, ui::kCritical);
  EXPECT_TRUE(boxes->shown[1].title.contains("Fehler")) << boxes->shown[1].title.toStdString();
  EXPECT_EQ(count("SELECT Count(*) FROM tblVOLUMES WHERE LocID = 1"), 3);
  EXPECT_EQ(count("SELECT Count(*) FROM tblLOCATIONS"), 3);
  EXPECT_EQ(gDB->WS()->TransactionDepth(), 0);
  EXPECT_EQ(w.LV->topLevelItemCount(), 3);
  EXPECT_EQ(w.chkEdited(), 0);
}

TEST_F(LocationsTest, DeleteOfAVanishedRecordSays168) {
  frmLocList w;
  select(w, "Keller");
  exec("DELETE FROM tblLOCATIONS WHERE lID = 1");
  boxes->script(ui::kAnswerYes);
  w.Delete();
  ASSERT_EQ(boxes->shown.size(), 2u);
  EXPECT_EQ(boxes->shown[1].text, "Der Datensatz konnte nicht gelöscht werden.");
  EXPECT_EQ(boxes->shown[1].style, ui::kCritical);
  EXPECT_EQ(w.chkEdited(), 0);
}

TEST_F(LocationsTest, MenuNeedsASelectionForChangeAndDelete) {
  frmLocList w;
  w.show();
  w.LV->clearSelection();
  w.LV->setCurrentItem(nullptr);
  w.LV_MouseUp(QPoint(5, 5));
  EXPECT_TRUE(w.kLV_Add->isEnabled());
  EXPECT_FALSE(w.kLV_Edit->isEnabled());
  EXPECT_FALSE(w.kLV_Delete->isEnabled());
  w.kLV->hide();
  select(w, "Dach");
  w.LV_MouseUp(QPoint(5, 5));
  EXPECT_TRUE(w.kLV_Edit->isEnabled());
  EXPECT_TRUE(w.kLV_Delete->isEnabled());
  w.kLV->hide();
}

TEST_F(LocationsTest, CloseBoxHidesAndKeepsEdited) {
  frmLocList w;
  w.show();
  answerEditor(w, "Garage", "");
  w.CmdAdd();
  // Shown again, modally, as the main window shows it.
  w.hide();
  whenModal([](QWidget* modal) { modal->close(); });
  w.exec();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.chkEdited(), 1);
}

TEST(LocEditTest, CancelAndCloseBoxReadAsCancelled) {
  frmLocEdit a;
  EXPECT_EQ(a.windowTitle(), "Lagerort");
  EXPECT_EQ(a.chkCancel(), 1);
  a.show();
  a.close();
  EXPECT_EQ(a.chkCancel(), 1);
  frmLocEdit b;
  b.show();
  b.LocName->setText("x");
  b.cmdOK->click();
  EXPECT_EQ(b.chkCancel(), 0);
  EXPECT_FALSE(b.isVisible());
  b.show();
  b.cmdCancel->click();
  EXPECT_EQ(b.chkCancel(), 1);
}

}  // namespace
