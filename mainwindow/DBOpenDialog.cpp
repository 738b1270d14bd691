#include "mainwindow/DBOpenDialog.h"

#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "windows/maintenance/frmOpenDB.h"

#include <QCheckBox>
#include <QListWidget>

#include <memory>

int32_t DBOpenDialog(QWidget* owner, QString& Path, bool& Exclusive) {
  Path.clear();
  Exclusive = false;
  int32_t result = 0;
  try {
    auto chooser = std::make_unique<frmOpenDB>(owner);
    chooser->exec();
    if (chooser->chkCancel->isChecked()) {
      result = 0;
    } else if (chooser->chkOther->isChecked()) {
      result = 1;
    } else {
      const QList<QListWidgetItem*> selected = chooser->lstDB->selectedItems();
      Path = selected.isEmpty() ? QString() : selected.first()->text();
      result = FileExists(Path) ? 2 : 1;
      if (result == 1) Path.clear();
    }
    Exclusive = chooser->chkExclusive->isChecked();
  } catch (...) {
    gErr->ErrMsg(QStringLiteral("frmMain"), QStringLiteral("DBOpenDialog"));
    Path.clear();
    result = 0;
  }
  return result;
}
