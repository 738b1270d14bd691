#include "platform/jet/Database.h"

#include "platform/jet/Connection.h"
#include "platform/jet/Cursor.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Workspace.h"

#include <QFileInfo>
#include <QUrl>
#include <QVarLengthArray>

#include <sqlite3.h>

namespace jet {

namespace {
const QString kObject = QStringLiteral("Database");
}

Database::Database(std::shared_ptr<detail::Connection> connection, Workspace* workspace)
    : connection_(std::move(connection)), workspace_(workspace) {}

Database::~Database() { Close(); }

QString Database::Name() const { return connection_->path(); }
bool Database::IsOpen() const { return connection_->isOpen(); }
bool Database::IsExclusive() const { return connection_->exclusive(); }
bool Database::IsReadOnly() const { return connection_->readOnly(); }

std::shared_ptr<Recordset> Database::OpenRecordset(const QString& source, RecordsetType type,
                                                   const std::vector<rt::Variant>& params) {
  connection_->requireOpen(kObject);
  auto cursor = std::make_unique<detail::Cursor>(*connection_, type, source, params);
  auto rs = std::make_shared<Recordset>(connection_, std::move(cursor));
  connection_->addRecordset(rs);
  return rs;
}

namespace {

// Runs a cached statement whose markers `bind` binds, every one of them.
template <typename Bind>
int64_t executeCached(detail::Connection& connection, const QString& sql, const Bind& bind) {
  sqlite3_stmt* s = connection.cachedJet(sql, kObject);
  detail::StmtUse use(s, detail::StmtUse::Bindings::AllRebound);
  bind(s);
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) raiseSqlite(connection.db(), rc, kObject);
  return sqlite3_changes64(connection.db());
}

}  // namespace

int64_t Database::Execute(const QString& sql, int /*options*/, const std::vector<rt::Variant>& params) {
  // The texts' UTF-8, bound in place until the statement has run.
  QVarLengthArray<QByteArray, 16> utf8(static_cast<qsizetype>(params.size()));
  return executeCached(*connection_, sql, [&](sqlite3_stmt* s) {
    detail::bindAll(s, params, kObject, std::span<QByteArray>(utf8.data(), static_cast<size_t>(utf8.size())));
  });
}

int64_t Database::executeParams(const QString& sql, std::span<const Param> params) {
  return executeCached(*connection_, sql, [&](sqlite3_stmt* s) { detail::bindAll(s, params, kObject); });
}

std::unique_ptr<NativeQuery> Database::OpenNativeQuery(const QString& sql, const std::vector<rt::Variant>& params) {
  connection_->requireOpen(kObject);
  detail::StmtPtr s = connection_->prepare(sql, kObject);
  detail::bindAll(s.get(), params, kObject);
  return std::make_unique<NativeQuery>(connection_, std::move(s), sql);
}

void Database::AttachReadOnly(const QString& path, const QString& schema) {
  connection_->requireOpen(kObject);
  if (!QFileInfo::exists(path)) raise(err::kFileNotFound, kObject, path);
  // As a URI, so that SQLite opens it read-only; the path itself is never read as one.
  const QString uri = QStringLiteral("file:") +
                      QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/")) +
                      QStringLiteral("?mode=ro");
  detail::StmtPtr s =
      connection_->prepare(QStringLiteral("ATTACH DATABASE ?1 AS ") + detail::quoteName(schema), kObject);
  detail::bindVariant(s.get(), 1, rt::Variant(uri), kObject);
  if (const int rc = sqlite3_step(s.get()); rc != SQLITE_DONE) raiseSqlite(connection_->db(), rc, kObject);
}

void Database::Detach(const QString& schema) {
  connection_->exec(QStringLiteral("DETACH DATABASE ") + detail::quoteName(schema), kObject);
}

std::vector<std::shared_ptr<Recordset>> Database::Recordsets() const {
  connection_->requireOpen(kObject);
  return connection_->recordsets();
}

void Database::Close() {
  connection_->close();
  if (workspace_) {
    Workspace* ws = workspace_;
    workspace_ = nullptr;
    ws->forgetClosed();
  }
}

}  // namespace jet
