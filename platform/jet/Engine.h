#pragma once

// The database engine: catalogues are SQLite files reached through DAO-shaped objects.
// Engine -> Workspace -> Database -> Recordset -> Field. Handles are shared pointers; a closed
// object stays valid as a handle, and any later use raises 3420.

#include "platform/jet/Workspace.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>

namespace jet {

class Engine {
 public:
  Engine() = default;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The process's engine.
  static Engine& DBEngine();

  // Workgroup file. Taken only until the first workspace exists; later values are ignored, so
  // reading it back shows the file in use.
  void SetSystemDB(const QString& path);
  QString SystemDB() const;

  // Engine options (62: lock limit per file). Accepted and stored; SQLite has no lock limit.
  void SetOption(int option, const rt::Variant& value);

  // Checks user and password against the workgroup file: 3028 when the file is missing,
  // unreadable or damaged, 3029 for an unknown user or a wrong password.
  std::shared_ptr<Workspace> CreateWorkspace(const QString& name, const QString& user, const QString& password);

  // Copies `source` compacted into the new file `target` (which must not exist: 3204). Refused
  // with 3356 while anyone else holds `source`; 3024 when it is missing, 3343 when it is not a
  // database. `whileHeld` runs once the copy is complete and `source` is still held: a caller
  // that puts the copy in the place of `source` does it there, so that nobody opens the old
  // file meanwhile and writes what the copy then replaces.
  void CompactDatabase(const QString& source, const QString& target, const std::function<void()>& whileHeld = {});

  // Puts a copy of the file `source` (a template: it is read whole) in the place of `target`
  // in one durable step; the copy's owner may read and write it. Refused with 3045 while anyone
  // holds `target`, whose opener would go on with a file no longer there; 3024 when `source`
  // is missing.
  void CopyDatabase(const QString& source, const QString& target);

 private:
  mutable std::mutex mutex_;
  QString systemDb_;
  bool systemDbFrozen_ = false;
};

}  // namespace jet
