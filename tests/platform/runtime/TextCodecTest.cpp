#include "platform/runtime/TextCodec.h"

#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

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

}  // namespace
