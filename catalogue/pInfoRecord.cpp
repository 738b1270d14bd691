#include "catalogue/pInfoRecord.h"

#include "foundation/mdlQZLib51_text.h"

#include <QLocale>

#include <cmath>

QString infoByteText(double bytes) {
  if (!(bytes > 0)) return QStringLiteral("0");
  return QLocale().toString(std::round(bytes), 'f', 0) + QStringLiteral(" Bytes (") +
         FormatFileSize(rt::Variant(bytes), 4, 1).toText() + QStringLiteral(")");
}

QString infoCountText(int32_t count) { return QLocale().toString(count); }
