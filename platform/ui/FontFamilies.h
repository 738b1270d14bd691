#pragma once

// Which font families the screen offers. The window layer installs the source (fonts live in
// QtGui); without one there is no screen to ask, and every name counts as installed.

#include <QString>
#include <QStringList>

#include <functional>

namespace ui {

void setFontFamiliesSource(std::function<QStringList()> source);

// True when a family of that name (compared without regard to case) is installed, or when no
// source is installed.
bool fontFamilyInstalled(const QString& name);

}  // namespace ui
