#include "windows/maintenance/frmOptions.h"

#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/TextPrompt.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace {

const QString kName = QStringLiteral("frmOptions");
constexpr int kHelpContext = 90;

// A whole number in 32 bits, blanks around it allowed. A larger one would be cut down on
// storing, so it counts as no number at all.
std::optional<int32_t> wholeNumber(const QString& text) {
  bool ok = false;
  const int32_t v = text.trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

// The tab captions come as one text separated by "|".
QTabWidget* newTabs(QWidget* parent, const QString& captions, const std::vector<QWidget*>& pages) {
  auto* tabs = new QTabWidget(parent);
  const QStringList names = captions.split(QLatin1Char('|'));
  for (size_t i = 0; i < pages.size(); ++i)
    tabs->addTab(pages[i], i < static_cast<size_t>(names.size()) ? names[static_cast<int>(i)] : QString());
  return tabs;
}

QPushButton* newButton(const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  // Enter in a text box must not press a font or arrow button.
  b->setAutoDefault(false);
  return b;
}

}  // namespace

frmOptions::frmOptions(QWidget* owner) : QDialog(owner) {
  setObjectName(kName);
  setWindowTitle(QStringLiteral("Optionen"));
  TabOne1 = newTabs(this, QStringLiteral("&Standard|&Experte"), {BuildStandardTab(), BuildExpertTab()});
  TabOne1->setObjectName(QStringLiteral("TabOne1"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(TabOne1);

  kAutoMemo = new QMenu(this);
  kAutoMemo->setObjectName(QStringLiteral("kAutoMemo"));
  kAutoMemo_Edit[0] = kAutoMemo->addAction(QStringLiteral("&Hinzufügen"));
  kAutoMemo_Edit[1] = kAutoMemo->addAction(QStringLiteral("&Löschen"));
  for (int i = 0; i < 2; ++i)
    connect(kAutoMemo_Edit[i], &QAction::triggered, this, [this, i] { kAutoMemo_Edit_Click(i); });

  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] { fHelpOpen(this, kHelpContext); });

  FormLoad();
}

QWidget* frmOptions::BuildStandardTab() {
  auto* page = new QWidget;

  auto* other = new QGroupBox(QStringLiteral("Sonstige"), page);
  cmbIconMode = new QComboBox(other);
  cmbIconMode->setObjectName(QStringLiteral("cmbIconMode"));
  cmbIconMode->addItem(QStringLiteral("Einfach (Resourcen schonend)"));
  cmbIconMode->addItem(QStringLiteral("Standard (Explorer-Stil)"));
  auto* iconLabel = new QLabel(QStringLiteral("Datei-&Icons"), other);
  iconLabel->setBuddy(cmbIconMode);
  chkExtendedWarnings = new QCheckBox(QStringLiteral("Erweiterte Sicherheitsabfragen"), other);
  chkExtendedWarnings->setObjectName(QStringLiteral("chkExtendedWarnings"));
  chkExtendedWarnings->setToolTip(QStringLiteral("Erweiterte Sicherheitsabfragen anzeigen j/n"));
  chkAutoOpen = new QCheckBox(QStringLiteral("Letzte Datenbank automatisch öffnen"), other);
  chkAutoOpen->setObjectName(QStringLiteral("chkAutoOpen"));
  chkAutoOpen->setToolTip(QStringLiteral("Zuletzt geöffnete Datenbank automatisch öffnen"));
  auto* otherLayout = new QGridLayout(other);
  otherLayout->addWidget(iconLabel, 0, 0);
  otherLayout->addWidget(cmbIconMode, 0, 1);
  otherLayout->addWidget(chkExtendedWarnings, 1, 0, 1, 2);
  otherLayout->addWidget(chkAutoOpen, 2, 0, 1, 2);
  otherLayout->setColumnStretch(1, 1);

  auto* fonts = new QGroupBox(QStringLiteral("Schrift"), page);
  auto* fontLayout = new QGridLayout(fonts);
  const QString captions[3] = {QStringLiteral("Ordnerbaum"), QStringLiteral("Dateiliste"),
                               QStringLiteral("Kategoriebeschreibung")};
  QLabel** labels[3] = {&lblTreeFont, &lblListFont, &lblCatDescFont};
  const char* labelNames[3] = {"lblTreeFont", "lblListFont", "lblCatDescFont"};
  for (int i = 0; i < 3; ++i) {
    btnFont[i] = newButton(QStringLiteral("..."), fonts);
    btnFont[i]->setObjectName(QStringLiteral("btnFont%1").arg(i));
    btnFont[i]->setToolTip(captions[i] + QStringLiteral(": Schrift wählen"));
    connect(btnFont[i], &QPushButton::clicked, this, [this, i] { btnFont_Click(i); });
    *labels[i] = new QLabel(fonts);
    (*labels[i])->setObjectName(QLatin1String(labelNames[i]));
    fontLayout->addWidget(new QLabel(captions[i], fonts), i, 0);
    fontLayout->addWidget(*labels[i], i, 1);
    fontLayout->addWidget(btnFont[i], i, 2);
  }
  fontLayout->setColumnStretch(1, 1);

  auto* memo = new QGroupBox(QStringLiteral("AutoMemo-Dateien"), page);
  lstAutoMemoFiles = new QListWidget(memo);
  lstAutoMemoFiles->setObjectName(QStringLiteral("lstAutoMemoFiles"));
  lstAutoMemoFiles->setToolTip(QStringLiteral("Zum Bearbeiten der Liste bitte rechtsklicken ..."));
  lstAutoMemoFiles->viewport()->installEventFilter(this);
  const QStyle::StandardPixmap arrows[2] = {QStyle::SP_ArrowUp, QStyle::SP_ArrowDown};
  const QString tips[2] = {QStringLiteral("Nach oben"), QStringLiteral("Nach unten")};
  auto* arrowsLayout = new QVBoxLayout;
  for (int i = 0; i < 2; ++i) {
    cmdPos[i] = newButton(QString(), memo);
    cmdPos[i]->setObjectName(QStringLiteral("cmdPos%1").arg(i));
    cmdPos[i]->setIcon(style()->standardIcon(arrows[i]));
    cmdPos[i]->setToolTip(tips[i]);
    connect(cmdPos[i], &QPushButton::clicked, this, [this, i] { cmdPos_Click(i); });
    arrowsLayout->addWidget(cmdPos[i]);
  }
  arrowsLayout->addStretch();
  auto* memoLayout = new QHBoxLayout(memo);
  memoLayout->addWidget(lstAutoMemoFiles);
  memoLayout->addLayout(arrowsLayout);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(other);
  layout->addWidget(fonts);
  layout->addWidget(memo, 1);
  return page;
}

QWidget* frmOptions::BuildExpertTab() {
  auto* page = new QWidget;
  chkExclusive = new QCheckBox(QStringLiteral(" Datenbanken exklusiv öffnen"), page);
  chkExclusive->setObjectName(QStringLiteral("chkExclusive"));
  chkExclusive->setToolTip(
      QStringLiteral("Exklusiv geöffnete DBs können nicht von mehreren Benutzern gleichzeitig geöffnet werden"));

  auto* pause = new QGroupBox(QStringLiteral("Lesepause"), page);
  txtReadingBreakFileCount = new QLineEdit(pause);
  txtReadingBreakFileCount->setObjectName(QStringLiteral("txtReadingBreakFileCount"));
  txtReadingBreakDuration = new QLineEdit(pause);
  txtReadingBreakDuration->setObjectName(QStringLiteral("txtReadingBreakDuration"));
  auto* pauseLayout = new QHBoxLayout(pause);
  pauseLayout->addWidget(new QLabel(QStringLiteral("nach"), pause));
  pauseLayout->addWidget(txtReadingBreakFileCount);
  pauseLayout->addWidget(new QLabel(QStringLiteral("Dateien"), pause));
  pauseLayout->addWidget(txtReadingBreakDuration);
  pauseLayout->addWidget(new QLabel(QStringLiteral("ms Pause"), pause));

  txtMaxLocksPerFile = new QLineEdit(page);
  txtMaxLocksPerFile->setObjectName(QStringLiteral("txtMaxLocksPerFile"));
  auto* locks = new QHBoxLayout;
  locks->addWidget(new QLabel(QStringLiteral("MaxLocksPerFile"), page));
  locks->addWidget(txtMaxLocksPerFile);

  for (QLineEdit* box : {txtReadingBreakFileCount, txtReadingBreakDuration, txtMaxLocksPerFile})
    box->installEventFilter(this);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(chkExclusive);
  layout->addWidget(pause);
  layout->addLayout(locks);
  layout->addStretch();
  return page;
}

// Every step on its own: a failing one leaves the rest of the window usable.
void frmOptions::FormLoad() {
  const auto step = [](const auto& body) {
    try {
      body();
    } catch (...) {
    }
  };
  step([this] { SetFormFont(this); });
  TabOne1->setCurrentIndex(0);
  if (!gOptions) return;
  step([this] {
    lstAutoMemoFiles->addItems(gOptions->AutoMemoCol());
    if (lstAutoMemoFiles->count() > 0) lstAutoMemoFiles->setCurrentRow(0);
  });
  chkAutoOpen->setChecked(gOptions->AutoOpen());
  chkExtendedWarnings->setChecked(gOptions->ExtendedWarnings());
  chkExclusive->setChecked(gOptions->Exclusive());
  txtMaxLocksPerFile->setText(QString::number(gOptions->MaxLocksPerFile));
  txtReadingBreakDuration->setText(QString::number(gOptions->ReadingBreakDuration()));
  txtReadingBreakFileCount->setText(QString::number(gOptions->ReadingBreakFiles()));
  RefreshFontLabels();
  cmbIconMode->setItemData(0, 0);
  cmbIconMode->setItemData(1, 1);
  // A stored mode without an entry leaves nothing selected, and unloading then keeps it.
  cmbIconMode->setCurrentIndex(-1);
  step([this] { ListSelectItem(cmbIconMode, gOptions->IconMode(), 0); });
}

void frmOptions::RefreshFontLabels() {
  if (!gOptions) return;
  lblTreeFont->setText(gOptions->TreeFontname() + QStringLiteral(", ") + gOptions->TreeFontsize());
  lblListFont->setText(gOptions->ListFontname() + QStringLiteral(", ") + gOptions->ListFontsize());
  lblCatDescFont->setText(gOptions->CatDescFontname() + QStringLiteral(", ") + gOptions->CatDescFontsize());
}

void frmOptions::btnFont_Click(int index) {
  Command(QStringLiteral("btnFont_Click"), [this, index] {
    QString name;
    QString size;
    switch (index) {
      case 0:
        name = gOptions->TreeFontname();
        size = gOptions->TreeFontsize();
        break;
      case 1:
        name = gOptions->ListFontname();
        size = gOptions->ListFontsize();
        break;
      default:
        name = gOptions->CatDescFontname();
        size = gOptions->CatDescFontsize();
        break;
    }
    int16_t points = static_cast<int16_t>(size.toInt());
    bool bold = false;
    bool italic = false;
    uint32_t colour = 0;
    bool underline = false;
    bool strikeOut = false;
    if (!ShowFontDialog(this, name, points, bold, italic, colour, underline, strikeOut, 8, 72, false)) return;
    const QString chosenSize = QString::number(points);
    switch (index) {
      case 0:
        gOptions->setTreeFontname(name);
        gOptions->setTreeFontsize(chosenSize);
        break;
      case 1:
        gOptions->setListFontname(name);
        gOptions->setListFontsize(chosenSize);
        break;
      default:
        gOptions->setCatDescFontname(name);
        gOptions->setCatDescFontsize(chosenSize);
        break;
    }
    RefreshFontLabels();
    if (gfrmMain) gfrmMain->pubRefreshFonts();
  });
}

void frmOptions::lstAutoMemoFiles_MouseUp(const QPoint& globalPos) {
  kAutoMemo_Edit[1]->setEnabled(lstAutoMemoFiles->currentRow() >= 0 && lstAutoMemoFiles->currentItem()->isSelected());
  kAutoMemo->popup(globalPos);
}

void frmOptions::kAutoMemo_Edit_Click(int index) {
  Command(QStringLiteral("kAutoMemo_Edit_Click"), [this, index] {
    try {
      if (index == 0)
        AutoMemoAdd();
      else
        AutoMemoDelete();
    } catch (...) {
    }
  });
}

void frmOptions::AutoMemoAdd() {
  ui::TextPromptRequest request;
  request.owner = this;
  request.prompt = gErr->MsgLoad(kMsgEnterFileName);
  request.title = gErr->MsgLoad(kMsgProgramTitle);
  const std::optional<QString> answer = ui::textPrompter().ask(request);
  // The names are stored joined by "|" and read back trimmed: blanks around a name would be
  // lost and a "|" would split it in two.
  const QString name = answer ? answer->trimmed() : QString();
  if (name.isEmpty()) return;
  if (name.contains(QLatin1Char('|'))) {
    gErr->MsgShow(0, ui::kExclamation, rt::Null, rt::Null,
                  QStringLiteral("Ein Dateiname darf das Zeichen '|' nicht enthalten."));
    return;
  }
  for (int i = 0; i < lstAutoMemoFiles->count(); ++i) {
    if (lstAutoMemoFiles->item(i)->text().compare(name, Qt::CaseInsensitive) == 0) {
      gErr->MsgShow(kMsgDuplicateEntry, ui::kExclamation, name);
      return;
    }
  }
  lstAutoMemoFiles->addItem(name);
  lstAutoMemoFiles->setCurrentRow(lstAutoMemoFiles->count() - 1);
}

void frmOptions::AutoMemoDelete() {
  const int row = lstAutoMemoFiles->currentRow();
  if (row < 0 || !lstAutoMemoFiles->currentItem()->isSelected()) {
    gErr->MsgShow(kMsgSelectEntry, ui::kExclamation);
    return;
  }
  const QString name = lstAutoMemoFiles->item(row)->text();
  if (gErr->MsgShow(kMsgDeleteEntry, ui::kYesNo + ui::kQuestion + ui::kDefaultButton2, name) != ui::kAnswerYes) return;
  delete lstAutoMemoFiles->takeItem(row);
  if (lstAutoMemoFiles->count() > 0) lstAutoMemoFiles->setCurrentRow(0);
}

void frmOptions::cmdPos_Click(int index) {
  Command(QStringLiteral("cmdPos_Click"), [this, index] {
    const int row = lstAutoMemoFiles->currentRow();
    if (row < 0 || !lstAutoMemoFiles->currentItem()->isSelected()) return;
    const int target = index == 0 ? row - 1 : row + 1;
    if (target < 0 || target >= lstAutoMemoFiles->count()) return;
    QListWidgetItem* item = lstAutoMemoFiles->takeItem(row);
    lstAutoMemoFiles->insertItem(target, item);
    lstAutoMemoFiles->setCurrentRow(target);
  });
}

bool frmOptions::ValidateNumber(QLineEdit* box) {
  if (box->text().isEmpty()) {
    box->setText(QStringLiteral("0"));
    return true;
  }
  if (wholeNumber(box->text())) return true;
  gErr->MsgShow(kMsgNotNumeric, ui::kExclamation);
  return false;
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lstAutoMemoFiles->viewport() && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) lstAutoMemoFiles_MouseUp(mouse->globalPosition().toPoint());
    return false;
  }
  if (event->type() == QEvent::FocusOut && !validating_) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    // The focus leaves for another window (the message box itself, a menu): no validation.
    if (box && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      validating_ = true;
      const bool ok = ValidateNumber(box);
      validating_ = false;
      if (!ok) {
        // The focus stays until the box holds a number or is emptied.
        QTimer::singleShot(0, box, [box] {
          box->setFocus(Qt::OtherFocusReason);
          box->selectAll();
        });
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void frmOptions::done(int result) {
  FormUnload();
  QDialog::done(result);
}

// Each option on its own, in a fixed order; a failing one does not keep the later ones back.
void frmOptions::FormUnload() {
  if (unloaded_ || !gOptions) return;
  unloaded_ = true;
  const auto step = [](const auto& body) {
    try {
      body();
    } catch (...) {
    }
  };
  // A box emptied without leaving it counts as emptied and left.
  for (QLineEdit* box : {txtReadingBreakFileCount, txtReadingBreakDuration, txtMaxLocksPerFile})
    if (box->text().isEmpty()) box->setText(QStringLiteral("0"));
  step([this] {
    QStringList names;
    for (int i = 0; i < lstAutoMemoFiles->count(); ++i) names << lstAutoMemoFiles->item(i)->text();
    gOptions->setAutoMemo(names.join(QLatin1Char('|')));
  });
  gOptions->setAutoOpen(chkAutoOpen->isChecked());
  gOptions->setExtendedWarnings(chkExtendedWarnings->isChecked());
  step([this] {
    if (cmbIconMode->currentIndex() < 0) return;
    const int32_t mode = cmbIconMode->currentData().toInt();
    if (mode == gOptions->IconMode()) return;
    gOptions->setIconMode(mode);
    if (gfrmMain && gfrmMain->FolderPaneShowsFolder()) gfrmMain->ShowPath();
  });
  step([this] {
    const std::optional<int32_t> locks = wholeNumber(txtMaxLocksPerFile->text());
    if (!locks || *locks == gOptions->MaxLocksPerFile) return;
    gOptions->MaxLocksPerFile = *locks;
    gErr->MsgShow(kMsgRestart, ui::kInformation, QStringLiteral("MaxLocksPerFile"));
  });
  if (const auto v = wholeNumber(txtReadingBreakDuration->text()); v && *v != gOptions->ReadingBreakDuration())
    gOptions->setReadingBreakDuration(*v);
  if (const auto v = wholeNumber(txtReadingBreakFileCount->text()); v && *v != gOptions->ReadingBreakFiles())
    gOptions->setReadingBreakFiles(*v);
  gOptions->setExclusive(chkExclusive->isChecked());
}

void frmOptions::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kName, procedure, command, {}, this);
}
