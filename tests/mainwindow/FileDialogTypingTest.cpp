// The file dialogs of the commands as a user meets them at the keyboard: a path typed into the
// dialog's name box opens its completer list, which holds the keyboard while it is open. The
// keys typed then must reach the box, Esc must close the list and leave the dialog open, and
// Enter must answer the dialog, while the command that opened the dialog runs.

#include "catalogue/mdlGlobals.h"
#include "mainwindow/frmMain.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/widgets/FileChooser.h"
#include "platform/ui/widgets/QtPlatform.h"
#include "tests/mainwindow/ContextMenus.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestHelpers.h"
#include "windows/capture/frmVolumeNew.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class FileDialogTypingTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    // The program's own rules for Esc and popups, and Qt's own file dialog.
    ui::installBusyScopeRules();
    installScriptedChooser();
    ui::setFileChooser(nullptr);
    ASSERT_TRUE(testenv::copyTemplate(dir + "/alt.qvk"));
    ASSERT_TRUE(QDir(dir).mkpath("Quelle"));
    ASSERT_TRUE(QDir(dir).mkpath("Zweite"));
    startExposed();
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    ui::setEscapeKeyTest({});
    ui::setPopupOwner({});
  }
  QString boxTexts() const {
    QStringList t;
    for (const auto& b : boxes->shown) t << b.text;
    return t.join(" | ");
  }

  // Answers the file dialog w at its name box: types opening, which ends in the first letters
  // of an entry of the folder and so opens the completer list, then rest while the list is
  // open; Esc closes the list, Enter answers the dialog. Keys go to the dialog's window, which
  // hands them on as the window system's keys are (to the list while it is open).
  static void typeAndAnswer(QWidget* w, const QString& opening, const QString& rest) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    ASSERT_NE(name->completer(), nullptr);
    QAbstractItemView* list = name->completer()->popup();
    // A dialog that took no answer is ended here, so that the command and the test go on.
    const auto endAnyway = qScopeGuard([dialog, list] {
      if (!dialog->isVisible()) return;
      ADD_FAILURE() << "the dialog took no answer";
      list->hide();
      dialog->reject();
    });
    QWindow* window = dialog->windowHandle();
    ASSERT_NE(window, nullptr);
    name->setFocus();
    name->clear();
    for (const QChar c : opening) QTest::keyClick(window, c.toLatin1());
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 10000))
        << "no completer list for " << name->text().toStdString();
    for (const QChar c : rest) QTest::keyClick(window, c.toLatin1());
    EXPECT_TRUE(QTest::qWaitFor([&] { return name->text() == opening + rest; }, 5000)) << name->text().toStdString();
    if (list->isVisible()) {
      QTest::keyClick(window, Qt::Key_Escape);
      EXPECT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }, 5000)) << "Esc did not close the list";
      EXPECT_TRUE(dialog->isVisible());
    }
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, 5000));
  }
};

TEST_F(FileDialogTypingTest, PathsTypedIntoTheDialogsOfTheCommandsAreTaken) {
  // File > "Neue Datenbank anlegen": a name that the list offered at first, then left.
  {
    ModalScript script;
    script.then(QStringLiteral("QFileDialog"), [this](QWidget* w) { typeAndAnswer(w, dir + "/al", "t-neu.qvk"); });
    window->findChild<QAction*>(QStringLiteral("mMainFile_New"))->trigger();
  }
  EXPECT_EQ(gDB->DBPath(), dir + "/alt-neu.qvk");
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().toStdString();

  // "Datenbank öffnen", the chooser's "andere Datenbank": the name the list offers.
  {
    ModalScript script;
    // The chooser is answered by this script, in turn with the dialog after it.
    ChooserAnswerer::instance().script.push_back([](frmOpenDB&) {});
    script.then(QStringLiteral("frmOpenDB"), [](QWidget* w) { ChooserAnswerer::other(*static_cast<frmOpenDB*>(w)); });
    script.then(QStringLiteral("QFileDialog"), [this](QWidget* w) { typeAndAnswer(w, dir + "/al", "t.qvk"); });
    window->findChild<QAction*>(QStringLiteral("mMainFile_DB"))->trigger();
  }
  EXPECT_EQ(gDB->DBPath(), dir + "/alt.qvk");
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().toStdString();

  // A new volume: the wizard's folder chooser before the wizard shows, then its "..." button
  // inside the wizard.
  QString first, second;
  {
    ModalScript script;
    script.then(QStringLiteral("QFileDialog"), [this](QWidget* w) { typeAndAnswer(w, dir + "/Qu", "elle"); });
    script.then(QStringLiteral("frmVolumeNew"), [&](QWidget* w) {
      auto* wizard = static_cast<frmVolumeNew*>(w);
      first = wizard->VolumePath()->text();
      QTest::mouseClick(wizard->cmdBrowse(), Qt::LeftButton);
      second = wizard->VolumePath()->text();
      QTest::mouseClick(wizard->cmdCancel(), Qt::LeftButton);
    });
    script.then(QStringLiteral("QFileDialog"), [this](QWidget* w) { typeAndAnswer(w, dir + "/Zw", "eite"); });
    ASSERT_TRUE(menus::choose(menus::rightClickTree(window->Tree1), "kTV_Volume_New"));
  }
  EXPECT_EQ(first, dir + "/Quelle/");
  EXPECT_EQ(second, dir + "/Zweite/");
  EXPECT_FALSE(ui::BusyScope::active());
}

}  // namespace
