#include "platform/ui/widgets/QtShellOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace ui {

int QtShellOpener::open(const ShellOpenRequest& request) {
  const QString target = request.target.trimmed();
  if (target.isEmpty()) return kShellFileNotFound;
  if (isAddress(target)) {
    const QUrl url(target);
    if (!url.isValid()) return kShellNoAssociation;
    return QDesktopServices::openUrl(url) ? kShellOk : kShellNoAssociation;
  }
  QString path = target;
  if (QFileInfo(path).isRelative() && !request.workingDir.isEmpty()) path = QDir(request.workingDir).filePath(path);
  const QFileInfo info(path);
  if (!info.exists()) return info.dir().exists() ? kShellFileNotFound : kShellPathNotFound;
  if (!request.workingDir.isEmpty()) {
    if (!QFileInfo(request.workingDir).isDir()) return kShellPathNotFound;
    // QDesktopServices cannot set the working folder of the started program.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {info.absoluteFilePath()}, request.workingDir)
               ? kShellOk
               : kShellNoAssociation;
  }
  return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())) ? kShellOk : kShellNoAssociation;
}

}  // namespace ui
