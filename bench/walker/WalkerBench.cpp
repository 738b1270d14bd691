// Times the directory walker alone on a generated tree, next to
// find ROOT -xdev -printf '%s %T@ %p\n' >/dev/null on the same tree (warm cache).
//
//   bench_walker ROOT [FILES [FOLDERS]]     (defaults: 1000000 files in 50000 folders)
//
// The tree is generated under ROOT on the first run and reused when ROOT/.generated matches.

#include "bench/support/BenchTree.h"
#include "catalogue/cuDirParser.h"

#include <QCoreApplication>

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

namespace {

using namespace benchtree;

double timeWalk(const std::string& root, long& filesSeen, int32_t& folders, int64_t& bytes) {
  cuDirParser p;
  long n = 0;
  p.NewFile = [&](const QString&, const QString&, const QString&, int64_t, int32_t, const QByteArray&) { ++n; };
  p.setRoot(QString::fromStdString(root));
  const auto t0 = std::chrono::steady_clock::now();
  p.Run();
  const double s = seconds(t0);
  filesSeen = n;
  folders = p.Folders().Count();
  bytes = p.Folders().Item(1).TotalSize();
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::optional<std::string> tree = preparedTree(argc, argv);
  if (!tree) return 2;
  const std::string& root = *tree;
  timeFind(root);  // warm the cache
  double find = 1e9, walk = 1e9;
  long seen = 0;
  int32_t count = 0;
  int64_t bytes = 0;
  for (int round = 0; round < 3; ++round) {
    find = std::min(find, timeFind(root));
    walk = std::min(walk, timeWalk(root, seen, count, bytes));
  }
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("find:   %.3f s\n", find);
  std::printf("walker: %.3f s  (%ld files, %d folders, %lld bytes)  = %.2f x find\n", walk, seen, count,
              static_cast<long long>(bytes), walk / find);
  std::printf("peak memory: %ld MB\n", ru.ru_maxrss / 1024);
  return 0;
}
