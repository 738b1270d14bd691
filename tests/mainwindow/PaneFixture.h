#pragma once

// A catalogue into which the volume reader has read a real folder tree, opened in the real
// main window, and the ways a user reaches its panes: clicking nodes, expanding volumes,
// typing into fields and leaving them.
//
// The tree below the volume root:
//   setup.EXE (10240)  README (100)  notiz.txt (10)
//   Bilder/   urlaub.jpg (1536)  Strand.JPG (2048)  grösse.png (0)
//   Musik/    Klassik/  bach.mp3 (1048576)  mozart.mp3 (1048577)
// Categories: Archiv (1) holds Fotos (2, "Urlaube und Feste"); Leer (3). The volume
// "Sicherung 2021" (1) lies in Fotos, stored in "Keller" (location 1).

#include "catalogue/mdlGlobals.h"
#include "catalogue/pReader.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/TreeView.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainDetail.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/jet/Engine.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestHelpers.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

#include <sys/stat.h>
#include <utime.h>

namespace rt {
// Shows values as text in failure messages.
inline void PrintTo(const Variant& v, std::ostream* os) {
  *os << (v.isNull() ? std::string("Null") : v.isEmpty() ? std::string("Empty") : '"' + v.toText().toStdString() + '"');
}
}  // namespace rt

class PaneFixture : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    chooser = installScriptedChooser();
  }

  struct TreeFile {
    const char* path;
    int64_t size;
    const char* mtime;  // local time
  };
  static constexpr TreeFile kFiles[] = {
      {"setup.EXE", 10240, "2020-02-29T08:00:00"},
      {"README", 100, "2019-12-31T23:59:59"},
      {"notiz.txt", 10, "2021-01-02T03:04:05"},
      {"Bilder/urlaub.jpg", 1536, "2019-07-25T10:20:30"},
      {"Bilder/Strand.JPG", 2048, "2020-08-01T12:00:00"},
      {"Bilder/grösse.png", 0, "2022-11-30T18:45:00"},
      {"Musik/Klassik/bach.mp3", 1048576, "2018-03-21T09:00:00"},
      {"Musik/Klassik/mozart.mp3", 1048577, "2018-01-27T20:00:00"},
  };

  // Writes the tree below dir/daten and returns the root with its trailing "/".
  QString makeTree() {
    const QString root = dir + "/daten/";
    for (const TreeFile& f : kFiles) {
      const QString path = root + QString::fromUtf8(f.path);
      EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()));
      QFile out(path);
      EXPECT_TRUE(out.open(QIODevice::WriteOnly));
      EXPECT_TRUE(out.resize(f.size));
      out.close();
      const qint64 t = QDateTime::fromString(QString::fromLatin1(f.mtime), Qt::ISODate).toSecsSinceEpoch();
      utimbuf times{static_cast<time_t>(t), static_cast<time_t>(t)};
      EXPECT_EQ(utime(QFile::encodeName(path).constData(), &times), 0);
    }
    return root;
  }

  // The catalogue with the tree read in by the volume reader. The window must be up: the
  // reader reports through the program's error reporter.
  QString readCatalogue() {
    const QString root = makeTree();
    const QString path = dir + "/archiv.qvk";
    EXPECT_TRUE(testenv::copyTemplate(path));
    jet::Engine engine;
    auto ws = testenv::catalogueWorkspace(engine);
    auto db = ws->OpenDatabase(path, false);
    db->Execute("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (1, 'Keller')");
    db->Execute("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (2, 'Dachboden')");
    db->Execute("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (1, 'Archiv')");
    db->Execute("INSERT INTO tblCATEGORIES (CID, CatName, CatDescription, Parent) VALUES (2, 'Fotos', ?, 1)", 0,
                {rt::Variant("Urlaube und Feste")});
    db->Execute("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (3, 'Leer')");
    db->Execute(
        "INSERT INTO tblVOLUMES (VID, VolumeName, Description, Memo, VolumePath, VolumeSerial, VolumeLabel, "
        "VolumeType, Computername, EditDate, CatID, LocID) VALUES (1, 'Sicherung 2021', 'Alles von damals', "
        "'Regal 2, Fach 4', ?, '-1234567', 'DATEN', 3, 'werkbank', ?, 2, 1)",
        0, {rt::Variant(root), rt::Variant::fromDateTime(QDateTime(QDate(2021, 9, 14), QTime(16, 5, 9)))});
    pReaderSettings settings;
    settings.ReadingBreakDuration = 0;
    {
      pReader reader(ws, db, settings);
      EXPECT_TRUE(reader.Read(1));
    }
    db->Close();
    boxes->shown.clear();  // the reader's "done"
    return path;
  }

  // Starts the window and opens the read catalogue as start-up does.
  void openRead() {
    startExposed();
    catalogue = readCatalogue();
    window->pubDBOpen(catalogue);
    ASSERT_TRUE(boxes->shown.empty()) << boxes->shown[0].text.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return visiblePane() == "category"; }, 5000));
  }

  Tree* tree() const { return window->Tree1; }
  frmMainDetail& detail() const { return *window->Detail(); }
  QTreeWidgetItem* node(const QString& key) const { return tree()->TV()->node(key); }
  QAction* item(const char* name) const { return window->findChild<QAction*>(QString::fromLatin1(name)); }

  QString visiblePane() const {
    QStringList shown;
    if (window->picCategory->isVisible()) shown << "category";
    if (window->picVolume->isVisible()) shown << "volume";
    if (window->picFolder->isVisible()) shown << "folder";
    return shown.size() > 1 ? QStringLiteral("several") : shown.value(0);
  }

  // A real click on the node; true once the window has handled the tree's report of it.
  bool click(const QString& key) {
    QTreeWidgetItem* n = node(key);
    if (!n) return false;
    tree()->TV()->scrollToItem(n);
    QSignalSpy reported(tree(), &Tree::NodeClick);
    QTest::mouseClick(tree()->TV()->viewport(), Qt::LeftButton, {}, tree()->TV()->visualItemRect(n).center());
    return QTest::qWaitFor(
        [&] {
          for (const QList<QVariant>& args : reported)
            if (ui::itemKey(args.at(0).value<QTreeWidgetItem*>()) == key) return true;
          return false;
        },
        5000);
  }
  // The folder node of the volume whose text is name (the root is "<path> [Root]"). The walk
  // makes each folder's subfolder nodes before it reads them.
  QString folderKey(const QString& name) {
    QTreeWidgetItem* volume = node("V1");
    if (!volume) return QString();
    volume->setExpanded(true);
    QString found;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* n) {
      tree()->LoadFolderChildren(n);
      for (int i = 0; i < n->childCount(); ++i) {
        QTreeWidgetItem* c = n->child(i);
        if (c->text(0) == name) found = ui::itemKey(c);
        walk(c);
      }
    };
    walk(volume);
    return found;
  }
  bool clickFolder(const QString& name) {
    const QString key = folderKey(name);
    if (key.isEmpty()) return false;
    if (QTreeWidgetItem* n = node(key))
      for (QTreeWidgetItem* p = n->parent(); p; p = p->parent()) p->setExpanded(true);
    return click(key);
  }

  // The rows of a two-column information list as "label|value".
  static QStringList rows(const QTreeWidget* list) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* r = list->topLevelItem(i);
      QStringList cells;
      for (int c = 0; c < list->columnCount(); ++c) cells << r->text(c);
      out << cells.join("|");
    }
    return out;
  }

  // Types into a field as a user does, replacing what it holds.
  static void typeInto(QWidget* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
      line->selectAll();
      if (text.isEmpty()) QTest::keyClick(line, Qt::Key_Delete);
    } else if (auto* edit = qobject_cast<QTextEdit*>(field)) {
      edit->selectAll();
      if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
    }
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
      if (i > 0) QTest::keyClick(field, Qt::Key_Return);
      if (!lines[i].isEmpty()) QTest::keyClicks(field, lines[i]);
    }
  }
  // Leaves the field the way a user does: the keyboard focus goes to the tree.
  void leaveField() {
    tree()->TV()->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
  }

  // A value of the catalogue as stored, read through the window's own connection.
  static rt::Variant stored(const QString& sql) {
    auto rs = gDB->DB()->OpenRecordset(sql, jet::RecordsetType::Snapshot);
    return rs->IsEOF() ? rt::Variant() : rs->Fields(0).Value();
  }

  ScriptedChooser* chooser = nullptr;
  QString catalogue;
};
