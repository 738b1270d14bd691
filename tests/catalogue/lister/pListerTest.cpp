#include "catalogue/pLister.h"
#include "tests/catalogue/commands/CommandsFixture.h"

#include <pthread.h>

#include <functional>
#include <memory>

namespace {

// A tree of folder nodes as the catalogue tree shows them.
struct FakeNode {
  QString text;
  int pid;
  std::vector<std::shared_ptr<FakeNode>> children;
  FakeNode* parent = nullptr;
};

class Node : public ListerNode {
 public:
  explicit Node(const FakeNode* n) : n_(n) {}
  QString Text() const override { return n_->text; }
  QString Tag() const override { return QString::number(n_->pid); }
  int Children() const override { return static_cast<int>(n_->children.size()); }
  std::unique_ptr<ListerNode> Child() const override {
    return n_->children.empty() ? nullptr : std::make_unique<Node>(n_->children.front().get());
  }
  std::unique_ptr<ListerNode> Next() const override {
    if (!n_->parent) return nullptr;
    const auto& sib = n_->parent->children;
    for (size_t i = 0; i + 1 < sib.size(); ++i)
      if (sib[i].get() == n_) return std::make_unique<Node>(sib[i + 1].get());
    return nullptr;
  }
  const FakeNode* n_;
};

class Tree : public ListerTree {
 public:
  std::unique_ptr<ListerNode> FirstNode() const override { return root ? std::make_unique<Node>(root.get()) : nullptr; }
  std::shared_ptr<FakeNode> root;
};

std::shared_ptr<FakeNode> add(const std::shared_ptr<FakeNode>& parent, const QString& text, int pid) {
  auto n = std::make_shared<FakeNode>(FakeNode{text, pid, {}, parent.get()});
  parent->children.push_back(n);
  return n;
}

const double k20030201_040506 = 37653.170208333335;

class ListerTest : public CommandsTest {
 protected:
  // Volume root (1) > Data (2) {B.txt, a.txt} > Sub (3) {b.txt}, Sub2 (4) {}; Empty (5) beside Data.
  void SetUp() override {
    CommandsTest::SetUp();
    addVolume(1, "Vol", "/mnt/v/");
    addPath(1, 1, rt::Null, rt::Null);
    addPath(2, 1, "Data", 1);
    addPath(3, 1, "Sub", 2);
    addPath(4, 1, "Sub2", 2);
    addPath(5, 1, "Empty", 1);
    addFile(1, 2, "B.txt", 1048576);
    addFile(2, 2, "a.txt", 1234, k20030201_040506);
    addFile(3, 3, "b.txt", 0);
    tree.root = std::make_shared<FakeNode>(FakeNode{"Vol", 1, {}, nullptr});
    data = add(tree.root, "Data", 2);
    add(data, "Sub", 3);
    add(data, "Sub2", 4);
    empty = add(tree.root, "Empty", 5);
  }
  QString list(const std::shared_ptr<FakeNode>& n, bool skip, bool recursive) {
    std::unique_ptr<ListerNode> start = std::make_unique<Node>(n.get());
    return pLister().tvwGetData(tree, start, skip, 2, recursive);
  }

  Tree tree;
  std::shared_ptr<FakeNode> data, empty;
};

TEST_F(ListerTest, BranchInTheListingFormat) {
  EXPECT_EQ(list(data, true, true),
            "/Data\r\n"
            "  a.txt, 01.02.2003 04:05:06, 1.234 Bytes (1,2 KB)\r\n"
            "  B.txt, 01.02.2003 04:05:06, 1.048.576 Bytes (1024,0 KB)\r\n"
            "\r\n"
            "  /Sub\r\n"
            "    b.txt, 01.02.2003 04:05:06, 0 Bytes (0,0 KB)\r\n"
            "\r\n"
            "  /Sub2");
}

TEST_F(ListerTest, LoneNodeAndNonRecursiveListing) {
  EXPECT_EQ(list(empty, true, true), "/Empty");
  // A volume's root folder is shown by its absolute path, which is not joined again.
  auto root = std::make_shared<FakeNode>(FakeNode{"/usr/share/doc/ [Root]", 5, {}, nullptr});
  EXPECT_EQ(list(root, true, true), "/usr/share/doc/ [Root]");
  EXPECT_EQ(list(data, true, false),
            "/Data\r\n"
            "  a.txt, 01.02.2003 04:05:06, 1.234 Bytes (1,2 KB)\r\n"
            "  B.txt, 01.02.2003 04:05:06, 1.048.576 Bytes (1024,0 KB)");
}

TEST_F(ListerTest, FolderWithFilesOnlyBelowAndSiblingsReturnToTheirLevel) {
  std::unique_ptr<ListerNode> none;
  const QString all = pLister().tvwGetData(tree, none, false, 2, true);
  ASSERT_TRUE(none);
  EXPECT_EQ(none->Text(), "Vol");
  EXPECT_TRUE(all.startsWith("/Vol\r\n\r\n  /Data\r\n"));
  EXPECT_TRUE(all.endsWith("    /Sub2\r\n\r\n  /Empty"));
}

TEST_F(ListerTest, EmptyTreeGivesNothing) {
  Tree bare;
  std::unique_ptr<ListerNode> none;
  EXPECT_EQ(pLister().tvwGetData(bare, none, true, 2, true), "");
}

TEST_F(ListerTest, ManySiblingsDoNotDeepenTheStack) {
  auto wide = std::make_shared<FakeNode>(FakeNode{"Wide", 1, {}, nullptr});
  for (int i = 0; i < 3000; ++i) add(wide, QString::number(i), 100000 + i);
  Tree t;
  t.root = wide;
  std::unique_ptr<ListerNode> start;
  const QString text = pLister().tvwGetData(t, start, true, 2, true);
  EXPECT_EQ(text.count("/"), 3001);
}

// Runs body on a thread with a small stack, so that a walk whose depth costs stack shows on a
// chain of modest length.
void onSmallStack(const std::function<void()>& body) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 512 * 1024);
  pthread_t thread;
  auto run = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&body)), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

TEST_F(ListerTest, DeepChainDoesNotDeepenTheStack) {
  const int depth = 20000;
  auto root = std::make_shared<FakeNode>(FakeNode{"0", 1, {}, nullptr});
  std::shared_ptr<FakeNode> leaf = root;
  for (int i = 1; i < depth; ++i) leaf = add(leaf, QString::number(i), 100000 + i);
  Tree t;
  t.root = root;
  QString text;
  onSmallStack([&] {
    std::unique_ptr<ListerNode> start;
    text = pLister().tvwGetData(t, start, true, 0, true);
  });
  EXPECT_EQ(text.count("/"), depth);
  EXPECT_TRUE(text.endsWith("\r\n\r\n/" + QString::number(depth - 1)));
  // Free the chain without recursing through the nodes' destructors.
  for (auto n = root; n && !n->children.empty();) {
    auto next = n->children.front();
    n->children.clear();
    n = next;
  }
}

TEST_F(ListerTest, NonNumericTagListsNoFiles) {
  class BadTag : public Node {
   public:
    using Node::Node;
    QString Tag() const override { return "2 OR 1=1"; }
  } bad(data.get());
  Tree t;
  std::unique_ptr<ListerNode> start = std::make_unique<BadTag>(data.get());
  EXPECT_EQ(pLister().tvwGetData(t, start, true, 2, false), "/Data");
}

}  // namespace
