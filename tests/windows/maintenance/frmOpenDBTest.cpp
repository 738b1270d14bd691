// The catalogue chooser: the recent catalogues it lists from the registry, the "other" box,
// the exclusive box and how the caller reads OK and Cancel.
#include "catalogue/mdlGlobals.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"
#include "windows/maintenance/frmOpenDB.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kRecent = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Recent");
const QString kOptions = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Options");

class OpenDBTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    registry::deleteKey(registry::HKEY_CURRENT_USER, QStringLiteral("Software\\Tolvarent"));
  }
  void TearDown() override { gOptions.reset(); }

  QString file(const QString& name) {
    testenv::writeFile(dir + "/" + name, "x");
    return dir + "/" + name;
  }
  void recent(int n, const QString& path) {
    registry::setValue(registry::HKEY_CURRENT_USER, kRecent, "File " + QString::number(n), registry::Value::text(path));
  }
  static QStringList listed(const frmOpenDB& d) {
    QStringList out;
    for (int i = 0; i < d.lstDB->count(); ++i) out << d.lstDB->item(i)->text();
    return out;
  }
  static QString selected(const frmOpenDB& d) {
    const auto items = d.lstDB->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
  }

  QString dir;
};

}  // namespace

TEST_F(OpenDBTest, ListsTheRecentCataloguesThatExistUpToTheFirstGap) {
  const QString a = file("a.qvk"), c = file("c.qvk"), e = file("e.qvk");
  struct Case {
    const char* what;
    std::vector<std::pair<int, QString>> values;
    QStringList shown;
  } cases[] = {
      {"a missing file is passed over", {{1, a}, {2, dir + "/weg.qvk"}, {3, c}}, {a, c}},
      {"entries after a gap are not read", {{1, a}, {3, c}}, {a}},
      {"a folder is no catalogue", {{1, dir}, {2, e}}, {e}},
      {"no key at all", {}, {}},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    registry::deleteKey(registry::HKEY_CURRENT_USER, kRecent);
    for (const auto& [n, path] : t.values) recent(n, path);
    frmOpenDB d;
    EXPECT_EQ(listed(d), t.shown);
    EXPECT_EQ(selected(d), t.shown.value(0));
    EXPECT_TRUE(d.lstDB->isEnabled());
    EXPECT_FALSE(d.chkOther->isChecked());
    EXPECT_TRUE(d.chkCancel->isChecked());
    EXPECT_TRUE(d.chkCancel->isHidden());
  }
}

TEST_F(OpenDBTest, OtherGreysTheListAndOkNeedsAChoice) {
  frmOpenDB empty;
  empty.show();
  // Nothing listed and nothing else chosen: OK does nothing.
  empty.cmdOK->click();
  EXPECT_TRUE(empty.isVisible());
  EXPECT_TRUE(empty.chkCancel->isChecked());
  empty.chkOther->click();
  empty.cmdOK->click();
  EXPECT_FALSE(empty.isVisible());
  EXPECT_FALSE(empty.chkCancel->isChecked());

  recent(1, file("a.qvk"));
  recent(2, file("b.qvk"));
  frmOpenDB d;
  d.lstDB->setCurrentRow(1);
  d.chkOther->click();
  EXPECT_FALSE(d.lstDB->isEnabled());
  EXPECT_EQ(selected(d), QString());
  d.chkOther->click();
  EXPECT_TRUE(d.lstDB->isEnabled());
  EXPECT_EQ(selected(d), dir + "/a.qvk");
}

TEST_F(OpenDBTest, ExclusiveStartsFromTheOption) {
  for (bool exclusive : {true, false}) {
    registry::setValue(registry::HKEY_CURRENT_USER, kOptions, "Exclusive",
                       registry::Value::text(exclusive ? "-1" : "0"));
    gOptions = std::make_unique<gRegOptions>();
    frmOpenDB d;
    EXPECT_EQ(d.chkExclusive->isChecked(), exclusive);
    // Changing the box touches no option.
    d.chkExclusive->click();
    EXPECT_EQ(gOptions->Exclusive(), exclusive);
    gOptions.reset();
  }
}

TEST_F(OpenDBTest, CancelEscAndTheCloseBoxAllReadAsCancelled) {
  recent(1, file("a.qvk"));
  const std::vector<std::pair<const char*, std::function<void(frmOpenDB&)>>> ways = {
      {"Abbrechen", [](frmOpenDB& d) { d.cmdCancel->click(); }},
      {"Esc", [](frmOpenDB& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
      {"close box", [](frmOpenDB& d) { d.close(); }},
  };
  for (const auto& [what, act] : ways) {
    SCOPED_TRACE(what);
    frmOpenDB d;
    QTimer::singleShot(0, &d, [&d, act = act] { act(d); });
    d.exec();
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(d.chkCancel->isChecked());
  }
  // OK through the modal loop: accepted with the first entry.
  frmOpenDB d;
  QTimer::singleShot(0, &d, [&d] { d.cmdOK->click(); });
  d.exec();
  EXPECT_FALSE(d.chkCancel->isChecked());
  EXPECT_EQ(selected(d), dir + "/a.qvk");
}
