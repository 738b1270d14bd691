#pragma once

// The program's loaded windows in load order (QApplication::topLevelWidgets has no order).
// A window registers itself when it loads; it leaves the list when it is destroyed or when
// unloadForm closed it.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

namespace ui {

void registerForm(QWidget* window);
// The loaded windows, first loaded first.
std::vector<QWidget*> loadedForms();
// Closes the window (its closeEvent may refuse); true when it closed and left the list.
// Deleting it stays with its owner (WA_DeleteOnClose for windows the program does not hold).
bool unloadForm(QWidget* window);

}  // namespace ui
