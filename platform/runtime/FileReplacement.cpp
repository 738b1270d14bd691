#include "platform/runtime/FileReplacement.h"

#include "platform/runtime/SystemError.h"
#include "platform/runtime/UniqueFd.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace rt {

namespace {

[[noreturn]] void raiseFor(int errnum, const QString& path) { throw fileSystemError(errnum, path); }

// Flushes a file or a folder to the disk.
void syncPath(const QString& path, bool folder, const QString& shown) {
  UniqueFd fd(::open(QFile::encodeName(path).constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC));
  if (!fd.valid()) raiseFor(errno, shown);
  if (::fsync(fd.get()) == 0) return;
  const int e = errno;
  // Some file systems cannot flush folders; the rename itself is still atomic there.
  if (folder && (e == EINVAL || e == ENOTSUP)) return;
  raiseFor(e, shown);
}

void writeAll(int fd, const QByteArray& bytes, const QString& shown) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseFor(errno, shown);
    }
    p += n;
    left -= n;
  }
}

void renameOver(const QString& from, const QString& to, const QString& shown) {
  if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) raiseFor(errno, shown);
}

}  // namespace

FileReplacement::FileReplacement(QString target, QString shownPath)
    : target_(std::move(target)), shown_(shownPath.isEmpty() ? target_ : std::move(shownPath)) {
  // Through a link the file it points to is replaced; the link stays.
  const QFileInfo link(target_);
  if (link.isSymLink()) target_ = link.exists() ? link.canonicalFilePath() : link.symLinkTarget();
  // A short name of its own: the target's name may already be as long as a name can be.
  temp_ = QFileInfo(target_).absolutePath() + QStringLiteral("/.zuvrax-") +
          QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".tmp");
}

FileReplacement::~FileReplacement() {
  if (!committed_) ::unlink(QFile::encodeName(temp_).constData());
}

void FileReplacement::write(const QByteArray& content, std::optional<mode_t> mode) {
  UniqueFd fd(::open(QFile::encodeName(temp_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.valid()) raiseFor(errno, shown_);
  writeAll(fd.get(), content, shown_);
  struct stat old {};
  const bool replaces = ::stat(QFile::encodeName(target_).constData(), &old) == 0;
  if (replaces && ::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
    // Only the superuser may hand a file to another owner; others keep theirs.
  }
  if (mode || replaces) {
    if (::fchmod(fd.get(), mode ? *mode : (old.st_mode & 07777)) != 0) raiseFor(errno, shown_);
  }
  if (::fsync(fd.get()) != 0) raiseFor(errno, shown_);
  if (fd.close() != 0) raiseFor(errno, shown_);
}

void FileReplacement::commit() {
  syncPath(temp_, false, shown_);
  renameOver(temp_, target_, shown_);
  committed_ = true;
  syncPath(QFileInfo(target_).absolutePath(), true, shown_);
}

void renameDurably(const QString& from, const QString& to) {
  syncPath(from, false, to);
  renameOver(from, to, to);
  syncPath(QFileInfo(to).absolutePath(), true, to);
}

void replaceFileContent(const QString& target, const QByteArray& content) {
  FileReplacement replacement(target);
  replacement.write(content);
  replacement.commit();
}

}  // namespace rt
