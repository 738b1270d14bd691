#pragma once

// What the runtime knows of the running program: its folder, executable name and help file.

#include <QString>

namespace rt {

class App {
 public:
  // Folder of the executable, without a trailing "/".
  static QString path();
  // File name of the executable without extension ("zuvrax").
  static QString exeName();
  // The help file: a bare name until start-up makes it absolute.
  static QString helpFile();
  static void setHelpFile(const QString& file);
};

}  // namespace rt
