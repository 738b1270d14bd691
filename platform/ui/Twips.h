#pragma once

// Geometry that is stored or compared is kept in twips: 1440 per inch of the primary screen's
// logical DPI (15 per pixel at 96 DPI). Every conversion goes through here.

#include <memory>

namespace ui {

class TwipsSource {
 public:
  virtual ~TwipsSource() = default;
  virtual double twipsPerPixelX() = 0;
  virtual double twipsPerPixelY() = 0;
};

// Reads the primary screen of the running QGuiApplication; 15 when there is none.
std::unique_ptr<TwipsSource> screenTwipsSource();

// Installs a source (nullptr goes back to the screen) and returns the previous one.
std::unique_ptr<TwipsSource> setTwipsSource(std::unique_ptr<TwipsSource> source);

double twipsPerPixelX();
double twipsPerPixelY();

int pixelsToTwipsX(int pixels);
int pixelsToTwipsY(int pixels);
int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);

}  // namespace ui
