#pragma once

// The benchmarks' generated tree (fan-out 12) and the timing of find on it. Names are spread
// evenly over 1 to 40 letters after their number, one in ten with letters beyond ASCII
// (umlauts and a few other scripts), and one folder in 5,000 has a name near the file system's
// limit of 255 bytes: what a user's disk holds. The very long names are folders' so that the
// file names' column meets names of evenly spread lengths, none far wider than the rest.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace benchtree {

// The first eight are ASCII, the rest only in names beyond ASCII.
inline const char* const kSyllables[] = {"ka", "ro", "bel", "mi", "tra", "ux", "zen",  "ol",     "ä",    "ü",
                                         "ß",  "é",  "ø",   "ł",  "λό",  "жи", "文件", "データ", "한글", "שם"};
constexpr int kAsciiSyllables = 8;
constexpr int kSyllableCount = static_cast<int>(sizeof(kSyllables) / sizeof(kSyllables[0]));

// What the generator writes into the tree's note: a tree of an older generator is made anew.
constexpr int kTreeVersion = 2;

// Letters (code points) of a UTF-8 text.
inline int letters(const std::string& s) {
  int n = 0;
  for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// Syllables up to that many letters; the last may be cut, at a letter's end.
inline std::string syllables(std::mt19937& rng, bool nonAscii, int wanted, size_t maxBytes) {
  std::uniform_int_distribution<int> ascii(0, kAsciiSyllables - 1), other(kAsciiSyllables, kSyllableCount - 1),
      coin(0, 3);
  std::string s;
  int have = 0;
  while (have < wanted) {
    const std::string syl = kSyllables[nonAscii && coin(rng) == 0 ? other(rng) : ascii(rng)];
    for (size_t i = 0; i < syl.size() && have < wanted;) {
      size_t end = i + 1;
      while (end < syl.size() && (static_cast<unsigned char>(syl[end]) & 0xC0) == 0x80) ++end;
      if (s.size() + end - i > maxBytes) return s;
      s.append(syl, i, end - i);
      ++have;
      i = end;
    }
  }
  return s;
}

inline std::string randomName(std::mt19937& rng, bool nonAscii) {
  std::uniform_int_distribution<int> len(1, 40), ext(0, 4);
  std::string s = syllables(rng, nonAscii, len(rng), 255);
  // Beyond ASCII means at least one such letter.
  if (nonAscii && letters(s) == static_cast<int>(s.size())) s += kSyllables[kAsciiSyllables];
  static const char* const exts[] = {".txt", ".jpg", ".dat", "", ".tar.gz"};
  return s + exts[ext(rng)];
}

// A name that fills the file system's 255 bytes with its number before it.
inline std::string veryLongName(std::mt19937& rng, bool nonAscii, size_t numberBytes) {
  return syllables(rng, nonAscii, 255, 255 - numberBytes - 4) + ".dat";
}

inline std::string note(long files, long folders) {
  return std::to_string(files) + " " + std::to_string(folders) + " " + std::to_string(kTreeVersion);
}

inline bool generated(const std::string& root, long files, long folders) {
  std::ifstream in(root + "/.generated");
  std::string line;
  return std::getline(in, line) && line == note(files, folders);
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
    const std::string number = std::to_string(i) + "_";
    const bool nonAscii = coin(rng) == 0;
    const std::string p = paths[static_cast<size_t>((i - 1) / 12)] + "/" + number +
                          (i % 5000 == 4999 ? veryLongName(rng, nonAscii, number.size()) : randomName(rng, nonAscii));
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
  std::ofstream(root + "/.generated") << note(files, folders) << "\n";
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
  // A tree of other sizes or of an older generator: the note says it was made here.
  std::error_code error;
  if (std::filesystem::exists(root + "/.generated", error)) {
    std::printf("removing the other generated tree under %s ...\n", root.c_str());
    for (const auto& entry : std::filesystem::directory_iterator(root)) std::filesystem::remove_all(entry.path());
  }
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
