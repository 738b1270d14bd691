#include "TreeFixture.h"
#include "catalogue/widgets/TreeNode.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QSignalSpy>
#include <QTest>

using rt::Variant;

// Two top-level categories with a subcategory, volumes in them and one on the top level.
class TreeInteractionTest : public TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    addCategory(1, QStringLiteral("Archiv"));
    addCategory(2, QStringLiteral("Musik"));
    addCategory(3, QStringLiteral("Rock"), 2);
    addVolume(10, QStringLiteral("Platte"), 2);
    addVolume(11, QStringLiteral("Stick"), Variant());
    addPath(100, 10, Variant(), Variant(0));
    tree->setDragDelay(1);
    tree->Populate();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !clicks.isEmpty(); }, 5000));
    clicks.clear();
  }
  void expandAll() {
    // Expanding a volume replaces its placeholder, so go by key.
    QStringList keys;
    for (auto* n : tree->NodesInAddOrder()) keys << ui::itemKey(n);
    QString last;
    for (const QString& key : keys)
      if (QTreeWidgetItem* n = node(key)) {
        n->setExpanded(true);
        last = key;
      }
    // Each expansion selects its node; only the last one's click is still to come.
    (void)QTest::qWaitFor([&] { return clicks.contains(last); }, 5000);
    clicks.clear();
  }
};

TEST_F(TreeInteractionTest, ClickIsReportedOnlyForAnotherKey) {
  ASSERT_EQ(selectedKey(), QStringLiteral("C1"));
  // The same key in other letters is no new click.
  EXPECT_TRUE(tree->SelectItem(QStringLiteral("c1")));
  letDeferredClicksCome();
  EXPECT_TRUE(clicks.isEmpty());

  // Deferred: nothing before the timer, then only the last of two quick clicks.
  tree->SelectItem(QStringLiteral("C2"));
  tree->SelectItem(QStringLiteral("V11"));
  EXPECT_TRUE(clicks.isEmpty());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !clicks.isEmpty(); }, 1000));
  letDeferredClicksCome();
  EXPECT_EQ(clicks, QStringList{"V11"});

  // Without the timer the event comes before the call returns.
  clicks.clear();
  tree->setUseNodeClickTimer(false);
  tree->SelectItem(QStringLiteral("C2"));
  EXPECT_EQ(clicks, QStringList{"C2"});

  // Refilling with the last clicked key reports nothing; clearing the selection forgets it.
  tree->Populate(QStringLiteral("C2"));
  EXPECT_EQ(clicks, QStringList{"C2"});
  tree->setSelectedItem(nullptr);
  EXPECT_EQ(tree->SelectedItem(), nullptr);
  tree->Populate(QStringLiteral("C2"));
  EXPECT_EQ(clicks, (QStringList{"C2", "C2"}));
}

TEST_F(TreeInteractionTest, MouseClickSelectsAndReportsTheNode) {
  press(centreOf(QStringLiteral("V11")));
  release(centreOf(QStringLiteral("V11")));
  EXPECT_EQ(selectedKey(), QStringLiteral("V11"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !clicks.isEmpty(); }, 1000));
  EXPECT_EQ(clicks, QStringList{"V11"});
  EXPECT_FALSE(tree->isDragging());
}

TEST_F(TreeInteractionTest, RightButtonMenuFollowsTheSelectedNode) {
  QSignalSpy cat(tree.get(), &Tree::MenuCategory), vol(tree.get(), &Tree::MenuVolume),
      folder(tree.get(), &Tree::MenuFolder), empty(tree.get(), &Tree::MenuEmptyDB);
  tree->SelectItem(QStringLiteral("V11"));
  const QPoint onCategory = centreOf(QStringLiteral("C1"));
  press(onCategory, Qt::RightButton);
  release(onCategory, Qt::RightButton);
  EXPECT_EQ(selectedKey(), QStringLiteral("V11"));
  EXPECT_EQ(vol.count(), 1);
  EXPECT_EQ(cat.count(), 0);

  expandAll();
  tree->SelectItem(QStringLiteral("V10|100"));
  press(onCategory, Qt::RightButton);
  release(onCategory, Qt::RightButton);
  EXPECT_EQ(folder.count(), 1);

  tree->Clear();
  press(emptySpace(), Qt::RightButton);
  release(emptySpace(), Qt::RightButton);
  EXPECT_EQ(empty.count(), 1);
}

// Each drag: the question asked (or none), the answer, and what the catalogue holds after it.
TEST_F(TreeInteractionTest, DropsAskAndWriteTheNewPlace) {
  struct Case {
    const char* dragged;
    const char* target;  // nullptr: the empty space below the nodes
    int answer;
    int message;  // 0: no question
    const char* text;
    const char* sql;
    Variant expected;
  } cases[] = {
      {"V11", "C1", ui::kAnswerYes, 157,
       "Soll das Volume 'Stick' wirklich in die Kategorie 'Archiv' verschoben werden?",
       "SELECT CatID FROM tblVOLUMES WHERE VID = 11", Variant(1)},
      {"V11", "C1", ui::kAnswerNo, 157, nullptr, "SELECT CatID FROM tblVOLUMES WHERE VID = 11", rt::Null},
      {"C3", "C1", ui::kAnswerYes, 158,
       "Soll die Kategorie 'Rock' wirklich in die Kategorie 'Archiv' verschoben werden?",
       "SELECT Parent FROM tblCATEGORIES WHERE CID = 3", Variant(1)},
      {"V10", nullptr, ui::kAnswerYes, 159, "Soll das Volume 'Platte' wirklich in die oberste Ebene verschoben werden?",
       "SELECT CatID FROM tblVOLUMES WHERE VID = 10", rt::Null},
      {"C3", nullptr, ui::kAnswerYes, 160, "Soll die Kategorie 'Rock' wirklich in die oberste Ebene verschoben werden?",
       "SELECT Parent FROM tblCATEGORIES WHERE CID = 3", rt::Null},
      // A top-level node dropped on empty space is asked again and keeps Null.
      {"V11", nullptr, ui::kAnswerYes, 159, nullptr, "SELECT CatID FROM tblVOLUMES WHERE VID = 11", rt::Null},
      // Refused targets: the own parent, a volume, a folder, the own descendant; and the first
      // top-level node on empty space, which stands for the top level itself.
      {"V10", "C2", ui::kAnswerYes, 0, nullptr, "SELECT CatID FROM tblVOLUMES WHERE VID = 10", Variant(2)},
      {"V11", "V10", ui::kAnswerYes, 0, nullptr, "SELECT CatID FROM tblVOLUMES WHERE VID = 11", rt::Null},
      {"V11", "V10|100", ui::kAnswerYes, 0, nullptr, "SELECT CatID FROM tblVOLUMES WHERE VID = 11", rt::Null},
      {"C2", "C3", ui::kAnswerYes, 0, nullptr, "SELECT Parent FROM tblCATEGORIES WHERE CID = 2", rt::Null},
      {"C1", nullptr, ui::kAnswerYes, 0, nullptr, "SELECT Parent FROM tblCATEGORIES WHERE CID = 1", rt::Null},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dragged) + " -> " + (c.target ? c.target : "(top)"));
    exec(QStringLiteral("UPDATE tblVOLUMES SET CatID = 2 WHERE VID = 10"));
    exec(QStringLiteral("UPDATE tblVOLUMES SET CatID = NULL WHERE VID = 11"));
    exec(QStringLiteral("UPDATE tblCATEGORIES SET Parent = 2 WHERE CID = 3"));
    // Prepared with clicks reported at once, so that none is still due when the drag starts.
    tree->setUseNodeClickTimer(false);
    tree->Populate(QString::fromUtf8(c.dragged));
    expandAll();
    tree->SelectItem(QString::fromUtf8(c.dragged));
    tree->setUseNodeClickTimer(true);
    clicks.clear();
    boxes().shown.clear();
    boxes().script(c.answer);
    drag(QString::fromUtf8(c.dragged), c.target ? centreOf(QString::fromUtf8(c.target)) : emptySpace());
    if (c.message == 0) {
      EXPECT_TRUE(boxes().shown.empty());
      boxes().answers.clear();
    } else {
      ASSERT_EQ(boxes().shown.size(), 1u);
      EXPECT_EQ(boxes().shown[0].style, 292);
      if (c.text) {
        EXPECT_EQ(boxes().shown[0].text, QString::fromUtf8(c.text));
      }
    }
    EXPECT_EQ(value(QString::fromUtf8(c.sql)), c.expected);
    // The dragged record stays selected, moved or not, and no click follows.
    EXPECT_EQ(selectedKey(), QString::fromUtf8(c.dragged));
    letDeferredClicksCome();
    EXPECT_TRUE(clicks.isEmpty()) << clicks.join(',').toStdString();
    EXPECT_FALSE(tree->isDragging());
    EXPECT_EQ(tree->TV()->dropHighlight(), nullptr);
  }
  // After the move the refilled tree shows it.
  exec(QStringLiteral("UPDATE tblCATEGORIES SET Parent = 2 WHERE CID = 3"));
  tree->Populate(QStringLiteral("C3"));
  boxes().script(ui::kAnswerYes);
  drag(QStringLiteral("C3"), centreOf(QStringLiteral("C1")));
  EXPECT_EQ(node(QStringLiteral("C3"))->parent(), node(QStringLiteral("C1")));
}

TEST_F(TreeInteractionTest, NoDragFromFoldersShortPressesOrReleasesOutside) {
  expandAll();
  // A folder is never dragged.
  tree->SelectItem(QStringLiteral("V10|100"));
  drag(QStringLiteral("V10|100"), emptySpace(), Starts::NoDrag);
  EXPECT_TRUE(boxes().shown.empty());

  // Released before the delay: no drag.
  tree->setDragDelay(10000);
  drag(QStringLiteral("V11"), centreOf(QStringLiteral("C1")), Starts::BeforeTheDelay);
  EXPECT_TRUE(boxes().shown.empty());
  EXPECT_EQ(value(QStringLiteral("SELECT CatID FROM tblVOLUMES WHERE VID = 11")), rt::Null);

  // Released outside the tree: the drag ends without a drop.
  tree->setDragDelay(1);
  const QPoint from = centreOf(QStringLiteral("V11"));
  press(from);
  EXPECT_TRUE(QTest::qWaitFor([this] { return tree->isDragging(); }, 5000));
  EXPECT_EQ(tree->dragIcon(), Tree::DragIcon::NoDrop);
  EXPECT_EQ(ui::mousePointer(), ui::kPointerNoDrop);
  move(centreOf(QStringLiteral("C1")));
  EXPECT_EQ(tree->dragIcon(), Tree::DragIcon::DragFolder);
  EXPECT_EQ(ui::mousePointer(), ui::kPointerCustom);
  EXPECT_EQ(tree->TV()->dropHighlight(), node(QStringLiteral("C1")));
  release(QPoint(-50, -50));
  EXPECT_TRUE(boxes().shown.empty());
  EXPECT_FALSE(tree->isDragging());
  EXPECT_EQ(tree->dragIcon(), Tree::DragIcon::None);
  EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
}

// A catalogue whose tree and rows disagree must still never be given a loop of parents.
TEST_F(TreeInteractionTest, DropThatWouldCloseALoopIsNotWritten) {
  // The tree shows Rock below Musik; the catalogue is changed behind its back so that Archiv
  // lies below Rock.
  exec(QStringLiteral("UPDATE tblCATEGORIES SET Parent = 3 WHERE CID = 1"));
  tree->SelectItem(QStringLiteral("C3"));
  boxes().script(ui::kAnswerYes);
  drag(QStringLiteral("C3"), centreOf(QStringLiteral("C1")));
  ASSERT_EQ(boxes().shown.size(), 1u);
  EXPECT_EQ(value(QStringLiteral("SELECT Parent FROM tblCATEGORIES WHERE CID = 3")), Variant(2));
}

TEST_F(TreeInteractionTest, CheckedNodeLocksItsSubtree) {
  tree->setCheckboxes(true);
  expandAll();
  QSignalSpy changed(tree.get(), &Tree::SelectionChanged);
  QTreeWidgetItem* musik = node(QStringLiteral("C2"));
  musik->setCheckState(0, Qt::Checked);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_TRUE(changed.takeFirst().at(0).toBool());
  for (const char* key : {"C3", "V10", "V10|100"}) {
    EXPECT_EQ(node(key)->checkState(0), Qt::Checked) << key;
    EXPECT_TRUE(Tree::NodeLocked(node(key))) << key;
    EXPECT_TRUE(node(key)->data(0, Qt::ForegroundRole).isValid()) << key;
  }
  EXPECT_FALSE(Tree::NodeLocked(node(QStringLiteral("C1"))));

  // A click on a locked box is undone shortly after, with message 184 and no change event.
  tree->SelectItem(QStringLiteral("C1"));
  node(QStringLiteral("V10"))->setCheckState(0, Qt::Unchecked);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes().shown.empty(); }, 1000));
  EXPECT_EQ(boxes().shown[0].text, QStringLiteral("Die Auswahl dieses Knotens kann nicht geändert werden."));
  EXPECT_EQ(boxes().shown[0].style, 64);
  EXPECT_EQ(node(QStringLiteral("V10"))->checkState(0), Qt::Checked);
  EXPECT_EQ(node(QStringLiteral("C1"))->checkState(0), Qt::Unchecked);
  EXPECT_EQ(changed.count(), 0);

  musik->setCheckState(0, Qt::Unchecked);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_FALSE(changed.takeFirst().at(0).toBool());
  for (const char* key : {"C3", "V10", "V10|100"}) {
    EXPECT_EQ(node(key)->checkState(0), Qt::Unchecked) << key;
    EXPECT_FALSE(Tree::NodeLocked(node(key))) << key;
  }
  // Another kind of change of a node (its picture) is no tick.
  Tree::SetNodeImage(node(QStringLiteral("C1")), QStringLiteral("i13"));
  EXPECT_EQ(changed.count(), 0);
}

// The reversal puts a locked box back to checked, however often it was ticked meanwhile and
// for every locked box ticked before it fires.
TEST_F(TreeInteractionTest, LockedBoxesAlwaysReturnToChecked) {
  tree->setCheckboxes(true);
  expandAll();
  node(QStringLiteral("C2"))->setCheckState(0, Qt::Checked);
  QSignalSpy changed(tree.get(), &Tree::SelectionChanged);

  // Ticked off and on again (a fast double click) before the reversal.
  node(QStringLiteral("V10"))->setCheckState(0, Qt::Unchecked);
  node(QStringLiteral("V10"))->setCheckState(0, Qt::Checked);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes().shown.empty(); }, 1000));
  EXPECT_EQ(node(QStringLiteral("V10"))->checkState(0), Qt::Checked);

  // Two locked boxes within one interval.
  boxes().shown.clear();
  node(QStringLiteral("V10"))->setCheckState(0, Qt::Unchecked);
  node(QStringLiteral("C3"))->setCheckState(0, Qt::Unchecked);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return node(QStringLiteral("V10"))->checkState(0) == Qt::Checked &&
               node(QStringLiteral("C3"))->checkState(0) == Qt::Checked;
      },
      1000));
  // One box for both; a second one, which must not come, would be due by now.
  testenv::letArmedTimersRun(kCheckReversalDelay);
  EXPECT_EQ(boxes().shown.size(), 1u);
  EXPECT_EQ(boxes().shown[0].text, QStringLiteral("Die Auswahl dieses Knotens kann nicht geändert werden."));
  EXPECT_EQ(changed.count(), 0);
}

// Hosts remove nodes directly; a drag must not go on with a node that is gone.
TEST_F(TreeInteractionTest, NodeRemovedWhileADragIsArmedOrRunningEndsIt) {
  tree->setDragDelay(50);
  press(centreOf(QStringLiteral("V11")));
  delete node(QStringLiteral("V11"));
  // The drag would have started by now.
  testenv::letArmedTimersRun(tree->DragDelay());
  EXPECT_FALSE(tree->isDragging());
  EXPECT_EQ(tree->dragIcon(), Tree::DragIcon::None);
  release(emptySpace());
  EXPECT_TRUE(boxes().shown.empty());

  // Running: the dragged node goes, then the pointer moves and the button is released.
  tree->setDragDelay(1);
  press(centreOf(QStringLiteral("V10")));
  ASSERT_TRUE(QTest::qWaitFor([this] { return tree->isDragging(); }, 5000));
  const QPoint archiv = centreOf(QStringLiteral("C1"));
  delete node(QStringLiteral("V10"));
  move(archiv);
  release(archiv);
  EXPECT_FALSE(tree->isDragging());
  EXPECT_TRUE(boxes().shown.empty());
  EXPECT_EQ(value(QStringLiteral("SELECT CatID FROM tblVOLUMES WHERE VID = 10")), Variant(2));
}

namespace {
// Answers every box with Yes after running something, as events handled while a real box is
// open would.
class PresenterThatRuns : public ui::MessagePresenter {
 public:
  explicit PresenterThatRuns(std::function<void()> during) : during_(std::move(during)) {}
  int show(const ui::MessageBoxRequest& request) override {
    shown.push_back(request);
    if (during_) during_();
    return ui::kAnswerYes;
  }
  std::vector<ui::MessageBoxRequest> shown;

 private:
  std::function<void()> during_;
};
}  // namespace

// The drop question is a modal box; the tree may be refilled while it is open.
TEST_F(TreeInteractionTest, TreeRefilledWhileTheDropQuestionIsOpen) {
  auto presenter = std::make_unique<PresenterThatRuns>([this] { tree->Populate(QStringLiteral("C2")); });
  PresenterThatRuns* boxesNow = presenter.get();
  auto recorderBefore = ui::setPresenter(std::move(presenter));
  tree->SelectItem(QStringLiteral("V11"));
  drag(QStringLiteral("V11"), centreOf(QStringLiteral("C1")));
  auto used = ui::setPresenter(std::move(recorderBefore));
  ASSERT_EQ(boxesNow->shown.size(), 1u);
  // The answer still moves the record that was asked about, into the category named.
  EXPECT_EQ(value(QStringLiteral("SELECT CatID FROM tblVOLUMES WHERE VID = 11")), Variant(1));
  EXPECT_EQ(node(QStringLiteral("V11"))->parent(), node(QStringLiteral("C1")));
  EXPECT_FALSE(tree->isDragging());
}
