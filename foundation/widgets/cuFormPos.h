#pragma once

// The window-position store: remembers per window whether it was maximized and its size and
// place under a key of the current user, restores them when the window registers, and keeps
// registered windows at least MinWidth x MinHeight twips large.

#include "foundation/widgets/cuFormPosForm.h"
#include "foundation/widgets/cuFormPosForms.h"
#include "platform/registry/Registry.h"

#include <QString>

#include <cstdint>
#include <memory>

class QWidget;

class cuFormPos {
 public:
  bool AutoLoadPositions() const { return autoLoadPositions_; }
  void setAutoLoadPositions(bool v) { autoLoadPositions_ = v; }
  bool AutoSave() const { return autoSave_; }
  void setAutoSave(bool v) { autoSave_ = v; }
  cuFormPosForms& Forms() { return forms_; }
  // The window state the program was started with; this platform hands none to a program, so
  // it stays 0 (normal).
  int32_t LinkState() const { return linkState_; }
  int32_t MinHeight() const { return minHeight_; }
  void setMinHeight(int32_t v) { minHeight_ = v; }
  int32_t MinWidth() const { return minWidth_; }
  void setMinWidth(int32_t v) { minWidth_ = v; }
  QString RegKey() const { return regKey_; }
  void setRegKey(const QString& v) { regKey_ = v; }
  registry::HKEY RegHKey() const { return regHKey_; }
  void setRegHKey(registry::HKEY v) { regHKey_ = v; }

  // Registers the window (once) and, with AutoLoadPositions, restores its position.
  // sRegKeyname: a full key below the hive when it holds a "\", else the name of the window's
  // subkey below RegKey (the window's caption when empty).
  cuFormPosForm& AddForm(QWidget* frm, const QString& sRegKeyname, int32_t eMode);
  void Init(registry::HKEY lRegHKey, const QString& sRegKey, bool fCheckLinkState);

 private:
  static QString AddSeparator(const QString& text, const QString& separator);

  QString regKey_;
  registry::HKEY regHKey_ = registry::HKEY_CURRENT_USER;
  cuFormPosForms forms_;
  int32_t linkState_ = 0;
  bool autoSave_ = true;
  bool autoLoadPositions_ = true;
  int32_t minWidth_ = 5000;
  int32_t minHeight_ = 5000;
  bool initDone_ = false;
};

// The program's one store, from start-up to shut-down.
extern std::unique_ptr<cuFormPos> gFormPos;
