#include "catalogue/pFinder.h"

#include "foundation/cuAppError.h"
#include "platform/jet/JetSqlText.h"

#include <QElapsedTimer>

#include <algorithm>
#include <limits>

namespace {

const QString kSource = QStringLiteral("pFinder");
const QChar kBackslash = QLatin1Char('\\');
const QChar kSlash = QLatin1Char('/');

// The name condition of a slice: ?1 is the bound term or pattern.
QString nameCondition(const QString& column, bool wholeName) {
  return wholeName ? column + QStringLiteral(" = ?1 COLLATE JETTEXT") : column + QStringLiteral(" LIKE ?1");
}

// One slice of rows, ids in (?2, ?3], sorted as the list shows them.
QString sliceSql(FindKind kind, bool wholeName, bool oneVolume) {
  const QString volume = oneVolume ? QStringLiteral(" AND v.VID = ?4") : QString();
  if (kind == FindKind::Files)
    return QStringLiteral(
               "SELECT f.FID, v.VID, p.PID, f.Filename, jet_concat(v.VolumePath, p.Path) AS FolderKey "
               "FROM tblFILES AS f CROSS JOIN tblPATHS AS p CROSS JOIN tblVOLUMES AS v "
               "WHERE f.FID > ?2 AND f.FID <= ?3 AND ") +
           nameCondition(QStringLiteral("f.Filename"), wholeName) +
           QStringLiteral(" AND p.PID = f.PathID AND v.VID = p.VolumeID") + volume +
           QStringLiteral(
               " ORDER BY f.Filename COLLATE JETTEXT, v.VolumeName COLLATE JETTEXT, FolderKey COLLATE JETTEXT, "
               "f.FID");
  return QStringLiteral(
             "SELECT p.PID, v.VID, p.PID, p.Path, jet_concat(v.VolumePath, p.Path) AS FolderKey "
             "FROM tblPATHS AS p CROSS JOIN tblVOLUMES AS v "
             "WHERE p.PID > ?2 AND p.PID <= ?3 AND p.Path IS NOT NULL AND ") +
         nameCondition(QStringLiteral("p.Path"), wholeName) + QStringLiteral(" AND v.VID = p.VolumeID") + volume +
         QStringLiteral(" ORDER BY v.VolumeName COLLATE JETTEXT, FolderKey COLLATE JETTEXT, p.PID");
}

// The last id of the slice that starts after ?1: the id sliceRows rows on, or none at the end.
QString sliceEndSql(FindKind kind) {
  return kind == FindKind::Files
             ? QStringLiteral("SELECT FID FROM tblFILES WHERE FID > ?1 ORDER BY FID LIMIT 1 OFFSET ?2")
             : QStringLiteral("SELECT PID FROM tblPATHS WHERE PID > ?1 ORDER BY PID LIMIT 1 OFFSET ?2");
}

QString anyRowsSql(FindKind kind, bool oneVolume) {
  const QString volume = oneVolume ? QStringLiteral(" AND v.VID = ?1") : QString();
  if (kind == FindKind::Files)
    return QStringLiteral(
               "SELECT EXISTS (SELECT 1 FROM tblFILES AS f INNER JOIN tblPATHS AS p ON p.PID = f.PathID "
               "INNER JOIN tblVOLUMES AS v ON v.VID = p.VolumeID WHERE 1") +
           volume + QStringLiteral(")");
  return QStringLiteral(
             "SELECT EXISTS (SELECT 1 FROM tblPATHS AS p INNER JOIN tblVOLUMES AS v ON v.VID = p.VolumeID "
             "WHERE p.Path IS NOT NULL") +
         volume + QStringLiteral(")");
}

}  // namespace

FindTerm ParseFindTerm(const QString& input) {
  FindTerm t;
  if (input.isEmpty()) return t;
  // "/" marks a folder term as "\" does: it is the separator a Linux user types, and no Linux
  // name holds it.
  const auto isMark = [](QChar c) { return c == kBackslash || c == kSlash; };
  if (input.size() == 1 && isMark(input.front())) {
    t.verdict = FindTerm::Verdict::Ignore;
    return t;
  }
  t.text = input;
  if (std::any_of(t.text.cbegin(), t.text.cend(), isMark)) {
    t.kind = FindKind::Folders;
    if (isMark(t.text.front())) t.text.remove(0, 1);
    if (!t.text.isEmpty() && isMark(t.text.back())) t.text.chop(1);
    if (std::any_of(t.text.cbegin(), t.text.cend(), isMark)) {
      t.verdict = FindTerm::Verdict::Invalid;
      return t;
    }
  }
  t.verdict = FindTerm::Verdict::Search;
  return t;
}

pFinder::pFinder(jet::Database& db, FindKind kind, const QString& term, bool wholeName, int32_t VID, int sliceRows)
    : db_(db),
      folders_(db),
      kind_(kind),
      term_(wholeName ? term : QStringLiteral("*") + term + QStringLiteral("*")),
      wholeName_(wholeName),
      vid_(VID),
      sliceRows_(sliceRows > 0 ? sliceRows : 8192),
      timedSlices_(sliceRows <= 0) {
  try {
    // A bad pattern is told before any row is read, in the matcher's own words.
    if (!wholeName_) jet::LikePattern check(term_);
    readScope_ = db_.OpenNativeQuery(QStringLiteral("SELECT 1 FROM sqlite_schema"));
    readScope_->Next();
    loadVolumes();
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("Init"));
    throw;
  }
}

pFinder::~pFinder() = default;

void pFinder::loadVolumes() {
  auto q = db_.OpenNativeQuery(QStringLiteral("SELECT VID, VolumeName, VolumePath FROM tblVOLUMES"));
  while (q->Next()) {
    const auto vid = static_cast<int32_t>(q->Long(0));
    volumes_.insert(vid, FindVolume{q->Text(1), q->Text(2)});
    volumeKeys_.insert(vid, std::string(q->Utf8(1)));
  }
}

const FindVolume& pFinder::Volume(int32_t VID) const {
  static const FindVolume none;
  auto it = volumes_.constFind(VID);
  return it == volumes_.constEnd() ? none : it.value();
}

bool pFinder::AnyRows() {
  try {
    std::vector<rt::Variant> params;
    if (vid_ > 0) params.push_back(rt::Variant(vid_));
    auto q = db_.OpenNativeQuery(anyRowsSql(kind_, vid_ > 0), params);
    return q->Next() && q->Long(0) != 0;
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("AnyRows"));
    throw;
  }
}

bool pFinder::Scan() {
  if (scanned_) return false;
  QElapsedTimer clock;
  clock.start();
  try {
    int64_t end = std::numeric_limits<int64_t>::max();
    {
      auto q = db_.OpenNativeQuery(sliceEndSql(kind_), {rt::Variant(static_cast<long long>(lastId_)),
                                                        rt::Variant(static_cast<long long>(sliceRows_ - 1))});
      if (q->Next()) end = q->Long(0);
    }
    std::vector<rt::Variant> params{rt::Variant(term_), rt::Variant(static_cast<long long>(lastId_)),
                                    rt::Variant(static_cast<long long>(end))};
    if (vid_ > 0) params.push_back(rt::Variant(vid_));
    auto q = db_.OpenNativeQuery(sliceSql(kind_, wholeName_, vid_ > 0), params);
    Run run;
    while (q->Next()) {
      const auto pid = static_cast<int32_t>(q->Long(2));
      const std::string_view name = q->Utf8(3);
      run.entries.push_back(Entry{static_cast<int32_t>(q->Long(0)), static_cast<int32_t>(q->Long(1)), pid,
                                  static_cast<uint32_t>(run.names.size()), static_cast<uint32_t>(name.size())});
      run.names.append(name);
      if (!folderKeys_.contains(pid)) folderKeys_.insert(pid, std::string(q->Utf8(4)));
    }
    run.entries.shrink_to_fit();
    run.names.shrink_to_fit();
    hitCount_ += static_cast<int64_t>(run.entries.size());
    if (!run.entries.empty()) runs_.push_back(std::move(run));
    lastId_ = end;
    scanned_ = end == std::numeric_limits<int64_t>::max();
    if (timedSlices_) {
      // The next slice larger or smaller, so that each takes about the same time.
      const qint64 ms = clock.elapsed();
      if (ms < kSliceMs / 2 && sliceRows_ < (1 << 20)) sliceRows_ *= 2;
      if (ms > kSliceMs * 2 && sliceRows_ > 1024) sliceRows_ /= 2;
    }
    return !scanned_;
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("Scan"));
    throw;
  }
}

int pFinder::compare(const Run& ra, const Entry& a, const Run& rb, const Entry& b) const {
  auto key = [](const QHash<int32_t, std::string>& keys, int32_t id) -> std::string_view {
    auto it = keys.constFind(id);
    return it == keys.constEnd() ? std::string_view() : std::string_view(it.value());
  };
  int c = 0;
  if (kind_ == FindKind::Files && (c = jet::compareText(ra.name(a), rb.name(b))) != 0) return c;
  if (a.vid != b.vid && (c = jet::compareText(key(volumeKeys_, a.vid), key(volumeKeys_, b.vid))) != 0) return c;
  if (a.pid != b.pid && (c = jet::compareText(key(folderKeys_, a.pid), key(folderKeys_, b.pid))) != 0) return c;
  return a.id < b.id ? -1 : (a.id > b.id ? 1 : 0);
}

bool pFinder::headLess(size_t runA, size_t runB) const {
  const Run& a = runs_[runA];
  const Run& b = runs_[runB];
  return compare(a, a.entries[a.next], b, b.entries[b.next]) < 0;
}

void pFinder::startMerge() {
  merging_ = true;
  heap_.clear();
  for (size_t i = 0; i < runs_.size(); ++i) heap_.push_back(i);
  // std heaps keep the largest on top: order by "greater" for the smallest head.
  std::make_heap(heap_.begin(), heap_.end(), [this](size_t a, size_t b) { return headLess(b, a); });
}

bool pFinder::NextHit(FindHit& hit) {
  if (!merging_) startMerge();
  if (heap_.empty()) return false;
  auto greater = [this](size_t a, size_t b) { return headLess(b, a); };
  std::pop_heap(heap_.begin(), heap_.end(), greater);
  const size_t r = heap_.back();
  Run& run = runs_[r];
  const Entry& e = run.entries[run.next++];
  hit.ID = e.id;
  hit.VID = e.vid;
  hit.PID = e.pid;
  const std::string_view name = run.name(e);
  hit.Name = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  if (run.next < run.entries.size()) {
    std::push_heap(heap_.begin(), heap_.end(), greater);
  } else {
    heap_.pop_back();
    // A run handed out in full gives its memory back at once.
    std::vector<Entry>().swap(run.entries);
    std::string().swap(run.names);
  }
  return true;
}
