#include "foundation/mdlQZFramework.h"

#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "platform/runtime/FileReplacement.h"
#include "platform/runtime/SystemError.h"
#include "platform/runtime/WholeFile.h"
#include "platform/ui/CursorPosition.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cmath>
#include <utility>

namespace {

const QString kModule = QStringLiteral("mdlQZFramework");

// ---- files -------------------------------------------------------------------------------------

// A failure of the file system as a raised error with the runtime's number and German text.
[[noreturn]] void raiseFileError(int err, const QString& path) {
  rt::RaisedError e = rt::fileSystemError(err, path);
  e.source = gErr->Projectname();
  throw e;
}

}  // namespace

void File_Put(const QString& path, const QString& data, int32_t position, bool overwrite) {
  const QString kProc = QStringLiteral("File_Put");
  // Through a link the file it points to is written; the link stays.
  const QString canonical = QFileInfo(path).canonicalFilePath();
  const QByteArray target = QFile::encodeName(canonical.isEmpty() ? path : canonical);
  struct stat st {};
  const bool exists = ::stat(target.constData(), &st) == 0 && !S_ISDIR(st.st_mode);

  if (position < 0) gErr->ErrRaise(-kMsgBadWritePosition, kModule, kProc);
  if (exists && position == 0 && !overwrite) gErr->ErrRaise(-kMsgFileExists, kModule, kProc, QString(), path);
  if (!exists && position > 1) gErr->ErrRaise(-kMsgBadWritePosition, kModule, kProc);

  try {
    // A pipe would wait for a reader for ever, and a device or socket is no file to replace.
    const auto notRegular = [&] {
      return rt::RaisedError(rt::kErrPathFileAccess, gErr->Projectname(),
                             QStringLiteral("Keine gewöhnliche Datei: %1").arg(path));
    };
    if (exists && !S_ISREG(st.st_mode)) throw notRegular();
    QByteArray bytes = data.toUtf8();
    if (exists && position >= 1) {
      rt::WholeFile file = rt::readWholeFile(target, rt::kAnyFileSize);
      if (file.outcome == rt::WholeFile::Outcome::Failed) raiseFileError(file.error, path);
      // Something else put in the file's place meanwhile.
      if (file.outcome != rt::WholeFile::Outcome::Read) throw notRegular();
      QByteArray whole = std::move(file.bytes);
      const qsizetype at = position - 1;
      if (whole.size() < at + bytes.size()) whole.append(QByteArray(at + bytes.size() - whole.size(), '\0'));
      whole.replace(at, bytes.size(), bytes);
      bytes = whole;
    }
    // An existing file's owner and permissions carry over, without its read-only state.
    rt::FileReplacement replacement(QFile::decodeName(target), path);
    replacement.write(bytes, exists ? std::optional<mode_t>((st.st_mode & 07777) | S_IWUSR) : std::nullopt);
    replacement.commit();
  } catch (const rt::RaisedError& e) {
    // The old file stays because this user may not replace it (a folder without write
    // permission, another owner's file in a shared folder, a read-only medium).
    if (exists && position == 0 && e.number == rt::kErrPermissionDenied)
      gErr->ErrRaise(-kMsgFileExists, kModule, kProc, QString(), path);
    gErr->ErrReRaise(kModule, kProc);
  } catch (...) {
    gErr->ErrReRaise(kModule, kProc);
  }
}

bool MousePositionGet(quintptr hWnd, int32_t& x, int32_t& y, bool client, bool twips) {
  try {
    // The window layer installs the window system's source; without one no pointer is known.
    ui::CursorSource* installed = ui::cursorSource();
    if (!installed) return false;
    ui::CursorSource& source = *installed;
    std::optional<QPoint> p = source.screenPosition();
    if (!p) return false;
    if (client) {
      p = source.toClient(hWnd, *p);
      if (!p) return false;
    }
    double px = p->x();
    double py = p->y();
    if (twips) {
      // The default rounding mode takes halves to even.
      px = std::nearbyint(px * source.twipsPerPixelX());
      py = std::nearbyint(py * source.twipsPerPixelY());
    }
    x = static_cast<int32_t>(px);
    y = static_cast<int32_t>(py);
    return true;
  } catch (...) {
    gErr->ErrReRaise(kModule, QStringLiteral("MousePositionGet"));
  }
}
