// A user's way through the program: a new catalogue, a category, and a volume read from a
// real folder tree with odd names, through the real main window, the category picker and the
// wizard; then the same folder a second time, and the main window closed during a read.
#include "ReaderTestSupport.h"
#include "WalkerTestSupport.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pInfoColl.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/TreeView.h"
#include "foundation/widgets/WindowCommand.h"
#include "mainwindow/StructureCommands.h"
#include "mainwindow/frmMain.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/CatalogueChecks.h"
#include "tests/support/ModalScript.h"
#include "windows/capture/frmVolumeNew.h"
#include "windows/maintenance/frmCatNew.h"
#include "windows/maintenance/frmCatPicker.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class Host : public StructureCommandsHost {
 public:
  explicit Host(frmMain* w) : w_(w) {}
  QWidget* Window() override { return w_; }
  Tree* TreeControl() override { return w_->Tree1; }
  pInfoColl* InfoCache() override { return &cache; }
  void FormEnable(bool) override {}
  void FindEnableUpdate() override {}
  void EmptyAfterVolumeDelete() override {}
  pInfoColl cache;

 private:
  frmMain* w_;
};

// Names a file system may hold and a catalogue must keep apart and readable.
QByteArray oddMedium(const QString& base) {
  const QByteArray root = (base + QStringLiteral("/Fotos vom Strand ")).toUtf8();
  walktest::makeDir(root);
  walktest::writeFile(root + "/ leading blank.jpg", 5);
  walktest::writeFile(root + "/trailing blank ", 6);
  walktest::writeFile(root + "/Grüße aus Köln – Ä Ö Ü ß.txt", 7);
  walktest::writeFile(root + "/caf\xc3\xa9 composed", 1);
  walktest::writeFile(root + "/cafe\xcc\x81 decomposed", 2);
  walktest::writeFile(root + "/Latin-1 \xe4rger.txt", 3);  // not UTF-8
  walktest::writeFile(root + "/O'Brien | 50% _x_ [alt] #1.dat", 8);
  walktest::writeFile(root + "/README", 9);
  walktest::writeFile(root + "/readme", 10);
  walktest::writeFile(root + "/.versteckt", 11);
  walktest::writeFile(root + "/" + QByteArray(250, 'n') + ".txt", 12);
  mkfifo((root + "/eine Pipe").constData(), 0644);
  walktest::makeDir(root + "/leer");
  walktest::makeDir(root + "/.versteckter Ordner");
  walktest::writeFile(root + "/.versteckter Ordner/drin", 13);
  walktest::makeDir(root + "/Ordner \xff kaputt");
  walktest::writeFile(root + "/Ordner \xff kaputt/datei", 14);
  QByteArray deep = root;
  for (int i = 1; i <= 6; ++i) {
    deep += "/Ebene " + QByteArray::number(i);
    walktest::makeDir(deep);
    walktest::writeFile(deep + "/tief " + QByteArray::number(i), 100 * i);
  }
  symlink("Ebene 1", (root + "/Verweis auf Ordner").constData());
  symlink("README", (root + "/Verweis auf Datei").constData());
  symlink("gibt es nicht", (root + "/toter Verweis").constData());
  return root;
}

class VolumeNewEndToEndTest : public MainWindowFixture {
 protected:
  void TearDown() override {
    MainWindowFixture::TearDown();
    if (previousChooser) ui::setFileChooser(std::move(previousChooser));
  }
  void startWithNewCatalogue() {
    startExposed();
    auto ch = std::make_unique<ScriptedChooser>();
    chooser = ch.get();
    previousChooser = ui::setFileChooser(std::move(ch));
    chooser->answers = {dir + QStringLiteral("/neu.qvk")};
    window->findChild<QAction*>(QStringLiteral("mMainFile_New"))->trigger();
    ASSERT_EQ(gDB->DBPath(), dir + QStringLiteral("/neu.qvk"));
    host = std::make_unique<Host>(window);
    commands = std::make_unique<StructureCommands>(*host);
  }
  Tree* tree() const { return window->Tree1; }
  QString selectedKey() const { return ui::itemKey(tree()->SelectedItem()); }
  int64_t count(const QString& sql) const {
    auto rs = gDB->DB()->OpenRecordset(sql, jet::RecordsetType::Snapshot);
    return rs->Fields(0).Value().toLong();
  }
  // The folders below a volume's root node as paths below the root ("" for the root itself);
  // the walk makes each folder's subfolder nodes before it reads them.
  QStringList folderNodes(const QString& volumeKey) const {
    QStringList out;
    QTreeWidgetItem* volume = tree()->TV()->node(volumeKey);
    if (!volume || volume->childCount() != 1) return out;
    std::function<void(QTreeWidgetItem*, const QString&)> walk = [&](QTreeWidgetItem* n, const QString& rel) {
      out << rel;
      tree()->LoadFolderChildren(n);
      for (int i = 0; i < n->childCount(); ++i)
        walk(n->child(i), rel.isEmpty() ? n->child(i)->text(0) : rel + QLatin1Char('/') + n->child(i)->text(0));
    };
    walk(volume->child(0), QString());
    out.sort();
    return out;
  }
  // Answers the picker with OK and the wizard as a user does: a name, every file, Speichern.
  static void pickAndRead(ModalScript& script, const QString& name,
                          const std::function<void(frmVolumeNew&)>& before = {}) {
    script.then(QStringLiteral("frmCatPicker"), [](QWidget* w) { static_cast<frmCatPicker*>(w)->cmdNext()->click(); });
    script.then(QStringLiteral("frmVolumeNew"), [name, before](QWidget* w) {
      auto* v = static_cast<frmVolumeNew*>(w);
      v->VolumeName()->setText(name);
      QTest::mouseClick(v->cmdNext(), Qt::LeftButton);
      QTest::mouseClick(v->cmdNext(), Qt::LeftButton);
      QTest::mouseClick(v->cmdNext(), Qt::LeftButton);
      v->chkOnReadSkipHidden()->setChecked(false);
      v->chkOnReadSkipSystem()->setChecked(false);
      if (before) before(*v);
      QTest::mouseClick(v->cmdNext(), Qt::LeftButton);
      // A read that did not end the wizard leaves it open: the user gives up.
      if (v->isVisible()) QTest::mouseClick(v->cmdCancel(), Qt::LeftButton);
    });
  }
  int32_t newCategory(const QString& name) {
    ModalScript script;
    script.then(QStringLiteral("frmCatNew"), [name](QWidget* w) {
      auto* d = static_cast<frmCatNew*>(w);
      QTest::keyClicks(d->CatName(), name);
      QTest::mouseClick(d->cmdOK(), Qt::LeftButton);
    });
    commands->NewCat();
    return ui::itemTag(tree()->SelectedItem()).toInt();
  }

  ScriptedChooser* chooser = nullptr;
  std::unique_ptr<ui::FileChooser> previousChooser;
  std::unique_ptr<Host> host;
  std::unique_ptr<StructureCommands> commands;
};

TEST_F(VolumeNewEndToEndTest, OddFolderTreeIsFoundInTheTreeAndTheCatalogue) {
  startWithNewCatalogue();
  int32_t cat = newCategory(QStringLiteral("Urlaub & Reisen"));
  ASSERT_EQ(selectedKey(), QStringLiteral("C1"));

  const QByteArray root = oddMedium(testenv::freshTempDir());
  chooser->answers = {QString::fromUtf8(root)};
  {
    ModalScript script;
    pickAndRead(script, QStringLiteral("Strand 2003"));
    commands->NewVolume(cat);
  }
  EXPECT_EQ(cat, 1);
  ASSERT_FALSE(boxes->shown.empty());
  EXPECT_EQ(boxes->shown.back().text, QStringLiteral("Das Einlesen ist abgeschlossen."));
  // The new volume is selected in its category.
  ASSERT_EQ(selectedKey(), QStringLiteral("V1"));
  EXPECT_EQ(ui::itemKey(tree()->SelectedItem()->parent()), QStringLiteral("C1"));
  EXPECT_EQ(tree()->SelectedItem()->text(0), QStringLiteral("Strand 2003"));

  // Every folder and file is in the catalogue, as the file system lists them.
  const auto expected = readertest::referenceWalk(root, false);
  const auto stored = readertest::storedFolders(*gDB->DB(), 1);
  ASSERT_EQ(stored.keys(), expected.keys());
  for (auto it = expected.begin(); it != expected.end(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    EXPECT_EQ(stored[it.key()].values.allFiles.keys(), it->allFiles.keys());
    EXPECT_EQ(stored[it.key()].values.totalFiles, it->totalFiles);
    EXPECT_EQ(stored[it.key()].values.totalSize, it->totalSize);
  }
  EXPECT_EQ(expected.size(), 10);
  EXPECT_EQ(expected[QString()].allFiles.size(), 15);

  // Expanded, the volume shows every folder.
  tree()->SelectedItem()->setExpanded(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !folderNodes(QStringLiteral("V1")).isEmpty(); }, 5000));
  QStringList folders = expected.keys();
  folders.sort();
  EXPECT_EQ(folderNodes(QStringLiteral("V1")), folders);

  const testenv::RawCatalogue file(gDB->DBPath());
  EXPECT_EQ(file.integrityCheck(), QStringLiteral("ok"));
  EXPECT_EQ(file.orphanRows(), 0);

  // The same folder again: the catalogued volume is shown and the user asked; No reads nothing.
  boxes->shown.clear();
  tree()->SelectItem(QStringLiteral("C1"));
  chooser->answers = {QString::fromUtf8(root)};
  boxes->script(ui::kAnswerNo);
  {
    ModalScript script;
    script.then(QStringLiteral("frmCatPicker"), [](QWidget* w) { static_cast<frmCatPicker*>(w)->cmdNext()->click(); });
    commands->NewVolume(cat);
  }
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.startsWith(QStringLiteral("Es ist ein Konflikt aufgetreten:")));
  EXPECT_TRUE(boxes->shown[0].text.contains(QStringLiteral("('Strand 2003')")));
  EXPECT_EQ(selectedKey(), QStringLiteral("V1"));
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")), 1);
}

// During a read no other command starts, and closing the main window asks: No lets the read
// finish, Yes stops it; the window stays open either way, with what it uses.
// Off until the new-volume command is reached from the tree's menu: started outside the main
// window's own command, the shut-down after the close frees the window under the fixture.
TEST_F(VolumeNewEndToEndTest, DISABLED_ClosingTheMainWindowDuringAReadAsks) {
  startWithNewCatalogue();
  QToolButton* newButton = nullptr;
  for (QToolButton* b : window->findChildren<QToolButton*>())
    if (b->defaultAction() && b->defaultAction()->objectName() == QStringLiteral("TB_DBNew")) newButton = b;
  ASSERT_NE(newButton, nullptr);
  for (const int answer : {ui::kAnswerNo, ui::kAnswerYes}) {
    SCOPED_TRACE(answer);
    const QByteArray root = oddMedium(testenv::freshTempDir());
    boxes->shown.clear();
    chooser->requests.clear();
    chooser->answers = {QString::fromUtf8(root)};
    int32_t cat = 0;
    bool otherCommand = false;
    {
      ModalScript script;
      script.then(QStringLiteral("frmVolumeNew"), [&](QWidget* w) {
        auto* v = static_cast<frmVolumeNew*>(w);
        v->VolumeName()->setText(QStringLiteral("Lauf %1").arg(answer));
        v->GotoPage(3);
        boxes->script(answer);
        // Once the read runs: another command ("new catalogue"), then the main window's close.
        auto* during = new QTimer(v);
        QObject::connect(during, &QTimer::timeout, v, [&, v, during] {
          if (!v->Reading()) return;
          during->stop();
          const size_t asked = chooser->requests.size();
          QTest::mouseClick(newButton, Qt::LeftButton);
          otherCommand = chooser->requests.size() != asked;
          window->close();
        });
        during->start(1);
        QTest::mouseClick(v->cmdNext(), Qt::LeftButton);
        if (v->isVisible()) QTest::mouseClick(v->cmdCancel(), Qt::LeftButton);
      });
      // As the main window runs it: a command, so the close waits for its end.
      RunCommand(QStringLiteral("frmMain"), QStringLiteral("NewVolume"), [&] { commands->NewVolume(cat); });
    }
    EXPECT_FALSE(otherCommand);
    ASSERT_GE(boxes->shown.size(), 2u);
    EXPECT_EQ(boxes->shown[0].text, QStringLiteral("Soll das Einlesen wirklich abgebrochen werden?"));
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(gDB);
    EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES WHERE VolumeName = 'Lauf %1'").arg(answer)),
              answer == ui::kAnswerNo ? 1 : 0);
    EXPECT_EQ(gDB->WS()->TransactionDepth(), 0);
  }
  EXPECT_EQ(testenv::RawCatalogue(gDB->DBPath()).orphanRows(), 0);
}

}  // namespace
