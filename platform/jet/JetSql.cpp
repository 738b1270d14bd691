#include "platform/jet/JetSql.h"

#include <sqlite3.h>

// Placeholder until the real translator lands: passes the text on and registers a plain
// case-insensitive collation, so schema and engine can be built against the interface.
namespace jet {

namespace {
int compareNoCase(void*, int n1, const void* s1, int n2, const void* s2) {
  const QString a = QString::fromUtf8(static_cast<const char*>(s1), n1);
  const QString b = QString::fromUtf8(static_cast<const char*>(s2), n2);
  return a.compare(b, Qt::CaseInsensitive);
}
}  // namespace

QString translateJetSql(const QString& jetSql) { return jetSql; }

void registerJetFunctions(sqlite3* db) {
  sqlite3_create_collation(db, kTextCollation, SQLITE_UTF8, nullptr, compareNoCase);
}

}  // namespace jet
