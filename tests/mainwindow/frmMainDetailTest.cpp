// The panes as a new user meets them: a real folder tree read by the volume reader, opened in
// the main window, and every field of the category, volume and folder panes, the file list
// and the information lists checked in the German formats after real clicks in the tree.
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlInfo.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/registry/Registry.h"
#include "tests/mainwindow/PaneFixture.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

const QString kOptionsKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Options");

class DetailTest : public PaneFixture {
 protected:
  QStringList fileRows() const {
    QTreeWidget* list = window->picFolder->LVFiles;
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* r = list->topLevelItem(i);
      out << QStringList{r->text(0), r->text(1), r->text(2), r->text(3)}.join("|");
    }
    return out;
  }
  QStringList fileNames() const {
    QStringList out;
    for (const QString& r : fileRows()) out << r.section('|', 0, 0);
    return out;
  }
  QString iconKeyOf(const QString& name) const { return detail().FileIconKey(name); }
  // What the pane offers, and the toolbar button follows it.
  bool runEnabled() const {
    EXPECT_EQ(item("TB_Run")->isEnabled(), detail().RunOffered());
    return detail().RunOffered();
  }
  static QImage imageOf(const QPixmap& p) { return p.toImage().convertToFormat(QImage::Format_ARGB32); }
};

// Calls back whenever the widget paints.
class PaintRecorder : public QObject {
 public:
  PaintRecorder(QWidget* w, std::function<void()> onPaint) : onPaint_(std::move(onPaint)) {
    w->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) onPaint_();
    return false;
  }

 private:
  std::function<void()> onPaint_;
};

}  // namespace

TEST_F(DetailTest, EveryPaneShowsTheStoredValuesInGermanFormats) {
  openRead();
  const QString root = dir + "/daten/";

  // The category pane, with its totals switched on in the View menu.
  ASSERT_TRUE(click("C2"));
  CategoryPane& cat = *window->picCategory;
  EXPECT_EQ(visiblePane(), "category");
  EXPECT_EQ(cat.CatName->text(), "Fotos");
  EXPECT_EQ(cat.CatDescription->toPlainText(), "Urlaube und Feste");
  EXPECT_EQ(imageOf(cat.CatIcon->pixmap()), imageOf(tree()->ImageList().pixmap("i12")));
  EXPECT_TRUE(cat.CatIconEdit->isEnabled());
  EXPECT_FALSE(cat.CatIconDelete->isEnabled());
  EXPECT_FALSE(cat.LVCategoryInfo->isVisible());  // off by default
  item("mMainView_CategoryInfo")->trigger();
  EXPECT_TRUE(cat.LVCategoryInfo->isVisible());
  EXPECT_EQ(rows(cat.LVCategoryInfo), (QStringList{"Volumes|1", "Dateien|8", "Größe|2.111.087 Bytes (2,0 MB)"}));
  EXPECT_FALSE(runEnabled());
  // The category above holds it with all its totals; an empty one shows zeros.
  ASSERT_TRUE(click("C1"));
  EXPECT_EQ(cat.CatName->text(), "Archiv");
  EXPECT_EQ(cat.CatDescription->toPlainText(), "");
  EXPECT_EQ(rows(cat.LVCategoryInfo), (QStringList{"Volumes|1", "Dateien|8", "Größe|2.111.087 Bytes (2,0 MB)"}));
  ASSERT_TRUE(click("C3"));
  EXPECT_EQ(rows(cat.LVCategoryInfo), (QStringList{"Volumes|0", "Dateien|0", "Größe|0"}));

  // The volume pane.
  node("C1")->setExpanded(true);
  node("C2")->setExpanded(true);
  ASSERT_TRUE(click("V1"));
  VolumePane& vol = *window->picVolume;
  EXPECT_EQ(visiblePane(), "volume");
  EXPECT_EQ(vol.VID->text(), "1");
  EXPECT_EQ(vol.VolumeName->text(), "Sicherung 2021");
  EXPECT_EQ(vol.VolumeDescription->text(), "Alles von damals");
  EXPECT_EQ(vol.VolumePath->text(), root);
  EXPECT_EQ(vol.VolumeDate->text(), "14.09.2021 16:05:09");
  EXPECT_EQ(vol.VolumeTypeString->text(), "Festplatte");
  EXPECT_EQ(vol.VolumeLabel->text(), "DATEN");
  EXPECT_EQ(vol.VolumeSerial->text(), "-1234567");
  EXPECT_EQ(vol.Computername->text(), "werkbank");
  EXPECT_EQ(vol.VolumeLocID->currentText(), "Keller");
  EXPECT_EQ(vol.VolumeLocID->count(), 3);  // "(Keiner)", Dachboden, Keller
  EXPECT_EQ(vol.VolumeMemo->toPlainText(), "Regal 2, Fach 4");
  EXPECT_TRUE(vol.LVVolumeInfo->isVisible());  // on by default
  EXPECT_EQ(rows(vol.LVVolumeInfo), (QStringList{"Ordner|3", "Dateien|8", "Größe|2.111.087 Bytes (2,0 MB)"}));
  for (QLineEdit* fixed : {vol.VID, vol.VolumePath, vol.VolumeDate, vol.VolumeTypeString, vol.VolumeLabel,
                           vol.VolumeSerial, vol.Computername})
    EXPECT_TRUE(fixed->isReadOnly()) << fixed->objectName().toStdString();
  EXPECT_FALSE(vol.VolumeName->isReadOnly());
  EXPECT_FALSE(runEnabled());

  // The root folder: its own files, sorted by name, and the totals of the whole tree. A first
  // run shows the system's icons; the built-in ones are checked here.
  gOptions->setIconMode(0);
  ASSERT_TRUE(clickFolder(root + " [Root]"));
  EXPECT_EQ(visiblePane(), "folder");
  const auto date = [](const char* iso) {
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toString("dd.MM.yy");
  };
  EXPECT_EQ(fileRows(), (QStringList{"notiz.txt|0,0 KB|" + date("2021-01-02T03:04:05") + "|-",
                                     "README|0,1 KB|" + date("2019-12-31T23:59:59") + "|-",
                                     "setup.EXE|10,0 KB|" + date("2020-02-29T08:00:00") + "|-"}));
  EXPECT_EQ(rows(window->picFolder->LVFolderInfo),
            (QStringList{"Pfad|" + root, "Dateien|3", "Größe|10.350 Bytes (10,1 KB)",
                         QString(20, '-') + "|" + QString(50, '-'), "Gesamtgröße|2.111.087 Bytes (2,0 MB)",
                         "Dateien gesamt|8", "Unterordner|3"}));
  EXPECT_TRUE(runEnabled());
  QTreeWidget* files = window->picFolder->LVFiles;
  EXPECT_EQ(files->currentItem(), files->topLevelItem(0));
  EXPECT_EQ(ui::itemKey(files->topLevelItem(0)), "A" + stored("SELECT FID FROM tblFILES WHERE Filename = "
                                                              "'notiz.txt'")
                                                           .toText());
  // Icon mode 0: a program, a known type, and a name without extension.
  EXPECT_EQ(iconKeyOf("setup.EXE"), "B0");
  EXPECT_EQ(iconKeyOf("notiz.txt"), "B1");
  EXPECT_EQ(iconKeyOf("README"), "B2");
  EXPECT_FALSE(files->topLevelItem(1)->icon(0).isNull());

  // A folder without subfolders: three rows; sizes at the unit borders.
  ASSERT_TRUE(clickFolder("Klassik"));
  EXPECT_EQ(fileNames(), (QStringList{"bach.mp3", "mozart.mp3"}));
  EXPECT_EQ(fileRows()[0].section('|', 1, 1), "1024,0 KB");
  EXPECT_EQ(fileRows()[1].section('|', 1, 1), "1,0 MB");
  EXPECT_EQ(rows(window->picFolder->LVFolderInfo),
            (QStringList{"Pfad|" + root + "Musik/Klassik/", "Dateien|2", "Größe|2.097.153 Bytes (2,0 MB)"}));
  // A folder with nothing of its own but a subfolder: zeros, then the totals.
  ASSERT_TRUE(clickFolder("Musik"));
  EXPECT_TRUE(fileRows().isEmpty());
  EXPECT_FALSE(runEnabled());
  EXPECT_EQ(rows(window->picFolder->LVFolderInfo),
            (QStringList{"Pfad|" + root + "Musik/", "Dateien|0", "Größe|0", QString(20, '-') + "|" + QString(50, '-'),
                         "Gesamtgröße|2.097.153 Bytes (2,0 MB)", "Dateien gesamt|2", "Unterordner|1"}));

  // A filled list offers to open a file, a clicked row too; a category shown afterwards does not,
  // though the hidden list keeps its rows.
  ASSERT_TRUE(clickFolder("Bilder"));
  EXPECT_TRUE(runEnabled());
  QTreeWidgetItem* strand = files->findItems("Strand.JPG", Qt::MatchExactly).value(0);
  ASSERT_NE(strand, nullptr);
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(strand).center());
  EXPECT_EQ(files->currentItem(), strand);
  EXPECT_TRUE(runEnabled());
  ASSERT_TRUE(click("C3"));
  EXPECT_FALSE(runEnabled());
  EXPECT_GT(files->topLevelItemCount(), 0);
}

TEST_F(DetailTest, TheFileListSortsByTheStoredSizesAndDatesAndAlwaysAscending) {
  openRead();
  ASSERT_TRUE(clickFolder("Bilder"));
  QHeaderView* header = window->picFolder->LVFiles->header();
  const auto clickHeader = [&](int column) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
  };
  // Names in the catalogue's order: letter case and umlauts do not count.
  EXPECT_EQ(fileNames(), (QStringList{"grösse.png", "Strand.JPG", "urlaub.jpg"}));
  // Sizes by bytes, dates by time: as texts "01.08.20" would come before "25.07.19", and
  // "1,0 MB" before "1024,0 KB".
  clickHeader(1);
  EXPECT_EQ(fileNames(), (QStringList{"grösse.png", "urlaub.jpg", "Strand.JPG"}));
  clickHeader(2);
  EXPECT_EQ(fileNames(), (QStringList{"urlaub.jpg", "Strand.JPG", "grösse.png"}));
  // A second click keeps the order ascending.
  clickHeader(2);
  EXPECT_EQ(fileNames(), (QStringList{"urlaub.jpg", "Strand.JPG", "grösse.png"}));
  // The order holds for the next folder as well.
  ASSERT_TRUE(clickFolder("Klassik"));
  EXPECT_EQ(fileNames(), (QStringList{"mozart.mp3", "bach.mp3"}));
  clickHeader(1);
  EXPECT_EQ(fileNames(), (QStringList{"bach.mp3", "mozart.mp3"}));
  clickHeader(0);
  EXPECT_EQ(fileNames(), (QStringList{"bach.mp3", "mozart.mp3"}));
}

TEST_F(DetailTest, FileTypesAreLookedUpOncePerExtensionInEitherIconMode) {
  openRead();
  gOptions->setIconMode(0);
  QStringList typeLookups, iconLookups;
  detail().FileIcons().setLookups(
      [&](const QString& e) {
        typeLookups << e;
        return ExtensionType(e);
      },
      [&](const QString& e) {
        iconLookups << e;
        // A type the desktop has no picture for: the unknown-type image stands in.
        return e == "txt" ? QPixmap() : QPixmap(16, 16);
      });
  ASSERT_TRUE(clickFolder("Bilder"));
  ASSERT_TRUE(clickFolder("Klassik"));
  ASSERT_TRUE(clickFolder("Bilder"));
  // jpg and JPG are one type, as the system's types are.
  EXPECT_EQ(typeLookups, (QStringList{"png", "JPG", "mp3"}));
  EXPECT_TRUE(iconLookups.isEmpty());

  gOptions->setIconMode(1);
  detail().ShowPath();
  ASSERT_TRUE(clickFolder(dir + "/daten/ [Root]"));
  detail().ShowPath();
  EXPECT_EQ(iconLookups, (QStringList{"png", "JPG", "txt", "???", "EXE"}));
  EXPECT_EQ(iconKeyOf("README"), "A???");
  EXPECT_EQ(iconKeyOf("notiz.txt"), "Atxt");
  EXPECT_FALSE(window->picFolder->LVFiles->topLevelItem(0)->icon(0).isNull());
  // Back in mode 0 the types met before are not looked up again.
  gOptions->setIconMode(0);
  detail().ShowPath();
  EXPECT_EQ(typeLookups, (QStringList{"png", "JPG", "mp3", "txt", "???", "EXE"}));
  EXPECT_EQ(iconKeyOf("README"), "B2");
}

TEST_F(DetailTest, TotalsComeFromTheCacheUntilTheViewIsRefreshed) {
  openRead();
  item("mMainView_CategoryInfo")->trigger();
  ASSERT_TRUE(click("C3"));
  EXPECT_EQ(rows(window->picCategory->LVCategoryInfo)[0], "Volumes|0");
  EXPECT_TRUE(detail().InfoCache().IDExists(3, pInfoColl::Category));
  // A volume filed under it behind the window's back: the cached totals stay.
  gDB->DB()->Execute(
      "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, CatID) "
      "VALUES (2, 'Neu', '/mnt/neu/', 3, 45000, 3)");
  ASSERT_TRUE(click("C1"));
  ASSERT_TRUE(click("C3"));
  EXPECT_EQ(rows(window->picCategory->LVCategoryInfo)[0], "Volumes|0");
  // Refreshing the view empties the cache: the new volume counts.
  item("mMainView_Refresh")->trigger();
  EXPECT_EQ(detail().InfoCache().Count(pInfoColl::Category), 0);
  ASSERT_TRUE(click("C3"));
  EXPECT_EQ(rows(window->picCategory->LVCategoryInfo)[0], "Volumes|1");
  // A folder that is not in the catalogue is cached with zeros and no total rows.
  const auto info = PathInfo(999, detail().InfoCache());
  EXPECT_TRUE(info->Path.isEmpty());
  EXPECT_FALSE(info->ExtendedInfo);
  EXPECT_TRUE(detail().InfoCache().IDExists(999, pInfoColl::Folder));
  std::vector<PropItem> props;
  PathInfo2InfoData(*info, props);
  ASSERT_EQ(props.size(), 3u);
  EXPECT_EQ(props[2].Value, "0");
}

TEST_F(DetailTest, TheViewMenuHidesAndShowsTheListsAndKeepsTheChoice) {
  openRead();
  node("C1")->setExpanded(true);
  node("C2")->setExpanded(true);
  ASSERT_TRUE(click("V1"));
  QTreeWidget* list = window->picVolume->LVVolumeInfo;
  const int memoHeight = window->picVolume->VolumeMemo->height();
  ASSERT_TRUE(list->isVisible());
  item("mMainView_VolumeInfo")->trigger();
  EXPECT_FALSE(list->isVisible());
  EXPECT_FALSE(gOptions->ViewVolumeInfo());
  QTRY_VERIFY(window->picVolume->VolumeMemo->height() > memoHeight);
  // Switched on again, it is filled anew for the shown volume.
  list->clear();
  item("mMainView_VolumeInfo")->trigger();
  EXPECT_TRUE(list->isVisible());
  EXPECT_TRUE(gOptions->ViewVolumeInfo());
  EXPECT_EQ(rows(list).value(0), "Ordner|3");
  // With another kind of node shown only the choice changes; the next volume shows it.
  ASSERT_TRUE(click("C1"));
  item("mMainView_VolumeInfo")->trigger();
  EXPECT_FALSE(gOptions->ViewVolumeInfo());
  EXPECT_TRUE(window->picCategory->isVisible());
  ASSERT_TRUE(click("V1"));
  EXPECT_FALSE(list->isVisible());
  // The choices are stored as options.
  item("mMainView_FolderInfo")->trigger();
  window->close();
  settle();
  for (const char* name : {"ViewVolumeInfo", "ViewFolderInfo"}) {
    registry::Value v;
    ASSERT_EQ(registry::queryValue(registry::HKEY_CURRENT_USER, kOptionsKey, name, v), registry::kSuccess) << name;
    EXPECT_EQ(v.toText(), "0") << name;
  }
}

TEST_F(DetailTest, ALocationNotInTheListAndAnUnknownTypeShowAsNone) {
  openRead();
  gDB->DB()->Execute("UPDATE tblVOLUMES SET LocID = 77, VolumeType = 9, Description = NULL WHERE VID = 1");
  node("C1")->setExpanded(true);
  node("C2")->setExpanded(true);
  ASSERT_TRUE(click("V1"));
  VolumePane& vol = *window->picVolume;
  EXPECT_EQ(vol.VolumeLocID->currentText(), "(Keiner)");
  EXPECT_EQ(vol.VolumeTypeString->text(), "");
  EXPECT_EQ(vol.VolumeDescription->text(), "");
  gDB->DB()->Execute("UPDATE tblVOLUMES SET LocID = NULL WHERE VID = 1");
  ASSERT_TRUE(click("C1"));
  ASSERT_TRUE(click("V1"));
  EXPECT_EQ(vol.VolumeLocID->currentText(), "(Keiner)");
  // Showing a location is no edit: leaving the box writes nothing.
  vol.VolumeLocID->setFocus();
  leaveField();
  EXPECT_TRUE(stored("SELECT LocID FROM tblVOLUMES WHERE VID = 1").isNull());
  EXPECT_TRUE(boxes->shown.empty());
}

// The name column takes what the other columns leave, so long names are not cut while the
// description column stretches; it follows the window's size.
TEST_F(DetailTest, TheFileNameColumnTakesTheRestOfTheListsWidth) {
  openRead();
  node("C1")->setExpanded(true);
  node("C2")->setExpanded(true);
  ASSERT_TRUE(click("V1"));
  ASSERT_TRUE(clickFolder(dir + "/daten/ [Root]"));
  QTreeWidget* list = window->picFolder->LVFiles;
  const auto gap = [list] {
    int sum = 0;
    for (int i = 0; i < list->columnCount(); ++i) sum += list->columnWidth(i);
    return list->width() - sum;
  };
  const int scrollBar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  QTRY_VERIFY2(gap() >= scrollBar && gap() <= scrollBar + 10, qPrintable(QString::number(gap())));
  const int before = list->columnWidth(0);
  window->resize(window->width() + 200, window->height());
  QTRY_VERIFY(list->columnWidth(0) > before + 100);
  EXPECT_LE(gap(), scrollBar + 10);
}

// While a volume's totals are read the status panel says so, cut with " ..." to the panel's
// width but keeping every character that has room, whatever the window's width.
TEST_F(DetailTest, TheStatusTextKeepsWhatFitsThePanel) {
  openRead();
  node("C1")->setExpanded(true);
  node("C2")->setExpanded(true);
  QLabel* panel = window->SBPanel1;
  const QString message = gErr->MsgLoad(187);
  // Status texts are measured in the window's text font (the tree's), as the window cuts them.
  const QFontMetrics fm(window->TextFont());
  QStringList shown;
  PaintRecorder recorder(panel, [&] {
    if (!panel->text().isEmpty()) shown << panel->text();
  });
  for (const int percent : {50, 57, 64, 71, 78, 85}) {
    // A window narrow enough that the panel cannot show the whole text.
    const int width = fm.horizontalAdvance(message) * percent / 100;
    SCOPED_TRACE(width);
    window->resize(width, window->height());
    ASSERT_TRUE(QTest::qWaitFor([&] { return fm.horizontalAdvance(message) > panel->width(); }, 5000))
        << panel->width();
    ASSERT_TRUE(click("C1"));
    shown.clear();
    ASSERT_TRUE(click("V1"));
    ASSERT_FALSE(shown.isEmpty());
    const QString text = shown.first();
    ASSERT_TRUE(text.endsWith(" ...")) << text.toStdString();
    const QString kept = text.chopped(4);
    EXPECT_TRUE(message.startsWith(kept)) << text.toStdString();
    EXPECT_LE(fm.horizontalAdvance(text), panel->width()) << text.toStdString();
    EXPECT_GT(fm.horizontalAdvance(message.left(kept.size() + 1) + " ..."), panel->width()) << text.toStdString();
    EXPECT_TRUE(panel->text().isEmpty());
  }
}
