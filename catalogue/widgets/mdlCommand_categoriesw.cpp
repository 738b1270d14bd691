#include "catalogue/widgets/mdlCommand_categoriesw.h"

#include "catalogue/TableCategories.h"
#include "catalogue/mdlCommand_categories.h"
#include "foundation/cuAppError.h"

namespace {

const QString kSource = QStringLiteral("mdlCommand");

}  // namespace

std::optional<Picture> fCatIconLoad(int32_t CID, jet::Database* db) {
  try {
    return PictureOfFieldBytes(CategoryIconBytes(CommandDB(db), CID));
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatIconLoad"));
  }
}

void fCatIconSave(int32_t CID, const Picture& picture) {
  try {
    CategoryIconStore(CommandDB(), CID, PictureFieldBytes(picture, false));
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatIconSave"));
  }
}
