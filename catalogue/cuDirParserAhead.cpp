#include "catalogue/cuDirParserAhead.h"

#include <chrono>
#include <system_error>
#include <utility>

namespace {

// Enough to keep the threads busy past small folders, little beside the catalogue's own memory.
constexpr size_t kMaxFoldersAhead = 512;
constexpr size_t kMaxEntriesAhead = 32768;
constexpr auto kWaitStep = std::chrono::milliseconds(20);

// A listing already made, replayed; a failure after the entries comes where it came.
class ListedFolder final : public dirsrc::DirListing {
 public:
  ListedFolder(std::vector<dirsrc::DirEntry> entries, std::exception_ptr error)
      : entries_(std::move(entries)), error_(std::move(error)) {}

  bool next(dirsrc::DirEntry& e) override {
    if (at_ < entries_.size()) {
      e = std::move(entries_[at_++]);
      return true;
    }
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    return false;
  }

 private:
  std::vector<dirsrc::DirEntry> entries_;
  size_t at_ = 0;
  std::exception_ptr error_;
};

}  // namespace

cuDirParserAhead::cuDirParserAhead(dirsrc::DirSource& source, bool fileFacts, int threads,
                                   std::function<bool(const dirsrc::DirEntry&)> enters)
    : source_(source), fileFacts_(fileFacts), enters_(std::move(enters)) {
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
  }
  changed_.notify_all();
  for (std::thread& t : threads_) t.join();
}

cuDirParserAhead::Result cuDirParserAhead::list(const QByteArray& path) {
  Result r;
  std::unique_ptr<dirsrc::DirListing> listing;
  try {
    listing = source_.open(path, fileFacts_);
  } catch (...) {
    r.openError = std::current_exception();
    return r;
  }
  try {
    dirsrc::DirEntry e;
    while (listing->next(e)) r.entries.push_back(std::move(e));
  } catch (...) {
    r.error = std::current_exception();
  }
  return r;
}

void cuDirParserAhead::queueChildren(const QByteArray& path, const Place& place, const Result& r) {
  // The walk enters no sub-folder of a listing that failed.
  if (r.openError || r.error) return;
  Place childPlace = place;
  childPlace.push_back(0);
  for (const dirsrc::DirEntry& e : r.entries) {
    if (e.kind != dirsrc::EntryKind::Folder || !enters_(e)) continue;
    QByteArray child = path + e.name + '/';
    if (!jobs_.contains(child)) {
      jobs_.insert(child, Job{State::Queued, childPlace, Result{}});
      pending_.emplace(childPlace, std::move(child));
    }
    ++childPlace.back();
  }
}

bool cuDirParserAhead::roomAhead() const { return doneFolders_ < kMaxFoldersAhead && doneEntries_ < kMaxEntriesAhead; }

void cuDirParserAhead::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || (!pending_.empty() && roomAhead()); });
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
    lock.unlock();
    Result r = list(path);
    lock.lock();
    // Only this thread changes a job while it lists; the walker waits for it.
    queueChildren(path, place, r);
    Job& done = jobs_[path];
    ++doneFolders_;
    doneEntries_ += r.entries.size();
    done.result = std::move(r);
    done.state = State::Done;
    changed_.notify_all();
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
    lock.unlock();
    r = list(path);
    lock.lock();
    queueChildren(path, place, r);
    lock.unlock();
    changed_.notify_all();
  } else {
    // Looked up anew after each wait: the table may have grown meanwhile.
    while (jobs_.find(path)->state != State::Done) {
      if (changed_.wait_for(lock, kWaitStep) == std::cv_status::timeout && whileWaiting) {
        lock.unlock();
        whileWaiting();
        lock.lock();
      }
    }
    job = jobs_.find(path);
    r = std::move(job->result);
    jobs_.erase(job);
    --doneFolders_;
    doneEntries_ -= r.entries.size();
    lock.unlock();
    changed_.notify_all();
  }
  if (r.openError) std::rethrow_exception(r.openError);
  return std::make_unique<ListedFolder>(std::move(r.entries), std::move(r.error));
}
