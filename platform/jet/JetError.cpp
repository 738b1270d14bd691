#include "platform/jet/JetError.h"

#include <sqlite3.h>

namespace jet {

namespace {

QString baseText(int number) {
  switch (number) {
    case err::kNoIndex:
      return QStringLiteral("Für diese Suche ist kein Index festgelegt.");
    case err::kUpdateWithoutEdit:
      return QStringLiteral("Aktualisieren ohne vorheriges Bearbeiten oder Hinzufügen.");
    case err::kNoCurrentRecord:
      return QStringLiteral("Kein aktueller Datensatz.");
    case err::kDuplicateKey:
      return QStringLiteral("Der Wert ist im Schlüssel oder eindeutigen Index bereits vorhanden.");
    case err::kFileNotFound:
      return QStringLiteral("Die Datei wurde nicht gefunden.");
    case err::kReadOnly:
      return QStringLiteral("Die Datenbank oder das Objekt ist schreibgeschützt.");
    case err::kWorkgroupFile:
      return QStringLiteral("Die Arbeitsgruppen-Informationsdatei fehlt, ist nicht lesbar oder beschädigt.");
    case err::kWrongLogin:
      return QStringLiteral("Unbekannter Benutzer oder falsches Kennwort.");
    case err::kNoTransaction:
      return QStringLiteral("Es ist keine Transaktion aktiv.");
    case err::kTransactionLost:
      return QStringLiteral(
          "Die Transaktion wurde vom Datenbankmodul abgebrochen (Datenträger voll oder Schreibfehler); "
          "ihre Änderungen sind verworfen.");
    case err::kFileInUse:
      return QStringLiteral("Die Datei wird bereits verwendet.");
    case err::kDamaged:
      return QStringLiteral("Die Datenbank ist beschädigt.");
    case err::kCannotOpen:
      return QStringLiteral("Die Datei kann nicht zum Schreiben geöffnet werden (schreibgeschützt oder gesperrt).");
    case err::kUnknownColumn:
      return QStringLiteral("Unbekanntes Feld im SQL-Text.");
    case err::kSyntax:
      return QStringLiteral("Syntaxfehler im SQL-Text oder Suchkriterium.");
    case err::kUnknownTable:
      return QStringLiteral("Die Tabelle oder Abfrage wurde nicht gefunden.");
    case err::kValueTooLarge:
      return QStringLiteral("Der Wert ist zu groß für das Feld.");
    case err::kRecordDeleted:
      return QStringLiteral("Der Datensatz wurde gelöscht.");
    case err::kRelatedRecordRequired:
      return QStringLiteral("Ein zugehöriger Datensatz fehlt.");
    case err::kTargetExists:
      return QStringLiteral("Die Zieldatei ist bereits vorhanden.");
    case err::kNotSupported:
      return QStringLiteral("Der Vorgang wird für diese Art von Datensatzgruppe nicht unterstützt.");
    case err::kNotInCollection:
      return QStringLiteral("Das Element ist in dieser Auflistung nicht vorhanden.");
    case err::kRequiredField:
      return QStringLiteral("Ein Pflichtfeld enthält keinen Wert.");
    case err::kNotADatabase:
      return QStringLiteral("Die Datei ist keine Datenbank oder hat ein unbekanntes Format.");
    case err::kExclusiveByOther:
      return QStringLiteral("Die Datei wird von einem anderen Benutzer verwendet.");
    case err::kObjectInvalid:
      return QStringLiteral("Das Objekt ist nicht mehr gültig (geschlossen).");
    case err::kTypeConversion:
      return QStringLiteral("Der Wert passt nicht zum Datentyp des Feldes.");
    default:
      return QStringLiteral("Fehler im Datenbankmodul.");
  }
}

}  // namespace

QString errorText(int number, const QString& detail) {
  const QString text = baseText(number);
  return detail.isEmpty() ? text : text + QStringLiteral(" (") + detail + QStringLiteral(")");
}

void raise(int number, const QString& object, const QString& detail) {
  throw rt::RaisedError(number, QStringLiteral("DAO.") + object, errorText(number, detail));
}

void raiseSqlite(sqlite3* db, int rc, const QString& object) {
  const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
  const int extended = db ? sqlite3_extended_errcode(db) : rc;
  switch (extended) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_ROWID:
      raise(err::kDuplicateKey, object, message);
    case SQLITE_CONSTRAINT_NOTNULL:
      raise(err::kRequiredField, object, message);
    case SQLITE_CONSTRAINT_FOREIGNKEY:
      raise(err::kRelatedRecordRequired, object, message);
    case SQLITE_READONLY_ROLLBACK:
      // A hot journal that this connection may not roll back.
      raise(err::kCannotOpen, object,
            QStringLiteral("ein abgebrochener Schreibvorgang muss erst zurückgenommen werden; bitte die Datei "
                           "einmal mit Schreibrecht auf sie und ihren Ordner öffnen"));
    default:
      break;
  }
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      raise(err::kFileInUse, object, message);
    case SQLITE_READONLY:
      raise(err::kReadOnly, object, message);
    case SQLITE_NOTADB:
      raise(err::kNotADatabase, object, message);
    case SQLITE_CORRUPT:
      raise(err::kDamaged, object, message);
    case SQLITE_CANTOPEN:
      raise(err::kCannotOpen, object, message);
    case SQLITE_TOOBIG:
      raise(err::kValueTooLarge, object, message);
    case SQLITE_ERROR:
      if (message.startsWith(QLatin1String("no such table"))) raise(err::kUnknownTable, object, message);
      if (message.startsWith(QLatin1String("no such column"))) raise(err::kUnknownColumn, object, message);
      if (message.contains(QLatin1String("syntax error")) || message.startsWith(QLatin1String("near ")) ||
          message.startsWith(QLatin1String("incomplete input")))
        raise(err::kSyntax, object, message);
      break;
    default:
      break;
  }
  raise(err::kEngineFailure, object, message);
}

}  // namespace jet
