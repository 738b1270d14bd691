#include "foundation/widgets/mdlQZLib52_icons.h"

#include "foundation/mdlQZLib51_registry.h"

#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QPolygon>

namespace {

constexpr int kSmallIcon = 16;
constexpr int kStockDocument = 0;
constexpr int kStockProgram = 2;

QPixmap small(const QImage& image) {
  if (image.isNull()) return QPixmap();
  return QPixmap::fromImage(image.scaled(kSmallIcon, kSmallIcon, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

QPixmap themeIcon(const QString& name) {
  if (name.isEmpty() || !QIcon::hasThemeIcon(name)) return QPixmap();
  return QIcon::fromTheme(name).pixmap(kSmallIcon, kSmallIcon);
}

// Drawn when the theme has no icon either, so the fallback can never fail.
QPixmap drawnDocument() {
  QImage img(kSmallIcon, kSmallIcon, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  const QPolygon page({QPoint(2, 0), QPoint(10, 0), QPoint(14, 4), QPoint(14, 15), QPoint(2, 15)});
  p.setPen(QColor(96, 96, 96));
  p.setBrush(Qt::white);
  p.drawPolygon(page);
  p.drawPolyline(QPolygon({QPoint(10, 0), QPoint(10, 4), QPoint(14, 4)}));
  p.setPen(QColor(160, 160, 160));
  for (int y = 7; y <= 12; y += 2) p.drawLine(4, y, 11, y);
  p.end();
  return QPixmap::fromImage(img);
}

QPixmap drawnProgram() {
  QImage img(kSmallIcon, kSmallIcon, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setPen(QColor(64, 64, 64));
  p.setBrush(Qt::white);
  p.drawRect(0, 2, 15, 12);
  p.fillRect(1, 3, 14, 3, QColor(0, 0, 160));
  p.end();
  return QPixmap::fromImage(img);
}

QPixmap stockIcon(int index) {
  if (index == kStockDocument) {
    QPixmap pm = themeIcon(QStringLiteral("text-x-generic"));
    return pm.isNull() ? drawnDocument() : pm;
  }
  if (index == kStockProgram) {
    QPixmap pm = themeIcon(QStringLiteral("application-x-executable"));
    return pm.isNull() ? drawnProgram() : pm;
  }
  return QPixmap();
}

QPixmap imageFileIcon(const QString& file, int index) {
  // A negative index names a resource, which image files do not carry.
  if (index < 0) return QPixmap();
  QImageReader reader(file);
  if (index > 0 && !reader.jumpToImage(index)) return QPixmap();
  return small(reader.read());
}

}  // namespace

QPixmap ExtractFileIcon(const QString& iconFile, int index, const QString& fileType) {
  if (iconFile.isEmpty()) return QPixmap();
  if (iconFile == kStockIconFile) return stockIcon(index);
  if (QFileInfo(iconFile).isFile()) return imageFileIcon(iconFile, index);
  if (index != 0 || iconFile.contains(QLatin1Char('/'))) return QPixmap();
  QPixmap pm = themeIcon(iconFile);
  if (pm.isNull() && !fileType.isEmpty()) {
    const QMimeType type = QMimeDatabase().mimeTypeForName(fileType);
    if (type.isValid()) pm = themeIcon(type.genericIconName());
  }
  return pm;
}

QPixmap GetFileIcon(QString extension, QString& iconFile, QString& fileType) {
  if (!extension.startsWith(QLatin1Char('.'))) extension.prepend(QLatin1Char('.'));
  int index = kStockDocument;
  bool located = false;
  if (extension.compare(QStringLiteral(".exe"), Qt::CaseInsensitive) == 0) {
    iconFile = kStockIconFile;
    index = kStockProgram;
    located = true;
  } else {
    fileType = RegGetString(registry::HKEY_CLASSES_ROOT, extension, QString(), QString());
    if (!fileType.isEmpty()) {
      iconFile =
          RegGetString(registry::HKEY_CLASSES_ROOT, fileType + QStringLiteral("\\DefaultIcon"), QString(), QString());
      if (!iconFile.isEmpty()) {
        // The class root of this desktop names theme icons without an index; a location with
        // one is "file,index".
        const qsizetype comma = iconFile.lastIndexOf(QLatin1Char(','));
        if (comma >= 0) {
          bool ok = false;
          index = iconFile.mid(comma + 1).trimmed().toInt(&ok);
          if (!ok) index = 0;
          iconFile = iconFile.left(comma).trimmed();
        } else {
          iconFile = iconFile.trimmed();
        }
        located = true;
      }
    }
  }
  if (located) {
    QPixmap pm = ExtractFileIcon(iconFile, index, fileType);
    if (!pm.isNull()) return pm;
  }
  iconFile = kStockIconFile;
  return stockIcon(kStockDocument);
}
