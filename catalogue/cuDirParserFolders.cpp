#include "catalogue/cuDirParserFolders.h"

#include "catalogue/DirSource.h"
#include "platform/runtime/RaisedError.h"
#include "platform/runtime/TextCodec.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {
const QString kSource = QStringLiteral("cuDirParserFolders");
constexpr size_t kNameBlock = size_t(64) << 10;

[[noreturn]] void raiseNoSuchItem(int32_t number, const QString& what) { throw rt::RaisedError(number, kSource, what); }
}  // namespace

void cuDirParserFolders::raiseKeyInUse(const QByteArray& rawFullPath) {
  throw rt::RaisedError(rt::kErrKeyInUse, kSource,
                        QStringLiteral("Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet: ") +
                            rt::decodeFileName(rawFullPath));
}

const char* cuDirParserFolders::keepName(const QByteArray& rawName) {
  const size_t n = static_cast<size_t>(rawName.size());
  if (nameBlocks_.empty() || kNameBlock - nameBlockUsed_ < n) {
    nameBlocks_.push_back(std::make_unique<char[]>(std::max(kNameBlock, n)));
    nameBlockUsed_ = 0;
  }
  char* at = nameBlocks_.back().get() + nameBlockUsed_;
  std::memcpy(at, rawName.constData(), n);
  nameBlockUsed_ += n;
  return at;
}

cuDirParserFolder& cuDirParserFolders::append(const cuDirParserFolder* parent) {
  cuDirParserFolder& item = items_.emplace_back();
  item.up_ = parent;
  item.index_ = counter_ + 1;
  ++counter_;
  return item;
}

cuDirParserFolder& cuDirParserFolders::Add(const QByteArray& rawFullPath, const QByteArray& rawParentKey,
                                           const QByteArray& rawName) {
  if (Find(rawFullPath)) raiseKeyInUse(rawFullPath);
  const cuDirParserFolder* p = nullptr;
  if (!rawParentKey.isEmpty()) {
    p = Find(rawParentKey);
    if (!p)
      raiseNoSuchItem(rt::kErrInvalidArgument,
                      QStringLiteral("Übergeordneter Ordner nicht gefunden: ") + rt::decodeFileName(rawParentKey));
  }
  // The usual case, a name below its parent: only the name is kept.
  const QByteArray parentPath = p ? p->RawPath() : QByteArray();
  const bool below = p && !rawName.isEmpty() && !rawName.contains('/') && parentPath.endsWith('/') &&
                     rawFullPath.size() == parentPath.size() + rawName.size() + 1 &&
                     rawFullPath.startsWith(parentPath) && rawFullPath.endsWith(rawName + '/');
  if (below) return Add(*p, rawName);
  const QString name = rt::decodeFileName(rawName);
  auto own = std::make_unique<cuDirParserFolder::Own>(cuDirParserFolder::Own{rawFullPath, rawName, name});
  cuDirParserFolder& item = append(nullptr);
  item.own_ = std::move(own);
  item.parent_ = p ? p->Index() : 0;
  item.utf8_ = rt::decodeFileName(rawFullPath) == QString::fromUtf8(rawFullPath);
  byPath_.insert(rawFullPath, Count() - 1);
  return item;
}

cuDirParserFolder& cuDirParserFolders::Add(const cuDirParserFolder& parent, const QByteArray& rawName) {
  // Only a folder that keeps its own path can share a path with one below its parent.
  if (byPath_.size() > 1 && byPath_.contains(parent.RawPath() + rawName + '/'))
    raiseKeyInUse(parent.RawPath() + rawName + '/');
  if (runParent_ != &parent) {
    runParent_ = &parent;
    runNames_.clear();
    // Sub-folders added before, in another run: their names too (the walk adds all at once).
    if (parent.hasSubFolders_)
      for (const cuDirParserFolder& f : items_)
        if (f.up_ == &parent) runNames_.insert(QByteArrayView(f.rawName_, f.rawNameSize_));
  }
  if (runNames_.contains(QByteArrayView(rawName))) raiseKeyInUse(parent.RawPath() + rawName + '/');
  const bool utf8 = parent.utf8_ && rt::decodeFileName(rawName) == QString::fromUtf8(rawName);
  const char* kept = keepName(rawName);
  cuDirParserFolder& item = append(&parent);
  item.rawName_ = kept;
  item.rawNameSize_ = static_cast<int32_t>(rawName.size());
  item.parent_ = parent.Index();
  item.utf8_ = utf8;
  parent.hasSubFolders_ = true;
  runNames_.insert(QByteArrayView(kept, rawName.size()));
  return item;
}

QByteArray cuDirParserFolder::RawPath() const {
  if (!up_) return own_->rawPath;
  qsizetype size = 0;
  const cuDirParserFolder* top = this;
  for (; top->up_; top = top->up_) size += top->rawNameSize_ + 1;
  const QByteArray& start = top->own_->rawPath;
  size += start.size();
  QByteArray path(size, Qt::Uninitialized);
  char* end = path.data() + size;
  for (const cuDirParserFolder* f = this; f->up_; f = f->up_) {
    *--end = '/';
    end -= f->rawNameSize_;
    std::memcpy(end, f->rawName_, static_cast<size_t>(f->rawNameSize_));
  }
  std::memcpy(path.data(), start.constData(), static_cast<size_t>(start.size()));
  return path;
}

QString cuDirParserFolder::FullPath() const {
  const QByteArray path = RawPath();
  return utf8_ ? QString::fromUtf8(path) : rt::decodeFileName(path);
}

QString cuDirParserFolder::Name() const {
  if (!up_) return own_->name;
  return rt::decodeFileName(RawName());
}

QByteArray cuDirParserFolder::RawName() const {
  if (!up_) return own_->rawName;
  return QByteArray(rawName_, rawNameSize_);
}

cuDirParserFolder& cuDirParserFolders::Item(int32_t position) const {
  if (position < 1 || position > Count())
    raiseNoSuchItem(rt::kErrSubscriptOutOfRange, QStringLiteral("Index außerhalb des gültigen Bereichs."));
  return items_[static_cast<size_t>(position - 1)];
}

cuDirParserFolder& cuDirParserFolders::Item(const QString& key) const {
  cuDirParserFolder* f = Find(QFile::encodeName(key));
  // A name decoded from Windows-1252 has other bytes than its text in UTF-8.
  for (size_t i = 0; !f && i < items_.size(); ++i)
    if (items_[i].FullPath() == key) f = &items_[i];
  if (!f) raiseNoSuchItem(rt::kErrInvalidArgument, QStringLiteral("Ordner nicht gefunden: ") + key);
  return *f;
}

// Folders below their parents are not indexed by path (the walk never looks them up): they are
// searched, by the last name first.
cuDirParserFolder* cuDirParserFolders::Find(const QByteArray& rawFullPath) const {
  const auto it = byPath_.constFind(rawFullPath);
  if (it != byPath_.constEnd()) return &items_[static_cast<size_t>(*it)];
  if (!rawFullPath.endsWith('/')) return nullptr;
  for (cuDirParserFolder& f : items_) {
    if (!f.up_) continue;
    const qsizetype n = f.rawNameSize_;
    if (rawFullPath.size() < n + 2 || rawFullPath[rawFullPath.size() - n - 2] != '/' ||
        std::memcmp(rawFullPath.constData() + rawFullPath.size() - n - 1, f.rawName_, static_cast<size_t>(n)) != 0)
      continue;
    if (f.RawPath() == rawFullPath) return &f;
  }
  return nullptr;
}

void cuDirParserFolders::Remove(int32_t position) {
  Item(position);
  // The others keep their paths of their own: their places move.
  for (cuDirParserFolder& f : items_) {
    if (!f.up_) continue;
    f.own_ = std::make_unique<cuDirParserFolder::Own>(cuDirParserFolder::Own{f.RawPath(), f.RawName(), f.Name()});
  }
  for (cuDirParserFolder& f : items_) f.up_ = nullptr;
  items_.erase(items_.begin() + (position - 1));
  reindex();
}

void cuDirParserFolders::Remove(const QString& key) {
  const cuDirParserFolder& f = Item(key);
  int32_t position = 1;
  while (&items_[static_cast<size_t>(position - 1)] != &f) ++position;
  Remove(position);
}

void cuDirParserFolders::Clear() {
  items_.clear();
  byPath_.clear();
  nameBlocks_.clear();
  nameBlockUsed_ = 0;
  runParent_ = nullptr;
  runNames_.clear();
  counter_ = 0;
}

void cuDirParserFolders::reindex() {
  byPath_.clear();
  runParent_ = nullptr;
  runNames_.clear();
  for (size_t i = 0; i < items_.size(); ++i)
    if (!items_[i].up_) byPath_.insert(items_[i].own_->rawPath, static_cast<int32_t>(i));
}
