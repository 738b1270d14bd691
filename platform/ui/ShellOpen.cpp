#include "platform/ui/ShellOpen.h"

#include <QRegularExpression>

namespace ui {

namespace {
std::unique_ptr<ShellOpener>& slot() {
  static std::unique_ptr<ShellOpener> s = std::make_unique<RecordingShellOpener>();
  return s;
}
}  // namespace

int RecordingShellOpener::open(const ShellOpenRequest& request) {
  opened.push_back(request);
  if (next_ < results.size()) return results[next_++];
  return kShellOk;
}

bool isAddress(const QString& target) {
  // A single letter before ":" would be a drive, never a scheme.
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  return scheme.match(target).hasMatch();
}

ShellOpener& shellOpener() { return *slot(); }

std::unique_ptr<ShellOpener> setShellOpener(std::unique_ptr<ShellOpener> opener) {
  std::unique_ptr<ShellOpener> old = std::move(slot());
  slot() = opener ? std::move(opener) : std::make_unique<RecordingShellOpener>();
  return old;
}

int shellOpen(const QString& target, const QString& workingDir, bool maximized) {
  return shellOpener().open(ShellOpenRequest{target, workingDir, maximized});
}

QString localFileTarget(const QByteArray& nativePath) {
  const QString text = QString::fromUtf8(nativePath);
  if (text.toUtf8() == nativePath) return text;
  return QStringLiteral("file://") + QString::fromLatin1(nativePath.toPercentEncoding("/"));
}

}  // namespace ui
