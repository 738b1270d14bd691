#pragma once

// Opening a file, folder or web address with the program the desktop associates with it.
// The window layer installs the real opener; before that a recorder answers, so code below the
// windows never starts programs in tests.

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace ui {

// Results in the shell's terms: 0 success, else a code up to 32.
inline constexpr int kShellOk = 0;
inline constexpr int kShellFileNotFound = 2;
inline constexpr int kShellPathNotFound = 3;
inline constexpr int kShellNoAssociation = 31;

struct ShellOpenRequest {
  QString target;      // a local path or an address with a scheme ("http:", "MailTo:" ...)
  QString workingDir;  // empty: the opener's own
  bool maximized = false;
};

class ShellOpener {
 public:
  virtual ~ShellOpener() = default;
  virtual int open(const ShellOpenRequest& request) = 0;
};

// Records every request and answers from a script (kShellOk when nothing is scripted).
class RecordingShellOpener : public ShellOpener {
 public:
  int open(const ShellOpenRequest& request) override;

  std::vector<ShellOpenRequest> opened;
  std::vector<int> results;  // taken from the front

 private:
  size_t next_ = 0;
};

// True when the text is an address with a scheme of two letters or more ("http://...",
// "MailTo:..."), false for a local path.
bool isAddress(const QString& target);

ShellOpener& shellOpener();
// Installs an opener and returns the previous one (nullptr installs a recorder).
std::unique_ptr<ShellOpener> setShellOpener(std::unique_ptr<ShellOpener> opener);

int shellOpen(const QString& target, const QString& workingDir = QString(), bool maximized = false);

// The target that names a local file by its bytes: the path itself when they are UTF-8, else a
// "file:" address with the bytes percent-encoded (a Windows-1252 name has no text that the
// opener could turn back into the same bytes).
QString localFileTarget(const QByteArray& nativePath);

}  // namespace ui
