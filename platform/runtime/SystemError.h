#pragma once

// The one way a failed system call (an errno value) becomes a runtime error number, and a raised
// error with a German text naming the path.

#include "platform/runtime/RaisedError.h"

#include <QString>

namespace rt {

// What the failed call was doing: entering a folder (the drive checks) reports some failures
// under other numbers than using a file does.
enum class SystemCall { FileAccess, EnterFolder };

// 0 for errnum 0. Using a file: 76 path not found, 70 permission denied, 61 disk full, 57 device
// I/O error, 7 out of memory, 67 too many files, 75 any other path/file access error.
// Entering a folder: 76 path not found, 75 access denied, 71 no medium, 68 device not
// available, and for an errno none of these stands for 51 (an internal error), which the
// drive checks report as unknown.
int32_t errorNumberOf(int errnum, SystemCall call = SystemCall::FileAccess);

// The error of a failed use of path: errorNumberOf with a text of its own. The source stays empty.
RaisedError fileSystemError(int errnum, const QString& path);

}  // namespace rt
