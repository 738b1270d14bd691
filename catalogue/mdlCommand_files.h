#pragma once

// Commands on a folder's memo and on the files of the file list: reading and storing memos and
// descriptions, a list row as text, and opening a catalogued file with the desktop's program.

#include <QString>
#include <QStringList>

#include <cstdint>

// The longest file description tblFILES takes.
inline constexpr int kMaxFileDescLength = 255;

// "Memo", or "Memo (!)" when the folder has a memo. Never raises.
QString FolderMemoCaption(int32_t PID);

// The folder's memo field (an empty text for Null); false when there is no such folder.
bool PathMemoGet(int32_t PID, const QString& FieldName, QString& Text);
// Stores the memo field, an empty text as Null; false when there is no such folder.
bool PathMemoSet(int32_t PID, const QString& FieldName, const QString& Text);

// The file's description (an empty text for Null); false when there is no such file.
bool FileDescGet(int32_t FID, QString& Text);
// Stores the description, an empty text as Null; false when there is no such file. A text
// longer than kMaxFileDescLength is refused with error 5.
bool FileDescSet(int32_t FID, const QString& Text);

// One line per column, "header: text", joined by CR LF; an empty text still gives its line.
QString CopyLineText(const QStringList& headers, const QStringList& texts);

// Opens the catalogued file with the program the desktop associates with it. A file that cannot
// be reached is told in one box naming the path, the error and, when the volume may be missing,
// the volume; a file the desktop cannot open is told as message 190. Reports its own errors.
void FileExecute(int32_t FID);
