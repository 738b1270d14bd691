// Times the directory walker alone on a generated tree, next to
// find ROOT -xdev -printf '%s %T@ %p\n' >/dev/null on the same tree (warm cache).
//
//   bench_walker ROOT [FILES [FOLDERS]]     (defaults: 1000000 files in 50000 folders)
//
// The tree is generated under ROOT on the first run and reused when ROOT/.generated matches.

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

const char* const kSyllables[] = {"ka", "ro", "bel", "mi", "tra", "ux", "zen", "ol", "ä", "ü", "ß", "é", "pho", "ne"};

std::string randomName(std::mt19937& rng, bool nonAscii) {
  std::uniform_int_distribution<int> len(1, 14), syl(0, 7), uml(8, 11), ext(0, 4);
  std::string s;
  const int n = len(rng);
  for (int i = 0; i < n; ++i) s += kSyllables[syl(rng)];
  if (nonAscii) s += kSyllables[uml(rng)];
  static const char* const exts[] = {".txt", ".jpg", ".dat", "", ".tar.gz"};
  return s + exts[ext(rng)];
}

bool generated(const std::string& root, long files, long folders) {
  std::ifstream in(root + "/.generated");
  long f = 0, d = 0;
  return in >> f >> d && f == files && d == folders;
}

void generate(const std::string& root, long files, long folders) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> coin(0, 9);
  std::uniform_int_distribution<long> size(0, 200000);
  mkdir(root.c_str(), 0755);
  // Folders as a tree with fan-out 12: folder i hangs below folder (i - 1) / 12.
  std::vector<std::string> paths{root};
  for (long i = 1; i < folders; ++i) {
    const std::string p = paths[static_cast<size_t>((i - 1) / 12)] + "/" + std::to_string(i) + "_" +
                          randomName(rng, coin(rng) == 0);
    if (mkdir(p.c_str(), 0755) != 0) {
      perror(p.c_str());
      std::exit(1);
    }
    paths.push_back(p);
  }
  for (long i = 0; i < files; ++i) {
    const std::string p = paths[static_cast<size_t>(i % folders)] + "/" + std::to_string(i) + randomName(rng, coin(rng) == 0);
    const int fd = open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ftruncate(fd, size(rng)) != 0) {
      perror(p.c_str());
      std::exit(1);
    }
    close(fd);
  }
  std::ofstream(root + "/.generated") << files << " " << folders << "\n";
}

double seconds(const std::chrono::steady_clock::time_point& t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double timeFind(const std::string& root) {
  const std::string cmd = "find '" + root + "' -xdev -printf '%s %T@ %p\\n' >/dev/null";
  const auto t0 = std::chrono::steady_clock::now();
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "find failed\n");
  return seconds(t0);
}

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
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s ROOT [FILES [FOLDERS]]\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const long files = argc > 2 ? std::atol(argv[2]) : 1000000;
  const long folders = argc > 3 ? std::atol(argv[3]) : 50000;
  if (!generated(root, files, folders)) {
    std::printf("generating %ld files in %ld folders under %s ...\n", files, folders, root.c_str());
    const auto t0 = std::chrono::steady_clock::now();
    generate(root, files, folders);
    std::printf("generated in %.1f s\n", seconds(t0));
  }
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
