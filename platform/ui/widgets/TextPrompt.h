#pragma once

// The input box (a prompt, a title and one line of text) behind a seam, so tests can script
// the user's answer.

#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace ui {

struct TextPromptRequest {
  QWidget* owner = nullptr;
  QString prompt;
  QString title;
  QString defaultText;
};

class TextPrompter {
 public:
  virtual ~TextPrompter() = default;
  // The entered text, or nothing when the user cancelled.
  virtual std::optional<QString> ask(const TextPromptRequest& request) = 0;
};

// QInputDialog.
class QtTextPrompter : public TextPrompter {
 public:
  std::optional<QString> ask(const TextPromptRequest& request) override;
};

TextPrompter& textPrompter();
// Installs a prompter and returns the previous one (nullptr installs the Qt one).
std::unique_ptr<TextPrompter> setTextPrompter(std::unique_ptr<TextPrompter> prompter);

}  // namespace ui
