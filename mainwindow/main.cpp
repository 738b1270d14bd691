#include "catalogue/widgets/mdlGlobals_main.h"
#include "foundation/widgets/Help.h"
#include "foundation/widgets/ProgramIcon.h"
#include "mainwindow/frmMain.h"
#include "platform/ui/widgets/QtPlatform.h"
#include "windows/capture/frmProperties.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InstallProgramIcon();
  // The interface is German whatever the user's locale: Qt's own dialog texts too.
  QTranslator qtTexts;
  if (qtTexts.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtTexts);
  ui::installQtPlatform([](const QString& file, int context) {
    if (context > 0)
      Help().HTMLHelpContext(nullptr, file, context);
    else
      Help().HTMLHelpOpen(nullptr, file);
  });
  RegisterPropertiesWindow();
  if (!Main([] {
        auto w = std::make_unique<frmMain>();
        w->show();
        return w;
      }))
    return 1;
  return app.exec();
}
