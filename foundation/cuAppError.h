#pragma once

// The one place where failures become raised errors with number, source chain and description,
// where errors are shown, and where messages are loaded, filled in and shown by number.
//
// The "current error" is the exception being handled: ErrRaise, ErrMsg, ErrString and ErrStore
// read it through rt::currentError(), so call them inside a catch block.

#include "platform/runtime/RaisedError.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class cuAppError {
 public:
  cuAppError();

  void setAppName(const QString& v) { appName_ = v; }
  QString AppName() const { return appName_; }
  void setErrLevel(int32_t v) { errLevel_ = v; }
  int32_t ErrLevel() const { return errLevel_; }
  void setErrOffset(int32_t v) { errOffset_ = v; }
  int32_t ErrOffset() const { return errOffset_; }
  // Null (nullopt) takes the texts from the message table.
  void setMsgArray(std::optional<std::vector<QString>> v) { msgArray_ = std::move(v); }
  const std::optional<std::vector<QString>>& MsgArray() const { return msgArray_; }
  void setProjectname(const QString& v) { projectname_ = v; }
  QString Projectname() const { return projectname_; }

  // Shows the current error in a critical box (nothing at ErrLevel 0).
  void ErrMsg(const QString& sSource, const QString& sProc, QString sHelpFile = QString(), int32_t lHelpContextID = -1);
  // The same for an error held by the caller.
  void ErrMsg(const rt::RaisedError& err, const QString& sSource, const QString& sProc, QString sHelpFile = QString(),
              int32_t lHelpContextID = -1);

  // Raises lErr (< 0: message number; 0: the current error) with the source chain extended by
  // sSource and sProc. Returns only when there is nothing to raise.
  void ErrRaise(int32_t lErr, QString sSource = QString(), const QString& sProc = QString(),
                QString sDescription = QString(), const rt::Variant& vPar1 = rt::Null,
                const rt::Variant& vPar2 = rt::Null, int32_t lHelpContextID = 0, QString sHelpFile = QString());

  // Passes on the error being handled with the source chain extended by sSource and sProc, as
  // ErrRaise(0, ...) does; call inside a catch block. Never returns.
  [[noreturn]] void ErrReRaise(const QString& sSource, const QString& sProc);
  [[noreturn]] void ErrRaiseStored(const QString& sSource, const QString& sProc);
  void ErrStore();
  QString ErrString(const QString& sSource, const QString& sProc) const;

  QString MsgLoad(int32_t lResID, const rt::Variant& vPar1 = rt::Null, const rt::Variant& vPar2 = rt::Null) const;
  static QString MsgParse(const QString& sMsgWithPlaceholders, const rt::Variant& vPar1 = rt::Null,
                          const rt::Variant& vPar2 = rt::Null);
  int32_t MsgShow(int32_t lMsgID, int32_t iBtns = 0, const rt::Variant& vPar1 = rt::Null,
                  const rt::Variant& vPar2 = rt::Null, const QString& sPrompt = QString(),
                  const QString& sTitle = QString(), QString sHelpFile = QString(), int32_t lHelpContextID = -1);

  // The program error number of message n: 0x80040000 - n + ErrOffset.
  int32_t ProgramErrorNumber(int32_t messageNumber) const;

 private:
  struct ErrText {
    QString title;
    QString text;
  };
  QString DefaultHelpFile() const;
  QString MsgText(int32_t number) const;
  ErrText BuildErrText(const rt::RaisedError& err, const QString& sSource, const QString& sProc) const;
  bool isProjectSource(const QString& source) const;

  QString appName_;
  int32_t errLevel_ = 2;
  int32_t errOffset_ = 0;
  std::optional<std::vector<QString>> msgArray_;
  QString projectname_ = QStringLiteral("ZUVRAX");
  QString storedDescription_;
  int32_t storedNumber_ = 0;
  QString storedSource_;
  int32_t storedLine_ = 0;
};

// The program's error reporter: exists from the first step of start-up to the last of shut-down.
extern std::unique_ptr<cuAppError> gErr;
