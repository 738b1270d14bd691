#include "platform/ui/FontFamilies.h"

namespace ui {

namespace {
std::function<QStringList()>& source() {
  static std::function<QStringList()> s;
  return s;
}
}  // namespace

void setFontFamiliesSource(std::function<QStringList()> s) { source() = std::move(s); }

bool fontFamilyInstalled(const QString& name) {
  if (!source()) return true;
  return source()().contains(name, Qt::CaseInsensitive);
}

}  // namespace ui
