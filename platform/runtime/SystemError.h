#pragma once

// The one way a failed system call (an errno value) becomes a runtime error number, and a raised
// error with a German text naming the path.

#include "platform/runtime/RaisedError.h"

#include <QString>

namespace rt {

// What the failed call was doing: entering a folder (the drive checks) and opening a file to
// read it report some failures under other numbers than other uses of a file do.
enum class SystemCall { FileAccess, EnterFolder, OpenFile };

// 0 for errnum 0. Using a file: 76 path not found, 70 permission denied, 61 disk full, 57 device
// I/O error, 7 out of memory, 67 too many files, 75 any other path/file access error.
// Entering a folder: 76 path not found, 75 access denied, 71 no medium, 68 device not
// available, and for an errno none of these stands for 51 (an internal error), which the
// drive checks report as unknown.
// Opening a file: 53 file not found, 76 path not found (ENOTDIR: a folder on the way is none or
// missing), 70 permission denied, 52 bad file name (too long), 55 file already open (busy), 57
// device I/O error, 71 disk not ready, 68 device unavailable, 75 any other path/file access
// error (also a folder, EISDIR, and a loop of links).
int32_t errorNumberOf(int errnum, SystemCall call = SystemCall::FileAccess);

// The error of a failed use of path: errorNumberOf with a text of its own and ": path" after it.
// Opening a file words the text as the runtime words its number. The source stays empty.
RaisedError fileSystemError(int errnum, const QString& path, SystemCall call = SystemCall::FileAccess);

// The same without the path, for a message that names the path itself.
RaisedError systemError(int errnum, SystemCall call = SystemCall::FileAccess);

}  // namespace rt
