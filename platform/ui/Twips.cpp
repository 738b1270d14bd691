#include "platform/ui/Twips.h"

#include <QCoreApplication>
#include <QVariant>

#include <cmath>

namespace ui {

namespace {

constexpr double kDefaultTwipsPerPixel = 15.0;

// This library links QtCore only, so the screen is read through Qt's property system; it is
// there exactly when the application is a QGuiApplication with a screen.
class ScreenTwips : public TwipsSource {
 public:
  double twipsPerPixelX() override { return perPixel("logicalDotsPerInchX"); }
  double twipsPerPixelY() override { return perPixel("logicalDotsPerInchY"); }

 private:
  static double perPixel(const char* dpiProperty) {
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || !app->inherits("QGuiApplication")) return kDefaultTwipsPerPixel;
    const QObject* screen = app->property("primaryScreen").value<QObject*>();
    const double dpi = screen ? screen->property(dpiProperty).toDouble() : 0.0;
    return dpi > 0 ? 1440.0 / dpi : kDefaultTwipsPerPixel;
  }
};

std::unique_ptr<TwipsSource>& slot() {
  static std::unique_ptr<TwipsSource> s;
  return s;
}

TwipsSource& source() {
  if (TwipsSource* s = slot().get()) return *s;
  static ScreenTwips screen;
  return screen;
}

int rounded(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

std::unique_ptr<TwipsSource> screenTwipsSource() { return std::make_unique<ScreenTwips>(); }

std::unique_ptr<TwipsSource> setTwipsSource(std::unique_ptr<TwipsSource> source) {
  std::unique_ptr<TwipsSource> old = std::move(slot());
  slot() = std::move(source);
  return old;
}

double twipsPerPixelX() { return source().twipsPerPixelX(); }
double twipsPerPixelY() { return source().twipsPerPixelY(); }

int pixelsToTwipsX(int pixels) { return rounded(pixels * twipsPerPixelX()); }
int pixelsToTwipsY(int pixels) { return rounded(pixels * twipsPerPixelY()); }
int twipsToPixelsX(int twips) { return rounded(twips / twipsPerPixelX()); }
int twipsToPixelsY(int twips) { return rounded(twips / twipsPerPixelY()); }

}  // namespace ui
