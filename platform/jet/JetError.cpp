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
    case err::kDiskFull:
      return QStringLiteral("Auf dem Datenträger ist nicht genügend Speicherplatz frei.");
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
    case err::kWriteConflict:
      return QStringLiteral(
          "Ein anderer Benutzer hat den Datensatz geändert, seit er hier bearbeitet wird; die Änderung wurde "
          "nicht gespeichert.");
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

namespace {

// The failure text our SQL functions gave last on this thread, and on which connection:
// SQLite hands it back as its message.
struct FunctionFailure {
  sqlite3* db = nullptr;
  QByteArray text;
};
thread_local FunctionFailure lastFunctionFailure;

// The part of SQLite's text after `prefix`: a table, column or function name, or a token.
QString named(const QString& message, qsizetype prefixLength) {
  QString name = message.mid(prefixLength).trimmed();
  if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
    name = name.mid(1, name.size() - 2);
  return name;
}

// German words for SQLite's texts on SQL the engine refused: a known beginning keeps the name
// that follows it (%1), any other text becomes one general phrase.
QString sqlErrorDetail(const QString& message) {
  struct Known {
    const char* english;
    const char* german;
  };
  static const Known kKnown[] = {
      {"no such function:", "unbekannte Funktion: %1"},
      {"wrong number of arguments to function ", "falsche Anzahl von Argumenten für die Funktion %1"},
      {"ambiguous column name:", "mehrdeutiger Feldname: %1"},
      {"unrecognized token:", "unbekanntes Zeichen: %1"},
      {"misuse of aggregate function ", "Aggregatfunktion an unzulässiger Stelle: %1"},
      {"misuse of aggregate:", "Aggregatfunktion an unzulässiger Stelle: %1"},
      {"too many SQL variables", "zu viele Parameter"},
      {"Expression tree is too large", "Ausdruck zu tief verschachtelt"},
      {"parser stack overflow", "SQL-Text zu tief verschachtelt"},
      {"too many terms in compound SELECT", "zu viele verbundene Abfragen"},
      {"LIKE or GLOB pattern too complex", "Suchmuster zu komplex"},
      {"sub-select returns", "Unterabfrage mit falscher Anzahl von Feldern"},
      {"no such savepoint", "unbekannter Sicherungspunkt"},
      {"cannot start a transaction within a transaction", "Transaktion bereits aktiv"},
      {"cannot commit - no transaction is active", "keine Transaktion aktiv"},
  };
  for (const Known& k : kKnown) {
    const QLatin1String english(k.english);
    if (!message.startsWith(english)) continue;
    const QString german = QString::fromUtf8(k.german);
    return german.contains(QLatin1String("%1")) ? german.arg(named(message, english.size())).trimmed() : german;
  }
  return QStringLiteral("unzulässiger SQL-Text oder unzulässige Anweisung");
}

// What went wrong, by SQLite's result code, for the failures that keep the general number.
QString engineFailureDetail(int rc, const QString& message) {
  QString what;
  switch (rc & 0xff) {
    case SQLITE_ERROR:
      what = sqlErrorDetail(message);
      break;
    case SQLITE_INTERNAL:
    case SQLITE_MISUSE:
      what = QStringLiteral("interner Fehler des Datenbankmoduls");
      break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
      what = QStringLiteral("Zugriff verweigert");
      break;
    case SQLITE_ABORT:
      what = QStringLiteral("Vorgang abgebrochen");
      break;
    case SQLITE_NOMEM:
      what = QStringLiteral("zu wenig Arbeitsspeicher");
      break;
    case SQLITE_INTERRUPT:
      what = QStringLiteral("Vorgang unterbrochen");
      break;
    case SQLITE_IOERR:
      what = QStringLiteral("Lese- oder Schreibfehler auf dem Datenträger");
      break;
    case SQLITE_PROTOCOL:
      what = QStringLiteral("die Sperre der Datei ist gestört");
      break;
    case SQLITE_SCHEMA:
      what = QStringLiteral("der Aufbau der Datenbank hat sich geändert");
      break;
    case SQLITE_CONSTRAINT:
      what = QStringLiteral("eine Gültigkeitsregel der Tabelle ist verletzt");
      break;
    case SQLITE_MISMATCH:
      what = QStringLiteral("der Wert passt nicht zum Datentyp");
      break;
    case SQLITE_RANGE:
      what = QStringLiteral("Parameternummer außerhalb des Bereichs");
      break;
    case SQLITE_NOLFS:
      what = QStringLiteral("die Datei ist zu groß für das Dateisystem");
      break;
    default:
      what = QStringLiteral("unerwarteter Fehler");
      break;
  }
  return what + QStringLiteral(", Code ") + QString::number(rc);
}

}  // namespace

void functionError(sqlite3_context* ctx, const QString& text) {
  lastFunctionFailure = {sqlite3_context_db_handle(ctx), text.toUtf8()};
  sqlite3_result_error(ctx, lastFunctionFailure.text.constData(), static_cast<int>(lastFunctionFailure.text.size()));
}

void raiseSqlite(sqlite3* db, int rc, const QString& object) {
  const QByteArray raw = db ? QByteArray(sqlite3_errmsg(db)) : QByteArray(sqlite3_errstr(rc));
  const int extended = db ? sqlite3_extended_errcode(db) : rc;
  // A text of our own functions is German already.
  if (db && lastFunctionFailure.db == db && raw == lastFunctionFailure.text)
    raise(err::kEngineFailure, object, QString::fromUtf8(raw));
  const QString message = QString::fromUtf8(raw);
  // "UNIQUE constraint failed: tblX.Col": the columns.
  const qsizetype failed = message.indexOf(QLatin1String("failed: "));
  const QString columns = failed >= 0 ? message.mid(failed + 8).trimmed() : QString();
  switch (extended) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_ROWID:
      raise(err::kDuplicateKey, object, columns);
    case SQLITE_CONSTRAINT_NOTNULL:
      raise(err::kRequiredField, object, columns);
    case SQLITE_CONSTRAINT_FOREIGNKEY:
      raise(err::kRelatedRecordRequired, object);
    case SQLITE_CONSTRAINT_TRIGGER:
      // The text a trigger of the file's own schema gives, not one of the store's.
      raise(err::kEngineFailure, object, message);
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
      raise(err::kFileInUse, object);
    case SQLITE_READONLY:
      raise(err::kReadOnly, object);
    case SQLITE_NOTADB:
      raise(err::kNotADatabase, object);
    case SQLITE_CORRUPT:
      raise(err::kDamaged, object);
    case SQLITE_CANTOPEN:
      raise(err::kCannotOpen, object);
    case SQLITE_TOOBIG:
      raise(err::kValueTooLarge, object);
    case SQLITE_FULL:
      raise(err::kDiskFull, object);
    case SQLITE_ERROR:
      if (message.startsWith(QLatin1String("no such table:"))) raise(err::kUnknownTable, object, named(message, 14));
      if (message.startsWith(QLatin1String("no such column:"))) raise(err::kUnknownColumn, object, named(message, 15));
      if (message.startsWith(QLatin1String("near \""))) {
        const qsizetype end = message.indexOf(QLatin1String("\": syntax error"));
        if (end > 6) raise(err::kSyntax, object, QStringLiteral("bei \"%1\"").arg(message.mid(6, end - 6)));
      }
      if (message.contains(QLatin1String("syntax error"))) raise(err::kSyntax, object);
      if (message.startsWith(QLatin1String("incomplete input")))
        raise(err::kSyntax, object, QStringLiteral("der SQL-Text ist unvollständig"));
      break;
    default:
      break;
  }
  raise(err::kEngineFailure, object, engineFailureDetail(extended, message));
}

}  // namespace jet
