#pragma once

// The windows registered with the window-position store, keyed by "A" and the window's
// identity (the address of its widget while it lives).

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QWidget;
class cuFormPosForm;

class cuFormPosForms {
 public:
  cuFormPosForms() = default;
  // An entry whose window is being closed may outlive the collection: it is told it has none.
  ~cuFormPosForms();
  cuFormPosForms(const cuFormPosForms&) = delete;
  cuFormPosForms& operator=(const cuFormPosForms&) = delete;

  // The entry of the window; raises error 5 when it has none.
  cuFormPosForm& Item(QWidget* frm);
  int32_t Count() const { return static_cast<int32_t>(order_.size()); }
  // The entries in the order they were added.
  std::vector<cuFormPosForm*> NewEnum() const;
  // Raises error 457 when the window has an entry already.
  cuFormPosForm& Add(QWidget* frm, int32_t eMode);
  bool IsInCollection(QWidget* frm) const;
  // Raises error 5 when the window has no entry.
  void Remove(QWidget* frm);

 private:
  static QString KeyOf(QWidget* frm);
  std::map<QString, std::shared_ptr<cuFormPosForm>> items_;
  std::vector<QString> order_;
};
