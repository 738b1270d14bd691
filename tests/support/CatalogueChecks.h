#pragma once

// Looks into a catalogue file with plain SQLite (plus the engine's collation), as a second
// program would after the first one has gone: does it pass SQLite's own checks, and does any
// row refer to a row that is not there. Header-only; needs the engine's library.

#include "platform/jet/JetSql.h"

#include <QString>

#include <sqlite3.h>

#include <cstdint>
#include <memory>

namespace testenv {

struct RawCatalogue {
  explicit RawCatalogue(const QString& path) {
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      db.reset(raw);
      jet::registerJetFunctions(raw);
    } else {
      sqlite3_close(raw);
    }
  }
  // The first column of the first row as text; "" when there is none, "error: ..." on failure.
  QString text(const char* sql) const {
    if (!db) return QStringLiteral("error: not opened");
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql, -1, &s, nullptr) != SQLITE_OK)
      return QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db.get()));
    QString out;
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW && sqlite3_column_text(s, 0))
      out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    else if (rc != SQLITE_ROW && rc != SQLITE_DONE)
      out = QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db.get()));
    sqlite3_finalize(s);
    return out;
  }
  int64_t count(const char* sql) const {
    bool ok = false;
    const int64_t n = text(sql).toLongLong(&ok);
    return ok ? n : -1;
  }
  // SQLite's verdict on the whole file: "ok" when sound.
  QString integrityCheck() const { return text("PRAGMA integrity_check"); }
  // Rows whose key column names a row that does not exist, over every relation of the schema
  // (the cascading ones and those the program keeps itself). -1 when it cannot be counted.
  int64_t orphanRows() const {
    return count(
        "SELECT (SELECT Count(*) FROM tblPATHS WHERE VolumeID NOT IN (SELECT VID FROM tblVOLUMES))"
        " + (SELECT Count(*) FROM tblFILES WHERE PathID NOT IN (SELECT PID FROM tblPATHS))"
        " + (SELECT Count(*) FROM tblPATHS WHERE Parent IS NOT NULL AND Parent NOT IN (SELECT PID FROM tblPATHS))"
        " + (SELECT Count(*) FROM tblPATHS p WHERE Parent IS NOT NULL AND"
        "    (SELECT VolumeID FROM tblPATHS q WHERE q.PID = p.Parent) <> p.VolumeID)"
        " + (SELECT Count(*) FROM tblVOLUMES WHERE CatID IS NOT NULL AND CatID NOT IN (SELECT CID FROM tblCATEGORIES))"
        " + (SELECT Count(*) FROM tblVOLUMES WHERE LocID IS NOT NULL AND LocID NOT IN (SELECT lID FROM tblLOCATIONS))"
        " + (SELECT Count(*) FROM tblCATEGORIES WHERE Parent IS NOT NULL AND"
        "    Parent NOT IN (SELECT CID FROM tblCATEGORIES))");
  }

  struct Closer {
    void operator()(sqlite3* d) const { sqlite3_close(d); }
  };
  std::unique_ptr<sqlite3, Closer> db;
};

}  // namespace testenv
