#pragma once

// Internal: one SQLite connection of an open database, with its statement cache, the engine
// lock on its file and the record sets open on it.

#include "platform/jet/Field.h"
#include "platform/jet/FileLock.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Param.h"
#include "platform/runtime/Variant.h"

#include <QHash>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace jet {
class Recordset;
}

namespace jet::detail {

struct StmtDeleter {
  void operator()(sqlite3_stmt* s) const;
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

// A cached statement in use: reset and unbound when the use ends. A use that binds every
// marker of its statement (as bindAll does, which checks the count) may keep the bindings: the
// next use binds each of them anew before the statement runs, so no value of this use, nor a
// pointer bound in place, can reach it. Unbinding costs as much as binding.
class StmtUse {
 public:
  enum class Bindings { Clear, AllRebound };
  explicit StmtUse(sqlite3_stmt* s, Bindings bindings = Bindings::Clear) : s_(s), bindings_(bindings) {}
  ~StmtUse();
  StmtUse(const StmtUse&) = delete;
  StmtUse& operator=(const StmtUse&) = delete;
  sqlite3_stmt* get() const { return s_; }

 private:
  sqlite3_stmt* s_;
  Bindings bindings_;
};

struct ColumnInfo {
  QString name;
  FieldType type = FieldType::Text;
  int size = 0;
  bool declared = false;
  bool notNull = false;
};

// Field type and size from a declared column type (see Field.h).
ColumnInfo columnFromDecl(const QString& name, const QString& declType);

// Binds `v` to parameter `index` (1-based); Empty and Null bind NULL, True binds -1. A value
// SQLite refuses (longer than its length limit: 3163) raises instead of being left Null.
// With `utf8`, a text's UTF-8 is kept there and bound in place rather than copied by SQLite;
// it must stay until the statement has run.
void bindVariant(sqlite3_stmt* s, int index, const rt::Variant& v, const QString& object, QByteArray* utf8 = nullptr);
// Binds the list to ?1..?n; raises 3075 when the count does not match. `utf8` holds the texts'
// UTF-8 while the statement runs (see bindVariant); it needs room for one per value.
void bindAll(sqlite3_stmt* s, const std::vector<rt::Variant>& params, const QString& object,
             std::span<QByteArray> utf8 = {});
// Binds `p` to parameter `index` (1-based). Texts in UTF-8 and bytes are bound in place: the
// parameter refers to the caller's storage until the statement is reset and unbound.
void bindParam(sqlite3_stmt* s, int index, const Param& p, const QString& object);
void bindAll(sqlite3_stmt* s, std::span<const Param> params, const QString& object);
// Column `i` of the current row as the field type tells.
rt::Variant columnVariant(sqlite3_stmt* s, int i, const ColumnInfo& col);
// A value converted for storing in `col` (3421 not convertible, 3163 too long or too big).
rt::Variant convertForField(const rt::Variant& v, const ColumnInfo& col, const QString& object);
// Stores `v` in `out` as convertForField gives it; a value that already has the field's type
// is copied without the round through a converted one.
void assignForField(const rt::Variant& v, const ColumnInfo& col, const QString& object, rt::Variant& out);

QString quoteName(const QString& name);

class Connection {
 public:
  Connection(sqlite3* db, QString path, bool exclusive, bool readOnly, std::unique_ptr<FileLock> lock);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* db() const { return db_; }
  const QString& path() const { return path_; }
  bool exclusive() const { return exclusive_; }
  bool readOnly() const { return readOnly_; }
  bool isOpen() const { return db_ != nullptr; }
  // 3420 when closed.
  void requireOpen(const QString& object) const;
  // The workspace's transaction depth on this connection. SQLite rolls a transaction back by
  // itself after some errors (disk full, I/O); then every further statement raises 3035 instead
  // of running outside the transaction the caller believes in.
  void setTransactionDepth(int depth) { txDepth_ = depth; }
  bool transactionLost() const;
  void checkTransaction(const QString& object) const;

  // Prepared statement for an SQLite text, cached per text.
  sqlite3_stmt* cached(const QString& sql, const QString& object);
  // Translated from Jet SQL, then cached; the statement is valid until the next cachedJet call
  // (the cache of these texts is bounded). A text given again in the same storage (a literal,
  // a string the caller keeps) is found without hashing it again.
  sqlite3_stmt* cachedJet(const QString& jetSql, const QString& object);
  // A statement of its own (for record sets that step it over time).
  StmtPtr prepare(const QString& sql, const QString& object);
  // Runs an SQLite text without results.
  void exec(const QString& sql, const QString& object);

  // The columns of a table as declared (3078 for an unknown table). Cached.
  const std::vector<ColumnInfo>& tableColumns(const QString& table, const QString& object);
  // The table's exact name when `name` is one (without regard to case), else empty.
  QString tableName(const QString& name);
  // The text columns of the file's tables, for translating Jet texts. Read once.
  const TextColumns& textColumns();

  void addRecordset(const std::shared_ptr<Recordset>& rs);
  std::vector<std::shared_ptr<Recordset>> recordsets();
  void close();

 private:
  sqlite3* db_;
  QString path_;
  bool exclusive_;
  bool readOnly_;
  std::unique_ptr<FileLock> lock_;
  QHash<QString, sqlite3_stmt*> cache_;
  QHash<QString, sqlite3_stmt*> jetCache_;
  // The texts last looked up, by their storage: each holds a reference to its text, so the
  // storage can neither change nor be reused for another text while it is here.
  struct RecentJet {
    QString sql;
    sqlite3_stmt* statement = nullptr;
  };
  std::array<RecentJet, 8> recentJet_;
  size_t nextRecentJet_ = 0;
  void forgetRecentJet();
  QHash<QString, std::vector<ColumnInfo>> tables_;
  std::optional<TextColumns> textColumns_;
  std::vector<std::weak_ptr<Recordset>> recordsets_;
  int txDepth_ = 0;
};

}  // namespace jet::detail
