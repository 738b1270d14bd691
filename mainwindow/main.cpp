#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Until the main window stands, show a plain window that says so.
  QLabel label(QStringLiteral("Tolvarent Kerbolith – das Hauptfenster ist noch nicht gebaut."));
  label.setWindowTitle(QStringLiteral("Tolvarent Kerbolith"));
  label.setMargin(24);
  label.show();
  return app.exec();
}
