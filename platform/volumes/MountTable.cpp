#include "platform/volumes/MountTable.h"

#include <QDir>
#include <QFile>

namespace volumes {

QString decodeMountField(const QByteArray& field) {
  QByteArray out;
  out.reserve(field.size());
  for (qsizetype i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (c == '\\' && i + 3 < field.size()) {
      const QByteArray digits = field.mid(i + 1, 3);
      bool ok = digits.size() == 3;
      for (char d : digits) ok = ok && d >= '0' && d <= '7';
      if (ok) {
        out.append(static_cast<char>(digits.toInt(nullptr, 8)));
        i += 3;
        continue;
      }
    }
    out.append(c);
  }
  return QString::fromUtf8(out);
}

QString cleanAbsolutePath(const QString& path) {
  if (path.isEmpty()) return QString();
  QString p = QDir::cleanPath(path);
  // cleanPath keeps a leading "//"; Linux treats it as "/".
  while (p.startsWith(QLatin1String("//"))) p.remove(0, 1);
  return p;
}

bool isPathPrefix(const QString& prefix, const QString& path) {
  if (prefix == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
  if (!path.startsWith(prefix)) return false;
  return path.size() == prefix.size() || path.at(prefix.size()) == QLatin1Char('/');
}

QString rootWithSlash(const QString& mountPoint) {
  if (mountPoint.endsWith(QLatin1Char('/'))) return mountPoint;
  return mountPoint + QLatin1Char('/');
}

MountTable MountTable::parse(const QByteArray& text) {
  std::vector<MountEntry> entries;
  for (const QByteArray& line : text.split('\n')) {
    const QList<QByteArray> f = line.split(' ');
    // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    qsizetype dash = -1;
    for (qsizetype i = 6; i < f.size(); ++i) {
      if (f[i] == "-") {
        dash = i;
        break;
      }
    }
    if (dash < 0 || dash + 2 >= f.size()) continue;
    MountEntry e;
    bool okId = false, okParent = false;
    e.mountId = f[0].toInt(&okId);
    e.parentId = f[1].toInt(&okParent);
    const QList<QByteArray> mm = f[2].split(':');
    if (!okId || !okParent || mm.size() != 2) continue;
    bool okMajor = false, okMinor = false;
    e.major = mm[0].toUInt(&okMajor);
    e.minor = mm[1].toUInt(&okMinor);
    if (!okMajor || !okMinor) continue;
    e.root = decodeMountField(f[3]);
    e.mountPoint = cleanAbsolutePath(decodeMountField(f[4]));
    if (!e.mountPoint.startsWith(QLatin1Char('/'))) continue;
    e.fsType = decodeMountField(f[dash + 1]);
    e.source = decodeMountField(f[dash + 2]);
    if (dash + 3 < f.size()) e.superOptions = decodeMountField(f[dash + 3]);
    entries.push_back(std::move(e));
  }
  return MountTable(std::move(entries));
}

MountTable MountTable::fromFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return MountTable();
  // /proc files report size 0: read until the end.
  return parse(file.readAll());
}

const MountEntry* MountTable::find(const QString& path) const {
  if (!path.startsWith(QLatin1Char('/'))) return nullptr;
  const QString p = cleanAbsolutePath(path);
  const MountEntry* best = nullptr;
  for (const MountEntry& e : entries_) {
    if (!isPathPrefix(e.mountPoint, p)) continue;
    if (!best || e.mountPoint.size() >= best->mountPoint.size()) best = &e;
  }
  return best;
}

const MountEntry* MountTable::at(const QString& mountPoint) const {
  const QString p = cleanAbsolutePath(mountPoint);
  const MountEntry* found = nullptr;
  for (const MountEntry& e : entries_)
    if (e.mountPoint == p) found = &e;
  return found;
}

}  // namespace volumes
