#pragma once

// Access to the help: the program's help window over the compiled help file, at its start, its
// contents, a topic title search or a context number, and closing help windows. Stateless;
// create one per request. Window handles are the owner widget; results are the help window's
// non-zero handle, 0 when nothing was shown.

#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>

class QWidget;

class Help {
 public:
  static constexpr int32_t kErrFileNotFound = 1;
  static constexpr int32_t kErrNoContext = 2;

  void HelpClose(QWidget* lHwnd, const QString& sHelpFile);
  void HelpSearch(QWidget* lHwnd, const QString& sHelpFile);
  void HelpOpen(QWidget* lHwnd, const QString& sHelpFile, int32_t lContext);
  // lContextID 0: the "HelpContextID" property of the focused control, else of the active window.
  void HelpPopup(QWidget* lHwnd, const QString& sHelpFile, int32_t lContextID);
  void HelpContents(QWidget* lHwnd, const QString& sHelpFile);
  void HelpFind(QWidget* lHwnd, const QString& sHelpFile, const QString& sKeyword);
  int32_t HTMLHelpOpen(QWidget* lHwnd, const QString& sCHMFile);
  int32_t HTMLHelpContext(QWidget* lHwnd, const QString& sCHMFile, int32_t lContextID);
  void HTMLHelpCloseAll(QWidget* lHwnd);
  // Closes the program's top-level window with exactly that title.
  void HelpWindowClose(const QString& sHelpWindowTitle);

  static QString Unquote(const QString& text);
  static QString GetHelpErrorText(int32_t code, const rt::Variant& p1, const rt::Variant& p2);

 private:
  static bool HelpFileExists(const QString& path);
  static QString HelpErrorText(int32_t code);
  [[noreturn]] static void RaiseHelpError(int32_t code, QString source, const QString& procedure, QString description,
                                          const rt::Variant& p1, const rt::Variant& p2);
  // Opens the file in the help window; raises when it cannot be read.
  static void openOrRaise(const QString& helpFile);
};
