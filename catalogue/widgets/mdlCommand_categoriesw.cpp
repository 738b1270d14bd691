#include "catalogue/widgets/mdlCommand_categoriesw.h"

#include "catalogue/mdlCommand_categories.h"
#include "foundation/cuAppError.h"
#include "platform/jet/Recordset.h"

namespace {

const QString kSource = QStringLiteral("mdlCommand");

}  // namespace

std::optional<Picture> fCatIconLoad(int32_t CID, jet::Database* db) {
  try {
    auto rs = SeekCategory(CommandDB(db), CID);
    std::optional<Picture> picture;
    if (!rs->NoMatch()) picture = ReadPictureField(rs->Fields(QStringLiteral("Icon")));
    rs->Close();
    return picture;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatIconLoad"));
  }
}

void fCatIconSave(int32_t CID, const Picture& picture) {
  try {
    auto rs = SeekCategory(CommandDB(), CID);
    if (!rs->NoMatch()) {
      rs->Edit();
      WritePictureField(picture, rs->Fields(QStringLiteral("Icon")), false);
      rs->Update();
    }
    rs->Close();
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatIconSave"));
  }
}
