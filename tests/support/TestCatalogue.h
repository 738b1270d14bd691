#pragma once

// Catalogues for tests: private copies of the built template, opened through the engine as
// the program opens them. Header-only, so only test programs that link the engine need it.

#include "platform/jet/Engine.h"
#include "platform/jet/Workspace.h"

#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QString>

#include <memory>

namespace testenv {

inline QString templatePath() { return binDir() + QStringLiteral("/zuvrax.db"); }
inline QString workgroupPath() { return binDir() + QStringLiteral("/zuvrax.mdw"); }

// Copies the built template to target (which must not exist yet) and gives it these
// permissions; false when the copy failed.
inline bool copyTemplate(const QString& target,
                         QFileDevice::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner) {
  if (!QFile::copy(templatePath(), target)) return false;
  return QFile::setPermissions(target, permissions);
}

// A workspace logged on as the catalogue's own user, with the engine on the built workgroup
// file.
inline std::shared_ptr<jet::Workspace> catalogueWorkspace(jet::Engine& engine) {
  engine.SetSystemDB(workgroupPath());
  return engine.CreateWorkspace(QStringLiteral("Default"), QStringLiteral("QZAdmin"), QStringLiteral("Wexo71"));
}

}  // namespace testenv
