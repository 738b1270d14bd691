#include "platform/ui/widgets/FileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ui {

namespace {
std::unique_ptr<FileChooser>& slot() {
  static std::unique_ptr<FileChooser> s = std::make_unique<QtFileChooser>();
  return s;
}
}  // namespace

std::optional<QStringList> QtFileChooser::choose(const FileRequest& request) {
  QFileDialog dialog(request.owner, request.title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  QString directory = request.directory;
  if (request.kind == FileRequest::Kind::Folder) {
    dialog.setFileMode(QFileDialog::Directory);
    if (!request.includeFiles) dialog.setOption(QFileDialog::ShowDirsOnly);
    // Open in the parent so that the start folder itself is the selection.
    const QFileInfo start(request.fileName.isEmpty() ? directory : request.fileName);
    if (start.isDir() && !start.isRoot()) {
      dialog.setDirectory(start.absolutePath());
      dialog.selectFile(start.fileName());
    } else {
      dialog.setDirectory(start.absoluteFilePath());
    }
  } else {
    dialog.setAcceptMode(request.kind == FileRequest::Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.kind == FileRequest::Kind::Open)
      dialog.setFileMode(request.multiSelect
                             ? QFileDialog::ExistingFiles
                             : (request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    else
      dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!request.filters.isEmpty()) dialog.setNameFilters(request.filters);
    dialog.setDirectory(directory);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  if (!request.rootDirectory.isEmpty()) {
    const QString root = QDir::cleanPath(QFileInfo(request.rootDirectory).absoluteFilePath());
    for (const QString& c : chosen) {
      const QString p = QDir::cleanPath(c);
      if (p != root && !p.startsWith(root.endsWith('/') ? root : root + '/')) return std::nullopt;
    }
  }
  return chosen;
}

FileChooser& fileChooser() { return *slot(); }

std::unique_ptr<FileChooser> setFileChooser(std::unique_ptr<FileChooser> chooser) {
  std::unique_ptr<FileChooser> old = std::move(slot());
  slot() = chooser ? std::move(chooser) : std::make_unique<QtFileChooser>();
  return old;
}

}  // namespace ui
