#include "windows/maintenance/frmSplash.h"

#include "catalogue/mdlCommand_other.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/WindowCommand.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ShellOpen.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kBetaRevision = 900;
const QString kDefaultWeb = QStringLiteral("www.tolvarent.de");
const QString kDefaultMail = QStringLiteral("support@tolvarent.de");

QLabel* newLink(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  QFont f = l->font();
  f.setUnderline(true);
  l->setFont(f);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, p.color(QPalette::Link));
  l->setPalette(p);
  l->setCursor(Qt::PointingHandCursor);
  return l;
}

// The text the link routine gives for a shell result, empty on success.
QString LinkErrorText(int result) {
  if (result == ui::kShellOk) return QString();
  return QStringLiteral("WinExecute-Fehler Nr.") + QString::number(result) +
         QStringLiteral(".\r\nKann URL nicht öffnen");
}

}  // namespace

VersionInfo ProgramVersionInfo() {
  VersionInfo v;
  v.title = gErr ? gErr->MsgLoad(kMsgProgramTitle) : QStringLiteral("Tolvarent Kerbolith");
  v.major = ZX_VERSION_MAJOR;
  v.minor = ZX_VERSION_MINOR;
  v.revision = ZX_VERSION_REVISION;
  v.copyright = QStringLiteral("Copyright © Tolvarent");
  return v;
}

QString VersionText(const VersionInfo& info) {
  QString text = FormatVersionString(info.major, info.minor, info.revision, true);
  if (info.revision >= kBetaRevision) text += QStringLiteral(" (Beta)");
  return text;
}

frmSplash::frmSplash(QWidget* owner, const VersionInfo& info) : QDialog(owner) {
  setObjectName(QStringLiteral("frmSplash"));
  auto* fraAbout = new QFrame(this);
  fraAbout->setObjectName(QStringLiteral("fraAbout"));
  fraAbout->setFrameShape(QFrame::StyledPanel);
  picIcon = new QLabel(fraAbout);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  picIcon->setFixedSize(32, 32);
  lblTitle = new QLabel(info.title, fraAbout);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  QFont big = lblTitle->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.5);
  lblTitle->setFont(big);
  lblVersion = new QLabel(VersionText(info), fraAbout);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  lblCopyright = new QLabel(info.copyright, fraAbout);
  lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
  auto* copying = new QLabel(
      QStringLiteral("Dieses Programm darf frei kopiert und weitergegeben werden, solange es unverändert bleibt."),
      fraAbout);
  auto* warranty = new QLabel(
      QStringLiteral("Das Programm wird ohne jede Gewährleistung bereitgestellt; die Benutzung erfolgt auf eigene "
                     "Gefahr."),
      fraAbout);
  for (QLabel* l : {copying, warranty}) l->setWordWrap(true);
  lblWeb = newLink(kDefaultWeb, fraAbout);
  lblWeb->setObjectName(QStringLiteral("lblWeb"));
  lblMail = newLink(kDefaultMail, fraAbout);
  lblMail->setObjectName(QStringLiteral("lblMail"));
  for (QLabel* l : {lblWeb, lblMail}) l->installEventFilter(this);

  auto* grid = new QGridLayout(fraAbout);
  grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
  grid->addWidget(lblTitle, 0, 1);
  grid->addWidget(lblVersion, 1, 1);
  grid->addWidget(lblCopyright, 2, 1);
  grid->addWidget(copying, 3, 1);
  grid->addWidget(warranty, 4, 1);
  grid->addWidget(lblWeb, 5, 1);
  grid->addWidget(lblMail, 6, 1);
  grid->setColumnStretch(1, 1);

  cmdOK = new QPushButton(QStringLiteral("&OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fraAbout);
  layout->addLayout(buttons);
  setMinimumWidth(380);
  SetFormFont(this);
  // The title keeps its size after the common font.
  lblTitle->setFont(QFont(lblTitle->font().family(), big.pointSize(), QFont::Bold));
}

void frmSplash::Init(int mode, const QIcon& icon, const QString& web, const QString& mail) {
  if (mode != 1) return;
  setWindowTitle(QStringLiteral("Über ..."));
  setWindowIcon(icon);
  picIcon->setPixmap(icon.pixmap(32, 32));
  if (!web.isEmpty()) lblWeb->setText(web);
  if (!mail.isEmpty()) lblMail->setText(mail);
  adjustSize();
  setFixedHeight(sizeHint().height());
}

void frmSplash::lblWeb_Click() {
  Command(QStringLiteral("lblWeb_Click"), [this] {
    // The shell guessed the scheme of a bare address; here it is given.
    OpenLink(MakeURL(lblWeb->text(), true));
  });
}

void frmSplash::lblMail_Click() {
  Command(QStringLiteral("lblMail_Click"), [this] { OpenLink(QStringLiteral("MailTo:") + lblMail->text()); });
}

void frmSplash::OpenLink(const QString& target) {
  QString error;
  try {
    error = LinkErrorText(ui::shellOpen(target, QString(), true));
  } catch (const rt::RaisedError& e) {
    error = QStringLiteral("Runtime-Error ") + QString::number(e.number) + QStringLiteral(":\r\n") + e.description;
  }
  if (!error.isEmpty()) gErr->MsgShow(0, ui::kExclamation, rt::Null, rt::Null, error);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == lblWeb) lblWeb_Click();
    if (watched == lblMail) lblMail_Click();
  }
  return QDialog::eventFilter(watched, event);
}

void frmSplash::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(QStringLiteral("frmSplash"), procedure, command, {}, this);
}
