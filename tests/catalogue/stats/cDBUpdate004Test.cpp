#include "catalogue/cDBUpdate004.h"
#include "platform/ui/MousePointer.h"
#include "tests/catalogue/commands/CommandsFixture.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

namespace {

class PanelRecorder : public MainWindowServices {
 public:
  explicit PanelRecorder(QStringList* texts) : texts_(texts) {}
  void pubDBOpen(const QString&) override {}
  void pubStatus(const QString&) override {}
  void pubVolumeSelect(int32_t) override {}
  void SetStatusPanel1(const QString& text) override {
    texts_->push_back(text);
    pointerSeen = ui::mousePointer();
  }
  int pointerSeen = -1;

 private:
  QStringList* texts_;
};

struct Stats {
  int files;
  double size;
  int totalDirs;
  int totalFiles;
  double totalSize;
  bool operator==(const Stats&) const = default;
};
void PrintTo(const Stats& s, std::ostream* os) {
  *os << s.files << "/" << s.size << "/" << s.totalDirs << "/" << s.totalFiles << "/" << s.totalSize;
}

class FolderStatisticsTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    auto rec = std::make_unique<PanelRecorder>(&panel);
    recorder = rec.get();
    gfrmMain = std::move(rec);
  }
  void TearDown() override {
    gfrmMain.reset();
    CommandsTest::TearDown();
  }

  Stats stats(int pid) {
    auto rs = gDB->DB()->OpenRecordset(
        QStringLiteral("SELECT Files, Size, TotalDirs, TotalFiles, TotalSize FROM tblPATHS WHERE PID = %1").arg(pid),
        jet::RecordsetType::Snapshot);
    Stats s{rs->Fields(0).Value().toInt(), rs->Fields(1).Value().toDouble(), rs->Fields(2).Value().toInt(),
            rs->Fields(3).Value().toInt(), rs->Fields(4).Value().toDouble()};
    EXPECT_FALSE(rs->Fields(0).Value().isNull());
    EXPECT_FALSE(rs->Fields(1).Value().isNull());
    rs->Close();
    return s;
  }

  // Volume 1: root 1 {a, b, .versteckt}, A (2) {c} with C (4) {d, e}, B (3) empty.
  // Volume 2: a root without files.
  void buildTree() {
    addVolume(1, "Daten", "/mnt/daten/");
    addVolume(2, "Leer", "/mnt/leer/");
    addPath(1, 1, rt::Null, rt::Null);
    addPath(2, 1, "A", 1);
    addPath(3, 1, "B", 1);
    addPath(4, 1, "C", 2);
    addPath(10, 2, rt::Null, rt::Null);
    addFile(1, 1, "a", 10);
    addFile(2, 1, "b", 20);
    addFile(3, 1, ".versteckt", 100);
    addFile(4, 2, "c", 5);
    addFile(5, 4, "d", 1);
    addFile(6, 4, "e", 2);
  }

  QStringList panel;
  PanelRecorder* recorder = nullptr;
};

TEST_F(FolderStatisticsTest, OwnAndTotalValuesOfEveryFolder) {
  buildTree();
  cDBUpdate004().DoUpdate004();
  EXPECT_EQ(stats(1), (Stats{3, 130, 3, 6, 138}));
  EXPECT_EQ(stats(2), (Stats{1, 5, 1, 3, 8}));
  EXPECT_EQ(stats(3), (Stats{0, 0, 0, 0, 0}));
  EXPECT_EQ(stats(4), (Stats{2, 3, 0, 2, 3}));
  EXPECT_EQ(stats(10), (Stats{0, 0, 0, 0, 0}));
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Fertig.");
  EXPECT_EQ(boxes->shown[0].style, ui::kInformation);
}

TEST_F(FolderStatisticsTest, ProgressInPanelOneWithTheHourglass) {
  buildTree();
  cDBUpdate004().DoUpdate004();
  EXPECT_EQ(panel, QStringList({"", "Update läuft (0%)", "Update läuft (20%)", "Update läuft (40%)",
                                "Update läuft (60%)", "Update läuft (80%)", "", ""}));
  EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
}

TEST_F(FolderStatisticsTest, EmptyCatalogueIsDone) {
  cDBUpdate004().DoUpdate004();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Fertig.");
}

TEST_F(FolderStatisticsTest, WithoutMainWindowStillRuns) {
  buildTree();
  gfrmMain.reset();
  cDBUpdate004().DoUpdate004();
  EXPECT_EQ(stats(1).totalFiles, 6);
}

TEST_F(FolderStatisticsTest, ChildWithALowerKeyThanItsParentIsCounted) {
  // Keys need not follow the tree: an imported or re-parented folder may sort before its parent.
  addVolume(1, "Daten", "/mnt/daten/");
  addPath(5, 1, rt::Null, rt::Null);
  addPath(3, 1, "A", 5);
  addPath(2, 1, "B", 3);
  addFile(1, 5, "r", 100);
  addFile(2, 3, "a", 10);
  addFile(3, 2, "b", 1);
  cDBUpdate004().DoUpdate004();
  EXPECT_EQ(stats(2), (Stats{1, 1, 0, 1, 1}));
  EXPECT_EQ(stats(3), (Stats{1, 10, 1, 2, 11}));
  EXPECT_EQ(stats(5), (Stats{1, 100, 2, 3, 111}));
}

TEST_F(FolderStatisticsTest, CatalogueClosedWhileMessagesArePumpedEndsInTheErrorBox) {
  buildTree();
  QTimer::singleShot(0, [] { gDB->setDBPath(QString()); });
  cDBUpdate004().DoUpdate004();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].style, ui::kCritical);
  EXPECT_EQ(boxes->shown[0].text, "Das Objekt ist nicht mehr gültig (geschlossen).");
  EXPECT_EQ(panel.back(), "");
  EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
}

TEST_F(FolderStatisticsTest, ParentCycleEndsAndCountsEachFolderOnce) {
  addVolume(1, "Kaputt", "/mnt/k/");
  addPath(20, 1, "X", 21);
  addPath(21, 1, "Y", 20);
  addFile(1, 20, "x", 1);
  addFile(2, 21, "y", 2);
  cDBUpdate004().DoUpdate004();
  EXPECT_EQ(boxes->shown.back().text, "Fertig.");
  EXPECT_EQ(stats(20).totalDirs, 1);
  EXPECT_EQ(stats(21).totalDirs, 1);
  EXPECT_EQ(stats(20), (Stats{1, 1, 1, 2, 3}));
  EXPECT_EQ(stats(21), (Stats{1, 2, 1, 2, 3}));
}

TEST_F(FolderStatisticsTest, FolderWithoutVolumeStopsWithErrorAndKeepsEarlierRows) {
  buildTree();
  gDB->setDBPath(QString());
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw,
                         "PRAGMA foreign_keys=OFF; INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, "
                         "TotalDirs, TotalFiles, TotalSize) VALUES (3, 77, 'B', 1, 99, 99, 99, 99, 99) "
                         "ON CONFLICT(PID) DO UPDATE SET VolumeID = 77;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
  ASSERT_TRUE(DBOpen(path, 0));
  boxes->shown.clear();
  cDBUpdate004().DoUpdate004();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].style, ui::kCritical);
  EXPECT_NE(boxes->shown[0].text, "Fertig.");
  EXPECT_EQ(stats(1).totalFiles, 6);   // before the broken row: written
  EXPECT_EQ(stats(4).totalFiles, 99);  // after it: untouched
  EXPECT_EQ(panel.back(), "");
  EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
}

// The run pumps once per row: a command started meanwhile (here a button of the main window)
// must not run until it ends.
TEST_F(FolderStatisticsTest, ClickElsewhereDuringTheRunDoesNothing) {
  buildTree();
  QPushButton other(QStringLiteral("Katalog schließen"));
  int clicks = 0;
  QObject::connect(&other, &QPushButton::clicked, [&] { ++clicks; });
  other.show();
  QTimer::singleShot(0, [&] { QTest::mouseClick(&other, Qt::LeftButton); });
  cDBUpdate004().DoUpdate004();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(stats(1).totalFiles, 6);
  QTest::mouseClick(&other, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
