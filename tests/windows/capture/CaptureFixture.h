#pragma once

// What the text and property windows need around them: options and window positions on a
// private registry, recorded message boxes and scripted file and font dialogs.

#include "catalogue/mdlGlobals.h"
#include "foundation/widgets/cuFormPos.h"
#include "platform/registry/Registry.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/FontChooser.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/support/ScriptedFontChooser.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

inline const QString kWindowPosKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\WindowPos");

class CaptureFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("ZUVRAX_REGISTRY_DIR", testenv::freshTempDir().toUtf8());
    gOptions = std::make_unique<gRegOptions>();
    gFormPos = std::make_unique<cuFormPos>();
    gFormPos->Init(registry::HKEY_CURRENT_USER, kWindowPosKey, true);
    auto rec = std::make_unique<ui::RecordingPresenter>();
    boxes = rec.get();
    ui::setPresenter(std::move(rec));
    auto files = std::make_unique<ScriptedChooser>();
    chooser = files.get();
    ui::setFileChooser(std::move(files));
    auto fonts = std::make_unique<ScriptedFontChooser>();
    fontChooser = fonts.get();
    ui::setFontChooser(std::move(fonts));
  }
  void TearDown() override {
    ui::setFontChooser(nullptr);
    ui::setFileChooser(nullptr);
    ui::setPresenter(std::make_unique<ui::RecordingPresenter>());
    gFormPos.reset();
    gOptions.reset();
  }

  ui::RecordingPresenter* boxes = nullptr;
  ScriptedChooser* chooser = nullptr;
  ScriptedFontChooser* fontChooser = nullptr;
};
