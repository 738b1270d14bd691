#pragma once

// The font dialog behind a seam, so tests can script the user's choice.

#include <QFont>

#include <memory>
#include <optional>

class QWidget;

namespace ui {

struct FontRequest {
  QWidget* owner = nullptr;
  QFont initial;
  int smallestSize = 0;  // points; 0: no limit
  int largestSize = 0;
  bool withEffects = false;  // offer underline and strike-out
};

class FontChooser {
 public:
  virtual ~FontChooser() = default;
  // The chosen font, or nothing when the user cancelled.
  virtual std::optional<QFont> choose(const FontRequest& request) = 0;
};

// QFontDialog (Qt's own dialog, the same on every desktop).
class QtFontChooser : public FontChooser {
 public:
  std::optional<QFont> choose(const FontRequest& request) override;
};

FontChooser& fontChooser();
std::unique_ptr<FontChooser> setFontChooser(std::unique_ptr<FontChooser> chooser);

}  // namespace ui
