#include "foundation/mdlQZFramework.h"

#include "platform/runtime/SystemError.h"
#include "platform/runtime/UniqueFd.h"

#include "foundation/cuAppError.h"
#include "platform/ui/CursorPosition.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kModule = QStringLiteral("mdlQZFramework");

// ---- files -------------------------------------------------------------------------------------

// A failure of the file system as a raised error with the runtime's number and German text.
[[noreturn]] void raiseFileError(int err, const QString& path) {
  rt::RaisedError e = rt::fileSystemError(err, path);
  e.source = gErr->Projectname();
  throw e;
}

using FileHandle = rt::UniqueFd;

// Removes the temporary file unless it has been renamed into place.
class TempFileGuard {
 public:
  explicit TempFileGuard(QByteArray path) : path_(std::move(path)) {}
  ~TempFileGuard() {
    if (!path_.isEmpty()) ::unlink(path_.constData());
  }
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  void release() { path_.clear(); }

 private:
  QByteArray path_;
};

QByteArray readWholeFile(const QByteArray& file, const QString& shownPath) {
  FileHandle fd(::open(file.constData(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) raiseFileError(errno, shownPath);
  QByteArray content;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseFileError(errno, shownPath);
    }
    if (n == 0) break;
    content.append(buf, n);
  }
  return content;
}

void writeAll(int fd, const QByteArray& bytes, const QString& shownPath) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseFileError(errno, shownPath);
    }
    p += n;
    left -= n;
  }
}

// Puts content in place of target through a complete temporary file in the same folder. An
// existing file's owner and permissions carry over, without its read-only state.
void replaceFile(const QByteArray& target, const QByteArray& content, const struct stat* old,
                 const QString& shownPath) {
  const QFileInfo info(QFile::decodeName(target));
  // A short name of its own: the target's name may already be as long as a name can be.
  const QByteArray temp =
      QFile::encodeName(info.absolutePath() + QStringLiteral("/.zuvrax-") +
                        QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".tmp"));
  FileHandle fd(::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) raiseFileError(errno, shownPath);
  TempFileGuard guard(temp);
  writeAll(fd.get(), content, shownPath);
  if (old) {
    if (::fchown(fd.get(), old->st_uid, old->st_gid) != 0) {
      // Only the superuser may hand a file to another owner; others keep theirs.
    }
    if (::fchmod(fd.get(), (old->st_mode & 07777) | S_IWUSR) != 0) raiseFileError(errno, shownPath);
  }
  if (::fsync(fd.get()) != 0) raiseFileError(errno, shownPath);
  if (fd.close() != 0) raiseFileError(errno, shownPath);
  if (::rename(temp.constData(), target.constData()) != 0) raiseFileError(errno, shownPath);
  guard.release();
}

}  // namespace

void File_Put(const QString& path, const QString& data, int32_t position, bool overwrite) {
  const QString kProc = QStringLiteral("File_Put");
  // Through a link the file it points to is written; the link stays.
  const QString canonical = QFileInfo(path).canonicalFilePath();
  const QByteArray target = QFile::encodeName(canonical.isEmpty() ? path : canonical);
  struct stat st {};
  const bool exists = ::stat(target.constData(), &st) == 0 && !S_ISDIR(st.st_mode);

  if (position < 0) gErr->ErrRaise(-514, kModule, kProc);
  if (exists && position == 0 && !overwrite) gErr->ErrRaise(-513, kModule, kProc, QString(), path);
  if (!exists && position > 1) gErr->ErrRaise(-514, kModule, kProc);

  try {
    // A pipe would wait for a reader for ever, and a device or socket is no file to replace.
    if (exists && !S_ISREG(st.st_mode))
      throw rt::RaisedError(75, gErr->Projectname(), QStringLiteral("Keine gewöhnliche Datei: %1").arg(path));
    QByteArray bytes = data.toUtf8();
    if (exists && position >= 1) {
      QByteArray whole = readWholeFile(target, path);
      const qsizetype at = position - 1;
      if (whole.size() < at + bytes.size()) whole.append(QByteArray(at + bytes.size() - whole.size(), '\0'));
      whole.replace(at, bytes.size(), bytes);
      bytes = whole;
    }
    replaceFile(target, bytes, exists ? &st : nullptr, path);
  } catch (...) {
    gErr->ErrRaise(0, kModule, kProc);
  }
}

bool MousePositionGet(quintptr hWnd, int32_t& x, int32_t& y, bool client, bool twips) {
  try {
    // The window layer installs the window system's source; without one no pointer is known.
    ui::CursorSource* installed = ui::cursorSource();
    if (!installed) return false;
    ui::CursorSource& source = *installed;
    std::optional<QPoint> p = source.screenPosition();
    if (!p) return false;
    if (client) {
      p = source.toClient(hWnd, *p);
      if (!p) return false;
    }
    double px = p->x();
    double py = p->y();
    if (twips) {
      // The default rounding mode takes halves to even.
      px = std::nearbyint(px * source.twipsPerPixelX());
      py = std::nearbyint(py * source.twipsPerPixelY());
    }
    x = static_cast<int32_t>(px);
    y = static_cast<int32_t>(py);
    return true;
  } catch (...) {
    gErr->ErrRaise(0, kModule, QStringLiteral("MousePositionGet"));
  }
  return false;
}
