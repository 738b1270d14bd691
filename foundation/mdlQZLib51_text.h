#pragma once

// Text, number and version routines of the general library. Stateless; they report no errors
// (a failing step leaves the result reached so far). Searches for delimiters, prefixes,
// suffixes and quotes ignore letter case unless a routine takes its own comparison mode.

#include "platform/runtime/Variant.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

// text := text & separator & addition; an empty text becomes the addition. With skipEmpty an
// empty addition leaves the text alone.
void AppendWithSeparator(QString& text, const QString& addition, const QString& separator, bool skipEmpty);

// Puts the pair's first character in front and its last at the end, each unless already there:
// "tblFILES" with "[]" gives "[tblFILES]".
QString EncloseIn(const QString& text, const QString& pair);

// The short size of listings: KB up to and including 1 MB, then MB up to and including 1 GB,
// then GB, one decimal ("0,5 KB", "1024,0 KB", "1,0 MB").
QString FormatBytesShort(double bytes);

// Scales a byte count (number, size text, Empty or Null) to unit 1 KB, 2 MB, 3 GB (other units
// keep bytes) and rounds it half to even. Unit 4 gives text in the fitting unit ("512 Byte",
// "1,5 KB"); the others give the number. A value of 0 gives the number 0; a value that cannot be
// converted counts as 0.
rt::Variant FormatFileSize(const rt::Variant& value, int unit, int decimals);

// Reads a size text such as "1,5 MB" or "3 gb" as bytes; anything unreadable gives 0.
double ParseSizeText(const QString& text);

// The text before the first NUL; without one, the text trimmed.
QString TrimAtNull(const QString& text);

// Splits a command line into at most maximum arguments (0 means 10): blanks and tabs separate,
// a double-quoted part is one argument without its quotes. Returns the count; args holds them
// from index 0.
int ParseCommandLine(const QString& line, QStringList& args, int maximum);

// A new random GUID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
QString NewGuidString();

// Each character code of text combined by exclusive or with the key's code at the same
// position (the key repeats); applying it twice with the same key gives the text back.
// Codes are those of the ANSI code page (Windows-1252).
QString XorScramble(const QString& text, const QString& key);

// Field index (from 1) of text split at delimiter; Null when the text holds no delimiter at all
// or fewer than index - 1 of them.
rt::Variant GetDelimitedField(const QString& text, int index, const QString& delimiter);

// Compares dotted version numbers: 0 equal, 1 test newer than reference, 2 older, 3 nothing to
// compare.
int CompareVersionStrings(const QString& reference, const QString& test);

// "1.0.011", or "Version 1.0.011" with the prefix.
QString FormatVersionString(int32_t major, int32_t minor, int32_t revision, bool prefix);

// Fills text up to width with the first character of fill; a longer text stays whole.
QString PadRight(const QString& text, int width, const QString& fill);

// Null for Empty, Null and a value whose text is empty (with trim also for a blank text);
// otherwise the value. Used for optional database fields.
rt::Variant NullIfEmpty(const rt::Variant& value, bool trim);

// The default when the value is Null or Empty, else the value.
rt::Variant NzValue(const rt::Variant& value, const rt::Variant& defaultValue);

// Splits text at delimiter into trimmed parts (from index 0); inner empty parts are kept, a
// blank tail and a leading one-character delimiter are dropped. Null or empty text gives 0 and
// leaves parts as they were.
int SplitText(const rt::Variant& text, QStringList& parts, const QString& delimiter);

// Appends the character unless the text is empty or already ends with it.
QString AddTrailingChar(const QString& text, const QString& character);

// Cuts part off the end (fromRight) and then off the start (fromLeft) as often as it occurs
// there, then trims when asked.
QString StripText(const QString& text, const QString& part, bool fromLeft, bool fromRight, Qt::CaseSensitivity mode,
                  bool trim);

// Trimmed text without one enclosing pair of double quotes.
QString UnquoteText(const QString& text);

// The bytes read as an unsigned little-endian number of any length.
double BytesToNumber(const QByteArray& bytes);
