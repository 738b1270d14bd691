#pragma once

// The walker's folders in order of addition, keyed by the exact bytes of their full path.

#include "catalogue/cuDirParserFolder.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class cuDirParserFolders {
 public:
  // Appends a folder; its Index is the new count. An empty parent key gives Parent 0, else the
  // parent's Index. A key already present or a missing parent raises an error and changes nothing.
  cuDirParserFolder& Add(const QByteArray& rawFullPath, const QByteArray& rawParentKey, const QByteArray& rawName);
  // The same for a sub-folder of parent (whose path ends in "/") by its name as listed, which
  // holds no "/". Sub-folders of one parent are told apart by their names.
  cuDirParserFolder& Add(const cuDirParserFolder& parent, const QByteArray& rawName);

  // 1-based position; out of range raises error 9.
  cuDirParserFolder& Item(int32_t position) const;
  // By key: the full path; raises error 5 when there is no such folder.
  cuDirParserFolder& Item(const QString& key) const;
  // By the raw key; nullptr when there is no such folder.
  cuDirParserFolder* Find(const QByteArray& rawFullPath) const;
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  void Remove(int32_t position);
  void Remove(const QString& key);
  void Clear();

  class const_iterator {
   public:
    using Inner = std::deque<cuDirParserFolder>::const_iterator;
    explicit const_iterator(Inner it) : it_(it) {}
    cuDirParserFolder& operator*() const { return const_cast<cuDirParserFolder&>(*it_); }
    cuDirParserFolder* operator->() const { return &**this; }
    const_iterator& operator++() {
      ++it_;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return it_ == o.it_; }

   private:
    Inner it_;
  };
  const_iterator begin() const { return const_iterator(items_.begin()); }
  const_iterator end() const { return const_iterator(items_.end()); }

 private:
  cuDirParserFolder& append(const cuDirParserFolder* parent);
  const char* keepName(const QByteArray& rawName);
  [[noreturn]] static void raiseKeyInUse(const QByteArray& rawFullPath);
  void reindex();

  // Stable places: a folder below its parent refers to it.
  mutable std::deque<cuDirParserFolder> items_;
  // Folders that keep their own path (the walk's start), by it.
  QHash<QByteArray, int32_t> byPath_;
  // The names of the folders below their parents, in blocks that never move.
  std::vector<std::unique_ptr<char[]>> nameBlocks_;
  size_t nameBlockUsed_ = 0;
  // The names of the sub-folders added last one after the other under one parent.
  const cuDirParserFolder* runParent_ = nullptr;
  QSet<QByteArrayView> runNames_;
  int32_t counter_ = 0;
};
