#include "foundation/widgets/mdlQZLib51_pictures.h"
#include "platform/runtime/RaisedError.h"
#include "tests/support/HostilePictures.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

void putU16(QByteArray& b, qsizetype at, uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

void putU32(QByteArray& b, qsizetype at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// An 8-bit bitmap file with a grey palette; `pixels` are the pixel bytes as stored
// (rows bottom-up, each a multiple of 4 bytes long).
QByteArray bitmap8(int width, int height, const QByteArray& pixels) {
  const int headers = 14 + 40 + 256 * 4;
  QByteArray b(headers, '\0');
  b[0] = 'B';
  b[1] = 'M';
  putU32(b, 2, static_cast<uint32_t>(headers + pixels.size()));
  putU32(b, 10, headers);
  putU32(b, 14, 40);
  putU32(b, 18, static_cast<uint32_t>(width));
  putU32(b, 22, static_cast<uint32_t>(height));
  putU16(b, 26, 1);
  putU16(b, 28, 8);
  putU32(b, 34, static_cast<uint32_t>(pixels.size()));
  putU32(b, 46, 256);
  for (int i = 0; i < 256; ++i) {
    b[54 + 4 * i] = static_cast<char>(i);
    b[55 + 4 * i] = static_cast<char>(i);
    b[56 + 4 * i] = static_cast<char>(i);
  }
  return b + pixels;
}

constexpr int kPixelsAt = 14 + 40 + 256 * 4;

QByteArray iconBytes() {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  for (int i = 0; i < 16; ++i) img.setPixel(i, i, qRgba(200, 30, 40, 255));
  QByteArray b;
  PictureToBytes(Picture::fromImage(img), b);
  return b;
}

void expectRaises(int number, const std::function<void()>& f) {
  try {
    f();
    ADD_FAILURE() << "no error raised";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, number) << e.description.toStdString();
  }
}

TEST(PictureCoding, IconPassesBothCodingsUnchanged) {
  const QByteArray icon = iconBytes();
  ASSERT_TRUE(icon.startsWith(QByteArray("\0\0\1\0", 4)));
  QByteArray b = icon;
  RleEncodeBitmap(b);
  EXPECT_EQ(b, icon);
  RleDecodeBitmap(b);
  EXPECT_EQ(b, icon);
}

TEST(PictureCoding, SixHundredEqualBytesGiveThreePairs) {
  const QByteArray plain = bitmap8(600, 1, QByteArray(600, '\x2A'));
  QByteArray b = plain;
  RleEncodeBitmap(b);
  ASSERT_EQ(b.size(), kPixelsAt + 6);
  EXPECT_EQ(b.mid(kPixelsAt), QByteArray("\xFF\x2A\xFF\x2A\x5A\x2A", 6));
  EXPECT_EQ(b[1], 'U');
  EXPECT_EQ(static_cast<uchar>(b[30]), 125);
  EXPECT_EQ(b.mid(2, 28), plain.mid(2, 28));

  RleDecodeBitmap(b);
  EXPECT_EQ(b, plain);
}

TEST(PictureCoding, RoundTripReloadsTheSamePicture) {
  QByteArray pixels;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) pixels.append(static_cast<char>(x < 8 ? 10 : 200 + y));
  const QByteArray plain = bitmap8(16, 16, pixels);
  QByteArray coded = plain;
  RleEncodeBitmap(coded);
  ASSERT_LT(coded.size(), plain.size() - 4);
  expectRaises(481, [&] { PictureFromBytes(coded); });

  QByteArray decoded = coded;
  RleDecodeBitmap(decoded);
  ASSERT_EQ(decoded.size(), plain.size());
  EXPECT_TRUE(decoded.startsWith("BM"));
  EXPECT_EQ(decoded[30], 0);
  const Picture a = PictureFromBytes(plain);
  const Picture b = PictureFromBytes(decoded);
  EXPECT_EQ(b.type(), PictureType::Bitmap);
  EXPECT_EQ(a.image(), b.image());
}

TEST(PictureCoding, BitmapWithoutRepeatsStaysPlain) {
  QByteArray pixels;
  for (int i = 0; i < 256; ++i) pixels.append(static_cast<char>(i));
  const QByteArray plain = bitmap8(256, 1, pixels);
  QByteArray b = plain;
  RleEncodeBitmap(b);
  EXPECT_EQ(b, plain);
}

TEST(PictureCoding, ShortPairsLeaveTheRestZero) {
  QByteArray coded = bitmap8(16, 1, QByteArray(16, '\x07'));
  coded[1] = 'U';
  coded[30] = 125;
  coded.truncate(kPixelsAt);
  coded.append("\x05\x07\x00\x09", 4);  // five 7s, then a pair of count 0
  RleDecodeBitmap(coded);
  ASSERT_EQ(coded.size(), kPixelsAt + 16);
  EXPECT_EQ(coded.mid(kPixelsAt), QByteArray(5, '\x07') + QByteArray(11, '\0'));
}

// Bitmaps the coded form cannot give back exactly are stored plain.
TEST(PictureCoding, EncoderKeepsBitmapsItCannotRestore) {
  const QByteArray base = bitmap8(64, 1, QByteArray(64, '\x01'));
  struct Case {
    const char* name;
    std::function<void(QByteArray&)> damage;
  };
  const std::vector<Case> cases = {
      {"bit fields compression", [](QByteArray& b) { b[30] = 3; }},
      {"compression in a higher byte", [](QByteArray& b) { b[31] = 1; }},
      {"12-byte header", [](QByteArray& b) { putU32(b, 14, 12); }},
      {"trailing bytes beyond the size", [](QByteArray& b) { b.append(QByteArray(40, '\x01')); }},
      {"size field larger than the file", [](QByteArray& b) { putU32(b, 2, static_cast<uint32_t>(b.size() + 10)); }},
  };
  for (const auto& c : cases) {
    QByteArray b = base;
    c.damage(b);
    const QByteArray before = b;
    RleEncodeBitmap(b);
    EXPECT_EQ(b, before) << c.name;
  }
}

TEST(PictureCoding, DamagedInputRaisesNineAndKeepsTheBytes) {
  const QByteArray good = [] {
    QByteArray b = bitmap8(600, 1, QByteArray(600, '\x2A'));
    RleEncodeBitmap(b);
    return b;
  }();
  struct Case {
    const char* name;
    bool decode;
    std::function<void(QByteArray&)> damage;
  };
  const std::vector<Case> cases = {
      {"coded header shorter than 31 bytes", true, [](QByteArray& b) { b.truncate(20); }},
      {"negative size", true, [](QByteArray& b) { putU32(b, 2, 0xFFFFFFF0u); }},
      {"huge size", true, [](QByteArray& b) { putU32(b, 2, 0x7FFFFFFFu); }},
      {"size below the header", true, [](QByteArray& b) { putU32(b, 2, 20); }},
      {"offset beyond the size", true, [](QByteArray& b) { putU16(b, 10, 0xF000); }},
      {"no pairs", true, [](QByteArray& b) { b.truncate(kPixelsAt); }},
      {"pairs past the size", true, [](QByteArray& b) { b.append("\xFF\x01\xFF\x01", 4); }},
      {"plain header shorter than 31 bytes", false, [](QByteArray& b) { b = QByteArray("BM\x10\0\0\0", 6); }},
      {"plain file shorter than its offset", false,
       [](QByteArray& b) {
         b = bitmap8(4, 1, QByteArray(4, '\x01'));
         b.truncate(kPixelsAt - 10);
         putU32(b, 2, static_cast<uint32_t>(b.size()));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QByteArray b = good;
    c.damage(b);
    const QByteArray before = b;
    expectRaises(9, [&] {
      if (c.decode)
        RleDecodeBitmap(b);
      else
        RleEncodeBitmap(b);
    });
    EXPECT_EQ(b, before);
  }
}

TEST(PictureObject, IconKeepsItsPixelsAndBytes) {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(qRgba(0, 0, 0, 0));
  img.setPixel(3, 4, qRgba(10, 20, 30, 255));
  img.setPixel(15, 0, qRgba(250, 128, 1, 128));
  const Picture pic = Picture::fromImage(img);
  EXPECT_EQ(pic.type(), PictureType::Icon);
  ASSERT_EQ(pic.image().size(), QSize(16, 16));
  const QImage back = pic.image().convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(back.pixel(3, 4), qRgba(10, 20, 30, 255));
  // The reader premultiplies half-transparent pixels; colours may be off by a step.
  EXPECT_EQ(qAlpha(back.pixel(15, 0)), 128);
  EXPECT_NEAR(qRed(back.pixel(15, 0)), 250, 2);
  EXPECT_NEAR(qGreen(back.pixel(15, 0)), 128, 2);
  EXPECT_EQ(qAlpha(back.pixel(0, 0)), 0);

  QByteArray bytes;
  PictureToBytes(pic, bytes);
  QByteArray again;
  PictureToBytes(PictureFromBytes(bytes), again);
  EXPECT_EQ(again, bytes);
}

TEST(PictureObject, BitmapFromImage) {
  QImage img(5, 3, QImage::Format_RGB32);
  img.fill(qRgb(1, 2, 3));
  const Picture pic = Picture::fromImage(img, PictureType::Bitmap);
  QByteArray bytes;
  PictureToBytes(pic, bytes);
  EXPECT_TRUE(bytes.startsWith("BM"));
  EXPECT_EQ(pic.type(), PictureType::Bitmap);
  EXPECT_EQ(pic.image().pixel(4, 2), qRgb(1, 2, 3));
}

TEST(PictureObject, EmptyAndUnreadableBytes) {
  const Picture empty = PictureFromBytes(QByteArray());
  EXPECT_TRUE(empty.isEmpty());
  QByteArray bytes("stale");
  PictureToBytes(empty, bytes);
  EXPECT_TRUE(bytes.isEmpty());

  expectRaises(481, [] { PictureFromBytes(QByteArray("no picture at all")); });
  expectRaises(481, [] { PictureFromBytes(iconBytes().left(30)); });
}

// Fields hold icons and bitmaps only: nothing else is decoded from them, however readable. A
// picture file may also be GIF, JPEG or PNG; no other format is decoded from either, and no
// icon directory longer than any real icon's or than its bytes.
TEST(PictureObject, EachSourceDecodesItsOwnFormatsOnly) {
  const auto encoded = [](const char* format) {
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 255));
    QByteArray b;
    QBuffer buffer(&b);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(img.save(&buffer, format)) << format;
    return b;
  };
  // One white pixel; Qt writes no GIF.
  const unsigned char gifBytes[] = {'G',  'I', 'F', '8', '9',  'a',  1, 0, 1, 0,    0x80, 0, 0,    0xFF, 0xFF,
                                    0xFF, 0,   0,   0,   0x21, 0xF9, 4, 1, 0, 0,    0,    0, 0x2C, 0,    0,
                                    0,    0,   1,   0,   1,    0,    0, 2, 2, 0x44, 1,    0, 0x3B};
  const QByteArray gif(reinterpret_cast<const char*>(gifBytes), sizeof gifBytes);
  struct Case {
    const char* name;
    QByteArray bytes;
    bool stored;  // read from a field
    bool file;    // read from a picture file
  } cases[] = {
      {"icon", iconBytes(), true, true},
      {"bitmap", encoded("BMP"), true, true},
      {"icon of 64 images", testenv::iconWithEntries(64), true, true},
      {"icon of 65 images", testenv::iconWithEntries(65), false, false},
      {"icon of 65535 images", testenv::iconWithEntries(65535), false, false},
      {"icon directory beyond the bytes", testenv::iconWithEntries(3).left(40), false, false},
      {"PNG", encoded("PNG"), false, true},
      {"JPEG", encoded("JPEG"), false, true},
      {"GIF", gif, false, true},
      {"SVG", testenv::svgPicture(), false, false},
      {"SVG behind blanks", "   " + testenv::svgPicture(), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.stored) {
      const Picture p = PictureFromBytes(c.bytes);
      EXPECT_FALSE(p.image().isNull());
      EXPECT_EQ(p.type(), c.bytes.startsWith("BM") ? PictureType::Bitmap : PictureType::Icon);
      QByteArray back;
      PictureToBytes(p, back);
      EXPECT_EQ(back, c.bytes);
    } else {
      expectRaises(481, [&] { PictureFromBytes(c.bytes); });
    }
    if (c.file) {
      EXPECT_FALSE(PictureFromFileBytes(c.bytes).image().isNull());
    } else {
      expectRaises(481, [&] { PictureFromFileBytes(c.bytes); });
    }
  }
}

}  // namespace
