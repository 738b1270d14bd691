#pragma once

// A catalogue copied from the built template, opened as the program opens it, with a tree
// control bound to it and message boxes answered by a recorder.

#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Workspace.h"
#include "platform/runtime/RaisedError.h"
#include "platform/runtime/Variant.h"
#include "platform/ui/MessageBox.h"
#include "tests/support/TestHelpers.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

class TreeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void exec(const QString& sql, const std::vector<rt::Variant>& params = {});
  void addCategory(int cid, const QString& name, const rt::Variant& parent = rt::Null);
  void addVolume(int vid, const QString& name, const rt::Variant& cat = rt::Null, int type = 3,
                 const QString& path = QStringLiteral("/mnt/daten/"));
  void addPath(int pid, int vid, const rt::Variant& path, const rt::Variant& parent);
  rt::Variant value(const QString& sql);

  // "key|text|image" per node, indented by depth, in the order the tree view shows them.
  QStringList dump(const QTreeWidgetItem* top = nullptr) const;
  QTreeWidgetItem* node(const QString& key) const { return tree->TV()->node(key); }
  QString selectedKey() const;

  // Real mouse input on the tree view's viewport.
  QPoint centreOf(const QString& key) const;
  QPoint emptySpace() const;
  void press(const QPoint& at, Qt::MouseButton button = Qt::LeftButton);
  void move(const QPoint& at);
  void release(const QPoint& at, Qt::MouseButton button = Qt::LeftButton);
  // Press on one node, then move over the target and release there: once the drag has
  // started (Drag), once the drag delay is over without one (NoDrag), or at once, before the
  // drag delay is over (BeforeTheDelay).
  enum class Starts { Drag, NoDrag, BeforeTheDelay };
  void drag(const QString& fromKey, const QPoint& to, Starts starts = Starts::Drag);

  ui::RecordingPresenter& boxes() { return *recorder; }

  // The tree reports a click this long after the selection changed, and puts locked check
  // boxes back this long after the first of them was ticked.
  static constexpr int kClickDelay = 5;
  static constexpr int kCheckReversalDelay = 50;
  // Returns once a click the tree has put off would have been reported.
  static void letDeferredClicksCome() { testenv::letArmedTimersRun(kClickDelay); }

  QString path;
  jet::Engine engine;
  std::shared_ptr<jet::Workspace> ws;
  std::shared_ptr<jet::Database> db;
  std::unique_ptr<Tree> tree;
  ui::RecordingPresenter* recorder = nullptr;
  std::unique_ptr<ui::MessagePresenter> previous;
  QStringList clicks;  // keys reported by NodeClick
  QStringList status;  // texts reported by Status
};
