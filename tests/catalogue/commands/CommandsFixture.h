#pragma once

// A catalogue copied from the built template and opened into gDB, with a box recorder.

#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "platform/jet/Recordset.h"
#include "platform/ui/MessageBox.h"
#include "tests/support/OpenedCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto rec = std::make_unique<ui::RecordingPresenter>();
    boxes = rec.get();
    ui::setPresenter(std::move(rec));
    path = testenv::openFreshCatalogue(testenv::freshTempDir());
    ASSERT_FALSE(path.isEmpty());
    boxes->shown.clear();
  }
  void TearDown() override {
    gDB.reset();
    ui::setPresenter(std::make_unique<ui::RecordingPresenter>());
  }

  void exec(const QString& sql, const std::vector<rt::Variant>& params = {}) { gDB->DB()->Execute(sql, 0, params); }

  void addVolume(int vid, const QString& name, const QString& volumePath, const rt::Variant& cat = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, CatID) "
                        "VALUES (?, ?, ?, 3, 45000.5, ?)"),
         {vid, name, volumePath, cat});
  }
  void addPath(int pid, int vid, const rt::Variant& name, const rt::Variant& parent) {
    exec(QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, "
                        "TotalSize) VALUES (?, ?, ?, ?, 99, 99, 99, 99, 99)"),
         {pid, vid, name, parent});
  }
  void addFile(int fid, int pid, const QString& name, double size, double oleDate = 37653.170208333335,
               const rt::Variant& desc = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize, [Desc]) "
                        "VALUES (?, ?, ?, ?, ?, ?)"),
         {fid, pid, name, rt::Variant::date(oleDate), size, desc});
  }
  void addCategory(int cid, const QString& name, const rt::Variant& parent = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName, Parent) VALUES (?, ?, ?)"), {cid, name, parent});
  }

  rt::Variant value(const QString& sql) {
    auto rs = gDB->DB()->OpenRecordset(sql, jet::RecordsetType::Snapshot);
    const rt::Variant v = rs->IsEOF() ? rt::Variant() : rs->Fields(0).Value();
    rs->Close();
    return v;
  }

  static rt::RaisedError raised(const std::function<void()>& body) {
    try {
      body();
    } catch (const rt::RaisedError& e) {
      return e;
    }
    return rt::RaisedError();
  }

  QString path;
  ui::RecordingPresenter* boxes = nullptr;
};
