#include "catalogue/cuDirParserAhead.h"

#include <chrono>
#include <system_error>
#include <utility>

namespace {

// Enough to keep the threads busy past small folders, little beside the catalogue's own memory.
constexpr size_t kMaxFoldersAhead = 512;
constexpr size_t kMaxBytesAhead = size_t(4) << 20;
constexpr size_t kMaxSpare = 16;
constexpr size_t kMaxSpareBytes = size_t(256) << 10;
constexpr auto kWaitStep = std::chrono::milliseconds(20);

}  // namespace

// A listing already made, replayed; a failure after the entries comes where it came. Its
// buffer goes back to the threads.
class cuDirParserAhead::Replay final : public dirsrc::DirListing {
 public:
  Replay(cuDirParserAhead& owner, Result r) : owner_(owner), r_(std::move(r)) {}
  ~Replay() override { owner_.recycle(std::move(r_.packed)); }
  Replay(const Replay&) = delete;
  Replay& operator=(const Replay&) = delete;

  bool next(dirsrc::DirEntry& e) override {
    if (done_ < r_.count) {
      at_ += dirsrc::unpackEntry(r_.packed.data() + at_, e);
      ++done_;
      return true;
    }
    if (r_.error) std::rethrow_exception(std::exchange(r_.error, nullptr));
    return false;
  }

 private:
  cuDirParserAhead& owner_;
  Result r_;
  size_t at_ = 0;
  size_t done_ = 0;
};

cuDirParserAhead::cuDirParserAhead(dirsrc::DirSource& source, bool fileFacts, int threads,
                                   std::function<bool(const dirsrc::DirEntry&)> enters, bool collectionOrder)
    : source_(source), fileFacts_(fileFacts), enters_(std::move(enters)), pending_(WalkOrder{collectionOrder}) {
  try {
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
  } catch (const std::system_error&) {
    // Fewer threads, or none: the walker lists what no thread does.
  }
}

cuDirParserAhead::~cuDirParserAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    work_.notify_all();
  }
  for (std::thread& t : threads_) t.join();
}

cuDirParserAhead::Result cuDirParserAhead::list(const QByteArray& path, std::string buffer) {
  Result r;
  r.packed = std::move(buffer);
  r.packed.clear();
  std::unique_ptr<dirsrc::DirListing> listing;
  try {
    listing = source_.open(path, fileFacts_);
  } catch (...) {
    r.openError = std::current_exception();
    return r;
  }
  try {
    dirsrc::DirEntry e;
    while (listing->next(e)) {
      dirsrc::packEntry(r.packed, e);
      ++r.count;
      if (e.kind == dirsrc::EntryKind::Folder && enters_(e)) r.entered.push_back(e.name);
    }
  } catch (...) {
    r.error = std::current_exception();
  }
  return r;
}

std::string cuDirParserAhead::spareBuffer() {
  if (spare_.empty()) return std::string();
  std::string b = std::move(spare_.back());
  spare_.pop_back();
  return b;
}

void cuDirParserAhead::recycle(std::string buffer) {
  if (buffer.capacity() > kMaxSpareBytes) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (spare_.size() < kMaxSpare) spare_.push_back(std::move(buffer));
}

void cuDirParserAhead::queueChildren(const QByteArray& path, const Place& place, const Result& r) {
  // The walk enters no sub-folder of a listing that failed.
  if (r.openError || r.error || r.entered.empty()) return;
  Place childPlace = place;
  childPlace.push_back(0);
  for (const QByteArray& name : r.entered) {
    QByteArray child = path + name + '/';
    if (!jobs_.contains(child)) {
      jobs_.insert(child, Job{State::Queued, childPlace, Result{}});
      pending_.emplace(childPlace, std::move(child));
    }
    ++childPlace.back();
  }
  work_.notify_all();
}

bool cuDirParserAhead::roomAhead() const { return doneFolders_ < kMaxFoldersAhead && doneBytes_ < kMaxBytesAhead; }

void cuDirParserAhead::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    while (!stop_ && (pending_.empty() || !roomAhead())) {
      if (!roomAhead()) starved_ = true;
      work_.wait(lock);
    }
    if (stop_) return;
    const auto first = pending_.begin();
    const QByteArray path = std::move(first->second);
    pending_.erase(first);
    Place place;
    {
      Job& job = jobs_[path];
      job.state = State::Listing;
      place = job.place;
    }
    std::string buffer = spareBuffer();
    lock.unlock();
    Result r = list(path, std::move(buffer));
    lock.lock();
    // Only this thread changes a job while it lists; the walker waits for it.
    queueChildren(path, place, r);
    Job& done = jobs_[path];
    ++doneFolders_;
    doneBytes_ += r.packed.size();
    done.result = std::move(r);
    done.state = State::Done;
    if (walkerWaits_) taken_.notify_one();
  }
}

std::unique_ptr<dirsrc::DirListing> cuDirParserAhead::take(const QByteArray& path,
                                                           const std::function<void()>& whileWaiting) {
  Result r;
  std::unique_lock<std::mutex> lock(mutex_);
  auto job = jobs_.find(path);
  if (job == jobs_.end() || job->state == State::Queued) {
    // Nobody lists it yet: here, at once. The root has no job; it is the first place.
    Place place;
    if (job != jobs_.end()) {
      place = std::move(job->place);
      pending_.erase(place);
      jobs_.erase(job);
    }
    std::string buffer = spareBuffer();
    lock.unlock();
    r = list(path, std::move(buffer));
    lock.lock();
    queueChildren(path, place, r);
    lock.unlock();
  } else {
    // Looked up anew after each wait: the table may have grown meanwhile.
    while (jobs_.find(path)->state != State::Done) {
      walkerWaits_ = true;
      const std::cv_status waited = taken_.wait_for(lock, kWaitStep);
      walkerWaits_ = false;
      if (waited == std::cv_status::timeout && whileWaiting) {
        lock.unlock();
        whileWaiting();
        lock.lock();
      }
    }
    job = jobs_.find(path);
    r = std::move(job->result);
    jobs_.erase(job);
    --doneFolders_;
    doneBytes_ -= r.packed.size();
    // Threads that found the store full are woken once it has room for many listings, not for
    // each one taken.
    if (starved_ && doneFolders_ <= kMaxFoldersAhead / 2 && doneBytes_ <= kMaxBytesAhead / 2) {
      starved_ = false;
      work_.notify_all();
    }
    lock.unlock();
  }
  if (r.openError) std::rethrow_exception(r.openError);
  r.entered.clear();
  return std::make_unique<Replay>(*this, std::move(r));
}
