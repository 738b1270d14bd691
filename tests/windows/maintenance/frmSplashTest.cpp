#include "foundation/cuAppError.h"
#include "platform/ui/ShellOpen.h"
#include "tests/support/TestHelpers.h"
#include "windows/maintenance/frmSplash.h"

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SplashTest, VersionText) {
  struct Case {
    int major, minor, revision;
    const char* text;
  };
  const Case cases[] = {{2, 1, 7, "Version 2.1.007"},
                        {2, 1, 905, "Version 2.1.905 (Beta)"},
                        {1, 0, 899, "Version 1.0.899"},
                        {1, 0, 900, "Version 1.0.900 (Beta)"},
                        {3, 12, 1234, "Version 3.12.1234 (Beta)"}};
  for (const Case& c : cases) {
    VersionInfo v;
    v.major = c.major;
    v.minor = c.minor;
    v.revision = c.revision;
    EXPECT_EQ(VersionText(v), c.text);
  }
  EXPECT_EQ(VersionText(ProgramVersionInfo()), "Version 2.0.000");
  EXPECT_EQ(ProgramVersionInfo().title, "Tolvarent Kerbolith");
}

class SplashLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    auto r = std::make_unique<ui::RecordingShellOpener>();
    shell = r.get();
    ui::setShellOpener(std::move(r));
  }
  void TearDown() override { ui::setShellOpener(nullptr); }
  ui::RecordingShellOpener* shell = nullptr;
  testenv::BoxRecorder boxes;
};

TEST_F(SplashLinks, InitSetsCaptionIconAndOnlyGivenLinks) {
  VersionInfo v;
  v.title = "Titel";
  v.major = 2;
  v.minor = 1;
  v.revision = 7;
  v.copyright = "(c) Wir";
  frmSplash w(nullptr, v);
  const QString designWeb = w.lblWeb->text();
  const QString designMail = w.lblMail->text();
  QPixmap red(16, 16);
  red.fill(Qt::red);
  w.Init(1, QIcon(red), "", "hilfe@example.org");
  EXPECT_EQ(w.windowTitle(), "Über ...");
  EXPECT_FALSE(w.windowIcon().isNull());
  EXPECT_FALSE(w.picIcon->pixmap().isNull());
  EXPECT_EQ(w.lblTitle->text(), "Titel");
  EXPECT_EQ(w.lblVersion->text(), "Version 2.1.007");
  EXPECT_EQ(w.lblCopyright->text(), "(c) Wir");
  EXPECT_EQ(w.lblWeb->text(), designWeb);
  EXPECT_FALSE(designWeb.isEmpty());
  EXPECT_EQ(w.lblMail->text(), "hilfe@example.org");
  EXPECT_NE(designMail, "hilfe@example.org");
  w.Init(1, QIcon(red), "www.example.org", "");
  EXPECT_EQ(w.lblWeb->text(), "www.example.org");
  EXPECT_EQ(w.lblMail->text(), "hilfe@example.org");
}

TEST_F(SplashLinks, ClicksOpenTheLinksAndFailuresAreTold) {
  frmSplash w;
  w.Init(1, QIcon(), "www.example.org", "hilfe@example.org");
  w.show();
  QTest::mouseClick(w.lblMail, Qt::LeftButton);
  QTest::mouseClick(w.lblWeb, Qt::LeftButton);
  ASSERT_EQ(shell->opened.size(), 2u);
  EXPECT_EQ(shell->opened[0].target, "MailTo:hilfe@example.org");
  EXPECT_TRUE(shell->opened[0].maximized);
  EXPECT_EQ(shell->opened[1].target, "http://www.example.org");
  EXPECT_TRUE(boxes->shown.empty());

  shell->results = {ui::kShellNoAssociation};
  w.lblWeb_Click();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "WinExecute-Fehler Nr.31.\r\nKann URL nicht öffnen");
  EXPECT_EQ(boxes->shown[0].style, 48);
  EXPECT_TRUE(w.isVisible());
}

}  // namespace
