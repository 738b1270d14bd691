#include "catalogue/cuDirParser.h"

#include "catalogue/cuDirParserAhead.h"
#include "platform/runtime/TextCodec.h"
#include "platform/ui/MessagePump.h"

#include <cstring>
#include <span>
#include <vector>

namespace {
const QString kClass = QStringLiteral("cuDirParser");
const QString kCrLf = QStringLiteral("\r\n");
constexpr int32_t kErrInvalidPath = rt::kObjectErrorBase + 1;

void addChecked(int32_t& sum, int32_t v) {
  if (__builtin_add_overflow(sum, v, &sum))
    throw rt::RaisedError(rt::kErrOverflow, QString(), QStringLiteral("Überlauf"));
}
}  // namespace

cuDirParser::cuDirParser(std::unique_ptr<dirsrc::DirSource> source)
    : source_(source ? std::move(source) : std::make_unique<dirsrc::PosixDirSource>()) {}

cuDirParser::~cuDirParser() = default;

// Into the storage of the entry kept there before: the listing's own entry keeps its name's.
void cuDirParser::keepFile(const dirsrc::DirEntry& e) {
  if (fileCount_ == files_.size()) files_.emplace_back();
  dirsrc::DirEntry& k = files_[fileCount_++];
  k.name.resize(e.name.size());
  std::memcpy(k.name.data(), e.name.constData(), static_cast<size_t>(e.name.size()));
  k.kind = e.kind;
  k.size = e.size;
  k.mtimeSec = e.mtimeSec;
  k.mtimeNsec = e.mtimeNsec;
  k.attributes = e.attributes;
  k.mountPoint = e.mountPoint;
}

std::unique_ptr<dirsrc::DirListing> cuDirParser::openListing(const QByteArray& path) {
  if (ahead_) return ahead_->take(path, [] { ui::pumpMessagesThrottled(); });
  return source_->open(path, calcFolderSize_);
}

QByteArray cuDirParser::NormalizePath(QByteArray path) {
  if (!path.endsWith('/')) path += '/';
  return path;
}

void cuDirParser::raiseCanceled() {
  if (Canceled) Canceled();
}

bool cuDirParser::wanted(const dirsrc::DirEntry& e) const {
  if (skipSystem_ && (e.attributes & dirsrc::kAttrSystem)) return false;
  if (skipHidden_ && (e.attributes & dirsrc::kAttrHidden)) return false;
  return true;
}

void cuDirParser::Run() {
  try {
    const QString copy = root_;
    if (copy.isEmpty()) return;
    // A root stored from a Windows-1252 name is found by those bytes.
    const QByteArray start = NormalizePath(rt::existingNativePath(copy));
    folders_.Clear();
    cancel_ = false;
    errors_ = QStringList();
    folders_.Add(start, QByteArray(), QByteArray());
    // The threads end with the walk, whichever way it ends.
    std::unique_ptr<cuDirParserAhead> ahead;
    if (listThreads_ > 0 && source_->concurrent())
      ahead = std::make_unique<cuDirParserAhead>(
          *source_, calcFolderSize_, listThreads_,
          [this](const dirsrc::DirEntry& e) { return wanted(e) && !e.mountPoint; }, collectionOrder_);
    struct Detach {
      cuDirParserAhead*& ahead;
      ~Detach() { ahead = nullptr; }
    } detach{ahead_};
    ahead_ = ahead.get();
    if (collectionOrder_)
      walkInCollectionOrder();
    else
      GetFolders(1);
  } catch (...) {
    if (handing_) {
      handing_ = false;
      throw;
    }
    err_.ErrReRaise(kClass, QStringLiteral("Run"));
  }
}

void cuDirParser::handOver(const cuDirParserFolder& folder, Kept kept) {
  if (!Listed) return;
  handing_ = true;
  Listed(folder, std::span<const dirsrc::DirEntry>(files_.data(), kept == Kept::None ? 0 : fileCount_), kept);
  handing_ = false;
}

// Collection order: the folders are listed and handed over by position, while a walk through
// the tree in depth-first order takes each listing after it was made and adds its sub-folders
// to the collection. So every folder comes where the depth-first walk puts it, with the
// events of that walk in its order but for NewFile, which comes with the listing. The walk
// needs only listings of lower positions than the folders it adds, so it always gets ahead
// of the listings.
void cuDirParser::walkInCollectionOrder() {
  found_.clear();
  frames_.clear();
  walkable_.assign(1, 1);
  reachedRoot_ = false;
  std::vector<char> listed;
  for (int32_t position = 1;; ++position) {
    reachFolders(position);
    if (cancel_) {
      raiseCanceled();
      return;
    }
    if (position > folders_.Count()) break;
    const cuDirParserFolder& folder = folders_.Item(position);
    listed.push_back(walkable_[static_cast<size_t>(position - 1)]);
    if (!listed.back()) {
      handOver(folder, Kept::None);
      continue;
    }
    found_.resize(static_cast<size_t>(folders_.Count()));
    auto found = std::make_unique<Found>();
    GetSubDirs(position, found.get());
    found_[static_cast<size_t>(position - 1)] = std::move(found);
    if (cancel_) return;  // said by the listing already
    handOver(folder, kept_);
  }
  found_.clear();
  sumTotals(listed);
}

// The depth-first walk, as far as the listings below position are in.
void cuDirParser::reachFolders(int32_t listedBelow) {
  for (;;) {
    int32_t next = 1;
    if (reachedRoot_) {
      next = 0;
      while (!frames_.empty()) {
        WalkFrame& f = frames_.back();
        while (f.next < f.count && !walkable_[static_cast<size_t>(f.first + f.next - 1)]) ++f.next;
        if (f.next < f.count) {
          next = f.first + f.next;
          break;
        }
        frames_.pop_back();
      }
      if (next == 0) return;  // the whole tree is reached
    }
    if (next >= listedBelow) return;
    if (reachedRoot_)
      ++frames_.back().next;
    else
      reachedRoot_ = true;
    reachFolder(next);
    if (cancel_) return;
  }
}

// The walk reaches a listed folder: its error goes into Errors and its sub-folders into the
// collection, as the depth-first walk adds them while it lists.
void cuDirParser::reachFolder(int32_t position) {
  const std::unique_ptr<Found> found = std::move(found_[static_cast<size_t>(position - 1)]);
  const cuDirParserFolder& folder = folders_.Item(position);
  const int32_t first = folders_.Count() + 1;
  int32_t added = 0;
  bool complete = found && found->complete;
  if (found) {
    if (!found->error.isEmpty()) errors_ << found->error;
    const QString pathText = folder.FullPath();
    for (const auto& [name, entered] : found->subDirs) {
      try {
        cuDirParserFolder& sub = folders_.Add(folder, name);
        sub.entered_ = entered;
      } catch (...) {
        complete = false;
        errors_ << err_.ErrString(kClass, QStringLiteral("GetSubDirs")) + kCrLf + QStringLiteral("StartPath: ") +
                       pathText + QStringLiteral(", CurrentFile/Folder: ") + rt::decodeFileName(name);
        break;
      }
      ++added;
      const cuDirParserFolder& sub = folders_.Item(folders_.Count());
      if (Folder) Folder(sub.FullPath(), pathText, sub.Name(), sub.Index());
      if (cancel_) {
        complete = false;
        break;
      }
    }
  }
  walkable_.resize(static_cast<size_t>(folders_.Count()), 0);
  frames_.push_back(WalkFrame{first, complete ? added : 0, 0});
  if (!complete) return;
  for (int32_t c = first; c < first + added; ++c) {
    const cuDirParserFolder& sub = folders_.Item(c);
    if (!sub.Entered()) continue;
    walkable_[static_cast<size_t>(c - 1)] = 1;
  }
}

// Each listed folder's totals from the last one up, each into its parent.
void cuDirParser::sumTotals(const std::vector<char>& listed) {
  if (!calcFolderSize_) return;
  const size_t n = listed.size();
  std::vector<Totals> totals(n);
  std::vector<char> failed(n, 0);
  for (size_t i = 0; i < n; ++i) {
    if (!listed[i]) continue;
    const cuDirParserFolder& f = folders_.Item(static_cast<int32_t>(i + 1));
    totals[i] = Totals{f.Size(), f.Files(), f.SubDirs()};
  }
  for (size_t i = n; i-- > 1;) {
    if (!listed[i] || failed[i]) continue;
    const cuDirParserFolder& folder = folders_.Item(static_cast<int32_t>(i + 1));
    const size_t p = static_cast<size_t>(folder.Parent() - 1);
    if (failed[p]) continue;
    try {
      Totals sum = totals[p];
      sum.size += totals[i].size;
      addChecked(sum.files, totals[i].files);
      addChecked(sum.dirs, totals[i].dirs);
      totals[p] = sum;
    } catch (...) {
      // As in the depth-first walk: the parent's totals are not stored, its parent gets nothing.
      failed[p] = 1;
      QString current = folder.FullPath();
      current.chop(1);
      errors_ << err_.ErrString(kClass, QStringLiteral("GetFolders")) + kCrLf + QStringLiteral("StartPath: ") +
                     folders_.Item(static_cast<int32_t>(p + 1)).FullPath() + QStringLiteral(", CurrentDir: ") + current;
    }
  }
  for (size_t i = 0; i < n; ++i) {
    if (!listed[i] || failed[i]) continue;
    cuDirParserFolder& f = folders_.Item(static_cast<int32_t>(i + 1));
    f.totalSize_ = totals[i].size;
    f.totalFiles_ = totals[i].files;
    f.totalDirs_ = totals[i].dirs;
  }
}

// Depth first over an explicit stack, so a deep tree cannot exhaust the call stack. Each
// folder is listed completely before its first sub-folder; its sub-folders are the positions
// firstChild .. firstChild + subDirs - 1, since they were added while it was listed.
void cuDirParser::GetFolders(int32_t position) {
  struct Frame {
    int32_t position;
    Listing listed;
    int32_t next = 0;
    Totals totals;
  };
  std::vector<Frame> stack;

  auto enter = [&](int32_t pos) {
    Frame f{pos, GetSubDirs(pos), 0, Totals{}};
    if (calcFolderSize_) {
      const cuDirParserFolder& folder = folders_.Item(pos);
      f.totals = Totals{folder.Size(), folder.Files(), f.listed.subDirs};
    }
    stack.push_back(f);
  };

  enter(position);
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next < top.listed.subDirs) {
      const int32_t child = top.listed.firstChild + top.next++;
      if (folders_.Item(child).Entered()) enter(child);
      continue;
    }
    const Frame done = top;
    stack.pop_back();
    if (!calcFolderSize_) continue;
    cuDirParserFolder& folder = folders_.Item(done.position);
    folder.totalSize_ = done.totals.size;
    folder.totalFiles_ = done.totals.files;
    folder.totalDirs_ = done.totals.dirs;
    if (stack.empty()) continue;
    Frame& parent = stack.back();
    try {
      Totals sum = parent.totals;
      sum.size += done.totals.size;
      addChecked(sum.files, done.totals.files);
      addChecked(sum.dirs, done.totals.dirs);
      parent.totals = sum;
    } catch (...) {
      // The parent's step fails: its remaining sub-folders are not walked, its totals not stored.
      const cuDirParserFolder& p = folders_.Item(parent.position);
      QString current = folder.FullPath();
      current.chop(1);
      errors_ << err_.ErrString(kClass, QStringLiteral("GetFolders")) + kCrLf + QStringLiteral("StartPath: ") +
                     p.FullPath() + QStringLiteral(", CurrentDir: ") + current;
      stack.pop_back();  // its own parent goes on with nothing from it
    }
  }
}

cuDirParser::Listing cuDirParser::GetSubDirs(int32_t position, Found* found) {
  cuDirParserFolder& folder = folders_.Item(position);
  ui::pumpMessagesThrottled();
  const QByteArray path = folder.RawPath();
  // The text of the path, made when something needs it.
  QString pathTextMade;
  const auto pathText = [&]() -> const QString& {
    if (pathTextMade.isNull()) pathTextMade = folder.FullPath();
    return pathTextMade;
  };
  Listing r;
  r.firstChild = folders_.Count() + 1;
  int32_t files = 0;
  int64_t size = 0;
  uint32_t entries = 0;
  QByteArray current;
  const bool handing = collectionOrder_ && Listed;
  fileCount_ = 0;
  kept_ = Kept::None;
  bool sourceFailed = false;
  try {
    std::unique_ptr<dirsrc::DirListing> listing;
    try {
      listing = openListing(path);
    } catch (const rt::RaisedError&) {
      sourceFailed = true;
      throw rt::RaisedError(kErrInvalidPath, QString(), QStringLiteral("Ungültiger Pfad: ") + pathText());
    } catch (...) {
      sourceFailed = true;
      throw;
    }
    dirsrc::DirEntry e;
    const auto next = [&] {
      try {
        return listing->next(e);
      } catch (...) {
        sourceFailed = true;
        throw;
      }
    };
    while (next()) {
      // A copy of its own: e keeps the storage of its name for the next entry.
      current.resize(e.name.size());
      std::memcpy(current.data(), e.name.constData(), static_cast<size_t>(e.name.size()));
      if (handing && e.kind != dirsrc::EntryKind::Folder) keepFile(e);
      // Nothing more is reported once a cancel was asked for, not even the next entry.
      if (cancel_) {
        raiseCanceled();
        return Listing{0, r.firstChild};
      }
      if (wanted(e)) {
        if (e.kind == dirsrc::EntryKind::Folder && found) {
          found->subDirs.emplace_back(e.name, !e.mountPoint);
          ++r.subDirs;
        } else if (e.kind == dirsrc::EntryKind::Folder) {
          cuDirParserFolder& sub = folders_.Add(folder, e.name);
          sub.entered_ = !e.mountPoint;
          ++r.subDirs;
          if (Folder) Folder(sub.FullPath(), pathText(), sub.Name(), sub.Index());
        } else if (calcFolderSize_) {
          if (NewFile) {
            ui::pumpMessagesThrottled();
            const QString name = rt::decodeFileName(e.name);
            NewFile(pathText(), name, name, e.size, e.attributes, path + e.name);
          }
          size += e.size;
          addChecked(files, 1);
        }
      }
      // Even the clock costs per entry: a few dozen entries take far less than the pump's pace.
      if ((++entries & 63) == 0) ui::pumpMessagesThrottled();
      if (cancel_) {
        raiseCanceled();
        return Listing{0, r.firstChild};
      }
    }
  } catch (...) {
    kept_ = sourceFailed ? Kept::Failed : Kept::None;
    const QString error = err_.ErrString(kClass, QStringLiteral("GetSubDirs")) + kCrLf + QStringLiteral("StartPath: ") +
                          pathText() + QStringLiteral(", CurrentFile/Folder: ") + rt::decodeFileName(current);
    if (found)
      found->error = error;
    else
      errors_ << error;
    return Listing{0, r.firstChild};
  }
  kept_ = Kept::Complete;
  if (found) found->complete = true;
  folder.files_ = files;
  folder.subDirs_ = r.subDirs;
  folder.size_ = size;
  return r;
}
