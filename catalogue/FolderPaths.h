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
#include <QSet>
#include <QString>

#include <cstdint>
#include <memory>
#include <unordered_map>

class FolderPaths {
 public:
  explicit FolderPaths(jet::Database& db);
  ~FolderPaths();
  FolderPaths(const FolderPaths&) = delete;
  FolderPaths& operator=(const FolderPaths&) = delete;

  // Never raises: a folder that cannot be read ends the walk there.
  QString Of(int32_t PID);
  // The folder part as another folder's and what follows it: Of(PID) is Of(parent) & tail, or
  // tail alone when parent is 0. Remembers no texts, so that the parts of many folders take
  // the room of their names only. Never raises.
  struct Part {
    int32_t parent = 0;
    QString tail;
  };
  Part PartOf(int32_t PID);
  // VolumeID of the folder; Null when there is no such folder.
  rt::Variant VolumeOf(int32_t PID);
  // A folder's row that the caller has read already: walking it later reads nothing.
  void Know(int32_t PID, const QString& name, const rt::Variant& parent, const rt::Variant& volume);

 private:
  struct Folder {
    QString name;
    rt::Variant parent;
    rt::Variant volume;
  };
  // The folder's row, read once; nullptr when it does not exist or cannot be read.
  const Folder* row(int32_t PID, bool& failed);
  // Whether the walk up from PID ends at a top folder or a break, every row read, without
  // meeting a folder twice.
  bool sound(int32_t PID);

  jet::Database& db_;
  std::shared_ptr<jet::Recordset> rs_;
  // Node-based, so that a row handed out stays where it is while walks add others.
  std::unordered_map<int32_t, Folder> rows_;
  QHash<int32_t, bool> missing_;
  QHash<int32_t, QString> paths_;
  QSet<int32_t> sound_;
};
