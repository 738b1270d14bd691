#pragma once

// The Jet SQL dialect on SQLite: a translator from the program's SQL texts to SQLite's, and
// the functions and the collation every connection carries so the translated text runs.

#include <QSet>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace jet {

// Name of the collation that compares texts without regard to case, with umlauts beside their
// base letters. The stored schema names none of ours, so that standard SQLite tools can check,
// sort, dump and restore a catalogue; the translated texts name it where they compare and sort.
inline constexpr const char* kTextCollation = "JETTEXT";

// The columns of one database whose values are texts, by name without regard to case (a name
// that is a text column of any of its tables counts).
class TextColumns {
 public:
  TextColumns() = default;
  explicit TextColumns(const QStringList& names);
  bool contains(const QString& name) const;
  // The names in order: tells translations for different sets apart.
  const QString& key() const { return key_; }

 private:
  QSet<QString> names_;
  QString key_;
};

// The text columns of the tables of `db`, from their declared types.
TextColumns textColumnsOf(sqlite3* db);

// Jet SQL -> SQLite SQL. Pure and cached. Anything it does not know raises rt::RaisedError
// 3075, never a half-translated text.
//
// Accepted: SELECT ... FROM ... [WHERE] [GROUP BY] [HAVING] [ORDER BY], DELETE [t.*|*] FROM,
// UPDATE t SET [t.]col = ..., INSERT INTO t [(cols)] VALUES (...)[, (...)]; names bare or in [..];
// texts in "" or ''; numbers; ? parameters; = <> < > <= >= + - * / &; AND OR NOT IS NULL LIKE
// AS, INNER/LEFT [OUTER] JOIN ... ON, also nested in parentheses; True, False; the functions
// Count Sum Avg Max Min First Last Chr Nz IIf.
//
// The text collation goes on the text columns of `textColumns` where they are compared (= <>
// < > <= >=), sorted or grouped and inside Max and Min, and on every sorted or grouped
// expression other than a plain column.
QString translateJetSql(const QString& jetSql, const TextColumns& textColumns = TextColumns());

// A criterion (a WHERE condition without the keyword) -> SQLite, under the same rules.
QString translateJetCriteria(const QString& jetCriteria, const TextColumns& textColumns = TextColumns());

// Registers the collation and the functions the translated texts call on one connection:
// JETTEXT, like (Jet wildcards), jet_concat, jet_chr, jet_nz, jet_first, jet_last.
void registerJetFunctions(sqlite3* db);

}  // namespace jet
