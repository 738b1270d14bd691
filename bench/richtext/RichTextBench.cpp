// Times the text window on a memo of many formatting changes (tests/support/RichTextMemo.h:
// one word a run, bold, fonts and colours changing from run to run), once as one paragraph and
// once in paragraphs of a hundred runs: opening it (reading the RTF into the box and showing
// it), writing it back as RTF, and reading what was written. The window runs offscreen, as in
// the tests.
//
//   bench_richtext [RUNS [LIMIT]]   (defaults: 50000 runs, 120 s)
//
// Fails when opening the memo or writing it takes longer than LIMIT seconds, or a run does not
// come back as it went in.

#include "catalogue/mdlGlobals.h"
#include "foundation/widgets/RichText.h"
#include "tests/support/RichTextMemo.h"
#include "windows/capture/frmEditor.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

double timed(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir registryDir;
  qputenv("ZUVRAX_REGISTRY_DIR", QFile::encodeName(registryDir.path()));
  QApplication app(argc, argv);
  const long runs = argc > 1 ? std::atol(argv[1]) : 50000;
  const double limit = argc > 2 ? std::atof(argv[2]) : 120;
  if (runs < 1 || limit <= 0) {
    std::fprintf(stderr, "usage: %s [RUNS [LIMIT]]\n", argv[0]);
    return 2;
  }
  gOptions = std::make_unique<gRegOptions>();

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
  gOptions.reset();
  return ok ? 0 : 1;
}
