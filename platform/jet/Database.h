#pragma once

#include "platform/jet/NativeQuery.h"
#include "platform/jet/Param.h"
#include "platform/jet/Recordset.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <concepts>
#include <memory>
#include <span>
#include <vector>

namespace jet {

namespace detail {
class Connection;
}

class Workspace;

// DAO's execute option: fail on any error. Execute always fails on errors (a partial change
// reported as success would hide lost data), so the option is accepted for its callers' sake.
inline constexpr int dbFailOnError = 128;

// One open catalogue file.
class Database {
 public:
  Database(std::shared_ptr<detail::Connection> connection, Workspace* workspace);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // The file path as it was opened.
  QString Name() const;
  bool IsOpen() const;
  bool IsExclusive() const;
  bool IsReadOnly() const;

  // `source` is a table name or an SQL text (Jet dialect). Values in `params` are bound to the
  // `?` markers in order. Table type needs a table name (3251 otherwise).
  std::shared_ptr<Recordset> OpenRecordset(const QString& source, RecordsetType type = RecordsetType::Dynaset,
                                           const std::vector<rt::Variant>& params = {});

  // Runs one action statement (Jet dialect) with `params` bound to its `?` markers; returns the
  // number of rows changed. Any failure raises.
  int64_t Execute(const QString& sql, int options = 0, const std::vector<rt::Variant>& params = {});
  // The same with values bound as they are (see Param.h): for statements run many times. Takes
  // an array, a vector or a span of them; a braced list `{}` still means no variants.
  template <typename Params>
  requires std::convertible_to<const Params&, std::span<const Param>> int64_t Execute(const QString& sql,
                                                                                      int /*options*/,
                                                                                      const Params& params) {
    return executeParams(sql, std::span<const Param>(params));
  }

  // A statement in SQLite's dialect (not translated) with `params` bound to ?1..?n; see
  // NativeQuery.h. For the temporary tables and the texts that name the collation.
  std::unique_ptr<NativeQuery> OpenNativeQuery(const QString& sql, const std::vector<rt::Variant>& params = {});

  // Makes the catalogue file `path` readable as the schema `schema` of this database's
  // statements in SQLite's dialect, read-only: rows then go from one file to the other in one
  // statement. A transaction reads the attached file as one state of it, and the file cannot be
  // detached while a transaction that read it runs; see AttachScope.h.
  void AttachReadOnly(const QString& path, const QString& schema);
  void Detach(const QString& schema);

  // The record sets still open on this database.
  std::vector<std::shared_ptr<Recordset>> Recordsets() const;

  // Closes every record set of the database, then the file. Closing twice is harmless.
  void Close();

 private:
  int64_t executeParams(const QString& sql, std::span<const Param> params);

  std::shared_ptr<detail::Connection> connection_;
  Workspace* workspace_;

  friend class Workspace;
};

}  // namespace jet
