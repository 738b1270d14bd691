#pragma once

// Reads one volume from disk into the open catalogue: the walker collects the folder tree
// with its counts, optionally every file is test-read, and one tblPATHS row per folder and
// one tblFILES row per file are written as the walk goes, all in one transaction. On any
// error or cancel the transaction is rolled back and nothing of the read stays in the
// catalogue.

#include "catalogue/DirSource.h"
#include "catalogue/cuDirParser.h"
#include "catalogue/cuFileReader.h"
#include "catalogue/pReaderOwner.h"
#include "platform/jet/Param.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace jet {
class Database;
class Recordset;
class Workspace;
}  // namespace jet

// The options the reader follows (the user's options in the program).
struct pReaderSettings {
  int32_t ReadingBreakDuration = 2000;  // ms; 0 or less: no pauses
  int32_t ReadingBreakFiles = 10000;    // pause once more files than this were written
  QStringList AutoMemoCol;              // memo file names, wildcards allowed, tried in order
  int32_t ListThreads = 3;              // threads listing folders ahead of the walk; 0: none
  // The pause itself; a plain sleep without pumping unless a test puts something else here.
  std::function<void(int32_t ms)> wait;

  // The options as gOptions holds them.
  static pReaderSettings FromOptions();
};

class pReader {
 public:
  // The program's reader: the open catalogue of gDB and the user's options of gOptions.
  explicit pReader(pReaderOwner* owner);
  // Works on db inside transactions of ws. The walker lists through its folder source (the
  // real file system unless given). The file rows and the memo search take the entries of the
  // walker's listings, or, when a list source is given, list each folder again through it.
  pReader(std::shared_ptr<jet::Workspace> ws, std::shared_ptr<jet::Database> db, pReaderSettings settings,
          pReaderOwner* owner = nullptr, std::unique_ptr<dirsrc::DirSource> walkerSource = nullptr,
          std::unique_ptr<dirsrc::DirSource> listSource = nullptr);
  ~pReader();
  pReader(const pReader&) = delete;
  pReader& operator=(const pReader&) = delete;

  void setFileRead(bool v) { fileRead_ = v; }
  bool FileRead() const { return fileRead_; }
  void setFileReadComplete(bool v) { fileReadComplete_ = v; }
  bool FileReadComplete() const { return fileReadComplete_; }
  void setSkipHidden(bool v) { skipHidden_ = v; }
  bool SkipHidden() const { return skipHidden_; }
  void setSkipSystem(bool v) { skipSystem_ = v; }
  bool SkipSystem() const { return skipSystem_; }
  void setVolID(int32_t v) { volId_ = v; }
  int32_t VolID() const { return volId_; }

  // Meant to be called while Read pumps messages (the owner's Cancel button; Esc and closing a
  // window come here too). Stops the read at its next check; only in the middle of a file's
  // test read the user is asked first (177), and No lets the read go on.
  void Cancel();
  // True when the volume was read and committed; False after an error or a cancel, which the
  // reader has then shown in an error box itself. A non-zero argument replaces VolID.
  bool Read(int32_t volId);

 private:
  void writeFolder(const cuDirParserFolder& folder, std::span<const dirsrc::DirEntry> files, cuDirParser::Kept kept);
  // path: the folder's FullPath.
  int32_t SavePath(const cuDirParserFolder& folder, const QString& path, std::span<const dirsrc::DirEntry> entries);
  void WriteFiles(const cuDirParserFolder& folder, const QString& path, int32_t pid,
                  std::span<const dirsrc::DirEntry> entries);
  bool insertFiles(int32_t pid, std::span<const dirsrc::DirEntry> entries, size_t from, size_t n);
  void WriteFile(const cuDirParserFolder& folder, int32_t pid, const dirsrc::DirEntry& e);
  void WriteTotals();
  // The folder's non-folder entries: those the walk listed, else listed now.
  std::span<const dirsrc::DirEntry> listFolder(const cuDirParserFolder& folder,
                                               std::span<const dirsrc::DirEntry> listed, cuDirParser::Kept kept);
  QString findMemo(const cuDirParserFolder& folder, std::span<const dirsrc::DirEntry> entries) const;
  bool wantedForMemoSearch(const dirsrc::DirEntry& e) const;
  void onNewFile(const QString& folderPath, const QString& name, const QByteArray& rawFullPath);
  void onReadCanceled(bool& goOn);
  void status(const QString& text);
  void raiseIfCanceled();
  void reportUnreadFolders();

  std::shared_ptr<jet::Workspace> ws_;
  std::shared_ptr<jet::Database> db_;
  pReaderSettings settings_;
  pReaderOwner* owner_;
  std::unique_ptr<dirsrc::DirSource> listSource_;
  std::shared_ptr<jet::Recordset> volumes_;
  std::shared_ptr<jet::Recordset> files_;
  std::shared_ptr<jet::Recordset> paths_;
  cuDirParser walker_;
  cuFileReader testReader_;

  bool fileRead_ = false;
  bool fileReadComplete_ = false;
  bool skipHidden_ = false;
  bool skipSystem_ = true;
  int32_t volId_ = 0;
  bool cancel_ = false;
  // A cancel that came while a file was test-read waits for the answer to question 177.
  bool testReading_ = false;
  bool cancelPending_ = false;
  int32_t nextPathKey_ = 0;
  int32_t nextFileKey_ = 0;
  int32_t firstPathKey_ = 0;
  int64_t fileCounter_ = 0;                // files written since the last pause
  std::vector<dirsrc::DirEntry> entries_;  // of a folder the walk did not list through
  class OleDates;
  std::unique_ptr<OleDates> dates_;
  QStringList unlisted_;  // folders whose file listing failed while writing
  static constexpr size_t kRowsPerInsert = 32;
  std::array<QString, kRowsPerInsert> insertSql_;  // for 1, 2, 3, ... kRowsPerInsert rows
  std::vector<jet::Param> params_;
  std::array<QString, kRowsPerInsert> names_;  // names bound as text, while their statement runs
  // Texts of the status shown for each folder, before its path.
  QString readingFolders_, savingFolders_;
  int pathChars_ = 0;  // the declared size of tblPATHS.Path, 0 for none
};
