#include "catalogue/pReader.h"

#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mQZFw40.h"
#include "foundation/mdlQZLib51_drives.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/TransactionScope.h"
#include "platform/jet/Workspace.h"
#include "platform/runtime/TextCodec.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/MousePointer.h"

#include <QFile>

#include <fnmatch.h>

#include <algorithm>
#include <ctime>
#include <optional>

namespace {

const QString kClass = QStringLiteral("pReader");
const QString kCrLf = QStringLiteral("\r\n");
constexpr int32_t kMaxKey = 2147483647;
constexpr int kUnreadShown = 5;

// Field positions of tblFILES as the schema declares them.
enum FileField { fFID, fPathID, fFilename, fDateTime, fFilesize };

constexpr double kOleUnixEpoch = 25569.0;  // days from 1899-12-30 to 1970-01-01

const QString kInsertPath = QStringLiteral(
    "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Memo, Files, Size, TotalDirs, TotalFiles, TotalSize) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

// A name goes in as its own bytes when they are the text's UTF-8 (decodeText keeps valid UTF-8
// but for a leading byte-order mark); else as the text decoded from them, kept in decoded.
jet::Param nameParam(const QByteArray& raw, QString& decoded) {
  if (raw.startsWith("\xEF\xBB\xBF") || !QByteArrayView(raw).isValidUtf8()) {
    decoded = rt::decodeFileName(raw);
    return jet::Param::text(decoded);
  }
  return jet::Param::utf8(raw);
}

// "StartPath: <folder>, ..." of a walker error text, else the text's first line.
QString folderOfWalkError(const QString& text) {
  const QString marker = QStringLiteral("StartPath: ");
  const qsizetype at = text.lastIndexOf(marker);
  if (at < 0) return text.section(kCrLf, 0, 0);
  const qsizetype from = at + marker.size();
  const qsizetype end = text.indexOf(QStringLiteral(", Current"), from);
  return text.mid(from, end < 0 ? -1 : end - from);
}

// On a full disk no further row can be written, and once the store has dropped the
// transaction nothing of the read is left to go on with: the read ends with that error
// instead of asking about each file.
bool endsTheRead(const rt::RaisedError& e) {
  return e.number == jet::err::kDiskFull || e.number == jet::err::kTransactionLost;
}

}  // namespace

// The local date and time of file times as OLE date numbers, to the second. The offset from
// UTC is looked up once per quarter hour: no zone changes it twice within one, so a quarter
// whose two ends have one offset has it throughout; any other time is looked up on its own.
class pReader::OleDates {
 public:
  double of(int64_t secs) {
    const int64_t quarter = secs >= 0 ? secs / kQuarter : (secs - kQuarter + 1) / kQuarter;
    Slot& slot = slots_[static_cast<size_t>(quarter) % slots_.size()];
    long offset = 0;
    if (slot.valid && slot.quarter == quarter) {
      offset = slot.offset;
    } else {
      const std::optional<long> start = offsetAt(quarter * kQuarter);
      const std::optional<long> end = offsetAt(quarter * kQuarter + kQuarter - 1);
      if (start && end && *start == *end) {
        slot = Slot{quarter, *start, true};
        offset = *start;
      } else if (const std::optional<long> exact = offsetAt(secs)) {
        offset = *exact;
      }
    }
    return kOleUnixEpoch + static_cast<double>(secs + offset) / 86400.0;
  }

 private:
  static constexpr int64_t kQuarter = 900;
  struct Slot {
    int64_t quarter = 0;
    long offset = 0;
    bool valid = false;
  };
  // Nothing when the time has no local reading: such a time counts as UTC.
  static std::optional<long> offsetAt(int64_t secs) {
    const time_t t = static_cast<time_t>(secs);
    struct tm local;
    if (!localtime_r(&t, &local)) return std::nullopt;
    return local.tm_gmtoff;
  }
  std::array<Slot, 256> slots_{};
};

pReaderSettings pReaderSettings::FromOptions() {
  pReaderSettings s;
  if (gOptions) {
    s.ReadingBreakDuration = gOptions->ReadingBreakDuration();
    s.ReadingBreakFiles = gOptions->ReadingBreakFiles();
    s.AutoMemoCol = gOptions->AutoMemoCol();
  }
  return s;
}

pReader::pReader(pReaderOwner* owner)
    : pReader(gDB ? gDB->WS() : nullptr, gDB ? gDB->DB() : nullptr, pReaderSettings::FromOptions(), owner) {}

pReader::pReader(std::shared_ptr<jet::Workspace> ws, std::shared_ptr<jet::Database> db, pReaderSettings settings,
                 pReaderOwner* owner, std::unique_ptr<dirsrc::DirSource> walkerSource,
                 std::unique_ptr<dirsrc::DirSource> listSource)
    : ws_(std::move(ws)),
      db_(std::move(db)),
      settings_(std::move(settings)),
      owner_(owner),
      listSource_(std::move(listSource)),
      walker_(std::move(walkerSource)),
      dates_(std::make_unique<OleDates>()) {
  if (!settings_.wait) settings_.wait = [](int32_t ms) { Wait(ms, false); };
  // A record set that cannot be opened shows up as an error of the first Read.
  try {
    if (!db_) throw rt::RaisedError(jet::err::kObjectInvalid, QString(), QString());
    volumes_ = db_->OpenRecordset(QStringLiteral("tblVOLUMES"), jet::RecordsetType::Table);
    volumes_->SetIndex(QStringLiteral("PrimaryKey"));
    files_ = db_->OpenRecordset(QStringLiteral("tblFILES"), jet::RecordsetType::Table);
    paths_ = db_->OpenRecordset(QStringLiteral("tblPATHS"), jet::RecordsetType::Table);
    paths_->SetIndex(QStringLiteral("PrimaryKey"));
  } catch (const rt::RaisedError&) {
  }

  walker_.Folder = [this](const QString& fullPath, const QString&, const QString&, int32_t) {
    try {
      status(readingFolders_ + fullPath);
    } catch (const rt::RaisedError&) {
    }
  };
  walker_.Canceled = [this] { cancel_ = true; };
  testReader_.ReadProgress = [this](int32_t percent) {
    try {
      status(gErr->MsgLoad(kMsgReadingFile, testReader_.FileName(), percent));
    } catch (const rt::RaisedError&) {
    }
  };
  testReader_.Canceled = [this](bool& goOn) { onReadCanceled(goOn); };
}

pReader::~pReader() {
  for (auto* rs : {&volumes_, &files_, &paths_}) {
    try {
      if (*rs) (*rs)->Close();
    } catch (const rt::RaisedError&) {
    }
  }
}

void pReader::status(const QString& text) {
  if (owner_) owner_->Status(text);
}

void pReader::Cancel() {
  if (testReading_) {
    // Question 177 decides; a file too short for the question is followed by the cancel.
    cancelPending_ = true;
    testReader_.ReadCancel();
    return;
  }
  cancel_ = true;
  testReader_.ReadCancel();
  walker_.Cancel();
}

void pReader::onReadCanceled(bool& goOn) {
  // Cancelled already: the test read stops without its own question.
  if (cancel_) {
    goOn = false;
    return;
  }
  const int answer = gErr->MsgShow(kMsgCancelReadAsk, ui::kYesNo + ui::kQuestion + ui::kDefaultButton2);
  cancelPending_ = false;
  if (answer == ui::kAnswerYes) {
    goOn = false;
    walker_.Cancel();
    cancel_ = true;
  } else {
    goOn = true;
  }
}

void pReader::onNewFile(const QString& folderPath, const QString& name, const QByteArray& rawFullPath) {
  if (!fileRead_ || cancel_) return;
  try {
    testReader_.setMaxBytes(fileReadComplete_ ? 0 : testReader_.Blocksize());
    testReader_.setFileNameBytes(rawFullPath);
    testReading_ = true;
    struct Done {
      bool& flag;
      ~Done() { flag = false; }
    } done{testReading_};
    testReader_.Read();
  } catch (const rt::RaisedError&) {
    testReading_ = false;
    try {
      const QString reason =
          gErr->MsgLoad(kMsgErrorNumberText, rt::currentError().number, rt::currentError().description);
      const int answer =
          gErr->MsgShow(kMsgFileReadFailedCancelAsk, ui::kYesNo + ui::kCritical, folderPath + name, reason);
      if (answer == ui::kAnswerYes) Cancel();
    } catch (const rt::RaisedError&) {
    }
  }
  if (cancelPending_) {
    cancelPending_ = false;
    Cancel();
  }
}

void pReader::raiseIfCanceled() {
  if (cancel_) gErr->ErrRaise(-kMsgCancelledByUser);
}

bool pReader::Read(int32_t volId) {
  // The read pumps messages inside its transaction: nothing else may run meanwhile.
  ui::BusyScope busy(owner_ ? owner_->AllowedWindow() : nullptr, [this] { Cancel(); });
  ui::HourglassScope hourglass;
  bool result = false;
  try {
    if (volId != 0) volId_ = volId;
    if (!ws_ || !volumes_ || !files_ || !paths_)
      throw rt::RaisedError(jet::err::kObjectInvalid, QString(),
                            QStringLiteral("Die Katalogtabellen sind nicht geöffnet."));
    volumes_->Seek(QStringLiteral("="), {rt::Variant(volId_)});
    if (volumes_->NoMatch()) gErr->ErrRaise(-kMsgVolumeNotFound, QString(), QString(), QString(), volId_);
    const rt::Variant root = volumes_->Fields(QStringLiteral("VolumePath")).Value();
    // An empty path would commit an empty read and report it as done.
    if (root.isNull() || root.toText().isEmpty()) gErr->ErrRaise(-kMsgVolumePathMissing);

    status(gErr->MsgLoad(kMsgReadingFolders));
    ui::pumpMessages();
    ui::pumpMessages();

    // The texts shown for each folder, loaded once.
    readingFolders_ = gErr->MsgLoad(kMsgReadingFolders) + kCrLf;
    savingFolders_ = gErr->MsgLoad(kMsgSavingFolders) + kCrLf;
    pathChars_ = paths_->Fields(QStringLiteral("Path")).Size();
    unlisted_.clear();
    // Whatever ends the read early, nothing of it stays.
    jet::TransactionScope transaction(*ws_);

    // The walker clears its own flag when it starts: a cancel given meanwhile stops here.
    raiseIfCanceled();
    walker_.setRoot(root.toText());
    walker_.setSkipHidden(skipHidden_);
    walker_.setSkipSystem(skipSystem_);
    walker_.setListThreads(settings_.ListThreads);
    // Each folder's rows are written as the walk takes its listing, while the threads list
    // ahead; in collection order, so the keys come out as if every folder were written after
    // the walk.
    walker_.setCollectionOrder(true);
    // Without test reads nobody listens to the files: the walk need not spell out their names.
    if (fileRead_)
      walker_.NewFile = [this](const QString& folderPath, const QString&, const QString& name, int64_t, int32_t,
                               const QByteArray& raw) { onNewFile(folderPath, name, raw); };
    else
      walker_.NewFile = nullptr;
    nextPathKey_ = NewKey(*db_, kKeyPID);
    nextFileKey_ = NewKey(*db_, kKeyFID);
    fileCounter_ = 0;
    walker_.Listed = [this](const cuDirParserFolder& folder, std::span<const dirsrc::DirEntry> files,
                            cuDirParser::Kept kept) { writeFolder(folder, files, kept); };
    walker_.Run();
    raiseIfCanceled();
    WriteTotals();

    transaction.Commit();

    hourglass.end();
    status(QString());
    ui::pumpMessages();
    ui::pumpMessages();
    if (walker_.Errors().isEmpty() && unlisted_.isEmpty())
      gErr->MsgShow(kMsgReadDone, ui::kInformation);
    else
      reportUnreadFolders();
    result = true;
  } catch (...) {
    // Whatever failed, the box names it and nothing of the read stays.
    gErr->ErrMsg(kClass, QStringLiteral("Read"));
    result = false;
  }
  try {
    status(QString());
  } catch (...) {
  }
  return result;
}

// The read is stored, but folders that could not be listed are missing or incomplete: say so
// instead of "done", naming the first few.
void pReader::reportUnreadFolders() {
  QStringList paths;
  for (const QString& e : walker_.Errors()) paths << folderOfWalkError(e);
  for (const QString& p : unlisted_)
    if (!paths.contains(p)) paths << p;
  QString text =
      gErr->MsgLoad(kMsgReadDone) + kCrLf + kCrLf +
      QStringLiteral("%1 Ordner konnte(n) nicht gelesen werden und fehlt/fehlen im Katalog ganz oder teilweise:")
          .arg(paths.size());
  for (int i = 0; i < paths.size() && i < kUnreadShown; ++i) text += kCrLf + paths[i];
  if (paths.size() > kUnreadShown) text += kCrLf + QStringLiteral("...");
  ui::showMessageBox(text, ui::kExclamation, gErr->AppName());
}

void pReader::writeFolder(const cuDirParserFolder& folder, std::span<const dirsrc::DirEntry> files,
                          cuDirParser::Kept kept) {
  // Once per folder in full, however fast the rows go: the owner sees each folder's writes.
  ui::pumpMessages();
  raiseIfCanceled();
  if (settings_.ReadingBreakDuration > 0 && fileCounter_ > settings_.ReadingBreakFiles) {
    status(gErr->MsgLoad(kMsgReadingBreak, settings_.ReadingBreakDuration));
    settings_.wait(settings_.ReadingBreakDuration);
    fileCounter_ = 0;
  }
  // One listing per folder serves the memo search and the file rows.
  const std::span<const dirsrc::DirEntry> entries = listFolder(folder, files, kept);
  const QString path = folder.FullPath();
  const int32_t pid = SavePath(folder, path, entries);
  WriteFiles(folder, path, pid, entries);
  if (settings_.ReadingBreakDuration > 0) fileCounter_ += folder.Files();
}

std::span<const dirsrc::DirEntry> pReader::listFolder(const cuDirParserFolder& folder,
                                                      std::span<const dirsrc::DirEntry> listed,
                                                      cuDirParser::Kept kept) {
  // A mount point below the root is recorded as a folder but not read.
  if (!folder.Entered()) return {};
  if (!listSource_) {
    switch (kept) {
      case cuDirParser::Kept::Complete:
        return listed;
      case cuDirParser::Kept::Failed:
        unlisted_ << folder.FullPath();
        return listed;
      case cuDirParser::Kept::None:
        break;  // the walk did not list it through: list it now
    }
  }
  entries_.clear();
  try {
    dirsrc::PosixDirSource posix;
    dirsrc::DirSource& source = listSource_ ? *listSource_ : posix;
    std::unique_ptr<dirsrc::DirListing> listing = source.open(folder.RawPath(), true);
    dirsrc::DirEntry e;
    while (listing->next(e))
      if (e.kind != dirsrc::EntryKind::Folder) entries_.push_back(e);
  } catch (const rt::RaisedError&) {
    // What was listed is written; the folder is named when the read ends.
    unlisted_ << folder.FullPath();
  }
  return entries_;
}

// A folder row is written with the totals of its own listing; those of the folders whose
// sub-folders added to them are set once the walk has summed them.
void pReader::WriteTotals() {
  const QString sql = QStringLiteral("UPDATE tblPATHS SET TotalDirs = ?, TotalFiles = ?, TotalSize = ? WHERE PID = ?");
  for (const cuDirParserFolder& folder : walker_.Folders()) {
    if (folder.TotalDirs() == folder.SubDirs() && folder.TotalFiles() == folder.Files() &&
        folder.TotalSize() == folder.Size())
      continue;
    ui::pumpMessagesThrottled();
    raiseIfCanceled();
    const jet::Param params[] = {jet::Param(folder.TotalDirs()), jet::Param(folder.TotalFiles()),
                                 jet::Param(static_cast<double>(folder.TotalSize())),
                                 jet::Param(folder.Index() + firstPathKey_ - 1)};
    db_->Execute(sql, jet::dbFailOnError, params);
  }
}

bool pReader::wantedForMemoSearch(const dirsrc::DirEntry& e) const {
  if (e.kind != dirsrc::EntryKind::File) return false;  // never open links, FIFOs or devices
  if (skipHidden_ && (e.attributes & dirsrc::kAttrHidden)) return false;
  if (skipSystem_ && (e.attributes & dirsrc::kAttrSystem)) return false;
  return true;
}

// The memo file of a folder: the first entry of AutoMemoCol that names a non-empty file.
// Names match regardless of case; among several matches the exact spelling, else the first
// in name order, so the choice does not depend on the file system's listing order.
QString pReader::findMemo(const cuDirParserFolder& folder, std::span<const dirsrc::DirEntry> entries) const {
  for (const QString& entry : settings_.AutoMemoCol) {
    if (entry.isEmpty()) continue;
    const QByteArray pattern = QFile::encodeName(entry);
    const bool wildcard = entry.contains(QLatin1Char('*'));
    const dirsrc::DirEntry* best = nullptr;
    for (const dirsrc::DirEntry& e : entries) {
      if (wildcard ? !wantedForMemoSearch(e) : e.kind != dirsrc::EntryKind::File) continue;
      const bool match = wildcard ? fnmatch(pattern.constData(), e.name.constData(), FNM_CASEFOLD) == 0
                                  : rt::decodeFileName(e.name).compare(entry, Qt::CaseInsensitive) == 0;
      if (!match) continue;
      if (!wildcard && e.name == pattern) {
        best = &e;
        break;
      }
      if (!best || e.name < best->name) best = &e;
    }
    if (!best) continue;
    const QByteArray raw = folder.RawPath() + best->name;
    QString text;
    try {
      text = ReadTextFileRaw(raw);
    } catch (const rt::RaisedError& err) {
      const QString reason = gErr->MsgLoad(kMsgErrorNumberText, err.number, err.description);
      gErr->ErrRaise(-kMsgFileReadFailed, QString(), QString(), QString(), rt::decodeFileName(raw), reason);
    }
    if (!text.isEmpty()) return text;
  }
  return QString();
}

int32_t pReader::SavePath(const cuDirParserFolder& folder, const QString& path,
                          std::span<const dirsrc::DirEntry> entries) {
  try {
    status(savingFolders_ + path);
    if (firstPathKey_ == 0) firstPathKey_ = nextPathKey_;
    const QByteArray rawName = folder.RawName();
    QString decoded;
    const jet::Param name = nameParam(rawName, decoded);
    // What the field refuses as a record set's value, refused here the same way. A name has
    // no more characters than its UTF-8 has bytes.
    if (pathChars_ > 0 && rawName.size() > pathChars_ &&
        (name.kind() == jet::Param::Kind::Text ? decoded.size() : QString::fromUtf8(rawName).size()) > pathChars_)
      jet::raise(jet::err::kValueTooLarge, QStringLiteral("Field"), QStringLiteral("Path"));
    QString memo;
    if (!settings_.AutoMemoCol.isEmpty()) memo = findMemo(folder, entries);
    const jet::Param params[] = {
        jet::Param(nextPathKey_),
        jet::Param(volId_),
        rawName.isEmpty() ? jet::Param() : name,
        folder.Parent() != 0 ? jet::Param(folder.Parent() + firstPathKey_ - 1) : jet::Param(),
        memo.isEmpty() ? jet::Param() : jet::Param::text(memo),
        jet::Param(folder.Files()),
        jet::Param(static_cast<double>(folder.Size())),
        // What the folder holds itself; WriteTotals adds its sub-folders' share.
        jet::Param(folder.SubDirs()),
        jet::Param(folder.Files()),
        jet::Param(static_cast<double>(folder.Size())),
    };
    db_->Execute(kInsertPath, jet::dbFailOnError, params);
    const int32_t pid = nextPathKey_;
    if (nextPathKey_ == kMaxKey) throw rt::RaisedError(rt::kErrOverflow, QString(), QStringLiteral("Überlauf"));
    ++nextPathKey_;
    return pid;
  } catch (...) {
    gErr->ErrReRaise(kClass, QStringLiteral("SavePath"));
  }
}

// Rows go in as statements of several rows each, a folder's in one as far as it holds them
// (fewer steps of the engine per row); a statement that fails stores none of its rows, and they
// are written again one by one, which finds the failing file and asks about it.
void pReader::WriteFiles(const cuDirParserFolder& folder, const QString& path, int32_t pid,
                         std::span<const dirsrc::DirEntry> entries) {
  status(gErr->MsgLoad(kMsgSavingFiles, path));
  size_t at = 0;
  while (at < entries.size()) {
    ui::pumpMessagesThrottled();
    raiseIfCanceled();
    const size_t n = std::min(kRowsPerInsert, entries.size() - at);
    // The last key of the span must leave room for the next, as it does row by row.
    if (static_cast<int64_t>(nextFileKey_) + static_cast<int64_t>(n) <= kMaxKey && insertFiles(pid, entries, at, n)) {
      nextFileKey_ += static_cast<int32_t>(n);
      at += n;
      continue;
    }
    for (const size_t end = at + n; at < end; ++at) WriteFile(folder, pid, entries[at]);
  }
}

bool pReader::insertFiles(int32_t pid, std::span<const dirsrc::DirEntry> entries, size_t from, size_t n) {
  QString& sql = insertSql_[n - 1];
  if (sql.isEmpty()) {
    sql = QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (?, ?, ?, ?, ?)");
    for (size_t i = 1; i < n; ++i) sql += QStringLiteral(", (?, ?, ?, ?, ?)");
  }
  params_.clear();
  for (size_t i = 0; i < n; ++i) {
    const dirsrc::DirEntry& e = entries[from + i];
    params_.emplace_back(static_cast<int64_t>(nextFileKey_) + static_cast<int64_t>(i));
    params_.emplace_back(static_cast<int64_t>(pid));
    params_.push_back(nameParam(e.name, names_[i]));
    params_.push_back(jet::Param::date(dates_->of(e.mtimeSec)));
    params_.emplace_back(static_cast<double>(e.size));
  }
  try {
    db_->Execute(sql, jet::dbFailOnError, params_);
    return true;
  } catch (const rt::RaisedError& e) {
    if (endsTheRead(e)) throw;
    return false;
  }
}

void pReader::WriteFile(const cuDirParserFolder& folder, int32_t pid, const dirsrc::DirEntry& e) {
  ui::pumpMessagesThrottled();
  raiseIfCanceled();
  try {
    files_->AddNew();
    files_->Fields(fFID).SetValue(nextFileKey_);
    files_->Fields(fPathID).SetValue(pid);
    files_->Fields(fFilename).SetValue(rt::decodeFileName(e.name));
    files_->Fields(fDateTime).SetValue(rt::Variant::date(dates_->of(e.mtimeSec)));
    files_->Fields(fFilesize).SetValue(static_cast<double>(e.size));
    files_->Update();
  } catch (const rt::RaisedError& err) {
    try {
      if (files_->GetEditMode() != jet::EditMode::None) files_->CancelUpdate();
    } catch (const rt::RaisedError&) {
    }
    if (endsTheRead(err)) throw;
    const QString reason =
        QStringLiteral("Fehler Nr. ") + QString::number(err.number) + QStringLiteral(": ") + err.description;
    const int answer = gErr->MsgShow(kMsgFileReadFailedSkipAsk, ui::kYesNo + ui::kCritical + ui::kDefaultButton2,
                                     folder.FullPath() + rt::decodeFileName(e.name), reason);
    if (answer == ui::kAnswerYes) return;  // the key goes to the next file
    gErr->ErrRaise(-kMsgCancelledByUser);
  }
  if (nextFileKey_ == kMaxKey) throw rt::RaisedError(rt::kErrOverflow, QString(), QStringLiteral("Überlauf"));
  ++nextFileKey_;
}
