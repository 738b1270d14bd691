#include "foundation/widgets/Help.h"

#include "foundation/cuAppError.h"
#include "foundation/widgets/HelpWindow.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/MousePointer.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>

namespace {
const QString kTag = QStringLiteral("RZVBA");

int32_t contextIdOf(const QObject* object) {
  const QVariant v = object->property("HelpContextID");
  if (!v.isValid())
    throw rt::RaisedError(rt::kErrNoSuchProperty, QString(),
                          QStringLiteral("Objekt unterstützt diese Eigenschaft oder Methode nicht."));
  return v.toInt();
}
}  // namespace

QString Help::Unquote(const QString& text) {
  const QString t = text.trimmed();
  if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"'))) return t.mid(1, t.size() - 2);
  return t;
}

bool Help::HelpFileExists(const QString& path) {
  const QFileInfo info(Unquote(path));
  return !info.filePath().isEmpty() && info.exists() && !info.isDir();
}

QString Help::HelpErrorText(int32_t code) {
  switch (code) {
    case kErrFileNotFound:
      return QStringLiteral("Kann Hilfe-Datei '##' nicht finden.");
    case kErrNoContext:
      return QStringLiteral("Kein KontextID angegeben.");
    default:
      return QStringLiteral("Unbekannter Fehler.");
  }
}

QString Help::GetHelpErrorText(int32_t code, const rt::Variant& p1, const rt::Variant& p2) {
  return cuAppError::MsgParse(HelpErrorText(code), p1, p2);
}

void Help::RaiseHelpError(int32_t code, QString source, const QString& procedure, QString description,
                          const rt::Variant& p1, const rt::Variant& p2) {
  int32_t number = 0;
  if (code >= 0) {
    const rt::RaisedError current = rt::currentError();
    number = current.number;
    source = kTag + QLatin1Char('/') + current.source;
    if (description.isEmpty()) description = current.description;
  } else {
    const int32_t n = -code;
    if (description.isEmpty()) description = GetHelpErrorText(n, p1, p2);
    number = rt::kLibraryErrorBase + n;
    if (source.isEmpty()) source = kTag;
  }
  if (!procedure.isEmpty()) source += QStringLiteral(": ") + procedure;
  if (ui::mousePointer() != ui::kPointerDefault) ui::setMousePointer(ui::kPointerDefault);
  throw rt::RaisedError(number, source, description);
}

void Help::openOrRaise(const QString& helpFile) {
  // The name is shown as passed: on this system its case is part of the name.
  if (!HelpFileExists(helpFile)) RaiseHelpError(-kErrFileNotFound, QString(), QString(), QString(), helpFile, rt::Null);
  if (!HelpWindow::instance().openFile(Unquote(helpFile)))
    throw rt::RaisedError(rt::kErrPathFileAccess, QString(),
                          QStringLiteral("Die Hilfe-Datei '%1' kann nicht gelesen werden.").arg(helpFile));
}

void Help::HelpClose(QWidget* /*lHwnd*/, const QString& sHelpFile) {
  HelpWindow* w = HelpWindow::existing();
  if (w && w->filePath() == Unquote(sHelpFile)) w->close();
}

void Help::HelpSearch(QWidget* /*lHwnd*/, const QString& sHelpFile) {
  try {
    openOrRaise(sHelpFile);
    HelpWindow::instance().setFilter(QString());
  } catch (...) {
    RaiseHelpError(0, QString(), QString(), QString(), rt::Null, rt::Null);
  }
}

void Help::HelpOpen(QWidget* /*lHwnd*/, const QString& sHelpFile, int32_t lContext) {
  try {
    openOrRaise(sHelpFile);
    if (!HelpWindow::instance().showContext(lContext))
      throw rt::RaisedError(
          rt::kErrInvalidArgument, QString(),
          QStringLiteral("Das Hilfethema Nr. %1 ist in der Hilfe-Datei nicht vorhanden.").arg(lContext));
  } catch (...) {
    RaiseHelpError(0, QString(), QString(), QString(), rt::Null, rt::Null);
  }
}

void Help::HelpPopup(QWidget* /*lHwnd*/, const QString& sHelpFile, int32_t lContextID) {
  try {
    openOrRaise(sHelpFile);
    int32_t id = lContextID;
    if (id == 0) {
      const QWidget* control = QApplication::focusWidget();
      if (!control)
        throw rt::RaisedError(rt::kErrNoObject, QString(),
                              QStringLiteral("Objektvariable oder With-Blockvariable nicht festgelegt."));
      id = contextIdOf(control);
      if (id == 0) {
        const QWidget* active = QApplication::activeWindow() ? QApplication::activeWindow() : control->window();
        const QVariant v = active->property("HelpContextID");
        id = v.isValid() ? v.toInt() : 0;
      }
    }
    if (id < 1 || id >= 32767) RaiseHelpError(-kErrNoContext, QString(), QString(), QString(), rt::Null, rt::Null);
    if (!HelpWindow::instance().showContext(id))
      throw rt::RaisedError(rt::kErrInvalidArgument, QString(),
                            QStringLiteral("Das Hilfethema Nr. %1 ist in der Hilfe-Datei nicht vorhanden.").arg(id));
  } catch (...) {
    RaiseHelpError(0, QString(), QString(), QString(), rt::Null, rt::Null);
  }
}

void Help::HelpContents(QWidget* /*lHwnd*/, const QString& sHelpFile) {
  // The contents stand beside every page of the help window: one command serves both forms.
  try {
    openOrRaise(sHelpFile);
    HelpWindow::instance().showStartPage();
  } catch (...) {
    RaiseHelpError(0, QString(), QString(), QString(), rt::Null, rt::Null);
  }
}

void Help::HelpFind(QWidget* /*lHwnd*/, const QString& sHelpFile, const QString& sKeyword) {
  try {
    openOrRaise(sHelpFile);
    HelpWindow::instance().setFilter(sKeyword);
  } catch (...) {
    RaiseHelpError(0, QString(), QString(), QString(), rt::Null, rt::Null);
  }
}

int32_t Help::HTMLHelpOpen(QWidget* /*lHwnd*/, const QString& sCHMFile) {
  if (sCHMFile.isEmpty()) return 0;
  try {
    const QString file = Unquote(sCHMFile);
    if (!QFileInfo(file).isFile()) return 0;
    HelpWindow& w = HelpWindow::instance();
    if (!w.openFile(file) || !w.showStartPage()) return 0;
    return w.handle();
  } catch (...) {
    return 0;
  }
}

int32_t Help::HTMLHelpContext(QWidget* /*lHwnd*/, const QString& sCHMFile, int32_t lContextID) {
  if (sCHMFile.isEmpty()) return 0;
  try {
    const QString file = Unquote(sCHMFile);
    if (!QFileInfo(file).isFile()) return 0;
    HelpWindow& w = HelpWindow::instance();
    if (!w.openFile(file) || !w.showContext(lContextID)) return 0;
    return w.handle();
  } catch (...) {
    return 0;
  }
}

void Help::HTMLHelpCloseAll(QWidget* /*lHwnd*/) {
  if (HelpWindow* w = HelpWindow::existing()) w->close();
  ui::pumpMessages();
}

void Help::HelpWindowClose(const QString& sHelpWindowTitle) {
  // Only the program's own windows: another program's window of that title is none of ours.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->windowTitle() == sHelpWindowTitle) {
      w->close();
      break;
    }
  }
  ui::pumpMessages();
}
