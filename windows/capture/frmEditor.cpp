#include "windows/capture/frmEditor.h"

#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZFramework.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/widgets/FileDialog.h"
#include "foundation/widgets/RichText.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/cuFormPos.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/ui/widgets/FormRegistry.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QString kSource = QStringLiteral("frmEditor");
constexpr int kHelpContext = 40;
constexpr int kSmallestFontSize = 8;
constexpr int kLargestFontSize = 72;

QAction* NewItem(QMenu* menu, const char* name, const QString& caption) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

}  // namespace

frmEditor::frmEditor(QWidget* parent) : QDialog(parent), box_(new QTextEdit(this)) {
  setObjectName(QStringLiteral("frmEditor"));
  setProperty("HelpContextID", kHelpContext);
  setSizeGripEnabled(true);
  box_->setObjectName(QStringLiteral("RichTextBox1"));
  box_->setTabChangesFocus(false);

  auto* bar = new QMenuBar(this);
  QMenu* file = bar->addMenu(QStringLiteral("&Datei"));
  file->setObjectName(QStringLiteral("mFile"));
  open_ = NewItem(file, "mFile_Open", QStringLiteral("&Datei öffnen"));
  file->addSeparator();
  save_ = NewItem(file, "mFile_Save", QStringLiteral("S&peichern unter ..."));
  file->addSeparator();
  close_ = NewItem(file, "mFile_Close", QStringLiteral("&Schließen"));
  QMenu* edit = bar->addMenu(QStringLiteral("&Bearbeiten"));
  edit->setObjectName(QStringLiteral("mEdit"));
  markAll_ = NewItem(edit, "mEdit_markAll", QStringLiteral("Alles &markieren"));
  QMenu* format = bar->addMenu(QStringLiteral("&Format"));
  format->setObjectName(QStringLiteral("mFormat"));
  font_ = NewItem(format, "mFormat_Font", QStringLiteral("&Schriftart ..."));

  connect(open_, &QAction::triggered, this, &frmEditor::mFile_Open_Click);
  connect(save_, &QAction::triggered, this, &frmEditor::mFile_Save_Click);
  connect(close_, &QAction::triggered, this, &QWidget::hide);
  connect(markAll_, &QAction::triggered, this, &frmEditor::mEdit_markAll_Click);
  connect(font_, &QAction::triggered, this, &frmEditor::mFormat_Font_Click);
  connect(box_, &QTextEdit::textChanged, this, &frmEditor::RichTextBox1_Change);

  // The keys of a rich-text box for the style of the selection; off in plain-text mode.
  const QKeySequence keys[3] = {QKeySequence::Bold, QKeySequence::Italic, QKeySequence::Underline};
  for (int i = 0; i < 3; ++i) {
    styles_[i] = new QAction(box_);
    styles_[i]->setShortcut(keys[i]);
    styles_[i]->setShortcutContext(Qt::WidgetShortcut);
    styles_[i]->setEnabled(false);
    box_->addAction(styles_[i]);
    connect(styles_[i], &QAction::triggered, this, [this, i] { ToggleStyle(i); });
  }

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(bar);
  layout->addWidget(box_);
  resize(640, 480);
  setLocked(true);
  ui::registerForm(this);
  Form_Load();
}

frmEditor::~frmEditor() {
  if (!unloaded_) Unload();
}

void frmEditor::Form_Load() {
  SetFormFont(this);
  try {
    if (gFormPos) gFormPos->AddForm(this, QStringLiteral("Editor"), 3);
  } catch (...) {
    // A position that cannot be restored leaves the window where it is.
  }
  ApplyFont();
}

void frmEditor::ApplyFont() {
  try {
    if (!gOptions) return;
    QFont f = box_->font();
    f.setFamily(gOptions->EditorFontname());
    const int size = gOptions->EditorFontsize().toInt();
    if (size > 0) f.setPointSize(size);
    f.setBold(gOptions->EditorFontBold());
    f.setItalic(gOptions->EditorFontItalic());
    box_->setFont(f);
  } catch (...) {
    // The font is cosmetic.
  }
}

void frmEditor::Init(const QString& Text, const QString& Caption, int16_t TextMode) {
  setWindowTitle(Caption);
  textMode_ = TextMode;
  const bool rich = TextMode != 0;
  box_->setAcceptRichText(rich);
  for (QAction* a : styles_) a->setEnabled(rich);
  SetText(Text);
}

void frmEditor::SetText(const QString& text) {
  // The box lays its whole text out anew whenever its width changes, and the scroll bar that a
  // long text brings up changes it: a long paragraph was laid out twice on every opening. With
  // the bar held up until the text is in and shown, a long text is laid out once, at the width
  // it keeps; a short one gets a second, cheap layout when the bar goes.
  HoldScrollBar(true);
  if (textMode_ != 0) {
    RtfToDocument(text, *box_->document());
  } else {
    box_->setPlainText(text);
  }
  box_->moveCursor(QTextCursor::Start);
  // A hidden box lays its text out when the window shows.
  if (isVisible()) HoldScrollBar(false);
}

void frmEditor::HoldScrollBar(bool hold) {
  const Qt::ScrollBarPolicy policy = hold ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded;
  // Set again, the same policy would lay the box out anew.
  if (box_->verticalScrollBarPolicy() != policy) box_->setVerticalScrollBarPolicy(policy);
}

QString frmEditor::GetText() const {
  // An emptied box gives no text, also no RTF frame around nothing: an empty memo is none.
  if (box_->toPlainText().isEmpty()) return QString();
  return textMode_ != 0 ? DocumentToRtf(*box_->document()) : box_->toPlainText();
}

void frmEditor::setLocked(bool locked) {
  box_->setReadOnly(locked);
  // Locked text is still read, selected and copied with the keyboard.
  if (locked) box_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

bool frmEditor::Locked() const { return box_->isReadOnly(); }

void frmEditor::Unload() {
  if (unloaded_) return;
  unloading_ = true;
  ui::unloadForm(this);
  unloaded_ = true;
}

void frmEditor::closeEvent(QCloseEvent* event) {
  if (unloading_) {
    event->accept();
    return;
  }
  // The user's close keeps the window for its caller.
  event->ignore();
  hide();
}

void frmEditor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The box has its size and its text laid out by now.
  HoldScrollBar(false);
}

void frmEditor::keyPressEvent(QKeyEvent* event) {
  // Esc is no command of this window (a dialog would close on it).
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void frmEditor::RichTextBox1_Change() {
  if (isVisible()) chkEdited_ = 1;
}

void frmEditor::mEdit_markAll_Click() {
  Command(QStringLiteral("markAll"), [this] {
    if (!box_->document()->isEmpty()) box_->selectAll();
  });
}

void frmEditor::ToggleStyle(int which) {
  Command(QStringLiteral("ToggleStyle"), [this, which] {
    if (box_->isReadOnly()) return;
    QTextCharFormat change;
    switch (which) {
      case 0:
        change.setFontWeight(box_->fontWeight() >= QFont::Bold ? QFont::Normal : QFont::Bold);
        break;
      case 1:
        change.setFontItalic(!box_->fontItalic());
        break;
      default:
        change.setFontUnderline(!box_->fontUnderline());
        break;
    }
    box_->mergeCurrentCharFormat(change);
  });
}

void frmEditor::mFile_Open_Click() {
  Command(QStringLiteral("FileOpen"), [this] {
    const QString filter = textMode_ != 0 && gOptions ? gOptions->EditorFileFilter() : gErr->MsgLoad(kMsgTextFilter);
    const QString path =
        FileDialog().GetOpenFileName(QString(), QString(), gErr->MsgLoad(kMsgOpenTitle), filter, this, 0);
    if (path.isEmpty()) return;
    SetText(ReadTextFile(path, false, false));
  });
}

void frmEditor::mFile_Save_Click() {
  Command(QStringLiteral("Save_Click"), [this] {
    // The empty start folder is the user's home, where the program's "c:\" points.
    const QString path =
        FileDialog().GetSaveFileName(QString(), QString(), QStringLiteral("Geben Sie den Ausgabedateinamen an"),
                                     QStringLiteral("Textdateien (*.txt)|*.txt"), this, 0);
    if (path.isEmpty()) return;
    // Also in rich-text mode the file gets the plain text only.
    File_Put(path, box_->toPlainText(), 0, true);
  });
}

void frmEditor::mFormat_Font_Click() {
  Command(QStringLiteral("Font_Click"), [this] {
    const QFont current = box_->font();
    QString name = current.family();
    int16_t size = static_cast<int16_t>(current.pointSize() > 0 ? current.pointSize() : 10);
    bool bold = current.bold();
    bool italic = current.italic();
    uint32_t colour = 0;
    bool underline = false;
    bool strikeOut = false;
    if (!ShowFontDialog(this, name, size, bold, italic, colour, underline, strikeOut, kSmallestFontSize,
                        kLargestFontSize, false))
      return;
    if (!gOptions) return;
    gOptions->setEditorFontBold(bold);
    gOptions->setEditorFontItalic(italic);
    gOptions->setEditorFontname(name);
    gOptions->setEditorFontsize(QString::number(size));
    ApplyFont();
  });
}

void frmEditor::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kSource, procedure, command, {}, this);
}
