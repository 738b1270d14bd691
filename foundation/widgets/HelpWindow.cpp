#include "foundation/widgets/HelpWindow.h"

#include "platform/ui/BusyScope.h"
#include "platform/ui/ShellOpen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace {

QPointer<HelpWindow>& helpWindowSlot() {
  static QPointer<HelpWindow> w;
  return w;
}

QUrl topicUrl(const QString& objectPath) {
  QUrl url;
  url.setScheme(QString::fromLatin1(HelpWindow::kScheme));
  url.setPath(objectPath);
  return url;
}

}  // namespace

HelpBrowser::HelpBrowser(const ChmArchive& archive, QWidget* parent) : QTextBrowser(parent), archive_(archive) {
  setOpenLinks(false);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
  if (name.scheme() != QLatin1String(HelpWindow::kScheme)) return QTextBrowser::loadResource(type, name);
  const std::optional<QByteArray> page = archive_.read(name.path());
  if (!page) return QVariant();
  return *page;
}

HelpWindow& HelpWindow::instance() {
  if (!helpWindowSlot()) helpWindowSlot() = new HelpWindow();
  return *helpWindowSlot();
}

HelpWindow* HelpWindow::existing() { return helpWindowSlot().data(); }

HelpWindow::HelpWindow() : QWidget(nullptr) {
  static int32_t nextHandle = 0x4800;
  handle_ = ++nextHandle;
  setObjectName(QStringLiteral("HelpWindow"));
  // Read beside the dialog that asked for it, while that dialog's command still runs.
  ui::BusyScope::takesInputWhileBusy(this);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Hilfe"));
  resize(900, 620);

  auto* side = new QWidget;
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(0, 0, 0, 0);
  filter_ = new QLineEdit;
  filter_->setPlaceholderText(QStringLiteral("Themen suchen"));
  contents_ = new QListWidget;
  sideLayout->addWidget(new QLabel(QStringLiteral("Inhalt")));
  sideLayout->addWidget(filter_);
  sideLayout->addWidget(contents_);

  browser_ = new HelpBrowser(archive_);
  auto* splitter = new QSplitter;
  splitter->addWidget(side);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({220, 680});
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);

  connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
    if (url.scheme() == QLatin1String(kScheme))
      browser_->setSource(url);
    else
      ui::shellOpen(url.toString());
  });
  connect(contents_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item) showTopic(item->data(Qt::UserRole).toString());
  });
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    for (int i = 0; i < contents_->count(); ++i)
      contents_->item(i)->setHidden(!text.isEmpty() && !contents_->item(i)->text().contains(text, Qt::CaseInsensitive));
  });
}

bool HelpWindow::openFile(const QString& path) {
  if (archive_.isOpen() && archive_.path() == path) return true;
  contents_->clear();
  browser_->clear();
  if (!archive_.open(path)) return false;
  setWindowTitle(archive_.title().isEmpty() ? QStringLiteral("Hilfe") : archive_.title());
  loadContents();
  return true;
}

void HelpWindow::loadContents() {
  if (archive_.contentsFile().isEmpty()) return;
  const std::optional<QByteArray> page = archive_.read(archive_.contentsFile());
  if (!page) return;
  QStringDecoder decoder = QStringDecoder::decoderForHtml(*page);
  const QString html = decoder.isValid() ? QString(decoder(*page)) : QString::fromUtf8(*page);
  // Each entry of the sitemap is an object with a "Name" and a "Local" parameter.
  static const QRegularExpression object(
      QStringLiteral("<object[^>]*>(.*?)</object>"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression param(
      QStringLiteral("<param\\s+name\\s*=\\s*\"([^\"]*)\"\\s+value\\s*=\\s*\"([^\"]*)\""),
      QRegularExpression::CaseInsensitiveOption);
  QSignalBlocker block(contents_);
  for (auto it = object.globalMatch(html); it.hasNext();) {
    const QString body = it.next().captured(1);
    QString name, local;
    for (auto p = param.globalMatch(body); p.hasNext();) {
      const auto m = p.next();
      if (m.captured(1).compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) name = m.captured(2);
      if (m.captured(1).compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0) local = m.captured(2);
    }
    if (name.isEmpty() || local.isEmpty()) continue;
    auto* item = new QListWidgetItem(name, contents_);
    item->setData(Qt::UserRole, local.startsWith(QLatin1Char('/')) ? local : QLatin1Char('/') + local);
  }
}

bool HelpWindow::event(QEvent* e) {
  if (e->type() == QEvent::WindowBlocked) joinModalWindow();
  return QWidget::event(e);
}

void HelpWindow::joinModalWindow() {
  QWindow* own = windowHandle();
  QWindow* modal = QGuiApplication::modalWindow();
  if (!own || modal == own || own->transientParent() == modal) return;
  // A box the help window opened itself blocks it, as its owner.
  if (modal && own->isAncestorOf(modal, QWindow::IncludeTransients)) return;
  disconnect(joinedGone_);
  // None left: a window of its own again.
  own->setTransientParent(modal);
  if (!modal) return;
  // Once it has gone the list of modal windows is up to date.
  joinedGone_ = connect(modal, &QWindow::visibleChanged, this, [this](bool visible) {
    if (!visible) QTimer::singleShot(0, this, [this] { joinModalWindow(); });
  });
}

void HelpWindow::present() {
  show();
  raise();
  activateWindow();
}

bool HelpWindow::showTopic(const QString& objectPath) {
  const QString path = objectPath.section(QLatin1Char('#'), 0, 0);
  if (!archive_.contains(path)) return false;
  QUrl url = topicUrl(path);
  const QString fragment = objectPath.section(QLatin1Char('#'), 1);
  if (!fragment.isEmpty()) url.setFragment(fragment);
  browser_->setSource(url);
  QSignalBlocker block(contents_);
  for (int i = 0; i < contents_->count(); ++i)
    if (contents_->item(i)->data(Qt::UserRole).toString() == path) contents_->setCurrentRow(i);
  present();
  return true;
}

bool HelpWindow::showStartPage() {
  if (!archive_.defaultTopic().isEmpty()) return showTopic(archive_.defaultTopic());
  if (contents_->count() > 0) return showTopic(contents_->item(0)->data(Qt::UserRole).toString());
  return false;
}

bool HelpWindow::showContext(int32_t context) {
  const QString topic = archive_.contextTopic(context);
  return !topic.isEmpty() && showTopic(topic);
}

void HelpWindow::setFilter(const QString& keyword) {
  filter_->setText(keyword);
  present();
  filter_->setFocus();
}

QString HelpWindow::currentTopic() const { return browser_->source().path(); }

QString HelpWindow::pageText() const { return browser_->toPlainText(); }
