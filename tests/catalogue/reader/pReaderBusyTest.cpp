#include "catalogue/pReader.h"

#include "ReaderTestSupport.h"
#include "WalkerTestSupport.h"
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

}  // namespace

namespace {

// Esc and closing a window ask the owner first: refused, the read goes on to its end.
TEST_F(ReaderBusyTest, RequestToStopThatTheOwnerRefusesLetsTheReadGoOn) {
  owner.confirm = [] { return false; };
  const std::function<void()> inputs[] = {
      [this] { QTest::keyClick(other.get(), Qt::Key_Escape); },
      [this] { other->close(); },
  };
  int read = 0;
  for (const auto& input : inputs) {
    r = std::make_unique<pReader>(cat.ws, cat.db, s, &owner);
    EXPECT_TRUE(readWithInput(input));
    EXPECT_EQ(owner.confirmations, ++read);
    EXPECT_EQ(rowsOfVolume(), 2 * read);
  }
  EXPECT_TRUE(other->isVisible());
}

// Confirmed in the middle of a test read, the request stops the read without the test read
// asking again.
TEST_F(ReaderBusyTest, ConfirmedRequestStopsATestReadWithoutAskingTwice) {
  walktest::writeFile((dir + QStringLiteral("/Medium/gross.bin")).toUtf8(), 300000);
  r->setFileRead(true);
  r->setFileReadComplete(true);
  owner.onStatus = [this](const QString& text) {
    if (text.startsWith(QStringLiteral("Lese Datei:"))) r->RequestCancel();
  };
  EXPECT_FALSE(r->Read(kVid));
  EXPECT_EQ(owner.confirmations, 1);
  EXPECT_EQ(rowsOfVolume(), 0);
  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  EXPECT_TRUE(rec.boxes().shown[0].text.endsWith(QStringLiteral("Abbruch durch Benutzer.")));
}

}  // namespace
