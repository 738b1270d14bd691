#include "foundation/widgets/Help.h"
#include "foundation/widgets/HelpWindow.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/QtMessagePresenter.h"
#include "tests/support/HelpWindowInput.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString chm() { return testenv::binDir() + "/zuvrax.chm"; }

rt::RaisedError raised(const std::function<void()>& f) {
  try {
    f();
  } catch (const rt::RaisedError& e) {
    return e;
  }
  ADD_FAILURE() << "nothing raised";
  return {};
}

}  // namespace

TEST(HelpText, UnquoteAndErrorTexts) {
  EXPECT_EQ(Help::Unquote("  \"/a b/x.chm\"  "), "/a b/x.chm");
  EXPECT_EQ(Help::Unquote("\""), "\"");
  EXPECT_EQ(Help::Unquote("\"\""), "");
  EXPECT_EQ(Help::Unquote(" /x.chm "), "/x.chm");
  EXPECT_EQ(Help::GetHelpErrorText(1, "/A/X.chm", rt::Null), "Kann Hilfe-Datei '/A/X.chm' nicht finden.");
  EXPECT_EQ(Help::GetHelpErrorText(1, rt::Null, "y"), "Kann Hilfe-Datei '##' nicht finden.");
  EXPECT_EQ(Help::GetHelpErrorText(2, rt::Null, rt::Null), "Kein KontextID angegeben.");
  EXPECT_EQ(Help::GetHelpErrorText(9, rt::Null, rt::Null), "Unbekannter Fehler.");
}

TEST(Help, ContextNumbersOpenTheirPagesFromTheBuiltHelpFile) {
  ASSERT_TRUE(QFile::exists(chm()));
  struct Case {
    int context;
    QString page;
    QString heading;
  };
  // Every window's number, as the windows carry them.
  const Case cases[] = {{10, "/main.htm", "Das Hauptfenster"},
                        {20, "/catnew.htm", "Neue Kategorie"},
                        {30, "/catpicker.htm", "Kategorie wählen"},
                        {40, "/editor.htm", "Ausgabe (Textfenster)"},
                        {50, "/find.htm", "Suchen"},
                        {60, "/import.htm", "Importieren"},
                        {70, "/locedit.htm", "Lagerort"},
                        {80, "/loclist.htm", "Lagerorte"},
                        {90, "/options.htm", "Optionen"},
                        {100, "/properties.htm", "Info (Eigenschaften)"},
                        {110, "/systemicons.htm", "System-Icons"},
                        {120, "/volumenew.htm", "Neues Volume"}};
  Help help;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.context);
    const int32_t handle = help.HTMLHelpContext(nullptr, chm(), c.context);
    EXPECT_NE(handle, 0);
    HelpWindow* w = HelpWindow::existing();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->currentTopic(), c.page);
    EXPECT_TRUE(w->pageText().startsWith(c.heading)) << w->pageText().left(60).toStdString();
  }
  EXPECT_EQ(HelpWindow::existing()->windowTitle(), "Tolvarent Kerbolith Hilfe");
  // A number the file does not map shows nothing.
  EXPECT_EQ(help.HTMLHelpContext(nullptr, chm(), 4711), 0);
  help.HTMLHelpCloseAll(nullptr);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(HelpWindow::existing(), nullptr);
}

TEST(Help, StartPageContentsAndLinksInsideTheFile) {
  Help help;
  EXPECT_EQ(help.HTMLHelpOpen(nullptr, ""), 0);
  EXPECT_EQ(help.HTMLHelpOpen(nullptr, testenv::freshTempDir() + "/fehlt.chm"), 0);
  EXPECT_EQ(HelpWindow::existing(), nullptr);
  ASSERT_NE(help.HTMLHelpOpen(nullptr, chm()), 0);
  HelpWindow* w = HelpWindow::existing();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->currentTopic(), "/index.htm");
  EXPECT_TRUE(w->pageText().contains("Datenträger"));  // the page's own UTF-8 text
  EXPECT_GE(w->contents()->count(), 13);
  // Following a link of the page stays inside the help file.
  emit w->browser()->anchorClicked(w->browser()->source().resolved(QUrl("find.htm")));
  EXPECT_EQ(w->currentTopic(), "/find.htm");
  // Choosing an entry of the contents shows it.
  for (int i = 0; i < w->contents()->count(); ++i)
    if (w->contents()->item(i)->text() == "Lagerorte") w->contents()->setCurrentRow(i);
  EXPECT_EQ(w->currentTopic(), "/loclist.htm");
  help.HelpWindowClose("Tolvarent Kerbolith Hilfe");
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(HelpWindow::existing(), nullptr);
  help.HelpWindowClose("Kein solches Fenster");  // nothing to close, nothing happens
}

// The search window's page tells a Linux user that "/" marks a folder term as "\\" does.
TEST(Help, TheSearchPageTellsBothMarksOfAFolderTerm) {
  Help help;
  ASSERT_NE(help.HTMLHelpContext(nullptr, chm(), 50), 0);
  HelpWindow* w = HelpWindow::existing();
  ASSERT_NE(w, nullptr);
  const QString text = w->pageText();
  for (const char* term : {"/bash/", "\\bash\\", "/usr/bash"}) EXPECT_TRUE(text.contains(term)) << term;
  help.HTMLHelpCloseAll(nullptr);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(Help, MissingHelpFileRaisesCodeOneWithTheTagTwice) {
  const QString missing = testenv::freshTempDir() + "/Hilfe/X.chm";
  Help help;
  ui::setMousePointer(ui::kPointerHourglass);
  const rt::RaisedError e = raised([&] { help.HelpOpen(nullptr, missing, 10); });
  EXPECT_EQ(e.number, static_cast<int32_t>(0x80040401u));
  EXPECT_EQ(e.source, "RZVBA/RZVBA");
  // Shown as passed: on this system the case is part of the name.
  EXPECT_EQ(e.description, "Kann Hilfe-Datei '" + missing + "' nicht finden.");
  EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
  // A folder is no help file.
  EXPECT_EQ(raised([&] { help.HelpContents(nullptr, testenv::freshTempDir()); }).number,
            static_cast<int32_t>(0x80040401u));
  // A quoted path with blanks passes the check.
  EXPECT_NO_THROW(help.HelpOpen(nullptr, "  \"" + chm() + "\" ", 40));
  EXPECT_EQ(HelpWindow::existing()->currentTopic(), "/editor.htm");
  help.HelpClose(nullptr, chm());
}

TEST(Help, PopupTakesTheContextOfTheFocusedControl) {
  QWidget window;
  window.setProperty("HelpContextID", 10);
  auto* edit = new QLineEdit(&window);
  edit->setProperty("HelpContextID", 120);
  window.show();
  QApplication::setActiveWindow(&window);
  edit->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == edit; }));
  Help help;
  help.HelpPopup(nullptr, chm(), 0);
  EXPECT_EQ(HelpWindow::existing()->currentTopic(), "/volumenew.htm");
  help.HelpPopup(nullptr, chm(), 90);
  EXPECT_EQ(HelpWindow::existing()->currentTopic(), "/options.htm");
  const rt::RaisedError e = raised([&] { help.HelpPopup(nullptr, chm(), 32767); });
  EXPECT_EQ(e.number, static_cast<int32_t>(0x80040402u));
  EXPECT_EQ(e.description, "Kein KontextID angegeben.");
  EXPECT_EQ(e.source, "RZVBA/RZVBA");
  help.HTMLHelpCloseAll(nullptr);
}

// Help asked for from a modal dialog, while the command that opened the dialog still runs,
// comes up and takes the keyboard and the mouse with the dialog still open; so does help that
// was open before the dialog came. It stays when the dialog goes.
TEST(Help, TheHelpWindowTakesInputBesideAModalDialog) {
  for (const bool openBefore : {false, true}) {
    SCOPED_TRACE(openBefore ? "open before the dialog" : "asked for from the dialog");
    QWidget main;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    Help help;
    if (openBefore) {
      ASSERT_NE(help.HTMLHelpContext(&main, chm(), 10), 0);
    }
    {
      const ui::BusyScope command(&main);
      QDialog dialog(&main);
      bool checked = false;
      QTimer::singleShot(0, &dialog, [&] {
        if (!openBefore) {
          EXPECT_NE(help.HTMLHelpContext(&dialog, chm(), 90), 0);
        }
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        testenv::expectHelpUsable(HelpWindow::existing());
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        checked = true;
        dialog.reject();
      });
      dialog.exec();
      EXPECT_TRUE(checked);
    }
    ASSERT_NE(HelpWindow::existing(), nullptr);
    EXPECT_TRUE(HelpWindow::existing()->isVisible());
    help.HTMLHelpCloseAll(nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// A message box's Help button shows the help and then the same box again: the help still
// takes input while the box is back, and the box still answers.
TEST(Help, HelpFromAMessageBoxTakesInputWhileTheBoxIsBack) {
  ui::QtMessagePresenter presenter(
      [](const QString& file, int context) { Help().HTMLHelpContext(nullptr, file, context); });
  int boxes = 0;
  QPointer<QWidget> last;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box == last || !box->isVisible()) return;
    last = box;
    ++boxes;
    for (QAbstractButton* b : box->buttons()) {
      const bool help = box->buttonRole(b) == QMessageBox::HelpRole;
      if (boxes == 1 ? help : !help) {
        if (boxes > 1) testenv::expectHelpUsable(HelpWindow::existing());
        QTimer::singleShot(0, b, [b] { b->click(); });
        return;
      }
    }
  });
  poll.start();
  const int answer =
      presenter.show({QStringLiteral("Fehler"), ui::kCritical + ui::kHelpButton, QStringLiteral("Titel"), chm(), 90});
  poll.stop();
  EXPECT_EQ(boxes, 2);
  EXPECT_EQ(answer, ui::kAnswerOk);
  ASSERT_NE(HelpWindow::existing(), nullptr);
  Help().HTMLHelpCloseAll(nullptr);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
