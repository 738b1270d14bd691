#pragma once

// Picture bytes that cost a decoder dearly: an icon file whose directory names the same image
// many times over, and a picture in a vector format. Both decode to a real image when a
// decoder takes them.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace testenv {

// An icon file of `entries` directory entries (at most 65535, the field's limit), each naming
// the same 16 x 16 image of one colour.
inline QByteArray iconWithEntries(int entries, QColor colour = Qt::red) {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(colour);
  QByteArray one;
  {
    QBuffer b(&one);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "ICO");
  }
  const QByteArray entry = one.mid(6, 16);
  const QByteArray body = one.mid(22);
  QByteArray out;
  auto u16 = [&out](uint32_t v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
  };
  u16(0);
  u16(1);
  u16(uint32_t(entries));
  const uint32_t offset = 6 + 16 * uint32_t(entries);
  for (int i = 0; i < entries; ++i) {
    out.append(entry.left(12));
    for (int k = 0; k < 4; ++k) out.append(char((offset >> (8 * k)) & 0xFF));
  }
  return out + body;
}

// A small SVG picture: a red square.
inline QByteArray svgPicture() {
  return QByteArrayLiteral(
      "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">"
      "<rect width=\"16\" height=\"16\" fill=\"#ff0000\"/></svg>\n");
}

}  // namespace testenv
