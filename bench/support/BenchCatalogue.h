#pragma once

// A fresh catalogue for the benchmarks: the built template beside the program copied to a path,
// opened, with the volume 1 "Bench" whose path is the generated tree's root, and that volume
// read by the volume reader.

#include "bench/support/BenchTree.h"
#include "catalogue/pReader.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Workspace.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace benchtree {

struct BenchCatalogue {
  std::shared_ptr<jet::Workspace> ws;
  std::shared_ptr<jet::Database> db;
};

// Nothing after saying why when the template is missing.
inline std::optional<BenchCatalogue> freshCatalogue(jet::Engine& engine, const QString& path, const std::string& root) {
  const QString bin = QCoreApplication::applicationDirPath();
  QFile::remove(path);
  if (!QFile::copy(bin + QStringLiteral("/zuvrax.db"), path)) {
    std::fprintf(stderr, "template %s/zuvrax.db missing\n", qPrintable(bin));
    return std::nullopt;
  }
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  engine.SetSystemDB(bin + QStringLiteral("/zuvrax.mdw"));
  BenchCatalogue c;
  c.ws = engine.CreateWorkspace(QStringLiteral("Default"), QStringLiteral("QZAdmin"), QStringLiteral("Wexo71"));
  c.db = c.ws->OpenDatabase(path, true);
  c.db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) "
                               "VALUES (1, 'Bench', ?, 3, 45000)"),
                0, {rt::Variant(QString::fromStdString(root) + QStringLiteral("/"))});
  return c;
}

// Reads volume 1 with pauses off; the seconds it took, or nothing when the read failed.
inline std::optional<double> readVolume(const BenchCatalogue& c) {
  pReaderSettings settings;
  settings.ReadingBreakDuration = 0;
  pReader reader(c.ws, c.db, settings);
  const auto t0 = std::chrono::steady_clock::now();
  if (!reader.Read(1)) return std::nullopt;
  return seconds(t0);
}

}  // namespace benchtree
