#pragma once

// Drives, volumes, paths and files. The separator of paths is "/" (also where a routine takes a
// backslash flag); a drive root is the mount point of the file system that holds the path, with a
// trailing "/". Paths compare case-sensitively, sizes are 64-bit, text files are read as rt::decodeText
// reads them.

#include "platform/runtime/Variant.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

// Serial number text, file-system name, volume label.
using VolumeInfoArray = std::array<QString, 3>;

// Volumes and drives.
// Nothing when the path has no root or its medium cannot be read. The serial is "1A2B-3C4D" with
// serialAsHex, else the signed decimal number.
std::optional<VolumeInfoArray> GetVolumeInfo(const QString& path, bool serialAsHex);
// The UNC root of a UNC path, the letter of "X:...", the drive root of an absolute path, else "".
QString GetDriveSpec(const QString& path);
// mode 0 free bytes (for this user), 1 total bytes, 2 used bytes; any other mode and any failure 0.
double GetDiskFreeSpaceValue(const QString& path, int32_t mode);
bool DriveGetSpace_ExSupported(const QString& root);
// A volumes::DriveType: 0 unknown, 1 no root, 2 removable, 3 fixed, 4 network, 5 CD-ROM, 6 RAM disk.
int32_t DriveGetType(const QString& path);
QString GetDriveTypeText(const QString& path);
// The German name of a drive type ("Wechselmedium" ...); "" for unknown and no root.
QString DriveTypeText(int32_t driveType);
// 0 when the drive root of the path can be entered, else 76 (path not found), 75 (access),
// 71 (no medium), 68 (device not available) or 51 (any other failure).
int32_t TestDriveAccess(const QString& path);
// True when the drive can be read; else shows the reason in a critical box titled title.
bool CheckDriveReady(const QString& path, const QString& title);
QString GetComputerNameText();

// Paths. A UNC path begins with two characters each "\" or "/".
bool IsUncPath(const QString& path);
// "\\server\share" of "\\server\share\rest" (either separator), the whole path when no second
// separator follows the server, Null without a separator after the leading pair.
rt::Variant GetUncRoot(const QString& path);
// The server of a UNC path, or of the network mount that holds an absolute path; else "".
QString GetUncServerName(const QString& path);
QString GetFileNamePart(const QString& path, bool useSlash);
QString GetFolderPart(const QString& path, bool useSlash, bool withTrailingSeparator);
QString GetFileBaseName(const QString& path);
// The text after the last "." of the file name; "" when the name has none.
QString GetFileExtension(const QString& path);

// Files and folders. A path is looked for on disk as rt::findNativePath finds it, so a name read
// from Windows-1252 bytes is found under its text.
// A regular file (after symbolic links); folders, devices, FIFOs and sockets are no files.
bool FileExists(const QString& path);
bool FolderExists(const QString& path);
// -1 when nothing stands at the path; else GetFileSizeFso.
double GetFileSizeValue(const QString& path);
// The size of a regular file; 0 for a symbolic link, a special file or a missing one.
double GetFileSizeFso(const QString& path);
// Names in folder matching the patterns of a file-dialog filter ("Texte|*.txt|Alle|*.*"; the
// patterns match regardless of case), appended to files. attributes: 2 hidden (dot) names too,
// 16 folders too. Returns the count of files, 0 without folder or patterns, -1 when none matched.
int32_t ListFilesByPatterns(const QString& folder, const QString& patterns, QStringList& files, int32_t attributes);
// The whole file as text (UTF-8, else Windows-1252); library error 26 when it is no file. A file
// that cannot be read raises the system's reason, one over 64 MB error 7, a name that stands on
// disk in both byte forms error 75.
QString ReadTextFile(const QString& path, bool trimResult, bool stripLineBreaks);
// The same read for a file named by the bytes of its name (names that are not valid UTF-8);
// anything but a regular file reads as "".
QString ReadTextFileRaw(const QByteArray& nativePath);
