// The record binder on a real catalogue: what it shows, which edits count as changes, what a
// flush writes (only the changed fields, values bound), and what stays when a write fails.
#include "foundation/widgets/RecordBinder.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/jet/Engine.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Workspace.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class RecordBinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = testenv::freshTempDir() + "/binder.qvk";
    ASSERT_TRUE(testenv::copyTemplate(path));
    ws = testenv::catalogueWorkspace(engine);
    db = ws->OpenDatabase(path, false);
    db->Execute(
        "INSERT INTO tblVOLUMES (VID, VolumeName, Description, Memo, VolumePath, VolumeType, EditDate) "
        "VALUES (7, 'Urlaub', 'Fotos', 'Kiste 3', '/media/usb/', 2, 45000.5)");
    auto* layout = new QVBoxLayout(&form);
    for (QWidget* w : {static_cast<QWidget*>(name), static_cast<QWidget*>(desc), static_cast<QWidget*>(date),
                       static_cast<QWidget*>(memo)})
      layout->addWidget(w);
    nameField = &binder.Bind(name, "VolumeName", "Name des Volumes");
    descField = &binder.Bind(desc, "Description", "Beschreibung");
    binder.Bind(date, "EditDate", "Einlesedatum", true);
    memoField = &binder.Bind(memo, "Memo", "Memo");
    form.show();
  }
  void TearDown() override {
    binder.Close();
    db->Close();
  }

  rt::Variant stored(const QString& field) {
    auto rs = db->OpenRecordset("SELECT " + field + " FROM tblVOLUMES WHERE VID = 7", jet::RecordsetType::Snapshot);
    return rs->IsEOF() ? rt::Variant() : rs->Fields(0).Value();
  }
  void type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
  }

  QString path;
  jet::Engine engine;
  std::shared_ptr<jet::Workspace> ws;
  std::shared_ptr<jet::Database> db;
  QWidget form;
  QLineEdit* name = new QLineEdit;
  QLineEdit* desc = new QLineEdit;
  QLineEdit* date = new QLineEdit;
  QTextEdit* memo = new QTextEdit;
  RecordBinder binder;
  BoundField* nameField = nullptr;
  BoundField* descField = nullptr;
  BoundField* memoField = nullptr;
};

}  // namespace

TEST_F(RecordBinderTest, ShowsTheRowAndOnlyTheUsersTypingCountsAsAChange) {
  ASSERT_TRUE(binder.Open(*db, "tblVOLUMES", 7));
  EXPECT_EQ(name->text(), "Urlaub");
  EXPECT_EQ(desc->text(), "Fotos");
  EXPECT_EQ(memo->toPlainText(), "Kiste 3");
  EXPECT_EQ(date->text(), "15.03.2023 12:00:00");
  EXPECT_TRUE(date->isReadOnly());
  EXPECT_FALSE(name->isReadOnly());
  EXPECT_FALSE(binder.AnyChanged());
  // Text put in by the program is no edit; a flush writes nothing then.
  nameField->setText("Anders");
  memo->setPlainText("vom Programm");
  EXPECT_FALSE(binder.AnyChanged());
  binder.Flush();
  EXPECT_EQ(stored("VolumeName"), rt::Variant("Urlaub"));
  // The user's typing does count, in both kinds of box.
  type(desc, "Berge");
  EXPECT_TRUE(descField->DataChanged());
  QTest::keyClicks(memo, "!");
  EXPECT_TRUE(memoField->DataChanged());
  EXPECT_FALSE(nameField->DataChanged());
}

TEST_F(RecordBinderTest, FlushWritesOnlyTheChangedFieldsWithTheirTextAsTyped) {
  ASSERT_TRUE(binder.Open(*db, "tblVOLUMES", 7));
  // Another writer changes the description after the binder read the row.
  db->Execute("UPDATE tblVOLUMES SET Description = 'von anderswo' WHERE VID = 7");
  type(name, "O'Neil; DROP TABLE tblVOLUMES; --");
  int validations = 0;
  binder.setValidate([&](bool& save) {
    ++validations;
    EXPECT_TRUE(save);
  });
  bool written = false;
  binder.setAfterWrite([&] { written = true; });
  binder.Flush();
  EXPECT_EQ(validations, 1);
  EXPECT_TRUE(written);
  EXPECT_EQ(stored("VolumeName"), rt::Variant("O'Neil; DROP TABLE tblVOLUMES; --"));
  EXPECT_EQ(stored("Description"), rt::Variant("von anderswo"));
  EXPECT_FALSE(binder.AnyChanged());
  // After the write the controls show the row as it is stored now.
  EXPECT_EQ(desc->text(), "von anderswo");
}

TEST_F(RecordBinderTest, AValidateHandlerCanRefuseTheWriteOrSetFieldsNull) {
  ASSERT_TRUE(binder.Open(*db, "tblVOLUMES", 7));
  type(name, "Neu");
  binder.setValidate([](bool& save) { save = false; });
  binder.Flush();
  EXPECT_EQ(stored("VolumeName"), rt::Variant("Urlaub"));
  // The refused text stays for the user to correct.
  EXPECT_EQ(name->text(), "Neu");
  EXPECT_TRUE(nameField->DataChanged());

  // An emptied description becomes Null rather than an empty text.
  binder.Reload();
  desc->selectAll();
  QTest::keyClick(desc, Qt::Key_Delete);
  ASSERT_TRUE(descField->DataChanged());
  binder.setValidate([&](bool&) { EXPECT_TRUE(SetEmptyBoundFieldNull(*descField, rt::Null)); });
  binder.Flush();
  EXPECT_TRUE(stored("Description").isNull());
  EXPECT_EQ(stored("VolumeName"), rt::Variant("Urlaub"));
}

TEST_F(RecordBinderTest, AFailedWriteLeavesTheStoredRowAndShowsItAgain) {
  ASSERT_TRUE(binder.Open(*db, "tblVOLUMES", 7));
  struct Case {
    const char* what;
    std::function<void()> edit;
    int number;
    const char* inText;
  };
  const Case cases[] = {
      {"a text longer than its field", [&] { type(name, QString(256, 'x')); }, 3163,
       "Der Text im Feld 'Name des Volumes' ist zu lang: Das Feld nimmt höchstens 255 Zeichen auf."},
      {"a long name beside a valid description",
       [&] {
         type(desc, "gut");
         type(name, QString(300, 'y'));
       },
       3163, "Name des Volumes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    binder.Reload();
    c.edit();
    const rt::RaisedError e = testenv::raised([&] { binder.Flush(); });
    EXPECT_EQ(e.number, c.number);
    EXPECT_TRUE(e.description.contains(QString::fromUtf8(c.inText))) << e.description.toStdString();
    EXPECT_EQ(stored("VolumeName"), rt::Variant("Urlaub"));
    EXPECT_EQ(stored("Description"), rt::Variant("Fotos"));
    EXPECT_EQ(name->text(), "Urlaub");
    EXPECT_EQ(desc->text(), "Fotos");
    EXPECT_FALSE(binder.AnyChanged());
    EXPECT_EQ(binder.EditMode(), jet::EditMode::None);
  }
}

// A second program wrote the memo after the binder read the row: the write is refused with
// 3197 and stores nothing, the typed text stays in its box and still counts as changed, the
// other boxes show the row as stored now, and the next flush writes what was typed.
TEST_F(RecordBinderTest, AFieldAnotherProgramChangedIsNotOverwrittenAndTheTypedTextStays) {
  ASSERT_TRUE(binder.Open(*db, "tblVOLUMES", 7));
  jet::Engine otherEngine;
  auto otherWs = testenv::catalogueWorkspace(otherEngine);
  auto other = otherWs->OpenDatabase(path, false);
  other->Execute("UPDATE tblVOLUMES SET Memo = 'Kiste 9', Description = 'Berge' WHERE VID = 7");
  memo->selectAll();
  QTest::keyClicks(memo, "Kiste 4");
  const rt::RaisedError e = testenv::raised([&] { binder.Flush(); });
  EXPECT_EQ(e.number, 3197);
  EXPECT_EQ(e.description, jet::errorText(3197));
  EXPECT_EQ(stored("Memo"), rt::Variant("Kiste 9"));
  EXPECT_EQ(memo->toPlainText(), "Kiste 4");
  EXPECT_TRUE(memoField->DataChanged());
  EXPECT_EQ(desc->text(), "Berge");
  EXPECT_FALSE(descField->DataChanged());
  EXPECT_EQ(binder.EditMode(), jet::EditMode::None);
  // Saved again, knowingly: the typed text goes in, the other change to the row stays.
  binder.Flush();
  EXPECT_EQ(stored("Memo"), rt::Variant("Kiste 4"));
  EXPECT_EQ(stored("Description"), rt::Variant("Berge"));
  EXPECT_FALSE(memoField->DataChanged());
  otherWs->Close();
}

TEST_F(RecordBinderTest, ARowDeletedMeanwhileEndsInNoCurrentRecord) {
  ASSERT_TRUE(binder.Open(*db, "tblVOLUMES", 7));
  db->Execute("DELETE FROM tblVOLUMES WHERE VID = 7");
  type(name, "Verloren");
  const rt::RaisedError e = testenv::raised([&] { binder.Flush(); });
  EXPECT_EQ(e.number, 3167);
  EXPECT_FALSE(binder.HasCurrent());
  EXPECT_EQ(name->text(), "");
  EXPECT_TRUE(name->isReadOnly());
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_EQ(testenv::raised([&] { binder.Recordset(); }).number, 3021);
  // Typing into nothing writes nothing and raises nothing.
  QTest::keyClicks(name, "x");
  EXPECT_NO_THROW(binder.Flush());
}

TEST_F(RecordBinderTest, AnUnknownKeyHasNoCurrentRecord) {
  ASSERT_TRUE(binder.Open(*db, "tblVOLUMES", 7));
  EXPECT_FALSE(binder.Open(*db, "tblVOLUMES", 8));
  EXPECT_FALSE(binder.HasCurrent());
  EXPECT_EQ(name->text(), "");
  EXPECT_TRUE(name->isReadOnly());
  EXPECT_EQ(testenv::raised([&] { binder.Value("VolumeName"); }).number, 3021);
  // Back on a row: the fields are editable again.
  EXPECT_TRUE(binder.Open(*db, "tblVOLUMES", 7));
  EXPECT_FALSE(name->isReadOnly());
  EXPECT_TRUE(date->isReadOnly());
}
