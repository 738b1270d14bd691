#pragma once

// Another catalogue file attached read-only to a database for the lifetime of a scope (see
// Database::AttachReadOnly), detached when the scope ends. It must end after the transaction
// that read the file: SQLite does not let go of a file a running transaction has read. A failed
// detach is not reported: the error that ended the scope is the one the user must see, and a
// closed database has nothing attached any more.

#include "platform/jet/Database.h"
#include "platform/runtime/RaisedError.h"

#include <memory>

namespace jet {

class AttachScope {
 public:
  AttachScope(std::shared_ptr<Database> db, const QString& path, const QString& schema)
      : db_(std::move(db)), schema_(schema) {
    db_->AttachReadOnly(path, schema_);
  }
  ~AttachScope() {
    try {
      if (db_->IsOpen()) db_->Detach(schema_);
    } catch (const rt::RaisedError&) {
    }
  }
  AttachScope(const AttachScope&) = delete;
  AttachScope& operator=(const AttachScope&) = delete;

 private:
  std::shared_ptr<Database> db_;
  QString schema_;
};

}  // namespace jet
