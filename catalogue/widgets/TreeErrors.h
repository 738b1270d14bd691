#pragma once

// The errors the sources of the tree control raise, with the control as their source.

#include <QString>

namespace treeerr {

inline const QString kSource = QStringLiteral("Tree");

// The tree view's "element not found" (no node of that key).
[[noreturn]] void raiseNotFound();
// "Object variable not set": no node, or no database.
[[noreturn]] void raiseNoObject();

}  // namespace treeerr
