#include "windows/capture/frmProperties.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

frmProperties::frmProperties()
    : lv_(new QTreeWidget(this)),
      copy_(new QPushButton(QStringLiteral("&Kopieren"), this)),
      copyAll_(new QPushButton(QStringLiteral("&Alles kopieren"), this)) {
  setObjectName(QStringLiteral("frmProperties"));
  lv_->setObjectName(QStringLiteral("LV"));
  lv_->setColumnCount(2);
  lv_->setHeaderLabels({QStringLiteral("Eigenschaft"), QStringLiteral("Wert")});
  lv_->setRootIsDecorated(false);
  lv_->setUniformRowHeights(true);
  lv_->setSelectionMode(QAbstractItemView::SingleSelection);

  auto* close = new QPushButton(QStringLiteral("&Schließen"), this);
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(copy_, &QPushButton::clicked, this, [this] { ListViewToClipboard(lv_, true); });
  connect(copyAll_, &QPushButton::clicked, this, [this] { ListViewToClipboard(lv_, false); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copy_);
  buttons->addWidget(copyAll_);
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
  if (lv_->topLevelItemCount() > 0) lv_->setCurrentItem(lv_->topLevelItem(0));
  exec();
}

void RegisterPropertiesWindow() {
  SetPropertiesWindowFactory([] { return std::make_unique<frmProperties>(); });
}
