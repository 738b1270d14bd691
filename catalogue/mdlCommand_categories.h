#pragma once

// Category commands of the open catalogue: names, ancestors, descendants, moves and their
// volumes. The categories' own icons are pictures, read and written in mdlCommand_categoriesw.
//
// tblCATEGORIES is trusted to hold a tree, but a damaged or foreign catalogue may not: a parent
// that is missing ends a walk, and a category met a second time (a cycle) is not followed
// again, so every walk ends and visits each category at most once.

#include "platform/jet/Database.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

struct CatItem {
  int32_t CID = 0;
  QString CatName;
};

// The given database, or the open catalogue's; raises 91 when there is none.
jet::Database& CommandDB(jet::Database* db = nullptr);

// tblCATEGORIES as a table record set on its primary key, sought on CID (NoMatch when there is
// no such category). The caller closes it.
std::shared_ptr<jet::Recordset> SeekCategory(jet::Database& db, int32_t CID);

// The category's name, or the empty text (also on any error).
QString fCatName(int32_t CID);

// The ancestors, the top-most first and the direct parent last; returns their number.
int32_t fCatArrayParent(int32_t CID, std::vector<CatItem>& list, jet::Database* db = nullptr);

// Every category below CID, depth first: each child (by ascending CID) directly followed by
// its own descendants. Returns their number.
int32_t fCatArraySub(int32_t CID, std::vector<CatItem>& list, jet::Database* db = nullptr);
// Appends the descendants of CID to list and adds their number to count; returns count. Works
// with an explicit stack, so deep trees cannot overflow the call stack.
int32_t fCatArraySubRecurse(int32_t CID, std::vector<CatItem>& list, jet::Database& db, int32_t& count);

// Files the category below Parent (Null: the top level) and returns true; an unknown category
// is left alone. Refused (false, nothing written) when Parent is the category itself or lies
// below it: whatever a tree shows, the catalogue must never hold a loop of parents.
bool fCatMove(int32_t CID, const rt::Variant& Parent, jet::Database* db = nullptr);

// The ancestors' names joined with " > " ("" for a top-level category).
QString fCatStringParent(int32_t CID);

// The ids of the volumes of every sub-category (in the order of fCatArraySub), then of the
// category itself; returns their number.
int32_t fCatVolumeCount(int32_t CID, std::vector<int32_t>& volumes);
