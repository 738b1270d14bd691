#include "catalogue/FolderPaths.h"
#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/widgets/mdlCommand_categoriesw.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/cuAppError.h"
#include "platform/registry/HiveFile.h"
#include "platform/runtime/App.h"
#include "platform/ui/ShellOpen.h"
#include "tests/catalogue/commands/CommandsFixture.h"
#include "windows/capture/frmProperties.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

QStringList names(const std::vector<CatItem>& list) {
  QStringList r;
  for (const CatItem& c : list) r << c.CatName;
  return r;
}

QStringList entries(const QComboBox& combo) {
  QStringList r;
  for (int i = 0; i < combo.count(); ++i) r << combo.itemText(i) + "=" + combo.itemData(i).toString();
  return r;
}

// A(1) > B(5) > E(7); A > D(3); C(2) top level without children.
class CategoryTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    addCategory(1, "A");
    addCategory(5, "B", 1);
    addCategory(3, "D", 1);
    addCategory(7, "E", 5);
    addCategory(2, "C");
  }
};

TEST_F(CategoryTest, AncestorsTopMostFirst) {
  std::vector<CatItem> list{{99, "alt"}};
  EXPECT_EQ(fCatArrayParent(7, list), 2);
  EXPECT_EQ(names(list), QStringList({"A", "B"}));
  EXPECT_EQ(fCatStringParent(7), "A > B");
  EXPECT_EQ(fCatArrayParent(1, list), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(fCatStringParent(1), "");
  EXPECT_EQ(fCatArrayParent(4711, list), 0);
}

TEST_F(CategoryTest, DescendantsDepthFirstByAscendingId) {
  std::vector<CatItem> list;
  EXPECT_EQ(fCatArraySub(1, list), 3);
  EXPECT_EQ(names(list), QStringList({"D", "B", "E"}));
  EXPECT_EQ(fCatArraySub(2, list), 0);
  EXPECT_TRUE(list.empty());
}

TEST_F(CategoryTest, NamesAndTheirErrorsIgnored) {
  EXPECT_EQ(fCatName(5), "B");
  EXPECT_EQ(fCatName(4711), "");
  gDB->setDBPath(QString());
  EXPECT_EQ(fCatName(5), "");
  const rt::RaisedError e = raised([] {
    std::vector<CatItem> l;
    fCatArraySub(1, l);
  });
  EXPECT_NE(e.number, 0);
  EXPECT_TRUE(e.source.contains("mdlCommand: fCatArraySub")) << e.source.toStdString();
}

TEST_F(CategoryTest, ParentCycleEnds) {
  addCategory(10, "X", 11);
  addCategory(11, "Y", 10);
  std::vector<CatItem> list;
  EXPECT_EQ(fCatArrayParent(10, list), 1);
  EXPECT_EQ(names(list), QStringList({"Y"}));
  EXPECT_EQ(fCatArraySub(10, list), 1);
  EXPECT_EQ(names(list), QStringList({"Y"}));
  EXPECT_EQ(fCatStringParent(11), "X");
}

// A move may go anywhere except into the moved category's own subtree, which would leave the
// catalogue with a loop of parents.
TEST_F(CategoryTest, MovesNeverCloseALoop) {
  struct Case {
    int cid;
    rt::Variant parent;
    bool moved;
  } cases[] = {
      {5, rt::Variant(2), true},   // B below C
      {5, rt::Null, true},         // B to the top level
      {1, rt::Variant(7), false},  // A below its grandchild E
      {1, rt::Variant(3), false},  // A below its child D
      {3, rt::Variant(3), false},  // D below itself
      {99, rt::Variant(2), true},  // unknown: nothing to write
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cid);
    exec("UPDATE tblCATEGORIES SET Parent = 1 WHERE CID = 3 OR CID = 5");
    exec("UPDATE tblCATEGORIES SET Parent = NULL WHERE CID = 1");
    const rt::Variant before = value(QString("SELECT Parent FROM tblCATEGORIES WHERE CID = %1").arg(c.cid));
    EXPECT_EQ(fCatMove(c.cid, c.parent), c.moved);
    EXPECT_EQ(value(QString("SELECT Parent FROM tblCATEGORIES WHERE CID = %1").arg(c.cid)),
              c.moved && c.cid != 99 ? c.parent : before);
  }
  addVolume(20, "Platte", "/mnt/", 1);
  fVolumeMove(20, rt::Variant(7));
  EXPECT_EQ(value("SELECT CatID FROM tblVOLUMES WHERE VID = 20"), rt::Variant(7));
  fVolumeMove(20, rt::Null);
  EXPECT_EQ(value("SELECT CatID FROM tblVOLUMES WHERE VID = 20"), rt::Null);
  fVolumeMove(21, rt::Variant(7));
  EXPECT_EQ(value("SELECT Count(*) FROM tblVOLUMES"), rt::Variant(1));
  EXPECT_TRUE(boxes->shown.empty());
}

TEST_F(CategoryTest, DeepChainNeedsNoDeepStack) {
  for (int i = 100; i < 700; ++i) addCategory(i, QString::number(i), i == 100 ? rt::Null : rt::Variant(i - 1));
  std::vector<CatItem> list;
  EXPECT_EQ(fCatArraySub(100, list), 599);
  EXPECT_EQ(fCatArrayParent(699, list), 599);
  EXPECT_EQ(list.front().CID, 100);
}

TEST_F(CategoryTest, VolumesOfSubCategoriesThenOwn) {
  addVolume(20, "own", "/o/", 1);
  addVolume(21, "inE", "/e/", 7);
  addVolume(22, "inD", "/d/", 3);
  addVolume(23, "other", "/x/", 2);
  std::vector<int32_t> vols{1, 2};
  EXPECT_EQ(fCatVolumeCount(1, vols), 3);
  EXPECT_EQ(vols, (std::vector<int32_t>{22, 21, 20}));
  EXPECT_EQ(fCatVolumeCount(5, vols), 1);
  EXPECT_EQ(vols, (std::vector<int32_t>{21}));
  exec("DELETE FROM tblVOLUMES");
  EXPECT_EQ(fCatVolumeCount(1, vols), 0);
  EXPECT_TRUE(vols.empty());
}

TEST_F(CategoryTest, IconsSavedAndLoaded) {
  EXPECT_FALSE(fCatIconLoad(1).has_value());
  EXPECT_FALSE(fCatIconLoad(4711).has_value());
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(Qt::red);
  fCatIconSave(1, Picture::fromImage(img));
  fCatIconSave(4711, Picture::fromImage(img));
  const auto loaded = fCatIconLoad(1, gDB->DB().get());
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(loaded->image().pixelColor(8, 8), QColor(Qt::red));
}

TEST_F(CategoryTest, ComboShowsPathsAndLeavesOutExclusions) {
  QComboBox combo;
  combo.addItem("alt");
  fCatFillCombo(&combo, std::nullopt);
  EXPECT_EQ(entries(combo), QStringList({"(Keine)=0", "A=1", "A > B=5", "C=2", "A > D=3", "A > B > E=7"}));
  EXPECT_EQ(combo.currentIndex(), 0);
  fCatFillCombo(&combo, std::vector<int32_t>{5, 2});
  EXPECT_EQ(entries(combo), QStringList({"(Keine)=0", "A=1", "A > D=3", "A > B > E=7"}));
  exec("DELETE FROM tblCATEGORIES");
  fCatFillCombo(&combo, std::nullopt);
  EXPECT_EQ(entries(combo), QStringList({"(Keine)=0"}));
}

// Volume 1 at /mnt/d/: root 1 > Daten 2 > Fotos 3.
class OtherCommandsTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    addVolume(1, "Platte", "/mnt/d/");
    addPath(1, 1, rt::Null, rt::Null);
    addPath(2, 1, "Daten", 1);
    addPath(3, 1, "Fotos", 2);
    addFile(1, 3, "bild.jpg", 1536, 37653.170208333335, "Urlaub");
    addFile(2, 1, "x", 0);
  }
};

TEST_F(OtherCommandsTest, PathFullName) {
  EXPECT_EQ(PathFullName(3, rt::Null, true), "/mnt/d/Daten/Fotos/");
  EXPECT_EQ(PathFullName(1, rt::Null, true), "/mnt/d/");
  EXPECT_EQ(PathFullName(1, "/media/x", false), "/media/x/");
  EXPECT_EQ(PathFullName(3, rt::Null, false), "Daten/Fotos/");
  EXPECT_EQ(PathFullName(1, rt::Null, false), "");
  EXPECT_EQ(PathFullName(4711, rt::Null, true), "");
  exec("UPDATE tblPATHS SET Parent = 3 WHERE PID = 1");
  EXPECT_EQ(PathFullName(3, rt::Null, false), "Daten/Fotos/");
}

TEST_F(OtherCommandsTest, FolderPathsRememberedGiveTheWalksAnswerInAnyOrder) {
  // Beside the chain 1 > 2 > 3: a folder whose parent is missing, a cycle 20 <-> 21 with a
  // child 22, a folder under the cycle's child, and a name ending in the separator.
  addPath(4, 1, "Urlaub", 3);
  addPath(5, 1, "Waise", 99);
  addPath(6, 1, "unter Waise", 5);
  addPath(20, 1, "Ring A", 21);
  addPath(21, 1, "Ring B", 20);
  addPath(22, 1, "am Ring", 21);
  addPath(23, 1, "tief", 22);
  addPath(24, 1, "schräg/", 2);
  addPath(25, 1, "leer", 24);
  const std::vector<int32_t> ids{1, 2, 3, 4, 5, 6, 20, 21, 22, 23, 24, 25, 4711};
  std::map<int32_t, QString> alone;
  for (int32_t id : ids) alone[id] = FolderPaths(*gDB->DB()).Of(id);
  EXPECT_EQ(alone[4], "Daten/Fotos/Urlaub/");
  EXPECT_EQ(alone[6], "Waise/unter Waise/");
  EXPECT_EQ(alone[23], "Ring A/Ring B/am Ring/tief/");
  EXPECT_EQ(alone[25], "Daten/schräg/leer/");
  EXPECT_EQ(alone[1], "");
  EXPECT_EQ(alone[4711], "");
  std::vector<int32_t> order = ids;
  for (int round = 0; round < 4; ++round) {
    FolderPaths shared(*gDB->DB());
    for (int32_t id : order) EXPECT_EQ(shared.Of(id), alone[id]) << id << " in round " << round;
    for (int32_t id : order) EXPECT_EQ(shared.Of(id), alone[id]) << id << " again in round " << round;
    std::rotate(order.begin(), order.begin() + 5, order.end());
    if (round == 1) std::reverse(order.begin(), order.end());
  }
  // The full path adds the volume's own path to the same folder part.
  for (int32_t id : ids) {
    if (id != 4711) {
      EXPECT_EQ(PathFullName(id, rt::Null, true), "/mnt/d/" + alone[id]) << id;
    }
  }
}

TEST_F(OtherCommandsTest, FolderPartOfADeepFolderAskedFirstKeepsItsOwnName) {
  // A chain far deeper than the remembered rows: checking the parent chain reads every row
  // above, and the folder's own name must survive those reads (under AddressSanitizer a row
  // moved by them is a use after free).
  constexpr int kDepth = 600;
  for (int pid = 100; pid < 100 + kDepth; ++pid)
    addPath(pid, 1, QStringLiteral("Ordner %1 mit einem Namen, der länger ist").arg(pid), pid == 100 ? 3 : pid - 1);
  for (int pid : {100 + kDepth - 1, 100 + kDepth / 2}) {
    FolderPaths paths(*gDB->DB());
    const FolderPaths::Part part = paths.PartOf(pid);
    EXPECT_EQ(part.parent, pid - 1);
    EXPECT_EQ(part.tail, QStringLiteral("Ordner %1 mit einem Namen, der länger ist/").arg(pid));
    EXPECT_EQ(paths.Of(part.parent) + part.tail, FolderPaths(*gDB->DB()).Of(pid));
  }
}

TEST_F(OtherCommandsTest, FileProperties) {
  std::vector<PropItem> list;
  EXPECT_EQ(fFileProperties(1, list), 5);
  ASSERT_EQ(list.size(), 6u);
  const QStringList want{"Datei=bild.jpg", "Größe=1.536 Bytes (1,5 KB)", "Letzte Änderung=01.02.2003 04:05:06",
                         "Volume=Platte",  "Pfad=/mnt/d/Daten/Fotos/",   "Beschreibung=Urlaub"};
  for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].Name + "=" + list[i].Value, want[int(i)]);
  fFileProperties(2, list);
  EXPECT_EQ(list[5].Value, "-");
  const rt::RaisedError e = raised([&] { fFileProperties(4711, list); });
  EXPECT_EQ(e.number, gErr->ProgramErrorNumber(125));
  EXPECT_TRUE(e.description.contains("4711"));
  EXPECT_TRUE(e.source.contains("mdlCommand: fFileProperties"));
}

TEST_F(OtherCommandsTest, LocationCombo) {
  QComboBox combo;
  fLocFillCombo(&combo);
  EXPECT_EQ(entries(combo), QStringList({"(Keiner)=0"}));
  exec("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (4, 'Keller'), (5, 'büro'), (6, 'Archiv')");
  fLocFillCombo(&combo);
  EXPECT_EQ(entries(combo), QStringList({"(Keiner)=0", "Archiv=6", "büro=5", "Keller=4"}));
  EXPECT_EQ(combo.currentIndex(), 0);
}

TEST(CommandTexts, FilterUrlsAndExtensions) {
  EXPECT_EQ(CatalogueFileFilter(), "Tolvarent Kerbolith-Datenbanken (*.qvk)|*.qvk");
  struct {
    const char* in;
    bool add;
    const char* out;
  } urls[] = {{"", true, ""},
              {"www.x.de", true, "http://www.x.de"},
              {"HTTP://www.x.de", true, "HTTP://www.x.de"},
              {"HTTP://www.x.de", false, "www.x.de"},
              {"www.x.de", false, "www.x.de"}};
  for (const auto& u : urls) EXPECT_EQ(MakeURL(u.in, u.add), u.out) << u.in;
  struct {
    const char* ext;
    int type;
  } exts[] = {{"EXE", 0}, {"Com", 0}, {"bat", 0}, {"pif", 0}, {"txt", 1}, {".txt", 1}, {".zzq7w", 2}, {".exe", 1}};
  for (const auto& x : exts) EXPECT_EQ(ExtensionType(x.ext), x.type) << x.ext;
}

TEST(CommandTexts, ClipboardRows) {
  QTreeWidget lv;
  lv.setColumnCount(2);
  new QTreeWidgetItem(&lv, {"Größe", "12 KB"});
  new QTreeWidgetItem(&lv, {"----------", ""});
  new QTreeWidgetItem(&lv, {"Pfad", "/a/"});
  QGuiApplication::clipboard()->setText("vorher");
  ListViewToClipboard(&lv, true);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "vorher");
  ListViewToClipboard(&lv, false);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "Größe: 12 KB\r\n----------\r\nPfad: /a/");
  lv.setCurrentItem(lv.topLevelItem(2));
  ListViewToClipboard(&lv, true);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "Pfad: /a/");
}

TEST(CommandTexts, FormFontOnEveryControl) {
  QWidget w;
  auto* lv = new QTreeWidget(&w);
  QFont bold = lv->font();
  bold.setBold(true);
  lv->setFont(bold);
  SetFormFont(&w);
  const QString want = QFontDatabase::families().contains("Tahoma", Qt::CaseInsensitive) ? "Tahoma" : "MS Sans Serif";
  EXPECT_EQ(FormFontName(), want);
  EXPECT_EQ(w.font().family(), want);
  EXPECT_EQ(lv->font().family(), want);
  EXPECT_TRUE(lv->font().bold());
}

class ShellTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    auto rec = std::make_unique<ui::RecordingShellOpener>();
    opener = rec.get();
    ui::setShellOpener(std::move(rec));
  }
  void TearDown() override {
    ui::setShellOpener(nullptr);
    CommandsTest::TearDown();
  }
  ui::RecordingShellOpener* opener = nullptr;
};

TEST_F(ShellTest, GoWebOpensTheBuiltInAddress) {
  GoWeb(nullptr);
  ASSERT_EQ(opener->opened.size(), 1u);
  EXPECT_EQ(opener->opened[0].target, "http://www.tolvarent.de");
  EXPECT_TRUE(boxes->shown.empty());
  opener->results.push_back(ui::kShellNoAssociation);
  GoWeb(nullptr);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text,
            "WinExecute-Fehler Nr. 31.\r\nDie Datei 'http://www.tolvarent.de' kann nicht geöffnet werden.");
  EXPECT_EQ(boxes->shown[0].style, 48);
}

TEST_F(ShellTest, GoWebOpensTheMachinesStoredAddress) {
  const QString file = testenv::freshTempDir() + "/hklm.json";
  registry::HiveFile(file, true)
      .setValue({"Software", "Tolvarent", "Kerbolith", "2.0", "Options"}, "URLQZ",
                registry::Value::text("https://example.org/kat"));
  const QByteArray saved = qgetenv("ZUVRAX_HKLM_FILE");
  qputenv("ZUVRAX_HKLM_FILE", file.toUtf8());
  GoWeb(nullptr);
  qputenv("ZUVRAX_HKLM_FILE", saved);
  ASSERT_EQ(opener->opened.size(), 1u);
  EXPECT_EQ(opener->opened[0].target, "https://example.org/kat");
}

TEST_F(ShellTest, HelpAtAMissingContextIsTold) {
  const QString saved = rt::App::helpFile();
  rt::App::setHelpFile(testenv::binDir() + "/zuvrax.chm");
  fHelpOpen(nullptr, 987654);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].style & 0xFF, ui::kCritical);
  EXPECT_TRUE(boxes->shown[0].text.contains("987654"));
  EXPECT_TRUE(boxes->shown[0].text.contains("zuvrax.chm"));
  rt::App::setHelpFile(saved);
}

TEST_F(ShellTest, PropertiesWindowShowsTheListModally) {
  RegisterPropertiesWindow();
  QString caption;
  QStringList rows;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<frmProperties*>(QApplication::activeModalWidget());
    ASSERT_TRUE(dlg);
    caption = dlg->windowTitle();
    for (int i = 0; i < dlg->LV()->topLevelItemCount(); ++i)
      rows << dlg->LV()->topLevelItem(i)->text(0) + "=" + dlg->LV()->topLevelItem(i)->text(1);
    dlg->kCopy_All()->trigger();
    dlg->accept();
  });
  OpenProperties("Eigenschaften", {{"Datei", "a.txt"}, {"Größe", "1 KB"}}, nullptr);
  EXPECT_EQ(caption, "Eigenschaften");
  EXPECT_EQ(rows, QStringList({"Datei=a.txt", "Größe=1 KB"}));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "Datei: a.txt\r\nGröße: 1 KB");
  EXPECT_TRUE(boxes->shown.empty());
  SetPropertiesWindowFactory(nullptr);
  OpenProperties("X", {}, nullptr);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].style & 0xFF, ui::kCritical);
}

}  // namespace
