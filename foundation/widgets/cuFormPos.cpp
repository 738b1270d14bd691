#include "foundation/widgets/cuFormPos.h"

#include <QWidget>

std::unique_ptr<cuFormPos> gFormPos;

QString cuFormPos::AddSeparator(const QString& text, const QString& separator) {
  if (text.isEmpty()) return text;
  return text.endsWith(separator, Qt::CaseInsensitive) ? text : text + separator;
}

void cuFormPos::Init(registry::HKEY lRegHKey, const QString& sRegKey, bool fCheckLinkState) {
  if (!initDone_) {
    // No start-up show state reaches a program here, so there is nothing to detect.
    if (fCheckLinkState) linkState_ = 0;
    initDone_ = true;
  }
  regHKey_ = lRegHKey == 0 ? registry::HKEY_CURRENT_USER : lRegHKey;
  if (!sRegKey.isEmpty()) regKey_ = sRegKey;
}

cuFormPosForm& cuFormPos::AddForm(QWidget* frm, const QString& sRegKeyname, int32_t eMode) {
  cuFormPosForm* entry = nullptr;
  if (forms_.IsInCollection(frm)) {
    entry = &forms_.Item(frm);
  } else {
    entry = &forms_.Add(frm, eMode);
    entry->setAutoSave(autoSave_);
    entry->setMinHeight(minHeight_);
    entry->setMinWidth(minWidth_);
    entry->setRegHKey(regHKey_);
    if (sRegKeyname.contains(QLatin1Char('\\'))) {
      entry->setRegKey(sRegKeyname);
    } else if (!regKey_.isEmpty()) {
      entry->setRegKey(AddSeparator(regKey_, QStringLiteral("\\")) +
                       (sRegKeyname.isEmpty() ? frm->windowTitle() : sRegKeyname));
    }
    if (forms_.Count() == 1 && linkState_ != 0) entry->setForcedState(linkState_);
  }
  if (autoLoadPositions_) entry->LoadPosition();
  return *entry;
}
