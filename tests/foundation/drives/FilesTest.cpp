#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_libmsg.h"
#include "platform/runtime/RaisedError.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileTree : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    write("a.TXT", "aaa");
    write("b.txt", "bb");
    write(".hidden", "hidden!");
    write("README", "1");
    write("readme", "22");
    write("c.doc", "");
    write("Ü ber.txt", "x");
    QDir(dir).mkdir("sub.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/pipe").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir + "/b.txt", dir + "/link-b"));
    ASSERT_TRUE(QFile::link(dir + "/gone", dir + "/dangling"));
  }
  void write(const QString& name, const QByteArray& content) {
    QFile f(dir + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
  }
  QString p(const QString& name) const { return dir + "/" + name; }
  QString dir;
};

}  // namespace

TEST_F(FileTree, FileAndFolderExistence) {
  const struct {
    QString path;
    bool file, folder;
  } cases[] = {
      {p("a.TXT"), true, false},
      {p("A.txt"), false, false},  // case-sensitive
      {"  \"" + p("b.txt") + "\"  ", true, false},
      {p(".hidden"), true, false},
      {p("Ü ber.txt"), true, false},
      {p("sub.txt"), false, true},
      {p("sub.txt") + "/", false, true},
      {p("pipe"), false, false},
      {p("link-b"), true, false},
      {p("dangling"), false, false},
      {p("missing"), false, false},
      {"/dev/null", false, false},
      {"", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    EXPECT_EQ(FileExists(c.path), c.file);
    EXPECT_EQ(FolderExists(c.path), c.folder);
  }
}

TEST_F(FileTree, SizesAreExactAndHiddenFilesAreFound) {
  EXPECT_EQ(GetFileSizeValue(p("a.TXT")), 3.0);
  EXPECT_EQ(GetFileSizeValue(p(".hidden")), 7.0);
  EXPECT_EQ(GetFileSizeValue(p("c.doc")), 0.0);
  EXPECT_EQ(GetFileSizeValue(p("missing")), -1.0);
  EXPECT_EQ(GetFileSizeValue(""), -1.0);
  // Special files and links are recorded with size 0, never opened or followed.
  EXPECT_EQ(GetFileSizeValue(p("pipe")), 0.0);
  EXPECT_EQ(GetFileSizeValue(p("link-b")), 0.0);
  EXPECT_EQ(GetFileSizeValue(p("dangling")), 0.0);
  EXPECT_EQ(GetFileSizeFso(p("missing")), 0.0);

  // Beyond 4 GiB without the blocks (sparse).
  const qint64 big = 5LL * 1024 * 1024 * 1024 + 17;
  ASSERT_EQ(::truncate(QFile::encodeName(p("c.doc")).constData(), big), 0);
  EXPECT_EQ(GetFileSizeValue(p("c.doc")), static_cast<double>(big));
  EXPECT_TRUE(FileExists(p("c.doc")));
}

TEST_F(FileTree, ListsByFilterPatterns) {
  QStringList files;
  EXPECT_EQ(ListFilesByPatterns(dir, "Texte|*.txt|Alle|*.*", files, 6), 10);
  const QStringList expected = {"a.TXT", "b.txt",    "Ü ber.txt", ".hidden", "README",
                                "c.doc", "dangling", "link-b",    "pipe",    "readme"};
  // Text files first (patterns ignore case), then the rest once each; README and readme both.
  EXPECT_EQ(files.mid(0, 3), expected.mid(0, 3));
  EXPECT_EQ(QSet<QString>(files.begin(), files.end()), QSet<QString>(expected.begin(), expected.end()));
  EXPECT_EQ(files.size(), expected.size());
}

TEST_F(FileTree, ListingAttributesAndEdgeCases) {
  QStringList files;
  EXPECT_EQ(ListFilesByPatterns(dir + "/", "Texte|*.TXT", files, 0), 3);
  EXPECT_EQ(files, QStringList({"a.TXT", "b.txt", "Ü ber.txt"}));

  files = QStringList{"keep"};
  EXPECT_EQ(ListFilesByPatterns(dir, "*.txt", files, 6), 0);  // no description: no pattern
  EXPECT_EQ(ListFilesByPatterns("", "A|*.*", files, 6), 0);
  EXPECT_EQ(ListFilesByPatterns(dir, "", files, 6), 0);
  EXPECT_EQ(ListFilesByPatterns(dir, "Bilder|*.png", files, 6), -1);
  EXPECT_EQ(ListFilesByPatterns(p("missing"), "A|*.*", files, 6), -1);
  EXPECT_EQ(files, QStringList{"keep"});

  EXPECT_EQ(ListFilesByPatterns(dir, "D|?.doc", files, 0), 2);
  EXPECT_EQ(files, QStringList({"keep", "c.doc"}));

  QStringList withFolders;
  ListFilesByPatterns(dir, "T|*.txt", withFolders, 16);
  EXPECT_TRUE(withFolders.contains("sub.txt"));
  EXPECT_FALSE(withFolders.contains(".hidden"));
}

TEST_F(FileTree, ReadsTextFilesAsUtf8) {
  write("memo.txt", "\xEF\xBB\xBF\r\n  Grüße aus Köln\r\n\n");
  EXPECT_EQ(ReadTextFile(p("memo.txt"), false, false), QString::fromUtf8("\r\n  Grüße aus Köln\r\n\n"));
  EXPECT_EQ(ReadTextFile(p("memo.txt"), false, true), QString::fromUtf8("  Grüße aus Köln"));
  EXPECT_EQ(ReadTextFile(p("memo.txt"), true, true), QString::fromUtf8("Grüße aus Köln"));
  write("blanks.txt", "  x  ");
  EXPECT_EQ(ReadTextFile(p("blanks.txt"), true, false), "x");
  EXPECT_EQ(ReadTextFile(p("c.doc"), false, false), "");
}

TEST_F(FileTree, ATextFileThatIsNoUtf8IsReadAsWindows1252) {
  write("alt.txt",
        "Gr\xfc\xdf"
        "e aus K\xf6ln \x80");
  EXPECT_EQ(ReadTextFile(p("alt.txt"), false, false), QString::fromUtf8("Grüße aus Köln €"));
  EXPECT_EQ(ReadTextFileRaw(QFile::encodeName(p("alt.txt"))), QString::fromUtf8("Grüße aus Köln €"));
  // By its bytes, a file whose name is no UTF-8 is read too.
  const QByteArray raw = QFile::encodeName(dir) + "/n\xe9.txt";
  const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "caf\xc3\xa9", 5), 5);
  ::close(fd);
  EXPECT_EQ(ReadTextFileRaw(raw), QString::fromUtf8("café"));
  ::unlink(raw.constData());
}

// Catalogued names of files and folders that carry Windows-1252 bytes on disk are found under
// their text; a name whose two byte forms both stand in its folder is not read as either.
TEST_F(FileTree, CataloguedNamesAreFoundInTheByteFormTheyHaveOnDisk) {
  const QByteArray raw = QFile::encodeName(dir);
  const auto create = [](const QByteArray& path, const QByteArray& content) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, content.constData(), content.size()), content.size());
    ::close(fd);
  };
  ASSERT_EQ(::mkdir((raw + "/Gr\xfc\xdf"
                           "e")
                        .constData(),
                    0755),
            0);
  create(raw +
             "/Gr\xfc\xdf"
             "e/liesmich-\xe9.txt",
         "Memo aus Windows");
  create(raw + "/e\xff", "alt");
  create(raw + "/e\xc3\xbf", "neu");
  const QString folder = p(QString::fromUtf8("Grüße"));
  const QString memo = folder + QString::fromUtf8("/liesmich-é.txt");
  EXPECT_TRUE(FolderExists(folder));
  EXPECT_TRUE(FileExists(memo));
  EXPECT_FALSE(FolderExists(memo));
  EXPECT_EQ(GetFileSizeValue(memo), 16);
  EXPECT_EQ(ReadTextFile(memo, false, false), "Memo aus Windows");
  const QString both = p(QString::fromUtf8("eÿ"));
  EXPECT_TRUE(FileExists(both));
  try {
    ReadTextFile(both, false, false);
    ADD_FAILURE() << "one of the two files was read";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 75);
    EXPECT_TRUE(e.description.contains(QString::fromUtf8("'eÿ'"))) << e.description.toStdString();
  }
  ::unlink((raw + "/Gr\xfc\xdf"
                  "e/liesmich-\xe9.txt")
               .constData());
  ::rmdir((raw + "/Gr\xfc\xdf"
                 "e")
              .constData());
  ::unlink((raw + "/e\xff").constData());
}

TEST_F(FileTree, NamesWithOuterBlanksAreTheirOwnFiles) {
  // Linux names may begin or end with a blank; the unquoted, trimmed form is another file.
  write("memo ", "mit Blank");
  EXPECT_TRUE(FileExists(p("memo ")));
  EXPECT_EQ(ReadTextFile(p("memo "), false, false), "mit Blank");
  write("memo", "ohne");
  EXPECT_EQ(ReadTextFile(p("memo "), false, false), "mit Blank");
  EXPECT_EQ(ReadTextFile("\"" + p("memo") + "\"", false, false), "ohne");  // quoted still works
  EXPECT_TRUE(FileExists("  " + p("memo") + " "));
}

TEST(ReadTextFileErrors, AFailedReadIsRaisedNotReadAsAnEmptyText) {
  // A regular file whose reading fails at once with an I/O error.
  const QString path = QStringLiteral("/proc/self/mem");
  ASSERT_TRUE(FileExists(path));
  try {
    const QString text = ReadTextFile(path, false, false);
    ADD_FAILURE() << "no error, read " << text.size() << " characters";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 57);
    EXPECT_TRUE(e.description.contains(path)) << e.description.toStdString();
  }
}

TEST_F(FileTree, ReadingWhatIsNoFileRaisesLibraryError26) {
  // A FIFO would block for ever and a folder cannot be read: both are refused like a missing file.
  for (const QString& path : {p("missing"), p("sub.txt"), p("pipe")}) {
    SCOPED_TRACE(path.toStdString());
    try {
      ReadTextFile(path, false, false);
      ADD_FAILURE() << "no error";
    } catch (const rt::RaisedError& e) {
      EXPECT_EQ(e.number, -2147220454);
      EXPECT_EQ(e.description, "Die Datei '" + path + "' ist nicht vorhanden.");
    }
  }
}
