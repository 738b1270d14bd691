// The icon table window on a copy of the template's icon rows: the two lists, replacing an icon
// from a picture file, putting the standard one back, and what must stay untouched when the
// user cancels, picks a file that is no picture, or the row is gone.
#include "foundation/widgets/mdlQZLib51_pictures.h"
#include "platform/ui/widgets/FileChooser.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/windows/maintenance/MaintenanceFixture.h"
#include "windows/maintenance/frmSystemIcons.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

using maintest::MaintenanceTest;

namespace {

QStringList texts(const QTreeWidget* lv) {
  QStringList r;
  for (int i = 0; i < lv->topLevelItemCount(); ++i) r << lv->topLevelItem(i)->text(0);
  return r;
}

QRgb pixelOf(const QIcon& icon, int x, int y) { return icon.pixmap(16, 16).toImage().pixel(x, y); }

class SystemIconsTest : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    auto ch = std::make_unique<ScriptedChooser>();
    chooser = ch.get();
    previousChooser = ui::setFileChooser(std::move(ch));
    dir = testenv::freshTempDir();
  }
  void TearDown() override {
    ui::setFileChooser(std::move(previousChooser));
    MaintenanceTest::TearDown();
  }

  // A picture file of one colour in dir.
  QString pictureFile(const QString& name, QSize size, QColor colour, const char* format) {
    QImage img(size, QImage::Format_ARGB32);
    img.fill(colour);
    const QString file = dir + "/" + name;
    EXPECT_TRUE(img.save(file, format)) << name.toStdString();
    return file;
  }

  QTreeWidgetItem* item(frmSystemIcons& w, int list, const QString& text) {
    QTreeWidget* lv = w.LV[static_cast<size_t>(list)];
    for (int i = 0; i < lv->topLevelItemCount(); ++i)
      if (lv->topLevelItem(i)->text(0) == text) return lv->topLevelItem(i);
    ADD_FAILURE() << "no row " << text.toStdString();
    return nullptr;
  }

  // As the user does it: the right button on the row selects it, makes its list the current one
  // and pops up the menu; the menu entry is chosen.
  void choose(frmSystemIcons& w, int list, const QString& text, QAction* entry) {
    QTreeWidgetItem* it = item(w, list, text);
    ASSERT_NE(it, nullptr);
    QTreeWidget* lv = w.LV[static_cast<size_t>(list)];
    QTest::mouseClick(lv->viewport(), Qt::RightButton, {}, lv->visualItemRect(it).center());
    ASSERT_TRUE(it->isSelected());
    ASSERT_EQ(w.CurrentList(), list);
    ASSERT_TRUE(w.kLV->isVisible());
    w.kLV->hide();
    entry->trigger();
  }

  QByteArray stored(int iid, const char* field = "Icon") {
    return value(QStringLiteral("SELECT %1 FROM tblICONS WHERE IID = %2").arg(QLatin1String(field)).arg(iid))
        .toBinary();
  }
  // IIDs whose Icon is not their DefaultIcon.
  QStringList changedRows() {
    QStringList r;
    auto rs = gDB->DB()->OpenRecordset(
        QStringLiteral("SELECT IID FROM tblICONS WHERE Icon IS NULL OR Icon <> DefaultIcon ORDER BY IID"),
        jet::RecordsetType::Snapshot);
    for (; !rs->IsEOF(); rs->MoveNext()) r << rs->Fields(0).Value().toText();
    rs->Close();
    return r;
  }

  ScriptedChooser* chooser = nullptr;
  std::unique_ptr<ui::FileChooser> previousChooser;
  QString dir;
};

}  // namespace

// Drive types under "Laufwerke", the rest under "Sonstige", each by Order; a row without an
// icon and one whose icon is damaged are listed all the same.
TEST_F(SystemIconsTest, ListsShowTheIconsByKindAndOrder) {
  exec("UPDATE tblICONS SET [Order] = 0 WHERE IID = 5");
  exec("UPDATE tblICONS SET [Order] = 99 WHERE IID = 10");
  exec("UPDATE tblICONS SET Icon = Null WHERE IID = 4");
  exec("UPDATE tblICONS SET Icon = ? WHERE IID = 11", {QByteArray("\0\0\1\0kaputt", 10)});
  frmSystemIcons w;
  EXPECT_EQ(w.windowTitle(), "System-Icons");
  EXPECT_EQ(w.Label1->text(), "Laufwerke");
  EXPECT_EQ(w.Label2->text(), "Sonstige");
  EXPECT_EQ(w.LV[0]->headerItem()->text(0), "Laufwerke");
  EXPECT_EQ(w.LV[1]->headerItem()->text(0), "Sonstige");
  EXPECT_EQ(texts(w.LV[0]), (QStringList{"CD-ROM", "Wechselmedium", "Festplatte", "Netzlaufwerk", "RAM-Disk"}));
  EXPECT_EQ(texts(w.LV[1]),
            (QStringList{"Ordner (geöffnet)", "Kategorie", "Kategorie (geöffnet)", "Stammordner", "Ordner"}));
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
  EXPECT_EQ(w.chkEdited(), 0);
  EXPECT_EQ(w.CurrentList(), 0);

  struct Row {
    int list;
    const char* text;
    int iid;
    bool icon;
  };
  for (const Row& r : {Row{0, "CD-ROM", 5, true}, Row{0, "Netzlaufwerk", 4, false}, Row{1, "Ordner", 10, true},
                       Row{1, "Ordner (geöffnet)", 11, true}}) {
    QTreeWidgetItem* it = item(w, r.list, QString::fromUtf8(r.text));
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(ui::itemKey(it), "A" + QString::number(r.iid)) << r.text;
    EXPECT_EQ(ui::itemTag(it).toInt(), r.iid) << r.text;
    EXPECT_EQ(qAlpha(pixelOf(it->icon(0), 8, 8)) != 0, r.icon) << r.text;
    EXPECT_EQ(w.IL().contains("A" + QString::number(r.iid)), r.icon) << r.text;
  }
  // The standard icon and the mark of the damaged one differ.
  EXPECT_NE(w.IL().pixmap("A11").toImage(), w.IL().pixmap("A10").toImage());
  // Listing writes nothing.
  EXPECT_EQ(changedRows(), (QStringList{"4", "11"}));
}

// Whatever the file holds, the catalogue gets a 16 x 16 icon: the picture fitted and centred,
// its margins transparent and every pixel of it kept, also those of the lists' mask colour;
// the list shows it, and the folder is remembered.
TEST_F(SystemIconsTest, ReplacingStoresTheFileRenderedAt16Pixels) {
  struct Case {
    const char* name;
    QSize size;
    const char* format;
    QColor colour;
    int firstRow;  // the picture's rows on the 16 x 16 icon
    int lastRow;
  };
  const Case cases[] = {
      {"rot.png", {32, 32}, "PNG", Qt::red, 0, 15},
      {"gruen.ico", {32, 32}, "ICO", Qt::green, 0, 15},
      {"klein.ico", {16, 16}, "ICO", Qt::magenta, 0, 15},
      {"breit.png", {32, 16}, "PNG", Qt::blue, 4, 11},
      {"grau.ico", {16, 16}, "ICO", QColor(0xC0, 0xC0, 0xC0), 0, 15},
      {"grau.png", {32, 16}, "PNG", QColor(0xC0, 0xC0, 0xC0), 4, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    exec("UPDATE tblICONS SET Icon = DefaultIcon");
    const QString file = pictureFile(QString::fromLatin1(c.name), c.size, c.colour, c.format);
    frmSystemIcons w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    chooser->answers = {file};
    choose(w, 1, "Kategorie", w.kLV_Edit);
    ASSERT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
    ASSERT_EQ(chooser->requests.size(), 1u);
    EXPECT_EQ(chooser->requests[0].title, "Wählen Sie eine Icondatei (16x16)");
    // The dialog shows the description only; the pattern follows it for the dialog.
    EXPECT_EQ(chooser->requests[0].filters, QStringList{"Icons (*.ico) (*.ico)"});
    chooser->requests.clear();
    EXPECT_EQ(gOptions->LastIconDir(), dir + "/");
    EXPECT_EQ(w.chkEdited(), 1);
    EXPECT_EQ(changedRows(), QStringList{"12"});

    const QByteArray bytes = stored(12);
    EXPECT_TRUE(bytes.startsWith(QByteArray("\0\0\1\0", 4))) << "stored in the plain icon form";
    const QImage icon = PictureFromBytes(bytes).image().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y) {
      const bool inside = y >= c.firstRow && y <= c.lastRow;
      EXPECT_EQ(qAlpha(icon.pixel(8, y)), inside ? 255 : 0) << "row " << y;
      if (inside) {
        EXPECT_EQ(icon.pixel(8, y) & 0xFFFFFF, c.colour.rgb() & 0xFFFFFF) << "row " << y;
      }
    }
    QTreeWidgetItem* it = item(w, 1, "Kategorie");
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(pixelOf(it->icon(0), 8, 8) & 0xFFFFFF, c.colour.rgb() & 0xFFFFFF);
    // The other items keep their icons.
    EXPECT_NE(qAlpha(pixelOf(item(w, 1, "Ordner")->icon(0), 8, 8)), 0);
    EXPECT_NE(qAlpha(pixelOf(item(w, 0, "Festplatte")->icon(0), 8, 8)), 0);
  }
}

// Nothing is stored and the list stays as it was when the user cancels, picks a file that is
// no picture (one error box; the folder is remembered all the same), or the row went away.
TEST_F(SystemIconsTest, ReplacingThatFailsOrIsCancelledChangesNothing) {
  const QString empty = dir + "/leer.ico";
  testenv::writeFile(empty, QByteArray());
  const QString text = dir + "/text.ico";
  testenv::writeFile(text, "kein Bild");
  struct Case {
    const char* name;
    QString answer;
    bool rowGone;
    QString lastDir;  // empty: unchanged
    QString box;      // part of the error box's text; empty: no box
  };
  // The row goes last: it is not put back.
  const Case cases[] = {
      {"cancelled", QString(), false, QString(), QString()},
      {"no picture", text, false, dir + "/", "Ungültiges Bild."},
      {"empty file", empty, false, dir + "/", "Ungültiges Bild."},
      {"missing file", dir + "/weg.ico", false, dir + "/", "weg.ico"},
      {"row gone", pictureFile("rot.png", {16, 16}, Qt::red, "PNG"), true, dir + "/", QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    exec("UPDATE tblICONS SET Icon = DefaultIcon");
    gOptions->setLastIconDir("/vorher/");
    boxes->shown.clear();
    frmSystemIcons w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QImage before = w.IL().pixmap("A3").toImage();
    if (c.rowGone) exec("DELETE FROM tblICONS WHERE IID = 3");
    chooser->answers = {c.answer};
    choose(w, 0, "Festplatte", w.kLV_Edit);
    EXPECT_EQ(gOptions->LastIconDir(), c.lastDir.isEmpty() ? QStringLiteral("/vorher/") : c.lastDir);
    if (!c.box.isEmpty()) {
      ASSERT_EQ(boxes->shown.size(), 1u);
      EXPECT_TRUE(boxes->shown[0].style & ui::kCritical);
      EXPECT_TRUE(boxes->shown[0].text.contains("IconEdit")) << boxes->shown[0].text.toStdString();
      EXPECT_TRUE(boxes->shown[0].text.contains(c.box)) << boxes->shown[0].text.toStdString();
    } else {
      EXPECT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
    }
    EXPECT_EQ(w.chkEdited(), 0);
    EXPECT_TRUE(changedRows().isEmpty());
    EXPECT_EQ(w.IL().pixmap("A3").toImage(), before);
    EXPECT_EQ(pixelOf(item(w, 0, "Festplatte")->icon(0), 8, 8), before.pixel(8, 8));
  }
}

// The standard picture comes back byte for byte, also over a damaged or missing icon, without a
// question; the list shows it at once.
TEST_F(SystemIconsTest, RestoringPutsTheStandardIconBack) {
  exec("UPDATE tblICONS SET Icon = ? WHERE IID = 12", {stored(2, "DefaultIcon")});
  exec("UPDATE tblICONS SET Icon = ? WHERE IID = 11", {QByteArray("\0\0\1\0kaputt", 10)});
  exec("UPDATE tblICONS SET Icon = Null WHERE IID = 6");
  struct Case {
    int list;
    const char* text;
    int iid;
  };
  frmSystemIcons w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  const QImage standard12 = PictureFromBytes(stored(12, "DefaultIcon")).image();
  for (const Case& c : {Case{1, "Kategorie", 12}, Case{1, "Ordner (geöffnet)", 11}, Case{0, "RAM-Disk", 6}}) {
    SCOPED_TRACE(c.text);
    choose(w, c.list, QString::fromUtf8(c.text), w.kLV_Default);
    EXPECT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
    EXPECT_EQ(stored(c.iid), stored(c.iid, "DefaultIcon"));
    EXPECT_EQ(w.chkEdited(), 1);
    QTreeWidgetItem* it = item(w, c.list, QString::fromUtf8(c.text));
    ASSERT_NE(it, nullptr);
    EXPECT_NE(qAlpha(pixelOf(it->icon(0), 8, 8)), 0);
  }
  EXPECT_TRUE(changedRows().isEmpty());
  EXPECT_EQ(pixelOf(item(w, 1, "Kategorie")->icon(0), 8, 8), standard12.pixel(8, 8));
}

// Both lists may hold a selection: the list in which the right button was released decides.
TEST_F(SystemIconsTest, TheMenuActsOnTheListItWasOpenedFrom) {
  const QString file = pictureFile("rot.png", {16, 16}, Qt::red, "PNG");
  frmSystemIcons w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTreeWidgetItem* drive = item(w, 0, "CD-ROM");
  w.LV[0]->setCurrentItem(drive);
  drive->setSelected(true);
  chooser->answers = {file};
  choose(w, 1, "Stammordner", w.kLV_Edit);
  EXPECT_TRUE(drive->isSelected());
  EXPECT_EQ(changedRows(), QStringList{"16"});
  choose(w, 0, "CD-ROM", w.kLV_Default);
  choose(w, 1, "Stammordner", w.kLV_Default);
  EXPECT_TRUE(changedRows().isEmpty());
  // Without a selection in the current list nothing is asked.
  w.LV[1]->clearSelection();
  w.kLV_Edit->trigger();
  w.kLV_Default->trigger();
  EXPECT_EQ(chooser->requests.size(), 1u);
}

// The close box hides the window; the caller still reads chkEdited.
TEST_F(SystemIconsTest, TheCloseBoxHidesAndKeepsChkEdited) {
  frmSystemIcons w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  choose(w, 0, "Festplatte", w.kLV_Default);
  EXPECT_EQ(w.chkEdited(), 1);
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.chkEdited(), 1);
}
