#include "tests/support/TestEnvironment.h"

#include "tests/support/TestHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <deque>

namespace testenv {

namespace {
// Removed at exit by their bytes: a temporary folder's own clean-up cannot remove names that
// are not valid UTF-8, and the odd trees hold such names. A deque keeps each remover in place
// while others are added.
std::deque<RawFolderRemover>& tempDirs() {
  static std::deque<RawFolderRemover> dirs;
  return dirs;
}
}  // namespace

QString freshTempDir() {
  QTemporaryDir dir(QDir::tempPath() + "/zxtest-XXXXXX");
  dir.setAutoRemove(false);
  tempDirs().emplace_back(QFile::encodeName(dir.path()));
  return dir.path();
}

void prepareProcess() {
  qputenv("ZUVRAX_REGISTRY_DIR", freshTempDir().toUtf8());
  qputenv("XDG_CONFIG_HOME", freshTempDir().toUtf8());
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

QString binDir() { return QCoreApplication::applicationDirPath(); }

}  // namespace testenv
