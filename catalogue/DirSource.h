#pragma once

// The walker's view of the file system: list one folder, entry by entry, with what the
// catalogue needs of each entry. Tests put a scripted source in its place.

#include "platform/runtime/RaisedError.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dirsrc {

// Attribute bits as the catalogue stores them.
inline constexpr int32_t kAttrHidden = 2;
inline constexpr int32_t kAttrSystem = 4;
inline constexpr int32_t kAttrFolder = 16;

enum class EntryKind {
  File,     // regular file
  Folder,   // directory
  Link,     // symbolic link (the link itself; never followed)
  Special,  // FIFO, socket or device: size 0, never opened
};

struct DirEntry {
  QByteArray name;  // raw bytes as the file system returns them
  EntryKind kind = EntryKind::File;
  int64_t size = 0;      // bytes; the link's own size for links, 0 for folders and special files
  int64_t mtimeSec = 0;  // last modification, seconds since 1970 (UTC)
  int32_t mtimeNsec = 0;
  int32_t attributes = 0;   // kAttrHidden | kAttrSystem | kAttrFolder
  bool mountPoint = false;  // a folder that holds another file system: not to be entered
};

// One open folder listing; closed when destroyed.
class DirListing {
 public:
  virtual ~DirListing() = default;
  // The next entry ("." and ".." never come); false at the end. Throws rt::RaisedError when
  // the listing fails part-way.
  virtual bool next(DirEntry& entry) = 0;
};

class DirSource {
 public:
  virtual ~DirSource() = default;
  // Opens the folder at path (raw bytes). Throws rt::RaisedError when it cannot be listed.
  // Without fileFacts, size and time of regular files may be left 0 where that saves a stat.
  virtual std::unique_ptr<DirListing> open(const QByteArray& path, bool fileFacts) = 0;
  // True when several folders may be listed at the same time on other threads.
  virtual bool concurrent() const { return false; }
};

// The real file system: readdir plus fstatat on the folder's descriptor, links not followed,
// the DOS system bit read where the file system carries one (FAT).
class PosixDirSource final : public DirSource {
 public:
  std::unique_ptr<DirListing> open(const QByteArray& path, bool fileFacts) override;
  bool concurrent() const override { return true; }
};

// Entries packed one after the other into a byte buffer, everything of each kept: a listing
// made on one thread and read on another in one allocation.
void packEntry(std::string& buffer, const DirEntry& e);
// The entry at p into e (reusing the storage of its name); returns the bytes read.
size_t unpackEntry(const char* p, DirEntry& e);

}  // namespace dirsrc
