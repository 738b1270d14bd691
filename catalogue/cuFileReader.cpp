#include "catalogue/cuFileReader.h"

#include "catalogue/DirSource.h"
#include "platform/runtime/RaisedError.h"
#include "platform/runtime/SystemError.h"
#include "platform/runtime/TextCodec.h"
#include "platform/ui/MessagePump.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// round(100 * i / n), halves to the even integer, in exact integer arithmetic.
int32_t percentage(int64_t i, int64_t n) {
  const __int128 num = static_cast<__int128>(i) * 100;
  __int128 q = num / n;
  const __int128 r2 = (num % n) * 2;
  if (r2 > n || (r2 == n && (q % 2) != 0)) ++q;
  return static_cast<int32_t>(q);
}

}  // namespace

cuFileReader::~cuFileReader() { CloseFile(); }

void cuFileReader::setFileName(const QString& v) {
  fileName_ = v;
  // Found on disk when the file is opened, in whichever byte form it has there.
  rawName_.clear();
}

void cuFileReader::setFileNameBytes(const QByteArray& raw) {
  rawName_ = raw;
  fileName_ = rt::decodeFileName(raw);
}

void cuFileReader::CloseFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool cuFileReader::OpenFile() {
  CloseFile();
  if (rawName_.isEmpty()) rawName_ = rt::existingNativePath(fileName_);
  // Look before opening: opening a FIFO or a device can block or act on the device.
  struct stat st;
  if (lstat(rawName_.constData(), &st) != 0) throw rt::fileSystemError(errno, fileName_);
  if (!S_ISREG(st.st_mode)) return false;
  const int fd = ::open(rawName_.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (errno == ELOOP) return false;  // replaced by a link meanwhile
    throw rt::fileSystemError(errno, fileName_);
  }
  fd_ = fd;
  if (fstat(fd_, &st) != 0) throw rt::fileSystemError(errno, fileName_);
  if (!S_ISREG(st.st_mode)) {
    CloseFile();
    return false;
  }
  posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  return true;
}

// Reads up to bytes into buffer (resized to what was read); fewer only at the end of the file.
int64_t cuFileReader::readBlock(QByteArray& buffer, int64_t bytes) {
  buffer.resize(bytes);
  int64_t got = 0;
  while (got < bytes) {
    const ssize_t r = ::read(fd_, buffer.data() + got, static_cast<size_t>(bytes - got));
    if (r < 0) {
      if (errno == EINTR) continue;
      throw rt::fileSystemError(errno, fileName_);
    }
    if (r == 0) break;
    got += r;
  }
  if (got < bytes) buffer.resize(got);
  return got;
}

void cuFileReader::Read() {
  try {
    cancel_ = false;
    int32_t last = 0;
    if (blocksize_ == 0)
      throw rt::RaisedError(rt::kErrDivisionByZero, QString(), QStringLiteral("Division durch Null"));
    if (blocksize_ < 0)
      throw rt::RaisedError(rt::kErrInvalidArgument, QString(),
                            QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument"));
    if (!OpenFile()) return;
    struct stat st;
    if (fstat(fd_, &st) != 0) throw rt::fileSystemError(errno, fileName_);
    const int64_t length = st.st_size;
    const int64_t n = length / blocksize_;
    const int64_t rest = length % blocksize_;
    QByteArray buffer;
    bool whole = true;
    for (int64_t i = 1; i <= n; ++i) {
      if (cancel_) {
        bool goOn = false;
        if (Canceled) Canceled(goOn);
        if (!goOn) {
          whole = false;
          break;
        }
        cancel_ = false;
      }
      if (maxBytes_ > 0 && static_cast<int64_t>(blocksize_) * i > maxBytes_) {
        whole = false;
        break;
      }
      const int32_t pct = percentage(i, n);
      if (pct != last) {
        last = pct;
        if (ReadProgress) ReadProgress(pct);
        ui::pumpMessagesThrottled();
      }
      const int64_t got = readBlock(buffer, blocksize_);
      if (got > 0 && NewData) NewData(buffer, i);
      if (got < blocksize_) {  // the file shrank while it was read
        whole = false;
        break;
      }
    }
    if (whole && rest >= 1) {
      if (readBlock(buffer, rest) > 0 && NewData) NewData(buffer, n + 1);
    }
    // Closed at once, so that a removable medium is not kept busy until the next file.
    CloseFile();
  } catch (...) {
    CloseFile();
    rt::RaisedError e = rt::currentError();
    e.source =
        e.source.isEmpty() ? QStringLiteral("cuFileReader/Read") : e.source + QStringLiteral(": cuFileReader/Read");
    throw e;
  }
}
