#pragma once

// The main window's cache of info records, one keyed collection per kind (0 category,
// 1 volume, 2 folder), each record under "A" followed by its id, in order of addition.

#include "catalogue/pInfoRecord.h"
#include "platform/runtime/Variant.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

class pInfoColl {
 public:
  enum Kind : int32_t { Category = 0, Volume = 1, Folder = 2 };

  int32_t Count(int32_t eType) const;
  // Raises error 5 when nothing is stored under "A" followed by the text of the key.
  std::shared_ptr<pInfoRecord> Item(const rt::Variant& vntIndexKey, int32_t eType) const;
  // The records of a kind in order of addition.
  std::vector<std::shared_ptr<pInfoRecord>> NewEnum(int32_t eType) const;
  // A new record of the kind's class with the id; error 457 when the id is taken.
  std::shared_ptr<pInfoRecord> Add(int32_t lID, int32_t eType);
  // Stores a record made by the caller under its id; error 457 when the id is taken.
  void AddInfo(std::shared_ptr<pInfoRecord> oInfo, int32_t eType);
  void Clear(int32_t eType);
  bool IDExists(int32_t lID, int32_t eType) const;
  void Remove(int32_t lID, int32_t eType);

 private:
  struct Collection {
    std::list<std::shared_ptr<pInfoRecord>> items;
    QHash<QString, std::list<std::shared_ptr<pInfoRecord>>::iterator> byKey;
  };
  Collection& of(int32_t eType);
  const Collection& of(int32_t eType) const;
  static QString key(const QString& id) { return QStringLiteral("A") + id; }

  Collection kinds_[3];
};
