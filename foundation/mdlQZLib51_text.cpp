#include "foundation/mdlQZLib51_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString XorScramble(const QString& text, const QString& key) {
  if (key.isEmpty()) return text;
  QStringEncoder enc("Windows-1252");
  QByteArray t = enc.encode(text);
  const QByteArray k = QStringEncoder("Windows-1252").encode(key);
  for (qsizetype i = 0; i < t.size(); ++i) t[i] = static_cast<char>(t[i] ^ k[i % k.size()]);
  QStringDecoder dec("Windows-1252");
  return dec.decode(t);
}
