#pragma once

// The folder part of a full path: the names of a folder's Parent chain in tblPATHS, from the
// root's child down to the folder, each followed by the path separator ("" for a volume's root
// folder). One instance remembers every folder it has walked, so the paths of many folders of a
// catalogue cost one lookup per folder instead of one per folder and level.
//
// A broken chain ends the walk where it breaks: a missing parent adds nothing, and a folder met
// a second time (a cycle) is not followed again; such paths are not remembered.

#include "platform/jet/Database.h"
#include "platform/runtime/Variant.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>

class FolderPaths {
 public:
  explicit FolderPaths(jet::Database& db);
  ~FolderPaths();
  FolderPaths(const FolderPaths&) = delete;
  FolderPaths& operator=(const FolderPaths&) = delete;

  // Never raises: a folder that cannot be read ends the walk there.
  QString Of(int32_t PID);
  // VolumeID of the folder; Null when there is no such folder.
  rt::Variant VolumeOf(int32_t PID);

 private:
  struct Folder {
    QString name;
    rt::Variant parent;
    rt::Variant volume;
  };
  // The folder's row, read once; nullptr when it does not exist or cannot be read.
  const Folder* row(int32_t PID, bool& failed);

  jet::Database& db_;
  std::shared_ptr<jet::Recordset> rs_;
  QHash<int32_t, Folder> rows_;
  QHash<int32_t, bool> missing_;
  QHash<int32_t, QString> paths_;
};
