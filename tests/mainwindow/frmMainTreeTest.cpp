// The catalogue tree inside the main window: filled on opening, cleared on closing, volumes
// selected from outside, and node clicks switching the detail pane. The catalogues are copies
// of the built template with a few rows written through the engine.
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/TreeView.h"
#include "catalogue/widgets/mdlGlobals_main.h"
#include "foundation/cuAppError.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/registry/Registry.h"
#include "platform/runtime/Variant.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/mainwindow/CatalogueWriter.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QAction>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kOptionsKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Options");

class MainTreeTest : public MainWindowFixture {
 protected:
  void start() { startExposed(); }

  // Musik (3) holds Klassik (1), which holds "Bach" (VID 3) with two folders; "Zebra" (1) lies
  // in Musik, "Alpha" (2) and "Filme" (category 2) at the top level.
  QString filledCatalogue(const QString& name = QStringLiteral("archiv.qvk")) {
    const QString path = dir + "/" + name;
    EXPECT_TRUE(testenv::copyTemplate(path));
    CatalogueWriter c(path);
    c.category(1, "Klassik", 3);  // read before its parent
    c.category(2, "Filme");
    c.category(3, "Musik");
    c.volume(1, "Zebra", 3);
    c.volume(2, "Alpha");
    c.volume(3, "Bach", 1);
    c.folder(10, 3, rt::Null, rt::Null);
    c.folder(11, 3, "Kantaten", 10);
    return path;
  }

  Tree* tree() const { return window->Tree1; }
  QTreeWidgetItem* node(const QString& key) const { return tree()->TV()->node(key); }
  QString selectedKey() const { return ui::itemKey(tree()->SelectedItem()); }

  // "key" per node, indented by depth, as the tree view shows them.
  QStringList dump() const {
    QStringList out;
    std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* n, int depth) {
      out << QString(depth * 2, QLatin1Char(' ')) + ui::itemKey(n) + "|" + n->text(0);
      for (int i = 0; i < n->childCount(); ++i) walk(n->child(i), depth + 1);
    };
    for (int i = 0; i < tree()->TV()->topLevelItemCount(); ++i) walk(tree()->TV()->topLevelItem(i), 0);
    return out;
  }

  // Which of the three panes shows: "category", "volume", "folder", "" for none; "several"
  // when more than one does.
  QString visiblePane() const {
    QStringList shown;
    if (window->picCategory->isVisible()) shown << "category";
    if (window->picVolume->isVisible()) shown << "volume";
    if (window->picFolder->isVisible()) shown << "folder";
    return shown.size() > 1 ? QStringLiteral("several") : shown.value(0);
  }
  // Waits for the tree's deferred click to reach the window.
  bool paneBecomes(const QString& pane) const {
    return QTest::qWaitFor([&] { return visiblePane() == pane; }, 1000);
  }

  void click(const QString& key) {
    QTreeWidgetItem* n = node(key);
    ASSERT_NE(n, nullptr) << key.toStdString();
    tree()->TV()->scrollToItem(n);
    QTest::mouseClick(tree()->TV()->viewport(), Qt::LeftButton, {}, tree()->TV()->visualItemRect(n).center());
  }
};

}  // namespace

TEST_F(MainTreeTest, OpeningFillsTheTreeWithCategoriesThenVolumesAndShowsTheFirstNode) {
  // The tree takes its drag delay and font from the options.
  registry::setValue(registry::HKEY_CURRENT_USER, kOptionsKey, "DragDelay", registry::Value::text("750"));
  registry::setValue(registry::HKEY_CURRENT_USER, kOptionsKey, "TreeFontSize", registry::Value::text("13"));
  const QString path = filledCatalogue();
  start();
  EXPECT_EQ(tree()->DragDelay(), 750);
  EXPECT_EQ(tree()->TV()->font().pointSize(), 13);
  EXPECT_EQ(tree()->TV()->property("HelpContextID").toInt(), 10);

  gfrmMain->pubDBOpen(path);
  EXPECT_TRUE(boxes->shown.empty()) << boxes->shown[0].text.toStdString();
  EXPECT_TRUE(tree()->isEnabled());
  EXPECT_EQ(tree()->Database(), gDB->DB().get());
  // Every category before any volume; each category after its parent; volumes by name.
  QStringList added;
  for (QTreeWidgetItem* n : tree()->NodesInAddOrder())
    if (Tree::NodeType(n) != 3) added << ui::itemKey(n);
  EXPECT_EQ(added, (QStringList{"C3", "C1", "C2", "V2", "V3", "V1"}));
  EXPECT_EQ(dump(),
            (QStringList{"V2|Alpha", "  #Dummy#1|/mnt/daten/", "C2|Filme", "C3|Musik", "  C1|Klassik", "    V3|Bach",
                         "      #Dummy#2|/mnt/daten/", "  V1|Zebra", "    #Dummy#3|/mnt/daten/"}));
  // The first node added is selected and reported: its pane shows.
  EXPECT_EQ(selectedKey(), "C3");
  EXPECT_TRUE(paneBecomes("category"));
}

TEST_F(MainTreeTest, ClosingEmptiesTheTreeAndReopeningShowsThePaneAgain) {
  const QString path = filledCatalogue();
  start();
  gfrmMain->pubDBOpen(path);
  ASSERT_TRUE(paneBecomes("category"));

  window->findChild<QAction*>("mMainFile_DBClose")->trigger();
  EXPECT_EQ(tree()->TV()->topLevelItemCount(), 0);
  EXPECT_FALSE(tree()->isEnabled());
  EXPECT_EQ(tree()->Database(), nullptr);
  EXPECT_EQ(visiblePane(), "");
  EXPECT_TRUE(window->lblNoDB->isVisible());

  // The same first node again: it is still reported, so its pane shows.
  gfrmMain->pubDBOpen(path);
  EXPECT_EQ(selectedKey(), "C3");
  EXPECT_TRUE(paneBecomes("category"));
  EXPECT_TRUE(boxes->shown.empty());
}

TEST_F(MainTreeTest, VolumeSelectSelectsExpandsAndLoadsTheVolume) {
  const QString path = filledCatalogue();
  start();
  gfrmMain->pubDBOpen(path);
  ASSERT_TRUE(paneBecomes("category"));

  gfrmMain->pubVolumeSelect(3);
  QTreeWidgetItem* bach = node("V3");
  ASSERT_NE(bach, nullptr);
  EXPECT_EQ(selectedKey(), "V3");
  EXPECT_TRUE(bach->isExpanded());
  EXPECT_TRUE(node("C1")->isExpanded());  // scrolled into view through its category
  // Expanding loaded the folders in place of the placeholder.
  ASSERT_EQ(bach->childCount(), 1);
  EXPECT_EQ(ui::itemKey(bach->child(0)), "V3|10");
  EXPECT_EQ(bach->child(0)->text(0), "/mnt/daten/ [Root]");
  EXPECT_TRUE(paneBecomes("volume"));
  EXPECT_TRUE(boxes->shown.empty());
}

TEST_F(MainTreeTest, VolumeSelectWithoutNodeRaisesTheTreeError) {
  const QString path = filledCatalogue();
  start();
  gfrmMain->pubDBOpen(path);
  ASSERT_TRUE(paneBecomes("category"));
  const rt::RaisedError e = testenv::raised([] { gfrmMain->pubVolumeSelect(99); });
  EXPECT_EQ(e.number, 35601);
  EXPECT_TRUE(e.source.endsWith("frmMain: VolumeSelect")) << e.source.toStdString();
  EXPECT_TRUE(e.source.startsWith("Tree")) << e.source.toStdString();
  EXPECT_EQ(selectedKey(), "C3");
  EXPECT_TRUE(boxes->shown.empty());
}

TEST_F(MainTreeTest, ClickingANodeShowsOnlyThePaneOfItsType) {
  const QString path = filledCatalogue();
  start();
  gfrmMain->pubDBOpen(path);
  ASSERT_TRUE(paneBecomes("category"));
  gfrmMain->pubVolumeSelect(3);
  node("V3|10")->setExpanded(true);
  ASSERT_TRUE(paneBecomes("folder"));

  struct Case {
    const char* key;
    const char* pane;
  };
  for (const Case& c : {Case{"C2", "category"}, Case{"V3|11", "folder"}, Case{"V2", "volume"}, Case{"V3|10", "folder"},
                        Case{"V1", "volume"}, Case{"C1", "category"}}) {
    click(c.key);
    EXPECT_EQ(selectedKey(), c.key);
    EXPECT_TRUE(paneBecomes(c.pane)) << c.key << " shows " << visiblePane().toStdString();
  }
  // A volume's placeholder leaves the pane as it was.
  QTreeWidgetItem* placeholder = node("V1")->child(0);
  ASSERT_EQ(Tree::NodeType(placeholder), 3);
  emit tree()->NodeClick(placeholder);
  EXPECT_EQ(visiblePane(), "category");
  EXPECT_TRUE(boxes->shown.empty());
}

// A folder far down a volume is reached sideways, as in any tree: its node is not cut off,
// and a node selected from outside (a search hit), with the keyboard or with the mouse is
// scrolled into view across as well as down.
TEST_F(MainTreeTest, DeepFoldersAreShownWholeAndScrolledIntoViewSideways) {
  const QString path = dir + "/tief.qvk";
  ASSERT_TRUE(testenv::copyTemplate(path));
  {
    CatalogueWriter c(path);
    c.volume(1, "Tief");
    c.folder(100, 1, rt::Null, rt::Null);
    for (int depth = 1; depth <= 60; ++depth) c.folder(100 + depth, 1, QString("Ebene %1").arg(depth), 99 + depth);
  }
  start();
  gfrmMain->pubDBOpen(path);
  ASSERT_TRUE(paneBecomes("volume"));
  gfrmMain->pubVolumeSelect(1);
  TreeView* view = tree()->TV();
  QScrollBar* across = view->horizontalScrollBar();
  // The selected node whole (not "…" or an empty row) and inside the view with its button.
  const auto selectedInView = [&](int pid) -> testing::AssertionResult {
    QTreeWidgetItem* n = tree()->SelectedItem();
    if (ui::itemKey(n) != QString("V1|%1").arg(pid))
      return testing::AssertionFailure() << "selected " << selectedKey().toStdString();
    const QRect shown = view->visualItemRect(n);
    const int wanted = view->iconSize().width() + view->fontMetrics().horizontalAdvance(n->text(0));
    if (shown.width() < wanted) return testing::AssertionFailure() << "cut to " << shown.width() << " of " << wanted;
    if (shown.left() - view->indentation() < 0 || shown.left() + wanted > view->viewport()->width() ||
        !shown.intersects(view->viewport()->rect()))
      return testing::AssertionFailure() << "at " << shown.left() << ".." << shown.left() + wanted << " in "
                                         << view->viewport()->width();
    return testing::AssertionSuccess();
  };

  for (int depth : {30, 60, 0, 45}) {
    SCOPED_TRACE(depth);
    // As the search window shows a hit; depth 0 is the volume's root folder.
    ASSERT_TRUE(gfrmMain->pubFolderSelect(1, 100 + depth));
    EXPECT_TRUE(selectedInView(100 + depth));
  }
  // The deepest folder needs the sideways scroll bar.
  EXPECT_GT(across->maximum(), 0);

  // Moving up with the keyboard from the deepest node, and clicking the node above.
  ASSERT_TRUE(gfrmMain->pubFolderSelect(1, 160));
  view->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(view, Qt::Key_Up);
  EXPECT_TRUE(selectedInView(159));
  EXPECT_GT(across->value(), 0);
  const QRect above = view->visualItemRect(node("V1|158"));
  ASSERT_TRUE(view->viewport()->rect().contains(above.topLeft() + QPoint(8, 2)));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(above.left() + 8, above.center().y()));
  EXPECT_TRUE(selectedInView(158));
  EXPECT_GT(across->value(), 0);
  EXPECT_TRUE(boxes->shown.empty());
}
