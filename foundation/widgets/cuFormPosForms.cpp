#include "foundation/widgets/cuFormPosForms.h"

#include "foundation/widgets/cuFormPosForm.h"
#include "platform/runtime/RaisedError.h"

#include <algorithm>

namespace {

[[noreturn]] void raiseCollectionError(int32_t number) {
  throw rt::RaisedError(number, QStringLiteral("cuFormPosForms"),
                        number == rt::kErrKeyInUse
                            ? QStringLiteral("Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet.")
                            : QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument"));
}

}  // namespace

cuFormPosForms::~cuFormPosForms() {
  for (auto& [key, entry] : items_) entry->SetParent(nullptr);
}

QString cuFormPosForms::KeyOf(QWidget* frm) {
  return QStringLiteral("A") + QString::number(reinterpret_cast<quintptr>(frm));
}

cuFormPosForm& cuFormPosForms::Item(QWidget* frm) {
  const auto it = items_.find(KeyOf(frm));
  if (it == items_.end()) raiseCollectionError(rt::kErrInvalidArgument);
  return *it->second;
}

std::vector<cuFormPosForm*> cuFormPosForms::NewEnum() const {
  std::vector<cuFormPosForm*> r;
  for (const QString& k : order_) r.push_back(items_.at(k).get());
  return r;
}

cuFormPosForm& cuFormPosForms::Add(QWidget* frm, int32_t eMode) {
  const QString key = KeyOf(frm);
  if (items_.count(key)) raiseCollectionError(rt::kErrKeyInUse);
  auto entry = std::make_shared<cuFormPosForm>();
  entry->setForm(frm);
  entry->SetParent(this);
  entry->setMode(eMode);
  items_.emplace(key, entry);
  order_.push_back(key);
  return *entry;
}

bool cuFormPosForms::IsInCollection(QWidget* frm) const { return items_.count(KeyOf(frm)) > 0; }

void cuFormPosForms::Remove(QWidget* frm) {
  const QString key = KeyOf(frm);
  const auto it = items_.find(key);
  if (it == items_.end()) raiseCollectionError(rt::kErrInvalidArgument);
  // The entry may be the caller: it goes when the caller lets go of it.
  std::shared_ptr<cuFormPosForm> keep = it->second;
  items_.erase(it);
  std::erase(order_, key);
}
