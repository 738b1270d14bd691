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
inline constexpr int32_t kErrTypeMismatch = 13;
inline constexpr int32_t kErrInternal = 51;
inline constexpr int32_t kErrPermissionDenied = 70;
inline constexpr int32_t kErrNoObject = 91;

// The error being handled: call inside a catch block. A RaisedError is returned as it is;
// std::bad_alloc and other exceptions become runtime errors 7 and 51 with their text. With
// no exception in flight the result has number 0 and empty texts.
RaisedError currentError();

}  // namespace rt
