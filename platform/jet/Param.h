#pragma once

// A value for a `?` marker of a statement, bound as it is: whole numbers as integers, numbers
// and OLE dates as reals, texts as the UTF-8 bytes the caller holds, without a detour through a
// variant, a QString or a copy. Texts and bytes refer to the caller's storage, which must stay
// unchanged until the statement has run.

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <cstdint>
#include <string_view>

namespace jet {

class Param {
 public:
  enum class Kind { Null, Long, Double, Utf8, Text, Binary };

  // Null.
  Param() = default;
  explicit Param(int32_t n) : kind_(Kind::Long), long_(n) {}
  explicit Param(int64_t n) : kind_(Kind::Long), long_(n) {}
  explicit Param(double d) : kind_(Kind::Double), double_(d) {}

  static Param null() { return Param(); }
  // An OLE date (days since 1899-12-30), stored as the real it is.
  static Param date(double oleDate) { return Param(oleDate); }
  // Bytes that are valid UTF-8 (the caller checks; SQLite stores them unchecked).
  static Param utf8(std::string_view bytes) {
    Param p;
    p.kind_ = Kind::Utf8;
    p.bytes_ = bytes;
    return p;
  }
  // The same for UTF-8 held by a QByteArray. When the array has storage of its own, a NUL
  // follows the bytes there, and SQLite reads the text in place where it needs a C string (a
  // CHECK of the text's length does) instead of copying it for each row.
  static Param utf8(const QByteArray& bytes) {
    Param p = utf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    // Raw data borrowed from elsewhere has no capacity.
    p.terminated_ = bytes.capacity() > 0;
    return p;
  }
  // Characters, stored in UTF-8 as every text the engine binds (see rt::encodeUtf8).
  static Param text(QStringView text) {
    Param p;
    p.kind_ = Kind::Text;
    p.text_ = text;
    return p;
  }
  static Param binary(QByteArrayView bytes) {
    Param p;
    p.kind_ = Kind::Binary;
    p.bytes_ = std::string_view(bytes.data(), static_cast<size_t>(bytes.size()));
    return p;
  }

  Kind kind() const { return kind_; }
  int64_t toLong() const { return long_; }
  double toDouble() const { return double_; }
  // Utf8 and Binary.
  std::string_view bytes() const { return bytes_; }
  // Utf8 bytes followed by a NUL in their storage.
  bool terminated() const { return terminated_; }
  QStringView textView() const { return text_; }

 private:
  Kind kind_ = Kind::Null;
  int64_t long_ = 0;
  double double_ = 0;
  std::string_view bytes_;
  bool terminated_ = false;
  QStringView text_;
};

}  // namespace jet
