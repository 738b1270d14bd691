#include "platform/ui/Twips.h"
#include "tests/windows/capture/CaptureFixture.h"
#include "windows/capture/frmProperties.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

class PropertiesTest : public CaptureFixture {
 protected:
  void SetUp() override {
    CaptureFixture::SetUp();
    RegisterPropertiesWindow();
  }
  void TearDown() override {
    SetPropertiesWindowFactory(nullptr);
    CaptureFixture::TearDown();
  }
  // Opens the rows as the program does and runs check on the shown window, then closes it.
  void whileShown(const std::vector<PropItem>& rows, const std::function<void(frmProperties&)>& check,
                  const QString& caption = QStringLiteral("Datei-Info")) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      auto* w = qobject_cast<frmProperties*>(QApplication::activeModalWidget());
      if (w) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        check(*w);
        ran = true;
        w->accept();
      }
    });
    OpenProperties(caption, rows, nullptr);
    ASSERT_TRUE(ran) << "no property window was shown";
  }
  static QString clipboard() { return QGuiApplication::clipboard()->text(); }
  static void seedClipboard() { QGuiApplication::clipboard()->setText(QStringLiteral("vorher")); }
};

const std::vector<PropItem> kFileRows = {
    {"Datei", "brief.txt"},
    {"Größe", "1.536 Bytes (1,5 KB)"},
    {"Beschreibung", ""},
    {QString(20, '-'), QString(50, '-')},
};

}  // namespace

TEST_F(PropertiesTest, CopyAllAndCopyLine) {
  const struct {
    std::vector<PropItem> rows;
    int selected;  // -1: none
    QString all;
    QString line;  // empty: the clipboard stays as it was
  } cases[] = {
      {{{"a", "1"}, {"b", "2"}}, 1, "a: 1\r\nb: 2", "b: 2"},
      {{{"Name", ""}}, 0, "Name: ", "Name: "},
      {kFileRows, -1,
       "Datei: brief.txt\r\nGröße: 1.536 Bytes (1,5 KB)\r\nBeschreibung: \r\n" + QString(20, '-') + ": " +
           QString(50, '-'),
       ""},
      {{}, -1, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.all.toStdString());
    whileShown(c.rows, [&](frmProperties& w) {
      EXPECT_EQ(w.windowTitle(), "Datei-Info");
      ASSERT_EQ(w.LV()->topLevelItemCount(), static_cast<int>(c.rows.size()));
      w.LV()->clearSelection();
      if (c.selected >= 0) w.LV()->setCurrentItem(w.LV()->topLevelItem(c.selected));
      seedClipboard();
      w.kCopy_Line()->trigger();
      EXPECT_EQ(clipboard(), c.line.isEmpty() ? QStringLiteral("vorher") : c.line);
      w.kCopy_All()->trigger();
      EXPECT_EQ(clipboard(), c.all);
    });
  }
}

TEST_F(PropertiesTest, RightButtonReleasedOverTheListOpensTheCopyMenu) {
  whileShown(kFileRows, [&](frmProperties& w) {
    QWidget* viewport = w.LV()->viewport();
    const QRect row = w.LV()->visualItemRect(w.LV()->topLevelItem(1));
    QTest::mousePress(viewport, Qt::RightButton, {}, row.center());
    EXPECT_FALSE(w.k()->isVisible());  // not on the press
    QTest::mouseRelease(viewport, Qt::RightButton, {}, row.center());
    QTRY_VERIFY(w.k()->isVisible());
    EXPECT_EQ(w.k()->actions().size(), 2);
    EXPECT_EQ(w.k()->actions()[0]->text(), "&Zeile kopieren");
    EXPECT_EQ(w.k()->actions()[1]->text(), "&Alles kopieren");
    w.k()->hide();
    // The row under the pointer is the one a copy of the line takes.
    w.kCopy_Line()->trigger();
    EXPECT_EQ(clipboard(), "Größe: 1.536 Bytes (1,5 KB)");
  });
}

TEST_F(PropertiesTest, ValueColumnTakesTheRestOfTheWidth) {
  const int scrollBar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  // What FitListViewColumn leaves: the list width less the other column, a scroll bar and 60
  // twips, in twips as the widths are kept.
  const auto expectedValueWidth = [&](const QTreeWidget* lv) {
    const int twips =
        ui::pixelsToTwipsX(lv->width()) - ui::pixelsToTwipsX(lv->columnWidth(0)) - ui::pixelsToTwipsX(scrollBar) - 60;
    return ui::twipsToPixelsX(twips);
  };
  whileShown(kFileRows, [&](frmProperties& w) {
    QTreeWidget* lv = w.LV();
    const int nameWidth = static_cast<QAbstractItemView*>(lv)->sizeHintForColumn(0);
    EXPECT_GE(lv->columnWidth(0), nameWidth);  // the names are not cut
    EXPECT_EQ(lv->columnWidth(1), expectedValueWidth(lv));
    w.resize(w.width() + 150, w.height() + 40);
    QTRY_COMPARE(lv->columnWidth(1), expectedValueWidth(lv));
    EXPECT_GT(lv->columnWidth(1), 150);
  });
  // A long value widens the window as far as a good part of the screen allows.
  const QString longPath = "/media/archiv/" + QString(30, 'x') + "/" + QString(30, 'y') + "/";
  whileShown({{"Pfad", longPath}}, [&](frmProperties& w) {
    const int valueWidth = static_cast<QAbstractItemView*>(w.LV())->sizeHintForColumn(1);
    const int screen = QGuiApplication::primaryScreen()->availableGeometry().width();
    EXPECT_TRUE(w.LV()->columnWidth(1) >= valueWidth || w.width() >= screen * 3 / 4)
        << w.LV()->columnWidth(1) << " " << valueWidth;
    EXPECT_LE(w.width(), screen);
  });
}

TEST_F(PropertiesTest, CaptionIsInfoUnlessTheOpenerSetsOne) {
  frmProperties w;
  EXPECT_EQ(w.windowTitle(), "Info");
  EXPECT_EQ(w.LV()->headerItem()->text(0), "Eigenschaft");
  EXPECT_EQ(w.LV()->headerItem()->text(1), "Wert");
  whileShown(
      {{"Kategorie", "Musik"}}, [&](frmProperties& shown) { EXPECT_EQ(shown.windowTitle(), "Kategorie-Info"); },
      "Kategorie-Info");
}
