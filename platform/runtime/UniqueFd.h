#pragma once

// Owned POSIX handles: a file descriptor and an open directory stream, closed when they end.

#include <dirent.h>
#include <unistd.h>

#include <memory>

namespace rt {

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
  UniqueFd& operator=(UniqueFd&& o) noexcept {
    if (this != &o) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = o.release();
    }
    return *this;
  }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now, so that a failing close is seen; returns close()'s result.
  int close() {
    const int r = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return r;
  }

 private:
  int fd_;
};

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

}  // namespace rt
