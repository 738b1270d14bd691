#include "foundation/widgets/ChmArchive.h"

#include <QFile>
#include <QtEndian>

#include <chm_lib.h>

namespace {

uint32_t u32(const QByteArray& b, qsizetype at) {
  return at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.constData() + at) : 0;
}
uint16_t u16(const QByteArray& b, qsizetype at) {
  return at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.constData() + at) : 0;
}
// A NUL-ended text of the help file (ANSI; our pages keep their names in ASCII).
QString zText(const QByteArray& b, qsizetype at) {
  if (at < 0 || at >= b.size()) return QString();
  const qsizetype end = b.indexOf('\0', at);
  return QString::fromLatin1(b.mid(at, (end < 0 ? b.size() : end) - at));
}
QString absolute(const QString& name) { return name.startsWith(QLatin1Char('/')) ? name : QLatin1Char('/') + name; }

}  // namespace

ChmArchive::~ChmArchive() {
  if (file_) chm_close(file_);
}

bool ChmArchive::open(const QString& path) {
  if (file_) chm_close(file_);
  file_ = nullptr;
  title_.clear();
  defaultTopic_.clear();
  contentsFile_.clear();
  path_ = path;
  file_ = chm_open(QFile::encodeName(path).constData());
  if (!file_) return false;
  readSystem();
  return true;
}

std::optional<QByteArray> ChmArchive::read(const QString& objectPath) const {
  if (!file_) return std::nullopt;
  chmUnitInfo info;
  const QByteArray name = absolute(objectPath).toUtf8();
  if (chm_resolve_object(file_, name.constData(), &info) != CHM_RESOLVE_SUCCESS) return std::nullopt;
  QByteArray data(static_cast<qsizetype>(info.length), Qt::Uninitialized);
  if (info.length == 0) return data;
  const LONGINT64 got = chm_retrieve_object(file_, &info, reinterpret_cast<unsigned char*>(data.data()), 0,
                                            static_cast<LONGINT64>(info.length));
  if (got <= 0) return std::nullopt;
  data.resize(static_cast<qsizetype>(got));
  return data;
}

bool ChmArchive::contains(const QString& objectPath) const {
  if (!file_) return false;
  chmUnitInfo info;
  return chm_resolve_object(file_, absolute(objectPath).toUtf8().constData(), &info) == CHM_RESOLVE_SUCCESS;
}

void ChmArchive::readSystem() {
  // #SYSTEM: a version, then entries of code, length and data.
  const std::optional<QByteArray> sys = read(QStringLiteral("/#SYSTEM"));
  if (!sys) return;
  qsizetype at = 4;
  while (at + 4 <= sys->size()) {
    const uint16_t code = u16(*sys, at);
    const uint16_t length = u16(*sys, at + 2);
    const QByteArray data = sys->mid(at + 4, length);
    if (code == 0) contentsFile_ = resolveTopic(zText(data, 0));
    if (code == 2) defaultTopic_ = resolveTopic(zText(data, 0));
    if (code == 3) title_ = zText(data, 0);
    at += 4 + length;
  }
}

QString ChmArchive::resolveTopic(const QString& name) const {
  // Compilers store the topic relative to the project, or with the folder they ran in: take
  // the longest tail of the name, at a folder boundary, that is an object of the file.
  if (name.isEmpty()) return QString();
  QString candidate = absolute(QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')));
  for (;;) {
    if (contains(candidate)) return candidate;
    const qsizetype next = candidate.indexOf(QLatin1Char('/'), 1);
    if (next < 0) return QString();
    candidate = candidate.mid(next);
  }
}

QString ChmArchive::contextTopic(int32_t context) const {
  // #IVB: a byte count, then pairs of context number and offset into #STRINGS.
  const std::optional<QByteArray> ivb = read(QStringLiteral("/#IVB"));
  const std::optional<QByteArray> strings = read(QStringLiteral("/#STRINGS"));
  if (!ivb || !strings) return QString();
  const qsizetype end = std::min<qsizetype>(ivb->size(), 4 + static_cast<qsizetype>(u32(*ivb, 0)));
  for (qsizetype at = 4; at + 8 <= end; at += 8)
    if (static_cast<int32_t>(u32(*ivb, at)) == context) return resolveTopic(zText(*strings, u32(*ivb, at + 4)));
  return QString();
}
