#include "mainwindow/FileTypeIcons.h"

#include "catalogue/mdlCommand_other.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib52_icons.h"

#include <QPainter>
#include <QPolygon>

namespace {

constexpr int kSize = 16;

// A sheet of paper with a folded corner; a known type carries lines of text on it.
QPixmap page(bool known) {
  QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setPen(QColor(110, 110, 110));
  p.setBrush(QColor(255, 255, 255));
  p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(9, 1), QPoint(13, 5), QPoint(13, 14), QPoint(3, 14)}));
  p.drawPolyline(QPolygon({QPoint(9, 1), QPoint(9, 5), QPoint(13, 5)}));
  if (known) {
    p.setPen(QColor(40, 90, 170));
    for (int y = 7; y <= 12; y += 2) p.drawLine(5, y, 11, y);
  }
  p.end();
  return QPixmap::fromImage(img);
}

// A small window with a title bar.
QPixmap program() {
  QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setPen(QColor(60, 60, 60));
  p.setBrush(QColor(250, 250, 250));
  p.drawRect(1, 2, 13, 11);
  p.fillRect(2, 3, 12, 3, QColor(0, 70, 160));
  p.end();
  return QPixmap::fromImage(img);
}

}  // namespace

FileTypeIcons::FileTypeIcons() {
  addImage(QStringLiteral("B1"), page(true));
  addImage(QStringLiteral("B2"), page(false));
  addImage(QStringLiteral("B0"), program());
  setLookups({}, {});
}

void FileTypeIcons::setLookups(TypeLookup types, IconLookup icons) {
  typeLookup_ = types ? std::move(types) : TypeLookup([](const QString& e) { return ExtensionType(e); });
  iconLookup_ = icons ? std::move(icons) : IconLookup([](const QString& e) {
    QString file, type;
    return GetFileIcon(e, file, type);
  });
}

void FileTypeIcons::addImage(const QString& key, const QPixmap& pixmap) {
  images_.add(key, pixmap);
  icons_.insert(key.toLower(), QIcon(pixmap));
}

QIcon FileTypeIcons::Icon(const QString& key) const { return icons_.value(key.toLower()); }

void FileTypeIcons::FileIconGet(const QString& Extension, int32_t IconMode) {
  try {
    if (IconMode != 0) {
      const QString key = QStringLiteral("A") + Extension;
      if (images_.contains(key)) return;
      QPixmap pm = iconLookup_(Extension);
      // Without a picture of its own the type shows as one the system does not know.
      if (pm.isNull()) pm = images_.pixmap(QStringLiteral("B2"));
      addImage(key, pm);
      return;
    }
    const QString lower = Extension.toLower();
    if (iconKeys_.contains(lower)) return;
    iconKeys_.insert(lower, cuProperty{Extension, QStringLiteral("B") + QString::number(typeLookup_(Extension))});
  } catch (...) {
    // A type that cannot be looked up shows the image of an unknown one.
  }
}

QString FileTypeIcons::FileIconKey(const QString& FileName, int32_t IconMode) {
  try {
    QString extension = GetFileExtension(FileName);
    if (extension.isEmpty()) extension = QStringLiteral("???");
    FileIconGet(extension, IconMode);
    if (IconMode == 0) {
      const auto it = iconKeys_.constFind(extension.toLower());
      return it == iconKeys_.constEnd() ? QStringLiteral("B2") : it->ImageKey;
    }
    const QString key = QStringLiteral("A") + extension;
    return images_.contains(key) ? key : QStringLiteral("B2");
  } catch (...) {
    return QStringLiteral("B2");
  }
}
