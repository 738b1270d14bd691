#include "foundation/widgets/cuFormPosForm.h"

#include "foundation/mdlQZLib51_registry.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/cuFormPosForms.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <limits>

// Hands the window's notifications to its entry; lives as long as the entry, deleted later so
// an entry may go away while one of its handlers runs.
class FormPosWatcher : public QObject {
 public:
  explicit FormPosWatcher(std::weak_ptr<cuFormPosForm> entry) : entry_(std::move(entry)) {}

  bool eventFilter(QObject* watched, QEvent* e) override {
    const std::shared_ptr<cuFormPosForm> entry = entry_.lock();
    if (!entry || watched != entry->Form() || entry->unloaded_) return false;
    switch (e->type()) {
      case QEvent::Show:
        entry->m_Form_Show();
        entry->m_Form_Resize();
        entry->m_Form_Framed();
        return false;
      case QEvent::Resize:
      case QEvent::WindowStateChange:
        entry->m_Form_Resize();
        entry->m_Form_Framed();
        return false;
      case QEvent::Move:
        entry->m_Form_Framed();
        return false;
      case QEvent::Close: {
        // The window decides first; only a close it accepts unloads it.
        static_cast<QObject*>(watched)->event(e);
        if (e->isAccepted()) entry->m_Form_Unload();
        return true;
      }
      case QEvent::DeferredDelete:
        entry->m_Form_Unload();
        return false;
      default:
        return false;
    }
  }

 private:
  std::weak_ptr<cuFormPosForm> entry_;
};

namespace {

// Nearest integer, halves to even, or nullopt-like false outside 32 bits.
bool toInt32(double v, int32_t& out) {
  if (!std::isfinite(v)) return false;
  const double r = std::nearbyint(v);
  if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) return false;
  out = static_cast<int32_t>(r);
  return true;
}

int32_t roundInt(double v) {
  int32_t r = 0;
  if (!toInt32(v, r)) r = v < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
  return r;
}

QScreen* primary() { return QGuiApplication::primaryScreen(); }

using ui::twipsPerPixelX;
using ui::twipsPerPixelY;

int pxX(double twips) { return roundInt(twips / twipsPerPixelX()); }
int pxY(double twips) { return roundInt(twips / twipsPerPixelY()); }

// The window in twips: the place of its frame and the size of its inside. The frame is not known
// before a window is first shown, so its size would not survive a round trip.
double leftOf(const QWidget* w) { return w->x() * twipsPerPixelX(); }
double topOf(const QWidget* w) { return w->y() * twipsPerPixelY(); }
double widthOf(const QWidget* w) { return w->width() * twipsPerPixelX(); }
double heightOf(const QWidget* w) { return w->height() * twipsPerPixelY(); }

void setLeft(QWidget* w, double twips) { w->move(pxX(twips), w->y()); }
void setTop(QWidget* w, double twips) { w->move(w->x(), pxY(twips)); }
void setWidth(QWidget* w, double twips) { w->resize(std::max(pxX(twips), 0), w->height()); }
void setHeight(QWidget* w, double twips) { w->resize(w->width(), std::max(pxY(twips), 0)); }

int32_t stateOf(const QWidget* w) {
  const Qt::WindowStates s = w->windowState();
  if (s & Qt::WindowMinimized) return 1;
  if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) return 2;
  return 0;
}

void setState(QWidget* w, int32_t state) {
  Qt::WindowStates s = w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
  if (state == 1) s |= Qt::WindowMinimized;
  if (state == 2) s |= Qt::WindowMaximized;
  w->setWindowState(s);
}

double screenWidthTwips() { return primary() ? primary()->geometry().width() * twipsPerPixelX() : 0; }
double screenHeightTwips() { return primary() ? primary()->geometry().height() * twipsPerPixelY() : 0; }

// Pixels: the whole desktop on several monitors, else the primary one.
void GetScreenSize(int32_t& width, int32_t& height) {
  const QScreen* s = primary();
  if (!s) {
    width = height = 0;
    return;
  }
  const QSize size = QGuiApplication::screens().size() >= 2 ? s->virtualGeometry().size() : s->geometry().size();
  width = size.width();
  height = size.height();
}

// Centred on the primary screen; a window larger than the screen starts at its corner, so that
// its title bar can be reached.
double centredLeft(const QWidget* w) {
  return std::max(0.0, static_cast<double>(static_cast<float>((screenWidthTwips() - widthOf(w)) / 2)));
}
double centredTop(const QWidget* w) {
  return std::max(0.0, static_cast<double>(static_cast<float>((screenHeightTwips() - heightOf(w)) / 2)));
}

// What the window's frame adds to its inside. Before its first show a window has no frame yet:
// a framed window that is shown tells what the window system will add.
QSize frameExtraOf(const QWidget* w) {
  const QSize own = w->frameGeometry().size() - w->size();
  if (!own.isEmpty() || w->isVisible() || (w->windowFlags() & Qt::FramelessWindowHint)) return own;
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    if (other == w || !other->isVisible() || other->windowType() == Qt::Popup || other->windowType() == Qt::ToolTip)
      continue;
    const QSize extra = other->frameGeometry().size() - other->size();
    if (!extra.isEmpty()) return extra;
  }
  return own;
}

// A window placed from stored values (kept under another monitor setup or resolution) is kept
// wholly on the free area of the screen that shows the most of it, or of the primary screen
// when none does: made smaller where it is larger than that area, then moved in. Returns the
// frame it reckoned with.
QSize keepOnScreen(QWidget* w) {
  const QSize frameExtra = frameExtraOf(w);
  const QRect frame(w->pos(), w->size() + frameExtra);
  const QScreen* screen = nullptr;
  qint64 shown = 0;
  for (const QScreen* s : QGuiApplication::screens()) {
    const QRect seen = s->geometry().intersected(frame);
    const qint64 area = seen.isEmpty() ? 0 : qint64(seen.width()) * seen.height();
    if (area > shown) {
      shown = area;
      screen = s;
    }
  }
  if (!screen) screen = primary();
  if (!screen) return frameExtra;
  const QRect free = screen->availableGeometry();
  const QSize largest = (free.size() - frameExtra).expandedTo(QSize(1, 1));
  if (w->width() > largest.width() || w->height() > largest.height()) w->resize(w->size().boundedTo(largest));
  QRect r(w->pos(), w->size() + frameExtra);
  if (r.right() > free.right()) r.moveRight(free.right());
  if (r.bottom() > free.bottom()) r.moveBottom(free.bottom());
  if (r.left() < free.left()) r.moveLeft(free.left());
  if (r.top() < free.top()) r.moveTop(free.top());
  if (r.topLeft() != w->pos()) w->move(r.topLeft());
  return frameExtra;
}

QSize ownFrameOf(const QWidget* w) { return w->frameGeometry().size() - w->size(); }

}  // namespace

cuFormPosForm::cuFormPosForm() = default;

cuFormPosForm::~cuFormPosForm() { Release(); }

void cuFormPosForm::Release() {
  if (watcher_) {
    if (form_) form_->removeEventFilter(watcher_);
    watcher_->deleteLater();
  }
  watcher_ = nullptr;
  form_ = nullptr;
  parent_ = nullptr;
}

void cuFormPosForm::setForcedState(int32_t v) {
  forcedState_ = v;
  forcedStateApplied_ = false;
}

void cuFormPosForm::setForm(QWidget* frm) {
  if (watcher_) {
    if (form_) form_->removeEventFilter(watcher_);
    watcher_->deleteLater();
    watcher_ = nullptr;
  }
  form_ = frm;
  if (!frm) return;
  auto* watcher = new FormPosWatcher(weak_from_this());
  watcher_ = watcher;
  frm->installEventFilter(watcher);
  // A window destroyed without closing leaves the collection without saving.
  // The entry may be gone before the window (the store released first): hold it weakly.
  QObject::connect(frm, &QObject::destroyed, watcher, [entry = weak_from_this(), watcher, frm] {
    const std::shared_ptr<cuFormPosForm> self = entry.lock();
    if (!self || self->watcher_ != watcher || self->unloaded_) return;
    self->unloaded_ = true;
    if (self->parent_ && self->parent_->IsInCollection(frm)) self->parent_->Remove(frm);
    self->Release();
  });
}

void cuFormPosForm::LoadPosition() {
  if (regKey_.isEmpty() || !form_) return;
  try {
    QWidget* w = form_;
    if (forcedState_ == 2 && !forcedStateApplied_) {
      forcedStateApplied_ = true;
      setState(w, 2);
      return;
    }
    if (GetValue(QStringLiteral("Maximized")) == QLatin1String("1")) {
      setState(w, 2);
      return;
    }
    int32_t wpx = 0, hpx = 0;
    GetScreenSize(wpx, hpx);
    const int32_t sw = roundInt(wpx * twipsPerPixelX());
    const int32_t sh = roundInt(hpx * twipsPerPixelY());

    if (mode_ & 1) {
      QString v = GetValue(QStringLiteral("Width"));
      if (!v.isEmpty()) {
        const int32_t n = roundInt(v.toDouble());
        setWidth(w, n > sw ? screenWidthTwips() : n < minWidth_ ? minWidth_ : n);
      }
      v = GetValue(QStringLiteral("Height"));
      if (!v.isEmpty()) {
        const int32_t n = roundInt(v.toDouble());
        setHeight(w, n > sh ? sh : n < minHeight_ ? minHeight_ : n);
      }
    }
    if (mode_ & 2) {
      QString v = GetValue(QStringLiteral("Left"));
      if (v.isEmpty()) {
        setLeft(w, centredLeft(w));
      } else {
        int32_t n = roundInt(v.toDouble());
        if (n > sw || n < 0) n = 0;
        setLeft(w, n);
      }
      v = GetValue(QStringLiteral("Top"));
      if (v.isEmpty()) {
        setTop(w, centredTop(w));
      } else {
        int32_t n = roundInt(v.toDouble());
        if (n > sh || n < 0) n = 0;
        setTop(w, n);
      }
      placedFrame_ = keepOnScreen(w);
      keepOnScreenAtShow_ = !w->isVisible();
      awaitingFrame_ = placedFrame_.isEmpty();
    } else {
      setLeft(w, centredLeft(w));
      setTop(w, centredTop(w));
    }
    if (forcedState_ == 1 && !forcedStateApplied_) {
      forcedStateApplied_ = true;
      setState(w, 1);
    }
  } catch (...) {
    rt::RaisedError e = rt::currentError();
    e.source = QStringLiteral("cuFormPosForm: LoadPosition");
    throw e;
  }
}

void cuFormPosForm::Resize() {
  if (!form_) return;
  if (widthOf(form_) < minWidth_) setWidth(form_, minWidth_);
  if (heightOf(form_) < minHeight_) setHeight(form_, minHeight_);
}

void cuFormPosForm::SavePosition() {
  if (regKey_.isEmpty() || !form_) return;
  try {
    switch (stateOf(form_)) {
      case 2:
        SetValue(QStringLiteral("Maximized"), 1);
        break;
      case 1:
        break;
      default:
        SetValue(QStringLiteral("Maximized"), 0);
        SetValue(QStringLiteral("Width"), normalWidth_);
        SetValue(QStringLiteral("Height"), normalHeight_);
        SetValue(QStringLiteral("Left"), roundInt(leftOf(form_)));
        SetValue(QStringLiteral("Top"), roundInt(topOf(form_)));
        break;
    }
  } catch (...) {
    rt::RaisedError e = rt::currentError();
    e.source = QStringLiteral("cuFormPosForm: SavePosition");
    throw e;
  }
}

void cuFormPosForm::m_Form_Show() {
  if (!keepOnScreenAtShow_ || !form_) return;
  keepOnScreenAtShow_ = false;
  if (stateOf(form_) != 0) return;
  placedFrame_ = keepOnScreen(form_);
  awaitingFrame_ = placedFrame_.isEmpty();
}

void cuFormPosForm::m_Form_Framed() {
  if (!awaitingFrame_ || !form_ || !form_->isVisible() || stateOf(form_) != 0) return;
  const QSize frame = ownFrameOf(form_);
  if (frame == placedFrame_) return;
  // Noted first: keeping it on the screen moves and resizes it, which comes back here.
  placedFrame_ = frame;
  awaitingFrame_ = frame.isEmpty();
  keepOnScreen(form_);
}

void cuFormPosForm::m_Form_Resize() {
  if (!form_ || stateOf(form_) != 0) return;
  if (widthOf(form_) < minWidth_) setWidth(form_, minWidth_);
  if (heightOf(form_) < minHeight_) setHeight(form_, minHeight_);
  normalHeight_ = roundInt(heightOf(form_));
  normalWidth_ = roundInt(widthOf(form_));
}

void cuFormPosForm::m_Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  const std::shared_ptr<cuFormPosForm> self = shared_from_this();
  try {
    if (autoSave_ && !regKey_.isEmpty()) SavePosition();
  } catch (const rt::RaisedError&) {
    // A window that is closing cannot report that its place was not kept.
  }
  if (parent_ && form_) {
    try {
      parent_->Remove(form_);
    } catch (const rt::RaisedError&) {
      // Already gone from the collection.
    }
  }
  Release();
}

QString cuFormPosForm::GetValue(const QString& name) const {
  if (regKey_.isEmpty()) return QString();
  registry::Value v;
  if (registry::queryValue(regHKey_, regKey_, name, v) != registry::kSuccess || v.type != registry::REG_SZ)
    return QString();
  const QString text = TrimAtNull(v.toText()).trimmed();
  bool ok = false;
  const double d = text.toDouble(&ok);
  int32_t n = 0;
  // Numbers beyond 32 bits count as missing, like any other unusable value.
  if (!ok || !toInt32(d, n)) return QString();
  return text;
}

void cuFormPosForm::SetValue(const QString& name, int32_t value) {
  if (regKey_.isEmpty()) return;
  RegSetString(regHKey_, regKey_, name, QString::number(value));
}
