#include "mainwindow/StructureCommands.h"

#include "catalogue/mdlCommand_structure.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/TreeView.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/mdlQZLib52_window.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "platform/ui/widgets/TextPrompt.h"
#include "windows/capture/frmVolumeNew.h"
#include "windows/maintenance/frmCatNew.h"
#include "windows/maintenance/frmCatPicker.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidgetItem>

namespace {

const QString kSource = QStringLiteral("frmMain");

int32_t tagOf(const QTreeWidgetItem* node) { return node ? ui::itemTag(node).toInt() : 0; }

// The node and its children leave the tree (each node unregisters its key as it goes).
void removeNode(Tree& tree, const QString& key) { delete tree.TV()->node(key); }

}  // namespace

StructureCommands::StructureCommands(StructureCommandsHost& host) : host_(host) {
  InputBox = [](QWidget* owner, const QString& prompt, const QString& title) {
    return ui::textPrompter().ask({owner, prompt, title, QString()});
  };
}

void StructureCommands::NewCat() {
  try {
    Tree* tree = host_.TreeControl();
    const QTreeWidgetItem* selected = tree->SelectedItem();
    std::optional<int32_t> cid;
    QString name;
    rt::Variant parent = rt::Null;
    if (selected && Tree::NodeType(selected) == 0) {
      cid = tagOf(selected);
      name = selected->text(0);
      if (selected->parent()) parent = tagOf(selected->parent());
    }
    frmCatNew dialog(host_.Window());
    if (cid)
      dialog.setSubCategoryOf(name);
    else
      dialog.hideSubCategory();
    dialog.exec();
    if (dialog.chkCancel() > 0) return;
    const int32_t newCid = NewCatSave(dialog.CatName()->text(), dialog.CatDescription()->toPlainText(),
                                      NewCatParent(cid, parent, dialog.chkSub()->isChecked()));
    tree->Populate(Tree::Prefix_KeyCategory() + QString::number(newCid));
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("NewCat"));
  }
}

int32_t StructureCommands::CatPick(int32_t CatID) {
  try {
    if (!CatPickNeeded(CatID)) return 0;
    frmCatPicker picker(host_.Window());
    picker.preselect(CatID);
    picker.exec();
    return picker.chkCancel() == 0 ? picker.SelectedCID() : -1;
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("CatPick"));
  }
  return -1;
}

void StructureCommands::NewVolume(int32_t& CatID) {
  try {
    CatID = CatPick(CatID);
    if (CatID == -1) return;
    frmVolumeNew wizard(host_.Window());
    wizard.setWindowTitle(QStringLiteral("Neues Volume"));
    wizard.setPubInit(CatID);
    if (!wizard.pubGetPath()) return;
    wizard.lbl1()->setText(gErr->MsgLoad(kMsgWizardComplete));
    wizard.lbl2()->setText(gErr->MsgLoad(kMsgWizardSaveHint));
    wizard.exec();
    ui::pumpMessages();
    ui::pumpMessages();
    if (wizard.chkCancel() != 0) return;
    host_.TreeControl()->Populate(Tree::Prefix_KeyVolume() + QString::number(wizard.pubGetVID()));
    host_.FormEnable(true);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("NewVolume"));
  }
}

void StructureCommands::DeleteVolume() {
  std::optional<ui::HourglassScope> hourglass;
  try {
    Tree* tree = host_.TreeControl();
    QTreeWidgetItem* node = tree->SelectedItem();
    if (!node) return;
    if (gErr->MsgShow(kMsgVolumeDeleteAsk, ui::kYesNo + ui::kExclamation + ui::kDefaultButton2, node->text(0)) !=
        ui::kAnswerYes)
      return;
    const QString key = ui::itemKey(node);
    const int32_t vid = key.mid(1).toInt();
    const QString neighbour = GetNeighbourNodeKey(node);
    const int32_t category = node->parent() ? tagOf(node->parent()) : 0;
    hourglass.emplace();
    if (!DeleteVolumeRecord(vid, category, host_.InfoCache())) return;
    removeNode(*tree, key);
    if (tree->TV()->topLevelItemCount() == 0) {
      host_.EmptyAfterVolumeDelete();
      return;
    }
    if (!neighbour.isEmpty()) tree->SelectItem(neighbour);
    // Categories may be all that is left: the search follows the volumes.
    host_.FormEnable(true);
  } catch (...) {
    DeleteVolumeErrMsg(kSource, QStringLiteral("DeleteVolume"));
  }
}

void StructureCommands::DeleteCat() {
  std::optional<ui::HourglassScope> hourglass;
  try {
    Tree* tree = host_.TreeControl();
    QTreeWidgetItem* node = tree->SelectedItem();
    if (!node) return;
    const QString key = ui::itemKey(node);
    const int32_t cid = tagOf(node);
    const QString name = node->text(0);
    // The catalogue decides what goes along, not the tree: a category whose content the tree
    // does not show (yet) must not leave volumes and sub-categories behind without it.
    const CatDeleteContent content = DeleteCatContent(cid);
    const bool children = node->childCount() > 0 || !content.subCategories.empty() || !content.volumes.empty();
    const QString neighbour = GetNeighbourNodeKey(node);
    const QString question = DeleteCatQuestion(name, children, content);
    if (gErr->MsgShow(0, ui::kYesNo + ui::kExclamation + ui::kDefaultButton2, rt::Null, rt::Null, question) !=
        ui::kAnswerYes)
      return;
    if (DeleteCatNeedsConfirmation(gOptions && gOptions->ExtendedWarnings(), children, content)) {
      const std::optional<QString> answer =
          InputBox(host_.Window(), gErr->MsgLoad(kMsgConfirmWithYes), gErr->AppName());
      if (!answer || !DeleteCatConfirmed(*answer)) return;
    }
    hourglass.emplace();
    DeleteCatRecords(cid, content, host_.InfoCache());
    if (content.subCategories.empty() && content.volumes.empty())
      removeNode(*tree, key);
    else
      tree->Populate();
    if (tree->TV()->topLevelItemCount() == 0) {
      host_.FindEnableUpdate();
      return;
    }
    if (!neighbour.isEmpty() && NodeKeyExists(tree->TV(), neighbour))
      tree->SelectItem(neighbour, true);
    else if (QTreeWidgetItem* first = GetFirstRootNode(tree->TV()))
      tree->SelectItem(ui::itemKey(first), true);
    // The volumes that went along may have been the last ones.
    if (!content.volumes.empty()) host_.FormEnable(true);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("DeleteCat"));
  }
}
