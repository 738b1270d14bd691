#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testenv {

rt::RaisedError raised(const std::function<void()>& body) {
  try {
    body();
  } catch (const rt::RaisedError& e) {
    return e;
  }
  return rt::RaisedError();
}

BoxRecorder::BoxRecorder() {
  auto recorder = std::make_unique<ui::RecordingPresenter>();
  recorder_ = recorder.get();
  previous_ = ui::setPresenter(std::move(recorder));
}

BoxRecorder::~BoxRecorder() { ui::setPresenter(std::move(previous_)); }

QByteArray contentOf(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(bytes);
}

mode_t modeOf(const QString& path) {
  struct stat st {};
  EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  return st.st_mode & 07777;
}

int inChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 1;
    try {
      code = body();
    } catch (...) {
      code = 2;
    }
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

bool dropPrivileges() { return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0; }

}  // namespace testenv
