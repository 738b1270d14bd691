#pragma once

#include <QString>

#include <cstdint>
#include <exception>
#include <string>

namespace rt {

// A failure as the program carries it: number, source chain, description, help file and
// context, and the line within the routine that caught it (0: routines carry no lines).
class RaisedError : public std::exception {
 public:
  RaisedError() = default;
  RaisedError(int32_t number, QString source, QString description, QString helpFile = QString(),
              int32_t helpContext = 0, int32_t line = 0);

  int32_t number = 0;
  QString source;
  QString description;
  QString helpFile;
  int32_t helpContext = 0;
  int32_t line = 0;

  const char* what() const noexcept override;

 private:
  mutable std::string what_;
};

// Runtime error numbers the program raises itself or turns foreign exceptions into.
inline constexpr int32_t kErrInvalidArgument = 5;
inline constexpr int32_t kErrOverflow = 6;
inline constexpr int32_t kErrOutOfMemory = 7;
inline constexpr int32_t kErrSubscriptOutOfRange = 9;
inline constexpr int32_t kErrDivisionByZero = 11;
inline constexpr int32_t kErrTypeMismatch = 13;
inline constexpr int32_t kErrInternal = 51;
inline constexpr int32_t kErrBadFileName = 52;
inline constexpr int32_t kErrFileNotFound = 53;
inline constexpr int32_t kErrFileAlreadyOpen = 55;
inline constexpr int32_t kErrDeviceIO = 57;
inline constexpr int32_t kErrDiskFull = 61;
inline constexpr int32_t kErrTooManyFiles = 67;
inline constexpr int32_t kErrDeviceUnavailable = 68;
inline constexpr int32_t kErrPermissionDenied = 70;
inline constexpr int32_t kErrDiskNotReady = 71;
inline constexpr int32_t kErrPathFileAccess = 75;
inline constexpr int32_t kErrPathNotFound = 76;
inline constexpr int32_t kErrNoObject = 91;
inline constexpr int32_t kErrInvalidUseOfNull = 94;
inline constexpr int32_t kErrResourceNotFound = 326;
inline constexpr int32_t kErrNoSuchProperty = 438;
inline constexpr int32_t kErrKeyInUse = 457;
inline constexpr int32_t kErrInvalidPicture = 481;
// A list or tree control has no element of the key or index asked for.
inline constexpr int32_t kErrElementNotFound = 35601;

// Errors of the program's own objects count from the object error base 0x80040000; the
// library's own messages from 1024 above it.
inline constexpr int32_t kObjectErrorBase = static_cast<int32_t>(0x80040000u);
inline constexpr int32_t kLibraryErrorBase = static_cast<int32_t>(0x80040400u);

// The error being handled: call inside a catch block. A RaisedError is returned as it is;
// std::bad_alloc and other exceptions become runtime errors 7 and 51 with their text. With
// no exception in flight the result has number 0 and empty texts.
RaisedError currentError();

}  // namespace rt
