#pragma once

// The Jet SQL dialect on SQLite: a translator from the program's SQL texts to SQLite's, and
// the functions and the collation every connection carries so the translated text runs.

#include <QString>

struct sqlite3;

namespace jet {

// Name of the collation on every Text and Memo column and in ORDER BY / GROUP BY: compares
// without regard to case, with umlauts beside their base letters.
inline constexpr const char* kTextCollation = "JETTEXT";

// Jet SQL -> SQLite SQL. Pure and cached. Anything it does not know raises rt::RaisedError
// 3075, never a half-translated text.
QString translateJetSql(const QString& jetSql);

// Registers the collation and the functions the translated texts call on one connection.
void registerJetFunctions(sqlite3* db);

}  // namespace jet
