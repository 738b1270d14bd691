#include "foundation/mdlQZLib51_text.h"

#include "platform/runtime/TextCodec.h"

#include <QLocale>
#include <QUuid>

#include <cmath>
#include <optional>

namespace {

constexpr double kKB = 1024.0;
constexpr double kMB = 1048576.0;
constexpr double kGB = 1073741824.0;

// The user's locale without thousands separators, as the patterns "##0.0" and CStr show numbers.
QLocale plainLocale() {
  QLocale l;
  l.setNumberOptions(QLocale::OmitGroupSeparator);
  return l;
}

// Trims blanks (spaces only) at both ends, as the runtime's Trim does.
QString trimBlanks(const QString& s) {
  qsizetype b = 0;
  qsizetype e = s.size();
  while (b < e && s[b] == QLatin1Char(' ')) ++b;
  while (e > b && s[e - 1] == QLatin1Char(' ')) --e;
  return s.mid(b, e - b);
}

// Rounds to the given decimals, halves to even.
double roundHalfEven(double v, int decimals) {
  if (decimals <= 0) return std::nearbyint(v);
  const double f = std::pow(10.0, decimals);
  const double scaled = v * f;
  if (!std::isfinite(scaled)) return v;
  return std::nearbyint(scaled) / f;
}

// The number at the start of the text, read as the runtime's Val does: blanks, tabs and line
// feeds are skipped anywhere, "." is the decimal point, reading stops at the first character
// that cannot belong to the number.
double valOf(const QString& text) {
  QString s;
  for (const QChar c : text)
    if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r')) s += c;
  qsizetype i = 0;
  const qsizetype n = s.size();
  QString num;
  if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) num += s[i++];
  bool digits = false;
  while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
    num += s[i++];
    digits = true;
  }
  if (i < n && s[i] == QLatin1Char('.')) {
    num += s[i++];
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
      num += s[i++];
      digits = true;
    }
  }
  if (!digits) return 0.0;
  if (i < n &&
      (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E') || s[i] == QLatin1Char('d') || s[i] == QLatin1Char('D'))) {
    qsizetype j = i + 1;
    QString exp = QStringLiteral("e");
    if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-'))) exp += s[j++];
    bool expDigits = false;
    while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
      exp += s[j++];
      expDigits = true;
    }
    if (expDigits) num += exp;
  }
  bool ok = false;
  const double d = num.toDouble(&ok);
  return ok ? d : 0.0;
}

// Position of the index-th delimiter (from 1), or -1.
qsizetype nthDelimiter(const QString& text, const QString& delimiter, int index) {
  qsizetype from = 0;
  qsizetype pos = -1;
  for (int k = 0; k < index; ++k) {
    pos = text.indexOf(delimiter, from, Qt::CaseInsensitive);
    if (pos < 0) return -1;
    from = pos + delimiter.size();
  }
  return pos;
}

// A version part as a 32-bit integer; nullopt for anything that is not a whole number.
std::optional<int32_t> versionNumber(const rt::Variant& v) {
  bool ok = false;
  const int i = trimBlanks(v.toText()).toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return i;
}

}  // namespace

void AppendWithSeparator(QString& text, const QString& addition, const QString& separator, bool skipEmpty) {
  if (text.isEmpty()) {
    text = addition;
    return;
  }
  if (skipEmpty && addition.isEmpty()) return;
  text += separator + addition;
}

QString EncloseIn(const QString& text, const QString& pair) {
  if (pair.isEmpty()) return text;
  const QString first = pair.left(1);
  const QString last = pair.right(1);
  QString r = text;
  if (!r.startsWith(first, Qt::CaseInsensitive)) r.prepend(first);
  if (!r.endsWith(last, Qt::CaseInsensitive)) r.append(last);
  return r;
}

QString FormatBytesShort(double bytes) {
  const QLocale l = plainLocale();
  if (bytes <= kMB) return l.toString(bytes / kKB, 'f', 1) + QStringLiteral(" KB");
  if (bytes <= kGB) return l.toString(bytes / kMB, 'f', 1) + QStringLiteral(" MB");
  return l.toString(bytes / kGB, 'f', 1) + QStringLiteral(" GB");
}

rt::Variant FormatFileSize(const rt::Variant& value, int unit, int decimals) {
  double v = 0.0;
  if (value.isText()) {
    v = ParseSizeText(value.toText());
    if (v == 0.0) return rt::Variant(0);
  } else if (value.isNumeric() || value.isEmpty()) {
    v = value.toDouble();
    if (v == 0.0) return rt::Variant(0);
  }
  // Null and binary values cannot be converted and count as 0.

  switch (unit) {
    case 1:
      v /= kKB;
      break;
    case 2:
      v /= kMB;
      break;
    case 3:
      v /= kGB;
      break;
    default:
      break;
  }
  v = roundHalfEven(v, decimals);
  if (unit != 4) return rt::Variant(v);

  const QLocale l = plainLocale();
  const int d = decimals > 0 ? decimals : 0;
  if (v < kKB) return rt::Variant(l.toString(v, 'g', 15) + QStringLiteral(" Byte"));
  if (v < kMB) return rt::Variant(l.toString(v / kKB, 'f', d) + QStringLiteral(" KB"));
  if (v < kGB) return rt::Variant(l.toString(v / kMB, 'f', d) + QStringLiteral(" MB"));
  return rt::Variant(l.toString(v / kGB, 'f', d) + QStringLiteral(" GB"));
}

double ParseSizeText(const QString& text) {
  QString s = trimBlanks(text);
  if (s.isEmpty()) return 0.0;
  const qsizetype comma = s.indexOf(QLatin1Char(','));
  if (comma >= 0) s[comma] = QLatin1Char('.');
  double v = valOf(s);
  if (s.contains(QLatin1String("KB"), Qt::CaseInsensitive))
    v *= kKB;
  else if (s.contains(QLatin1String("MB"), Qt::CaseInsensitive))
    v *= kMB;
  else if (s.contains(QLatin1String("GB"), Qt::CaseInsensitive))
    v *= kGB;
  return std::isfinite(v) ? v : 0.0;
}

QString TrimAtNull(const QString& text) {
  const qsizetype nul = text.indexOf(QChar(0));
  if (nul >= 0) return text.left(nul);
  return trimBlanks(text);
}

int ParseCommandLine(const QString& line, QStringList& args, int maximum) {
  if (maximum <= 0) maximum = 10;
  QStringList found;
  bool open = false;
  const qsizetype n = line.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = line[i];
    if (c == QLatin1Char('"')) {
      const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
      if (close >= 0) {
        if (found.size() >= maximum) break;
        found << UnquoteText(line.mid(i, close - i + 1));
        open = false;
        i = close;
        continue;
      }
    }
    if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
      open = false;
      continue;
    }
    if (!open) {
      if (found.size() >= maximum) break;
      found << QString();
      open = true;
    }
    found.last() += c;
  }
  args = found;
  return static_cast<int>(found.size());
}

QString NewGuidString() { return QUuid::createUuid().toString(QUuid::WithBraces).toUpper(); }

QString XorScramble(const QString& text, const QString& key) {
  if (key.isEmpty()) return text;
  QByteArray t = rt::toWindows1252(text);
  const QByteArray k = rt::toWindows1252(key);
  for (qsizetype i = 0; i < t.size(); ++i) t[i] = static_cast<char>(t[i] ^ k[i % k.size()]);
  return rt::fromWindows1252(t);
}

rt::Variant GetDelimitedField(const QString& text, int index, const QString& delimiter) {
  if (index < 1 || delimiter.isEmpty()) return rt::Null;
  if (!text.contains(delimiter, Qt::CaseInsensitive)) return rt::Null;
  qsizetype start = 0;
  if (index > 1) {
    const qsizetype before = nthDelimiter(text, delimiter, index - 1);
    if (before < 0) return rt::Null;
    start = before + delimiter.size();
  }
  const qsizetype end = text.indexOf(delimiter, start, Qt::CaseInsensitive);
  return rt::Variant(end < 0 ? text.mid(start) : text.mid(start, end - start));
}

int CompareVersionStrings(const QString& reference, const QString& test) {
  int result = 3;
  QStringList parts;
  const int count = SplitText(rt::Variant(test), parts, QStringLiteral("."));
  // A reference of one number has no delimiter, which GetDelimitedField reads as "no field";
  // its only field is then the whole text.
  const bool single = !reference.contains(QLatin1Char('.'));
  for (int i = 0; i < count; ++i) {
    const std::optional<int32_t> part = versionNumber(rt::Variant(parts[i]));
    if (!part) return result;
    const rt::Variant field = single ? (i == 0 ? rt::Variant(reference) : rt::Null)
                                     : GetDelimitedField(reference, i + 1, QStringLiteral("."));
    if (field.isNull()) return *part < 1 ? 0 : 1;
    const std::optional<int32_t> ref = versionNumber(field);
    if (!ref) return result;
    if (*part > *ref) return 1;
    if (*part < *ref) return 2;
    result = 0;
  }
  return result;
}

QString FormatVersionString(int32_t major, int32_t minor, int32_t revision, bool prefix) {
  const int64_t r = revision;
  QString rev = QStringLiteral("%1").arg(r < 0 ? -r : r, 3, 10, QLatin1Char('0'));
  if (r < 0) rev.prepend(QLatin1Char('-'));
  const QString v = QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(rev);
  return prefix ? QStringLiteral("Version ") + v : v;
}

QString PadRight(const QString& text, int width, const QString& fill) {
  // Without a fill character there is nothing to pad with.
  if (fill.isEmpty() || text.size() >= width) return text;
  return text + QString(width - text.size(), fill.at(0));
}

rt::Variant NullIfEmpty(const rt::Variant& value, bool trim) {
  if (value.isEmpty() || value.isNull()) return rt::Null;
  const QString s = value.toText();
  if (s.isEmpty()) return rt::Null;
  if (trim && value.isText() && trimBlanks(s).isEmpty()) return rt::Null;
  return value;
}

rt::Variant NzValue(const rt::Variant& value, const rt::Variant& defaultValue) {
  return (value.isNull() || value.isEmpty()) ? defaultValue : value;
}

int SplitText(const rt::Variant& text, QStringList& parts, const QString& delimiter) {
  if (text.isNull() || text.isEmpty()) return 0;
  QString s = text.toText();
  if (s.isEmpty()) return 0;
  if (delimiter.size() == 1 && s.left(1).compare(delimiter, Qt::CaseInsensitive) == 0) s.remove(0, 1);
  QStringList out;
  if (delimiter.isEmpty() || !s.contains(delimiter, Qt::CaseInsensitive)) {
    out << trimBlanks(s);
  } else {
    qsizetype from = 0;
    qsizetype pos;
    while ((pos = s.indexOf(delimiter, from, Qt::CaseInsensitive)) >= 0) {
      out << trimBlanks(s.mid(from, pos - from));
      from = pos + delimiter.size();
    }
    const QString rest = trimBlanks(s.mid(from));
    if (!rest.isEmpty()) out << rest;
  }
  parts = out;
  return static_cast<int>(out.size());
}

QString AddTrailingChar(const QString& text, const QString& character) {
  if (text.isEmpty() || text.endsWith(character, Qt::CaseInsensitive)) return text;
  return text + character;
}

QString StripText(const QString& text, const QString& part, bool fromLeft, bool fromRight, Qt::CaseSensitivity mode,
                  bool trim) {
  if (text.isEmpty() || part.isEmpty()) return text;
  QString r = text;
  if (fromRight)
    while (r.endsWith(part, mode)) r.chop(part.size());
  if (fromLeft)
    while (r.startsWith(part, mode)) r.remove(0, part.size());
  if (trim) r = trimBlanks(r);
  return r;
}

QString UnquoteText(const QString& text) {
  const QString s = trimBlanks(text);
  if (s.size() >= 2 && s.startsWith(QLatin1Char('"')) && s.endsWith(QLatin1Char('"'))) return s.mid(1, s.size() - 2);
  return s;
}

double BytesToNumber(const QByteArray& bytes) {
  double r = 0.0;
  double weight = 1.0;
  for (const char b : bytes) {
    r += static_cast<unsigned char>(b) * weight;
    weight *= 256.0;
  }
  return r;
}
