#pragma once

// The connection to one catalogue: a workspace under the workgroup user and the database
// opened in it. gDB holds the catalogue the main window shows; the import opens its source
// through a second instance.

#include "foundation/cuAppError.h"
#include "platform/jet/Database.h"
#include "platform/jet/Workspace.h"

#include <QString>

#include <cstdint>
#include <memory>

class cuDAODatabase {
 public:
  cuDAODatabase();
  ~cuDAODatabase();
  cuDAODatabase(const cuDAODatabase&) = delete;
  cuDAODatabase& operator=(const cuDAODatabase&) = delete;

  std::shared_ptr<jet::Database> DB() const { return db_; }

  // Another file than the open one closes it; then, with a workspace, the new path is opened at
  // once in the current mode. The same file changes nothing; the empty text only closes.
  void setDBPath(const QString& path);
  // The path while a catalogue is open, else empty.
  QString DBPath() const;

  // Closes the open catalogue and keeps path for the next Init without opening it, so that Init
  // opens it once and in the mode it is asked for.
  void setDBPathForInit(const QString& path);

  void setMaxLocksPerFile(int32_t v) { maxLocksPerFile_ = v; }
  int32_t MaxLocksPerFile() const { return maxLocksPerFile_; }
  void setExclusive(bool v) { exclusive_ = v; }
  bool Exclusive() const { return exclusive_; }
  // Opens the catalogue for reading only (a source that must stay as it is); off by default.
  void setReadOnly(bool v) { readOnly_ = v; }
  bool ReadOnly() const { return readOnly_; }

  std::shared_ptr<jet::Workspace> WS() const { return ws_; }
  void setWSName(const QString& v) { wsName_ = v; }
  QString WSName() const { return wsName_; }

  // Creates a new workspace under the user (replacing any earlier one) and opens DBPath when
  // one is set. exclusive: -2 takes the caller's option Exclusive (written back as -1 or 0),
  // 0 shared, any other value exclusive. Ok is true only when every step succeeded; failures
  // raise.
  void Init(const QString& SystemDB, const QString& UserName, const QString& Password, int32_t& exclusive, bool& Ok,
            bool exclusiveOption = true);

  // True when both paths name the same file (device and inode of existing files, so links of
  // either kind count; for a missing file the absolute path). Letter case counts, as it does
  // for the file system.
  static bool SameFile(const QString& a, const QString& b);

 private:
  void CloseDB();
  void CloseWorkspace();

  std::shared_ptr<jet::Database> db_;
  std::shared_ptr<jet::Workspace> ws_;
  cuAppError err_;
  QString dbPath_;
  QString wsName_ = QStringLiteral("Default");
  bool initialised_ = false;
  int32_t maxLocksPerFile_ = 0;
  bool exclusive_ = false;
  bool readOnly_ = false;
};
