#include "catalogue/gRegOptions.h"
#include "foundation/MessageTable.h"
#include "foundation/mdlQZLib51_registry.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/FontFamilies.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

namespace {

const QString kProgramKey = QStringLiteral("Software\\Tolvarent\\Kerbolith");
const QString kOptionsKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Options\\");

QString programFolder() { return rt::App::path() + QLatin1Char('/'); }

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::deleteKey(registry::HKEY_CURRENT_USER, kProgramKey);
    // The screen's fonts, as the window layer gives them to the program.
    ui::setFontFamiliesSource([] { return QFontDatabase::families(); });
  }
  void TearDown() override { ui::setFontFamiliesSource({}); }

  static void put(const QString& name, const QString& text) {
    ASSERT_TRUE(RegSetString(registry::HKEY_CURRENT_USER, kOptionsKey, name, text));
  }
  static QString stored(const QString& name) {
    return RegGetString(registry::HKEY_CURRENT_USER, kOptionsKey, name, QStringLiteral("<fehlt>"));
  }
  // The key exists (no first run) and holds only this one value.
  static std::unique_ptr<gRegOptions> readWith(const QString& name, const QString& text) {
    registry::deleteKey(registry::HKEY_CURRENT_USER, kProgramKey);
    put(name, text);
    return std::make_unique<gRegOptions>();
  }
};

TEST_F(OptionsTest, FirstRunTakesDefaultsAndWritesEveryOptionButTheSplitter) {
  ASSERT_FALSE(RegKeyExists(registry::HKEY_CURRENT_USER, kOptionsKey));
  {
    gRegOptions o;
    EXPECT_EQ(o.AutoMemo(), QStringLiteral("readme.txt|liesmich.txt"));
    EXPECT_EQ(o.AutoMemoCol(), QStringList({"readme.txt", "liesmich.txt"}));
    EXPECT_EQ(o.IconMode(), 1);
    EXPECT_FALSE(o.AutoOpen());
    EXPECT_EQ(o.DragDelay(), 500);
    EXPECT_EQ(o.EditorFileFilter(), LoadResString(151));
    EXPECT_EQ(o.EditorFontsize(), QStringLiteral("10"));
    EXPECT_TRUE(o.ExtendedWarnings());
    EXPECT_TRUE(o.LastDB().isEmpty());
    EXPECT_EQ(o.LastDir(), programFolder());
    EXPECT_EQ(o.LastIconDir(), programFolder());
    EXPECT_EQ(o.MaxLocksPerFile, 1000000);
    EXPECT_FALSE(o.OnReadSkipHidden());
    EXPECT_TRUE(o.OnReadSkipSystem());
    EXPECT_TRUE(o.ViewFolderInfo());
    EXPECT_FALSE(o.ViewCategoryInfo());
    EXPECT_TRUE(o.ViewVolumeInfo());
    EXPECT_EQ(o.TreeFontsize(), QStringLiteral("8"));
    EXPECT_EQ(o.ListFontsize(), QStringLiteral("8"));
    EXPECT_EQ(o.CatDescFontsize(), QStringLiteral("8"));
    EXPECT_TRUE(o.Exclusive());
    EXPECT_EQ(o.ReadingBreakDuration(), 2000);
    EXPECT_EQ(o.ReadingBreakFiles(), 10000);
    EXPECT_EQ(o.MainformSplit(), 0);
  }
  const struct {
    const char* name;
    QString text;
  } written[] = {{"AutoMemo", "readme.txt|liesmich.txt"},
                 {"AutoOpen", "0"},
                 {"DragDelay", "500"},
                 {"ExtendedWarnings", "-1"},
                 {"LastDir", programFolder()},
                 {"LastDB", ""},
                 {"LastIconDir", programFolder()},
                 {"EditorFileFilter", LoadResString(151)},
                 {"EditorFontName", "Tahoma"},
                 {"EditorFontSize", "10"},
                 {"EditorFontBold", "0"},
                 {"EditorFontItalic", "0"},
                 {"IconMode", "1"},
                 {"MaxLocksPerFile", "1000000"},
                 {"OnReadSkipHidden", "0"},
                 {"OnReadSkipSystem", "-1"},
                 {"ViewFolderInfo", "-1"},
                 {"ViewCategoryInfo", "0"},
                 {"ViewVolumeInfo", "-1"},
                 {"ListFontName", "Tahoma"},
                 {"TreeFontName", "Tahoma"},
                 {"ListFontSize", "8"},
                 {"TreeFontSize", "8"},
                 {"CatDescFontName", "Tahoma"},
                 {"CatDescFontSize", "8"},
                 {"Exclusive", "-1"},
                 {"ReadingBreakDuration", "2000"},
                 {"ReadingBreakFileCount", "10000"},
                 {"MainformSplit", "<fehlt>"}};
  for (const auto& w : written) EXPECT_EQ(stored(QString::fromLatin1(w.name)), w.text) << w.name;

  // The key exists now: the next run is no first run.
  gRegOptions again;
  EXPECT_EQ(again.IconMode(), 1);
  EXPECT_EQ(again.AutoMemoCol().size(), 2);
}

TEST_F(OptionsTest, ExistingKeyWithoutAutoMemoGivesAnEmptyList) {
  auto o = readWith(QStringLiteral("DragDelay"), QStringLiteral("250"));
  EXPECT_TRUE(o->AutoMemo().isEmpty());
  EXPECT_TRUE(o->AutoMemoCol().isEmpty());
  EXPECT_EQ(o->IconMode(), 0);
}

TEST_F(OptionsTest, ReadingRules) {
  using Get = std::function<QString(const gRegOptions&)>;
  const auto b = [](bool v) { return v ? QStringLiteral("wahr") : QStringLiteral("falsch"); };
  const Get dragDelay = [](const gRegOptions& o) { return QString::number(o.DragDelay()); };
  const Get exclusive = [&](const gRegOptions& o) { return b(o.Exclusive()); };
  const Get viewFolder = [&](const gRegOptions& o) { return b(o.ViewFolderInfo()); };
  const Get autoOpen = [&](const gRegOptions& o) { return b(o.AutoOpen()); };
  const Get maxLocks = [](const gRegOptions& o) { return QString::number(o.MaxLocksPerFile); };
  const Get listSize = [](const gRegOptions& o) { return o.ListFontsize(); };
  const Get treeFont = [](const gRegOptions& o) { return o.TreeFontname(); };
  const Get iconMode = [](const gRegOptions& o) { return QString::number(o.IconMode()); };
  const Get breakDuration = [](const gRegOptions& o) { return QString::number(o.ReadingBreakDuration()); };
  const Get breakFiles = [](const gRegOptions& o) { return QString::number(o.ReadingBreakFiles()); };
  const Get filter = [](const gRegOptions& o) { return o.EditorFileFilter(); };
  const QString installed = QFontDatabase::families().value(0);
  ASSERT_FALSE(installed.isEmpty());
  const struct {
    const char* value;
    QString text;
    Get get;
    QString expected;
  } rows[] = {
      {"DragDelay", "0", dragDelay, "500"},
      {"DragDelay", "-5", dragDelay, "500"},
      {"DragDelay", "abc", dragDelay, "500"},
      {"DragDelay", "250", dragDelay, "250"},
      {"DragDelay", "99999999999", dragDelay, "500"},
      {"Exclusive", "", exclusive, "wahr"},
      {"Exclusive", "abc", exclusive, "falsch"},
      {"Exclusive", "0", exclusive, "falsch"},
      {"Exclusive", "1", exclusive, "wahr"},
      {"Exclusive", "1E+20", exclusive, "wahr"},
      {"ViewFolderInfo", "abc", viewFolder, "wahr"},
      {"ViewFolderInfo", "0,4", viewFolder, "falsch"},
      {"ViewFolderInfo", "0", viewFolder, "falsch"},
      {"AutoOpen", "-1", autoOpen, "wahr"},
      {"AutoOpen", "1E+20", autoOpen, "falsch"},
      {"MaxLocksPerFile", "", maxLocks, "1000000"},
      {"MaxLocksPerFile", "-1", maxLocks, "0"},
      {"MaxLocksPerFile", "abc", maxLocks, "0"},
      {"MaxLocksPerFile", "5000", maxLocks, "5000"},
      {"MaxLocksPerFile", "99999999999", maxLocks, "1000000"},
      {"ListFontSize", "abc", listSize, "8"},
      {"ListFontSize", "11", listSize, "11"},
      {"ListFontSize", "1E+20", listSize, "8"},
      {"ListFontSize", "10,5", listSize, "10"},
      {"TreeFontName", "Keine Solche Schrift", treeFont, "Tahoma"},
      {"TreeFontName", "", treeFont, "Tahoma"},
      {"TreeFontName", installed.toLower(), treeFont, installed.toLower()},
      {"IconMode", "-3", iconMode, "-3"},
      {"IconMode", "x", iconMode, "0"},
      {"ReadingBreakDuration", "-5", breakDuration, "-5"},
      {"ReadingBreakFileCount", "500", breakFiles, "500"},
      {"ReadingBreakFiles", "500", breakFiles, "10000"},
      {"EditorFileFilter", "", filter, LoadResString(151)},
      {"EditorFileFilter", "Alles|*", filter, "Alles|*"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.value) + " = '" + r.text.toStdString() + "'");
    auto o = readWith(QString::fromLatin1(r.value), r.text);
    EXPECT_EQ(r.get(*o), r.expected);
  }
}

TEST_F(OptionsTest, AutoMemoList) {
  const struct {
    QString text;
    QStringList parts;
  } rows[] = {{" readme.txt | liesmich.txt |", {"readme.txt", "liesmich.txt"}},
              {"a||b", {"a", "", "b"}},
              {"|info.txt", {"info.txt"}},
              {"*.nfo", {"*.nfo"}}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text.toStdString());
    auto o = readWith(QStringLiteral("AutoMemo"), r.text);
    EXPECT_EQ(o->AutoMemoCol(), r.parts);
  }
  auto o = readWith(QStringLiteral("AutoMemo"), QStringLiteral("readme.txt|liesmich.txt"));
  o->setAutoMemo(QStringLiteral("README.TXT|LIESMICH.TXT"));
  EXPECT_EQ(o->AutoMemo(), QStringLiteral("readme.txt|liesmich.txt"));
  o->setAutoMemo(QStringLiteral("memo.txt"));
  EXPECT_EQ(o->AutoMemoCol(), QStringList{"memo.txt"});
  o->setAutoMemo(QString());
  EXPECT_TRUE(o->AutoMemoCol().isEmpty());
}

TEST_F(OptionsTest, FontSizesTakeTextAndRefuseNonNumbers) {
  gRegOptions o;
  o.setListFontsize(QStringLiteral("11"));
  EXPECT_EQ(o.ListFontsize(), QStringLiteral("11"));
  for (const QString& bad : {QStringLiteral("abc"), QString(), QStringLiteral("1E+20")}) {
    try {
      o.setListFontsize(bad);
      ADD_FAILURE() << "accepted " << bad.toStdString();
    } catch (const rt::RaisedError& e) {
      EXPECT_TRUE(e.number == 13 || e.number == 6) << e.number;
    }
    EXPECT_EQ(o.ListFontsize(), QStringLiteral("11"));
  }
}

TEST_F(OptionsTest, PathsThatNoLongerExist) {
  const QString dir = testenv::freshTempDir();
  const QString file = dir + QStringLiteral("/kat.qvk");
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(readWith(QStringLiteral("LastDB"), file)->LastDB(), file);
  EXPECT_EQ(readWith(QStringLiteral("LastDB"), dir + QStringLiteral("/weg.qvk"))->LastDB(), QString());
  EXPECT_EQ(readWith(QStringLiteral("LastDir"), dir)->LastDir(), dir);
  EXPECT_EQ(readWith(QStringLiteral("LastDir"), dir + QStringLiteral("/weg"))->LastDir(), programFolder());
  EXPECT_EQ(readWith(QStringLiteral("LastIconDir"), dir + QStringLiteral("/weg"))->LastIconDir(), programFolder());
}

TEST_F(OptionsTest, InitDir) {
  const QString dir = testenv::freshTempDir();
  gRegOptions o;
  EXPECT_EQ(o.InitDir(dir), dir);
  EXPECT_EQ(o.LastDir(), dir);
  EXPECT_EQ(o.InitDir(), dir);
  EXPECT_EQ(o.InitDir(dir + QStringLiteral("/weg")), programFolder());
  EXPECT_EQ(o.LastDir(), programFolder());
}

TEST_F(OptionsTest, ReleaseWritesChangesBack) {
  put(QStringLiteral("MainformSplit"), QStringLiteral("300"));
  {
    gRegOptions o;
    EXPECT_EQ(o.MainformSplit(), 300);
    o.setMainformSplit(0);
    o.setReadingBreakFiles(500);
    o.setAutoOpen(true);
    o.setExclusive(false);
    o.setTreeFontsize(QStringLiteral("12"));
    o.setLastDB(QStringLiteral("/nirgends/kat.qvk"));
    o.MaxLocksPerFile = 42;
  }
  EXPECT_EQ(stored(QStringLiteral("MainformSplit")), QStringLiteral("300"));
  EXPECT_EQ(stored(QStringLiteral("ReadingBreakFileCount")), QStringLiteral("500"));
  EXPECT_EQ(stored(QStringLiteral("ReadingBreakFiles")), QStringLiteral("<fehlt>"));
  EXPECT_EQ(stored(QStringLiteral("AutoOpen")), QStringLiteral("-1"));
  EXPECT_EQ(stored(QStringLiteral("Exclusive")), QStringLiteral("0"));
  EXPECT_EQ(stored(QStringLiteral("TreeFontSize")), QStringLiteral("12"));
  EXPECT_EQ(stored(QStringLiteral("LastDB")), QStringLiteral("/nirgends/kat.qvk"));
  EXPECT_EQ(stored(QStringLiteral("MaxLocksPerFile")), QStringLiteral("42"));
  gRegOptions again;
  EXPECT_EQ(again.ReadingBreakFiles(), 500);
  EXPECT_TRUE(again.AutoOpen());
  EXPECT_FALSE(again.Exclusive());
  EXPECT_EQ(again.TreeFontsize(), QStringLiteral("12"));
  EXPECT_TRUE(again.LastDB().isEmpty());  // the file does not exist
}

}  // namespace
