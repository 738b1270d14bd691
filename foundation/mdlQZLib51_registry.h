#pragma once

// Text values of the registry. None of these routines reports an error: a missing key, a
// missing value or a value of another type gives the default or false.

#include "platform/registry/Registry.h"

#include <QString>

// The stored text (REG_SZ or REG_EXPAND_SZ, the latter not expanded), cut at its first NUL or,
// without one, trimmed of blanks at both ends; otherwise the default.
QString RegGetString(registry::HKEY hive, const QString& key, const QString& valueName, const QString& defaultValue);

// True when the key exists; nothing is created.
bool RegKeyExists(registry::HKEY hive, const QString& key);

// Writes the text as REG_SZ without a terminating NUL, creating missing keys on the path.
bool RegSetString(registry::HKEY hive, const QString& key, const QString& valueName, const QString& text);

// True when the key holds a value of that name (any type, any size).
bool RegValueExists(registry::HKEY hive, const QString& key, const QString& valueName);
