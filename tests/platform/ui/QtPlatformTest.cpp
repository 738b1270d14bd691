#include "platform/ui/BusyScope.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/ShellOpen.h"
#include "platform/ui/widgets/QtMessagePresenter.h"
#include "platform/ui/widgets/QtPlatform.h"
#include "platform/ui/widgets/QtShellOpener.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct SeenBox {
  QString title;
  QString text;
  QStringList captions;
  QString defaultCaption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs once the box is up: records what it shows and clicks the button with that caption
// (empty: presses Esc).
void answerNextBox(SeenBox& seen, const QString& click) {
  QTimer::singleShot(0, [&seen, click] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.captions.clear();
    for (QAbstractButton* b : box->buttons()) seen.captions << b->text();
    seen.defaultCaption = box->defaultButton() ? box->defaultButton()->text() : QString();
    if (click.isEmpty()) {
      box->reject();  // Esc and the close button end the box this way
      return;
    }
    for (QAbstractButton* b : box->buttons())
      if (b->text() == click) return b->click();
    ADD_FAILURE() << "no button " << click.toStdString();
  });
}

}  // namespace

TEST(QtMessagePresenter, ButtonsIconsDefaultsAndAnswers) {
  struct Case {
    int style;
    QString click;
    int answer;
    QStringList captions;
    QString defaultCaption;
    QMessageBox::Icon icon;
  };
  const Case cases[] = {
      {ui::kCritical, "OK", ui::kAnswerOk, {"OK"}, "OK", QMessageBox::Critical},
      {ui::kInformation, "", ui::kAnswerOk, {"OK"}, "OK", QMessageBox::Information},
      {ui::kExclamation, "OK", ui::kAnswerOk, {"OK"}, "OK", QMessageBox::Warning},
      {292, "&Ja", ui::kAnswerYes, {"&Ja", "&Nein"}, "&Nein", QMessageBox::Question},
      {308, "&Nein", ui::kAnswerNo, {"&Ja", "&Nein"}, "&Nein", QMessageBox::Warning},
      {20, "&Ja", ui::kAnswerYes, {"&Ja", "&Nein"}, "&Ja", QMessageBox::Critical},
      // Esc in a Yes/No box is the safe answer.
      {276, "", ui::kAnswerNo, {"&Ja", "&Nein"}, "&Nein", QMessageBox::Critical},
  };
  ui::QtMessagePresenter presenter;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    SeenBox seen;
    answerNextBox(seen, c.click);
    const int answer = presenter.show({"Zeile 1\r\nZeile 2", c.style, "Tolvarent Kerbolith", {}, 0});
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(seen.title, "Tolvarent Kerbolith");
    EXPECT_EQ(seen.text, "Zeile 1\nZeile 2");
    EXPECT_EQ(seen.captions, c.captions);
    EXPECT_EQ(seen.defaultCaption, c.defaultCaption);
    EXPECT_EQ(seen.icon, c.icon);
  }
}

TEST(QtMessagePresenter, HelpButtonOpensHelpAndKeepsTheQuestion) {
  QString helpFile;
  int helpContext = -1;
  ui::QtMessagePresenter presenter([&](const QString& file, int context) {
    helpFile = file;
    helpContext = context;
  });
  SeenBox first, second;
  answerNextBox(first, "Hilfe");
  // The box comes back after the help, and the question is answered there.
  QTimer::singleShot(50, [&] { answerNextBox(second, "&Nein"); });
  const int answer = presenter.show({"Löschen?", 292 + ui::kHelpButton, "T", "/x/zuvrax.chm", 50});
  EXPECT_EQ(answer, ui::kAnswerNo);
  EXPECT_EQ(helpFile, "/x/zuvrax.chm");
  EXPECT_EQ(helpContext, 50);
  first.captions.sort();
  EXPECT_EQ(first.captions, (QStringList{"&Ja", "&Nein", "Hilfe"}));
  EXPECT_EQ(second.text, "Löschen?");
}

TEST(QtMessagePresenter, ABoxWithoutATitleShowsTheProgramsTitle) {
  auto previous = ui::setPresenter(std::make_unique<ui::QtMessagePresenter>());
  for (const QString& title : {QString(), QStringLiteral("Laufwerksüberprüfung")}) {
    SeenBox seen;
    answerNextBox(seen, "OK");
    ui::showMessageBox("Fertig.", ui::kInformation, title);
    EXPECT_EQ(seen.title, title.isEmpty() ? QStringLiteral("Tolvarent Kerbolith") : title);
  }
  ui::setPresenter(std::move(previous));
}

TEST(QtPlatform, MousePointerIsOneOverrideCursor) {
  ui::installQtPlatform({});
  ui::setMousePointer(ui::kPointerHourglass);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  // Setting it twice does not stack: one reset clears it.
  ui::setMousePointer(ui::kPointerDefault);
  ui::setMousePointer(ui::kPointerHourglass);
  ui::setMousePointer(ui::kPointerHourglass);
  ui::setMousePointer(ui::kPointerDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  ui::setPresenter(nullptr);
  ui::setShellOpener(nullptr);
  ui::setMousePointerHook({});
}

// Every pointer state, entered from any other, is one override cursor of its own shape.
TEST(QtPlatform, EachPointerStateShowsItsCursorWithoutStacking) {
  ui::installQtPlatform({});
  QPixmap picture(32, 32);
  picture.fill(Qt::red);
  ui::setCustomMousePointer(picture, QPoint(0, 0));
  const std::pair<int, Qt::CursorShape> states[] = {{ui::kPointerHourglass, Qt::WaitCursor},
                                                    {ui::kPointerNoDrop, Qt::ForbiddenCursor},
                                                    {ui::kPointerCustom, Qt::BitmapCursor}};
  for (const auto& [from, fromShape] : states)
    for (const auto& [to, shape] : states) {
      SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
      ui::setMousePointer(from);
      ui::setMousePointer(to);
      ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
      EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), shape);
      if (to == ui::kPointerCustom) {
        EXPECT_EQ(QGuiApplication::overrideCursor()->pixmap().size(), QSize(32, 32));
      }
      ui::setMousePointer(ui::kPointerDefault);
      EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
  ui::setPresenter(nullptr);
  ui::setShellOpener(nullptr);
  ui::setMousePointerHook({});
}

TEST(ShellOpen, AddressesAndPathsAreToldApart) {
  EXPECT_TRUE(ui::isAddress("http://example.org"));
  EXPECT_TRUE(ui::isAddress("MailTo:someone@example.org"));
  EXPECT_FALSE(ui::isAddress("/home/user/a.txt"));
  EXPECT_FALSE(ui::isAddress("c:/a.txt"));
  EXPECT_FALSE(ui::isAddress("a.txt"));
}

TEST(ShellOpen, MissingFilesGiveShellCodesWithoutStartingAnything) {
  const QString dir = testenv::freshTempDir();
  ui::QtShellOpener opener;
  EXPECT_EQ(opener.open({dir + "/fehlt.txt", {}, false}), ui::kShellFileNotFound);
  EXPECT_EQ(opener.open({dir + "/kein/ordner/fehlt.txt", {}, false}), ui::kShellPathNotFound);
  EXPECT_EQ(opener.open({"", {}, false}), ui::kShellFileNotFound);
  QFile f(dir + "/da.txt");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_EQ(opener.open({"da.txt", dir + "/kein", false}), ui::kShellPathNotFound);
}

TEST(ShellOpen, RecorderIsInstalledUntilTheWindowLayerReplacesIt) {
  auto* recorder = new ui::RecordingShellOpener;
  recorder->results = {ui::kShellNoAssociation};
  ui::setShellOpener(std::unique_ptr<ui::ShellOpener>(recorder));
  EXPECT_EQ(ui::shellOpen("http://example.org", {}, true), ui::kShellNoAssociation);
  EXPECT_EQ(ui::shellOpen("/a"), ui::kShellOk);
  ASSERT_EQ(recorder->opened.size(), 2u);
  EXPECT_TRUE(recorder->opened[0].maximized);
  ui::setShellOpener(nullptr);
}

TEST(QtPlatform, EscReachesTheCancelOfABusyOperation) {
  ui::installQtPlatform({});
  QWidget window;
  window.show();
  int cancels = 0;
  {
    ui::BusyScope busy(nullptr, [&] { ++cancels; });
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_A);
  }
  EXPECT_EQ(cancels, 1);
  ui::setPresenter(nullptr);
  ui::setShellOpener(nullptr);
  ui::setMousePointerHook({});
  ui::setEscapeKeyTest({});
}
