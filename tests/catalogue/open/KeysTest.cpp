#include "CatalogueFixture.h"
#include "platform/runtime/App.h"

namespace {

TEST(TableInfo, NamesEveryKind) {
  struct Row {
    int32_t kind;
    const char* table;
    const char* key;
  };
  const Row rows[] = {{0, "tblCATEGORIES", "CID"},
                      {1, "tblPATHS", "PID"},
                      {2, "tblVOLUMES", "VID"},
                      {3, "tblFILES", "FID"},
                      {4, "tblLOCATIONS", "LID"},
                      {5, "tblICONS", "IID"},
                      {6, "", ""},
                      {-1, "", ""}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.kind);
    QString t = "alt", k = "alt";
    TableInfo(r.kind, t, k, false);
    EXPECT_EQ(t, QString::fromLatin1(r.table));
    EXPECT_EQ(k, QString::fromLatin1(r.key));
    TableInfo(r.kind, t, k, true);
    EXPECT_EQ(t, *r.table ? QStringLiteral("[%1]").arg(QLatin1String(r.table)) : QString());
    EXPECT_EQ(k, *r.key ? QStringLiteral("[%1]").arg(QLatin1String(r.key)) : QString());
  }
}

TEST(FilesBesideTheProgram, WorkgroupAndTemplate) {
  EXPECT_EQ(SystemDBPath(), rt::App::path() + QStringLiteral("/zuvrax.mdw"));
  EXPECT_EQ(TemplatePath(), rt::App::path() + QStringLiteral("/zuvrax.db"));
  EXPECT_TRUE(QFile::exists(SystemDBPath()));
  EXPECT_TRUE(QFile::exists(TemplatePath()));
}

class NewKeyTest : public CatalogueTest {
 protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    ASSERT_TRUE(DBOpen(copyTemplate(), -1));
  }
  void exec(const QString& sql) { gDB->DB()->Execute(sql); }
};

TEST_F(NewKeyTest, LargestKeyPlusOneOrOne) {
  for (int32_t kind = 0; kind <= 4; ++kind) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(NewKey(kind), 1);
  }
  exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (3, 'a')"));
  exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (41, 'b')"));
  EXPECT_EQ(NewKey(kKeyLID), 42);
  exec(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (7, 'k')"));
  EXPECT_EQ(NewKey(kKeyCID), 8);
  exec(
      QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) "
                     "VALUES (12, 'v', '/', 3, 45000)"));
  exec(
      QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID, Files, Size, TotalDirs, TotalFiles, TotalSize) "
                     "VALUES (5, 12, 0, 0, 0, 0, 0)"));
  exec(QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (9, 5, 'f', 45000, 1)"));
  EXPECT_EQ(NewKey(kKeyVID), 13);
  EXPECT_EQ(NewKey(kKeyPID), 6);
  EXPECT_EQ(NewKey(kKeyFID), 10);
  EXPECT_GT(NewKey(kKeyIID), 1);  // the template's icons
}

TEST_F(NewKeyTest, SeesRowsOfTheOpenTransaction) {
  gDB->WS()->BeginTrans();
  exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (100, 'a')"));
  EXPECT_EQ(NewKey(kKeyLID), 101);
  gDB->WS()->Rollback();
  EXPECT_EQ(NewKey(kKeyLID), 1);
}

TEST_F(NewKeyTest, OverflowAndBadKindAreRaised) {
  exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (2147483646, 'a')"));
  EXPECT_EQ(NewKey(kKeyLID), 2147483647);
  exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (2147483647, 'b')"));
  try {
    NewKey(kKeyLID);
    ADD_FAILURE() << "no overflow";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 6);
    EXPECT_EQ(e.source, QStringLiteral("mdlCommand: NewKey"));
  }
  EXPECT_EQ(errorOf([] { NewKey(9); }), 5);
  gDB->setDBPath(QString());
  EXPECT_EQ(errorOf([] { NewKey(kKeyLID); }), 91);
}

}  // namespace
