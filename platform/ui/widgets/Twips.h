#pragma once

// Geometry that is stored or compared is kept in twips: 1440 per inch of the primary screen's
// logical DPI (15 per pixel at 96 DPI).

namespace ui {

double twipsPerPixelX();
double twipsPerPixelY();

int pixelsToTwipsX(int pixels);
int pixelsToTwipsY(int pixels);
int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);

}  // namespace ui
