#include "ReaderTestSupport.h"

#include "platform/jet/Engine.h"
#include "platform/jet/Recordset.h"
#include "platform/runtime/TextCodec.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

#include <stdexcept>

namespace readertest {

BoxRecorder::BoxRecorder() {
  auto rec = std::make_unique<ui::RecordingPresenter>();
  rec_ = rec.get();
  previous_ = ui::setPresenter(std::move(rec));
}

BoxRecorder::~BoxRecorder() { ui::setPresenter(std::move(previous_)); }

void Catalogue::create(const QString& dir, bool shared) {
  path = dir + QStringLiteral("/Katalog.qvk");
  if (!QFile::copy(testenv::binDir() + QStringLiteral("/zuvrax.db"), path)) throw std::runtime_error("no template");
  QFile::setPermissions(path, shared ? QFileDevice::Permissions(0x6666) : QFile::ReadOwner | QFile::WriteOwner);
  jet::Engine& engine = jet::Engine::DBEngine();
  engine.SetSystemDB(testenv::binDir() + QStringLiteral("/zuvrax.mdw"));
  ws = engine.CreateWorkspace(QStringLiteral("Default"), QStringLiteral("QZAdmin"), QStringLiteral("Wexo71"));
  db = ws->OpenDatabase(path, false);
}

void Catalogue::addVolume(int32_t vid, const QString& volumePath) {
  db->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) "
                             "VALUES (?, ?, ?, 3, 40000)"),
              0, {rt::Variant(vid), rt::Variant(QStringLiteral("Volume %1").arg(vid)), rt::Variant(volumePath)});
}

int64_t Catalogue::count(const QString& sql) const {
  auto rs = db->OpenRecordset(sql, jet::RecordsetType::Snapshot);
  return rs->Fields(0).Value().toLong();
}

namespace {

ExpectedFolder walkInto(const QByteArray& dir, const QString& rel, bool skipHidden, const QStringList& noEnter,
                        QMap<QString, ExpectedFolder>& out) {
  ExpectedFolder f;
  out[rel] = f;
  if (noEnter.contains(rel)) return f;
  DIR* d = opendir(dir.constData());
  if (!d) throw std::runtime_error("cannot list " + dir.toStdString());
  QList<QByteArray> subs;
  while (dirent* e = readdir(d)) {
    const QByteArray name(e->d_name);
    if (name == "." || name == "..") continue;
    struct stat st;
    if (lstat((dir + name).constData(), &st) != 0) continue;
    const bool hidden = name.startsWith('.');
    if (S_ISDIR(st.st_mode)) {
      if (!(skipHidden && hidden)) subs << name;
      continue;
    }
    const int64_t size = S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) ? st.st_size : 0;
    f.allFiles[rt::decodeFileName(name)] = ExpectedFile{size, st.st_mtim.tv_sec};
    if (skipHidden && hidden) continue;
    ++f.files;
    f.size += size;
  }
  closedir(d);
  f.totalFiles = f.files;
  f.totalSize = f.size;
  f.totalDirs = static_cast<int32_t>(subs.size());
  for (const QByteArray& s : subs) {
    const QString childRel = rel.isEmpty() ? rt::decodeFileName(s) : rel + QLatin1Char('/') + rt::decodeFileName(s);
    const ExpectedFolder c = walkInto(dir + s + '/', childRel, skipHidden, noEnter, out);
    f.totalFiles += c.totalFiles;
    f.totalSize += c.totalSize;
    f.totalDirs += c.totalDirs;
  }
  out[rel] = f;
  return f;
}

}  // namespace

QMap<QString, ExpectedFolder> referenceWalk(const QByteArray& root, bool skipHidden, const QStringList& noEnter) {
  QMap<QString, ExpectedFolder> out;
  walkInto(root.endsWith('/') ? root : root + '/', QString(), skipHidden, noEnter, out);
  return out;
}

QMap<QString, StoredFolder> storedFolders(jet::Database& db, int32_t vid) {
  struct Row {
    QString name;
    int32_t parent = 0;
    StoredFolder s;
  };
  QMap<int32_t, Row> rows;
  auto rs = db.OpenRecordset(QStringLiteral("SELECT PID, Path, Parent, Memo, Files, Size, TotalDirs, TotalFiles, "
                                            "TotalSize FROM tblPATHS WHERE VolumeID = ? ORDER BY PID"),
                             jet::RecordsetType::Snapshot, {rt::Variant(vid)});
  for (; !rs->IsEOF(); rs->MoveNext()) {
    Row r;
    r.s.pid = rs->Fields(0).Value().toInt();
    r.name = rs->Fields(1).Value().isNull() ? QString() : rs->Fields(1).Value().toText();
    r.s.parent = rs->Fields(2).Value();
    r.parent = r.s.parent.isNull() ? 0 : r.s.parent.toInt();
    r.s.memo = rs->Fields(3).Value();
    r.s.values.files = rs->Fields(4).Value().toInt();
    r.s.values.size = static_cast<int64_t>(rs->Fields(5).Value().toDouble());
    r.s.values.totalDirs = rs->Fields(6).Value().toInt();
    r.s.values.totalFiles = rs->Fields(7).Value().toInt();
    r.s.values.totalSize = static_cast<int64_t>(rs->Fields(8).Value().toDouble());
    rows[r.s.pid] = r;
  }
  auto files = db.OpenRecordset(QStringLiteral("SELECT tblFILES.PathID, Filename, DateTime, Filesize FROM tblFILES "
                                               "INNER JOIN tblPATHS ON tblFILES.PathID = tblPATHS.PID "
                                               "WHERE tblPATHS.VolumeID = ?"),
                                jet::RecordsetType::Snapshot, {rt::Variant(vid)});
  for (; !files->IsEOF(); files->MoveNext()) {
    const int32_t pid = files->Fields(0).Value().toInt();
    if (!rows.contains(pid)) throw std::runtime_error("file row without folder row");
    ExpectedFile f;
    f.size = static_cast<int64_t>(files->Fields(3).Value().toDouble());
    // Stored as local OLE date; turn it back into seconds since 1970 (UTC).
    const QDateTime local = rt::dateTimeFromOleDate(files->Fields(2).Value().toDouble());
    f.mtime = QDateTime(local.date(), local.time(), Qt::LocalTime).toSecsSinceEpoch();
    rows[pid].s.values.allFiles[files->Fields(1).Value().toText()] = f;
  }
  QMap<QString, StoredFolder> out;
  for (const Row& r : rows) {
    QString rel = r.name;
    int32_t up = r.parent;
    int guard = 0;
    while (up != 0 && rows.contains(up) && ++guard < 1000) {
      if (!rows[up].name.isEmpty()) rel = rows[up].name + QLatin1Char('/') + rel;
      up = rows[up].parent;
    }
    out[rel] = r.s;
  }
  return out;
}

}  // namespace readertest
