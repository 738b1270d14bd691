#include "CatalogueFixture.h"

namespace {

class DatabaseWrapperTest : public CatalogueTest {
 protected:
  void init(cuDAODatabase& w, int32_t exclusive = -1, const QString& password = kCataloguePassword) {
    bool ok = false;
    w.Init(SystemDBPath(), kCatalogueUser, password, exclusive, ok);
    EXPECT_TRUE(ok);
  }
};

TEST_F(DatabaseWrapperTest, InitWithoutPathMakesOnlyAWorkspace) {
  cuDAODatabase w;
  EXPECT_EQ(w.WSName(), QStringLiteral("Default"));
  init(w);
  EXPECT_TRUE(w.WS());
  EXPECT_FALSE(w.DB());
  EXPECT_TRUE(w.DBPath().isEmpty());
}

TEST_F(DatabaseWrapperTest, PathIsReportedOnlyWhileOpen) {
  const QString path = copyTemplate();
  cuDAODatabase w;
  w.setDBPath(path);  // no workspace yet: only kept
  EXPECT_FALSE(w.DB());
  EXPECT_TRUE(w.DBPath().isEmpty());
  init(w, 0);
  ASSERT_TRUE(w.DB());
  EXPECT_EQ(w.DBPath(), path);
  EXPECT_FALSE(w.Exclusive());
}

TEST_F(DatabaseWrapperTest, EmptyPathClosesTheDatabaseAndItsRecordsets) {
  const QString path = copyTemplate();
  cuDAODatabase w;
  w.setDBPath(path);
  init(w);
  auto db = w.DB();
  auto a = db->OpenRecordset(QStringLiteral("tblICONS"), jet::RecordsetType::Table);
  auto b = db->OpenRecordset(QStringLiteral("SELECT * FROM tblVERSION"), jet::RecordsetType::Snapshot);
  auto c = db->OpenRecordset(QStringLiteral("tblVOLUMES"), jet::RecordsetType::Dynaset);
  w.setDBPath(QString());
  EXPECT_FALSE(w.DB());
  EXPECT_TRUE(w.WS());
  for (const auto& rs : {a, b, c}) EXPECT_FALSE(rs->IsOpen());
  EXPECT_FALSE(db->IsOpen());
  EXPECT_EQ(errorOf([&] { a->MoveFirst(); }), 3420);
  // The file is free for an exclusive opener again.
  init(w);
  w.setDBPath(path);
  EXPECT_TRUE(w.DB());
}

TEST_F(DatabaseWrapperTest, SameFileKeepsTheOpenDatabase) {
  const QString path = copyTemplate();
  cuDAODatabase w;
  w.setDBPath(path);
  init(w);
  auto db = w.DB();
  w.setDBPath(dir + QStringLiteral("/./kat.qvk"));
  EXPECT_EQ(w.DB(), db);
  EXPECT_TRUE(db->IsOpen());
}

// Letter case makes another file here: switching to it must open that file, not keep the old.
TEST_F(DatabaseWrapperTest, PathInOtherCaseIsAnotherFile) {
  const QString lower = copyTemplate(QStringLiteral("kat.qvk"));
  const QString upper = copyTemplate(QStringLiteral("KAT.qvk"));
  cuDAODatabase w;
  w.setDBPath(lower);
  init(w);
  auto first = w.DB();
  w.setDBPath(upper);
  ASSERT_TRUE(w.DB());
  EXPECT_NE(w.DB(), first);
  EXPECT_EQ(w.DB()->Name(), upper);
  EXPECT_FALSE(first->IsOpen());
  EXPECT_FALSE(cuDAODatabase::SameFile(lower, upper));
  EXPECT_TRUE(cuDAODatabase::SameFile(lower, dir + QStringLiteral("/../") + QFileInfo(dir).fileName() + "/kat.qvk"));
}

TEST_F(DatabaseWrapperTest, SecondPathOpensInTheSameWorkspaceAndMode) {
  const QString one = copyTemplate(QStringLiteral("eins.qvk"));
  const QString two = copyTemplate(QStringLiteral("zwei.qvk"));
  cuDAODatabase w;
  w.setDBPath(one);
  init(w, -1);
  auto ws = w.WS();
  w.setDBPath(two);
  EXPECT_EQ(w.WS(), ws);
  ASSERT_TRUE(w.DB());
  EXPECT_EQ(w.DBPath(), two);
  EXPECT_TRUE(w.DB()->IsExclusive());
}

TEST_F(DatabaseWrapperTest, SecondInitReplacesTheWorkspace) {
  const QString path = copyTemplate();
  cuDAODatabase w;
  w.setDBPath(path);
  init(w, -1);
  auto ws = w.WS();
  auto db = w.DB();
  init(w, 0);
  EXPECT_NE(w.WS(), ws);
  EXPECT_FALSE(db->IsOpen());
  ASSERT_TRUE(w.DB());
  EXPECT_FALSE(w.DB()->IsExclusive());
}

TEST_F(DatabaseWrapperTest, ExclusiveMinusTwoTakesTheOption) {
  const QString path = copyTemplate();
  gOptions = std::make_unique<gRegOptions>();
  for (bool option : {false, true}) {
    gOptions->setExclusive(option);
    cuDAODatabase w;
    w.setDBPath(path);
    int32_t mode = -2;
    bool ok = false;
    w.Init(SystemDBPath(), kCatalogueUser, kCataloguePassword, mode, ok, gOptions->Exclusive());
    EXPECT_EQ(mode, option ? -1 : 0);
    EXPECT_EQ(w.Exclusive(), option);
    EXPECT_EQ(w.DB()->IsExclusive(), option);
  }
  gOptions.reset();
}

TEST_F(DatabaseWrapperTest, FailuresCarryTheirChain) {
  const QString path = copyTemplate();
  struct Case {
    const char* name;
    QString systemDb;
    QString password;
    QString path;
    int number;
    QString source;
  };
  const std::vector<Case> cases = {
      {"other workgroup file", dir + QStringLiteral("/anders.mdw"), kCataloguePassword, path, -2147221503,
       QStringLiteral("cuDAODatabase: Init | cuDAODatabase: Init")},
      {"wrong password", SystemDBPath(), QStringLiteral("falsch"), path, 3029,
       QStringLiteral("DAO.DBEngine | cuDAODatabase: Init")},
      {"missing file", SystemDBPath(), kCataloguePassword, dir + QStringLiteral("/fehlt.qvk"), 3024,
       QStringLiteral("DAO.Workspace | cuDAODatabase: Init")},
  };
  // The engine takes the workgroup file once; every later one is refused.
  otherWorkspace()->Close();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cuDAODatabase w;
    w.setDBPath(c.path);
    int32_t mode = -1;
    bool ok = true;
    try {
      w.Init(c.systemDb, kCatalogueUser, c.password, mode, ok);
      ADD_FAILURE() << "no error";
    } catch (const rt::RaisedError& e) {
      EXPECT_EQ(e.number, c.number);
      EXPECT_EQ(e.source, c.source);
      if (c.number == -2147221503) {
        EXPECT_EQ(e.description, QStringLiteral("Systemdatenbank konnte nicht geändert werden (Ist: '") +
                                     SystemDBPath() + QStringLiteral("', Soll: '") + c.systemDb +
                                     QStringLiteral("')."));
      }
    }
    EXPECT_FALSE(ok);
    EXPECT_FALSE(w.DB());
  }
}

TEST_F(DatabaseWrapperTest, ReleaseRollsBackAndFreesTheFile) {
  const QString path = copyTemplate();
  {
    cuDAODatabase w;
    w.setDBPath(path);
    init(w, -1);
    w.WS()->BeginTrans();
    w.DB()->Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (1, 'Keller')"));
  }
  cuDAODatabase w;
  w.setDBPath(path);
  init(w, -1);
  auto rs = w.DB()->OpenRecordset(QStringLiteral("tblLOCATIONS"), jet::RecordsetType::Table);
  EXPECT_EQ(rs->RecordCount(), 0);
}

}  // namespace
