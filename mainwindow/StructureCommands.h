#pragma once

// The commands of the tree's context menus that create and delete categories and volumes: a
// new category (frmCatNew), a new volume (frmCatPicker, then the new-volume wizard), deleting a
// volume, and deleting a category with everything below it. Each brings the tree, the
// selection and the main window's cache of totals up to date, and shows its own errors.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;
class Tree;
class pInfoColl;

// What the commands need of the main window.
class StructureCommandsHost {
 public:
  virtual ~StructureCommandsHost() = default;
  // Owner of the dialogs.
  virtual QWidget* Window() = 0;
  virtual Tree* TreeControl() = 0;
  // The cache of totals; nullptr while the window keeps none.
  virtual pInfoColl* InfoCache() = 0;
  // After a new volume and after volumes were deleted: caption and search command.
  virtual void FormEnable(bool isOpen) = 0;
  // The tree has no node left after a category went: search command off, every pane hidden.
  virtual void FindEnableUpdate() = 0;
  // The tree has no node left after a volume went: file list cleared, folder and volume pane
  // hidden, then FormEnable(true).
  virtual void EmptyAfterVolumeDelete() = 0;
};

class StructureCommands {
 public:
  explicit StructureCommands(StructureCommandsHost& host);

  // A new category beside or below the selected one, or at the top level.
  void NewCat();
  // The selected category with its sub-categories and volumes, after the questions.
  void DeleteCat();
  // The selected volume, after the question.
  void DeleteVolume();
  // A new volume; CatID is the proposed category (0: top level) and receives the chosen one.
  void NewVolume(int32_t& CatID);
  // The category for a new volume: its CID, 0 for the top level, -1 when cancelled.
  int32_t CatPick(int32_t CatID);

  // The typed confirmation of DeleteCat: the answer, or nothing when cancelled. An input box
  // over the window unless a test puts something else here.
  std::function<std::optional<QString>(QWidget* owner, const QString& prompt, const QString& title)> InputBox;

 private:
  StructureCommandsHost& host_;
};
