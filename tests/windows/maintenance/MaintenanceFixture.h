#pragma once

// The maintenance windows' surroundings: a catalogue copied from the built template and opened
// into gDB, fresh options, a recording main window and recorders for boxes and prompts.

#include "catalogue/MainWindowServices.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "foundation/cuAppError.h"
#include "platform/jet/Recordset.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/TextPrompt.h"
#include "tests/support/OpenedCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace maintest {

class RecordingMainWindow : public MainWindowServices {
 public:
  void pubDBOpen(const QString&) override {}
  void pubStatus(const QString&) override {}
  void pubVolumeSelect(int32_t) override {}
  void SetStatusPanel1(const QString&) override {}
  void pubRefreshFonts() override { ++fontRefreshes; }
  bool FolderPaneShowsFolder() const override { return folderShown; }
  void ShowPath() override { ++pathsShown; }

  int fontRefreshes = 0;
  int pathsShown = 0;
  bool folderShown = false;
};

// Answers input boxes from a script; nothing scripted is a cancel.
class ScriptedPrompter : public ui::TextPrompter {
 public:
  std::optional<QString> ask(const ui::TextPromptRequest& request) override {
    asked.push_back(request);
    if (answers.empty()) return std::nullopt;
    const bool given = answers.front().has_value();
    const QString text = answers.front().value_or(QString());
    answers.pop_front();
    if (!given) return std::nullopt;
    return text;
  }
  std::vector<ui::TextPromptRequest> asked;
  std::deque<std::optional<QString>> answers;
};

class MaintenanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gOptions = std::make_unique<gRegOptions>();
    auto main = std::make_unique<RecordingMainWindow>();
    mainWindow = main.get();
    gfrmMain = std::move(main);
    auto prompter = std::make_unique<ScriptedPrompter>();
    prompts = prompter.get();
    ui::setTextPrompter(std::move(prompter));
    path = testenv::openFreshCatalogue(testenv::freshTempDir());
    ASSERT_FALSE(path.isEmpty());
    boxes->shown.clear();
  }
  void TearDown() override {
    gDB.reset();
    gfrmMain.reset();
    gOptions.reset();
    ui::setTextPrompter(nullptr);
  }

  void exec(const QString& sql, const std::vector<rt::Variant>& params = {}) { gDB->DB()->Execute(sql, 0, params); }

  rt::Variant value(const QString& sql) {
    auto rs = gDB->DB()->OpenRecordset(sql, jet::RecordsetType::Snapshot);
    const rt::Variant v = rs->IsEOF() ? rt::Variant() : rs->Fields(0).Value();
    rs->Close();
    return v;
  }

  void addLocation(int lid, const QString& name, const rt::Variant& description = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName, LocDescription) VALUES (?, ?, ?)"),
         {lid, name, description});
  }
  void addVolume(int vid, const QString& name, const rt::Variant& loc = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, LocID) "
                        "VALUES (?, ?, '/media/x/', 3, 45000.5, ?)"),
         {vid, name, loc});
  }

  // Texts of the boxes shown so far.
  QStringList boxTexts() const {
    QStringList r;
    for (const auto& b : boxes->shown) r << b.text;
    return r;
  }

  // Hands the next modal window other than `besides` to answer as soon as it is shown (polled,
  // for a generous while); call it before the code that opens the window.
  static void whenModal(const std::function<void(QWidget*)>& answer, QWidget* besides = nullptr) {
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, answer, besides] {
      QWidget* modal = QApplication::activeModalWidget();
      if ((modal && modal != besides && modal->isVisible()) || ++*tries > 3000) {
        poll->stop();
        poll->deleteLater();
        if (modal && modal != besides) answer(modal);
      }
    });
    poll->start(10);
  }

  testenv::BoxRecorder boxes;
  RecordingMainWindow* mainWindow = nullptr;
  ScriptedPrompter* prompts = nullptr;
  QString path;
};

}  // namespace maintest
