// Times a whole volume read (walk, folder and file rows, commit) into a fresh catalogue made
// from the built template, next to find ROOT -xdev -printf '%s %T@ %p\n' >/dev/null on the
// same tree (warm cache). Pauses off, no test reads, no memo names.
//
//   bench_reader ROOT [FILES [FOLDERS]]     (defaults: 1000000 files in 50000 folders)
//
// The tree is generated under ROOT on the first run and reused when ROOT/.generated matches
// (the same tree as bench_walker's).

#include "catalogue/pReader.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Workspace.h"

#include <QCoreApplication>

#include <QFile>
#include <QFileInfo>
#include "bench/support/BenchTree.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace benchtree;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::optional<std::string> tree = preparedTree(argc, argv);
  if (!tree) return 2;
  const std::string& root = *tree;

  const QString bin = QCoreApplication::applicationDirPath();
  const QString catalogue = QString::fromStdString(root) + QStringLiteral(".bench.qvk");
  QFile::remove(catalogue);
  if (!QFile::copy(bin + QStringLiteral("/zuvrax.db"), catalogue)) {
    std::fprintf(stderr, "template %s/zuvrax.db missing\n", qPrintable(bin));
    return 1;
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

  timeFind(root);  // warm the cache
  double find = 1e9;
  for (int round = 0; round < 3; ++round) find = std::min(find, timeFind(root));

  pReaderSettings settings;
  settings.ReadingBreakDuration = 0;
  bool ok = false;
  double read = 0;
  {
    pReader reader(ws, db, settings);
    const auto t0 = std::chrono::steady_clock::now();
    ok = reader.Read(1);
    read = seconds(t0);
  }
  auto count = [&](const char* sql) {
    auto rs = db->OpenRecordset(QString::fromUtf8(sql), jet::RecordsetType::Snapshot);
    return rs->Fields(0).Value().toLong();
  };
  const long long fileRows = count("SELECT Count(*) FROM tblFILES");
  const long long pathRows = count("SELECT Count(*) FROM tblPATHS");
  db->Close();
  const int64_t bytes = QFileInfo(catalogue).size() - emptyBytes;

  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("find:        %.3f s\n", find);
  std::printf("reader:      %.3f s  (%s, %lld file rows, %lld folder rows)  = %.2f x find\n", read,
              ok ? "committed" : "FAILED", fileRows, pathRows, read / find);
  std::printf("files/s:     %.0f\n", fileRows / read);
  std::printf("peak memory: %ld MB\n", ru.ru_maxrss / 1024);
  std::printf("catalogue:   %.1f bytes per file (%lld bytes)\n", fileRows ? double(bytes) / fileRows : 0.0,
              static_cast<long long>(bytes));
  QFile::remove(catalogue);
  return ok ? 0 : 1;
}
