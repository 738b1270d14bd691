#pragma once

// A private copy of the built template opened as the program's catalogue, for the tests of the
// catalogue engine and of the windows above it.

#include "catalogue/cuDAODatabase.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QString>

#include <memory>

namespace testenv {

// Makes gDB a new catalogue object and opens in it a fresh copy of the template named
// kat.qvk in folder. The copy's path, or an empty text when the copy or the opening failed.
inline QString openFreshCatalogue(const QString& folder) {
  gDB = std::make_unique<cuDAODatabase>();
  const QString path = folder + QStringLiteral("/kat.qvk");
  if (!QFile::copy(TemplatePath(), path)) return QString();
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  if (!DBOpen(path, 0)) return QString();
  return path;
}

}  // namespace testenv
