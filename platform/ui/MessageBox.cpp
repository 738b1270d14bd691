#include "platform/ui/MessageBox.h"

#include "platform/runtime/App.h"

namespace ui {

namespace {
std::unique_ptr<MessagePresenter>& slot() {
  static std::unique_ptr<MessagePresenter> p = std::make_unique<RecordingPresenter>();
  return p;
}
}  // namespace

int defaultAnswer(int style) {
  if ((style & 7) == kYesNo) return (style & kDefaultButton2) ? kAnswerNo : kAnswerYes;
  return kAnswerOk;
}

int RecordingPresenter::show(const MessageBoxRequest& request) {
  shown.push_back(request);
  if (!answers.empty()) {
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  return defaultAnswer(request.style);
}

MessagePresenter& presenter() { return *slot(); }

std::unique_ptr<MessagePresenter> setPresenter(std::unique_ptr<MessagePresenter> p) {
  std::unique_ptr<MessagePresenter> old = std::move(slot());
  slot() = p ? std::move(p) : std::make_unique<RecordingPresenter>();
  return old;
}

int showMessageBox(const QString& text, int style, const QString& title, const QString& helpFile, int helpContext) {
  // Without a title of its own a box shows the program's, never the executable's name.
  return presenter().show(
      MessageBoxRequest{text, style, title.isEmpty() ? rt::App::title() : title, helpFile, helpContext});
}

}  // namespace ui
