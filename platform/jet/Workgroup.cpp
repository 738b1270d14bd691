#include "platform/jet/Workgroup.h"

#include "platform/jet/JetError.h"
#include "platform/runtime/FileReplacement.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>

namespace jet {

namespace {

constexpr const char* kHeader = "ZXWORKGROUP 1";

QByteArray hashOf(const QByteArray& salt, const QString& password) {
  return QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256).toHex();
}

// Compares without an early exit, so the time taken tells nothing about the hash.
bool sameBytes(const QByteArray& a, const QByteArray& b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (qsizetype i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace

WorkgroupCheck checkWorkgroupUser(const QString& path, const QString& user, const QString& password) {
  QFile file(path);
  if (!file.exists()) return WorkgroupCheck::FileMissing;
  if (!file.open(QIODevice::ReadOnly)) return WorkgroupCheck::FileMissing;
  // A workgroup file is tiny; anything large is not one.
  if (file.size() > 1024 * 1024) return WorkgroupCheck::FileDamaged;
  const QList<QByteArray> lines = file.readAll().split('\n');
  if (lines.isEmpty() || lines.front().trimmed() != kHeader) return WorkgroupCheck::FileDamaged;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QByteArray line = lines[i].trimmed();
    if (line.isEmpty()) continue;
    const QList<QByteArray> parts = line.split('\t');
    if (parts.size() != 3 || parts[1].isEmpty() || parts[2].size() != 64) return WorkgroupCheck::FileDamaged;
    if (QString::fromUtf8(parts[0]).compare(user, Qt::CaseInsensitive) != 0) continue;
    return sameBytes(hashOf(parts[1], password), parts[2].toLower()) ? WorkgroupCheck::Ok
                                                                     : WorkgroupCheck::WrongPassword;
  }
  return WorkgroupCheck::UnknownUser;
}

void createWorkgroupFile(const QString& path, const QString& user, const QString& password) {
  if (user.isEmpty() || user.contains(QLatin1Char('\t')) || user.contains(QLatin1Char('\n')))
    raise(err::kWorkgroupFile, QStringLiteral("DBEngine"), user);
  quint32 raw[4];
  QRandomGenerator::system()->fillRange(raw);
  const QByteArray salt = QByteArray(reinterpret_cast<const char*>(raw), sizeof raw).toHex();
  const QByteArray content =
      QByteArray(kHeader) + '\n' + user.toUtf8() + '\t' + salt + '\t' + hashOf(salt, password) + '\n';
  try {
    rt::replaceFileContent(path, content);
  } catch (const rt::RaisedError& e) {
    raise(err::kWorkgroupFile, QStringLiteral("DBEngine"), e.description);
  }
}

}  // namespace jet
