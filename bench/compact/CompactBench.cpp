// Times the compaction of a generated catalogue (CompactDatabaseFile: the engine's copy into
// "~db.tmp" and the durable rename over the catalogue) next to a plain SQLite VACUUM INTO of
// the same file, in the same run. One volume in ten is deleted first, so there is room to give
// back.
//
//   bench_compact [FILES [FOLDERS [VOLUMES [ROUNDS]]]]   (defaults: 1000000 50000 10 2)
//
// Each round starts both from a fresh copy of the generated catalogue; the best of ROUNDS runs
// of each is reported.

#include "bench/import/BenchSource.h"
#include "bench/support/BenchTree.h"
#include "catalogue/mdlCommand_open.h"
#include "foundation/mdlQZLib51_compact.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using benchsource::check;
using benchsource::freshCatalogue;
using benchsource::generateSource;
using benchsource::openPlain;
using benchtree::seconds;

namespace {

bool copyFile(const QString& from, const QString& to) {
  QFile::remove(to);
  return QFile::copy(from, to) && QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
}

double plainVacuum(const QString& source, const QString& target) {
  QFile::remove(target);
  const auto t0 = std::chrono::steady_clock::now();
  sqlite3* db = openPlain(source);
  const std::string sql = "VACUUM INTO '" + target.toStdString() + "'";
  check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db, "vacuum into");
  sqlite3_close(db);
  return seconds(t0);
}

long long countFiles(const QString& path) {
  sqlite3* db = openPlain(path);
  sqlite3_stmt* s = nullptr;
  check(sqlite3_prepare_v2(db, "SELECT Count(*) FROM tblFILES", -1, &s, nullptr), db, "prepare count");
  check(sqlite3_step(s), db, "count");
  const long long n = sqlite3_column_int64(s, 0);
  sqlite3_finalize(s);
  sqlite3_close(db);
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const long files = argc > 1 ? std::atol(argv[1]) : 1000000;
  const long folders = argc > 2 ? std::atol(argv[2]) : 50000;
  const long volumes = argc > 3 ? std::atol(argv[3]) : 10;
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 2;
  if (files < 0 || folders < volumes || volumes < 1 || rounds < 1) {
    std::fprintf(stderr, "usage: %s [FILES [FOLDERS [VOLUMES [ROUNDS]]]] (FOLDERS >= VOLUMES >= 1)\n", argv[0]);
    return 2;
  }
  const QString templ = TemplatePath();
  QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/bench-compact-XXXXXX"));
  const QString generated = tmp.filePath(QStringLiteral("erzeugt.qvk"));
  const QString plainSource = tmp.filePath(QStringLiteral("kopie.qvk"));
  const QString plainTarget = tmp.filePath(QStringLiteral("kopie-vacuum.qvk"));
  const QString catalogue = tmp.filePath(QStringLiteral("archiv.qvk"));
  if (!freshCatalogue(templ, generated)) {
    std::fprintf(stderr, "template %s missing\n", qPrintable(templ));
    return 1;
  }
  std::printf("generating %ld files in %ld folders on %ld volumes ...\n", files, folders, volumes);
  auto t0 = std::chrono::steady_clock::now();
  generateSource(generated, files, folders, volumes);
  {
    sqlite3* db = openPlain(generated);
    const std::string sql = "DELETE FROM tblVOLUMES WHERE VID % 10 = 1";
    check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db, "delete volume");
    sqlite3_close(db);
  }
  const long long kept = countFiles(generated);
  std::printf("generated in %.1f s (%lld file rows kept, %.1f MB)\n", seconds(t0), kept,
              QFileInfo(generated).size() / 1048576.0);

  double bestPlain = 1e9, bestCompact = 1e9;
  bool ok = true;
  qint64 before = 0, after = 0;
  for (int round = 0; round < rounds && ok; ++round) {
    if (!copyFile(generated, plainSource) || !copyFile(generated, catalogue)) return 1;
    bestPlain = std::min(bestPlain, plainVacuum(plainSource, plainTarget));
    before = QFileInfo(catalogue).size();
    t0 = std::chrono::steady_clock::now();
    const QString error = CompactDatabaseFile(catalogue, QStringLiteral("~db.tmp"));
    bestCompact = std::min(bestCompact, seconds(t0));
    after = QFileInfo(catalogue).size();
    if (!error.isEmpty()) std::fprintf(stderr, "compaction failed: %s\n", qPrintable(error));
    ok = error.isEmpty() && countFiles(catalogue) == kept && after < before;
  }

  std::printf("plain VACUUM INTO: %.3f s\n", bestPlain);
  std::printf("compaction:        %.3f s  (%s, %.1f MB -> %.1f MB)  = %.2f x plain VACUUM INTO (target: at most 2)\n",
              bestCompact, ok ? "done" : "FAILED", before / 1048576.0, after / 1048576.0, bestCompact / bestPlain);
  return ok ? 0 : 1;
}
