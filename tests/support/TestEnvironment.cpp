#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace testenv {

namespace {
std::vector<std::unique_ptr<QTemporaryDir>>& tempDirs() {
  static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
  return dirs;
}
}  // namespace

QString freshTempDir() {
  auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/zxtest-XXXXXX");
  QString path = dir->path();
  tempDirs().push_back(std::move(dir));
  return path;
}

void prepareProcess() {
  qputenv("ZUVRAX_REGISTRY_DIR", freshTempDir().toUtf8());
  qputenv("XDG_CONFIG_HOME", freshTempDir().toUtf8());
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

QString binDir() { return QCoreApplication::applicationDirPath(); }

}  // namespace testenv
