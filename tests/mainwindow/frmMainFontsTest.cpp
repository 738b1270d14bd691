// The font options as the options window applies them to the running main window: each goes to
// its own control and nowhere else, and the window's text measuring follows the tree font.
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/ui/Twips.h"
#include "platform/ui/widgets/FontChooser.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/ModalScript.h"
#include "windows/maintenance/frmOptions.h"

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

class ScriptedFonts : public ui::FontChooser {
 public:
  std::optional<QFont> choose(const ui::FontRequest& request) override {
    QFont chosen = request.initial;
    chosen.setPointSize(size);
    return chosen;
  }
  int size = 0;
};

class MainFontsTest : public MainWindowFixture {
 protected:
  void TearDown() override {
    if (previous_) ui::setFontChooser(std::move(previous_));
    MainWindowFixture::TearDown();
  }

  // Chooses a new size for one of the three fonts through the options window's button.
  void chooseFont(int button, int size) {
    auto fonts = std::make_unique<ScriptedFonts>();
    fonts->size = size;
    auto previous = ui::setFontChooser(std::move(fonts));
    if (!previous_) previous_ = std::move(previous);
    ModalScript script;
    script.then("frmOptions", [button](QWidget* w) {
      auto* options = static_cast<frmOptions*>(w);
      QTest::mouseClick(options->btnFont[static_cast<size_t>(button)], Qt::LeftButton);
      options->close();
    });
    window->findChild<QAction*>("mMainExtras_Options")->trigger();
  }

  // Which option font a control shows: the control itself or what lies inside it.
  QWidget* owningFontControl(QWidget* w) const {
    for (QWidget* control :
         {static_cast<QWidget*>(window->Tree1->TV()), static_cast<QWidget*>(window->picFolder->LVFiles),
          static_cast<QWidget*>(window->picCategory->CatDescription)})
      if (w == control || control->isAncestorOf(w)) return control;
    return nullptr;
  }

  std::unique_ptr<ui::FontChooser> previous_;
};

}  // namespace

TEST_F(MainFontsTest, EachFontOptionReachesOnlyItsOwnControl) {
  startExposed();
  QWidget* tree = window->Tree1->TV();
  QWidget* list = window->picFolder->LVFiles;
  QWidget* description = window->picCategory->CatDescription;

  // Every other control of the window keeps the font it had when the window was made.
  std::map<QWidget*, QFont> before;
  for (QWidget* w : window->findChildren<QWidget*>())
    if (!owningFontControl(w)) before[w] = w->font();
  ASSERT_GT(before.size(), 50u);

  const struct {
    int button;
    int size;
  } changes[] = {{0, 16}, {1, 13}, {2, 11}, {0, 19}};
  std::map<QWidget*, int> expected = {{tree, gOptions->TreeFontsize().toInt()},
                                      {list, gOptions->ListFontsize().toInt()},
                                      {description, gOptions->CatDescFontsize().toInt()}};
  for (const auto& change : changes) {
    SCOPED_TRACE(testing::Message() << "font " << change.button << " size " << change.size);
    chooseFont(change.button, change.size);
    expected[change.button == 0 ? tree : change.button == 1 ? list : description] = change.size;
    EXPECT_TRUE(boxes->shown.empty());

    for (QWidget* w : window->findChildren<QWidget*>()) {
      const QString name =
          w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
      if (QWidget* control = owningFontControl(w)) {
        EXPECT_EQ(w->font().pointSize(), expected[control]) << name.toStdString();
      } else if (before.count(w)) {
        EXPECT_EQ(w->font().pointSize(), before[w].pointSize()) << name.toStdString();
        EXPECT_EQ(w->font().family(), before[w].family()) << name.toStdString();
      }
    }
    // The date column is measured in the tree font.
    QFont treeFont = window->font();
    treeFont.setFamily(tree->font().family());
    treeFont.setPointSize(expected[tree]);
    EXPECT_EQ(window->picFolder->LVFiles->columnWidth(2),
              QFontMetrics(treeFont).horizontalAdvance(QStringLiteral(" 00.00.00 ")) + ui::twipsToPixelsX(100));
  }
}
