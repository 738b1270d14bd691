#include "foundation/widgets/mdlQZLib51_window.h"
#include "foundation/widgets/mdlQZLib52_window.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/ShellOpen.h"
#include "platform/ui/Twips.h"
#include "platform/ui/widgets/FontChooser.h"
#include "platform/ui/widgets/FormRegistry.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/support/ScriptedFontChooser.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A window that can refuse to close, and notes the order it was asked in.
class TestForm : public QWidget {
 public:
  TestForm(const QString& name, std::vector<QString>& log, bool refuse = false) : log_(log), refuse_(refuse) {
    setObjectName(name);
    ui::registerForm(this);
  }

 protected:
  void closeEvent(QCloseEvent* e) override {
    log_.push_back(objectName());
    if (refuse_) e->ignore();
  }

 private:
  std::vector<QString>& log_;
  bool refuse_;
};

QTreeWidgetItem* node(QTreeWidgetItem* parent, const QString& key) {
  auto* item = new QTreeWidgetItem(parent, {key});
  ui::setItemKey(item, key);
  return item;
}
QTreeWidgetItem* root(QTreeWidget& tree, const QString& key) {
  auto* item = new QTreeWidgetItem(&tree, {key});
  ui::setItemKey(item, key);
  return item;
}

QStringList keys(const std::vector<QTreeWidgetItem*>& nodes, int count) {
  QStringList r;
  for (int i = 0; i < count; ++i) r << ui::itemKey(nodes[static_cast<size_t>(i)]);
  return r;
}

}  // namespace

TEST(UnloadAllForms, UnloadsTheLastLoadedFirst) {
  std::vector<QString> log;
  auto a = std::make_unique<TestForm>("frmMain", log);
  auto b = std::make_unique<TestForm>("frmFind", log);
  auto c = std::make_unique<TestForm>("frmEditor", log);
  EXPECT_TRUE(IsFormLoaded("FRMFIND"));
  EXPECT_TRUE(UnloadAllForms(true));
  EXPECT_EQ(log, (std::vector<QString>{"frmEditor", "frmFind", "frmMain"}));
  EXPECT_FALSE(IsFormLoaded("frmMain"));
  EXPECT_TRUE(ui::loadedForms().empty());
}

TEST(UnloadAllForms, AWindowThatRefusesMakesItFail) {
  std::vector<QString> log;
  {
    auto a = std::make_unique<TestForm>("frmMain", log);
    auto b = std::make_unique<TestForm>("frmOptions", log, true);
    auto c = std::make_unique<TestForm>("frmFind", log);
    // With stop on failure the windows before the refusing one stay loaded.
    EXPECT_FALSE(UnloadAllForms(true));
    EXPECT_EQ(log, (std::vector<QString>{"frmFind", "frmOptions"}));
    EXPECT_TRUE(IsFormLoaded("frmMain"));
    log.clear();
    EXPECT_FALSE(UnloadAllForms(false));
    EXPECT_EQ(log, (std::vector<QString>{"frmOptions", "frmMain"}));
    EXPECT_FALSE(IsFormLoaded("frmMain"));
    EXPECT_TRUE(IsFormLoaded("frmOptions"));
  }
  // A destroyed window is no longer loaded.
  EXPECT_FALSE(IsFormLoaded("frmOptions"));
}

TEST(TreeRoutines, CollectNeighbourAncestorAndKeys) {
  QTreeWidget tree;
  QTreeWidgetItem* c1 = root(tree, "C1");
  QTreeWidgetItem* v1 = node(c1, "V1");
  QTreeWidgetItem* p1 = node(v1, "V1|10");
  node(p1, "V1|11");
  QTreeWidgetItem* v2 = node(c1, "V2");
  QTreeWidgetItem* c2 = root(tree, "C2");
  QTreeWidgetItem* only = node(c2, "V3");

  std::vector<QTreeWidgetItem*> nodes;
  int count = 0;
  CollectTreeNodes(c1, nodes, count, false);
  EXPECT_EQ(keys(nodes, count), (QStringList{"V1", "V2"}));
  // Appends after what is there, descendants right after their node.
  CollectTreeNodes(c1, nodes, count, true);
  EXPECT_EQ(keys(nodes, count), (QStringList{"V1", "V2", "V1", "V1|10", "V1|11", "V2"}));
  count = 0;
  CollectTreeNodes(v2, nodes, count, true);
  EXPECT_EQ(count, 0);

  EXPECT_EQ(GetFirstRootNode(&tree), c1);
  QTreeWidget empty;
  EXPECT_EQ(GetFirstRootNode(&empty), nullptr);

  EXPECT_TRUE(NodeKeyExists(&tree, "v1|11"));
  EXPECT_FALSE(NodeKeyExists(&tree, "V9"));

  EXPECT_TRUE(IsNodeAncestor(c1, p1));
  EXPECT_FALSE(IsNodeAncestor(p1, p1));
  EXPECT_FALSE(IsNodeAncestor(c2, p1));

  EXPECT_EQ(GetNeighbourNodeKey(v2), "V1");
  EXPECT_EQ(GetNeighbourNodeKey(v1), "V2");
  EXPECT_EQ(GetNeighbourNodeKey(only), "C2");
  EXPECT_EQ(GetNeighbourNodeKey(c1), "C2");
  QTreeWidget lone;
  EXPECT_EQ(GetNeighbourNodeKey(root(lone, "C7")), "");
}

TEST(ImageListKeyExists, KeysIgnoreCase) {
  ui::ImageList images;
  images.add("i10", QPixmap(16, 16));
  EXPECT_TRUE(ImageListKeyExists(images, "I10"));
  EXPECT_FALSE(ImageListKeyExists(images, "u10"));
}

TEST(ListViewColumns, AutoSizeAndFit) {
  QTreeWidget lv;
  lv.setColumnCount(3);
  lv.setHeaderLabels({"Name", "Eine sehr lange Spaltenüberschrift", "Rest"});
  new QTreeWidgetItem(&lv, {"ein ziemlich langer Dateiname.txt", "1", "x"});
  // Report style as the program's list views have it: columns keep the widths they are given.
  lv.header()->setStretchLastSection(false);
  lv.header()->setMinimumSectionSize(0);
  lv.resize(600, 300);
  lv.show();
  for (int i = 0; i < 3; ++i) lv.setColumnWidth(i, 10);

  AutoSizeListViewColumn(&lv, 1, false);
  EXPECT_GT(lv.columnWidth(0), 100);  // column 1 is the first one
  EXPECT_EQ(lv.columnWidth(1), 10);
  AutoSizeListViewColumn(&lv, 2, false);
  const int contentOnly = lv.columnWidth(1);
  AutoSizeListViewColumn(&lv, 2, true);
  EXPECT_GT(lv.columnWidth(1), contentOnly);  // the caption is wider than "1"

  lv.setColumnWidth(0, 200);
  lv.setColumnWidth(1, 100);
  FitListViewColumn(&lv, 3, false);
  const int expectTwips = ui::pixelsToTwipsX(600) - ui::pixelsToTwipsX(200) - ui::pixelsToTwipsX(100) - 60;
  EXPECT_EQ(lv.columnWidth(2), ui::twipsToPixelsX(expectTwips));
  FitListViewColumn(&lv, 3, true);
  EXPECT_LT(lv.columnWidth(2), ui::twipsToPixelsX(expectTwips));
  // Narrower than the other columns: no width at all.
  lv.setColumnWidth(0, 900);
  FitListViewColumn(&lv, 3, true);
  EXPECT_EQ(lv.columnWidth(2), 0);
}

TEST(ShortenTextToWidth, KeepsAsMuchOfTheTextAsFitsBeforeTheDots) {
  const QFontMetrics fm(QApplication::font());
  EXPECT_EQ(ShortenTextToWidth("", 5, fm), "");
  const QString text = "Ein langer Text, der sicher nicht passt";
  const int full = fm.horizontalAdvance(text);
  EXPECT_EQ(ShortenTextToWidth(text, full, fm), text);
  const QString dots = " ...";
  for (const int width :
       {full - 1, full * 9 / 10, full / 2, fm.horizontalAdvance("Ein" + dots), fm.horizontalAdvance("E" + dots)}) {
    SCOPED_TRACE(width);
    const QString cut = ShortenTextToWidth(text, width, fm);
    ASSERT_TRUE(cut.endsWith(dots)) << cut.toStdString();
    const QString kept = cut.chopped(dots.size());
    EXPECT_TRUE(text.startsWith(kept)) << cut.toStdString();
    // The dots take the place of at least four characters, and the result fits.
    EXPECT_LE(cut.size(), text.size());
    EXPECT_LE(fm.horizontalAdvance(cut), width) << cut.toStdString();
    // One character more of the text would not fit: nothing was cut that had room.
    if (kept.size() < text.size() - dots.size()) {
      EXPECT_GT(fm.horizontalAdvance(text.left(kept.size() + 1) + dots), width) << cut.toStdString();
    }
  }
  // Nothing fits: it ends with the dots alone instead of running for ever.
  EXPECT_EQ(ShortenTextToWidth(text, 0, fm), dots);
  // A character outside the basic plane is never cut in half.
  const QString notes = QString(20, QChar('x')) + QString::fromUtf8("\xF0\x9D\x84\x9E\xF0\x9D\x84\x9E") + "ende";
  for (int width = 0; width <= fm.horizontalAdvance(notes); ++width) {
    const QString cut = ShortenTextToWidth(notes, width, fm);
    ASSERT_FALSE(cut.chopped(std::min<qsizetype>(cut.size(), dots.size())).endsWith(QChar(0xD834))) << width;
  }
}

TEST(ListSelectItem, SelectsTheFirstMatch) {
  QComboBox combo;
  combo.addItem("Keller", 4);
  combo.addItem("Büro", 7);
  combo.addItem("Büro 2", 7);
  combo.setCurrentIndex(0);
  EXPECT_EQ(ListSelectItem(&combo, 7, 0), 1);
  EXPECT_EQ(combo.currentIndex(), 1);
  EXPECT_EQ(ListSelectItem(&combo, 99, 0), -1);
  EXPECT_EQ(combo.currentIndex(), 1);
  EXPECT_EQ(ListSelectItem(&combo, "KELLER", 1), 0);

  QListWidget list;
  auto* a = new QListWidgetItem("Arial", &list);
  a->setData(Qt::UserRole, 3);
  auto* b = new QListWidgetItem("Tahoma", &list);
  b->setData(Qt::UserRole, 5);
  EXPECT_EQ(ListSelectItem(&list, 5, 0), 1);
  EXPECT_EQ(list.currentRow(), 1);
  EXPECT_EQ(ListSelectItem(&list, "tahoma", 1), 1);
}

TEST(ShowFontDialog, PresetsAndResults) {
  auto* chooser = new ScriptedFontChooser;
  ui::setFontChooser(std::unique_ptr<ui::FontChooser>(chooser));
  QString face;
  int16_t size = 0;
  bool bold = true, italic = true, underline = true, strike = true;
  uint32_t colour = 0xff;
  // Cancel clears everything; the dialog opened on Times New Roman, 12 points.
  EXPECT_FALSE(ShowFontDialog(nullptr, face, size, bold, italic, colour, underline, strike, 6, 20, false));
  EXPECT_EQ(chooser->seen.initial.family(), "Times New Roman");
  EXPECT_EQ(chooser->seen.initial.pointSize(), 12);
  EXPECT_FALSE(chooser->seen.initial.bold());
  EXPECT_EQ(face, "");
  EXPECT_EQ(size, 0);
  EXPECT_EQ(colour, 0u);
  EXPECT_FALSE(bold || italic || underline || strike);

  QFont chosen("Tahoma");
  chosen.setPointSize(30);
  chosen.setBold(true);
  chosen.setUnderline(true);
  chooser->answer = chosen;
  face = "Arial";
  size = 9;
  EXPECT_TRUE(ShowFontDialog(nullptr, face, size, bold, italic, colour, underline, strike, 6, 20, false));
  EXPECT_EQ(chooser->seen.initial.family(), "Arial");
  EXPECT_EQ(chooser->seen.initial.pointSize(), 9);
  EXPECT_EQ(face, "Tahoma");
  EXPECT_EQ(size, 20);  // held to the largest size
  EXPECT_TRUE(bold);
  EXPECT_FALSE(italic);
  EXPECT_FALSE(underline);  // no effects offered
  EXPECT_TRUE(ShowFontDialog(nullptr, face, size, bold, italic, colour, underline, strike, 6, 20, true));
  EXPECT_TRUE(underline);
  ui::setFontChooser(nullptr);
}

TEST(ShellRoutines, PassTheRequestAndTheResult) {
  auto* recorder = new ui::RecordingShellOpener;
  recorder->results = {0, 2};
  ui::setShellOpener(std::unique_ptr<ui::ShellOpener>(recorder));
  EXPECT_EQ(ShellExecuteOpen(nullptr, "/m/a.txt", "/m", true), 0);
  EXPECT_EQ(ShellOpenFile(nullptr, "http://example.org", false), 2);
  ASSERT_EQ(recorder->opened.size(), 2u);
  EXPECT_EQ(recorder->opened[0].workingDir, "/m");
  EXPECT_TRUE(recorder->opened[0].maximized);
  EXPECT_EQ(recorder->opened[1].workingDir, "");
  ui::setShellOpener(nullptr);
}

TEST(LockWindowRedraw, OneWindowAtATime) {
  QWidget a, b;
  EXPECT_TRUE(LockWindowRedraw(&a));
  EXPECT_FALSE(a.updatesEnabled());
  EXPECT_FALSE(LockWindowRedraw(&b));
  EXPECT_TRUE(b.updatesEnabled());
  EXPECT_TRUE(LockWindowRedraw(nullptr));
  EXPECT_TRUE(a.updatesEnabled());
  EXPECT_FALSE(LockWindowRedraw(nullptr));
}

TEST(GetScrollbarSize, PixelsAndTwips) {
  const int px = GetScrollbarSize(true, false);
  EXPECT_GT(px, 0);
  EXPECT_EQ(GetScrollbarSize(true, true), ui::pixelsToTwipsX(px));
  EXPECT_TRUE(IsWindowsNT());
}
