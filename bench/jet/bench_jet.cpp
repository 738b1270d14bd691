// Record-set and prepared-statement paths of the engine against plain SQLite on the same data.
// Usage: bench_jet [rows]   (default 1000000)

#include "platform/jet/Engine.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Workgroup.h"

#include <QDir>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

const char* kSchema =
    "CREATE TABLE tblFILES (FID INTEGER PRIMARY KEY NOT NULL, PathID INTEGER NOT NULL, "
    "Filename TEXT(255) NOT NULL COLLATE JETTEXT, DateTime DATE_REAL NOT NULL, Filesize DOUBLE NOT NULL, "
    "Desc TEXT(255) COLLATE JETTEXT)";

QString makeDb(const QString& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.toUtf8().constData(), &db);
  jet::registerJetFunctions(db);
  sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return path;
}

double seconds(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

QString nameOf(long i) { return QStringLiteral("datei_%1.txt").arg(i); }

void report(const char* what, double engine, double plain) {
  std::printf("%-28s engine %8.3f s   sqlite3 %8.3f s   ratio %5.2f\n", what, engine, plain, engine / plain);
}

}  // namespace

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  QTemporaryDir dir;
  const QString mdw = dir.filePath(QStringLiteral("b.mdw"));
  jet::createWorkgroupFile(mdw, QStringLiteral("Admin"), QStringLiteral("x"));
  jet::Engine engine;
  engine.SetSystemDB(mdw);
  auto ws = engine.CreateWorkspace(QStringLiteral("b"), QStringLiteral("Admin"), QStringLiteral("x"));

  // Plain SQLite: one prepared insert in one transaction.
  const QString plainPath = makeDb(dir.filePath(QStringLiteral("plain.db")));
  sqlite3* plain = nullptr;
  sqlite3_open(plainPath.toUtf8().constData(), &plain);
  jet::registerJetFunctions(plain);
  const double tPlainInsert = seconds([&] {
    sqlite3_exec(plain, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(plain, "INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?,?,?,?,?)", -1,
                       &s, nullptr);
    for (long i = 1; i <= rows; ++i) {
      sqlite3_bind_int64(s, 1, i);
      sqlite3_bind_int64(s, 2, i / 100 + 1);
      const QByteArray n = nameOf(i).toUtf8();
      sqlite3_bind_text(s, 3, n.constData(), static_cast<int>(n.size()), SQLITE_TRANSIENT);
      sqlite3_bind_double(s, 4, 45000.0 + i / 86400.0);
      sqlite3_bind_double(s, 5, static_cast<double>(i * 13));
      sqlite3_step(s);
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(plain, "COMMIT", nullptr, nullptr, nullptr);
  });

  // (a) record set AddNew/Update.
  auto dbA = ws->OpenDatabase(makeDb(dir.filePath(QStringLiteral("a.db"))), true);
  const double tRecordset = seconds([&] {
    ws->BeginTrans();
    auto rs = dbA->OpenRecordset(QStringLiteral("tblFILES"), jet::RecordsetType::Table);
    jet::Field fid = rs->Fields("FID"), pid = rs->Fields("PathID"), fn = rs->Fields("Filename"),
               dt = rs->Fields("DateTime"), fs = rs->Fields("Filesize");
    for (long i = 1; i <= rows; ++i) {
      rs->AddNew();
      fid.SetValue(rt::Variant(static_cast<long long>(i)));
      pid.SetValue(rt::Variant(static_cast<long long>(i / 100 + 1)));
      fn.SetValue(nameOf(i));
      dt.SetValue(rt::Variant::date(45000.0 + i / 86400.0));
      fs.SetValue(static_cast<double>(i * 13));
      rs->Update();
    }
    rs->Close();
    ws->CommitTrans();
  });

  // (b) prepared statement through the engine.
  auto dbB = ws->OpenDatabase(makeDb(dir.filePath(QStringLiteral("b.db"))), true);
  const double tExecute = seconds([&] {
    ws->BeginTrans();
    for (long i = 1; i <= rows; ++i)
      dbB->Execute(QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?,?,?,?,?)"),
                   0,
                   {rt::Variant(static_cast<long long>(i)), rt::Variant(static_cast<long long>(i / 100 + 1)), nameOf(i),
                    rt::Variant::date(45000.0 + i / 86400.0), static_cast<double>(i * 13)});
    ws->CommitTrans();
  });

  // Full-table scan with a pattern.
  long plainHits = 0, engineHits = 0;
  const double tPlainScan = seconds([&] {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(plain, "SELECT FID, Filename FROM tblFILES WHERE Filename LIKE '%abc%'", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) ++plainHits;
    sqlite3_finalize(s);
  });
  const double tScan = seconds([&] {
    auto rs = dbB->OpenRecordset(QStringLiteral("SELECT FID, Filename FROM tblFILES WHERE Filename Like '*abc*'"),
                                 jet::RecordsetType::ForwardOnly);
    while (!rs->IsEOF()) {
      ++engineHits;
      rs->MoveNext();
    }
  });
  sqlite3_close(plain);

  std::printf("rows: %ld\n", rows);
  report("insert, record set", tRecordset, tPlainInsert);
  report("insert, prepared Execute", tExecute, tPlainInsert);
  report("scan Like *abc*", tScan, tPlainScan);
  std::printf("scan hits: engine %ld, sqlite3 %ld\n", engineHits, plainHits);
  return 0;
}
