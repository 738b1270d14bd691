#include "platform/ui/widgets/FontChooser.h"

#include <QFontDialog>

namespace ui {

namespace {
std::unique_ptr<FontChooser>& slot() {
  static std::unique_ptr<FontChooser> s = std::make_unique<QtFontChooser>();
  return s;
}
}  // namespace

std::optional<QFont> QtFontChooser::choose(const FontRequest& request) {
  QFontDialog dialog(request.initial, request.owner);
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  dialog.setWindowTitle(QStringLiteral("Schriftart"));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selectedFont();
}

FontChooser& fontChooser() { return *slot(); }

std::unique_ptr<FontChooser> setFontChooser(std::unique_ptr<FontChooser> chooser) {
  std::unique_ptr<FontChooser> old = std::move(slot());
  slot() = chooser ? std::move(chooser) : std::make_unique<QtFontChooser>();
  return old;
}

}  // namespace ui
