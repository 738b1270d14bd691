#include "WalkerTestSupport.h"
#include "catalogue/cuDirParser.h"
#include "platform/runtime/TextCodec.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <span>

using namespace walktest;

namespace {

struct Counts {
  int32_t files, subDirs;
  int64_t size;
  int32_t totalFiles, totalDirs;
  int64_t totalSize;
};

void expectCounts(const cuDirParserFolder& f, const Counts& c) {
  SCOPED_TRACE(f.FullPath().toStdString());
  EXPECT_EQ(f.Files(), c.files);
  EXPECT_EQ(f.SubDirs(), c.subDirs);
  EXPECT_EQ(f.Size(), c.size);
  EXPECT_EQ(f.TotalFiles(), c.totalFiles);
  EXPECT_EQ(f.TotalDirs(), c.totalDirs);
  EXPECT_EQ(f.TotalSize(), c.totalSize);
}

// Every parent comes before its children and Index is the position.
void expectWalkOrder(const cuDirParserFolders& folders) {
  int32_t pos = 0;
  for (const cuDirParserFolder& f : folders) {
    ++pos;
    EXPECT_EQ(f.Index(), pos);
    if (pos == 1) {
      EXPECT_EQ(f.Parent(), 0);
      continue;
    }
    ASSERT_GE(f.Parent(), 1);
    ASSERT_LT(f.Parent(), pos);
    const cuDirParserFolder& p = folders.Item(f.Parent());
    EXPECT_EQ(f.RawPath(), p.RawPath() + f.RawName() + '/');
  }
}

// A real tree with the names and kinds of entries a volume holds.
class RealTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root = QDir(testenv::freshTempDir()).absolutePath().toUtf8() + "/vol";
    makeDir(root);
    const QByteArray r = root + "/";
    writeFile(r + "README", 1);
    writeFile(r + "readme", 2);
    ASSERT_EQ(symlink("a b", (r + "linkdir").constData()), 0);
    ASSERT_EQ(symlink("nowhere", (r + "dangling").constData()), 0);
    ASSERT_EQ(mkfifo((r + "fifo").constData(), 0644), 0);
    makeDir(r + "a b");
    writeFile(r + "a b/x.txt", 10);
    writeFile(r + "a b/.h", 1);
    makeDir(r +
            "\xc3\x9c"
            "mlaut");
    writeFile(r + "\xc3\x9c"
                  "mlaut/\xc3\xa4.dat",
              100);
    makeDir(r + ".hidden");
    writeFile(r + ".hidden/.dot", 5);
    writeFile(r + ".hidden/f", 7);
    makeDir(r + "bad\xff\xfe");
    writeFile(r + "bad\xff\xfe/n\xe9", 3);
    makeDir(r + "empty");
    makeDir(r + "Foto");
    writeFile(r + "Foto/a", 4);
    makeDir(r + "foto");
    writeFile(r + "foto/b", 6);
    QByteArray deep = r + "deep";
    makeDir(deep);
    for (int i = 1; i <= kDepth; ++i) {
      deep += "/d";
      makeDir(deep);
    }
    writeFile(deep + "/leaf.bin", 11);
    deepest = deep + "/";
  }

  // The temporary folder's own clean-up cannot remove names that are not valid UTF-8.
  void TearDown() override { std::filesystem::remove_all(std::filesystem::path(root.toStdString())); }

  const cuDirParserFolder& at(const cuDirParser& p, const QByteArray& rel) {
    const cuDirParserFolder* f = p.Folders().Find(root + "/" + rel);
    if (!f) throw std::runtime_error("no folder " + rel.toStdString());
    return *f;
  }

  static constexpr int kDepth = 200;
  QByteArray root;
  QByteArray deepest;
};

}  // namespace

TEST_F(RealTree, EveryFolderAndTotal) {
  cuDirParser p;
  QList<QByteArray> filePaths;
  QList<int64_t> fileSizes;
  int folderEvents = 0;
  p.NewFile = [&](const QString& folderPath, const QString& shortName, const QString& name, int64_t size, int32_t,
                  const QByteArray& raw) {
    EXPECT_EQ(shortName, name);
    EXPECT_EQ(rt::decodeFileName(raw), folderPath + name);
    filePaths << raw;
    fileSizes << size;
  };
  p.Folder = [&](const QString& full, const QString& listed, const QString& name, int32_t index) {
    ++folderEvents;
    EXPECT_EQ(p.Folders().Item(index).FullPath(), full);
    EXPECT_EQ(listed + name + "/", full);
  };
  p.setRoot(QString::fromUtf8(root));  // no trailing "/"
  p.Run();

  EXPECT_TRUE(p.Errors().isEmpty()) << p.Errors().join("\n").toStdString();
  const cuDirParserFolders& f = p.Folders();
  ASSERT_EQ(f.Count(), 1 + 8 + kDepth);
  EXPECT_EQ(folderEvents, f.Count() - 1);
  EXPECT_EQ(f.Item(1).FullPath(), QString::fromUtf8(root) + "/");
  EXPECT_EQ(f.Item(1).Name(), "");
  expectWalkOrder(f);

  // The links (3 and 7 bytes: the length of their targets) and the FIFO count as files.
  expectCounts(f.Item(1), {5, 8, 13, 14, 8 + kDepth, 160});
  expectCounts(at(p, "a b/"), {2, 0, 11, 2, 0, 11});
  expectCounts(at(p, "\xc3\x9cmlaut/"), {1, 0, 100, 1, 0, 100});
  expectCounts(at(p, ".hidden/"), {2, 0, 12, 2, 0, 12});
  expectCounts(at(p, "empty/"), {0, 0, 0, 0, 0, 0});
  expectCounts(at(p, "Foto/"), {1, 0, 4, 1, 0, 4});
  expectCounts(at(p, "foto/"), {1, 0, 6, 1, 0, 6});
  expectCounts(at(p, "deep/"), {0, 1, 0, 1, kDepth, 11});
  expectCounts(*f.Find(deepest), {1, 0, 11, 1, 0, 11});

  // Bytes that are no UTF-8: Windows-1252 in the text, the exact bytes kept for opening.
  const cuDirParserFolder& bad = at(p, "bad\xff\xfe/");
  expectCounts(bad, {1, 0, 3, 1, 0, 3});
  EXPECT_EQ(bad.Name(), QString::fromUtf8("badÿþ"));
  EXPECT_EQ(bad.FullPath(), QString::fromUtf8(root) + QString::fromUtf8("/badÿþ/"));
  EXPECT_EQ(&f.Item(bad.FullPath()), &bad);
  EXPECT_TRUE(filePaths.contains(root + "/bad\xff\xfe/n\xe9"));
  EXPECT_EQ(access((root + "/bad\xff\xfe/n\xe9").constData(), R_OK), 0);

  EXPECT_EQ(filePaths.size(), 14);
  EXPECT_EQ(fileSizes[filePaths.indexOf(root + "/fifo")], 0);
  EXPECT_EQ(fileSizes[filePaths.indexOf(root + "/linkdir")], 3);
  EXPECT_TRUE(filePaths.contains(root + "/README"));
  EXPECT_TRUE(filePaths.contains(root + "/readme"));
  // The link to a folder is not followed: "a b"'s file is seen once.
  EXPECT_EQ(filePaths.count(root + "/a b/x.txt"), 1);
}

TEST_F(RealTree, ARootStoredFromAWindows1252NameIsFoundByItsBytes) {
  cuDirParser p;
  p.setRoot(rt::decodeFileName(root + "/bad\xff\xfe"));  // as the catalogue keeps it: "badÿþ"
  p.Run();
  EXPECT_TRUE(p.Errors().isEmpty()) << p.Errors().join("\n").toStdString();
  ASSERT_EQ(p.Folders().Count(), 1);
  EXPECT_EQ(p.Folders().Item(1).RawPath(), root + "/bad\xff\xfe/");
  expectCounts(p.Folders().Item(1), {1, 0, 3, 1, 0, 3});
}

TEST_F(RealTree, SkipHiddenDropsHiddenFilesAndWholeHiddenFolders) {
  cuDirParser p;
  int events = 0;
  p.NewFile = [&](const QString&, const QString&, const QString& name, int64_t, int32_t attrs, const QByteArray&) {
    ++events;
    EXPECT_FALSE(name.startsWith('.'));
    EXPECT_EQ(attrs & dirsrc::kAttrHidden, 0);
  };
  p.setSkipHidden(true);
  p.setRoot(QString::fromUtf8(root) + "/");
  p.Run();
  EXPECT_EQ(p.Folders().Find(root + "/.hidden/"), nullptr);
  expectCounts(p.Folders().Item(1), {5, 7, 13, 11, 7 + kDepth, 147});
  expectCounts(at(p, "a b/"), {1, 0, 10, 1, 0, 10});
  EXPECT_EQ(events, 11);
}

TEST_F(RealTree, WithoutFolderSizesOnlySubDirsAreCounted) {
  cuDirParser p;
  int files = 0;
  p.NewFile = [&](auto&&...) { ++files; };
  p.setCalcFolderSize(false);
  p.setRoot(QString::fromUtf8(root));
  p.Run();
  EXPECT_EQ(files, 0);
  ASSERT_EQ(p.Folders().Count(), 1 + 8 + kDepth);
  expectCounts(p.Folders().Item(1), {0, 8, 0, 0, 0, 0});
  expectCounts(at(p, "deep/"), {0, 1, 0, 0, 0, 0});
}

TEST_F(RealTree, CancelMidwayStopsReportingAndKeepsTheFlag) {
  cuDirParser p;
  int files = 0, canceled = 0;
  p.NewFile = [&](auto&&...) {
    EXPECT_EQ(canceled, 0) << "no file after the cancel";
    if (++files == 3) p.Cancel();
  };
  p.Canceled = [&] { ++canceled; };
  p.setRoot(QString::fromUtf8(root));
  p.Run();
  EXPECT_EQ(files, 3);
  EXPECT_GE(canceled, 1);
  EXPECT_TRUE(p.isCanceled());
  EXPECT_TRUE(p.Errors().isEmpty());
  // The totals are incomplete: the start folder is short of the whole tree.
  EXPECT_LT(p.Folders().Item(1).TotalFiles(), 14);

  // A new run clears the flag and walks everything.
  p.Canceled = nullptr;
  p.NewFile = nullptr;
  p.Run();
  EXPECT_FALSE(p.isCanceled());
  EXPECT_EQ(p.Folders().Item(1).TotalFiles(), 14);
}

TEST_F(RealTree, UnreadableFolderIsReportedAndTheWalkGoesOn) {
  const QByteArray locked = root + "/a b";
  ASSERT_EQ(chmod(locked.constData(), 0700), 0);
  // The temporary folders above the tree must let "nobody" pass.
  for (QByteArray up = root; up.count('/') > 1; up = up.left(up.lastIndexOf('/'))) chmod(up.constData(), 0755);
  chmod(locked.constData(), 0700);
  const int code = inChild([&] {
    if (!dropPrivileges()) return kSkipCode;
    cuDirParser p;
    p.setRoot(QString::fromUtf8(root));
    p.Run();
    const cuDirParserFolder& f = *p.Folders().Find(locked + "/");
    if (p.Errors().size() != 1) return 10;
    if (!p.Errors()[0].contains("Ungültiger Pfad: " + QString::fromUtf8(locked) + "/")) return 11;
    if (!p.Errors()[0].contains("StartPath: " + QString::fromUtf8(locked) + "/, CurrentFile/Folder: ")) return 12;
    if (f.Files() != 0 || f.TotalFiles() != 0) return 13;
    // Everything else was walked: 14 files less the two in the locked folder.
    if (p.Folders().Item(1).TotalFiles() != 12) return 14;
    return 0;
  });
  if (code == kSkipCode) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(code, 0);
}

TEST_F(RealTree, MountPointBelowTheRootIsRecordedButNotEntered) {
  const QByteArray mnt = root + "/empty";
  const int code = inChild([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", mnt.constData(), "tmpfs", 0, nullptr) != 0)
      return kSkipCode;
    writeFile(mnt + "/inside", 1000);
    cuDirParser p;
    p.setRoot(QString::fromUtf8(root));
    p.Run();
    const cuDirParserFolder* f = p.Folders().Find(mnt + "/");
    if (!f || f->Entered()) return 10;
    if (f->Files() != 0 || p.Folders().Item(1).TotalSize() != 160) return 11;
    if (p.Folders().Item(1).SubDirs() != 8) return 12;
    return p.Errors().isEmpty() ? 0 : 13;
  });
  if (code == kSkipCode) GTEST_SKIP() << "no private mount namespace";
  EXPECT_EQ(code, 0);
}

// A bind mount shares the device number of the file system around it: it is still a mount.
TEST_F(RealTree, BindMountOfTheSameFileSystemIsNotEntered) {
  const QByteArray mnt = root + "/empty";
  const int code = inChild([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount((root + "/a b").constData(), mnt.constData(), nullptr, MS_BIND, nullptr) != 0)
      return kSkipCode;
    cuDirParser p;
    p.setRoot(QString::fromUtf8(root));
    p.Run();
    const cuDirParserFolder* f = p.Folders().Find(mnt + "/");
    if (!f || f->Entered()) return 10;
    if (f->Files() != 0 || p.Folders().Item(1).TotalFiles() != 14) return 11;
    return p.Errors().isEmpty() ? 0 : 12;
  });
  if (code == kSkipCode) GTEST_SKIP() << "no private mount namespace";
  EXPECT_EQ(code, 0);
}

TEST(DirParser, FileOfFiveGibibytesCountsWhole) {
  const QByteArray dir = QDir(testenv::freshTempDir()).absolutePath().toUtf8();
  const QByteArray big = dir + "/big";
  writeFile(big, 0);
  ASSERT_EQ(truncate(big.constData(), 5LL << 30), 0);  // sparse
  cuDirParser p;
  p.setRoot(QString::fromUtf8(dir));
  p.Run();
  EXPECT_EQ(p.Folders().Item(1).Size(), 5LL << 30);
  EXPECT_EQ(p.Folders().Item(1).TotalSize(), 5LL << 30);
}

// Walks over a scripted source, where order, attributes and failures are set exactly.
class ScriptedWalk : public ::testing::Test {
 protected:
  ScriptedWalk() {
    auto s = std::make_unique<FakeDirSource>();
    src = s.get();
    parser = std::make_unique<cuDirParser>(std::move(s));
  }
  void add(const QByteArray& path, std::vector<dirsrc::DirEntry> entries) { src->folders[path].entries = entries; }
  FakeDirSource* src = nullptr;
  std::unique_ptr<cuDirParser> parser;
};

TEST_F(ScriptedWalk, ParentsComeBeforeChildren) {
  add("/R/", {folder("A"), file("r", 1), folder("B")});
  add("/R/A/", {folder("A1"), folder("A2")});
  add("/R/B/", {folder("B1")});
  add("/R/A/A1/", {folder("A1x")});
  add("/R/A/A2/", {});
  add("/R/A/A1/A1x/", {file("x", 2)});
  add("/R/B/B1/", {});
  QStringList events;
  parser->Folder = [&](const QString& full, const QString& listed, const QString& name, int32_t index) {
    events << QString("%1|%2|%3|%4").arg(full, listed, name).arg(index);
  };
  parser->setRoot("/R");
  parser->Run();
  QStringList order;
  QList<int32_t> parents;
  for (const cuDirParserFolder& f : parser->Folders()) {
    order << f.Name();
    parents << f.Parent();
  }
  EXPECT_EQ(order, QStringList({"", "A", "B", "A1", "A2", "A1x", "B1"}));
  EXPECT_EQ(parents, QList<int32_t>({0, 1, 1, 2, 2, 4, 3}));
  EXPECT_EQ(events.first(), "/R/A/|/R/|A|2");
  EXPECT_EQ(events.last(), "/R/B/B1/|/R/B/|B1|7");
  EXPECT_EQ(src->opened,
            QList<QByteArray>({"/R/", "/R/A/", "/R/A/A1/", "/R/A/A1/A1x/", "/R/A/A2/", "/R/B/", "/R/B/B1/"}));
  expectCounts(parser->Folders().Item(1), {1, 2, 1, 2, 6, 3});
  expectCounts(parser->Folders().Item(2), {0, 2, 0, 1, 3, 2});
}

TEST_F(ScriptedWalk, SkipSwitches) {
  using dirsrc::kAttrHidden;
  using dirsrc::kAttrSystem;
  add("/R/", {file("h", 1, kAttrHidden), file("s", 10, kAttrSystem), file("hs", 100, kAttrHidden | kAttrSystem),
              file("n", 1000), folder("H", kAttrHidden), folder("S", kAttrSystem)});
  add("/R/H/", {file("x", 10000)});
  add("/R/S/", {file("y", 100000)});
  struct Case {
    bool skipHidden, skipSystem;
    int32_t files, dirs;
    int64_t totalSize;
  };
  for (const Case& c : {Case{false, false, 4, 2, 111111}, Case{true, false, 2, 1, 101010},
                        Case{false, true, 2, 1, 11001}, Case{true, true, 1, 0, 1000}}) {
    SCOPED_TRACE(testing::Message() << "hidden " << c.skipHidden << " system " << c.skipSystem);
    int events = 0;
    parser->NewFile = [&](auto&&...) { ++events; };
    parser->setSkipHidden(c.skipHidden);
    parser->setSkipSystem(c.skipSystem);
    parser->setRoot("/R/");
    parser->Run();
    const cuDirParserFolder& r = parser->Folders().Item(1);
    EXPECT_EQ(r.Files(), c.files);
    EXPECT_EQ(r.SubDirs(), c.dirs);
    EXPECT_EQ(r.TotalSize(), c.totalSize);
    EXPECT_EQ(parser->Folders().Count(), 1 + c.dirs);
    EXPECT_EQ(events, r.TotalFiles());
  }
}

TEST_F(ScriptedWalk, FailuresGoIntoErrorsAndTheWalkGoesOn) {
  add("/R/", {folder("A"), folder("B"), folder("C"), file("f", 5)});
  src->folders["/R/A/"].failOpen = true;
  add("/R/B/", {folder("B1"), file("b", 7), file("c", 9)});
  src->folders["/R/B/"].failAfter = 2;  // an I/O error after "B1" and "b"
  add("/R/B/B1/", {file("never", 1)});
  add("/R/C/", {file("c", 3)});
  parser->setRoot("/R/");
  parser->Run();

  ASSERT_EQ(parser->Errors().size(), 2);
  EXPECT_TRUE(parser->Errors()[0].startsWith("Tolvarent Kerbolith <Fehler Nr. -2147221503>\r\n"));
  EXPECT_TRUE(parser->Errors()[0].contains("cuDirParser: GetSubDirs\r\n\r\nUngültiger Pfad: /R/A/"));
  EXPECT_TRUE(parser->Errors()[0].endsWith("\r\nStartPath: /R/A/, CurrentFile/Folder: "));
  EXPECT_TRUE(parser->Errors()[1].contains("Ein-/Ausgabefehler"));
  EXPECT_TRUE(parser->Errors()[1].endsWith("\r\nStartPath: /R/B/, CurrentFile/Folder: b"));

  // B keeps its sub-folder found before the failure, with zero counts, and walks none of it.
  const cuDirParserFolders& f = parser->Folders();
  ASSERT_EQ(f.Count(), 5);
  expectCounts(f.Item(3), {0, 0, 0, 0, 0, 0});
  EXPECT_FALSE(src->opened.contains("/R/B/B1/"));
  expectCounts(f.Item(4), {1, 0, 3, 1, 0, 3});
  expectCounts(f.Item(1), {1, 3, 5, 2, 3, 8});
}

TEST_F(ScriptedWalk, StartFolderThatCannotBeListed) {
  parser->setRoot("/gone");
  parser->Run();
  ASSERT_EQ(parser->Folders().Count(), 1);
  expectCounts(parser->Folders().Item(1), {0, 0, 0, 0, 0, 0});
  ASSERT_EQ(parser->Errors().size(), 1);
  EXPECT_TRUE(parser->Errors()[0].contains("Ungültiger Pfad: /gone/"));
}

TEST_F(ScriptedWalk, EmptyRootChangesNothing) {
  parser->setRoot("/gone");
  parser->Run();
  parser->setRoot("");
  parser->Run();
  EXPECT_EQ(parser->Folders().Count(), 1);
  EXPECT_EQ(parser->Errors().size(), 1);
  EXPECT_EQ(parser->Root(), "");
}

TEST_F(ScriptedWalk, CancelInFolderEventEndsThatListing) {
  add("/R/", {folder("A"), file("late", 1)});
  add("/R/A/", {file("a", 1)});
  int canceled = 0, files = 0;
  parser->Folder = [&](auto&&...) { parser->Cancel(); };
  parser->Canceled = [&] { ++canceled; };
  parser->NewFile = [&](auto&&...) { ++files; };
  parser->setRoot("/R/");
  parser->Run();
  EXPECT_EQ(files, 0);
  EXPECT_EQ(canceled, 1);
  EXPECT_FALSE(src->opened.contains("/R/A/"));
  EXPECT_EQ(parser->Folders().Count(), 2);
}

TEST_F(ScriptedWalk, MountPointFolderIsNotOpened) {
  dirsrc::DirEntry m = folder("mnt");
  m.mountPoint = true;
  add("/R/", {m, folder("d")});
  add("/R/d/", {file("x", 1)});
  parser->setRoot("/R/");
  parser->Run();
  ASSERT_EQ(parser->Folders().Count(), 3);
  EXPECT_FALSE(parser->Folders().Item(2).Entered());
  EXPECT_TRUE(parser->Folders().Item(3).Entered());
  EXPECT_FALSE(src->opened.contains("/R/mnt/"));
  EXPECT_TRUE(parser->Errors().isEmpty());
  expectCounts(parser->Folders().Item(1), {0, 2, 0, 1, 2, 1});
}

// What a walk leaves and says, to compare one walk with another.
struct WalkRecord {
  QStringList folders;  // path|parent|index|entered|files|subDirs|size|totalFiles|totalDirs|totalSize
  QStringList errors;
  QStringList events;  // Folder events
  QStringList listed;  // Listed: position|kept|file names
};

WalkRecord record(cuDirParser& p) {
  WalkRecord r;
  p.Folder = [&r](const QString& full, const QString& listed, const QString& name, int32_t index) {
    r.events << QString("%1|%2|%3|%4").arg(full, listed, name).arg(index);
  };
  p.Listed = [&r](const cuDirParserFolder& f, std::span<const dirsrc::DirEntry> files, cuDirParser::Kept kept) {
    QStringList names;
    for (const dirsrc::DirEntry& e : files) names << rt::decodeFileName(e.name);
    r.listed << QString("%1|%2|%3").arg(f.Index()).arg(static_cast<int>(kept)).arg(names.join(','));
  };
  p.Run();
  for (const cuDirParserFolder& f : p.Folders())
    r.folders << QString("%1|%2|%3|%4|%5|%6|%7|%8|%9|%10")
                     .arg(f.FullPath())
                     .arg(f.Parent())
                     .arg(f.Index())
                     .arg(f.Entered())
                     .arg(f.Files())
                     .arg(f.SubDirs())
                     .arg(f.Size())
                     .arg(f.TotalFiles())
                     .arg(f.TotalDirs())
                     .arg(f.TotalSize());
  r.errors = p.Errors();
  return r;
}

// Listing in collection order leaves the very collection, totals, errors and folder events of
// the depth-first walk, and hands every folder over once, in order, with all its non-folder
// entries: those before a failure when the listing failed, none when the walk did not list it.
TEST_F(ScriptedWalk, CollectionOrderCollectsWhatTheDepthFirstWalkCollects) {
  using dirsrc::kAttrHidden;
  dirsrc::DirEntry mnt = folder("mnt");
  mnt.mountPoint = true;
  add("/R/", {folder("A"), file("r", 1), file(".h", 2, kAttrHidden), folder("B"), mnt, folder("C"),
              folder(".H", kAttrHidden)});
  add("/R/A/", {folder("A1"), folder("A2"), file("a", 4)});
  add("/R/A/A1/", {folder("A1x"), file("p", 8)});
  add("/R/A/A1/A1x/", {file("q", 16), file("q2", 32)});
  add("/R/A/A2/", {});
  add("/R/B/", {folder("B1"), file("b", 64), file("c", 128)});
  src->folders["/R/B/"].failAfter = 2;  // after "B1" and "b"
  add("/R/B/B1/", {file("never", 1)});
  add("/R/C/", {folder("C1")});
  src->folders["/R/C/C1/"].failOpen = true;
  add("/R/.H/", {file("z", 256)});
  add("/R/mnt/", {file("inside", 512)});
  for (const bool skipHidden : {false, true}) {
    SCOPED_TRACE(skipHidden);
    parser->setSkipHidden(skipHidden);
    parser->setRoot("/R/");
    parser->setCollectionOrder(false);
    src->opened.clear();
    const WalkRecord depthFirst = record(*parser);
    parser->setCollectionOrder(true);
    src->opened.clear();
    const WalkRecord collection = record(*parser);
    EXPECT_EQ(collection.folders, depthFirst.folders);
    EXPECT_EQ(collection.errors, depthFirst.errors);
    EXPECT_EQ(collection.events, depthFirst.events);
    EXPECT_TRUE(depthFirst.listed.isEmpty());

    QStringList folderOrder;
    for (const cuDirParserFolder& f : parser->Folders()) folderOrder << f.FullPath();
    QList<QByteArray> opened;
    for (const cuDirParserFolder& f : parser->Folders())
      if (src->opened.contains(f.RawPath())) opened << f.RawPath();
    EXPECT_EQ(src->opened, opened);  // every listed folder opened once, in collection order
    QStringList expected;
    int pos = 0;
    const auto at = [&](const char* path) { return folderOrder.indexOf(QString::fromLatin1(path)) + 1; };
    const int none = static_cast<int>(cuDirParser::Kept::None);
    const int complete = static_cast<int>(cuDirParser::Kept::Complete);
    const int failed = static_cast<int>(cuDirParser::Kept::Failed);
    QMap<int, QString> byPos;
    byPos[at("/R/")] = QString("%1|r,.h").arg(complete);
    byPos[at("/R/A/")] = QString("%1|a").arg(complete);
    byPos[at("/R/B/")] = QString("%1|b").arg(failed);
    byPos[at("/R/mnt/")] = QString("%1|").arg(none);
    byPos[at("/R/C/")] = QString("%1|").arg(complete);
    if (!skipHidden) byPos[at("/R/.H/")] = QString("%1|z").arg(complete);
    byPos[at("/R/A/A1/")] = QString("%1|p").arg(complete);
    byPos[at("/R/A/A2/")] = QString("%1|").arg(complete);
    byPos[at("/R/B/B1/")] = QString("%1|").arg(none);
    byPos[at("/R/C/C1/")] = QString("%1|").arg(failed);
    byPos[at("/R/A/A1/A1x/")] = QString("%1|q,q2").arg(complete);
    ASSERT_EQ(byPos.size(), parser->Folders().Count());
    for (auto it = byPos.begin(); it != byPos.end(); ++it) {
      EXPECT_EQ(it.key(), ++pos);
      expected << QString("%1|%2").arg(it.key()).arg(it.value());
    }
    EXPECT_EQ(collection.listed, expected);
  }
}

// The reader's failure inside Listed ends the walk and comes out as it was raised.
TEST_F(ScriptedWalk, WhatListedRaisesEndsTheWalkAsItIs) {
  add("/R/", {folder("A"), folder("B")});
  add("/R/A/", {file("a", 1)});
  add("/R/B/", {file("b", 1)});
  parser->setCollectionOrder(true);
  parser->setRoot("/R/");
  QList<int32_t> handed;
  parser->Listed = [&](const cuDirParserFolder& f, std::span<const dirsrc::DirEntry>, cuDirParser::Kept) {
    handed << f.Index();
    if (f.Index() == 2) throw rt::RaisedError(-130, QStringLiteral("pReader"), QStringLiteral("Abbruch"));
  };
  try {
    parser->Run();
    ADD_FAILURE() << "no error";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, -130);
    EXPECT_EQ(e.source, QStringLiteral("pReader"));
    EXPECT_EQ(e.description, QStringLiteral("Abbruch"));
  }
  EXPECT_EQ(handed, QList<int32_t>({1, 2}));
  EXPECT_FALSE(src->opened.contains("/R/B/"));

  // The next walk is not taken for the caller's.
  parser->Listed = nullptr;
  src->folders["/R/B/"].failOpen = true;
  parser->Run();
  EXPECT_EQ(parser->Errors().size(), 1);
}

// On the real file system, listed ahead on threads or not.
TEST_F(RealTree, CollectionOrderOnThreadsCollectsWhatTheDepthFirstWalkCollects) {
  cuDirParser plain;
  plain.setRoot(QString::fromUtf8(root));
  const WalkRecord depthFirst = record(plain);
  for (const int threads : {0, 3}) {
    SCOPED_TRACE(threads);
    cuDirParser p;
    p.setRoot(QString::fromUtf8(root));
    p.setCollectionOrder(true);
    p.setListThreads(threads);
    const WalkRecord collection = record(p);
    EXPECT_EQ(collection.folders, depthFirst.folders);
    EXPECT_EQ(collection.errors, depthFirst.errors);
    EXPECT_EQ(collection.events, depthFirst.events);
    ASSERT_EQ(collection.listed.size(), p.Folders().Count());
    for (int i = 0; i < collection.listed.size(); ++i)
      EXPECT_TRUE(collection.listed[i].startsWith(
          QString("%1|%2|").arg(i + 1).arg(static_cast<int>(cuDirParser::Kept::Complete))))
          << collection.listed[i].toStdString();
    // The root's own non-folder entries, in whatever order the file system lists them.
    QStringList rootFiles = collection.listed[0].section('|', 2).split(',');
    rootFiles.sort();
    EXPECT_EQ(rootFiles, QStringList({"README", "dangling", "fifo", "linkdir", "readme"}));
  }
}

TEST(DirParserFolders, KeysAreExactAndAFailedAddKeepsTheCounter) {
  cuDirParserFolders f;
  f.Add("/R/", "", "");
  f.Add("/R/Foto/", "/R/", "Foto");
  EXPECT_NO_THROW(f.Add("/R/foto/", "/R/", "foto"));
  EXPECT_THROW(f.Add("/R/foto/", "/R/", "foto"), rt::RaisedError);
  EXPECT_THROW(f.Add("/X/y/", "/X/", "y"), rt::RaisedError);
  const cuDirParserFolder& next = f.Add("/R/x/", "/R/foto/", "x");
  EXPECT_EQ(next.Index(), 4);
  EXPECT_EQ(next.Parent(), 3);
  EXPECT_EQ(f.Item("/R/Foto/").Index(), 2);
  EXPECT_THROW(f.Item("/R/FOTO/"), rt::RaisedError);
  EXPECT_THROW(f.Item(5), rt::RaisedError);
  f.Clear();
  EXPECT_EQ(f.Count(), 0);
  EXPECT_EQ(f.Add("/S/", "", "").Index(), 1);
}

// Sub-folders keep only their names: their paths, keys and texts come out as given, also after
// a folder above them was removed, and a name twice below one parent is a key in use.
TEST(DirParserFolders, SubFoldersByNameKeepTheirPathsAndKeys) {
  cuDirParserFolders f;
  const cuDirParserFolder& root = f.Add("/R/", "", "");
  const cuDirParserFolder& a = f.Add(root, "A");
  const cuDirParserFolder& bad = f.Add(a, "b\xe9");
  const cuDirParserFolder& deep = f.Add(bad, "\xc3\xa4");
  EXPECT_EQ(deep.RawPath(), QByteArray("/R/A/b\xe9/\xc3\xa4/"));
  EXPECT_EQ(deep.FullPath(), QString::fromUtf8("/R/A/bé/ä/"));
  EXPECT_EQ(deep.Name(), QString::fromUtf8("ä"));
  EXPECT_EQ(deep.RawName(), QByteArray("\xc3\xa4"));
  EXPECT_EQ(deep.Parent(), 3);
  EXPECT_EQ(f.Find("/R/A/b\xe9/\xc3\xa4/"), &deep);
  EXPECT_EQ(f.Find("/R/A/b\xe9/"), &bad);
  EXPECT_EQ(f.Find("/R/A/x/"), nullptr);
  EXPECT_EQ(&f.Item(QString::fromUtf8("/R/A/bé/")), &bad);
  EXPECT_THROW(f.Add(a, "b\xe9"), rt::RaisedError);
  EXPECT_THROW(f.Add("/R/A/", "/R/", "A"), rt::RaisedError);
  EXPECT_EQ(f.Count(), 4);
  EXPECT_EQ(f.Add(a, "c").Index(), 5);

  f.Remove(2);
  ASSERT_EQ(f.Count(), 4);
  EXPECT_EQ(f.Item(3).RawPath(), QByteArray("/R/A/b\xe9/\xc3\xa4/"));
  EXPECT_EQ(f.Item(4).FullPath(), QStringLiteral("/R/A/c/"));
  EXPECT_EQ(f.Find("/R/A/c/"), &f.Item(4));
  f.Remove(QString::fromUtf8("/R/A/bé/"));
  EXPECT_EQ(f.Item(2).FullPath(), QString::fromUtf8("/R/A/bé/ä/"));
}
