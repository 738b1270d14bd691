#include "platform/jet/NativeQuery.h"

#include "platform/jet/JetError.h"

#include <sqlite3.h>

namespace jet {

namespace {
const QString kObject = QStringLiteral("Recordset");
}

NativeQuery::NativeQuery(std::shared_ptr<detail::Connection> connection, detail::StmtPtr statement, QString sql)
    : connection_(std::move(connection)), statement_(std::move(statement)), sql_(std::move(sql)) {}

sqlite3_stmt* NativeQuery::statement() const {
  if (!statement_ || !connection_->isOpen()) raise(err::kObjectInvalid, kObject, sql_);
  return statement_.get();
}

bool NativeQuery::Next() {
  sqlite3_stmt* s = statement();
  connection_->checkTransaction(kObject);
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  raiseSqlite(connection_->db(), rc, kObject);
}

int64_t NativeQuery::Run() {
  while (Next()) {
  }
  return sqlite3_changes64(connection_->db());
}

bool NativeQuery::IsNull(int column) const { return sqlite3_column_type(statement(), column) == SQLITE_NULL; }

int64_t NativeQuery::Long(int column) const { return sqlite3_column_int64(statement(), column); }

std::string_view NativeQuery::Utf8(int column) const {
  sqlite3_stmt* s = statement();
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
  return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(s, column))) : std::string_view();
}

QString NativeQuery::Text(int column) const {
  const std::string_view u = Utf8(column);
  return QString::fromUtf8(u.data(), static_cast<qsizetype>(u.size()));
}

rt::Variant NativeQuery::Value(int column) const {
  return detail::columnVariant(statement(), column, detail::ColumnInfo{});
}

void NativeQuery::Close() { statement_.reset(); }

}  // namespace jet
