#pragma once

// Helpers of the walker tests: a scripted folder source, real trees on disk, and running a
// part of a test in a child process (without root's privileges, or in a private mount space).

#include "catalogue/DirSource.h"
#include "tests/support/TestHelpers.h"

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

using testenv::dropPrivileges;
using testenv::inChild;
using testenv::kSkipCode;
using testenv::makeDir;
using testenv::writeFile;

}  // namespace walktest
