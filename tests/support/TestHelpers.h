#pragma once

// Small helpers shared by the test programs.

#include "platform/runtime/RaisedError.h"
#include "platform/ui/MessageBox.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QTimer>

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>

// Lets failure messages show QString values as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace testenv {

// Runs body and returns the error it raised (number 0 when none).
rt::RaisedError raised(const std::function<void()>& body);

// Answers message boxes with a recording presenter while it lives, then puts back the one
// that was there before.
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  ui::RecordingPresenter* operator->() const { return recorder_; }
  ui::RecordingPresenter& operator*() const { return *recorder_; }

 private:
  ui::RecordingPresenter* recorder_ = nullptr;
  std::unique_ptr<ui::MessagePresenter> previous_;
};

// The whole content of a file; a failed expectation when it cannot be read.
QByteArray contentOf(const QString& path);
// Writes a file, making its folder first; a fatal failure when it cannot be written.
void writeFile(const QString& path, const QByteArray& bytes);
// By the path's bytes, which need not be UTF-8: a file of size bytes (a repeating pattern) and
// a folder, both throwing when they cannot be made, and a file of text, a failure when it
// cannot be written.
void writeFile(const QByteArray& path, int64_t size);
void makeDir(const QByteArray& path);
void writeText(const QByteArray& path, const QByteArray& text);
// The permission bits of a file.
mode_t modeOf(const QString& path);

// Runs body in a forked child and returns its exit code (body's return value; 2 when it
// raised, 3 when it did not end normally).
int inChild(const std::function<int()>& body);
// Drops to the user and group "nobody" (for use inside inChild): the superuser's rights would
// get past every file permission a test sets up.
bool dropPrivileges();
// The code a child reports back when it could not set up its case.
inline constexpr int kSkipCode = 77;

// Returns once every timer armed before the call with an interval of at most ms has fallen
// due and run, and what it posted has run too: for checking that a deferred step does not come
// (or comes only once). Timers run in the order they fall due, and the one started here falls
// due after them.
inline void letArmedTimersRun(int ms) {
  bool due = false;
  QTimer sentinel;
  sentinel.setSingleShot(true);
  sentinel.setTimerType(Qt::PreciseTimer);
  QObject::connect(&sentinel, &QTimer::timeout, [&due] { due = true; });
  // Coarse timers may fall due up to a twentieth of their interval late.
  sentinel.start(ms + ms / 10 + 1);
  while (!due) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  QCoreApplication::processEvents();
}

// Removes a folder with everything below it when it goes; the temporary folder's own clean-up
// cannot remove names that are not valid UTF-8.
struct RawFolderRemover {
  QByteArray folder;
  ~RawFolderRemover() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(folder.toStdString()), ec);
  }
};

}  // namespace testenv
