// The icon table window opened from the main window's Edit menu: a changed icon shows in the
// tree at once, a window closed without a change leaves the tree's pictures alone.
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/TreeView.h"
#include "foundation/cuAppError.h"
#include "mainwindow/frmMain.h"
#include "tests/mainwindow/CatalogueWriter.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestCatalogue.h"
#include "windows/maintenance/frmSystemIcons.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

namespace {

class SystemIconsMainTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    chooser = installScriptedChooser();
    path = dir + "/kat.qvk";
    ASSERT_TRUE(testenv::copyTemplate(path));
    CatalogueWriter c(path);
    c.category(1, "Musik");
    c.volume(1, "Platte", 1, 3);
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    // The program's end drops the error object; the other windows' tests of this program
    // expect one.
    if (!gErr) gErr = std::make_unique<cuAppError>();
  }

  QRgb nodeCentre(const QString& key) const {
    QTreeWidgetItem* n = window->Tree1->TV()->node(key);
    EXPECT_NE(n, nullptr) << key.toStdString();
    if (!n) return 0;
    return n->data(0, Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage().pixel(8, 8) & 0xFFFFFF;
  }
  QRgb imageCentre(const QString& key) const {
    return window->Tree1->ImageList().pixmap(key).toImage().pixel(8, 8) & 0xFFFFFF;
  }

  // Opens the window from the menu; `act` works in it, then its close box is used.
  void runWindow(const std::function<void(frmSystemIcons&)>& act) {
    ModalScript script;
    script.then("frmSystemIcons", [act](QWidget* modal) {
      auto* w = qobject_cast<frmSystemIcons*>(modal);
      ASSERT_NE(w, nullptr);
      act(*w);
      w->close();
    });
    QAction* command = window->findChild<QAction*>("mMainEdit_SystemIcons");
    ASSERT_TRUE(command->isEnabled());
    command->trigger();
    EXPECT_TRUE(script.done());
  }

  ScriptedChooser* chooser = nullptr;
  QString path;
};

}  // namespace

TEST_F(SystemIconsMainTest, AReplacedIconShowsInTheTreeAtOnce) {
  QImage red(32, 32, QImage::Format_ARGB32);
  red.fill(Qt::red);
  const QString file = dir + "/rot.png";
  ASSERT_TRUE(red.save(file, "PNG"));
  startExposed();
  gfrmMain->pubDBOpen(path);
  ASSERT_TRUE(boxes->shown.empty());

  struct Case {
    int list;
    const char* text;
    const char* image;
    const char* node;
  };
  for (const Case& c : {Case{0, "Festplatte", "i3", "V1"}, Case{1, "Kategorie", "i12", "C1"}}) {
    SCOPED_TRACE(c.text);
    // Closed without a change: the tree keeps its pictures.
    const QRgb before = imageCentre(c.image);
    runWindow([](frmSystemIcons&) {});
    EXPECT_EQ(imageCentre(c.image), before);

    chooser->answers = {file};
    runWindow([&c](frmSystemIcons& w) {
      QTreeWidget* lv = w.LV[static_cast<size_t>(c.list)];
      const QList<QTreeWidgetItem*> found = lv->findItems(QString::fromUtf8(c.text), Qt::MatchExactly);
      ASSERT_EQ(found.size(), 1);
      QTest::mouseClick(lv->viewport(), Qt::RightButton, {}, lv->visualItemRect(found[0]).center());
      w.kLV->hide();
      w.kLV_Edit->trigger();
      EXPECT_EQ(w.chkEdited(), 1);
    });
    EXPECT_TRUE(boxes->shown.empty()) << boxes->shown[0].text.toStdString();
    EXPECT_EQ(imageCentre(c.image), 0xFF0000u);
    EXPECT_EQ(nodeCentre(c.node), 0xFF0000u);
  }
}
