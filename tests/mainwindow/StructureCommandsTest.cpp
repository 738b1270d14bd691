// The category and volume commands on the real main window: its tree, the dialogs they open
// (answered as a user would) and the catalogue behind them.
#include "catalogue/mdlGlobals.h"
#include "catalogue/pInfoColl.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeView.h"
#include "foundation/cuAppError.h"
#include "mainwindow/StructureCommands.h"
#include "mainwindow/frmMain.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/mainwindow/CatalogueWriter.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/CatalogueChecks.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestHelpers.h"
#include "windows/capture/frmVolumeNew.h"
#include "windows/maintenance/frmCatNew.h"
#include "windows/maintenance/frmCatPicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The main window as the commands see it, with a cache of its own and counts of the calls.
class Host : public StructureCommandsHost {
 public:
  explicit Host(frmMain* w) : w_(w) {}
  QWidget* Window() override { return w_; }
  Tree* TreeControl() override { return w_->Tree1; }
  pInfoColl* InfoCache() override { return &cache; }
  void FormEnable(bool) override { ++formEnables; }
  void FindEnableUpdate() override { ++findUpdates; }
  void EmptyAfterVolumeDelete() override { ++emptied; }

  pInfoColl cache;
  int formEnables = 0;
  int findUpdates = 0;
  int emptied = 0;

 private:
  frmMain* w_;
};

class StructureCommandsTest : public MainWindowFixture {
 protected:
  // Musik (3) holds Klassik (1) with "Bach" (3), and "Aria" (4) and "Zebra" (1); Filme (2) is
  // empty; "Alpha" (2) stands at the top level. Bach has two folders with a file each.
  QString filledCatalogue(const QString& name = QStringLiteral("archiv.qvk")) {
    const QString path = dir + QLatin1Char('/') + name;
    EXPECT_TRUE(testenv::copyTemplate(path));
    CatalogueWriter c(path);
    c.category(1, "Klassik", 3);
    c.category(2, "Filme");
    c.category(3, "Musik");
    c.volume(1, "Zebra", 3);
    c.volume(2, "Alpha");
    c.volume(3, "Bach", 1);
    c.volume(4, "Aria", 3);
    c.folder(10, 3, rt::Null, rt::Null);
    c.folder(11, 3, "Kantaten", 10);
    return path;
  }
  void open(const QString& path) {
    startExposed();
    gfrmMain->pubDBOpen(path);
    ASSERT_TRUE(boxes->shown.empty());
    host = std::make_unique<Host>(window);
    commands = std::make_unique<StructureCommands>(*host);
    commands->InputBox = [this](QWidget*, const QString& prompt, const QString& title) {
      prompts << prompt + QStringLiteral(" | ") + title;
      return inputAnswer;
    };
    for (int kind : {pInfoColl::Category, pInfoColl::Volume, pInfoColl::Folder})
      for (int id : {1, 2, 3, 4, 10, 11}) host->cache.Add(id, kind);
  }
  Tree* tree() const { return window->Tree1; }
  void select(const QString& key) { tree()->SelectItem(key); }
  QString selectedKey() const { return ui::itemKey(tree()->SelectedItem()); }
  bool hasNode(const QString& key) const { return tree()->TV()->node(key) != nullptr; }
  int64_t count(const QString& sql) const {
    auto rs = gDB->DB()->OpenRecordset(sql, jet::RecordsetType::Snapshot);
    return rs->Fields(0).Value().toLong();
  }
  std::vector<int> cached(int kind) const {
    std::vector<int> ids;
    for (const auto& r : host->cache.NewEnum(kind)) ids.push_back(r->ID);
    return ids;
  }

  std::unique_ptr<Host> host;
  std::unique_ptr<StructureCommands> commands;
  QStringList prompts;
  std::optional<QString> inputAnswer;
};

TEST_F(StructureCommandsTest, DeletedVolumeGivesWayToItsNeighbour) {
  open(filledCatalogue());
  // No: nothing happens.
  select(QStringLiteral("V1"));
  boxes->script(ui::kAnswerNo);
  commands->DeleteVolume();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, QStringLiteral("Soll das Volume 'Zebra' wirklich unwiderruflich gelöscht werden?"));
  EXPECT_EQ(boxes->shown[0].style, ui::kYesNo + ui::kExclamation + ui::kDefaultButton2);
  EXPECT_TRUE(hasNode(QStringLiteral("V1")));
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")), 4);

  // The previous sibling, else the next one, else the parent.
  const struct {
    const char* key;
    const char* then;
  } cases[] = {{"V1", "C1"}, {"V4", "C1"}, {"V3", "C1"}, {"V2", "C2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    select(QString::fromLatin1(c.key));
    boxes->script(ui::kAnswerYes);
    commands->DeleteVolume();
    EXPECT_FALSE(hasNode(QString::fromLatin1(c.key))) << boxes->shown.back().text.toStdString();
    EXPECT_EQ(selectedKey(), QString::fromLatin1(c.then));
    EXPECT_EQ(
        count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES WHERE VID = %1").arg(QString::fromLatin1(c.key).mid(1))),
        0);
    EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
  }
  // Bach's folders went with it; the categories above it lost their totals.
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblPATHS")), 0);
  EXPECT_EQ(cached(pInfoColl::Category), (std::vector<int>{2, 4, 10, 11}));
  EXPECT_TRUE(cached(pInfoColl::Folder).empty());
  EXPECT_EQ(host->emptied, 0);
  EXPECT_EQ(testenv::RawCatalogue(gDB->DBPath()).orphanRows(), 0);
}

TEST_F(StructureCommandsTest, LastVolumeDeletedEmptiesTheView) {
  const QString path = dir + QStringLiteral("/eins.qvk");
  ASSERT_TRUE(testenv::copyTemplate(path));
  CatalogueWriter(path).volume(7, "Einzig");
  open(path);
  select(QStringLiteral("V7"));
  boxes->script(ui::kAnswerYes);
  commands->DeleteVolume();
  EXPECT_EQ(tree()->TV()->topLevelItemCount(), 0);
  EXPECT_EQ(host->emptied, 1);
}

TEST_F(StructureCommandsTest, EmptyCategoryIsAskedOnceAndNeverTyped) {
  open(filledCatalogue());
  gOptions->setExtendedWarnings(true);
  select(QStringLiteral("C2"));
  boxes->script(ui::kAnswerYes);
  commands->DeleteCat();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, QStringLiteral("Soll die Kategorie 'Filme' wirklich gelöscht werden?"));
  EXPECT_EQ(boxes->shown[0].style, ui::kYesNo + ui::kExclamation + ui::kDefaultButton2);
  EXPECT_TRUE(prompts.isEmpty());
  EXPECT_FALSE(hasNode(QStringLiteral("C2")));
  EXPECT_EQ(selectedKey(), QStringLiteral("V2"));
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES")), 2);
}

// With content, the question counts what goes along and the typed "JA" is asked as well.
TEST_F(StructureCommandsTest, CategoryWithContentNeedsTheTypedConfirmation) {
  const struct {
    bool warnings;
    std::optional<QString> typed;
    bool deleted;
  } cases[] = {{true, QStringLiteral("jA"), true},
               {true, QStringLiteral("ja "), false},
               {true, std::nullopt, false},
               {false, std::nullopt, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed.value_or(QStringLiteral("<Abbrechen>")).toStdString());
    open(filledCatalogue(QStringLiteral("archiv%1.qvk").arg(&c - cases)));
    gOptions->setExtendedWarnings(c.warnings);
    inputAnswer = c.typed;
    select(QStringLiteral("C3"));
    boxes->script(ui::kAnswerYes);
    commands->DeleteCat();
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text,
              QStringLiteral("Die Kategorie 'Musik' enthält 1 Unterkategorien und 3 Volumes.\r\n\r\n"
                             "Soll Sie wirklich mit sämtlichen untergeordneten Daten gelöscht werden?"));
    EXPECT_EQ(prompts.size(), c.warnings ? 1 : 0);
    if (c.warnings) {
      ASSERT_EQ(prompts.size(), 1);
      EXPECT_EQ(prompts[0], QStringLiteral("Bitte bestätigen Sie, dass Sie die Warnung nicht überlesen haben, indem "
                                           "Sie 'JA' eingeben. | Tolvarent Kerbolith"));
    }
    EXPECT_EQ(hasNode(QStringLiteral("C3")), !c.deleted);
    EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")), c.deleted ? 1 : 4);
    EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES")), c.deleted ? 1 : 3);
    if (c.deleted) {
      EXPECT_EQ(selectedKey(), QStringLiteral("C2"));
      EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblPATHS")), 0);
      EXPECT_EQ(cached(pInfoColl::Category), (std::vector<int>{2, 4, 10, 11}));
      EXPECT_EQ(cached(pInfoColl::Volume), (std::vector<int>{2, 10, 11}));
    }
    EXPECT_EQ(testenv::RawCatalogue(gDB->DBPath()).orphanRows(), 0);
    closeWindow();
    boxes = installRecordingPresenter();
    prompts.clear();
  }
}

// What goes along is read from the catalogue: a volume added after the tree was filled (the
// node shows no child) goes with its category instead of staying behind without it.
TEST_F(StructureCommandsTest, CategoryTakesAlongWhatTheTreeDoesNotShowYet) {
  open(filledCatalogue());
  gOptions->setExtendedWarnings(false);
  gDB->DB()->Execute(
      QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, "
                     "CatID) VALUES (9, 'Neu', '/x/', 3, 45000, 2)"));
  select(QStringLiteral("C2"));
  ASSERT_EQ(tree()->SelectedItem()->childCount(), 0);
  boxes->script(ui::kAnswerYes);
  commands->DeleteCat();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.startsWith(
      QStringLiteral("Die Kategorie 'Filme' enthält 0 Unterkategorien und 1 Volumes.")));
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES WHERE VID = 9")), 0);
  EXPECT_EQ(testenv::RawCatalogue(gDB->DBPath()).orphanRows(), 0);
}

TEST_F(StructureCommandsTest, LastCategoryDeletedEmptiesTheView) {
  const QString path = dir + QStringLiteral("/eins.qvk");
  ASSERT_TRUE(testenv::copyTemplate(path));
  {
    CatalogueWriter c(path);
    c.category(5, "Alles");
    c.volume(7, "Drin", 5);
  }
  open(path);
  gOptions->setExtendedWarnings(false);
  select(QStringLiteral("C5"));
  boxes->script(ui::kAnswerYes);
  commands->DeleteCat();
  EXPECT_EQ(tree()->TV()->topLevelItemCount(), 0);
  EXPECT_EQ(host->findUpdates, 1);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")), 0);
}

// The new category goes below the selected one when asked, else beside it; without a
// selected category the choice is not offered and it goes to the top level.
TEST_F(StructureCommandsTest, NewCategoryIsFiledWhereTheUserSaid) {
  open(filledCatalogue());
  const struct {
    const char* selected;
    bool sub;
    bool offered;
    rt::Variant parent;
  } cases[] = {
      {"C1", true, true, 1}, {"C1", false, true, 3}, {"C3", false, true, rt::Null}, {"V2", false, false, rt::Null}};
  int32_t next = 4;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selected);
    select(QString::fromLatin1(c.selected));
    bool offered = false;
    QString caption;
    {
      ModalScript script;
      script.then(QStringLiteral("frmCatNew"), [&](QWidget* w) {
        auto* d = static_cast<frmCatNew*>(w);
        offered = d->fraSubCat()->isVisible();
        caption = d->chkSub()->text();
        d->chkSub()->setChecked(c.sub);
        d->CatName()->setText(QStringLiteral("Neu %1").arg(next));
        d->CatDescription()->setPlainText(QStringLiteral("Beschreibung"));
        QTest::mouseClick(d->cmdOK(), Qt::LeftButton);
      });
      commands->NewCat();
    }
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_EQ(offered, c.offered);
    if (c.offered) {
      EXPECT_EQ(caption, QStringLiteral("Als Unterkategorie von '%1'").arg(c.selected[1] == '1' ? "Klassik" : "Musik"));
    }
    const QString key = QStringLiteral("C%1").arg(next);
    EXPECT_EQ(selectedKey(), key);
    auto rs = gDB->DB()->OpenRecordset(
        QStringLiteral("SELECT CatName, CatDescription, Parent FROM tblCATEGORIES WHERE CID = %1").arg(next),
        jet::RecordsetType::Snapshot);
    ASSERT_FALSE(rs->IsEOF());
    EXPECT_EQ(rs->Fields(0).Value().toText(), QStringLiteral("Neu %1").arg(next));
    EXPECT_EQ(rs->Fields(1).Value().toText(), QStringLiteral("Beschreibung"));
    EXPECT_EQ(rs->Fields(2).Value().isNull(), c.parent.isNull());
    if (!c.parent.isNull()) {
      EXPECT_EQ(rs->Fields(2).Value().toInt(), c.parent.toInt());
    }
    rs->Close();
    ++next;
  }
  // Cancelled: nothing stored.
  ModalScript script;
  script.then(QStringLiteral("frmCatNew"), [](QWidget* w) { static_cast<frmCatNew*>(w)->cmdCancel()->click(); });
  commands->NewCat();
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES")), 7);
}

TEST_F(StructureCommandsTest, PickerOffersTheProposedCategory) {
  open(filledCatalogue());
  const struct {
    int32_t proposed;
    bool cancel;
    int32_t result;
  } cases[] = {{1, false, 1}, {0, false, 0}, {3, true, -1}};
  for (const auto& c : cases) {
    QString shown;
    {
      ModalScript script;
      script.then(QStringLiteral("frmCatPicker"), [&](QWidget* w) {
        auto* p = static_cast<frmCatPicker*>(w);
        shown = p->cmbCat()->currentText();
        QTest::mouseClick(c.cancel ? p->cmdCancel() : p->cmdNext(), Qt::LeftButton);
      });
      EXPECT_EQ(commands->CatPick(c.proposed), c.result);
    }
    EXPECT_EQ(shown, c.proposed == 1   ? QStringLiteral("Musik > Klassik")
                     : c.proposed == 0 ? QStringLiteral("(Keine)")
                                       : QStringLiteral("Musik"));
  }
}

// From an empty catalogue: no picker, the wizard reads the folder, and the new volume is
// selected in the refilled tree.
TEST_F(StructureCommandsTest, NewVolumeFromAnEmptyCatalogue) {
  const QString path = dir + QStringLiteral("/leer.qvk");
  ASSERT_TRUE(testenv::copyTemplate(path));
  open(path);
  const QString medium = testenv::freshTempDir() + QStringLiteral("/Urlaub");
  ASSERT_TRUE(QDir().mkpath(medium + QStringLiteral("/Tag 1")));
  testenv::writeFile(medium + QStringLiteral("/Tag 1/bild.jpg"), "jpg");
  auto chooser = std::make_unique<ScriptedChooser>();
  chooser->answers = {medium};
  auto previous = ui::setFileChooser(std::move(chooser));
  QString lbl1, caption;
  {
    ModalScript script;
    script.then(QStringLiteral("frmVolumeNew"), [&](QWidget* w) {
      auto* v = static_cast<frmVolumeNew*>(w);
      lbl1 = v->lbl1()->text();
      caption = v->windowTitle();
      v->VolumeName()->setText(QStringLiteral("Urlaub"));
      v->GotoPage(3);
      QTest::mouseClick(v->cmdNext(), Qt::LeftButton);
    });
    int32_t cat = 0;
    commands->NewVolume(cat);
    EXPECT_EQ(cat, 0);
  }
  ui::setFileChooser(std::move(previous));
  EXPECT_EQ(caption, QStringLiteral("Neues Volume"));
  EXPECT_EQ(lbl1,
            QStringLiteral("Damit sind alle Informationen erfasst, die nötig sind, um das neue Volume anzulegen."));
  EXPECT_EQ(selectedKey(), QStringLiteral("V1"));
  EXPECT_EQ(tree()->SelectedItem()->text(0), QStringLiteral("Urlaub"));
  EXPECT_EQ(host->formEnables, 1);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblFILES")), 1);
  EXPECT_TRUE(count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES WHERE CatID Is Null")) == 1);
}

}  // namespace
