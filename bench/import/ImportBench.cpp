// Times the catalogue import of a generated source catalogue into a fresh catalogue made from
// the built template, next to a plain SQLite copy of the same rows into another fresh copy
// (ATTACH the source, INSERT ... SELECT table by table, one transaction), in the same run.
//
//   bench_import [FILES [FOLDERS [VOLUMES [ROUNDS]]]]   (defaults: 1000000 50000 10 2)
//
// The source holds every volume in one category, which the import ticks; the best of ROUNDS
// runs of each is reported.

#include "bench/import/BenchSource.h"
#include "bench/support/BenchTree.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pImport.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Recordset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

using benchsource::check;
using benchsource::freshCatalogue;
using benchsource::generateSource;
using benchsource::openPlain;
using benchtree::seconds;

namespace {

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
  QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/bench-import-XXXXXX"));
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
  std::printf("files/s:     %.0f\n", fileRows / bestImport);
  std::printf("import:      %.3f s  (%s, %lld file rows)  = %.2f x plain copy (target: at most 1.5)\n", bestImport,
              ok ? "committed" : "FAILED", fileRows, bestImport / bestPlain);
  return ok ? 0 : 1;
}
