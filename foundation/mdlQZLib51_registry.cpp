#include "foundation/mdlQZLib51_registry.h"

#include "foundation/mdlQZLib51_text.h"

QString RegGetString(registry::HKEY hive, const QString& key, const QString& valueName, const QString& defaultValue) {
  registry::Value v;
  if (registry::queryValue(hive, key, valueName, v) != registry::kSuccess) return defaultValue;
  if (v.type != registry::REG_SZ && v.type != registry::REG_EXPAND_SZ) return defaultValue;
  return TrimAtNull(v.toText());
}

bool RegKeyExists(registry::HKEY hive, const QString& key) {
  return registry::openKey(hive, key) == registry::kSuccess;
}

bool RegSetString(registry::HKEY hive, const QString& key, const QString& valueName, const QString& text) {
  return registry::setValue(hive, key, valueName, registry::Value::text(text)) == registry::kSuccess;
}

bool RegValueExists(registry::HKEY hive, const QString& key, const QString& valueName) {
  registry::Value ignored;
  return registry::queryValue(hive, key, valueName, ignored) == registry::kSuccess;
}
