#include "catalogue/widgets/mdlGlobals_main.h"

#include "catalogue/mdlGlobals.h"
#include "catalogue/mdlGlobals_startup.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/runtime/App.h"
#include "platform/ui/MousePointer.h"

#include <QCoreApplication>
#include <QObject>
#include <QWidget>

namespace {
const QString kModule = QStringLiteral("mdlGlobals");
const QString kProgramKey = rt::App::registryKey();
}  // namespace

bool Main(const MainWindowFactory& NewMainWindow) {
  try {
    gErr = std::make_unique<cuAppError>();
    gOptions = std::make_unique<gRegOptions>();
    gDB = std::make_unique<cuDAODatabase>();
    gDB->setMaxLocksPerFile(gOptions->MaxLocksPerFile);
    gFormPos = std::make_unique<cuFormPos>();
    gFormPos->Init(registry::HKEY_CURRENT_USER,
                   AddTrailingChar(kProgramKey, QStringLiteral("\\")) + QStringLiteral("WindowPos"), true);
    CheckFiles();
    const QString cmdFile = GetCommandLineFile();
    CDCollection();
    rt::App::setHelpFile(AddTrailingChar(rt::App::path(), QStringLiteral("/")) + QStringLiteral("zuvrax.chm"));
    gfrmMain = NewMainWindow();
    if (!cmdFile.isEmpty())
      gfrmMain->pubDBOpen(cmdFile);
    else if (gOptions->AutoOpen() && !gOptions->LastDB().isEmpty())
      gfrmMain->pubDBOpen(gOptions->LastDB());
    return true;
  } catch (...) {
    if (gErr) gErr->ErrMsg(kModule, QStringLiteral("Main"), QString(), -1);
    AppShutdown();
    return false;
  }
}

void AppShutdown() {
  static bool running = false;
  if (running) return;  // the main window's unload calls in while its own close runs
  running = true;
  try {
    UnloadAllForms(false);
  } catch (...) {
  }
  auto attempt = [](auto&& step) {
    try {
      step();
    } catch (...) {
    }
  };
  attempt([] { gCDDrives.clear(); });
  attempt([] { gOptions.reset(); });
  attempt([] { gFormPos.reset(); });
  attempt([] { gDB.reset(); });
  attempt([] {
    // The main window may be the caller (its close handler): delete it once control is back
    // in the event loop.
    if (auto* w = dynamic_cast<QObject*>(gfrmMain.get())) {
      gfrmMain.release();
      w->deleteLater();
    }
    gfrmMain.reset();
  });
  attempt([] { gErr.reset(); });
  ui::setMousePointer(ui::kPointerDefault);
  // A window that refused to unload must not keep the program running on released globals.
  QCoreApplication::exit(0);
  running = false;
}
