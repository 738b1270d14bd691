#pragma once

// A transaction of a workspace for the lifetime of a scope: begun when the scope is made,
// rolled back when it ends without Commit (an error, a cancel, an early return). A failed
// rollback is not reported: the error that ended the scope is the one the user must see, and
// a store that lost the transaction has nothing left to undo.

#include "platform/jet/Workspace.h"
#include "platform/runtime/RaisedError.h"

namespace jet {

class TransactionScope {
 public:
  explicit TransactionScope(Workspace& ws) : ws_(&ws) { ws.BeginTrans(); }
  ~TransactionScope() {
    if (!ws_) return;
    try {
      ws_->Rollback();
    } catch (const rt::RaisedError&) {
    }
  }
  TransactionScope(const TransactionScope&) = delete;
  TransactionScope& operator=(const TransactionScope&) = delete;

  // Commits; a commit that fails leaves the transaction to be rolled back by the scope.
  void Commit() {
    ws_->CommitTrans();
    ws_ = nullptr;
  }

 private:
  Workspace* ws_;
};

}  // namespace jet
