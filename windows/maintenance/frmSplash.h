#pragma once

// The about window: title, version, copyright, two notices, a web and a mail link. Its caller
// passes the icon and the link texts through Init, then shows it modally.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QIcon;
class QLabel;
class QPushButton;

// What the program says of itself.
struct VersionInfo {
  QString title;
  int32_t major = 0;
  int32_t minor = 0;
  int32_t revision = 0;
  QString copyright;
};

// The version of this build.
VersionInfo ProgramVersionInfo();
// "Version 2.1.007", with " (Beta)" from revision 900 on.
QString VersionText(const VersionInfo& info);

class frmSplash : public QDialog {
  Q_OBJECT

 public:
  explicit frmSplash(QWidget* owner = nullptr, const VersionInfo& info = ProgramVersionInfo());

  // Mode 1 is the about window; an empty link text keeps the one the window was built with.
  void Init(int mode, const QIcon& icon, const QString& web, const QString& mail);

  // Open the link's text with the shell; a link that cannot be opened is told in a box.
  void lblWeb_Click();
  void lblMail_Click();

  QLabel* picIcon = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblCopyright = nullptr;
  QLabel* lblWeb = nullptr;
  QLabel* lblMail = nullptr;
  QPushButton* cmdOK = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OpenLink(const QString& target);
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);
};
