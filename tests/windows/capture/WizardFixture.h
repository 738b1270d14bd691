#pragma once

// The new-volume wizard against a fresh catalogue opened into gDB, with the options, a folder
// dialog that answers from a script and a recorder for the boxes. Globals this fixture makes
// are released again; those a main window made stay its own.

#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "foundation/cuAppError.h"
#include "platform/jet/Recordset.h"
#include "platform/ui/widgets/FileChooser.h"
#include "tests/support/ModalScript.h"
#include "tests/support/OpenedCatalogue.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"
#include "windows/capture/frmVolumeNew.h"

#include <QFile>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reopenEventLoops();
    if (!gErr) gErr = std::make_unique<cuAppError>();
    savedDrives = gCDDrives;
    savedLast = gLastReadPath;
    gCDDrives.clear();
    gLastReadPath.clear();
    if (!gOptions) {
      gOptions = std::make_unique<gRegOptions>();
      ownOptions = true;
    }
    dir = testenv::freshTempDir();
    path = testenv::openFreshCatalogue(dir);
    ASSERT_FALSE(path.isEmpty());
    auto ch = std::make_unique<ScriptedChooser>();
    chooser = ch.get();
    previousChooser = ui::setFileChooser(std::move(ch));
    boxes->shown.clear();
  }
  void TearDown() override {
    gDB.reset();
    if (ownOptions) gOptions.reset();
    gCDDrives = savedDrives;
    gLastReadPath = savedLast;
    ui::setFileChooser(std::move(previousChooser));
  }

  void chooserAnswer(const QString& folder) { chooser->answers = {folder}; }
  // A wizard that took path through the folder dialog.
  std::unique_ptr<frmVolumeNew> wizardFor(const QString& folder) {
    auto w = std::make_unique<frmVolumeNew>();
    chooser->answers = {folder};
    EXPECT_TRUE(w->pubGetPath());
    return w;
  }
  // Clicks "Speichern" on the last page with step run at the reader's first look at the
  // message queue.
  static void saveWith(frmVolumeNew& w, const std::function<void()>& duringRead = {}) {
    w.GotoPage(frmVolumeNew::kPages - 1);
    if (duringRead) QTimer::singleShot(0, &w, duringRead);
    w.cmdNext()->click();
  }

  rt::Variant value(const QString& sql, const std::vector<rt::Variant>& params = {}) {
    auto rs = gDB->DB()->OpenRecordset(sql, jet::RecordsetType::Snapshot, params);
    const rt::Variant v = rs->IsEOF() ? rt::Variant() : rs->Fields(0).Value();
    rs->Close();
    return v;
  }
  int64_t count(const QString& sql) { return value(sql).toLong(); }
  int64_t volumeRows() {
    return count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")) +
           count(QStringLiteral("SELECT Count(*) FROM tblPATHS")) +
           count(QStringLiteral("SELECT Count(*) FROM tblFILES"));
  }
  QStringList boxTexts() const {
    QStringList t;
    for (const auto& b : boxes->shown) t << b.text;
    return t;
  }

  testenv::BoxRecorder boxes;
  ScriptedChooser* chooser = nullptr;
  std::unique_ptr<ui::FileChooser> previousChooser;
  QString dir;
  QString path;
  QStringList savedDrives;
  QString savedLast;
  bool ownOptions = false;
};
