#pragma once

// Lists folders of a walk on a few threads ahead of it, in the order of a depth-first walk, or
// in the order in which that walk collects them: the next folder listed is always the pending
// one that the walk reaches first. The walker
// takes the listings in its own order on its own thread. Listed folders not yet taken are
// bounded in number and bytes; a folder nobody has started is listed by the walker itself
// instead of waited for. The threads end with the object.

#include "catalogue/DirSource.h"

#include <QByteArray>
#include <QHash>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class cuDirParserAhead {
 public:
  // Starts threads listing through source (which must be concurrent) with fileFacts; enters
  // tells the sub-folders that the walk will list, collectionOrder the walk's order.
  cuDirParserAhead(dirsrc::DirSource& source, bool fileFacts, int threads,
                   std::function<bool(const dirsrc::DirEntry&)> enters, bool collectionOrder = false);
  ~cuDirParserAhead();
  cuDirParserAhead(const cuDirParserAhead&) = delete;
  cuDirParserAhead& operator=(const cuDirParserAhead&) = delete;

  // The listing of path (with trailing "/"), throwing as DirSource::open would. Calls
  // whileWaiting now and then when it has to wait for a thread. The listing must end before
  // this object.
  std::unique_ptr<dirsrc::DirListing> take(const QByteArray& path, const std::function<void()>& whileWaiting);

 private:
  struct Result {
    std::string packed;  // the entries (dirsrc::packEntry)
    size_t count = 0;
    std::vector<QByteArray> entered;  // names of the sub-folders the walk enters, in order
    std::exception_ptr openError;     // the folder could not be opened
    std::exception_ptr error;         // the listing failed after the entries
  };
  enum class State { Queued, Listing, Done };
  // The place of a folder in the walk: the positions of it and its parents among their
  // siblings, from the root down. Compared as sequences, places come in the order of a depth
  // first walk. That walk collects the sub-folders of each folder as it lists it: in that order,
  // the places of the parents decide, then the position among the siblings.
  using Place = std::vector<int32_t>;
  struct WalkOrder {
    bool collection = false;
    bool operator()(const Place& a, const Place& b) const {
      if (!collection || a.empty() || b.empty()) return a < b;
      if (std::lexicographical_compare(a.begin(), a.end() - 1, b.begin(), b.end() - 1)) return true;
      if (std::lexicographical_compare(b.begin(), b.end() - 1, a.begin(), a.end() - 1)) return false;
      return a.back() < b.back();
    }
  };
  struct Job {
    State state = State::Queued;
    Place place;
    Result result;
  };
  class Replay;

  Result list(const QByteArray& path, std::string buffer);
  // Queues the folders a complete listing will have the walk enter. Locked.
  void queueChildren(const QByteArray& path, const Place& place, const Result& r);
  bool roomAhead() const;
  void work();
  std::string spareBuffer();  // locked
  void recycle(std::string buffer);

  dirsrc::DirSource& source_;
  bool fileFacts_;
  std::function<bool(const dirsrc::DirEntry&)> enters_;
  std::mutex mutex_;
  std::condition_variable work_;   // the threads wait for a folder to list and room for it
  std::condition_variable taken_;  // the walker waits for the listing it takes
  bool walkerWaits_ = false;
  bool starved_ = false;  // a thread waits for room
  QHash<QByteArray, Job> jobs_;
  std::map<Place, QByteArray, WalkOrder> pending_;  // the queued jobs by place
  std::vector<std::string> spare_;                  // buffers of listings taken, for the next ones
  size_t doneFolders_ = 0;                          // listed, not yet taken
  size_t doneBytes_ = 0;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};
