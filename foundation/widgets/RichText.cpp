#include "foundation/widgets/RichText.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kAnsi = 1252;
// Groups nested deeper than this share the deepest state; their braces still balance.
constexpr size_t kMaxDepth = 1000;
// Font sizes beyond this many half points are no sizes a text is shown in.
constexpr int kMaxHalfPoints = 3276;
// Control words are at most 32 letters long; the rest of a longer run of letters is dropped.
constexpr qsizetype kMaxWordLength = 32;
// The font's family once more, as text: the document's table of formats hashes a list of
// families by its type alone, so formats that differ in their font only would all collide
// there and every insert would compare against each of them.
constexpr int kFamilyKey = QTextFormat::UserProperty + 1;

// ---- code pages ---------------------------------------------------------------------------------

QByteArray codecName(int codepage) {
  switch (codepage) {
    case 437:
      return "IBM437";
    case 850:
      return "IBM850";
    case 932:
      return "Shift_JIS";
    case 936:
      return "GBK";
    case 949:
      return "EUC-KR";
    case 950:
      return "Big5";
    case 10000:
      return "macintosh";
    case 65001:
      return "UTF-8";
    default:
      return "windows-" + QByteArray::number(codepage);
  }
}

// The code page of a font's character set (\fcharset); 0 for "the document's".
int charsetCodepage(int charset) {
  static const std::unordered_map<int, int> table = {
      {2, kAnsi},  {77, 10000}, {128, 932},  {129, 949},  {134, 936},  {136, 950}, {161, 1253}, {162, 1254},
      {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874}, {238, 1250}, {255, 437}};
  const auto it = table.find(charset);
  return it == table.end() ? 0 : it->second;
}

// One decoder per code page for the run of \'hh bytes; an unknown code page reads as 1252.
class Decoders {
 public:
  QString decode(int codepage, const QByteArray& bytes) {
    QStringDecoder& d = decoder(codepage);
    d.resetState();
    QString text = d(bytes);
    return text;
  }

 private:
  QStringDecoder& decoder(int codepage) {
    auto it = decoders_.find(codepage);
    if (it != decoders_.end()) return *it->second;
    auto d = std::make_unique<QStringDecoder>(codecName(codepage).constData(), QStringDecoder::Flag::Stateless);
    if (!d->isValid()) d = std::make_unique<QStringDecoder>("windows-1252", QStringDecoder::Flag::Stateless);
    return *decoders_.emplace(codepage, std::move(d)).first->second;
  }

  std::map<int, std::unique_ptr<QStringDecoder>> decoders_;
};

// ---- reader -------------------------------------------------------------------------------------

enum class Dest { Text, Skip, FontTable, ColorTable };

// What a group carries; a new group starts as a copy of its parent's.
struct State {
  Dest dest = Dest::Text;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int font = -1;       // index into the font table; -1: the default font
  int halfPoints = 0;  // 0: not given
  int color = 0;       // index into the colour table; 0: automatic
  int uc = 1;          // fallback characters after \uN

  bool sameLook(const State& o) const {
    return bold == o.bold && italic == o.italic && underline == o.underline && font == o.font &&
           halfPoints == o.halfPoints && color == o.color;
  }
};

struct FontEntry {
  QString name;
  int codepage = 0;  // 0: the document's
};

bool isLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
int hexValue(QChar c) {
  if (isDigit(c)) return c.unicode() - u'0';
  if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
  return -1;
}

// Destinations whose content is no text of the document.
bool isSkippedDestination(const QString& w) {
  static const QStringList names = {"stylesheet",
                                    "info",
                                    "pict",
                                    "header",
                                    "headerl",
                                    "headerr",
                                    "headerf",
                                    "footer",
                                    "footerl",
                                    "footerr",
                                    "footerf",
                                    "listtable",
                                    "listoverridetable",
                                    "revtbl",
                                    "rsidtbl",
                                    "filetbl",
                                    "xmlnstbl",
                                    "themedata",
                                    "colorschememapping",
                                    "latentstyles",
                                    "datastore",
                                    "fldinst",
                                    "nonshppict",
                                    "objdata",
                                    "objclass",
                                    "objname",
                                    "shpinst",
                                    "ftnsep",
                                    "ftnsepc",
                                    "ftncn",
                                    "aftnsep",
                                    "aftnsepc",
                                    "aftncn",
                                    "pgdsctbl",
                                    "generator",
                                    "private",
                                    "mmathPr",
                                    "userprops",
                                    "docvar",
                                    "bkmkstart",
                                    "bkmkend",
                                    "template",
                                    "atnid",
                                    "atnauthor",
                                    "annotation",
                                    "xe",
                                    "tc",
                                    "txe",
                                    "rxe",
                                    "blipuid",
                                    "fontemb",
                                    "fontfile",
                                    "listpicture",
                                    "passwordhash",
                                    "wgrffmtfilter",
                                    "pnseclvl"};
  return names.contains(w);
}

// Control words that stand for one character.
QChar specialCharacter(const QString& w) {
  static const QHash<QString, char16_t> table = {
      {"emdash", 0x2014}, {"endash", 0x2013},  {"emspace", 0x2003}, {"enspace", 0x2002},   {"qmspace", 0x2005},
      {"bullet", 0x2022}, {"lquote", 0x2018},  {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
      {"zwj", 0x200D},    {"zwnj", 0x200C},    {"ltrmark", 0x200E}, {"rtlmark", 0x200F},   {"tab", u'\t'},
      {"cell", u'\t'},    {"nestcell", u'\t'}, {"line", 0x2028}};
  const auto it = table.constFind(w);
  return it == table.constEnd() ? QChar() : QChar(*it);
}

class Reader {
 public:
  Reader(const QString& in, QTextDocument& document) : in_(in), cursor_(&document) {}

  void run() {
    // One edit for the whole text: outside an edit block the document finishes an edit, its
    // layout included, after every insert, which makes a text of many runs quadratic to read.
    struct EditBlock {
      explicit EditBlock(QTextCursor& c) : cursor(c) { cursor.beginEditBlock(); }
      ~EditBlock() { cursor.endEditBlock(); }
      QTextCursor& cursor;
    } edit(cursor_);
    read();
  }

 private:
  void read() {
    stack_.push_back(State{});
    pos_ = std::max<qsizetype>(in_.indexOf(u'{'), 0);
    while (pos_ < in_.size()) {
      const QChar c = in_.at(pos_++);
      if (c == u'{') {
        flushBytes();
        skip_ = 0;
        if (stack_.size() < kMaxDepth)
          stack_.push_back(stack_.back());
        else
          ++overflow_;
      } else if (c == u'}') {
        flushBytes();
        skip_ = 0;
        if (closeGroup()) break;
      } else if (c == u'\\') {
        escape();
      } else if (c != u'\r' && c != u'\n') {
        flushBytes();
        if (consumeSkip()) continue;
        put(QString(c));
      }
    }
    flushBytes();
    commitFont();
    flushRun();
  }

  State& state() { return stack_.back(); }

  // Ends a group; true when it was the outermost one, which ends the document.
  bool closeGroup() {
    if (overflow_ > 0) {
      --overflow_;
      return false;
    }
    if (stack_.size() <= 1) return false;  // a stray brace
    if (state().dest == Dest::FontTable) commitFont();
    stack_.pop_back();
    return stack_.size() == 1;
  }

  // True when a fallback character of \uN is due and this token is taken for it.
  bool consumeSkip() {
    if (skip_ <= 0) return false;
    --skip_;
    return true;
  }

  void escape() {
    if (pos_ >= in_.size()) return;
    const QChar c = in_.at(pos_);
    if (c == u'\'') {
      ++pos_;
      int value = 0;
      int digits = 0;
      while (digits < 2 && pos_ < in_.size() && hexValue(in_.at(pos_)) >= 0) {
        value = value * 16 + hexValue(in_.at(pos_++));
        ++digits;
      }
      if (digits < 2) return;  // damaged: no character
      if (consumeSkip()) return;
      hexByte(static_cast<char>(value));
      return;
    }
    flushBytes();
    if (!isLetter(c)) {
      ++pos_;
      if (consumeSkip()) return;
      controlSymbol(c);
      return;
    }
    const qsizetype start = pos_;
    while (pos_ < in_.size() && isLetter(in_.at(pos_))) ++pos_;
    const QString word = in_.mid(start, std::min(pos_ - start, kMaxWordLength));
    bool negative = false;
    if (pos_ + 1 < in_.size() && in_.at(pos_) == u'-' && isDigit(in_.at(pos_ + 1))) {
      negative = true;
      ++pos_;
    }
    bool hasParam = false;
    qint64 value = 0;
    while (pos_ < in_.size() && isDigit(in_.at(pos_))) {
      hasParam = true;
      if (value < (qint64(1) << 40)) value = value * 10 + (in_.at(pos_).unicode() - u'0');
      ++pos_;
    }
    if (pos_ < in_.size() && in_.at(pos_) == u' ') ++pos_;
    if (negative) value = -value;
    const int param =
        static_cast<int>(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));

    if (word == QLatin1String("bin")) {
      // Binary data: so many characters follow that are no RTF.
      if (hasParam && param > 0) pos_ += std::min<qsizetype>(param, in_.size() - pos_);
      return;
    }
    if (word == QLatin1String("u")) {
      skip_ = 0;
      if (!hasParam) return;
      int code = param;
      if (code < 0) code += 65536;
      if (code >= 0 && code <= 0xFFFF) put(QString(QChar(static_cast<char16_t>(code))));
      skip_ = state().uc;
      return;
    }
    if (consumeSkip()) return;
    controlWord(word, hasParam, param);
  }

  void controlSymbol(QChar c) {
    switch (c.unicode()) {
      case u'\\':
      case u'{':
      case u'}':
        put(QString(c));
        break;
      case u'~':
        put(QString(QChar(0x00A0)));
        break;
      case u'_':
        put(QString(QChar(0x2011)));
        break;
      case u'*':
        state().dest = Dest::Skip;
        break;
      case u'\r':
      case u'\n':
        // A backslash before a line end is an old way to write \par.
        if (state().dest == Dest::Text) paragraph();
        break;
      case u'\t':
        put(QStringLiteral("\t"));
        break;
      default:
        break;  // \- (optional hyphen), \| , \: and the like show nothing
    }
  }

  void controlWord(const QString& w, bool hasParam, int param) {
    State& s = state();
    const bool on = !hasParam || param != 0;
    // Header and tables.
    if (w == QLatin1String("fonttbl")) {
      s.dest = Dest::FontTable;
      entryFont_ = -1;
      entryName_.clear();
      entryCodepage_ = 0;
    } else if (w == QLatin1String("colortbl")) {
      s.dest = Dest::ColorTable;
      red_ = green_ = blue_ = -1;
    } else if (isSkippedDestination(w)) {
      s.dest = Dest::Skip;
    } else if (w == QLatin1String("ansi")) {
      docCodepage_ = kAnsi;
    } else if (w == QLatin1String("mac")) {
      docCodepage_ = 10000;
    } else if (w == QLatin1String("pc")) {
      docCodepage_ = 437;
    } else if (w == QLatin1String("pca")) {
      docCodepage_ = 850;
    } else if (w == QLatin1String("ansicpg") && hasParam && param > 0) {
      docCodepage_ = param;
    } else if (w == QLatin1String("deff") && hasParam) {
      defaultFont_ = param;
    } else if (s.dest == Dest::FontTable) {
      if (w == QLatin1String("f") && hasParam) {
        commitFont();
        entryFont_ = param;
      } else if (w == QLatin1String("fcharset") && hasParam) {
        entryCodepage_ = charsetCodepage(param);
      } else if (w == QLatin1String("cpg") && hasParam && param > 0) {
        entryCodepage_ = param;
      }
    } else if (s.dest == Dest::ColorTable) {
      const int component = std::clamp(param, 0, 255);
      if (w == QLatin1String("red")) red_ = component;
      if (w == QLatin1String("green")) green_ = component;
      if (w == QLatin1String("blue")) blue_ = component;
    } else if (s.dest == Dest::Text) {
      // Paragraphs and characters.
      if (w == QLatin1String("par") || w == QLatin1String("sect") || w == QLatin1String("page") ||
          w == QLatin1String("row")) {
        paragraph();
      } else if (const QChar ch = specialCharacter(w); !ch.isNull()) {
        put(QString(ch));
      } else if (w == QLatin1String("b")) {
        s.bold = on;
      } else if (w == QLatin1String("i")) {
        s.italic = on;
      } else if (w == QLatin1String("ulnone")) {
        s.underline = false;
      } else if (w.startsWith(QLatin1String("ul")) && w != QLatin1String("ulc")) {
        s.underline = on;  // \ul, \uld, \uldb, \ulw, \ulwave ... all underline
      } else if (w == QLatin1String("plain")) {
        s.bold = s.italic = s.underline = false;
        s.font = -1;
        s.halfPoints = 0;
        s.color = 0;
      } else if (w == QLatin1String("f") && hasParam) {
        s.font = param;
      } else if (w == QLatin1String("fs")) {
        const int hp = hasParam ? param : 24;
        s.halfPoints = hp > 0 && hp <= kMaxHalfPoints ? hp : 0;
      } else if (w == QLatin1String("cf") && hasParam) {
        s.color = std::max(param, 0);
      } else if (w == QLatin1String("uc") && hasParam) {
        s.uc = std::clamp(param, 0, 10);
      }
    }
  }

  int codepageNow() {
    if (state().dest == Dest::FontTable) return entryCodepage_ > 0 ? entryCodepage_ : docCodepage_;
    const int font = state().font >= 0 ? state().font : defaultFont_;
    const auto it = fonts_.find(font);
    if (it != fonts_.end() && it->second.codepage > 0) return it->second.codepage;
    return docCodepage_;
  }

  void hexByte(char b) {
    const int codepage = codepageNow();
    if (!bytes_.isEmpty() && codepage != bytesCodepage_) flushBytes();
    bytesCodepage_ = codepage;
    bytes_.append(b);
  }

  void flushBytes() {
    if (bytes_.isEmpty()) return;
    const QString text = decoders_.decode(bytesCodepage_, bytes_);
    bytes_.clear();
    put(text);
  }

  // Text into the destination of the current group.
  void put(const QString& text) {
    switch (state().dest) {
      case Dest::Skip:
        return;
      case Dest::FontTable:
        for (const QChar c : text) {
          if (c == u';')
            commitFont();
          else
            entryName_ += c;
        }
        return;
      case Dest::ColorTable:
        for (const QChar c : text)
          if (c == u';') commitColor();
        return;
      case Dest::Text:
        for (const QChar c : text) character(c);
        return;
    }
  }

  void commitFont() {
    if (entryFont_ >= 0) {
      FontEntry& f = fonts_[entryFont_];
      f.name = entryName_.trimmed();
      f.codepage = entryCodepage_;
    }
    entryFont_ = -1;
    entryName_.clear();
    entryCodepage_ = 0;
  }

  void commitColor() {
    if (red_ < 0 && green_ < 0 && blue_ < 0)
      colors_.push_back(QColor());  // the automatic colour
    else
      colors_.push_back(QColor(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
    red_ = green_ = blue_ = -1;
  }

  // One UTF-16 unit of the document's text. Surrogates count only in pairs; control characters
  // other than the tab are no text.
  void character(QChar c) {
    const char16_t u = c.unicode();
    if (QChar::isHighSurrogate(u)) {
      high_ = u;
      return;
    }
    if (QChar::isLowSurrogate(u)) {
      if (high_ != 0) append(QString(QChar(high_)) + c);
      high_ = 0;
      return;
    }
    high_ = 0;
    if (u == 0x2029) {
      paragraph();
      return;
    }
    if ((u < 0x20 && u != u'\t') || u == 0x7F || u == 0xFFFC || u == 0xFFFE || u == 0xFFFF) return;
    append(QString(c));
  }

  void append(const QString& text) {
    if (pendingBlock_) {
      flushRun();
      cursor_.insertBlock();
      pendingBlock_ = false;
    }
    if (!run_.isEmpty() && !runState_.sameLook(state())) flushRun();
    if (run_.isEmpty()) runState_ = state();
    run_ += text;
  }

  // Ends the current paragraph; the next one begins with the next character or paragraph end.
  void paragraph() {
    high_ = 0;
    flushRun();
    if (pendingBlock_) cursor_.insertBlock();
    pendingBlock_ = true;
  }

  void flushRun() {
    if (run_.isEmpty()) return;
    cursor_.insertText(run_, formatOf(runState_));
    run_.clear();
  }

  QTextCharFormat formatOf(const State& s) const {
    QTextCharFormat f;
    f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    f.setFontUnderline(s.underline);
    const auto font = fonts_.find(s.font >= 0 ? s.font : defaultFont_);
    if (font != fonts_.end() && !font->second.name.isEmpty()) {
      f.setFontFamilies(QStringList{font->second.name});
      f.setProperty(kFamilyKey, font->second.name);
    }
    if (s.halfPoints > 0) f.setFontPointSize(s.halfPoints / 2.0);
    if (s.color > 0 && static_cast<size_t>(s.color) < colors_.size() && colors_[s.color].isValid())
      f.setForeground(colors_[s.color]);
    return f;
  }

  const QString& in_;
  qsizetype pos_ = 0;
  QTextCursor cursor_;
  std::vector<State> stack_;
  int overflow_ = 0;
  int skip_ = 0;
  int docCodepage_ = kAnsi;
  int defaultFont_ = -1;
  std::map<int, FontEntry> fonts_;
  int entryFont_ = -1;
  QString entryName_;
  int entryCodepage_ = 0;
  std::vector<QColor> colors_;
  int red_ = -1, green_ = -1, blue_ = -1;
  QByteArray bytes_;
  int bytesCodepage_ = kAnsi;
  Decoders decoders_;
  QString run_;
  State runState_;
  char16_t high_ = 0;
  bool pendingBlock_ = false;
};

// ---- writer -------------------------------------------------------------------------------------

// The characters of code page 1252 above 127 and their bytes.
const QHash<char16_t, uchar>& ansiBytes() {
  static const QHash<char16_t, uchar> table = [] {
    QHash<char16_t, uchar> t;
    QStringDecoder d("windows-1252", QStringDecoder::Flag::Stateless);
    for (int b = 0x80; b <= 0xFF; ++b) {
      const QString s = d(QByteArray(1, static_cast<char>(b)));
      if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter) t.insert(s.at(0).unicode(), uchar(b));
    }
    return t;
  }();
  return table;
}

void writeEscaped(QString& out, const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u == u'\\' || u == u'{' || u == u'}') {
      out += u'\\';
      out += c;
    } else if (u == u'\t') {
      out += QLatin1String("\\tab ");
    } else if (u == 0x2028 || u == u'\n') {
      out += QLatin1String("\\line ");
    } else if (u == 0x00A0) {
      out += QLatin1String("\\~");
    } else if (u >= 0x20 && u < 0x7F) {
      out += c;
    } else if (u < 0x20 || u == 0x7F || u == 0xFFFC) {
      // control characters and embedded objects are no text
    } else if (const auto it = ansiBytes().constFind(u); it != ansiBytes().constEnd()) {
      out += QStringLiteral("\\'%1").arg(static_cast<uint>(*it), 2, 16, QLatin1Char('0'));
    } else {
      out += QStringLiteral("\\u%1?").arg(u > 32767 ? int(u) - 65536 : int(u));
    }
  }
}

struct Look {
  int font = 0;
  int halfPoints = 0;  // 0: not written
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int color = 0;
};

}  // namespace

bool IsRtfText(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text.at(i).isSpace() || text.at(i) == QChar(0xFEFF))) ++i;
  return QStringView(text).mid(i).startsWith(QLatin1String("{\\rtf"));
}

void RtfToDocument(const QString& text, QTextDocument& document) {
  if (!IsRtfText(text)) {
    document.setPlainText(text);
    return;
  }
  const bool undo = document.isUndoRedoEnabled();
  document.setUndoRedoEnabled(false);
  document.clear();
  Reader(text, document).run();
  document.setUndoRedoEnabled(undo);
}

QString RtfToPlainText(const QString& text) {
  if (!IsRtfText(text)) return text;
  QTextDocument document;
  RtfToDocument(text, document);
  return document.toPlainText();
}

QString DocumentToRtf(const QTextDocument& document) {
  const QFont base = document.defaultFont();
  // The tables in the order of first use, with their indexes looked up by hash: a text may
  // hold as many fonts and colours as runs.
  QStringList fonts{base.family()};
  QHash<QString, int> fontIndex{{base.family(), 0}};
  std::vector<QColor> colors;
  QHash<QRgb, int> colorIndex;

  const auto lookOf = [&](const QTextCharFormat& format) {
    const QFont f = format.font().resolve(base);
    Look look;
    const auto font = fontIndex.constFind(f.family());
    if (font != fontIndex.constEnd()) {
      look.font = *font;
    } else {
      look.font = static_cast<int>(fonts.size());
      fonts.append(f.family());
      fontIndex.insert(f.family(), look.font);
    }
    if (f.pointSizeF() > 0)
      look.halfPoints = std::clamp(static_cast<int>(std::lround(f.pointSizeF() * 2)), 1, kMaxHalfPoints);
    look.bold = f.weight() >= QFont::DemiBold;
    look.italic = f.italic();
    look.underline = f.underline();
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush) {
      // The table holds red, green and blue only; colours alike in these are one entry.
      const QColor c = format.foreground().color();
      const auto known = colorIndex.constFind(c.rgb());
      if (known != colorIndex.constEnd()) {
        look.color = *known;
      } else {
        colors.push_back(c);
        look.color = static_cast<int>(colors.size());
        colorIndex.insert(c.rgb(), look.color);
      }
    }
    return look;
  };

  QString body;
  Look written;
  written.font = -1;
  written.halfPoints = -1;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      const Look look = lookOf(fragment.charFormat());
      QString words;
      if (look.font != written.font) words += QStringLiteral("\\f%1").arg(look.font);
      if (look.halfPoints != written.halfPoints && look.halfPoints > 0)
        words += QStringLiteral("\\fs%1").arg(look.halfPoints);
      if (look.bold != written.bold) words += look.bold ? QStringLiteral("\\b") : QStringLiteral("\\b0");
      if (look.italic != written.italic) words += look.italic ? QStringLiteral("\\i") : QStringLiteral("\\i0");
      if (look.underline != written.underline)
        words += look.underline ? QStringLiteral("\\ul") : QStringLiteral("\\ulnone");
      if (look.color != written.color) words += QStringLiteral("\\cf%1").arg(look.color);
      if (!words.isEmpty()) body += words + u' ';
      written = look;
      writeEscaped(body, fragment.text());
    }
    body += QLatin1String("\\par\r\n");
  }

  QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl");
  for (qsizetype i = 0; i < fonts.size(); ++i) {
    QString name = fonts.at(i);
    name.remove(u';');
    out += QStringLiteral("{\\f%1\\fnil\\fcharset0 ").arg(i);
    writeEscaped(out, name);
    out += QLatin1String(";}");
  }
  out += QLatin1String("}\r\n");
  if (!colors.empty()) {
    out += QLatin1String("{\\colortbl ;");
    for (const QColor& c : colors)
      out += QStringLiteral("\\red%1\\green%2\\blue%3;").arg(c.red()).arg(c.green()).arg(c.blue());
    out += QLatin1String("}\r\n");
  }
  out += QLatin1String("\\viewkind4\\uc1\\pard ");
  out += body;
  out += u'}';
  return out;
}
