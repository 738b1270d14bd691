#include "platform/ui/widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace ui {

namespace {
double perPixel(bool x) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? (x ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY()) : 96.0;
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}
int rounded(double v) { return static_cast<int>(std::lround(v)); }
}  // namespace

double twipsPerPixelX() { return perPixel(true); }
double twipsPerPixelY() { return perPixel(false); }

int pixelsToTwipsX(int pixels) { return rounded(pixels * twipsPerPixelX()); }
int pixelsToTwipsY(int pixels) { return rounded(pixels * twipsPerPixelY()); }
int twipsToPixelsX(int twips) { return rounded(twips / twipsPerPixelX()); }
int twipsToPixelsY(int twips) { return rounded(twips / twipsPerPixelY()); }

}  // namespace ui
