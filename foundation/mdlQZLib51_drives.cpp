#include "foundation/mdlQZLib51_drives.h"

#include "foundation/mdlQZLib51_libmsg.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RaisedError.h"
#include "platform/runtime/SystemError.h"
#include "platform/runtime/TextCodec.h"
#include "platform/runtime/WholeFile.h"
#include "platform/ui/MessageBox.h"
#include "platform/volumes/VolumeSystem.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>

namespace {

const QChar kSep = QLatin1Char('/');
const QString kCrLf = QStringLiteral("\r\n");

// A text file is read whole into memory; anything larger is refused.
constexpr qint64 kMaxTextFileBytes = 64LL * 1024 * 1024;

bool isUncSeparator(QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('/'); }

qsizetype indexOfUncSeparator(const QString& path, qsizetype from) {
  for (qsizetype i = from; i < path.size(); ++i)
    if (isUncSeparator(path.at(i))) return i;
  return -1;
}

std::optional<struct stat> linkStat(const QString& path) {
  struct stat st {};
  if (path.isEmpty() || ::lstat(rt::findNativePath(path).bytes.constData(), &st) != 0) return std::nullopt;
  return st;
}

// Windows wildcards without regard to case: "*" any run, "?" one character; "*.*" is everything.
bool matchesPattern(const QString& name, const QString& pattern) {
  if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) return true;
  const QString n = name.toCaseFolded();
  const QString p = pattern.toCaseFolded();
  qsizetype ni = 0, pi = 0, starP = -1, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p.at(pi) == QLatin1Char('?') || p.at(pi) == n.at(ni))) {
      ++ni;
      ++pi;
    } else if (pi < p.size() && p.at(pi) == QLatin1Char('*')) {
      starP = pi++;
      starN = ni;
    } else if (starP >= 0) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p.at(pi) == QLatin1Char('*')) ++pi;
  return pi == p.size();
}

// The library message that names the cause of a failed drive check.
int32_t causeMessage(int32_t number) {
  switch (number) {
    case rt::kErrFileNotFound:
    case rt::kErrDeviceUnavailable:
      return kLibMsgDeviceUnavailable;
    case rt::kErrDiskNotReady:
      return kLibMsgDiskNotReady;
    case rt::kErrPathFileAccess:
      return kLibMsgPathAccess;
    case rt::kErrPathNotFound:
      return kLibMsgPathNotFound;
    default:
      return kLibMsgUnknownError;
  }
}

}  // namespace

std::optional<VolumeInfoArray> GetVolumeInfo(const QString& path, bool serialAsHex) {
  try {
    const auto facts = volumes::VolumeSystem().volumeFacts(path);
    if (!facts) return std::nullopt;
    QString serial;
    if (serialAsHex) {
      const QString hex = QStringLiteral("%1").arg(facts->serial, 8, 16, QLatin1Char('0')).toUpper();
      serial = hex.left(4) + QLatin1Char('-') + hex.mid(4);
    } else {
      serial = QString::number(static_cast<int32_t>(facts->serial));
    }
    return VolumeInfoArray{serial, facts->fileSystem, facts->label};
  } catch (const std::exception&) {
    return std::nullopt;  // any failure means no facts, never an error
  }
}

QString GetDriveSpec(const QString& path) {
  if (IsUncPath(path)) {
    const rt::Variant root = GetUncRoot(path);
    return root.isNull() ? QString() : root.toText();
  }
  if (path.size() >= 2 && path.at(1) == QLatin1Char(':')) return path.left(1);
  if (path.startsWith(kSep)) return volumes::VolumeSystem().driveRoot(path);
  return QString();
}

double GetDiskFreeSpaceValue(const QString& path, int32_t mode) {
  if (mode < 0 || mode > 2) return 0;
  const auto space = volumes::VolumeSystem().space(path);
  if (!space) return 0;
  switch (mode) {
    case 0:
      return static_cast<double>(space->freeBytes);
    case 1:
      return static_cast<double>(space->totalBytes);
    default:
      return static_cast<double>(space->totalBytes - std::min(space->freeBytes, space->totalBytes));
  }
}

bool DriveGetSpace_ExSupported(const QString& root) {
  // statvfs gives 64-bit counts everywhere; there is no older call to fall back to.
  Q_UNUSED(root);
  return true;
}

int32_t DriveGetType(const QString& path) {
  try {
    return volumes::VolumeSystem().driveType(path);
  } catch (...) {
    RaiseLibError(0, QStringLiteral("mdlLib"), QStringLiteral("DriveGetType"));
  }
}

QString DriveTypeText(int32_t driveType) {
  switch (driveType) {
    case volumes::kTypeRemovable:
      return QStringLiteral("Wechselmedium");
    case volumes::kTypeFixed:
      return QStringLiteral("Festplatte");
    case volumes::kTypeRemote:
      return QStringLiteral("Netzlaufwerk");
    case volumes::kTypeCdRom:
      return QStringLiteral("CD-ROM");
    case volumes::kTypeRamDisk:
      return QStringLiteral("RAM-Disk");
    default:
      return QString();
  }
}

QString GetDriveTypeText(const QString& path) {
  try {
    return DriveTypeText(DriveGetType(path));
  } catch (const rt::RaisedError&) {
    return QString();
  }
}

int32_t TestDriveAccess(const QString& path) {
  // The current folder is left alone: the root is opened instead of entered.
  return rt::errorNumberOf(volumes::VolumeSystem().accessError(path), rt::SystemCall::EnterFolder);
}

bool CheckDriveReady(const QString& path, const QString& title) {
  try {
    const int32_t number = TestDriveAccess(path);
    if (number < 1) return true;
    // Linux roots are named as they are: upper case would name another folder.
    QString drive = volumes::VolumeSystem().driveRoot(path);
    if (drive.isEmpty()) drive = path;
    const QString text = LibMessage(kLibMsgDriveInaccessible, drive) + kCrLf + LibMessage(causeMessage(number));
    ui::showMessageBox(text, ui::kCritical, title);
    return false;
  } catch (...) {
    const rt::RaisedError err = rt::currentError();
    ui::showMessageBox(err.description, ui::kCritical,
                       title + QStringLiteral(" <Runtime-Error ") + QString::number(err.number) + QLatin1Char('>'));
    return false;
  }
}

QString GetComputerNameText() { return volumes::hostName(); }

bool IsUncPath(const QString& path) {
  return path.size() >= 2 && isUncSeparator(path.at(0)) && isUncSeparator(path.at(1));
}

rt::Variant GetUncRoot(const QString& path) {
  const qsizetype first = indexOfUncSeparator(path, 2);
  if (first < 0) return rt::Null;
  const qsizetype second = indexOfUncSeparator(path, first + 1);
  return second < 0 ? path : path.left(second);
}

QString GetUncServerName(const QString& path) {
  if (!IsUncPath(path)) {
    // A network mount stands for a UNC root: its server is in the mount's source.
    try {
      return path.startsWith(kSep) ? volumes::VolumeSystem().networkServer(path) : QString();
    } catch (const std::exception&) {
      return QString();
    }
  }
  const qsizetype first = indexOfUncSeparator(path, 2);
  return first < 0 ? QString() : path.mid(2, first - 2);
}

QString GetFileNamePart(const QString& path, bool useSlash) {
  Q_UNUSED(useSlash);  // "/" is the separator either way
  const qsizetype pos = path.lastIndexOf(kSep);
  return pos < 0 ? path : path.mid(pos + 1);
}

QString GetFolderPart(const QString& path, bool useSlash, bool withTrailingSeparator) {
  Q_UNUSED(useSlash);
  const qsizetype pos = path.lastIndexOf(kSep);
  if (pos < 0) return path;
  // The folder of "/x" is "/" itself, not an empty text.
  if (pos == 0) return QString(kSep);
  return path.left(withTrailingSeparator ? pos + 1 : pos);
}

QString GetFileBaseName(const QString& path) {
  const QString name = GetFileNamePart(path, true);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? name : name.left(dot);
}

QString GetFileExtension(const QString& path) {
  // Only the file name counts: a dot in a folder name is no extension.
  const QString name = GetFileNamePart(path, true);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : name.mid(dot + 1);
}

namespace {

bool isRegularFile(const QString& p) {
  struct stat st {};
  return !p.isEmpty() && ::stat(rt::findNativePath(p).bytes.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file a path names: the path as given, else its unquoted form. A Linux name may begin or
// end with a blank, which unquoting would trim off and so name another file. Empty when neither
// is a regular file.
QString filePathOf(const QString& path) {
  if (isRegularFile(path)) return path;
  const QString unquoted = UnquoteText(path);
  return isRegularFile(unquoted) ? unquoted : QString();
}

}  // namespace

bool FileExists(const QString& path) { return !filePathOf(path).isEmpty(); }

bool FolderExists(const QString& path) {
  if (path.isEmpty()) return false;
  struct stat st {};
  return ::stat(rt::findNativePath(path).bytes.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

double GetFileSizeValue(const QString& path) {
  // Hidden files are found like any other: only a missing entry gives -1.
  if (!linkStat(path)) return -1;
  return GetFileSizeFso(path);
}

double GetFileSizeFso(const QString& path) {
  const auto st = linkStat(path);
  if (!st || !S_ISREG(st->st_mode)) return 0;
  return static_cast<double>(st->st_size);
}

int32_t ListFilesByPatterns(const QString& folder, const QString& patterns, QStringList& files, int32_t attributes) {
  if (folder.isEmpty() || patterns.isEmpty()) return 0;
  const QString dirPath = AddTrailingChar(folder, QString(kSep));
  QStringList parts;
  SplitText(patterns, parts, QStringLiteral("|"));
  QStringList wanted;
  for (qsizetype i = 1; i < parts.size(); i += 2) wanted.append(parts.at(i));
  if (wanted.isEmpty()) return 0;

  QDir::Filters filters = QDir::Files | QDir::System | QDir::NoDotAndDotDot;
  if (attributes & 2) filters |= QDir::Hidden;
  if (attributes & 16) filters |= QDir::Dirs;
  QStringList names = QDir(dirPath).entryList(filters, QDir::Unsorted);
  std::sort(names.begin(), names.end());

  int32_t found = 0;
  for (const QString& pattern : wanted) {
    for (const QString& name : names) {
      if (!matchesPattern(name, pattern)) continue;
      // On a case-sensitive file system "README" and "readme" are two files: both are kept.
      if (files.contains(name, Qt::CaseSensitive)) continue;
      files.append(name);
      ++found;
    }
  }
  return found == 0 ? -1 : static_cast<int32_t>(files.size());
}

QString ReadTextFileRaw(const QByteArray& nativePath) {
  const QString shown = rt::decodeFileName(nativePath);
  const auto fail = [&](int err) {
    rt::RaisedError e = rt::fileSystemError(err, shown);
    e.source = rt::App::exeName();
    return e;
  };
  const auto tooLarge = [&] {
    return rt::RaisedError(rt::kErrOutOfMemory, rt::App::exeName(),
                           QStringLiteral("Die Datei '%1' ist zu groß, um sie als Text zu lesen.").arg(shown));
  };
  const rt::WholeFile file = rt::readWholeFile(nativePath, kMaxTextFileBytes);
  switch (file.outcome) {
    case rt::WholeFile::Outcome::Read:
      break;
    case rt::WholeFile::Outcome::Directory:
    case rt::WholeFile::Outcome::NotRegular:
      return QString();
    case rt::WholeFile::Outcome::TooLarge:
      throw tooLarge();
    case rt::WholeFile::Outcome::Failed:
      throw fail(file.error);  // a failed read is no empty memo
  }
  return rt::decodeText(file.bytes);
}

QString ReadTextFile(const QString& path, bool trimResult, bool stripLineBreaks) {
  const QString filePath = filePathOf(path);
  if (filePath.isEmpty()) RaiseLibError(-kLibMsgFileMissing, QString(), QString(), QString(), path);
  QString text = ReadTextFileRaw(rt::existingNativePath(filePath));
  const QString blank = QStringLiteral(" ");
  if (stripLineBreaks) {
    // CR LF pairs, and LF alone as files written here end with it.
    const QString lf = QStringLiteral("\n");
    QString before;
    do {
      before = text;
      if (text.endsWith(kCrLf))
        text.chop(2);
      else if (text.endsWith(lf))
        text.chop(1);
      if (text.startsWith(kCrLf))
        text.remove(0, 2);
      else if (text.startsWith(lf))
        text.remove(0, 1);
      if (trimResult) text = StripText(text, blank, true, true, Qt::CaseSensitive, false);
    } while (text != before);
  } else if (trimResult) {
    text = StripText(text, blank, true, true, Qt::CaseSensitive, false);
  }
  return text;
}
