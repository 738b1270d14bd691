#include "catalogue/pInfoColl.h"

#include "catalogue/pCatInfo.h"
#include "catalogue/pPathInfo.h"
#include "catalogue/pVolumeInfo.h"
#include "platform/runtime/RaisedError.h"

namespace {
[[noreturn]] void invalidArgument() {
  throw rt::RaisedError(rt::kErrInvalidArgument, QString(),
                        QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument"));
}
}  // namespace

pInfoColl::Collection& pInfoColl::of(int32_t eType) {
  if (eType < 0 || eType > 2) invalidArgument();
  return kinds_[eType];
}

const pInfoColl::Collection& pInfoColl::of(int32_t eType) const {
  if (eType < 0 || eType > 2) invalidArgument();
  return kinds_[eType];
}

int32_t pInfoColl::Count(int32_t eType) const { return static_cast<int32_t>(of(eType).items.size()); }

std::shared_ptr<pInfoRecord> pInfoColl::Item(const rt::Variant& vntIndexKey, int32_t eType) const {
  const Collection& c = of(eType);
  const auto it = c.byKey.constFind(key(vntIndexKey.toText()));
  if (it == c.byKey.constEnd()) invalidArgument();
  return **it;
}

std::vector<std::shared_ptr<pInfoRecord>> pInfoColl::NewEnum(int32_t eType) const {
  const Collection& c = of(eType);
  return {c.items.begin(), c.items.end()};
}

std::shared_ptr<pInfoRecord> pInfoColl::Add(int32_t lID, int32_t eType) {
  std::shared_ptr<pInfoRecord> r;
  switch (eType) {
    case Category:
      r = std::make_shared<pCatInfo>();
      break;
    case Volume:
      r = std::make_shared<pVolumeInfo>();
      break;
    case Folder:
      r = std::make_shared<pPathInfo>();
      break;
    default:
      invalidArgument();
  }
  r->ID = lID;
  AddInfo(r, eType);
  return r;
}

void pInfoColl::AddInfo(std::shared_ptr<pInfoRecord> oInfo, int32_t eType) {
  Collection& c = of(eType);
  if (!oInfo) invalidArgument();
  const QString k = key(QString::number(oInfo->ID));
  if (c.byKey.contains(k))
    throw rt::RaisedError(rt::kErrKeyInUse, QString(),
                          QStringLiteral("Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet"));
  c.items.push_back(std::move(oInfo));
  c.byKey.insert(k, std::prev(c.items.end()));
}

void pInfoColl::Clear(int32_t eType) { of(eType) = Collection{}; }

bool pInfoColl::IDExists(int32_t lID, int32_t eType) const {
  if (eType < 0 || eType > 2) return false;
  return kinds_[eType].byKey.contains(key(QString::number(lID)));
}

void pInfoColl::Remove(int32_t lID, int32_t eType) {
  if (eType < 0 || eType > 2) return;
  Collection& c = kinds_[eType];
  const auto it = c.byKey.find(key(QString::number(lID)));
  if (it == c.byKey.end()) return;
  c.items.erase(*it);
  c.byKey.erase(it);
}
