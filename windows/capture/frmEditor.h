#pragma once

// The text window: shows a text, plain or rich (RTF), lets the user edit it when the caller
// allows, open a text file into it, save its plain text and choose its font. Closing it by the
// user hides it, so the caller can still read chkEdited and GetText; the caller unloads it
// (Unload, or by destroying it), which stores its size and place under "Editor".

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QTextEdit;

class frmEditor : public QDialog {
  Q_OBJECT

 public:
  explicit frmEditor(QWidget* parent = nullptr);
  ~frmEditor() override;

  // Caption and text; TextMode 0 takes the text as plain text, any other as RTF (a text that
  // is no RTF shows as it stands).
  void Init(const QString& Text, const QString& Caption, int16_t TextMode);
  // The box's RTF in rich-text mode, else its plain text; empty for an empty box.
  QString GetText() const;
  // 1 once the text changed while the window was visible.
  int chkEdited() const { return chkEdited_; }
  int16_t TextMode() const { return textMode_; }

  // The text box is locked (read-only, selectable) until the caller unlocks it for editing.
  void setLocked(bool locked);
  bool Locked() const;

  // Closes the window for good and stores its position; the destructor does it otherwise.
  void Unload();

  QTextEdit* RichTextBox1() const { return box_; }
  QAction* mFile_Open() const { return open_; }
  QAction* mFile_Save() const { return save_; }
  QAction* mFile_Close() const { return close_; }
  QAction* mEdit_markAll() const { return markAll_; }
  QAction* mFormat_Font() const { return font_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Form_Load();
  void ApplyFont();
  void SetText(const QString& text);
  // Keeps the box's vertical scroll bar up (or lets it show as needed again): see SetText.
  void HoldScrollBar(bool hold);
  void RichTextBox1_Change();
  void mEdit_markAll_Click();
  void mFile_Open_Click();
  void mFile_Save_Click();
  void mFormat_Font_Click();
  // Bold, italic or underline of the selection, as a rich-text box does on its keys.
  void ToggleStyle(int which);
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);

  QTextEdit* box_;
  QAction* open_ = nullptr;
  QAction* save_ = nullptr;
  QAction* close_ = nullptr;
  QAction* markAll_ = nullptr;
  QAction* font_ = nullptr;
  QAction* styles_[3] = {};
  int chkEdited_ = 0;
  int16_t textMode_ = 0;
  bool unloading_ = false;
  bool unloaded_ = false;
};
