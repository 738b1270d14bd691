#pragma once

// Pictures in long-binary fields: the plain form is the image of an icon file (00 00 01 00)
// or of a bitmap file ("BM"); bitmaps may also be stored run-length coded ("BU").

#include "platform/jet/Field.h"
#include "platform/runtime/RaisedError.h"

#include <QByteArray>
#include <QImage>

#include <optional>

enum class PictureType { None = 0, Bitmap = 1, Icon = 3 };

// A picture as fields hold it: the file image it was loaded from (stored back byte for
// byte) and the decoded image. A default-constructed picture is empty.
class Picture {
 public:
  Picture() = default;

  // A new picture from an image: an icon (one 32-bit entry with alpha) or a bitmap file.
  static Picture fromImage(const QImage& image, PictureType type = PictureType::Icon);

  PictureType type() const { return type_; }
  bool isEmpty() const { return type_ == PictureType::None; }
  const QImage& image() const { return image_; }

 private:
  friend Picture PictureFromBytes(const QByteArray& bytes);
  friend Picture PictureFromFileBytes(const QByteArray& bytes);
  friend void PictureToBytes(const Picture& picture, QByteArray& bytes);
  // The bytes decoded in the format named (none: no picture).
  static Picture decoded(const QByteArray& bytes, const char* format);

  PictureType type_ = PictureType::None;
  QByteArray fileBytes_;
  QImage image_;
};

// Error 481 of the picture loader: bytes that are no picture it reads, or no picture at all.
[[noreturn]] void raiseInvalidPicture();

// A picture of a field: an icon (or cursor) file or a bitmap file, the forms the program stores.
// No bytes give the empty picture; anything else, or bytes that are no readable picture of
// these forms, raise error 481. An icon file naming more images than real icons hold is none.
Picture PictureFromBytes(const QByteArray& bytes);

// A picture file as the picture loader reads it: the forms above, GIF, JPEG or PNG; no other
// format is decoded. Errors as PictureFromBytes.
Picture PictureFromFileBytes(const QByteArray& bytes);

// The picture's plain field form (nothing for the empty picture).
void PictureToBytes(const Picture& picture, QByteArray& bytes);

// "BU" run-length form back to the bitmap file; anything else passes unchanged. A damaged
// field raises error 9 and leaves the bytes as they were.
void RleDecodeBitmap(QByteArray& bytes);

// An uncompressed bitmap file into the "BU" form when that is more than 4 bytes shorter;
// anything else (icons, coded bitmaps, bitmaps the form cannot carry) passes unchanged.
void RleEncodeBitmap(QByteArray& bytes);

// No picture when the field is Null; else its whole content, decoded and loaded. Errors of
// the field, the coding and the picture reach the caller.
std::optional<Picture> ReadPictureField(const jet::Field& field);

// True for the errors of a stored picture that cannot be read (481 no picture, 9 a damaged
// coding), false for those of the field or the catalogue.
bool isPictureError(const rt::RaisedError& e);

// Stores the plain form (run-length coded when `compress` and the picture is a bitmap that
// gains by it). The caller holds the record in AddNew or Edit and updates it afterwards.
void WritePictureField(const Picture& picture, jet::Field field, bool compress);

// The same for a field's content as read (nothing: Null) and the bytes a field is given.
std::optional<Picture> PictureOfFieldBytes(std::optional<QByteArray> bytes);
QByteArray PictureFieldBytes(const Picture& picture, bool compress);
