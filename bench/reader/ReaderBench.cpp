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
// Each round also times the floor: the rows that round's read stored, inserted into a fresh
// copy of the template with plain sqlite3 calls (one prepared statement per table, texts bound
// without copies, one transaction), in a process of its own that loads them first.
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
#include <sqlite3.h>
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
  std::optional<double> floor;          // seconds
  double mainUser = 0, mainSystem = 0;  // CPU seconds of the thread that ran the read
  double allCpu = 0;                    // CPU seconds of all the read's threads
};

double cpuSeconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

std::optional<double> childFloor(const QString& catalogue);

// One read into a fresh copy of the template, and with withFloor the floor of its rows.
Read timeRead(const std::string& root, const QString& catalogue, int threads, bool withFloor = false) {
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
    rusage before{}, after{}, allBefore{}, allAfter{};
    getrusage(RUSAGE_THREAD, &before);
    getrusage(RUSAGE_SELF, &allBefore);
    const auto t0 = std::chrono::steady_clock::now();
    r.ok = reader.Read(1);
    r.seconds = seconds(t0);
    getrusage(RUSAGE_SELF, &allAfter);
    getrusage(RUSAGE_THREAD, &after);
    r.allCpu = cpuSeconds(allAfter.ru_utime) - cpuSeconds(allBefore.ru_utime) + cpuSeconds(allAfter.ru_stime) -
               cpuSeconds(allBefore.ru_stime);
    r.mainUser = cpuSeconds(after.ru_utime) - cpuSeconds(before.ru_utime);
    r.mainSystem = cpuSeconds(after.ru_stime) - cpuSeconds(before.ru_stime);
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
  if (withFloor && r.ok) r.floor = childFloor(catalogue);
  QFile::remove(catalogue);
  return r;
}

// This program run with args in a child process: what it printed and its peak memory in kB;
// nothing when it failed.
std::optional<std::pair<std::string, long>> runChild(std::vector<std::string> args) {
  std::string self = "/proc/self/exe";
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
  return std::make_pair(out, ru.ru_maxrss);
}

// The peak memory of one read of root in a child process of this program, in kB, and its
// file rows; nothing when it failed.
std::optional<std::pair<long, long long>> childRead(const std::string& root, int threads) {
  const auto r = runChild({"bench_reader", "--once", root, std::to_string(threads)});
  if (!r) return std::nullopt;
  const size_t at = r->first.rfind("file rows: ");
  if (at == std::string::npos) return std::nullopt;
  return std::make_pair(r->second, std::atoll(r->first.c_str() + at + 11));
}

// The rows of a read catalogue, for inserting them again.
struct FloorRows {
  struct Path {
    int64_t pid = 0, volumeId = 0, parent = 0, files = 0, totalDirs = 0, totalFiles = 0;
    double size = 0, totalSize = 0;
    bool hasName = false, hasParent = false, hasMemo = false;
    std::string name, memo;
  };
  struct File {
    int64_t fid = 0, pathId = 0;
    size_t nameAt = 0, nameSize = 0;  // in names
    double date = 0, size = 0;
  };
  std::vector<Path> paths;  // by PID
  std::vector<File> files;  // by FID
  std::string names;
};

[[noreturn]] void sqliteFailed(sqlite3* db, const char* what) {
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::exit(1);
}

sqlite3_stmt* prepared(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) sqliteFailed(db, sql);
  return s;
}

void run(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) sqliteFailed(db, sql);
}

std::string columnText(sqlite3_stmt* s, int i) {
  return std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                     static_cast<size_t>(sqlite3_column_bytes(s, i)));
}

FloorRows loadRows(sqlite3* db) {
  FloorRows rows;
  sqlite3_stmt* s = prepared(db,
                             "SELECT PID, VolumeID, Path, Parent, Memo, Files, Size, TotalDirs, TotalFiles, TotalSize "
                             "FROM tblPATHS ORDER BY PID");
  while (sqlite3_step(s) == SQLITE_ROW) {
    FloorRows::Path p;
    p.pid = sqlite3_column_int64(s, 0);
    p.volumeId = sqlite3_column_int64(s, 1);
    if ((p.hasName = sqlite3_column_type(s, 2) != SQLITE_NULL)) p.name = columnText(s, 2);
    if ((p.hasParent = sqlite3_column_type(s, 3) != SQLITE_NULL)) p.parent = sqlite3_column_int64(s, 3);
    if ((p.hasMemo = sqlite3_column_type(s, 4) != SQLITE_NULL)) p.memo = columnText(s, 4);
    p.files = sqlite3_column_int64(s, 5);
    p.size = sqlite3_column_double(s, 6);
    p.totalDirs = sqlite3_column_int64(s, 7);
    p.totalFiles = sqlite3_column_int64(s, 8);
    p.totalSize = sqlite3_column_double(s, 9);
    rows.paths.push_back(std::move(p));
  }
  sqlite3_finalize(s);
  s = prepared(db, "SELECT FID, PathID, Filename, DateTime, Filesize FROM tblFILES ORDER BY FID");
  while (sqlite3_step(s) == SQLITE_ROW) {
    FloorRows::File f;
    f.fid = sqlite3_column_int64(s, 0);
    f.pathId = sqlite3_column_int64(s, 1);
    f.nameAt = rows.names.size();
    f.nameSize = static_cast<size_t>(sqlite3_column_bytes(s, 2));
    rows.names.append(reinterpret_cast<const char*>(sqlite3_column_text(s, 2)), f.nameSize);
    f.date = sqlite3_column_double(s, 3);
    f.size = sqlite3_column_double(s, 4);
    rows.files.push_back(f);
  }
  sqlite3_finalize(s);
  return rows;
}

// The floor of a read: its rows, with their final totals, inserted into a fresh copy of the
// template on a connection set up as the engine sets up its own, each folder's row before
// its files' as the reader writes them. Prints the seconds from BEGIN to the end of COMMIT.
int floorRun(const std::string& catalogue) {
  sqlite3* source = nullptr;
  if (sqlite3_open_v2(catalogue.c_str(), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    sqliteFailed(source, "open");
  const FloorRows rows = loadRows(source);
  sqlite3_close(source);

  const QString bin = QCoreApplication::applicationDirPath();
  const QString target = QString::fromStdString(catalogue) + QStringLiteral(".floor.qvk");
  QFile::remove(target);
  if (!QFile::copy(bin + QStringLiteral("/zuvrax.db"), target)) return 1;
  QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(target.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK)
    sqliteFailed(db, "open");
  run(db, "PRAGMA foreign_keys=ON");
  run(db, "PRAGMA synchronous=NORMAL");
  run(db, "PRAGMA secure_delete=FAST");
  run(db,
      "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) VALUES (1, 'Bench', '/', 3, 45000)");
  sqlite3_stmt* path = prepared(db,
                                "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Memo, Files, Size, TotalDirs, "
                                "TotalFiles, TotalSize) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  sqlite3_stmt* file =
      prepared(db, "INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?, ?, ?, ?, ?)");
  const auto t0 = std::chrono::steady_clock::now();
  run(db, "BEGIN");
  size_t nextPath = 0;
  const auto insertPathsUpTo = [&](int64_t pid) {
    for (; nextPath < rows.paths.size() && rows.paths[nextPath].pid <= pid; ++nextPath) {
      const FloorRows::Path& p = rows.paths[nextPath];
      sqlite3_bind_int64(path, 1, p.pid);
      sqlite3_bind_int64(path, 2, p.volumeId);
      if (p.hasName)
        sqlite3_bind_text(path, 3, p.name.data(), static_cast<int>(p.name.size()), SQLITE_STATIC);
      else
        sqlite3_bind_null(path, 3);
      if (p.hasParent)
        sqlite3_bind_int64(path, 4, p.parent);
      else
        sqlite3_bind_null(path, 4);
      if (p.hasMemo)
        sqlite3_bind_text(path, 5, p.memo.data(), static_cast<int>(p.memo.size()), SQLITE_STATIC);
      else
        sqlite3_bind_null(path, 5);
      sqlite3_bind_int64(path, 6, p.files);
      sqlite3_bind_double(path, 7, p.size);
      sqlite3_bind_int64(path, 8, p.totalDirs);
      sqlite3_bind_int64(path, 9, p.totalFiles);
      sqlite3_bind_double(path, 10, p.totalSize);
      if (sqlite3_step(path) != SQLITE_DONE) sqliteFailed(db, "tblPATHS");
      sqlite3_reset(path);
    }
  };
  for (const FloorRows::File& f : rows.files) {
    insertPathsUpTo(f.pathId);
    sqlite3_bind_int64(file, 1, f.fid);
    sqlite3_bind_int64(file, 2, f.pathId);
    sqlite3_bind_text(file, 3, rows.names.data() + f.nameAt, static_cast<int>(f.nameSize), SQLITE_STATIC);
    sqlite3_bind_double(file, 4, f.date);
    sqlite3_bind_double(file, 5, f.size);
    if (sqlite3_step(file) != SQLITE_DONE) sqliteFailed(db, "tblFILES");
    sqlite3_reset(file);
  }
  insertPathsUpTo(INT64_MAX);
  run(db, "COMMIT");
  const double took = seconds(t0);
  sqlite3_finalize(path);
  sqlite3_finalize(file);
  sqlite3_close(db);
  QFile::remove(target);
  std::printf("floor seconds: %.6f\n", took);
  return 0;
}

// The floor of the read that left catalogue, in a child process; nothing when it failed.
std::optional<double> childFloor(const QString& catalogue) {
  const auto r = runChild({"bench_reader", "--floor", catalogue.toStdString()});
  if (!r) return std::nullopt;
  const size_t at = r->first.rfind("floor seconds: ");
  if (at == std::string::npos) return std::nullopt;
  return std::atof(r->first.c_str() + at + 15);
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
  if (argc > 2 && std::string(argv[1]) == "--floor") return floorRun(argv[2]);
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
  double find = 1e9, bestFloor = 1e9;
  Read best;
  best.seconds = 1e9;
  bool ok = true;
  for (int round = 1; round <= rounds; ++round) {
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    const double f = timeFind(root);
    getrusage(RUSAGE_CHILDREN, &after);
    const double findCpu = cpuSeconds(after.ru_utime) - cpuSeconds(before.ru_utime) + cpuSeconds(after.ru_stime) -
                           cpuSeconds(before.ru_stime);
    const Read r = timeRead(root, catalogue, threads, true);
    ok = ok && r.ok && r.floor.has_value();
    std::printf("round %d:     find %.3f s, reader %.3f s = %.2f x find, floor %.3f s\n", round, f, r.seconds,
                r.seconds / f, r.floor.value_or(0));
    std::printf("  CPU:       find %.3f s, reader %.3f s, of it its own thread %.3f s user + %.3f s system\n", findCpu,
                r.allCpu, r.mainUser, r.mainSystem);
    find = std::min(find, f);
    bestFloor = std::min(bestFloor, r.floor.value_or(1e9));
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
  std::printf("floor:       %.3f s (best; plain sqlite3 insert of the same rows)\n", bestFloor);
  std::printf("reader/find: %.2f\n", best.seconds / find);
  return ok ? 0 : 1;
}
