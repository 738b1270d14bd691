#include "catalogue/cuDirParser.h"

#include "catalogue/cuDirParserAhead.h"

#include "platform/runtime/TextCodec.h"
#include "platform/ui/MessagePump.h"

#include <cstring>
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

cuDirParser::Kept cuDirParser::KeptFiles(int32_t position, std::vector<dirsrc::DirEntry>& out) const {
  out.clear();
  if (position < 1 || static_cast<size_t>(position) > spans_.size()) return Kept::None;
  const KeptSpan& k = spans_[static_cast<size_t>(position - 1)];
  if (k.state != Kept::None) kept_.read(k.span, out);
  return k.state;
}

void cuDirParser::keep(int32_t position, const dirsrc::EntryStore::Span& span, Kept state) {
  if (!keepFiles_) return;
  if (spans_.size() < static_cast<size_t>(position)) spans_.resize(static_cast<size_t>(position));
  KeptSpan& k = spans_[static_cast<size_t>(position - 1)];
  k.span = span;
  kept_.end(k.span);
  k.state = state;
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
    kept_.clear();
    spans_.clear();
    cancel_ = false;
    errors_ = QStringList();
    folders_.Add(start, QByteArray(), QByteArray());
    // The threads end with the walk, whichever way it ends.
    std::unique_ptr<cuDirParserAhead> ahead;
    if (listThreads_ > 0 && source_->concurrent())
      ahead =
          std::make_unique<cuDirParserAhead>(*source_, calcFolderSize_, listThreads_,
                                             [this](const dirsrc::DirEntry& e) { return wanted(e) && !e.mountPoint; });
    struct Detach {
      cuDirParserAhead*& ahead;
      ~Detach() { ahead = nullptr; }
    } detach{ahead_};
    ahead_ = ahead.get();
    GetFolders(1);
  } catch (...) {
    err_.ErrReRaise(kClass, QStringLiteral("Run"));
  }
}

// Depth first over an explicit stack, so a deep tree cannot exhaust the call stack. Each
// folder is listed completely before its first sub-folder; its sub-folders are the positions
// firstChild .. firstChild + subDirs - 1, since they were added while it was listed.
void cuDirParser::GetFolders(int32_t position) {
  struct Frame {
    int32_t position;
    Listed listed;
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

cuDirParser::Listed cuDirParser::GetSubDirs(int32_t position) {
  cuDirParserFolder& folder = folders_.Item(position);
  ui::pumpMessagesThrottled();
  const QByteArray path = folder.RawPath();
  const QString pathText = folder.FullPath();
  Listed r;
  r.firstChild = folders_.Count() + 1;
  int32_t files = 0;
  int64_t size = 0;
  QByteArray current;
  const dirsrc::EntryStore::Span span = keepFiles_ ? kept_.begin() : dirsrc::EntryStore::Span{};
  bool sourceFailed = false;
  try {
    std::unique_ptr<dirsrc::DirListing> listing;
    try {
      listing = openListing(path);
    } catch (const rt::RaisedError&) {
      sourceFailed = true;
      throw rt::RaisedError(kErrInvalidPath, QString(), QStringLiteral("Ungültiger Pfad: ") + pathText);
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
      if (keepFiles_ && e.kind != dirsrc::EntryKind::Folder) kept_.append(e);
      // Nothing more is reported once a cancel was asked for, not even the next entry.
      if (cancel_) {
        raiseCanceled();
        return Listed{0, r.firstChild};
      }
      if (wanted(e)) {
        if (e.kind == dirsrc::EntryKind::Folder) {
          cuDirParserFolder& sub = folders_.Add(path + e.name + '/', path, e.name);
          sub.entered_ = !e.mountPoint;
          ++r.subDirs;
          if (Folder) Folder(sub.FullPath(), pathText, sub.Name(), sub.Index());
        } else if (calcFolderSize_) {
          ui::pumpMessagesThrottled();
          if (NewFile) {
            const QString name = rt::decodeFileName(e.name);
            NewFile(pathText, name, name, e.size, e.attributes, path + e.name);
          }
          size += e.size;
          addChecked(files, 1);
        }
      }
      ui::pumpMessagesThrottled();
      if (cancel_) {
        raiseCanceled();
        return Listed{0, r.firstChild};
      }
    }
  } catch (...) {
    keep(position, span, sourceFailed ? Kept::Failed : Kept::None);
    errors_ << err_.ErrString(kClass, QStringLiteral("GetSubDirs")) + kCrLf + QStringLiteral("StartPath: ") + pathText +
                   QStringLiteral(", CurrentFile/Folder: ") + rt::decodeFileName(current);
    return Listed{0, r.firstChild};
  }
  keep(position, span, Kept::Complete);
  folder.files_ = files;
  folder.subDirs_ = r.subDirs;
  folder.size_ = size;
  return r;
}
