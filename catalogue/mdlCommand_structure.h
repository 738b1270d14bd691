#pragma once

// Creating and deleting categories and volumes in the open catalogue, and dropping the main
// window's cached totals that such a change makes wrong. The questions, dialogs and the tree
// stay with the window; these routines raise their errors with their names in the source chain.
//
// Only tblCATEGORIES and tblVOLUMES rows are deleted here: a volume's tblPATHS and tblFILES
// rows go with it inside the catalogue (cascading deletes on the indexed key columns).

#include "catalogue/mdlCommand_categories.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class pInfoColl;

// The parent of a new category. With a category selected: that category when asSub is set,
// else the selected one's own parent (Null or Empty: it stands at the top level). Without a
// selection: Null, the top level.
rt::Variant NewCatParent(const std::optional<int32_t>& selectedCID, const rt::Variant& selectedParentCID, bool asSub);

// Adds a category (name as entered, an empty description stored as Null) under Parent (Null:
// top level) with the next free CID, and returns that CID.
int32_t NewCatSave(const QString& CatName, const QString& CatDescription, const rt::Variant& Parent);

// False when a new volume goes to the top level without asking: no category proposed (0) and
// the catalogue has none.
bool CatPickNeeded(int32_t CatID);

// Deletes the volume's row. When there was one, drops from the cache the volume's record, every
// folder record, and the records of its category (categoryCID > 0) and of that category's
// ancestors, whose totals held the volume. False (and the cache untouched) when there was none.
bool DeleteVolumeRecord(int32_t VID, int32_t categoryCID, pInfoColl* cache);

// Shows the error being handled by the volume deletion: message 512 for the engine's lock limit
// (3052), the error box with source and procedure for anything else. Call inside a catch block.
void DeleteVolumeErrMsg(const QString& source, const QString& procedure);

// What a category deletion takes along.
struct CatDeleteContent {
  std::vector<CatItem> subCategories;  // every depth, each parent before its children
  std::vector<int32_t> volumes;        // of the sub-categories and of the category itself
};
CatDeleteContent DeleteCatContent(int32_t CID);

// The question before deleting: message 128 for a node without child nodes, else message 165
// with the counts of message 164.
QString DeleteCatQuestion(const QString& CatName, bool hasChildNodes, const CatDeleteContent& content);
// Whether the typed confirmation is asked as well: the warnings option on, and a node with child
// nodes that takes sub-categories or volumes along.
bool DeleteCatNeedsConfirmation(bool extendedWarnings, bool hasChildNodes, const CatDeleteContent& content);
// The typed confirmation: "JA" in any letter case, nothing else (no blanks around it).
bool DeleteCatConfirmed(const QString& answer);

// Deletes in one transaction the volumes (in their order), the sub-categories (the deepest
// first) and the category; after a failure nothing is deleted and the error is raised. Input is
// held back meanwhile. Then drops from the cache the records of the category, its
// sub-categories and ancestors, of the deleted volumes, and every folder record.
void DeleteCatRecords(int32_t CID, const CatDeleteContent& content, pInfoColl* cache);
