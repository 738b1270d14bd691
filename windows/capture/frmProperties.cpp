#include "windows/capture/frmProperties.h"

#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/ui/Twips.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kSource = QStringLiteral("frmProperties");
constexpr int kHelpContext = 100;
const QString kCrLf = QStringLiteral("\r\n");

void toClipboard(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(text);
}

}  // namespace

QString PropertiesRowText(const QString& name, const QString& value) { return name + QStringLiteral(": ") + value; }

frmProperties::frmProperties()
    : lv_(new QTreeWidget(this)),
      k_(new QMenu(this)),
      copyLine_(k_->addAction(QStringLiteral("&Zeile kopieren"))),
      copyAll_(k_->addAction(QStringLiteral("&Alles kopieren"))) {
  setObjectName(QStringLiteral("frmProperties"));
  setWindowTitle(QStringLiteral("Info"));
  setProperty("HelpContextID", kHelpContext);
  setSizeGripEnabled(true);
  lv_->setObjectName(QStringLiteral("LV"));
  lv_->setColumnCount(2);
  lv_->setHeaderLabels({QStringLiteral("Eigenschaft"), QStringLiteral("Wert")});
  lv_->setRootIsDecorated(false);
  lv_->setUniformRowHeights(true);
  lv_->setSelectionMode(QAbstractItemView::SingleSelection);
  lv_->setAllColumnsShowFocus(true);
  lv_->header()->setStretchLastSection(false);
  lv_->setContextMenuPolicy(Qt::PreventContextMenu);
  lv_->viewport()->installEventFilter(this);
  lv_->installEventFilter(this);
  k_->setObjectName(QStringLiteral("k"));
  copyLine_->setObjectName(QStringLiteral("kCopy_Line"));
  copyAll_->setObjectName(QStringLiteral("kCopy_All"));
  connect(copyLine_, &QAction::triggered, this, &frmProperties::kCopy_Line_Click);
  connect(copyAll_, &QAction::triggered, this, &frmProperties::kCopy_All_Click);

  auto* close = new QPushButton(QStringLiteral("&Schließen"), this);
  close->setObjectName(QStringLiteral("cmdClose"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lv_);
  layout->addLayout(buttons);
  resize(420, 300);
  SetFormFont(this);
}

void frmProperties::setCaption(const QString& caption) { setWindowTitle(caption); }

void frmProperties::showModal(QWidget* owner) {
  if (owner) setParent(owner, windowFlags() | Qt::Dialog);
  AutoSizeListViewColumn(lv_, 1, true);
  // Wide enough for the longest value where the screen allows, never narrower than before.
  const int valueWidth = static_cast<QAbstractItemView*>(lv_)->sizeHintForColumn(1);
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const QScreen* screen = (owner ? owner->screen() : nullptr) ? owner->screen() : QGuiApplication::primaryScreen();
  const int largest = screen ? screen->availableGeometry().width() * 3 / 4 : 1000;
  const QMargins around = layout()->contentsMargins();
  const int wanted = lv_->columnWidth(0) + valueWidth + scrollBar + 2 * lv_->frameWidth() + around.left() +
                     around.right() + ui::twipsToPixelsX(60) + 4;
  resize(std::clamp(wanted, width(), std::max(width(), largest)), height());
  FitValueColumn();
  if (lv_->topLevelItemCount() > 0) lv_->setCurrentItem(lv_->topLevelItem(0));
  exec();
}

bool frmProperties::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lv_ && event->type() == QEvent::Resize) {
    FitValueColumn();
  } else if (watched == lv_->viewport() && event->type() == QEvent::MouseButtonRelease) {
    const auto* e = static_cast<QMouseEvent*>(event);
    if (e->button() == Qt::RightButton) {
      k_->popup(e->globalPosition().toPoint());
      return true;
    }
  } else if (watched == lv_ && event->type() == QEvent::ContextMenu) {
    // The menu key of the keyboard opens the menu as well.
    const auto* e = static_cast<QContextMenuEvent*>(event);
    if (e->reason() != QContextMenuEvent::Mouse) k_->popup(e->globalPos());
  }
  return QDialog::eventFilter(watched, event);
}

void frmProperties::FitValueColumn() {
  try {
    FitListViewColumn(lv_, 2, true);
  } catch (...) {
    // Layout only.
  }
}

void frmProperties::kCopy_Line_Click() {
  Command(QStringLiteral("kCopy_Line_Click"), [this] {
    try {
      const QTreeWidgetItem* item = lv_->currentItem();
      if (!item || !item->isSelected()) return;
      toClipboard(PropertiesRowText(item->text(0), item->text(1)));
    } catch (...) {
      // Copying is a convenience; a failure leaves the clipboard as it was.
    }
  });
}

void frmProperties::kCopy_All_Click() {
  Command(QStringLiteral("kCopy_All_Click"), [this] {
    try {
      QString text;
      for (int i = 0; i < lv_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lv_->topLevelItem(i);
        AppendWithSeparator(text, PropertiesRowText(item->text(0), item->text(1)), kCrLf, false);
      }
      toClipboard(text);
    } catch (...) {
      // Copying is a convenience; a failure leaves the clipboard as it was.
    }
  });
}

void frmProperties::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kSource, procedure, command, {}, this);
}

void RegisterPropertiesWindow() {
  SetPropertiesWindowFactory([] { return std::make_unique<frmProperties>(); });
}
