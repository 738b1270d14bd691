#include "catalogue/mdlGlobals_startup.h"
#include "foundation/cuAppError.h"
#include "platform/runtime/App.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString touch(const QString& path) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write("x");
  return path;
}

}  // namespace

TEST(GetCommandLineFile, TakesTheFirstArgumentOnlyWhenItHasASlashAndExists) {
  const QString dir = testenv::freshTempDir();
  const QString spaced = touch(dir + "/Mein Katalog.qvk");
  const QString other = touch(dir + "/b.qvk");
  QDir::setCurrent(dir);
  touch("bare.qvk");
  struct Case {
    QStringList args;
    QString expected;
  } cases[] = {
      {{"zuvrax"}, ""},
      {{"zuvrax", spaced}, spaced},                   // one argument with blanks stays whole
      {{"zuvrax", spaced, other}, spaced},            // further arguments ignored
      {{"zuvrax", "bare.qvk"}, ""},                   // no folder separator: ignored although it exists
      {{"zuvrax", "./bare.qvk"}, dir + "/bare.qvk"},  // relative with a separator: made absolute
      {{"zuvrax", dir + "/fehlt.qvk"}, ""},           // missing file
      {{"zuvrax", dir}, ""},                          // a folder is no catalogue
  };
  for (const Case& c : cases) EXPECT_EQ(GetCommandLineFile(c.args), c.expected) << c.args.join(' ').toStdString();
}

TEST(CheckFiles, PassesWhenTheWorkgroupFileStandsBesideTheProgram) {
  // The missing case ends start-up; the main-window tests run it in a program folder without it.
  gErr = std::make_unique<cuAppError>();
  ASSERT_TRUE(QFileInfo::exists(rt::App::path() + "/zuvrax.mdw")) << "build the template target first";
  EXPECT_NO_THROW(CheckFiles());
  gErr.reset();
}
