#pragma once

// Catalogues for tests: private copies of the built template, opened through the engine as
// the program opens them. Header-only, so only test programs that link the engine need it.

#include "platform/jet/Engine.h"
#include "platform/jet/Workspace.h"

#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <csignal>
#include <memory>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

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

// Starts a transaction on the catalogue in a child process, writes enough to spill into the
// file, and kills the child before it commits: the journal it leaves beside the file is hot.
// False when the child did not get that far.
inline bool crashMidTransaction(const QString& path) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) ::_exit(1);
    sqlite3_exec(db, "PRAGMA cache_size=2; BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < 500; ++i) {
      const std::string sql = "INSERT INTO tblCATEGORIES (CID, CatName, CatDescription) VALUES (" +
                              std::to_string(100000 + i) + ", 'neu', '" + std::string(200, 'y') + "')";
      if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) ::_exit(2);
    }
    ::kill(::getpid(), SIGKILL);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status) && QFile(path + QStringLiteral("-journal")).size() > 0;
}

}  // namespace testenv
