// A catalogue made by the program is an ordinary SQLite file: the stock sqlite3 shell checks,
// sorts, vacuums and dumps it, and the dump restores into a catalogue the program opens.

#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Workspace.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

struct ShellRun {
  int exitCode = -1;
  QString out;
  QString err;
};

// Runs the sqlite3 shell on `file` with `input` on its standard input.
ShellRun sqliteShell(const QString& file, const QByteArray& input) {
  QProcess p;
  p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file});
  ShellRun run;
  if (!p.waitForStarted(60000)) return run;
  p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    return run;
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = QString::fromUtf8(p.readAllStandardOutput());
  run.err = QString::fromUtf8(p.readAllStandardError());
  return run;
}

TEST(StockSqliteShell, ChecksSortsDumpsAndRestoresACatalogue) {
  ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
      << "the sqlite3 shell is missing (scripts/setup.sh installs it)";
  const QString dir = testenv::freshTempDir();
  const QString path = dir + QStringLiteral("/Archiv.qvk");
  ASSERT_TRUE(testenv::copyTemplate(path));
  {
    jet::Engine engine;
    auto ws = testenv::catalogueWorkspace(engine);
    auto db = ws->OpenDatabase(path, false);
    int id = 0;
    for (const char* name : {"Keller", "ärmel", "Dachboden", "apfel"})
      db->Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (?, ?)"), 0,
                  {rt::Variant(++id), rt::Variant(QString::fromUtf8(name))});
    ws->Close();
  }

  const ShellRun check = sqliteShell(path, "PRAGMA integrity_check;\n");
  EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();
  EXPECT_EQ(check.out.trimmed(), QStringLiteral("ok")) << check.err.toStdString();

  // Sorted by SQLite's own order: upper case, then lower case, then umlauts.
  const ShellRun sorted = sqliteShell(path, "SELECT LocName FROM tblLOCATIONS ORDER BY LocName;\n");
  EXPECT_EQ(sorted.exitCode, 0) << sorted.err.toStdString();
  EXPECT_EQ(sorted.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            QStringList({"Dachboden", "Keller", "apfel", QString::fromUtf8("ärmel")}))
      << sorted.err.toStdString();

  const ShellRun vacuum = sqliteShell(path, "VACUUM;\n");
  EXPECT_EQ(vacuum.exitCode, 0) << vacuum.err.toStdString();
  EXPECT_TRUE(vacuum.err.isEmpty()) << vacuum.err.toStdString();

  const ShellRun dump = sqliteShell(path, ".dump\n");
  ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
  const QString restored = dir + QStringLiteral("/Wiederhergestellt.qvk");
  const ShellRun restore = sqliteShell(restored, dump.out.toUtf8());
  EXPECT_EQ(restore.exitCode, 0) << restore.err.toStdString();
  EXPECT_TRUE(restore.err.isEmpty()) << restore.err.toStdString();
  const ShellRun again = sqliteShell(restored, "PRAGMA integrity_check;\n");
  EXPECT_EQ(again.out.trimmed(), QStringLiteral("ok")) << again.err.toStdString();

  // The restored file is a catalogue the program opens, and compares and sorts as always.
  jet::Engine engine;
  auto ws = testenv::catalogueWorkspace(engine);
  auto db = ws->OpenDatabase(restored, false);
  auto rs = db->OpenRecordset(QStringLiteral("SELECT LocName FROM tblLOCATIONS ORDER BY LocName"),
                              jet::RecordsetType::Snapshot);
  QStringList names;
  for (; !rs->IsEOF(); rs->MoveNext()) names << rs->Fields(0).Value().toText();
  EXPECT_EQ(names, QStringList({"apfel", QString::fromUtf8("ärmel"), "Dachboden", "Keller"}));
  auto table = db->OpenRecordset(QStringLiteral("tblLOCATIONS"), jet::RecordsetType::Table);
  table->SetIndex(QStringLiteral("LocName"));
  table->Seek(QStringLiteral("="), {rt::Variant(QStringLiteral("KELLER"))});
  ASSERT_FALSE(table->NoMatch());
  EXPECT_EQ(table->Fields(QStringLiteral("lID")).Value().toInt(), 1);
  ws->Close();
}

}  // namespace
