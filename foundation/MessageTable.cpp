#include "foundation/MessageTable.h"

#include "platform/runtime/RaisedError.h"

#include <QHash>
#include <QStringList>

namespace {

const QHash<int32_t, QString>& table() {
  static const QHash<int32_t, QString> t = [] {
    QHash<int32_t, QString> h;
    const QString text = QString::fromUtf8(
#include "MessageTableData.inc"
    );
    for (const QString& line : text.split(QLatin1Char('\n'))) {
      if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
      const qsizetype tab = line.indexOf(QLatin1Char('\t'));
      if (tab <= 0) continue;
      bool ok = false;
      const int32_t id = line.left(tab).toInt(&ok);
      if (ok) h.insert(id, line.mid(tab + 1));
    }
    return h;
  }();
  return t;
}

}  // namespace

bool HasResString(int32_t id) { return table().contains(id); }

QString FillPlaceholders(QString text, std::initializer_list<std::optional<QString>> values) {
  const QString marker = QStringLiteral("##");
  qsizetype from = 0;
  for (const std::optional<QString>& value : values) {
    const qsizetype at = text.indexOf(marker, from);
    if (at < 0) break;
    if (value) {
      text.replace(at, marker.size(), *value);
      from = at + value->size();
    } else {
      from = at + marker.size();
    }
  }
  return text;
}

QString LoadResString(int32_t id) {
  const auto it = table().constFind(id);
  if (it == table().constEnd())
    throw rt::RaisedError(rt::kErrResourceNotFound, QStringLiteral("ZUVRAX"),
                          QStringLiteral("Ressource mit der Kennung '%1' nicht gefunden.").arg(id));
  return *it;
}
