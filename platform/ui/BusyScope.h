#pragma once

// Blocks other commands while a long operation pumps messages: re-entering the program from
// inside the operation (closing the catalogue, starting a second read) would pull its data
// away under it. While a scope lives, user input is swallowed except
//  - input for objects inside the allowed window (its QObject parent chain), e.g. the dialog
//    whose Cancel button must stay clickable, and
//  - input for modal windows shown while the scope lives: the operation's own questions;
// Esc goes to the cancel callback instead of its target, and closing a window is refused and
// means Cancel as well. Timers, paint and other events pass; the mouse pointer is left alone.
// Scopes nest: every live scope must let an event through, and Esc or a close request goes to
// the innermost one.

#include <QPointer>

#include <functional>
#include <memory>

class QEvent;
class QObject;

namespace ui {

class BusyScope {
 public:
  // A scope without a cancel callback swallows Esc and close requests without a word.
  explicit BusyScope(QObject* allowedWindow = nullptr, std::function<void()> cancel = {});
  ~BusyScope();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  class Filter;
  std::unique_ptr<Filter> filter_;
};

// Key codes live in QtGui: the window layer installs the test that tells an Esc key event
// (press, release or shortcut override) from others. Without it no key counts as Esc.
void setEscapeKeyTest(std::function<bool(const QEvent&)> test);

}  // namespace ui
