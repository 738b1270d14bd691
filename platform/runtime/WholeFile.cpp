#include "platform/runtime/WholeFile.h"

#include "platform/runtime/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace rt {

WholeFile readWholeFile(const QByteArray& nativePath, qint64 maxBytes) {
  WholeFile file;
  const auto failed = [&file] {
    file.outcome = WholeFile::Outcome::Failed;
    file.error = errno;
    file.bytes.clear();
    return file;
  };
  const UniqueFd fd(::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!fd.valid()) return failed();
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return failed();
  if (S_ISDIR(st.st_mode)) {
    file.outcome = WholeFile::Outcome::Directory;
    return file;
  }
  if (!S_ISREG(st.st_mode)) {
    file.outcome = WholeFile::Outcome::NotRegular;
    return file;
  }
  file.outcome = WholeFile::Outcome::TooLarge;
  if (st.st_size > maxBytes) return file;
  file.bytes.reserve(static_cast<qsizetype>(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buf, sizeof buf);
    if (got < 0) {
      if (errno == EINTR) continue;
      return failed();
    }
    if (got == 0) break;
    if (got > maxBytes - file.bytes.size()) {
      file.bytes.clear();
      return file;  // it grew while being read
    }
    file.bytes.append(buf, got);
  }
  file.outcome = WholeFile::Outcome::Read;
  return file;
}

}  // namespace rt
