#pragma once

// A catalogue copied from the built template and opened into gDB, filled with volumes, folders
// and files whose names try the search's rules: letter case, umlauts, the pattern characters
// of Like, quotes, root folders without a name and the same names on two volumes.

#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "foundation/cuAppError.h"
#include "platform/jet/Database.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/QtPlatform.h"
#include "tests/support/OpenedCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QFile>

#include <gtest/gtest.h>

#include <vector>

class FindFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    // A test of this program before may have shut the program down.
    if (!gErr) gErr = std::make_unique<cuAppError>();
    ui::installQtPlatform({});
    auto rec = std::make_unique<ui::RecordingPresenter>();
    boxes = rec.get();
    ui::setPresenter(std::move(rec));
    path = testenv::openFreshCatalogue(testenv::freshTempDir());
    ASSERT_FALSE(path.isEmpty());
    fill();
    boxes->shown.clear();
  }
  void TearDown() override {
    gDB.reset();
    ui::setPresenter(std::make_unique<ui::RecordingPresenter>());
  }

  jet::Database& db() { return *gDB->DB(); }
  void exec(const QString& sql, const std::vector<rt::Variant>& params = {}) { db().Execute(sql, 0, params); }

  void volume(int vid, const QString& name, const QString& volumePath, const rt::Variant& cat = rt::Null,
              const rt::Variant& loc = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, CatID, LocID) "
                        "VALUES (?, ?, ?, 3, 45000.5, ?, ?)"),
         {vid, name, volumePath, cat, loc});
  }
  void folder(int pid, int vid, const rt::Variant& name, const rt::Variant& parent) {
    exec(QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, "
                        "TotalSize) VALUES (?, ?, ?, ?, 0, 0, 0, 0, 0)"),
         {pid, vid, name, parent});
  }
  void file(int fid, int pid, const QString& name) {
    exec(QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize, [Desc]) "
                        "VALUES (?, ?, ?, 37653.5, 1234, Null)"),
         {fid, pid, name});
  }
  void category(int cid, const QString& name, const rt::Variant& parent = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName, Parent) VALUES (?, ?, ?)"), {cid, name, parent});
  }
  void location(int lid, const QString& name) {
    exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (?, ?)"), {lid, name});
  }

  // Two volumes with folders and files, and a third without any folder. Ids are not in name
  // order, so that order comes from the search and not from the table.
  void fill() {
    category(1, QStringLiteral("Medien"));
    category(2, QStringLiteral("Bilder"), 1);
    location(1, QStringLiteral("Keller"));
    location(2, QStringLiteral("Dachboden"));
    location(3, QStringLiteral("Leer"));
    volume(2, QStringLiteral("Musik"), QStringLiteral("/mnt/musik/"), 1, 1);
    volume(1, QStringLiteral("Archiv"), QStringLiteral("/srv/archiv"), 2, 1);
    volume(42, QStringLiteral("O'Brien CDs"), QStringLiteral("/cdrom/"), rt::Null, 2);
    // Musik: root, Fotos, Fotos/2020, Müller, Track [1]
    folder(10, 2, rt::Null, rt::Null);
    folder(14, 2, QStringLiteral("Fotos"), 10);
    folder(11, 2, QStringLiteral("2020"), 14);
    folder(13, 2, QStringLiteral("Müller"), 10);
    folder(12, 2, QStringLiteral("Track [1]"), 10);
    // Archiv: root, fotos, Ärger
    folder(20, 1, rt::Null, rt::Null);
    folder(22, 1, QStringLiteral("fotos"), 20);
    folder(21, 1, QStringLiteral("Ärger"), 20);
    const std::vector<std::pair<int, const char*>> files = {
        {10, "a.TXT"},        {14, "A.txt"},       {11, "Ä.txt"},        {13, "äpfel.doc"},   {12, "Track #1.mp3"},
        {12, "Track 12.mp3"}, {13, "O'Brien.doc"}, {11, "file[1].txt"},  {14, "50% off.txt"}, {14, "under_score.txt"},
        {10, "star*.txt"},    {10, "what?.txt"},   {11, "Straße.txt"},   {11, "STRASSE.txt"}, {14, "a\"b.txt"},
        {20, "a.txt"},        {22, "A.TXT"},       {22, "Track #1.mp3"}, {21, "ärger.log"},   {21, "Zebra"},
        {20, "zebra"},        {22, "Bild 1.jpg"},  {22, "bild 2.jpg"},   {14, "[.txt"},       {22, "BILD 1.JPG"},
        {22, "bild 1.jpg"},
    };
    int fid = 1000;
    // Ids descend while names mostly ascend: the table's own order must not leak through.
    for (const auto& [pid, name] : files) file(fid--, pid, QString::fromUtf8(name));
  }

  QString path;
  ui::RecordingPresenter* boxes = nullptr;
};
