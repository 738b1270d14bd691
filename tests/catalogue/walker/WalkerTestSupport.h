#pragma once

// Helpers of the walker tests: a scripted folder source, real trees on disk, and running a
// part of a test in a child process (without root's privileges, or in a private mount space).

#include "catalogue/DirSource.h"

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace walktest {

// Folders by raw path (with trailing "/"); a folder may fail at open or after some entries.
class FakeDirSource final : public dirsrc::DirSource {
 public:
  struct Folder {
    std::vector<dirsrc::DirEntry> entries;
    bool failOpen = false;
    int failAfter = -1;  // throw from next() after this many entries
  };
  QMap<QByteArray, Folder> folders;
  QList<QByteArray> opened;

  std::unique_ptr<dirsrc::DirListing> open(const QByteArray& path, bool fileFacts) override;
};

dirsrc::DirEntry file(const QByteArray& name, int64_t size, int32_t attributes = 0);
dirsrc::DirEntry folder(const QByteArray& name, int32_t attributes = 0);

// Writes size bytes (a repeating pattern) to path.
void writeFile(const QByteArray& path, int64_t size);
void makeDir(const QByteArray& path);

// Runs body in a forked child and returns its exit code (body's return value).
int inChild(const std::function<int()>& body);
// Drops to the user and group "nobody" (for use inside inChild).
bool dropPrivileges();

// Chain of codes a child reports back: 0 good, 77 could not set up the case.
inline constexpr int kSkipCode = 77;

}  // namespace walktest
