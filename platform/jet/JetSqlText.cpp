#include "platform/jet/JetSqlText.h"

#include "platform/runtime/RaisedError.h"
#include "platform/runtime/TextCodec.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace jet {

namespace {

// Sort key of one character: up to two base letters (case folded, accents removed: "ß" is
// "ss") and an accent weight that only breaks ties between equal bases (0 for plain letters).
struct CharKey {
  char32_t base[2] = {0, 0};
  uint8_t count = 1;
  char32_t weight = 0;
};

constexpr char32_t kTableEnd = 0x250;  // Latin-1 and Latin Extended-A/B get a table

char32_t foldSimple(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  return QChar::toCaseFolded(cp);
}

CharKey computeKey(char32_t cp) {
  CharKey k;
  const char32_t folded = foldSimple(cp);
  auto expand = [&](char32_t a, char32_t b) {
    k.base[0] = a;
    k.base[1] = b;
    k.count = b ? 2 : 1;
    k.weight = folded;
  };
  switch (folded) {
    case 0xDF:
      expand('s', 's');
      return k;  // ß
    case 0xE6:
      expand('a', 'e');
      return k;  // æ
    case 0x153:
      expand('o', 'e');
      return k;  // œ
    case 0xFE:
      expand('t', 'h');
      return k;  // þ
    case 0xF8:
      expand('o', 0);
      return k;  // ø
    case 0x111:
      expand('d', 0);
      return k;  // đ
    case 0xF0:
      expand('d', 0);
      return k;  // ð
    case 0x142:
      expand('l', 0);
      return k;  // ł
    case 0x131:
      expand('i', 0);
      return k;  // dotless i
    default:
      break;
  }
  char32_t base = folded;
  // Follow canonical decompositions down to the base letter (ǖ -> ü -> u).
  for (int guard = 0; guard < 4; ++guard) {
    if (QChar::decompositionTag(base) != QChar::Canonical) break;
    const QString d = QChar::decomposition(base);
    if (d.isEmpty()) break;
    const char32_t first =
        d.at(0).isHighSurrogate() && d.size() > 1 ? QChar::surrogateToUcs4(d.at(0), d.at(1)) : d.at(0).unicode();
    base = foldSimple(first);
  }
  k.base[0] = base;
  k.weight = base == folded ? 0 : folded;
  return k;
}

const std::array<CharKey, kTableEnd>& keyTable() {
  static const std::array<CharKey, kTableEnd> table = [] {
    std::array<CharKey, kTableEnd> t{};
    for (char32_t cp = 0; cp < kTableEnd; ++cp) t[cp] = computeKey(cp);
    return t;
  }();
  return table;
}

inline CharKey keyOf(char32_t cp) {
  if (cp < kTableEnd) return keyTable()[cp];
  CharKey k;
  k.base[0] = QChar::toCaseFolded(cp);
  return k;
}

// Decodes one code point; a byte that starts no valid sequence stands for itself.
inline char32_t decode(const unsigned char*& p, const unsigned char* end) {
  const unsigned char c = *p++;
  if (c < 0x80) return c;
  int extra = 0;
  char32_t cp = 0;
  if ((c & 0xE0) == 0xC0) {
    extra = 1;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    cp = c & 0x07;
  } else
    return c;
  if (end - p < extra) return c;
  for (int i = 0; i < extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return c;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  p += extra;
  return cp;
}

// Base letters of a text, one at a time.
class BaseStream {
 public:
  BaseStream(const unsigned char* p, const unsigned char* end) : p_(p), end_(end) {}
  bool next(char32_t& out) {
    if (pending_) {
      out = pending_;
      pending_ = 0;
      return true;
    }
    if (p_ == end_) return false;
    const CharKey k = keyOf(decode(p_, end_));
    out = k.base[0];
    if (k.count == 2) pending_ = k.base[1];
    return true;
  }

 private:
  const unsigned char* p_;
  const unsigned char* end_;
  char32_t pending_ = 0;
};

inline int sign(int64_t d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

int compareSlow(const unsigned char* a, const unsigned char* ae, const unsigned char* b, const unsigned char* be) {
  BaseStream sa(a, ae), sb(b, be);
  for (;;) {
    char32_t ca = 0, cb = 0;
    const bool ha = sa.next(ca), hb = sb.next(cb);
    if (!ha || !hb) {
      if (ha != hb) return ha ? 1 : -1;
      break;
    }
    if (ca != cb) return sign(int64_t(ca) - int64_t(cb));
  }
  // Same base letters: the accents decide, character by character.
  while (a != ae && b != be) {
    const char32_t wa = keyOf(decode(a, ae)).weight, wb = keyOf(decode(b, be)).weight;
    if (wa != wb) return sign(int64_t(wa) - int64_t(wb));
  }
  if (a != ae) return 1;
  if (b != be) return -1;
  return 0;
}

inline char32_t lowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// Order of two single (folded) characters, as compareText orders them.
int compareChar(char32_t x, char32_t y) {
  if (x == y) return 0;
  const CharKey kx = keyOf(x), ky = keyOf(y);
  for (int i = 0; i < 2; ++i) {
    const char32_t bx = i < kx.count ? kx.base[i] : 0, by = i < ky.count ? ky.base[i] : 0;
    if (bx != by) return sign(int64_t(bx) - int64_t(by));
  }
  return sign(int64_t(kx.weight) - int64_t(ky.weight));
}

[[noreturn]] void raiseBadPattern(const QString& pattern) {
  throw rt::RaisedError(
      93, QStringLiteral("ZUVRAX"),
      QStringLiteral("Ungültige Musterzeichenfolge: \"%1\" (eckige Klammer ohne \"]\").").arg(pattern));
}

std::u32string decodeAll(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  auto* p = reinterpret_cast<const unsigned char*>(s.data());
  auto* end = p + s.size();
  while (p != end) out.push_back(decode(p, end));
  return out;
}

// One element of a sort key, a value above 0, as UTF-8 writes a code point: the byte order of
// the forms is the order of the values, and no form holds a 0 byte.
template <typename Out>
inline void putKeyValue(Out& out, char32_t v) {
  if (v < 0x80) {
    out.push_back(static_cast<char>(v));
  } else if (v < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (v >> 6)));
    out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
  } else if (v < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (v >> 12)));
    out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (v >> 18)));
    out.push_back(static_cast<char>(0x80 | ((v >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
  }
}

// The key compareText sorts by: the base letters, a 0, then the accent weight of every
// character. A text without any accent stops after the 0: against a text of the same base
// letters with accents it is the shorter key, as compareText puts it first. Stops once `limit`
// bytes are written.
template <typename Out>
void appendSortKey(std::string_view text, Out& out, size_t limit) {
  const size_t start = out.size();
  auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
  auto* const end = begin + text.size();
  bool accents = false;
  for (auto* p = begin; p != end && out.size() - start < limit;) {
    if (*p < 0x80) {
      putKeyValue(out, lowerAscii(*p++) + 1);
      continue;
    }
    const CharKey k = keyOf(decode(p, end));
    for (int i = 0; i < k.count; ++i) putKeyValue(out, k.base[i] + 1);
    accents = accents || k.weight != 0;
  }
  // Every character was looked at unless the limit was met.
  if (out.size() - start >= limit) return;
  out.push_back('\0');
  if (!accents) return;
  for (auto* p = begin; p != end && out.size() - start < limit;)
    putKeyValue(out, (*p < 0x80 ? (++p, 0) : keyOf(decode(p, end)).weight) + 1);
}

}  // namespace

std::string sortKey(std::string_view utf8) {
  std::string key;
  key.reserve(utf8.size() * 2 + 1);
  appendSortKey(utf8, key, std::string::npos);
  return key;
}

namespace {

// A word read from memory as a number whose first byte is the highest.
inline uint64_t toBigEndian(uint64_t w) {
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(w);
  return w;
}

// Eight plain ASCII bytes as their sort key bytes: upper case to lower, each plus one. No sum
// carries into the next byte, as every byte is below 0x80.
inline uint64_t asciiKeyBytes(uint64_t w) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  const uint64_t fromA = w + 0x3F * kOnes;  // top bit: at least 'A'
  const uint64_t pastZ = w + 0x25 * kOnes;  // top bit: beyond 'Z'
  const uint64_t upper = fromA & ~pastZ & (0x80 * kOnes);
  return (w | (upper >> 2)) + kOnes;
}

}  // namespace

SortHead sortKeyHead(std::string_view utf8) {
  // Plain ASCII up to the 16th letter needs no decoding: each byte is one base letter, and a
  // shorter text ends in the 0 that the padding gives anyway. DEL is left out: its key value
  // takes two bytes.
  uint64_t word[2] = {0, 0};
  size_t i = 0;
  // Eight letters at a time while they are plain ASCII and the text goes on.
  for (; i < 16 && utf8.size() - i >= 8; i += 8) {
    uint64_t w;
    std::memcpy(&w, utf8.data() + i, sizeof w);
    if ((w | (w + 0x0101010101010101ull)) & 0x8080808080808080ull) break;
    word[i / 8] = toBigEndian(asciiKeyBytes(w));
  }
  for (; i < 16 && i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x7F) break;
    word[i / 8] |= static_cast<uint64_t>(lowerAscii(c) + 1) << (8 * (7 - i % 8));
  }
  if (i == 16 || i == utf8.size()) return SortHead{word[0], word[1]};
  // The key's first bytes on the stack: the writer stops within the last character's values
  // past the limit (two base letters of four bytes each at most). The plain ASCII before the
  // first other letter has given its base letters already, and adds a weight of none each.
  struct Head {
    unsigned char bytes[24] = {};
    size_t n = 0;
    void push_back(char c) { bytes[n++] = static_cast<unsigned char>(c); }
    size_t size() const { return n; }
  } key;
  for (; key.n < i; ++key.n)
    key.bytes[key.n] = static_cast<unsigned char>(lowerAscii(static_cast<unsigned char>(utf8[key.n])) + 1);
  auto* const begin = reinterpret_cast<const unsigned char*>(utf8.data());
  auto* const end = begin + utf8.size();
  bool accents = false;
  for (auto* p = begin + i; p != end && key.n < 16;) {
    if (*p < 0x80) {
      putKeyValue(key, lowerAscii(*p++) + 1);
      continue;
    }
    const CharKey k = keyOf(decode(p, end));
    for (int b = 0; b < k.count; ++b) putKeyValue(key, k.base[b] + 1);
    accents = accents || k.weight != 0;
  }
  if (key.n < 16) {
    key.push_back('\0');
    if (accents) {
      for (size_t a = 0; a < i && key.n < 16; ++a) key.push_back(1);
      for (auto* p = begin + i; p != end && key.n < 16;)
        putKeyValue(key, (*p < 0x80 ? (++p, 0) : keyOf(decode(p, end)).weight) + 1);
    }
  }
  SortHead head;
  std::memcpy(&head.high, key.bytes, 8);
  std::memcpy(&head.low, key.bytes + 8, 8);
  head.high = toBigEndian(head.high);
  head.low = toBigEndian(head.low);
  return head;
}

int compareText(std::string_view a, std::string_view b) {
  auto* pa = reinterpret_cast<const unsigned char*>(a.data());
  auto* pb = reinterpret_cast<const unsigned char*>(b.data());
  const size_t n = std::min(a.size(), b.size());
  // Fast path: the same byte is the same letter, and plain ASCII letters carry no accent
  // weight, so an equal prefix decides nothing.
  size_t i = 0;
  // Equal bytes are equal letters: eight at a time.
  for (; n - i >= 8; i += 8) {
    uint64_t wa, wb;
    std::memcpy(&wa, pa + i, sizeof wa);
    std::memcpy(&wb, pb + i, sizeof wb);
    if (wa != wb) break;
  }
  for (; i < n; ++i) {
    const unsigned char ca = pa[i], cb = pb[i];
    if (ca == cb) continue;
    if ((ca | cb) & 0x80) break;
    const char32_t la = lowerAscii(ca), lb = lowerAscii(cb);
    if (la != lb) return la < lb ? -1 : 1;
  }
  // The letter where the texts part (or where the shorter one ends) may have begun a few
  // bytes before; the comparison goes on from its start. A byte that continues no letter
  // begun within three bytes leaves the whole texts to the slow way.
  auto continues = [](std::string_view t, size_t at) { return at < t.size() && (t[at] & 0xC0) == 0x80; };
  size_t j = i;
  for (int back = 0; j > 0 && (continues(a, j) || continues(b, j)); ++back, --j)
    if (back == 3) {
      j = 0;
      break;
    }
  if (j == n && (j == a.size() || j == b.size())) {
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
  }
  return compareSlow(pa + j, pa + a.size(), pb + j, pb + b.size());
}

int compareText(const QString& a, const QString& b) {
  // The ASCII fast path on the UTF-16 text itself: sorting a long list compares often.
  const qsizetype n = std::min(a.size(), b.size());
  const char16_t* pa = reinterpret_cast<const char16_t*>(a.constData());
  const char16_t* pb = reinterpret_cast<const char16_t*>(b.constData());
  qsizetype i = 0;
  for (; i < n; ++i) {
    const char16_t ca = pa[i], cb = pb[i];
    if ((ca | cb) >= 0x80) break;
    if (ca != cb) {
      const char32_t la = lowerAscii(static_cast<unsigned char>(ca)), lb = lowerAscii(static_cast<unsigned char>(cb));
      if (la != lb) return la < lb ? -1 : 1;
    }
  }
  if (i == n && (i == a.size() || i == b.size())) {
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
  }
  const QByteArray ua = a.mid(i).toUtf8(), ub = b.mid(i).toUtf8();
  return compareText(std::string_view(ua.constData(), ua.size()), std::string_view(ub.constData(), ub.size()));
}

// ---- Like ---------------------------------------------------------------------------------

LikePattern::LikePattern(const QString& pattern) {
  // As a bound pattern reaches the engine's like().
  const QByteArray u = rt::encodeUtf8(pattern);
  compile(decodeAll(std::string_view(u.constData(), u.size())));
}

LikePattern::LikePattern(std::string_view utf8Pattern) { compile(decodeAll(utf8Pattern)); }

void LikePattern::compile(const std::u32string& p) {
  for (size_t i = 0; i < p.size(); ++i) {
    Element e;
    const char32_t c = p[i];
    if (c == '*') {
      if (!elements_.empty() && elements_.back().kind == Element::Kind::Star) continue;
      e.kind = Element::Kind::Star;
    } else if (c == '?') {
      e.kind = Element::Kind::AnyOne;
    } else if (c == '#') {
      e.kind = Element::Kind::Digit;
    } else if (c == '[') {
      const size_t close = p.find(U']', i + 1);
      if (close == std::u32string::npos) {
        QString text;
        for (char32_t x : p) text += QString::fromUcs4(&x, 1);
        raiseBadPattern(text);
      }
      size_t j = i + 1;
      if (j < close && p[j] == '!') {
        e.negated = true;
        ++j;
      }
      if (j == close && !e.negated) {  // "[]" stands for nothing
        i = close;
        continue;
      }
      e.kind = Element::Kind::Set;
      for (; j < close; ++j) {
        if (j + 2 < close && p[j + 1] == '-') {
          e.ranges.emplace_back(foldSimple(p[j]), foldSimple(p[j + 2]));
          j += 2;
        } else {
          e.singles.push_back(foldSimple(p[j]));
        }
      }
      i = close;
    } else {
      e.ch = foldSimple(c);
    }
    elements_.push_back(std::move(e));
  }
  const size_t m = elements_.size();
  if (m >= 3 && elements_.front().kind == Element::Kind::Star && elements_.back().kind == Element::Kind::Star) {
    std::string needle;
    bool plain = true;
    for (size_t i = 1; i + 1 < m && plain; ++i) {
      const Element& e = elements_[i];
      plain = e.kind == Element::Kind::Literal && e.ch < 0x80;
      if (plain) needle.push_back(static_cast<char>(e.ch));
    }
    if (plain) {
      asciiNeedle_ = std::move(needle);
      asciiContains_ = true;
    }
  }
}

bool LikePattern::matchOne(const Element& e, char32_t c) const {
  switch (e.kind) {
    case Element::Kind::Literal:
      return e.ch == c;
    case Element::Kind::AnyOne:
      return true;
    case Element::Kind::Digit:
      return c >= '0' && c <= '9';
    case Element::Kind::Star:
      return false;
    case Element::Kind::Set: {
      bool in = false;
      for (char32_t s : e.singles)
        if (s == c) {
          in = true;
          break;
        }
      if (!in)
        for (const auto& [lo, hi] : e.ranges)
          if (compareChar(lo, c) <= 0 && compareChar(c, hi) <= 0) {
            in = true;
            break;
          }
      return in != e.negated;
    }
  }
  return false;
}

template <typename At>
bool LikePattern::matchWith(size_t n, At at) const {
  const size_t m = elements_.size();
  size_t pi = 0, vi = 0;
  size_t starP = SIZE_MAX, starV = 0;
  while (vi < n) {
    if (pi < m && elements_[pi].kind == Element::Kind::Star) {
      starP = pi++;
      starV = vi;
      continue;
    }
    if (pi < m && matchOne(elements_[pi], at(vi))) {
      ++pi;
      ++vi;
      continue;
    }
    if (starP == SIZE_MAX) return false;
    pi = starP + 1;
    vi = ++starV;
  }
  while (pi < m && elements_[pi].kind == Element::Kind::Star) ++pi;
  return pi == m;
}

namespace {

constexpr uint64_t kTops = 0x8080808080808080ull;
constexpr uint64_t kLows = 0x7F7F7F7F7F7F7F7Full;

// Eight bytes of a text, the first in the lowest bits.
inline uint64_t wordAt(const unsigned char* at) {
  uint64_t word;
  std::memcpy(&word, at, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

// The top bit of each byte of the word that is 0.
inline uint64_t zeroBytes(uint64_t x) { return ~(((x & kLows) + kLows) | x | kLows); }

// The top bit of each byte of the word that starts a letter beyond ASCII (both top bits set).
inline uint64_t leadBytes(uint64_t word) { return word & (word << 1) & kTops; }

// Whether the character at p may fold to an ASCII letter: only U+017F (long s), U+212A (Kelvin
// sign) and the overlong forms that the decoder reads as ASCII do.
// The lead bytes of those, by their distance from 0xC0.
constexpr uint64_t kFoldLeads = 1ull << 0 | 1ull << 1 | 1ull << (0xC5 - 0xC0) | 1ull << (0xE0 - 0xC0) |
                                1ull << (0xE2 - 0xC0) | 1ull << (0xF0 - 0xC0);
bool foldsToAscii(const unsigned char* p, const unsigned char* end) {
  const unsigned char c = *p;
  if (c < 0xC0 || !((kFoldLeads >> (c - 0xC0)) & 1)) return false;
  if (c == 0xC5) return end - p > 1 && p[1] == 0xBF;
  if (c == 0xE2) return end - p > 2 && p[1] == 0x84 && p[2] == 0xAA;
  return true;
}

}  // namespace

LikePattern::AsciiScan LikePattern::scanAsciiContains(std::string_view v) const {
  const auto* p = reinterpret_cast<const unsigned char*>(v.data());
  const auto* const end = p + v.size();
  const size_t k = asciiNeedle_.size();
  const auto first = static_cast<unsigned char>(asciiNeedle_[0]);
  // A letter's two forms differ in the bit 0x20 alone, and no other byte sets it to the letter.
  const unsigned char fold = first >= 'a' && first <= 'z' ? 0x20 : 0;
  const auto rest = [&](const unsigned char* at) {
    if (static_cast<size_t>(end - at) < k) return false;
    for (size_t j = 1; j < k; ++j)
      if (static_cast<char>(lowerAscii(at[j])) != asciiNeedle_[j]) return false;
    return true;
  };
  bool folds = false;
  if (end - p < 8) {
    for (const unsigned char* at = p; at != end; ++at) {
      if ((*at | fold) == first && rest(at)) return AsciiScan::Found;
      folds = folds || foldsToAscii(at, end);
    }
    return folds ? AsciiScan::Undecided : AsciiScan::Absent;
  }
  // Eight bytes at a time: where the first letter of the part stands, and where a letter beyond
  // ASCII begins; the last eight overlap those before, less the bytes already looked at.
  const uint64_t foldWord = 0x0101010101010101ull * fold, wanted = 0x0101010101010101ull * first;
  const auto look = [&](const unsigned char* at, uint64_t keep) {
    const uint64_t word = wordAt(at);
    for (uint64_t hits = zeroBytes((word | foldWord) ^ wanted) & keep; hits; hits &= hits - 1)
      if (rest(at + (std::countr_zero(hits) >> 3))) return true;
    for (uint64_t leads = leadBytes(word) & keep; leads && !folds; leads &= leads - 1)
      folds = foldsToAscii(at + (std::countr_zero(leads) >> 3), end);
    return false;
  };
  const unsigned char* q = p;
  for (; end - q > 8; q += 8)
    if (look(q, ~uint64_t{0})) return AsciiScan::Found;
  const unsigned char* last = end - 8;
  if (look(last, ~uint64_t{0} << (8 * (q - last)))) return AsciiScan::Found;
  return folds ? AsciiScan::Undecided : AsciiScan::Absent;
}

namespace {

// Whether a text holds nothing but ASCII bytes.
bool allAscii(const unsigned char* p, const unsigned char* end) {
  for (; end - p >= 8; p += 8)
    if (wordAt(p) & kTops) return false;
  for (; p != end; ++p)
    if (*p >= 0x80) return false;
  return true;
}

}  // namespace

bool LikePattern::matches(std::string_view utf8Value) const {
  // A plain ASCII part is searched on the bytes: a match there is one of the letters, and
  // without one only letters that fold to ASCII could still make one.
  if (asciiContains_) {
    const AsciiScan scan = scanAsciiContains(utf8Value);
    if (scan != AsciiScan::Undecided) return scan == AsciiScan::Found;
  }
  return matchesDecoded(utf8Value);
}

bool LikePattern::matchesDecoded(std::string_view utf8Value) const {
  auto* p = reinterpret_cast<const unsigned char*>(utf8Value.data());
  auto* end = p + utf8Value.size();
  // Pure ASCII values (nearly all file names) are matched on their bytes, without decoding.
  if (allAscii(p, end)) return matchWith(utf8Value.size(), [p](size_t i) { return lowerAscii(p[i]); });
  // One buffer per thread: the matcher runs once per row over large tables.
  thread_local std::vector<char32_t> buf;
  buf.clear();
  while (p != end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      buf.push_back(lowerAscii(c));
      ++p;
    } else {
      buf.push_back(foldSimple(decode(p, end)));
    }
  }
  const char32_t* v = buf.data();
  return matchWith(buf.size(), [v](size_t i) { return v[i]; });
}

bool LikePattern::matches(const QString& value) const {
  const QByteArray u = rt::encodeUtf8(value);
  return matches(std::string_view(u.constData(), u.size()));
}

}  // namespace jet
