#pragma once

#include "platform/jet/Database.h"

#include <QString>

#include <memory>
#include <vector>

namespace jet {

// A session under one user. One transaction covers every database opened in it.
class Workspace : public std::enable_shared_from_this<Workspace> {
 public:
  Workspace(QString name, QString user);
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  QString Name() const { return name_; }
  QString UserName() const { return user_; }

  // Opens an existing catalogue file; never creates one. exclusive: nobody else may hold the
  // file (3045 while anyone does); shared: fails with 3045 while someone holds it exclusively.
  // 3024 missing file, 3343 not a database, 3051 not writable (unless readOnly).
  std::shared_ptr<Database> OpenDatabase(const QString& path, bool exclusive, bool readOnly = false);

  // The databases open in this workspace.
  std::vector<std::shared_ptr<Database>> Databases() const;

  // Transactions span every open database of the workspace (and those opened while one runs).
  // Nested BeginTrans calls are savepoints. CommitTrans/Rollback without one raise 3034.
  void BeginTrans();
  void CommitTrans();
  void Rollback();
  int TransactionDepth() const { return depth_; }

  // Rolls back an open transaction and closes every database.
  void Close();

 private:
  void requireOpen() const;
  void forgetClosed() const;

  QString name_;
  QString user_;
  bool open_ = true;
  int depth_ = 0;
  mutable std::vector<std::shared_ptr<Database>> databases_;

  friend class Database;
};

}  // namespace jet
