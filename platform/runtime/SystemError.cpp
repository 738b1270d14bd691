#include "platform/runtime/SystemError.h"

#include <cerrno>
#include <cstring>

namespace rt {

RaisedError fileSystemError(int errnum, const QString& path) {
  int32_t number = 75;
  QString text;
  switch (errnum) {
    case ENOENT:
      number = 76;
      text = QStringLiteral("Pfad nicht gefunden");
      break;
    case ENOTDIR:
      number = 76;
      text = QStringLiteral("Kein Ordner");
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      number = kErrPermissionDenied;
      text = QStringLiteral("Zugriff verweigert");
      break;
    case ENOSPC:
    case EDQUOT:
      number = 61;
      text = QStringLiteral("Datenträger voll");
      break;
    case EIO:
      number = 57;
      text = QStringLiteral("Ein-/Ausgabefehler des Geräts");
      break;
    case ENOMEM:
      number = kErrOutOfMemory;
      text = QStringLiteral("Nicht genügend Speicher");
      break;
    case ENAMETOOLONG:
      text = QStringLiteral("Pfad zu lang");
      break;
    case ELOOP:
      text = QStringLiteral("Zu viele symbolische Verknüpfungen");
      break;
    case EMFILE:
    case ENFILE:
      number = 67;
      text = QStringLiteral("Zu viele Dateien geöffnet");
      break;
    default:
      text =
          QStringLiteral("Fehler beim Zugriff auf Pfad/Datei (%1)").arg(QString::fromLocal8Bit(std::strerror(errnum)));
      break;
  }
  return RaisedError(number, QString(), text + QStringLiteral(": ") + path);
}

}  // namespace rt
