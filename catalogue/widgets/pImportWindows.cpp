#include "catalogue/widgets/pImportWindows.h"

#include "catalogue/pImport.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/frmImport.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/FileDialog.h"
#include "platform/jet/Database.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QCheckBox>
#include <QTreeWidgetItem>

QString pImportWindows::ChooseSourceFile(const QString& initialDir, const QString& title, const QString& filter) {
  return FileDialog().GetOpenFileName(initialDir, QString(), title, filter, owner_, 0);
}

bool pImportWindows::SelectFromSource(const std::shared_ptr<jet::Database>& source, const QString& sourcePath,
                                      std::vector<int32_t>& categories, std::vector<int32_t>& volumes) {
  frmImport window(owner_);
  window.Tree1->setDatabase(source.get());
  window.Tree1->Populate();
  window.setWindowTitle(window.windowTitle() + QStringLiteral(" [") + sourcePath + QStringLiteral("]"));
  window.exec();
  ui::pumpMessages();
  ui::pumpMessages();
  const bool confirmed = !window.chkCancel->isChecked();
  if (confirmed) CollectChecked(*window.Tree1, categories, volumes);
  window.Tree1->setDatabase(nullptr);
  return confirmed;
}

bool CollectChecked(const Tree& tree, std::vector<int32_t>& categories, std::vector<int32_t>& volumes) {
  categories.clear();
  volumes.clear();
  for (QTreeWidgetItem* node : tree.NodesInAddOrder()) {
    if (node->checkState(0) != Qt::Checked) continue;
    bool aboveTicked = false;
    for (const QTreeWidgetItem* up = node->parent(); up && !aboveTicked; up = up->parent())
      aboveTicked = up->checkState(0) == Qt::Checked;
    if (aboveTicked) continue;
    switch (Tree::NodeType(node)) {
      case 0:
        categories.push_back(ui::itemTag(node).toInt());
        break;
      case 1:
        volumes.push_back(ui::itemTag(node).toInt());
        break;
      default:
        break;
    }
  }
  return !categories.empty() || !volumes.empty();
}

DBImportResult DBImport(QWidget* owner) {
  DBImportResult result;
  pImportWindows windows(owner);
  pImport import(windows);
  result.imported = import.Import(result.categories, result.volumes, result.locationsAdded);
  if (result.imported) gErr->MsgShow(kMsgImported, ui::kInformation, result.categories, result.volumes);
  return result;
}
