#include "platform/ui/widgets/TextPrompt.h"

#include <QInputDialog>

namespace ui {

namespace {
std::unique_ptr<TextPrompter>& slot() {
  static std::unique_ptr<TextPrompter> s = std::make_unique<QtTextPrompter>();
  return s;
}
}  // namespace

std::optional<QString> QtTextPrompter::ask(const TextPromptRequest& request) {
  QInputDialog dialog(request.owner);
  dialog.setWindowTitle(request.title);
  dialog.setLabelText(request.prompt);
  dialog.setTextValue(request.defaultText);
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

TextPrompter& textPrompter() { return *slot(); }

std::unique_ptr<TextPrompter> setTextPrompter(std::unique_ptr<TextPrompter> prompter) {
  std::unique_ptr<TextPrompter> old = std::move(slot());
  slot() = prompter ? std::move(prompter) : std::make_unique<QtTextPrompter>();
  return old;
}

}  // namespace ui
