#pragma once

// Engine-level file locks that make exclusive and shared opening exclude each other, within
// the process and across processes: an open-file-description lock on one byte far beyond the
// bytes SQLite locks. One descriptor per file is kept per process, because closing any
// descriptor of a file drops the process's POSIX locks, which SQLite relies on.

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace jet::detail {

class FileLock {
 public:
  enum class Mode { Shared, Exclusive };
  // Raises `conflictError` (3045 or 3356) when the file is held in a conflicting way, 3024
  // when it does not exist.
  static std::unique_ptr<FileLock> acquire(const QString& path, Mode mode, bool needWrite, int conflictError,
                                           const QString& object);
  ~FileLock();

  // The first n bytes of the file, read through the lock's own descriptor: opening and closing
  // another descriptor of the file would drop the locks SQLite holds on it in this process.
  QByteArray readPrefix(int n) const;
  // Whether the path names the locked file now (same device and inode).
  bool namedBy(const QString& path) const;

  // For tests: runs between opening a file and locking it, with the registry held.
  static void setBeforeLock(std::function<void()> hook);
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  FileLock(unsigned long long dev, unsigned long long ino, Mode mode) : dev_(dev), ino_(ino), mode_(mode) {}
  unsigned long long dev_;
  unsigned long long ino_;
  Mode mode_;
};

}  // namespace jet::detail
