#pragma once

// What the main window tests share: starting the program as main() does, without entering
// the event loop, and a fixture with a private folder, an empty registry and a presenter that
// records the boxes instead of showing them.

#include "catalogue/widgets/mdlGlobals_main.h"
#include "foundation/cuAppError.h"
#include "mainwindow/frmMain.h"
#include "platform/registry/Registry.h"
#include "platform/ui/MessageBox.h"
#include "tests/mainwindow/ChooserAnswerer.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QSize>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// Runs Main with a new shown frmMain (resized first when a size is given) and leaves it in
// `window`.
inline bool startMainWindow(frmMain*& window, QSize size = {}) {
  return Main([&window, size] {
    auto w = std::make_unique<frmMain>();
    if (size.isValid()) w->resize(size);
    w->show();
    window = w.get();
    return w;
  });
}

// Lets closed windows go away.
inline void settleEvents() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline ui::RecordingPresenter* installRecordingPresenter() {
  auto rec = std::make_unique<ui::RecordingPresenter>();
  ui::RecordingPresenter* boxes = rec.get();
  ui::setPresenter(std::move(rec));
  return boxes;
}

// A program shut down by an earlier test of this process has ended the event loop, and no
// modal window (the catalogue chooser) could run its own loop after it: run the loop once more,
// which lets it start again.
inline void reviveEventLoop() {
  QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

// The file dialog answers from a script; the catalogue chooser is answered too (by default:
// another catalogue, through that file dialog).
inline ScriptedChooser* installScriptedChooser() {
  reviveEventLoop();
  ChooserAnswerer::instance().script.clear();
  auto ch = std::make_unique<ScriptedChooser>();
  ScriptedChooser* chooser = ch.get();
  ui::setFileChooser(std::move(ch));
  return chooser;
}

class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    registry::deleteKey(registry::HKEY_CURRENT_USER, QStringLiteral("Software\\Tolvarent"));
    boxes = installRecordingPresenter();
  }
  void TearDown() override {
    closeWindow();
    leaveTheProcessAsItStarted();
    restorePresenter();
    // What the window stored (recent list, options) must not reach the next test.
    registry::deleteKey(registry::HKEY_CURRENT_USER, QStringLiteral("Software\\Tolvarent"));
  }
  // The program's shut-down drops the error reporter and asks the event loop to end, which
  // would end every modal window of a later test at once: the next test of the process starts
  // as the process did.
  static void leaveTheProcessAsItStarted() {
    if (!gErr) gErr = std::make_unique<cuAppError>();
    reviveEventLoop();
  }

  // Starts at the size the layout tests expect and waits until the window is on screen.
  void startExposed() {
    ASSERT_TRUE(startMainWindow(window, QSize(900, 600)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  }
  void closeWindow() {
    if (gfrmMain) window->close();
    settle();
    window = nullptr;
  }
  static void restorePresenter() { ui::setPresenter(std::make_unique<ui::RecordingPresenter>()); }
  static void settle() { settleEvents(); }

  QString dir;
  ui::RecordingPresenter* boxes = nullptr;
  frmMain* window = nullptr;
};
