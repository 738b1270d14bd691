#include "catalogue/cuDirParserFolders.h"

#include "catalogue/DirSource.h"
#include "platform/runtime/RaisedError.h"
#include "platform/runtime/TextCodec.h"

#include <QFile>

namespace {
const QString kSource = QStringLiteral("cuDirParserFolders");

[[noreturn]] void raiseNoSuchItem(int32_t number, const QString& what) { throw rt::RaisedError(number, kSource, what); }
}  // namespace

cuDirParserFolder& cuDirParserFolders::Add(const QByteArray& rawFullPath, const QByteArray& rawParentKey,
                                           const QByteArray& rawName) {
  if (byKey_.contains(rawFullPath))
    throw rt::RaisedError(rt::kErrKeyInUse, kSource,
                          QStringLiteral("Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet: ") +
                              rt::decodeFileName(rawFullPath));
  int32_t parent = 0;
  const cuDirParserFolder* p = nullptr;
  if (!rawParentKey.isEmpty()) {
    p = Find(rawParentKey);
    if (!p)
      raiseNoSuchItem(rt::kErrInvalidArgument,
                      QStringLiteral("Übergeordneter Ordner nicht gefunden: ") + rt::decodeFileName(rawParentKey));
    parent = p->Index();
  }
  auto item = std::make_unique<cuDirParserFolder>();
  item->rawPath_ = rawFullPath;
  item->parent_ = parent;
  const QString name = rt::decodeFileName(rawName);
  // The usual case, a name below its parent: the name is the tail of the path, and the path
  // decodes at once when the parent's did and the name is UTF-8.
  const bool below = p && !rawName.isEmpty() && !rawName.contains('/') && p->rawPath_.endsWith('/') &&
                     rawFullPath.size() == p->rawPath_.size() + rawName.size() + 1 &&
                     rawFullPath.startsWith(p->rawPath_) && rawFullPath.endsWith(rawName + '/');
  if (below) {
    item->rawNameAt_ = static_cast<int32_t>(p->rawPath_.size());
    item->utf8_ = p->utf8_ && name == QString::fromUtf8(rawName);
  } else {
    item->rawName_ = rawName;
    item->name_ = name;
    item->utf8_ = rt::decodeFileName(rawFullPath) == QString::fromUtf8(rawFullPath);
  }
  item->index_ = counter_ + 1;
  byKey_.insert(rawFullPath, static_cast<int32_t>(items_.size()));
  items_.push_back(std::move(item));
  ++counter_;
  return *items_.back();
}

QString cuDirParserFolder::FullPath() const {
  return utf8_ ? QString::fromUtf8(rawPath_) : rt::decodeFileName(rawPath_);
}

QString cuDirParserFolder::Name() const {
  if (rawNameAt_ < 0) return name_;
  return rt::decodeFileName(RawName());
}

QByteArray cuDirParserFolder::RawName() const {
  if (rawNameAt_ < 0) return rawName_;
  return rawPath_.mid(rawNameAt_, rawPath_.size() - rawNameAt_ - 1);
}

cuDirParserFolder& cuDirParserFolders::Item(int32_t position) const {
  if (position < 1 || position > Count())
    raiseNoSuchItem(rt::kErrSubscriptOutOfRange, QStringLiteral("Index außerhalb des gültigen Bereichs."));
  return *items_[static_cast<size_t>(position - 1)];
}

cuDirParserFolder& cuDirParserFolders::Item(const QString& key) const {
  cuDirParserFolder* f = Find(QFile::encodeName(key));
  // A name decoded from Windows-1252 has other bytes than its text in UTF-8.
  for (size_t i = 0; !f && i < items_.size(); ++i)
    if (items_[i]->FullPath() == key) f = items_[i].get();
  if (!f) raiseNoSuchItem(rt::kErrInvalidArgument, QStringLiteral("Ordner nicht gefunden: ") + key);
  return *f;
}

cuDirParserFolder* cuDirParserFolders::Find(const QByteArray& rawFullPath) const {
  const auto it = byKey_.constFind(rawFullPath);
  return it == byKey_.constEnd() ? nullptr : items_[static_cast<size_t>(*it)].get();
}

void cuDirParserFolders::Remove(int32_t position) {
  Item(position);
  items_.erase(items_.begin() + (position - 1));
  reindex();
}

void cuDirParserFolders::Remove(const QString& key) {
  const cuDirParserFolder& f = Item(key);
  const auto it = byKey_.constFind(f.RawPath());
  items_.erase(items_.begin() + *it);
  reindex();
}

void cuDirParserFolders::Clear() {
  items_.clear();
  byKey_.clear();
  counter_ = 0;
}

void cuDirParserFolders::reindex() {
  byKey_.clear();
  for (size_t i = 0; i < items_.size(); ++i) byKey_.insert(items_[i]->RawPath(), static_cast<int32_t>(i));
}
