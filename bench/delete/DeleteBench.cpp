// Times deleting a volume, and a category holding it, with all their folder and file rows in a
// catalogue made from the built template (the rows go by the cascading deletes on the indexed
// key columns). A second, small volume stays and is checked to be untouched.
//
//   bench_delete [FILES [FOLDERS [ROUNDS]]]     (defaults: 1000000 files in 50000 folders, 3 rounds)

#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlCommand_structure.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pInfoColl.h"
#include "platform/jet/JetSql.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kLimitSeconds = 2.0;

double seconds(const std::chrono::steady_clock::time_point& t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void check(int rc, sqlite3* db, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::exit(1);
}

// Categories 1 > 2; volume 1 in category 2 with the big tree, volume 2 at the top level with
// ten folders of ten files. Written with plain SQLite in one transaction.
void fill(const QString& path, long files, long folders) {
  sqlite3* db = nullptr;
  check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
  jet::registerJetFunctions(db);
  check(sqlite3_exec(db,
                     "PRAGMA foreign_keys=ON; BEGIN;"
                     "INSERT INTO tblCATEGORIES (CID, CatName, Parent) VALUES (1, 'Archiv', NULL), (2, 'Filme', 1);"
                     "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, CatID) VALUES "
                     "(1, 'Gross', '/media/gross/', 3, 45000, 2), (2, 'Klein', '/media/klein/', 3, 45000, NULL);",
                     nullptr, nullptr, nullptr),
        db, "rows");
  sqlite3_stmt* p = nullptr;
  sqlite3_stmt* f = nullptr;
  check(sqlite3_prepare_v2(db,
                           "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, "
                           "TotalSize) VALUES (?, ?, ?, ?, 0, 0, 0, 0, 0)",
                           -1, &p, nullptr),
        db, "prepare paths");
  check(sqlite3_prepare_v2(
            db, "INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?, ?, ?, 45000.5, ?)", -1, &f,
            nullptr),
        db, "prepare files");
  long pid = 0;
  long fid = 0;
  auto addTree = [&](int vid, long nFolders, long nFiles) {
    const long first = pid + 1;
    for (long i = 0; i < nFolders; ++i) {
      ++pid;
      sqlite3_bind_int64(p, 1, pid);
      sqlite3_bind_int(p, 2, vid);
      const std::string name = "Ordner_" + std::to_string(i);
      if (i == 0)
        sqlite3_bind_null(p, 3);
      else
        sqlite3_bind_text(p, 3, name.c_str(), -1, SQLITE_TRANSIENT);
      if (i == 0)
        sqlite3_bind_null(p, 4);
      else
        sqlite3_bind_int64(p, 4, first + (i - 1) / 12);
      check(sqlite3_step(p), db, "path");
      sqlite3_reset(p);
    }
    for (long i = 0; i < nFiles; ++i) {
      ++fid;
      sqlite3_bind_int64(f, 1, fid);
      // As the reader writes them: the files of a folder one after the other.
      sqlite3_bind_int64(f, 2, first + i * nFolders / nFiles);
      const std::string name = "datei_" + std::to_string(i) + "_kabelromi.txt";
      sqlite3_bind_text(f, 3, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(f, 4, static_cast<double>(i % 200000));
      check(sqlite3_step(f), db, "file");
      sqlite3_reset(f);
    }
  };
  addTree(1, folders, files);
  addTree(2, 10, 100);
  sqlite3_finalize(p);
  sqlite3_finalize(f);
  check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db, "commit");
  sqlite3_close(db);
}

long long count(const char* sql) {
  auto rs = gDB->DB()->OpenRecordset(QString::fromUtf8(sql), jet::RecordsetType::Snapshot);
  return rs->Fields(0).Value().toLong();
}

// Nothing of the big volume, all of the small one.
bool rowsLeftAsExpected() {
  const long long bigPaths = count("SELECT Count(*) FROM tblPATHS WHERE VolumeID = 1");
  const long long smallPaths = count("SELECT Count(*) FROM tblPATHS WHERE VolumeID = 2");
  const long long filesLeft = count("SELECT Count(*) FROM tblFILES");
  if (bigPaths == 0 && smallPaths == 10 && filesLeft == 100) return true;
  std::printf("  left: %lld folder rows of the deleted volume, %lld of the other, %lld file rows\n", bigPaths,
              smallPaths, filesLeft);
  return false;
}

double cpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const long files = argc > 1 ? std::atol(argv[1]) : 1000000;
  const long folders = argc > 2 ? std::atol(argv[2]) : 50000;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  QTemporaryDir dir;
  const QString master = dir.path() + QStringLiteral("/master.qvk");
  const QString path = dir.path() + QStringLiteral("/delete.qvk");
  if (!QFile::copy(TemplatePath(), master)) {
    std::fprintf(stderr, "template %s missing\n", qPrintable(TemplatePath()));
    return 1;
  }
  QFile::setPermissions(master, QFile::ReadOwner | QFile::WriteOwner);
  const auto t0 = std::chrono::steady_clock::now();
  fill(master, files, folders);
  std::printf("%ld files in %ld folders written in %.1f s (%.0f MB)\n", files, folders, seconds(t0),
              QFileInfo(master).size() / 1048576.0);

  bool ok = true;
  gDB = std::make_unique<cuDAODatabase>();
  const char* const what[] = {"the volume", "the category holding it"};
  for (int kind = 0; kind < 2; ++kind) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int round = 0; round < rounds; ++round) {
      gDB->setDBPath(QString());
      QFile::remove(path);
      if (!QFile::copy(master, path) || !DBOpen(path, 0)) return 1;
      pInfoColl cache;
      const auto t1 = std::chrono::steady_clock::now();
      const double c1 = cpuSeconds();
      if (kind == 0)
        ok = DeleteVolumeRecord(1, 2, &cache) && ok;
      else
        DeleteCatRecords(1, DeleteCatContent(1), &cache);
      wall.push_back(seconds(t1));
      cpu.push_back(cpuSeconds() - c1);
      ok = rowsLeftAsExpected() && ok;
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("deleting %-24s best %.3f s, median %.3f s (cpu best %.3f s) over %d rounds; limit %.1f s: %s\n",
                what[kind], wall.front(), wall[wall.size() / 2], cpu.front(), rounds, kLimitSeconds,
                wall.front() <= kLimitSeconds ? "kept" : "OVER");
  }
  gDB.reset();
  return ok ? 0 : 1;
}
