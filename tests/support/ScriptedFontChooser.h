#pragma once

// A font dialog that gives its standing answer (none cancels) and remembers what it was asked.

#include "platform/ui/widgets/FontChooser.h"

#include <optional>
#include <vector>

class ScriptedFontChooser : public ui::FontChooser {
 public:
  std::optional<QFont> choose(const ui::FontRequest& request) override {
    requests.push_back(request);
    seen = request;
    return answer;
  }
  std::optional<QFont> answer;
  std::vector<ui::FontRequest> requests;
  ui::FontRequest seen;  // the last request
};
