#pragma once

// Copies categories and volumes, with all their folders, files and the storage locations they
// use, from another catalogue file (the source) into the open catalogue of gDB. Everything
// lands under new keys below one new top-level category "Import <date time>", in one
// transaction of gDB's workspace: the import lands whole or not at all. The source is opened
// shared and read-only and is never written.
//
// Keys: the first free key of each kind is taken once when the transaction begins and counted
// up in memory. Nothing else can write the catalogue while the transaction holds it, so these
// are the keys a fresh look-up per category or volume would give.

#include "catalogue/cuDAODatabase.h"
#include "catalogue/pImportOwner.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace jet {
class Recordset;
}

class pImport {
 public:
  explicit pImport(pImportOwner& owner);
  ~pImport();
  pImport(const pImport&) = delete;
  pImport& operator=(const pImport&) = delete;

  // The whole import: asks for the source, refuses the open catalogue, opens and checks the
  // source, lets the user tick, copies. True only when the copy was committed; the counts are
  // written then (categories and volumes copied, locations added), 0 otherwise. Errors are
  // shown here and end in a roll-back; refusals end without a word beyond their own message.
  bool Import(int32_t& lCatCount, int32_t& lVolCount, int32_t& lLocCount);

  // The clock that names the import category (the current time unless a test sets one).
  void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

 private:
  // Target field index and source field index of each field the copy takes over.
  using FieldMap = std::vector<std::pair<int, int>>;
  struct CategoryMapEntry {
    QString CatName;
    int32_t OldCID = 0;
    int64_t OldParent = 0;
    int32_t NewCID = 0;
    int32_t NewParent = 0;
  };

  QString GetImportDB();
  bool OpenSource(const QString& path);
  void OpenRecordsets();
  int32_t CreateImportCategory();
  void ImportCategory(int32_t CID, int32_t TopCID);
  void ImportVolume(int32_t VID, int32_t CatID);
  void CreateVolume(int32_t VID, int32_t CatID);
  int32_t CreateLoc(int32_t LocID);
  void CopyCatData(jet::Recordset& source, const FieldMap& fields, const CategoryMapEntry& entry);
  // Copy the folder and file rows of a volume from the attached source by statements; the
  // column lists name the fields the copy takes over.
  void CopyPathData(int32_t VID, const QString& targetCols, const QString& sourceCols);
  void CopyFileData(const QString& targetCols, const QString& sourceCols);
  void CloseRecordsets();
  static void ShowStatus(const QString& text);

  jet::Database& sourceDB() const;
  // Every field of target that is no system field, with the source field of its name, except
  // the keys the copy sets itself; a field the source lacks raises.
  static FieldMap fieldMap(jet::Recordset& target, jet::Recordset& source, const QStringList& setLater);
  static void copyFields(jet::Recordset& source, jet::Recordset& target, const FieldMap& fields);
  // The key next holds; next moves on. Raises overflow past the largest 32-bit key.
  static int32_t takeKey(int64_t& next);
  static void requireKey(int64_t key);

  pImportOwner& owner_;
  cuDAODatabase source_;
  std::function<QDateTime()> clock_;
  QString SourcePath;

  std::shared_ptr<jet::Recordset> tCategories_, tPaths_, tFiles_, tLocations_, tVolumes_;
  std::shared_ptr<jet::Recordset> sLocations_, sVolumes_;
  FieldMap volumeFields_;

  int64_t NextVID = 0;
  int64_t NextPID = 0;
  int64_t FirstPID = 0;  // first key of the folders of the volume being copied
  int64_t NextFID = 0;
  int64_t NextCID = 0;
  int64_t NextLID = 0;
  int32_t VolumeKey = 0;  // key of the volume being copied
  int32_t VolumesImported = 0;
  int32_t CategoriesImported = 0;
  int32_t LocationsAdded = 0;
};
