#include "platform/volumes/VolumeSystem.h"

#include "platform/runtime/TextCodec.h"
#include "platform/runtime/UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>
#include <QUrl>

#include <blkid/blkid.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace volumes {

namespace {

const QSet<QString>& networkTypes() {
  static const QSet<QString> types = {QStringLiteral("nfs"),
                                      QStringLiteral("nfs4"),
                                      QStringLiteral("cifs"),
                                      QStringLiteral("smb3"),
                                      QStringLiteral("smbfs"),
                                      QStringLiteral("sshfs"),
                                      QStringLiteral("fuse.sshfs"),
                                      QStringLiteral("9p"),
                                      QStringLiteral("afs"),
                                      QStringLiteral("ceph"),
                                      QStringLiteral("fuse.ceph"),
                                      QStringLiteral("glusterfs"),
                                      QStringLiteral("fuse.glusterfs"),
                                      QStringLiteral("davfs"),
                                      QStringLiteral("fuse.davfs2"),
                                      QStringLiteral("lustre"),
                                      QStringLiteral("ncpfs"),
                                      QStringLiteral("coda"),
                                      QStringLiteral("fuse.rclone"),
                                      QStringLiteral("fuse.s3fs"),
                                      QStringLiteral("gfs2"),
                                      QStringLiteral("ocfs2")};
  return types;
}

// Local file systems without a block device of their own.
const QSet<QString>& localWithoutDevice() {
  static const QSet<QString> types = {QStringLiteral("overlay"), QStringLiteral("zfs"), QStringLiteral("aufs")};
  return types;
}

bool isOpticalName(const QString& name) {
  static const QRegularExpression re(QStringLiteral("^sr[0-9]+$"));
  return re.match(name).hasMatch();
}

bool isRamName(const QString& name) {
  static const QRegularExpression re(QStringLiteral("^z?ram[0-9]+$"));
  return re.match(name).hasMatch();
}

QString readSmallFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(f.read(4096)).trimmed();
}

// The device sits on a bus whose media are plugged in and out.
bool onRemovableBus(const QString& sysDir) {
  static const QRegularExpression usb(QStringLiteral("^usb[0-9]+$"));
  static const QRegularExpression fw(QStringLiteral("^fw[0-9]+$"));
  for (const QString& part : sysDir.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    if (usb.match(part).hasMatch() || fw.match(part).hasMatch()) return true;
    if (part.startsWith(QLatin1String("mmc")) || part.contains(QLatin1String("firewire"))) return true;
  }
  return false;
}

struct ProbeDeleter {
  void operator()(blkid_struct_probe* p) const { blkid_free_probe(p); }
};

struct Probed {
  QString type, label, uuid;
};

std::optional<Probed> probeDevice(const QString& device) {
  std::unique_ptr<blkid_struct_probe, ProbeDeleter> pr(
      blkid_new_probe_from_filename(QFile::encodeName(device).constData()));
  if (!pr) return std::nullopt;
  blkid_probe_enable_superblocks(pr.get(), 1);
  blkid_probe_set_superblocks_flags(pr.get(), BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
  if (blkid_do_safeprobe(pr.get()) != 0) return std::nullopt;
  Probed out;
  const char* value = nullptr;
  size_t len = 0;
  if (blkid_probe_lookup_value(pr.get(), "TYPE", &value, &len) == 0) out.type = QString::fromUtf8(value);
  if (blkid_probe_lookup_value(pr.get(), "LABEL", &value, &len) == 0) out.label = QString::fromUtf8(value);
  if (blkid_probe_lookup_value(pr.get(), "UUID", &value, &len) == 0) out.uuid = QString::fromUtf8(value);
  return out;
}

// The name of the link in dir (by-label, by-uuid) that points at the device.
QString linkNameFor(const QString& dir, const QString& canonicalDevice) {
  if (canonicalDevice.isEmpty()) return QString();
  const QFileInfoList links = QDir(dir).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
  for (const QFileInfo& link : links)
    if (link.canonicalFilePath() == canonicalDevice) return decodeUdevName(link.fileName());
  return QString();
}

using Fd = rt::UniqueFd;
using rt::DirCloser;

uint32_t fnv1a(const QByteArray& bytes) {
  uint32_t h = 2166136261u;
  for (char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

}  // namespace

QString decodeUdevName(const QString& name) {
  QByteArray out;
  const QByteArray in = name.toUtf8();
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
      bool ok = false;
      const int v = in.mid(i + 2, 2).toInt(&ok, 16);
      if (ok) {
        out.append(static_cast<char>(v));
        i += 3;
        continue;
      }
    }
    out.append(in[i]);
  }
  return QString::fromUtf8(out);
}

QString serverOfSource(const QString& source) {
  QString s = source.trimmed();
  if (s.contains(QLatin1String("://"))) return QUrl(s).host();
  const auto isSep = [](QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); };
  if (s.size() > 2 && isSep(s.at(0)) && isSep(s.at(1))) {
    qsizetype end = 2;
    while (end < s.size() && !isSep(s.at(end))) ++end;
    return s.mid(2, end - 2);
  }
  // "user@host:path": the user goes (a user name holds no "/").
  const qsizetype at = s.indexOf(QLatin1Char('@'));
  if (at >= 0 && !s.left(at).contains(QLatin1Char('/'))) s.remove(0, at + 1);
  if (s.startsWith(QLatin1Char('['))) {
    const qsizetype close = s.indexOf(QLatin1Char(']'));
    if (close < 0 || close + 1 >= s.size() || s.at(close + 1) != QLatin1Char(':')) return QString();
    return s.mid(1, close - 1);
  }
  const qsizetype colon = s.indexOf(QLatin1Char(':'));
  if (colon <= 0) return QString();
  // Ceph and GlusterFS may name several servers: the first stands for them.
  return s.left(colon).section(QLatin1Char(','), 0, 0);
}

uint32_t serialFromId(const QString& id) {
  static const QRegularExpression fat(QStringLiteral("^([0-9A-Fa-f]{4})-([0-9A-Fa-f]{4})$"));
  static const QRegularExpression ntfs(QStringLiteral("^[0-9A-Fa-f]{16}$"));
  static const QRegularExpression uuid(
      QStringLiteral("^([0-9A-Fa-f]{8})-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
  static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{1,8}$"));
  if (const auto m = fat.match(id); m.hasMatch()) return (m.captured(1) + m.captured(2)).toUInt(nullptr, 16);
  if (ntfs.match(id).hasMatch()) return id.right(8).toUInt(nullptr, 16);
  if (const auto m = uuid.match(id); m.hasMatch()) return m.captured(1).toUInt(nullptr, 16);
  if (hex.match(id).hasMatch()) return id.toUInt(nullptr, 16);
  return fnv1a(id.toUtf8());
}

namespace {
SystemRoots& defaultRootsStore() {
  static SystemRoots roots;
  return roots;
}
}  // namespace

SystemRoots defaultRoots() { return defaultRootsStore(); }
void setDefaultRoots(const SystemRoots& roots) { defaultRootsStore() = roots; }

VolumeSystem::VolumeSystem() : VolumeSystem(defaultRoots()) {}

VolumeSystem::VolumeSystem(SystemRoots roots)
    : roots_(std::move(roots)), mounts_(MountTable::fromFile(roots_.mountInfo)) {}

std::vector<std::pair<QString, QString>> VolumeSystem::fstabOptical() const {
  // (device, mount point) of the optical drives fstab knows.
  std::vector<std::pair<QString, QString>> out;
  QFile f(roots_.fstab);
  if (!f.open(QIODevice::ReadOnly)) return out;
  for (const QByteArray& raw : f.readAll().split('\n')) {
    const QByteArray line = raw.simplified();
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QList<QByteArray> f2 = line.split(' ');
    if (f2.size() < 3) continue;
    const QString dev = decodeMountField(f2[0]);
    const QString mp = cleanAbsolutePath(decodeMountField(f2[1]));
    const QString type = decodeMountField(f2[2]);
    const QString name = QFileInfo(dev).fileName();
    const bool optical = isOpticalName(name) || name.startsWith(QLatin1String("cdrom")) ||
                         name.startsWith(QLatin1String("dvd")) ||
                         type.split(QLatin1Char(',')).contains(QLatin1String("iso9660")) ||
                         type.split(QLatin1Char(',')).contains(QLatin1String("udf"));
    if (optical && mp.startsWith(QLatin1Char('/'))) out.emplace_back(dev, mp);
  }
  return out;
}

VolumeSystem::Resolved VolumeSystem::resolve(const QString& path) const {
  Resolved r;
  if (!path.startsWith(QLatin1Char('/'))) return r;
  const QString cleaned = cleanAbsolutePath(path);
  r.path = cleaned;
  if (roots_.pathsMustExist) {
    // A catalogued path is looked for as the catalogue found it: a Windows-1252 name by its text.
    const std::unique_ptr<char, decltype(&std::free)> canonical(
        ::realpath(rt::findNativePath(cleaned).bytes.constData(), nullptr), &std::free);
    if (canonical) {
      r.native = QByteArray(canonical.get());
      r.path = rt::decodeFileName(r.native);
      r.entry = mounts_.find(r.path);
    }
  } else {
    r.entry = mounts_.find(r.path);
  }
  // At or below the mount point of an optical drive that has no disc in it (the folder may be
  // missing or an empty folder of the file system above).
  for (const auto& [dev, mp] : fstabOptical()) {
    if (!isPathPrefix(mp, cleaned)) continue;
    if (r.entry && isPathPrefix(mp, r.entry->mountPoint)) break;
    // A disc is in: the path is merely missing on it.
    if (mounts_.at(mp)) break;
    r.emptyOpticalRoot = rootWithSlash(mp);
    r.entry = nullptr;
    break;
  }
  return r;
}

const MountEntry* VolumeSystem::entryFor(const QString& path) const { return resolve(path).entry; }

QString VolumeSystem::driveRoot(const QString& path) const {
  const Resolved r = resolve(path);
  if (!r.emptyOpticalRoot.isEmpty()) return r.emptyOpticalRoot;
  return r.entry ? rootWithSlash(r.entry->mountPoint) : QString();
}

QString VolumeSystem::devicePath(const MountEntry& entry) const {
  if (!entry.source.startsWith(QLatin1String("/dev/"))) return QString();
  return roots_.devRoot + entry.source.mid(4);
}

QString VolumeSystem::blockDeviceDir(const MountEntry& entry) const {
  // The sysfs folder of the block device: by the source's name first (btrfs and others report an
  // anonymous major:minor), then by major:minor.
  const QString dev = devicePath(entry);
  if (!dev.isEmpty()) {
    QString name = QFileInfo(dev).canonicalFilePath();
    name = QFileInfo(name.isEmpty() ? dev : name).fileName();
    const QString dir = QFileInfo(roots_.sysRoot + QStringLiteral("/class/block/") + name).canonicalFilePath();
    if (!dir.isEmpty()) return dir;
  }
  if (entry.major != 0) {
    const QString dir = QFileInfo(roots_.sysRoot + QStringLiteral("/dev/block/%1:%2").arg(entry.major).arg(entry.minor))
                            .canonicalFilePath();
    if (!dir.isEmpty()) return dir;
  }
  return QString();
}

int32_t VolumeSystem::typeOf(const MountEntry& entry) const {
  const QString& fs = entry.fsType;
  if (fs == QLatin1String("iso9660") || fs == QLatin1String("udf")) return kTypeCdRom;
  if (isOpticalName(QFileInfo(entry.source).fileName()) && entry.source.startsWith(QLatin1String("/dev/")))
    return kTypeCdRom;
  if (networkTypes().contains(fs)) return kTypeRemote;
  if (fs == QLatin1String("tmpfs") || fs == QLatin1String("ramfs")) return kTypeRamDisk;
  const QString sysDir = blockDeviceDir(entry);
  if (!sysDir.isEmpty()) {
    const QString disk = QFileInfo::exists(sysDir + QStringLiteral("/partition")) ? QFileInfo(sysDir).path() : sysDir;
    const QString name = QFileInfo(disk).fileName();
    if (isOpticalName(name)) return kTypeCdRom;
    if (isRamName(name)) return kTypeRamDisk;
    if (readSmallFile(disk + QStringLiteral("/removable")) == QLatin1String("1") || onRemovableBus(disk))
      return kTypeRemovable;
    return kTypeFixed;
  }
  // A device file with a real device number is a disk even where sysfs is not to be seen.
  if (entry.major != 0 && entry.source.startsWith(QLatin1String("/dev/"))) return kTypeFixed;
  if (localWithoutDevice().contains(fs)) return kTypeFixed;
  return kTypeUnknown;
}

QString VolumeSystem::networkServer(const QString& path) const {
  const MountEntry* e = resolve(path).entry;
  return e && typeOf(*e) == kTypeRemote ? serverOfSource(e->source) : QString();
}

int32_t VolumeSystem::driveType(const QString& path) const {
  const Resolved r = resolve(path);
  if (!r.emptyOpticalRoot.isEmpty()) return kTypeCdRom;
  if (!r.entry) return kTypeNoRoot;
  return typeOf(*r.entry);
}

std::optional<VolumeFacts> VolumeSystem::volumeFacts(const QString& path) const {
  const Resolved r = resolve(path);
  if (!r.entry) return std::nullopt;
  const MountEntry& e = *r.entry;
  VolumeFacts facts;
  facts.fileSystem = e.fsType;

  const QString dev = devicePath(e);
  if (!dev.isEmpty()) {
    if (roots_.useBlkid) {
      if (const auto p = probeDevice(dev)) {
        facts.label = p->label;
        facts.id = p->uuid;
      }
    }
    // udev's links work when the device itself cannot be read.
    const QString canonical = QFileInfo(dev).canonicalFilePath();
    if (facts.label.isEmpty()) facts.label = linkNameFor(roots_.devRoot + QStringLiteral("/disk/by-label"), canonical);
    if (facts.id.isEmpty()) facts.id = linkNameFor(roots_.devRoot + QStringLiteral("/disk/by-uuid"), canonical);
  }

  if (facts.label.isEmpty() || facts.id.isEmpty()) {
    // The mounted file system answers for itself.
    const Fd fd(::open(QFile::encodeName(e.mountPoint).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
      if (facts.label.isEmpty()) {
        char label[FSLABEL_MAX + 1] = {};
        if (::ioctl(fd.get(), FS_IOC_GETFSLABEL, label) == 0) facts.label = QString::fromUtf8(label);
      }
      if (facts.id.isEmpty()) {
        __u32 volumeId = 0;
        if (::ioctl(fd.get(), FAT_IOCTL_GET_VOLUME_ID, &volumeId) == 0)
          facts.id = QStringLiteral("%1-%2")
                         .arg(volumeId >> 16, 4, 16, QLatin1Char('0'))
                         .arg(volumeId & 0xFFFF, 4, 16, QLatin1Char('0'))
                         .toUpper();
      }
    }
  }

  if (facts.id.isEmpty()) {
    // A share is the same medium wherever it is mounted; other file systems give their fsid.
    if (typeOf(e) == kTypeRemote) {
      facts.id = e.source;
    } else {
      struct statvfs st {};
      if (::statvfs(QFile::encodeName(e.mountPoint).constData(), &st) == 0 && st.f_fsid != 0)
        facts.id = QString::number(static_cast<uint32_t>(st.f_fsid), 16).toUpper();
      else
        facts.id = e.fsType + QLatin1Char('|') + e.source + QLatin1Char('|') + e.mountPoint;
    }
  }
  facts.serial = serialFromId(facts.id);
  return facts;
}

std::optional<Space> VolumeSystem::space(const QString& path) const {
  const Resolved r = resolve(path);
  if (!r.entry) return std::nullopt;
  struct statvfs st {};
  const QByteArray target = roots_.pathsMustExist ? r.native : QFile::encodeName(r.entry->mountPoint);
  if (::statvfs(target.constData(), &st) != 0) return std::nullopt;
  Space s;
  s.freeBytes = static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
  s.totalBytes = static_cast<uint64_t>(st.f_blocks) * st.f_frsize;
  return s;
}

int VolumeSystem::accessError(const QString& path) const {
  const Resolved r = resolve(path);
  if (!r.emptyOpticalRoot.isEmpty()) return ENOMEDIUM;
  if (!r.entry) return ENOENT;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(QFile::encodeName(r.entry->mountPoint).constData()));
  return dir ? 0 : errno;
}

std::vector<OpticalDrive> VolumeSystem::opticalDrives() const {
  std::vector<OpticalDrive> drives;
  QStringList names = QDir(roots_.sysRoot + QStringLiteral("/class/block"))
                          .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
  names.sort();
  const auto fstab = fstabOptical();
  for (const QString& name : names) {
    if (!isOpticalName(name)) continue;
    OpticalDrive d;
    d.device = QStringLiteral("/dev/") + name;
    for (const MountEntry& e : mounts_.entries()) {
      if (QFileInfo(e.source).fileName() == name && e.source.startsWith(QLatin1String("/dev/"))) {
        d.root = rootWithSlash(e.mountPoint);
        d.mounted = true;
      }
    }
    if (!d.mounted) {
      for (const auto& [dev, mp] : fstab) {
        const QString target = QFileInfo(roots_.devRoot + dev.mid(4)).canonicalFilePath();
        if (dev == d.device || (!target.isEmpty() && QFileInfo(target).fileName() == name)) {
          d.root = rootWithSlash(mp);
          break;
        }
      }
    }
    drives.push_back(d);
  }
  return drives;
}

QString hostName() {
  QString name = QSysInfo::machineHostName();
  const qsizetype dot = name.indexOf(QLatin1Char('.'));
  if (dot > 0) name.truncate(dot);
  return name;
}

}  // namespace volumes
