#pragma once

// A catalogue database for the SQL tests: the built template when it is there, otherwise
// the tables of the catalogue schema created here, filled with a few rows either way.

#include <QString>
#include <QStringList>

#include <vector>

struct sqlite3;

namespace jetsqltest {

using Rows = std::vector<QStringList>;  // every value as text, Null as "<Null>"

class CatalogueDb {
 public:
  CatalogueDb();
  ~CatalogueDb();
  CatalogueDb(const CatalogueDb&) = delete;
  CatalogueDb& operator=(const CatalogueDb&) = delete;

  // Translates the Jet text and runs it; returns the rows.
  Rows query(const QString& jetSql, QStringList* columnNames = nullptr);
  // Translates and runs a changing statement; returns the number of changed rows.
  int execute(const QString& jetSql);
  // Runs SQLite text as it is.
  void raw(const char* sql);

  sqlite3* handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace jetsqltest
