#pragma once

// Puts a new file in place of an old one so that, after a crash at any moment, the old name
// holds either the old file or the new one, whole: the new file is written under a temporary
// name beside the target, flushed to the disk, renamed over the target in one step, and the
// folder is flushed so that the new name lasts.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <optional>

namespace rt {

class FileReplacement {
 public:
  // Picks a temporary name in the target's folder; nothing is created yet. A target that is a
  // link stands for the file it points to. Errors name `shownPath` (the target when empty).
  explicit FileReplacement(QString target, QString shownPath = QString());
  // Removes the temporary file unless it has been committed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  const QString& target() const { return target_; }
  // Where the new file is made, by write() or by anyone who writes a file to a path.
  const QString& tempPath() const { return temp_; }

  // Creates the temporary file with `content`. An existing target's owner (where the user may
  // give it) and permission bits carry over; `mode` sets the permission bits instead.
  void write(const QByteArray& content, std::optional<mode_t> mode = std::nullopt);
  // Flushes the temporary file, renames it over the target and flushes the folder.
  void commit();

 private:
  QString target_;
  QString shown_;
  QString temp_;
  bool committed_ = false;
};

// Flushes `from`, renames it over `to` in one step and flushes the folder. Failures raise the
// runtime's file errors naming `to`.
void renameDurably(const QString& from, const QString& to);

// The whole of `content` in place of `target`, as FileReplacement does it.
void replaceFileContent(const QString& target, const QByteArray& content);

}  // namespace rt
