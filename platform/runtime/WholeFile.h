#pragma once

// A whole regular file read into memory, up to a size the caller allows.

#include <QByteArray>
#include <QtGlobal>

#include <limits>

namespace rt {

struct WholeFile {
  enum class Outcome { Read, Directory, NotRegular, TooLarge, Failed };
  Outcome outcome = Outcome::Failed;
  QByteArray bytes;  // the content, when Read
  int error = 0;     // errno, when Failed
};

// No limit but the memory.
inline constexpr qint64 kAnyFileSize = std::numeric_limits<qint64>::max();

// Opened without blocking, so that a FIFO in the file's place is not waited for, and read only
// when it is a regular file. One larger than maxBytes, or one that grows beyond it while it is
// read, is TooLarge. A failed open, status or read is Failed with its errno.
WholeFile readWholeFile(const QByteArray& nativePath, qint64 maxBytes);

}  // namespace rt
