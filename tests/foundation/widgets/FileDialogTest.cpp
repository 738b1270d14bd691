#include "foundation/widgets/FileDialog.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/FileChooser.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chooser = new ScriptedChooser;
    ui::setFileChooser(std::unique_ptr<ui::FileChooser>(chooser));
  }
  void TearDown() override { ui::setFileChooser(nullptr); }
  ScriptedChooser* chooser = nullptr;
  testenv::BoxRecorder boxes;
  FileDialog dialog;
};

const QChar kNul(u'\0');

}  // namespace

TEST(FileDialogFilter, DialogFormAndQtFilters) {
  struct Case {
    QString text;
    QString dialogForm;
    QStringList qt;
  };
  const Case cases[] = {
      {"Textdateien (*.txt)|*.txt",
       QString("Textdateien (*.txt)") + kNul + "*.txt" + kNul + kNul,
       {"Textdateien (*.txt) (*.txt)"}},
      {"Alle Dateien (*.*)|*.*",
       QString("Alle Dateien (*.*)") + kNul + "*.*" + kNul + kNul,
       {"Alle Dateien (*.*) (*)"}},
      // Empty parts are skipped; a description alone gets "*.*".
      {"|Kataloge||*.qvk|Alle|",
       QString("Kataloge") + kNul + "*.qvk" + kNul + "Alle" + kNul + "*.*" + kNul + kNul,
       {"Kataloge (*.qvk)", "Alle (*)"}},
      {"Bilder|*.ico;*.bmp", QString("Bilder") + kNul + "*.ico;*.bmp" + kNul + kNul, {"Bilder (*.ico *.bmp)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    EXPECT_EQ(FileDialog::ParseFilter(c.text), c.dialogForm);
    EXPECT_EQ(FileDialog::QtFilters(c.dialogForm), c.qt);
  }
}

TEST_F(FileDialogTest, OpenAndSaveDefaults) {
  chooser->answer = QStringList{"/daten/a.qvk"};
  EXPECT_EQ(dialog.GetOpenFileName("", "", "", "", nullptr, 0), "/daten/a.qvk");
  EXPECT_EQ(chooser->seen.kind, ui::FileRequest::Kind::Open);
  EXPECT_EQ(chooser->seen.title, "Datei öffnen");
  EXPECT_EQ(chooser->seen.directory, QDir::homePath());
  EXPECT_EQ(chooser->seen.filters, QStringList{"Alle Dateien (*.*) (*)"});
  EXPECT_TRUE(chooser->seen.fileMustExist);
  EXPECT_FALSE(chooser->seen.multiSelect);

  EXPECT_EQ(dialog.GetSaveFileName("/tmp", "neu.qvk", "", "", nullptr, 0), "/daten/a.qvk");
  EXPECT_EQ(chooser->seen.kind, ui::FileRequest::Kind::Save);
  EXPECT_EQ(chooser->seen.title, "Datei speichern");
  EXPECT_EQ(chooser->seen.directory, "/tmp");
  EXPECT_EQ(chooser->seen.fileName, "neu.qvk");
  EXPECT_TRUE(chooser->seen.overwritePrompt);

  // Flags given are used as they are, without the defaults.
  dialog.GetSaveFileName("", "", "Sichern", "", nullptr, FileDialog::OFN_HIDEREADONLY);
  EXPECT_EQ(chooser->seen.title, "Sichern");
  EXPECT_FALSE(chooser->seen.overwritePrompt);
  // A proposed name too long for the dialog is not taken.
  dialog.GetOpenFileName("", QString(513, 'x'), "", "", nullptr, 0);
  EXPECT_EQ(chooser->seen.fileName, "");
  EXPECT_TRUE(boxes->shown.empty());
}

TEST_F(FileDialogTest, CancelMultipleSelectionAndFailure) {
  chooser->answer = std::nullopt;
  EXPECT_EQ(dialog.GetOpenFileName("", "", "", "", nullptr, 0), "");
  EXPECT_TRUE(boxes->shown.empty());

  chooser->answer = QStringList{"/m/a.txt", "/m/b.txt"};
  const int32_t multi = FileDialog::OFN_ALLOWMULTISELECT | FileDialog::OFN_EXPLORER;
  EXPECT_EQ(dialog.GetOpenFileName("", "", "", "", nullptr, multi), QString("/m") + kNul + "a.txt" + kNul + "b.txt");
  EXPECT_TRUE(chooser->seen.multiSelect);
  EXPECT_EQ(dialog.GetOpenFileName("", "", "", "", nullptr, FileDialog::OFN_ALLOWMULTISELECT), "/m/a.txt");

  chooser->fail = true;
  EXPECT_EQ(dialog.GetSaveFileName("", "", "", "", nullptr, 0), "");
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Dialog kaputt.");
  EXPECT_EQ(boxes->shown[0].title, "Error: X_ShowSave");
  EXPECT_EQ(boxes->shown[0].style, ui::kExclamation);
}

TEST_F(FileDialogTest, FolderBrowser) {
  chooser->answer = QStringList{"/"};
  EXPECT_EQ(dialog.BrowseForFolder("", "", nullptr, true), "/");
  EXPECT_EQ(chooser->seen.title, "Ordner wählen");
  EXPECT_EQ(chooser->seen.directory, QDir::homePath());
  chooser->answer = QStringList{"/daten"};
  EXPECT_EQ(dialog.BrowseForFolder("Quelle", "/daten", nullptr, true), "/daten/");
  EXPECT_EQ(dialog.BrowseForFolder("Quelle", "/daten", nullptr, false), "/daten");
  EXPECT_EQ(dialog.BrowseForFolderEx("$", "/daten", nullptr, false, true, "/", true, false), "/daten");
  EXPECT_EQ(chooser->seen.title, "");
  EXPECT_EQ(chooser->seen.rootDirectory, "/");
  chooser->answer = std::nullopt;
  EXPECT_EQ(dialog.BrowseForFolder("", "", nullptr, true), "");
  EXPECT_EQ(dialog.BrowseForFolderEx("", "", nullptr, true, false, "", false, false), "");
  // Failures reach the caller unchanged.
  chooser->fail = true;
  try {
    dialog.BrowseForFolder("", "", nullptr, true);
    FAIL() << "no error";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 5);
    EXPECT_EQ(e.description, "Dialog kaputt.");
  }
}

TEST(FileDialogReal, QtDialogOpensInTheFolderAndReturnsTheTypedName) {
  ui::setFileChooser(nullptr);
  const QString dir = testenv::freshTempDir();
  QFile f(dir + "/katalog.qvk");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  QString seenTitle, seenDir;
  QTimer::singleShot(0, [&] {
    auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    seenTitle = d->windowTitle();
    seenDir = d->directory().absolutePath();
    d->selectFile("katalog.qvk");
    QMetaObject::invokeMethod(d, "accept");
  });
  FileDialog dialog;
  const QString chosen = dialog.GetOpenFileName(dir, "", "Datenbank öffnen", "Kataloge (*.qvk)|*.qvk", nullptr, 0);
  EXPECT_EQ(seenTitle, "Datenbank öffnen");
  EXPECT_EQ(seenDir, QDir(dir).absolutePath());
  EXPECT_EQ(chosen, QDir(dir).absoluteFilePath("katalog.qvk"));
}
