#include "platform/jet/Workspace.h"

#include "platform/jet/Connection.h"
#include "platform/jet/JetError.h"
#include "platform/jet/JetSql.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace jet {

namespace {

const QString kObject = QStringLiteral("Workspace");

// SQLite would take an empty or foreign file for a database; its header tells.
bool looksLikeSqlite(const detail::FileLock& lock) {
  return lock.readPrefix(16) == QByteArray("SQLite format 3\0", 16);
}

void beginOn(detail::Connection& c, int depth) {
  c.exec(c.readOnly() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), kObject);
  c.setTransactionDepth(1);
  for (int i = 2; i <= depth; ++i) {
    c.exec(QStringLiteral("SAVEPOINT zx_%1").arg(i), kObject);
    c.setTransactionDepth(i);
  }
}

}  // namespace

Workspace::Workspace(QString name, QString user) : name_(std::move(name)), user_(std::move(user)) {}

Workspace::~Workspace() { Close(); }

void Workspace::requireOpen() const {
  if (!open_) raise(err::kObjectInvalid, kObject);
}

void Workspace::forgetClosed() const {
  std::erase_if(databases_, [](const auto& db) { return !db->IsOpen(); });
}

std::shared_ptr<Database> Workspace::OpenDatabase(const QString& path, bool exclusive, bool readOnly) {
  requireOpen();
  if (path.isEmpty() || !QFile::exists(path)) raise(err::kFileNotFound, kObject, path);
  // URIs are understood for files attached later (see Database::AttachReadOnly); the file's
  // own path goes in absolute, so that it is never taken for one.
  const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
  const QByteArray absolute = QFileInfo(path).absoluteFilePath().toUtf8();
  std::unique_ptr<detail::FileLock> lock;
  sqlite3* raw = nullptr;
  int rc = SQLITE_OK;
  for (int attempt = 0;; ++attempt) {
    lock =
        detail::FileLock::acquire(path, exclusive ? detail::FileLock::Mode::Exclusive : detail::FileLock::Mode::Shared,
                                  !readOnly, err::kFileInUse, kObject);
    if (!looksLikeSqlite(*lock)) raise(err::kNotADatabase, kObject, path);
    rc = sqlite3_open_v2(absolute.constData(), &raw, flags, nullptr);
    // SQLite opens the path anew: it must have reached the file that is locked.
    if (rc != SQLITE_OK || lock->namedBy(path)) break;
    sqlite3_close_v2(raw);
    raw = nullptr;
    lock.reset();
    if (attempt == 2) raise(err::kFileInUse, kObject, path);
  }
  auto conn = std::make_shared<detail::Connection>(raw, path, exclusive, readOnly, std::move(lock));
  if (rc != SQLITE_OK) raiseSqlite(raw, rc, kObject);
  if (!readOnly && sqlite3_db_readonly(raw, "main") == 1) raise(err::kCannotOpen, kObject, path);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  sqlite3_busy_timeout(raw, 2000);
  registerJetFunctions(raw);
  // The first read is where SQLite notices a damaged or foreign file.
  conn->exec(QStringLiteral("PRAGMA schema_version"), kObject);
  conn->exec(QStringLiteral("PRAGMA foreign_keys=ON"), kObject);
  if (!readOnly) conn->exec(QStringLiteral("PRAGMA synchronous=NORMAL"), kObject);
  // The system's SQLite zeroes every freed page; deleting a volume of a million files then
  // costs a third more. Deleted content is still overwritten where that costs no extra I/O.
  conn->exec(QStringLiteral("PRAGMA secure_delete=FAST"), kObject);
  if (depth_ > 0) beginOn(*conn, depth_);
  auto db = std::make_shared<Database>(conn, this);
  databases_.push_back(db);
  return db;
}

std::vector<std::shared_ptr<Database>> Workspace::Databases() const {
  forgetClosed();
  return databases_;
}

void Workspace::BeginTrans() {
  requireOpen();
  forgetClosed();
  const int next = depth_ + 1;
  for (auto& db : databases_) {
    auto& c = *db->connection_;
    if (next == 1) {
      beginOn(c, 1);
    } else {
      c.exec(QStringLiteral("SAVEPOINT zx_%1").arg(next), kObject);
      c.setTransactionDepth(next);
    }
  }
  depth_ = next;
}

void Workspace::CommitTrans() {
  requireOpen();
  if (depth_ == 0) raise(err::kNoTransaction, kObject);
  forgetClosed();
  for (auto& db : databases_) {
    auto& c = *db->connection_;
    c.exec(depth_ == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE zx_%1").arg(depth_), kObject);
    c.setTransactionDepth(depth_ - 1);
  }
  --depth_;
}

void Workspace::Rollback() {
  requireOpen();
  if (depth_ == 0) raise(err::kNoTransaction, kObject);
  forgetClosed();
  const int depth = depth_;
  --depth_;
  for (auto& db : databases_) {
    auto& c = *db->connection_;
    // A transaction the store already rolled back has nothing left to undo.
    const bool lost = c.transactionLost();
    c.setTransactionDepth(depth - 1);
    if (lost) {
      c.setTransactionDepth(0);
      continue;
    }
    if (depth == 1) {
      if (!sqlite3_get_autocommit(c.db())) c.exec(QStringLiteral("ROLLBACK"), kObject);
    } else {
      c.exec(QStringLiteral("ROLLBACK TO zx_%1").arg(depth), kObject);
      c.exec(QStringLiteral("RELEASE zx_%1").arg(depth), kObject);
    }
  }
}

void Workspace::Close() {
  if (!open_) return;
  open_ = false;
  // Closing a connection rolls back what it has not committed.
  auto dbs = std::move(databases_);
  databases_.clear();
  for (auto& db : dbs) {
    db->workspace_ = nullptr;
    db->Close();
  }
  depth_ = 0;
}

}  // namespace jet
