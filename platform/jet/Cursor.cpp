#include "platform/jet/Cursor.h"

#include "platform/jet/JetError.h"
#include "platform/jet/JetSql.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace jet::detail {

namespace {
QString text(sqlite3_stmt* s, int i) {
  return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)));
}

// Makes the check of a row and its write one step for every other opener: outside a
// transaction of the workspace (which holds the write lock already) a transaction of its own
// that takes the write lock before the row is read again.
class WriteStep {
 public:
  WriteStep(Connection& conn, const QString& object) : conn_(conn), own_(sqlite3_get_autocommit(conn.db()) != 0) {
    if (own_) conn_.exec(QStringLiteral("BEGIN IMMEDIATE"), object);
  }
  ~WriteStep() {
    if (own_ && !done_ && !sqlite3_get_autocommit(conn_.db()))
      sqlite3_exec(conn_.db(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  WriteStep(const WriteStep&) = delete;
  WriteStep& operator=(const WriteStep&) = delete;

  void commit(const QString& object) {
    if (own_) conn_.exec(QStringLiteral("COMMIT"), object);
    done_ = true;
  }

 private:
  Connection& conn_;
  bool own_;
  bool done_ = false;
};
}  // namespace

Cursor::Cursor(Connection& conn, RecordsetType t, QString src, std::vector<rt::Variant> params)
    : type(t), source(std::move(src)), conn_(conn), params_(std::move(params)) {
  table = conn_.tableName(source.trimmed());
  if (type == RecordsetType::Table) {
    if (table.isEmpty()) {
      if (source.trimmed().contains(QLatin1Char(' '))) raise(err::kNotSupported, object(), source);
      raise(err::kUnknownTable, object(), source);
    }
    columns = conn_.tableColumns(table, object());
    editable_ = !conn_.readOnly();
    moveFirst();
    return;
  }
  if (!table.isEmpty()) {
    columns = conn_.tableColumns(table, object());
    stmt_ = conn_.prepare(QStringLiteral("SELECT rowid, * FROM ") + quoteName(table), object());
    hiddenCols_ = 1;
    editable_ = type == RecordsetType::Dynaset && !conn_.readOnly();
  } else {
    // A bare name that is no table is an unknown table, not a bad SQL text.
    static const QRegularExpression bareName(QStringLiteral("^\\[?[\\w ]+\\]?$"));
    if (bareName.match(source.trimmed()).hasMatch() && !source.trimmed().contains(QLatin1Char(' ')))
      raise(err::kUnknownTable, object(), source);
    stmt_ = conn_.prepare(translateJetSql(source, conn_.textColumns()), object());
    if (!sqlite3_stmt_readonly(stmt_.get())) raise(err::kNotSupported, object(), source);
    const int n = sqlite3_column_count(stmt_.get());
    for (int i = 0; i < n; ++i) {
      const char* decl = sqlite3_column_decltype(stmt_.get(), i);
      columns.push_back(columnFromDecl(QString::fromUtf8(sqlite3_column_name(stmt_.get(), i)),
                                       decl ? QString::fromUtf8(decl) : QString()));
    }
  }
  bindAll(stmt_.get(), params_, object());
  if (type == RecordsetType::Dynaset) {
    loadDynaset();
    positionDynaset(0);
  } else {
    moveNext();
    bof = !hasCurrent;
  }
}

void Cursor::setNoCurrent(bool atBof, bool atEof) {
  hasCurrent = false;
  bof = atBof;
  eof = atEof;
}

// ---- table kind -------------------------------------------------------------------------

QString Cursor::keyTerm(const QString& column) const {
  const int i = fieldIndex(column);
  const bool text = i >= 0 && (columns[i].type == FieldType::Text || columns[i].type == FieldType::Memo);
  // Texts of a key compare and sort as the program compares them; the schema names no collation.
  return text ? quoteName(column) + QStringLiteral(" COLLATE ") + QString::fromLatin1(kTextCollation)
              : quoteName(column);
}

QString Cursor::orderBy(bool desc) const {
  QStringList parts;
  for (const QString& k : keyCols_) parts << keyTerm(k) + (desc ? QStringLiteral(" DESC") : QString());
  parts << (desc ? QStringLiteral("rowid DESC") : QStringLiteral("rowid"));
  return QStringLiteral(" ORDER BY ") + parts.join(QStringLiteral(", ")) + QStringLiteral(" LIMIT 1");
}

QString Cursor::keyTuple() const {
  QStringList parts;
  for (const QString& k : keyCols_) parts << keyTerm(k);
  parts << QStringLiteral("rowid");
  return QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

bool Cursor::tableFetch(sqlite3_stmt* s) {
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE) return false;
  if (rc != SQLITE_ROW) raiseSqlite(conn_.db(), rc, object());
  rowid = sqlite3_column_int64(s, 0);
  row.resize(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) row[i] = columnVariant(s, static_cast<int>(i) + 1, columns[i]);
  hasCurrent = true;
  bof = eof = false;
  return true;
}

void Cursor::tableStep(bool forward, bool fromCurrent) {
  QString sql = QStringLiteral("SELECT rowid, * FROM ") + quoteName(table);
  std::vector<rt::Variant> bind;
  const bool haveKey = fromCurrent && !row.empty();
  if (haveKey) {
    QStringList marks;
    for (const QString& k : keyCols_) {
      bind.push_back(row[fieldIndex(k)]);
      marks << QStringLiteral("?");
    }
    bind.push_back(rt::Variant(static_cast<long long>(rowid)));
    marks << QStringLiteral("?");
    sql += QStringLiteral(" WHERE ") + keyTuple() + (forward ? QStringLiteral(" > (") : QStringLiteral(" < (")) +
           marks.join(QStringLiteral(", ")) + QLatin1Char(')');
  }
  sql += orderBy(!forward);
  sqlite3_stmt* s = conn_.cached(sql, object());
  StmtUse use(s);
  for (size_t i = 0; i < bind.size(); ++i) bindVariant(s, static_cast<int>(i) + 1, bind[i], object());
  if (!tableFetch(s)) setNoCurrent(!forward || !haveKey ? true : false, forward || !haveKey);
}

void Cursor::setIndex(const QString& name) {
  if (type != RecordsetType::Table) raise(err::kNotSupported, object(), name);
  QStringList cols;
  if (name.compare(QLatin1String("PrimaryKey"), Qt::CaseInsensitive) == 0) {
    sqlite3_stmt* s =
        conn_.cached(QStringLiteral("SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk"), object());
    StmtUse use(s);
    bindVariant(s, 1, rt::Variant(table), object());
    while (sqlite3_step(s) == SQLITE_ROW) cols << text(s, 0);
    if (cols.isEmpty()) raise(err::kNotInCollection, object(), name);
  } else {
    // A named index of the table: "<name>", or "<table>_<name>" / "<table>__<name>".
    sqlite3_stmt* s =
        conn_.cached(QStringLiteral("SELECT ii.name FROM pragma_index_list(?1) AS il, pragma_index_info(il.name) AS ii "
                                    "WHERE il.name = ?2 COLLATE NOCASE OR il.name = ?1 || '_' || ?2 COLLATE NOCASE "
                                    "OR il.name = ?1 || '__' || ?2 COLLATE NOCASE ORDER BY il.name, ii.seqno"),
                     object());
    StmtUse use(s);
    bindVariant(s, 1, rt::Variant(table), object());
    bindVariant(s, 2, rt::Variant(name), object());
    while (sqlite3_step(s) == SQLITE_ROW) cols << text(s, 0);
    if (cols.isEmpty()) raise(err::kNotInCollection, object(), name);
  }
  // A single INTEGER PRIMARY KEY is the row order itself.
  if (cols.size() == 1 && columns[fieldIndex(cols[0])].type == FieldType::Long &&
      name.compare(QLatin1String("PrimaryKey"), Qt::CaseInsensitive) == 0) {
    sqlite3_stmt* s = conn_.cached(
        QStringLiteral("SELECT count(*) FROM pragma_table_info(?1) WHERE pk = 1 AND upper(type) = 'INTEGER'"),
        object());
    StmtUse use(s);
    bindVariant(s, 1, rt::Variant(table), object());
    if (sqlite3_step(s) == SQLITE_ROW && sqlite3_column_int(s, 0) == 1) cols.clear();
  }
  keyCols_ = cols;
  indexName = name;
  moveFirst();
}

void Cursor::seek(const std::vector<rt::Variant>& key) {
  if (type != RecordsetType::Table) raise(err::kNotSupported, object());
  if (indexName.isEmpty()) raise(err::kNoIndex, object());
  const QStringList cols = keyCols_.isEmpty() ? QStringList{QStringLiteral("rowid")} : keyCols_;
  if (key.empty() || key.size() > static_cast<size_t>(cols.size())) raise(err::kSyntax, object(), indexName);
  QStringList conds;
  for (size_t i = 0; i < key.size(); ++i)
    conds << (cols[i] == QLatin1String("rowid") ? cols[i] : keyTerm(cols[i])) + QStringLiteral(" = ?");
  sqlite3_stmt* s = conn_.cached(QStringLiteral("SELECT rowid, * FROM ") + quoteName(table) +
                                     QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND ")) + orderBy(false),
                                 object());
  StmtUse use(s);
  for (size_t i = 0; i < key.size(); ++i) {
    const int col = cols[i] == QLatin1String("rowid") ? -1 : fieldIndex(cols[i]);
    rt::Variant v = key[i];
    if (col >= 0 && columns[col].type == FieldType::Long && v.isText()) v = convertForField(v, columns[col], object());
    bindVariant(s, static_cast<int>(i) + 1, v, object());
  }
  noMatch = !tableFetch(s);
  if (noMatch) {
    hasCurrent = false;
    row.clear();
  }
}

// ---- query kinds ------------------------------------------------------------------------

void Cursor::readRow() {
  row.resize(columns.size());
  for (size_t i = 0; i < columns.size(); ++i)
    row[i] = columnVariant(stmt_.get(), static_cast<int>(i) + hiddenCols_, columns[i]);
  rowid = hiddenCols_ ? sqlite3_column_int64(stmt_.get(), 0) : 0;
}

bool Cursor::stepQuery() {
  const int rc = sqlite3_step(stmt_.get());
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) raiseSqlite(conn_.db(), rc, object());
  return false;
}

void Cursor::restart() {
  sqlite3_reset(stmt_.get());
  position = -1;
  // Back before the first row: the end reached earlier must not stop the next moves.
  eof = false;
}

void Cursor::loadDynaset() {
  rows_.clear();
  rowids_.clear();
  while (stepQuery()) {
    readRow();
    rows_.push_back(row);
    rowids_.push_back(rowid);
  }
  sqlite3_reset(stmt_.get());
  complete_ = true;
}

void Cursor::positionDynaset(int64_t i) {
  const int64_t n = static_cast<int64_t>(rows_.size());
  if (i < 0) {
    position = -1;
    setNoCurrent(true, n == 0);
  } else if (i >= n) {
    position = n;
    setNoCurrent(n == 0, true);
  } else {
    position = i;
    row = rows_[i];
    rowid = rowids_[i];
    hasCurrent = true;
    bof = eof = false;
  }
}

// ---- moves ------------------------------------------------------------------------------

void Cursor::moveFirst() {
  switch (type) {
    case RecordsetType::Table:
      tableStep(true, false);
      if (!hasCurrent) setNoCurrent(true, true);
      return;
    case RecordsetType::Dynaset:
      if (rows_.empty()) raise(err::kNoCurrentRecord, object());
      positionDynaset(0);
      return;
    case RecordsetType::ForwardOnly:
      if (position > 0) raise(err::kNotSupported, object());
      if (!hasCurrent) raise(err::kNoCurrentRecord, object());
      return;
    case RecordsetType::Snapshot:
      restart();
      moveNext();
      if (!hasCurrent) raise(err::kNoCurrentRecord, object());
      return;
  }
}

void Cursor::moveNext() {
  if (type != RecordsetType::Table && eof && position >= 0) raise(err::kNoCurrentRecord, object());
  switch (type) {
    case RecordsetType::Table:
      if (eof) raise(err::kNoCurrentRecord, object());
      tableStep(true, !bof);
      return;
    case RecordsetType::Dynaset:
      positionDynaset(position + 1);
      return;
    default:
      if (stepQuery()) {
        ++position;
        known_ = std::max(known_, position + 1);
        readRow();
        hasCurrent = true;
        bof = eof = false;
      } else {
        complete_ = true;
        known_ = position + 1;
        position = known_;
        setNoCurrent(known_ == 0, true);
      }
      return;
  }
}

void Cursor::movePrevious() {
  switch (type) {
    case RecordsetType::Table:
      if (bof) raise(err::kNoCurrentRecord, object());
      tableStep(false, !eof);
      return;
    case RecordsetType::Dynaset:
      if (bof) raise(err::kNoCurrentRecord, object());
      positionDynaset(position - 1);
      return;
    case RecordsetType::ForwardOnly:
      raise(err::kNotSupported, object());
    case RecordsetType::Snapshot: {
      if (bof) raise(err::kNoCurrentRecord, object());
      const int64_t target = position - 1;
      restart();
      for (int64_t i = 0; i <= target; ++i) moveNext();
      if (target < 0) setNoCurrent(true, known_ == 0);
      return;
    }
  }
}

void Cursor::moveLast() {
  switch (type) {
    case RecordsetType::Table:
      tableStep(false, false);
      if (!hasCurrent) raise(err::kNoCurrentRecord, object());
      return;
    case RecordsetType::Dynaset:
      if (rows_.empty()) raise(err::kNoCurrentRecord, object());
      positionDynaset(static_cast<int64_t>(rows_.size()) - 1);
      return;
    case RecordsetType::ForwardOnly:
      raise(err::kNotSupported, object());
    case RecordsetType::Snapshot: {
      // Count without converting rows, then step once more to the last one.
      if (!complete_) {
        int64_t n = position + 1;
        if (position < 0 || hasCurrent)
          while (stepQuery()) ++n;
        known_ = std::max(known_, n);
        complete_ = true;
      }
      if (known_ == 0) raise(err::kNoCurrentRecord, object());
      restart();
      for (int64_t i = 0; i < known_ - 1; ++i) stepQuery();
      position = known_ - 2;
      moveNext();
      return;
    }
  }
}

// The one row of a count; a count that failed (a damaged file) raises instead of giving 0.
int64_t Cursor::countOf(sqlite3_stmt* s) const {
  const int rc = sqlite3_step(s);
  if (rc != SQLITE_ROW) raiseSqlite(conn_.db(), rc, object());
  return sqlite3_column_int64(s, 0);
}

int64_t Cursor::recordCount() {
  if (type == RecordsetType::Table) {
    sqlite3_stmt* s = conn_.cached(QStringLiteral("SELECT count(*) FROM ") + quoteName(table), object());
    StmtUse use(s);
    return countOf(s);
  }
  if (type == RecordsetType::Dynaset) return static_cast<int64_t>(rows_.size());
  return known_;
}

double Cursor::percentPosition() {
  if (!hasCurrent) return 0;
  const int64_t count = recordCount();
  if (count <= 0) return 0;
  int64_t pos = position;
  if (type == RecordsetType::Table) {
    std::vector<rt::Variant> bind;
    QStringList marks;
    for (const QString& k : keyCols_) {
      bind.push_back(row[fieldIndex(k)]);
      marks << QStringLiteral("?");
    }
    bind.push_back(rt::Variant(static_cast<long long>(rowid)));
    marks << QStringLiteral("?");
    sqlite3_stmt* s =
        conn_.cached(QStringLiteral("SELECT count(*) FROM ") + quoteName(table) + QStringLiteral(" WHERE ") +
                         keyTuple() + QStringLiteral(" < (") + marks.join(QStringLiteral(", ")) + QLatin1Char(')'),
                     object());
    StmtUse use(s);
    for (size_t i = 0; i < bind.size(); ++i) bindVariant(s, static_cast<int>(i) + 1, bind[i], object());
    pos = countOf(s);
  }
  return 100.0 * static_cast<double>(pos) / static_cast<double>(count);
}

// ---- searching --------------------------------------------------------------------------

bool Cursor::matches(const QString& criteria) {
  sqlite3_stmt* s = conn_.cachedJet(QStringLiteral("SELECT 1 FROM [") + table +
                                        QStringLiteral("] WHERE rowid = ? AND (") + criteria + QStringLiteral(")"),
                                    object());
  StmtUse use(s);
  bindVariant(s, 1, rt::Variant(static_cast<long long>(rowid)), object());
  const int rc = sqlite3_step(s);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) raiseSqlite(conn_.db(), rc, object());
  return rc == SQLITE_ROW;
}

void Cursor::find(const QString& criteria, bool fromStart) {
  if (type == RecordsetType::Table || type == RecordsetType::ForwardOnly || table.isEmpty())
    raise(err::kNotSupported, object(), criteria);
  const int64_t saved = hasCurrent ? position : -1;
  const bool savedHas = hasCurrent;
  const bool savedBof = bof, savedEof = eof;
  const int64_t start = fromStart ? 0 : position + 1;
  if (type == RecordsetType::Dynaset) {
    for (int64_t i = std::max<int64_t>(start, 0); i < static_cast<int64_t>(rows_.size()); ++i) {
      rowid = rowids_[i];
      if (matches(criteria)) {
        positionDynaset(i);
        noMatch = false;
        return;
      }
    }
    noMatch = true;
    if (savedHas)
      positionDynaset(saved);
    else {
      position = saved;
      setNoCurrent(savedBof, savedEof);
    }
    return;
  }
  // Snapshot: step from the start position.
  restart();
  for (int64_t i = 0; i < start; ++i) stepQuery();
  position = start - 1;
  for (;;) {
    moveNext();
    if (!hasCurrent) break;
    if (matches(criteria)) {
      noMatch = false;
      return;
    }
  }
  noMatch = true;
  restart();
  for (int64_t i = 0; i <= saved; ++i) moveNext();
  if (!savedHas) {
    position = saved;
    setNoCurrent(savedBof, savedEof);
  }
}

// ---- editing ----------------------------------------------------------------------------

int Cursor::fieldIndex(const QString& name) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  return -1;
}

const rt::Variant& Cursor::value(int i) const {
  if (mode == EditMode::Add && !dirty[i]) return rt::Null;
  if (mode != EditMode::None) return buffer[i];
  if (!hasCurrent) raise(err::kNoCurrentRecord, object());
  return row[i];
}

void Cursor::update() {
  if (mode == EditMode::None) raise(err::kUpdateWithoutEdit, object());
  if (mode == EditMode::Add) {
    // SQLite would number a Null integer key itself; keys are the program's to allocate.
    for (size_t i = 0; i < columns.size(); ++i)
      if (columns[i].notNull && (!dirty[i] || buffer[i].isNull() || buffer[i].isEmpty()))
        raise(err::kRequiredField, object(), columns[i].name);
  }
  if (mode == EditMode::Add && type == RecordsetType::Table && insert_ && dirty == insertMask_) {
    conn_.checkTransaction(object());
    // Every marker is a dirty field, bound here on each use.
    StmtUse use(insert_, StmtUse::Bindings::AllRebound);
    insertUtf8_.resize(columns.size());
    int n = 0;
    for (size_t i = 0; i < columns.size(); ++i)
      if (dirty[i]) bindVariant(insert_, ++n, buffer[i], object(), &insertUtf8_[i]);
    const int rc = sqlite3_step(insert_);
    if (rc != SQLITE_DONE) raiseSqlite(conn_.db(), rc, object());
    mode = EditMode::None;
    return;
  }
  QStringList names, marks;
  std::vector<rt::Variant> bind;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!dirty[i]) continue;
    names << quoteName(columns[i].name);
    bind.push_back(buffer[i]);
  }
  QString sql;
  if (mode == EditMode::Add) {
    for (int i = 0; i < names.size(); ++i) marks << QStringLiteral("?");
    sql = names.isEmpty() ? QStringLiteral("INSERT INTO ") + quoteName(table) + QStringLiteral(" DEFAULT VALUES")
                          : QStringLiteral("INSERT INTO ") + quoteName(table) + QStringLiteral(" (") +
                                names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                                marks.join(QStringLiteral(", ")) + QLatin1Char(')');
  } else {
    if (names.isEmpty()) {
      mode = EditMode::None;
      return;
    }
    for (QString& n : names) n += QStringLiteral(" = ?");
    sql = QStringLiteral("UPDATE ") + quoteName(table) + QStringLiteral(" SET ") + names.join(QStringLiteral(", ")) +
          QStringLiteral(" WHERE rowid = ?");
    bind.push_back(rt::Variant(static_cast<long long>(rowid)));
  }
  sqlite3_stmt* s = conn_.cached(sql, object());
  if (mode == EditMode::Add) {
    insert_ = s;
    insertMask_ = dirty;
  }
  std::optional<WriteStep> step;
  if (mode == EditMode::InProgress) {
    step.emplace(conn_, object());
    checkUnchangedSinceRead();
  }
  {
    StmtUse use(s);
    for (size_t i = 0; i < bind.size(); ++i) bindVariant(s, static_cast<int>(i) + 1, bind[i], object());
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE) raiseSqlite(conn_.db(), rc, object());
    // The row went away under the edit (deleted through another set or a statement): the
    // edit is lost, and the caller must hear it.
    if (mode == EditMode::InProgress && sqlite3_changes(conn_.db()) == 0) {
      mode = EditMode::None;
      raise(err::kRecordDeleted, object());
    }
  }
  if (step) step->commit(object());
  const EditMode was = mode;
  mode = EditMode::None;
  if (was == EditMode::Add) {
    if (type == RecordsetType::Dynaset) {
      // The new row joins the set at its end, as re-read from the table.
      const int64_t id = sqlite3_last_insert_rowid(conn_.db());
      sqlite3_stmt* r = conn_.cached(
          QStringLiteral("SELECT rowid, * FROM ") + quoteName(table) + QStringLiteral(" WHERE rowid = ?"), object());
      StmtUse use(r);
      bindVariant(r, 1, rt::Variant(static_cast<long long>(id)), object());
      const std::vector<rt::Variant> keep = row;
      const int64_t keepId = rowid;
      const bool keepHas = hasCurrent;
      if (tableFetch(r)) {
        rows_.push_back(row);
        rowids_.push_back(rowid);
      }
      row = keep;
      rowid = keepId;
      hasCurrent = keepHas;
      if (!hasCurrent) positionDynaset(position);
    }
    return;
  }
  // Edit: re-read the row, the table may have changed values (defaults, triggers).
  sqlite3_stmt* r = conn_.cached(
      QStringLiteral("SELECT rowid, * FROM ") + quoteName(table) + QStringLiteral(" WHERE rowid = ?"), object());
  StmtUse use(r);
  bindVariant(r, 1, rt::Variant(static_cast<long long>(rowid)), object());
  if (tableFetch(r) && type == RecordsetType::Dynaset) rows_[position] = row;
}

// Another opener (or another set of this one) may have written the row since it was read:
// a field this edit writes that no longer holds the value the edit began from would lose that
// write unseen. The edit is refused then, and the set holds the row as it is stored now, so
// that a new edit starts from it. Fields the edit leaves alone are not written and need no
// check.
void Cursor::checkUnchangedSinceRead() {
  const std::vector<rt::Variant> read = row;
  sqlite3_stmt* r = conn_.cached(
      QStringLiteral("SELECT rowid, * FROM ") + quoteName(table) + QStringLiteral(" WHERE rowid = ?"), object());
  StmtUse use(r);
  bindVariant(r, 1, rt::Variant(static_cast<long long>(rowid)), object());
  if (!tableFetch(r)) {
    mode = EditMode::None;
    raise(err::kRecordDeleted, object());
  }
  if (type == RecordsetType::Dynaset) rows_[position] = row;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (dirty[i] && i < read.size() && row[i] != read[i]) {
      mode = EditMode::None;
      raise(err::kWriteConflict, object());
    }
  }
}

void Cursor::remove() {
  if (!editable_ || table.isEmpty()) raise(err::kReadOnly, object());
  if (!hasCurrent) raise(err::kNoCurrentRecord, object());
  sqlite3_stmt* s =
      conn_.cached(QStringLiteral("DELETE FROM ") + quoteName(table) + QStringLiteral(" WHERE rowid = ?"), object());
  {
    StmtUse use(s);
    bindVariant(s, 1, rt::Variant(static_cast<long long>(rowid)), object());
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE) raiseSqlite(conn_.db(), rc, object());
    if (sqlite3_changes(conn_.db()) == 0) raise(err::kRecordDeleted, object());
  }
  hasCurrent = false;
  if (type == RecordsetType::Dynaset) {
    rows_.erase(rows_.begin() + position);
    rowids_.erase(rowids_.begin() + position);
    --position;  // MoveNext goes on with the row that followed
  }
}

}  // namespace jet::detail
