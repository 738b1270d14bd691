#pragma once

// The program's message boxes: QMessageBox with German captions, icon, buttons and default
// button from the style value, and a Help button that opens the help without ending the box.

#include "platform/ui/MessageBox.h"

#include <QString>

#include <functional>

namespace ui {

// Opens the help file at a context number (<= 0: its start page).
using HelpOpener = std::function<void(const QString& helpFile, int helpContext)>;

class QtMessagePresenter : public MessagePresenter {
 public:
  explicit QtMessagePresenter(HelpOpener openHelp = {}) : openHelp_(std::move(openHelp)) {}
  int show(const MessageBoxRequest& request) override;

 private:
  HelpOpener openHelp_;
};

}  // namespace ui
