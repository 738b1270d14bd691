#include "windows/maintenance/ThumbNail.h"

#include "foundation/cuAppError.h"
#include "platform/runtime/App.h"
#include "platform/runtime/FileReplacement.h"
#include "platform/runtime/RaisedError.h"
#include "platform/runtime/SystemError.h"
#include "platform/runtime/WholeFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// Whole numbers of the drawing: to the nearest, halves to the even one.
int roundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

// The control's errors go on with the program as their source and ": routine" after it.
const QString kSource = rt::App::exeName();

int shiftState(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

int buttonState(Qt::MouseButtons b) {
  return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0);
}

}  // namespace

PictureFit FitPicture(double W, double H, double pw, double ph) {
  PictureFit fit;
  if (W <= 0 || H <= 0 || pw <= 0 || ph <= 0) return fit;
  fit.empty = false;
  const double rc = W / H;
  const double rp = pw / ph;
  if (rp <= rc) {
    fit.h = H;
    fit.w = pw / (ph / H);
    fit.x = roundEven(W - fit.w) / 2;
  } else {
    fit.w = W;
    fit.h = ph / (pw / W);
    fit.y = roundEven(H - fit.h) / 2;
  }
  return fit;
}

QColor OleColor(uint32_t colour, const QPalette& palette) {
  if (colour & 0x80000000u) {
    switch (colour & 0xFFu) {
      case 5:
        return palette.color(QPalette::Base);
      case 8:
        return palette.color(QPalette::Text);
      case 13:
        return palette.color(QPalette::Highlight);
      case 14:
        return palette.color(QPalette::HighlightedText);
      case 15:
        return palette.color(QPalette::Button);
      case 18:
        return palette.color(QPalette::ButtonText);
      default:
        return palette.color(QPalette::Window);
    }
  }
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

ThumbNail::ThumbNail(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("ThumbNail"));
  tmr_.setSingleShot(true);
  tmr_.setInterval(1);
  connect(&tmr_, &QTimer::timeout, this, [this] {
    tmr_.stop();
    PaintPicture();
  });
  applyFrame();
}

ThumbNail::~ThumbNail() = default;

void ThumbNail::setAppearance(int16_t v) {
  appearance_ = v;
  applyFrame();
  emit propertyChanged(QStringLiteral("Appearance"));
}

void ThumbNail::setAsyncInterval(int32_t ms) {
  tmr_.setInterval(ms);
  emit propertyChanged(QStringLiteral("AsyncInterval"));
}

QImage ThumbNail::TransparentImage() const {
  QImage img(surface_.size(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  drawPicture(img);
  return img.convertToFormat(QImage::Format_ARGB32);
}

void ThumbNail::setBackColor(uint32_t colour) {
  backColor_ = colour;
  update();
  Paint();
  emit propertyChanged(QStringLiteral("BackColor"));
}

void ThumbNail::setBorderStyle(int16_t v) {
  borderStyle_ = v;
  applyFrame();
  emit propertyChanged(QStringLiteral("BorderStyle"));
}

void ThumbNail::setPaintAsync(bool on) {
  paintAsync_ = on;
  if (!on) tmr_.stop();
  emit propertyChanged(QStringLiteral("PaintAsync"));
}

void ThumbNail::setSquare(bool on) {
  if (on == square_) return;
  square_ = on;
  Resized();
  emit propertyChanged(QStringLiteral("Square"));
}

void ThumbNail::setStretch(bool on) {
  if (on == stretch_) return;
  stretch_ = on;
  Paint();
  emit propertyChanged(QStringLiteral("Stretch"));
}

void ThumbNail::applyFrame() {
  if (borderStyle_ == 0) {
    setFrameStyle(QFrame::NoFrame);
  } else if (appearance_ == 1) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
  } else {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
  }
  Resized();
}

void ThumbNail::SetPicture(const std::optional<::Picture>& picture) {
  try {
    picture_ = picture && !picture->isEmpty() ? picture : std::nullopt;
    chooseFrame();
    Paint();
    emit propertyChanged(QStringLiteral("Picture"));
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("SetPicture"));
  }
}

void ThumbNail::chooseFrame() {
  frame_ = QImage();
  if (!picture_) return;
  frame_ = picture_->image();
  if (picture_->type() != PictureType::Icon) return;
  // An icon file holds several sizes: draw the one nearest to the control, the larger of two
  // equally near.
  QByteArray bytes;
  PictureToBytes(*picture_, bytes);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "ICO");
  const int want = std::max(contentsRect().width(), contentsRect().height());
  int best = -1;
  for (int i = 0; i < reader.imageCount(); ++i) {
    if (!reader.jumpToImage(i)) break;
    const QImage image = reader.read();
    if (image.isNull()) continue;
    const int size = std::max(image.width(), image.height());
    const int distance = std::abs(size - want);
    const int bestSize = std::max(frame_.width(), frame_.height());
    if (best < 0 || distance < best || (distance == best && size > bestSize)) {
      best = distance;
      frame_ = image;
    }
  }
}

void ThumbNail::LoadPicture(const QString& fileName) {
  try {
    tmr_.stop();
    clearSurface();
    picture_.reset();
    frame_ = QImage();
    update();
    if (fileName.isEmpty()) return;
    const rt::WholeFile file = rt::readWholeFile(QFile::encodeName(fileName), rt::kAnyFileSize);
    switch (file.outcome) {
      case rt::WholeFile::Outcome::Read:
        break;
      case rt::WholeFile::Outcome::Failed:
        throw rt::fileSystemError(file.error, fileName, rt::SystemCall::OpenFile);
      case rt::WholeFile::Outcome::Directory:
        throw rt::fileSystemError(EISDIR, fileName, rt::SystemCall::OpenFile);
      case rt::WholeFile::Outcome::NotRegular:
      case rt::WholeFile::Outcome::TooLarge:
        throw rt::RaisedError(rt::kErrPathFileAccess, QString(),
                              QStringLiteral("Die Datei '%1' kann nicht gelesen werden.").arg(fileName));
    }
    const QByteArray& bytes = file.bytes;
    if (bytes.isEmpty()) raiseInvalidPicture();
    // A picture file of the loader's formats; its bytes are kept as they are.
    SetPicture(PictureFromFileBytes(bytes));
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("LoadPicture"));
  }
}

void ThumbNail::SavePicture(const QString& fileName) const {
  try {
    if (!picture_) raiseInvalidPicture();
    QByteArray bytes;
    PictureToBytes(*picture_, bytes);
    // A write that fails leaves the old file whole.
    rt::replaceFileContent(fileName, bytes);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("SavePicture"));
  }
}

void ThumbNail::Refresh() { PaintPicture(); }

void ThumbNail::Paint() {
  try {
    if (paintAsync_) {
      tmr_.stop();
      tmr_.start();
    } else {
      PaintPicture();
    }
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("Paint"));
  }
}

void ThumbNail::clearSurface() {
  const QSize size = contentsRect().size().expandedTo(QSize(0, 0));
  if (surface_.size() != size) surface_ = QImage(size, QImage::Format_RGB32);
  if (!surface_.isNull()) surface_.fill(OleColor(backColor_, palette()));
}

void ThumbNail::PaintPicture() {
  try {
    // The whole surface takes the back colour first: the bands around the picture, and what
    // shows through a picture's transparent parts.
    clearSurface();
    drawPicture(surface_);
    update();
    emit painted();
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("PaintPicture"));
  }
}

void ThumbNail::drawPicture(QImage& target) const {
  const double W = target.width();
  const double H = target.height();
  if (!picture_ || frame_.isNull() || W <= 0 || H <= 0) return;
  QPainter p(&target);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  if (stretch_) {
    p.drawImage(QRectF(0, 0, W, H), frame_);
  } else {
    const PictureFit fit = FitPicture(W, H, roundEven(frame_.width()), roundEven(frame_.height()));
    if (!fit.empty) p.drawImage(QRectF(fit.x, fit.y, fit.w, fit.h), frame_);
  }
}

void ThumbNail::Resized() {
  if (resizing_) return;
  resizing_ = true;
  if (square_ && height() != width()) resize(width(), width());
  resizing_ = false;
  chooseFrame();
  Paint();
}

void ThumbNail::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  Resized();
}

void ThumbNail::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter p(this);
  const QRect inner = contentsRect();
  p.fillRect(inner, OleColor(backColor_, palette()));
  if (!surface_.isNull()) p.drawImage(inner.topLeft(), surface_);
}

void ThumbNail::mousePressEvent(QMouseEvent* event) {
  emit MouseDown(buttonState(event->button()), shiftState(event->modifiers()), event->position().x(),
                 event->position().y());
}

void ThumbNail::mouseMoveEvent(QMouseEvent* event) {
  emit MouseMove(buttonState(event->buttons()), shiftState(event->modifiers()), event->position().x(),
                 event->position().y());
}

void ThumbNail::mouseReleaseEvent(QMouseEvent* event) {
  emit MouseUp(buttonState(event->button()), shiftState(event->modifiers()), event->position().x(),
               event->position().y());
  if (rect().contains(event->position().toPoint())) emit Click();
}

void ThumbNail::mouseDoubleClickEvent(QMouseEvent*) { emit DblClick(); }

void ThumbNail::keyPressEvent(QKeyEvent* event) {
  emit KeyDown(event->key(), shiftState(event->modifiers()));
  if (!event->text().isEmpty()) emit KeyPress(event->text().at(0).unicode());
}

void ThumbNail::keyReleaseEvent(QKeyEvent* event) { emit KeyUp(event->key(), shiftState(event->modifiers())); }

void ThumbNail::ReadProperties(const QVariantMap& bag) {
  appearance_ = static_cast<int16_t>(bag.value(QStringLiteral("Appearance"), 1).toInt());
  backColor_ = bag.value(QStringLiteral("BackColor"), kWindowBackground).toUInt();
  borderStyle_ = static_cast<int16_t>(bag.value(QStringLiteral("BorderStyle"), 1).toInt());
  tmr_.setInterval(bag.value(QStringLiteral("AsyncInterval"), 1).toInt());
  paintAsync_ = bag.value(QStringLiteral("PaintAsync"), false).toBool();
  const QByteArray bytes = bag.value(QStringLiteral("Picture")).toByteArray();
  picture_ = bytes.isEmpty() ? std::nullopt : std::optional<::Picture>(PictureFromFileBytes(bytes));
  square_ = bag.value(QStringLiteral("Square"), false).toBool();
  stretch_ = bag.value(QStringLiteral("Stretch"), false).toBool();
  // Surface, border and timer take the values; the picture is kept without painting.
  const bool wasResizing = resizing_;
  resizing_ = true;
  applyFrame();
  resizing_ = wasResizing;
  chooseFrame();
}

void ThumbNail::WriteProperties(QVariantMap& bag) const {
  auto put = [&bag](const char* name, const QVariant& value, const QVariant& byDefault) {
    if (value != byDefault) bag.insert(QString::fromLatin1(name), value);
  };
  put("Appearance", int(appearance_), 1);
  put("BackColor", backColor_, kWindowBackground);
  put("BorderStyle", int(borderStyle_), 1);
  put("AsyncInterval", tmr_.interval(), 1);
  put("PaintAsync", paintAsync_, false);
  QByteArray bytes;
  if (picture_) PictureToBytes(*picture_, bytes);
  put("Picture", bytes, QByteArray());
  put("Square", square_, false);
  put("Stretch", stretch_, false);
}
