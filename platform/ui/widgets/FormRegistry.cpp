#include "platform/ui/widgets/FormRegistry.h"

#include <algorithm>

namespace ui {

namespace {
std::vector<QPointer<QWidget>>& forms() {
  static std::vector<QPointer<QWidget>> list;
  return list;
}
void prune() {
  auto& l = forms();
  l.erase(std::remove_if(l.begin(), l.end(), [](const QPointer<QWidget>& p) { return p.isNull(); }), l.end());
}
}  // namespace

void registerForm(QWidget* window) {
  if (!window) return;
  prune();
  for (const auto& p : forms())
    if (p == window) return;
  forms().emplace_back(window);
}

std::vector<QWidget*> loadedForms() {
  prune();
  std::vector<QWidget*> r;
  for (const auto& p : forms()) r.push_back(p.data());
  return r;
}

bool unloadForm(QWidget* window) {
  if (!window) return true;
  QPointer<QWidget> guard(window);
  if (!window->close() && guard) return false;
  auto& l = forms();
  l.erase(std::remove_if(l.begin(), l.end(), [&](const QPointer<QWidget>& p) { return p.isNull() || p == guard; }),
          l.end());
  return true;
}

}  // namespace ui
