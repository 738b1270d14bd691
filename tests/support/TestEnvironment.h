#pragma once

#include <QString>

namespace testenv {

// Puts the registry store into a private temporary folder and pins the German locale,
// so no test ever touches the user's own settings and number formats are predictable.
void prepareProcess();

// Folder of the test executables; the built template and workgroup file stand there.
QString binDir();

// A fresh, empty temporary folder that lives until the process ends.
QString freshTempDir();

}  // namespace testenv
