#include "platform/registry/Registry.h"

#include "platform/registry/ClassesRoot.h"
#include "platform/registry/HiveFile.h"

#include <QDir>

#include <map>
#include <memory>
#include <mutex>

namespace registry {

namespace {

QStringList splitPath(const QString& path) { return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts); }

// One HiveFile per file path, so moving the folder (tests do) simply starts another one.
HiveFile* hiveFor(HKEY hive) {
  static std::mutex mutex;
  static std::map<QString, std::unique_ptr<HiveFile>> files;
  QString path;
  bool writable = false;
  if (hive == HKEY_CURRENT_USER) {
    path = userHiveFile();
    writable = true;
  } else if (hive == HKEY_LOCAL_MACHINE) {
    path = machineHiveFile();
  } else {
    return nullptr;
  }
  std::lock_guard lock(mutex);
  auto& slot = files[QString::number(writable) + path];
  if (!slot) slot = std::make_unique<HiveFile>(path, writable);
  return slot.get();
}

}  // namespace

QString userHiveFile() {
  QString dir = qEnvironmentVariable("ZUVRAX_REGISTRY_DIR");
  if (dir.isEmpty()) {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    dir = config + QStringLiteral("/zuvrax");
  }
  return dir + QStringLiteral("/hkcu.json");
}

QString machineHiveFile() {
  const QString file = qEnvironmentVariable("ZUVRAX_HKLM_FILE");
  return file.isEmpty() ? QStringLiteral("/etc/zuvrax/hklm.json") : file;
}

int32_t openKey(HKEY hive, const QString& path) {
  if (hive == HKEY_CLASSES_ROOT) return classesRootOpenKey(splitPath(path));
  HiveFile* h = hiveFor(hive);
  return h ? h->openKey(splitPath(path)) : kInvalidHandle;
}

int32_t createKey(HKEY hive, const QString& path) {
  if (hive == HKEY_CLASSES_ROOT) {
    return classesRootOpenKey(splitPath(path)) == kSuccess ? kSuccess : kAccessDenied;
  }
  HiveFile* h = hiveFor(hive);
  return h ? h->createKey(splitPath(path)) : kInvalidHandle;
}

int32_t queryValue(HKEY hive, const QString& path, const QString& name, Value& out) {
  if (hive == HKEY_CLASSES_ROOT) return classesRootQueryValue(splitPath(path), name, out);
  HiveFile* h = hiveFor(hive);
  return h ? h->queryValue(splitPath(path), name, out) : kInvalidHandle;
}

int32_t setValue(HKEY hive, const QString& path, const QString& name, const Value& value) {
  if (hive == HKEY_CLASSES_ROOT) return kAccessDenied;
  HiveFile* h = hiveFor(hive);
  return h ? h->setValue(splitPath(path), name, value) : kInvalidHandle;
}

int32_t deleteValue(HKEY hive, const QString& path, const QString& name) {
  if (hive == HKEY_CLASSES_ROOT) {
    Value ignored;
    return classesRootQueryValue(splitPath(path), name, ignored) == kSuccess ? kAccessDenied : kNotFound;
  }
  HiveFile* h = hiveFor(hive);
  return h ? h->deleteValue(splitPath(path), name) : kInvalidHandle;
}

int32_t changeValues(HKEY hive, const QString& path, const std::vector<ValueChange>& changes) {
  if (hive == HKEY_CLASSES_ROOT) return kAccessDenied;
  HiveFile* h = hiveFor(hive);
  return h ? h->changeValues(splitPath(path), changes) : kInvalidHandle;
}

int32_t deleteKey(HKEY hive, const QString& path) {
  if (hive == HKEY_CLASSES_ROOT) return classesRootOpenKey(splitPath(path)) == kSuccess ? kAccessDenied : kNotFound;
  HiveFile* h = hiveFor(hive);
  return h ? h->deleteKey(splitPath(path)) : kInvalidHandle;
}

int32_t enumValues(HKEY hive, const QString& path, QStringList& names) {
  if (hive == HKEY_CLASSES_ROOT) return classesRootEnumValues(splitPath(path), names);
  HiveFile* h = hiveFor(hive);
  return h ? h->enumValues(splitPath(path), names) : kInvalidHandle;
}

int32_t enumKeys(HKEY hive, const QString& path, QStringList& names) {
  if (hive == HKEY_CLASSES_ROOT) return classesRootEnumKeys(splitPath(path), names);
  HiveFile* h = hiveFor(hive);
  return h ? h->enumKeys(splitPath(path), names) : kInvalidHandle;
}

}  // namespace registry
