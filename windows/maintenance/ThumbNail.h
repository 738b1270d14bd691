#pragma once

// The program's picture control: one picture fitted into the control's rectangle, either
// stretched over it or scaled with its aspect ratio kept and centred, the margins in the back
// colour. The drawing goes into a surface image of the inner size, which Image gives back
// (the 16-pixel rendering of an icon file); painting can be deferred by a timer so that a
// burst of changes paints once.

#include "foundation/widgets/mdlQZLib51_pictures.h"

#include <QFrame>
#include <QImage>
#include <QTimer>
#include <QVariantMap>

#include <cstdint>
#include <optional>

// Where a picture of pw x ph is drawn in a W x H rectangle with its aspect ratio kept: the
// whole height and a centred width when the picture is relatively narrower (or equal), else
// the whole width and a centred height. Offsets are whole numbers: the remainder rounded half
// to even, then halved with the fraction dropped. empty when a size is 0 or less.
struct PictureFit {
  int x = 0;
  int y = 0;
  double w = 0;
  double h = 0;
  bool empty = true;
};
PictureFit FitPicture(double W, double H, double pw, double ph);

// A colour of the OLE form: 0x00BBGGRR, or 0x800000nn for the system colour nn.
QColor OleColor(uint32_t colour, const QPalette& palette);

class ThumbNail : public QFrame {
  Q_OBJECT

 public:
  static constexpr uint32_t kWindowBackground = 0x80000005;

  explicit ThumbNail(QWidget* parent = nullptr);
  ~ThumbNail() override;

  // 1: sunken 3-D edge, 0: flat (drawn with BorderStyle 1).
  int16_t Appearance() const { return appearance_; }
  void setAppearance(int16_t v);
  int32_t AsyncInterval() const { return tmr_.interval(); }
  void setAsyncInterval(int32_t ms);
  uint32_t BackColor() const { return backColor_; }
  void setBackColor(uint32_t colour);
  // 0: no border, 1: a single fixed border.
  int16_t BorderStyle() const { return borderStyle_; }
  void setBorderStyle(int16_t v);
  // The painted surface.
  QImage Image() const { return surface_; }
  // The drawing of Image with the margins around the picture transparent instead of the back
  // colour, the picture's own pixels as they are: a picture drawn for an image list.
  QImage TransparentImage() const;
  bool PaintAsync() const { return paintAsync_; }
  void setPaintAsync(bool on);
  const std::optional<::Picture>& Picture() const { return picture_; }
  void setPicture(const std::optional<::Picture>& picture) { SetPicture(picture); }
  bool Square() const { return square_; }
  void setSquare(bool on);
  bool Stretch() const { return stretch_; }
  void setStretch(bool on);

  // Empties the control, then shows the picture file (none for an empty name). A file that
  // cannot be read or is no picture raises; the control is empty then.
  void LoadPicture(const QString& fileName);
  // Paints at once, also while painting is deferred.
  void Refresh();
  // Writes the held picture in its own size (not the fitted drawing).
  void SavePicture(const QString& fileName) const;

  // The persisted properties, with their defaults for missing entries.
  void ReadProperties(const QVariantMap& bag);
  void WriteProperties(QVariantMap& bag) const;

 signals:
  // A property changed; the host may store it.
  void propertyChanged(const QString& name);
  // The surface was drawn anew.
  void painted();
  void Click();
  void DblClick();
  void KeyDown(int keyCode, int shift);
  void KeyPress(int charCode);
  void KeyUp(int keyCode, int shift);
  void MouseDown(int button, int shift, double x, double y);
  void MouseMove(int button, int shift, double x, double y);
  void MouseUp(int button, int shift, double x, double y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void SetPicture(const std::optional<::Picture>& picture);
  void Paint();
  void PaintPicture();
  // Draws the held picture into an image of the inner size, fitted or stretched.
  void drawPicture(QImage& target) const;
  void Resized();
  void clearSurface();
  void applyFrame();
  void chooseFrame();

  std::optional<::Picture> picture_;
  QImage frame_;  // the held picture's image best fitting the control
  QImage surface_;
  uint32_t backColor_ = kWindowBackground;
  int16_t appearance_ = 1;
  int16_t borderStyle_ = 1;
  bool paintAsync_ = false;
  bool square_ = false;
  bool stretch_ = false;
  bool resizing_ = false;
  QTimer tmr_;
};
