// Times a whole volume read (walk, folder and file rows, commit) into a fresh catalogue made
// from the built template, next to find ROOT -xdev -printf '%s %T@ %p\n' >/dev/null on the
// same tree (warm cache), taking turns. Pauses off, no test reads, no memo names.
//
//   bench_reader ROOT [FILES [FOLDERS [THREADS [ROUNDS]]]]
//     (defaults: 1000000 files in 50000 folders, the reader's own number of listing threads,
//     3 rounds of find then read); the last line is the best read over the best find.
//   bench_reader --memory ROOT... [-t THREADS]
//     one read of each tree in a process of its own; its peak memory and the memory per file
//     beyond the smallest tree's.
//
// A ROOT that exists without the mark of a generated tree is read as it is; otherwise the tree
// is generated under ROOT on the first run and reused when ROOT/.generated matches (the same
// tree as bench_walker's).

#include "bench/support/BenchTree.h"
#include "catalogue/pReader.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Workspace.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace benchtree;

namespace {

struct Read {
  bool ok = false;
  double seconds = 0;
  long long fileRows = 0, pathRows = 0;
  int64_t bytes = 0;
};

// One read into a fresh copy of the template.
Read timeRead(const std::string& root, const QString& catalogue, int threads) {
  const QString bin = QCoreApplication::applicationDirPath();
  QFile::remove(catalogue);
  if (!QFile::copy(bin + QStringLiteral("/zuvrax.db"), catalogue)) {
    std::fprintf(stderr, "template %s/zuvrax.db missing\n", qPrintable(bin));
    std::exit(1);
  }
  QFile::setPermissions(catalogue, QFile::ReadOwner | QFile::WriteOwner);
  jet::Engine& engine = jet::Engine::DBEngine();
  engine.SetSystemDB(bin + QStringLiteral("/zuvrax.mdw"));
  auto ws = engine.CreateWorkspace(QStringLiteral("Default"), QStringLiteral("QZAdmin"), QStringLiteral("Wexo71"));
  auto db = ws->OpenDatabase(catalogue, true);
  db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) "
                             "VALUES (1, 'Bench', ?, 3, 45000)"),
              0, {rt::Variant(QString::fromStdString(root) + QStringLiteral("/"))});
  const int64_t emptyBytes = QFileInfo(catalogue).size();

  pReaderSettings settings;
  settings.ReadingBreakDuration = 0;
  if (threads >= 0) settings.ListThreads = threads;
  Read r;
  {
    pReader reader(ws, db, settings);
    const auto t0 = std::chrono::steady_clock::now();
    r.ok = reader.Read(1);
    r.seconds = seconds(t0);
  }
  auto count = [&](const char* sql) {
    auto rs = db->OpenRecordset(QString::fromUtf8(sql), jet::RecordsetType::Snapshot);
    return rs->Fields(0).Value().toLong();
  };
  r.fileRows = count("SELECT Count(*) FROM tblFILES");
  r.pathRows = count("SELECT Count(*) FROM tblPATHS");
  db->Close();
  ws->Close();
  r.bytes = QFileInfo(catalogue).size() - emptyBytes;
  QFile::remove(catalogue);
  return r;
}

// The peak memory of one read of root in a child process of this program, in kB, and its
// file rows; nothing when it failed.
std::optional<std::pair<long, long long>> childRead(const std::string& root, int threads) {
  std::string self = "/proc/self/exe";
  std::vector<std::string> args{"bench_reader", "--once", root, std::to_string(threads)};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return std::nullopt;
  }
  std::string out;
  char buf[256];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  rusage ru{};
  if (wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  const size_t at = out.rfind("file rows: ");
  if (at == std::string::npos) return std::nullopt;
  return std::make_pair(ru.ru_maxrss, std::atoll(out.c_str() + at + 11));
}

int memoryRun(int argc, char** argv) {
  std::vector<std::string> roots;
  int threads = -1;
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "-t" && i + 1 < argc)
      threads = std::atoi(argv[++i]);
    else
      roots.push_back(argv[i]);
  }
  long firstKb = 0;
  long long firstFiles = 0;
  double perFile = 0;
  for (const std::string& root : roots) {
    const auto r = childRead(root, threads);
    if (!r) {
      std::printf("%s: read FAILED\n", root.c_str());
      return 1;
    }
    const auto [kb, files] = *r;
    if (firstFiles == 0) {
      firstKb = kb;
      firstFiles = files;
    } else if (files > firstFiles) {
      perFile = double(kb - firstKb) * 1024.0 / double(files - firstFiles);
    }
    std::printf("%-28s %9lld files: peak memory %5ld MB\n", root.c_str(), files, kb / 1024);
  }
  std::printf("peak memory per file beyond the first tree: %.1f bytes\n", perFile);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc > 1 && std::string(argv[1]) == "--memory") return memoryRun(argc, argv);
  if (argc > 3 && std::string(argv[1]) == "--once") {
    const std::string root = argv[2];
    const Read r = timeRead(root, QString::fromStdString(root) + QStringLiteral(".bench.qvk"), std::atoi(argv[3]));
    std::printf("\nfile rows: %lld\n", r.fileRows);
    return r.ok ? 0 : 1;
  }
  const std::optional<std::string> tree = preparedTree(argc, argv);
  if (!tree) return 2;
  const std::string& root = *tree;
  const int threads = argc > 4 ? std::atoi(argv[4]) : -1;
  const int rounds = argc > 5 ? std::atoi(argv[5]) : 3;
  const QString catalogue = QString::fromStdString(root) + QStringLiteral(".bench.qvk");

  timeFind(root);  // warm the cache
  // find and the read take turns, so that other load on the machine meets both alike.
  double find = 1e9;
  Read best;
  best.seconds = 1e9;
  bool ok = true;
  for (int round = 1; round <= rounds; ++round) {
    const double f = timeFind(root);
    const Read r = timeRead(root, catalogue, threads);
    ok = ok && r.ok;
    std::printf("round %d:     find %.3f s, reader %.3f s = %.2f x find\n", round, f, r.seconds, r.seconds / f);
    find = std::min(find, f);
    if (r.seconds < best.seconds) best = r;
  }

  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("find:        %.3f s (best)\n", find);
  std::printf("reader:      %.3f s (best; %s, %lld file rows, %lld folder rows)\n", best.seconds,
              ok ? "committed" : "FAILED", best.fileRows, best.pathRows);
  std::printf("files/s:     %.0f\n", best.fileRows / best.seconds);
  std::printf("peak memory: %ld MB\n", ru.ru_maxrss / 1024);
  std::printf("catalogue:   %.1f bytes per file (%lld bytes)\n",
              best.fileRows ? double(best.bytes) / best.fileRows : 0.0, static_cast<long long>(best.bytes));
  std::printf("reader/find: %.2f\n", best.seconds / find);
  return ok ? 0 : 1;
}
