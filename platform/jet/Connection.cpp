#include "platform/jet/Connection.h"

#include "platform/jet/JetError.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Recordset.h"
#include "platform/runtime/TextCodec.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace jet::detail {

void StmtDeleter::operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }

StmtUse::~StmtUse() {
  sqlite3_reset(s_);
  if (bindings_ == Bindings::Clear) sqlite3_clear_bindings(s_);
}

ColumnInfo columnFromDecl(const QString& name, const QString& declType) {
  ColumnInfo c;
  c.name = name;
  const QString t = declType.trimmed().toUpper();
  c.declared = !t.isEmpty();
  if (t.isEmpty()) return c;
  if (t.contains(QLatin1String("BOOL")) || t.startsWith(QLatin1String("BIT")) || t.contains(QLatin1String("YESNO")))
    c.type = FieldType::Boolean;
  else if (t.contains(QLatin1String("DATE")))
    c.type = FieldType::Date;
  else if (t.contains(QLatin1String("MEMO")))
    c.type = FieldType::Memo;
  else if (t.contains(QLatin1String("BLOB")) || t.contains(QLatin1String("BINARY")))
    c.type = FieldType::LongBinary;
  else if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CLOB")))
    c.type = FieldType::Text;
  else if (t.contains(QLatin1String("INT")) || t.contains(QLatin1String("LONG")))
    c.type = FieldType::Long;
  else
    c.type = FieldType::Double;
  if (c.type == FieldType::Text) {
    static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    const auto m = size.match(t);
    c.size = m.hasMatch() ? m.captured(1).toInt() : 255;
  }
  return c;
}

namespace {

// A text SQLite is told to be NUL-terminated (length -1) is read in place where a C string is
// needed, as by a CHECK of its length; one given by its length is copied there first, for each
// row. Texts with a NUL inside go by their length, so that nothing of them is cut off.
int bindUtf8(sqlite3_stmt* s, int index, const char* data, qsizetype size, bool terminated, void (*destructor)(void*)) {
  if (terminated && std::memchr(data, 0, static_cast<size_t>(size)) == nullptr)
    return sqlite3_bind_text(s, index, data, -1, destructor);
  return sqlite3_bind_text64(s, index, data, static_cast<sqlite3_uint64>(size), destructor, SQLITE_UTF8);
}

}  // namespace

void bindVariant(sqlite3_stmt* s, int index, const rt::Variant& v, const QString& object, QByteArray* utf8) {
  int rc = SQLITE_OK;
  switch (v.type()) {
    case rt::Variant::Type::Empty:
    case rt::Variant::Type::Null:
      rc = sqlite3_bind_null(s, index);
      break;
    case rt::Variant::Type::Boolean:
      rc = sqlite3_bind_int64(s, index, v.toBool() ? -1 : 0);
      break;
    case rt::Variant::Type::Long:
      rc = sqlite3_bind_int64(s, index, v.toLong());
      break;
    case rt::Variant::Type::Double:
    case rt::Variant::Type::Date:
      rc = sqlite3_bind_double(s, index, v.toDouble());
      break;
    case rt::Variant::Type::Text: {
      // An unpaired surrogate must not become "?", a wildcard of Like.
      QByteArray local;
      QByteArray& u = utf8 ? *utf8 : local;
      u = rt::encodeUtf8(v.toText());
      rc = bindUtf8(s, index, u.constData(), u.size(), true, utf8 ? SQLITE_STATIC : SQLITE_TRANSIENT);
      break;
    }
    case rt::Variant::Type::Binary: {
      const QByteArray b = v.toBinary();
      rc = sqlite3_bind_blob64(s, index, b.constData(), static_cast<sqlite3_uint64>(b.size()), SQLITE_TRANSIENT);
      break;
    }
  }
  // A value SQLite refused leaves the parameter Null: the statement must not run with it.
  if (rc != SQLITE_OK) raiseSqlite(sqlite3_db_handle(s), rc, object);
}

void bindAll(sqlite3_stmt* s, const std::vector<rt::Variant>& params, const QString& object,
             std::span<QByteArray> utf8) {
  if (sqlite3_bind_parameter_count(s) != static_cast<int>(params.size()))
    raise(err::kSyntax, object, QStringLiteral("Anzahl der Parameter stimmt nicht"));
  const bool keep = utf8.size() >= params.size();
  for (size_t i = 0; i < params.size(); ++i)
    bindVariant(s, static_cast<int>(i) + 1, params[i], object, keep ? &utf8[i] : nullptr);
}

void bindParam(sqlite3_stmt* s, int index, const Param& p, const QString& object) {
  int rc = SQLITE_OK;
  switch (p.kind()) {
    case Param::Kind::Null:
      rc = sqlite3_bind_null(s, index);
      break;
    case Param::Kind::Long:
      rc = sqlite3_bind_int64(s, index, p.toLong());
      break;
    case Param::Kind::Double:
      rc = sqlite3_bind_double(s, index, p.toDouble());
      break;
    case Param::Kind::Utf8: {
      // An empty view may have no storage; SQLite would take a null pointer for Null.
      const std::string_view b = p.bytes();
      rc = b.data() ? bindUtf8(s, index, b.data(), static_cast<qsizetype>(b.size()), p.terminated(), SQLITE_STATIC)
                    : sqlite3_bind_text64(s, index, "", 0, SQLITE_STATIC, SQLITE_UTF8);
      break;
    }
    case Param::Kind::Text: {
      const QByteArray u = rt::encodeUtf8(p.textView());
      rc = bindUtf8(s, index, u.constData(), u.size(), true, SQLITE_TRANSIENT);
      break;
    }
    case Param::Kind::Binary: {
      const std::string_view b = p.bytes();
      rc =
          sqlite3_bind_blob64(s, index, b.data() ? b.data() : "", static_cast<sqlite3_uint64>(b.size()), SQLITE_STATIC);
      break;
    }
  }
  if (rc != SQLITE_OK) raiseSqlite(sqlite3_db_handle(s), rc, object);
}

void bindAll(sqlite3_stmt* s, std::span<const Param> params, const QString& object) {
  if (sqlite3_bind_parameter_count(s) != static_cast<int>(params.size()))
    raise(err::kSyntax, object, QStringLiteral("Anzahl der Parameter stimmt nicht"));
  for (size_t i = 0; i < params.size(); ++i) bindParam(s, static_cast<int>(i) + 1, params[i], object);
}

rt::Variant columnVariant(sqlite3_stmt* s, int i, const ColumnInfo& col) {
  switch (sqlite3_column_type(s, i)) {
    case SQLITE_NULL:
      return rt::Null;
    case SQLITE_INTEGER: {
      const int64_t n = sqlite3_column_int64(s, i);
      if (col.type == FieldType::Boolean) return rt::Variant(n != 0);
      if (col.type == FieldType::Date) return rt::Variant::date(static_cast<double>(n));
      if (col.type == FieldType::Double) return rt::Variant(static_cast<double>(n));
      return rt::Variant(static_cast<long long>(n));
    }
    case SQLITE_FLOAT: {
      const double d = sqlite3_column_double(s, i);
      if (col.type == FieldType::Date) return rt::Variant::date(d);
      if (col.type == FieldType::Boolean) return rt::Variant(d != 0);
      return rt::Variant(d);
    }
    case SQLITE_TEXT: {
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
      const int n = sqlite3_column_bytes(s, i);
      if (col.type == FieldType::LongBinary) return rt::Variant(QByteArray(p, n));
      return rt::Variant(QString::fromUtf8(p, n));
    }
    default: {
      const auto* p = static_cast<const char*>(sqlite3_column_blob(s, i));
      const int n = sqlite3_column_bytes(s, i);
      return rt::Variant(QByteArray(p, n));
    }
  }
}

namespace {

bool numberFrom(const rt::Variant& v, double& out) {
  if (v.isNumeric()) {
    out = v.toDouble();
    return true;
  }
  if (v.isText()) {
    bool ok = false;
    const QString t = v.toText().trimmed();
    out = QLocale().toDouble(t, &ok);
    if (!ok) out = QLocale::c().toDouble(t, &ok);
    return ok;
  }
  return false;
}

}  // namespace

rt::Variant convertForField(const rt::Variant& v, const ColumnInfo& col, const QString& object) {
  if (v.isEmpty() || v.isNull()) return rt::Null;
  if (!col.declared) return v;
  double d = 0;
  switch (col.type) {
    case FieldType::Boolean:
      if (!numberFrom(v, d)) raise(err::kTypeConversion, object, col.name);
      return rt::Variant(d != 0);
    case FieldType::Long: {
      if (!numberFrom(v, d)) raise(err::kTypeConversion, object, col.name);
      const double r = std::nearbyint(d);
      if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        raise(err::kValueTooLarge, object, col.name);
      return rt::Variant(static_cast<long long>(r));
    }
    case FieldType::Double:
      if (!numberFrom(v, d)) raise(err::kTypeConversion, object, col.name);
      return rt::Variant(d);
    case FieldType::Date:
      if (v.type() == rt::Variant::Type::Text) {
        const QDateTime dt = v.toDateTime();
        if (!dt.isValid()) raise(err::kTypeConversion, object, col.name);
        return rt::Variant::date(rt::oleDateFromDateTime(dt));
      }
      if (!numberFrom(v, d)) raise(err::kTypeConversion, object, col.name);
      return rt::Variant::date(d);
    case FieldType::Text:
    case FieldType::Memo: {
      if (v.type() == rt::Variant::Type::Binary) raise(err::kTypeConversion, object, col.name);
      const QString t = v.toText();
      if (col.type == FieldType::Text && col.size > 0 && t.size() > col.size)
        raise(err::kValueTooLarge, object, col.name);
      return rt::Variant(t);
    }
    case FieldType::LongBinary:
      if (v.type() == rt::Variant::Type::Binary) return v;
      if (v.isText()) return rt::Variant(v.toText().toUtf8());
      raise(err::kTypeConversion, object, col.name);
  }
  return v;
}

void assignForField(const rt::Variant& v, const ColumnInfo& col, const QString& object, rt::Variant& out) {
  using T = rt::Variant::Type;
  bool asItIs = !col.declared && !v.isEmpty();
  if (!asItIs) {
    switch (col.type) {
      case FieldType::Long:
        asItIs = v.type() == T::Long && v.toLong() >= std::numeric_limits<int32_t>::min() &&
                 v.toLong() <= std::numeric_limits<int32_t>::max();
        break;
      case FieldType::Double:
        asItIs = v.type() == T::Double;
        break;
      case FieldType::Date:
        asItIs = v.type() == T::Date;
        break;
      case FieldType::Text:
        asItIs = v.type() == T::Text && (col.size <= 0 || v.toText().size() <= col.size);
        break;
      case FieldType::Memo:
        asItIs = v.type() == T::Text;
        break;
      default:
        break;
    }
  }
  if (asItIs || v.isNull())
    out = v;
  else
    out = convertForField(v, col, object);
}

QString quoteName(const QString& name) {
  QString q = name;
  q.replace(QLatin1Char('"'), QLatin1String("\"\""));
  return QLatin1Char('"') + q + QLatin1Char('"');
}

Connection::Connection(sqlite3* db, QString path, bool exclusive, bool readOnly, std::unique_ptr<FileLock> lock)
    : db_(db), path_(std::move(path)), exclusive_(exclusive), readOnly_(readOnly), lock_(std::move(lock)) {}

Connection::~Connection() { close(); }

void Connection::requireOpen(const QString& object) const {
  if (!db_) raise(err::kObjectInvalid, object);
}

sqlite3_stmt* Connection::cached(const QString& sql, const QString& object) {
  requireOpen(object);
  checkTransaction(object);
  auto it = cache_.constFind(sql);
  if (it != cache_.constEnd()) return it.value();
  StmtPtr s = prepare(sql, object);
  sqlite3_stmt* raw = s.release();
  cache_.insert(sql, raw);
  return raw;
}

sqlite3_stmt* Connection::cachedJet(const QString& jetSql, const QString& object) {
  requireOpen(object);
  checkTransaction(object);
  for (const RecentJet& r : recentJet_)
    if (r.statement && r.sql.constData() == jetSql.constData() && r.sql.size() == jetSql.size()) return r.statement;
  sqlite3_stmt* raw = nullptr;
  if (auto it = jetCache_.constFind(jetSql); it != jetCache_.constEnd()) {
    raw = it.value();
  } else {
    StmtPtr s = prepare(translateJetSql(jetSql, textColumns()), object);
    // Statements and criteria carry values and keep coming; a long session must not keep every
    // one of them prepared.
    constexpr qsizetype kMaxJetStatements = 256;
    if (jetCache_.size() >= kMaxJetStatements) {
      forgetRecentJet();
      for (sqlite3_stmt* old : std::as_const(jetCache_)) sqlite3_finalize(old);
      jetCache_.clear();
    }
    raw = s.release();
    jetCache_.insert(jetSql, raw);
  }
  recentJet_[nextRecentJet_] = {jetSql, raw};
  nextRecentJet_ = (nextRecentJet_ + 1) % recentJet_.size();
  return raw;
}

void Connection::forgetRecentJet() {
  recentJet_.fill({});
  nextRecentJet_ = 0;
}

bool Connection::transactionLost() const { return txDepth_ > 0 && db_ && sqlite3_get_autocommit(db_); }

void Connection::checkTransaction(const QString& object) const {
  if (transactionLost()) raise(err::kTransactionLost, object);
}

StmtPtr Connection::prepare(const QString& sql, const QString& object) {
  requireOpen(object);
  checkTransaction(object);
  const QByteArray u = sql.toUtf8();
  sqlite3_stmt* s = nullptr;
  const char* tail = nullptr;
  const int rc =
      sqlite3_prepare_v3(db_, u.constData(), static_cast<int>(u.size()), SQLITE_PREPARE_PERSISTENT, &s, &tail);
  StmtPtr owned(s);
  if (rc != SQLITE_OK) raiseSqlite(db_, rc, object);
  if (!s) raise(err::kSyntax, object, QStringLiteral("leerer SQL-Text"));
  // One statement per text: anything after it would be silently dropped otherwise.
  if (tail && QByteArray(tail).trimmed().replace(';', "").size() > 0)
    raise(err::kSyntax, object, QStringLiteral("mehrere Anweisungen"));
  return owned;
}

void Connection::exec(const QString& sql, const QString& object) {
  StmtPtr s = prepare(sql, object);
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) raiseSqlite(db_, rc, object);
}

QString Connection::tableName(const QString& name) {
  sqlite3_stmt* s = cached(QStringLiteral("SELECT name FROM sqlite_schema WHERE type IN ('table','view') "
                                          "AND name = ?1 COLLATE NOCASE"),
                           QStringLiteral("Database"));
  StmtUse use(s);
  bindVariant(s, 1, rt::Variant(name), QStringLiteral("Database"));
  if (sqlite3_step(s) != SQLITE_ROW) return QString();
  return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
}

const TextColumns& Connection::textColumns() {
  requireOpen(QStringLiteral("Database"));
  if (!textColumns_) textColumns_ = textColumnsOf(db_);
  return *textColumns_;
}

const std::vector<ColumnInfo>& Connection::tableColumns(const QString& table, const QString& object) {
  auto it = tables_.constFind(table);
  if (it != tables_.constEnd()) return it.value();
  sqlite3_stmt* s = cached(QStringLiteral("SELECT name, type, \"notnull\" FROM pragma_table_info(?1)"), object);
  StmtUse use(s);
  bindVariant(s, 1, rt::Variant(table), object);
  std::vector<ColumnInfo> cols;
  while (sqlite3_step(s) == SQLITE_ROW) {
    ColumnInfo c = columnFromDecl(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))),
                                  QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 1))));
    c.notNull = sqlite3_column_int(s, 2) != 0;
    cols.push_back(c);
  }
  if (cols.empty()) raise(err::kUnknownTable, object, table);
  return tables_.insert(table, cols).value();
}

void Connection::addRecordset(const std::shared_ptr<Recordset>& rs) {
  std::erase_if(recordsets_, [](const auto& w) { return w.expired(); });
  recordsets_.push_back(rs);
}

std::vector<std::shared_ptr<Recordset>> Connection::recordsets() {
  std::vector<std::shared_ptr<Recordset>> open;
  for (const auto& w : recordsets_)
    if (auto rs = w.lock(); rs && rs->IsOpen()) open.push_back(rs);
  return open;
}

void Connection::close() {
  if (!db_) return;
  for (auto& rs : recordsets()) rs->Close();
  recordsets_.clear();
  for (sqlite3_stmt* s : std::as_const(cache_)) sqlite3_finalize(s);
  cache_.clear();
  forgetRecentJet();
  for (sqlite3_stmt* s : std::as_const(jetCache_)) sqlite3_finalize(s);
  jetCache_.clear();
  tables_.clear();
  textColumns_.reset();
  sqlite3_close_v2(db_);
  db_ = nullptr;
  // Only after SQLite let go of the file (see FileLock).
  lock_.reset();
}

}  // namespace jet::detail
