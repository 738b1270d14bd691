// The result list's column widths: each column exactly as wide as its widest text in the font,
// however the texts' letters, marks and neighbours change their width, and in whatever order
// the rows come.

#include "windows/capture/FindResultModel.h"

#include <QApplication>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

struct Texts {
  const char* what;
  std::vector<std::string> texts;  // UTF-8
  // Shows its case only where a font for its script is installed; a fresh machine has DejaVu
  // alone, and the fallback's widths need not order the texts as the group means.
  bool needsMoreFonts = false;
};

std::string times(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Every text as a file name, as a volume name and as a folder path (split into a parent's part
// and its own), each row of its own.
void fill(FindResultModel& model, const std::vector<std::string>& texts) {
  model.clear();
  int32_t id = 1;
  for (const std::string& t : texts) {
    const QString text = QString::fromStdString(t);
    const qsizetype cut = text.size() / 2;
    model.setVolume(id, text);
    model.setPath(2 * id, 0, text.left(cut));
    model.setPath(2 * id + 1, 2 * id, text.mid(cut));
    model.append(id, id, 2 * id + 1, t);
    ++id;
  }
}

// The width of the widest text, measured one by one; the names as the list shows them.
int widest(const QFont& font, const std::vector<std::string>& texts) {
  const QFontMetrics metrics(font);
  int w = 0;
  for (const std::string& t : texts) w = std::max(w, metrics.horizontalAdvance(QString::fromStdString(t)));
  return w;
}

void expectWidest(FindResultModel& model, const QFont& font, const std::vector<std::string>& texts,
                  const std::string& what) {
  fill(model, texts);
  const int expected = widest(font, texts);
  for (int column = 0; column < 3; ++column)
    EXPECT_EQ(model.widestText(column), expected) << what << ", column " << column;
}

TEST(FindResultModelTest, EachColumnIsAsWideAsItsWidestTextWhereLetterCountsMislead) {
  // The first text of each group is its widest, though others have more letters or wider
  // letters one by one: neighbours kern apart, marks join their letter into a wider one, a tab
  // reaches to the next tab stop, letters change their form in context.
  const std::vector<Texts> groups = {
      {"kerning pairs",
       {"AAAAAAAAAAAAAAAAAAA", "-=-=-=-=-=-=-=-=-=-=-=", "VAVAVAVAVAVAVAVAVAVAV", "AVAVAVAVAVAVAVAVAVAV"}},
      {"marks composed with their letter", {times("l\u0320\u030C", 24), "lllllllllllllllllllllllllllllll", "mmmmmmmm"}},
      {"two marks composed with their letter",
       {times("\u0399\u0314\u0300", 16), "\u039C\u039C\u039C\u039C\u039C\u039C\u039C\u039C\u039C\u039C\u039C",
        "IIIIIIIIIIIIIIIIIIIIIIIIIIIII"}},
      {"marks after letters", {times("u\u0308", 20), "mmmmmmmmmmmm", "\u0308\u0308\u0308abc"}},
      {"tabs", {"\t\t", "mmmmmmmmmmmm", "\tmm", "a\tb"}},
      {"wide letters of East Asia",
       {"\u6587\u4EF6\u6587\u4EF6\u6587\u4EF6", "iiiiiiiiiiiiiiiiiiii", "\uD55C\uAE00\uD55C"},
       true},
      {"letters beyond U+FFFF",
       {"\U0001D54E\U0001D54E\U0001D54E\U0001D54E\U0001D54E", "WWWWW", "\U0001F468\u200D\U0001F469\u200D\U0001F467",
        "\U0001F1E9\U0001F1EA\U0001F1E9\U0001F1EA"},
       true},
      {"shaped in context and right to left",
       {"\u0915\u094D\u0937\u093F\u0915\u094D\u0937\u093F\u0915\u094D\u0937\u093F", "WWWWWWWWWWW",
        "iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii", "abc\u202Eabcabcabcabc",
        "\u0645\u062C\u0644\u062F \u0627\u0644\u0645\u0644\u0641\u0627\u062A", "\u05E9\u05DC\u05D5\u05DD"},
       true},
      {"very long names", {times("\u00E4", 127), times("W", 70) + ".dat", times("i", 254)}},
  };
  FindResultModel model;
  const QFont font = QApplication::font();
  const QFontMetrics metrics(font);
  model.setFont(font);
  for (const Texts& g : groups) {
    // The widest is still checked where the group's case does not show.
    if (!g.needsMoreFonts) {
      EXPECT_EQ(metrics.horizontalAdvance(QString::fromStdString(g.texts[0])), widest(font, g.texts))
          << g.what << ": the group no longer shows its case in this font";
    }
    expectWidest(model, font, g.texts, g.what);
    std::vector<std::string> reversed(g.texts.rbegin(), g.texts.rend());
    expectWidest(model, font, reversed, std::string(g.what) + ", reversed");
  }
}

TEST(FindResultModelTest, TheWidestOfManyRandomTextsWhateverTheFontOrTheirOrder) {
  // Letters of many kinds mixed: pairs that kern, marks, letters beyond U+FFFF, tabs, and
  // so many texts that the widths are settled several times while they come.
  std::vector<std::u32string> alphabets = {
      U"abcdefghijklmnopqrstuvwxyzAVWTLJ-.äöüß ",
      U"AVTYLJfiflrkvw-.,'\"()",
      U"lioIuaeΙΑ\u0300\u0301\u0308\u030C\u0314\u0320\u0323\u0342",
      U"\t\u00AD\u200B\u200DaW\u6587\u4EF6\U0001D54E\U0001F468\U0001F1E9\U0001F1EA",
      U"\u0627\u0644\u0645\u062C\u05E9\u05DCabc\u0915\u094D\u0937",
  };
  std::mt19937 rng(20240);
  std::vector<std::string> texts;
  for (int n = 0; n < 9000; ++n) {
    const std::u32string& alphabet = alphabets[static_cast<size_t>(n) % alphabets.size()];
    std::uniform_int_distribution<size_t> letter(0, alphabet.size() - 1);
    const int length = 1 + static_cast<int>(rng() % 40);
    std::u32string t;
    for (int i = 0; i < length; ++i) t += alphabet[letter(rng)];
    texts.push_back(QString::fromUcs4(t.data(), static_cast<qsizetype>(t.size())).toStdString());
  }
  FindResultModel model;
  QFont font = QApplication::font();
  for (const int size : {9, 13}) {
    font.setPointSize(size);
    model.setFont(font);
    expectWidest(model, font, texts, "size " + std::to_string(size));
    std::shuffle(texts.begin(), texts.end(), rng);
    expectWidest(model, font, texts, "shuffled, size " + std::to_string(size));
  }
  // A font set after the rows came measures them anew.
  font.setPointSize(20);
  model.setFont(font);
  const int expected = widest(font, texts);
  for (int column = 0; column < 3; ++column) EXPECT_EQ(model.widestText(column), expected) << "column " << column;
}

TEST(FindResultModelTest, ALargerFontMeasuresTheRowsInItsOwnWidths) {
  // One wide letter against a few narrow ones: in the larger font the wide letter is the wider
  // text, while the narrow ones are wider than the wide letter was in the smaller font. Widths
  // kept from the smaller font would take the narrow ones for the widest.
  const QFont small(QStringLiteral("DejaVu Sans"), 8);
  const QFont large(QStringLiteral("DejaVu Sans"), 24);
  const QFontMetrics s(small), l(large);
  const std::string wide = "W";
  std::string narrow;
  for (int n = 1; n < 10 && narrow.empty(); ++n) {
    const QString i(n, QLatin1Char('i'));
    if (l.horizontalAdvance(i) < l.horizontalAdvance(QStringLiteral("W")) &&
        l.horizontalAdvance(i) > s.horizontalAdvance(QStringLiteral("W")))
      narrow = i.toStdString();
  }
  if (narrow.empty()) GTEST_SKIP() << "the font shows no such pair of texts";
  FindResultModel model;
  model.setFont(small);
  fill(model, {narrow, wide});
  for (int column = 0; column < 3; ++column) EXPECT_EQ(model.widestText(column), widest(small, {narrow, wide}));
  model.setFont(large);
  for (int column = 0; column < 3; ++column)
    EXPECT_EQ(model.widestText(column), l.horizontalAdvance(QStringLiteral("W"))) << "column " << column;
}

TEST(FindResultModelTest, NameBytesThatFormNoLetterCountAsTheListShowsThem) {
  const std::vector<std::string> names = {
      "\xFF\xFE\xFD\xFC\xFB", "abc\xC3", "\xE2\x82", "\xED\xA0\x80\xED\xB0\x80", "\xF0\x9D\x95\x8E\xF0\x9D\x95", "iii"};
  FindResultModel model;
  const QFont font = QApplication::font();
  model.setFont(font);
  int id = 1;
  for (const std::string& n : names) model.append(id++, 1, 1, n);
  EXPECT_EQ(model.widestText(0), widest(font, names));
}

}  // namespace
