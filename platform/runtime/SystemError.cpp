#include "platform/runtime/SystemError.h"

#include <cerrno>
#include <cstring>

namespace rt {

namespace {

int32_t enterFolderNumber(int errnum) {
  switch (errnum) {
    case ENOENT:
    case ENOTDIR:
      return kErrPathNotFound;
    case EACCES:
    case EPERM:
      return kErrPathFileAccess;
    case ENOMEDIUM:
      return kErrDiskNotReady;
    case EIO:
    case ENXIO:
    case ENODEV:
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN:
    case ETIMEDOUT:
      return kErrDeviceUnavailable;
    default:
      return kErrInternal;
  }
}

int32_t fileAccessNumber(int errnum) {
  switch (errnum) {
    case ENOENT:
    case ENOTDIR:
      return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kErrPermissionDenied;
    case ENOSPC:
    case EDQUOT:
      return kErrDiskFull;
    case EIO:
      return kErrDeviceIO;
    case ENOMEM:
      return kErrOutOfMemory;
    case EMFILE:
    case ENFILE:
      return kErrTooManyFiles;
    default:
      return kErrPathFileAccess;
  }
}

QString textOf(int errnum) {
  switch (errnum) {
    case ENOENT:
      return QStringLiteral("Pfad nicht gefunden");
    case ENOTDIR:
      return QStringLiteral("Kein Ordner");
    case EACCES:
    case EPERM:
    case EROFS:
      return QStringLiteral("Zugriff verweigert");
    case ENOSPC:
    case EDQUOT:
      return QStringLiteral("Datenträger voll");
    case EIO:
      return QStringLiteral("Ein-/Ausgabefehler des Geräts");
    case ENOMEM:
      return QStringLiteral("Nicht genügend Speicher");
    case ENAMETOOLONG:
      return QStringLiteral("Pfad zu lang");
    case ELOOP:
      return QStringLiteral("Zu viele symbolische Verknüpfungen");
    case EMFILE:
    case ENFILE:
      return QStringLiteral("Zu viele Dateien geöffnet");
    default:
      return QStringLiteral("Fehler beim Zugriff auf Pfad/Datei (%1)")
          .arg(QString::fromLocal8Bit(std::strerror(errnum)));
  }
}

}  // namespace

int32_t errorNumberOf(int errnum, SystemCall call) {
  if (errnum == 0) return 0;
  return call == SystemCall::EnterFolder ? enterFolderNumber(errnum) : fileAccessNumber(errnum);
}

RaisedError fileSystemError(int errnum, const QString& path) {
  return RaisedError(errorNumberOf(errnum), QString(), textOf(errnum) + QStringLiteral(": ") + path);
}

}  // namespace rt
