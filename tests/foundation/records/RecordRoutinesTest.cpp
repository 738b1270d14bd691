#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_sql.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Workspace.h"
#include "platform/runtime/RaisedError.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using rt::Variant;

namespace rt {
inline void PrintTo(const Variant& v, std::ostream* os) {
  if (v.isNull())
    *os << "Null";
  else
    *os << static_cast<int>(v.type()) << ":" << v.toText().toStdString();
}
}  // namespace rt

namespace {

QString q(const char* s) { return QString::fromUtf8(s); }

using testenv::raised;

// A catalogue copied from the built template, opened as the program opens it, with two
// locations, one category, three volumes and a few folders and files.
class RecordRoutinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = testenv::freshTempDir() + q("/Archiv.qvk");
    ASSERT_TRUE(testenv::copyTemplate(path));
    ws = testenv::catalogueWorkspace(engine);
    db = ws->OpenDatabase(path, false);
    exec("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (4, 'Keller')");
    exec("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (5, 'Büro')");
    exec("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (1, 'Musik')");
    addVolume(1, "Rock|Pop", "12345", "/mnt/daten/", 1, 4);
    addVolume(2, "Klassik", "12345", "/mnt/daten/klassik/", 1, 4);
    addVolume(3, "Rock'n'Roll", "777", "/mnt/rock'n'roll/", 0, 5);
    addPath(10, 1, 0, Variant("Notiz"));
    addPath(11, 1, 10, rt::Null);
    addPath(20, 2, 0, rt::Null);
    const int files[][2] = {{100, 10}, {101, 11}, {200, 20}, {201, 20}};
    for (const auto& f : files)
      db->Execute(q("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?, ?, ?, 45000, 10)"), 0,
                  {Variant(f[0]), Variant(f[1]), Variant(QString::number(f[0]) + q(".txt"))});
  }

  void exec(const char* sql) { db->Execute(q(sql)); }

  void addVolume(int vid, const char* name, const char* serial, const char* volPath, int cat, int loc) {
    db->Execute(q("INSERT INTO tblVOLUMES (VID, VolumeName, VolumeSerial, VolumePath, VolumeType, EditDate, CatID, "
                  "LocID) VALUES (?, ?, ?, ?, 3, 45000.5, ?, ?)"),
                0, {Variant(vid), Variant(name), Variant(serial), Variant(volPath), Variant(cat), Variant(loc)});
  }

  void addPath(int pid, int vid, int parent, const Variant& memo) {
    db->Execute(q("INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Memo, Files, Size, TotalDirs, TotalFiles, "
                  "TotalSize) VALUES (?, ?, 'p', ?, ?, 1, 10, 0, 1, 10)"),
                0, {Variant(pid), Variant(vid), Variant(parent), memo});
  }

  int64_t count(const char* sql) {
    auto rs = db->OpenRecordset(q(sql), jet::RecordsetType::Snapshot);
    const int64_t n = rs->Fields(0).Value().toLong();
    rs->Close();
    return n;
  }

  QString path;
  jet::Engine engine;
  std::shared_ptr<jet::Workspace> ws;
  std::shared_ptr<jet::Database> db;
};

}  // namespace

// ---- GetRecordCount --------------------------------------------------------------------------

TEST_F(RecordRoutinesTest, GetRecordCountCountsMatchingRowsAndClosesWhatItOpened) {
  const struct {
    const char* table;
    const char* criterion;
    int expected;
  } cases[] = {
      {"tblVOLUMES", "", 3},
      {"tblVOLUMES", "[LocID]=4", 2},
      {"tblVOLUMES", "[CatID]=1 AND [LocID]=4", 2},
      {"tblVOLUMES", "[CatID]=0 or [LocID]=4", 3},
      {"tblVOLUMES", "[LocID]=99", 0},
      {"tblFILES", "[PathID]=20", 2},
      {"tblCATEGORIES", "", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetRecordCount(nullptr, *db, q(c.table), q(c.criterion)), c.expected) << c.table << " " << c.criterion;
    EXPECT_TRUE(db->Recordsets().empty()) << c.criterion;
  }
  exec("DELETE FROM tblFILES");
  EXPECT_EQ(GetRecordCount(nullptr, *db, q("tblFILES"), QString()), 0);
}

TEST_F(RecordRoutinesTest, GetRecordCountLeavesACallersSetOpenOnItsLastRecord) {
  auto rs = db->OpenRecordset(q("SELECT * FROM tblVOLUMES ORDER BY VID"), jet::RecordsetType::Snapshot);
  EXPECT_EQ(GetRecordCount(rs, *db, q("ignored"), q("[ignored]=1")), 3);
  ASSERT_TRUE(rs->IsOpen());
  EXPECT_EQ(rs->Fields(q("VID")).Value().toLong(), 3);

  auto empty = db->OpenRecordset(q("SELECT * FROM tblVOLUMES WHERE VID = 99"), jet::RecordsetType::Snapshot);
  EXPECT_EQ(GetRecordCount(empty, *db, q("tblVOLUMES"), QString()), 0);
  EXPECT_TRUE(empty->IsOpen());
}

TEST_F(RecordRoutinesTest, GetRecordCountPassesOtherErrorsOnUnchanged) {
  const rt::RaisedError noTable = raised([&] { GetRecordCount(nullptr, *db, q("tblNOSUCH"), QString()); });
  EXPECT_NE(noTable.number, 0);
  EXPECT_NE(noTable.number, jet::err::kNoCurrentRecord);
  EXPECT_FALSE(noTable.description.isEmpty());
  const rt::RaisedError badCriterion = raised([&] { GetRecordCount(nullptr, *db, q("tblVOLUMES"), q("[VID]=)")); });
  EXPECT_NE(badCriterion.number, 0);
  EXPECT_TRUE(db->Recordsets().empty());
}

// ---- DeleteRecordBySeek ----------------------------------------------------------------------

TEST_F(RecordRoutinesTest, DeleteRecordBySeekRemovesOneVolumeWithItsFoldersAndFiles) {
  EXPECT_TRUE(DeleteRecordBySeek(*db, q("tblVOLUMES"), 1, q("PrimaryKey")));
  EXPECT_EQ(count("SELECT count(*) FROM tblVOLUMES"), 2);
  EXPECT_EQ(count("SELECT count(*) FROM tblVOLUMES WHERE VID = 1"), 0);
  // The catalogue's relations take the volume's folders and files with it, and only those.
  EXPECT_EQ(count("SELECT count(*) FROM tblPATHS"), 1);
  EXPECT_EQ(count("SELECT count(*) FROM tblFILES"), 2);
  EXPECT_TRUE(db->Recordsets().empty());

  EXPECT_TRUE(DeleteRecordBySeek(*db, q("tblLOCATIONS"), 5, q("PrimaryKey")));
  EXPECT_EQ(count("SELECT count(*) FROM tblLOCATIONS"), 1);
}

TEST_F(RecordRoutinesTest, DeleteRecordBySeekOfAMissingKeyChangesNothing) {
  EXPECT_FALSE(DeleteRecordBySeek(*db, q("tblVOLUMES"), 99, q("PrimaryKey")));
  EXPECT_FALSE(DeleteRecordBySeek(*db, q("tblVOLUMES"), 0, q("PrimaryKey")));
  EXPECT_EQ(count("SELECT count(*) FROM tblVOLUMES"), 3);
  EXPECT_EQ(count("SELECT count(*) FROM tblFILES"), 4);
}

TEST_F(RecordRoutinesTest, DeleteRecordBySeekRaisesUnknownIndexAndTable) {
  EXPECT_EQ(raised([&] { DeleteRecordBySeek(*db, q("tblVOLUMES"), 1, q("NoSuchIndex")); }).number,
            jet::err::kNotInCollection);
  EXPECT_NE(raised([&] { DeleteRecordBySeek(*db, q("tblNOSUCH"), 1, q("PrimaryKey")); }).number, 0);
  EXPECT_TRUE(db->Recordsets().empty());
  EXPECT_EQ(count("SELECT count(*) FROM tblVOLUMES"), 3);
}

// ---- LookupFieldValue ------------------------------------------------------------------------

TEST_F(RecordRoutinesTest, LookupFieldValueFindsTheFirstMatchingRecord) {
  const struct {
    const char* criterion;
    const char* field;
    Variant expected;
  } cases[] = {
      // The volume check: same medium at or below the path, another volume than the one edited.
      {"[VolumeSerial]='12345' AND [VolumePath] Like '/mnt/daten/*' AND [VID] <> 1", "VID", Variant(2)},
      {"[VolumeSerial]='12345' and [VolumePath] Like '/mnt/daten/*'", "[VID]", Variant(1)},
      {"[VolumeSerial]='12345' AND [VolumePath] Like '/mnt/daten/*' AND [VID] <> 1 AND [VID] <> 2", "VID", rt::Null},
      {"[VolumeSerial]='99999'", "VID", rt::Null},
      {"[VolumeSerial]='777'", "", Variant(true)},
      {"[VolumeSerial]='777'", "VolumeName", Variant("Rock'n'Roll")},
      // A quote in the value stays inside the literal.
      {"[VolumeSerial]='777' AND [VolumePath] Like '/mnt/rock'n'roll/*'", "VID", Variant(3)},
      {"[VolumeName]='Rock'n'Roll'", "VID", Variant(3)},
      // A pipe is spelt by its code.
      {"[VolumeName]='Rock|Pop'", "VID", Variant(1)},
      {"[VolumeName]='Rock|Pop' AND [VID] <> 1", "VID", rt::Null},
      // Text compares without regard to case.
      {"[VolumeName]='KLASSIK'", "VID", Variant(2)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LookupFieldValue(*db, q("tblVOLUMES"), q(c.criterion), q(c.field)), c.expected) << c.criterion;
    EXPECT_TRUE(db->Recordsets().empty()) << c.criterion;
  }
}

TEST_F(RecordRoutinesTest, LookupFieldValueRaisesWhatTheEngineRejects) {
  const rt::RaisedError broken =
      raised([&] { LookupFieldValue(*db, q("tblVOLUMES"), q("[VolumeSerial]='1' AND [VolumePath] Like"), q("VID")); });
  EXPECT_NE(broken.number, 0);
  EXPECT_FALSE(broken.description.isEmpty());
  EXPECT_NE(raised([&] { LookupFieldValue(*db, q("tblVOLUMES"), q("[VID]=1"), q("NoSuchField")); }).number, 0);
  EXPECT_NE(raised([&] { LookupFieldValue(*db, q("tblNOSUCH"), q("[VID]=1"), q("VID")); }).number, 0);
  EXPECT_TRUE(db->Recordsets().empty());
}

TEST_F(RecordRoutinesTest, AValueWithKeywordsAndQuotesMatchesOnlyItself) {
  // Texts a user may type into a search or import field, put into values with their quotes doubled.
  const char* values[] = {
      "x' OR [VID]>'0", "x' or [VID]>'0' AND [VolumeSerial] Like '*",
      "Tom and Jerry",  "x'' OR ''1''=''1",
      "' OR '",         "x'",
  };
  for (const char* v : values) {
    SCOPED_TRACE(v);
    const QString name = q("[VolumeName]='") + DoubleSingleQuotes(q(v)) + q("'");
    EXPECT_TRUE(LookupFieldValue(*db, q("tblVOLUMES"), name, q("VID")).isNull());
    const QString criteria = q("[VolumeSerial]='12345' AND [VolumePath] Like '") + DoubleSingleQuotes(q(v)) + q("*'");
    EXPECT_TRUE(LookupFieldValue(*db, q("tblVOLUMES"), criteria, q("VID")).isNull());
  }
  // Stored under exactly such a name, the volume is found by it, and only by it.
  addVolume(9, values[0], "4242", "/mnt/Tom and Jerry/", 0, 4);
  EXPECT_EQ(
      LookupFieldValue(*db, q("tblVOLUMES"), q("[VolumeName]='") + DoubleSingleQuotes(q(values[0])) + q("'"), q("VID")),
      Variant(9));
  EXPECT_EQ(LookupFieldValue(*db, q("tblVOLUMES"),
                             q("[VolumeSerial]='4242' AND [VolumePath] Like '/mnt/Tom and Jerry/*' AND [VID] <> 1"),
                             q("VID")),
            Variant(9));
  EXPECT_TRUE(db->Recordsets().empty());
}

TEST_F(RecordRoutinesTest, ACriterionCannotCarryAStatement) {
  // Even a value put in without doubling its quotes can never smuggle in a second statement
  // that changes the catalogue.
  const char* paths[] = {
      "x'; DELETE FROM tblVOLUMES; --",
      "x'); DELETE FROM tblVOLUMES WHERE ('1'='1",
  };
  for (const char* p : paths) {
    const QString criterion = q("[VolumeSerial]='55555' AND [VolumePath] Like '") + q(p) + q("*'");
    Variant found;
    const rt::RaisedError e = raised([&] { found = LookupFieldValue(*db, q("tblVOLUMES"), criterion, q("VID")); });
    if (e.number == 0) {
      EXPECT_TRUE(found.isNull()) << p;
    }
  }
  EXPECT_EQ(count("SELECT count(*) FROM tblVOLUMES"), 3);
  // A quote inside a value is doubled and found as it is.
  EXPECT_EQ(LookupFieldValue(*db, q("tblVOLUMES"), q("[VolumeName]='Rock'n'Roll'"), q("VID")).toLong(), 3);
  EXPECT_TRUE(db->Recordsets().empty());
}

// ---- SeekFieldValue --------------------------------------------------------------------------

TEST_F(RecordRoutinesTest, SeekFieldValueReadsOneFieldByKeyAndNeverRaises) {
  const struct {
    const char* table;
    const char* index;
    Variant key;
    const char* field;
    bool found;
    Variant value;
  } cases[] = {
      {"tblCATEGORIES", "PrimaryKey", Variant(1), "CatName", true, Variant("Musik")},
      {"tblVOLUMES", "PrimaryKey", Variant(2), "VolumePath", true, Variant("/mnt/daten/klassik/")},
      {"tblPATHS", "PrimaryKey", Variant(10), "Memo", true, Variant("Notiz")},
      {"tblPATHS", "PrimaryKey", Variant(11), "Memo", true, rt::Null},
      {"tblPATHS", "PrimaryKey", Variant(11), "", true, rt::Null},
      {"tblLOCATIONS", "LocName", Variant("keller"), "lID", true, Variant(4)},
      {"tblCATEGORIES", "PrimaryKey", Variant(99), "CatName", false, rt::Null},
      {"tblCATEGORIES", "PrimaryKey", Variant(1), "NoSuchField", false, rt::Null},
      {"tblCATEGORIES", "NoSuchIndex", Variant(1), "CatName", false, rt::Null},
      {"tblNOSUCH", "PrimaryKey", Variant(1), "CatName", false, rt::Null},
  };
  for (const auto& c : cases) {
    Variant value("stale");
    EXPECT_EQ(SeekFieldValue(*db, q(c.table), q(c.index), c.key, value, q(c.field)), c.found) << c.table << c.field;
    EXPECT_EQ(value, c.value) << c.table << " " << c.field;
    EXPECT_TRUE(db->Recordsets().empty()) << c.table;
  }
}

TEST_F(RecordRoutinesTest, SeekFieldValueOnAnEmptyTableFindsNothing) {
  exec("DELETE FROM tblFILES");
  Variant value("stale");
  EXPECT_FALSE(SeekFieldValue(*db, q("tblFILES"), q("PrimaryKey"), Variant(100), value, q("Filename")));
  EXPECT_TRUE(value.isNull());
}

// ---- the builders' statements on a real catalogue --------------------------------------------

TEST_F(RecordRoutinesTest, BuiltStatementsRunOnTheCatalogue) {
  auto rs = db->OpenRecordset(BuildSelectSql(q("tblVOLUMES"), q("[CatID]=1 and [LocID]=4"), q("VolumeName"), true),
                              jet::RecordsetType::Snapshot);
  ASSERT_FALSE(rs->IsEOF());
  EXPECT_EQ(rs->Fields(q("VolumeName")).Value(), Variant("Rock|Pop"));
  rs->MoveNext();
  EXPECT_EQ(rs->Fields(q("VolumeName")).Value(), Variant("Klassik"));
  rs->Close();

  EXPECT_EQ(db->Execute(BuildDeleteSql(q("tblVOLUMES"), q("[VID]=2")), jet::dbFailOnError), 1);
  EXPECT_EQ(count("SELECT count(*) FROM tblVOLUMES"), 2);
  EXPECT_EQ(count("SELECT count(*) FROM tblPATHS WHERE VolumeID = 2"), 0);
}
