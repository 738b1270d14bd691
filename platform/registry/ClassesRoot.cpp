#include "platform/registry/ClassesRoot.h"

#include <QMimeDatabase>
#include <QMimeType>

namespace registry {

namespace {

const QString kDefaultIcon = QStringLiteral("DefaultIcon");

// What a key path names in the database.
struct ClassKey {
  enum Kind { None, Root, Extension, Type, Icon } kind = None;
  QMimeType type;
};

ClassKey resolve(const QStringList& keys) {
  ClassKey r;
  if (keys.isEmpty()) {
    r.kind = ClassKey::Root;
    return r;
  }
  QMimeDatabase db;
  const QString& first = keys.first();
  if (first.startsWith(QLatin1Char('.'))) {
    if (keys.size() != 1 || first.size() < 2) return r;
    const QList<QMimeType> types = db.mimeTypesForFileName(QStringLiteral("x") + first);
    if (types.isEmpty()) return r;
    r.kind = ClassKey::Extension;
    r.type = types.first();
    return r;
  }
  if (keys.size() > 2 || !first.contains(QLatin1Char('/'))) return r;
  const QMimeType t = db.mimeTypeForName(first.toLower());
  if (!t.isValid()) return r;
  r.type = t;
  if (keys.size() == 1) {
    r.kind = ClassKey::Type;
  } else if (keys[1].compare(kDefaultIcon, Qt::CaseInsensitive) == 0) {
    r.kind = ClassKey::Icon;
  }
  return r;
}

}  // namespace

int32_t classesRootOpenKey(const QStringList& keys) {
  return resolve(keys).kind == ClassKey::None ? kNotFound : kSuccess;
}

int32_t classesRootQueryValue(const QStringList& keys, const QString& name, Value& out) {
  const ClassKey k = resolve(keys);
  if (!name.isEmpty()) return kNotFound;
  switch (k.kind) {
    case ClassKey::Extension:
      out = Value::text(k.type.name());
      return kSuccess;
    case ClassKey::Icon: {
      const QString icon = k.type.iconName().isEmpty() ? k.type.genericIconName() : k.type.iconName();
      if (icon.isEmpty()) return kNotFound;
      out = Value::text(icon);
      return kSuccess;
    }
    default:
      return kNotFound;
  }
}

int32_t classesRootEnumValues(const QStringList& keys, QStringList& names) {
  names.clear();
  const ClassKey k = resolve(keys);
  if (k.kind == ClassKey::None) return kNotFound;
  Value v;
  if (classesRootQueryValue(keys, QString(), v) == kSuccess) names << QString();
  return kSuccess;
}

int32_t classesRootEnumKeys(const QStringList& keys, QStringList& names) {
  names.clear();
  const ClassKey k = resolve(keys);
  if (k.kind == ClassKey::None) return kNotFound;
  if (k.kind == ClassKey::Type) names << kDefaultIcon;
  return kSuccess;
}

}  // namespace registry
