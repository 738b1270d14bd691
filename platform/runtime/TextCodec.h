#pragma once

// The one way bytes from disk become text: file names, memo files and text files are UTF-8 when
// their bytes are valid UTF-8, else Windows-1252 (what old Windows media carry). Every byte has its
// own character in Windows-1252 as decoded here (the five codes the code page leaves open become
// the control characters of the same number), so names that differ in their bytes stay distinct.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace rt {

// UTF-8 (a leading byte-order mark dropped), or Windows-1252 when the bytes are not valid UTF-8.
QString decodeText(const QByteArray& bytes);

// A file name or a path: every "/"-separated part decoded on its own, so that a Windows-1252 name
// below a UTF-8 folder leaves the folder's name as it is.
QString decodeFileName(const QByteArray& bytes);

QString fromWindows1252(const QByteArray& bytes);
// A character without a Windows-1252 code becomes "?" and clears exact.
QByteArray toWindows1252(const QString& text, bool* exact = nullptr);

// Text as UTF-8 for the database and other byte consumers: an unpaired surrogate becomes U+FFFD.
// (QString::toUtf8 makes it "?", which a Like pattern would take for a wildcard.)
QByteArray encodeUtf8(QStringView text);

// How a catalogued path stands on disk: the bytes to reach it by and, when a part of it exists in
// both byte forms, that part's name (the UTF-8 form is then in bytes).
struct NativePath {
  QByteArray bytes;
  QString ambiguousName;
  QString ambiguousFolder;  // the folder holding both forms
};

// The one way back from a catalogued path to the file system: every part in its UTF-8 form,
// except that a part which does not exist so but does in its Windows-1252 form is taken in that
// form (a name decoded from such bytes). Never raises; for questions of existence.
NativePath findNativePath(const QString& path);

// findNativePath for opening: a part that exists in both forms could be either entry, so it is
// raised as error 75 naming it, and neither is picked.
QByteArray existingNativePath(const QString& path);

}  // namespace rt
