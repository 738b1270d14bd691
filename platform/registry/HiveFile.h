#pragma once

// One hive kept in one text file (JSON): keys with their values and subkeys, in the order they
// were written. Reads come from a copy in memory that is refreshed whenever the file changed on
// disk (another process may have written it); every change is written whole to a temporary file
// and renamed over the old one, so a crash never leaves a half-written hive.

#include "platform/registry/Registry.h"

#include <QHash>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

namespace registry {

class HiveFile {
 public:
  // writable = false: the file is only ever read (a system file).
  HiveFile(QString path, bool writable);

  const QString& path() const { return path_; }

  int32_t openKey(const QStringList& keys);
  int32_t createKey(const QStringList& keys);
  int32_t queryValue(const QStringList& keys, const QString& name, Value& out);
  int32_t setValue(const QStringList& keys, const QString& name, const Value& value);
  int32_t deleteValue(const QStringList& keys, const QString& name);
  int32_t changeValues(const QStringList& keys, const std::vector<ValueChange>& changes);
  int32_t deleteKey(const QStringList& keys);
  int32_t enumValues(const QStringList& keys, QStringList& names);
  int32_t enumKeys(const QStringList& keys, QStringList& names);

  struct NamedValue {
    QString name;
    Value value;
  };
  // A key: its values and subkeys in the order they were written, found by name without
  // regard to case in constant time, so that a key of many thousand values costs time
  // linear in their number to read, change and write.
  class Node {
   public:
    QString name;

    const std::vector<NamedValue>& values() const { return values_; }
    const std::vector<std::unique_ptr<Node>>& keys() const { return keys_; }
    Node* child(const QString& n) const;
    NamedValue* value(const QString& n);
    // Adds a subkey or value whose name the key does not hold yet.
    Node* addChild(std::unique_ptr<Node> child);
    void addValue(NamedValue v);
    void eraseChild(const QString& n);
    // Applies the changes in order in one pass (see registry::changeValues).
    void changeValues(const std::vector<ValueChange>& changes);

   private:
    std::vector<NamedValue> values_;
    std::vector<std::unique_ptr<Node>> keys_;
    // Positions by case-folded name.
    QHash<QString, size_t> valueAt_;
    QHash<QString, size_t> keyAt_;
  };

 private:
  // Brings the copy in memory up to date with the file.
  void refresh();
  Node* find(const QStringList& keys);
  // The node of that path, making the keys that are missing on the way.
  Node* findOrCreate(const QStringList& keys);
  // Writes the tree; on failure the copy in memory is dropped so the next call reads the file.
  int32_t save();

  QString path_;
  bool writable_;
  std::unique_ptr<Node> root_;
  // Identity of the file the copy was read from: device, inode, size, change time.
  struct Stamp {
    bool exists = false;
    unsigned long long dev = 0, ino = 0, size = 0, mtimeNs = 0;
    bool operator==(const Stamp&) const = default;
  };
  Stamp currentStamp() const;
  Stamp stamp_;
  bool loaded_ = false;
  bool unreadable_ = false;
  std::mutex mutex_;
};

}  // namespace registry
