#pragma once

// Opening and closing the tray of an optical drive. The program uses the drive's own ioctls;
// tests install a recorder so that no real tray moves.

#include <QString>

#include <memory>

namespace ui {

enum class TrayAction { Open, Close };

class CdTray {
 public:
  virtual ~CdTray() = default;
  // Moves the tray of the drive; a drive that is no optical drive, or has no tray, is left
  // alone. Never throws.
  virtual void move(const QString& drive, TrayAction action) noexcept = 0;
};

// The drive's eject and close-tray ioctls on its device node.
class IoctlCdTray : public CdTray {
 public:
  void move(const QString& drive, TrayAction action) noexcept override;
};

// The installed tray (an IoctlCdTray until another is installed).
CdTray& cdTray();
// Installs a tray (nullptr restores the ioctl one) and returns the previous one.
std::unique_ptr<CdTray> setCdTray(std::unique_ptr<CdTray> tray);

// The device node of the optical drive that drive names: the mount point of a disc in it (with
// or without trailing "/"), its device node or a link to one ("/dev/cdrom"), or empty for the
// first optical drive. Empty when drive names nothing that is an optical drive, so that an eject
// never reaches a disk. The mount table and the block-device folder can be given for tests.
QString opticalDeviceFor(const QString& drive, const QString& mountInfoFile = QStringLiteral("/proc/self/mountinfo"),
                         const QString& blockDir = QStringLiteral("/sys/block"));

}  // namespace ui
