#pragma once

// Imports between real catalogues made from the built template: the target opened into gDB as
// the program opens it, sources filled through a workspace of their own, the windows scripted,
// the main window's status texts recorded, and every table of a catalogue dumped for
// comparison.

#include "catalogue/MainWindowServices.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pImport.h"
#include "catalogue/pImportOwner.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Workspace.h"
#include "platform/ui/MessageBox.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace importtest {

// Writes rows into a catalogue file that nobody else holds.
class CatalogueRows {
 public:
  explicit CatalogueRows(const QString& path) : ws_(testenv::catalogueWorkspace(engine_)) {
    db_ = ws_->OpenDatabase(path, true);
  }
  ~CatalogueRows() { close(); }
  CatalogueRows(const CatalogueRows&) = delete;
  CatalogueRows& operator=(const CatalogueRows&) = delete;

  void begin() { ws_->BeginTrans(); }
  void commit() { ws_->CommitTrans(); }
  void close() {
    if (ws_) ws_->Close();
    ws_.reset();
  }

  void exec(const QString& sql, const std::vector<rt::Variant>& params = {}) { db_->Execute(sql, 0, params); }
  void category(int cid, const QString& name, const rt::Variant& parent = rt::Null,
                const rt::Variant& description = rt::Null, const rt::Variant& icon = rt::Null) {
    exec(
        QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName, CatDescription, Parent, Icon) VALUES (?, ?, ?, ?, ?)"),
        {cid, name, description, parent, icon});
  }
  void location(int lid, const QString& name, const rt::Variant& description = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName, LocDescription) VALUES (?, ?, ?)"),
         {lid, name, description});
  }
  void volume(int vid, const QString& name, const rt::Variant& cat = rt::Null, const rt::Variant& loc = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, Description, Memo, VolumePath, VolumeSerial, "
                        "VolumeLabel, VolumeType, Computername, EditDate, CatID, LocID) "
                        "VALUES (?, ?, ?, ?, ?, '1234-ABCD', 'ETIKETT', 5, 'rechner', ?, ?, ?)"),
         {vid, name, QStringLiteral("Beschreibung von ") + name, QStringLiteral("Notiz zu ") + name,
          QStringLiteral("/media/") + name + QStringLiteral("/"), rt::Variant::date(46000.25 + vid), cat, loc});
  }
  void folder(int pid, int vid, const rt::Variant& name, const rt::Variant& parent,
              const rt::Variant& memo = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Memo, Files, Size, TotalDirs, "
                        "TotalFiles, TotalSize) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
         {pid, vid, name, parent, memo, pid % 7, 1000.5 * pid, pid % 3, pid % 11, 2000.25 * pid});
  }
  void file(int fid, int pid, const QString& name, const rt::Variant& description = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize, [Desc]) "
                        "VALUES (?, ?, ?, ?, ?, ?)"),
         {fid, pid, name, rt::Variant::date(40000.5 + fid / 1000.0), 17.0 * fid + 0.5, description});
  }

  jet::Database& db() { return *db_; }

 private:
  jet::Engine engine_;
  std::shared_ptr<jet::Workspace> ws_;
  std::shared_ptr<jet::Database> db_;
};

// The source most tests import from:
//   5 Archiv (icon)            volumes 12 Archivplatte (location 1 "keller"), 14 Leer (no folders)
//     6 Fotos
//       9 Urlaub               volume 10 Fotos2020 (location 2 "Dachboden")
//     7 Musik                  volume 11 Musik1 (location 2)
//   8 Fremd                    volume 13 Fremdplatte (no location)
// Folders: 10: 100 < 101 < 102;  11: 200 < 201;  12: 300;  13: 400. Two files in each folder.
inline void fillStandardSource(CatalogueRows& s) {
  s.begin();
  s.category(5, QStringLiteral("Archiv"), rt::Null, QStringLiteral("alt"), QByteArray("\x01\x02icon", 6));
  s.category(6, QStringLiteral("Fotos"), 5);
  s.category(7, QStringLiteral("Musik"), 5, QStringLiteral("laut"));
  s.category(8, QStringLiteral("Fremd"));
  s.category(9, QStringLiteral("Urlaub"), 6);
  s.location(1, QStringLiteral("keller"), QStringLiteral("Quelle-Keller"));
  s.location(2, QStringLiteral("Dachboden"), QStringLiteral("oben"));
  s.volume(10, QStringLiteral("Fotos2020"), 9, 2);
  s.volume(11, QStringLiteral("Musik1"), 7, 2);
  s.volume(12, QStringLiteral("Archivplatte"), 5, 1);
  s.volume(13, QStringLiteral("Fremdplatte"), 8);
  s.volume(14, QStringLiteral("Leer"), 5, 1);
  s.folder(100, 10, rt::Null, rt::Null, QStringLiteral("Wurzelnotiz"));
  s.folder(101, 10, QStringLiteral("Sommer"), 100);
  s.folder(102, 10, QStringLiteral("Strand"), 101, QStringLiteral("Sand"));
  s.folder(200, 11, rt::Null, rt::Null);
  s.folder(201, 11, QStringLiteral("Jazz"), 200);
  s.folder(300, 12, rt::Null, rt::Null);
  s.folder(400, 13, rt::Null, rt::Null);
  int fid = 1000;
  for (int pid : {100, 101, 102, 200, 201, 300, 400}) {
    s.file(fid++, pid, QStringLiteral("a%1.jpg").arg(pid), QStringLiteral("Bild %1").arg(pid));
    s.file(fid++, pid, QStringLiteral("Ü%1.txt").arg(pid));
  }
  s.commit();
}

// Every row of every table (in key order), one text per row, each table headed by its name.
inline QStringList dumpCatalogue(jet::Database& db) {
  QStringList out;
  QStringList tables;
  {
    auto rs = db.OpenRecordset(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name"),
                               jet::RecordsetType::ForwardOnly);
    for (; !rs->IsEOF(); rs->MoveNext()) tables << rs->Fields(0).Value().toText();
  }
  for (const QString& table : tables) {
    out << QStringLiteral("== ") + table;
    auto rs = db.OpenRecordset(QStringLiteral("SELECT * FROM [") + table + QStringLiteral("] ORDER BY rowid"),
                               jet::RecordsetType::ForwardOnly);
    for (; !rs->IsEOF(); rs->MoveNext()) {
      QStringList row;
      for (int i = 0; i < rs->FieldCount(); ++i) {
        const rt::Variant v = rs->Fields(i).Value();
        row << (v.isNull()                              ? QStringLiteral("<null>")
                : v.type() == rt::Variant::Type::Binary ? QString::fromLatin1(v.toBinary().toHex())
                                                        : v.toText());
      }
      out << row.join(QLatin1Char('|'));
    }
  }
  return out;
}

// "ok" when SQLite finds nothing wrong with the file.
inline QString integrityOf(jet::Database& db) {
  auto rs = db.OpenRecordset(QStringLiteral("SELECT * FROM pragma_integrity_check"), jet::RecordsetType::ForwardOnly);
  QStringList lines;
  for (; !rs->IsEOF(); rs->MoveNext()) lines << rs->Fields(0).Value().toText();
  return lines.join(QLatin1Char('\n'));
}

// The windows of the import, scripted: the file the dialog returns, and the ticks and answer
// of the selection window.
class ScriptedWindows : public pImportOwner {
 public:
  QString ChooseSourceFile(const QString& initialDir, const QString& title, const QString& filter) override {
    ++dialogs;
    dialogDir = initialDir;
    dialogTitle = title;
    dialogFilter = filter;
    return file;
  }
  bool SelectFromSource(const std::shared_ptr<jet::Database>& source, const QString& sourcePath,
                        std::vector<int32_t>& categories, std::vector<int32_t>& volumes) override {
    ++selections;
    shownPath = sourcePath;
    if (whileShown) whileShown(*source);
    categories = tickedCategories;
    volumes = tickedVolumes;
    return confirm;
  }

  QString file;
  std::vector<int32_t> tickedCategories;
  std::vector<int32_t> tickedVolumes;
  bool confirm = true;
  std::function<void(jet::Database&)> whileShown;

  int dialogs = 0;
  int selections = 0;
  QString dialogDir, dialogTitle, dialogFilter, shownPath;
};

// The main window as the import sees it: the status texts.
class StatusLog : public MainWindowServices {
 public:
  void pubDBOpen(const QString&) override {}
  void pubStatus(const QString& text) override {
    texts << text;
    if (onStatus) onStatus(text);
  }
  void pubVolumeSelect(int32_t) override {}
  void SetStatusPanel1(const QString&) override {}

  QStringList texts;
  std::function<void(const QString&)> onStatus;
};

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    jet::Engine::DBEngine().SetSystemDB(SystemDBPath());
    gOptions = std::make_unique<gRegOptions>();
    gOptions->setLastDir(dir + QStringLiteral("/"));
    gDB = std::make_unique<cuDAODatabase>();
    auto log = std::make_unique<StatusLog>();
    status = log.get();
    gfrmMain = std::move(log);
    target = newCatalogue(QStringLiteral("ziel.qvk"));
    ASSERT_TRUE(DBOpen(target, -2));
    boxes->shown.clear();
  }
  void TearDown() override {
    gfrmMain.reset();
    gDB.reset();
    gOptions.reset();
  }

  // A fresh copy of the template in the test's folder.
  QString newCatalogue(const QString& name) {
    const QString path = dir + QLatin1Char('/') + name;
    QFile::remove(path);
    EXPECT_TRUE(testenv::copyTemplate(path));
    return path;
  }

  // Runs one import of file with the scripted windows at a fixed time.
  bool runImport(const QString& file, int32_t* counts = nullptr) {
    windows.file = file;
    pImport import(windows);
    import.setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(9, 1, 3));
  });
  int32_t c = -1, v = -1, l = -1;
  const bool ok = import.Import(c, v, l);
  if (counts) {
    counts[0] = c;
    counts[1] = v;
    counts[2] = l;
  }
  return ok;
}

QStringList
targetDump() {
  return dumpCatalogue(*gDB->DB());
}

rt::Variant value(const QString& sql, const std::vector<rt::Variant>& params = {}) {
  auto rs = gDB->DB()->OpenRecordset(sql, jet::RecordsetType::Snapshot, params);
  const rt::Variant v = rs->IsEOF() ? rt::Variant() : rs->Fields(0).Value();
  rs->Close();
  return v;
}

// The rows of a query as texts, one per row.
QStringList rows(const QString& sql, const std::vector<rt::Variant>& params = {}) {
  return rowsOf(*gDB->DB(), sql, params);
}
static QStringList rowsOf(jet::Database& db, const QString& sql, const std::vector<rt::Variant>& params = {}) {
  QStringList out;
  auto rs = db.OpenRecordset(sql, jet::RecordsetType::ForwardOnly, params);
  for (; !rs->IsEOF(); rs->MoveNext()) {
    QStringList row;
    for (int i = 0; i < rs->FieldCount(); ++i) {
      const rt::Variant v = rs->Fields(i).Value();
      row << (v.isNull() ? QStringLiteral("<null>") : v.toText());
    }
    out << row.join(QLatin1Char('|'));
  }
  return out;
}

QString dir;
QString target;
testenv::BoxRecorder boxes;
StatusLog* status = nullptr;
ScriptedWindows windows;
};  // namespace importtest

}  // namespace importtest
