#include "catalogue/mdlCommand_other.h"

#include "catalogue/FolderPaths.h"
#include "catalogue/mdlCommand_categories.h"
#include "foundation/MessageNumbers.h"
#include "foundation/MessageTable.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_registry.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Recordset.h"

#include <QLocale>

namespace {

const QString kSource = QStringLiteral("mdlCommand");
const QString kSep = QStringLiteral("/");
const QString kPrefix = QStringLiteral("http://");

QString sizeWithUnits(double bytes) {
  return QLocale().toString(bytes, 'f', 0) + QStringLiteral(" Bytes (") + FormatFileSize(bytes, 4, 1).toText() +
         QStringLiteral(")");
}

}  // namespace

int32_t fFileProperties(int32_t FID, std::vector<PropItem>& list) {
  try {
    const QString sql = gErr->MsgLoad(kSqlFileWithVolume, FID);
    auto rs = CommandDB().OpenRecordset(sql, jet::RecordsetType::Snapshot);
    if (rs->IsEOF()) gErr->ErrRaise(-kMsgFileNotFound, QString(), QString(), QString(), FID);
    const rt::Variant desc = rs->Fields(QStringLiteral("Desc")).Value();
    list = {
        {QStringLiteral("Datei"), rs->Fields(QStringLiteral("Filename")).Value().toText()},
        {QStringLiteral("Größe"), sizeWithUnits(rs->Fields(QStringLiteral("Filesize")).Value().toDouble())},
        {QStringLiteral("Letzte Änderung"), rs->Fields(QStringLiteral("DateTime")).Value().toText()},
        {QStringLiteral("Volume"), rs->Fields(QStringLiteral("VolumeName")).Value().toText()},
        {QStringLiteral("Pfad"), PathFullName(rs->Fields(QStringLiteral("PID")).Value().toInt(),
                                              rs->Fields(QStringLiteral("VolumePath")).Value(), false)},
        {QStringLiteral("Beschreibung"), desc.isNull() ? QStringLiteral("-") : desc.toText()},
    };
    rs->Close();
    return static_cast<int32_t>(list.size()) - 1;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fFileProperties"));
  }
}

QString PathFullName(int32_t PID, const rt::Variant& volumePath, bool lookUpVolume) {
  QString text;
  try {
    jet::Database& db = CommandDB();
    FolderPaths paths(db);
    text = paths.Of(PID);
    if (!volumePath.isNull()) {
      text.prepend(AddTrailingChar(volumePath.toText(), kSep));
    } else if (lookUpVolume) {
      const rt::Variant volumeId = paths.VolumeOf(PID);
      rt::Variant stored;
      if (!volumeId.isNull() && SeekFieldValue(db, QStringLiteral("tblVOLUMES"), QStringLiteral("PrimaryKey"), volumeId,
                                               stored, QStringLiteral("VolumePath")))
        text.prepend(AddTrailingChar(stored.toText(), kSep));
    }
  } catch (...) {
    // A reader for panes and captions: what was reached is the answer.
  }
  return AddTrailingChar(text, kSep);
}

QString CatalogueFileFilter() {
  return LoadResString(kMsgProgramTitle) + QStringLiteral("-Datenbanken ") + QStringLiteral("(*.") +
         QStringLiteral("qvk") + QStringLiteral(")|*.") + QStringLiteral("qvk");
}

int ExtensionType(QString extension) {
  const QString lower = extension.toLower();
  for (const char* exe : {"bat", "exe", "pif", "com"})
    if (lower == QLatin1String(exe)) return 0;
  if (!extension.startsWith(QLatin1Char('.'))) extension.prepend(QLatin1Char('.'));
  return RegGetString(registry::HKEY_CLASSES_ROOT, extension, QString(), QString()).isEmpty() ? 2 : 1;
}

QString MakeURL(const QString& text, bool add) {
  if (text.isEmpty()) return text;
  const bool prefixed = text.left(kPrefix.size()).compare(kPrefix, Qt::CaseInsensitive) == 0;
  if (add && !prefixed) return kPrefix + text;
  if (!add && prefixed) return text.mid(kPrefix.size());
  return text;
}

QString ListItemToText(const QString& name, const QString& value) {
  if (name.left(10) == QString(10, QLatin1Char('-'))) return name + value;
  return name + QStringLiteral(": ") + value;
}
