#pragma once

// The library's own small message table and its way of raising errors (source "mdlLib").

#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>

// The codes of the table that the program uses.
inline constexpr int32_t kLibMsgNoSpace = 5;
inline constexpr int32_t kLibMsgDatabaseLost = 6;
inline constexpr int32_t kLibMsgScrollbarSize = 7;
inline constexpr int32_t kLibMsgDriveInaccessible = 9;
inline constexpr int32_t kLibMsgDeviceUnavailable = 10;
inline constexpr int32_t kLibMsgDiskNotReady = 11;
inline constexpr int32_t kLibMsgPathAccess = 12;
inline constexpr int32_t kLibMsgPathNotFound = 13;
inline constexpr int32_t kLibMsgUnknownError = 14;
inline constexpr int32_t kLibMsgFileMissing = 26;
inline constexpr int32_t kLibMsgReservedChars = 27;

// Library error number of code c: 0x80040400 + c.
int32_t LibErrorNumber(int32_t code);

QString GetLibMessageText(int32_t code);

// The text of code with its markers filled; an Empty (missing) or Null argument leaves its "##".
QString LibMessage(int32_t code, const rt::Variant& arg1 = rt::Variant(), const rt::Variant& arg2 = rt::Variant());

// number < 0: raises library code -number; 0: passes on the error being handled (call inside a
// catch block), with the source extended.
[[noreturn]] void RaiseLibError(int32_t number, QString source = QString(), const QString& procedure = QString(),
                                QString description = QString(), const rt::Variant& arg1 = rt::Variant(),
                                const rt::Variant& arg2 = rt::Variant());
