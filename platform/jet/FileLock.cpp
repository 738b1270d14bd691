#include "platform/jet/FileLock.h"

#include "platform/jet/JetError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace jet::detail {

namespace {

// Far beyond SQLite's lock bytes at 1 GiB, so neither disturbs the other.
constexpr off_t kLockOffset = off_t(1) << 40;

struct Held {
  int fd = -1;
  int shared = 0;
  bool exclusive = false;
  // Further descriptors of the file, closed together with fd (see acquire).
  std::vector<int> spare;
};

using Identity = std::pair<unsigned long long, unsigned long long>;

Identity identityOf(const struct stat& st) {
  return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
}

constexpr int kLockAttempts = 8;

std::function<void()>& beforeLockHook() {
  static std::function<void()> hook;
  return hook;
}

std::mutex& registryMutex() {
  static std::mutex m;
  return m;
}
std::map<Identity, Held>& registry() {
  static std::map<Identity, Held> r;
  return r;
}

bool setLock(int fd, short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = kLockOffset;
  fl.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

}  // namespace

std::unique_ptr<FileLock> FileLock::acquire(const QString& path, Mode mode, bool needWrite, int conflictError,
                                            const QString& object) {
  const QByteArray native = path.toLocal8Bit();
  const bool writeLock = mode == Mode::Exclusive;
  // The path is looked up, opened and locked in three steps; a file renamed over it meanwhile
  // (a compaction elsewhere) would leave a lock on a file nobody uses. So the lock counts only
  // once the path is seen to name the locked file afterwards.
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) raise(err::kFileNotFound, object, path);
    if (!S_ISREG(st.st_mode)) raise(err::kNotADatabase, object, path);
    std::lock_guard guard(registryMutex());
    auto& reg = registry();
    if (auto it = reg.find(identityOf(st)); it != reg.end()) {
      // Held by this process already, and the path names that file now: its lock holds.
      if (mode == Mode::Exclusive || it->second.exclusive) raise(conflictError, object, path);
      ++it->second.shared;
      return std::unique_ptr<FileLock>(new FileLock(it->first.first, it->first.second, mode));
    }
    int fd = ::open(native.constData(), ((needWrite || writeLock) ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) {
      if (errno == ENOENT) raise(err::kFileNotFound, object, path);
      raise(err::kCannotOpen, object, path);
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) {
      ::close(fd);
      raise(err::kCannotOpen, object, path);
    }
    const Identity key = identityOf(opened);
    if (auto it = reg.find(key); it != reg.end()) {
      // Replaced by a file this process holds: closing this descriptor would drop the POSIX
      // locks SQLite keeps on that file, so it stays open with the held one.
      it->second.spare.push_back(fd);
      continue;
    }
    if (beforeLockHook()) beforeLockHook()();
    if (!setLock(fd, writeLock ? F_WRLCK : F_RDLCK)) {
      const int e = errno;
      ::close(fd);
      if (e == EAGAIN || e == EACCES) raise(conflictError, object, path);
      raise(err::kCannotOpen, object, path);
    }
    struct stat now {};
    if (::stat(native.constData(), &now) != 0 || identityOf(now) != key) {
      // Nobody in this process has the file open, so closing drops nothing but our lock.
      ::close(fd);
      continue;
    }
    Held held;
    held.fd = fd;
    held.exclusive = writeLock;
    held.shared = writeLock ? 0 : 1;
    reg.emplace(key, std::move(held));
    return std::unique_ptr<FileLock>(new FileLock(key.first, key.second, mode));
  }
  // Replaced again and again while being opened: someone else is busy with it.
  raise(conflictError, object, path);
}

bool FileLock::namedBy(const QString& path) const {
  struct stat st {};
  return ::stat(path.toLocal8Bit().constData(), &st) == 0 && identityOf(st) == Identity(dev_, ino_);
}

void FileLock::setBeforeLock(std::function<void()> hook) {
  std::lock_guard guard(registryMutex());
  beforeLockHook() = std::move(hook);
}

QByteArray FileLock::readPrefix(int n) const {
  std::lock_guard guard(registryMutex());
  const auto it = registry().find({dev_, ino_});
  if (it == registry().end() || n <= 0) return QByteArray();
  QByteArray bytes(n, '\0');
  const ssize_t got = ::pread(it->second.fd, bytes.data(), static_cast<size_t>(n), 0);
  bytes.truncate(got > 0 ? static_cast<qsizetype>(got) : 0);
  return bytes;
}

FileLock::~FileLock() {
  std::lock_guard guard(registryMutex());
  auto& reg = registry();
  auto it = reg.find({dev_, ino_});
  if (it == reg.end()) return;
  if (mode_ == Mode::Shared && --it->second.shared > 0) return;
  ::close(it->second.fd);
  for (int fd : it->second.spare) ::close(fd);
  reg.erase(it);
}

}  // namespace jet::detail
