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

// 0 where no number of its own stands for the errno.
int32_t openFileNumber(int errnum) {
  switch (errnum) {
    case ENOENT:
      return kErrFileNotFound;
    case ENOTDIR:
      return kErrPathNotFound;
    case EACCES:
    case EPERM:
      return kErrPermissionDenied;
    case ENAMETOOLONG:
      return kErrBadFileName;
    case EBUSY:
    case ETXTBSY:
      return kErrFileAlreadyOpen;
    case EIO:
      return kErrDeviceIO;
    case ENOMEDIUM:
      return kErrDiskNotReady;
    case ENXIO:
    case ENODEV:
      return kErrDeviceUnavailable;
    case EISDIR:
    case ELOOP:
      return kErrPathFileAccess;
    default:
      return 0;
  }
}

// The runtime's words for its numbers of failed file operations.
QString numberText(int32_t number) {
  switch (number) {
    case kErrOutOfMemory:
      return QStringLiteral("Nicht genügend Speicher");
    case kErrBadFileName:
      return QStringLiteral("Dateiname oder -nummer falsch");
    case kErrFileNotFound:
      return QStringLiteral("Datei nicht gefunden");
    case kErrFileAlreadyOpen:
      return QStringLiteral("Datei bereits geöffnet");
    case kErrDeviceIO:
      return QStringLiteral("Ein-/Ausgabefehler des Geräts");
    case kErrDiskFull:
      return QStringLiteral("Datenträger voll");
    case kErrTooManyFiles:
      return QStringLiteral("Zu viele Dateien geöffnet");
    case kErrDeviceUnavailable:
      return QStringLiteral("Gerät nicht verfügbar");
    case kErrPermissionDenied:
      return QStringLiteral("Zugriff verweigert");
    case kErrDiskNotReady:
      return QStringLiteral("Datenträger nicht bereit");
    case kErrPathNotFound:
      return QStringLiteral("Pfad nicht gefunden");
    default:
      return QStringLiteral("Fehler beim Zugriff auf Pfad/Datei");
  }
}

// An errno no number of its own stands for: the system's words for it.
QString otherAccessText(int errnum) {
  return numberText(kErrPathFileAccess) + QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(errnum)));
}

QString textOf(int errnum, SystemCall call) {
  if (call == SystemCall::OpenFile) {
    const int32_t number = openFileNumber(errnum);
    return number != 0 ? numberText(number) : otherAccessText(errnum);
  }
  // Where the errno says more than its number, its own words.
  switch (errnum) {
    case ENOTDIR:
      return QStringLiteral("Kein Ordner");
    case ENAMETOOLONG:
      return QStringLiteral("Pfad zu lang");
    case ELOOP:
      return QStringLiteral("Zu viele symbolische Verknüpfungen");
    default:
      break;
  }
  const int32_t number = fileAccessNumber(errnum);
  return number != kErrPathFileAccess ? numberText(number) : otherAccessText(errnum);
}

}  // namespace

int32_t errorNumberOf(int errnum, SystemCall call) {
  if (errnum == 0) return 0;
  switch (call) {
    case SystemCall::EnterFolder:
      return enterFolderNumber(errnum);
    case SystemCall::OpenFile: {
      const int32_t number = openFileNumber(errnum);
      return number != 0 ? number : kErrPathFileAccess;
    }
    case SystemCall::FileAccess:
      break;
  }
  return fileAccessNumber(errnum);
}

RaisedError fileSystemError(int errnum, const QString& path, SystemCall call) {
  RaisedError e = systemError(errnum, call);
  e.description += QStringLiteral(": ") + path;
  return e;
}

RaisedError systemError(int errnum, SystemCall call) {
  return RaisedError(errorNumberOf(errnum, call), QString(), textOf(errnum, call));
}

}  // namespace rt
