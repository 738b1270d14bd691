#include "foundation/cuAppError.h"

#include "foundation/MessageTable.h"
#include "platform/runtime/App.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MousePointer.h"

std::unique_ptr<cuAppError> gErr = std::make_unique<cuAppError>();

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}  // namespace

cuAppError::cuAppError() : appName_(rt::App::title()) {}

bool cuAppError::isProjectSource(const QString& source) const {
  return source.compare(projectname_, Qt::CaseInsensitive) == 0;
}

int32_t cuAppError::ProgramErrorNumber(int32_t messageNumber) const {
  const int64_t n = int64_t{rt::kObjectErrorBase} - messageNumber + errOffset_;
  return static_cast<int32_t>(n);
}

QString cuAppError::DefaultHelpFile() const {
  const QString file = rt::App::helpFile();
  if (file.contains(QLatin1Char('/'))) return file;
  return rt::App::path() + QLatin1Char('/') + file;
}

QString cuAppError::MsgText(int32_t number) const {
  const int32_t n = number < 0 ? -number : number;
  if (!msgArray_) return LoadResString(n);
  if (n < 0 || static_cast<size_t>(n) >= msgArray_->size())
    throw rt::RaisedError(rt::kErrSubscriptOutOfRange, projectname_,
                          QStringLiteral("Index außerhalb des gültigen Bereichs."));
  return (*msgArray_)[static_cast<size_t>(n)];
}

QString cuAppError::MsgParse(const QString& s, const rt::Variant& vPar1, const rt::Variant& vPar2) {
  if (s.isEmpty()) return QString();
  QString r = s;
  r.replace(QStringLiteral("@@"), kCrLf);
  // With vPar1 Null nothing is filled, whatever vPar2 holds.
  if (vPar1.isNull()) return r;
  return FillPlaceholders(std::move(r),
                          {vPar1.toText(), vPar2.isNull() ? std::nullopt : std::optional(vPar2.toText())});
}

QString cuAppError::MsgLoad(int32_t lResID, const rt::Variant& vPar1, const rt::Variant& vPar2) const {
  QString text = MsgText(lResID);
  if (!text.isEmpty()) text = MsgParse(text, vPar1, vPar2);
  return text;
}

void cuAppError::ErrRaise(int32_t lErr, QString sSource, const QString& sProc, QString sDescription,
                          const rt::Variant& vPar1, const rt::Variant& vPar2, int32_t lHelpContextID,
                          QString sHelpFile) {
  const rt::RaisedError current = rt::currentError();
  const int32_t n0 = current.number;
  const QString s0 = isProjectSource(current.source) ? QString() : current.source;
  const QString d0 = current.description;
  const int32_t line = current.line;

  if (lErr == 0 && n0 == 0) return;

  // Failures while the error is put together are ignored: what was reached is raised.
  try {
    if (lErr < 0) {
      try {
        sDescription = MsgText(-lErr);
      } catch (...) {
      }
      const int64_t full = static_cast<int64_t>(lErr) + rt::kObjectErrorBase + errOffset_;
      if (full >= INT32_MIN && full <= INT32_MAX) lErr = static_cast<int32_t>(full);
    } else if (lErr == 0) {
      lErr = n0;
    }
    if (!sDescription.isEmpty())
      sDescription = MsgParse(sDescription, vPar1, vPar2);
    else
      sDescription = d0;
    if (sDescription.isEmpty()) sDescription = QStringLiteral("Keine Fehlerbeschreibung verfügbar.");
    if (sSource.isEmpty())
      sSource = s0;
    else if (!s0.isEmpty())
      sSource = s0 + QStringLiteral(" | ") + sSource;
    if (!sProc.isEmpty()) {
      sSource = sSource.isEmpty() ? sProc : sSource + QStringLiteral(": ") + sProc;
      if (line != 0) sSource += QStringLiteral(" (%1)").arg(line);
    }
    if (lHelpContextID > 0 && sHelpFile.isEmpty()) sHelpFile = DefaultHelpFile();
  } catch (...) {
  }
  ui::setMousePointer(ui::kPointerDefault);
  throw rt::RaisedError(lErr, sSource, sDescription, sHelpFile, lHelpContextID);
}

void cuAppError::ErrReRaise(const QString& sSource, const QString& sProc) {
  ErrRaise(0, sSource, sProc);
  throw;  // an error numbered 0 goes on as it is
}

cuAppError::ErrText cuAppError::BuildErrText(const rt::RaisedError& err, const QString& sSource,
                                             const QString& sProc) const {
  ErrText r;
  if (errLevel_ <= 0) return r;
  QString text;
  if (errLevel_ == 2) {
    if (err.line != 0) text = QStringLiteral("Zeile: %1").arg(err.line);
    const QString e = isProjectSource(err.source) ? QString() : err.source;
    QString src = sSource;
    if (src.isEmpty())
      src = e;
    else if (!e.isEmpty())
      src = e + QStringLiteral(" | ") + src;
    if (!sProc.isEmpty()) src = src.isEmpty() ? sProc : src + QStringLiteral(": ") + sProc;
    if (!src.isEmpty()) text = text.isEmpty() ? src : text + kCrLf + src;
  }
  text = text.isEmpty() ? err.description : text + kCrLf + kCrLf + err.description;
  r.text = text;
  r.title = appName_ + QStringLiteral(" <Fehler Nr. ") + QString::number(err.number) + QStringLiteral(">");
  return r;
}

void cuAppError::ErrMsg(const QString& sSource, const QString& sProc, QString sHelpFile, int32_t lHelpContextID) {
  ErrMsg(rt::currentError(), sSource, sProc, std::move(sHelpFile), lHelpContextID);
}

void cuAppError::ErrMsg(const rt::RaisedError& err, const QString& sSource, const QString& sProc, QString sHelpFile,
                        int32_t lHelpContextID) {
  if (errLevel_ <= 0) return;
  const ErrText t = BuildErrText(err, sSource, sProc);
  int style = ui::kCritical;
  if (lHelpContextID > -1) {
    if (sHelpFile.isEmpty()) sHelpFile = DefaultHelpFile();
    style = ui::kCritical + ui::kHelpButton;
  }
  ui::setMousePointer(ui::kPointerDefault);
  ui::showMessageBox(t.text, style, t.title, sHelpFile, lHelpContextID);
}

QString cuAppError::ErrString(const QString& sSource, const QString& sProc) const {
  const ErrText t = BuildErrText(rt::currentError(), sSource, sProc);
  return t.title + kCrLf + t.text;
}

void cuAppError::ErrStore() {
  const rt::RaisedError e = rt::currentError();
  storedDescription_ = e.description;
  storedNumber_ = e.number;
  storedSource_ = e.source;
  storedLine_ = e.line;
}

void cuAppError::ErrRaiseStored(const QString& sSource, const QString& sProc) {
  // As in ErrRaise: an empty stored source, or the project's own, contributes no part.
  const QString stored = isProjectSource(storedSource_) ? QString() : storedSource_;
  QString src = sSource.isEmpty() ? stored : stored.isEmpty() ? sSource : stored + QStringLiteral(" | ") + sSource;
  if (!sProc.isEmpty()) src = src.isEmpty() ? sProc : src + QStringLiteral(": ") + sProc;
  if (storedLine_ > 0)
    src = src.isEmpty() ? QStringLiteral("Zeile %1").arg(storedLine_) : src + QStringLiteral(" (%1)").arg(storedLine_);
  ui::setMousePointer(ui::kPointerDefault);
  throw rt::RaisedError(storedNumber_, src, storedDescription_);
}

int32_t cuAppError::MsgShow(int32_t lMsgID, int32_t iBtns, const rt::Variant& vPar1, const rt::Variant& vPar2,
                            const QString& sPrompt, const QString& sTitle, QString sHelpFile, int32_t lHelpContextID) {
  const QString text = !sPrompt.isEmpty() ? MsgParse(sPrompt, vPar1, vPar2) : MsgLoad(lMsgID, vPar1, vPar2);
  const int pointer = ui::mousePointer();
  ui::setMousePointer(ui::kPointerDefault);
  const QString title = sTitle.isEmpty() ? appName_ : sTitle;
  if (lHelpContextID > -1) {
    if (sHelpFile.isEmpty() && !rt::App::helpFile().isEmpty()) sHelpFile = DefaultHelpFile();
    if (!sHelpFile.isEmpty() && !(iBtns & ui::kHelpButton)) iBtns += ui::kHelpButton;
  }
  const int answer = ui::showMessageBox(text, iBtns, title, sHelpFile, lHelpContextID);
  ui::setMousePointer(pointer);
  return answer;
}
