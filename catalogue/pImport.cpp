#include "catalogue/pImport.h"

#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlGlobals.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/AttachScope.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/TransactionScope.h"
#include "platform/jet/Workspace.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/MousePointer.h"

#include <limits>
#include <optional>

namespace {

const QString kClass = QStringLiteral("pImport");
const QString kPrimaryKey = QStringLiteral("PrimaryKey");
const QString kEq = QStringLiteral("=");

// The source as the catalogue's own connection sees it during the copy, and the folders of the
// volume being copied there: source key and new key.
const QString kSource = QStringLiteral("zx_import_source");
const QString kFolderMap = QStringLiteral("zx_import_folders");

// The files of this many folders go in by one statement; the screen is drawn between them.
constexpr int64_t kFoldersPerStatement = 1000;

QString quotedName(const QString& name) {
  return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// Column lists of a field map: the target's names, and the source's prefixed by `alias`.
QString targetColumns(jet::Recordset& target, const std::vector<std::pair<int, int>>& fields) {
  QStringList names;
  for (const auto& [to, from] : fields) names << quotedName(target.Fields(to).Name());
  return names.join(QStringLiteral(", "));
}

QString sourceColumns(jet::Recordset& source, const std::vector<std::pair<int, int>>& fields, const QString& alias) {
  QStringList names;
  for (const auto& [to, from] : fields) names << alias + QLatin1Char('.') + quotedName(source.Fields(from).Name());
  return names.join(QStringLiteral(", "));
}

// Runs a statement in SQLite's dialect on the catalogue; the rows it changed.
int64_t run(const QString& sql, const std::vector<rt::Variant>& params = {}) {
  return gDB->DB()->OpenNativeQuery(sql, params)->Run();
}

int64_t largestFileKey() {
  auto q = gDB->DB()->OpenNativeQuery(QStringLiteral("SELECT ifnull(max(FID), 0) FROM main.tblFILES"));
  q->Next();
  return q->Long(0);
}

std::shared_ptr<jet::Recordset> openTable(jet::Database& db, const QString& table, const QString& index) {
  auto rs = db.OpenRecordset(table, jet::RecordsetType::Table);
  rs->SetIndex(index);
  return rs;
}

void closeQuietly(std::shared_ptr<jet::Recordset>& rs) {
  if (!rs) return;
  try {
    rs->Close();
  } catch (...) {
  }
  rs.reset();
}

void cancelQuietly(jet::Recordset& rs) {
  try {
    if (rs.GetEditMode() != jet::EditMode::None) rs.CancelUpdate();
  } catch (...) {
  }
}

int fieldIndex(jet::Recordset& rs, const QString& name) {
  rs.Fields(name);  // raises when the set has no such field
  for (int i = 0; i < rs.FieldCount(); ++i)
    if (rs.Fields(i).Name().compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

// A key of a source row: a missing or non-numeric value counts as none (0).
int64_t keyOf(const rt::Variant& v) { return v.isNull() || v.isEmpty() || !v.isNumeric() ? 0 : v.toLong(); }

}  // namespace

pImport::pImport(pImportOwner& owner) : owner_(owner), clock_([] { return QDateTime::currentDateTime(); }) {
  source_.setReadOnly(true);
}

pImport::~pImport() { CloseRecordsets(); }

jet::Database& pImport::sourceDB() const {
  if (!source_.DB())
    throw rt::RaisedError(rt::kErrNoObject, QString(), QStringLiteral("Die Quelldatenbank ist nicht geöffnet."));
  return *source_.DB();
}

void pImport::ShowStatus(const QString& text) {
  try {
    if (gfrmMain) gfrmMain->pubStatus(text);
  } catch (...) {
  }
}

void pImport::requireKey(int64_t key) {
  if (key < 1 || key > std::numeric_limits<int32_t>::max())
    throw rt::RaisedError(rt::kErrOverflow, QString(), QStringLiteral("Überlauf."));
}

int32_t pImport::takeKey(int64_t& next) {
  requireKey(next);
  return static_cast<int32_t>(next++);
}

pImport::FieldMap pImport::fieldMap(jet::Recordset& target, jet::Recordset& source, const QStringList& setLater) {
  FieldMap map;
  for (int i = 0; i < target.FieldCount(); ++i) {
    jet::Field field = target.Fields(i);
    if (field.Attributes() & jet::dbSystemField) continue;
    const int from = fieldIndex(source, field.Name());
    if (!setLater.contains(field.Name(), Qt::CaseInsensitive)) map.emplace_back(i, from);
  }
  return map;
}

void pImport::copyFields(jet::Recordset& source, jet::Recordset& target, const FieldMap& fields) {
  target.AddNew();
  for (const auto& [to, from] : fields) target.Fields(to).SetValue(source.Fields(from).Value());
}

bool pImport::Import(int32_t& lCatCount, int32_t& lVolCount, int32_t& lLocCount) {
  VolumesImported = CategoriesImported = LocationsAdded = 0;
  lCatCount = lVolCount = lLocCount = 0;
  std::shared_ptr<jet::Workspace> ws;
  // Detached after the transaction ended: SQLite does not let go of a file that a running
  // transaction has read.
  std::optional<jet::AttachScope> attached;
  std::optional<jet::TransactionScope> sourceRead;
  std::optional<jet::TransactionScope> transaction;
  std::optional<ui::HourglassScope> hourglass;
  bool result = false;
  try {
    if (!gDB || !gDB->WS() || !gDB->DB())
      throw rt::RaisedError(rt::kErrNoObject, QString(), QStringLiteral("Es ist keine Katalogdatenbank geöffnet."));
    SourcePath = GetImportDB();
    if (!SourcePath.isEmpty() && OpenSource(SourcePath)) {
      std::vector<int32_t> categories, volumes;
      const bool confirmed = owner_.SelectFromSource(source_.DB(), SourcePath, categories, volumes);
      if (confirmed && !(categories.empty() && volumes.empty())) {
        hourglass.emplace();
        // The copy pumps messages so the screen stays drawn; nothing else may run meanwhile,
        // and the copy itself cannot be cancelled.
        ui::BusyScope busy;
        ws = gDB->WS();
        // Folder and file rows go from the source to the catalogue by statements of the
        // catalogue's connection, which reads the source as an attached file.
        attached.emplace(gDB->DB(), SourcePath, kSource);
        transaction.emplace(*ws);
        // One read transaction over the source: every row comes from the same state of it. The
        // attached file is read in the catalogue's transaction; each of the two holds the source
        // from its start on, so no writer can change it in between.
        sourceRead.emplace(*source_.WS());
        OpenRecordsets();
        const int32_t top = CreateImportCategory();
        for (const int32_t cid : categories) ImportCategory(cid, top);
        for (const int32_t vid : volumes) ImportVolume(vid, top);
        run(QStringLiteral("DROP TABLE temp.") + kFolderMap);
        transaction->Commit();
        lCatCount = CategoriesImported;
        lVolCount = VolumesImported;
        lLocCount = LocationsAdded;
        result = true;
      }
    }
  } catch (...) {
    // The box waits for the user: roll back and let go of the source first, so nobody else
    // who shares the catalogue or the source waits as long as it stays open.
    const rt::RaisedError error = rt::currentError();
    transaction.reset();
    CloseRecordsets();
    attached.reset();
    sourceRead.reset();
    gErr->ErrMsg(error, kClass, QStringLiteral("Import"));
    lCatCount = lVolCount = lLocCount = 0;
    result = false;
  }
  // Clean-up on every path; errors no longer matter here.
  CloseRecordsets();
  attached.reset();
  sourceRead.reset();
  ShowStatus(QString());
  hourglass.reset();
  return result;
}

QString pImport::GetImportDB() {
  try {
    const QString initialDir = gOptions ? gOptions->InitDir() : QString();
    const QString path = owner_.ChooseSourceFile(initialDir, gErr->MsgLoad(kMsgSelectDatabase), CatalogueFileFilter());
    if (path.isEmpty()) return QString();
    ui::pumpMessages();
    ui::pumpMessages();
    // The same file under any spelling or through a link is the open catalogue.
    if (cuDAODatabase::SameFile(path, gDB->DBPath())) {
      gErr->MsgShow(kMsgAlreadyOpen, ui::kInformation, path);
      return QString();
    }
    if (gOptions) gOptions->setLastDir(GetFolderPart(path, true, true));
    return path;
  } catch (...) {
    gErr->ErrReRaise(kClass, QStringLiteral("GetImportDB"));
  }
}

bool pImport::OpenSource(const QString& path) {
  try {
    // Shared and read-only: others may keep using the source, and nothing here can change it.
    source_.setDBPathForInit(path);
    int32_t shared = 0;
    bool ok = false;
    source_.Init(SystemDBPath(), kCatalogueUser, kCataloguePassword, shared, ok);
    if (!ok) gErr->ErrRaise(-kMsgInitFailed);
    if (!VersionCheck(source_.DB(), false)) {
      source_.setDBPath(QString());
      return false;
    }
    return true;
  } catch (...) {
    ShowOpenError(path, rt::currentError());
    try {
      source_.setDBPath(QString());
    } catch (...) {
    }
    return false;
  }
}

void pImport::OpenRecordsets() {
  jet::Database& target = *gDB->DB();
  tCategories_ = openTable(target, QStringLiteral("tblCATEGORIES"), kPrimaryKey);
  tPaths_ = openTable(target, QStringLiteral("tblPATHS"), kPrimaryKey);
  tFiles_ = openTable(target, QStringLiteral("tblFILES"), kPrimaryKey);
  // Locations are found by name.
  tLocations_ = openTable(target, QStringLiteral("tblLOCATIONS"), QStringLiteral("LocName"));
  tVolumes_ = openTable(target, QStringLiteral("tblVOLUMES"), kPrimaryKey);
  sLocations_ = openTable(sourceDB(), QStringLiteral("tblLOCATIONS"), kPrimaryKey);
  sVolumes_ = openTable(sourceDB(), QStringLiteral("tblVOLUMES"), kPrimaryKey);
  volumeFields_ =
      fieldMap(*tVolumes_, *sVolumes_, {QStringLiteral("VID"), QStringLiteral("CatID"), QStringLiteral("LocID")});
  // In the transaction: a failed import takes it away with the rest.
  run(QStringLiteral("DROP TABLE IF EXISTS temp.") + kFolderMap);
  run(QStringLiteral("CREATE TEMP TABLE ") + kFolderMap +
      QStringLiteral(" (OldPID INTEGER PRIMARY KEY, NewPID INTEGER NOT NULL UNIQUE)"));
  NextCID = NewKey(kKeyCID);
  NextPID = NewKey(kKeyPID);
  NextVID = NewKey(kKeyVID);
  NextFID = NewKey(kKeyFID);
  NextLID = NewKey(kKeyLID);
}

void pImport::CloseRecordsets() {
  for (auto* rs : {&tCategories_, &tPaths_, &tFiles_, &tLocations_, &tVolumes_, &sLocations_, &sVolumes_})
    closeQuietly(*rs);
}

int32_t pImport::CreateImportCategory() {
  const int32_t key = takeKey(NextCID);
  tCategories_->AddNew();
  tCategories_->Fields(QStringLiteral("CID")).SetValue(key);
  tCategories_->Fields(QStringLiteral("CatName"))
      .SetValue(QStringLiteral("Import ") + clock_().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
  tCategories_->Update();
  return key;
}

void pImport::ImportCategory(int32_t CID, int32_t TopCID) {
  std::shared_ptr<jet::Recordset> cats;
  std::shared_ptr<jet::Recordset> vols;
  try {
    std::vector<CatItem> list;
    fCatArraySub(CID, list, &sourceDB());
    list.push_back({CID, QString()});
    std::vector<CategoryMapEntry> map(list.size());

    cats = openTable(sourceDB(), QStringLiteral("tblCATEGORIES"), kPrimaryKey);
    const FieldMap fields = fieldMap(*tCategories_, *cats, {QStringLiteral("CID"), QStringLiteral("Parent")});
    QHash<int64_t, int32_t> newKeys;
    for (size_t i = 0; i < list.size(); ++i) {
      cats->Seek(kEq, {rt::Variant(list[i].CID)});
      if (cats->NoMatch()) gErr->ErrRaise(-kMsgRecordNotFound, QString(), QString(), QString(), list[i].CID);
      CategoryMapEntry& entry = map[i];
      list[i].CatName = entry.CatName = NzValue(cats->Fields(QStringLiteral("CatName")).Value(), QString()).toText();
      entry.OldCID = list[i].CID;
      entry.OldParent = keyOf(cats->Fields(QStringLiteral("Parent")).Value());
      entry.NewCID = takeKey(NextCID);
      CopyCatData(*cats, fields, entry);
      if (!newKeys.contains(entry.OldCID)) newKeys.insert(entry.OldCID, entry.NewCID);
    }

    // The copies keep their tree among themselves; the ticked category (the last entry) hangs
    // under the import category, also when a damaged source makes it a descendant of itself.
    for (size_t i = 0; i < map.size(); ++i) {
      CategoryMapEntry& entry = map[i];
      const bool ticked = i + 1 == map.size();
      if (entry.OldParent != 0 && !ticked) entry.NewParent = newKeys.value(entry.OldParent, 0);
      if (TopCID > 0 && entry.NewParent == 0) entry.NewParent = TopCID;
      if (entry.NewParent > 0) {
        tCategories_->Seek(kEq, {rt::Variant(entry.NewCID)});
        tCategories_->Edit();
        tCategories_->Fields(QStringLiteral("Parent")).SetValue(entry.NewParent);
        tCategories_->Update();
      }
    }

    for (const CategoryMapEntry& entry : map) {
      ShowStatus(QStringLiteral("Importiere Kategorie '") + entry.CatName + QStringLiteral("' ..."));
      vols = sourceDB().OpenRecordset(QStringLiteral("SELECT VID FROM tblVOLUMES WHERE CatID = ? ORDER BY VID"),
                                      jet::RecordsetType::ForwardOnly, {rt::Variant(entry.OldCID)});
      while (!vols->IsEOF()) {
        ImportVolume(vols->Fields(0).Value().toInt(), entry.NewCID);
        vols->MoveNext();
      }
      closeQuietly(vols);
    }
    closeQuietly(cats);
  } catch (...) {
    if (tCategories_) cancelQuietly(*tCategories_);
    closeQuietly(vols);
    closeQuietly(cats);
    gErr->ErrReRaise(kClass, QStringLiteral("ImportCategory"));
  }
}

void pImport::ImportVolume(int32_t VID, int32_t CatID) {
  std::shared_ptr<jet::Recordset> folders;
  std::shared_ptr<jet::Recordset> files;
  try {
    folders = sourceDB().OpenRecordset(QStringLiteral("SELECT * FROM tblPATHS WHERE VolumeID = ? ORDER BY PID"),
                                       jet::RecordsetType::ForwardOnly, {rt::Variant(VID)});
    // A volume without folder rows is not copied.
    if (folders->IsEOF()) {
      closeQuietly(folders);
      return;
    }
    VolumeKey = takeKey(NextVID);
    CreateVolume(VID, CatID);

    const FieldMap pathFields =
        fieldMap(*tPaths_, *folders, {QStringLiteral("PID"), QStringLiteral("VolumeID"), QStringLiteral("Parent")});
    files = sourceDB().OpenRecordset(QStringLiteral("tblFILES"), jet::RecordsetType::Table);
    const FieldMap fileFields = fieldMap(*tFiles_, *files, {QStringLiteral("FID"), QStringLiteral("PathID")});
    CopyPathData(VID, targetColumns(*tPaths_, pathFields), sourceColumns(*folders, pathFields, QStringLiteral("s")));
    CopyFileData(targetColumns(*tFiles_, fileFields), sourceColumns(*files, fileFields, QStringLiteral("f")));
    closeQuietly(files);
    closeQuietly(folders);
  } catch (...) {
    closeQuietly(files);
    closeQuietly(folders);
    gErr->ErrReRaise(kClass, QStringLiteral("ImportVolume"));
  }
}

void pImport::CreateVolume(int32_t VID, int32_t CatID) {
  try {
    sVolumes_->Seek(kEq, {rt::Variant(VID)});
    if (sVolumes_->NoMatch()) gErr->ErrRaise(-kMsgRecordNotFound, QString(), QString(), QString(), VID);
    ShowStatus(QStringLiteral("Importiere Volume '") +
               NzValue(sVolumes_->Fields(QStringLiteral("VolumeName")).Value(), QString()).toText() +
               QStringLiteral("' ..."));
    const rt::Variant locId = sVolumes_->Fields(QStringLiteral("LocID")).Value();
    const int32_t location = locId.isNull() ? 0 : CreateLoc(static_cast<int32_t>(keyOf(locId)));
    copyFields(*sVolumes_, *tVolumes_, volumeFields_);
    tVolumes_->Fields(QStringLiteral("CatID")).SetValue(CatID < 1 ? rt::Null : rt::Variant(CatID));
    tVolumes_->Fields(QStringLiteral("LocID")).SetValue(location < 1 ? rt::Null : rt::Variant(location));
    tVolumes_->Fields(QStringLiteral("VID")).SetValue(VolumeKey);
    tVolumes_->Update();
    ++VolumesImported;
  } catch (...) {
    cancelQuietly(*tVolumes_);
    gErr->ErrReRaise(kClass, QStringLiteral("CreateVolume"));
  }
}

int32_t pImport::CreateLoc(int32_t LocID) {
  try {
    sLocations_->Seek(kEq, {rt::Variant(LocID)});
    if (sLocations_->NoMatch()) gErr->ErrRaise(-kMsgRecordNotFound, QString(), QString(), QString(), LocID);
    const rt::Variant name = sLocations_->Fields(QStringLiteral("LocName")).Value();
    // A location of that name is used as it is, whatever its description says.
    tLocations_->Seek(kEq, {name});
    if (!tLocations_->NoMatch()) return tLocations_->Fields(QStringLiteral("lID")).Value().toInt();
    const int32_t key = takeKey(NextLID);
    tLocations_->AddNew();
    tLocations_->Fields(QStringLiteral("lID")).SetValue(key);
    tLocations_->Fields(QStringLiteral("LocName")).SetValue(name);
    tLocations_->Fields(QStringLiteral("LocDescription"))
        .SetValue(sLocations_->Fields(QStringLiteral("LocDescription")).Value());
    tLocations_->Update();
    ++LocationsAdded;
    return key;
  } catch (...) {
    cancelQuietly(*tLocations_);
    gErr->ErrReRaise(kClass, QStringLiteral("CreateLoc"));
  }
}

void pImport::CopyCatData(jet::Recordset& source, const FieldMap& fields, const CategoryMapEntry& entry) {
  try {
    copyFields(source, *tCategories_, fields);
    tCategories_->Fields(QStringLiteral("CID")).SetValue(entry.NewCID);
    tCategories_->Fields(QStringLiteral("Parent")).SetValue(rt::Null);
    tCategories_->Update();
    ++CategoriesImported;
  } catch (...) {
    cancelQuietly(*tCategories_);
    gErr->ErrReRaise(kClass, QStringLiteral("CopyCatData"));
  }
}

// The volume's folders take the next keys in the order of their source keys; each parent is
// the copy of the source's parent, none where that is no folder of the volume (a damaged
// source) or where the source names none.
void pImport::CopyPathData(int32_t VID, const QString& targetCols, const QString& sourceCols) {
  try {
    run(QStringLiteral("DELETE FROM temp.") + kFolderMap);
    const int64_t count =
        run(QStringLiteral("INSERT INTO temp.") + kFolderMap +
                QStringLiteral(" (OldPID, NewPID) SELECT PID, ?2 + row_number() OVER (ORDER BY PID) - 1 "
                               "FROM ") +
                kSource + QStringLiteral(".tblPATHS WHERE VolumeID = ?1"),
            {rt::Variant(VID), rt::Variant(static_cast<long long>(NextPID))});
    FirstPID = NextPID;
    requireKey(NextPID + count - 1);
    run(QStringLiteral("INSERT INTO main.tblPATHS (PID, VolumeID, Parent, ") + targetCols +
            QStringLiteral(") SELECT m.NewPID, ?2, p.NewPID, ") + sourceCols + QStringLiteral(" FROM ") + kSource +
            QStringLiteral(".tblPATHS s JOIN temp.") + kFolderMap +
            QStringLiteral(" m ON m.OldPID = s.PID LEFT JOIN temp.") + kFolderMap +
            QStringLiteral(" p ON p.OldPID = s.Parent AND s.Parent <> 0 WHERE s.VolumeID = ?1 ORDER BY s.PID"),
        {rt::Variant(VID), rt::Variant(VolumeKey)});
    NextPID += count;
  } catch (...) {
    gErr->ErrReRaise(kClass, QStringLiteral("CopyPathData"));
  }
}

// The files of the volume's folders, in the order of their folders, each folder's by key, take
// the next keys. Rows inserted without a key get one past the largest, in the order the rows
// come: the first is NextFID, which is one past the largest key when the copy begins.
void pImport::CopyFileData(const QString& targetCols, const QString& sourceCols) {
  try {
    if (largestFileKey() != NextFID - 1)
      throw rt::RaisedError(rt::kErrInternal, QString(), QStringLiteral("Die Dateischlüssel sind nicht fortlaufend."));
    const QString sql = QStringLiteral("INSERT INTO main.tblFILES (FID, PathID, ") + targetCols +
                        QStringLiteral(") SELECT NULL, m.NewPID, ") + sourceCols + QStringLiteral(" FROM temp.") +
                        kFolderMap + QStringLiteral(" m JOIN ") + kSource +
                        QStringLiteral(
                            ".tblFILES f ON f.PathID = m.OldPID WHERE m.NewPID BETWEEN ?1 AND ?2 "
                            "ORDER BY m.NewPID, f.FID");
    for (int64_t from = FirstPID; from < NextPID; from += kFoldersPerStatement) {
      const int64_t to = std::min(from + kFoldersPerStatement, NextPID) - 1;
      const int64_t count =
          run(sql, {rt::Variant(static_cast<long long>(from)), rt::Variant(static_cast<long long>(to))});
      if (count > 0) requireKey(NextFID + count - 1);
      NextFID += count;
      ui::pumpMessagesThrottled();
    }
    if (largestFileKey() != NextFID - 1)
      throw rt::RaisedError(rt::kErrInternal, QString(), QStringLiteral("Die Dateischlüssel sind nicht fortlaufend."));
  } catch (...) {
    gErr->ErrReRaise(kClass, QStringLiteral("CopyFileData"));
  }
}
