#include "platform/jet/Engine.h"

#include "platform/jet/Connection.h"
#include "platform/jet/JetError.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Workgroup.h"
#include "platform/runtime/FileReplacement.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <sys/stat.h>

namespace jet {

namespace {
const QString kObject = QStringLiteral("DBEngine");
}

Engine& Engine::DBEngine() {
  static Engine engine;
  return engine;
}

void Engine::SetSystemDB(const QString& path) {
  std::lock_guard guard(mutex_);
  if (!systemDbFrozen_) systemDb_ = path;
}

QString Engine::SystemDB() const {
  std::lock_guard guard(mutex_);
  return systemDb_;
}

void Engine::SetOption(int, const rt::Variant&) {}

std::shared_ptr<Workspace> Engine::CreateWorkspace(const QString& name, const QString& user, const QString& password) {
  const QString file = SystemDB();
  switch (checkWorkgroupUser(file, user, password)) {
    case WorkgroupCheck::Ok:
      break;
    case WorkgroupCheck::FileMissing:
    case WorkgroupCheck::FileDamaged:
      raise(err::kWorkgroupFile, kObject, file);
    case WorkgroupCheck::UnknownUser:
    case WorkgroupCheck::WrongPassword:
      raise(err::kWrongLogin, kObject, user);
  }
  {
    std::lock_guard guard(mutex_);
    systemDbFrozen_ = true;
  }
  return std::make_shared<Workspace>(name, user);
}

void Engine::CompactDatabase(const QString& source, const QString& target, const std::function<void()>& whileHeld) {
  if (!QFile::exists(source)) raise(err::kFileNotFound, kObject, source);
  if (QFile::exists(target)) raise(err::kTargetExists, kObject, target);
  // Nobody else may hold the file while it is copied: later writes of another opener would
  // otherwise go to a file that the copy replaces.
  auto lock =
      detail::FileLock::acquire(source, detail::FileLock::Mode::Exclusive, false, err::kExclusiveByOther, kObject);
  if (lock->readPrefix(16) != QByteArray("SQLite format 3\0", 16)) raise(err::kNotADatabase, kObject, source);
  // Opened for writing although only read: a transaction cut off by a crash leaves its journal
  // beside the file, and only a writer can roll it back before the copy is read. Nobody else
  // holds the file now, so that is safe; the copy then holds what was committed.
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(source.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  detail::Connection conn(raw, source, true, true, nullptr);
  if (rc != SQLITE_OK) raiseSqlite(raw, rc, kObject);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  registerJetFunctions(raw);
  conn.exec(QStringLiteral("PRAGMA schema_version"), kObject);
  sqlite3_stmt* s = conn.cached(QStringLiteral("VACUUM INTO ?1"), kObject);
  {
    detail::StmtUse use(s);
    detail::bindVariant(s, 1, rt::Variant(target), kObject);
    const int step = sqlite3_step(s);
    if (step != SQLITE_DONE) {
      QFile::remove(target);
      raiseSqlite(raw, step, kObject);
    }
  }
  conn.close();
  struct stat st {};
  if (::stat(source.toLocal8Bit().constData(), &st) == 0) ::chmod(target.toLocal8Bit().constData(), st.st_mode & 07777);
  if (whileHeld) whileHeld();
}

void Engine::CopyDatabase(const QString& source, const QString& target) {
  QFile from(source);
  if (!from.exists()) raise(err::kFileNotFound, kObject, source);
  if (!from.open(QIODevice::ReadOnly)) raise(err::kCannotOpen, kObject, source);
  const QByteArray content = from.readAll();
  if (from.error() != QFileDevice::NoError) raise(err::kCannotOpen, kObject, source);
  // Held until the copy is in place, so that nobody opens the old file meanwhile.
  std::unique_ptr<detail::FileLock> held;
  if (QFileInfo::exists(target))
    held = detail::FileLock::acquire(target, detail::FileLock::Mode::Exclusive, false, err::kFileInUse, kObject);
  rt::FileReplacement replacement(target);
  struct stat st {};
  const mode_t mode = ::fstat(from.handle(), &st) == 0 ? (st.st_mode & 0777) : 0644;
  replacement.write(content, mode | S_IRUSR | S_IWUSR);
  // A journal of the old file left by a crash would be played into the new one when it is first
  // opened; the old file is given up, and with it what the journal would have mended.
  for (const char* suffix : {"-journal", "-wal", "-shm"}) QFile::remove(target + QLatin1String(suffix));
  replacement.commit();
}

}  // namespace jet
