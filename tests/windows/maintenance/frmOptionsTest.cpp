#include "platform/ui/widgets/FontChooser.h"
#include "tests/support/ScriptedFontChooser.h"
#include "tests/windows/maintenance/MaintenanceFixture.h"
#include "windows/maintenance/frmOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using maintest::MaintenanceTest;

namespace {

QStringList entries(const QListWidget* list) {
  QStringList r;
  for (int i = 0; i < list->count(); ++i) r << list->item(i)->text();
  return r;
}

class OptionsTest : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    gOptions->setAutoMemo(QStringLiteral("readme.txt|liesmich.txt|info.txt"));
    gOptions->MaxLocksPerFile = 9500;
    gOptions->setReadingBreakDuration(20);
    gOptions->setReadingBreakFiles(300);
    gOptions->setIconMode(0);
    gOptions->setExclusive(true);
    gOptions->setAutoOpen(false);
    gOptions->setExtendedWarnings(true);
  }
};

TEST_F(OptionsTest, LoadShowsTheOptions) {
  gOptions->setTreeFontname(QStringLiteral("Courier"));
  gOptions->setTreeFontsize(QStringLiteral("11"));
  gOptions->setIconMode(1);
  frmOptions w;
  EXPECT_EQ(w.windowTitle(), "Optionen");
  EXPECT_EQ(w.TabOne1->count(), 2);
  EXPECT_EQ(w.TabOne1->tabText(0), "&Standard");
  EXPECT_EQ(w.TabOne1->tabText(1), "&Experte");
  EXPECT_EQ(w.TabOne1->currentIndex(), 0);
  EXPECT_EQ(entries(w.lstAutoMemoFiles), QStringList({"readme.txt", "liesmich.txt", "info.txt"}));
  EXPECT_EQ(w.lstAutoMemoFiles->currentRow(), 0);
  EXPECT_FALSE(w.chkAutoOpen->isChecked());
  EXPECT_TRUE(w.chkExtendedWarnings->isChecked());
  EXPECT_TRUE(w.chkExclusive->isChecked());
  EXPECT_EQ(w.chkExclusive->text(), " Datenbanken exklusiv öffnen");
  EXPECT_EQ(w.txtMaxLocksPerFile->text(), "9500");
  EXPECT_EQ(w.txtReadingBreakDuration->text(), "20");
  EXPECT_EQ(w.txtReadingBreakFileCount->text(), "300");
  EXPECT_EQ(w.lblTreeFont->text(), "Courier, 11");
  EXPECT_EQ(w.cmbIconMode->currentText(), "Standard (Explorer-Stil)");
  EXPECT_EQ(w.cmbIconMode->currentData().toInt(), 1);
}

// Unloading writes each control back in turn; only a changed icon mode re-shows the folder,
// and only a changed lock count asks for a restart.
TEST_F(OptionsTest, UnloadWritesBackWhatChanged) {
  struct Case {
    const char* name;
    std::function<void(frmOptions&)> edit;
    std::function<void()> check;
    int restartBoxes;
    int pathsShown;
  };
  const std::vector<Case> cases{
      {"nothing changed", [](frmOptions&) {}, [] { EXPECT_EQ(gOptions->MaxLocksPerFile, 9500); }, 0, 0},
      {"locks changed", [](frmOptions& w) { w.txtMaxLocksPerFile->setText(" 12000 "); },
       [] { EXPECT_EQ(gOptions->MaxLocksPerFile, 12000); }, 1, 0},
      {"locks rewritten to the same value", [](frmOptions& w) { w.txtMaxLocksPerFile->setText("9500"); },
       [] { EXPECT_EQ(gOptions->MaxLocksPerFile, 9500); }, 0, 0},
      {"locks beyond 32 bits", [](frmOptions& w) { w.txtMaxLocksPerFile->setText("99999999999"); },
       [] {
         EXPECT_EQ(gOptions->MaxLocksPerFile, 9500);
         EXPECT_FALSE(gOptions->Exclusive());  // the later steps still ran
       },
       0, 0},
      {"pause emptied", [](frmOptions& w) { w.txtReadingBreakDuration->clear(); },
       [] { EXPECT_EQ(gOptions->ReadingBreakDuration(), 0); }, 0, 0},
      {"negative count accepted", [](frmOptions& w) { w.txtReadingBreakFileCount->setText("-3"); },
       [] { EXPECT_EQ(gOptions->ReadingBreakFiles(), -3); }, 0, 0},
      {"icon mode changed", [](frmOptions& w) { w.cmbIconMode->setCurrentIndex(1); },
       [] { EXPECT_EQ(gOptions->IconMode(), 1); }, 0, 1},
      {"check boxes",
       [](frmOptions& w) {
         w.chkAutoOpen->setChecked(true);
         w.chkExtendedWarnings->setChecked(false);
       },
       [] {
         EXPECT_TRUE(gOptions->AutoOpen());
         EXPECT_FALSE(gOptions->ExtendedWarnings());
       },
       0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    mainWindow->folderShown = true;
    {
      frmOptions w;
      w.chkExclusive->setChecked(false);
      c.edit(w);
      w.reject();  // the close box
    }
    c.check();
    EXPECT_FALSE(gOptions->Exclusive());
    int restart = 0;
    for (const auto& b : boxes->shown) restart += b.text.contains("neu starten") ? 1 : 0;
    EXPECT_EQ(restart, c.restartBoxes);
    if (c.restartBoxes) {
      EXPECT_EQ(boxes->shown.back().text,
                "Sie müssen das Programm neu starten, damit der neue Wert von 'MaxLocksPerFile' angewendet werden "
                "kann.");
      EXPECT_EQ(boxes->shown.back().style, ui::kInformation);
    }
    EXPECT_EQ(mainWindow->pathsShown, c.pathsShown);
    TearDown();
  }
}

TEST_F(OptionsTest, IconModeChangeWithoutAFolderShownLeavesThePaneAlone) {
  mainWindow->folderShown = false;
  {
    frmOptions w;
    w.cmbIconMode->setCurrentIndex(1);
    w.reject();
  }
  EXPECT_EQ(gOptions->IconMode(), 1);
  EXPECT_EQ(mainWindow->pathsShown, 0);
}

TEST_F(OptionsTest, AutoMemoListAddDeleteAndOrder) {
  frmOptions w;
  // Add: cancelled, blank, duplicate in other case, with "|", then a good name (trimmed).
  prompts->answers = {std::nullopt, QString("   "), QString("README.TXT"), QString("a|b"), QString(" notes.txt ")};
  for (int i = 0; i < 5; ++i) w.kAutoMemo_Edit_Click(0);
  EXPECT_EQ(prompts->asked.front().prompt, "Geben Sie einen Dateinamen an.");
  EXPECT_EQ(prompts->asked.front().title, "Tolvarent Kerbolith");
  ASSERT_EQ(boxes->shown.size(), 2u);
  EXPECT_EQ(boxes->shown[0].text, "Es ist bereits ein Eintrag namens 'README.TXT' vorhanden.");
  EXPECT_EQ(boxes->shown[0].style, ui::kExclamation);
  EXPECT_TRUE(boxes->shown[1].text.contains("'|'"));
  EXPECT_EQ(entries(w.lstAutoMemoFiles), QStringList({"readme.txt", "liesmich.txt", "info.txt", "notes.txt"}));
  EXPECT_EQ(w.lstAutoMemoFiles->currentRow(), 3);

  // Moves: bottom down and top up change nothing; the others swap with the neighbour.
  w.cmdPos_Click(1);
  EXPECT_EQ(entries(w.lstAutoMemoFiles), QStringList({"readme.txt", "liesmich.txt", "info.txt", "notes.txt"}));
  w.cmdPos_Click(0);
  EXPECT_EQ(entries(w.lstAutoMemoFiles), QStringList({"readme.txt", "liesmich.txt", "notes.txt", "info.txt"}));
  EXPECT_EQ(w.lstAutoMemoFiles->currentRow(), 2);
  w.lstAutoMemoFiles->setCurrentRow(0);
  w.cmdPos_Click(0);
  EXPECT_EQ(w.lstAutoMemoFiles->item(0)->text(), "readme.txt");
  w.cmdPos_Click(1);
  EXPECT_EQ(entries(w.lstAutoMemoFiles), QStringList({"liesmich.txt", "readme.txt", "notes.txt", "info.txt"}));

  // Delete: No keeps, Yes removes and selects the first.
  boxes->shown.clear();
  w.lstAutoMemoFiles->setCurrentRow(2);
  boxes->script(ui::kAnswerNo);
  w.kAutoMemo_Edit_Click(1);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Soll 'notes.txt' wirklich gelöscht werden?");
  EXPECT_EQ(boxes->shown[0].style, ui::kYesNo + ui::kQuestion + ui::kDefaultButton2);
  EXPECT_EQ(w.lstAutoMemoFiles->count(), 4);
  boxes->script(ui::kAnswerYes);
  w.kAutoMemo_Edit_Click(1);
  EXPECT_EQ(entries(w.lstAutoMemoFiles), QStringList({"liesmich.txt", "readme.txt", "info.txt"}));
  EXPECT_EQ(w.lstAutoMemoFiles->currentRow(), 0);

  w.reject();
  EXPECT_EQ(gOptions->AutoMemo(), "liesmich.txt|readme.txt|info.txt");
  EXPECT_EQ(gOptions->AutoMemoCol(), QStringList({"liesmich.txt", "readme.txt", "info.txt"}));
}

TEST_F(OptionsTest, DeletingWithoutSelectionAndTheLastEntry) {
  gOptions->setAutoMemo(QStringLiteral("one.txt"));
  frmOptions w;
  w.lstAutoMemoFiles->clearSelection();
  w.lstAutoMemoFiles->setCurrentRow(-1);
  w.cmdPos_Click(0);
  w.kAutoMemo_Edit_Click(1);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Bitte einen Listeneintrag auswählen.");

  // The menu offers "&Löschen" only with a selection.
  w.show();
  w.lstAutoMemoFiles_MouseUp(QPoint(10, 10));
  EXPECT_TRUE(w.kAutoMemo_Edit[0]->isEnabled());
  EXPECT_FALSE(w.kAutoMemo_Edit[1]->isEnabled());
  w.kAutoMemo->hide();
  w.lstAutoMemoFiles->setCurrentRow(0);
  w.lstAutoMemoFiles_MouseUp(QPoint(10, 10));
  EXPECT_TRUE(w.kAutoMemo_Edit[1]->isEnabled());
  w.kAutoMemo->hide();

  boxes->script(ui::kAnswerYes);
  w.kAutoMemo_Edit_Click(1);
  EXPECT_EQ(w.lstAutoMemoFiles->count(), 0);
  w.reject();
  EXPECT_EQ(gOptions->AutoMemo(), "");
}

TEST_F(OptionsTest, ConfirmedFontIsKeptAtOnce) {
  const QString family = QFontDatabase::families().value(0, QStringLiteral("Sans"));
  auto chooser = std::make_unique<ScriptedFontChooser>();
  ScriptedFontChooser* fonts = chooser.get();
  auto previous = ui::setFontChooser(std::move(chooser));
  gOptions->setListFontname(family);
  gOptions->setListFontsize(QStringLiteral("9"));
  {
    frmOptions w;
    fonts->answer = std::nullopt;  // cancelled: nothing changes
    w.btnFont_Click(1);
    ASSERT_EQ(fonts->requests.size(), 1u);
    EXPECT_EQ(fonts->requests[0].initial.pointSize(), 9);
    EXPECT_EQ(fonts->requests[0].smallestSize, 8);
    EXPECT_EQ(fonts->requests[0].largestSize, 72);
    EXPECT_FALSE(fonts->requests[0].withEffects);
    EXPECT_EQ(mainWindow->fontRefreshes, 0);

    QFont chosen(family);
    chosen.setPointSize(14);
    fonts->answer = chosen;
    w.btnFont_Click(1);
    EXPECT_EQ(gOptions->ListFontname(), family);
    EXPECT_EQ(gOptions->ListFontsize(), "14");
    EXPECT_EQ(w.lblListFont->text(), family + ", 14");
    EXPECT_EQ(mainWindow->fontRefreshes, 1);

    // Beyond the dialog's range the size is held to 72.
    chosen.setPointSize(96);
    fonts->answer = chosen;
    w.btnFont_Click(2);
    EXPECT_EQ(gOptions->CatDescFontsize(), "72");
    EXPECT_EQ(w.lblCatDescFont->text(), family + ", 72");
  }
  EXPECT_EQ(gOptions->ListFontsize(), "14");
  ui::setFontChooser(std::move(previous));
}

// Leaving a numeric box: empty becomes "0", a text that is no number keeps the focus there.
TEST_F(OptionsTest, NumericBoxesKeepTheFocusUntilTheyHoldANumber) {
  frmOptions w;
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  w.TabOne1->setCurrentIndex(1);

  w.txtMaxLocksPerFile->setFocus(Qt::OtherFocusReason);
  QTRY_VERIFY(w.txtMaxLocksPerFile->hasFocus());
  w.txtMaxLocksPerFile->setText(QStringLiteral("abc"));
  w.txtReadingBreakFileCount->setFocus(Qt::TabFocusReason);
  QTRY_COMPARE(boxTexts(), QStringList({"Geben Sie bitte einen numerischen Wert ein."}));
  EXPECT_EQ(boxes->shown[0].style, ui::kExclamation);
  QTRY_VERIFY(w.txtMaxLocksPerFile->hasFocus());

  w.txtMaxLocksPerFile->clear();
  w.txtReadingBreakFileCount->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY(w.txtReadingBreakFileCount->hasFocus());
  EXPECT_EQ(w.txtMaxLocksPerFile->text(), "0");
  EXPECT_EQ(boxes->shown.size(), 1u);
  w.reject();
  EXPECT_EQ(gOptions->MaxLocksPerFile, 0);
}

}  // namespace
