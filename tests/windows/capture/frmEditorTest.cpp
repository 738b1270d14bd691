#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_registry.h"
#include "foundation/widgets/RichText.h"
#include "tests/support/RichTextMemo.h"
#include "tests/support/TestHelpers.h"
#include "tests/windows/capture/CaptureFixture.h"
#include "windows/capture/frmEditor.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testenv::contentOf;
using testenv::writeFile;

class EditorTest : public CaptureFixture {
 protected:
  void showEditor(frmEditor& w) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  }
  static bool boldAt(const QTextEdit* box, const QString& word) {
    QTextCursor c = box->document()->find(word);
    if (c.isNull()) return false;
    c.setPosition(c.selectionStart() + 1);
    return c.charFormat().fontWeight() >= QFont::Bold;
  }
};

// One paragraph of the pair of style runs repeated, in Tahoma 8.5 pt: without a blank between
// the runs, the paragraph is one word the box can only break anywhere.
// Each run of the document: its text and how it looks.
QStringList runLooks(const QTextDocument& doc) {
  QStringList r;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      r << QStringLiteral("%1 %2 %3pt%4%5%6%7")
               .arg(it.fragment().text(), f.fontFamilies().toStringList().value(0))
               .arg(f.fontPointSize())
               .arg(f.fontWeight() >= QFont::Bold ? " fett" : "")
               .arg(f.fontItalic() ? " kursiv" : "")
               .arg(f.fontUnderline() ? " unterstrichen" : "")
               .arg(f.fontStrikeOut() ? " durchgestrichen" : "");
    }
  }
  return r;
}

// The widths, in order, at which the box lays out a text longer than `longer` characters: its
// page width when the text changes (the layout follows) and when its layout reports an update.
class LayoutWidths : public QObject {
 public:
  LayoutWidths(QTextEdit* box, int longer) : doc_(box->document()), longer_(longer) {
    connect(doc_, &QTextDocument::contentsChange, this, &LayoutWidths::note);
    connect(doc_->documentLayout(), &QAbstractTextDocumentLayout::update, this, &LayoutWidths::note);
  }
  std::vector<int> widths;

 private:
  void note() {
    if (doc_->characterCount() <= longer_ || doc_->pageSize().isNull()) return;
    const int width = qRound(doc_->pageSize().width());
    if (widths.empty() || widths.back() != width) widths.push_back(width);
  }

  QTextDocument* doc_;
  int longer_;
};

const char* const kMemoRtf =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\\viewkind4\\uc1\\pard\\f0\\fs17 "
    "Kassette \\b Br\\'fccke\\b0  hinten\\par}";

}  // namespace

TEST_F(EditorTest, TextGivenBeforeShowingIsNoEditButTheFirstKeyIs) {
  for (const int16_t mode : {int16_t(0), int16_t(1)}) {
    SCOPED_TRACE(mode);
    frmEditor w;
    w.Init(mode ? QString::fromUtf8(kMemoRtf) : QStringLiteral("Kassette Brücke hinten"), "Editor <Memo>", mode);
    EXPECT_EQ(w.windowTitle(), "Editor <Memo>");
    EXPECT_EQ(w.RichTextBox1()->toPlainText(), QString::fromUtf8("Kassette Brücke hinten"));
    EXPECT_EQ(boldAt(w.RichTextBox1(), QString::fromUtf8("Brücke")), mode == 1);
    showEditor(w);
    EXPECT_EQ(w.chkEdited(), 0);
    // Locked until the caller unlocks it: keys change nothing.
    EXPECT_TRUE(w.Locked());
    QTest::keyClicks(w.RichTextBox1(), "x");
    EXPECT_EQ(w.chkEdited(), 0);
    w.setLocked(false);
    w.RichTextBox1()->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.RichTextBox1(), QString::fromUtf8(" Öl"));
    EXPECT_EQ(w.chkEdited(), 1);
    const QString plain = QString::fromUtf8("Kassette Brücke hinten Öl");
    if (mode == 0) {
      EXPECT_EQ(w.GetText(), plain);
    } else {
      EXPECT_TRUE(IsRtfText(w.GetText()));
      EXPECT_EQ(RtfToPlainText(w.GetText()), plain);
    }
  }
}

// A memo of many formatting changes goes into the box as one edit: the box does not lay the
// document out anew for each run, which froze the window for minutes, and every run keeps its
// look, also written back and opened again.
TEST_F(EditorTest, AMemoOfManyRunsGoesInAsOneEditAndKeepsEveryRun) {
  constexpr long kRuns = 1000;
  frmEditor w;
  QSignalSpy changes(w.RichTextBox1()->document(), &QTextDocument::contentsChange);
  w.Init(testenv::manyRunsMemo(kRuns), "Editor <Memo>", 1);
  // The emptying reports a change or two, the text one more; none comes per run.
  EXPECT_LE(changes.count(), 3);
  EXPECT_EQ(w.RichTextBox1()->toPlainText(), testenv::manyRunsPlain(kRuns));
  EXPECT_EQ(testenv::memoRunsDiffer(*w.RichTextBox1()->document(), kRuns), QString());
  showEditor(w);
  EXPECT_EQ(w.chkEdited(), 0);

  frmEditor again;
  again.Init(w.GetText(), "Editor <Memo>", 1);
  EXPECT_EQ(testenv::memoRunsDiffer(*again.RichTextBox1()->document(), kRuns), QString());
}

// Italic, underline and strike-out runs side by side, as the box shows them (strike-out is no
// look the memos keep: its runs show plain), and as they come back from the saved text.
TEST_F(EditorTest, EveryStyleRunShowsAndSavesItsLook) {
  const struct {
    const char* pair;
    QStringList looks;
  } cases[] = {
      {"\\i x\\i0\\ul y\\ulnone ", {"x Tahoma 8.5pt kursiv", "y Tahoma 8.5pt unterstrichen"}},
      {"\\i x\\i0\\ul y\\ulnone\\strike z\\strike0 ",
       {"x Tahoma 8.5pt kursiv", "y Tahoma 8.5pt unterstrichen", "z Tahoma 8.5pt"}},
      {"\\b x\\b0 y", {"x Tahoma 8.5pt fett", "y Tahoma 8.5pt"}},
      {"{\\i\\ul x}{\\b\\i y}", {"x Tahoma 8.5pt kursiv unterstrichen", "y Tahoma 8.5pt fett kursiv"}},
  };
  constexpr int kPairs = 2000;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pair);
    QStringList want;
    for (int i = 0; i < kPairs; ++i) want << c.looks;
    frmEditor w;
    w.Init(testenv::styleRunsMemo(QString::fromLatin1(c.pair), kPairs), "Editor <Memo>", 1);
    showEditor(w);
    EXPECT_EQ(runLooks(*w.RichTextBox1()->document()), want);
    const QString saved = w.GetText();
    frmEditor again;
    again.Init(saved, "Editor <Memo>", 1);
    EXPECT_EQ(runLooks(*again.RichTextBox1()->document()), want);
    EXPECT_EQ(again.GetText(), saved);
  }
}

// Every change of the box's width lays its whole text out anew, and the long paragraph of an
// unbreakable word took seconds for each: a long text is laid out once, at the width it keeps
// beside the scroll bar, when it is given before the window shows and when a file is opened
// into the shown window. A short text gets the full width back.
TEST_F(EditorTest, ALongTextIsLaidOutAtTheWidthItKeeps) {
  const QString dir = testenv::freshTempDir();
  const QString file = dir + "/lang.rtf";
  const QString longMemo = testenv::styleRunsMemo(QStringLiteral("\\i x\\i0\\ul y\\ulnone "), 4000);
  writeFile(file, longMemo.toLatin1());
  const struct {
    const char* name;
    QString text;
    int16_t mode;
    bool viaOpen;
  } cases[] = {
      {"memo", longMemo, 1, false},
      {"plain text", QStringLiteral("Zeile\n").repeated(400), 0, false},
      {"file opened into the shown window", QString(), 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    frmEditor w;
    QTextEdit* box = w.RichTextBox1();
    LayoutWidths seen(box, 1000);
    w.Init(c.text, "Editor <Memo>", c.mode);
    showEditor(w);
    if (c.viaOpen) {
      chooser->answers = {file};
      w.mFile_Open()->trigger();
      ASSERT_EQ(box->toPlainText().size(), 8000);
    }
    EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_TRUE(box->verticalScrollBar()->isVisible());
    EXPECT_EQ(seen.widths, std::vector<int>{box->viewport()->width()});
  }

  frmEditor w;
  QTextEdit* box = w.RichTextBox1();
  w.Init(QString::fromUtf8(kMemoRtf), "Editor <Memo>", 1);
  showEditor(w);
  EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
  EXPECT_FALSE(box->verticalScrollBar()->isVisible());
  EXPECT_EQ(box->viewport()->width(), box->contentsRect().width());
  // Opened again, the window keeps it so.
  w.hide();
  showEditor(w);
  EXPECT_FALSE(box->verticalScrollBar()->isVisible());
}

TEST_F(EditorTest, StyleKeysWorkInRichTextOnly) {
  for (const int16_t mode : {int16_t(0), int16_t(1)}) {
    SCOPED_TRACE(mode);
    frmEditor w;
    w.Init(QStringLiteral("eins zwei"), "Editor <Memo>", mode);
    w.setLocked(false);
    showEditor(w);
    QTextCursor c = w.RichTextBox1()->document()->find("zwei");
    w.RichTextBox1()->setTextCursor(c);
    QTest::keyClick(w.RichTextBox1(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(boldAt(w.RichTextBox1(), "zwei"), mode == 1);
    EXPECT_FALSE(boldAt(w.RichTextBox1(), "eins"));
    if (mode == 1) {
      QTextDocument back;
      RtfToDocument(w.GetText(), back);
      QTextCursor b = back.find("zwei");
      b.setPosition(b.selectionStart() + 1);
      EXPECT_GE(b.charFormat().fontWeight(), QFont::Bold);
      EXPECT_EQ(w.chkEdited(), 1);
    }
  }
}

TEST_F(EditorTest, ClosingHidesForTheCallerAndEscIsNoCommand) {
  frmEditor w;
  w.Init("Text", "Editor <Memo>", 1);
  w.setLocked(false);
  QTimer::singleShot(0, &w, [&] {
    QTest::keyClick(w.RichTextBox1(), Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());  // Esc neither closes nor hides
    QTest::keyClicks(w.RichTextBox1(), "a");
    w.close();  // the close box
  });
  w.exec();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.chkEdited(), 1);
  EXPECT_EQ(RtfToPlainText(w.GetText()), "aText");

  QTimer::singleShot(0, &w, [&] { w.mFile_Close()->trigger(); });
  w.exec();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(RtfToPlainText(w.GetText()), "aText");
}

TEST_F(EditorTest, SelectAllOnlyWithText) {
  frmEditor w;
  w.Init(QString(), "Editor", 0);
  w.mEdit_markAll()->trigger();
  EXPECT_FALSE(w.RichTextBox1()->textCursor().hasSelection());
  w.Init(QStringLiteral("ganz\nalles"), "Editor", 0);
  w.mEdit_markAll()->trigger();
  EXPECT_EQ(w.RichTextBox1()->textCursor().selectionStart(), 0);
  EXPECT_EQ(w.RichTextBox1()->textCursor().selectedText().size(), 10);
}

TEST_F(EditorTest, OpenTakesTheFilterOfTheModeAndTheFileAsTextOrRtf) {
  const QString dir = testenv::freshTempDir();
  const QString rtfFile = dir + "/memo.rtf";
  writeFile(rtfFile, kMemoRtf);
  gOptions->setEditorFileFilter(QStringLiteral("Nur RTF (*.rtf)|*.rtf"));
  const struct {
    int16_t mode;
    QStringList filters;
    QString plain;  // what the box shows
  } cases[] = {
      {0, {"Textdateien (*.txt) (*.txt)", "Alle Dateien (*.*) (*)"}, QString::fromLatin1(kMemoRtf)},
      {1, {"Nur RTF (*.rtf) (*.rtf)"}, QString::fromUtf8("Kassette Brücke hinten")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    frmEditor w;
    w.Init(QString(), "Editor", c.mode);
    showEditor(w);
    chooser->requests.clear();
    chooser->answers = {rtfFile};
    w.mFile_Open()->trigger();
    ASSERT_EQ(chooser->requests.size(), 1u);
    EXPECT_EQ(chooser->requests[0].kind, ui::FileRequest::Kind::Open);
    EXPECT_EQ(chooser->requests[0].title, "Datei öffnen");
    EXPECT_EQ(chooser->requests[0].filters, c.filters);
    EXPECT_TRUE(chooser->requests[0].fileMustExist);
    EXPECT_EQ(w.RichTextBox1()->toPlainText(), c.plain);
    EXPECT_EQ(w.chkEdited(), 1);
    EXPECT_TRUE(boxes->shown.empty());
  }
  // A file that is gone by the time it is read is told, and the text stays.
  frmEditor w;
  w.Init(QStringLiteral("bleibt"), "Editor", 0);
  chooser->answers = {dir + "/weg.txt"};
  w.mFile_Open()->trigger();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].style & 0xFF, ui::kCritical);
  EXPECT_EQ(w.RichTextBox1()->toPlainText(), "bleibt");
}

TEST_F(EditorTest, TextFileFromAWindowsMediumShowsItsUmlauts) {
  const QString dir = testenv::freshTempDir();
  const QString file = dir + "/liesmich.txt";
  writeFile(file,
            "Gr\xfc\xdf"
            "e aus M\xfcnchen \x80\r\n");
  // The file's own name in Windows-1252 on disk, asked for by its text as the catalogue shows it.
  const QByteArray raw = QFile::encodeName(dir) +
                         "/Gr\xfc\xdf"
                         "e.txt";
  {
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd,
                      "Gr\xfc\xdf"
                      "e aus M\xfcnchen \x80\r\n",
                      21),
              21);
    ::close(fd);
  }
  for (const QString& name : {file, dir + QString::fromUtf8("/Grüße.txt")}) {
    for (const int16_t mode : {int16_t(0), int16_t(1)}) {
      SCOPED_TRACE(name.toStdString() + " " + std::to_string(mode));
      boxes->shown.clear();
      frmEditor w;
      w.Init(QString(), "Editor", mode);
      chooser->answers = {name};
      w.mFile_Open()->trigger();
      EXPECT_TRUE(boxes->shown.empty()) << boxes->shown[0].text.toStdString();
      EXPECT_EQ(w.RichTextBox1()->toPlainText(), QString::fromUtf8("Grüße aus München €\n"));
    }
  }
  ::unlink(raw.constData());
}

TEST_F(EditorTest, SaveWritesThePlainTextAlsoOfRichText) {
  const QString dir = testenv::freshTempDir();
  const QString file = dir + "/ausgabe.txt";
  writeFile(file, "alter Inhalt, länger als der neue");
  frmEditor w;
  w.Init(QString::fromUtf8(kMemoRtf), "Editor <Memo>", 1);
  chooser->answers = {file};
  w.mFile_Save()->trigger();
  ASSERT_EQ(chooser->requests.size(), 1u);
  EXPECT_EQ(chooser->requests[0].kind, ui::FileRequest::Kind::Save);
  EXPECT_EQ(chooser->requests[0].title, "Geben Sie den Ausgabedateinamen an");
  EXPECT_EQ(chooser->requests[0].filters, QStringList{"Textdateien (*.txt) (*.txt)"});
  EXPECT_TRUE(chooser->requests[0].overwritePrompt);
  EXPECT_TRUE(boxes->shown.empty());
  EXPECT_EQ(contentOf(file), QByteArray("Kassette Br\xc3\xbc"
                                        "cke hinten"));
  // A cancelled dialog writes nothing.
  chooser->answers = {QString()};
  w.mFile_Save()->trigger();
  EXPECT_EQ(contentOf(file), QByteArray("Kassette Br\xc3\xbc"
                                        "cke hinten"));
}

TEST_F(EditorTest, SavingOverAFileThatMayNotBeReplacedGives513AndKeepsIt) {
  const bool root = ::geteuid() == 0;
  const QString dir = testenv::freshTempDir();
  const QString file = dir + "/schreibgeschuetzt.txt";
  writeFile(file, "bleibt");
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
  // A folder nobody but its owner may change; the superuser runs the save as "nobody".
  ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), root ? 0755 : 0555), 0);
  frmEditor w;
  w.Init(QStringLiteral("neu"), "Editor", 0);
  chooser->answers = {file};
  const int code = testenv::inChild([&] {
    if (root && !testenv::dropPrivileges()) return testenv::kSkipCode;
    w.mFile_Save()->trigger();
    if (boxes->shown.size() != 1) return 10;
    const QString expected =
        QString("Die Datei '%1' existiert bereits und kann von diesem Programm nicht gelöscht werden.").arg(file);
    if (!boxes->shown[0].text.contains(expected)) return 11;
    if (!boxes->shown[0].text.contains("frmEditor: Save_Click\r\n")) return 12;
    return 0;
  });
  ::chmod(QFile::encodeName(dir).constData(), 0700);
  if (code == testenv::kSkipCode) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(code, 0);
  EXPECT_EQ(contentOf(file), "bleibt");
}

TEST_F(EditorTest, FontDialogSetsTheOptionsAndTheBox) {
  gOptions->setEditorFontname("DejaVu Sans");
  gOptions->setEditorFontsize("11");
  frmEditor w;
  w.Init("abc", "Editor", 0);
  EXPECT_EQ(w.RichTextBox1()->font().family(), "DejaVu Sans");
  EXPECT_EQ(w.RichTextBox1()->font().pointSize(), 11);

  w.mFormat_Font()->trigger();  // cancelled
  ASSERT_EQ(fontChooser->requests.size(), 1u);
  EXPECT_EQ(fontChooser->requests[0].initial.family(), "DejaVu Sans");
  EXPECT_EQ(fontChooser->requests[0].initial.pointSize(), 11);
  EXPECT_EQ(fontChooser->requests[0].smallestSize, 8);
  EXPECT_EQ(fontChooser->requests[0].largestSize, 72);
  EXPECT_FALSE(fontChooser->requests[0].withEffects);
  EXPECT_EQ(gOptions->EditorFontname(), "DejaVu Sans");

  QFont chosen("Courier New", 14);
  chosen.setBold(true);
  chosen.setItalic(true);
  fontChooser->answer = chosen;
  w.mFormat_Font()->trigger();
  EXPECT_EQ(gOptions->EditorFontname(), "Courier New");
  EXPECT_EQ(gOptions->EditorFontsize(), "14");
  EXPECT_TRUE(gOptions->EditorFontBold());
  EXPECT_TRUE(gOptions->EditorFontItalic());
  const QFont f = w.RichTextBox1()->font();
  EXPECT_EQ(f.family(), "Courier New");
  EXPECT_EQ(f.pointSize(), 14);
  EXPECT_TRUE(f.bold());
  EXPECT_TRUE(f.italic());
  EXPECT_EQ(w.chkEdited(), 0);  // the font is no change of the text
  // The next window opens in the chosen font.
  frmEditor next;
  EXPECT_EQ(next.RichTextBox1()->font().family(), "Courier New");
  EXPECT_TRUE(next.RichTextBox1()->font().italic());
}

TEST_F(EditorTest, UnloadStoresThePositionTheNextWindowTakes) {
  {
    frmEditor w;
    w.Init("abc", "Editor", 0);
    showEditor(w);
    w.resize(700, 520);
    QTRY_COMPARE(w.size(), QSize(700, 520));
    w.close();  // the user's close keeps the window and stores nothing yet
    EXPECT_EQ(RegGetString(registry::HKEY_CURRENT_USER, kWindowPosKey + "\\Editor", "Width", "-"), "-");
  }  // the caller's unload
  EXPECT_NE(RegGetString(registry::HKEY_CURRENT_USER, kWindowPosKey + "\\Editor", "Width", "-"), "-");
  frmEditor again;
  EXPECT_EQ(again.size(), QSize(700, 520));
}
