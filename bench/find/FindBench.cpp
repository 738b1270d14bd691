// Times the search window on a catalogue of the generated tree (read into it by the volume
// reader once and kept beside the tree as ROOT.find.qvk), next to a plain SQLite LIKE scan of
// the same file names on a connection without any of the engine's functions:
//  - a contains search with about 1,000 hits, listed and the columns sized;
//  - a whole-name search and a folder search;
//  - "*", every file listed, with its peak memory;
//  - Esc pressed as the "*" search starts and every 150 ms throughout (answered No): the
//    longest wait for the question.
// A step that did not run (no term with hits, an answer other than the hits, nothing listed,
// no question asked) prints NOT RUN and makes the run fail.
//
//   bench_find ROOT [FILES [FOLDERS]]     (defaults: 1000000 files in 50000 folders)
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "bench/support/BenchTree.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pReader.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Workspace.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/QtPlatform.h"
#include "windows/capture/FindResultModel.h"
#include "windows/capture/frmFind.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QInputDevice>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <sqlite3.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>

using namespace benchtree;
using Clock = std::chrono::steady_clock;

namespace {

long peakMB() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss / 1024;
}

// The catalogue of the tree, read once by the reader; false when reading failed.
bool prepareCatalogue(const std::string& root, const QString& catalogue) {
  const QString bin = QCoreApplication::applicationDirPath();
  jet::Engine& engine = jet::Engine::DBEngine();
  engine.SetSystemDB(bin + QStringLiteral("/zuvrax.mdw"));
  auto ws = engine.CreateWorkspace(QStringLiteral("Default"), QStringLiteral("QZAdmin"), QStringLiteral("Wexo71"));
  // The catalogue is kept while the tree it was read from stays the same.
  const QString marker = catalogue + QStringLiteral(".tree");
  QFile generated(QString::fromStdString(root) + QStringLiteral("/.generated"));
  const QByteArray tree = generated.open(QIODevice::ReadOnly) ? generated.readAll() : QByteArray();
  if (QFile::exists(catalogue)) {
    QFile m(marker);
    if (m.open(QIODevice::ReadOnly) && !tree.isEmpty() && m.readAll() == tree) return true;
  }
  QFile::remove(catalogue);
  QFile::remove(marker);
  const QString building = catalogue + QStringLiteral(".tmp");
  QFile::remove(building);
  if (!QFile::copy(bin + QStringLiteral("/zuvrax.db"), building)) return false;
  QFile::setPermissions(building, QFile::ReadOwner | QFile::WriteOwner);
  std::printf("reading the tree into the catalogue ...\n");
  std::fflush(stdout);
  const auto t0 = Clock::now();
  {
    auto db = ws->OpenDatabase(building, true);
    db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) "
                               "VALUES (1, 'Bench', ?, 3, 45000)"),
                0, {rt::Variant(QString::fromStdString(root) + QStringLiteral("/"))});
    pReaderSettings settings;
    settings.ReadingBreakDuration = 0;
    pReader reader(ws, db, settings);
    if (!reader.Read(1)) return false;
    db->Close();
  }
  std::printf("read in %.1f s\n", seconds(t0));
  if (!QFile::rename(building, catalogue)) return false;
  QFile m(marker);
  return m.open(QIODevice::WriteOnly) && m.write(tree) == tree.size();
}

// The plain scan: SQLite's own LIKE over every file name, stepping every hit.
struct Plain {
  sqlite3* db = nullptr;
  explicit Plain(const QString& path) {
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  }
  ~Plain() { sqlite3_close(db); }
  long long scan(const QString& term, double* secs) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT FID, Filename FROM tblFILES WHERE Filename LIKE ?1", -1, &s, nullptr);
    const QByteArray pattern = ("%" + term + "%").toUtf8();
    sqlite3_bind_text(s, 1, pattern.constData(), -1, SQLITE_TRANSIENT);
    const auto t0 = Clock::now();
    long long n = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
      ++n;
      (void)sqlite3_column_text(s, 1);
    }
    *secs = seconds(t0);
    sqlite3_finalize(s);
    return n;
  }
  QString text(const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    QString out;
    if (sqlite3_step(s) == SQLITE_ROW)
      out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    return out;
  }
};

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Answers the cancel question with No and notes how long it came after the last Esc.
class EscTimer : public ui::MessagePresenter {
 public:
  int show(const ui::MessageBoxRequest& request) override {
    if (!request.text.startsWith(QStringLiteral("Soll die Suche"))) {
      std::fprintf(stderr, "unexpected box: %s\n", qPrintable(request.text));
      ++unexpected_;
      return ui::defaultAnswer(request.style);
    }
    const int64_t posted = posted_.exchange(0);
    if (posted) {
      const double wait = (nowNs() - posted) * 1e-9;
      std::lock_guard<std::mutex> lock(mutex_);
      longest_ = std::max(longest_, wait);
      ++answered_;
    }
    return ui::kAnswerNo;
  }
  // Posts Esc to the window when the last one has been answered.
  void press(QObject* target) {
    int64_t expected = 0;
    if (!posted_.compare_exchange_strong(expected, nowNs())) return;
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
  }
  double longest() {
    std::lock_guard<std::mutex> lock(mutex_);
    return longest_;
  }
  int answered() const { return answered_; }
  // Boxes other than the question: the window refused or failed a step.
  int unexpected() const { return unexpected_; }

 private:
  std::atomic<int64_t> posted_{0};
  std::mutex mutex_;
  double longest_ = 0;
  int answered_ = 0;
  int unexpected_ = 0;
};

struct Timed {
  double seconds;
  int rows;
  bool ran;  // it listed hits, and the window showed no box of its own
};

Timed runSearch(frmFind& w, EscTimer& boxes, const QString& term, bool whole) {
  w.txtFileFind->setText(term);
  w.chkFileWhole->setChecked(whole);
  w.cmbSource->setCurrentIndex(0);
  const int unexpected = boxes.unexpected();
  const auto t0 = Clock::now();
  w.cmdFileFind->click();
  const double s = seconds(t0);
  const int rows = w.Results()->count();
  return {s, rows, rows > 0 && boxes.unexpected() == unexpected};
}

// A figure of a step that did not run is no figure: the run fails.
bool allRan = true;
const char* verdict(bool ran, bool ok) {
  if (!ran) allRan = false;
  return !ran ? "NOT RUN" : ok ? "ok" : "MISSED";
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::installQtPlatform({});
  // The reader's closing message goes to a recorder, not to a box nobody sees.
  ui::setPresenter(std::make_unique<ui::RecordingPresenter>());
  const std::optional<std::string> tree = preparedTree(argc, argv);
  if (!tree) return 2;
  const QString catalogue = QString::fromStdString(*tree) + QStringLiteral(".find.qvk");
  if (!prepareCatalogue(*tree, catalogue)) {
    std::fprintf(stderr, "the catalogue could not be made\n");
    return 1;
  }

  Plain plain(catalogue);
  const long long files = plain.text("SELECT count(*) FROM tblFILES").toLongLong();
  // The term whose plain scan finds closest to a thousandth of the files (at least one).
  const char* candidates[] = {"kabelmitra", "uxzenolka", "mitrabelro", "zenuxkaol", "robelmika", "olzentra",
                              "trauxmi",    "kabelmi",   "zenol",      "belmi",     "ka"};
  const double wanted = std::max(1.0, files / 1000.0);
  QString term;
  long long termHits = 0;
  for (const char* c : candidates) {
    double s = 0;
    const long long n = plain.scan(QString::fromLatin1(c), &s);
    if (n > 0 && (termHits == 0 || std::fabs(std::log(n / wanted)) < std::fabs(std::log(termHits / wanted)))) {
      term = QString::fromLatin1(c);
      termHits = n;
    }
  }
  const QString wholeName =
      plain.text("SELECT Filename FROM tblFILES ORDER BY FID LIMIT 1 OFFSET (SELECT count(*) / 2 FROM tblFILES)");
  const QString folderPart = QStringLiteral("kabel");

  gDB = std::make_unique<cuDAODatabase>();
  QString path = catalogue;
  if (!DBOpen(path, 0)) {
    std::fprintf(stderr, "the catalogue could not be opened\n");
    return 1;
  }
  auto presenter = std::make_unique<EscTimer>();
  EscTimer* esc = presenter.get();
  ui::setPresenter(std::move(presenter));

  frmFind w;
  w.resize(900, 640);
  w.show();
  QCoreApplication::processEvents();

  std::printf("catalogue:      %lld files\n", files);
  // Side by side, best of three each. Without a term that has hits the contains search has
  // nothing to measure (the window would only ask for a term).
  double plainBest = 1e9, containsBest = 1e9, wholeBest = 1e9, folderBest = 1e9;
  Timed contains{0, 0, false}, whole{0, 0, false}, folder{0, 0, false};
  for (int round = 0; round < 3; ++round) {
    if (termHits > 0) {
      double s = 0;
      plain.scan(term, &s);
      plainBest = std::min(plainBest, s);
      contains = runSearch(w, *esc, term, false);
      containsBest = std::min(containsBest, contains.seconds);
    }
    whole = runSearch(w, *esc, wholeName, true);
    wholeBest = std::min(wholeBest, whole.seconds);
    folder = runSearch(w, *esc, QStringLiteral("\\") + folderPart + QStringLiteral("\\"), false);
    folderBest = std::min(folderBest, folder.seconds);
  }
  if (termHits == 0) {
    std::printf("no term of the list has hits in the catalogue\n");
    plainBest = containsBest = 0;
  }
  std::printf("plain LIKE:     %.3f s  (\"%%%s%%\", %lld hits)  [%s]\n", plainBest, qPrintable(term), termHits,
              verdict(termHits > 0, true));
  std::printf("contains:       %.3f s  (%d hits listed, columns sized) = %.2f x plain  [<= 0.5 s and <= 3x: %s]\n",
              containsBest, contains.rows, plainBest > 0 ? containsBest / plainBest : 0.0,
              verdict(contains.ran, containsBest <= 0.5 && containsBest <= 3 * plainBest));
  std::printf("whole name:     %.3f s  (\"%s\", %d hits)  [<= 0.5 s: %s]\n", wholeBest, qPrintable(wholeName),
              whole.rows, verdict(whole.ran, wholeBest <= 0.5));
  std::printf("folder search:  %.3f s  (\"\\%s\\\", %d folders)  [<= 0.3 s: %s]\n", folderBest, qPrintable(folderPart),
              folder.rows, verdict(folder.ran, folderBest <= 0.3));

  // Everything, with Esc pressed throughout from another thread.
  // Key events name their keyboard, which Qt makes on first use: make it here, in its thread.
  (void)QInputDevice::primaryKeyboard();
  // The first Esc waits for the search's first look at its input, so that even a search too
  // short for the next one is asked once.
  esc->press(w.txtFileFind);
  std::atomic<bool> running{true};
  std::thread presser([&] {
    while (running) {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      if (running) esc->press(w.txtFileFind);
    }
  });
  const long before = peakMB();
  const Timed all = runSearch(w, *esc, QStringLiteral("*"), false);
  running = false;
  presser.join();
  QCoreApplication::processEvents();
  const bool allListed = all.ran && all.rows == files;
  std::printf("\"*\":            %.3f s  (%d hits listed of %lld)  [<= 10 s: %s]\n", all.seconds, all.rows, files,
              verdict(allListed, all.seconds <= 10));
  std::printf("peak memory:    %ld MB  (%ld MB before \"*\")  [<= 1024 MB: %s]\n", peakMB(), before,
              verdict(allListed, peakMB() <= 1024));
  std::printf("Esc answered:   at most %.3f s after the key (%d times during \"*\")  [<= 0.2 s: %s]\n", esc->longest(),
              esc->answered(), verdict(esc->answered() > 0, esc->longest() <= 0.2));
  std::printf("status:         %s\n", qPrintable(w.lblCount->text()));
  if (esc->unexpected() > 0) {
    std::printf("%d box(es) other than the question: a step did not run as measured\n", esc->unexpected());
    allRan = false;
  }
  w.close();
  gDB.reset();
  return allRan ? 0 : 1;
}
