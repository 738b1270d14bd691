#pragma once

// The open, save and folder dialogs behind a seam, so tests can script the chosen path.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

namespace ui {

struct FileRequest {
  enum class Kind { Open, Save, Folder };
  Kind kind = Kind::Open;
  QWidget* owner = nullptr;
  QString title;
  QString directory;    // start folder
  QString fileName;     // proposed name (open, save) or folder to select (folder)
  QStringList filters;  // Qt form: "Beschreibung (*.txt *.log)"
  bool fileMustExist = false;
  bool multiSelect = false;
  bool overwritePrompt = false;
  bool includeFiles = false;  // folder: list files as well
  QString rootDirectory;      // folder: the user cannot leave it (empty: no limit)
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen absolute paths (one, or several with multiSelect), or nothing on cancel.
  // A failure of the dialog itself is raised as rt::RaisedError.
  virtual std::optional<QStringList> choose(const FileRequest& request) = 0;
};

// QFileDialog, Qt's own dialog (the same on every desktop and drivable in tests).
class QtFileChooser : public FileChooser {
 public:
  std::optional<QStringList> choose(const FileRequest& request) override;
};

FileChooser& fileChooser();
std::unique_ptr<FileChooser> setFileChooser(std::unique_ptr<FileChooser> chooser);

}  // namespace ui
