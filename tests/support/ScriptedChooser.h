#pragma once

// A file dialog that answers from a script and remembers what it was asked: the queued answers
// one per call (an empty one cancels), then the standing answer (none cancels); with fail set
// the dialog itself fails.

#include "platform/runtime/RaisedError.h"
#include "platform/ui/widgets/FileChooser.h"

#include <deque>
#include <optional>
#include <vector>

class ScriptedChooser : public ui::FileChooser {
 public:
  std::optional<QStringList> choose(const ui::FileRequest& request) override {
    requests.push_back(request);
    seen = request;
    if (fail) throw rt::RaisedError(5, "", "Dialog kaputt.");
    if (answers.empty()) return answer;
    QString a = answers.front();
    answers.pop_front();
    if (a.isEmpty()) return std::nullopt;
    return QStringList{a};
  }
  std::deque<QString> answers;
  std::optional<QStringList> answer;
  bool fail = false;
  std::vector<ui::FileRequest> requests;
  ui::FileRequest seen;  // the last request
};
