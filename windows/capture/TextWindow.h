#pragma once

// The text window as the windows that show a text in it drive it: Init with the text, its
// caption and its mode, shown modally, then released. The text window registers its factory
// at start-up, so its callers never include it.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

class TextWindow {
 public:
  virtual ~TextWindow() = default;
  // textMode 0: plain text, 1: rich text.
  virtual void Init(const QString& text, const QString& caption, int16_t textMode) = 0;
  // Shows the window modally, owned by owner, until it is closed.
  virtual void showModal(QWidget* owner) = 0;
};

using TextWindowFactory = std::function<std::unique_ptr<TextWindow>()>;
// Installs the factory and returns the previous one.
TextWindowFactory SetTextWindowFactory(TextWindowFactory factory);
// A new text window; raises when no factory is installed.
std::unique_ptr<TextWindow> NewTextWindow();
