#pragma once

// The program's help window: the pages of a compiled help file in a browser, with the
// contents beside them and a filter over the topic titles. Links inside the file are followed
// here; other addresses open with their associated program.

#include "foundation/widgets/ChmArchive.h"

#include <QTextBrowser>
#include <QWidget>

#include <cstdint>
#include <memory>

class QLineEdit;
class QListWidget;

class HelpBrowser : public QTextBrowser {
 public:
  explicit HelpBrowser(const ChmArchive& archive, QWidget* parent = nullptr);
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  const ChmArchive& archive_;
};

class HelpWindow : public QWidget {
 public:
  static constexpr const char* kScheme = "zxhelp";

  // The one help window of the program (created on first use).
  static HelpWindow& instance();
  // The help window when one exists, else nullptr.
  static HelpWindow* existing();

  // Opens a help file; false when it cannot be read.
  bool openFile(const QString& path);
  QString filePath() const { return archive_.path(); }
  bool showTopic(const QString& objectPath);
  bool showStartPage();
  bool showContext(int32_t context);
  void setFilter(const QString& keyword);

  QString currentTopic() const;
  QString pageText() const;
  HelpBrowser* browser() const { return browser_; }
  QListWidget* contents() const { return contents_; }
  // Non-zero identifier of this window, the "handle" callers receive.
  int32_t handle() const { return handle_; }

 protected:
  bool event(QEvent* e) override;

 private:
  HelpWindow();
  // A modal window blocks every window but its own: the help window joins the newest one, so
  // that it stays usable beside the dialog it was asked from, as a desktop help window does,
  // and the next one when that closes.
  void joinModalWindow();
  void loadContents();
  void present();

  ChmArchive archive_;
  HelpBrowser* browser_ = nullptr;
  QListWidget* contents_ = nullptr;
  QLineEdit* filter_ = nullptr;
  int32_t handle_ = 0;
  QMetaObject::Connection joinedGone_;
};
