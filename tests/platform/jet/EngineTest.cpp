#include "platform/jet/Engine.h"
#include "platform/jet/FileLock.h"
#include "platform/jet/JetError.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Workgroup.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

using jet::RecordsetType;

const char* kSchema = R"(
CREATE TABLE tblCATEGORIES (CID INTEGER PRIMARY KEY NOT NULL, CatName TEXT(100) NOT NULL COLLATE JETTEXT,
  CatDescription TEXT(255) COLLATE JETTEXT, Parent INTEGER, Icon LONGBINARY_BLOB);
CREATE TABLE tblVOLUMES (VID INTEGER PRIMARY KEY NOT NULL, VolumeName TEXT(100) NOT NULL COLLATE JETTEXT,
  EditDate DATE_REAL NOT NULL);
CREATE TABLE tblPATHS (PID INTEGER PRIMARY KEY NOT NULL,
  VolumeID INTEGER NOT NULL REFERENCES tblVOLUMES(VID) ON DELETE CASCADE, Path TEXT(255) COLLATE JETTEXT);
CREATE TABLE tblLOCATIONS (lID INTEGER PRIMARY KEY NOT NULL, LocName TEXT(100) NOT NULL COLLATE JETTEXT,
  LocDescription TEXT(255) COLLATE JETTEXT);
CREATE INDEX tblLOCATIONS_LocName ON tblLOCATIONS(LocName);
CREATE TABLE tblVERSION (Major INTEGER NOT NULL, GUID TEXT(38) COLLATE JETTEXT);
INSERT INTO tblVERSION VALUES (1, NULL);
)";

// Catalogues made before the schema stopped naming the text collation carry it on their text
// columns; the tests use such a file unless they ask for the schema of today.
QString makeCatalogue(const QString& dir, const QString& name = QStringLiteral("cat.db"), bool oldSchema = true) {
  const QString path = dir + QLatin1Char('/') + name;
  sqlite3* db = nullptr;
  sqlite3_open(path.toUtf8().constData(), &db);
  jet::registerJetFunctions(db);
  char* msg = nullptr;
  const std::string schema =
      oldSchema ? std::string(kSchema) : QString::fromUtf8(kSchema).remove(" COLLATE JETTEXT").toStdString();
  EXPECT_EQ(sqlite3_exec(db, schema.c_str(), nullptr, nullptr, &msg), SQLITE_OK) << (msg ? msg : "");
  sqlite3_close(db);
  return path;
}

int errorOf(const std::function<void()>& f) { return testenv::raised(f).number; }

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    mdw = dir + QStringLiteral("/zx.mdw");
    jet::createWorkgroupFile(mdw, QStringLiteral("Admin"), QStringLiteral("Geheim"));
    engine.SetSystemDB(mdw);
    ws = engine.CreateWorkspace(QStringLiteral("ws"), QStringLiteral("admin"), QStringLiteral("Geheim"));
    path = makeCatalogue(dir);
  }
  QString dir, mdw, path;
  jet::Engine engine;
  std::shared_ptr<jet::Workspace> ws;
};

TEST(Workgroup, ChecksUsersAndPasswords) {
  const QString dir = testenv::freshTempDir();
  const QString mdw = dir + QStringLiteral("/w.mdw");
  jet::createWorkgroupFile(mdw, QStringLiteral("Admin"), QStringLiteral("Pw"));
  EXPECT_EQ(jet::checkWorkgroupUser(mdw, QStringLiteral("ADMIN"), QStringLiteral("Pw")), jet::WorkgroupCheck::Ok);
  EXPECT_EQ(jet::checkWorkgroupUser(mdw, QStringLiteral("Admin"), QStringLiteral("pw")),
            jet::WorkgroupCheck::WrongPassword);
  EXPECT_EQ(jet::checkWorkgroupUser(mdw, QStringLiteral("Gast"), QStringLiteral("Pw")),
            jet::WorkgroupCheck::UnknownUser);
  EXPECT_EQ(jet::checkWorkgroupUser(dir + QStringLiteral("/none"), QStringLiteral("Admin"), QStringLiteral("Pw")),
            jet::WorkgroupCheck::FileMissing);
  QFile bad(dir + QStringLiteral("/bad.mdw"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("irgendwas\n");
  bad.close();
  EXPECT_EQ(jet::checkWorkgroupUser(bad.fileName(), QStringLiteral("Admin"), QStringLiteral("Pw")),
            jet::WorkgroupCheck::FileDamaged);

  jet::Engine engine;
  engine.SetSystemDB(dir + QStringLiteral("/none"));
  EXPECT_EQ(errorOf([&] { engine.CreateWorkspace("w", "Admin", "Pw"); }), 3028);
  engine.SetSystemDB(mdw);
  EXPECT_EQ(errorOf([&] { engine.CreateWorkspace("w", "Admin", "falsch"); }), 3029);
  engine.CreateWorkspace("w", "Admin", "Pw");
  engine.SetSystemDB(dir + QStringLiteral("/other"));  // frozen after the first workspace
  EXPECT_EQ(engine.SystemDB(), mdw);
}

TEST_F(EngineTest, AddNewSeekAndNullValues) {
  auto db = ws->OpenDatabase(path, false);
  auto rs = db->OpenRecordset(QStringLiteral("tbllocations"), RecordsetType::Table);
  for (int i = 1; i <= 3; ++i) {
    rs->AddNew();
    rs->Fields("LID").SetValue(i);
    rs->Fields("locname").SetValue(QStringLiteral("Regal %1").arg(QChar(u'Ä' + 0 * i)).append(QString::number(i)));
    EXPECT_TRUE(rs->Fields("LocDescription").Value().isNull());
    EXPECT_EQ(rs->Fields(0).Value().toInt(), i);  // readable before Update
    rs->Update();
  }
  rs->SetIndex(QStringLiteral("Primarykey"));
  rs->Seek("=", {2});
  ASSERT_FALSE(rs->NoMatch());
  EXPECT_EQ(rs->Fields("LocName").Value().toText(), QStringLiteral("Regal Ä2"));
  EXPECT_TRUE(rs->Fields("LocDescription").Value().isNull());
  rs->Seek("=", {9});
  EXPECT_TRUE(rs->NoMatch());
  EXPECT_EQ(errorOf([&] { rs->Fields("LocName").Value(); }), 3021);

  rs->SetIndex(QStringLiteral("LocName"));
  rs->Seek("=", {QStringLiteral("regal ä3")});
  ASSERT_FALSE(rs->NoMatch());
  EXPECT_EQ(rs->Fields("lID").Value().toInt(), 3);

  rs->Edit();
  rs->Fields("LocDescription").SetValue(QStringLiteral("oben"));
  rs->Update();
  rs->Edit();
  rs->Fields("LocDescription").SetValue(rt::Null);
  rs->Update();
  EXPECT_TRUE(rs->Fields("LocDescription").Value().isNull());
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_EQ(errorOf([&] { rs->Fields("Nope"); }), 3265);
  EXPECT_EQ(errorOf([&] { rs->Update(); }), 3020);
  EXPECT_EQ(rs->Fields(0).Attributes() & jet::dbSystemField, 0);

  rs->AddNew();
  rs->Fields("LID").SetValue(1);
  rs->Fields("LocName").SetValue(QStringLiteral("doppelt"));
  EXPECT_EQ(errorOf([&] { rs->Update(); }), 3022);
}

// A row added after another starts with every field Null, also those the row before set, and
// bytes appended to a field start from nothing.
TEST_F(EngineTest, ARowAddedAfterAnotherStartsEmpty) {
  auto db = ws->OpenDatabase(path, false);
  auto rs = db->OpenRecordset(QStringLiteral("tblCATEGORIES"), RecordsetType::Table);
  rs->AddNew();
  rs->Fields("CID").SetValue(1);
  rs->Fields("CatName").SetValue(QStringLiteral("eins"));
  rs->Fields("CatDescription").SetValue(QStringLiteral("oben"));
  rs->Fields("Icon").AppendChunk(QByteArray("ab"));
  rs->Update();
  rs->AddNew();
  EXPECT_TRUE(rs->Fields("CatDescription").Value().isNull());
  EXPECT_TRUE(rs->Fields("Icon").Value().isNull());
  rs->Fields("CID").SetValue(2);
  rs->Fields("CatName").SetValue(QStringLiteral("zwei"));
  rs->Fields("Icon").AppendChunk(QByteArray("cd"));
  rs->Update();
  auto q = db->OpenNativeQuery(QStringLiteral("SELECT CatDescription IS NULL, Icon FROM tblCATEGORIES WHERE CID = 2"));
  ASSERT_TRUE(q->Next());
  EXPECT_EQ(q->Long(0), 1);
  EXPECT_EQ(q->Value(1).toBinary(), QByteArray("cd"));
}

TEST_F(EngineTest, MovesEofBofAndCounts) {
  auto db = ws->OpenDatabase(path, false);
  for (auto type : {RecordsetType::Table, RecordsetType::Dynaset, RecordsetType::Snapshot}) {
    SCOPED_TRACE(static_cast<int>(type));
    auto empty = db->OpenRecordset(QStringLiteral("tblVOLUMES"), type);
    EXPECT_TRUE(empty->IsBOF());
    EXPECT_TRUE(empty->IsEOF());
    EXPECT_EQ(errorOf([&] { empty->MoveLast(); }), 3021);
  }
  for (int i = 1; i <= 4; ++i)
    db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (?, ?, ?)"), 0,
                {i, QStringLiteral("V%1").arg(i), rt::Variant::date(45000.5)});
  for (auto type : {RecordsetType::Table, RecordsetType::Dynaset, RecordsetType::Snapshot}) {
    SCOPED_TRACE(static_cast<int>(type));
    auto rs = db->OpenRecordset(QStringLiteral("tblVOLUMES"), type);
    EXPECT_EQ(rs->Fields("VID").Value().toInt(), 1);
    EXPECT_EQ(rs->Fields("EditDate").Value(), rt::Variant::date(45000.5));
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 4);
    EXPECT_EQ(rs->Fields("VID").Value().toInt(), 4);
    EXPECT_DOUBLE_EQ(rs->PercentPosition(), 75.0);
    rs->MovePrevious();
    EXPECT_EQ(rs->Fields("VID").Value().toInt(), 3);
    rs->MoveNext();
    rs->MoveNext();
    EXPECT_TRUE(rs->IsEOF());
    EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), 3021);
    rs->MoveFirst();
    EXPECT_FALSE(rs->IsBOF());
    EXPECT_EQ(rs->Fields(1).Value().toText(), QStringLiteral("V1"));
  }
  auto fwd =
      db->OpenRecordset(QStringLiteral("SELECT VID FROM tblVOLUMES WHERE VID > ?"), RecordsetType::ForwardOnly, {1});
  EXPECT_EQ(fwd->RecordCount(), 1);
  EXPECT_EQ(fwd->Fields("vid").Value().toInt(), 2);
  EXPECT_EQ(errorOf([&] { fwd->MovePrevious(); }), 3251);
  EXPECT_EQ(errorOf([&] { fwd->Edit(); }), 3027);

  auto snap = db->OpenRecordset(QStringLiteral("tblVOLUMES"), RecordsetType::Snapshot);
  snap->FindFirst(QStringLiteral("VID >= 3"));
  ASSERT_FALSE(snap->NoMatch());
  EXPECT_EQ(snap->Fields("VID").Value().toInt(), 3);
  snap->FindNext(QStringLiteral("VID >= 3"));
  EXPECT_EQ(snap->Fields("VID").Value().toInt(), 4);
  snap->FindNext(QStringLiteral("VID >= 3"));
  EXPECT_TRUE(snap->NoMatch());
  EXPECT_EQ(snap->Fields("VID").Value().toInt(), 4);

  auto dyn = db->OpenRecordset(QStringLiteral("tblVOLUMES"), RecordsetType::Dynaset);
  dyn->MoveNext();
  dyn->Delete();
  dyn->MoveNext();
  EXPECT_EQ(dyn->Fields("VID").Value().toInt(), 3);
  EXPECT_EQ(db->OpenRecordset(QStringLiteral("tblVOLUMES"), RecordsetType::Table)->RecordCount(), 3);
}

TEST_F(EngineTest, LongBinaryWholeAndInChunks) {
  auto db = ws->OpenDatabase(path, false);
  QByteArray blob(300000, '\0');
  for (qsizetype i = 0; i < blob.size(); ++i) blob[i] = static_cast<char>(i * 7);
  auto rs = db->OpenRecordset(QStringLiteral("tblCATEGORIES"), RecordsetType::Dynaset);
  rs->AddNew();
  rs->Fields("CID").SetValue(1);
  rs->Fields("CatName").SetValue(QStringLiteral("a"));
  rs->Fields("Icon").AppendChunk(blob.left(1000));
  rs->Fields("Icon").AppendChunk(blob.mid(1000));
  rs->Update();
  rs->AddNew();
  rs->Fields("CID").SetValue(2);
  rs->Fields("CatName").SetValue(QStringLiteral("b"));
  rs->Update();
  auto read = db->OpenRecordset(QStringLiteral("SELECT * FROM tblCATEGORIES ORDER BY CID"), RecordsetType::Snapshot);
  jet::Field icon = read->Fields("Icon");
  EXPECT_EQ(icon.FieldSize(), blob.size());
  EXPECT_EQ(icon.Value().toBinary(), blob);
  EXPECT_EQ(icon.GetChunk(299990, 100), blob.mid(299990));
  EXPECT_TRUE(icon.GetChunk(400000, 10).isEmpty());
  read->MoveNext();
  EXPECT_TRUE(icon.Value().isNull());
  EXPECT_EQ(icon.FieldSize(), 0);
}

TEST_F(EngineTest, ValueRulesOfFields) {
  auto db = ws->OpenDatabase(path, false);
  auto rs = db->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table);
  rs->AddNew();
  EXPECT_EQ(errorOf([&] { rs->Fields("LocName").SetValue(QString(101, QLatin1Char('x'))); }), 3163);
  EXPECT_EQ(errorOf([&] { rs->Fields("lID").SetValue(QStringLiteral("abc")); }), 3421);
  EXPECT_EQ(errorOf([&] { rs->Fields("lID").SetValue(5e12); }), 3163);
  rs->Fields("lID").SetValue(QStringLiteral("7"));
  EXPECT_EQ(errorOf([&] { rs->Update(); }), 3314);  // LocName required
  rs->CancelUpdate();
  // A Null key is refused too, never numbered by the store behind the program's back.
  rs->AddNew();
  rs->Fields("LocName").SetValue(QStringLiteral("Keller"));
  EXPECT_EQ(errorOf([&] { rs->Update(); }), 3314);
  rs->CancelUpdate();
  EXPECT_EQ(rs->RecordCount(), 0);
}

TEST_F(EngineTest, TransactionAcrossTwoDatabasesRollsBack) {
  const QString second = makeCatalogue(dir, QStringLiteral("two.db"));
  auto a = ws->OpenDatabase(path, false);
  auto b = ws->OpenDatabase(second, false);
  ws->BeginTrans();
  for (int i = 1; i <= 1000; ++i)
    a->Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (?, 'x')"), 0, {i});
  b->Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (1, 'y')"));
  // The transaction sees its own rows.
  EXPECT_EQ(a->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table)->RecordCount(), 1000);
  ws->BeginTrans();
  b->Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (2, 'y')"));
  ws->Rollback();  // inner only
  EXPECT_EQ(b->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table)->RecordCount(), 1);
  ws->Rollback();
  EXPECT_EQ(a->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table)->RecordCount(), 0);
  EXPECT_EQ(b->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table)->RecordCount(), 0);
  EXPECT_EQ(errorOf([&] { ws->CommitTrans(); }), 3034);

  ws->BeginTrans();
  b->Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (3, 'z')"));
  ws->CommitTrans();
  EXPECT_EQ(b->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table)->RecordCount(), 1);
}

TEST_F(EngineTest, CascadeDeleteAndClosedObjects) {
  auto db = ws->OpenDatabase(path, false);
  db->Execute(QStringLiteral("INSERT INTO tblVOLUMES VALUES (1, 'v', 1.0)"));
  db->Execute(QStringLiteral("INSERT INTO tblPATHS VALUES (1, 1, NULL)"));
  EXPECT_EQ(errorOf([&] { db->Execute(QStringLiteral("INSERT INTO tblPATHS VALUES (2, 9, NULL)")); }), 3201);
  EXPECT_EQ(db->Execute(QStringLiteral("DELETE FROM tblVOLUMES WHERE VID = ?"), 0, {1}), 1);
  auto rs = db->OpenRecordset(QStringLiteral("tblPATHS"), RecordsetType::Snapshot);
  EXPECT_TRUE(rs->IsEOF());
  EXPECT_EQ(db->Recordsets().size(), 1u);
  EXPECT_EQ(errorOf([&] { db->OpenRecordset(QStringLiteral("tblNOPE")); }), 3078);
  EXPECT_EQ(errorOf([&] { db->Execute(QStringLiteral("SELEC x")); }), 3075);
  db->Close();
  EXPECT_FALSE(rs->IsOpen());
  EXPECT_EQ(errorOf([&] { rs->MoveFirst(); }), 3420);
  EXPECT_EQ(errorOf([&] { db->Execute(QStringLiteral("DELETE FROM tblPATHS")); }), 3420);
  EXPECT_TRUE(ws->Databases().empty());
}

TEST_F(EngineTest, ExclusiveAndSharedExcludeEachOtherInProcess) {
  auto shared1 = ws->OpenDatabase(path, false);
  auto shared2 = ws->OpenDatabase(path, false);
  EXPECT_EQ(errorOf([&] { ws->OpenDatabase(path, true); }), 3045);
  shared1->Close();
  shared2->Close();
  auto excl = ws->OpenDatabase(path, true);
  EXPECT_EQ(errorOf([&] { ws->OpenDatabase(path, false); }), 3045);
  EXPECT_EQ(errorOf([&] { ws->OpenDatabase(path, true); }), 3045);
  excl->Close();
  ws->OpenDatabase(path, false);
}

// Opens the file in a child process and reports the error number through the exit status.
int openInChild(const QString& mdw, const QString& path, bool exclusive) {
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 0;
    try {
      jet::Engine engine;
      engine.SetSystemDB(mdw);
      auto ws = engine.CreateWorkspace("c", "Admin", "Geheim");
      ws->OpenDatabase(path, exclusive);
    } catch (const rt::RaisedError& e) {
      code = e.number == 3045 ? 45 : 99;
    }
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WEXITSTATUS(status);
}

TEST_F(EngineTest, ExclusiveAndSharedExcludeEachOtherAcrossProcesses) {
  {
    auto shared = ws->OpenDatabase(path, false);
    EXPECT_EQ(openInChild(mdw, path, true), 45);
    EXPECT_EQ(openInChild(mdw, path, false), 0);
    shared->Close();
  }
  {
    auto excl = ws->OpenDatabase(path, true);
    EXPECT_EQ(openInChild(mdw, path, false), 45);
    excl->Close();
  }
  EXPECT_EQ(openInChild(mdw, path, true), 0);
}

TEST_F(EngineTest, MissingAndForeignFilesAreRefused) {
  const QString missing = dir + QStringLiteral("/fehlt.db");
  EXPECT_EQ(errorOf([&] { ws->OpenDatabase(missing, false); }), 3024);
  EXPECT_FALSE(QFile::exists(missing));
  struct Foreign {
    const char* name;
    QByteArray bytes;
  };
  QByteArray random(8192, '\0');
  for (auto& c : random) c = static_cast<char>(QRandomGenerator::global()->generate());
  QByteArray damaged = QByteArray("SQLite format 3\0", 16) + random;
  for (const Foreign& f : {Foreign{"random.db", random}, Foreign{"text.db", "Hallo Welt\n"}, Foreign{"empty.db", {}},
                           Foreign{"damaged.db", damaged}}) {
    SCOPED_TRACE(f.name);
    QFile file(dir + QLatin1Char('/') + QLatin1String(f.name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(f.bytes);
    file.close();
    const int e = errorOf([&] { ws->OpenDatabase(file.fileName(), false); });
    EXPECT_TRUE(e == 3343 || e == 3049) << e;
    EXPECT_EQ(file.size(), f.bytes.size());
  }
}

TEST_F(EngineTest, CompactionMakesACopyAndIsRefusedWhileHeld) {
  {
    auto db = ws->OpenDatabase(path, false);
    db->Execute(QStringLiteral("INSERT INTO tblLOCATIONS VALUES (1, 'a', NULL)"));
    const QString target = dir + QStringLiteral("/held.db");
    EXPECT_EQ(errorOf([&] { engine.CompactDatabase(path, target); }), 3356);
    EXPECT_FALSE(QFile::exists(target));
    db->Close();
  }
  const QString target = dir + QStringLiteral("/copy.db");
  engine.CompactDatabase(path, target);
  EXPECT_EQ(errorOf([&] { engine.CompactDatabase(path, target); }), 3204);
  auto copy = ws->OpenDatabase(target, false);
  auto rs = copy->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table);
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(errorOf([&] { engine.CompactDatabase(dir + QStringLiteral("/none.db"), dir + QStringLiteral("/x.db")); }),
            3024);
}

// A compaction elsewhere renames its copy over the file just after this opener has opened the
// old one and just before it locks it: the opener must end up locking and using the new file.
TEST_F(EngineTest, AFileReplacedBetweenOpeningAndLockingIsLockedAnew) {
  const QString fresh = makeCatalogue(dir, QStringLiteral("fresh.db"));
  {
    auto db = ws->OpenDatabase(fresh, false);
    db->Execute(QStringLiteral("INSERT INTO tblLOCATIONS VALUES (7, 'neu', NULL)"));
    db->Close();
  }
  int calls = 0;
  jet::detail::FileLock::setBeforeLock([&] {
    if (calls++ == 0) {
      EXPECT_EQ(::rename(fresh.toLocal8Bit().constData(), path.toLocal8Bit().constData()), 0);
    }
  });
  std::shared_ptr<jet::Database> db;
  EXPECT_NO_THROW(db = ws->OpenDatabase(path, false));
  jet::detail::FileLock::setBeforeLock(nullptr);
  ASSERT_TRUE(db);
  EXPECT_EQ(calls, 2);
  auto rs =
      db->OpenRecordset(QStringLiteral("SELECT LocName FROM tblLOCATIONS WHERE lID = 7"), RecordsetType::Snapshot);
  EXPECT_FALSE(rs->IsEOF());
  rs->Close();
  // The file the path names is held: neither another process nor a compaction may take it.
  EXPECT_EQ(openInChild(mdw, path, true), 45);
  EXPECT_EQ(errorOf([&] { engine.CompactDatabase(path, dir + QStringLiteral("/again.db")); }), 3356);
  db->Execute(QStringLiteral("INSERT INTO tblLOCATIONS VALUES (8, 'danach', NULL)"));
  db->Close();
  auto check = ws->OpenDatabase(path, true);
  auto both = check->OpenRecordset(QStringLiteral("SELECT lID FROM tblLOCATIONS WHERE lID = 7 OR lID = 8"),
                                   RecordsetType::Snapshot);
  both->MoveLast();
  EXPECT_EQ(both->RecordCount(), 2);
}

}  // namespace

namespace {

// A snapshot read to its end must still move back: the program counts a set it has walked
// through (MoveLast, then RecordCount), and a set of several rows is no empty one.
TEST_F(EngineTest, SnapshotMovesAgainAfterReachingItsEnd) {
  auto db = ws->OpenDatabase(path, false);
  for (int i = 1; i <= 3; ++i)
    db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (?, 'v', 1.0)"), 0, {i});
  for (const QString& source :
       {QStringLiteral("tblVOLUMES"), QStringLiteral("SELECT VID FROM tblVOLUMES ORDER BY VID")}) {
    SCOPED_TRACE(source.toStdString());
    auto rs = db->OpenRecordset(source, RecordsetType::Snapshot);
    while (!rs->IsEOF()) rs->MoveNext();
    rs->MoveLast();
    EXPECT_EQ(rs->Fields("VID").Value().toInt(), 3);
    EXPECT_EQ(rs->RecordCount(), 3);
    while (!rs->IsEOF()) rs->MoveNext();
    rs->MovePrevious();
    EXPECT_EQ(rs->Fields("VID").Value().toInt(), 3);
  }
}

}  // namespace

namespace {

// An edit of a row that was deleted meanwhile must not be reported as saved.
TEST_F(EngineTest, EditOrDeleteOfARowDeletedMeanwhileRaises3167) {
  auto db = ws->OpenDatabase(path, false);
  for (int i = 1; i <= 2; ++i)
    db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (?, 'v', 1.0)"), 0, {i});
  for (auto type : {RecordsetType::Table, RecordsetType::Dynaset}) {
    SCOPED_TRACE(static_cast<int>(type));
    auto rs = db->OpenRecordset(QStringLiteral("tblVOLUMES"), type);
    auto other = db->OpenRecordset(QStringLiteral("tblVOLUMES"), type);
    const int vid = rs->Fields("VID").Value().toInt();
    db->Execute(QStringLiteral("DELETE FROM tblVOLUMES WHERE VID = ?"), 0, {vid});
    rs->Edit();
    rs->Fields("VolumeName").SetValue(QStringLiteral("neu"));
    EXPECT_EQ(errorOf([&] { rs->Update(); }), 3167);
    EXPECT_EQ(rs->GetEditMode(), jet::EditMode::None);
    EXPECT_EQ(errorOf([&] { other->Delete(); }), 3167);
    db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (?, 'v', 1.0)"), 0, {vid});
  }
}

}  // namespace

namespace {

// Texts and criteria that carry their values differ on every call; a long session must not
// keep each one prepared.
TEST_F(EngineTest, StatementsOfChangingTextsDoNotPileUp) {
  auto db = ws->OpenDatabase(path, false);
  db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (1, 'v', 1.0)"));
  auto rs = db->OpenRecordset(QStringLiteral("tblVOLUMES"), RecordsetType::Snapshot);
  auto batch = [&](int from) {
    for (int i = from; i < from + 2000; ++i) {
      db->Execute(QStringLiteral("UPDATE tblVOLUMES SET VolumeName = 'x' WHERE VID = %1").arg(i));
      rs->FindFirst(QStringLiteral("VID = %1").arg(i));
    }
  };
  batch(0);
  const sqlite3_int64 before = sqlite3_memory_used();
  batch(2000);
  batch(4000);
  // Kept, each of these 8000 statements would hold well over 1 KB.
  EXPECT_LT(sqlite3_memory_used() - before, 2'000'000);
}

}  // namespace

namespace {

// Writes one row from another program (a fork would share SQLite's lock bookkeeping with this
// process); exit status 45 when the file was busy.
int writeFromOtherProgram(const QString& path) {
  const QString script = QStringLiteral(
      "import sqlite3,sys\n"
      "try:\n"
      "  c=sqlite3.connect(sys.argv[1],timeout=0.5)\n"
      "  c.execute('INSERT INTO tblVOLUMES VALUES (77, \\'k\\', 1.0)'); c.commit()\n"
      "except sqlite3.OperationalError: sys.exit(45)\n");
  const int status =
      std::system((QStringLiteral("python3 -c \"") + script + QStringLiteral("\" '") + path + QStringLiteral("'"))
                      .toLocal8Bit()
                      .constData());
  return WEXITSTATUS(status);
}

// Opening a file a second time in the process must not release the locks SQLite holds on it
// for the first opener: closing any descriptor of a file drops all of the process's locks on it.
TEST_F(EngineTest, ASecondOpenKeepsTheFirstOpenersLocks) {
  if (std::system("python3 -c 'import sqlite3' 2>/dev/null") != 0) GTEST_SKIP() << "python3 with sqlite3 needed";
  auto first = ws->OpenDatabase(path, false);
  ws->BeginTrans();
  first->Execute(QStringLiteral("INSERT INTO tblLOCATIONS VALUES (1, 'Eltern', NULL)"));
  auto other = engine.CreateWorkspace(QStringLiteral("w2"), QStringLiteral("Admin"), QStringLiteral("Geheim"));
  auto second = other->OpenDatabase(path, false);
  EXPECT_EQ(writeFromOtherProgram(path), 45);
  ws->CommitTrans();
  EXPECT_EQ(first->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table)->RecordCount(), 1);
}

}  // namespace

TEST_F(EngineTest, ATransactionTheStoreDroppedIsNeverContinuedOutsideIt) {
  // A full disk makes SQLite roll the whole transaction back by itself. What follows must fail,
  // never be written row by row as if the transaction still held it.
  auto db = ws->OpenDatabase(path, false);
  auto rs = db->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table);
  const QString big(1500, QLatin1Char('x'));
  auto add = [&](int id) {
    rs->AddNew();
    rs->Fields("lID").SetValue(id);
    rs->Fields("LocName").SetValue(QStringLiteral("Ort %1").arg(id));
    rs->Fields("LocDescription").SetValue(big.left(255));
    rs->Update();
  };
  add(1);
  const qint64 size = QFileInfo(path).size();
  signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small{static_cast<rlim_t>(size + 64 * 1024), old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ws->BeginTrans();
  int failedAt = 0;
  for (int id = 2; id < 20000 && failedAt == 0; ++id)
    if (errorOf([&] { add(id); }) != 0) failedAt = id;
  const int next = errorOf([&] {
    rs->CancelUpdate();
    add(failedAt + 1);
  });
  const int commit = errorOf([&] { ws->CommitTrans(); });
  setrlimit(RLIMIT_FSIZE, &old);
  ASSERT_NE(failedAt, 0) << "the size limit never hit";
  EXPECT_EQ(next, jet::err::kTransactionLost);
  EXPECT_EQ(commit, jet::err::kTransactionLost);
  ws->Rollback();
  auto count = db->OpenRecordset(QStringLiteral("SELECT Count(*) AS n FROM tblLOCATIONS"), RecordsetType::Snapshot);
  EXPECT_EQ(count->Fields(0).Value().toLong(), 1);
  add(2);  // outside any transaction the catalogue works on
}

namespace {

// Holds `path` open in a child process until the returned pipe is closed; the child has
// opened it when this returns.
struct ChildHolder {
  pid_t pid = -1;
  int release = -1;
  ~ChildHolder() {
    if (release >= 0) ::close(release);
    if (pid > 0) waitpid(pid, nullptr, 0);
  }
};

std::unique_ptr<ChildHolder> holdInChild(const QString& mdw, const QString& path) {
  int opened[2], release[2];
  if (pipe(opened) != 0 || pipe(release) != 0) return nullptr;
  const pid_t pid = fork();
  if (pid == 0) {
    ::close(opened[0]);
    ::close(release[1]);
    jet::Engine engine;
    engine.SetSystemDB(mdw);
    auto ws = engine.CreateWorkspace("c", "Admin", "Geheim");
    auto db = ws->OpenDatabase(path, false);
    char c = 1;
    if (::write(opened[1], &c, 1) != 1) _exit(1);
    while (::read(release[0], &c, 1) > 0) {
    }
    _exit(0);
  }
  ::close(opened[1]);
  ::close(release[0]);
  auto holder = std::make_unique<ChildHolder>();
  holder->pid = pid;
  holder->release = release[1];
  char c = 0;
  const bool ok = ::read(opened[0], &c, 1) == 1;
  ::close(opened[0]);
  return ok ? std::move(holder) : nullptr;
}

// The workspace keeps its databases: a holder that closes its database when it ends.
std::shared_ptr<void> closing(const std::shared_ptr<jet::Database>& db) {
  return std::shared_ptr<void>(db.get(), [db](void*) { db->Close(); });
}

// File New over an existing file: never under another opener, and in one step.
TEST_F(EngineTest, CopyDatabaseReplacesOnlyAFileNobodyHolds) {
  const QString templ = makeCatalogue(dir, QStringLiteral("vorlage.db"));
  ASSERT_EQ(::chmod(QFile::encodeName(templ).constData(), 0444), 0);
  const QByteArray fresh = testenv::contentOf(templ);
  {
    auto db = ws->OpenDatabase(path, false);
    db->Execute(QStringLiteral("INSERT INTO tblLOCATIONS VALUES (1, 'Keller', NULL)"));
    db->Close();
  }
  const QByteArray held = testenv::contentOf(path);

  struct Case {
    const char* holder;
    std::function<std::shared_ptr<void>()> hold;
  };
  const Case cases[] = {
      {"shared in this process", [&] { return closing(ws->OpenDatabase(path, false)); }},
      {"exclusive in this process", [&] { return closing(ws->OpenDatabase(path, true)); }},
      {"another process", [&] { return std::shared_ptr<void>(holdInChild(mdw, path)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.holder);
    auto holding = c.hold();
    ASSERT_TRUE(holding);
    EXPECT_EQ(errorOf([&] { engine.CopyDatabase(templ, path); }), jet::err::kFileInUse);
    EXPECT_EQ(testenv::contentOf(path), held);
  }
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")), QStringList());

  // Nobody holds it: the copy takes its place, writable by its owner.
  engine.CopyDatabase(templ, path);
  EXPECT_EQ(testenv::contentOf(path), fresh);
  EXPECT_EQ(testenv::modeOf(path), 0644u);
  // A journal the old file's crash left behind is not played into the new file.
  {
    auto db = ws->OpenDatabase(path, false);
    db->Execute(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (1, 'Musik')"));
    db->Close();
  }
  ASSERT_TRUE(testenv::crashMidTransaction(path));
  engine.CopyDatabase(templ, path);
  EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
  EXPECT_EQ(testenv::contentOf(path), fresh);
  {
    auto db = ws->OpenDatabase(path, false);
    auto rs = db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES"), RecordsetType::Snapshot);
    EXPECT_EQ(rs->Fields(0).Value().toLong(), 0);
    db->Close();
  }

  const QString created = dir + QStringLiteral("/neu.db");
  engine.CopyDatabase(templ, created);
  EXPECT_EQ(testenv::contentOf(created), fresh);
  EXPECT_EQ(errorOf([&] { engine.CopyDatabase(dir + QStringLiteral("/fehlt.db"), created); }), jet::err::kFileNotFound);
}

}  // namespace

namespace {

// Texts compare and sort as Jet does, whether the file's schema names the collation (made by
// an earlier build) or not (today's, which other SQLite tools can open).
TEST_F(EngineTest, TextsCompareWithoutCaseWithOrWithoutTheCollationInTheSchema) {
  for (const bool oldSchema : {true, false}) {
    SCOPED_TRACE(oldSchema ? "old schema" : "schema of today");
    const QString file = makeCatalogue(dir, oldSchema ? QStringLiteral("alt.db") : QStringLiteral("neu.db"), oldSchema);
    auto db = ws->OpenDatabase(file, false);
    int id = 0;
    for (const char* name : {"Keller", "ärmel", "Dachboden", "apfel", "KELLER", "Zebra"})
      db->Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (?, ?)"), 0,
                  {rt::Variant(++id), rt::Variant(QString::fromUtf8(name))});
    auto texts = [&](const QString& sql, const std::vector<rt::Variant>& params = {}) {
      QStringList out;
      auto rs = db->OpenRecordset(sql, RecordsetType::Snapshot, params);
      for (; !rs->IsEOF(); rs->MoveNext()) out << rs->Fields(0).Value().toText();
      rs->Close();
      return out;
    };
    const QString uml = QString::fromUtf8("ärmel");
    EXPECT_EQ(texts(QStringLiteral("SELECT LocName FROM tblLOCATIONS ORDER BY LocName, lID")),
              QStringList({"apfel", uml, "Dachboden", "Keller", "KELLER", "Zebra"}));
    EXPECT_EQ(texts(QStringLiteral("SELECT [t].[LocName] FROM [tblLOCATIONS] AS t ORDER BY [t].[LocName] DESC, lID")),
              QStringList({"Zebra", "Keller", "KELLER", "Dachboden", uml, "apfel"}));
    EXPECT_EQ(texts(QStringLiteral("SELECT lID FROM tblLOCATIONS WHERE LocName = 'keller' ORDER BY lID")),
              QStringList({"1", "5"}));
    EXPECT_EQ(texts(QStringLiteral("SELECT lID FROM tblLOCATIONS WHERE (([LocName])=?) ORDER BY lID"),
                    {rt::Variant(QString::fromUtf8("ÄRMEL"))}),
              QStringList({"2"}));
    EXPECT_EQ(texts(QStringLiteral("SELECT lID FROM tblLOCATIONS WHERE 'B' < LocName AND LocName <= 'keller' "
                                   "ORDER BY lID")),
              QStringList({"1", "3", "5"}));
    EXPECT_EQ(texts(QStringLiteral("SELECT Count(lID) AS n FROM tblLOCATIONS GROUP BY LocName ORDER BY LocName")),
              QStringList({"1", "1", "1", "2", "1"}));
    EXPECT_EQ(texts(QStringLiteral("SELECT Max(LocName) AS m FROM tblLOCATIONS WHERE lID < 5")), QStringList{"Keller"});
    EXPECT_EQ(texts(QStringLiteral("SELECT Min(LocName) AS m FROM tblLOCATIONS")), QStringList{"apfel"});

    auto dynaset = db->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Dynaset);
    dynaset->FindFirst(QStringLiteral("[LocName] = 'DACHBODEN'"));
    ASSERT_FALSE(dynaset->NoMatch());
    EXPECT_EQ(dynaset->Fields("lID").Value().toInt(), 3);
    dynaset->Close();

    // The table kind walks and seeks its text index the same way.
    auto table = db->OpenRecordset(QStringLiteral("tblLOCATIONS"), RecordsetType::Table);
    table->SetIndex(QStringLiteral("LocName"));
    QStringList walked;
    for (; !table->IsEOF(); table->MoveNext()) walked << table->Fields("LocName").Value().toText();
    EXPECT_EQ(walked, QStringList({"apfel", uml, "Dachboden", "Keller", "KELLER", "Zebra"}));
    table->MoveLast();
    table->MovePrevious();
    EXPECT_EQ(table->Fields("lID").Value().toInt(), 5);
    table->Seek(QStringLiteral("="), {rt::Variant(QStringLiteral("zebra"))});
    ASSERT_FALSE(table->NoMatch());
    EXPECT_EQ(table->Fields("lID").Value().toInt(), 6);
    db->Close();
  }
}

}  // namespace

namespace {

// A count over a damaged table is an error, not a number of rows.
TEST_F(EngineTest, RecordCountOfADamagedTableRaises) {
  {
    auto db = ws->OpenDatabase(path, false);
    ws->BeginTrans();
    for (int i = 1; i <= 2000; ++i)
      db->Execute(QStringLiteral("INSERT INTO tblVOLUMES VALUES (?, ?, 1.0)"), 0,
                  {rt::Variant(i), rt::Variant(QString(90, 'v'))});
    ws->CommitTrans();
    db->Close();
  }
  // The last page holds the rows written last (the table has no index); garbage in its place.
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const qint64 pageSize = 4096;
  ASSERT_GT(file.size(), 20 * pageSize);
  file.seek(file.size() - pageSize);
  file.write(QByteArray(pageSize, '\xff'));
  file.close();

  auto db = ws->OpenDatabase(path, false);
  auto rs = db->OpenRecordset(QStringLiteral("tblVOLUMES"), RecordsetType::Table);
  EXPECT_EQ(errorOf([&] { rs->RecordCount(); }), jet::err::kDamaged);
  EXPECT_EQ(errorOf([&] { rs->PercentPosition(); }), jet::err::kDamaged);
}

}  // namespace

namespace {

// A journal left by a crash: an opener without write access is told what to do, compaction
// rolls it back, and what was committed is all there is afterwards.
TEST_F(EngineTest, AJournalLeftByACrashIsRolledBackBeforeItIsRead) {
  {
    auto db = ws->OpenDatabase(path, false);
    db->Execute(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (1, 'Musik')"));
    db->Close();
  }
  ASSERT_TRUE(testenv::crashMidTransaction(path));
  const rt::RaisedError readOnly = testenv::raised([&] { ws->OpenDatabase(path, false, true); });
  EXPECT_EQ(readOnly.number, jet::err::kCannotOpen);
  EXPECT_TRUE(readOnly.description.contains(QStringLiteral("Schreibrecht"))) << readOnly.description.toStdString();

  const QString copy = dir + QStringLiteral("/kompakt.db");
  engine.CompactDatabase(path, copy);
  EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
  for (const QString& file : {path, copy}) {
    SCOPED_TRACE(file.toStdString());
    auto db = ws->OpenDatabase(file, false, true);
    auto rs = db->OpenRecordset(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES"), RecordsetType::Snapshot);
    EXPECT_EQ(rs->Fields(0).Value().toLong(), 1);
    db->Close();
  }
}

TEST_F(EngineTest, NativeQueriesBindValuesAndReportErrorsAsTheEngines) {
  auto db = ws->OpenDatabase(path, false);
  db->Execute(
      QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (1, 'Zebra', 1), "
                     "(2, 'äpfel', 2), (3, 'Apfel', 3)"));
  // The collation and the Like matcher, named in SQLite's own dialect, with bound values.
  auto q = db->OpenNativeQuery(QStringLiteral("SELECT VID, VolumeName, NULL FROM tblVOLUMES WHERE VolumeName LIKE ?1 "
                                              "OR VolumeName = ?2 COLLATE JETTEXT ORDER BY VolumeName COLLATE JETTEXT"),
                               {rt::Variant(QStringLiteral("*PF*")), rt::Variant(QStringLiteral("ZEBRA"))});
  QStringList names;
  while (q->Next()) {
    names << q->Text(1) + QLatin1Char('/') + QString::number(q->Long(0));
    EXPECT_TRUE(q->IsNull(2));
    EXPECT_EQ(q->Utf8(1), q->Text(1).toStdString());
  }
  EXPECT_EQ(names.join(QLatin1Char(' ')), QStringLiteral("Apfel/3 äpfel/2 Zebra/1"));
  // A quote in a value is only a value.
  auto none = db->OpenNativeQuery(QStringLiteral("SELECT count(*) FROM tblVOLUMES WHERE VolumeName = ?1"),
                                  {rt::Variant(QStringLiteral("x' OR '1'='1"))});
  ASSERT_TRUE(none->Next());
  EXPECT_EQ(none->Long(0), 0);
  // Statements that change rows report their count.
  EXPECT_EQ(
      db->OpenNativeQuery(QStringLiteral("UPDATE tblVOLUMES SET EditDate = 5 WHERE VID > ?1"), {rt::Variant(1)})->Run(),
      2);
  // Errors carry the engine's numbers; a pattern error the matcher's text.
  EXPECT_EQ(errorOf([&] { db->OpenNativeQuery(QStringLiteral("SELECT nix FROM tblVOLUMES")); }),
            jet::err::kUnknownColumn);
  EXPECT_EQ(errorOf([&] { db->OpenNativeQuery(QStringLiteral("SELECT 1 WHERE ?1"), {}); }), jet::err::kSyntax);
  const rt::RaisedError bad = testenv::raised([&] {
    db->OpenNativeQuery(QStringLiteral("SELECT 1 FROM tblVOLUMES WHERE VolumeName LIKE ?1"),
                        {rt::Variant(QStringLiteral("[a"))})
        ->Next();
  });
  EXPECT_TRUE(bad.description.contains(QStringLiteral("Ungültige Musterzeichenfolge")))
      << bad.description.toStdString();
  // A query outliving its database says so instead of touching a closed connection.
  auto open = db->OpenNativeQuery(QStringLiteral("SELECT VID FROM tblVOLUMES"));
  db->Close();
  EXPECT_EQ(errorOf([&] { open->Next(); }), jet::err::kObjectInvalid);
}

}  // namespace

namespace {

// Texts of SQLite itself that must never reach a user.
bool carriesSqliteText(const QString& text) {
  QStringList english;
  for (int rc = 0; rc <= 28; ++rc) english << QString::fromUtf8(sqlite3_errstr(rc));
  english << QString::fromUtf8(sqlite3_errstr(SQLITE_ROW)) << QString::fromUtf8(sqlite3_errstr(SQLITE_DONE));
  english << QStringLiteral("malformed") << QStringLiteral("constraint failed") << QStringLiteral("syntax error")
          << QStringLiteral("no such") << QStringLiteral("near \"") << QStringLiteral("too many")
          << QStringLiteral("Expression tree") << QStringLiteral("stack overflow");
  for (const QString& e : english)
    if (!e.isEmpty() && text.contains(e, Qt::CaseInsensitive)) return true;
  return false;
}

}  // namespace

// Whatever the store refuses, the error keeps the number its callers test for and says what
// happened in German words of our own; what it names (a token, a column) is kept.
TEST_F(EngineTest, ErrorsOfTheStoreAreSaidInGermanWithTheirNumbers) {
  auto db = ws->OpenDatabase(path, false);
  db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (1, 'Eins', 1)"));
  const auto native = [&](const QString& sql) { return [&db, sql] { db->OpenNativeQuery(sql)->Next(); }; };
  const QString deep = QString(1200, QLatin1Char('(')) + QLatin1Char('1') + QString(1200, QLatin1Char(')'));
  struct Case {
    const char* name;
    std::function<void()> provoke;
    int number;
    QString named;  // what the description must name
  };
  const std::vector<Case> cases = {
      {"syntax", native(QStringLiteral("SELEKT 1")), jet::err::kSyntax, QStringLiteral("SELEKT")},
      {"unfinished text", native(QStringLiteral("SELECT 1 +")), jet::err::kSyntax, QString()},
      {"unknown column", native(QStringLiteral("SELECT nix FROM tblVOLUMES")), jet::err::kUnknownColumn,
       QStringLiteral("nix")},
      {"unknown table", native(QStringLiteral("SELECT * FROM nirgends")), jet::err::kUnknownTable,
       QStringLiteral("nirgends")},
      {"unknown function", native(QStringLiteral("SELECT gibtsnicht(1)")), jet::err::kEngineFailure,
       QStringLiteral("gibtsnicht")},
      {"nested too deep", native(QStringLiteral("SELECT ") + deep), jet::err::kEngineFailure, QString()},
      {"duplicate key",
       [&] { db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (1, 'x', 1)")); },
       jet::err::kDuplicateKey, QStringLiteral("tblVOLUMES.VID")},
      {"required field",
       [&] { db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (2, Null, 1)")); },
       jet::err::kRequiredField, QStringLiteral("tblVOLUMES.VolumeName")},
      {"related record missing",
       [&] { db->Execute(QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID) VALUES (1, 99)")); },
       jet::err::kRelatedRecordRequired, QString()},
      {"a function's own failure", native(QStringLiteral("SELECT jet_chr(300)")), jet::err::kEngineFailure,
       QStringLiteral("Chr: Zeichencode außerhalb von 0 bis 255.")},
      {"full",
       [&] {
         db->OpenNativeQuery(QStringLiteral("PRAGMA max_page_count = 1"))->Next();
         db->Execute(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName, CatDescription) VALUES (1, 'a', ?)"), 0,
                     {rt::Variant(QString(200, QLatin1Char('x')))});
         for (int i = 2; i < 100; ++i)
           db->Execute(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName, CatDescription) VALUES (?, 'a', ?)"), 0,
                       {rt::Variant(i), rt::Variant(QString(200, QLatin1Char('x')))});
       },
       jet::err::kDiskFull, QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const rt::RaisedError e = testenv::raised(c.provoke);
    EXPECT_EQ(e.number, c.number);
    EXPECT_TRUE(e.description.startsWith(jet::errorText(c.number))) << e.description.toStdString();
    EXPECT_FALSE(carriesSqliteText(e.description)) << e.description.toStdString();
    if (!c.named.isEmpty()) {
      EXPECT_TRUE(e.description.contains(c.named)) << e.description.toStdString();
    }
  }
  db->Close();

  // A damaged file: found when it is read.
  {
    auto fill = ws->OpenDatabase(path, false);
    ws->BeginTrans();
    for (int i = 10; i <= 2000; ++i)
      fill->Execute(QStringLiteral("INSERT INTO tblVOLUMES VALUES (?, ?, 1.0)"), 0,
                    {rt::Variant(i), rt::Variant(QString(90, 'v'))});
    ws->CommitTrans();
    fill->Close();
  }
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  file.seek(file.size() - 4096);
  file.write(QByteArray(4096, '\xff'));
  file.close();
  const rt::RaisedError damaged = testenv::raised([&] {
    auto again = ws->OpenDatabase(path, false);
    again->OpenRecordset(QStringLiteral("SELECT Count(*) FROM tblVOLUMES WHERE VolumeName > ''"),
                         RecordsetType::Snapshot);
  });
  EXPECT_EQ(damaged.number, jet::err::kDamaged);
  EXPECT_EQ(damaged.description, jet::errorText(jet::err::kDamaged));
}

// Two openers of one catalogue: an edit over a field the other one changed since the row was
// read is refused (3197) and changes nothing; the set then holds the stored row, so that a new
// edit starts from it. A field the edit leaves alone is no conflict: it is not written.
TEST_F(EngineTest, AnEditOverAFieldAnotherOpenerChangedIsRefused) {
  auto mine = ws->OpenDatabase(path, false);
  jet::Engine otherEngine;
  otherEngine.SetSystemDB(mdw);
  auto otherWs = otherEngine.CreateWorkspace(QStringLiteral("b"), QStringLiteral("Admin"), QStringLiteral("Geheim"));
  auto other = otherWs->OpenDatabase(path, false);
  const auto stored = [&](const char* field) {
    auto rs = other->OpenRecordset(QStringLiteral("SELECT %1 FROM tblVOLUMES WHERE VID = 1").arg(field),
                                   RecordsetType::Snapshot);
    return rs->Fields(0).Value();
  };
  for (const RecordsetType type : {RecordsetType::Table, RecordsetType::Dynaset}) {
    for (const bool inTransaction : {false, true}) {
      SCOPED_TRACE(std::string(type == RecordsetType::Table ? "table" : "dynaset") +
                   (inTransaction ? ", in a transaction" : ""));
      mine->Execute(QStringLiteral("DELETE FROM tblVOLUMES"));
      mine->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, EditDate) VALUES (1, 'Alt', 10)"));
      auto rs = mine->OpenRecordset(QStringLiteral("tblVOLUMES"), type);
      if (type == RecordsetType::Table) {
        rs->SetIndex(QStringLiteral("PrimaryKey"));
        rs->Seek(QStringLiteral("="), {rt::Variant(1)});
      }
      ASSERT_EQ(rs->Fields("VolumeName").Value(), rt::Variant(QStringLiteral("Alt")));
      other->Execute(QStringLiteral("UPDATE tblVOLUMES SET VolumeName = 'vom anderen' WHERE VID = 1"));
      if (inTransaction) ws->BeginTrans();
      rs->Edit();
      rs->Fields("VolumeName").SetValue(QStringLiteral("von mir"));
      EXPECT_EQ(errorOf([&] { rs->Update(); }), jet::err::kWriteConflict);
      EXPECT_EQ(rs->GetEditMode(), jet::EditMode::None);
      if (inTransaction) ws->CommitTrans();
      EXPECT_EQ(stored("VolumeName"), rt::Variant(QStringLiteral("vom anderen")));
      EXPECT_EQ(rs->Fields("VolumeName").Value(), rt::Variant(QStringLiteral("vom anderen")));
      // Edited again from the stored row, the write goes through.
      rs->Edit();
      rs->Fields("VolumeName").SetValue(QStringLiteral("von mir"));
      rs->Update();
      EXPECT_EQ(stored("VolumeName"), rt::Variant(QStringLiteral("von mir")));
      // The other one changes another field: both changes stay.
      other->Execute(QStringLiteral("UPDATE tblVOLUMES SET EditDate = 20 WHERE VID = 1"));
      rs->Edit();
      rs->Fields("VolumeName").SetValue(QStringLiteral("wieder von mir"));
      EXPECT_EQ(errorOf([&] { rs->Update(); }), 0);
      EXPECT_EQ(stored("VolumeName"), rt::Variant(QStringLiteral("wieder von mir")));
      EXPECT_EQ(stored("EditDate").toDouble(), 20.0);
      rs->Close();
    }
  }
  EXPECT_NE(jet::errorText(jet::err::kWriteConflict), jet::errorText(0));
  otherWs->Close();
}
