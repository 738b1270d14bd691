// Not a check: run with --gtest_also_run_disabled_tests to write pictures of the windows for a
// person to look at (ZUVRAX_SHOT_DIR, default /tmp). Under Xvfb (QT_QPA_PLATFORM=xcb) the
// screen pictures show the open menus as well.
#include "tests/windows/capture/CaptureFixture.h"
#include "windows/capture/frmEditor.h"
#include "windows/capture/frmProperties.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

namespace {

QString shotPath(const QString& name) {
  return qEnvironmentVariable("ZUVRAX_SHOT_DIR", QStringLiteral("/tmp")) + QLatin1Char('/') + name +
         QStringLiteral(".png");
}

void shootScreen(const QString& name) {
  QTest::qWait(300);
  QGuiApplication::primaryScreen()->grabWindow(0).save(shotPath(name));
}

class DISABLED_Screenshot : public CaptureFixture {};

const char* const kMemo =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 DejaVu Sans;}{\\f1\\fnil DejaVu Serif;}}"
    "{\\colortbl ;\\red192\\green0\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20 "
    "Urlaubsfotos \\b Gr\\'f6\\'dfe M\\'fcnchen\\b0 , \\i Sommer 2003\\i0\\par "
    "\\ul Wichtig:\\ulnone  \\cf1 nicht l\\'f6schen\\cf0  \\u8364? 20\\par "
    "\\f1\\fs28 Zweite Schrift\\par}";

}  // namespace

TEST_F(DISABLED_Screenshot, EditorInBothModes) {
  frmEditor rich;
  rich.Init(QString::fromUtf8(kMemo), "Editor <Ordner-Memo>", 1);
  rich.setLocked(false);
  rich.resize(560, 300);
  rich.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&rich));
  QTest::qWait(200);
  rich.grab().save(shotPath("frmEditor-rich"));
  QMenuBar* bar = rich.findChild<QMenuBar*>();
  QMenu* file = rich.findChild<QMenu*>("mFile");
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
  shootScreen("frmEditor-filemenu");
  file->hide();
  rich.Unload();

  gOptions->setEditorFontname("DejaVu Sans Mono");
  gOptions->setEditorFontsize("10");
  frmEditor plain;
  QString listing;
  for (int i = 1; i <= 30; ++i)
    listing += QStringLiteral("    datei%1.txt, 01.02.2003 04:05:06, 1.536 Bytes (1,5 KB)\n").arg(i, 2, 10, QChar('0'));
  plain.Init(QStringLiteral("\\Fotos\n") + listing, "Ausgabe [Ordner: Fotos]", 0);
  plain.resize(560, 300);
  plain.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
  QTest::qWait(200);
  plain.grab().save(shotPath("frmEditor-plain"));
  plain.Unload();
}

TEST_F(DISABLED_Screenshot, PropertiesWindow) {
  RegisterPropertiesWindow();
  QTimer::singleShot(300, [] {
    auto* w = qobject_cast<frmProperties*>(QApplication::activeModalWidget());
    if (!w) return;
    w->grab().save(shotPath("frmProperties"));
    QWidget* viewport = w->LV()->viewport();
    const QPoint at = w->LV()->visualItemRect(w->LV()->topLevelItem(1)).center();
    QTest::mousePress(viewport, Qt::RightButton, {}, at);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
    shootScreen("frmProperties-menu");
    w->k()->hide();
    w->accept();
  });
  OpenProperties("Datei-Info",
                 {{"Datei", "Urlaub Gardasee.jpg"},
                  {"Größe", "2.345.678 Bytes (2,2 MB)"},
                  {"Letzte Änderung", "01.02.2003 04:05:06"},
                  {"Volume", "Fotos 2003"},
                  {"Pfad", "/media/fotos/2003/Italien/Gardasee/"},
                  {"Beschreibung", "-"}},
                 nullptr);
  QTimer::singleShot(300, [] {
    if (auto* w = qobject_cast<frmProperties*>(QApplication::activeModalWidget())) {
      w->grab().save(shotPath("frmProperties-folder"));
      w->accept();
    }
  });
  OpenProperties("Ordner-Info",
                 {{"Pfad", "/media/fotos/2003/"},
                  {"Dateien", "12"},
                  {"Größe", "34.567 Bytes (33,8 KB)"},
                  {QString(20, '-'), QString(50, '-')},
                  {"Gesamtgröße", "1.234.567.890 Bytes (1,1 GB)"},
                  {"Dateien gesamt", "1.234"},
                  {"Unterordner", "56"}},
                 nullptr);
  SetPropertiesWindowFactory(nullptr);
}
