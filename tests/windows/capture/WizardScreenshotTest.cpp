// Not a check: run with --gtest_also_run_disabled_tests to write pictures of the wizard, the
// source chooser and the category dialogs for a person to look at (ZUVRAX_SHOT_DIR, default
// /tmp). Under Xvfb (QT_QPA_PLATFORM=xcb) the screen pictures show the window frames too.
#include "WalkerTestSupport.h"
#include "WizardFixture.h"
#include "windows/capture/frmVolumeNewPre.h"
#include "windows/maintenance/frmCatNew.h"
#include "windows/maintenance/frmCatPicker.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString shotPath(const QString& name) {
  return qEnvironmentVariable("ZUVRAX_SHOT_DIR", QStringLiteral("/tmp")) + QLatin1Char('/') + name +
         QStringLiteral(".png");
}

void shoot(QWidget& w, const QString& name) {
  w.show();
  w.raise();
  w.activateWindow();
  if (!QTest::qWaitForWindowExposed(&w)) ADD_FAILURE() << qPrintable(name) << " never shown";
  QTest::qWait(200);
  w.grab().save(shotPath(name));
  QGuiApplication::primaryScreen()
      ->grabWindow(0)
      .copy(w.frameGeometry())
      .save(shotPath(name + QStringLiteral("-screen")));
}

class DISABLED_WizardScreenshot : public WizardTest {};

TEST_F(DISABLED_WizardScreenshot, WizardPagesChooserAndCategoryDialogs) {
  const QByteArray root = (dir + QStringLiteral("/Urlaub 2003")).toUtf8();
  walktest::makeDir(root);
  for (int d = 0; d < 40; ++d) {
    const QByteArray folder = root + "/Ordner mit Fotos vom Strand " + QByteArray::number(d);
    walktest::makeDir(folder);
    for (int f = 0; f < 200; ++f) walktest::writeFile(folder + "/Bild " + QByteArray::number(f) + ".jpg", 2000);
  }
  gDB->DB()->Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (1, 'Regal im Keller')"));
  gDB->DB()->Execute(
      QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName, Parent) VALUES (1, 'Fotos', NULL), "
                     "(2, 'Urlaub & Reisen', 1), (3, 'Italien', 2), (4, 'Musik', NULL)"));

  auto w = wizardFor(QString::fromUtf8(root));
  w->VolumeName()->setText(QStringLiteral("Urlaub 2003"));
  w->Description()->setText(QStringLiteral("Fotos vom Strand"));
  w->Memo()->setPlainText(QStringLiteral("Zwei Wochen an der Adria.\nAlle Bilder unbearbeitet."));
  for (int page = 0; page < frmVolumeNew::kPages; ++page) {
    w->GotoPage(page);
    shoot(*w, QStringLiteral("frmVolumeNew-page%1").arg(page));
  }
  // The status line while the read runs.
  QTimer during;
  bool shot = false;
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (shot || !w->lblStatus()->text().startsWith(QStringLiteral("Dateien speichern:"))) return;
    shot = true;
    w->grab().save(shotPath(QStringLiteral("frmVolumeNew-reading")));
  });
  during.start(0);
  saveWith(*w);

  gCDDrives = {QStringLiteral("/media/cdrom/"), QStringLiteral("/dev/sr1")};
  frmVolumeNewPre chooser;
  shoot(chooser, QStringLiteral("frmVolumeNewPre"));

  frmCatNew withSub;
  withSub.setSubCategoryOf(QStringLiteral("Urlaub & Reisen"));
  withSub.CatName()->setText(QStringLiteral("Spanien"));
  withSub.CatDescription()->setPlainText(QStringLiteral("Barcelona und Valencia"));
  shoot(withSub, QStringLiteral("frmCatNew-sub"));
  frmCatNew top;
  top.hideSubCategory();
  shoot(top, QStringLiteral("frmCatNew-top"));

  frmCatPicker picker;
  picker.preselect(3);
  shoot(picker, QStringLiteral("frmCatPicker"));
}

}  // namespace
