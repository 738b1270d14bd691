#include "foundation/mdlQZLib51_registry.h"
#include "foundation/widgets/cuFormPos.h"
#include "platform/runtime/RaisedError.h"
#include "tests/support/TestEnvironment.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using registry::HKEY_CURRENT_USER;

namespace {

const QString kStoreKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\WindowPos");
const QString kMainKey = kStoreKey + "\\MainForm";

class FormPos : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("ZUVRAX_REGISTRY_DIR", testenv::freshTempDir().toUtf8());
    screen = QGuiApplication::primaryScreen()->geometry().size();
    tpp = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    store.Init(0, kStoreKey, true);
    window = std::make_unique<QWidget>();
    window->setWindowTitle("Hauptfenster");
    window->resize(600, 400);  // the designed size
  }
  void TearDown() override {
    if (window && window->isVisible()) window->close();
  }
  static void put(const QString& key, const QStringList& values) {
    for (int i = 0; i + 1 < values.size(); i += 2)
      ASSERT_TRUE(RegSetString(HKEY_CURRENT_USER, key, values[i], values[i + 1]));
  }
  static QString stored(const QString& name, const QString& key = kMainKey) {
    return RegGetString(HKEY_CURRENT_USER, key, name, "<missing>");
  }
  int twips(int px) const { return static_cast<int>(px * tpp); }
  // Registers and shows the window as its load handler would.
  cuFormPosForm& load(const QString& name = "MainForm", int mode = 3) {
    cuFormPosForm& e = store.AddForm(window.get(), name, mode);
    window->show();
    return e;
  }

  QSize screen;
  double tpp = 15;
  cuFormPos store;
  std::unique_ptr<QWidget> window;
};

TEST_F(FormPos, FirstRunKeepsTheDesignedSizeAndCentres) {
  load();
  EXPECT_EQ(window->size(), QSize(600, 400));
  EXPECT_EQ(window->pos(), QPoint((screen.width() - 600) / 2, (screen.height() - 400) / 2));
}

// A window larger than the screen is centred no further than the screen's corner, so its
// title bar stays reachable.
TEST_F(FormPos, CentringNeverPutsTheTitleBarOffTheScreen) {
  for (int mode : {3, 0}) {
    SCOPED_TRACE(mode);
    window = std::make_unique<QWidget>();
    window->resize(screen.width() + 200, screen.height() + 100);
    store.AddForm(window.get(), "MainForm", mode);
    EXPECT_EQ(window->pos(), QPoint(0, 0));
  }
}

// A stored width beyond the screen gives the widest window the screen shows, frame and all.
TEST_F(FormPos, StoredSizesAreClampedToScreenAndMinimum) {
  put(kMainKey, {"Maximized", "0", "Width", "99999", "Height", "1000", "Left", "0", "Top", "0"});
  load();
  EXPECT_EQ(window->frameGeometry().width(), QGuiApplication::primaryScreen()->availableGeometry().width());
  EXPECT_EQ(window->height(), qRound(5000 / tpp));
}

// The whole window stays on the screen: a place beyond the screen's edge goes to the corner, as
// the stored values' rules say, and a window that would reach over an edge is moved in.
TEST_F(FormPos, StoredPlacesKeepTheWholeWindowOnTheScreen) {
  struct Case {
    QString left, top;
    QPoint expected;
  };
  const int sw = twips(screen.width());
  const int sh = twips(screen.height());
  const int side = qRound(6000 / tpp);
  const Case cases[] = {
      {"-200", "-15", {0, 0}},
      {QString::number(sw + 15), QString::number(sh + 15), {0, 0}},
      {QString::number(twips(120)), QString::number(twips(50)), {120, 50}},
      // Within the screen by the rules, but reaching over its right or bottom edge or lying
      // beyond it.
      {QString::number(sw - twips(300)), QString::number(twips(50)), {screen.width() - side, 50}},
      {QString::number(twips(120)), QString::number(sh - twips(100)), {120, screen.height() - side}},
      {QString::number(sw), QString::number(sh), {screen.width() - side, screen.height() - side}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.left + " " + c.top).toStdString());
    put(kMainKey, {"Width", "6000", "Height", "6000", "Left", c.left, "Top", c.top});
    store.AddForm(window.get(), "MainForm", 3);
    EXPECT_EQ(window->pos(), c.expected);
    EXPECT_EQ(window->size(), QSize(side, side));
  }
  // A window as large as the screen in both directions, placed at its middle, is moved to
  // its corner; where the screen keeps room for panels, it is made to fit what is free.
  put(kMainKey, {"Width", QString::number(sw), "Height", QString::number(sh), "Left", QString::number(sw / 2), "Top",
                 QString::number(sh / 2)});
  store.AddForm(window.get(), "MainForm", 3);
  const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(free.contains(QRect(window->pos(), window->size()))) << window->x() << "," << window->y();
  EXPECT_EQ(window->pos(), free.topLeft());
}

TEST_F(FormPos, UnusableValuesCountAsMissing) {
  for (const QString bad : {"abc", "1E+12", "-3000000000", "", "12,5x"}) {
    SCOPED_TRACE(bad.toStdString());
    put(kMainKey, {"Width", bad, "Height", bad, "Left", bad, "Top", bad, "Maximized", bad});
    window->resize(600, 400);
    store.AddForm(window.get(), "MainForm", 3);
    EXPECT_EQ(window->size(), QSize(600, 400));
    EXPECT_EQ(window->pos(), QPoint((screen.width() - 600) / 2, (screen.height() - 400) / 2));
  }
  ASSERT_EQ(registry::setValue(HKEY_CURRENT_USER, kMainKey, "Width", registry::Value::dword(9000)), 0);
  store.AddForm(window.get(), "MainForm", 3);
  EXPECT_EQ(window->width(), 600);
}

TEST_F(FormPos, ClosingStoresTheNormalPlaceAndReopeningRestoresIt) {
  load();
  window->move(70, 90);
  window->resize(500, 450);
  ASSERT_TRUE(window->close());
  EXPECT_EQ(stored("Maximized"), "0");
  EXPECT_EQ(stored("Width"), QString::number(twips(500)));
  EXPECT_EQ(stored("Height"), QString::number(twips(450)));
  EXPECT_EQ(stored("Left"), QString::number(twips(70)));
  EXPECT_EQ(stored("Top"), QString::number(twips(90)));
  EXPECT_EQ(store.Forms().Count(), 0);

  window = std::make_unique<QWidget>();
  window->resize(600, 400);
  load();
  EXPECT_EQ(window->pos(), QPoint(70, 90));
  EXPECT_EQ(window->size(), QSize(500, 450));
}

TEST_F(FormPos, AMaximizedCloseKeepsTheNormalValues) {
  put(kMainKey, {"Maximized", "0", "Width", "7500", "Height", "6000", "Left", "300", "Top", "450"});
  load();
  window->setWindowState(Qt::WindowMaximized);
  ASSERT_TRUE(window->close());
  EXPECT_EQ(stored("Maximized"), "1");
  EXPECT_EQ(stored("Width"), "7500");
  EXPECT_EQ(stored("Left"), "300");

  window = std::make_unique<QWidget>();
  window->resize(600, 400);
  load();
  EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
  window->setWindowState(Qt::WindowNoState);
  EXPECT_EQ(window->size(), QSize(600, 400));  // the designed size, as nothing was restored
}

TEST_F(FormPos, AMinimizedCloseWritesNothing) {
  load();
  window->setWindowState(Qt::WindowMinimized);
  ASSERT_TRUE(window->close());
  EXPECT_EQ(stored("Maximized"), "<missing>");
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kMainKey));
}

TEST_F(FormPos, ModesChooseWhatIsRestored) {
  struct Case {
    int mode;
    QSize size;
    bool placed;
  };
  const Case cases[] = {{0, {600, 400}, false}, {1, {500, 450}, false}, {2, {600, 400}, true}, {3, {500, 450}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    put(kMainKey, {"Width", QString::number(twips(500)), "Height", QString::number(twips(450)), "Left",
                   QString::number(twips(20)), "Top", QString::number(twips(30))});
    window = std::make_unique<QWidget>();
    window->resize(600, 400);
    store.AddForm(window.get(), "MainForm", c.mode);
    EXPECT_EQ(window->size(), c.size);
    const QPoint centred((screen.width() - c.size.width()) / 2, (screen.height() - c.size.height()) / 2);
    EXPECT_EQ(window->pos(), c.placed ? QPoint(20, 30) : centred);
  }
}

TEST_F(FormPos, RegisteringTwiceGivesTheSameEntryAndRestoresAgain) {
  cuFormPosForm& first = load();
  put(kMainKey, {"Left", QString::number(twips(11)), "Top", QString::number(twips(12))});
  cuFormPosForm& second = store.AddForm(window.get(), "Other", 1);
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(second.RegKey(), kMainKey);
  EXPECT_EQ(second.Mode(), 3);
  EXPECT_EQ(window->pos(), QPoint(11, 12));
  EXPECT_EQ(store.Forms().Count(), 1);
}

TEST_F(FormPos, KeyNames) {
  QWidget a, b, c;
  a.setWindowTitle("Suchen");
  EXPECT_EQ(store.AddForm(&a, "Software\\Eigen\\Fenster", 3).RegKey(), "Software\\Eigen\\Fenster");
  EXPECT_EQ(store.AddForm(&b, "", 3).RegKey(), kStoreKey + "\\");  // no caption either
  EXPECT_EQ(store.AddForm(&a, "", 3).RegKey(), "Software\\Eigen\\Fenster");
  QWidget d;
  d.setWindowTitle("Suchen");
  EXPECT_EQ(store.AddForm(&d, "", 3).RegKey(), kStoreKey + "\\Suchen");

  cuFormPos bare;
  cuFormPosForm& e = bare.AddForm(&c, "Editor", 3);
  EXPECT_EQ(e.RegKey(), "");
  c.show();
  c.close();
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Editor"));
}

TEST_F(FormPos, WindowsAreKeptAtTheMinimumSize) {
  load();
  window->resize(100, 100);
  EXPECT_EQ(window->size(), QSize(qRound(5000 / tpp), qRound(5000 / tpp)));
  window->resize(420, 380);
  window->setWindowState(Qt::WindowMaximized);
  window->setWindowState(Qt::WindowNoState);
  window->close();
  EXPECT_EQ(stored("Width"), QString::number(twips(420)));
}

TEST_F(FormPos, ARefusedCloseKeepsTheEntry) {
  class Stubborn : public QWidget {
   protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
  };
  window = std::make_unique<Stubborn>();
  load();
  EXPECT_FALSE(window->close());
  EXPECT_EQ(store.Forms().Count(), 1);
  EXPECT_EQ(stored("Maximized"), "<missing>");
}

TEST_F(FormPos, ADestroyedWindowLeavesTheCollection) {
  load();
  window.reset();
  EXPECT_EQ(store.Forms().Count(), 0);
  EXPECT_EQ(stored("Maximized"), "<missing>");
}

// Shut-down releases the store while windows may still live; a window destroyed or closed
// afterwards must not reach the released entries (valgrind shows a read of freed memory).
TEST_F(FormPos, TheStoreMayGoBeforeItsWindows) {
  auto early = std::make_unique<cuFormPos>();
  early->Init(0, kStoreKey, false);
  early->AddForm(window.get(), "MainForm", 3);
  window->show();
  early.reset();
  window.reset();  // before any event is processed
  EXPECT_EQ(stored("Maximized"), "<missing>");

  // A window whose own close handler releases the store.
  class Closing : public QWidget {
   public:
    std::unique_ptr<cuFormPos>* owner = nullptr;

   protected:
    void closeEvent(QCloseEvent* e) override {
      owner->reset();
      e->accept();
    }
  };
  auto holder = std::make_unique<cuFormPos>();
  holder->Init(0, kStoreKey, false);
  auto closing = std::make_unique<Closing>();
  closing->owner = &holder;
  closing->resize(600, 400);
  holder->AddForm(closing.get(), "MainForm", 3);
  closing->show();
  EXPECT_TRUE(closing->close());
  EXPECT_EQ(holder, nullptr);
  EXPECT_EQ(stored("Maximized"), "0");
}

TEST_F(FormPos, ForcedStatesApplyOnce) {
  cuFormPosForm& e = store.AddForm(window.get(), "MainForm", 3);
  put(kMainKey, {"Left", QString::number(twips(10)), "Top", QString::number(twips(10))});
  e.setForcedState(2);
  e.LoadPosition();
  EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(e.ForcedState(), 0);

  window->setWindowState(Qt::WindowNoState);
  e.setForcedState(1);
  e.LoadPosition();
  EXPECT_EQ(window->pos(), QPoint(10, 10));
  EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);

  window->setWindowState(Qt::WindowNoState);
  put(kMainKey, {"Maximized", "1"});
  e.setForcedState(1);
  e.LoadPosition();
  EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(e.ForcedState(), 1);  // still pending
}

TEST_F(FormPos, TheCollectionRaisesForUnknownWindows) {
  QWidget other;
  try {
    store.Forms().Item(&other);
    FAIL();
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 5);
  }
  store.Forms().Add(&other, 3);
  try {
    store.Forms().Add(&other, 3);
    FAIL();
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 457);
  }
}

}  // namespace
