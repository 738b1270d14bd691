#pragma once

// A file dialog that answers from a script (an empty answer cancels) and remembers what it
// was asked.

#include "platform/ui/widgets/FileChooser.h"

#include <deque>
#include <vector>

class ScriptedChooser : public ui::FileChooser {
 public:
  std::optional<QStringList> choose(const ui::FileRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    QString a = answers.front();
    answers.pop_front();
    if (a.isEmpty()) return std::nullopt;
    return QStringList{a};
  }
  std::deque<QString> answers;
  std::vector<ui::FileRequest> requests;
};
