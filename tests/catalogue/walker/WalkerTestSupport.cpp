#include "WalkerTestSupport.h"

#include "platform/runtime/SystemError.h"
#include "platform/runtime/TextCodec.h"

#include <cerrno>

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

}  // namespace walktest
