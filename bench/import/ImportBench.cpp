// Times the catalogue import of a generated source catalogue into a fresh catalogue made from
// the built template, next to a plain SQLite copy of the same rows into another fresh copy
// (ATTACH the source, INSERT ... SELECT table by table, one transaction), in the same run.
//
//   bench_import [FILES [FOLDERS [VOLUMES [ROUNDS]]]]   (defaults: 1000000 50000 10 2)
//
// The source holds every volume in one category, which the import ticks; the best of ROUNDS
// runs of each is reported.

#include "bench/support/BenchTree.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pImport.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Recordset.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

using benchtree::seconds;

namespace {

void check(int rc, sqlite3* db, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  std::exit(1);
}

sqlite3* openPlain(const QString& path) {
  sqlite3* db = nullptr;
  check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
  jet::registerJetFunctions(db);
  check(sqlite3_exec(db, "PRAGMA foreign_keys=ON; PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr), db, "pragma");
  return db;
}

bool freshCatalogue(const QString& templ, const QString& path) {
  QFile::remove(path);
  QFile::remove(path + QStringLiteral("-journal"));
  if (!QFile::copy(templ, path)) return false;
  return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// Volumes with folder trees of fan-out 12 and files spread over the folders, all in category 1.
void generateSource(const QString& path, long files, long folders, long volumes) {
  sqlite3* db = openPlain(path);
  check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
  check(sqlite3_exec(db,
                     "INSERT INTO tblCATEGORIES (CID, CatName) VALUES (1, 'Sammlung');"
                     "INSERT INTO tblLOCATIONS (lID, LocName, LocDescription) VALUES (1, 'Schrank', 'unten')",
                     nullptr, nullptr, nullptr),
        db, "category");
  sqlite3_stmt *vol = nullptr, *dir = nullptr, *file = nullptr;
  check(sqlite3_prepare_v2(db,
                           "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeSerial, VolumeType, EditDate, "
                           "CatID, LocID) VALUES (?, ?, '/media/platte/', '1234-5678', 3, 46000.5, 1, 1)",
                           -1, &vol, nullptr),
        db, "prepare volume");
  check(sqlite3_prepare_v2(db,
                           "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, "
                           "TotalSize) VALUES (?, ?, ?, ?, 20, 123456, 3, 60, 654321)",
                           -1, &dir, nullptr),
        db, "prepare folder");
  check(sqlite3_prepare_v2(db,
                           "INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize, \"Desc\") "
                           "VALUES (?, ?, ?, ?, ?, ?)",
                           -1, &file, nullptr),
        db, "prepare file");
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> coin(0, 9);
  std::uniform_real_distribution<double> date(36000, 46000);
  std::uniform_int_distribution<long> size(0, 2000000);
  long pid = 0, fid = 0;
  for (long v = 1; v <= volumes; ++v) {
    sqlite3_bind_int64(vol, 1, v);
    const std::string name = "Platte " + std::to_string(v);
    sqlite3_bind_text(vol, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    check(sqlite3_step(vol), db, "volume");
    sqlite3_reset(vol);
    const long first = pid + 1;
    const long myFolders = folders / volumes + (v <= folders % volumes ? 1 : 0);
    const long myFiles = files / volumes + (v <= files % volumes ? 1 : 0);
    for (long i = 0; i < myFolders; ++i) {
      ++pid;
      sqlite3_bind_int64(dir, 1, pid);
      sqlite3_bind_int64(dir, 2, v);
      if (i == 0) {
        sqlite3_bind_null(dir, 3);
        sqlite3_bind_null(dir, 4);
      } else {
        const std::string n = benchtree::randomName(rng, coin(rng) == 0);
        sqlite3_bind_text(dir, 3, n.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(dir, 4, first + (i - 1) / 12);
      }
      check(sqlite3_step(dir), db, "folder");
      sqlite3_reset(dir);
    }
    for (long i = 0; i < myFiles; ++i) {
      ++fid;
      sqlite3_bind_int64(file, 1, fid);
      sqlite3_bind_int64(file, 2, first + i % std::max(myFolders, 1L));
      const std::string n = std::to_string(fid) + benchtree::randomName(rng, coin(rng) == 0);
      sqlite3_bind_text(file, 3, n.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(file, 4, date(rng));
      sqlite3_bind_double(file, 5, static_cast<double>(size(rng)));
      if (fid % 10 == 0)
        sqlite3_bind_text(file, 6, "Beschreibung", -1, SQLITE_STATIC);
      else
        sqlite3_bind_null(file, 6);
      check(sqlite3_step(file), db, "file");
      sqlite3_reset(file);
    }
  }
  for (sqlite3_stmt* s : {vol, dir, file}) sqlite3_finalize(s);
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
  sqlite3_close(db);
}

double plainCopy(const QString& source, const QString& target) {
  const auto t0 = std::chrono::steady_clock::now();
  sqlite3* db = openPlain(target);
  const std::string attach = "ATTACH DATABASE '" + source.toStdString() + "' AS src";
  check(sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr), db, "attach");
  check(sqlite3_exec(db,
                     "BEGIN IMMEDIATE;"
                     "INSERT INTO main.tblCATEGORIES SELECT * FROM src.tblCATEGORIES;"
                     "INSERT INTO main.tblLOCATIONS SELECT * FROM src.tblLOCATIONS;"
                     "INSERT INTO main.tblVOLUMES SELECT * FROM src.tblVOLUMES;"
                     "INSERT INTO main.tblPATHS SELECT * FROM src.tblPATHS;"
                     "INSERT INTO main.tblFILES SELECT * FROM src.tblFILES;"
                     "COMMIT",
                     nullptr, nullptr, nullptr),
        db, "copy");
  sqlite3_close(db);
  return seconds(t0);
}

// The import's windows: the source is chosen and its one category ticked.
class BenchWindows : public pImportOwner {
 public:
  explicit BenchWindows(QString file) : file_(std::move(file)) {}
  QString ChooseSourceFile(const QString&, const QString&, const QString&) override { return file_; }
  bool SelectFromSource(const std::shared_ptr<jet::Database>&, const QString&, std::vector<int32_t>& categories,
                        std::vector<int32_t>& volumes) override {
    categories = {1};
    volumes.clear();
    return true;
  }

 private:
  QString file_;
};

long long countOf(const char* sql) {
  auto rs = gDB->DB()->OpenRecordset(QString::fromUtf8(sql), jet::RecordsetType::Snapshot);
  return rs->Fields(0).Value().toLong();
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
  QTemporaryDir tmp(QCoreApplication::applicationDirPath() + QStringLiteral("/bench-import-XXXXXX"));
  const QString source = tmp.filePath(QStringLiteral("quelle.qvk"));
  const QString plain = tmp.filePath(QStringLiteral("kopie.qvk"));
  const QString target = tmp.filePath(QStringLiteral("ziel.qvk"));
  if (!freshCatalogue(templ, source)) {
    std::fprintf(stderr, "template %s missing\n", qPrintable(templ));
    return 1;
  }
  std::printf("generating %ld files in %ld folders on %ld volumes ...\n", files, folders, volumes);
  auto t0 = std::chrono::steady_clock::now();
  generateSource(source, files, folders, volumes);
  std::printf("generated in %.1f s\n", seconds(t0));

  gDB = std::make_unique<cuDAODatabase>();
  double bestPlain = 1e9, bestImport = 1e9;
  bool ok = true;
  long long fileRows = 0;
  for (int round = 0; round < rounds && ok; ++round) {
    if (!freshCatalogue(templ, plain)) return 1;
    bestPlain = std::min(bestPlain, plainCopy(source, plain));

    if (!freshCatalogue(templ, target) || !DBOpen(target, -1)) return 1;
    BenchWindows windows(source);
    int32_t c = 0, v = 0, l = 0;
    t0 = std::chrono::steady_clock::now();
    {
      pImport import(windows);
      ok = import.Import(c, v, l);
    }
    bestImport = std::min(bestImport, seconds(t0));
    fileRows = countOf("SELECT Count(*) FROM tblFILES");
    ok = ok && fileRows == files && v == volumes;
    gDB->setDBPath(QString());
  }
  gDB.reset();

  std::printf("plain copy:  %.3f s  (INSERT ... SELECT from the attached source)\n", bestPlain);
  std::printf("import:      %.3f s  (%s, %lld file rows)  = %.2f x plain copy (target: at most 3)\n", bestImport,
              ok ? "committed" : "FAILED", fileRows, bestImport / bestPlain);
  std::printf("files/s:     %.0f\n", fileRows / bestImport);
  return ok ? 0 : 1;
}
