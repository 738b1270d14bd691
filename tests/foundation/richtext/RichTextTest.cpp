#include "foundation/widgets/RichText.h"
#include "tests/support/RichTextMemo.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <ostream>
#include <random>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// As the word processor of the system writes a short letter: tables, a generator stamp, a
// bullet with its own text and colours.
const char* const kWordPadText =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1031{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
    "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang7 Gr\\'fc\\'dfe aus \\b M\\'fcnchen\\b0 , \\i kursiv\\i0  und "
    "\\ul unterstrichen\\ulnone .\\par\r\n"
    "\\cf1 Rot\\cf0  und \\'80 5\\par\r\n"
    "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720 Punkt\\par\r\n"
    "}\r\n";
const char* const kWordPadPlain = "Grüße aus München, kursiv und unterstrichen.\nRot und € 5\n·\tPunkt";

// As a full word processor writes: panose and theme data, style sheet, document info, revision
// tables, fields, a Cyrillic font, Unicode with two fallback bytes, a picture.
const char* const kWordText =
    "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff31507\\deff0\\stshfdbch31505\\deflang1031"
    "{\\fonttbl{\\f0\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}"
    "{\\f34\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02040503050406030204}Cambria Math;}\r\n"
    "{\\f43\\fbidi \\froman\\fcharset204\\fprq2 Times New Roman Cyr;}}\r\n"
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "{\\*\\defchp \\fs24\\lang1031 }{\\*\\defpap \\ql \\li0\\ri0\\widctlpar }\\noqfpromote "
    "{\\stylesheet{\\ql \\li0\\ri0\\widctlpar \\rtlch\\fcs1 \\af0\\afs24 \\ltrch\\fcs0 \\fs24\\lang1031 \\snext0 "
    "\\sqformat \\spriority0 Normal;}{\\*\\cs10 \\additive \\ssemihidden Default Paragraph Font;}}\r\n"
    "{\\*\\rsidtbl \\rsid1070687\\rsid6250713}{\\*\\mmathPr\\mmathFont34\\mbrkBin0}"
    "{\\info{\\author Anna M\\'fcller}{\\operator Anna}{\\creatim\\yr2021\\mo3\\dy4\\hr10\\min2}{\\version2}}"
    "{\\*\\xmlnstbl {\\xmlns1 http://schemas.microsoft.com/office/word/2003/wordml}}\r\n"
    "\\paperw11906\\paperh16838\\margl1417 \\pard\\plain \\ltrpar\\ql \\li0\\ri0\\widctlpar \\rtlch\\fcs1 "
    "\\af0\\afs24 \\ltrch\\fcs0 \\fs24\\lang1031 {\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\b\\insrsid6250713 Preis:}"
    "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid6250713  100 \\u8364\\'80 }"
    "{\\field{\\*\\fldinst {\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1070687  HYPERLINK \"http://example.org/\" }}"
    "{\\fldrslt {\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\cf2\\ul\\insrsid1070687 Verweis}}}"
    "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid6250713 \r\n\\par }"
    "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\f43\\insrsid6250713 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}"
    "{\\uc2\\u8364\\'80\\'80 x\\u-10179??\\u-8704??}{\\*\\themedata 504b0304}"
    "{\\*\\latentstyles\\lsdstimax376{\\lsdlockedexcept \\lsdqformat1 Normal;}}{\\*\\datastore 0105000002000000}\r\n"
    "{\\pict\\wmetafile8\\picw100\\pich100 0100090000}\\par}";
const char* const kWordPlain = "Preis: 100 € Verweis\nПривет€ x😀";

// One line per character: the character and how it looks, "¶" between paragraphs.
QStringList looks(const QTextDocument& doc) {
  QStringList r;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (b != doc.begin()) r << QStringLiteral("¶");
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat fmt = it.fragment().charFormat();
      const QFont f = fmt.font().resolve(doc.defaultFont());
      const QString look = QStringLiteral("%1 %2pt%3%4%5%6 %7")
                               .arg(f.family())
                               .arg(f.pointSizeF())
                               .arg(f.bold() ? " fett" : "")
                               .arg(f.italic() ? " kursiv" : "")
                               .arg(f.underline() ? " unterstrichen" : "")
                               .arg(f.strikeOut() ? " durchgestrichen" : "")
                               .arg(fmt.hasProperty(QTextFormat::ForegroundBrush) ? fmt.foreground().color().name()
                                                                                  : QStringLiteral("auto"));
      for (const QChar c : it.fragment().text()) r << QString(c) + QStringLiteral(": ") + look;
    }
  }
  return r;
}

// The look of the first character of the first occurrence of the word.
QString lookOf(const QTextDocument& doc, const QString& word) {
  const QStringList all = looks(doc);
  const QString plain = doc.toPlainText();
  const qsizetype at = plain.indexOf(word);
  if (at < 0) return QStringLiteral("(fehlt)");
  // Lines of the look list and characters of the plain text match one to one, "¶" for "\n".
  return all.value(at).mid(3);
}

QTextDocument* newDocument() {
  auto* doc = new QTextDocument;
  doc->setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
  return doc;
}

}  // namespace

TEST(RichTextRead, TextOfOtherEditorsWithItsLook) {
  std::unique_ptr<QTextDocument> doc(newDocument());
  RtfToDocument(QString::fromUtf8(kWordPadText), *doc);
  EXPECT_EQ(doc->toPlainText(), QString::fromUtf8(kWordPadPlain));
  EXPECT_EQ(doc->blockCount(), 3);
  EXPECT_EQ(lookOf(*doc, "Grüße"), "Calibri 11pt auto");
  EXPECT_EQ(lookOf(*doc, "München"), "Calibri 11pt fett auto");
  EXPECT_EQ(lookOf(*doc, ", kursiv"), "Calibri 11pt auto");
  EXPECT_EQ(lookOf(*doc, "kursiv"), "Calibri 11pt kursiv auto");
  EXPECT_EQ(lookOf(*doc, "unterstrichen"), "Calibri 11pt unterstrichen auto");
  EXPECT_EQ(lookOf(*doc, "Rot"), "Calibri 11pt #ff0000");
  EXPECT_EQ(lookOf(*doc, " und €"), "Calibri 11pt auto");
  EXPECT_EQ(lookOf(*doc, "·"), "Symbol 11pt auto");

  RtfToDocument(QString::fromUtf8(kWordText), *doc);
  EXPECT_EQ(doc->toPlainText(), QString::fromUtf8(kWordPlain));
  EXPECT_EQ(lookOf(*doc, "Preis"), "Times New Roman 12pt fett auto");
  EXPECT_EQ(lookOf(*doc, " 100"), "Times New Roman 12pt auto");
  EXPECT_EQ(lookOf(*doc, "Verweis"), "Times New Roman 12pt unterstrichen #0000ff");
  EXPECT_EQ(lookOf(*doc, "Привет"), "Times New Roman Cyr 12pt auto");
}

TEST(RichTextRead, DamagedAndForeignTextShowsWhatItHolds) {
  const struct {
    const char* in;
    const char* plain;
  } cases[] = {
      {"Hallo {Welt} \\b fett", "Hallo {Welt} \\b fett"},  // no RTF: the text as it stands
      {"", ""},
      {"  {\\rtf1 vorne Leerraum}", "vorne Leerraum"},
      {"{\\rtf1\\ansi Hallo\\par Welt", "Hallo\nWelt"},  // no closing brace
      {"{\\rtf1 {{{{{tief", "tief"},
      {"{\\rtf1 a}}}} danach", "a"},  // the text ends with its outermost group
      {"{\\rtf1 a\\'zzb}", "azzb"},   // a broken escape gives no character
      {"{\\rtf1 a\\'e", "a"},
      {"{\\rtf1 \\u", ""},
      {"{\\rtf1 \\", ""},
      {"{\\rtf1 a\\bin99999 xyz}", "a"},  // binary data running past the end
      {"{\\rtf1 a\\bin3 {}\\b}", "ab"},
      {"{\\rtf1 x\\einsehrlangesunbekanntessteuerwortdasniemandkennt123 y}", "xy"},
      {"{\\rtf1 \\uc5\\u228 ab}", "ä"},    // the group ends the fallback
      {"{\\rtf1 \\u99999999?x}", "x"},     // no character, but its fallback is skipped
      {"{\\rtf1 \\u-10179 lone}", "one"},  // half a surrogate pair is no character
      {"{\\rtf1 \\uc0\\u-10179\\u-8704 !}", "😀!"},
      {"{\\rtf1 a\\par\\par b\\par}", "a\n\nb"},
      {"{\\rtf1 a\\line b\\tab c\\~d\\{\\}\\\\}", "a\nb\tc d{}\\"},
      {"{\\rtf1 {\\*\\unbekannt geheim}{\\unbekannt sichtbar}}", "sichtbar"},
      {"{\\rtf1 \\f99 ohne Tabelle \\cf7 ohne Farben}", "ohne Tabelle ohne Farben"},
      {"{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}", "При"},
      {"{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0}", "あ"},  // a character of two bytes
      {"{\\rtf1\\ansi\\ansicpg77777 \\'e4}", "ä"},      // an unknown code page reads as 1252
      {"{\\rtf1 \x01\x02steuer\x7f}", "steuer"},
      {"{\\rtf1 Zeile\\\r\nZwei}", "Zeile\nZwei"},
  };
  std::unique_ptr<QTextDocument> doc(newDocument());
  for (const auto& c : cases) {
    const QString in = QString::fromUtf8(c.in);
    RtfToDocument(in, *doc);
    EXPECT_EQ(doc->toPlainText(), QString::fromUtf8(c.plain)) << c.in;
    EXPECT_EQ(RtfToPlainText(in), QString::fromUtf8(c.plain)) << c.in;
  }
  // A font entry without its closing semicolon still names its font.
  RtfToDocument(QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial}{\\f1\\fcharset204 Cyr}}\\f1\\fs20 \\'c6}"), *doc);
  EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("Ж"));
  EXPECT_EQ(lookOf(*doc, QString::fromUtf8("Ж")), "Cyr 10pt auto");
}

// Paragraphs of style runs with no blank between them, as long memos carry them: each letter in
// the look of its run, also after writing and reading again. Strike-out is no look the memos
// keep: its runs read as plain text.
TEST(RichTextRead, StyleRunsSideBySideKeepTheirLooks) {
  const struct {
    const char* pair;
    QStringList looks;  // of the pair's letters
  } cases[] = {
      {"\\i x\\i0\\ul y\\ulnone ", {"x: Tahoma 8.5pt kursiv auto", "y: Tahoma 8.5pt unterstrichen auto"}},
      {"\\i x\\i0\\ul y\\ulnone\\strike z\\strike0 ",
       {"x: Tahoma 8.5pt kursiv auto", "y: Tahoma 8.5pt unterstrichen auto", "z: Tahoma 8.5pt auto"}},
      {"\\b x\\b0 y", {"x: Tahoma 8.5pt fett auto", "y: Tahoma 8.5pt auto"}},
      {"{\\i\\ul x}{\\b\\i y}", {"x: Tahoma 8.5pt kursiv unterstrichen auto", "y: Tahoma 8.5pt fett kursiv auto"}},
      {"\\i\\ul x\\ul0 y\\i0 ", {"x: Tahoma 8.5pt kursiv unterstrichen auto", "y: Tahoma 8.5pt kursiv auto"}},
      {"\\uldb x\\ulnone y\\ulwave z\\ulnone w",
       {"x: Tahoma 8.5pt unterstrichen auto", "y: Tahoma 8.5pt auto", "z: Tahoma 8.5pt unterstrichen auto",
        "w: Tahoma 8.5pt auto"}},
      // \plain also drops the size: the reader's default fills in.
      {"\\plain\\b x\\plain\\i y", {"x: Tahoma 10pt fett auto", "y: Tahoma 10pt kursiv auto"}},
  };
  constexpr int kPairs = 300;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pair);
    const QString rtf = testenv::styleRunsMemo(QString::fromLatin1(c.pair), kPairs);
    QStringList want;
    for (int i = 0; i < kPairs; ++i) want << c.looks;
    std::unique_ptr<QTextDocument> doc(newDocument());
    RtfToDocument(rtf, *doc);
    EXPECT_EQ(doc->blockCount(), 1);
    EXPECT_EQ(looks(*doc), want);

    const QString written = DocumentToRtf(*doc);
    std::unique_ptr<QTextDocument> back(newDocument());
    RtfToDocument(written, *back);
    EXPECT_EQ(looks(*back), want);
    EXPECT_EQ(DocumentToRtf(*back), written);
  }
}

TEST(RichTextWrite, DocumentComesBackAsItWas) {
  std::unique_ptr<QTextDocument> doc(newDocument());
  QTextCursor c(doc.get());
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  QTextCharFormat italic;
  italic.setFontItalic(true);
  QTextCharFormat special;
  special.setFontUnderline(true);
  special.setForeground(QColor(200, 10, 30));
  special.setFontFamilies({QStringLiteral("Courier New")});
  special.setFontPointSize(13);
  c.insertText(QStringLiteral("Grüße "));
  c.insertText(QStringLiteral("fett Öl"), bold);
  c.insertText(QString::fromUtf8(" € 😀 {a\\b} ; \t") + QChar(0x2028) + QStringLiteral("Zeile"), italic);
  c.insertBlock();
  c.insertBlock();
  c.insertText(QString::fromUtf8("Ende ЖЖ 漢字 \u00a0x"), special);
  c.insertBlock();

  const QString rtf = DocumentToRtf(*doc);
  for (const QChar ch : rtf) ASSERT_LT(ch.unicode(), 128) << rtf.toStdString();
  EXPECT_TRUE(IsRtfText(rtf));

  std::unique_ptr<QTextDocument> back(newDocument());
  RtfToDocument(rtf, *back);
  EXPECT_EQ(back->toPlainText(), doc->toPlainText());
  EXPECT_EQ(looks(*back), looks(*doc));
  // Written again, the text is the same: nothing drifts from one save to the next.
  EXPECT_EQ(DocumentToRtf(*back), rtf);

  // Another default font of the reader does not change what was written.
  std::unique_ptr<QTextDocument> other(new QTextDocument);
  other->setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 20));
  RtfToDocument(rtf, *other);
  EXPECT_EQ(looks(*other), looks(*doc));
}

TEST(RichTextWrite, EmptyAndOneLineDocuments) {
  for (const QString& text : {QString(), QStringLiteral("eine Zeile"), QStringLiteral("\n"), QStringLiteral("a\n\n")}) {
    std::unique_ptr<QTextDocument> doc(newDocument());
    doc->setPlainText(text);
    std::unique_ptr<QTextDocument> back(newDocument());
    RtfToDocument(DocumentToRtf(*doc), *back);
    EXPECT_EQ(back->toPlainText(), text);
    EXPECT_EQ(back->blockCount(), doc->blockCount()) << text.toStdString();
  }
}

TEST(RichTextFuzz, TruncatedTextKeepsWhatCameBeforeTheCut) {
  for (const char* fixture : {kWordPadText, kWordText}) {
    const QString full = QString::fromUtf8(fixture);
    const QString plain = RtfToPlainText(full);
    // Shorter than "{\rtf" the text is no RTF.
    for (qsizetype k = 5; k <= full.size(); ++k) {
      QString part = RtfToPlainText(full.left(k));
      // A cut inside \uN may leave another character as the last one.
      if (!part.isEmpty()) part.chop(1);
      ASSERT_TRUE(plain.startsWith(part)) << "cut at " << k << ": " << part.toStdString();
    }
  }
}

TEST(RichTextFuzz, RandomInputNeverBreaksTheReader) {
  std::mt19937 random(20240611);
  const QString alphabet = QStringLiteral("{}\\\\\\'*u0123456789-abfiplarcde \r\n;");
  std::unique_ptr<QTextDocument> doc(newDocument());
  for (int round = 0; round < 3000; ++round) {
    QString in = QStringLiteral("{\\rtf1 ");
    const int length = std::uniform_int_distribution<int>(0, 200)(random);
    for (int i = 0; i < length; ++i) {
      const int kind = std::uniform_int_distribution<int>(0, 9)(random);
      if (kind < 7)
        in += alphabet.at(std::uniform_int_distribution<qsizetype>(0, alphabet.size() - 1)(random));
      else  // any UTF-16 unit, surrogates and controls included
        in += QChar(static_cast<char16_t>(std::uniform_int_distribution<int>(0, 0xFFFF)(random)));
    }
    RtfToDocument(in, *doc);
    const QString plain = doc->toPlainText();
    for (const QChar ch : plain) {
      const char16_t u = ch.unicode();
      ASSERT_TRUE(u >= 0x20 || u == u'\t' || u == u'\n') << "control character " << int(u) << " from round " << round;
    }
    // Whatever was read can be written and read again to the same text.
    std::unique_ptr<QTextDocument> again(newDocument());
    RtfToDocument(DocumentToRtf(*doc), *again);
    ASSERT_EQ(again->toPlainText(), plain) << "round " << round;
  }
}

TEST(RichTextFuzz, TextBetweenRandomControlWordsIsKeptInOrder) {
  // Tokens and what they add to the plain text.
  const std::vector<std::pair<QString, QString>> tokens = {{"Wort", "Wort"},
                                                           {" ", " "},
                                                           {"\\'e4", "ä"},
                                                           {"\\u8364?", "€"},
                                                           {"\\{", "{"},
                                                           {"\\\\", "\\"},
                                                           {"\\tab ", "\t"},
                                                           {"\\b ", ""},
                                                           {"\\b0 ", ""},
                                                           {"\\i ", ""},
                                                           {"\\ul ", ""},
                                                           {"\\ulnone ", ""},
                                                           {"\\fs30 ", ""},
                                                           {"\\cf1 ", ""},
                                                           {"\\plain ", ""},
                                                           {"\\f1 ", ""},
                                                           {"{\\*\\x geheim}", ""},
                                                           {"{\\info text}", ""},
                                                           {"\\pard ", ""},
                                                           {"\\unbekannt ", ""},
                                                           {"\\bin2 {}", ""},
                                                           {"\\emdash ", "—"}};
  std::mt19937 random(42);
  for (int round = 0; round < 1000; ++round) {
    QString in = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier;}}{\\colortbl;\\red1\\green2\\blue3;}");
    QString expected;
    bool pendingLine = false;
    int depth = 0;
    const int count = std::uniform_int_distribution<int>(0, 60)(random);
    for (int i = 0; i < count; ++i) {
      const int pick = std::uniform_int_distribution<int>(0, static_cast<int>(tokens.size()) + 2)(random);
      if (pick == static_cast<int>(tokens.size())) {
        in += u'{';
        ++depth;
      } else if (pick == static_cast<int>(tokens.size()) + 1) {
        if (depth > 0) {
          in += u'}';
          --depth;
        }
      } else if (pick == static_cast<int>(tokens.size()) + 2) {
        in += QStringLiteral("\\par ");
        if (pendingLine) expected += u'\n';
        pendingLine = true;
      } else {
        in += tokens[pick].first;
        if (!tokens[pick].second.isEmpty()) {
          if (pendingLine) expected += u'\n';
          pendingLine = false;
          expected += tokens[pick].second;
        }
      }
    }
    in += QString(depth, u'}') + u'}';
    ASSERT_EQ(RtfToPlainText(in), expected) << in.toStdString();
  }
}

TEST(RichTextFuzz, RandomDocumentsComeBackAsTheyWere) {
  const QStringList pieces = {"a", "Z", " ",  "{",  "}", "\\",     ";", "ä", "ß",      "€",
                              "😀", "Ж", "漢", "\t", "?", "\u00a0", "'", "0", "\u2028", "ſ"};
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::unique_ptr<QTextDocument> doc(newDocument());
    QTextCursor c(doc.get());
    const int runs = std::uniform_int_distribution<int>(0, 12)(random);
    for (int r = 0; r < runs; ++r) {
      QTextCharFormat f;
      const int bits = std::uniform_int_distribution<int>(0, 63)(random);
      if (bits & 1) f.setFontWeight(QFont::Bold);
      if (bits & 2) f.setFontItalic(true);
      if (bits & 4) f.setFontUnderline(true);
      if (bits & 8) f.setForeground(QColor(bits * 4, 255 - bits, 17));
      if (bits & 16) f.setFontFamilies({QStringLiteral("Courier New")});
      if (bits & 32) f.setFontPointSize(8 + bits % 7);
      QString text;
      const int length = std::uniform_int_distribution<int>(0, 8)(random);
      for (int i = 0; i < length; ++i)
        text += pieces.at(std::uniform_int_distribution<qsizetype>(0, pieces.size() - 1)(random));
      c.insertText(text, f);
      if (std::uniform_int_distribution<int>(0, 3)(random) == 0) c.insertBlock();
    }
    std::unique_ptr<QTextDocument> back(newDocument());
    RtfToDocument(DocumentToRtf(*doc), *back);
    ASSERT_EQ(back->toPlainText(), doc->toPlainText()) << "round " << round;
    ASSERT_EQ(looks(*back), looks(*doc)) << "round " << round;
  }
}

// Fifty thousand runs, each in a look of its own beside its neighbours: read, every run is there
// in its look; written, each font and colour stands in its table once; read and written again,
// nothing changes.
TEST(RichTextWrite, AMemoOfFiftyThousandRunsComesBackRunForRun) {
  constexpr long kRuns = 50000;
  std::unique_ptr<QTextDocument> doc(newDocument());
  RtfToDocument(testenv::manyRunsMemo(kRuns), *doc);
  EXPECT_EQ(doc->toPlainText(), testenv::manyRunsPlain(kRuns));
  EXPECT_EQ(testenv::memoRunsDiffer(*doc, kRuns), QString());

  const QString rtf = DocumentToRtf(*doc);
  EXPECT_EQ(rtf.count(QStringLiteral("Schrift ")), kRuns / 4);
  const qsizetype colours = rtf.indexOf(QStringLiteral("{\\colortbl ;"));
  ASSERT_GE(colours, 0);
  const QString table = rtf.mid(colours, rtf.indexOf(u'}', colours) - colours);
  EXPECT_EQ(table.count(u';'), 1 + kRuns / 4);
  EXPECT_TRUE(table.contains(QStringLiteral(";\\red0\\green1\\blue0;"))) << "the 257th colour";

  std::unique_ptr<QTextDocument> back(newDocument());
  RtfToDocument(rtf, *back);
  EXPECT_EQ(testenv::memoRunsDiffer(*back, kRuns), QString());
  EXPECT_EQ(DocumentToRtf(*back), rtf);
}
