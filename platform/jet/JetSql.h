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
//
// Accepted: SELECT ... FROM ... [WHERE] [GROUP BY] [HAVING] [ORDER BY], DELETE [t.*|*] FROM,
// UPDATE t SET [t.]col = ..., INSERT INTO t [(cols)] VALUES (...)[, (...)]; names bare or in [..];
// texts in "" or ''; numbers; ? parameters; = <> < > <= >= + - * / &; AND OR NOT IS NULL LIKE
// AS, INNER/LEFT [OUTER] JOIN ... ON, also nested in parentheses; True, False; the functions
// Count Sum Avg Max Min First Last Chr Nz IIf.
QString translateJetSql(const QString& jetSql);

// A criterion (a WHERE condition without the keyword) -> SQLite, under the same rules.
QString translateJetCriteria(const QString& jetCriteria);

// Registers the collation and the functions the translated texts call on one connection:
// JETTEXT, like (Jet wildcards), jet_concat, jet_chr, jet_nz, jet_first, jet_last.
void registerJetFunctions(sqlite3* db);

}  // namespace jet
