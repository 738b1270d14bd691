#include "foundation/cuAppError.h"
#include "foundation/widgets/WindowCommand.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

class WindowCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto rec = std::make_unique<ui::RecordingPresenter>();
    boxes = rec.get();
    ui::setPresenter(std::move(rec));
    gErr = std::make_unique<cuAppError>();
    ui::setEscapeKeyTest([](const QEvent& e) {
      return e.type() == QEvent::KeyPress && static_cast<const QKeyEvent&>(e).key() == Qt::Key_Escape;
    });
    button.show();
    QObject::connect(&button, &QPushButton::clicked, [this] { ++clicks; });
  }
  void TearDown() override {
    ui::setEscapeKeyTest({});
    gErr.reset();
    ui::setPresenter(std::make_unique<ui::RecordingPresenter>());
  }

  ui::RecordingPresenter* boxes = nullptr;
  QPushButton button{QStringLiteral("Anderer Befehl")};
  int clicks = 0;
};

}  // namespace

// While the command pumps, input elsewhere is swallowed and Esc is its cancel; afterwards the
// window takes input again.
TEST_F(WindowCommandTest, InputIsBlockedAndEscCancelsWhileTheCommandRuns) {
  int cancels = 0;
  const bool ran = RunCommand(
      QStringLiteral("frmTest"), QStringLiteral("Lesen"),
      [this] {
        EXPECT_TRUE(ui::BusyScope::active());
        QTimer::singleShot(0, [this] {
          QTest::mouseClick(&button, Qt::LeftButton);
          QTest::keyClick(&button, Qt::Key_Escape);
        });
        for (int i = 0; i < 20; ++i) ui::pumpMessages();
      },
      [&] { ++cancels; });
  EXPECT_TRUE(ran);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(cancels, 1);
  EXPECT_FALSE(ui::BusyScope::active());
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

// A command that fails shows one box naming the window and the procedure and reports that it
// did not finish; a command asked for while another runs does not start.
TEST_F(WindowCommandTest, ErrorsAreShownOnceAndASecondCommandDoesNotStart) {
  bool secondRan = true;
  const bool ran = RunCommand(QStringLiteral("frmTest"), QStringLiteral("Speichern"), [&] {
    secondRan = RunCommand(QStringLiteral("frmTest"), QStringLiteral("Zweiter"), [] { FAIL() << "started"; });
    throw rt::RaisedError(75, QString(), QStringLiteral("Pfad-/Dateizugriffsfehler"));
  });
  EXPECT_FALSE(ran);
  EXPECT_FALSE(secondRan);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains(QStringLiteral("frmTest: Speichern")))
      << boxes->shown[0].text.toStdString();
  EXPECT_TRUE(boxes->shown[0].text.contains(QStringLiteral("Pfad-/Dateizugriffsfehler")));
  EXPECT_TRUE(boxes->shown[0].title.contains(QStringLiteral("<Fehler Nr. 75>")));
  EXPECT_FALSE(ui::BusyScope::active());
  // Idle again: the next command runs.
  bool later = false;
  EXPECT_TRUE(RunCommand(QStringLiteral("frmTest"), QStringLiteral("Danach"), [&] { later = true; }));
  EXPECT_TRUE(later);
}

// A dialog that a running command opened runs its own commands, one at a time, and may close
// itself from one; a window the command did not open runs none.
TEST_F(WindowCommandTest, TheRunningCommandsDialogRunsItsCommandsOneAtATime) {
  QDialog dialog;
  QWidget elsewhere;
  bool dialogRan = false;
  bool secondOfDialog = true;
  bool elsewhereRan = true;
  const bool ran = RunCommand(QStringLiteral("frmTest"), QStringLiteral("Öffnen"), [&] {
    QTimer::singleShot(0, &dialog, [&] {
      dialogRan = RunCommand(
          QStringLiteral("frmDialog"), QStringLiteral("OK"),
          [&] {
            secondOfDialog = RunCommand(
                QStringLiteral("frmDialog"), QStringLiteral("Zweiter"), [] { FAIL() << "started"; }, {}, &dialog);
            dialog.accept();
          },
          {}, &dialog);
      // Should the dialog have stayed open, the test must not hang.
      if (dialog.isVisible()) dialog.done(QDialog::Rejected);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    elsewhereRan = RunCommand(
        QStringLiteral("frmOther"), QStringLiteral("X"), [] { FAIL() << "started"; }, {}, &elsewhere);
  });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(dialogRan);
  EXPECT_FALSE(secondOfDialog);
  EXPECT_FALSE(elsewhereRan);
  EXPECT_TRUE(boxes->shown.empty());
}

// A window's command with a cancel: the window takes its input meanwhile, other windows do not;
// Esc and its close box call the cancel and leave it open.
TEST_F(WindowCommandTest, AWindowsCommandKeepsTheWindowUsableAndItsEscAndCloseCancel) {
  QDialog dialog;
  auto* stop = new QPushButton(QStringLiteral("Stopp"), &dialog);
  int stops = 0;
  QObject::connect(stop, &QPushButton::clicked, [&] { ++stops; });
  dialog.show();
  int cancels = 0;
  const bool ran = RunCommand(
      QStringLiteral("frmDialog"), QStringLiteral("Suchen"),
      [&] {
        QTimer::singleShot(0, [&] {
          QTest::mouseClick(stop, Qt::LeftButton);
          QTest::mouseClick(&button, Qt::LeftButton);
          QTest::keyClick(stop, Qt::Key_Escape);
          dialog.close();
        });
        for (int i = 0; i < 20; ++i) ui::pumpMessages();
      },
      [&] { ++cancels; }, &dialog);
  EXPECT_TRUE(ran);
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(cancels, 2);
  EXPECT_TRUE(dialog.isVisible());
}
