#include "foundation/cuAppError.h"
#include "tests/catalogue/import/ImportFixture.h"

#include <QDir>
#include <QFileInfo>

namespace importtest {
namespace {

class pImportTest : public ImportTest {
 protected:
  void SetUp() override {
    ImportTest::SetUp();
    // The target's largest keys: CID 10, lID 3, VID 4, PID 5, FID 20.
    auto& db = *gDB->DB();
    gDB->WS()->BeginTrans();
    for (int cid = 1; cid <= 10; ++cid)
      db.Execute(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (?, ?)"), 0,
                 {cid, QStringLiteral("Ziel %1").arg(cid)});
    db.Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName, LocDescription) VALUES (3, 'Keller', 'Ziel')"));
    db.Execute(
        QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, CatID) "
                       "VALUES (4, 'Eigene', '/home/', 3, 45000, 1)"));
    for (int pid = 1; pid <= 5; ++pid)
      db.Execute(
          QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, "
                         "TotalSize) VALUES (?, 4, ?, ?, 0, 0, 0, 0, 0)"),
          0, {pid, QStringLiteral("d%1").arg(pid), pid == 1 ? rt::Null : rt::Variant(1)});
    for (int fid = 1; fid <= 20; ++fid)
      db.Execute(
          QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?, ?, ?, 40000, 1)"),
          0, {fid, 1 + fid % 5, QStringLiteral("f%1").arg(fid)});
    gDB->WS()->CommitTrans();
    source = newCatalogue(QStringLiteral("quelle.qvk"));
    CatalogueRows rows(source);
    fillStandardSource(rows);
  }

  // The columns that the copy takes over unchanged, in key order of the rows.
  static QString volumeColumns() {
    return QStringLiteral(
        "VolumeName, Description, Memo, VolumePath, VolumeSerial, VolumeLabel, VolumeType, "
        "Computername, EditDate");
  }

  QStringList sourceRows(const QString& sql, const std::vector<rt::Variant>& params = {}) {
    jet::Engine engine;
    auto ws = testenv::catalogueWorkspace(engine);
    auto db = ws->OpenDatabase(source, false, true);
    const QStringList out = rowsOf(*db, sql, params);
    ws->Close();
    return out;
  }

  QString source;
};

TEST_F(pImportTest, ATickedCategoryKeepsItsTreeAndGetsKeysAfterTheLargestOnes) {
  const QByteArray sourceBytes = testenv::contentOf(source);
  windows.tickedCategories = {5};
  int32_t counts[3];
  ASSERT_TRUE(runImport(source, counts)) << (boxes->shown.empty() ? "" : boxes->shown[0].text.toStdString());
  EXPECT_EQ(counts[0], 4);
  EXPECT_EQ(counts[1], 3);  // the volume without folders is not counted
  EXPECT_EQ(counts[2], 1);
  EXPECT_TRUE(boxes->shown.empty());

  // Sub-categories depth first by key (Fotos, Urlaub, Musik), the ticked one last; the copies
  // keep their shape below the import category.
  EXPECT_EQ(rows(QStringLiteral("SELECT CID, CatName, CatDescription, Parent FROM tblCATEGORIES WHERE CID > 10 "
                                "ORDER BY CID")),
            (QStringList{QStringLiteral("11|Import 08.12.2026 09:01:03|<null>|<null>"),
                         QStringLiteral("12|Fotos|<null>|15"), QStringLiteral("13|Urlaub|<null>|12"),
                         QStringLiteral("14|Musik|laut|15"), QStringLiteral("15|Archiv|alt|11")}));
  EXPECT_TRUE(value(QStringLiteral("SELECT Icon FROM tblCATEGORIES WHERE CID = 11")).isNull());
  EXPECT_EQ(value(QStringLiteral("SELECT Icon FROM tblCATEGORIES WHERE CID = 15")).toBinary(),
            QByteArray("\x01\x02icon", 6));

  // Volumes under their copied categories; "Dachboden" added once for two volumes, "keller"
  // found as the target's "Keller", whose description stays.
  EXPECT_EQ(rows(QStringLiteral("SELECT VID, CatID, LocID FROM tblVOLUMES WHERE VID > 4 ORDER BY VID")),
            (QStringList{QStringLiteral("5|13|4"), QStringLiteral("6|14|4"), QStringLiteral("7|15|3")}));
  EXPECT_EQ(
      rows(QStringLiteral("SELECT ") + volumeColumns() + QStringLiteral(" FROM tblVOLUMES WHERE VID > 4 ORDER BY VID")),
      sourceRows(QStringLiteral("SELECT ") + volumeColumns() +
                 QStringLiteral(" FROM tblVOLUMES WHERE VID >= 10 AND VID <= 12 ORDER BY VID")));
  EXPECT_EQ(rows(QStringLiteral("SELECT lID, LocName, LocDescription FROM tblLOCATIONS ORDER BY lID")),
            (QStringList{QStringLiteral("3|Keller|Ziel"), QStringLiteral("4|Dachboden|oben")}));

  // Folders: new keys in source order, roots without parent, the others at their parent's copy.
  EXPECT_EQ(rows(QStringLiteral("SELECT PID, VolumeID, Path, Parent FROM tblPATHS WHERE PID > 5 ORDER BY PID")),
            (QStringList{QStringLiteral("6|5|<null>|<null>"), QStringLiteral("7|5|Sommer|6"),
                         QStringLiteral("8|5|Strand|7"), QStringLiteral("9|6|<null>|<null>"),
                         QStringLiteral("10|6|Jazz|9"), QStringLiteral("11|7|<null>|<null>")}));
  const QString pathColumns = QStringLiteral("Path, Memo, Files, Size, TotalDirs, TotalFiles, TotalSize");
  EXPECT_EQ(
      rows(QStringLiteral("SELECT ") + pathColumns + QStringLiteral(" FROM tblPATHS WHERE PID > 5 ORDER BY PID")),
      sourceRows(QStringLiteral("SELECT ") + pathColumns +
                 QStringLiteral(" FROM tblPATHS WHERE VolumeID >= 10 AND VolumeID <= 12 ORDER BY VolumeID, PID")));

  // Files: every field, in the order of their folders, keys counted on from 21.
  EXPECT_EQ(rows(QStringLiteral("SELECT FID, PathID, Filename FROM tblFILES WHERE FID > 20 ORDER BY FID")).first(),
            QStringLiteral("21|6|a100.jpg"));
  EXPECT_EQ(value(QStringLiteral("SELECT Max(FID) FROM tblFILES")).toInt(), 32);
  const QString fileColumns = QStringLiteral("Filename, DateTime, Filesize, [Desc]");
  EXPECT_EQ(
      rows(QStringLiteral("SELECT ") + fileColumns + QStringLiteral(" FROM tblFILES WHERE FID > 20 ORDER BY FID")),
      sourceRows(QStringLiteral("SELECT ") + fileColumns +
                 QStringLiteral(" FROM tblFILES WHERE PathID <= 300 ORDER BY FID")));

  // A status text per copied category and per volume, cleared at the end.
  EXPECT_TRUE(status->texts.contains(QStringLiteral("Importiere Kategorie 'Urlaub' ...")));
  EXPECT_TRUE(status->texts.contains(QStringLiteral("Importiere Volume 'Fotos2020' ...")));
  EXPECT_EQ(status->texts.last(), QString());

  // The dialog started in LastDir with the program's title and filter; LastDir is now the
  // source's folder. The source itself is as it was, its missing GUID not written.
  EXPECT_EQ(windows.dialogDir, dir + QStringLiteral("/"));
  EXPECT_EQ(windows.dialogTitle, QStringLiteral("Datenbank auswählen"));
  EXPECT_TRUE(windows.dialogFilter.endsWith(QStringLiteral("|*.qvk")));
  EXPECT_EQ(windows.shownPath, source);
  EXPECT_EQ(gOptions->LastDir(), dir + QStringLiteral("/"));
  EXPECT_EQ(testenv::contentOf(source), sourceBytes);
}

TEST_F(pImportTest, TickedVolumesLandDirectlyUnderTheImportCategory) {
  windows.tickedVolumes = {13, 14};
  int32_t counts[3];
  ASSERT_TRUE(runImport(source, counts));
  EXPECT_EQ((std::vector<int32_t>{counts[0], counts[1], counts[2]}), (std::vector<int32_t>{0, 1, 0}));
  EXPECT_EQ(rows(QStringLiteral("SELECT VID, VolumeName, CatID, LocID FROM tblVOLUMES WHERE VID > 4")),
            QStringList{QStringLiteral("5|Fremdplatte|11|<null>")});
  EXPECT_EQ(rows(QStringLiteral("SELECT PID, VolumeID, Parent FROM tblPATHS WHERE PID > 5")),
            QStringList{QStringLiteral("6|5|<null>")});
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblFILES WHERE PathID = 6")).toInt(), 2);
}

TEST_F(pImportTest, TheImportCategoryStandsEvenWhenEveryTickedVolumeIsSkipped) {
  windows.tickedVolumes = {14};
  int32_t counts[3];
  ASSERT_TRUE(runImport(source, counts));
  EXPECT_EQ((std::vector<int32_t>{counts[0], counts[1], counts[2]}), (std::vector<int32_t>{0, 0, 0}));
  EXPECT_EQ(rows(QStringLiteral("SELECT CID, CatName FROM tblCATEGORIES WHERE CID > 10")),
            QStringList{QStringLiteral("11|Import 08.12.2026 09:01:03")});
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")).toInt(), 1);
}

TEST_F(pImportTest, ImportingTwiceGivesTwoCompleteCopies) {
  windows.tickedCategories = {5, 8};
  ASSERT_TRUE(runImport(source));
  ASSERT_TRUE(runImport(source));
  EXPECT_EQ(rows(QStringLiteral("SELECT CatName, Count(*) FROM tblCATEGORIES WHERE CID > 10 GROUP BY CatName "
                                "ORDER BY CatName")),
            (QStringList{QStringLiteral("Archiv|2"), QStringLiteral("Fotos|2"), QStringLiteral("Fremd|2"),
                         QStringLiteral("Import 08.12.2026 09:01:03|2"), QStringLiteral("Musik|2"),
                         QStringLiteral("Urlaub|2")}));
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblVOLUMES WHERE VID > 4")).toInt(), 8);
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblFILES WHERE FID > 20")).toInt(), 28);
  // Locations are matched by name: the second import adds none.
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblLOCATIONS")).toInt(), 2);
  EXPECT_EQ(integrityOf(*gDB->DB()), QStringLiteral("ok"));
}

TEST_F(pImportTest, FolderParentsFollowTheirCopiesWhateverTheOrderOfTheKeys) {
  CatalogueRows rows(source);
  rows.volume(20, QStringLiteral("Verdreht"));
  // A child with a smaller key than its parent, a self-parent and a parent in another volume.
  rows.folder(500, 20, QStringLiteral("Kind"), 510);
  rows.folder(510, 20, rt::Null, rt::Null);
  rows.folder(520, 20, QStringLiteral("Selbst"), 520);
  rows.folder(530, 20, QStringLiteral("Fremd"), 100);
  rows.file(5000, 500, QStringLiteral("k.txt"));
  rows.file(5001, 530, QStringLiteral("f.txt"));
  rows.close();
  windows.tickedVolumes = {20};
  ASSERT_TRUE(runImport(source));
  EXPECT_EQ(this->rows(QStringLiteral("SELECT PID, Path, Parent FROM tblPATHS WHERE PID > 5 ORDER BY PID")),
            (QStringList{QStringLiteral("6|Kind|7"), QStringLiteral("7|<null>|<null>"), QStringLiteral("8|Selbst|8"),
                         QStringLiteral("9|Fremd|<null>")}));
  EXPECT_EQ(this->rows(QStringLiteral("SELECT FID, PathID, Filename FROM tblFILES WHERE FID > 20 ORDER BY FID")),
            (QStringList{QStringLiteral("21|6|k.txt"), QStringLiteral("22|9|f.txt")}));
}

TEST_F(pImportTest, ATickedCategoryInALoopOfParentsStillHangsUnderTheImportCategory) {
  CatalogueRows rows(source);
  rows.category(30, QStringLiteral("Kreis"), 31);
  rows.category(31, QStringLiteral("Runde"), 30);
  rows.close();
  windows.tickedCategories = {30};
  ASSERT_TRUE(runImport(source));
  EXPECT_EQ(this->rows(QStringLiteral("SELECT CID, CatName, Parent FROM tblCATEGORIES WHERE CID > 11 ORDER BY CID")),
            (QStringList{QStringLiteral("12|Runde|13"), QStringLiteral("13|Kreis|11")}));
}

TEST_F(pImportTest, WithoutAnOpenCatalogueNothingIsAsked) {
  gDB->setDBPath(QString());
  windows.tickedCategories = {5};
  EXPECT_FALSE(runImport(source));
  EXPECT_EQ(windows.dialogs, 0);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains(QStringLiteral("pImport: Import"))) << boxes->shown[0].text.toStdString();
}

// Everything that ends the import before it writes: the target stays as it was, the source
// too, the counts are 0, and the user hears why (or nothing, when the user ended it).
TEST_F(pImportTest, RefusedImportsLeaveBothCataloguesAsTheyWere) {
  struct Case {
    const char* name;
    // Prepares the file to choose and the windows' answers; returns the path.
    std::function<QString()> prepare;
    QStringList boxTexts;  // one entry per box, each a part of its text
    bool lastDirKept = false;
  };
  const auto variant = [this](const QString& name, const QString& sql, const std::vector<rt::Variant>& params) {
    const QString path = newCatalogue(name);
    CatalogueRows rows(path);
    fillStandardSource(rows);
    rows.exec(sql, params);
    return path;
  };
  const QString older = QStringLiteral("hat eine falsche Version (Erwartet: 1.0.011, Ist: 1.0.010)");
  const std::vector<Case> cases = {
      {"dialog cancelled", [] { return QString(); }, {}, true},
      {"the open catalogue", [this] { return target; }, {QStringLiteral("ist bereits geöffnet.")}, true},
      {"the open catalogue through a link",
       [this] {
         const QString link = dir + QStringLiteral("/verweis.qvk");
         QFile::link(target, link);
         return link;
       },
       {QStringLiteral("ist bereits geöffnet.")},
       true},
      {"the open catalogue through a hard link",
       [this] {
         const QString link = dir + QStringLiteral("/zweitname.qvk");
         ::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData());
         return link;
       },
       {QStringLiteral("ist bereits geöffnet.")},
       true},
      {"the open catalogue spelt otherwise",
       [this] { return dir + QStringLiteral("/./ziel.qvk"); },
       {QStringLiteral("ist bereits geöffnet.")},
       true},
      {"an older version",
       [&] { return variant(QStringLiteral("alt.qvk"), QStringLiteral("UPDATE tblVERSION SET Revision = 10"), {}); },
       {older}},
      {"a higher version, declined",
       [&] { return variant(QStringLiteral("neu.qvk"), QStringLiteral("UPDATE tblVERSION SET Major = 2"), {}); },
       {QStringLiteral("hat eine höhere Version als erwartet (Erwartet: 1.0.011, Ist: 2.0.011)")}},
      {"a version that is no number",
       [&] {
         return variant(QStringLiteral("text.qvk"), QStringLiteral("UPDATE tblVERSION SET Minor = ?"),
                        {QStringLiteral("x")});
       },
       {QStringLiteral("Fehler beim Versionsvergleich.")}},
      {"no version record",
       [&] { return variant(QStringLiteral("leer.qvk"), QStringLiteral("DELETE FROM tblVERSION"), {}); },
       {QStringLiteral("Die Versionstabelle enthält keine Daten.")}},
      {"another program's stamp",
       [&] {
         return variant(QStringLiteral("fremd.qvk"), QStringLiteral("UPDATE tblVERSION SET Type = 'Anderes'"), {});
       },
       {QStringLiteral("Die Datenbank ist inkompatibel.")}},
      {"no catalogue at all",
       [this] {
         const QString path = dir + QStringLiteral("/text.qvk");
         testenv::writeFile(path, QByteArray("Dies ist kein Katalog, nur Text.\n").repeated(200));
         return path;
       },
       {QStringLiteral("Die Datei kann nicht verwendet werden.")}},
      {"a missing file", [this] { return dir + QStringLiteral("/fehlt.qvk"); }, {QStringLiteral("Fehler Nr. 3024:")}},
      {"cancel in the selection window",
       [this] {
         windows.tickedCategories = {5};
         windows.confirm = false;
         return source;
       },
       {}},
      {"nothing ticked", [this] { return source; }, {}},
  };
  const QStringList before = targetDump();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    windows = ScriptedWindows();
    gOptions->setLastDir(dir + QStringLiteral("/"));
    const QString file = c.prepare();
    const QByteArray fileBytes = QFileInfo::exists(file) ? testenv::contentOf(file) : QByteArray();
    boxes->shown.clear();
    int32_t counts[3];
    EXPECT_FALSE(runImport(file, counts));
    EXPECT_EQ((std::vector<int32_t>{counts[0], counts[1], counts[2]}), (std::vector<int32_t>{0, 0, 0}));
    ASSERT_EQ(boxes->shown.size(), static_cast<size_t>(c.boxTexts.size()));
    for (int i = 0; i < c.boxTexts.size(); ++i)
      EXPECT_TRUE(boxes->shown[static_cast<size_t>(i)].text.contains(c.boxTexts[i]))
          << boxes->shown[static_cast<size_t>(i)].text.toStdString();
    EXPECT_EQ(targetDump(), before);
    if (!file.isEmpty() && QFileInfo::exists(file)) {
      EXPECT_EQ(testenv::contentOf(file), fileBytes);
    }
    if (c.lastDirKept) {
      EXPECT_EQ(gOptions->LastDir(), dir + QStringLiteral("/"));
    }
  }
}

TEST_F(pImportTest, OpeningTroublesAreReportedInTheOpeningBox) {
  const QString path = dir + QStringLiteral("/text.qvk");
  testenv::writeFile(path, QByteArray("kein Katalog"));
  EXPECT_FALSE(runImport(path));
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.startsWith(QStringLiteral("Beim Öffnen von '") + path +
                                              QStringLiteral("' ist ein Fehler aufgetreten:\r\n\r\nFehler Nr. ")));
  EXPECT_EQ(boxes->shown[0].style, ui::kCritical);
}

TEST_F(pImportTest, AHigherVersionIsImportedWhenTheUserAgrees) {
  CatalogueRows rows(source);
  rows.exec(QStringLiteral("UPDATE tblVERSION SET Revision = 12"));
  rows.close();
  boxes->script(ui::kAnswerYes);
  windows.tickedVolumes = {13};
  ASSERT_TRUE(runImport(source));
  EXPECT_EQ(value(QStringLiteral("SELECT VolumeName FROM tblVOLUMES WHERE VID = 5")).toText(),
            QStringLiteral("Fremdplatte"));
}

// The source is opened shared and read-only: others may use it meanwhile, nothing can change it.
TEST_F(pImportTest, TheSourceIsOpenedSharedAndReadOnly) {
  bool readOnly = false;
  int otherOpen = -1;
  windows.whileShown = [&](jet::Database& db) {
    readOnly = db.IsReadOnly();
    otherOpen = testenv::raised([&] {
                  jet::Engine engine;
                  auto ws = testenv::catalogueWorkspace(engine);
                  ws->OpenDatabase(source, false);
                  ws->Close();
                }).number;
  };
  windows.tickedVolumes = {13};
  ASSERT_TRUE(runImport(source));
  EXPECT_TRUE(readOnly);
  EXPECT_EQ(otherOpen, 0);
}

TEST_F(pImportTest, ASourceLockedByAnotherProcessIsRefused) {
  // Holds the source exclusively until the import is done.
  testenv::CatalogueHolder holder(source, true);
  ASSERT_TRUE(holder.holds());
  const QStringList before = targetDump();
  windows.tickedCategories = {5};
  EXPECT_FALSE(runImport(source));
  holder.release();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains(QStringLiteral("Fehler Nr. 3045:"))) << boxes->shown[0].text.toStdString();
  EXPECT_EQ(windows.selections, 0);
  EXPECT_EQ(targetDump(), before);
}

// A source that refers to a location it does not hold fails in the middle of its third
// volume: one error box with the chain of the steps, and nothing of the import stays.
TEST_F(pImportTest, AnErrorInTheThirdVolumeLeavesTheTargetAsBefore) {
  CatalogueRows rows(source);
  rows.exec(QStringLiteral("UPDATE tblVOLUMES SET LocID = 77 WHERE VID = 12"));
  rows.close();
  const QStringList before = targetDump();
  windows.tickedCategories = {5};
  int32_t counts[3];
  EXPECT_FALSE(runImport(source, counts));
  EXPECT_EQ((std::vector<int32_t>{counts[0], counts[1], counts[2]}), (std::vector<int32_t>{0, 0, 0}));
  ASSERT_EQ(boxes->shown.size(), 1u);
  const QString text = boxes->shown[0].text;
  EXPECT_TRUE(
      text.contains(QStringLiteral("pImport: CreateLoc | pImport: CreateVolume | pImport: ImportVolume | "
                                   "pImport: ImportCategory | pImport: Import")))
      << text.toStdString();
  EXPECT_TRUE(text.endsWith(QStringLiteral("Datensatz '77' nicht gefunden."))) << text.toStdString();
  EXPECT_TRUE(status->texts.contains(QStringLiteral("Importiere Volume 'Musik1' ...")));
  EXPECT_EQ(targetDump(), before);
  EXPECT_EQ(status->texts.last(), QString());
}

// Answers as the recording presenter does, after a look at the catalogues while the box is open.
class LookingPresenter : public ui::RecordingPresenter {
 public:
  explicit LookingPresenter(std::function<void()> look) : look_(std::move(look)) {}
  int show(const ui::MessageBoxRequest& request) override {
    look_();
    return RecordingPresenter::show(request);
  }

 private:
  std::function<void()> look_;
};

// Puts the presenter back that was installed before.
struct PresenterSwap {
  explicit PresenterSwap(std::unique_ptr<ui::MessagePresenter> p) : previous(ui::setPresenter(std::move(p))) {}
  ~PresenterSwap() { ui::setPresenter(std::move(previous)); }
  PresenterSwap(const PresenterSwap&) = delete;
  PresenterSwap& operator=(const PresenterSwap&) = delete;
  std::unique_ptr<ui::MessagePresenter> previous;
};

// The error box waits for the user: by then the import holds neither catalogue, so another
// program that shares them can write to both, and the source is no longer attached.
TEST_F(pImportTest, TheErrorBoxComesAfterBothCataloguesAreLetGo) {
  ASSERT_TRUE(DBOpen(target, 0));
  CatalogueRows damage(source);
  damage.exec(QStringLiteral("UPDATE tblVOLUMES SET LocID = 77 WHERE VID = 12"));
  damage.close();
  const auto writeTo = [](const QString& path) {
    return testenv::raised([&] {
             jet::Engine engine;
             auto ws = testenv::catalogueWorkspace(engine);
             auto db = ws->OpenDatabase(path, false);
             db->Execute(QStringLiteral("UPDATE tblLOCATIONS SET LocDescription = 'anderswo'"));
             ws->Close();
           })
        .description;
  };
  QString targetWrite = QStringLiteral("<no box>"), sourceWrite = targetWrite;
  QStringList attached;
  auto presenter = std::make_unique<LookingPresenter>([&] {
    targetWrite = writeTo(target);
    sourceWrite = writeTo(source);
    auto list = gDB->DB()->OpenNativeQuery(QStringLiteral("SELECT name FROM pragma_database_list"));
    while (list->Next())
      if (list->Text(0) != QStringLiteral("main") && list->Text(0) != QStringLiteral("temp")) attached << list->Text(0);
  });
  LookingPresenter* shown = presenter.get();
  PresenterSwap swap(std::move(presenter));
  windows.tickedCategories = {5};
  EXPECT_FALSE(runImport(source));
  ASSERT_EQ(shown->shown.size(), 1u);
  EXPECT_TRUE(shown->shown[0].text.endsWith(QStringLiteral("Datensatz '77' nicht gefunden.")))
      << shown->shown[0].text.toStdString();
  EXPECT_EQ(targetWrite, QString());
  EXPECT_EQ(sourceWrite, QString());
  EXPECT_EQ(attached, QStringList());
}

// Keys past the largest 32-bit key are refused for folders and files alike: nothing of the
// import stays, and the next import, once there is room, goes through.
TEST_F(pImportTest, KeysPastTheLargestAreRefusedAndTheNextImportStillRuns) {
  struct Case {
    const char* what;
    QString block;
    QString unblock;
    QString chain;
  };
  const Case cases[] = {
      {"folder keys",
       QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID, Files, Size, TotalDirs, TotalFiles, TotalSize) "
                      "VALUES (2147483646, 4, 0, 0, 0, 0, 0)"),
       QStringLiteral("DELETE FROM tblPATHS WHERE PID = 2147483646"),
       QStringLiteral("pImport: CopyPathData | pImport: ImportVolume | pImport: Import")},
      {"file keys",
       QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) "
                      "VALUES (2147483643, 1, 'hoch', 40000, 1)"),
       QStringLiteral("DELETE FROM tblFILES WHERE FID = 2147483643"),
       QStringLiteral("pImport: CopyFileData | pImport: ImportVolume | pImport: Import")},
  };
  windows.tickedVolumes = {10};  // three folders, six files
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gDB->DB()->Execute(c.block);
    const QStringList before = targetDump();
    boxes->shown.clear();
    EXPECT_FALSE(runImport(source));
    ASSERT_EQ(boxes->shown.size(), 1u);
    const QString text = boxes->shown[0].text;
    EXPECT_TRUE(text.contains(c.chain)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("Überlauf."))) << text.toStdString();
    EXPECT_EQ(targetDump(), before);
    gDB->DB()->Execute(c.unblock);
    EXPECT_TRUE(runImport(source));
  }
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblFILES WHERE FID > 20")).toInt(), 12);
  EXPECT_EQ(integrityOf(*gDB->DB()), QStringLiteral("ok"));
}

// New file keys follow the folders, each folder's files in the order of their source keys,
// however the source's keys interleave the folders.
TEST_F(pImportTest, FileKeysFollowTheirFoldersInTheOrderOfTheSourceKeys) {
  CatalogueRows rows(source);
  rows.volume(20, QStringLiteral("Gemischt"));
  rows.folder(500, 20, rt::Null, rt::Null);
  rows.folder(501, 20, QStringLiteral("b"), 500);
  rows.file(6000, 501, QStringLiteral("b1"));
  rows.file(6001, 500, QStringLiteral("a1"));
  rows.file(6002, 501, QStringLiteral("b2"));
  rows.file(6003, 500, QStringLiteral("a2"));
  rows.close();
  windows.tickedVolumes = {20};
  ASSERT_TRUE(runImport(source));
  EXPECT_EQ(this->rows(QStringLiteral("SELECT FID, PathID, Filename FROM tblFILES WHERE FID > 20 ORDER BY FID")),
            (QStringList{QStringLiteral("21|6|a1"), QStringLiteral("22|6|a2"), QStringLiteral("23|7|b1"),
                         QStringLiteral("24|7|b2")}));
}

// A source's name may hold characters that mean something in a URI.
TEST_F(pImportTest, ASourceWhoseNameLooksLikeAUriIsImported) {
  const QString odd = dir + QStringLiteral("/file:quelle ?mode=rw#%20ä&.qvk");
  ASSERT_TRUE(QFile::copy(source, odd));
  windows.tickedVolumes = {10};
  ASSERT_TRUE(runImport(odd)) << (boxes->shown.empty() ? "" : boxes->shown[0].text.toStdString());
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblFILES WHERE FID > 20")).toInt(), 6);
}

// A source whose file pages are overwritten opens and shows its tree; the copy meets the damage.
TEST_F(pImportTest, ASourceDamagedInsideItsFileRowsLeavesTheTargetAsBefore) {
  const QString damaged = newCatalogue(QStringLiteral("kaputt.qvk"));
  {
    CatalogueRows rows(damaged);
    rows.begin();
    rows.volume(1, QStringLiteral("Gross"));
    rows.folder(1, 1, rt::Null, rt::Null);
    for (int fid = 1; fid <= 20000; ++fid)
      rows.file(fid, 1, QStringLiteral("datei-mit-einem-recht-langen-namen-%1.dat").arg(fid));
    rows.commit();
  }
  QFile f(damaged);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  const qint64 size = f.size();
  // The file rows fill the back of the file; garbage over a stretch of them.
  f.seek(size / 2);
  f.write(QByteArray(static_cast<int>(size / 4), '\xA5'));
  f.close();
  const QStringList before = targetDump();
  windows.tickedVolumes = {1};
  EXPECT_FALSE(runImport(damaged));
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains(QStringLiteral("pImport: ImportVolume | pImport: Import")))
      << boxes->shown[0].text.toStdString();
  EXPECT_EQ(targetDump(), before);
  EXPECT_EQ(integrityOf(*gDB->DB()), QStringLiteral("ok"));
}

}  // namespace
}  // namespace importtest
