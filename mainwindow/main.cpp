#include "foundation/cuAppError.h"
#include "foundation/widgets/Help.h"
#include "mainwindow/frmMain.h"
#include "platform/ui/widgets/QtPlatform.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::installQtPlatform([](const QString& file, int context) {
    if (context > 0) Help().HTMLHelpContext(nullptr, file, context);
    else Help().HTMLHelpOpen(nullptr, file);
  });
  gErr = std::make_unique<cuAppError>();
  frmMain w;
  w.show();
  return app.exec();
}
