#include "WalkerTestSupport.h"
#include "catalogue/cuFileReader.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

using namespace walktest;

namespace {

struct Trace {
  QList<int32_t> progress;
  QList<int64_t> blocks;
  QList<int64_t> sizes;
  QByteArray data;
  int canceled = 0;
};

class FileReader : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = QDir(testenv::freshTempDir()).absolutePath().toUtf8();
    reader.ReadProgress = [this](int32_t p) { trace.progress << p; };
    reader.NewData = [this](const QByteArray& d, int64_t block) {
      trace.blocks << block;
      trace.sizes << d.size();
      trace.data += d;
    };
  }
  // The temporary folder's own clean-up cannot remove names that are not valid UTF-8.
  void TearDown() override { std::filesystem::remove_all(std::filesystem::path(dir.toStdString())); }
  QByteArray make(const QByteArray& name, int64_t size) {
    writeFile(dir + "/" + name, size);
    return dir + "/" + name;
  }
  QByteArray dir;
  cuFileReader reader;
  Trace trace;
};

}  // namespace

TEST_F(FileReader, BlocksProgressAndRest) {
  struct Case {
    int64_t length;
    int32_t maxBytes;
    QList<int64_t> sizes;
    QList<int32_t> progress;
  };
  const std::vector<Case> cases = {
      {0, 0, {}, {}},
      {2 * 32768, 0, {32768, 32768}, {50, 100}},
      {32769, 0, {32768, 1}, {100}},
      {100000, 32768, {32768}, {33}},
      {40000, 32768, {32768, 7232}, {100}},
      {1000, 32768, {1000}, {}},
      {3 * 32768 + 5, 0, {32768, 32768, 32768, 5}, {33, 67, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " bytes, MaxBytes " << c.maxBytes);
    trace = Trace();
    reader.setFileNameBytes(make("f", c.length));
    reader.setMaxBytes(c.maxBytes);
    reader.Read();
    EXPECT_EQ(trace.sizes, c.sizes);
    EXPECT_EQ(trace.progress, c.progress);
    QList<int64_t> numbers;
    for (int i = 1; i <= c.sizes.size(); ++i) numbers << i;
    EXPECT_EQ(trace.blocks, numbers);
  }
}

TEST_F(FileReader, DataIsTheFileAndProgressRoundsHalvesToEven) {
  // 300 blocks: block 1 rounds to 0 (no event); 8 blocks: 12.5 % rounds to 12, 37.5 % to 38.
  reader.setBlocksize(16);
  reader.setFileName(QString::fromUtf8(make("a", 300 * 16)));
  reader.Read();
  ASSERT_EQ(trace.progress.size(), 100);
  EXPECT_EQ(trace.progress.first(), 1);
  QFile f(QString::fromUtf8(dir + "/a"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(trace.data, f.readAll());

  trace = Trace();
  reader.setFileName(QString::fromUtf8(make("b", 8 * 16)));
  reader.Read();
  EXPECT_EQ(trace.progress, QList<int32_t>({12, 25, 38, 50, 62, 75, 88, 100}));
}

TEST_F(FileReader, CancelAskedThenGoOnOrStop) {
  const QByteArray path = make("c", 4 * 32768 + 3);
  for (bool goOn : {true, false}) {
    SCOPED_TRACE(goOn ? "go on" : "stop");
    trace = Trace();
    reader.Canceled = [&](bool& g) {
      EXPECT_FALSE(g);
      ++trace.canceled;
      g = goOn;
    };
    reader.NewData = [&](const QByteArray& d, int64_t block) {
      trace.blocks << block;
      trace.sizes << d.size();
      if (block == 1) reader.ReadCancel();
    };
    reader.setFileNameBytes(path);
    reader.Read();
    EXPECT_EQ(trace.canceled, 1);
    if (goOn)
      EXPECT_EQ(trace.blocks, QList<int64_t>({1, 2, 3, 4, 5}));
    else
      EXPECT_EQ(trace.blocks, QList<int64_t>({1}));
  }
}

TEST_F(FileReader, SparseFileBeyondFourGibibytesIsRead) {
  const QByteArray path = make("big", 0);
  ASSERT_EQ(truncate(path.constData(), (5LL << 30) + 7), 0);
  // First-block mode reads one block only; a cancel after block 1 stops a whole read.
  reader.setMaxBytes(reader.Blocksize());
  reader.setFileNameBytes(path);
  reader.Read();
  EXPECT_EQ(trace.sizes, QList<int64_t>({32768}));
  EXPECT_TRUE(trace.progress.isEmpty());  // 1 of 163840 blocks rounds to 0

  trace = Trace();
  reader.setMaxBytes(0);
  reader.NewData = [&](const QByteArray&, int64_t block) {
    trace.blocks << block;
    reader.ReadCancel();
  };
  reader.Canceled = [](bool&) {};
  reader.Read();
  EXPECT_EQ(trace.blocks, QList<int64_t>({1}));
}

TEST_F(FileReader, FailuresCarryTheSource) {
  reader.setFileName(QString::fromUtf8(dir) + "/missing");
  try {
    reader.Read();
    FAIL() << "no error";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.source, "cuFileReader/Read");
    EXPECT_TRUE(e.description.contains("/missing"));
  }
  reader.setFileNameBytes(make("z", 10));
  reader.setBlocksize(0);
  try {
    reader.Read();
    FAIL() << "no error";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 11);
    EXPECT_EQ(e.source, "cuFileReader/Read");
  }
}

TEST_F(FileReader, UnreadableFileRaisesAccessDenied) {
  const QByteArray path = make("secret", 100);
  ASSERT_EQ(chmod(path.constData(), 0600), 0);
  for (QByteArray up = dir; up.count('/') > 1; up = up.left(up.lastIndexOf('/'))) chmod(up.constData(), 0755);
  const int code = inChild([&] {
    if (!dropPrivileges()) return kSkipCode;
    cuFileReader r;
    r.setFileNameBytes(path);
    try {
      r.Read();
    } catch (const rt::RaisedError& e) {
      return e.number == 70 && e.source == "cuFileReader/Read" ? 0 : 10;
    }
    return 11;
  });
  if (code == kSkipCode) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(code, 0);
}

TEST_F(FileReader, OnlyRegularFilesAreOpened) {
  // A FIFO would block an open for ever; links are not followed.
  const QByteArray fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.constData(), 0644), 0);
  make("target", 50000);
  const QByteArray link = dir + "/link";
  ASSERT_EQ(symlink("target", link.constData()), 0);
  for (const QByteArray& p : {fifo, link, dir}) {
    reader.setFileNameBytes(p);
    EXPECT_NO_THROW(reader.Read());
  }
  EXPECT_TRUE(trace.blocks.isEmpty());
}

TEST_F(FileReader, NameThatIsNotUtf8IsOpenedByItsBytes) {
  const QByteArray path = make("n\xe9", 5);
  reader.setFileNameBytes(path);
  EXPECT_EQ(reader.FileName(), QString::fromUtf8(dir) + QString::fromUtf8("/né"));
  reader.Read();
  EXPECT_EQ(trace.sizes, QList<int64_t>({5}));
}

TEST_F(FileReader, ACataloguedNameIsReadInTheByteFormItHasOnDisk) {
  make("caf\xe9.txt", 7);
  make("e\xff", 3);
  make("e\xc3\xbf", 4);
  const QString base = QString::fromUtf8(dir);
  reader.setFileName(base + QString::fromUtf8("/café.txt"));
  reader.Read();
  EXPECT_EQ(trace.sizes, QList<int64_t>({7}));
  // Both forms of "eÿ" are there: neither is read.
  trace = Trace();
  reader.setFileName(base + QString::fromUtf8("/eÿ"));
  const rt::RaisedError e = testenv::raised([&] { reader.Read(); });
  EXPECT_EQ(e.number, 75);
  EXPECT_TRUE(e.description.contains(QString::fromUtf8("'eÿ'"))) << e.description.toStdString();
  EXPECT_EQ(e.source, "cuFileReader/Read");
  EXPECT_TRUE(trace.sizes.isEmpty());
}
