#pragma once

// A catalogue copied from the built template with one volume row, an owner that records the
// status texts, a recorder for the boxes, and a plain reference walk of a real tree to check
// the reader's rows against.

#include "catalogue/pReader.h"
#include "platform/jet/Database.h"
#include "platform/jet/Workspace.h"
#include "platform/ui/MessageBox.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace readertest {

class RecordingOwner : public pReaderOwner {
 public:
  void Status(const QString& text) override {
    texts << text;
    if (onStatus) onStatus(text);
  }
  QObject* AllowedWindow() override { return allowed; }
  QStringList texts;
  QObject* allowed = nullptr;
  std::function<void(const QString&)> onStatus;
};

// Installs a recording presenter for the lifetime of the object.
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  ui::RecordingPresenter& boxes() { return *rec_; }

 private:
  ui::RecordingPresenter* rec_;
  std::unique_ptr<ui::MessagePresenter> previous_;
};

struct Catalogue {
  QString path;
  std::shared_ptr<jet::Workspace> ws;
  std::shared_ptr<jet::Database> db;
  // A fresh copy of the template in dir (world-writable when shared is set, for tests that
  // drop privileges).
  void create(const QString& dir, bool shared = false);
  void addVolume(int32_t vid, const QString& volumePath);
  // Rows of one volume.
  int64_t count(const QString& sql) const;
};

// What the reader should have written for one folder, from a plain walk of the tree.
struct ExpectedFile {
  int64_t size = 0;
  int64_t mtime = 0;
};
struct ExpectedFolder {
  int32_t files = 0;
  int64_t size = 0;
  int32_t totalFiles = 0;
  int32_t totalDirs = 0;
  int64_t totalSize = 0;
  QMap<QString, ExpectedFile> allFiles;  // every non-folder entry, hidden ones too
};
// Keyed by the path below the root ("" for the root, "a/b" below). Links are not followed;
// skipHidden leaves dot entries out of the counts and dot folders out altogether; the
// folders in noEnter are recorded but not listed.
QMap<QString, ExpectedFolder> referenceWalk(const QByteArray& root, bool skipHidden, const QStringList& noEnter = {});

// The rows of a volume read back, keyed like referenceWalk by the path rebuilt from Parent.
struct StoredFolder {
  int32_t pid = 0;
  rt::Variant parent;
  rt::Variant memo;
  ExpectedFolder values;
};
QMap<QString, StoredFolder> storedFolders(jet::Database& db, int32_t vid);

}  // namespace readertest
