// Times the text window on memos of many formatting changes, offscreen as in the tests.
//
// First a memo of one word a run (tests/support/RichTextMemo.h: bold, fonts and colours changing
// from run to run), once as one paragraph and once in paragraphs of a hundred runs: opening it
// (reading the RTF into the box and showing it), writing it back as RTF, and reading what was
// written.
//
// Then one paragraph of style runs without a blank between them, so that the whole paragraph is
// one word the line breaker cannot split: "\i x\i0\ul y\ulnone " repeated (italic, underline),
// the same with "\strike z\strike0 " after it (strike-out is read as plain text: a third run),
// and "\b x\b0 y" repeated (bold, plain), each with the given numbers of pairs. Each memo is
// opened in the text window and, beside it, in a plain QTextEdit of the same size and font,
// filled the fastest way found (read into its own document while it is hidden, then shown); and
// the document is laid out once on its own, without a widget: what the toolkit needs for it.
//
//   bench_richtext [RUNS [LIMIT [PAIRS...]]]   (defaults: 50000 runs, 120 s, 500 pairs)
//   bench_richtext 50000 120 5000 10000 20000 40000   (the full run)
//
// Fails when opening the first memo or writing it takes longer than LIMIT seconds, or a run does
// not come back as it went in.

#include "catalogue/mdlGlobals.h"
#include "foundation/widgets/RichText.h"
#include "tests/support/RichTextMemo.h"
#include "windows/capture/frmEditor.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

double timed(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One paragraph of a pair of style runs repeated; each run one letter in the look its words give.
struct StyleMemo {
  const char* name;
  const char* pair;
  struct Run {
    QChar text;
    bool bold, italic, underline;
  };
  std::vector<Run> runs;
};

const StyleMemo kStyleMemos[] = {
    {"italic+underline", "\\i x\\i0\\ul y\\ulnone ", {{u'x', false, true, false}, {u'y', false, false, true}}},
    {"italic+underline+strike",
     "\\i x\\i0\\ul y\\ulnone\\strike z\\strike0 ",
     {{u'x', false, true, false}, {u'y', false, false, true}, {u'z', false, false, false}}},
    {"bold+plain", "\\b x\\b0 y", {{u'x', true, false, false}, {u'y', false, false, false}}},
};

QString styleMemo(const StyleMemo& kind, long pairs) {
  return testenv::styleRunsMemo(QString::fromLatin1(kind.pair), pairs);
}

// Empty when the document holds the memo's runs in order, one fragment each in its look; else
// the first difference.
QString styleRunsDiffer(const QTextDocument& doc, const StyleMemo& kind, long pairs) {
  const long want = pairs * static_cast<long>(kind.runs.size());
  long i = 0;
  for (auto it = doc.begin().begin(); !it.atEnd(); ++it, ++i) {
    const QTextFragment f = it.fragment();
    const StyleMemo::Run& run = kind.runs[i % kind.runs.size()];
    const QTextCharFormat format = f.charFormat();
    if (i >= want || f.text() != QString(run.text) || (format.fontWeight() >= QFont::Bold) != run.bold ||
        format.fontItalic() != run.italic || format.fontUnderline() != run.underline ||
        format.fontFamilies().toStringList().value(0) != QStringLiteral("Tahoma"))
      return QStringLiteral("run %1 ('%2') is not as written").arg(i).arg(f.text());
  }
  if (doc.blockCount() != 1) return QStringLiteral("%1 paragraphs instead of one").arg(doc.blockCount());
  return i == want ? QString() : QStringLiteral("%1 runs instead of %2").arg(i).arg(want);
}

bool manyRunsMemo(long runs, double limit) {
  bool ok = true;
  for (const long perParagraph : {0L, 100L}) {
    const QString memo = testenv::manyRunsMemo(runs, perParagraph);
    frmEditor window;
    const double open = timed([&] {
      window.Init(memo, QStringLiteral("Editor <Memo>"), 1);
      window.show();
      QCoreApplication::processEvents();
    });
    QString wrong = testenv::memoRunsDiffer(*window.RichTextBox1()->document(), runs);
    QString written;
    const double write = timed([&] { written = window.GetText(); });
    QTextDocument back;
    const double read = timed([&] { RtfToDocument(written, back); });
    if (wrong.isEmpty()) wrong = testenv::memoRunsDiffer(back, runs);

    std::printf("memo of %ld runs, %s, %lld characters of RTF\n", runs,
                perParagraph ? "paragraphs of 100 runs" : "one paragraph", static_cast<long long>(memo.size()));
    std::printf("  open in the text window:  %.3f s  (limit %.0f s)\n", open, limit);
    std::printf("  write as RTF:             %.3f s  (%lld characters)\n", write,
                static_cast<long long>(written.size()));
    std::printf("  read the written RTF:     %.3f s\n", read);
    if (!wrong.isEmpty()) std::printf("  WRONG: %s\n", qPrintable(wrong));
    const bool slow = open > limit || write > limit;
    if (slow) std::printf("  SLOWER THAN THE LIMIT\n");
    ok = ok && wrong.isEmpty() && !slow;
    window.Unload();
  }
  return ok;
}

bool styleMemos(const std::vector<long>& sizes) {
  bool ok = true;
  std::printf(
      "\none paragraph of style runs, no blank between them: opened in the text window; in a plain box, "
      "read and shown; laid out alone\n");
  for (const StyleMemo& kind : kStyleMemos) {
    for (const long pairs : sizes) {
      const QString memo = styleMemo(kind, pairs);
      frmEditor window;
      const double open = timed([&] {
        window.Init(memo, QStringLiteral("Editor <Memo>"), 1);
        window.show();
        QCoreApplication::processEvents();
      });
      const QTextEdit* box = window.RichTextBox1();
      QString wrong = styleRunsDiffer(*box->document(), kind, pairs);

      QTextEdit plain;
      plain.setFont(box->font());
      plain.resize(box->size());
      const double read = timed([&] { RtfToDocument(memo, *plain.document()); });
      const double show = timed([&] {
        plain.show();
        QCoreApplication::processEvents();
      });
      if (wrong.isEmpty()) wrong = styleRunsDiffer(*plain.document(), kind, pairs);
      if (wrong.isEmpty() && plain.viewport()->width() != box->viewport()->width())
        wrong = QStringLiteral("the plain box is %1 pixels wide, the window's %2")
                    .arg(plain.viewport()->width())
                    .arg(box->viewport()->width());
      plain.hide();

      QTextDocument alone;
      alone.setDefaultFont(box->document()->defaultFont());
      alone.setDocumentMargin(box->document()->documentMargin());
      RtfToDocument(memo, alone);
      const double layout = timed([&] {
        alone.setTextWidth(box->viewport()->width());
        alone.documentLayout()->documentSize();
      });

      std::printf("  %-24s %6ld pairs   window %7.3f s   plain box %6.3f s + %7.3f s   layout %7.3f s\n", kind.name,
                  pairs, open, read, show, layout);
      if (!wrong.isEmpty()) std::printf("  WRONG: %s\n", qPrintable(wrong));
      ok = ok && wrong.isEmpty();
      window.Unload();
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir registryDir;
  qputenv("ZUVRAX_REGISTRY_DIR", QFile::encodeName(registryDir.path()));
  QApplication app(argc, argv);
  const long runs = argc > 1 ? std::atol(argv[1]) : 50000;
  const double limit = argc > 2 ? std::atof(argv[2]) : 120;
  std::vector<long> sizes;
  for (int i = 3; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
  if (argc <= 3) sizes = {500};
  bool usage = runs < 1 || limit <= 0;
  for (const long pairs : sizes) usage = usage || pairs < 1;
  if (usage) {
    std::fprintf(stderr, "usage: %s [RUNS [LIMIT [PAIRS...]]]\n", argv[0]);
    return 2;
  }
  gOptions = std::make_unique<gRegOptions>();
  const bool first = manyRunsMemo(runs, limit);
  const bool ok = styleMemos(sizes) && first;
  gOptions.reset();
  return ok ? 0 : 1;
}
