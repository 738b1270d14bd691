#pragma once

// Read access to a compiled help file: its pages, its start page and its context map.

#include <QByteArray>
#include <QString>

#include <optional>

struct chmFile;

class ChmArchive {
 public:
  ChmArchive() = default;
  ~ChmArchive();
  ChmArchive(const ChmArchive&) = delete;
  ChmArchive& operator=(const ChmArchive&) = delete;

  bool open(const QString& path);
  bool isOpen() const { return file_ != nullptr; }
  QString path() const { return path_; }

  // The bytes of an object ("/main.htm"), or nothing when the file has none.
  std::optional<QByteArray> read(const QString& objectPath) const;
  bool contains(const QString& objectPath) const;

  QString title() const { return title_; }
  QString defaultTopic() const { return defaultTopic_; }
  QString contentsFile() const { return contentsFile_; }
  // The page mapped to a context number, or "" when the map lacks it.
  QString contextTopic(int32_t context) const;

 private:
  void readSystem();
  QString resolveTopic(const QString& name) const;

  chmFile* file_ = nullptr;
  QString path_;
  QString title_;
  QString defaultTopic_;
  QString contentsFile_;
};
