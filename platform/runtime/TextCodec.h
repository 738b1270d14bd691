#pragma once

// The one way bytes from disk become text: file names, memo files and text files are UTF-8 when
// their bytes are valid UTF-8, else Windows-1252 (what old Windows media carry). Every byte has its
// own character in Windows-1252 as decoded here (the five codes the code page leaves open become
// the control characters of the same number), so names that differ in their bytes stay distinct.

#include <QByteArray>
#include <QString>

namespace rt {

// UTF-8 (a leading byte-order mark dropped), or Windows-1252 when the bytes are not valid UTF-8.
QString decodeText(const QByteArray& bytes);

// A file name or a path: every "/"-separated part decoded on its own, so that a Windows-1252 name
// below a UTF-8 folder leaves the folder's name as it is.
QString decodeFileName(const QByteArray& bytes);

QString fromWindows1252(const QByteArray& bytes);
// A character without a Windows-1252 code becomes "?" and clears exact.
QByteArray toWindows1252(const QString& text, bool* exact = nullptr);

// The bytes to open a path by: its UTF-8 form, except that a part of it which does not exist so
// but does in its Windows-1252 form is taken in that form (a name decoded from such bytes).
QByteArray existingNativePath(const QString& path);

}  // namespace rt
