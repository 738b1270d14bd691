#pragma once

// What the runtime knows of the running program: its folder, names, registry key and help file.

#include <QString>

namespace rt {

class App {
 public:
  // Folder of the executable, without a trailing "/".
  static QString path();
  // Moves the program folder, for tests that need one without the files beside the program;
  // an empty path goes back to the executable's folder.
  static void setPath(const QString& folder);
  // File name of the executable without extension ("zuvrax").
  static QString exeName();
  // The program's title, shown where a window or box is given none.
  static QString title();
  // The program's key below a registry hive: "Software\Tolvarent\Kerbolith".
  static QString registryKey();
  // The help file: a bare name until start-up makes it absolute.
  static QString helpFile();
  static void setHelpFile(const QString& file);
};

}  // namespace rt
