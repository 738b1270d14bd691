#include "platform/ui/widgets/QtMessagePresenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace ui {

namespace {

struct ButtonDef {
  QString caption;
  QMessageBox::ButtonRole role;
  int answer;
};

constexpr int kAnswerCancel = 2;
constexpr int kAnswerAbort = 3;
constexpr int kAnswerRetry = 4;
constexpr int kAnswerIgnore = 5;

std::vector<ButtonDef> buttonsOf(int style) {
  const ButtonDef ok{QStringLiteral("OK"), QMessageBox::AcceptRole, kAnswerOk};
  const ButtonDef cancel{QStringLiteral("Abbrechen"), QMessageBox::RejectRole, kAnswerCancel};
  const ButtonDef yes{QStringLiteral("&Ja"), QMessageBox::YesRole, kAnswerYes};
  const ButtonDef no{QStringLiteral("&Nein"), QMessageBox::NoRole, kAnswerNo};
  const ButtonDef retry{QStringLiteral("&Wiederholen"), QMessageBox::AcceptRole, kAnswerRetry};
  switch (style & 7) {
    case 1:
      return {ok, cancel};
    case 2:
      return {{QStringLiteral("&Abbrechen"), QMessageBox::RejectRole, kAnswerAbort},
              retry,
              {QStringLiteral("&Ignorieren"), QMessageBox::AcceptRole, kAnswerIgnore}};
    case 3:
      return {yes, no, cancel};
    case kYesNo:
      return {yes, no};
    case 5:
      return {retry, cancel};
    default:
      return {ok};
  }
}

QMessageBox::Icon iconOf(int style) {
  switch (style & 0x70) {
    case kCritical:
      return QMessageBox::Critical;
    case kQuestion:
      return QMessageBox::Question;
    case kExclamation:
      return QMessageBox::Warning;
    case kInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

int QtMessagePresenter::show(const MessageBoxRequest& request) {
  // Qt ends a box on every button, Help included: show help, then the same box again.
  for (;;) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.title);
    box.setText(QString(request.text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    box.setIcon(iconOf(request.style));
    const std::vector<ButtonDef> defs = buttonsOf(request.style);
    std::vector<QPushButton*> buttons;
    for (const ButtonDef& s : defs) buttons.push_back(box.addButton(s.caption, s.role));
    QPushButton* help = nullptr;
    if (request.style & kHelpButton) help = box.addButton(QStringLiteral("Hilfe"), QMessageBox::HelpRole);
    const size_t defaultIndex = static_cast<size_t>((request.style >> 8) & 3);
    box.setDefaultButton(buttons[defaultIndex < buttons.size() ? defaultIndex : 0]);
    // Esc and the close button: Cancel where there is one, OK in a lone OK box, else No.
    for (size_t i = 0; i < defs.size(); ++i)
      if (defs[i].answer == kAnswerCancel) box.setEscapeButton(buttons[i]);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (help && clicked == help) {
      if (openHelp_) openHelp_(request.helpFile, request.helpContext);
      continue;
    }
    for (size_t i = 0; i < buttons.size(); ++i)
      if (clicked == buttons[i]) return defs[i].answer;
    return defaultAnswer(request.style);
  }
}

}  // namespace ui
