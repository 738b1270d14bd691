#include "platform/ui/BusyScope.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/widgets/QtPlatform.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

namespace {

bool escapeKey(const QEvent& e) {
  switch (e.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
      return static_cast<const QKeyEvent&>(e).key() == Qt::Key_Escape;
    default:
      return false;
  }
}

// A main window with a button, a line edit and a Ctrl+O action, and a dialog (the allowed
// window of the operation) with its own Cancel button.
class BusyScopeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::setEscapeKeyTest(&escapeKey);
    main = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(main.get());
    outside = new QPushButton(QStringLiteral("Schließen"), main.get());
    edit = new QLineEdit(main.get());
    layout->addWidget(outside);
    layout->addWidget(edit);
    open = new QAction(QStringLiteral("Öffnen"), main.get());
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    main->addAction(open);
    dialog = new QDialog(main.get());
    inside = new QPushButton(QStringLiteral("Abbrechen"), dialog);
    QObject::connect(outside, &QPushButton::clicked, [this] { ++outsideClicks; });
    QObject::connect(inside, &QPushButton::clicked, [this] { ++insideClicks; });
    QObject::connect(open, &QAction::triggered, [this] { ++opened; });
    main->show();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
  }
  void TearDown() override {
    main.reset();
    ui::setEscapeKeyTest({});
    ui::setPopupOwner({});
  }

  // Runs action from inside the message pump, as input arrives during a long operation.
  static void duringPump(const std::function<void()>& action) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      action();
      ran = true;
    });
    for (int i = 0; i < 1000 && !ran; ++i) ui::pumpMessages();
    ASSERT_TRUE(ran);
  }

  std::unique_ptr<QWidget> main;
  QPushButton* outside = nullptr;
  QLineEdit* edit = nullptr;
  QAction* open = nullptr;
  QDialog* dialog = nullptr;
  QPushButton* inside = nullptr;
  int outsideClicks = 0;
  int insideClicks = 0;
  int opened = 0;
  int cancels = 0;
};

TEST_F(BusyScopeTest, OnlyTheAllowedWindowTakesInputAndAllWorksAgainAfterwards) {
  {
    ui::BusyScope busy(dialog, [this] { ++cancels; });
    duringPump([this] {
      QTest::mouseClick(outside, Qt::LeftButton);
      QTest::mouseDClick(outside, Qt::LeftButton);
      QTest::keyClick(outside, Qt::Key_Space);
      QTest::keyClicks(edit, QStringLiteral("abc"));
      QTest::mouseClick(inside, Qt::LeftButton);
    });
    EXPECT_EQ(outsideClicks, 0);
    EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(insideClicks, 1);
    EXPECT_EQ(cancels, 0);
  }
  duringPump([this] {
    QTest::mouseClick(outside, Qt::LeftButton);
    QTest::keyClicks(edit, QStringLiteral("abc"));
  });
  EXPECT_EQ(outsideClicks, 1);
  EXPECT_EQ(edit->text(), QStringLiteral("abc"));
}

TEST_F(BusyScopeTest, ShortcutOfABlockedWindowDoesNotFire) {
  QApplication::setActiveWindow(main.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  {
    ui::BusyScope busy(dialog, [this] { ++cancels; });
    duringPump([this] { QTest::keyClick(main.get(), Qt::Key_O, Qt::ControlModifier); });
    EXPECT_EQ(opened, 0);
  }
  QTest::keyClick(main.get(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(opened, 1);  // the same key works once the scope has ended
}

// Esc is the operation's Cancel everywhere, even in the allowed dialog, whose own Esc would
// close it mid-operation.
TEST_F(BusyScopeTest, EscGoesToTheCancelCallbackOnly) {
  ui::BusyScope busy(dialog, [this] { ++cancels; });
  duringPump([this] {
    QTest::keyClick(inside, Qt::Key_Escape);
    QTest::keyClick(edit, Qt::Key_Escape);
  });
  EXPECT_EQ(cancels, 2);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 0);
}

TEST_F(BusyScopeTest, CloseRequestIsRefusedAndCancels) {
  ui::BusyScope busy(dialog, [this] { ++cancels; });
  bool closedMain = true;
  bool closedDialog = true;
  duringPump([&] {
    closedMain = main->close();
    closedDialog = dialog->close();
  });
  EXPECT_FALSE(closedMain);
  EXPECT_FALSE(closedDialog);
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(cancels, 2);
}

TEST_F(BusyScopeTest, WithoutCancelEscAndCloseAreSwallowed) {
  ui::BusyScope busy;
  duringPump([this] {
    QTest::keyClick(inside, Qt::Key_Escape);
    QTest::mouseClick(inside, Qt::LeftButton);
    main->close();
  });
  EXPECT_EQ(insideClicks, 0);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(main->isVisible());
}

TEST_F(BusyScopeTest, NestedScopesBlockWhatEitherBlocksAndEscGoesToTheInnermost) {
  int innerCancels = 0;
  ui::BusyScope outer(dialog, [this] { ++cancels; });
  {
    ui::BusyScope inner(nullptr, [&] { ++innerCancels; });
    duringPump([this] {
      QTest::mouseClick(inside, Qt::LeftButton);
      QTest::keyClick(inside, Qt::Key_Escape);
    });
    EXPECT_EQ(insideClicks, 0);
    EXPECT_EQ(innerCancels, 1);
    EXPECT_EQ(cancels, 0);
  }
  duringPump([this] {
    QTest::mouseClick(inside, Qt::LeftButton);
    QTest::mouseClick(outside, Qt::LeftButton);
    QTest::keyClick(inside, Qt::Key_Escape);
  });
  EXPECT_EQ(insideClicks, 1);
  EXPECT_EQ(outsideClicks, 0);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(innerCancels, 1);
}

// A question the operation itself asks must be answerable, or the program would hang in it.
TEST_F(BusyScopeTest, ModalBoxShownDuringTheScopeTakesClicksAndEsc) {
  ui::BusyScope busy(nullptr, [this] { ++cancels; });
  for (const bool byEsc : {false, true}) {
    SCOPED_TRACE(byEsc ? "Esc" : "click");
    QMessageBox box(main.get());
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setEscapeButton(no);
    QTimer::singleShot(0, [&] {
      if (byEsc)
        QTest::keyClick(&box, Qt::Key_Escape);
      else
        QTest::mouseClick(yes, Qt::LeftButton);
    });
    QTimer::singleShot(3000, &box, &QWidget::hide);  // a swallowed answer ends here
    box.exec();
    EXPECT_EQ(box.clickedButton(), byEsc ? no : yes);
  }
  EXPECT_EQ(cancels, 0);
  // The box has gone: the main window is blocked again.
  duringPump([this] { QTest::mouseClick(outside, Qt::LeftButton); });
  EXPECT_EQ(outsideClicks, 0);
}

// A popup holds the keyboard and the mouse while it is open. One that belongs to the allowed
// window (a completer's list, which has no parent, a context menu) takes its keys, Esc and its
// close, or nothing could reach the program any more; Esc there is no Cancel. A popup of a
// blocked window stays blocked.
TEST_F(BusyScopeTest, PopupsOfTheAllowedWindowTakeTheirInput) {
  ui::installBusyScopeRules();
  auto* box = new QLineEdit(dialog);
  box->setCompleter(new QCompleter(QStringList{QStringLiteral("Keller"), QStringLiteral("Kellerregal")}, box));
  QAbstractItemView* list = box->completer()->popup();
  ASSERT_EQ(list->parent(), nullptr);
  box->show();
  QWindow* window = dialog->windowHandle();
  ui::BusyScope busy(dialog, [this] { ++cancels; });
  box->setFocus();
  QTest::keyClick(window, 'K');
  ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 5000));
  QTest::keyClick(window, 'e');
  EXPECT_EQ(box->text(), QStringLiteral("Ke"));
  EXPECT_TRUE(list->isVisible());
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }, 5000));
  EXPECT_TRUE(dialog->isVisible());

  auto* menu = new QMenu(dialog);
  int pasted = 0;
  QObject::connect(menu->addAction(QStringLiteral("Einfügen")), &QAction::triggered, [&] { ++pasted; });
  menu->popup(dialog->mapToGlobal(QPoint(5, 5)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 5000));
  QTest::keyClick(menu, Qt::Key_Down);
  QTest::keyClick(menu, Qt::Key_Return);
  EXPECT_EQ(pasted, 1);
  EXPECT_FALSE(menu->isVisible());
  menu->popup(dialog->mapToGlobal(QPoint(5, 5)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 5000));
  QTest::keyClick(menu, Qt::Key_Escape);
  EXPECT_FALSE(menu->isVisible());
  EXPECT_EQ(cancels, 0);

  auto* blocked = new QMenu(main.get());
  QObject::connect(blocked->addAction(QStringLiteral("Öffnen")), &QAction::triggered, [this] { ++opened; });
  blocked->popup(main->mapToGlobal(QPoint(5, 5)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return blocked->isVisible(); }, 5000));
  QTest::keyClick(blocked, Qt::Key_Down);
  QTest::keyClick(blocked, Qt::Key_Return);
  EXPECT_EQ(opened, 0);
  blocked->hide();
}

TEST_F(BusyScopeTest, TimersGoOn) {
  ui::BusyScope busy;
  int fired = 0;
  QTimer::singleShot(0, [&] { ++fired; });
  for (int i = 0; i < 100 && fired == 0; ++i) ui::pumpMessages();
  EXPECT_EQ(fired, 1);
}

// An operation that fails ends its scopes on the way out; the windows take input again.
TEST_F(BusyScopeTest, ExceptionThroughNestedScopesLeavesInputWorking) {
  EXPECT_THROW(
      {
        ui::BusyScope outer(dialog, [this] { ++cancels; });
        ui::BusyScope inner;
        duringPump([this] { QTest::mouseClick(outside, Qt::LeftButton); });
        throw std::runtime_error("Lesefehler");
      },
      std::runtime_error);
  EXPECT_EQ(outsideClicks, 0);
  duringPump([this] {
    QTest::mouseClick(outside, Qt::LeftButton);
    QTest::mouseClick(inside, Qt::LeftButton);
    QTest::keyClicks(edit, QStringLiteral("x"));
  });
  EXPECT_EQ(outsideClicks, 1);
  EXPECT_EQ(insideClicks, 1);
  EXPECT_EQ(edit->text(), QStringLiteral("x"));
  EXPECT_TRUE(main->close());
  EXPECT_EQ(cancels, 0);
}

}  // namespace

// A scope without a cancel of its own (a step inside a longer operation) leaves Esc and closing
// to the operation around it.
TEST_F(BusyScopeTest, ScopeWithoutCancelLeavesEscAndCloseToTheScopeAroundIt) {
  ui::BusyScope outer(dialog, [this] { ++cancels; });
  {
    ui::BusyScope inner;
    duringPump([this] {
      QTest::keyClick(edit, Qt::Key_Escape);
      main->close();
    });
    EXPECT_EQ(cancels, 2);
  }
  EXPECT_TRUE(main->isVisible());
}

// The guard against re-entry: any live scope makes the program busy, and a window that asked
// for it is closed once the last scope has ended, not before, when its close was refused.
TEST_F(BusyScopeTest, RefusedCloseOfAWindowThatClosesWhenIdleFollowsTheLastScope) {
  ui::BusyScope::closeWhenIdle(main.get());
  EXPECT_FALSE(ui::BusyScope::active());
  {
    ui::BusyScope outer(nullptr, [this] { ++cancels; });
    EXPECT_TRUE(ui::BusyScope::active());
    {
      ui::BusyScope inner;
      duringPump([this] {
        main->close();
        dialog->close();
      });
    }
    EXPECT_TRUE(ui::BusyScope::active());
    for (int i = 0; i < 5; ++i) ui::pumpMessages();
    EXPECT_TRUE(main->isVisible());
  }
  EXPECT_FALSE(ui::BusyScope::active());
  EXPECT_EQ(cancels, 2);
  EXPECT_TRUE(QTest::qWaitFor([this] { return !main->isVisible(); }, 5000));
  // Only the window that asked for it; and a close refused once is carried out once.
  EXPECT_TRUE(dialog->isVisible());
  main->show();
  { ui::BusyScope again; }
  QCoreApplication::processEvents();
  EXPECT_TRUE(main->isVisible());
}
