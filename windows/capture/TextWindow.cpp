#include "windows/capture/TextWindow.h"

#include "platform/runtime/RaisedError.h"

namespace {

TextWindowFactory& factory() {
  static TextWindowFactory f;
  return f;
}

}  // namespace

TextWindowFactory SetTextWindowFactory(TextWindowFactory f) {
  TextWindowFactory previous = std::move(factory());
  factory() = std::move(f);
  return previous;
}

std::unique_ptr<TextWindow> NewTextWindow() {
  if (!factory())
    throw rt::RaisedError(rt::kErrNoObject, QStringLiteral("TextWindow"),
                          QStringLiteral("Das Textfenster ist nicht verfügbar."));
  return factory()();
}
