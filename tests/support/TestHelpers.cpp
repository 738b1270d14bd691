#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <string>

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

void writeFile(const QByteArray& path, int64_t size) {
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path.toStdString());
  std::string chunk(65536, '\0');
  for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>('a' + i % 26);
  int64_t left = size;
  while (left > 0) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(chunk.size())));
    if (::write(fd, chunk.data(), n) != static_cast<ssize_t>(n)) break;
    left -= static_cast<int64_t>(n);
  }
  ::close(fd);
}

void makeDir(const QByteArray& path) {
  if (::mkdir(path.constData(), 0755) != 0) throw std::runtime_error("cannot create " + path.toStdString());
}

void writeText(const QByteArray& path, const QByteArray& text) {
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0) << path.toStdString();
  EXPECT_EQ(::write(fd, text.constData(), static_cast<size_t>(text.size())), text.size());
  ::close(fd);
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
