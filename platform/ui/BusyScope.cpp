#include "platform/ui/BusyScope.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace ui {

namespace {

std::function<bool(const QEvent&)>& escapeTest() {
  static std::function<bool(const QEvent&)> test;
  return test;
}

bool isEscape(const QEvent& e) { return escapeTest() && escapeTest()(e); }

std::function<QObject*(const QObject&)>& popupOwnerRoutine() {
  static std::function<QObject*(const QObject&)> owner;
  return owner;
}

QObject* popupOwner(const QObject& o) { return popupOwnerRoutine() ? popupOwnerRoutine()(o) : nullptr; }

// The next object up from o: the owner of a popup window (a completer's list has no parent of
// its own), else the parent.
const QObject* above(const QObject* o) {
  if (const QObject* owner = popupOwner(*o)) return owner;
  return o->parent();
}

// A popup holding target (the popup itself or a widget inside it), or nullptr.
const QObject* popupHolding(const QObject* target) {
  for (const QObject* o = target; o; o = o->parent())
    if (popupOwner(*o)) return o;
  return nullptr;
}

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

void setEscapeKeyTest(std::function<bool(const QEvent&)> test) { escapeTest() = std::move(test); }

void setPopupOwner(std::function<QObject*(const QObject&)> owner) { popupOwnerRoutine() = std::move(owner); }

namespace {

// Windows that close once the program is idle, and those of them whose close was refused.
std::vector<QPointer<QObject>>& closingWhenIdle() {
  static std::vector<QPointer<QObject>> w;
  return w;
}
std::vector<QPointer<QObject>>& refusedCloses() {
  static std::vector<QPointer<QObject>> w;
  return w;
}

bool listed(std::vector<QPointer<QObject>>& list, const QObject* o) {
  std::erase_if(list, [](const QPointer<QObject>& w) { return w.isNull(); });
  return std::any_of(list.begin(), list.end(), [o](const QPointer<QObject>& w) { return w == o; });
}

// Windows that run no command, whose input no scope swallows.
std::vector<QPointer<QObject>>& takingInput() {
  static std::vector<QPointer<QObject>> w;
  return w;
}

}  // namespace

class BusyScope::Filter : public QObject {
 public:
  Filter(QObject* allowedWindow, std::function<void()> cancel) : allowed_(allowedWindow), cancel_(std::move(cancel)) {}

  // Whether window is one of the modal windows shown while this scope lives.
  bool opened(const QObject* window) const {
    for (const QPointer<QObject>& w : opened_)
      if (w == window) return true;
    return false;
  }

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    const QEvent::Type type = event->type();
    // A widget's native window hands every event on to its widget, which is judged then.
    if (target->isWindowType() && target->inherits("QWidgetWindow")) return false;
    if (type == QEvent::Show) {
      noteShownModal(target);
      return false;
    }
    if (type != QEvent::Close && !isUserInput(type)) return false;
    for (const QPointer<QObject>& w : takingInput())
      if (inside(target, w.data())) return false;
    // The operation's own questions take every input, Esc and closing included, and so do the
    // popups of the windows that take input.
    if (insideOpenedModal(target)) return false;
    if (const QObject* popup = popupHolding(target); popup && inside(popup, allowed_)) return false;
    // Without a cancel of its own the scope leaves the allowed window's Esc and closing to the
    // scopes around it: a dialog's command may close the dialog.
    if (!cancel_ && inside(target, allowed_)) return false;
    if (type == QEvent::Close) {
      event->ignore();
      cancel();
      if (listed(closingWhenIdle(), target) && !listed(refusedCloses(), target)) refusedCloses().emplace_back(target);
      return true;
    }
    if (isEscape(*event)) {
      // Claimed as override so that the key press follows instead of an Esc shortcut.
      if (type == QEvent::ShortcutOverride) event->accept();
      if (type == QEvent::KeyPress) cancel();
      return true;
    }
    return !inside(target, allowed_);
  }

 private:
  // This scope's cancel, or that of the nearest scope around it that has one.
  void cancel() {
    const auto& scopes = live();
    for (auto it = std::find(scopes.rbegin(), scopes.rend(), this); it != scopes.rend(); ++it)
      if ((*it)->cancel_) {
        (*it)->cancel_();
        return;
      }
  }

  // Whether target lies inside window, a popup counting as inside the window it belongs to.
  static bool inside(const QObject* target, const QObject* window) {
    if (!window) return false;
    // The steps are bounded: owners are set by others and might form a ring.
    int steps = 0;
    for (const QObject* o = target; o && steps < kMostSteps; o = above(o), ++steps)
      if (o == window) return true;
    return false;
  }
  static constexpr int kMostSteps = 10000;

  void noteShownModal(QObject* target) {
    if (!target->isWidgetType() || !target->property("modal").toBool()) return;
    std::erase_if(opened_, [](const QPointer<QObject>& w) { return w.isNull(); });
    for (const QPointer<QObject>& w : opened_)
      if (w == target) return;
    opened_.emplace_back(target);
  }

  bool insideOpenedModal(const QObject* target) const {
    for (const QPointer<QObject>& w : opened_)
      if (inside(target, w.data())) return true;
    return false;
  }

  QPointer<QObject> allowed_;
  std::function<void()> cancel_;
  std::vector<QPointer<QObject>> opened_;  // modal windows shown while the scope lives
};

std::vector<BusyScope::Filter*>& BusyScope::live() {
  static std::vector<Filter*> filters;
  return filters;
}

BusyScope::BusyScope(QObject* allowedWindow, std::function<void()> cancel)
    : filter_(std::make_unique<Filter>(allowedWindow, std::move(cancel))) {
  live().push_back(filter_.get());
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(filter_.get());
}

BusyScope::~BusyScope() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(filter_.get());
  std::erase(live(), filter_.get());
  if (!live().empty()) return;
  std::vector<QPointer<QObject>> refused;
  refused.swap(refusedCloses());
  for (const QPointer<QObject>& w : refused)
    if (w) QMetaObject::invokeMethod(w.data(), "close", Qt::QueuedConnection);
}

bool BusyScope::active() { return !live().empty(); }

void BusyScope::takesInputWhileBusy(QObject* window) {
  // Windows closed since are let go of, so that the list does not grow with every help shown.
  std::erase_if(takingInput(), [](const QPointer<QObject>& w) { return w.isNull(); });
  if (!listed(takingInput(), window)) takingInput().emplace_back(window);
}

bool BusyScope::isOwnDialog(const QObject* window) {
  return window && !live().empty() && live().back()->opened(window);
}

void BusyScope::closeWhenIdle(QObject* window) {
  if (!listed(closingWhenIdle(), window)) closingWhenIdle().emplace_back(window);
}

}  // namespace ui
