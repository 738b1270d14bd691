#include "TreeFixture.h"

#include "catalogue/widgets/TreeNode.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTest>

void TreeTest::SetUp() {
  path = testenv::freshTempDir() + QStringLiteral("/Archiv.qvk");
  ASSERT_TRUE(QFile::copy(testenv::binDir() + QStringLiteral("/zuvrax.db"), path));
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  engine.SetSystemDB(testenv::binDir() + QStringLiteral("/zuvrax.mdw"));
  ws = engine.CreateWorkspace(QStringLiteral("Default"), QStringLiteral("QZAdmin"), QStringLiteral("Wexo71"));
  db = ws->OpenDatabase(path, false);

  auto rec = std::make_unique<ui::RecordingPresenter>();
  recorder = rec.get();
  previous = ui::setPresenter(std::move(rec));

  tree = std::make_unique<Tree>();
  tree->resize(300, 400);
  tree->setDatabase(db.get());
  tree->show();
  QObject::connect(tree.get(), &Tree::NodeClick, [this](QTreeWidgetItem* n) { clicks << ui::itemKey(n); });
  QObject::connect(tree.get(), &Tree::Status, [this](const QString& t) { status << t; });
}

void TreeTest::TearDown() {
  tree.reset();
  if (db) db->Close();
  ui::setPresenter(std::move(previous));
}

void TreeTest::exec(const QString& sql, const std::vector<rt::Variant>& params) { db->Execute(sql, 0, params); }

void TreeTest::addCategory(int cid, const QString& name, const rt::Variant& parent) {
  exec(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName, Parent) VALUES (?, ?, ?)"), {cid, name, parent});
}

void TreeTest::addVolume(int vid, const QString& name, const rt::Variant& cat, int type, const QString& volPath) {
  exec(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, CatID) "
                      "VALUES (?, ?, ?, ?, 45000, ?)"),
       {vid, name, volPath, type, cat});
}

void TreeTest::addPath(int pid, int vid, const rt::Variant& p, const rt::Variant& parent) {
  exec(QStringLiteral(
           "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, TotalSize) "
           "VALUES (?, ?, ?, ?, 0, 0, 0, 0, 0)"),
       {pid, vid, p, parent});
}

rt::Variant TreeTest::value(const QString& sql) {
  auto rs = db->OpenRecordset(sql, jet::RecordsetType::Snapshot);
  rt::Variant v = rs->IsEOF() ? rt::Variant() : rs->Fields(0).Value();
  rs->Close();
  return v;
}

QStringList TreeTest::dump(const QTreeWidgetItem* top) const {
  QStringList out;
  std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* n, int depth) {
    out << QString(depth * 2, QLatin1Char(' ')) + ui::itemKey(n) + QStringLiteral("|") + n->text(0) +
               QStringLiteral("|") + Tree::NodeImage(n);
    for (int i = 0; i < n->childCount(); ++i) walk(n->child(i), depth + 1);
  };
  if (top) {
    for (int i = 0; i < top->childCount(); ++i) walk(top->child(i), 0);
  } else {
    for (int i = 0; i < tree->TV()->topLevelItemCount(); ++i) walk(tree->TV()->topLevelItem(i), 0);
  }
  return out;
}

QString TreeTest::selectedKey() const { return ui::itemKey(tree->SelectedItem()); }

QPoint TreeTest::centreOf(const QString& key) const {
  QTreeWidgetItem* n = node(key);
  EXPECT_NE(n, nullptr) << key.toStdString();
  tree->TV()->scrollToItem(n);
  return tree->TV()->visualItemRect(n).center();
}

QPoint TreeTest::emptySpace() const {
  const QRect r = tree->TV()->viewport()->rect();
  return QPoint(r.width() / 2, r.height() - 5);
}

static void sendMouse(QWidget* w, QEvent::Type type, const QPoint& at, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

void TreeTest::press(const QPoint& at, Qt::MouseButton button) {
  sendMouse(tree->TV()->viewport(), QEvent::MouseButtonPress, at, button, button);
}

void TreeTest::move(const QPoint& at) {
  sendMouse(tree->TV()->viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}

void TreeTest::release(const QPoint& at, Qt::MouseButton button) {
  sendMouse(tree->TV()->viewport(), QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

void TreeTest::drag(const QString& fromKey, const QPoint& to, Starts starts) {
  const QPoint from = centreOf(fromKey);
  press(from);
  if (starts == Starts::Drag)
    EXPECT_TRUE(QTest::qWaitFor([this] { return tree->isDragging(); }, 5000)) << fromKey.toStdString();
  else if (starts == Starts::NoDrag)
    testenv::letArmedTimersRun(tree->DragDelay());
  move(from + QPoint(0, 1));
  move(to);
  release(to);
}
