#pragma once

// One window registered with the window-position store: restores and saves its size, place and
// maximized state under its own key, and keeps it from being made smaller than a minimum size.
// The window's show, resize and state changes and its close reach the entry through an event
// filter. Sizes and coordinates are twips (1440 / logical DPI of the primary screen per pixel).

#include "platform/registry/Registry.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

class cuFormPosForms;

class cuFormPosForm : public std::enable_shared_from_this<cuFormPosForm> {
 public:
  cuFormPosForm();
  ~cuFormPosForm();
  cuFormPosForm(const cuFormPosForm&) = delete;
  cuFormPosForm& operator=(const cuFormPosForm&) = delete;

  bool AutoSave() const { return autoSave_; }
  void setAutoSave(bool v) { autoSave_ = v; }
  // 1 minimized, 2 maximized: forced once at the next LoadPosition; reads 0 once applied.
  int32_t ForcedState() const { return forcedStateApplied_ ? 0 : forcedState_; }
  void setForcedState(int32_t v);
  QWidget* Form() const { return form_; }
  void setForm(QWidget* frm);
  cuFormPosForms* Parent() const { return parent_; }
  int32_t MinHeight() const { return minHeight_; }
  void setMinHeight(int32_t v) { minHeight_ = v; }
  void setMinWidth(int32_t v) { minWidth_ = v; }
  // Bit 1: restore the size; bit 2: restore the place (else centre).
  int32_t Mode() const { return mode_; }
  void setMode(int32_t v) { mode_ = v; }
  registry::HKEY RegHKey() const { return regHKey_; }
  void setRegHKey(registry::HKEY v) { regHKey_ = v; }
  // Empty: the entry neither loads nor saves.
  QString RegKey() const { return regKey_; }
  void setRegKey(const QString& v) { regKey_ = v; }

  void LoadPosition();
  // Applies the minimum size.
  void Resize();
  void SavePosition();

 private:
  friend class cuFormPosForms;
  friend class FormPosWatcher;

  void SetParent(cuFormPosForms* parent) { parent_ = parent; }
  void m_Form_Resize();
  // A window placed from stored values is kept on the screen once more when it first shows,
  // as its frame is known only then, and again when its frame turns out other than it was
  // placed with: a window manager frames a window only after it has shown it.
  void m_Form_Show();
  void m_Form_Framed();
  void m_Form_Unload();
  // The stored number as text, or empty when it is missing or no 32-bit number.
  QString GetValue(const QString& name) const;
  void SetValue(const QString& name, int32_t value);
  void Release();

  QPointer<QWidget> form_;
  QPointer<QObject> watcher_;
  cuFormPosForms* parent_ = nullptr;
  int32_t minHeight_ = 0;
  int32_t minWidth_ = 0;
  registry::HKEY regHKey_ = 0;
  int32_t normalHeight_ = 0;
  int32_t normalWidth_ = 0;
  QString regKey_;
  int32_t forcedState_ = 0;
  bool autoSave_ = false;
  bool forcedStateApplied_ = false;
  int32_t mode_ = 3;
  bool unloaded_ = false;
  bool keepOnScreenAtShow_ = false;
  // Placed while its own frame was not known yet.
  bool awaitingFrame_ = false;
  QSize placedFrame_;
};
