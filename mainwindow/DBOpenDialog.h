#pragma once

// The main window's catalogue chooser step of "Datenbank öffnen".

#include <QString>

#include <cstdint>

class QWidget;

// Shows the catalogue chooser modally over owner and reads it: 0 cancelled, 1 another
// catalogue is to be chosen in the file dialog (also when the listed file has gone meanwhile),
// 2 Path names a listed catalogue that exists. Exclusive is the chooser's check box in every
// case. An error is shown and counts as cancelled.
int32_t DBOpenDialog(QWidget* owner, QString& Path, bool& Exclusive);
