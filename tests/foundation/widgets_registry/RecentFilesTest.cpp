#include "foundation/mdlQZLib51_registry.h"
#include "foundation/widgets/cuRecentFiles.h"
#include "platform/registry/Registry.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/MousePointer.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <functional>

using registry::HKEY_CURRENT_USER;

namespace {

const QString kKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Recent");

int32_t errorNumber(int n) { return static_cast<int32_t>(0x80040400u) + n; }

using testenv::raised;

// Counts the writes of the user's hive: each one puts a new file in place under the hive's name.
class HiveWrites {
 public:
  HiveWrites() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    const QFileInfo hive(registry::userHiveFile());
    name_ = QFile::encodeName(hive.fileName());
    EXPECT_GE(inotify_add_watch(fd_, QFile::encodeName(hive.absolutePath()).constData(), IN_MOVED_TO | IN_CREATE), 0);
  }
  ~HiveWrites() { ::close(fd_); }
  // The writes since the last call; the events are queued by the time the writing call returns.
  int count() {
    int n = 0;
    alignas(inotify_event) char buf[65536];
    for (;;) {
      const ssize_t got = ::read(fd_, buf, sizeof buf);
      if (got <= 0) break;
      for (ssize_t at = 0; at < got;) {
        const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
        if (ev->len > 0 && name_ == ev->name) ++n;
        at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
      }
    }
    return n;
  }

 private:
  int fd_;
  QByteArray name_;
};

class RecentFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("ZUVRAX_REGISTRY_DIR", testenv::freshTempDir().toUtf8());
    dir = testenv::freshTempDir();
  }
  QString file(const QString& name) {
    const QString path = dir + "/" + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    return path;
  }
  static void store(const QStringList& values) {
    for (int i = 0; i + 1 < values.size(); i += 2)
      ASSERT_TRUE(RegSetString(HKEY_CURRENT_USER, kKey, values[i], values[i + 1]));
  }
  static QString stored(const QString& name) { return RegGetString(HKEY_CURRENT_USER, kKey, name, "<missing>"); }
  static QStringList paths(const cuRecentFiles& list) {
    QStringList r;
    for (int i = 1; i <= list.Count(); ++i) {
      EXPECT_EQ(list.Item(i).Name(), QString("File %1").arg(i));
      r << list.Item(i).FullPath();
    }
    return r;
  }
  QString dir;
};

TEST_F(RecentFiles, ShorteningFollowsTheLengthRules) {
  struct Case {
    QString path;
    QString shortened;
    QString lastFolder;
  };
  const QString name37 = QString(33, 'n') + ".qvk";
  const QString name34 = QString(30, 'n') + ".qvk";
  const QString name40 = QString(36, 'n') + ".qvk";
  const QString name39 = QString(35, 'n') + ".qvk";
  const QString name33 = QString(29, 'n') + ".qvk";
  const Case cases[] = {
      {"D:/Archiv/Kataloge/Jahrgang 2003/Sicherung/Sammlung.qvk", "D:/Archiv/Kataloge/.../Sammlung.qvk",
       "D:/Archiv/Kataloge/Jahrgang 2003/Sicherung/"},
      {"//Server/Freigabe/Abteilung/Kataloge/Sammlung-2003.qvk", "//Server/Freigabe/.../Sammlung-2003.qvk",
       "//Server/Freigabe/Abteilung/Kataloge/"},
      {"C:/Daten/Kataloge/Eine ziemlich lange Katalogdatei Nummer 1.qvk", "Eine ziemlich lange Katalogdatei Numm...",
       "C:/Daten/Kataloge/"},
      {"C:/Daten/Kataloge/Nummer7.qvk", "C:/Daten/Kataloge/Nummer7.qvk", "C:/Daten/Kataloge/"},
      {"C:/Daten/" + name37, "../" + name37, "C:/Daten/"},
      {"C:/Daten/" + name34, ".../" + name34, "C:/Daten/"},
      {"C:/Daten/" + name40, name40, "C:/Daten/"},
      {"C:/Daten/" + name39, "/" + name39, "C:/Daten/"},
      {"/home/anna/kataloge/sehr/tief/unten/" + name33, "/.../" + name33, "/home/anna/kataloge/sehr/tief/unten/"},
      {"Laufwerk/Ordner/" + name33, "", "Laufwerk/Ordner/"},  // no earlier separator leaves room
      {"Sammlung.qvk", "Sammlung.qvk", ""},
      {QString(50, 'x'), QString(37, 'x') + "...", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    store({"File 1", c.path});
    cuRecentFiles list;
    list.setRegKey(kKey);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Item(1).ShortPathString(), c.shortened);
    EXPECT_LE(list.Item(1).ShortPathString().size(), 40);
    EXPECT_EQ(list.LastFolder(), c.lastFolder);
    list.Clear();
  }
}

TEST_F(RecentFiles, ShorteningAtTinyMaximumLengths) {
  store({"File 1", "/a/Sammlung.qvk"});
  cuRecentFiles list;
  list.setRegKey(kKey);
  for (int16_t m : {1, 2, 3}) {
    list.setMaxLength(m);
    EXPECT_LE(list.Item(1).ShortPathString().size(), m);
  }
  EXPECT_EQ(list.Item(1).ShortPathString(), "...");
  list.Clear();
}

TEST_F(RecentFiles, AddingMovesDropsAndRenumbers) {
  cuRecentFiles list;
  list.setMaxEntries(8);
  QStringList files;
  for (int i = 1; i <= 9; ++i) files << file(QString("k%1.qvk").arg(i));
  for (const QString& f : files) list.Add(f);
  EXPECT_EQ(list.Count(), 8);
  EXPECT_EQ(list.Item(1).FullPath(), files[8]);
  EXPECT_EQ(list.Item(8).FullPath(), files[1]);

  list.Add(files[4]);  // already listed: to the top, order of the others kept
  EXPECT_EQ(paths(list), (QStringList{files[4], files[8], files[7], files[6], files[5], files[3], files[2], files[1]}));
  list.Add(3);
  EXPECT_EQ(paths(list).mid(0, 4), (QStringList{files[7], files[4], files[8], files[6]}));
  EXPECT_EQ(list.LastFolder(), dir + "/");

  for (int bad : {0, 9}) {
    const rt::RaisedError e = raised([&] { list.Add(bad); });
    EXPECT_EQ(e.number, errorNumber(12));
    EXPECT_EQ(e.source, "RZVBA/RZVBA/clsRecentFiles: SetTopItem");
    EXPECT_EQ(e.description, "Ungültiger Index oder Indexgrenze überschritten.");
  }
}

TEST_F(RecentFiles, PathsAreComparedAsFiles) {
  cuRecentFiles list;
  const QString lower = file("sammlung.qvk");
  const QString upper = file("Sammlung.qvk");
  list.Add(lower);
  list.Add(upper);
  EXPECT_EQ(list.Count(), 2);  // letter case makes another file
  ASSERT_TRUE(QFile::link(lower, dir + "/link.qvk"));
  list.Add(dir + "/link.qvk");
  list.Add(dir + "/./sammlung.qvk");
  EXPECT_EQ(paths(list), (QStringList{lower, upper}));
  list.Remove(dir + "/link.qvk");
  EXPECT_EQ(paths(list), QStringList{upper});
  list.Clear();
}

TEST_F(RecentFiles, AddRefusesMissingFilesButNotFolderPaths) {
  cuRecentFiles list;
  ui::setMousePointer(ui::kPointerHourglass);
  const rt::RaisedError e = raised([&] { list.Add(dir + "/fehlt.qvk"); });
  EXPECT_EQ(e.number, errorNumber(4));
  EXPECT_EQ(e.source, "RZVBA/clsRecentFiles: Add");
  EXPECT_EQ(e.description, "Ungültiger Pfad.");
  EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
  EXPECT_EQ(raised([&] { list.Add(dir); }).number, errorNumber(4));  // a folder is no file
  list.Add("/nirgends/ordner/");
  EXPECT_EQ(list.Count(), 1);
  list.Clear();
}

TEST_F(RecentFiles, ItemAndRemoveErrors) {
  cuRecentFiles list;
  list.Add(file("a.qvk"));
  rt::RaisedError e = raised([&] { list.Item(2); });
  EXPECT_EQ(e.number, errorNumber(5));
  EXPECT_EQ(e.source, "RZVBA/clsRecentFiles: Item");
  e = raised([&] { list.Remove(dir + "/b.qvk"); });
  EXPECT_EQ(e.number, errorNumber(13));
  EXPECT_EQ(e.description, "Die Datei '" + dir + "/b.qvk' ist nicht Teil der RecentFile-Auflistung.");
  e = raised([&] { list.Remove(2); });
  EXPECT_EQ(e.number, 5);
  EXPECT_EQ(e.source, "RZVBA/RZVBA/clsRecentFiles: RemoveEntry");
  EXPECT_EQ(raised([&] { list.setMaxEntries(0); }).number, errorNumber(6));
  EXPECT_EQ(raised([&] { list.setMaxLength(0); }).number, errorNumber(9));
  EXPECT_EQ(list.Count(), 1);
  list.Clear();
}

TEST_F(RecentFiles, LastFolderNeedsAFileToFind) {
  cuRecentFiles list;
  const QString sub = dir + "/sub";
  ASSERT_TRUE(QDir().mkpath(sub + "/inner"));
  EXPECT_EQ(raised([&] { list.setLastFolder(sub + "/"); }).number, errorNumber(4));  // only a folder inside
  QFile(sub + "/.versteckt").open(QIODevice::WriteOnly);
  list.setLastFolder(sub + "/");
  EXPECT_EQ(list.LastFolder(), sub + "/");
  EXPECT_EQ(raised([&] { list.setLastFolder(sub); }).source, "RZVBA/clsRecentFiles: LastFolder (Let)");
  list.setLastFolder(sub + "/.versteckt");
  EXPECT_EQ(list.LastFolder(), sub + "/.versteckt");
}

TEST_F(RecentFiles, ReleasingWritesTheListBack) {
  const QString a = file("a.qvk"), b = file("b.qvk"), c = file("c.qvk");
  {
    cuRecentFiles list;
    list.setRegKey(kKey);
    list.setMaxEntries(8);
    for (const QString& f : {c, b, a}) list.Add(f);
    list.Remove(2);
    EXPECT_EQ(stored("File 1"), "<missing>");  // nothing is written before the release
  }
  EXPECT_EQ(stored("File 1"), a);
  EXPECT_EQ(stored("File 2"), c);
  EXPECT_EQ(stored("File 3"), "<missing>");
  EXPECT_EQ(stored("RFL Max Entries"), "8");

  cuRecentFiles again;
  again.setRegKey(kKey);
  EXPECT_EQ(again.MaxEntries(), 8);
  EXPECT_EQ(paths(again), (QStringList{a, c}));
  again.setSaveMaxEntries(false);
  again.setMaxEntries(1);
  again.Terminate();
  EXPECT_EQ(stored("File 2"), "<missing>");
  EXPECT_EQ(stored("RFL Max Entries"), "8");
}

TEST_F(RecentFiles, ThousandsOfStaleEntriesGoInOneWrite) {
  std::vector<registry::ValueChange> stale;
  for (int n = 1; n <= 3000; ++n)
    stale.push_back({QString("File %1").arg(n), registry::Value::text(QString("/alt/%1.qvk").arg(n))});
  ASSERT_EQ(registry::changeValues(HKEY_CURRENT_USER, kKey, stale), registry::kSuccess);
  const QString a = file("a.qvk");
  HiveWrites writes;
  {
    cuRecentFiles list;
    list.setRegKey(kKey);
    list.Add(a);
    EXPECT_EQ(writes.count(), 0);
    list.Save();
    EXPECT_EQ(writes.count(), 1);
  }
  EXPECT_EQ(writes.count(), 1);  // the release
  EXPECT_EQ(stored("File 1"), a);
  EXPECT_EQ(stored("File 4"), "/alt/3.qvk");
  EXPECT_EQ(stored("File 5"), "<missing>");
  EXPECT_EQ(stored("File 3000"), "<missing>");
  QStringList names;
  ASSERT_EQ(registry::enumValues(HKEY_CURRENT_USER, kKey, names), registry::kSuccess);
  EXPECT_EQ(names.size(), 5);  // four entries and the maximum
}

TEST_F(RecentFiles, SaveWritesNowAndTheListGoesOn) {
  const QString a = file("a.qvk"), b = file("b.qvk");
  QMenu menu;
  QAction* zero = menu.addSeparator();
  cuRecentFiles list;
  list.setRegKey(kKey);
  list.setMenu(&menu, zero);
  list.Add(a);
  list.Add(b);
  list.Save();
  EXPECT_EQ(stored("File 1"), b);
  EXPECT_EQ(stored("File 2"), a);
  EXPECT_EQ(stored("RFL Max Entries"), "4");
  // Still attached and usable: a removal saved again drops the value beyond the list.
  list.Remove(1);
  list.Save();
  EXPECT_EQ(stored("File 1"), a);
  EXPECT_EQ(stored("File 2"), "<missing>");
  EXPECT_EQ(menu.actions().size(), 2);
  EXPECT_EQ(list.Count(), 1);
}

TEST_F(RecentFiles, AGapEndsLoadingAndSurvivesTheRelease) {
  store({"File 1", "/x/1.qvk", "File 2", "/x/2.qvk", "File 4", "/x/4.qvk"});
  {
    cuRecentFiles list;
    list.setRegKey(kKey);
    EXPECT_EQ(list.Count(), 2);
  }
  EXPECT_EQ(stored("File 4"), "/x/4.qvk");
}

TEST_F(RecentFiles, LoadingToleratesWhatOthersStored) {
  // A stored maximum that is no positive number is ignored; more entries than the maximum are
  // not an error: the newest are kept.
  const QString longPath = "/" + QString(5000, u'ä') + "/Sammlung.qvk";
  for (const char* max : {"0", "-3", "abc", "99999", ""}) {
    SCOPED_TRACE(max);
    store({"RFL Max Entries", max, "File 1", longPath, "File 2", "/x/2.qvk", "File 3", "/x/3.qvk", "File 4", "/x/4.qvk",
           "File 5", "/x/5.qvk"});
    cuRecentFiles list;
    list.setSaveMaxEntries(false);
    list.setRegKey(kKey);
    EXPECT_EQ(list.MaxEntries(), 4);
    EXPECT_EQ(paths(list), (QStringList{longPath, "/x/2.qvk", "/x/3.qvk", "/x/4.qvk"}));
  }
}

TEST_F(RecentFiles, KeyNamesAreChecked) {
  cuRecentFiles list;
  list.setRegKey("\\Software\\Neu\\");
  EXPECT_EQ(list.RegKey(), "Software\\Neu");
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Neu"));
  rt::RaisedError e = raised([&] { list.setRegKey(QString(256, 'k')); });
  EXPECT_EQ(e.number, errorNumber(7));
  EXPECT_EQ(e.source, "RZVBA/clsRecentFiles: RegKey (Let)");
  EXPECT_EQ(raised([&] { list.setRegKey(""); }).number, errorNumber(7));
  e = raised([&] { list.setRegKey("\\"); });
  EXPECT_EQ(e.number, errorNumber(11));
  EXPECT_EQ(e.source, "RZVBA/clsRecentFiles: OpenRegKey");
  EXPECT_EQ(e.description, "Der Registryschlüssel fehlt.");
}

TEST_F(RecentFiles, AKeyThatCannotBeCreatedFailsWithTheSystemText) {
  // The store's folder is a plain file, so nothing can be written.
  const QString blocked = testenv::freshTempDir() + "/blocked";
  QFile(blocked).open(QIODevice::WriteOnly);
  qputenv("ZUVRAX_REGISTRY_DIR", blocked.toUtf8());
  cuRecentFiles list;
  const rt::RaisedError e = raised([&] { list.setRegKey(kKey); });
  EXPECT_EQ(e.number, errorNumber(1));
  EXPECT_EQ(e.description, "Fehler beim Öffnen des Registryschlüssels - Kann nicht schreiben.");
}

TEST_F(RecentFiles, TheMenuShowsTheEntriesAfterElementZero) {
  QMenu menu;
  QAction* open = menu.addAction("&Öffnen");
  QAction* separator = menu.addSeparator();
  QAction* exit = menu.addAction("&Beenden");
  cuRecentFiles list;
  list.setMenu(&menu, separator);
  EXPECT_FALSE(separator->isVisible());

  list.setMaxEntries(8);
  const QString a = file("a&b.qvk"), b = file("b.qvk"), c = file("c.qvk");
  for (const QString& f : {a, b, c}) list.Add(f);
  QList<QAction*> actions = menu.actions();
  ASSERT_EQ(actions.size(), 6);
  EXPECT_EQ(actions[0], open);
  EXPECT_EQ(actions[1], separator);
  EXPECT_EQ(actions[5], exit);
  EXPECT_TRUE(separator->isVisible());
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(actions[1 + i]->data().toInt(), i);
    EXPECT_TRUE(actions[1 + i]->text().startsWith(QString("&%1 ").arg(i)));
  }
  EXPECT_EQ(actions[4]->text(), "&3 " + QString(list.Item(3).ShortPathString()).replace("&", "&&"));

  list.Remove(1);
  list.Remove(1);
  actions = menu.actions();
  ASSERT_EQ(actions.size(), 4);
  EXPECT_EQ(actions[2]->text(), "&1 " + QString(list.Item(1).ShortPathString()).replace("&", "&&"));
  EXPECT_EQ(actions[3], exit);

  list.setIsSeparateMenu(true);
  list.Refresh();
  EXPECT_FALSE(separator->isVisible());
  list.Clear();
}

TEST_F(RecentFiles, WithoutAMenuRefreshRaisesChange) {
  cuRecentFiles list;
  QSignalSpy spy(&list, &cuRecentFiles::Change);
  list.Add(file("a.qvk"));
  list.Refresh();
  EXPECT_EQ(spy.count(), 2);
  list.Clear();
}

}  // namespace
