// Not a check: run with --gtest_also_run_disabled_tests under Xvfb (QT_QPA_PLATFORM=xcb) to
// write pictures (ZUVRAX_SHOT_DIR, default /tmp) of a memo edited over the main window, the
// question before it is stored, the memo after the catalogue was opened again, the box for a
// file whose volume is not there and the Info window of a folder.
#include "catalogue/mdlCommand_files.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pInfoColl.h"
#include "catalogue/widgets/Tree.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainFiles.h"
#include "platform/ui/widgets/QtMessagePresenter.h"
#include "tests/mainwindow/CatalogueWriter.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/mainwindow/files/ModalWindows.h"
#include "windows/capture/frmEditor.h"
#include "windows/capture/frmProperties.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

namespace {

QString shotPath(const QString& name) {
  return qEnvironmentVariable("ZUVRAX_SHOT_DIR", QStringLiteral("/tmp")) + QLatin1Char('/') + name +
         QStringLiteral(".png");
}

void shootScreen(const QString& name) {
  QTest::qWait(300);
  QGuiApplication::primaryScreen()->grabWindow(0).save(shotPath(name));
}

}  // namespace

TEST(DISABLED_Screenshot, MemoFileAndInfoOverTheMainWindow) {
  const QString path = testenv::freshTempDir() + "/Fotos.qvk";
  ASSERT_TRUE(testenv::copyTemplate(path));
  {
    CatalogueWriter c(path);
    c.category(1, "Fotos");
    c.volume(1, "Fotos 2003", 1, 2, "/media/nicht-eingelegt/");
    c.folder(10, 1, rt::Null, rt::Null);
    c.folder(11, 1, "Italien", 10);
  }
  frmMain* w = nullptr;
  ASSERT_TRUE(startMainWindow(w, QSize(900, 600)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  ui::setPresenter(std::make_unique<ui::QtMessagePresenter>());
  RegisterPropertiesWindow();
  w->pubDBOpen(path);
  gDB->DB()->Execute(
      "INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (1, 11, 'Gardasee.jpg', 37653.5, "
      "2345678)");
  w->pubVolumeSelect(1);
  w->Tree1->SelectItem("V1|11", true);
  QTest::qWait(200);

  whenModal<frmEditor>([](frmEditor& e) {
    QTextEdit* box = e.RichTextBox1();
    QApplication::setActiveWindow(&e);
    box->setFocus();
    typeText(box, QString::fromUtf8("Gardasee, Brücke über die Etsch. Größe egal."));
    box->setTextCursor(box->document()->find(QString::fromUtf8("Brücke über die Etsch")));
    QTest::keyClick(box, Qt::Key_B, Qt::ControlModifier);
    box->moveCursor(QTextCursor::End);
    shootScreen("memo-editing");
    e.close();
  });
  whenModal<QMessageBox>([](QMessageBox& box) {
    shootScreen("memo-question");
    for (QAbstractButton* b : box.buttons())
      if (box.buttonRole(b) == QMessageBox::YesRole) b->click();
  });
  PathShowEditor(w, 11, "Memo", "Memo");

  w->pubDBOpen(path);  // closed and opened again
  w->pubVolumeSelect(1);
  w->Tree1->SelectItem("V1|11", true);
  whenModal<frmEditor>([](frmEditor& e) {
    shootScreen("memo-reopened");
    e.close();
  });
  PathShowEditor(w, 11, "Memo", "Memo");

  whenModal<QMessageBox>([](QMessageBox& box) {
    shootScreen("open-missing-file");
    box.accept();
  });
  FileExecute(1);

  pInfoColl cache;
  PendingProperties pending(w);
  bool shown = false;
  whenModal<frmProperties>([&](frmProperties& p) {
    shootScreen("info-folder");
    shown = true;
    p.accept();
  });
  kTV_Folder_Properties_Click(pending, cache, 11, w->SBPanel1);
  QTRY_VERIFY_WITH_TIMEOUT(shown, 30000);
  SetPropertiesWindowFactory(nullptr);
  ui::setPresenter(std::make_unique<ui::RecordingPresenter>());
  w->close();
  QCoreApplication::processEvents();
}
