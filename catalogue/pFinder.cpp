#include "catalogue/pFinder.h"

#include "foundation/cuAppError.h"
#include "platform/jet/JetSqlText.h"

#include <QElapsedTimer>

#include <sys/mman.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <limits>
#include <new>
#include <thread>
#include <utility>

namespace {

const QString kSource = QStringLiteral("pFinder");
const QChar kBackslash = QLatin1Char('\\');
const QChar kSlash = QLatin1Char('/');

// Above so many folders of one slice not known yet, all folders of the range are read at once.
constexpr qsizetype kFolderBatch = 256;

// One slice of rows, ids in [?2, ?3], in the table's order; ?1 is the bound term or pattern. A
// pattern that matches every name leaves only the Null names out.
QString sliceSql(FindKind kind, bool wholeName, bool everything, bool oneVolume) {
  const QString column = kind == FindKind::Files ? QStringLiteral("f.Filename") : QStringLiteral("p.Path");
  const QString name = everything  ? column + QStringLiteral(" IS NOT NULL")
                       : wholeName ? column + QStringLiteral(" = ?1 COLLATE JETTEXT")
                                   : column + QStringLiteral(" LIKE ?1");
  if (kind == FindKind::Files)
    return QStringLiteral(
               "SELECT f.FID, f.PathID, f.Filename FROM tblFILES AS f WHERE f.FID >= ?2 AND f.FID <= ?3 AND ") +
           name;
  return QStringLiteral("SELECT p.PID, p.VolumeID, p.Path FROM tblPATHS AS p WHERE p.PID >= ?2 AND p.PID <= ?3 AND ") +
         name + (oneVolume ? QStringLiteral(" AND p.VolumeID = ?4") : QString());
}

// The first id after ?1.
QString idAfterSql(FindKind kind) {
  return kind == FindKind::Files ? QStringLiteral("SELECT FID FROM tblFILES WHERE FID > ?1 ORDER BY FID LIMIT 1")
                                 : QStringLiteral("SELECT PID FROM tblPATHS WHERE PID > ?1 ORDER BY PID LIMIT 1");
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

// A Like pattern of nothing but "*" matches every text.
bool matchesEverything(const QString& pattern) {
  return std::all_of(pattern.cbegin(), pattern.cend(), [](QChar c) { return c == QLatin1Char('*'); });
}

}  // namespace

// ---- runs --------------------------------------------------------------------------------

namespace {
constexpr size_t kBlockBytes = 256 * 1024;
// A record: head, id, folder, name size, then the name.
constexpr size_t kRecordHeader = sizeof(jet::SortHead) + sizeof(int32_t) + sizeof(uint32_t) + sizeof(uint32_t);
constexpr size_t kIdAt = sizeof(jet::SortHead), kFolderAt = kIdAt + 4, kSizeAt = kFolderAt + 4;
}  // namespace

pFinder::PageBlock::PageBlock(size_t bytes) : size_(bytes) {
  void* m = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (m == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<char*>(m);
}

pFinder::PageBlock::PageBlock(PageBlock&& other) noexcept : data_(other.data_), size_(other.size_) {
  other.data_ = nullptr;
}

pFinder::PageBlock::~PageBlock() { reset(); }

void pFinder::PageBlock::reset() {
  if (data_) munmap(data_, size_);
  data_ = nullptr;
}

pFinder::Run::Run(const std::vector<Entry>& sorted, const std::string& names) {
  size_t left = 0;
  for (const Entry& e : sorted) left += kRecordHeader + e.nameSize;
  char* block = nullptr;
  size_t room = 0;
  for (const Entry& e : sorted) {
    const size_t bytes = kRecordHeader + e.nameSize;
    if (bytes > room) {
      // A run of a few hits takes no more than it needs.
      const size_t size = std::max(bytes, std::min(kBlockBytes, left));
      blocks_.emplace_back(size);
      used_.push_back(0);
      block = blocks_.back().data();
      room = size;
    }
    char* out = block + used_.back();
    std::memcpy(out, &e.head, sizeof e.head);
    std::memcpy(out + kIdAt, &e.id, sizeof e.id);
    std::memcpy(out + kFolderAt, &e.folder, sizeof e.folder);
    std::memcpy(out + kSizeAt, &e.nameSize, sizeof e.nameSize);
    std::memcpy(out + kRecordHeader, names.data() + e.nameAt, e.nameSize);
    used_.back() += bytes;
    room -= bytes;
    left -= bytes;
  }
  advance();
}

bool pFinder::Run::advance() {
  if (block_ < used_.size() && at_ == used_[block_]) {
    ++block_;
    at_ = 0;
  }
  if (block_ >= used_.size()) return false;
  const char* in = blocks_[block_].data() + at_;
  uint32_t size = 0;
  std::memcpy(&head_.head, in, sizeof head_.head);
  std::memcpy(&head_.id, in + kIdAt, sizeof head_.id);
  std::memcpy(&head_.folder, in + kFolderAt, sizeof head_.folder);
  std::memcpy(&size, in + kSizeAt, sizeof size);
  head_.name = std::string_view(in + kRecordHeader, size);
  at_ += kRecordHeader + size;
  return true;
}

void pFinder::Run::release() {
  // The next record lies in block_, those handed out before it.
  for (; released_ < block_ && released_ < blocks_.size(); ++released_) blocks_[released_].reset();
}

// ---- threads ------------------------------------------------------------------------------

// Sorts slices into runs on two threads while the caller reads the next slices. A few slices
// wait at most: the caller waits for room rather than holding the whole scan in memory.
class pFinder::Sorter {
 public:
  explicit Sorter(pFinder& owner) : owner_(owner) {
    for (int i = 0; i < kThreads; ++i) threads_.emplace_back([this] { work(); });
  }
  ~Sorter() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  Sorter(const Sorter&) = delete;
  Sorter& operator=(const Sorter&) = delete;

  void add(std::vector<Entry> entries, std::string names) {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return queue_.size() < kWaiting || error_; });
    if (error_) std::rethrow_exception(error_);
    queue_.push_back(Job{std::move(entries), std::move(names)});
    wake_.notify_one();
  }
  // Waits until every slice added is a run of the owner's.
  void finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return (queue_.empty() && busy_ == 0) || error_; });
    if (error_) std::rethrow_exception(error_);
  }

 private:
  struct Job {
    std::vector<Entry> entries;
    std::string names;
  };
  static constexpr int kThreads = 2;
  static constexpr size_t kWaiting = 2;

  void work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      Job job = std::move(queue_.front());
      queue_.pop_front();
      ++busy_;
      idle_.notify_all();
      lock.unlock();
      try {
        Run run = owner_.sortedRun(job.entries, job.names);
        job = Job{};
        lock.lock();
        owner_.runs_.push_back(std::move(run));
      } catch (...) {
        if (!lock.owns_lock()) lock.lock();
        if (!error_) error_ = std::current_exception();
      }
      --busy_;
      idle_.notify_all();
    }
  }

  pFinder& owner_;
  std::mutex mutex_;
  std::condition_variable wake_;  // a job or the stop
  std::condition_variable idle_;  // room in the queue, a job done
  std::deque<Job> queue_;
  int busy_ = 0;
  bool stop_ = false;
  std::exception_ptr error_;
  std::vector<std::thread> threads_;
};

// Hits of the merge thread with their names, handed over as a whole.
struct pFinder::Batch {
  struct Out {
    int32_t id, vid, pid;
    uint32_t nameAt, nameSize;
  };
  std::vector<Out> hits;
  std::string names;
};

// Merges on a thread of its own, a few batches ahead of the caller taking the hits.
class pFinder::Merger {
 public:
  explicit Merger(pFinder& owner) : owner_(owner), thread_([this] { work(); }) {}
  ~Merger() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  Merger(const Merger&) = delete;
  Merger& operator=(const Merger&) = delete;

  // The next batch, the one taken before given back for reuse; nullptr after the last.
  std::unique_ptr<Batch> take(std::unique_ptr<Batch> used) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (used) spare_.push_back(std::move(used));
    changed_.wait(lock, [this] { return !full_.empty() || ended_; });
    if (full_.empty()) {
      if (error_) std::rethrow_exception(error_);
      return nullptr;
    }
    std::unique_ptr<Batch> next = std::move(full_.front());
    full_.pop_front();
    changed_.notify_all();
    return next;
  }

 private:
  static constexpr size_t kHits = 8192;
  static constexpr size_t kAhead = 4;

  void work() {
    try {
      for (bool more = true; more;) {
        std::unique_ptr<Batch> batch;
        {
          std::unique_lock<std::mutex> lock(mutex_);
          changed_.wait(lock, [this] { return stop_ || full_.size() < kAhead; });
          if (stop_) return;
          if (!spare_.empty()) {
            batch = std::move(spare_.back());
            spare_.pop_back();
          }
        }
        if (!batch) batch = std::make_unique<Batch>();
        batch->hits.clear();
        batch->names.clear();
        FindHit hit;
        std::string_view name;
        Run* run = nullptr;
        while (batch->hits.size() < kHits && (more = owner_.mergeNext(hit, name, run))) {
          batch->hits.push_back(Batch::Out{hit.ID, hit.VID, hit.PID, static_cast<uint32_t>(batch->names.size()),
                                           static_cast<uint32_t>(name.size())});
          batch->names.append(name);
          run->release();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (!batch->hits.empty()) full_.push_back(std::move(batch));
        changed_.notify_all();
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      error_ = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  }

  pFinder& owner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Batch>> full_;
  std::vector<std::unique_ptr<Batch>> spare_;
  bool stop_ = false;
  bool ended_ = false;
  std::exception_ptr error_;
  std::thread thread_;  // last: it starts once the rest is made
};

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
      everything_(!wholeName && matchesEverything(term_)),
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
    gErr->ErrReRaise(kSource, QStringLiteral("Init"));
  }
}

pFinder::~pFinder() {
  // The threads end before what they read.
  merger_.reset();
  sorter_.reset();
}

void pFinder::loadVolumes() {
  auto q = db_.OpenNativeQuery(QStringLiteral("SELECT VID, VolumeName, VolumePath FROM tblVOLUMES"));
  while (q->Next()) {
    const auto vid = static_cast<int32_t>(q->Long(0));
    volumes_.insert(vid, FindVolume{q->Text(1), q->Text(2)});
    volumeKeys_.insert(vid, jet::sortKey(q->Utf8(1)));
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
    gErr->ErrReRaise(kSource, QStringLiteral("AnyRows"));
  }
}

void pFinder::addFolder(int32_t pid, int32_t vid, std::string_view name) {
  auto v = volumes_.constFind(vid);
  // A folder of no volume has no place in the list, as the join leaves it out.
  if (v == volumes_.constEnd() || (vid_ > 0 && vid != vid_)) return;
  const auto place = static_cast<uint32_t>(folderList_.size());
  // Ids of folders mostly run from 1 without large gaps: those find their place in a table.
  if (pid >= 0 && static_cast<size_t>(pid) < 4 * (folderList_.size() + 1) + 65536) {
    if (static_cast<size_t>(pid) >= byId_.size()) byId_.resize(static_cast<size_t>(pid) + 1, kNoFolder);
    byId_[static_cast<size_t>(pid)] = place;
  } else {
    folderIndex_.insert(pid, place);
  }
  folderList_.emplace_back(pid, vid, static_cast<uint32_t>(folderNames_.size()), static_cast<uint32_t>(name.size()));
  folderNames_.append(name);
}

const std::string& pFinder::orderOf(uint32_t folder) const {
  const Folder& f = folderList_[folder];
  if (f.ordered.load(std::memory_order_acquire)) return f.order;
  std::lock_guard<std::mutex> lock(orderMutex_);
  if (!f.ordered.load(std::memory_order_relaxed)) {
    // The folder's key is VolumePath & Path as the engine's "&" joins them.
    const QByteArray path = Volume(f.vid).VolumePath.toUtf8();
    std::string folderKey(path.constData(), static_cast<size_t>(path.size()));
    folderKey.append(std::string_view(folderNames_).substr(f.nameAt, f.nameSize));
    f.order = volumeKeys_.value(f.vid);
    f.order.push_back('\0');
    f.order.append(jet::sortKey(folderKey));
    f.ordered.store(true, std::memory_order_release);
  }
  return f.order;
}

void pFinder::loadFolders(const QString& sql, const std::vector<rt::Variant>& params) {
  auto q = db_.OpenNativeQuery(sql, params);
  while (q->Next()) {
    const auto pid = static_cast<int32_t>(q->Long(0));
    if (folderOf(pid) != kNoFolder) continue;
    const std::string_view name = q->Utf8(2);
    const rt::Variant volume = q->Value(1);
    addFolder(pid, static_cast<int32_t>(q->Long(1)), name);
    // The paths of the list are walked up these rows.
    folders_.Know(pid, q->IsNull(2) ? QString() : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                  q->Value(3), volume);
  }
}

uint32_t pFinder::folderOf(int32_t pid) const {
  if (pid >= 0 && static_cast<size_t>(pid) < byId_.size() && byId_[static_cast<size_t>(pid)] != kNoFolder)
    return byId_[static_cast<size_t>(pid)];
  // A folder added while its id lay beyond the table is in the hash.
  if (folderIndex_.isEmpty()) return kNoFolder;
  auto it = folderIndex_.constFind(pid);
  return it == folderIndex_.constEnd() ? kNoFolder : it.value();
}

void pFinder::resolveFolders() {
  // Once every folder of the range is known, a folder not known is none of the range.
  if (!allFolders_) {
    std::vector<int32_t> unknown;
    for (const Entry& e : slice_) {
      const auto pid = static_cast<int32_t>(e.folder);
      if (folderOf(pid) == kNoFolder && !foreign_.contains(pid)) unknown.push_back(pid);
    }
    std::sort(unknown.begin(), unknown.end());
    unknown.erase(std::unique(unknown.begin(), unknown.end()), unknown.end());
    if (static_cast<qsizetype>(unknown.size()) > kFolderBatch) {
      std::vector<rt::Variant> params;
      if (vid_ > 0) params.push_back(rt::Variant(vid_));
      loadFolders(QStringLiteral("SELECT PID, VolumeID, Path, Parent FROM tblPATHS") +
                      (vid_ > 0 ? QStringLiteral(" WHERE VolumeID = ?1") : QString()),
                  params);
      allFolders_ = true;
    } else if (!unknown.empty()) {
      QString ids = QStringLiteral("[");
      for (int32_t pid : unknown) ids += QString::number(pid) + QLatin1Char(',');
      ids[ids.size() - 1] = QLatin1Char(']');
      // The folders and every folder above them, each once.
      loadFolders(QStringLiteral("WITH RECURSIVE up(PID) AS (SELECT value FROM json_each(?1) UNION "
                                 "SELECT p.Parent FROM tblPATHS AS p INNER JOIN up ON p.PID = up.PID "
                                 "WHERE p.Parent IS NOT NULL) "
                                 "SELECT p.PID, p.VolumeID, p.Path, p.Parent FROM up INNER JOIN tblPATHS AS p "
                                 "ON p.PID = up.PID"),
                  {rt::Variant(ids)});
      for (int32_t pid : unknown)
        if (folderOf(pid) == kNoFolder) foreign_.insert(pid);
    }
  }
  for (Entry& e : slice_) {
    e.folder = folderOf(static_cast<int32_t>(e.folder));
  }
  std::erase_if(slice_, [](const Entry& e) { return e.folder == kNoFolder; });
}

std::optional<int64_t> pFinder::idAfter(int64_t id) {
  auto q = db_.OpenNativeQuery(idAfterSql(kind_), {rt::Variant(static_cast<long long>(id))});
  if (q->Next()) return q->Long(0);
  return std::nullopt;
}

bool pFinder::Scan() {
  if (scanned_) return false;
  QElapsedTimer clock;
  clock.start();
  try {
    if (!started_) {
      started_ = true;
      next_ = idAfter(0);
    }
    if (next_) {
      const int64_t start = *next_;
      constexpr int64_t kLast = std::numeric_limits<int64_t>::max();
      const int64_t end = start > kLast - (sliceRows_ - 1) ? kLast : start + (sliceRows_ - 1);
      std::vector<rt::Variant> params{rt::Variant(term_), rt::Variant(static_cast<long long>(start)),
                                      rt::Variant(static_cast<long long>(end))};
      if (kind_ == FindKind::Folders && vid_ > 0) params.push_back(rt::Variant(vid_));
      auto q = db_.OpenNativeQuery(sliceSql(kind_, wholeName_, everything_, vid_ > 0), params);
      slice_.clear();
      sliceNames_.clear();
      while (q->Next()) {
        const auto id = static_cast<int32_t>(q->Long(0));
        const std::string_view name = q->Utf8(2);
        // A folder hit is its own folder: its row tells all the list needs.
        const int32_t pid = kind_ == FindKind::Files ? static_cast<int32_t>(q->Long(1)) : id;
        if (kind_ == FindKind::Folders && folderOf(pid) == kNoFolder)
          addFolder(pid, static_cast<int32_t>(q->Long(1)), name);
        slice_.push_back(Entry{{},
                               id,
                               static_cast<uint32_t>(pid),
                               static_cast<uint32_t>(sliceNames_.size()),
                               static_cast<uint32_t>(name.size())});
        sliceNames_.append(name);
      }
      q.reset();
      resolveFolders();
      hitCount_ += static_cast<int64_t>(slice_.size());
      for (const Entry& e : slice_) hitNameBytes_ += e.nameSize;
      // Once every folder is known the folders stay as they are, and threads may read them.
      // Those threads then take every slice: the runs are theirs until the merge.
      if (!sorter_ && kind_ == FindKind::Files && allFolders_ && slice_.size() >= kThreadedSort)
        sorter_ = std::make_unique<Sorter>(*this);
      if (sorter_ && !slice_.empty())
        sorter_->add(std::exchange(slice_, {}), std::exchange(sliceNames_, {}));
      else if (!slice_.empty())
        runs_.push_back(sortedRun(slice_, sliceNames_));
      next_ = end == kLast ? std::nullopt : idAfter(end);
    }
    scanned_ = !next_;
    if (timedSlices_) {
      // The next slice larger or smaller, so that each takes about the same time.
      const qint64 ms = clock.elapsed();
      if (ms < kSliceMs / 2 && sliceRows_ < (1 << 20)) sliceRows_ *= 2;
      if (ms > kSliceMs * 2 && sliceRows_ > 1024) sliceRows_ /= 2;
    }
    return !scanned_;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("Scan"));
  }
}

pFinder::Run pFinder::sortedRun(std::vector<Entry>& entries, const std::string& names) const {
  for (Entry& e : entries) e.head = jet::sortKeyHead(std::string_view(names).substr(e.nameAt, e.nameSize));
  auto nameOf = [&names](const Entry& e) { return std::string_view(names).substr(e.nameAt, e.nameSize); };
  // Files part on their heads mostly: the full comparison is left for equal heads.
  const bool byName = kind_ == FindKind::Files;
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    if (byName && !(a.head == b.head)) return a.head < b.head;
    return compare(a.head, nameOf(a), a.folder, a.id, b.head, nameOf(b), b.folder, b.id) < 0;
  });
  return Run(entries, names);
}

int pFinder::compare(const jet::SortHead& headA, std::string_view nameA, uint32_t folderA, int32_t idA,
                     const jet::SortHead& headB, std::string_view nameB, uint32_t folderB, int32_t idB) const {
  int c = 0;
  if (kind_ == FindKind::Files) {
    if (!(headA == headB)) return headA < headB ? -1 : 1;
    if ((c = jet::compareText(nameA, nameB)) != 0) return c;
  }
  if (folderA != folderB && (c = orderOf(folderA).compare(orderOf(folderB))) != 0) return c;
  return idA < idB ? -1 : (idA > idB ? 1 : 0);
}

bool pFinder::headLess(size_t runA, size_t runB) const {
  const Hit& a = runs_[runA].head();
  const Hit& b = runs_[runB].head();
  if (kind_ == FindKind::Files && !(a.head == b.head)) return a.head < b.head;
  return compare(a.head, a.name, a.folder, a.id, b.head, b.name, b.folder, b.id) < 0;
}

bool pFinder::before(size_t runA, size_t runB) const {
  if (done_[runA]) return false;
  if (done_[runB]) return true;
  return headLess(runA, runB);
}

void pFinder::startMerge() {
  merging_ = true;
  if (sorter_) {
    sorter_->finish();
    sorter_.reset();
  }
  // The scan's buffers are not needed any more.
  std::vector<Entry>().swap(slice_);
  std::string().swap(sliceNames_);
  // A tree of matches between the runs' heads: leaf k + r stands for run r, each inner node n
  // (children 2n and 2n + 1) keeps the loser of its match, and tree_[0] the overall winner.
  const size_t k = runs_.size();
  done_.assign(k, false);
  tree_.assign(std::max<size_t>(k, 1), 0);
  std::vector<size_t> winners(2 * k);
  for (size_t r = 0; r < k; ++r) winners[k + r] = r;
  for (size_t n = k - 1; n >= 1 && k > 1; --n) {
    const size_t a = winners[2 * n], b = winners[2 * n + 1];
    const bool bWins = before(b, a);
    winners[n] = bWins ? b : a;
    tree_[n] = bWins ? a : b;
  }
  tree_[0] = k > 1 ? winners[1] : 0;
  if (hitCount_ >= kThreadedMerge) merger_ = std::make_unique<Merger>(*this);
}

bool pFinder::NextHit(FindHit& hit) {
  std::string_view name;
  if (!NextHit(hit, name)) return false;
  hit.Name = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  return true;
}

bool pFinder::NextHit(FindHit& hit, std::string_view& name) {
  if (!merging_) startMerge();
  if (merger_) {
    if (!batch_ || batchAt_ == batch_->hits.size()) {
      batch_ = merger_->take(std::move(batch_));
      batchAt_ = 0;
      if (!batch_) return false;
    }
    const Batch::Out& out = batch_->hits[batchAt_++];
    hit.ID = out.id;
    hit.VID = out.vid;
    hit.PID = out.pid;
    name = std::string_view(batch_->names).substr(out.nameAt, out.nameSize);
    return true;
  }
  // The run of the last hit gives back what it has handed out, that hit's name included.
  if (handedOut_) handedOut_->release();
  return mergeNext(hit, name, handedOut_);
}

bool pFinder::mergeNext(FindHit& hit, std::string_view& name, Run*& from) {
  if (runs_.empty() || done_[tree_[0]]) return false;
  const size_t winner = tree_[0];
  Run& run = runs_[winner];
  const Hit& e = run.head();
  hit.ID = e.id;
  const Folder& folder = folderList_[e.folder];
  hit.VID = folder.vid;
  hit.PID = folder.pid;
  name = e.name;
  from = &run;
  if (!run.advance()) done_[winner] = true;
  // The winner's run has a new head (or none): it plays the losers on its way up again.
  const size_t k = runs_.size();
  size_t up = winner;
  for (size_t n = (winner + k) / 2; n >= 1; n /= 2)
    if (before(tree_[n], up)) std::swap(tree_[n], up);
  tree_[0] = up;
  return true;
}
