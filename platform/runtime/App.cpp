#include "platform/runtime/App.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace rt {

namespace {
QString& helpFileSlot() {
  static QString file = QStringLiteral("zuvrax.chm");
  return file;
}
QString executablePath() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}
QString& pathOverride() {
  static QString folder;
  return folder;
}
}  // namespace

QString App::path() {
  if (!pathOverride().isEmpty()) return pathOverride();
  return QFileInfo(executablePath()).absolutePath();
}

void App::setPath(const QString& folder) { pathOverride() = folder; }

// The program's name is fixed; tests run from executables with other names.
QString App::exeName() { return QStringLiteral("zuvrax"); }

QString App::title() { return QStringLiteral("Tolvarent Kerbolith"); }

QString App::registryKey() { return QStringLiteral("Software\\Tolvarent\\Kerbolith"); }

QString App::helpFile() { return helpFileSlot(); }

void App::setHelpFile(const QString& file) { helpFileSlot() = file; }

}  // namespace rt
