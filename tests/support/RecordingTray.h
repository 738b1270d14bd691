#pragma once

// A CD tray that moves nothing and records each call, in its own list or in one that outlives
// it once installed.

#include "platform/ui/CdTray.h"

#include <QString>

#include <utility>
#include <vector>

class RecordingTray : public ui::CdTray {
 public:
  using Calls = std::vector<std::pair<QString, ui::TrayAction>>;

  RecordingTray() : log_(&calls) {}
  explicit RecordingTray(Calls* log) : log_(log) {}
  RecordingTray(const RecordingTray&) = delete;
  RecordingTray& operator=(const RecordingTray&) = delete;

  void move(const QString& drive, ui::TrayAction action) noexcept override { log_->emplace_back(drive, action); }

  Calls calls;

 private:
  Calls* log_;
};
