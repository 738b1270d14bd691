#pragma once

// Answers the catalogue chooser whenever it is shown modally: the next scripted step acts on
// it, or, without one, "andere Datenbank auswählen" and OK, so that the open-file dialog (and
// the file dialog's own script) decides as it did before the chooser existed.

#include "windows/maintenance/frmOpenDB.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <functional>

class ChooserAnswerer : public QObject {
 public:
  using Step = std::function<void(frmOpenDB&)>;

  // The one answerer of the process, installed on first use.
  static ChooserAnswerer& instance() {
    static ChooserAnswerer* answerer = [] {
      auto* a = new ChooserAnswerer;
      qApp->installEventFilter(a);
      return a;
    }();
    return *answerer;
  }

  std::deque<Step> script;
  int shown = 0;

  static void other(frmOpenDB& d) {
    d.chkOther->setChecked(true);
    d.cmdOK->click();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* dialog = qobject_cast<frmOpenDB*>(watched)) {
        ++shown;
        Step step = other;
        if (!script.empty()) {
          step = script.front();
          script.pop_front();
        }
        QPointer<frmOpenDB> d(dialog);
        QTimer::singleShot(0, dialog, [d, step] {
          if (d && d->isVisible()) step(*d);
        });
      }
    }
    return false;
  }
};
