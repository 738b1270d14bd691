#include "WalkerTestSupport.h"
#include "WizardFixture.h"
#include "catalogue/mdlCommand_volumes.h"
#include "foundation/mdlQZLib51_drives.h"
#include "platform/volumes/VolumeSystem.h"
#include "tests/platform/volumes/FakeSystem.h"
#include "tests/support/TestHelpers.h"
#include "windows/capture/frmVolumeNew.h"
#include "windows/capture/frmVolumeNewPre.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

namespace {

// A small medium: two folders, three files.
QString smallMedium(const QString& base) {
  const QByteArray root = (base + QStringLiteral("/Medium")).toUtf8();
  walktest::makeDir(root);
  walktest::makeDir(root + "/sub");
  walktest::writeFile(root + "/a.txt", 10);
  walktest::writeFile(root + "/sub/b.txt", 20);
  walktest::writeFile(root + "/sub/c.txt", 30);
  return QString::fromUtf8(root);
}

TEST_F(WizardTest, PagesButtonsAndFocus) {
  frmVolumeNew w;
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  EXPECT_EQ(w.CurrentPage(), 0);
  const struct {
    QString next;
    bool previous;
    QWidget* focus;
  } pages[] = {{QStringLiteral("&Weiter"), false, w.cmdBrowse()},
               {QStringLiteral("&Weiter"), true, w.VolumeName()},
               {QStringLiteral("&Weiter"), true, w.Memo()},
               {QStringLiteral("&Speichern"), true, nullptr}};
  auto expectPage = [&](int i, bool focus = true) {
    SCOPED_TRACE(i);
    EXPECT_EQ(w.CurrentPage(), i);
    for (int p = 0; p < frmVolumeNew::kPages; ++p) EXPECT_EQ(w.fraPage(p)->isVisible(), p == i);
    EXPECT_EQ(w.cmdNext()->text(), pages[i].next);
    EXPECT_EQ(w.cmdPrevious()->isEnabled(), pages[i].previous);
    if (focus && pages[i].focus) {
      EXPECT_EQ(QApplication::focusWidget(), pages[i].focus);
    }
  };
  expectPage(0, false);
  for (int i = 1; i < frmVolumeNew::kPages; ++i) {
    QTest::mouseClick(w.cmdNext(), Qt::LeftButton);
    expectPage(i);
  }
  for (int i = frmVolumeNew::kPages - 2; i >= 0; --i) {
    QTest::mouseClick(w.cmdPrevious(), Qt::LeftButton);
    expectPage(i);
  }
  w.GotoPage(4);
  w.GotoPage(-1);
  expectPage(0);
  // The three buttons side by side without gaps, centred as a group.
  const int left = w.cmdPrevious()->geometry().left();
  EXPECT_EQ(w.cmdNext()->geometry().left(), w.cmdPrevious()->geometry().right() + 1);
  EXPECT_EQ(w.cmdCancel()->geometry().left(), w.cmdNext()->geometry().right() + 1);
  const int right = w.cmdPrevious()->parentWidget()->width() - w.cmdCancel()->geometry().right() - 1;
  EXPECT_LE(std::abs(left - right), 1);
  // Enter in the name does not save, and no button takes it.
  w.GotoPage(1);
  QTest::keyClick(w.VolumeName(), Qt::Key_Return);
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.CurrentPage(), 1);
}

TEST_F(WizardTest, FolderChosenFillsThePathAndTheFactsOfItsDrive) {
  const QString medium = smallMedium(dir);
  frmVolumeNew w;
  chooser->answers = {medium};
  ASSERT_TRUE(w.pubGetPath());
  ASSERT_EQ(chooser->requests.size(), 1u);
  EXPECT_EQ(chooser->requests[0].kind, ui::FileRequest::Kind::Folder);
  EXPECT_EQ(chooser->requests[0].title, QStringLiteral("Wählen Sie den Pfad des Volumes"));
  // Nothing read before: the home folder.
  EXPECT_EQ(chooser->requests[0].directory, QDir::homePath() + QLatin1Char('/'));
  EXPECT_EQ(w.VolumePath()->text(), medium + QLatin1Char('/'));
  const DriveInfoRec info = DriveInfo(medium + QLatin1Char('/'));
  EXPECT_EQ(w.VolumeSerial()->text(), info.VolumeSerial);
  EXPECT_FALSE(w.VolumeSerial()->text().isEmpty());
  EXPECT_EQ(w.VolumeLabel()->text(), info.VolumeLabel);
  EXPECT_EQ(w.VolumeType(), QString::number(info.VolumeType));
  EXPECT_EQ(w.VolumeTypeString()->text(), info.VolumeTypeString);
  EXPECT_EQ(w.Computername()->text(), info.Computername);
  // A folder below its drive's root leaves the name to the user.
  EXPECT_EQ(w.VolumeName()->text(), QString());
  // The root of that drive is where the next choice starts.
  EXPECT_EQ(gLastReadPath, GetDriveSpec(medium));
  // Page 0 is filled by the chooser only: a typed path would skip the checks.
  EXPECT_TRUE(w.VolumePath()->isReadOnly());

  // Cancelled: false, and page 0 keeps what it had.
  chooser->answers = {QString()};
  EXPECT_FALSE(w.pubGetPath());
  EXPECT_EQ(w.VolumePath()->text(), medium + QLatin1Char('/'));
  // A last folder that is gone: the home folder again.
  gLastReadPath = dir + QStringLiteral("/weg/");
  chooser->answers = {QString()};
  EXPECT_FALSE(w.pubGetPath());
  EXPECT_EQ(chooser->requests.back().directory, QDir::homePath() + QLatin1Char('/'));
  EXPECT_TRUE(boxes->shown.empty());
}

TEST_F(WizardTest, SourceChooserComesFirstWhenThereAreOpticalDrives) {
  const QString medium = smallMedium(dir);
  gCDDrives = {medium + QLatin1Char('/'), QStringLiteral("/media/dvd/")};
  const struct {
    std::function<void(frmVolumeNewPre&)> act;
    bool taken;
    size_t browserRequests;
  } cases[] = {
      {[](frmVolumeNewPre& c) { QTest::keyClick(c.lstCD(), Qt::Key_Escape); }, false, 0},
      {[](frmVolumeNewPre& c) { QTest::mouseClick(c.cmdChoosePath(), Qt::LeftButton); }, true, 1},
      {[](frmVolumeNewPre& c) { QTest::mouseClick(c.cmdCD(), Qt::LeftButton); }, true, 0},
  };
  for (const auto& c : cases) {
    chooser->requests.clear();
    chooser->answers = {medium + QStringLiteral("/sub")};
    frmVolumeNew w;
    QTimer::singleShot(0, [&] {
      auto* pre = qobject_cast<frmVolumeNewPre*>(QApplication::activeModalWidget());
      ASSERT_NE(pre, nullptr);
      EXPECT_EQ(pre->parentWidget(), &w);
      c.act(*pre);
    });
    EXPECT_EQ(w.pubGetPath(), c.taken);
    EXPECT_EQ(chooser->requests.size(), c.browserRequests);
    if (c.taken)
      EXPECT_EQ(w.VolumePath()->text(),
                c.browserRequests ? medium + QStringLiteral("/sub/") : medium + QLatin1Char('/'));
    else
      EXPECT_EQ(w.VolumePath()->text(), QString());
  }
}

// A drive whose disc is not mounted shows as its device: that is refused, not read as a folder.
TEST_F(WizardTest, DriveWithoutItsDiscIsRefused) {
  const QString device = dir + QStringLiteral("/sr9");
  testenv::writeFile(device, QByteArray());
  gCDDrives = {device};
  frmVolumeNew w;
  QTimer::singleShot(0, [] {
    if (auto* pre = qobject_cast<frmVolumeNewPre*>(QApplication::activeModalWidget()))
      QTest::mouseClick(pre->cmdCD(), Qt::LeftButton);
  });
  EXPECT_FALSE(w.pubGetPath());
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, QStringLiteral("Stellen Sie sicher, dass das Volume '%1' verfügbar ist bzw. dass "
                                                 "Zugriff darauf besteht.")
                                      .arg(device));
  EXPECT_EQ(w.VolumePath()->text(), QString());
  EXPECT_TRUE(chooser->requests.empty());
}

// The root of a medium labelled MEINE CD is offered as "Meine Cd"; a folder below it is not.
TEST_F(WizardTest, DriveRootIsNamedAfterItsLabel) {
  const QString medium = smallMedium(dir);
  volumes::SystemRoots roots = fakesys::build();
  roots.pathsMustExist = true;
  {
    QFile info(roots.mountInfo);
    ASSERT_TRUE(info.open(QIODevice::Append));
    info.write(QStringLiteral("40 1 8:33 / %1 rw - vfat /dev/sdc1 rw\n").arg(medium).toUtf8());
  }
  ASSERT_TRUE(QFile::link(QStringLiteral("../../sdc1"), roots.devRoot + QStringLiteral("/disk/by-label/MEINE\\x20CD")));
  const volumes::SystemRoots saved = volumes::defaultRoots();
  volumes::setDefaultRoots(roots);
  {
    auto root = wizardFor(medium);
    EXPECT_EQ(root->VolumeLabel()->text(), QStringLiteral("MEINE CD"));
    EXPECT_EQ(root->VolumeName()->text(), QStringLiteral("Meine Cd"));
    EXPECT_EQ(root->VolumeTypeString()->text(), QStringLiteral("Wechselmedium"));
    EXPECT_EQ(root->Computername()->text(), QStringLiteral("-"));
    EXPECT_EQ(gLastReadPath, medium + QLatin1Char('/'));
    auto below = wizardFor(medium + QStringLiteral("/sub"));
    EXPECT_EQ(below->VolumeLabel()->text(), QStringLiteral("MEINE CD"));
    EXPECT_EQ(below->VolumeName()->text(), QString());
  }
  volumes::setDefaultRoots(saved);
}

// The same medium and path again: the stored volume is named and the user decides. Refused
// from the browse button, page 0 goes back to the path it had.
TEST_F(WizardTest, AlreadyCataloguedPathIsAsked) {
  const QString medium = smallMedium(dir);
  const QString other = dir + QStringLiteral("/Anderes");
  QDir().mkpath(other);
  const QString serial = DriveInfo(medium).VolumeSerial;
  gDB->DB()->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeSerial, VolumeType, "
                                    "EditDate) VALUES (4, 'Alt', ?, ?, 3, 40000)"),
                     0, {rt::Variant(medium + QLatin1Char('/')), rt::Variant(serial)});
  for (const int answer : {ui::kAnswerNo, ui::kAnswerYes}) {
    boxes->shown.clear();
    auto w = wizardFor(other);
    boxes->script(answer);
    chooser->answers = {medium};
    w->cmdBrowse()->click();
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].style, ui::kYesNo + ui::kCritical + ui::kDefaultButton2);
    EXPECT_EQ(
        boxes->shown[0].text,
        QStringLiteral("Es ist ein Konflikt aufgetreten:\r\n\r\nDas aktuelle Medium hat die Datenträger-ID '%1'.\r\n"
                       "In der Datenbank ist bereits ein Volume ('Alt') mit der gleichen Datenträger-ID und dem "
                       "gleichen Pfad ('%2/') gespeichert.\r\n\r\nMöchten Sie das Volume dennoch einlesen?")
            .arg(serial, medium));
    EXPECT_EQ(w->VolumePath()->text(), (answer == ui::kAnswerYes ? medium : other) + QLatin1Char('/'));
  }
}

// A medium whose folder name is Windows-1252 on disk was catalogued under its text: choosing
// that text again finds the folder and its drive, so the stored volume is recognised.
TEST_F(WizardTest, AWindows1252FolderIsRecognisedUnderItsCataloguedText) {
  const QByteArray raw = QFile::encodeName(dir) + "/Medium-\xe9";
  const testenv::RawFolderRemover removeAll{raw};
  walktest::makeDir(raw);
  walktest::writeFile(raw + "/a.txt", 10);
  const QString medium = dir + QStringLiteral("/Medium-é");
  const QString serial = DriveInfo(dir).VolumeSerial;
  ASSERT_FALSE(serial.isEmpty());
  gDB->DB()->Execute(QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeSerial, VolumeType, "
                                    "EditDate) VALUES (4, 'Alt', ?, ?, 3, 40000)"),
                     0, {rt::Variant(medium + QLatin1Char('/')), rt::Variant(serial)});
  frmVolumeNew w;
  boxes->script(ui::kAnswerYes);
  chooser->answers = {medium};
  EXPECT_TRUE(w.pubGetPath());
  EXPECT_EQ(w.VolumeSerial()->text(), serial);
  ASSERT_EQ(boxes->shown.size(), 1u) << boxTexts().join(" | ").toStdString();
  EXPECT_TRUE(boxes->shown[0].text.contains(
      QStringLiteral("bereits ein Volume ('Alt') mit der gleichen Datenträger-ID und dem gleichen Pfad ('%1/')")
          .arg(medium)))
      << boxes->shown[0].text.toStdString();
  EXPECT_EQ(w.VolumePath()->text(), medium + QLatin1Char('/'));
}

TEST_F(WizardTest, NameIsCheckedBeforeThePathAndNothingIsSaved) {
  frmVolumeNew w;
  w.show();
  saveWith(w);
  ASSERT_EQ(boxTexts(), QStringList{QStringLiteral("Bitte geben Sie den Volumenamen an.")});
  EXPECT_EQ(boxes->shown[0].style, ui::kExclamation);
  EXPECT_EQ(w.CurrentPage(), 1);
  EXPECT_EQ(w.focusWidget(), w.VolumeName());
  boxes->shown.clear();
  w.VolumeName()->setText(QStringLiteral("Name"));
  saveWith(w);
  ASSERT_EQ(boxTexts(), QStringList{QStringLiteral("Bitte geben Sie den Pfad des Volumes an.")});
  EXPECT_EQ(w.CurrentPage(), 0);
  EXPECT_EQ(volumeRows(), 0);
  EXPECT_TRUE(w.isVisible());
}

TEST_F(WizardTest, SavedRowHoldsTheEntriesAndNullForWhatIsEmpty) {
  gDB->DB()->Execute(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (3, 'Keller'), (5, 'Büro')"));
  gDB->DB()->Execute(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (7, 'Fotos')"));
  const struct {
    QString description, memo;
    bool emptyFacts;
    int32_t category;
    int location;  // lID chosen, 0 "(Keiner)"
  } cases[] = {{QString(), QString(), true, 0, 0},
               {QStringLiteral("Kurz"), QStringLiteral("Zeile 1\nZeile 2"), false, 7, 5},
               {QStringLiteral("O'Brien | 50%"), QString(), false, -1, 3}};
  int32_t vid = 0;
  for (const auto& c : cases) {
    boxes->shown.clear();
    const QString medium = smallMedium(testenv::freshTempDir());
    auto w = wizardFor(medium);
    w->show();
    w->setPubInit(c.category);
    w->VolumeName()->setText(QStringLiteral(" Urlaub 2003 "));
    w->Description()->setText(c.description);
    w->Memo()->setPlainText(c.memo);
    if (c.emptyFacts)
      for (QLineEdit* e : {w->VolumeSerial(), w->VolumeLabel(), w->Computername()}) e->clear();
    w->cmbLoc()->setCurrentIndex(w->cmbLoc()->findData(c.location));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    saveWith(*w);
    ++vid;
    ASSERT_EQ(w->pubGetVID(), vid);
    EXPECT_EQ(w->chkCancel(), 0);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(boxTexts().last(), QStringLiteral("Das Einlesen ist abgeschlossen."));
    auto rs = gDB->DB()->OpenRecordset(QStringLiteral("SELECT * FROM tblVOLUMES WHERE VID = ?"),
                                       jet::RecordsetType::Snapshot, {rt::Variant(vid)});
    ASSERT_FALSE(rs->IsEOF());
    auto field = [&](const char* name) { return rs->Fields(QString::fromLatin1(name)).Value(); };
    EXPECT_EQ(field("VolumeName").toText(), QStringLiteral(" Urlaub 2003 "));
    EXPECT_EQ(field("VolumePath").toText(), medium + QLatin1Char('/'));
    EXPECT_EQ(field("VolumeType").toInt(), w->VolumeType().toInt());
    EXPECT_EQ(field("Description").isNull(), c.description.isEmpty());
    if (!c.description.isEmpty()) {
      EXPECT_EQ(field("Description").toText(), c.description);
    }
    EXPECT_EQ(field("Memo").isNull(), c.memo.isEmpty());
    if (!c.memo.isEmpty()) {
      EXPECT_EQ(field("Memo").toText(), c.memo);
    }
    for (const char* f : {"VolumeSerial", "VolumeLabel", "Computername"})
      if (c.emptyFacts || std::string(f) != "VolumeLabel") {
        EXPECT_EQ(field(f).isNull(), c.emptyFacts) << f;
      }
    EXPECT_EQ(field("CatID").isNull(), c.category <= 0);
    if (c.category > 0) {
      EXPECT_EQ(field("CatID").toInt(), c.category);
    }
    EXPECT_EQ(field("LocID").isNull(), c.location == 0);
    if (c.location) {
      EXPECT_EQ(field("LocID").toInt(), c.location);
    }
    const QDateTime edited = rt::dateTimeFromOleDate(field("EditDate").toDouble());
    EXPECT_GE(edited, before);
    EXPECT_LE(edited, QDateTime::currentDateTime().addSecs(1));
    rs->Close();
    EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblPATHS WHERE VolumeID = %1").arg(vid)), 2);
  }
}

// During the read: Next, Previous and the test-read switch are off, the status line shows
// the reader's progress, and afterwards everything is as it was.
TEST_F(WizardTest, ControlsDuringTheRead) {
  auto w = wizardFor(smallMedium(dir));
  w->VolumeName()->setText(QStringLiteral("Medium"));
  w->show();
  struct Seen {
    bool reading, next, previous, fileRead, status, lbl1;
    QString text;
  } seen{};
  saveWith(*w, [&] {
    seen = {w->Reading(),
            w->cmdNext()->isEnabled(),
            w->cmdPrevious()->isEnabled(),
            w->chkFileRead()->isEnabled(),
            w->lblStatus()->isVisible(),
            w->lbl1()->isVisible(),
            w->lblStatus()->text()};
  });
  EXPECT_TRUE(seen.reading);
  EXPECT_FALSE(seen.next);
  EXPECT_FALSE(seen.previous);
  EXPECT_FALSE(seen.fileRead);
  EXPECT_TRUE(seen.status);
  EXPECT_FALSE(seen.lbl1);
  EXPECT_TRUE(seen.text.startsWith(QStringLiteral("Ordner werden eingelesen ..."))) << seen.text.toStdString();
  EXPECT_FALSE(w->Reading());
  EXPECT_TRUE(w->cmdNext()->isEnabled());
  EXPECT_TRUE(w->lblStatus()->isHidden());
  EXPECT_FALSE(w->lbl1()->isHidden());
}

// Esc, the Cancel button and the close box during the read stop it without a question: no row
// of the volume stays and the wizard waits on its last page; a second Cancel closes it.
TEST_F(WizardTest, CancelDuringTheReadStopsItWithoutAsking) {
  const QString medium = smallMedium(dir);
  const struct {
    const char* name;
    std::function<void(frmVolumeNew&)> act;
  } ways[] = {
      {"Esc", [](frmVolumeNew& w) { QTest::keyClick(w.VolumeName(), Qt::Key_Escape); }},
      {"Abbrechen", [](frmVolumeNew& w) { QTest::mouseClick(w.cmdCancel(), Qt::LeftButton); }},
      {"close box", [](frmVolumeNew& w) { w.close(); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    boxes->shown.clear();
    auto w = wizardFor(medium);
    w->VolumeName()->setText(QStringLiteral("Medium"));
    w->show();
    saveWith(*w, [&] { way.act(*w); });
    ASSERT_EQ(boxes->shown.size(), 1u) << boxTexts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(boxes->shown[0].text.endsWith(QStringLiteral("Abbruch durch Benutzer.")));
    EXPECT_EQ(gDB->WS()->TransactionDepth(), 0);
    EXPECT_EQ(volumeRows(), 0);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->CurrentPage(), 3);
    EXPECT_EQ(w->pubGetVID(), 0);
    EXPECT_TRUE(w->cmdNext()->isEnabled());
    EXPECT_TRUE(w->lbl1()->isVisible());
    EXPECT_FALSE(w->lblStatus()->isVisible());
    // Cancel again, now outside a read: the wizard goes, cancelled.
    QTest::mouseClick(w->cmdCancel(), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->chkCancel(), 1);
  }
}

// Runs sql on the catalogue file through a second connection, beside the program's.
void onTheSide(const QString& file, const char* sql) {
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &raw), SQLITE_OK);
  char* msg = nullptr;
  EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, &msg), SQLITE_OK) << (msg ? msg : "");
  sqlite3_free(msg);
  sqlite3_close(raw);
}

// A read that fails (here the catalogue refuses the folder rows) leaves no row of the volume
// and the wizard on its last page, ready to try again.
TEST_F(WizardTest, FailedReadLeavesNoRow) {
  auto w = wizardFor(smallMedium(dir));
  w->VolumeName()->setText(QStringLiteral("Medium"));
  w->show();
  onTheSide(path, "CREATE TRIGGER voll BEFORE INSERT ON tblPATHS BEGIN SELECT RAISE(ABORT, 'voll'); END;");
  saveWith(*w);
  ASSERT_FALSE(boxes->shown.empty());
  EXPECT_EQ(boxes->shown.back().style & ui::kCritical, ui::kCritical);
  EXPECT_TRUE(boxes->shown.back().text.contains(QStringLiteral("voll"))) << boxes->shown.back().text.toStdString();
  EXPECT_EQ(volumeRows(), 0);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->CurrentPage(), 3);
  EXPECT_EQ(w->pubGetVID(), 0);
  EXPECT_EQ(gDB->WS()->TransactionDepth(), 0);
  // Mended, the next try works.
  onTheSide(path, "DROP TRIGGER voll;");
  boxes->shown.clear();
  saveWith(*w);
  EXPECT_EQ(w->pubGetVID(), 1);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblFILES")), 3);
}

TEST_F(WizardTest, SkipSwitchesComeFromTheOptionsAndGoBackThere) {
  for (const bool cancel : {true, false}) {
    gOptions->setOnReadSkipHidden(true);
    gOptions->setOnReadSkipSystem(false);
    const QString medium = smallMedium(testenv::freshTempDir());
    {
      auto w = wizardFor(medium);
      EXPECT_TRUE(w->chkOnReadSkipHidden()->isChecked());
      EXPECT_FALSE(w->chkOnReadSkipSystem()->isChecked());
      w->chkOnReadSkipHidden()->setChecked(false);
      w->chkOnReadSkipSystem()->setChecked(true);
      w->show();
      if (cancel) {
        QTest::mouseClick(w->cmdCancel(), Qt::LeftButton);
        EXPECT_EQ(w->chkCancel(), 1);
      } else {
        w->VolumeName()->setText(QStringLiteral("Medium %1").arg(cancel));
        saveWith(*w);
        EXPECT_EQ(w->chkCancel(), 0);
      }
      EXPECT_TRUE(gOptions->OnReadSkipHidden());  // not before the wizard goes
    }
    EXPECT_FALSE(gOptions->OnReadSkipHidden());
    EXPECT_TRUE(gOptions->OnReadSkipSystem());
  }
}

TEST_F(WizardTest, CompleteReadSwitchShowsWithTheTestReadAndKeepsItsValue) {
  frmVolumeNew w;
  w.GotoPage(3);
  w.show();
  EXPECT_FALSE(w.chkCompleteFile()->isVisible());
  QTest::mouseClick(w.chkFileRead(), Qt::LeftButton);
  EXPECT_TRUE(w.chkCompleteFile()->isVisible());
  QTest::mouseClick(w.chkCompleteFile(), Qt::LeftButton);
  QTest::mouseClick(w.chkFileRead(), Qt::LeftButton);
  EXPECT_FALSE(w.chkCompleteFile()->isVisible());
  EXPECT_TRUE(w.chkCompleteFile()->isChecked());
}

}  // namespace
