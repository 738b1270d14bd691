#include "catalogue/widgets/mdlCommand_categoriesw.h"

#include "catalogue/TableCategories.h"
#include "catalogue/mdlCommand_categories.h"

std::optional<Picture> fCatIconLoad(int32_t CID, jet::Database* db) {
  try {
    return PictureOfFieldBytes(CategoryIconBytes(CommandDB(db), CID));
  } catch (...) {
    CommandErrRaise(QStringLiteral("fCatIconLoad"));
  }
}

void fCatIconSave(int32_t CID, const Picture& picture) {
  try {
    CategoryIconStore(CommandDB(), CID, PictureFieldBytes(picture, false));
  } catch (...) {
    CommandErrRaise(QStringLiteral("fCatIconSave"));
  }
}
