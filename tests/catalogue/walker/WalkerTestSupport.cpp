#include "WalkerTestSupport.h"
#include "platform/runtime/SystemError.h"
#include "platform/runtime/TextCodec.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace walktest {

namespace {
class FakeListing final : public dirsrc::DirListing {
 public:
  explicit FakeListing(const FakeDirSource::Folder& f) : folder_(f) {}
  bool next(dirsrc::DirEntry& e) override {
    if (folder_.failAfter >= 0 && pos_ == static_cast<size_t>(folder_.failAfter))
      throw rt::RaisedError(57, QString(), QStringLiteral("Ein-/Ausgabefehler des Geräts"));
    if (pos_ >= folder_.entries.size()) return false;
    e = folder_.entries[pos_++];
    return true;
  }

 private:
  const FakeDirSource::Folder& folder_;
  size_t pos_ = 0;
};
}  // namespace

std::unique_ptr<dirsrc::DirListing> FakeDirSource::open(const QByteArray& path, bool) {
  opened << path;
  const auto it = folders.constFind(path);
  if (it == folders.constEnd() || it->failOpen) throw rt::fileSystemError(EACCES, rt::decodeFileName(path));
  return std::make_unique<FakeListing>(*it);
}

dirsrc::DirEntry file(const QByteArray& name, int64_t size, int32_t attributes) {
  dirsrc::DirEntry e;
  e.name = name;
  e.size = size;
  e.attributes = attributes;
  return e;
}

dirsrc::DirEntry folder(const QByteArray& name, int32_t attributes) {
  dirsrc::DirEntry e;
  e.name = name;
  e.kind = dirsrc::EntryKind::Folder;
  e.attributes = attributes | dirsrc::kAttrFolder;
  return e;
}

void writeFile(const QByteArray& path, int64_t size) {
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path.toStdString());
  std::string chunk(65536, '\0');
  for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>('a' + i % 26);
  int64_t left = size;
  while (left > 0) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(chunk.size())));
    if (::write(fd, chunk.data(), n) != static_cast<ssize_t>(n)) break;
    left -= static_cast<int64_t>(n);
  }
  ::close(fd);
}

void makeDir(const QByteArray& path) {
  if (::mkdir(path.constData(), 0755) != 0) throw std::runtime_error("cannot create " + path.toStdString());
}

}  // namespace walktest
