#include "catalogue/mdlCommand_files.h"
#include "catalogue/pInfoColl.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/RichText.h"
#include "foundation/widgets/cuFormPos.h"
#include "mainwindow/frmMainFiles.h"
#include "platform/ui/MousePointer.h"
#include "tests/catalogue/commands/CommandsFixture.h"
#include "tests/mainwindow/files/ModalWindows.h"
#include "windows/capture/frmEditor.h"
#include "windows/capture/frmProperties.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

class RecordingMainWindow : public MainWindowServices {
 public:
  void pubDBOpen(const QString&) override {}
  void pubStatus(const QString& text) override { statuses.push_back(text); }
  void pubVolumeSelect(int32_t) override {}
  void SetStatusPanel1(const QString&) override {}
  std::vector<QString> statuses;
};

bool boldAt(const QTextDocument& doc, const QString& word) {
  QTextCursor c = doc.find(word);
  if (c.isNull()) return false;
  c.setPosition(c.selectionStart() + 1);
  return c.charFormat().fontWeight() >= QFont::Bold;
}

// Types into the editor; with a word given, selects it and makes it bold with the keys.
void typeInEditor(frmEditor& w, const QString& text, const QString& boldWord = QString()) {
  QTextEdit* box = w.RichTextBox1();
  // The keys of the styles reach the box when it has the focus, as it has for the user.
  QApplication::setActiveWindow(&w);
  box->setFocus();
  QTRY_VERIFY(box->hasFocus());
  box->moveCursor(QTextCursor::End);
  typeText(box, text);
  if (!boldWord.isEmpty()) {
    box->setTextCursor(box->document()->find(boldWord));
    QTest::keyClick(box, Qt::Key_B, Qt::ControlModifier);
  }
}

class FilesTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    qputenv("ZUVRAX_REGISTRY_DIR", testenv::freshTempDir().toUtf8());
    gOptions = std::make_unique<gRegOptions>();
    gFormPos = std::make_unique<cuFormPos>();
    gFormPos->Init(registry::HKEY_CURRENT_USER, QStringLiteral("Software\\Tolvarent\\Kerbolith\\WindowPos"), true);
    auto main = std::make_unique<RecordingMainWindow>();
    mainWindow = main.get();
    gfrmMain = std::move(main);
    RegisterPropertiesWindow();
    addCategory(1, "Musik");
    addVolume(1, "Platte", "/mnt/d/", 1);
    addPath(1, 1, rt::Null, rt::Null);
    addPath(2, 1, "Noten", 1);
    addFile(1, 2, "brief.txt", 1536);
  }
  void TearDown() override {
    SetPropertiesWindowFactory(nullptr);
    gfrmMain.reset();
    gFormPos.reset();
    gOptions.reset();
    CommandsTest::TearDown();
  }
  void reopenCatalogue() {
    gDB = std::make_unique<cuDAODatabase>();
    ASSERT_TRUE(DBOpen(path, 0));
  }
  QString storedMemo() {
    QString text;
    EXPECT_TRUE(PathMemoGet(2, "Memo", text));
    return text;
  }
  QStringList boxTexts() const {
    QStringList r;
    for (const auto& b : boxes->shown) r << b.text;
    return r;
  }

  RecordingMainWindow* mainWindow = nullptr;
  pInfoColl cache;
};

}  // namespace

TEST_F(FilesTest, MemoWithBoldAndUmlautsIsThereAfterReopening) {
  whenModal<frmEditor>([](frmEditor& w) {
    EXPECT_EQ(w.windowTitle(), "Editor <Memo>");
    EXPECT_FALSE(w.Locked());
    typeInEditor(w, QString::fromUtf8("Brücke über Öl"), QString::fromUtf8("über"));
    w.close();
  });
  boxes->script(ui::kAnswerYes);
  EXPECT_TRUE(PathShowEditor(nullptr, 2, "Memo", "Memo"));
  ASSERT_EQ(boxTexts(), QStringList{"Sollen die Änderungen gespeichert werden?"});
  EXPECT_EQ(boxes->shown[0].style, ui::kYesNo + ui::kQuestion);

  reopenCatalogue();
  const QString stored = storedMemo();
  EXPECT_TRUE(IsRtfText(stored));
  QTextDocument doc;
  RtfToDocument(stored, doc);
  EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("Brücke über Öl"));
  EXPECT_TRUE(boldAt(doc, QString::fromUtf8("über")));
  EXPECT_FALSE(boldAt(doc, QString::fromUtf8("Brücke")));
  EXPECT_EQ(FolderMemoCaption(2), "Memo (!)");

  // Shown again as written; emptied and saved it is gone.
  bool shownBold = false;
  whenModal<frmEditor>([&](frmEditor& w) {
    EXPECT_EQ(w.windowTitle(), "Editor <Ordner-Memo>");
    shownBold = boldAt(*w.RichTextBox1()->document(), QString::fromUtf8("über"));
    w.RichTextBox1()->selectAll();
    QTest::keyClick(w.RichTextBox1(), Qt::Key_Delete);
    w.mFile_Close()->trigger();
  });
  boxes->script(ui::kAnswerYes);
  EXPECT_TRUE(PathShowEditor(nullptr, 2, "Memo", "Ordner-Memo"));
  EXPECT_TRUE(shownBold);
  EXPECT_TRUE(value("SELECT Memo FROM tblPATHS WHERE PID = 2").isNull());
  EXPECT_EQ(FolderMemoCaption(2), "Memo");
}

TEST_F(FilesTest, MemoFromAMemoFileOrAnotherProgramIsShownAndKept) {
  // Plain text as the reader takes it from a memo file, and RTF of another editor.
  const QString memos[] = {QString::fromUtf8("Aus liesmich.txt: Grüße\nZeile 2"),
                           QString::fromUtf8("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\generator X}\\f0\\fs20 "
                                             "Fremd \\'e4\\par zwei\\par}")};
  const QString plains[] = {QString::fromUtf8("Aus liesmich.txt: Grüße\nZeile 2"), QString::fromUtf8("Fremd ä\nzwei")};
  for (int i = 0; i < 2; ++i) {
    PathMemoSet(2, "Memo", memos[i]);
    QString shown;
    whenModal<frmEditor>([&](frmEditor& w) {
      shown = w.RichTextBox1()->toPlainText();
      w.close();
    });
    EXPECT_FALSE(PathShowEditor(nullptr, 2, "Memo", "Memo"));  // not changed: nothing asked, nothing stored
    EXPECT_EQ(shown, plains[i]);
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_EQ(storedMemo(), memos[i]);
  }
}

TEST_F(FilesTest, ChangedMemoAnsweredNoStaysAsItWas) {
  PathMemoSet(2, "Memo", "alt");
  whenModal<frmEditor>([](frmEditor& w) {
    typeInEditor(w, "neu");
    w.close();
  });
  boxes->script(ui::kAnswerNo);
  EXPECT_FALSE(PathShowEditor(nullptr, 2, "Memo", "Memo"));
  EXPECT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(storedMemo(), "alt");
}

TEST_F(FilesTest, MemoOfAFolderThatIsGoneIsTold) {
  EXPECT_FALSE(PathShowEditor(nullptr, 4711, "Memo", "Memo"));
  EXPECT_EQ(boxTexts(), QStringList{"Der Pfad mit der ID 4711 wurde nicht in der Pfade-Tabelle gefunden."});
  EXPECT_EQ(boxes->shown[0].style, ui::kCritical);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FilesTest, DescriptionTypedInTheListIsStored) {
  const struct {
    QString typed;
    std::vector<int> answers;  // 109, then 153
    bool stored;
    QString shown;
    QString inTable;  // "(null)" for Null
  } cases[] = {
      {"Brief an Oma", {ui::kAnswerYes}, true, "Brief an Oma", "Brief an Oma"},
      {QString(255, 'x'), {ui::kAnswerYes}, true, QString(255, 'x'), QString(255, 'x')},  // no question
      {QString(256, 'y'), {ui::kAnswerYes, ui::kAnswerNo}, false, "", QString(255, 'x')},
      {QString(256, 'y'), {ui::kAnswerYes, ui::kAnswerYes}, true, QString(255, 'y'), QString(255, 'y')},
      {"egal", {ui::kAnswerNo}, false, "", QString(255, 'y')},
      // The cut does not split a character made of two UTF-16 units.
      {QString(254, 'z') + QString::fromUtf8("😀"),
       {ui::kAnswerYes, ui::kAnswerYes},
       true,
       QString(254, 'z'),
       QString(254, 'z')},
      {"", {ui::kAnswerYes}, true, "-", "(null)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed.left(20).toStdString());
    boxes->shown.clear();
    for (int a : c.answers) boxes->script(a);
    QString caption;
    whenModal<frmEditor>([&](frmEditor& w) {
      caption = w.windowTitle();
      EXPECT_EQ(w.TextMode(), 0);
      w.RichTextBox1()->selectAll();
      QTest::keyClick(w.RichTextBox1(), Qt::Key_Delete);
      w.RichTextBox1()->insertPlainText(c.typed);
      w.close();
    });
    QString shown;
    EXPECT_EQ(FileDescEdit(nullptr, 1, "brief.txt", shown), c.stored);
    EXPECT_EQ(caption, "Editor <brief.txt>");
    EXPECT_EQ(boxes->shown.size(), c.answers.size());
    if (c.answers.size() == 2) {
      EXPECT_EQ(boxes->shown[1].text,
                "Es sind maximal 255 Zeichen zugelassen, Ihre Angaben sind aber 256 Zeichen lang.\r\n\r\nSoll die "
                "Eingabe entsprechend gekürzt (JA) oder das Speichern abgebrochen werden (NEIN)?");
    }
    EXPECT_EQ(shown, c.shown);
    const rt::Variant v = value("SELECT [Desc] FROM tblFILES WHERE FID = 1");
    EXPECT_EQ(v.isNull() ? QString("(null)") : v.toText(), c.inTable);
  }
  QString shown;
  EXPECT_FALSE(FileDescEdit(nullptr, 4711, "weg.txt", shown));
  EXPECT_TRUE(boxTexts().contains("Die Datei mit der ID 4711 wurde nicht in der Datei-Tabelle gefunden."));
}

TEST_F(FilesTest, CopyLineTakesTheSelectedRow) {
  QTreeWidget list;
  list.setColumnCount(4);
  list.setHeaderLabels({"Name", "Größe", "Datum", "Beschreibung"});
  new QTreeWidgetItem(&list, {"a.txt", "1 KB", "01.02.03", "-"});
  auto* second = new QTreeWidgetItem(&list, {"b.txt", "", "04.05.06", "Brief"});
  QGuiApplication::clipboard()->setText("vorher");
  list.clearSelection();
  list.setCurrentItem(nullptr);
  kLV_Folder_CopyLine_Click(&list);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "vorher");
  list.setCurrentItem(second);
  kLV_Folder_CopyLine_Click(&list);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "Name: b.txt\r\nGröße: \r\nDatum: 04.05.06\r\nBeschreibung: Brief");
}

TEST_F(FilesTest, InfoCommandsShowTheirRowsFromTheTimer) {
  QLabel panel;
  panel.resize(120, 20);
  PendingProperties pending(nullptr);
  const struct {
    std::function<void()> command;
    QString caption;
    QString firstRow;
    bool status;
  } cases[] = {
      {[&] { kTV_Category_Properties_Click(pending, cache, 1); }, "Kategorie-Info", "Kategorie=Musik", false},
      {[&] { kTV_Volume_Properties_Click(pending, cache, 1, &panel); }, "Volume-Info", "Name=Platte", true},
      {[&] { kTV_Folder_Properties_Click(pending, cache, 2, &panel); }, "Ordner-Info", "Pfad=/mnt/d/Noten/", true},
      {[&] { kLV_Folder_FileProperties_Click(pending, 1); }, "Datei-Info", "Datei=brief.txt", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption.toStdString());
    mainWindow->statuses.clear();
    QString caption;
    QString firstRow;
    bool seen = false;
    whenModal<frmProperties>([&](frmProperties& w) {
      caption = w.windowTitle();
      firstRow = w.LV()->topLevelItem(0)->text(0) + "=" + w.LV()->topLevelItem(0)->text(1);
      seen = true;
      w.accept();
    });
    c.command();
    // Not from inside the command: the timer's tick opens the window.
    EXPECT_FALSE(seen);
    EXPECT_TRUE(pending.Timer1().isActive());
    QTRY_VERIFY_WITH_TIMEOUT(seen, 60000);
    EXPECT_EQ(caption, c.caption);
    EXPECT_EQ(firstRow, c.firstRow);
    EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
    if (c.status) {
      ASSERT_EQ(mainWindow->statuses.size(), 2u);
      EXPECT_TRUE(mainWindow->statuses[0].endsWith(" ...")) << mainWindow->statuses[0].toStdString();
      EXPECT_LE(QFontMetrics(panel.font()).horizontalAdvance(mainWindow->statuses[0]), 120);
      EXPECT_EQ(mainWindow->statuses[1], "");
    } else {
      EXPECT_TRUE(mainWindow->statuses.empty());
    }
  }
  EXPECT_TRUE(boxes->shown.empty());
}

TEST_F(FilesTest, SecondInfoBeforeTheTickShowsOneWindowWithItsRows) {
  PendingProperties pending(nullptr);
  int windows = 0;
  QString caption;
  whenModal<frmProperties>([&](frmProperties& w) {
    ++windows;
    caption = w.windowTitle();
    w.accept();
  });
  kTV_Category_Properties_Click(pending, cache, 1);
  kLV_Folder_FileProperties_Click(pending, 1);
  QTRY_COMPARE_WITH_TIMEOUT(windows, 1, 60000);
  EXPECT_EQ(caption, "Datei-Info");
  EXPECT_FALSE(pending.Timer1().isActive());
  EXPECT_EQ(pending.Rows().size(), 6u);
}

TEST_F(FilesTest, InfoWithoutACatalogueIsOneErrorBoxAndNoWindow) {
  gDB->setDBPath(QString());
  PendingProperties pending(nullptr);
  QLabel panel;
  kTV_Folder_Properties_Click(pending, cache, 2, &panel);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains("FolderProperties")) << boxes->shown[0].text.toStdString();
  EXPECT_FALSE(pending.Timer1().isActive());
  EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
  ASSERT_FALSE(mainWindow->statuses.empty());
  EXPECT_EQ(mainWindow->statuses.back(), "");
}
