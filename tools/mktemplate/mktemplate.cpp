// Writes the template catalogue (schema, version record, standard icons) and the workgroup
// file. Usage:
//   mktemplate <schema.sql> <icons.csv> <icon folder> <template.db> <workgroup.mdw>
// Each output is written beside its target and put in its place in one step, so a failed run
// never leaves a half-made file behind.

#include "foundation/mdlQZLib51_pictures.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Workgroup.h"
#include "platform/runtime/FileReplacement.h"
#include "platform/runtime/RaisedError.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kIconSize = 16;
const char* const kWorkgroupUser = "QZAdmin";
const char* const kWorkgroupPassword = "Wexo71";

struct IconRow {
  int iid = 0;
  int order = 0;
  QString friendlyName;
  QString file;
};

[[noreturn]] void fail(const QString& what) { throw std::runtime_error(what.toStdString()); }

QByteArray readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) fail(QStringLiteral("cannot read %1").arg(path));
  return f.readAll();
}

std::vector<IconRow> readIconList(const QString& path) {
  std::vector<IconRow> rows;
  const QList<QByteArray> lines = readFile(path).split('\n');
  for (const QByteArray& raw : lines) {
    const QString line = QString::fromUtf8(raw).trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const QStringList parts = line.split(QLatin1Char(';'));
    bool okId = false;
    bool okOrder = false;
    IconRow row;
    if (parts.size() == 4) {
      row.iid = parts[0].toInt(&okId);
      row.order = parts[1].toInt(&okOrder);
      row.friendlyName = parts[2];
      row.file = parts[3];
    }
    if (!okId || !okOrder || row.friendlyName.isEmpty() || row.file.isEmpty())
      fail(QStringLiteral("bad icon line in %1: %2").arg(path, line));
    rows.push_back(row);
  }
  return rows;
}

QByteArray renderIcon(const QString& svgPath) {
  QSvgRenderer renderer(svgPath);
  if (!renderer.isValid()) fail(QStringLiteral("cannot render %1").arg(svgPath));
  QImage image(kIconSize, kIconSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
  }
  QByteArray bytes;
  PictureToBytes(Picture::fromImage(image, PictureType::Icon), bytes);
  return bytes;
}

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalizer {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;
using StmtHandle = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

void check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    fail(QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(db))));
}

void exec(sqlite3* db, const QByteArray& sql) {
  char* msg = nullptr;
  const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &msg);
  const QString text = QString::fromUtf8(msg ? msg : "");
  sqlite3_free(msg);
  if (rc != SQLITE_OK) fail(QStringLiteral("SQL failed: %1").arg(text));
}

StmtHandle prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  check(db, sqlite3_prepare_v2(db, sql, -1, &s, nullptr), sql);
  return StmtHandle(s);
}

void bindText(sqlite3* db, sqlite3_stmt* s, int index, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  check(db, sqlite3_bind_text(s, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT), "bind");
}

void bindBlob(sqlite3* db, sqlite3_stmt* s, int index, const QByteArray& bytes) {
  check(db, sqlite3_bind_blob(s, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT), "bind");
}

void writeTemplate(const QString& schemaPath, const QString& iconListPath, const QString& iconDir,
                   const QString& target) {
  const QByteArray schema = readFile(schemaPath);
  const std::vector<IconRow> icons = readIconList(iconListPath);

  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(QFile::encodeName(target).constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  DbHandle db(raw);
  if (rc != SQLITE_OK) fail(QStringLiteral("cannot create %1").arg(target));
  // Deliberately without the program's collation and functions: a schema that named them would
  // fail here instead of making catalogues that other tools cannot open.
  exec(db.get(), "PRAGMA foreign_keys=ON; PRAGMA journal_mode=DELETE;");
  exec(db.get(), "BEGIN");
  exec(db.get(), schema);

  // GUID stays Null: each catalogue gets its own when first opened or made by File New.
  StmtHandle version =
      prepare(db.get(), "INSERT INTO tblVERSION (Major, Minor, Revision, Type, GUID) VALUES (1, 0, 11, ?1, NULL)");
  bindText(db.get(), version.get(), 1, XorScramble(QStringLiteral("RZKerbolith"), QStringLiteral("KOV1987")));
  check(db.get(), sqlite3_step(version.get()), "insert tblVERSION");

  StmtHandle icon = prepare(
      db.get(), "INSERT INTO tblICONS (IID, Icon, DefaultIcon, FriendlyName, \"Order\") VALUES (?1, ?2, ?2, ?3, ?4)");
  for (const IconRow& row : icons) {
    const QByteArray bytes = renderIcon(QDir(iconDir).filePath(row.file));
    sqlite3_reset(icon.get());
    check(db.get(), sqlite3_bind_int(icon.get(), 1, row.iid), "bind");
    bindBlob(db.get(), icon.get(), 2, bytes);
    bindText(db.get(), icon.get(), 3, row.friendlyName);
    check(db.get(), sqlite3_bind_int(icon.get(), 4, row.order), "bind");
    check(db.get(), sqlite3_step(icon.get()), "insert tblICONS");
  }
  version.reset();
  icon.reset();
  exec(db.get(), "COMMIT");
  exec(db.get(), "VACUUM");
}

// Writes through a temporary file beside the target, then puts it in the target's place.
template <typename Writer>
void replaceFile(const QString& target, Writer write) {
  rt::FileReplacement replacement(target);
  write(replacement.tempPath());
  replacement.commit();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 6) {
    std::fprintf(stderr, "usage: mktemplate <schema.sql> <icons.csv> <icon folder> <template.db> <workgroup.mdw>\n");
    return 2;
  }
  try {
    replaceFile(args[4], [&](const QString& temp) { writeTemplate(args[1], args[2], args[3], temp); });
    jet::createWorkgroupFile(args[5], QString::fromLatin1(kWorkgroupUser), QString::fromLatin1(kWorkgroupPassword));
  } catch (const rt::RaisedError& e) {
    std::fprintf(stderr, "mktemplate: error %d: %s\n", e.number, e.description.toLocal8Bit().constData());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mktemplate: %s\n", e.what());
    return 1;
  }
  return 0;
}
