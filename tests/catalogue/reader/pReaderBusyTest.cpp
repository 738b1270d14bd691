#include "ReaderTestSupport.h"
#include "WalkerTestSupport.h"
#include "catalogue/pReader.h"
#include "platform/ui/BusyScope.h"
#include "tests/support/TestEnvironment.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

constexpr int32_t kVid = 7;

// The reader during a read: another window's button (standing for any other command, such as
// closing the catalogue) and the owner's window with its Cancel button.
class ReaderBusyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::setEscapeKeyTest([](const QEvent& e) {
      return (e.type() == QEvent::KeyPress || e.type() == QEvent::KeyRelease || e.type() == QEvent::ShortcutOverride) &&
             static_cast<const QKeyEvent&>(e).key() == Qt::Key_Escape;
    });
    dir = testenv::freshTempDir();
    cat.create(dir);
    const QByteArray root = (dir + QStringLiteral("/Medium/")).toUtf8();
    walktest::makeDir(root);
    walktest::makeDir(root + "sub");
    walktest::writeFile(root + "a.txt", 10);
    walktest::writeFile(root + "sub/b.txt", 20);
    cat.addVolume(kVid, QString::fromUtf8(root));
    s.wait = [](int32_t) {};
    r = std::make_unique<pReader>(cat.ws, cat.db, s, &owner);
    other = std::make_unique<QPushButton>(QStringLiteral("Katalog schließen"));
    wizard = std::make_unique<QWidget>();
    cancel = new QPushButton(QStringLiteral("Abbrechen"), wizard.get());
    QObject::connect(other.get(), &QPushButton::clicked, [this] { ++otherClicks; });
    QObject::connect(cancel, &QPushButton::clicked, [this] { r->Cancel(); });
    owner.allowed = wizard.get();
    other->show();
    wizard->show();
  }
  void TearDown() override { ui::setEscapeKeyTest({}); }

  int64_t rowsOfVolume() const { return cat.count(QStringLiteral("SELECT Count(*) FROM tblPATHS WHERE VolumeID = 7")); }
  // The input arrives at the reader's first pump.
  bool readWithInput(const std::function<void()>& input) {
    QTimer::singleShot(0, input);
    return r->Read(kVid);
  }

  QString dir;
  readertest::Catalogue cat;
  readertest::RecordingOwner owner;
  readertest::BoxRecorder rec;
  pReaderSettings s;
  std::unique_ptr<pReader> r;
  std::unique_ptr<QPushButton> other;
  std::unique_ptr<QWidget> wizard;
  QPushButton* cancel = nullptr;
  int otherClicks = 0;
};

TEST_F(ReaderBusyTest, ClickElsewhereDuringAReadDoesNothing) {
  EXPECT_TRUE(readWithInput([this] { QTest::mouseClick(other.get(), Qt::LeftButton); }));
  EXPECT_EQ(otherClicks, 0);
  EXPECT_EQ(rowsOfVolume(), 2);
  QTest::mouseClick(other.get(), Qt::LeftButton);
  EXPECT_EQ(otherClicks, 1);
}

TEST_F(ReaderBusyTest, OwnersCancelButtonEscAndClosingAWindowCancelTheRead) {
  const std::function<void()> inputs[] = {
      [this] { QTest::mouseClick(cancel, Qt::LeftButton); },
      [this] { QTest::keyClick(other.get(), Qt::Key_Escape); },
      [this] { other->close(); },
  };
  for (const auto& input : inputs) {
    rec.boxes().shown.clear();
    EXPECT_FALSE(readWithInput(input));
    EXPECT_EQ(rowsOfVolume(), 0);
    EXPECT_EQ(cat.ws->TransactionDepth(), 0);
    ASSERT_EQ(rec.boxes().shown.size(), 1u);
    EXPECT_TRUE(rec.boxes().shown[0].text.endsWith(QStringLiteral("Abbruch durch Benutzer.")));
  }
  EXPECT_TRUE(other->isVisible());
}

// Only in the middle of a file's test read a Cancel asks first (177, No the default): Yes stops
// the read, No lets the test read and the whole read go on to the end.
TEST_F(ReaderBusyTest, CancelDuringATestReadAsksFirst) {
  walktest::writeFile((dir + QStringLiteral("/Medium/gross.bin")).toUtf8(), 300000);
  const struct {
    int answer;
    bool read;
    int64_t rows;
    QString last;
  } cases[] = {{ui::kAnswerYes, false, 0, QStringLiteral("Abbruch durch Benutzer.")},
               {ui::kAnswerNo, true, 2, QStringLiteral("Das Einlesen ist abgeschlossen.")}};
  // Yes first: the read that goes through comes last.
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    r = std::make_unique<pReader>(cat.ws, cat.db, s, &owner);
    r->setFileRead(true);
    r->setFileReadComplete(true);
    bool cancelled = false;
    owner.onStatus = [&](const QString& text) {
      if (!cancelled && text.startsWith(QStringLiteral("Lese Datei:"))) {
        cancelled = true;
        r->Cancel();
      }
    };
    rec.boxes().shown.clear();
    rec.boxes().script(c.answer);
    EXPECT_EQ(r->Read(kVid), c.read);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(rowsOfVolume(), c.rows);
    ASSERT_EQ(rec.boxes().shown.size(), 2u);
    EXPECT_EQ(rec.boxes().shown[0].text, QStringLiteral("Soll das Einlesen wirklich abgebrochen werden?"));
    EXPECT_EQ(rec.boxes().shown[0].style, ui::kYesNo + ui::kQuestion + ui::kDefaultButton2);
    EXPECT_TRUE(rec.boxes().shown[1].text.endsWith(c.last)) << rec.boxes().shown[1].text.toStdString();
  }
  owner.onStatus = nullptr;
}

}  // namespace
