#include "catalogue/mdlCommand_files.h"

#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlCommand_other.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Recordset.h"
#include "platform/runtime/SystemError.h"
#include "platform/runtime/TextCodec.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ShellOpen.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace {

const QString kSource = QStringLiteral("mdlCommand");
const QString kCrLf = QStringLiteral("\r\n");

// The table's row with the key, sought on its primary index.
std::shared_ptr<jet::Recordset> seekRow(const QString& table, int32_t key) {
  auto rs = CommandDB().OpenRecordset(table, jet::RecordsetType::Table);
  rs->SetIndex(QStringLiteral("PrimaryKey"));
  rs->Seek(QStringLiteral("="), {rt::Variant(key)});
  return rs;
}

bool readField(const QString& table, int32_t key, const QString& field, QString& text) {
  auto rs = seekRow(table, key);
  const bool found = !rs->NoMatch();
  text = found ? NzValue(rs->Fields(field).Value(), QString()).toText() : QString();
  rs->Close();
  return found;
}

bool writeField(const QString& table, int32_t key, const QString& field, const QString& text) {
  auto rs = seekRow(table, key);
  const bool found = !rs->NoMatch();
  if (found) {
    rs->Edit();
    rs->Fields(field).SetValue(NullIfEmpty(text, false));
    rs->Update();
  }
  rs->Close();
  return found;
}

// Why a file cannot be read, in the runtime's numbers and words; nothing when it can. Only a
// failure after which the volume may be missing or out of reach names the volume.
struct AccessFailure {
  int32_t number;
  QString description;
  bool volumeMayBeMissing = true;
};

AccessFailure openFailure(int errnum) {
  const rt::RaisedError e = rt::systemError(errnum, rt::SystemCall::OpenFile);
  return AccessFailure{e.number, e.description};
}

bool isFolder(const QByteArray& name) {
  struct stat st {};
  return ::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The file at name, the bytes the catalogued path stands for on disk.
std::optional<AccessFailure> accessTest(const QByteArray& name) {
  struct stat st {};
  if (::stat(name.constData(), &st) != 0) {
    int err = errno;
    // The system says ENOENT for a missing file and for a missing folder on its way alike.
    if (err == ENOENT) {
      const qsizetype slash = name.lastIndexOf('/');
      if (!isFolder(slash <= 0 ? QByteArray("/") : name.left(slash))) err = ENOTDIR;
    }
    return openFailure(err);
  }
  // A folder, pipe or device is no file to open; a pipe would not even return from the test.
  if (!S_ISREG(st.st_mode)) return openFailure(EISDIR);
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return openFailure(errno);
  ::close(fd);
  return std::nullopt;
}

}  // namespace

QString FolderMemoCaption(int32_t PID) {
  QString caption = QStringLiteral("Memo");
  try {
    rt::Variant memo;
    if (SeekFieldValue(CommandDB(), QStringLiteral("tblPATHS"), QStringLiteral("PrimaryKey"), PID, memo,
                       QStringLiteral("Memo")) &&
        !memo.isNull())
      caption += QStringLiteral(" (!)");
  } catch (...) {
    // Without a catalogue there is no marker.
  }
  return caption;
}

bool PathMemoGet(int32_t PID, const QString& FieldName, QString& Text) {
  try {
    return readField(QStringLiteral("tblPATHS"), PID, FieldName, Text);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("PathMemoGet"));
  }
}

bool PathMemoSet(int32_t PID, const QString& FieldName, const QString& Text) {
  try {
    return writeField(QStringLiteral("tblPATHS"), PID, FieldName, Text);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("PathMemoSet"));
  }
}

bool FileDescGet(int32_t FID, QString& Text) {
  try {
    return readField(QStringLiteral("tblFILES"), FID, QStringLiteral("Desc"), Text);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("FileDescGet"));
  }
}

bool FileDescSet(int32_t FID, const QString& Text) {
  try {
    if (Text.size() > kMaxFileDescLength)
      throw rt::RaisedError(rt::kErrInvalidArgument, QString(),
                            QStringLiteral("Die Beschreibung ist länger als %1 Zeichen.").arg(kMaxFileDescLength));
    return writeField(QStringLiteral("tblFILES"), FID, QStringLiteral("Desc"), Text);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("FileDescSet"));
  }
}

QString CopyLineText(const QStringList& headers, const QStringList& texts) {
  QString text;
  for (qsizetype i = 0; i < texts.size(); ++i)
    AppendWithSeparator(text, headers.value(i) + QStringLiteral(": ") + texts.at(i), kCrLf, false);
  return text;
}

void FileExecute(int32_t FID) {
  try {
    auto rs = CommandDB().OpenRecordset(gErr->MsgLoad(kSqlFileWithVolume, FID), jet::RecordsetType::Snapshot);
    if (rs->IsEOF()) {
      rs->Close();
      gErr->ErrRaise(-kMsgFileNotFound, QString(), QString(), QString(), FID);
    }
    const QString path = PathFullName(rs->Fields(QStringLiteral("PID")).Value().toInt(),
                                      rs->Fields(QStringLiteral("VolumePath")).Value(), false) +
                         rs->Fields(QStringLiteral("Filename")).Value().toText();
    const QString volume = rs->Fields(QStringLiteral("VolumeName")).Value().toText();
    rs->Close();

    QByteArray native;
    std::optional<AccessFailure> failure;
    try {
      native = rt::existingNativePath(path);
    } catch (const rt::RaisedError& ambiguous) {
      // Both byte forms of a name are there: nothing is opened rather than perhaps the wrong one.
      failure = AccessFailure{ambiguous.number, ambiguous.description, false};
    }
    if (!failure) failure = accessTest(native);
    if (failure) {
      QString text = gErr->MsgLoad(kMsgFileAccessFailed, path,
                                   gErr->MsgLoad(kMsgErrorNumberText, failure->number, failure->description));
      if (failure->volumeMayBeMissing) text += kCrLf + gErr->MsgLoad(kMsgVolumeUnavailable, volume);
      gErr->MsgShow(0, ui::kCritical, rt::Null, rt::Null, text);
      return;
    }
    const int result = ui::shellOpen(ui::localFileTarget(native));
    if (result != ui::kShellOk) gErr->ErrRaise(-kMsgShellOpenFailed, QString(), QString(), QString(), result, path);
  } catch (...) {
    gErr->ErrMsg(QString(), QString());
  }
}
