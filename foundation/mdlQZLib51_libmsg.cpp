#include "foundation/mdlQZLib51_libmsg.h"

#include "foundation/MessageTable.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/MousePointer.h"

int32_t LibErrorNumber(int32_t code) { return static_cast<int32_t>(int64_t{rt::kLibraryErrorBase} + code); }

QString GetLibMessageText(int32_t code) {
  switch (code) {
    case 1:
      return QStringLiteral("Die Datenbank '##' ist nicht vorhanden.");
    case 2:
      return QStringLiteral("Fehler. Datensatz nicht gefunden.");
    case 3:
      return QStringLiteral("Der Tabellenname muss mindestens ein Zeichen enthalten.");
    case 4:
      return QStringLiteral("Das Zeichen '##' ist in Tabellennamen nicht erlaubt.");
    case 5:
      return QStringLiteral("Zu wenig Speicherplatz auf Laufwerk '##'.@@Es werden ## benötigt.");
    case 6:
      return QStringLiteral(
          "Durch einen schweren Fehler wurde die Datenbank '##'' gelöscht!@@"
          "Versuchen Sie bitte, sie über den Papierkorb wiederherzustellen.");
    case 7:
      return QStringLiteral("Fehler beim Ermitteln der Größe der Bildlaufleiste.");
    case 8:
      return QStringLiteral("Es muß wenigstens ein Argument übergeben werden.");
    case 9:
      return QStringLiteral("Auf Laufwerk '##' kann nicht zugegriffen werden.");
    case 10:
      return QStringLiteral("Gerät nicht verfügbar.");
    case 11:
      return QStringLiteral("Diskette nicht bereit.");
    case 12:
      return QStringLiteral("Datei-/Pfad Zugriffsfehler.");
    case 13:
      return QStringLiteral("Pfad nicht gefunden.");
    case 14:
      return QStringLiteral("Unbekannter Fehler.");
    case 26:
      return QStringLiteral("Die Datei '##' ist nicht vorhanden.");
    case 27:
      return QStringLiteral(
          "Das Hochkomma (') und das Pipe-Symbol (|) sind reservierte Zeichen.\r\n"
          "Bitte verwenden Sie diese Zeichen  nicht in Zeichenfolgen, nach denen später evtl. gesucht werden soll.");
    default:
      return QString();
  }
}

QString LibMessage(int32_t code, const rt::Variant& arg1, const rt::Variant& arg2) {
  QString text = GetLibMessageText(code);
  if (text.isEmpty()) return QString();
  text.replace(QStringLiteral("@@"), QStringLiteral("\r\n"));
  // A missing first argument fills nothing; a Null one keeps its "##" and the second goes on.
  if (arg1.isEmpty()) return text;
  const auto given = [](const rt::Variant& v) {
    return v.isEmpty() || v.isNull() ? std::nullopt : std::optional(v.toText());
  };
  return FillPlaceholders(std::move(text), {given(arg1), given(arg2)});
}

void RaiseLibError(int32_t number, QString source, const QString& procedure, QString description,
                   const rt::Variant& arg1, const rt::Variant& arg2) {
  const QString exe = rt::App::exeName();
  if (number < 0) {
    const int32_t code = -number;
    if (description.isEmpty()) description = LibMessage(code, arg1, arg2);
    number = LibErrorNumber(code);
    if (source.isEmpty()) source = exe;
  } else {
    const rt::RaisedError current = rt::currentError();
    number = current.number;
    const QString es = current.source;
    if (source.isEmpty()) {
      if (es.isEmpty())
        source = exe;
      else if (es.compare(exe, Qt::CaseInsensitive) == 0)
        source = es;
      else
        source = exe + QStringLiteral(": ") + es;
    } else if (!es.isEmpty() && es.compare(source, Qt::CaseInsensitive) != 0) {
      source = es + QStringLiteral(": ") + source;
    }
    if (description.isEmpty()) description = current.description;
  }
  if (!procedure.isEmpty()) source += QStringLiteral(": ") + procedure;
  ui::setMousePointer(ui::kPointerDefault);
  throw rt::RaisedError(number, source, description);
}
