#pragma once

// Opening a catalogue into gDB, the version check every catalogue must pass, key allocation
// and the two files that stand beside the program.

#include "platform/jet/Database.h"
#include "platform/runtime/RaisedError.h"

#include <QString>

#include <cstdint>
#include <memory>

// Workgroup user under which every catalogue is opened.
inline const QString kCatalogueUser = QStringLiteral("QZAdmin");
inline const QString kCataloguePassword = QStringLiteral("Wexo71");
// The catalogue version this program expects.
inline const QString kCatalogueVersion = QStringLiteral("1.0.011");

// Key kinds of NewKey and TableInfo.
enum KeyKind : int32_t { kKeyCID = 0, kKeyPID = 1, kKeyVID = 2, kKeyFID = 3, kKeyLID = 4, kKeyIID = 5 };

// Opens path into gDB. exclusive: -2 the option Exclusive, 0 shared, -1 exclusive. True when
// the catalogue is open and passed VersionCheck; otherwise no catalogue is open. Failures are
// shown in one critical box (messages 110 and 111) and not passed on.
bool DBOpen(const QString& Path, int32_t Exclusive);

// True when the open catalogue may be used: version record present, version "1.0.011" (a
// higher one only when the user agrees to question 115), the product stamp; writes a GUID into
// a version record that has none unless writeGuid is false (a catalogue that is only read).
// Refusals other than a declined question raise.
bool VersionCheck(const std::shared_ptr<jet::Database>& db, bool writeGuid = true);

// The critical box of a catalogue that could not be opened or used: message 110 with the path,
// two line breaks, message 111 with the error's number and description. Never raises.
void ShowOpenError(const QString& path, const rt::RaisedError& error);

// The stamp every catalogue carries in tblVERSION.Type.
QString CatalogueStamp();

// The next free key of the table of that kind: the largest stored key + 1, or 1 for an empty
// table. Raises overflow (6) past 2147483647.
int32_t NewKey(int32_t kind);
// The same on a database the caller holds (a reader writing into a catalogue it was given).
int32_t NewKey(jet::Database& db, int32_t kind);

// Table and key field of a key kind, enclosed in brackets when asked; empty for other kinds.
void TableInfo(int32_t kind, QString& tableName, QString& keyField, bool bracketed);

// The workgroup file and the template catalogue beside the program.
QString SystemDBPath();
QString TemplatePath();
