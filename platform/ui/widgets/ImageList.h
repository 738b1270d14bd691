#pragma once

// An image list: pictures by key (keys compare without regard to case).

#include <QHash>
#include <QPixmap>
#include <QString>

namespace ui {

class ImageList {
 public:
  void add(const QString& key, const QPixmap& pixmap) { images_.insert(key.toLower(), pixmap); }
  bool contains(const QString& key) const { return images_.contains(key.toLower()); }
  QPixmap pixmap(const QString& key) const { return images_.value(key.toLower()); }
  void remove(const QString& key) { images_.remove(key.toLower()); }
  void clear() { images_.clear(); }
  qsizetype count() const { return images_.size(); }

 private:
  QHash<QString, QPixmap> images_;
};

}  // namespace ui
