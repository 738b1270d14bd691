#pragma once

// How a window runs one of its commands (a menu item, a button, a toolbar key):
//  - never while another command or long operation runs: a timer, a queued call or input let
//    through by the running one must not start a second one on the same data. It then does
//    nothing and returns false. The one exception is a dialog that the running command opened
//    and waits for: its commands run, one at a time;
//  - while it runs, input to every window is blocked except the dialogs and message boxes the
//    command itself opens and the window given (a dialog's Cancel stays clickable while its
//    command reads or searches); Esc and a close request call cancel (ui::BusyScope);
//  - an error it raises is shown in one box through gErr with the window's name as source and
//    the procedure name, and ends the command.
//
// A window gives each handler its procedure name and keeps the body in a lambda:
//
//   void frmMain::mMainFile_DBClose_Click() {
//     Command(QStringLiteral("DBClose"), [this] {
//       FormEnable(false);
//       gDB->setDBPath(QString());
//     });
//   }
//
// where Command is the window's one-line wrapper passing its name, its cancel and, for a
// dialog, the dialog itself. Routines that other code calls while its own command runs
// (pubRefreshFonts, pubVolumeSelect, a Cancel that stops a running read) are no commands and
// do not use it.

#include <QString>

#include <functional>

class QObject;

// True when the command ran to its end without an error.
bool RunCommand(const QString& source, const QString& procedure, const std::function<void()>& command,
                const std::function<void()>& cancel = {}, QObject* window = nullptr);
