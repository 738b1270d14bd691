#include "platform/runtime/TextCodec.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QFile>
#include <QSet>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

TEST(TextCodec, Utf8WhenValidElseWindows1252) {
  const struct {
    QByteArray bytes;
    QString text;
  } cases[] = {
      {"plain", "plain"},
      {"\xc3\x9c"
       "ber",
       u("Über")},
      {"\xef\xbb\xbf"
       "mit BOM",
       "mit BOM"},
      {"\xdc"
       "ber",
       u("Über")},
      {"Gr\xfc\xdf"
       "e \x80 \x84"
       "x\x93",
       u("Grüße € „x“")},
      // One invalid byte makes the whole text Windows-1252, also its UTF-8-looking pairs.
      {"\xc3\xa9t\xe9", u("Ã©té")},
      {"x\xc3", u("xÃ")},  // cut off in the middle of a character
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(rt::decodeText(c.bytes), c.text) << c.bytes.toHex().toStdString();
}

TEST(TextCodec, EveryByteHasItsOwnCharacterBothWays) {
  QSet<QString> names;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const QByteArray raw = QByteArray("x") + static_cast<char>(b);
    const QString text = rt::decodeText(raw);
    names.insert(text);
    bool exact = false;
    EXPECT_EQ(rt::toWindows1252(text, &exact), raw) << b;
    EXPECT_TRUE(exact) << b;
  }
  EXPECT_EQ(names.size(), 128);
  EXPECT_NE(rt::decodeText("x\xff"), rt::decodeText("x\xfe"));
  bool exact = true;
  EXPECT_EQ(rt::toWindows1252(u("a→b"), &exact), QByteArray("a?b"));
  EXPECT_FALSE(exact);
}

TEST(TextCodec, PathsAreDecodedPartByPart) {
  EXPECT_EQ(rt::decodeFileName("/media/\xc3\x9c"
                               "bung/\xdc"
                               "ber/n\xe9/"),
            u("/media/Übung/Über/né/"));
  EXPECT_EQ(rt::decodeFileName("\xff"), u("ÿ"));
  EXPECT_EQ(rt::decodeFileName("/"), "/");
}

TEST(TextCodec, APathMissingInUtf8IsTakenInItsWindows1252Form) {
  const QByteArray dir = QFile::encodeName(testenv::freshTempDir());
  ASSERT_EQ(::mkdir((dir + "/\xc3\x9c"
                           "bung")
                        .constData(),
                    0755),
            0);
  ASSERT_EQ(::mkdir((dir + "/\xc3\x9c"
                           "bung/\xdc"
                           "ber")
                        .constData(),
                    0755),
            0);
  const QString text = QString::fromUtf8(dir) + u("/Übung/Über/");
  EXPECT_EQ(rt::existingNativePath(text), dir +
                                              "/\xc3\x9c"
                                              "bung/\xdc"
                                              "ber/");
  // What exists in UTF-8, and what exists in neither form, stay UTF-8.
  EXPECT_EQ(rt::existingNativePath(QString::fromUtf8(dir) + u("/Übung")), dir +
                                                                              "/\xc3\x9c"
                                                                              "bung");
  EXPECT_EQ(rt::existingNativePath(QString::fromUtf8(dir) + u("/Öde/Über")), dir +
                                                                                 "/\xc3\x96"
                                                                                 "de/\xc3\x9c"
                                                                                 "ber");
  EXPECT_EQ(rt::existingNativePath(""), "");
  // The temporary folder's own clean-up cannot remove names that are not valid UTF-8.
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(dir.toStdString()) /
                                  "\xc3\x9c"
                                  "bung",
                              ec);
}

// Both byte forms of one text in one folder, and names whose Windows-1252 bytes are valid UTF-8
// (so another name, not a second form of the same one).
TEST(TextCodec, BothByteFormsOfANameAreAmbiguousOtherNamesAreNot) {
  const QByteArray dir = QFile::encodeName(testenv::freshTempDir());
  const auto touch = [](const QByteArray& path) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path.toHex().toStdString();
    ::close(fd);
  };
  ASSERT_EQ(::mkdir((dir + "/\xdc"
                           "ber")
                        .constData(),
                    0755),
            0);
  touch(dir + "/e\xff");
  touch(dir + "/e\xc3\xbf");
  touch(dir + "/\xc3\xa9");
  touch(dir + "/\xc3\x83\xc2\xa9");
  const QString base = QString::fromUtf8(dir);
  const struct {
    const char* text;  // below dir
    QByteArray bytes;  // below dir
    const char* ambiguous;
  } cases[] = {
      {"/Über/neu",
       "/\xdc"
       "ber/neu",
       ""},
      {"/eÿ", "/e\xc3\xbf", "eÿ"},
      {"/eÿ/tiefer", "/e\xc3\xbf/tiefer", "eÿ"},
      {"/é", "/\xc3\xa9", ""},
      // Its Windows-1252 bytes C3 A9 are the UTF-8 name "é" beside it.
      {"/Ã©", "/\xc3\x83\xc2\xa9", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const QString text = base + QString::fromUtf8(c.text);
    const rt::NativePath found = rt::findNativePath(text);
    EXPECT_EQ(found.bytes, dir + c.bytes);
    EXPECT_EQ(found.ambiguousName, QString::fromUtf8(c.ambiguous));
    const rt::RaisedError e = testenv::raised([&] { EXPECT_EQ(rt::existingNativePath(text), dir + c.bytes); });
    if (*c.ambiguous) {
      EXPECT_EQ(e.number, 75);
      EXPECT_EQ(e.description,
                QString("Der Name 'eÿ' steht im Ordner '%1/' in zwei Schreibweisen (UTF-8 und Windows-1252). Es "
                        "lässt sich nicht entscheiden, welcher der beiden Einträge gemeint ist")
                    .arg(base));
    } else {
      EXPECT_EQ(e.number, 0) << e.description.toStdString();
    }
  }
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(dir.toStdString()), ec);
}

TEST(TextCodec, UnpairedSurrogatesBecomeTheReplacementCharacterInUtf8) {
  const QString high(QChar(0xD800)), low(QChar(0xDC00));
  const struct {
    QString text;
    QByteArray utf8;
  } cases[] = {
      {"a" + high + "b",
       "a\xef\xbf\xbd"
       "b"},
      {high, "\xef\xbf\xbd"},
      {low + high, "\xef\xbf\xbd\xef\xbf\xbd"},
      {"x" + high, "x\xef\xbf\xbd"},
      {high + low + low, "\xf0\x90\x80\x80\xef\xbf\xbd"},  // a pair, then one alone
      {u("grüße"),
       "gr\xc3\xbc\xc3\x9f"
       "e"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(rt::encodeUtf8(c.text), c.utf8) << c.utf8.toHex().toStdString();
}

}  // namespace
