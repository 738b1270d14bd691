// The main window's context menus used as a user does, with the mouse, on a real catalogue:
// which menu a right click opens and what it offers, deleting through them, memos and file
// descriptions typed into the text window, the Info windows, copying and opening files.
#include "catalogue/mdlGlobals.h"
#include "catalogue/pReader.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/TreeView.h"
#include "foundation/widgets/RichText.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/ui/ShellOpen.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/mainwindow/CatalogueWriter.h"
#include "tests/mainwindow/ContextMenus.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/mainwindow/files/ModalWindows.h"
#include "tests/support/CatalogueChecks.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestHelpers.h"
#include "windows/capture/frmEditor.h"
#include "windows/capture/frmProperties.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace {

class ContextMenusTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    RegisterPropertiesWindow();
    auto sh = std::make_unique<ui::RecordingShellOpener>();
    shell = sh.get();
    previousShell = ui::setShellOpener(std::move(sh));
  }
  void TearDown() override {
    menus::closePopups();
    MainWindowFixture::TearDown();
    ui::setShellOpener(std::move(previousShell));
  }

  // Fotos (1) holds Urlaub (2) and "Fotos 2003" (1), read from a folder that is here; Urlaub
  // holds "Strand" (3); Leer (3) is empty; "Alpha" (2) and "Weg" (4, its medium not inserted)
  // stand at the top level.
  QString filledCatalogue() {
    const QString path = dir + QStringLiteral("/archiv.qvk");
    EXPECT_TRUE(testenv::copyTemplate(path));
    medium = dir + QStringLiteral("/medium/");
    EXPECT_TRUE(QDir().mkpath(medium + QStringLiteral("Italien")));
    QFile present(medium + QStringLiteral("Italien/Gardasee.jpg"));
    EXPECT_TRUE(present.open(QIODevice::WriteOnly));
    present.write("jpg");
    present.close();
    CatalogueWriter c(path);
    c.category(1, "Fotos");
    c.category(2, "Urlaub", 1);
    c.category(3, "Leer");
    c.volume(1, "Fotos 2003", 1, 3, medium);
    c.volume(2, "Alpha");
    c.volume(3, "Strand", 2);
    c.volume(4, "Weg", rt::Null, 3, QStringLiteral("/media/nicht-eingelegt/"));
    c.folder(10, 1, rt::Null, rt::Null);
    c.folder(11, 1, "Italien", 10);
    c.folder(20, 2, rt::Null, rt::Null);
    c.folder(30, 3, rt::Null, rt::Null);
    c.folder(31, 3, "Tag 1", 30);
    c.folder(40, 4, rt::Null, rt::Null);
    c.file(1, 11, "Gardasee.jpg", 2345678);
    c.file(2, 11, "fehlt.jpg", 10, "schon beschrieben");
    c.file(3, 31, "Muschel.png", 500);
    c.file(4, 40, "Brief.txt", 20);
    return path;
  }
  void open(const QString& path) {
    startExposed();
    gfrmMain->pubDBOpen(path);
    ASSERT_EQ(gDB->DBPath(), path);
    ASSERT_TRUE(boxes->shown.empty());
  }

  Tree* tree() const { return window->Tree1; }
  QString selectedKey() const { return ui::itemKey(tree()->SelectedItem()); }
  QTreeWidget* files() const { return window->picFolder->LVFiles; }
  QTreeWidgetItem* fileRow(const QString& name) const {
    for (int i = 0; i < files()->topLevelItemCount(); ++i)
      if (files()->topLevelItem(i)->text(0) == name) return files()->topLevelItem(i);
    return nullptr;
  }
  // The volume expanded (its folders loaded) and the folder clicked.
  void showFolder(const QString& key) {
    tree()->TV()->node(key.section('|', 0, 0))->setExpanded(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree()->NodeOfKey(key) != nullptr; }, 5000)) << key.toStdString();
    ASSERT_TRUE(menus::clickNode(tree(), key)) << key.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->picFolder->isVisible(); }, 2000));
  }
  // Right click on the node, then the item; true when the item was there to click.
  bool nodeCommand(const QString& key, const char* item) {
    return menus::choose(menus::nodeMenu(tree(), key), QString::fromLatin1(item));
  }
  bool fileCommand(const QString& row, const char* item) {
    return menus::choose(menus::listMenu(files(), fileRow(row)), QString::fromLatin1(item));
  }
  int64_t count(const QString& sql) const {
    auto rs = gDB->DB()->OpenRecordset(sql, jet::RecordsetType::Snapshot);
    return rs->Fields(0).Value().toLong();
  }
  QString boxTexts() const {
    QStringList t;
    for (const auto& b : boxes->shown) t << b.text;
    return t.join(" | ");
  }

  QString medium;
  ui::RecordingShellOpener* shell = nullptr;
  std::unique_ptr<ui::ShellOpener> previousShell;
};

// The rows an Info window showed (name=value), and its caption.
struct InfoWindow {
  QString caption;
  QStringList names;
  void read(QWidget* w) {
    auto* p = static_cast<frmProperties*>(w);
    caption = p->windowTitle();
    for (int i = 0; i < p->LV()->topLevelItemCount(); ++i) names << p->LV()->topLevelItem(i)->text(0);
    p->close();
  }
};

}  // namespace

// A right click opens the menu of the selected node's kind with the items that kind offers;
// the right button itself selects nothing.
TEST_F(ContextMenusTest, ARightClickOpensTheMenuOfTheSelectedNodesKind) {
  const QString path = filledCatalogue();
  // First an empty catalogue: the tree offers a new category and a new volume.
  const QString empty = dir + QStringLiteral("/leer.qvk");
  ASSERT_TRUE(testenv::copyTemplate(empty));
  open(empty);
  ASSERT_EQ(tree()->TV()->topLevelItemCount(), 0);
  EXPECT_EQ(menus::entries(menus::rightClickTree(tree())),
            (QStringList{"Neue &Kategorie", "-", "&Neues Volume", "&Ausgeben ..."}));

  gfrmMain->pubDBOpen(path);
  ASSERT_EQ(gDB->DBPath(), path);
  const QStringList category{"Neues &Volume", "-", "Neue &Kategorie", "Kategorie löschen", "-",
                             "&Info",         "-", "K&noten"};
  const QStringList topVolume{"Neue &Kategorie", "-",    "&Neues Volume", "Volume &löschen", "-",
                              "&Ausgeben ...",   "&Info"};
  const QStringList innerVolume{"&Neues Volume", "Volume &löschen", "-", "&Ausgeben ...", "&Info"};
  const struct {
    const char* key;
    QStringList entries;
  } cases[] = {
      {"V2", topVolume},  // after the empty catalogue, deleting and Info are back
      {"C1", category},  {"V1", innerVolume}, {"V4", topVolume}, {"C2", category}, {"V3", innerVolume},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(menus::entries(menus::nodeMenu(tree(), c.key)), c.entries);
  }
  // The category's submenu: expanding and collapsing every node.
  QMenu* menu = menus::nodeMenu(tree(), "C1");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menus::entries(window->findChild<QMenu*>("kTV_Category_Nodes")),
            (QStringList{"Alle öffnen", "Alle schließen"}));

  // A right click on another node leaves the selection where it was: the menu is the selected
  // node's.
  ASSERT_TRUE(menus::clickNode(tree(), "C3"));
  EXPECT_EQ(menus::entries(menus::rightClickTree(tree(), "V2")), category);
  EXPECT_EQ(selectedKey(), QStringLiteral("C3"));

  // A folder: its memo, its listing and its Info.
  showFolder("V1|11");
  EXPECT_EQ(menus::entries(menus::nodeMenu(tree(), "V1|11")), (QStringList{"Memo", "-", "&Ausgeben ...", "&Info"}));
  menus::closePopups();
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().toStdString();
}

// The file list's menu offers the file commands only while the list has rows; the folder's
// submenu is there either way. The memo item tells whether the folder has a memo.
TEST_F(ContextMenusTest, FileListMenuFollowsTheRowsAndTheMemo) {
  const QString path = filledCatalogue();
  {
    CatalogueWriter c(path);
    c.folder(12, 1, "Leer", 10);
  }
  open(path);
  const QStringList withRows{"&Ordner",         "-", "Datei-&Beschreibung", "&Datei-Info",
                             "&Zeile kopieren", "-", "&Ausführen"};
  const QStringList without{"&Ordner",           "-", "(Datei-&Beschreibung)", "(&Datei-Info)",
                            "(&Zeile kopieren)", "-", "(&Ausführen)"};
  showFolder("V1|11");
  EXPECT_EQ(menus::entries(menus::listMenu(files(), fileRow("Gardasee.jpg"))), withRows);
  EXPECT_EQ(menus::entries(window->findChild<QMenu*>("kLV_Folder_Folder")),
            (QStringList{"Memo", "-", "&Ausgeben ...", "&Info"}));
  showFolder("V1|12");
  ASSERT_EQ(files()->topLevelItemCount(), 0);
  EXPECT_EQ(menus::entries(menus::listMenu(files())), without);
  EXPECT_EQ(window->findChild<QAction*>("kLV_Folder_Folder")->isEnabled(), true);

  // A memo written meanwhile marks the item at the next right click, in both menus.
  gDB->DB()->Execute(QStringLiteral("UPDATE tblPATHS SET Memo = 'x' WHERE PID = 12"));
  EXPECT_EQ(menus::entries(menus::nodeMenu(tree(), "V1|12")).value(0), QStringLiteral("Memo (!)"));
  menus::listMenu(files());
  EXPECT_EQ(menus::entries(window->findChild<QMenu*>("kLV_Folder_Folder")).value(0), QStringLiteral("Memo (!)"));
  menus::closePopups();
}

// "Volume löschen" and "Kategorie löschen": the rows go, every row below them with them, and the
// selection moves to the neighbour.
TEST_F(ContextMenusTest, DeletingThroughTheMenuLeavesNoOrphanAndSelectsTheNeighbour) {
  const QString path = filledCatalogue();
  open(path);

  // Declined: nothing changes.
  boxes->script(ui::kAnswerNo);
  ASSERT_TRUE(nodeCommand("V4", "kTV_Volume_Delete"));
  EXPECT_EQ(boxes->shown.back().text, QStringLiteral("Soll das Volume 'Weg' wirklich unwiderruflich gelöscht werden?"));
  EXPECT_EQ(count("SELECT Count(*) FROM tblVOLUMES WHERE VID = 4"), 1);

  boxes->script(ui::kAnswerYes);
  ASSERT_TRUE(nodeCommand("V4", "kTV_Volume_Delete"));
  EXPECT_EQ(tree()->TV()->node("V4"), nullptr);
  EXPECT_EQ(count("SELECT Count(*) FROM tblVOLUMES WHERE VID = 4"), 0);
  EXPECT_EQ(count("SELECT Count(*) FROM tblPATHS WHERE VolumeID = 4"), 0);
  EXPECT_EQ(count("SELECT Count(*) FROM tblFILES WHERE FID = 4"), 0);
  // Its previous sibling at the top level ("Alpha", "Fotos", "Leer", "Weg").
  EXPECT_EQ(selectedKey(), QStringLiteral("C3"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->picCategory->isVisible(); }, 2000));

  // A category with a sub-category, two volumes, their folders and files: asked, then typed.
  boxes->shown.clear();
  boxes->script(ui::kAnswerYes);
  {
    ModalScript script;
    script.then(QString(), [](QWidget* w) {
      auto* box = qobject_cast<QInputDialog*>(w);
      ASSERT_NE(box, nullptr);
      QTest::keyClicks(box->findChild<QLineEdit*>(), QStringLiteral("ja"));
      box->accept();
    });
    ASSERT_TRUE(nodeCommand("C1", "kTV_Category_Delete"));
  }
  ASSERT_EQ(boxes->shown.size(), 1u) << boxTexts().toStdString();
  EXPECT_TRUE(
      boxes->shown[0].text.startsWith(QStringLiteral("Die Kategorie 'Fotos' enthält 1 Unterkategorien und 2 Volumes.")))
      << boxes->shown[0].text.toStdString();
  for (const char* sql :
       {"SELECT Count(*) FROM tblCATEGORIES WHERE CID IN (1, 2)", "SELECT Count(*) FROM tblVOLUMES WHERE VID IN (1, 3)",
        "SELECT Count(*) FROM tblPATHS WHERE VolumeID IN (1, 3)",
        "SELECT Count(*) FROM tblFILES WHERE FID IN (1, 2, 3)"})
    EXPECT_EQ(testenv::RawCatalogue(path).count(sql), 0) << sql;
  EXPECT_EQ(count("SELECT Count(*) FROM tblCATEGORIES"), 1);
  for (const char* key : {"C1", "C2", "V1", "V3"}) EXPECT_EQ(tree()->TV()->node(key), nullptr) << key;
  // Its previous sibling.
  EXPECT_EQ(selectedKey(), QStringLiteral("V2"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->picVolume->isVisible(); }, 2000));
  EXPECT_EQ(testenv::RawCatalogue(path).orphanRows(), 0);
  EXPECT_EQ(testenv::RawCatalogue(path).integrityCheck(), QStringLiteral("ok"));

  // The last ones: the view empties, the search is off.
  for (const char* key : {"V2", "C3"}) {
    boxes->script(ui::kAnswerYes);
    ASSERT_TRUE(nodeCommand(key, key[0] == 'V' ? "kTV_Volume_Delete" : "kTV_Category_Delete")) << key;
  }
  EXPECT_EQ(tree()->TV()->topLevelItemCount(), 0);
  EXPECT_FALSE(window->picCategory->isVisible());
  EXPECT_FALSE(window->picVolume->isVisible());
  EXPECT_FALSE(window->findChild<QAction*>("mMainEdit_Find")->isEnabled());
  EXPECT_EQ(testenv::RawCatalogue(path).orphanRows(), 0);
}

// The search is offered exactly while the catalogue holds a volume, also when categories
// outlive the last one.
TEST_F(ContextMenusTest, TheSearchFollowsTheVolumesLeftAfterEachDelete) {
  startExposed();
  const struct {
    const char* deleted;
    bool searchAfter;
  } cases[] = {
      {"V1", false},  // the last volume; both categories stay
      {"C1", false},  // the category that holds the last volume; the other one stays
      {"V2", true},   // one of two volumes
      {"C2", true},   // a category with one of two volumes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.deleted);
    const QString path = dir + QStringLiteral("/suche-%1.qvk").arg(QString::fromLatin1(c.deleted));
    ASSERT_TRUE(testenv::copyTemplate(path));
    {
      CatalogueWriter w(path);
      w.category(1, "Voll");
      w.category(2, "Leer");
      w.volume(1, "Einzig", 1);
      if (c.searchAfter) w.volume(2, "Zweites", 2);
    }
    gfrmMain->pubDBOpen(path);
    ASSERT_EQ(gDB->DBPath(), path);
    gOptions->setExtendedWarnings(false);
    tree()->TV()->expandAll();
    QAction* find = window->findChild<QAction*>("mMainEdit_Find");
    QAction* button = window->findChild<QAction*>("TB_Find");
    ASSERT_TRUE(find->isEnabled());
    boxes->shown.clear();
    boxes->script(ui::kAnswerYes);
    ASSERT_TRUE(nodeCommand(c.deleted, c.deleted[0] == 'V' ? "kTV_Volume_Delete" : "kTV_Category_Delete"));
    ASSERT_EQ(boxes->shown.size(), 1u) << boxTexts().toStdString();
    EXPECT_EQ(tree()->TV()->node(c.deleted), nullptr);
    EXPECT_GT(tree()->TV()->topLevelItemCount(), 0);
    EXPECT_EQ(count("SELECT Count(*) FROM tblVOLUMES") > 0, c.searchAfter);
    EXPECT_EQ(find->isEnabled(), c.searchAfter);
    EXPECT_EQ(button->isEnabled(), c.searchAfter);
  }
}

// A memo typed with bold words and umlauts through the tree's "Memo" is there when the
// catalogue is opened again, and the file list's "Ordner" > "Memo" shows it.
TEST_F(ContextMenusTest, FolderMemoTypedThroughTheMenuIsThereAfterReopening) {
  const QString path = filledCatalogue();
  open(path);
  showFolder("V1|11");
  QString caption;
  boxes->script(ui::kAnswerYes);
  {
    ModalScript script;
    script.then(QStringLiteral("frmEditor"), [&](QWidget* w) {
      auto* e = static_cast<frmEditor*>(w);
      caption = e->windowTitle();
      QTextEdit* box = e->RichTextBox1();
      QApplication::setActiveWindow(e);
      box->setFocus();
      typeText(box, QStringLiteral("Brücke über die Etsch, Größe egal"));
      box->setTextCursor(box->document()->find(QStringLiteral("über die Etsch")));
      QTest::keyClick(box, Qt::Key_B, Qt::ControlModifier);
      e->close();
    });
    ASSERT_TRUE(nodeCommand("V1|11", "kTV_Folder_Memo"));
  }
  EXPECT_EQ(caption, QStringLiteral("Editor <Memo>"));
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, QStringLiteral("Sollen die Änderungen gespeichert werden?"));

  window->findChild<QAction*>("mMainFile_DBClose")->trigger();
  gfrmMain->pubDBOpen(path);
  showFolder("V1|11");
  EXPECT_EQ(menus::entries(menus::nodeMenu(tree(), "V1|11")).value(0), QStringLiteral("Memo (!)"));

  boxes->shown.clear();
  QString shown;
  bool bold = false;
  {
    ModalScript script;
    script.then(QStringLiteral("frmEditor"), [&](QWidget* w) {
      auto* e = static_cast<frmEditor*>(w);
      caption = e->windowTitle();
      shown = e->RichTextBox1()->toPlainText();
      QTextCursor c = e->RichTextBox1()->document()->find(QStringLiteral("über"));
      c.setPosition(c.selectionStart() + 1);
      bold = c.charFormat().fontWeight() >= QFont::Bold;
      e->close();
    });
    ASSERT_TRUE(menus::choose(menus::listMenu(files(), fileRow("Gardasee.jpg")), "kLV_Folder_Folder_Memo"));
  }
  EXPECT_EQ(caption, QStringLiteral("Editor <Ordner-Memo>"));
  EXPECT_EQ(shown.trimmed(), QStringLiteral("Brücke über die Etsch, Größe egal"));
  EXPECT_TRUE(bold);
  // Nothing changed: nothing asked.
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().toStdString();
  EXPECT_EQ(RtfToPlainText(testenv::RawCatalogue(path).text("SELECT Memo FROM tblPATHS WHERE PID = 11")).trimmed(),
            QStringLiteral("Brücke über die Etsch, Größe egal"));
}

// "Datei-Beschreibung": the text typed is stored and shown in the row; declined, nothing is.
TEST_F(ContextMenusTest, FileDescriptionTypedThroughTheMenuIsStoredAndShown) {
  const QString path = filledCatalogue();
  open(path);
  showFolder("V1|11");
  for (const int answer : {ui::kAnswerNo, ui::kAnswerYes}) {
    SCOPED_TRACE(answer);
    QString caption;
    boxes->script(answer);
    {
      ModalScript script;
      script.then(QStringLiteral("frmEditor"), [&](QWidget* w) {
        auto* e = static_cast<frmEditor*>(w);
        caption = e->windowTitle();
        QApplication::setActiveWindow(e);
        e->RichTextBox1()->setFocus();
        typeText(e->RichTextBox1(), QStringLiteral("Blick über den Gardasee"));
        e->close();
      });
      ASSERT_TRUE(fileCommand("Gardasee.jpg", "kLV_Folder_Desc"));
    }
    EXPECT_EQ(caption, QStringLiteral("Editor <Gardasee.jpg>"));
    const QString stored = testenv::RawCatalogue(path).text("SELECT Desc FROM tblFILES WHERE FID = 1");
    EXPECT_EQ(stored, answer == ui::kAnswerYes ? QStringLiteral("Blick über den Gardasee") : QString());
    EXPECT_EQ(fileRow("Gardasee.jpg")->text(3),
              answer == ui::kAnswerYes ? QStringLiteral("Blick über den Gardasee") : QStringLiteral("-"));
  }
}

// "Info" of a category, a volume, a folder (from the tree and from the file list) and a file
// opens the Info window with the rows of its kind, after the menu has gone.
TEST_F(ContextMenusTest, InfoOfEachKindShowsItsRows) {
  const QString path = filledCatalogue();
  open(path);
  const struct {
    const char* place;
    const char* item;
    const char* caption;
    QStringList names;
  } cases[] = {
      {"C1", "kTV_Category_Properties", "Kategorie-Info", {"Kategorie", "Volumes", "Dateien", "Größe"}},
      {"V1", "kTV_Volume_Properties", "Volume-Info", {"Name", "Pfad", "Ordner", "Dateien", "Größe"}},
      {"V1|11", "kTV_Folder_Properties", "Ordner-Info", {}},
      {"Gardasee.jpg", "kLV_Folder_Folder_Properties", "Ordner-Info", {}},
      {"Gardasee.jpg",
       "kLV_Folder_FileProperties",
       "Datei-Info",
       {"Datei", "Größe", "Letzte Änderung", "Volume", "Pfad", "Beschreibung"}},
  };
  QStringList folderRows;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    const QString place = QString::fromLatin1(c.place);
    InfoWindow info;
    {
      ModalScript script;
      script.then(QStringLiteral("frmProperties"), [&](QWidget* w) { info.read(w); });
      if (place.contains('.')) {
        showFolder("V1|11");
        ASSERT_TRUE(fileCommand(place, c.item));
      } else {
        if (place.contains('|')) showFolder(place);
        ASSERT_TRUE(nodeCommand(place, c.item));
      }
      ASSERT_TRUE(QTest::qWaitFor([&] { return !info.caption.isEmpty() && !QApplication::activeModalWidget(); }, 5000));
    }
    EXPECT_EQ(info.caption, QString::fromUtf8(c.caption));
    if (!c.names.isEmpty()) {
      EXPECT_EQ(info.names, c.names);
    } else {
      // Both ways to a folder's Info show the same rows.
      EXPECT_FALSE(info.names.isEmpty());
      if (folderRows.isEmpty()) folderRows = info.names;
      EXPECT_EQ(info.names, folderRows);
    }
    // The status text of the computation is gone again.
    EXPECT_EQ(window->SBPanel1->text(), QString());
  }
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().toStdString();
}

// "Ausführen", from the menu and from the toolbar: a present file goes to the desktop, one on a
// medium that is not inserted is told in German, naming the file and the volume.
TEST_F(ContextMenusTest, ExecuteOpensAPresentFileAndTellsOfAMissingOne) {
  const QString path = filledCatalogue();
  open(path);
  showFolder("V1|11");
  ASSERT_TRUE(fileCommand("Gardasee.jpg", "kLV_Folder_Execute"));
  ASSERT_EQ(shell->opened.size(), 1u);
  EXPECT_EQ(shell->opened[0].target, medium + QStringLiteral("Italien/Gardasee.jpg"));
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().toStdString();

  QToolButton* run = nullptr;
  for (QToolButton* b : window->TB->findChildren<QToolButton*>())
    if (b->defaultAction() && b->defaultAction()->objectName() == QStringLiteral("TB_Run")) run = b;
  ASSERT_NE(run, nullptr);
  QTest::mouseClick(files()->viewport(), Qt::LeftButton, {}, files()->visualItemRect(fileRow("fehlt.jpg")).center());
  ASSERT_TRUE(run->isEnabled());
  QTest::mouseClick(run, Qt::LeftButton);
  ASSERT_EQ(boxes->shown.size(), 1u);
  const QString missing = medium + QStringLiteral("Italien/fehlt.jpg");
  EXPECT_TRUE(boxes->shown[0].text.startsWith(QStringLiteral("Fehler beim Zugriff auf die Datei '") + missing + "':"))
      << boxes->shown[0].text.toStdString();
  EXPECT_TRUE(boxes->shown[0].text.endsWith(QStringLiteral(
      "Stellen Sie sicher, dass das Volume 'Fotos 2003' verfügbar ist bzw. dass Zugriff darauf besteht.")))
      << boxes->shown[0].text.toStdString();
  EXPECT_EQ(boxes->shown[0].style, ui::kCritical);

  // The volume whose medium is not inserted.
  boxes->shown.clear();
  showFolder("V4|40");
  ASSERT_TRUE(fileCommand("Brief.txt", "kLV_Folder_Execute"));
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains(QStringLiteral("'/media/nicht-eingelegt/Brief.txt'")));
  EXPECT_TRUE(boxes->shown[0].text.contains(QStringLiteral("das Volume 'Weg' verfügbar ist")));
  EXPECT_EQ(shell->opened.size(), 1u);

  // A category's pane offers nothing to open.
  ASSERT_TRUE(menus::clickNode(tree(), "C3"));
  EXPECT_FALSE(run->isEnabled());
}

// Names that carry Windows-1252 bytes on disk, read by the volume reader: "Ausführen" opens
// the file by those bytes; where both byte forms of one name stand in the folder (two rows of
// the same text) it opens neither and says why.
TEST_F(ContextMenusTest, ExecuteReachesWindows1252NamesAndOpensNoAmbiguousOne) {
  startExposed();
  const QString root = dir + QStringLiteral("/alt/");
  const QByteArray raw = QFile::encodeName(root);
  ASSERT_TRUE(QDir().mkpath(root));
  const testenv::RawFolderRemover removeAll{raw};
  for (const QByteArray& name : {QByteArray("caf\xe9.txt"), QByteArray("e\xff"), QByteArray("e\xc3\xbf")}) {
    const int fd = ::open((raw + name).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << name.toHex().toStdString();
    ::close(fd);
  }
  const QString path = dir + QStringLiteral("/alt.qvk");
  ASSERT_TRUE(testenv::copyTemplate(path));
  {
    jet::Engine engine;
    auto ws = testenv::catalogueWorkspace(engine);
    auto db = ws->OpenDatabase(path, false);
    db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) "
                               "VALUES (1, 'Alt', ?, 3, 45000.5)"),
                0, {rt::Variant(root)});
    pReaderSettings settings;
    settings.ReadingBreakDuration = 0;
    {
      pReader reader(ws, db, settings);
      ASSERT_TRUE(reader.Read(1));
    }
    db->Close();
  }
  boxes->shown.clear();  // the reader's "done"
  gfrmMain->pubDBOpen(path);
  ASSERT_EQ(gDB->DBPath(), path);
  // The two forms stay two rows of one text.
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblFILES WHERE Filename = 'eÿ'")), 2);
  showFolder(QStringLiteral("V1|1"));

  ASSERT_TRUE(fileCommand("café.txt", "kLV_Folder_Execute"));
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().toStdString();
  ASSERT_EQ(shell->opened.size(), 1u);
  const QString target = shell->opened[0].target;
  ASSERT_TRUE(target.startsWith(QStringLiteral("file://"))) << target.toStdString();
  EXPECT_EQ(QByteArray::fromPercentEncoding(target.mid(7).toLatin1()), raw + "caf\xe9.txt");

  int rows = 0;
  for (int i = 0; i < files()->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = files()->topLevelItem(i);
    if (row->text(0) != QStringLiteral("eÿ")) continue;
    ++rows;
    boxes->shown.clear();
    ASSERT_TRUE(menus::choose(menus::listMenu(files(), row), QStringLiteral("kLV_Folder_Execute")));
    ASSERT_EQ(boxes->shown.size(), 1u);
    const QString text = boxes->shown[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Fehler beim Zugriff auf die Datei '") + root + QStringLiteral("eÿ':")))
        << text.toStdString();
    // The reason's last sentence ends the box with one period.
    EXPECT_TRUE(text.endsWith(QStringLiteral("Fehler Nr. 75: Der Name 'eÿ' steht im Ordner '") + root +
                              QStringLiteral("' in zwei Schreibweisen (UTF-8 und Windows-1252). Es lässt sich nicht "
                                             "entscheiden, welcher der beiden Einträge gemeint ist.")))
        << text.toStdString();
    // Nothing is missing, so the box does not send the user to look for the volume.
    EXPECT_FALSE(text.contains(QStringLiteral("Stellen Sie sicher"))) << text.toStdString();
    EXPECT_EQ(boxes->shown[0].style, ui::kCritical);
  }
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(shell->opened.size(), 1u);
}

// "Zeile kopieren" and the information lists' "In die Zwischenablage kopieren" put text on the
// clipboard: the row's columns with their headers, the visible pane's list.
TEST_F(ContextMenusTest, CopyCommandsPutTheRowAndTheInformationListOnTheClipboard) {
  const QString path = filledCatalogue();
  open(path);
  showFolder("V1|11");
  QGuiApplication::clipboard()->clear();
  ASSERT_TRUE(fileCommand("fehlt.jpg", "kLV_Folder_CopyLine"));
  const QString line = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(line.startsWith(files()->headerItem()->text(0) + QStringLiteral(": fehlt.jpg\r\n")))
      << line.toStdString();
  EXPECT_TRUE(line.endsWith(files()->headerItem()->text(3) + QStringLiteral(": schon beschrieben")))
      << line.toStdString();

  const struct {
    const char* key;
    QTreeWidget* list;
  } cases[] = {
      {"V1|11", window->picFolder->LVFolderInfo},
      {"V1", window->picVolume->LVVolumeInfo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    if (QString(c.key).contains('|'))
      showFolder(c.key);
    else
      ASSERT_TRUE(menus::clickNode(tree(), c.key));
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.list->isVisible() && c.list->topLevelItemCount() > 0; }, 2000));
    QGuiApplication::clipboard()->clear();
    QMenu* menu = menus::listMenu(c.list);
    EXPECT_EQ(menus::entries(menu), QStringList{"In die &Zwischenablage kopieren"});
    ASSERT_TRUE(menus::choose(menu, "kLVInfo_Clipboard"));
    const QString text = QGuiApplication::clipboard()->text();
    for (int i = 0; i < c.list->topLevelItemCount(); ++i) {
      EXPECT_TRUE(text.contains(c.list->topLevelItem(i)->text(0))) << text.toStdString();
      EXPECT_TRUE(text.contains(c.list->topLevelItem(i)->text(1))) << text.toStdString();
    }
  }
}
