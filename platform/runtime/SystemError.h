#pragma once

// A failed system call on a file or folder as a raised error with the runtime's number and a
// German text naming the path.

#include "platform/runtime/RaisedError.h"

#include <QString>

namespace rt {

// 76 path not found, 70 access denied, 61 disk full, 57 device I/O error, 7 out of memory,
// 67 too many files, 75 any other path/file access error. The source stays empty.
RaisedError fileSystemError(int errnum, const QString& path);

}  // namespace rt
