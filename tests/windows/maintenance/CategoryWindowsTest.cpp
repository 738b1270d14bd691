#include "foundation/cuAppError.h"
#include "tests/catalogue/commands/CommandsFixture.h"
#include "windows/maintenance/frmCatNew.h"
#include "windows/maintenance/frmCatPicker.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The dialogs as the callers run them: modal, answered by a step that runs inside exec().
void execWith(QDialog& dialog, const std::function<void()>& step) {
  QTimer::singleShot(0, &dialog, step);
  dialog.exec();
}

class CategoryWindowsTest : public CommandsTest {
 protected:
  void SetUp() override {
    if (!gErr) gErr = std::make_unique<cuAppError>();
    CommandsTest::SetUp();
  }
};

TEST_F(CategoryWindowsTest, NewCategoryNeedsANameButBlanksAreOne) {
  const struct {
    const char* name;
    bool accepted;
  } cases[] = {{"", false}, {" ", true}, {"Fotos", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    boxes->shown.clear();
    frmCatNew w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Neue Kategorie"));
    bool stillOpen = false;
    execWith(w, [&] {
      QTest::keyClicks(w.CatName(), QString::fromUtf8(c.name));
      QTest::mouseClick(w.cmdOK(), Qt::LeftButton);
      stillOpen = w.isVisible();
      if (stillOpen) {
        EXPECT_EQ(w.focusWidget(), w.CatName());
        w.cmdCancel()->click();
      }
    });
    EXPECT_EQ(stillOpen, !c.accepted);
    EXPECT_EQ(w.chkCancel(), c.accepted ? 0 : 1);
    if (c.accepted) {
      EXPECT_TRUE(boxes->shown.empty());
      EXPECT_EQ(w.CatName()->text(), QString::fromUtf8(c.name));
    } else {
      ASSERT_EQ(boxes->shown.size(), 1u);
      EXPECT_EQ(boxes->shown[0].text, QStringLiteral("Sie müssen einen Kategorienamen angeben."));
      EXPECT_EQ(boxes->shown[0].style, ui::kExclamation);
    }
  }
}

TEST_F(CategoryWindowsTest, EveryOtherWayOutIsCancel) {
  const std::function<void(frmCatNew&)> ways[] = {
      [](frmCatNew& w) { QTest::mouseClick(w.cmdCancel(), Qt::LeftButton); },
      [](frmCatNew& w) { QTest::keyClick(w.CatName(), Qt::Key_Escape); },
      [](frmCatNew& w) { QTest::keyClick(w.CatDescription(), Qt::Key_Escape); },
      [](frmCatNew& w) { w.close(); },
  };
  for (const auto& way : ways) {
    frmCatNew w;
    execWith(w, [&] {
      QTest::keyClicks(w.CatName(), QStringLiteral("Fotos"));
      way(w);
    });
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.chkCancel(), 1);
  }
  // Enter in the name field is OK; in the description it is a new line.
  frmCatNew w;
  execWith(w, [&] {
    QTest::keyClicks(w.CatDescription(), QStringLiteral("Zeile 1"));
    QTest::keyClick(w.CatDescription(), Qt::Key_Return);
    QTest::keyClicks(w.CatName(), QStringLiteral("Fotos"));
    QTest::keyClick(w.CatName(), Qt::Key_Return);
  });
  EXPECT_EQ(w.chkCancel(), 0);
  EXPECT_EQ(w.CatDescription()->toPlainText(), QStringLiteral("Zeile 1\n"));
}

TEST_F(CategoryWindowsTest, SubCategoryChoiceNamesTheSelectedCategory) {
  frmCatNew w;
  EXPECT_FALSE(w.chkSub()->isChecked());
  w.setSubCategoryOf(QStringLiteral("Fotos & Filme"));
  EXPECT_TRUE(w.chkSub()->isChecked());
  // Shown as "Als Unterkategorie von 'Fotos & Filme'", not with "F" as its shortcut.
  EXPECT_EQ(w.chkSub()->text(), QStringLiteral("Als Unterkategorie von 'Fotos && Filme'"));
  w.show();
  EXPECT_TRUE(w.fraSubCat()->isVisible());

  frmCatNew top;
  top.show();
  const int withChoice = top.height();
  top.hideSubCategory();
  EXPECT_FALSE(top.fraSubCat()->isVisible());
  EXPECT_LT(top.height(), withChoice);
}

class CategoryPickerTest : public CategoryWindowsTest {
 protected:
  void SetUp() override {
    CategoryWindowsTest::SetUp();
    addCategory(1, QStringLiteral("Archiv"));
    addCategory(2, QStringLiteral("Bilder"), 1);
    addCategory(3, QStringLiteral("Urlaub"), 2);
    addCategory(4, QStringLiteral("bücher"));
    addCategory(5, QStringLiteral("Ältere"));
  }
  static std::vector<std::pair<QString, int>> entries(const frmCatPicker& w) {
    std::vector<std::pair<QString, int>> out;
    for (int i = 0; i < w.cmbCat()->count(); ++i)
      out.emplace_back(w.cmbCat()->itemText(i), w.cmbCat()->itemData(i).toInt());
    return out;
  }
};

TEST_F(CategoryPickerTest, ListsEveryCategoryWithItsAncestorsInNameOrder) {
  frmCatPicker w;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Kategorie wählen"));
  // Letter case and umlauts do not decide the order.
  const std::vector<std::pair<QString, int>> expected{
      {QStringLiteral("(Keine)"), 0}, {QStringLiteral("Ältere"), 5},
      {QStringLiteral("Archiv"), 1},  {QStringLiteral("Archiv > Bilder"), 2},
      {QStringLiteral("bücher"), 4},  {QStringLiteral("Archiv > Bilder > Urlaub"), 3}};
  EXPECT_EQ(entries(w), expected);
}

TEST_F(CategoryPickerTest, PreselectedCategoryIsTakenOrChangedAndCancelTakesNothing) {
  const struct {
    int proposed;
    int choose;  // -1: leave the preselection
    bool cancel;
    int chkCancel;
    int cid;
  } cases[] = {{0, -1, false, 0, 0}, {3, -1, false, 0, 3}, {3, 4, false, 0, 4}, {3, -1, true, 1, 3}};
  for (const auto& c : cases) {
    frmCatPicker w;
    w.preselect(c.proposed);
    EXPECT_EQ(w.SelectedCID(), c.proposed);
    execWith(w, [&] {
      if (c.choose >= 0) w.cmbCat()->setCurrentIndex(w.cmbCat()->findData(c.choose));
      if (c.cancel)
        QTest::keyClick(w.cmbCat(), Qt::Key_Escape);
      else
        QTest::mouseClick(w.cmdNext(), Qt::LeftButton);
    });
    EXPECT_EQ(w.chkCancel(), c.chkCancel);
    if (!c.cancel) {
      EXPECT_EQ(w.SelectedCID(), c.cid);
    }
  }
}

// A proposed category that is gone (deleted meanwhile) leaves no choice made: OK then does not
// file the volume at the top level unasked.
TEST_F(CategoryPickerTest, WithoutAChoiceOkDoesNothing) {
  frmCatPicker w;
  w.preselect(99);
  EXPECT_EQ(w.cmbCat()->currentIndex(), -1);
  bool stillOpen = false;
  execWith(w, [&] {
    QTest::mouseClick(w.cmdNext(), Qt::LeftButton);
    stillOpen = w.isVisible();
    w.cmbCat()->setCurrentIndex(1);
    QTest::mouseClick(w.cmdNext(), Qt::LeftButton);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(w.chkCancel(), 0);
  EXPECT_EQ(w.SelectedCID(), 5);

  frmCatPicker closed;
  execWith(closed, [&] { closed.close(); });
  EXPECT_EQ(closed.chkCancel(), 1);
}

}  // namespace
