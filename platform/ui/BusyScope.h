#pragma once

// Blocks other commands while a long operation pumps messages: re-entering the program from
// inside the operation (closing the catalogue, starting a second read) would pull its data
// away under it. While a scope lives, user input is swallowed except
//  - input for objects inside the allowed window (its QObject parent chain), e.g. the dialog
//    whose Cancel button must stay clickable, and
//  - input for modal windows shown while the scope lives: the operation's own questions;
//  - all input, Esc and closing included, for popups (a completer's list, a menu, a tool tip)
//    that belong to one of those windows: a popup takes the keyboard and the mouse while it is
//    open, and one that took no input could never be closed;
//  - all input for windows that run no command of the program (the help window, read beside
//    whatever runs), and for their popups;
// Esc goes to the cancel callback instead of its target, and closing a window is refused and
// means Cancel as well. Timers, paint and other events pass; the mouse pointer is left alone.
// Scopes nest: every live scope must let an event through, and Esc or a close request goes to
// the innermost one that has a cancel callback.
//
// The scope is also the program's one guard against re-entry: while any scope lives a command
// must not start (active()), and a window that asked for it (closeWhenIdle) is closed once the
// last scope has ended when a close of it was refused meanwhile.

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QObject;

namespace ui {

class BusyScope {
 public:
  // A scope without a cancel callback leaves Esc and close requests to the scope around it;
  // without one they are swallowed without a word. Those of its allowed window it lets pass,
  // for the scopes around to judge: a dialog's own command may close the dialog.
  explicit BusyScope(QObject* allowedWindow = nullptr, std::function<void()> cancel = {});
  ~BusyScope();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

  // True while any scope lives.
  static bool active();
  // True when window is a modal window shown while the innermost scope lives: a dialog of the
  // operation that scope guards, whose own commands may run. False when no scope lives.
  static bool isOwnDialog(const QObject* window);
  // A close of window refused while busy is not dropped: the window is asked to close again
  // (through the event loop) once the last scope has ended.
  static void closeWhenIdle(QObject* window);
  // The window runs no command and so cannot re-enter an operation: no scope swallows its input.
  static void takesInputWhileBusy(QObject* window);

 private:
  class Filter;
  // The live scopes' filters, the innermost last.
  static std::vector<Filter*>& live();
  std::unique_ptr<Filter> filter_;
};

// Key codes live in QtGui: the window layer installs the test that tells an Esc key event
// (press, release or shortcut override) from others. Without it no key counts as Esc.
void setEscapeKeyTest(std::function<bool(const QEvent&)> test);

// Popups are widgets: the window layer installs the routine that gives, for a popup window, the
// object it belongs to (a completer's list: the box it completes; a menu: its parent), and
// nullptr for any other object. Without it no object counts as a popup.
void setPopupOwner(std::function<QObject*(const QObject&)> owner);

}  // namespace ui
