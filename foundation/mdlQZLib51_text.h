#pragma once

// Text, number and version routines of the general library.

#include <QString>

// Each character code of text combined by exclusive or with the key's code at the same
// position (the key repeats); applying it twice with the same key gives the text back.
// Codes are those of the ANSI code page (Windows-1252).
QString XorScramble(const QString& text, const QString& key);
