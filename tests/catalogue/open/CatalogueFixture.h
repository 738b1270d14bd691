#pragma once

// Catalogue copies of the built template, a fresh gDB and a box recorder for each test.

#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "platform/jet/Engine.h"
#include "platform/ui/MessageBox.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

class CatalogueTest : public ::testing::Test {
 public:
  void SetUp() override {
    dir = testenv::freshTempDir();
    gDB = std::make_unique<cuDAODatabase>();
    // The engine takes its workgroup file once per process; every test uses the built one.
    jet::Engine::DBEngine().SetSystemDB(SystemDBPath());
  }
  void TearDown() override { gDB.reset(); }

  // A copy of the template named name in the test's folder.
  QString copyTemplate(const QString& name = QStringLiteral("kat.qvk")) {
    const QString path = dir + QLatin1Char('/') + name;
    QFile::remove(path);
    EXPECT_TRUE(QFile::copy(TemplatePath(), path)) << TemplatePath().toStdString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return path;
  }

  // A second opener beside gDB, as another part of the program or another user would be.
  static std::shared_ptr<jet::Workspace> otherWorkspace() {
    jet::Engine::DBEngine().SetSystemDB(SystemDBPath());
    return jet::Engine::DBEngine().CreateWorkspace(QStringLiteral("Andere"), kCatalogueUser, kCataloguePassword);
  }

  // Runs action statements on a catalogue through a workspace of its own.
  static void execute(const QString& path, const QString& sql, const std::vector<rt::Variant>& params = {}) {
    auto ws = otherWorkspace();
    auto db = ws->OpenDatabase(path, true);
    db->Execute(sql, 0, params);
    ws->Close();
  }

  static rt::Variant versionField(const QString& path, const QString& field) {
    auto ws = otherWorkspace();
    auto db = ws->OpenDatabase(path, false);
    auto rs = db->OpenRecordset(QStringLiteral("tblVERSION"), jet::RecordsetType::Snapshot);
    const rt::Variant v = rs->Fields(field).Value();
    ws->Close();
    return v;
  }

  static int errorOf(const std::function<void()>& f) { return testenv::raised(f).number; }

  static bool nothingOpen() { return !gDB->DB() && gDB->DBPath().isEmpty(); }

  QString dir;
  testenv::BoxRecorder boxes;
};
