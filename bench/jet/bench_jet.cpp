// Record-set and prepared-statement paths of the engine against plain SQLite on the same data.
// Usage: bench_jet [rows [rounds]]   (defaults 1000000, 3; the best of the rounds of each path)

#include "platform/jet/Engine.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/TransactionScope.h"
#include "platform/jet/Workgroup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

// As the catalogue schema declares it (the engine names the text collation in its statements).
const char* kJetSchema =
    "CREATE TABLE tblFILES (FID INTEGER PRIMARY KEY NOT NULL, PathID INTEGER NOT NULL, "
    "Filename TEXT(255) NOT NULL, DateTime DATE_REAL NOT NULL, Filesize DOUBLE NOT NULL, Desc TEXT(255))";

// The same table for SQLite on its own: no Jet functions, so its built-in LIKE does the scan.
const char* kPlainSchema =
    "CREATE TABLE tblFILES (FID INTEGER PRIMARY KEY NOT NULL, PathID INTEGER NOT NULL, "
    "Filename TEXT(255) NOT NULL, DateTime REAL NOT NULL, Filesize DOUBLE NOT NULL, Desc TEXT(255))";

void check(int rc, sqlite3* db, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  std::exit(1);
}

QString makeDb(const QString& path, bool jetFunctions) {
  sqlite3* db = nullptr;
  check(sqlite3_open(QFile::encodeName(path).constData(), &db), db, "open");
  if (jetFunctions) jet::registerJetFunctions(db);
  check(sqlite3_exec(db, jetFunctions ? kJetSchema : kPlainSchema, nullptr, nullptr, nullptr), db, "create table");
  sqlite3_close(db);
  return path;
}

double cpuNow() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall and processor time of one run: on a loaded machine the second shows the work itself.
struct Timing {
  double wall = 1e9, cpu = 1e9;
  void keepBest(const Timing& t) {
    wall = std::min(wall, t.wall);
    cpu = std::min(cpu, t.cpu);
  }
};

Timing timed(const std::function<void()>& f) {
  const double c0 = cpuNow();
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), cpuNow() - c0};
}

double seconds(const std::function<void()>& f) { return timed(f).wall; }

// One name in 20 contains "abc", so the pattern scan has rows to find.
QString nameOf(long i) {
  return (i % 20 == 0 ? QStringLiteral("datei_%1_abc.txt") : QStringLiteral("datei_%1.txt")).arg(i);
}

void report(const char* what, double engine, double plain) {
  std::printf("%-28s engine %8.3f s   sqlite3 %8.3f s   ratio %5.2f\n", what, engine, plain, engine / plain);
}

void report(const char* what, const Timing& engine, const Timing& plain) {
  std::printf("%-28s engine %8.3f s   sqlite3 %8.3f s   ratio %5.2f   (processor %.3f s / %.3f s = %.2f)\n", what,
              engine.wall, plain.wall, engine.wall / plain.wall, engine.cpu, plain.cpu, engine.cpu / plain.cpu);
}

// Best of the rounds of each path, each round on fresh files, the paths taking turns.
struct Best {
  Timing plain, recordset, execute, params;
};

}  // namespace

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  QTemporaryDir dir;
  const QString mdw = dir.filePath(QStringLiteral("b.mdw"));
  jet::createWorkgroupFile(mdw, QStringLiteral("Admin"), QStringLiteral("x"));
  jet::Engine engine;
  engine.SetSystemDB(mdw);
  auto ws = engine.CreateWorkspace(QStringLiteral("b"), QStringLiteral("Admin"), QStringLiteral("x"));
  const QString insertSql =
      QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?,?,?,?,?)");

  Best best;
  sqlite3* plain = nullptr;
  std::shared_ptr<jet::Database> dbB;
  for (int round = 0; round < rounds; ++round) {
    if (plain) sqlite3_close(plain);
    plain = nullptr;
    if (dbB) dbB->Close();
    for (const char* name : {"plain.db", "a.db", "b.db", "c.db"})
      QFile::remove(dir.filePath(QString::fromLatin1(name)));

    // Plain SQLite: one prepared insert in one transaction.
    const QString plainPath = makeDb(dir.filePath(QStringLiteral("plain.db")), false);
    check(sqlite3_open(QFile::encodeName(plainPath).constData(), &plain), plain, "open");
    best.plain.keepBest(timed([&] {
      check(sqlite3_exec(plain, "BEGIN", nullptr, nullptr, nullptr), plain, "begin");
      sqlite3_stmt* s = nullptr;
      check(sqlite3_prepare_v2(plain,
                               "INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?,?,?,?,?)",
                               -1, &s, nullptr),
            plain, "prepare insert");
      for (long i = 1; i <= rows; ++i) {
        sqlite3_bind_int64(s, 1, i);
        sqlite3_bind_int64(s, 2, i / 100 + 1);
        const QByteArray n = nameOf(i).toUtf8();
        sqlite3_bind_text(s, 3, n.constData(), static_cast<int>(n.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(s, 4, 45000.0 + i / 86400.0);
        sqlite3_bind_double(s, 5, static_cast<double>(i * 13));
        check(sqlite3_step(s), plain, "insert");
        sqlite3_reset(s);
      }
      sqlite3_finalize(s);
      check(sqlite3_exec(plain, "COMMIT", nullptr, nullptr, nullptr), plain, "commit");
    }));

    // (a) record set AddNew/Update.
    auto dbA = ws->OpenDatabase(makeDb(dir.filePath(QStringLiteral("a.db")), true), true);
    best.recordset.keepBest(timed([&] {
      jet::TransactionScope transaction(*ws);
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
      transaction.Commit();
    }));
    dbA->Close();

    // (b) prepared statement through the engine, values as variants.
    dbB = ws->OpenDatabase(makeDb(dir.filePath(QStringLiteral("b.db")), true), true);
    best.execute.keepBest(timed([&] {
      jet::TransactionScope transaction(*ws);
      for (long i = 1; i <= rows; ++i)
        dbB->Execute(
            QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?,?,?,?,?)"), 0,
            {rt::Variant(static_cast<long long>(i)), rt::Variant(static_cast<long long>(i / 100 + 1)), nameOf(i),
             rt::Variant::date(45000.0 + i / 86400.0), static_cast<double>(i * 13)});
      transaction.Commit();
    }));

    // (c) the same with values bound as they are, the name as its UTF-8 bytes.
    auto dbC = ws->OpenDatabase(makeDb(dir.filePath(QStringLiteral("c.db")), true), true);
    best.params.keepBest(timed([&] {
      jet::TransactionScope transaction(*ws);
      for (long i = 1; i <= rows; ++i) {
        const QByteArray n = nameOf(i).toUtf8();
        const jet::Param params[] = {jet::Param(int64_t{i}), jet::Param(int64_t{i / 100 + 1}),
                                     jet::Param::utf8(std::string_view(n.constData(), n.size())),
                                     jet::Param::date(45000.0 + i / 86400.0), jet::Param(static_cast<double>(i * 13))};
        dbC->Execute(insertSql, 0, params);
      }
      transaction.Commit();
    }));
    dbC->Close();
  }

  // Full-table scan with a pattern.
  long plainHits = 0, engineHits = 0;
  const double tPlainScan = seconds([&] {
    sqlite3_stmt* s = nullptr;
    check(sqlite3_prepare_v2(plain, "SELECT FID, Filename FROM tblFILES WHERE Filename LIKE '%abc%'", -1, &s, nullptr),
          plain, "prepare scan");
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

  std::printf("rows: %ld, best of %d rounds\n", rows, rounds);
  report("insert, record set", best.recordset, best.plain);
  report("insert, prepared Execute", best.execute, best.plain);
  report("insert, Execute with Params", best.params, best.plain);
  report("scan Like *abc*", tScan, tPlainScan);
  std::printf("scan hits: engine %ld, sqlite3 %ld\n", engineHits, plainHits);
  const long expected = rows / 20;
  if (engineHits != plainHits || plainHits != expected) {
    std::fprintf(stderr, "scan hits differ: expected %ld\n", expected);
    return 1;
  }
  std::printf("ratio to plain sqlite3: record set %.2f, Execute %.2f, Execute with Params %.2f\n",
              best.recordset.wall / best.plain.wall, best.execute.wall / best.plain.wall,
              best.params.wall / best.plain.wall);
  return 0;
}
