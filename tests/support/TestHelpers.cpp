#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

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

}  // namespace testenv
