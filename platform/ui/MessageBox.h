#pragma once

// Message boxes go through one presenter: QMessageBox in the program, a recorder with scripted
// answers in tests. Styles and answers are the classic message-box numbers.

#include <QString>

#include <deque>
#include <memory>
#include <vector>

namespace ui {

// Buttons, icons and flags of a style value.
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kCritical = 16;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;
inline constexpr int kDefaultButton2 = 256;
inline constexpr int kHelpButton = 0x4000;
// Answers.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

struct MessageBoxRequest {
  QString text;
  int style = 0;
  QString title;
  QString helpFile;
  int helpContext = 0;
};

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  virtual int show(const MessageBoxRequest& request) = 0;
};

// Records every box and answers from a script; without a scripted answer it gives the default
// button's answer (OK, or Yes / No when the second button is the default).
class RecordingPresenter : public MessagePresenter {
 public:
  int show(const MessageBoxRequest& request) override;
  void script(int answer) { answers.push_back(answer); }

  std::vector<MessageBoxRequest> shown;
  std::deque<int> answers;
};

int defaultAnswer(int style);

// The installed presenter. Before any is installed a RecordingPresenter answers, so code below
// the windows never blocks on a box nobody can see.
MessagePresenter& presenter();
// Installs a presenter and returns the previous one.
std::unique_ptr<MessagePresenter> setPresenter(std::unique_ptr<MessagePresenter> p);

// Shows one box through the installed presenter; an empty title becomes the program's title.
int showMessageBox(const QString& text, int style, const QString& title, const QString& helpFile = QString(),
                   int helpContext = 0);

}  // namespace ui
