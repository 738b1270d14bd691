#pragma once

// The registry store: named values under hierarchical keys, per hive.
//
// HKEY_CURRENT_USER is one file in the user's configuration folder ($ZUVRAX_REGISTRY_DIR, else
// $XDG_CONFIG_HOME/zuvrax, else ~/.config/zuvrax). HKEY_LOCAL_MACHINE is read from a system
// file ($ZUVRAX_HKLM_FILE, else /etc/zuvrax/hklm.json) and never written. HKEY_CLASSES_ROOT is
// answered from the MIME database and never written.
//
// Key paths are relative to the hive and use "\" between names; leading, trailing and doubled
// separators are ignored, so "" is the hive itself. Key and value names compare without regard
// to case and keep the case they were first written with. The value name "" is the key's
// default value. Every call reports a Windows-like result code instead of throwing.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace registry {

using HKEY = uint32_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

// Result codes, numbered as their Windows counterparts.
inline constexpr int32_t kSuccess = 0;
inline constexpr int32_t kNotFound = 2;
inline constexpr int32_t kAccessDenied = 5;
inline constexpr int32_t kInvalidHandle = 6;
inline constexpr int32_t kInvalidParameter = 87;
inline constexpr int32_t kCantWrite = 1013;

// Value types.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

// A stored value: its type and its data. Texts (REG_SZ, REG_EXPAND_SZ) are UTF-8 bytes, as
// written (a text written by another program may carry NUL characters); REG_DWORD is 4 bytes,
// little-endian.
struct Value {
  uint32_t type = REG_NONE;
  QByteArray data;

  static Value text(const QString& s, uint32_t type = REG_SZ) { return {type, s.toUtf8()}; }
  static Value dword(uint32_t n);
  QString toText() const { return QString::fromUtf8(data); }
};

// kSuccess when the key exists, kNotFound when not; nothing is created.
int32_t openKey(HKEY hive, const QString& path);
// Creates every missing key on the path.
int32_t createKey(HKEY hive, const QString& path);
int32_t queryValue(HKEY hive, const QString& path, const QString& name, Value& out);
// Creates the key path when missing; a value of the same name (any case) is replaced and
// keeps its stored name.
int32_t setValue(HKEY hive, const QString& path, const QString& name, const Value& value);
int32_t deleteValue(HKEY hive, const QString& path, const QString& name);

// One change to a value of a key: set it to value, or delete it when value is empty.
struct ValueChange {
  QString name;
  std::optional<Value> value;
};
// Applies the changes in order to the key (made when missing) and writes the hive once, so a
// list of any length costs one write. Deleting a value that does not exist is no error.
int32_t changeValues(HKEY hive, const QString& path, const std::vector<ValueChange>& changes);
// Deletes the key with everything below it. The hive itself cannot be deleted.
int32_t deleteKey(HKEY hive, const QString& path);
// Names as stored, in the order they were first written.
int32_t enumValues(HKEY hive, const QString& path, QStringList& names);
int32_t enumKeys(HKEY hive, const QString& path, QStringList& names);

// The files behind the hives, as the environment gives them now.
QString userHiveFile();
QString machineHiveFile();

}  // namespace registry
