#pragma once

// The benchmarks' generated tree (names of mixed length, one in ten with a non-ASCII letter,
// fan-out 12) and the timing of find on it.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace benchtree {

inline const char* const kSyllables[] = {"ka", "ro", "bel", "mi", "tra", "ux",  "zen",
                                         "ol", "ä",  "ü",   "ß",  "é",   "pho", "ne"};

inline std::string randomName(std::mt19937& rng, bool nonAscii) {
  std::uniform_int_distribution<int> len(1, 14), syl(0, 7), uml(8, 11), ext(0, 4);
  std::string s;
  const int n = len(rng);
  for (int i = 0; i < n; ++i) s += kSyllables[syl(rng)];
  if (nonAscii) s += kSyllables[uml(rng)];
  static const char* const exts[] = {".txt", ".jpg", ".dat", "", ".tar.gz"};
  return s + exts[ext(rng)];
}

inline bool generated(const std::string& root, long files, long folders) {
  std::ifstream in(root + "/.generated");
  long f = 0, d = 0;
  return in >> f >> d && f == files && d == folders;
}

inline void generate(const std::string& root, long files, long folders) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> coin(0, 9);
  std::uniform_int_distribution<long> size(0, 200000);
  // The root may lie below folders that do not exist yet.
  for (size_t i = 1; i <= root.size(); ++i)
    if (i == root.size() || root[i] == '/') mkdir(root.substr(0, i).c_str(), 0755);
  // Folders as a tree with fan-out 12: folder i hangs below folder (i - 1) / 12.
  std::vector<std::string> paths{root};
  for (long i = 1; i < folders; ++i) {
    const std::string p =
        paths[static_cast<size_t>((i - 1) / 12)] + "/" + std::to_string(i) + "_" + randomName(rng, coin(rng) == 0);
    if (mkdir(p.c_str(), 0755) != 0) {
      perror(p.c_str());
      std::exit(1);
    }
    paths.push_back(p);
  }
  for (long i = 0; i < files; ++i) {
    const std::string p =
        paths[static_cast<size_t>(i % folders)] + "/" + std::to_string(i) + randomName(rng, coin(rng) == 0);
    const int fd = open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ftruncate(fd, size(rng)) != 0) {
      perror(p.c_str());
      std::exit(1);
    }
    close(fd);
  }
  std::ofstream(root + "/.generated") << files << " " << folders << "\n";
}

inline double seconds(const std::chrono::steady_clock::time_point& t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

inline double timeFind(const std::string& root) {
  const std::string cmd = "find '" + root + "' -xdev -printf '%s %T@ %p\\n' >/dev/null";
  const auto t0 = std::chrono::steady_clock::now();
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "find failed\n");
  return seconds(t0);
}

// The tree of files in folders under root, generated unless root holds it already.
inline void prepareTree(const std::string& root, long files, long folders) {
  if (generated(root, files, folders)) return;
  std::printf("generating %ld files in %ld folders under %s ...\n", files, folders, root.c_str());
  const auto t0 = std::chrono::steady_clock::now();
  generate(root, files, folders);
  std::printf("generated in %.1f s\n", seconds(t0));
}

// A folder that exists and was not generated here: a tree made by other means, taken as it is.
inline bool heldTree(const std::string& root) {
  struct stat st;
  return stat(root.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access((root + "/.generated").c_str(), F_OK) != 0;
}

// The tree named on the command line (ROOT [FILES [FOLDERS]], by default 1000000 files in
// 50000 folders), generated under ROOT unless ROOT holds it already or is a held tree; nothing
// after printing the usage.
inline std::optional<std::string> preparedTree(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s ROOT [FILES [FOLDERS]]\n", argv[0]);
    return std::nullopt;
  }
  const std::string root = argv[1];
  if (heldTree(root)) return root;
  prepareTree(root, argc > 2 ? std::atol(argv[2]) : 1000000, argc > 3 ? std::atol(argv[3]) : 50000);
  return root;
}

}  // namespace benchtree
