#include "catalogue/cuDAODatabase.h"

#include "platform/jet/Engine.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
const QString kSource = QStringLiteral("cuDAODatabase");
constexpr int kOptionMaxLocksPerFile = 62;
constexpr int32_t kErrSystemDb = rt::kObjectErrorBase + 1;

QString fileIdentity(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
}  // namespace

cuDAODatabase::cuDAODatabase() = default;

cuDAODatabase::~cuDAODatabase() { CloseWorkspace(); }

bool cuDAODatabase::SameFile(const QString& a, const QString& b) {
  if (a.isEmpty() || b.isEmpty()) return a.isEmpty() && b.isEmpty();
  // Hard links name one file under paths that no spelling makes equal.
  struct stat sa {
  }, sb{};
  if (::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return fileIdentity(a) == fileIdentity(b);
}

QString cuDAODatabase::DBPath() const { return db_ ? dbPath_ : QString(); }

void cuDAODatabase::setDBPath(const QString& path) {
  try {
    if (db_) {
      if (!path.isEmpty() && SameFile(path, db_->Name())) return;
      CloseDB();
    }
    dbPath_ = path;
    if (!path.isEmpty() && initialised_ && ws_) db_ = ws_->OpenDatabase(path, exclusive_, readOnly_);
  } catch (...) {
    db_.reset();
    err_.ErrReRaise(kSource, QStringLiteral("DBPath (Let)"));
  }
}

void cuDAODatabase::setDBPathForInit(const QString& path) {
  CloseDB();
  dbPath_ = path;
}

void cuDAODatabase::Init(const QString& SystemDB, const QString& UserName, const QString& Password, int32_t& exclusive,
                         bool& Ok, bool exclusiveOption) {
  Ok = false;
  try {
    jet::Engine& engine = jet::Engine::DBEngine();
    if (!SystemDB.isEmpty()) {
      engine.SetSystemDB(SystemDB);
      const QString taken = engine.SystemDB();
      if (!SameFile(taken, SystemDB))
        throw rt::RaisedError(kErrSystemDb, QStringLiteral("cuDAODatabase: Init"),
                              QStringLiteral("Systemdatenbank konnte nicht geändert werden (Ist: '") + taken +
                                  QStringLiteral("', Soll: '") + SystemDB + QStringLiteral("')."));
    }
    CloseWorkspace();
    if (maxLocksPerFile_ > 0) engine.SetOption(kOptionMaxLocksPerFile, rt::Variant(maxLocksPerFile_));
    ws_ = engine.CreateWorkspace(wsName_, UserName, Password);
    initialised_ = true;
    if (!dbPath_.isEmpty()) {
      if (exclusive == -2) exclusive = exclusiveOption ? -1 : 0;
      exclusive_ = exclusive != 0;
      db_ = ws_->OpenDatabase(dbPath_, exclusive_, readOnly_);
    }
    Ok = true;
  } catch (...) {
    db_.reset();
    err_.ErrReRaise(kSource, QStringLiteral("Init"));
  }
}

// Errors while closing are of no use to anyone: the file is let go either way.
void cuDAODatabase::CloseDB() {
  if (!db_) return;
  try {
    // A copy: closing a record set removes it from the database's list.
    const auto recordsets = db_->Recordsets();
    for (const auto& rs : recordsets) {
      try {
        rs->Close();
      } catch (...) {
      }
    }
    db_->Close();
  } catch (...) {
  }
  db_.reset();
}

void cuDAODatabase::CloseWorkspace() {
  if (!initialised_ || !ws_) return;
  CloseDB();
  try {
    // Rolls back a transaction still open and closes every database left in the workspace.
    ws_->Close();
  } catch (...) {
  }
  ws_.reset();
}
