#include "platform/runtime/TextCodec.h"

#include "platform/runtime/RaisedError.h"

#include <QStringDecoder>
#include <QStringList>

#include <sys/stat.h>

#include <algorithm>
#include <array>

namespace rt {

namespace {

// The characters of the codes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kHighCodes = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool exists(const QByteArray& path) {
  struct stat st {};
  return ::lstat(path.constData(), &st) == 0;
}

}  // namespace

QString fromWindows1252(const QByteArray& bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(kHighCodes[b - 0x80]) : QChar(b);
  }
  return text;
}

QByteArray toWindows1252(const QString& text, bool* exact) {
  QByteArray bytes(text.size(), Qt::Uninitialized);
  bool all = true;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text.at(i).unicode();
    int code = -1;
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      code = u;
    } else {
      for (size_t k = 0; k < kHighCodes.size(); ++k)
        if (kHighCodes[k] == u) code = static_cast<int>(0x80 + k);
    }
    if (code < 0) {
      all = false;
      code = '?';
    }
    bytes[i] = static_cast<char>(code);
  }
  if (exact) *exact = all;
  return bytes;
}

QString decodeText(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  return fromWindows1252(bytes);
}

QString decodeFileName(const QByteArray& bytes) {
  if (!bytes.contains('/')) return decodeText(bytes);
  QString text;
  text.reserve(bytes.size());
  qsizetype from = 0;
  for (;;) {
    const qsizetype slash = bytes.indexOf('/', from);
    text += decodeText(bytes.mid(from, slash < 0 ? -1 : slash - from));
    if (slash < 0) return text;
    text += QLatin1Char('/');
    from = slash + 1;
  }
}

QByteArray encodeUtf8(QStringView text) {
  QByteArray utf8 = text.toUtf8();
  // QString::toUtf8 writes "?" for an unpaired surrogate: without one there is nothing to mend,
  // and the text is not searched character by character.
  if (!utf8.contains('?')) return utf8;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text.at(i);
    if (!c.isSurrogate()) continue;
    if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
      ++i;
      continue;
    }
    // Unpaired from here on: mend a copy.
    QString mended = text.toString();
    for (qsizetype k = i; k < n; ++k) {
      const QChar m = mended.at(k);
      if (!m.isSurrogate()) continue;
      if (m.isHighSurrogate() && k + 1 < n && mended.at(k + 1).isLowSurrogate()) {
        ++k;
        continue;
      }
      mended[k] = QChar::ReplacementCharacter;
    }
    return mended.toUtf8();
  }
  return utf8;
}

NativePath findNativePath(const QString& path) {
  NativePath found;
  const QByteArray utf8 = encodeUtf8(path);
  // Only a name beyond ASCII has a second byte form.
  if (std::all_of(path.cbegin(), path.cend(), [](QChar c) { return c.unicode() < 0x80; })) {
    found.bytes = utf8;
    return found;
  }
  QByteArray done;
  done.reserve(utf8.size());
  const QStringList parts = path.split(QLatin1Char('/'));
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (i > 0) done += '/';
    const QString& part = parts[i];
    const QByteArray asUtf8 = encodeUtf8(part);
    bool exact = false;
    const QByteArray asAnsi = toWindows1252(part, &exact);
    // Bytes that are valid UTF-8 would have been read as UTF-8: they are another name.
    if (!exact || asAnsi == asUtf8 || decodeText(asAnsi) != part) {
      done += asUtf8;
      continue;
    }
    const bool utf8There = exists(done + asUtf8);
    const bool ansiThere = exists(done + asAnsi);
    if (utf8There && ansiThere && found.ambiguousName.isEmpty()) {
      found.ambiguousName = part;
      found.ambiguousFolder = decodeFileName(done);
    }
    done += ansiThere && !utf8There ? asAnsi : asUtf8;
  }
  found.bytes = done;
  return found;
}

QByteArray existingNativePath(const QString& path) {
  NativePath found = findNativePath(path);
  // No closing period, as no runtime error's description has one: the texts that quote it
  // ("Fehler Nr. ##: ##.") put their own.
  if (!found.ambiguousName.isEmpty())
    throw RaisedError(kErrPathFileAccess, QString(),
                      QStringLiteral("Der Name '%1' steht im Ordner '%2' in zwei Schreibweisen (UTF-8 und "
                                     "Windows-1252). Es lässt sich nicht entscheiden, welcher der beiden Einträge "
                                     "gemeint ist")
                          .arg(found.ambiguousName, found.ambiguousFolder));
  return found.bytes;
}

}  // namespace rt
