#pragma once

// Catalogues for tests: private copies of the built template, opened through the engine as
// the program opens them. Header-only, so only test programs that link the engine need it.

#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Workspace.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QString>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <string>

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

// A child process that holds a catalogue open, exclusively or shared, until release() or the
// end of this object: the catalogue is one another program uses.
class CatalogueHolder {
 public:
  CatalogueHolder(const QString& path, bool exclusive) {
    if (::pipe(toChild_) != 0 || ::pipe(fromChild_) != 0) {
      ADD_FAILURE() << "no pipe to the holding process";
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      char c = 'e';
      jet::Engine engine;
      std::shared_ptr<jet::Workspace> ws;
      std::shared_ptr<jet::Database> db;
      try {
        ws = catalogueWorkspace(engine);
        db = ws->OpenDatabase(path, exclusive);
        c = 'x';
      } catch (...) {
      }
      if (::write(fromChild_[1], &c, 1) != 1 || ::read(toChild_[0], &c, 1) != 1) ::_exit(2);
      ::_exit(0);
    }
    if (::read(fromChild_[0], &answer_, 1) != 1) answer_ = 0;
  }
  ~CatalogueHolder() { release(); }
  CatalogueHolder(const CatalogueHolder&) = delete;
  CatalogueHolder& operator=(const CatalogueHolder&) = delete;

  // True while the child has the catalogue open.
  bool holds() const { return pid_ > 0 && answer_ == 'x'; }
  // Lets the child close the catalogue and end, and waits for it.
  void release() {
    if (pid_ > 0) {
      const char go = 'g';
      EXPECT_EQ(::write(toChild_[1], &go, 1), 1);
      int status = 0;
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
    }
    for (int* fd : {&toChild_[0], &toChild_[1], &fromChild_[0], &fromChild_[1]}) {
      if (*fd >= 0) ::close(*fd);
      *fd = -1;
    }
  }

 private:
  int toChild_[2] = {-1, -1};
  int fromChild_[2] = {-1, -1};
  pid_t pid_ = -1;
  char answer_ = 0;
};

}  // namespace testenv
