#pragma once

// HKEY_CLASSES_ROOT answered from the freedesktop MIME database, read-only:
//   ".txt"                    default value: the MIME type name ("text/plain")
//   "text/plain"              exists for every known MIME type
//   "text/plain\DefaultIcon"  default value: the type's icon name in the icon theme
// The root lists no subkeys: the database is not enumerated.

#include "platform/registry/Registry.h"

#include <QStringList>

namespace registry {

int32_t classesRootOpenKey(const QStringList& keys);
int32_t classesRootQueryValue(const QStringList& keys, const QString& name, Value& out);
int32_t classesRootEnumValues(const QStringList& keys, QStringList& names);
int32_t classesRootEnumKeys(const QStringList& keys, QStringList& names);

}  // namespace registry
