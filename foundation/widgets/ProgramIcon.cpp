#include "foundation/widgets/ProgramIcon.h"

#include "platform/runtime/App.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

void InstallProgramIcon() {
  QSvgRenderer renderer(rt::App::path() + QStringLiteral("/zuvrax.svg"));
  if (!renderer.isValid()) return;
  // Drawn once per size: a scaled-down large picture blurs the small ones.
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(QPixmap::fromImage(image));
  }
  QApplication::setWindowIcon(icon);
}
