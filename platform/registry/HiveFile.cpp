#include "platform/registry/HiveFile.h"

#include "platform/runtime/FileReplacement.h"
#include "platform/runtime/RaisedError.h"
#include "platform/runtime/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

#include <utility>

namespace registry {

namespace {

const QString kFormat = QStringLiteral("zuvrax-registry 1");

// Names compare without regard to case: two names are the same when their folded forms are.
QString folded(const QString& name) { return name.toCaseFolded(); }

// A hive is a small text file. Anything else in its place (a FIFO would block the start, a
// link to a device would be read without end) or a file far beyond any hive's size is damaged.
constexpr qint64 kMaxHiveBytes = qint64(64) << 20;

enum class HiveRead { Read, Unreadable, Damaged };

HiveRead readHive(const QString& path, QByteArray& bytes) {
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  if (::stat(native.constData(), &st) == 0) {
    // A folder is no file the hive could be read from, nor a hostile one; it stays.
    if (S_ISDIR(st.st_mode)) return HiveRead::Unreadable;
    // A socket cannot even be opened.
    if (!S_ISREG(st.st_mode)) return HiveRead::Damaged;
  }
  // A FIFO put in the file's place meanwhile is seen for what it is.
  rt::WholeFile file = rt::readWholeFile(native, kMaxHiveBytes);
  switch (file.outcome) {
    case rt::WholeFile::Outcome::Read:
      bytes = std::move(file.bytes);
      return HiveRead::Read;
    case rt::WholeFile::Outcome::Directory:
    case rt::WholeFile::Outcome::Failed:
      return HiveRead::Unreadable;
    case rt::WholeFile::Outcome::NotRegular:
    case rt::WholeFile::Outcome::TooLarge:
      return HiveRead::Damaged;
  }
  return HiveRead::Damaged;
}

QString typeName(uint32_t type) {
  switch (type) {
    case REG_SZ:
      return QStringLiteral("sz");
    case REG_EXPAND_SZ:
      return QStringLiteral("expand_sz");
    case REG_DWORD:
      return QStringLiteral("dword");
    default:
      return QString();
  }
}

QJsonObject toJson(const HiveFile::Node& node) {
  QJsonObject o;
  o.insert(QStringLiteral("name"), node.name);
  QJsonArray values;
  for (const auto& v : node.values()) {
    QJsonObject jv;
    jv.insert(QStringLiteral("name"), v.name);
    const QString t = typeName(v.value.type);
    if (v.value.type == REG_SZ || v.value.type == REG_EXPAND_SZ) {
      jv.insert(QStringLiteral("type"), t);
      jv.insert(QStringLiteral("data"), QString::fromUtf8(v.value.data));
    } else if (v.value.type == REG_DWORD && v.value.data.size() == 4) {
      jv.insert(QStringLiteral("type"), t);
      uint32_t n = 0;
      for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<uint8_t>(v.value.data[i]);
      jv.insert(QStringLiteral("data"), static_cast<double>(n));
    } else {
      jv.insert(QStringLiteral("type"), static_cast<double>(v.value.type));
      jv.insert(QStringLiteral("hex"), QString::fromLatin1(v.value.data.toHex()));
    }
    values.append(jv);
  }
  if (!values.isEmpty()) o.insert(QStringLiteral("values"), values);
  QJsonArray keys;
  for (const auto& k : node.keys()) keys.append(toJson(*k));
  if (!keys.isEmpty()) o.insert(QStringLiteral("keys"), keys);
  return o;
}

// False when the object is not a well-formed key.
bool fromJson(const QJsonObject& o, HiveFile::Node& node) {
  if (!o.value(QStringLiteral("name")).isString()) return false;
  node.name = o.value(QStringLiteral("name")).toString();
  const QJsonValue values = o.value(QStringLiteral("values"));
  if (!values.isUndefined() && !values.isArray()) return false;
  for (const QJsonValue& jv : values.toArray()) {
    if (!jv.isObject()) return false;
    const QJsonObject v = jv.toObject();
    if (!v.value(QStringLiteral("name")).isString()) return false;
    HiveFile::NamedValue nv{v.value(QStringLiteral("name")).toString(), {}};
    const QJsonValue type = v.value(QStringLiteral("type"));
    const QJsonValue data = v.value(QStringLiteral("data"));
    if (type == QJsonValue(QStringLiteral("sz")) || type == QJsonValue(QStringLiteral("expand_sz"))) {
      if (!data.isString()) return false;
      nv.value = Value::text(data.toString(), type.toString() == QLatin1String("sz") ? REG_SZ : REG_EXPAND_SZ);
    } else if (type == QJsonValue(QStringLiteral("dword"))) {
      const double d = data.toDouble(-1);
      if (!data.isDouble() || d < 0 || d > 4294967295.0) return false;
      nv.value = Value::dword(static_cast<uint32_t>(d));
    } else if (type.isDouble() && type.toDouble() >= 0 && type.toDouble() <= 4294967295.0) {
      const QJsonValue hex = v.value(QStringLiteral("hex"));
      if (!hex.isString()) return false;
      nv.value.type = static_cast<uint32_t>(type.toDouble());
      nv.value.data = QByteArray::fromHex(hex.toString().toLatin1());
    } else {
      return false;
    }
    if (node.value(nv.name)) return false;
    node.addValue(std::move(nv));
  }
  const QJsonValue keys = o.value(QStringLiteral("keys"));
  if (!keys.isUndefined() && !keys.isArray()) return false;
  for (const QJsonValue& jk : keys.toArray()) {
    if (!jk.isObject()) return false;
    auto child = std::make_unique<HiveFile::Node>();
    if (!fromJson(jk.toObject(), *child) || child->name.isEmpty() || node.child(child->name)) return false;
    node.addChild(std::move(child));
  }
  return true;
}

}  // namespace

Value Value::dword(uint32_t n) {
  QByteArray b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
  return {REG_DWORD, b};
}

HiveFile::Node* HiveFile::Node::child(const QString& n) const {
  const auto it = keyAt_.constFind(folded(n));
  return it == keyAt_.constEnd() ? nullptr : keys_[*it].get();
}

HiveFile::NamedValue* HiveFile::Node::value(const QString& n) {
  const auto it = valueAt_.constFind(folded(n));
  return it == valueAt_.constEnd() ? nullptr : &values_[*it];
}

HiveFile::Node* HiveFile::Node::addChild(std::unique_ptr<Node> child) {
  keyAt_.insert(folded(child->name), keys_.size());
  keys_.push_back(std::move(child));
  return keys_.back().get();
}

void HiveFile::Node::addValue(NamedValue v) {
  valueAt_.insert(folded(v.name), values_.size());
  values_.push_back(std::move(v));
}

void HiveFile::Node::eraseChild(const QString& n) {
  const auto it = keyAt_.constFind(folded(n));
  if (it == keyAt_.constEnd()) return;
  keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(*it));
  keyAt_.clear();
  for (size_t i = 0; i < keys_.size(); ++i) keyAt_.insert(folded(keys_[i]->name), i);
}

void HiveFile::Node::changeValues(const std::vector<ValueChange>& changes) {
  // Deleted values are marked and dropped together at the end.
  std::vector<bool> gone(values_.size(), false);
  bool anyGone = false;
  for (const ValueChange& c : changes) {
    const QString key = folded(c.name);
    const auto it = valueAt_.find(key);
    if (!c.value) {
      if (it == valueAt_.end()) continue;
      gone[*it] = true;
      anyGone = true;
      valueAt_.erase(it);
    } else if (it != valueAt_.end()) {
      values_[*it].value = *c.value;
    } else {
      valueAt_.insert(key, values_.size());
      values_.push_back({c.name, *c.value});
      gone.push_back(false);
    }
  }
  if (!anyGone) return;
  std::vector<NamedValue> kept;
  kept.reserve(values_.size());
  valueAt_.clear();
  for (size_t i = 0; i < values_.size(); ++i) {
    if (gone[i]) continue;
    valueAt_.insert(folded(values_[i].name), kept.size());
    kept.push_back(std::move(values_[i]));
  }
  values_ = std::move(kept);
}

HiveFile::HiveFile(QString path, bool writable) : path_(std::move(path)), writable_(writable) {}

HiveFile::Stamp HiveFile::currentStamp() const {
  struct stat st {};
  Stamp now;
  const QByteArray native = QFile::encodeName(path_);
  if (::stat(native.constData(), &st) == 0) {
    now.exists = true;
    now.dev = st.st_dev;
    now.ino = st.st_ino;
    now.size = static_cast<unsigned long long>(st.st_size);
    now.mtimeNs = static_cast<unsigned long long>(st.st_mtim.tv_sec) * 1000000000ull + st.st_mtim.tv_nsec;
  }
  return now;
}

void HiveFile::refresh() {
  const Stamp now = currentStamp();
  if (loaded_ && now == stamp_) return;

  root_ = std::make_unique<Node>();
  stamp_ = now;
  loaded_ = true;
  unreadable_ = false;
  if (!now.exists) return;

  QByteArray bytes;
  const HiveRead read = readHive(path_, bytes);
  if (read == HiveRead::Unreadable) {
    // Keep it: rewriting it from an empty copy would lose whatever it holds.
    unreadable_ = true;
    return;
  }
  QJsonParseError err{};
  const QJsonDocument doc = read == HiveRead::Read ? QJsonDocument::fromJson(bytes, &err) : QJsonDocument();
  auto root = std::make_unique<Node>();
  const bool ok = read == HiveRead::Read && err.error == QJsonParseError::NoError && doc.isObject() &&
                  doc.object().value(QStringLiteral("format")).toString() == kFormat &&
                  doc.object().value(QStringLiteral("root")).isObject() &&
                  fromJson(doc.object().value(QStringLiteral("root")).toObject(), *root);
  if (ok) {
    root_ = std::move(root);
    return;
  }
  // A damaged file is kept aside for inspection and the hive starts empty.
  if (writable_) {
    const QString aside = path_ + QStringLiteral(".damaged");
    QFile::remove(aside);
    // The entry itself is renamed, never copied: a copy would read a FIFO or device again.
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(aside).constData()) == 0)
      stamp_ = Stamp{};
    else
      unreadable_ = true;  // still in place: a write would replace the only copy
  }
}

HiveFile::Node* HiveFile::find(const QStringList& keys) {
  Node* n = root_.get();
  for (const QString& k : keys) {
    n = n->child(k);
    if (!n) return nullptr;
  }
  return n;
}

HiveFile::Node* HiveFile::findOrCreate(const QStringList& keys) {
  Node* n = root_.get();
  for (const QString& k : keys) {
    Node* c = n->child(k);
    if (!c) {
      auto made = std::make_unique<Node>();
      made->name = k;
      c = n->addChild(std::move(made));
    }
    n = c;
  }
  return n;
}

int32_t HiveFile::save() {
  QJsonObject doc;
  doc.insert(QStringLiteral("format"), kFormat);
  doc.insert(QStringLiteral("root"), toJson(*root_));
  QDir().mkpath(QFileInfo(path_).absolutePath());
  try {
    rt::replaceFileContent(path_, QJsonDocument(doc).toJson(QJsonDocument::Indented));
  } catch (const rt::RaisedError&) {
    // The registry answers with its result code; the file on the disk is the one before.
    loaded_ = false;
    return kCantWrite;
  }
  stamp_ = currentStamp();
  return kSuccess;
}

int32_t HiveFile::openKey(const QStringList& keys) {
  std::lock_guard lock(mutex_);
  refresh();
  return find(keys) ? kSuccess : kNotFound;
}

int32_t HiveFile::createKey(const QStringList& keys) {
  std::lock_guard lock(mutex_);
  refresh();
  if (find(keys)) return kSuccess;
  if (!writable_ || unreadable_) return kAccessDenied;
  findOrCreate(keys);
  return save();
}

int32_t HiveFile::queryValue(const QStringList& keys, const QString& name, Value& out) {
  std::lock_guard lock(mutex_);
  refresh();
  Node* n = find(keys);
  if (!n) return kNotFound;
  NamedValue* v = n->value(name);
  if (!v) return kNotFound;
  out = v->value;
  return kSuccess;
}

int32_t HiveFile::setValue(const QStringList& keys, const QString& name, const Value& value) {
  std::lock_guard lock(mutex_);
  refresh();
  if (!writable_ || unreadable_) return kAccessDenied;
  Node* n = findOrCreate(keys);
  if (NamedValue* v = n->value(name))
    v->value = value;
  else
    n->addValue({name, value});
  return save();
}

int32_t HiveFile::deleteValue(const QStringList& keys, const QString& name) {
  std::lock_guard lock(mutex_);
  refresh();
  Node* n = find(keys);
  if (!n || !n->value(name)) return kNotFound;
  if (!writable_ || unreadable_) return kAccessDenied;
  n->changeValues({{name, std::nullopt}});
  return save();
}

int32_t HiveFile::changeValues(const QStringList& keys, const std::vector<ValueChange>& changes) {
  std::lock_guard lock(mutex_);
  refresh();
  if (!writable_ || unreadable_) return kAccessDenied;
  findOrCreate(keys)->changeValues(changes);
  return save();
}

int32_t HiveFile::deleteKey(const QStringList& keys) {
  std::lock_guard lock(mutex_);
  refresh();
  if (keys.isEmpty()) return kAccessDenied;
  Node* parent = find(keys.mid(0, keys.size() - 1));
  if (!parent || !parent->child(keys.last())) return kNotFound;
  if (!writable_ || unreadable_) return kAccessDenied;
  parent->eraseChild(keys.last());
  return save();
}

int32_t HiveFile::enumValues(const QStringList& keys, QStringList& names) {
  std::lock_guard lock(mutex_);
  refresh();
  names.clear();
  Node* n = find(keys);
  if (!n) return kNotFound;
  for (const auto& v : n->values()) names << v.name;
  return kSuccess;
}

int32_t HiveFile::enumKeys(const QStringList& keys, QStringList& names) {
  std::lock_guard lock(mutex_);
  refresh();
  names.clear();
  Node* n = find(keys);
  if (!n) return kNotFound;
  for (const auto& k : n->keys()) names << k->name;
  return kSuccess;
}

}  // namespace registry
