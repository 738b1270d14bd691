#pragma once

// The benchmarks' generated source catalogue: volumes with folder trees of fan-out 12 and files
// spread over the folders (names of mixed length, one in ten with a non-ASCII letter), written
// with plain SQLite into a copy of the built template.

#include "bench/support/BenchTree.h"
#include "platform/jet/JetSql.h"

#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace benchsource {

inline void check(int rc, sqlite3* db, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  std::exit(1);
}

inline sqlite3* openPlain(const QString& path) {
  sqlite3* db = nullptr;
  check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
  jet::registerJetFunctions(db);
  check(sqlite3_exec(db, "PRAGMA foreign_keys=ON; PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr), db, "pragma");
  return db;
}

inline bool freshCatalogue(const QString& templ, const QString& path) {
  QFile::remove(path);
  QFile::remove(path + QStringLiteral("-journal"));
  if (!QFile::copy(templ, path)) return false;
  return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// Volumes with folder trees of fan-out 12 and files spread over the folders, all in category 1.
inline void generateSource(const QString& path, long files, long folders, long volumes) {
  sqlite3* db = openPlain(path);
  check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
  check(sqlite3_exec(db,
                     "INSERT INTO tblCATEGORIES (CID, CatName) VALUES (1, 'Sammlung');"
                     "INSERT INTO tblLOCATIONS (lID, LocName, LocDescription) VALUES (1, 'Schrank', 'unten')",
                     nullptr, nullptr, nullptr),
        db, "category");
  sqlite3_stmt *vol = nullptr, *dir = nullptr, *file = nullptr;
  check(sqlite3_prepare_v2(db,
                           "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeSerial, VolumeType, EditDate, "
                           "CatID, LocID) VALUES (?, ?, '/media/platte/', '1234-5678', 3, 46000.5, 1, 1)",
                           -1, &vol, nullptr),
        db, "prepare volume");
  check(sqlite3_prepare_v2(db,
                           "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, "
                           "TotalSize) VALUES (?, ?, ?, ?, 20, 123456, 3, 60, 654321)",
                           -1, &dir, nullptr),
        db, "prepare folder");
  check(sqlite3_prepare_v2(db,
                           "INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize, \"Desc\") "
                           "VALUES (?, ?, ?, ?, ?, ?)",
                           -1, &file, nullptr),
        db, "prepare file");
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> coin(0, 9);
  std::uniform_real_distribution<double> date(36000, 46000);
  std::uniform_int_distribution<long> size(0, 2000000);
  long pid = 0, fid = 0;
  for (long v = 1; v <= volumes; ++v) {
    sqlite3_bind_int64(vol, 1, v);
    const std::string name = "Platte " + std::to_string(v);
    sqlite3_bind_text(vol, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    check(sqlite3_step(vol), db, "volume");
    sqlite3_reset(vol);
    const long first = pid + 1;
    const long myFolders = folders / volumes + (v <= folders % volumes ? 1 : 0);
    const long myFiles = files / volumes + (v <= files % volumes ? 1 : 0);
    for (long i = 0; i < myFolders; ++i) {
      ++pid;
      sqlite3_bind_int64(dir, 1, pid);
      sqlite3_bind_int64(dir, 2, v);
      if (i == 0) {
        sqlite3_bind_null(dir, 3);
        sqlite3_bind_null(dir, 4);
      } else {
        const std::string n = benchtree::randomName(rng, coin(rng) == 0);
        sqlite3_bind_text(dir, 3, n.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(dir, 4, first + (i - 1) / 12);
      }
      check(sqlite3_step(dir), db, "folder");
      sqlite3_reset(dir);
    }
    for (long i = 0; i < myFiles; ++i) {
      ++fid;
      sqlite3_bind_int64(file, 1, fid);
      sqlite3_bind_int64(file, 2, first + i % std::max(myFolders, 1L));
      const std::string n = std::to_string(fid) + benchtree::randomName(rng, coin(rng) == 0);
      sqlite3_bind_text(file, 3, n.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(file, 4, date(rng));
      sqlite3_bind_double(file, 5, static_cast<double>(size(rng)));
      if (fid % 10 == 0)
        sqlite3_bind_text(file, 6, "Beschreibung", -1, SQLITE_STATIC);
      else
        sqlite3_bind_null(file, 6);
      check(sqlite3_step(file), db, "file");
      sqlite3_reset(file);
    }
  }
  for (sqlite3_stmt* s : {vol, dir, file}) sqlite3_finalize(s);
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
  sqlite3_close(db);
}

}  // namespace benchsource
