#include "foundation/widgets/FileDialog.h"

#include "platform/runtime/RaisedError.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/FileChooser.h"

#include <QChar>
#include <QDir>
#include <QFileInfo>

namespace {

constexpr int kFileBufferLength = 512;
const QChar kNul(u'\0');

// "c:\" as a default folder is the user's home on this system.
QString defaultFolder() { return QDir::homePath(); }

}  // namespace

QString FileDialog::ParseFilter(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('|'), Qt::SkipEmptyParts);
  QString r;
  for (const QString& p : parts) r += p + kNul;
  if (parts.size() % 2 == 1) r += QStringLiteral("*.*") + kNul;
  return r + kNul;
}

QStringList FileDialog::QtFilters(const QString& dialogForm) {
  QStringList parts = dialogForm.split(kNul, Qt::SkipEmptyParts);
  QStringList r;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (QString p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      p = p.trimmed();
      // "*.*" would skip names without a dot here.
      patterns << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    }
    // The description shows as it is (the dialog hides the pattern list).
    r << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return r;
}

void FileDialog::ResetState() {
  title_.clear();
  filter_.clear();
  flags_ = 0;
  initDir_.clear();
  fileName_.clear();
}

void FileDialog::SetTitle(const QString& title, const QString& fallback) {
  title_ = title.isEmpty() ? fallback : title;
}

void FileDialog::SetFilter(const QString& filter) {
  filter_ = ParseFilter(filter.isEmpty() ? QStringLiteral("Alle Dateien (*.*)|*.*") : filter);
}

void FileDialog::SetInitDir(const QString& dir) { initDir_ = dir.isEmpty() ? defaultFolder() : dir; }

void FileDialog::SetFileName(const QString& name) {
  // A proposed name that does not fit the dialog's buffer is not taken.
  fileName_ = name.size() > kFileBufferLength ? QString() : name;
}

int32_t FileDialog::Z_CheckFlags(int32_t lAttr, const QString& intention) {
  if (lAttr != 0) return lAttr;
  if (intention == QLatin1String("Open")) return OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (intention == QLatin1String("Save")) return OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  ui::showMessageBox(QStringLiteral("Unbekannte Intention: ") + intention, ui::kCritical,
                     QStringLiteral("Z_CheckFlags"));
  return 0;
}

QString FileDialog::Show(QWidget* owner, bool save) {
  try {
    ui::FileRequest request;
    request.kind = save ? ui::FileRequest::Kind::Save : ui::FileRequest::Kind::Open;
    request.owner = owner;
    request.title = title_;
    request.directory = initDir_;
    request.fileName = fileName_;
    request.filters = QtFilters(filter_);
    request.fileMustExist = !save && (flags_ & OFN_FILEMUSTEXIST);
    request.multiSelect = !save && (flags_ & OFN_ALLOWMULTISELECT);
    request.overwritePrompt = save && (flags_ & OFN_OVERWRITEPROMPT);
    const std::optional<QStringList> chosen = ui::fileChooser().choose(request);
    if (!chosen || chosen->isEmpty()) return QString();
    if (request.multiSelect && chosen->size() > 1) {
      if (!(flags_ & OFN_EXPLORER)) return chosen->first();
      // Explorer form: the folder, then the names, separated by NULs.
      QStringList parts{QFileInfo(chosen->first()).absolutePath()};
      for (const QString& path : *chosen) parts << QFileInfo(path).fileName();
      return parts.join(kNul);
    }
    return chosen->first();
  } catch (...) {
    const rt::RaisedError e = rt::currentError();
    fileName_.clear();
    ui::showMessageBox(e.description, ui::kExclamation,
                       save ? QStringLiteral("Error: X_ShowSave") : QStringLiteral("Error: X_ShowOpen"));
    return QString();
  }
}

QString FileDialog::X_ShowOpen(QWidget* owner) { return Show(owner, false); }
QString FileDialog::X_ShowSave(QWidget* owner) { return Show(owner, true); }

QString FileDialog::GetOpenFileName(const QString& sInitialDir, const QString& sInitialFile, const QString& sTitle,
                                    const QString& sFilter, QWidget* lHwnd, int32_t lAttr) {
  ResetState();
  SetTitle(sTitle, QStringLiteral("Datei öffnen"));
  SetInitDir(sInitialDir);
  SetFileName(sInitialFile);
  SetFilter(sFilter);
  SetFlags(Z_CheckFlags(lAttr, QStringLiteral("Open")));
  return X_ShowOpen(lHwnd);
}

QString FileDialog::GetSaveFileName(const QString& sInitialDir, const QString& sInitialFile, const QString& sTitle,
                                    const QString& sFilter, QWidget* lHwnd, int32_t lAttr) {
  ResetState();
  SetTitle(sTitle, QStringLiteral("Datei speichern"));
  SetInitDir(sInitialDir);
  SetFileName(sInitialFile);
  SetFilter(sFilter);
  SetFlags(Z_CheckFlags(lAttr, QStringLiteral("Save")));
  return X_ShowSave(lHwnd);
}

QString FileDialog::Browse(const QString& title, const QString& initialPath, QWidget* owner, bool terminate,
                           const QString& root, bool includeFiles) {
  // Failures pass on to the caller unchanged.
  ui::FileRequest request;
  request.kind = ui::FileRequest::Kind::Folder;
  request.owner = owner;
  request.title = title;
  request.directory = initialPath.isEmpty() ? defaultFolder() : initialPath;
  request.fileName = request.directory;
  request.rootDirectory = root;
  request.includeFiles = includeFiles;
  const std::optional<QStringList> chosen = ui::fileChooser().choose(request);
  if (!chosen || chosen->isEmpty()) return QString();
  QString path = chosen->first();
  if (terminate && !path.isEmpty() && !path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  return path;
}

QString FileDialog::BrowseForFolder(const QString& sTitle, const QString& sInitialPath, QWidget* lHwnd,
                                    bool fTerminate) {
  return Browse(sTitle.isEmpty() ? QStringLiteral("Ordner wählen") : sTitle, sInitialPath, lHwnd, fTerminate, QString(),
                false);
}

QString FileDialog::BrowseForFolderEx(const QString& sTitle, const QString& sInitialPath, QWidget* lHwnd,
                                      bool fTerminate, bool fShowCurrentPath, const QString& sRootPath,
                                      bool /*fNewDialogStyle*/, bool fIncludeFiles) {
  // "$" marks the status line of the shell's browser; it is no title.
  QString title = sTitle.isEmpty() ? QStringLiteral("Ordner wählen") : sTitle;
  if (fShowCurrentPath && title == QLatin1String("$")) title.clear();
  return Browse(title, sInitialPath, lHwnd, fTerminate, sRootPath, fIncludeFiles);
}
