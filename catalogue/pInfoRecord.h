#pragma once

// What the three info records share: the record id and the display texts of their numbers.

#include <QString>

#include <cstdint>

class pInfoRecord {
 public:
  virtual ~pInfoRecord() = default;
  int32_t ID = 0;
};

// "1.536 Bytes (1,5 KB)" in the user's locale; "0" for 0 or less.
QString infoByteText(double bytes);
// The count with the locale's thousands separator.
QString infoCountText(int32_t count);
