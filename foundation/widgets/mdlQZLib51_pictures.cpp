#include "foundation/widgets/mdlQZLib51_pictures.h"

#include "foundation/mdlQZLib51_records.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RaisedError.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>

namespace {

// A damaged size field must not make us allocate gigabytes; no picture of a catalogue
// comes near this.
constexpr int32_t kMaxBitmapBytes = 64 * 1024 * 1024;

// Real icon files hold a few dozen images at most (sizes times colour depths).
constexpr qsizetype kMaxIconEntries = 64;

constexpr qsizetype kHeaderEnd = 31;      // bytes 0..30 hold every field the coding touches
constexpr qsizetype kCompressionAt = 30;  // low byte of the info header's compression field
constexpr char kCodedMarker = 125;

[[noreturn]] void raiseSubscript() {
  throw rt::RaisedError(rt::kErrSubscriptOutOfRange, rt::App::exeName(),
                        QStringLiteral("Index außerhalb des gültigen Bereichs."));
}

// Callers check the bounds first.
int32_t int32At(const QByteArray& b, qsizetype at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uchar>(b[at + i]);
  return static_cast<int32_t>(v);
}

qsizetype uint16At(const QByteArray& b, qsizetype at) {
  return static_cast<uchar>(b[at]) | (static_cast<uchar>(b[at + 1]) << 8);
}

void appendUInt16(QByteArray& b, uint16_t v) {
  b.append(static_cast<char>(v & 0xFF));
  b.append(static_cast<char>(v >> 8));
}

void appendUInt32(QByteArray& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool isIconFile(const QByteArray& b) {
  // Icon (type 1) or cursor (type 2) directory.
  return b.size() >= 4 && b[0] == 0 && b[1] == 0 && (b[2] == 1 || b[2] == 2) && b[3] == 0;
}

// Decodes in the one format named, never in one guessed from the content: a decoder of another
// format (a vector format above all) may take seconds over a few hostile kilobytes.
QImage decodeAs(const QByteArray& bytes, const char* format) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setAutoDetectImageFormat(false);
  reader.setDecideFormatFromContent(false);
  return reader.read();
}

// The formats fields hold: the icon (or cursor) file and the bitmap file. An icon directory is
// refused when it names more images than an icon has or more than the bytes hold; every image
// of an icon is decoded when it is drawn.
const char* storedFormat(const QByteArray& b) {
  if (isIconFile(b)) {
    const qsizetype entries = b.size() >= 6 ? uint16At(b, 4) : 0;
    return entries >= 1 && entries <= kMaxIconEntries && b.size() >= 6 + 16 * entries ? "ICO" : nullptr;
  }
  return b.startsWith("BM") ? "BMP" : nullptr;
}

// The raster formats picture files come in besides the stored ones.
const char* fileFormat(const QByteArray& b) {
  if (const char* stored = storedFormat(b)) return stored;
  if (b.startsWith("GIF87a") || b.startsWith("GIF89a")) return "GIF";
  if (b.startsWith("\xFF\xD8\xFF")) return "JPEG";
  if (b.startsWith("\x89PNG\r\n\x1A\n")) return "PNG";
  return nullptr;
}

// One 32-bit entry: BGRA pixels bottom-up, then the AND mask (set where fully transparent).
QByteArray encodeIcon(const QImage& source) {
  const QImage img = source.convertToFormat(QImage::Format_ARGB32);
  const int w = img.width();
  const int h = img.height();
  if (w < 1 || h < 1 || w > 256 || h > 256)
    throw rt::RaisedError(rt::kErrInvalidArgument, rt::App::exeName(),
                          QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument."));
  const int maskStride = ((w + 31) / 32) * 4;
  const uint32_t pixelBytes = static_cast<uint32_t>(w) * static_cast<uint32_t>(h) * 4;
  const uint32_t maskBytes = static_cast<uint32_t>(maskStride) * static_cast<uint32_t>(h);
  const uint32_t dibBytes = 40 + pixelBytes + maskBytes;

  QByteArray b;
  b.reserve(static_cast<qsizetype>(22 + dibBytes));
  appendUInt16(b, 0);  // directory: reserved, type icon, one entry
  appendUInt16(b, 1);
  appendUInt16(b, 1);
  b.append(static_cast<char>(w & 0xFF));  // 256 is written as 0
  b.append(static_cast<char>(h & 0xFF));
  b.append('\0');  // no palette
  b.append('\0');
  appendUInt16(b, 1);   // planes
  appendUInt16(b, 32);  // bits per pixel
  appendUInt32(b, dibBytes);
  appendUInt32(b, 22);  // offset of the image

  appendUInt32(b, 40);
  appendUInt32(b, static_cast<uint32_t>(w));
  appendUInt32(b, static_cast<uint32_t>(h) * 2);  // pixels and mask together
  appendUInt16(b, 1);
  appendUInt16(b, 32);
  appendUInt32(b, 0);  // uncompressed
  appendUInt32(b, pixelBytes + maskBytes);
  for (int i = 0; i < 4; ++i) appendUInt32(b, 0);

  for (int y = h - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      const QRgb p = line[x];
      b.append(static_cast<char>(qBlue(p)));
      b.append(static_cast<char>(qGreen(p)));
      b.append(static_cast<char>(qRed(p)));
      b.append(static_cast<char>(qAlpha(p)));
    }
  }
  for (int y = h - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    QByteArray row(maskStride, '\0');
    for (int x = 0; x < w; ++x)
      if (qAlpha(line[x]) == 0) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    b.append(row);
  }
  return b;
}

QByteArray encodeBitmap(const QImage& image) {
  QByteArray b;
  QBuffer buffer(&b);
  buffer.open(QIODevice::WriteOnly);
  if (image.isNull() || !image.save(&buffer, "BMP"))
    throw rt::RaisedError(rt::kErrInvalidArgument, rt::App::exeName(),
                          QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument."));
  return b;
}

}  // namespace

void raiseInvalidPicture() {
  throw rt::RaisedError(rt::kErrInvalidPicture, rt::App::exeName(), QStringLiteral("Ungültiges Bild."));
}

Picture Picture::fromImage(const QImage& image, PictureType type) {
  if (type == PictureType::None) return Picture();
  return PictureFromBytes(type == PictureType::Icon ? encodeIcon(image) : encodeBitmap(image));
}

Picture Picture::decoded(const QByteArray& bytes, const char* format) {
  Picture p;
  if (bytes.isEmpty()) return p;
  if (!format) raiseInvalidPicture();
  p.image_ = decodeAs(bytes, format);
  if (p.image_.isNull()) raiseInvalidPicture();
  p.type_ = qstrcmp(format, "ICO") == 0 ? PictureType::Icon : PictureType::Bitmap;
  p.fileBytes_ = bytes;
  return p;
}

Picture PictureFromBytes(const QByteArray& bytes) { return Picture::decoded(bytes, storedFormat(bytes)); }

Picture PictureFromFileBytes(const QByteArray& bytes) { return Picture::decoded(bytes, fileFormat(bytes)); }

void PictureToBytes(const Picture& picture, QByteArray& bytes) { bytes = picture.fileBytes_; }

void RleDecodeBitmap(QByteArray& bytes) {
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'U') return;
  const QByteArray& in = bytes;
  if (in.size() < kHeaderEnd) raiseSubscript();
  const int32_t s = int32At(in, 2);
  const qsizetype p = uint16At(in, 10);
  // The header must fit the output and the input must hold it and at least one pair.
  if (s < kHeaderEnd || s > kMaxBitmapBytes || p > s || in.size() < p + 2) raiseSubscript();

  QByteArray out(s, '\0');
  std::memcpy(out.data(), in.constData(), static_cast<size_t>(p));
  const qsizetype last = in.size() - 1;
  qsizetype o = p;
  for (qsizetype i = p;; i += 2) {
    const qsizetype count = static_cast<uchar>(in[i]);
    if (o + count > s) raiseSubscript();
    std::memset(out.data() + o, in[i + 1], static_cast<size_t>(count));
    o += count;
    if (i >= last - 2) break;
  }
  out[1] = 'M';
  out[kCompressionAt] = 0;
  bytes = out;
}

void RleEncodeBitmap(QByteArray& bytes) {
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return;
  const QByteArray& in = bytes;
  const qsizetype n = in.size();
  if (n < kHeaderEnd) raiseSubscript();
  const int32_t s = int32At(in, 2);
  const qsizetype p = uint16At(in, 10);
  if (p >= n || s < p) raiseSubscript();

  // Decoding restores the size field's length and a zero compression byte, and copies the
  // headers up to P; store only what comes back exactly.
  const int32_t infoSize = int32At(in, 14);
  if (s != n || infoSize < 40 || p < 14 + static_cast<qsizetype>(infoSize) || int32At(in, kCompressionAt) != 0) return;

  QByteArray work(static_cast<qsizetype>(s) + 1, '\0');
  std::memcpy(work.data(), in.constData(), static_cast<size_t>(p));
  qsizetype w = p - 1;
  auto writePair = [&](int count, char value) {
    if (w + 2 > s) raiseSubscript();
    work[w + 1] = static_cast<char>(count);
    work[w + 2] = value;
    w += 2;
  };
  char value = in[p];
  int count = 1;
  for (qsizetype k = p + 1; k < n; ++k) {
    const char c = in[k];
    if (c == value) ++count;
    if (c != value || count == 256) {
      writePair(count == 256 ? 255 : count, value);
      value = c;
      count = 1;
    }
    if (s <= w + 4) return;  // not worth it: keep the plain bitmap
  }
  writePair(count, value);
  work.truncate(w + 1);
  work[1] = 'U';
  work[kCompressionAt] = kCodedMarker;
  bytes = work;
}

std::optional<Picture> PictureOfFieldBytes(std::optional<QByteArray> bytes) {
  if (!bytes) return std::nullopt;
  RleDecodeBitmap(*bytes);
  return PictureFromBytes(*bytes);
}

bool isPictureError(const rt::RaisedError& e) {
  return e.number == rt::kErrInvalidPicture || e.number == rt::kErrSubscriptOutOfRange;
}

QByteArray PictureFieldBytes(const Picture& picture, bool compress) {
  QByteArray bytes;
  PictureToBytes(picture, bytes);
  if (compress) RleEncodeBitmap(bytes);
  return bytes;
}

std::optional<Picture> ReadPictureField(const jet::Field& field) { return PictureOfFieldBytes(LongBinaryValue(field)); }

void WritePictureField(const Picture& picture, jet::Field field, bool compress) {
  SetLongBinaryValue(field, PictureFieldBytes(picture, compress));
}
