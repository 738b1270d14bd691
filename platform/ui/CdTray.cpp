#include "platform/ui/CdTray.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace ui {

namespace {

std::unique_ptr<CdTray>& slot() {
  static std::unique_ptr<CdTray> t = std::make_unique<IoctlCdTray>();
  return t;
}

// Optical drives are the SCSI CD-ROM devices srN; only they get the tray ioctls, which other
// SCSI block devices (USB disks among them) would obey as well.
bool isOpticalName(const QString& name) {
  static const QRegularExpression re(QStringLiteral("^sr[0-9]+$"));
  return re.match(name).hasMatch();
}

// A device path resolved through links; the path as given when it does not exist.
QString resolvedDevice(const QString& path) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  return canonical.isEmpty() ? path : canonical;
}

QString opticalOrEmpty(const QString& device) {
  const QString dev = resolvedDevice(device);
  if (!dev.startsWith(QLatin1String("/dev/"))) return QString();
  return isOpticalName(QFileInfo(dev).fileName()) ? dev : QString();
}

// Undoes the octal escapes (\040 for a blank ...) of mount-table fields.
QString unescapeMountField(const QByteArray& field) {
  QByteArray out;
  out.reserve(field.size());
  auto octal = [](char c) { return c >= '0' && c <= '7'; };
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
      out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
      i += 3;
      continue;
    }
    out += field[i];
  }
  return QString::fromUtf8(out);
}

// The source device mounted exactly at mountPoint, or empty.
QString deviceMountedAt(const QString& mountPoint, const QString& mountInfoFile) {
  QFile f(mountInfoFile);
  if (!f.open(QIODevice::ReadOnly)) return QString();
  QString device;
  // Later lines are mounted over earlier ones: the last match is the visible mount.
  for (const QByteArray& line : f.readAll().split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype dash = fields.indexOf("-");
    if (fields.size() < 5 || dash < 0 || dash + 2 >= fields.size()) continue;
    if (unescapeMountField(fields[4]) == mountPoint) device = unescapeMountField(fields[dash + 2]);
  }
  return device;
}

QString firstOpticalDrive(const QString& blockDir) {
  QStringList names = QDir(blockDir).entryList(QDir::Dirs | QDir::System | QDir::NoDotAndDotDot);
  names.erase(std::remove_if(names.begin(), names.end(), [](const QString& n) { return !isOpticalName(n); }),
              names.end());
  if (names.isEmpty()) return QString();
  std::sort(names.begin(), names.end(),
            [](const QString& a, const QString& b) { return a.mid(2).toInt() < b.mid(2).toInt(); });
  return QStringLiteral("/dev/") + names.first();
}

}  // namespace

QString opticalDeviceFor(const QString& drive, const QString& mountInfoFile, const QString& blockDir) {
  if (drive.isEmpty()) return firstOpticalDrive(blockDir);
  if (drive.startsWith(QLatin1String("/dev/"))) return opticalOrEmpty(drive);
  const QString mountPoint = QDir::cleanPath(drive);
  const QString device = deviceMountedAt(mountPoint, mountInfoFile);
  return device.isEmpty() ? QString() : opticalOrEmpty(device);
}

void IoctlCdTray::move(const QString& drive, TrayAction action) noexcept {
  try {
    const QString device = opticalDeviceFor(drive);
    if (device.isEmpty()) return;
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    // A drive without a tray, a locked tray or a mounted disc refuses; that is no error here.
    (void)::ioctl(fd, action == TrayAction::Open ? CDROMEJECT : CDROMCLOSETRAY, 0);
    ::close(fd);
  } catch (...) {
    // Moving a tray is a courtesy: whatever fails, nothing is reported.
  }
}

CdTray& cdTray() { return *slot(); }

std::unique_ptr<CdTray> setCdTray(std::unique_ptr<CdTray> tray) {
  std::unique_ptr<CdTray> old = std::move(slot());
  slot() = tray ? std::move(tray) : std::make_unique<IoctlCdTray>();
  return old;
}

}  // namespace ui
