#include "platform/registry/HiveFile.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <vector>

using namespace registry;

namespace {

class RegistryStore : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    qputenv("ZUVRAX_REGISTRY_DIR", dir.toUtf8());
  }
  static QString text(HKEY hive, const QString& key, const QString& name) {
    Value v;
    if (queryValue(hive, key, name, v) != kSuccess) return QStringLiteral("<missing>");
    return v.toText();
  }
  static QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  static void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QString dir;
};

TEST_F(RegistryStore, NamesIgnoreCaseAndKeepTheFirstWrittenCase) {
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "Software\\Tolvarent\\Kerbolith\\Options", "LastDB", Value::text("a")),
            kSuccess);
  EXPECT_EQ(setValue(HKEY_CURRENT_USER, "\\SOFTWARE\\tolvarent\\KERBOLITH\\options\\", "lastdb", Value::text("b")),
            kSuccess);
  EXPECT_EQ(text(HKEY_CURRENT_USER, "software\\TOLVARENT\\kerbolith\\Options", "LASTDB"), "b");

  QStringList names;
  ASSERT_EQ(enumKeys(HKEY_CURRENT_USER, "software", names), kSuccess);
  EXPECT_EQ(names, QStringList{"Tolvarent"});
  ASSERT_EQ(enumValues(HKEY_CURRENT_USER, "Software\\Tolvarent\\Kerbolith\\Options", names), kSuccess);
  EXPECT_EQ(names, QStringList{"LastDB"});
  EXPECT_EQ(openKey(HKEY_CURRENT_USER, "Software\\Missing"), kNotFound);
}

TEST_F(RegistryStore, TextsOfAnyLengthAndCharactersSurviveAReload) {
  const QString longText = QString(300000, QChar(u'ä')) + QStringLiteral("\"\\\n\t end ");
  const QString withNul = QString::fromUtf8("vor\0nach", 8);
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "long", Value::text(longText)), kSuccess);
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "nul", Value::text(withNul)), kSuccess);
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "expand", Value::text("%HOME%/x", REG_EXPAND_SZ)), kSuccess);
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "n", Value::dword(0xFFFFFFFEu)), kSuccess);
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "bin", Value{REG_BINARY, QByteArray("\x00\x01\xff", 3)}), kSuccess);

  // A fresh reader of the same file sees everything as written.
  HiveFile other(userHiveFile(), false);
  Value v;
  const QStringList key{"k"};
  ASSERT_EQ(other.queryValue(key, "LONG", v), kSuccess);
  EXPECT_EQ(v.type, REG_SZ);
  EXPECT_EQ(v.toText(), longText);
  ASSERT_EQ(other.queryValue(key, "nul", v), kSuccess);
  EXPECT_EQ(v.toText(), withNul);
  ASSERT_EQ(other.queryValue(key, "expand", v), kSuccess);
  EXPECT_EQ(v.type, REG_EXPAND_SZ);
  EXPECT_EQ(v.toText(), "%HOME%/x");
  ASSERT_EQ(other.queryValue(key, "n", v), kSuccess);
  EXPECT_EQ(v.type, REG_DWORD);
  EXPECT_EQ(v.data, Value::dword(0xFFFFFFFEu).data);
  ASSERT_EQ(other.queryValue(key, "bin", v), kSuccess);
  EXPECT_EQ(v.type, REG_BINARY);
  EXPECT_EQ(v.data, QByteArray("\x00\x01\xff", 3));

  // The file is readable text.
  EXPECT_TRUE(readFile(userHiveFile()).contains("%HOME%/x"));
}

TEST_F(RegistryStore, WritesReplaceTheFileWholeAndKeepOthersChanges) {
  HiveFile a(userHiveFile(), true);
  HiveFile b(userHiveFile(), true);
  ASSERT_EQ(a.setValue({"K"}, "one", Value::text("1")), kSuccess);
  ASSERT_EQ(b.setValue({"K"}, "two", Value::text("2")), kSuccess);  // another process
  ASSERT_EQ(a.setValue({"K"}, "three", Value::text("3")), kSuccess);
  QStringList names;
  ASSERT_EQ(b.enumValues({"K"}, names), kSuccess);
  EXPECT_EQ(names, (QStringList{"one", "two", "three"}));
  // No temporary file is left beside the hive.
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"hkcu.json"});
  QJsonParseError err{};
  QJsonDocument::fromJson(readFile(userHiveFile()), &err);
  EXPECT_EQ(err.error, QJsonParseError::NoError);
}

TEST_F(RegistryStore, AFailedWriteReportsAnErrorAndChangesNothing) {
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "v", Value::text("old")), kSuccess);
  // The folder can no longer be written: it is replaced by a plain file.
  const QString moved = dir + "-moved";
  ASSERT_TRUE(QDir().rename(dir, moved));
  writeFile(dir, "not a folder");
  EXPECT_EQ(setValue(HKEY_CURRENT_USER, "K", "v", Value::text("new")), kCantWrite);
  EXPECT_EQ(text(HKEY_CURRENT_USER, "K", "v"), "<missing>");
  QFile::remove(dir);
  ASSERT_TRUE(QDir().rename(moved, dir));
  EXPECT_EQ(text(HKEY_CURRENT_USER, "K", "v"), "old");
}

TEST_F(RegistryStore, ADamagedFileIsKeptAsideAndReadsAsEmpty) {
  const QList<QByteArray> damaged = {
      "{ this is not json", "[1,2,3]", "{\"format\":\"other\",\"root\":{\"name\":\"\"}}",
      "{\"format\":\"zuvrax-registry "
      "1\",\"root\":{\"name\":\"\",\"values\":[{\"name\":\"x\",\"type\":\"sz\",\"data\":5}]}}",
      QByteArray(100, '\0')};
  for (const QByteArray& bytes : damaged) {
    SCOPED_TRACE(bytes.left(40).toStdString());
    writeFile(userHiveFile(), bytes);
    EXPECT_EQ(openKey(HKEY_CURRENT_USER, "K"), kNotFound);
    EXPECT_FALSE(QFile::exists(userHiveFile()));
    EXPECT_EQ(readFile(userHiveFile() + ".damaged"), bytes);
    // The hive starts anew.
    ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "v", Value::text("x")), kSuccess);
    EXPECT_EQ(text(HKEY_CURRENT_USER, "K", "v"), "x");
  }
}

// What is no regular file of a hive's size is never read: a FIFO would block the start for
// ever, a link to /dev/zero would be read until memory runs out. It is set aside as a damaged
// file is, and the hive starts anew. Each case runs in a child that a hang or a flood of
// memory ends.
TEST_F(RegistryStore, WhatIsNoHiveSizedFileIsSetAsideUnread) {
  struct Case {
    const char* name;
    std::function<bool(const QByteArray& path)> make;
    mode_t kind;  // of what is set aside
  };
  const std::vector<Case> cases = {
      {"FIFO", [](const QByteArray& p) { return mkfifo(p.constData(), 0600) == 0; }, S_IFIFO},
      {"link to /dev/zero", [](const QByteArray& p) { return symlink("/dev/zero", p.constData()) == 0; }, S_IFLNK},
      {"link to a FIFO",
       [](const QByteArray& p) {
         return mkfifo((p + ".fifo").constData(), 0600) == 0 && symlink((p + ".fifo").constData(), p.constData()) == 0;
       },
       S_IFLNK},
      {"socket",
       [](const QByteArray& p) {
         sockaddr_un addr{};
         addr.sun_family = AF_UNIX;
         if (static_cast<size_t>(p.size()) >= sizeof addr.sun_path) return false;
         std::memcpy(addr.sun_path, p.constData(), static_cast<size_t>(p.size()));
         const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
         return fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
       },
       S_IFSOCK},
      {"file far beyond a hive's size",
       [](const QByteArray& p) {
         QFile f(QFile::decodeName(p));
         return f.open(QIODevice::WriteOnly) && f.resize(qint64(65) << 20);
       },
       S_IFREG},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const QString own = dir + QStringLiteral("/case%1").arg(i);
    ASSERT_TRUE(QDir().mkpath(own));
    const int code = testenv::inChild([&] {
      alarm(30);
#ifndef __SANITIZE_ADDRESS__
      // A hive read whole would not fit. AddressSanitizer's shadow alone takes far more address
      // space, so there the checks below stand without the cap.
      const rlimit memory{rlim_t(1) << 30, rlim_t(1) << 30};
      setrlimit(RLIMIT_AS, &memory);
#endif
      qputenv("ZUVRAX_REGISTRY_DIR", own.toUtf8());
      const QByteArray hive = QFile::encodeName(userHiveFile());
      if (!c.make(hive)) return testenv::kSkipCode;
      if (openKey(HKEY_CURRENT_USER, "K") != kNotFound) return 10;
      struct stat st {};
      if (lstat(hive.constData(), &st) == 0) return 11;  // still in the hive's place
      if (lstat((hive + ".damaged").constData(), &st) != 0 || (st.st_mode & S_IFMT) != c.kind) return 12;
      if (setValue(HKEY_CURRENT_USER, "K", "v", Value::text("x")) != kSuccess) return 13;
      if (text(HKEY_CURRENT_USER, "K", "v") != "x") return 14;
      return 0;
    });
    if (code == testenv::kSkipCode) continue;
    EXPECT_EQ(code, 0);
  }
}

TEST_F(RegistryStore, ADamagedFileThatCannotBeMovedAsideIsNeverOverwritten) {
  // A folder (with a file in it) holds the place of the kept copy, so the rename fails.
  ASSERT_TRUE(QDir().mkpath(userHiveFile() + ".damaged"));
  writeFile(userHiveFile() + ".damaged/keep", "x");
  const QByteArray bytes = "{ damaged, but the only copy of the settings";
  writeFile(userHiveFile(), bytes);
  EXPECT_EQ(openKey(HKEY_CURRENT_USER, "K"), kNotFound);
  EXPECT_NE(setValue(HKEY_CURRENT_USER, "K", "v", Value::text("x")), kSuccess);
  EXPECT_NE(createKey(HKEY_CURRENT_USER, "K"), kSuccess);
  EXPECT_EQ(readFile(userHiveFile()), bytes);
}

TEST_F(RegistryStore, AnUnreadableFileIsNeitherReplacedNorMovedAside) {
  // A folder in the file's place cannot be read as a file.
  ASSERT_TRUE(QDir().mkpath(userHiveFile()));
  EXPECT_EQ(openKey(HKEY_CURRENT_USER, "K"), kNotFound);
  EXPECT_EQ(setValue(HKEY_CURRENT_USER, "K", "v", Value::text("x")), kAccessDenied);
  EXPECT_TRUE(QFileInfo(userHiveFile()).isDir());
}

TEST_F(RegistryStore, DeletingKeysAndValues) {
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "A\\B\\C", "v", Value::text("x")), kSuccess);
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "A", "w", Value::text("y")), kSuccess);
  EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, "a", "W"), kSuccess);
  EXPECT_EQ(deleteValue(HKEY_CURRENT_USER, "a", "w"), kNotFound);
  EXPECT_EQ(deleteKey(HKEY_CURRENT_USER, "a\\b"), kSuccess);
  EXPECT_EQ(openKey(HKEY_CURRENT_USER, "A\\B\\C"), kNotFound);
  EXPECT_EQ(openKey(HKEY_CURRENT_USER, "A"), kSuccess);
  EXPECT_EQ(deleteKey(HKEY_CURRENT_USER, "A\\B"), kNotFound);
  EXPECT_EQ(deleteKey(HKEY_CURRENT_USER, ""), kAccessDenied);
  EXPECT_EQ(createKey(HKEY_CURRENT_USER, "X\\Y"), kSuccess);
  EXPECT_EQ(openKey(HKEY_CURRENT_USER, "x\\y"), kSuccess);
}

TEST_F(RegistryStore, ChangesToOneKeyGoTogether) {
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "a", Value::text("1")), kSuccess);
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "b", Value::text("2")), kSuccess);
  // In order: set, delete, set again; a value that is not there is no error; the key of a
  // missing path is made.
  EXPECT_EQ(changeValues(HKEY_CURRENT_USER, "k",
                         {{"A", Value::text("neu")},
                          {"b", std::nullopt},
                          {"fehlt", std::nullopt},
                          {"c", Value::text("x")},
                          {"C", std::nullopt},
                          {"c", Value::text("y")}}),
            kSuccess);
  QStringList names;
  ASSERT_EQ(enumValues(HKEY_CURRENT_USER, "K", names), kSuccess);
  EXPECT_EQ(names, (QStringList{"a", "c"}));
  EXPECT_EQ(text(HKEY_CURRENT_USER, "K", "a"), "neu");
  EXPECT_EQ(text(HKEY_CURRENT_USER, "K", "c"), "y");
  EXPECT_EQ(changeValues(HKEY_CURRENT_USER, "Neu\\Tief", {{"v", Value::text("1")}}), kSuccess);
  EXPECT_EQ(text(HKEY_CURRENT_USER, "Neu\\Tief", "v"), "1");
  EXPECT_EQ(changeValues(HKEY_CLASSES_ROOT, ".txt", {{"v", Value::text("1")}}), kAccessDenied);
  EXPECT_EQ(changeValues(HKEY_LOCAL_MACHINE, "K", {{"v", Value::text("1")}}), kAccessDenied);
}

TEST_F(RegistryStore, TheFolderFollowsTheEnvironment) {
  qunsetenv("ZUVRAX_REGISTRY_DIR");
  const QString config = testenv::freshTempDir();
  qputenv("XDG_CONFIG_HOME", config.toUtf8());
  EXPECT_EQ(userHiveFile(), config + "/zuvrax/hkcu.json");
  ASSERT_EQ(setValue(HKEY_CURRENT_USER, "K", "v", Value::text("x")), kSuccess);
  EXPECT_TRUE(QFile::exists(config + "/zuvrax/hkcu.json"));
  qputenv("ZUVRAX_REGISTRY_DIR", dir.toUtf8());
  EXPECT_EQ(openKey(HKEY_CURRENT_USER, "K"), kNotFound);
}

TEST_F(RegistryStore, LocalMachineIsReadFromTheSystemFileAndNeverWritten) {
  const QString file = testenv::freshTempDir() + "/hklm.json";
  const QByteArray content =
      "{\"format\":\"zuvrax-registry 1\",\"root\":{\"name\":\"\",\"keys\":[{\"name\":\"Software\",\"keys\":[{\"name\":"
      "\"Web\",\"values\":[{\"name\":\"URLQZ\",\"type\":\"sz\",\"data\":\"https://example.org/\"}]}]}]}}";
  writeFile(file, content);
  qputenv("ZUVRAX_HKLM_FILE", file.toUtf8());
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, "software\\web\\", "urlqz"), "https://example.org/");
  EXPECT_EQ(setValue(HKEY_LOCAL_MACHINE, "Software\\Web", "URLQZ", Value::text("x")), kAccessDenied);
  EXPECT_EQ(createKey(HKEY_LOCAL_MACHINE, "Software\\New"), kAccessDenied);
  EXPECT_EQ(deleteValue(HKEY_LOCAL_MACHINE, "Software\\Web", "URLQZ"), kAccessDenied);
  EXPECT_EQ(deleteKey(HKEY_LOCAL_MACHINE, "Software"), kAccessDenied);
  EXPECT_EQ(readFile(file), content);

  // A damaged or missing system file reads as empty and stays where it is.
  writeFile(file, "garbage");
  EXPECT_EQ(openKey(HKEY_LOCAL_MACHINE, "Software"), kNotFound);
  EXPECT_EQ(readFile(file), "garbage");
  qputenv("ZUVRAX_HKLM_FILE", (file + ".missing").toUtf8());
  EXPECT_EQ(openKey(HKEY_LOCAL_MACHINE, "Software"), kNotFound);
  qunsetenv("ZUVRAX_HKLM_FILE");
  EXPECT_EQ(machineHiveFile(), "/etc/zuvrax/hklm.json");
}

TEST_F(RegistryStore, ClassesRootComesFromTheMimeDatabase) {
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, ".txt", ""), "text/plain");
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, ".TXT", ""), "text/plain");
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, ".png", ""), "image/png");
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, "text/plain\\DefaultIcon", ""), "text-plain");
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, "image/png\\defaulticon", ""), "image-png");
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, ".zzqqxxunknown", ""), "<missing>");
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, "txt", ""), "<missing>");
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, ".txt", "other"), "<missing>");
  EXPECT_EQ(openKey(HKEY_CLASSES_ROOT, ".zzqqxxunknown"), kNotFound);
  EXPECT_EQ(openKey(HKEY_CLASSES_ROOT, "text/plain"), kSuccess);
  EXPECT_EQ(openKey(HKEY_CLASSES_ROOT, "no/such-type"), kNotFound);
  EXPECT_EQ(setValue(HKEY_CLASSES_ROOT, ".txt", "", Value::text("x")), kAccessDenied);
  EXPECT_EQ(text(HKEY_CLASSES_ROOT, ".txt", ""), "text/plain");
  EXPECT_EQ(openKey(0x80000009u, ""), kInvalidHandle);
}

}  // namespace
