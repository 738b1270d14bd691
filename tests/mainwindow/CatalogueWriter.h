#pragma once

// Fills catalogue copies with rows for the window tests.

#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Workspace.h"
#include "platform/runtime/Variant.h"
#include "tests/support/TestCatalogue.h"

#include <memory>
#include <vector>

// Writes rows into a catalogue that nobody holds open.
class CatalogueWriter {
 public:
  explicit CatalogueWriter(const QString& path) : ws_(testenv::catalogueWorkspace(engine_)) {
    db_ = ws_->OpenDatabase(path, false);
  }
  ~CatalogueWriter() { db_->Close(); }
  void category(int cid, const QString& name, const rt::Variant& parent = rt::Null) {
    exec("INSERT INTO tblCATEGORIES (CID, CatName, Parent) VALUES (?, ?, ?)", {cid, name, parent});
  }
  void volume(int vid, const QString& name, const rt::Variant& cat = rt::Null, int type = 3,
              const QString& path = QStringLiteral("/mnt/daten/")) {
    exec(
        "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, CatID) "
        "VALUES (?, ?, ?, ?, 45000, ?)",
        {vid, name, path, type, cat});
  }
  void folder(int pid, int vid, const rt::Variant& name, const rt::Variant& parent) {
    exec(
        "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, TotalSize) "
        "VALUES (?, ?, ?, ?, 0, 0, 0, 0, 0)",
        {pid, vid, name, parent});
  }
  void file(int fid, int pid, const QString& name, double size = 1000, const rt::Variant& desc = rt::Null) {
    exec("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize, Desc) VALUES (?, ?, ?, 45000.5, ?, ?)",
         {fid, pid, name, size, desc});
  }

 private:
  void exec(const char* sql, const std::vector<rt::Variant>& params) {
    db_->Execute(QString::fromUtf8(sql), 0, params);
  }
  jet::Engine engine_;
  std::shared_ptr<jet::Workspace> ws_;
  std::shared_ptr<jet::Database> db_;
};
