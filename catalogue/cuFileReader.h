#pragma once

// Reads one file block by block, or only its first block, to prove that it can be read.
// The blocks are handed to NewData and not kept. Only regular files are opened: links,
// FIFOs, sockets and devices are passed over without an event.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

class cuFileReader {
 public:
  cuFileReader() = default;
  ~cuFileReader();
  cuFileReader(const cuFileReader&) = delete;
  cuFileReader& operator=(const cuFileReader&) = delete;

  void setBlocksize(int32_t v) { blocksize_ = v; }
  int32_t Blocksize() const { return blocksize_; }
  void setFileName(const QString& v);
  // The path as the file system spells it, for names that are not valid UTF-8.
  void setFileNameBytes(const QByteArray& raw);
  QString FileName() const { return fileName_; }
  void setMaxBytes(int32_t v) { maxBytes_ = v; }
  int32_t MaxBytes() const { return maxBytes_; }

  // Meant to be called while Read pumps messages.
  void ReadCancel() { cancel_ = true; }
  void Read();

  // Events. Canceled: goOn comes in False; leave it so to stop, set it to go on reading.
  std::function<void(bool& goOn)> Canceled;
  std::function<void(int32_t percentage)> ReadProgress;
  std::function<void(const QByteArray& data, int64_t block)> NewData;

 private:
  void CloseFile();
  bool OpenFile();  // false: not a regular file, nothing to read
  int64_t readBlock(QByteArray& buffer, int64_t bytes);

  QString fileName_;
  QByteArray rawName_;
  int32_t blocksize_ = 32768;
  int32_t maxBytes_ = 0;
  bool cancel_ = false;
  int fd_ = -1;
};
