// The search window driven as a user drives it: terms typed and searched, Esc and the close box
// during a search, the volume filters, the context menu with its three commands, the output
// and the columns. The main, property and text windows are stand-ins that record their calls.

#include "catalogue/MainWindowServices.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_registry.h"
#include "foundation/widgets/cuFormPos.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/Twips.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "tests/windows/capture/FindFixture.h"
#include "windows/capture/FindResultModel.h"
#include "windows/capture/frmEditor.h"
#include "windows/capture/frmFind.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPaintEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>

namespace {

class RecordingMain : public MainWindowServices {
 public:
  void pubDBOpen(const QString&) override {}
  void pubStatus(const QString&) override {}
  void SetStatusPanel1(const QString&) override {}
  void pubVolumeSelect(int32_t vid) override { calls << QStringLiteral("volume %1").arg(vid); }
  bool pubFolderSelect(int32_t vid, int32_t pid) override {
    calls << QStringLiteral("folder %1|%2").arg(vid).arg(pid);
    return folderFound;
  }
  void pubFileListSelect(int32_t fid) override { calls << QStringLiteral("file %1").arg(fid); }
  QStringList calls;
  bool folderFound = true;
};

struct Shown {
  QString caption;
  QStringList rows;
  QString text;
  int mode = -1;
  QWidget* owner = nullptr;
  int count = 0;
};

class RecordingProperties : public PropertiesWindow {
 public:
  explicit RecordingProperties(Shown& shown) : shown_(shown) {}
  void setCaption(const QString& caption) override { shown_.caption = caption; }
  QTreeWidget* LV() override { return &lv_; }
  void showModal(QWidget* owner) override {
    shown_.rows.clear();
    for (int i = 0; i < lv_.topLevelItemCount(); ++i)
      shown_.rows << lv_.topLevelItem(i)->text(0) + QStringLiteral(": ") + lv_.topLevelItem(i)->text(1);
    shown_.owner = owner;
    ++shown_.count;
  }

 private:
  Shown& shown_;
  QTreeWidget lv_;
};

class FindWindowTest : public FindFixture {
 protected:
  void SetUp() override {
    FindFixture::SetUp();
    auto m = std::make_unique<RecordingMain>();
    main = m.get();
    gfrmMain = std::move(m);
    previousProperties = SetPropertiesWindowFactory([this] { return std::make_unique<RecordingProperties>(props); });
  }
  void TearDown() override {
    w.reset();
    gfrmMain.reset();
    SetPropertiesWindowFactory(std::move(previousProperties));
    FindFixture::TearDown();
  }

  frmFind& open() {
    w = std::make_unique<frmFind>();
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return *w;
  }
  // Types the term as the user does and starts the search with the button.
  void search(const QString& term, bool whole = false, int source = 0) {
    w->txtFileFind->setText(term);
    w->chkFileWhole->setChecked(whole);
    w->cmbSource->setCurrentIndex(source);
    QTest::mouseClick(w->cmdFileFind, Qt::LeftButton);
  }
  FindResultModel& results() { return *w->Results(); }
  QStringList column(int c) {
    QStringList out;
    for (int r = 0; r < results().count(); ++r) out << results().text(r, c);
    return out;
  }
  QString status() { return w->lblCount->text(); }
  QStringList boxTexts() {
    QStringList out;
    for (const auto& b : boxes->shown) out << b.text;
    return out;
  }
  int sourceIndex(const QString& volumeName) { return w->cmbSource->findText(volumeName); }
  void selectRow(int row) {
    w->LVFiles->setCurrentIndex(results().index(row, 0));
    w->LVFiles->selectionModel()->select(results().index(row, 0),
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  void rightClick(QAbstractItemView* list) {
    const QPoint p(5, 5);
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, p);
  }

  std::unique_ptr<frmFind> w;
  RecordingMain* main = nullptr;
  Shown props;
  PropertiesWindowFactory previousProperties;
};

const QString kDone = QStringLiteral("Die Suche ist beendet. %1 Objekt(e) wurde(n) gefunden.");

TEST_F(FindWindowTest, OpensWithItsChoosersFilledAndNothingChosen) {
  open();
  EXPECT_EQ(w->windowTitle(), "Suchen");
  EXPECT_EQ(w->TabOne1->tabText(0), "Dateien/Ordner");
  EXPECT_EQ(w->TabOne1->tabText(1), "Volumes");
  EXPECT_EQ(w->TabOne1->currentIndex(), 0);
  EXPECT_EQ(w->focusWidget(), w->txtFileFind);
  // A folder term starts with either separator.
  EXPECT_EQ(w->txtFileFind->toolTip(), "Ordnersuche: Suchbegriff mit Backslash (\\) oder Schrägstrich (/) beginnen");
  // "(Alles)" first, then the volumes in record order.
  QStringList sources;
  for (int i = 0; i < w->cmbSource->count(); ++i)
    sources << w->cmbSource->itemText(i) + QLatin1Char('=') + w->cmbSource->itemData(i).toString();
  EXPECT_EQ(sources.join(' '), "(Alles)=0 Archiv=1 Musik=2 O'Brien CDs=42");
  EXPECT_EQ(w->cmbSource->currentIndex(), 0);
  QStringList ids, locations;
  for (int i = 0; i < w->cmbVolID->count(); ++i) ids << w->cmbVolID->itemText(i);
  for (int i = 0; i < w->cmbVolLoc->count(); ++i) locations << w->cmbVolLoc->itemText(i);
  EXPECT_EQ(ids.join(' '), "1 2 42");
  EXPECT_EQ(locations.join(' '), "Keller Dachboden Leer");
  EXPECT_EQ(w->cmbVolID->currentIndex(), -1);
  EXPECT_EQ(w->cmbVolLoc->currentIndex(), -1);
  EXPECT_TRUE(w->lblVolLoc->isEnabled());
  EXPECT_FALSE(w->cmdVolNameFilter->isEnabled());
  EXPECT_EQ(results().headerData(0, Qt::Horizontal).toString(), "Dateiname");
  EXPECT_EQ(w->property("HelpContextID").toInt(), 50);
  // Switching tabs puts the focus where the tab's input starts.
  w->TabOne1->setCurrentIndex(1);
  EXPECT_EQ(w->focusWidget(), w->cmbVolID);
  w->TabOne1->setCurrentIndex(0);
  EXPECT_EQ(w->focusWidget(), w->txtFileFind);
}

TEST_F(FindWindowTest, ItsSizeIsStoredUnderFindAndComesBack) {
  gFormPos = std::make_unique<cuFormPos>();
  gFormPos->Init(registry::HKEY_CURRENT_USER, QStringLiteral("Software\\Tolvarent\\Kerbolith\\WindowPos"), true);
  open();
  w->resize(700, 500);
  QCoreApplication::processEvents();
  w->close();
  EXPECT_NE(RegGetString(registry::HKEY_CURRENT_USER, QStringLiteral("Software\\Tolvarent\\Kerbolith\\WindowPos\\Find"),
                         QStringLiteral("Width"), QStringLiteral("<missing>")),
            "<missing>");
  open();
  EXPECT_EQ(w->size(), QSize(700, 500));
  w.reset();
  gFormPos.reset();
}

// A place stored under a larger screen would put the window partly below and right of this
// one: it opens wholly on the screen, its caption and its size grip both in reach.
TEST_F(FindWindowTest, AStoredPlaceBeyondTheScreenOpensOnTheScreen) {
  gFormPos = std::make_unique<cuFormPos>();
  gFormPos->Init(registry::HKEY_CURRENT_USER, QStringLiteral("Software\\Tolvarent\\Kerbolith\\WindowPos"), true);
  const QString key = QStringLiteral("Software\\Tolvarent\\Kerbolith\\WindowPos\\Find");
  const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
  const auto twips = [](int px) { return QString::number(ui::pixelsToTwipsX(px)); };
  for (const auto& [name, value] : {std::pair{"Maximized", QString("0")},
                                    {"Width", twips(760)},
                                    {"Height", twips(free.height())},
                                    {"Left", twips(free.width() - 200)},
                                    {"Top", twips(free.height() / 2)}})
    ASSERT_TRUE(RegSetString(registry::HKEY_CURRENT_USER, key, name, value));
  open();
  EXPECT_TRUE(free.contains(w->frameGeometry())) << w->frameGeometry().x() << "," << w->frameGeometry().y() << " "
                                                 << w->frameGeometry().width() << "x" << w->frameGeometry().height();
  w.reset();
  gFormPos.reset();
}

TEST_F(FindWindowTest, WithoutLocationsTheLocationChooserIsGreyed) {
  exec(QStringLiteral("DELETE FROM tblLOCATIONS"));
  exec(QStringLiteral("DELETE FROM tblVOLUMES"));
  open();
  EXPECT_FALSE(w->cmbVolLoc->isEnabled());
  EXPECT_FALSE(w->lblVolLoc->isEnabled());
  EXPECT_FALSE(w->cmbVolID->isEnabled());
  EXPECT_EQ(w->cmbSource->count(), 1);
}

TEST_F(FindWindowTest, TermsThatStartNoSearchAnswerByTheRules) {
  struct {
    const char* term;
    const char* box;  // nullptr: no box
    int style;
  } cases[] = {
      {"", "Bitte einen Suchbegriff eingeben", 64},
      {"\\", nullptr, 0},
      {"a\\b", "Ungültige Eingabe.", 48},
      {"\\a\\b\\", "Ungültige Eingabe.", 48},
      // "/" is taken as "\\" is.
      {"/", nullptr, 0},
      {"a/b", "Ungültige Eingabe.", 48},
      {"/usr/bash/", "Ungültige Eingabe.", 48},
      {"\\a/b", "Ungültige Eingabe.", 48},
  };
  open();
  for (const auto& c : cases) {
    boxes->shown.clear();
    w->lblCount->setText(QStringLiteral("vorher"));
    w->cmdFileFind->setFocus();
    search(QString::fromUtf8(c.term));
    EXPECT_EQ(status(), "vorher") << c.term;
    EXPECT_EQ(results().count(), 0) << c.term;
    if (!c.box) {
      EXPECT_TRUE(boxes->shown.empty()) << c.term;
      continue;
    }
    ASSERT_EQ(boxes->shown.size(), 1u) << c.term;
    EXPECT_EQ(boxes->shown[0].text, QString::fromUtf8(c.box));
    EXPECT_EQ(boxes->shown[0].style, c.style);
    EXPECT_EQ(boxes->shown[0].title, gErr->AppName());
  }
  // After the empty term the focus went back to the search term.
  search(QString());
  EXPECT_EQ(w->focusWidget(), w->txtFileFind);
}

TEST_F(FindWindowTest, FileHitsShowNameVolumeAndFolderPathWithTheirKeysAndTags) {
  open();
  search(QStringLiteral("a.txt"), true);
  EXPECT_EQ(status(), kDone.arg(4));
  EXPECT_EQ(column(0).join('|'), "a.txt|A.TXT|a.TXT|A.txt");
  EXPECT_EQ(column(1).join('|'), "Archiv|Archiv|Musik|Musik");
  // The volume path gets its separator; a file in a volume's root folder shows the path alone.
  EXPECT_EQ(column(2).join('|'), "/srv/archiv/|/srv/archiv/fotos/|/mnt/musik/|/mnt/musik/Fotos/");
  EXPECT_EQ(results().headerData(0, Qt::Horizontal).toString(), "Dateiname");
  EXPECT_EQ(w->chkFolderSearch(), 0);
  const QModelIndex first = results().index(0, 0);
  EXPECT_EQ(first.data(ui::kItemKeyRole).toString(), "A985");
  EXPECT_EQ(first.data(ui::kItemTagRole).toInt(), 985);
  EXPECT_EQ(results().index(0, 1).data(ui::kItemTagRole).toInt(), 1);
  EXPECT_EQ(results().index(0, 2).data(ui::kItemTagRole).toInt(), 20);
  // Deeper folders, one volume chosen.
  search(QStringLiteral("ä.txt"), true, sourceIndex("Musik"));
  EXPECT_EQ(column(2).join('|'), "/mnt/musik/Fotos/2020/");
  // The first two columns fit every text and their caption without cutting them, and are no
  // wider than the widest of these; the third takes the rest.
  const auto fitted = [&](const char* term) {
    search(QString::fromUtf8(term));
    for (int c = 0; c < 2; ++c) {
      int widest = w->LVFiles->header()->sectionSizeHint(c);
      EXPECT_GE(w->LVFiles->columnWidth(c), widest) << term << ": the caption";
      for (int r = 0; r < results().count(); ++r) {
        const int needed = w->LVFiles->sizeHintForIndex(results().index(r, c)).width();
        widest = std::max(widest, needed);
        EXPECT_GE(w->LVFiles->columnWidth(c), needed) << term << ": " << results().text(r, c).toStdString();
      }
      EXPECT_LE(w->LVFiles->columnWidth(c), widest + 2) << term;
    }
    EXPECT_GT(w->LVFiles->columnWidth(2), 0);
    EXPECT_LE(w->LVFiles->columnWidth(0) + w->LVFiles->columnWidth(1) + w->LVFiles->columnWidth(2),
              w->LVFiles->width());
  };
  fitted("*");
  // Names whose laid-out width rounds up beyond their advance, the shortest listed first.
  for (int n = 1; n <= 12; ++n) file(5000 + n, 14, QStringLiteral("Titel 0 - Stück %1.mp3").arg(n));
  fitted("Titel 0");
}

TEST_F(FindWindowTest, TheWidestNameAfterThousandsOfNarrowOnesSizesItsColumn) {
  // So many narrow names that the widths are settled before the wide one comes, last in the
  // list; its letters take two, three or four bytes in UTF-8.
  gDB->WS()->BeginTrans();
  for (int n = 0; n < 4200; ++n) file(60000 + n, 14, QStringLiteral("a%1 breit").arg(n));
  gDB->WS()->CommitTrans();
  open();
  for (const char* wide : {"\u0174\u0174\u0174\u0174\u0174\u0174\u0174\u0174\u0174\u0174\u0174\u0174 breit",
                           "\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC breit",
                           "\U0001D54E\U0001D54E\U0001D54E\U0001D54E\U0001D54E\U0001D54E\U0001D54E\U0001D54E breit"}) {
    const QString name = QString::fromUtf8(wide);
    file(59999, 14, name);
    search(QStringLiteral("breit"));
    ASSERT_EQ(results().count(), 4201);
    EXPECT_EQ(results().text(4200, 0), name);
    EXPECT_GE(w->LVFiles->columnWidth(0), w->LVFiles->fontMetrics().horizontalAdvance(name)) << wide;
    exec(QStringLiteral("DELETE FROM tblFILES WHERE FID = 59999"));
  }
}

TEST_F(FindWindowTest, HitsInManyFoldersShowTheirFoldersPaths) {
  // More folders than one read of a few takes: all of them are read at once, a chain of them
  // as deep as it is long.
  std::map<int32_t, QString> expected;
  gDB->WS()->BeginTrans();
  for (int k = 0; k < 150; ++k) {
    folder(3000 + k, 2, QStringLiteral("ordner_%1").arg(k), 14);
    expected[3000 + k] = QStringLiteral("/mnt/musik/Fotos/ordner_%1/").arg(k);
  }
  QString chain = QStringLiteral("/srv/archiv/fotos/");
  for (int k = 0; k < 150; ++k) {
    folder(4000 + k, 1, QStringLiteral("stufe%1").arg(k), k == 0 ? 22 : 4000 + k - 1);
    chain += QStringLiteral("stufe%1/").arg(k);
    expected[4000 + k] = chain;
  }
  int fid = 50000;
  for (const auto& entry : expected) file(fid++, entry.first, QStringLiteral("tief.txt"));
  gDB->WS()->CommitTrans();
  open();
  for (int source : {0, sourceIndex("Archiv")}) {
    search(QStringLiteral("tief.txt"), true, source);
    ASSERT_EQ(results().count(), source == 0 ? 300 : 150) << source;
    for (int r = 0; r < results().count(); ++r)
      EXPECT_EQ(results().text(r, 2), expected[results().row(r).PID]) << results().row(r).PID;
  }
}

TEST_F(FindWindowTest, FolderHitsSetTheKindWhichASearchWithoutHitsLeavesAlone) {
  open();
  search(QStringLiteral("\\fotos\\"));
  EXPECT_EQ(column(0).join('|'), "fotos|Fotos");
  EXPECT_EQ(column(2).join('|'), "/srv/archiv/fotos/|/mnt/musik/Fotos/");
  EXPECT_EQ(results().index(1, 0).data(ui::kItemKeyRole).toString(), "A14");
  EXPECT_EQ(results().headerData(0, Qt::Horizontal).toString(), "Ordnername");
  EXPECT_EQ(w->chkFolderSearch(), 1);
  search(QStringLiteral("nichts"));
  EXPECT_EQ(status(), kDone.arg(0));
  EXPECT_EQ(results().count(), 0);
  EXPECT_EQ(results().headerData(0, Qt::Horizontal).toString(), "Ordnername");
  EXPECT_EQ(w->chkFolderSearch(), 1);
  search(QStringLiteral("zebra"), true);
  EXPECT_EQ(results().headerData(0, Qt::Horizontal).toString(), "Dateiname");
  EXPECT_EQ(w->chkFolderSearch(), 0);
  // Folder terms in the other spellings, with "/" as a Linux user types them.
  for (const char* term : {"\\fotos", "fotos\\", "/fotos/", "/fotos", "fotos/", "\\fotos/"}) {
    search(QString::fromUtf8(term));
    EXPECT_EQ(column(0).join('|'), "fotos|Fotos") << term;
  }
  for (const char* term : {"\\\\", "//"}) {
    search(QString::fromUtf8(term));
    EXPECT_EQ(results().count(), 6) << term;
    search(QString::fromUtf8(term), true);
    EXPECT_EQ(results().count(), 0) << term;
  }
}

// Hits narrower than their column's caption do not cut the caption, in either list and for
// either kind of hit; nor does a name wider than the whole list.
TEST_F(FindWindowTest, EveryColumnShowsItsWholeCaption) {
  open();
  const auto captionsFit = [](QTreeView* list, const std::string& what) {
    for (int c = 0; c < 3; ++c)
      EXPECT_GE(list->columnWidth(c), list->header()->sectionSizeHint(c))
          << what << ": " << list->model()->headerData(c, Qt::Horizontal).toString().toStdString();
  };
  search(QStringLiteral("a.txt"), true);
  ASSERT_EQ(results().headerData(0, Qt::Horizontal).toString(), "Dateiname");
  captionsFit(w->LVFiles, "files");
  search(QStringLiteral("\\fotos\\"));
  ASSERT_EQ(results().headerData(0, Qt::Horizontal).toString(), "Ordnername");
  captionsFit(w->LVFiles, "folders");
  w->TabOne1->setCurrentIndex(1);
  w->Filter(42, 0, QString());
  ASSERT_EQ(w->LVVolumes->topLevelItemCount(), 1);
  captionsFit(w->LVVolumes, "volumes");
  // A name wider than the list leaves the path column no room but its caption's.
  w->TabOne1->setCurrentIndex(0);
  file(6000, 14, QString(100, QChar('W')) + ".dat");
  search(QStringLiteral("WWW"));
  ASSERT_GT(w->LVFiles->columnWidth(0), w->LVFiles->width());
  captionsFit(w->LVFiles, "wide name");
}

TEST_F(FindWindowTest, StatusPointerAndButtonFollowTheSearchStates) {
  open();
  w->setSliceRows(4);
  QStringList seen;
  bool buttonEnabled = true;
  int pointer = ui::kPointerDefault;
  w->onPoll = [&](int64_t) {
    if (seen.isEmpty() || seen.back() != status()) seen << status();
    buttonEnabled = buttonEnabled && w->cmdFileFind->isEnabled();
    pointer = ui::mousePointer();
  };
  search(QStringLiteral("txt"));
  EXPECT_EQ(seen.join('|'), "Einen Moment, die Abfrage wird ausgeführt ...|Die Suche wird gestartet ...");
  EXPECT_FALSE(buttonEnabled);
  EXPECT_EQ(pointer, ui::kPointerHourglass);
  EXPECT_EQ(status(), kDone.arg(14));
  EXPECT_TRUE(w->cmdFileFind->isEnabled());
  EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
  // A volume without files: nothing to compare, so the search ends after the query.
  seen.clear();
  search(QStringLiteral("txt"), false, sourceIndex("O'Brien CDs"));
  EXPECT_EQ(seen.join('|'), "Einen Moment, die Abfrage wird ausgeführt ...");
  EXPECT_EQ(status(), kDone.arg(0));
  // Enter in the search term starts the search as well.
  w->txtFileFind->setText(QStringLiteral("zebra"));
  w->chkFileWhole->setChecked(true);
  w->cmbSource->setCurrentIndex(0);
  QTest::keyClick(w->txtFileFind, Qt::Key_Return);
  EXPECT_EQ(status(), kDone.arg(2));
}

TEST_F(FindWindowTest, ANewStatusTextRepaintsItsLineAloneAndShowsWhole) {
  open();
  QCoreApplication::processEvents();
  // Paints of other controls, or of the line's containers beyond the line. The search field's
  // blinking cursor repaints the field (and what lies under it) on its own: that is no layout.
  struct Paints : QObject {
    QWidget* line = nullptr;
    QWidget* field = nullptr;
    bool linePainted = false;
    QStringList elsewhere;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() != QEvent::Paint || !o->isWidgetType()) return false;
      auto* widget = static_cast<QWidget*>(o);
      const QRect painted = static_cast<QPaintEvent*>(e)->rect().translated(widget->mapTo(widget->window(), QPoint()));
      const QRect lineArea(line->mapTo(line->window(), QPoint()), line->size());
      const QRect fieldArea(field->mapTo(field->window(), QPoint()), field->size());
      if (widget == line)
        linePainted = true;
      else if (!lineArea.contains(painted) && !fieldArea.contains(painted) && widget->window() == line->window())
        elsewhere << widget->metaObject()->className() + QStringLiteral(" ") + widget->objectName();
      return false;
    }
  } paints;
  paints.line = w->lblCount;
  paints.field = w->txtFileFind;
  qApp->installEventFilter(&paints);
  // The window's first paint may still be on its way.
  w->lblCount->setText(QStringLiteral("vorher"));
  QTRY_VERIFY(paints.linePainted);
  for (const char* text : {"Einen Moment, die Abfrage wird ausgeführt ...", "Die Suche wird gestartet ...",
                           "Die Suche ist beendet. 1000001 Objekt(e) wurde(n) gefunden."}) {
    paints.linePainted = false;
    paints.elsewhere.clear();
    w->lblCount->setText(QString::fromUtf8(text));
    QTRY_VERIFY(paints.linePainted);
    EXPECT_EQ(paints.elsewhere, QStringList()) << text;
  }
  qApp->removeEventFilter(&paints);
  // The line is as high as its text, in the window's font too.
  EXPECT_GE(w->lblCount->height(), w->lblCount->sizeHint().height());
  QFont large = w->font();
  large.setPointSize(large.pointSize() * 2);
  w->setFont(large);
  QTRY_VERIFY(w->lblCount->height() >= w->lblCount->sizeHint().height());
  EXPECT_GT(w->lblCount->height(), 0);
}

TEST_F(FindWindowTest, EscDuringASearchAsksAndEitherGoesOnOrKeepsTheRowsSoFar) {
  struct {
    int pollToPress;  // the n-th look at the message loop
    int answer;
    int expectedRows;
  } cases[] = {
      {1, ui::kAnswerNo, 26},   // during the query, going on
      {1, ui::kAnswerYes, 0},   // during the query, stopped before any row
      {9, ui::kAnswerNo, 26},   // while listing
      {9, ui::kAnswerYes, 10},  // while listing: the ten rows listed stay
  };
  open();
  for (const auto& c : cases) {
    w->setSliceRows(4);  // 26 files: seven slices, seven looks before the listing
    int polls = 0;
    w->onPoll = [&](int64_t) {
      if (++polls == c.pollToPress) QTest::keyClick(w->LVFiles, Qt::Key_Escape);
    };
    boxes->shown.clear();
    boxes->script(c.answer);
    search(QStringLiteral("*"));
    ASSERT_EQ(boxes->shown.size(), 1u) << c.pollToPress << " " << c.answer;
    EXPECT_EQ(boxes->shown[0].text, "Soll die Suche wirklich abgebrochen werden?");
    EXPECT_EQ(boxes->shown[0].style, ui::kYesNo | ui::kQuestion);
    EXPECT_EQ(results().count(), c.expectedRows) << c.pollToPress << " " << c.answer;
    EXPECT_EQ(status(), kDone.arg(c.expectedRows));
    EXPECT_FALSE(w->SearchCancelRequested());
    EXPECT_TRUE(w->cmdFileFind->isEnabled());
    EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
  }
  // A request answered No is withdrawn: the search asks again only after the next Esc.
  int polls = 0;
  w->onPoll = [&](int64_t) {
    if (++polls == 1 || polls == 9) QTest::keyClick(w->LVFiles, Qt::Key_Escape);
  };
  boxes->shown.clear();
  boxes->script(ui::kAnswerNo);
  boxes->script(ui::kAnswerNo);
  search(QStringLiteral("*"));
  EXPECT_EQ(boxes->shown.size(), 2u);
  EXPECT_EQ(results().count(), 26);
}

TEST_F(FindWindowTest, TheCloseBoxDuringASearchAsksInsteadOfClosing) {
  open();
  w->setSliceRows(4);
  int polls = 0;
  w->onPoll = [&](int64_t) {
    if (++polls == 9) w->close();
  };
  boxes->script(ui::kAnswerNo);
  search(QStringLiteral("*"));
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Soll die Suche wirklich abgebrochen werden?");
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(results().count(), 26);
  // When idle, Esc does not close the window either; the next search forgets it.
  w->onPoll = nullptr;
  QTest::keyClick(w->txtFileFind, Qt::Key_Escape);
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->SearchCancelRequested());
  boxes->shown.clear();
  search(QStringLiteral("zebra"), true);
  EXPECT_TRUE(boxes->shown.empty());
  EXPECT_EQ(results().count(), 2);
  // The close box closes it.
  w->close();
  EXPECT_FALSE(w->isVisible());
}

TEST_F(FindWindowTest, PatternCharactersQuotesAndBadPatternsGetTheLikeAnswer) {
  struct {
    const char* term;
    bool whole;
    int rows;  // -1: the matcher's error box
  } cases[] = {{"[", false, -1},
               {"a[b", false, -1},
               {"[", true, 0},
               {"[.txt", true, 1},
               {"%", false, 1},
               {"_", false, 1},
               {"*", false, 26},
               {"*", true, 0},
               {"?", false, 26},
               {"#", false, 9},
               {"'", false, 1},
               {"\"", false, 1},
               {"x' OR '1'='1", false, 0},
               {"[*]", false, 1},
               {"[?]", false, 1},
               {"[!a-z]", false, 24}};
  open();
  for (const auto& c : cases) {
    boxes->shown.clear();
    search(QString::fromUtf8(c.term), c.whole);
    if (c.rows >= 0) {
      EXPECT_TRUE(boxes->shown.empty()) << c.term;
      EXPECT_EQ(results().count(), c.rows) << c.term;
      EXPECT_EQ(status(), kDone.arg(c.rows)) << c.term;
      continue;
    }
    ASSERT_EQ(boxes->shown.size(), 1u) << c.term;
    const auto& box = boxes->shown[0];
    EXPECT_EQ(box.style & 0xff, ui::kCritical) << c.term;
    EXPECT_EQ(box.title, gErr->AppName() + " <Fehler Nr. 93>");
    EXPECT_TRUE(box.text.contains("Ungültige Musterzeichenfolge")) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains("frmFind: cmdFileFind")) << box.text.toStdString();
    EXPECT_FALSE(box.text.contains("sqlite", Qt::CaseInsensitive)) << box.text.toStdString();
    EXPECT_EQ(results().count(), 0);
    EXPECT_EQ(status(), QString()) << c.term;
    EXPECT_TRUE(w->cmdFileFind->isEnabled());
    EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
  }
}

// A lone half of a surrogate pair (pasted from a broken text) is no wildcard: it finds nothing,
// in the file search and in the volume-name filter; a whole pair still finds its character.
TEST_F(FindWindowTest, ALoneSurrogateInATermMatchesNothing) {
  file(2000, 14, QStringLiteral("Urlaub \U0001F600.jpg"));
  const QString lone(QChar(0xD800));
  const struct {
    QString term;
    bool whole;
    int rows;
  } cases[] = {
      {"a" + lone + "b", false, 0},  // "a?b" would find "a\"b.txt"
      {lone, false, 0},
      {lone, true, 0},
      {"\\" + lone + "\\", false, 0},
      {QStringLiteral("\U0001F600"), false, 1},
  };
  open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.term.toStdString());
    boxes->shown.clear();
    search(c.term, c.whole);
    EXPECT_TRUE(boxes->shown.empty()) << boxTexts().join(" | ").toStdString();
    EXPECT_EQ(results().count(), c.rows);
  }
  w->TabOne1->setCurrentIndex(1);
  for (const QString& name : {lone, "m" + lone + "sik"}) {
    boxes->shown.clear();
    w->txtVolName->setText(name);
    QTest::mouseClick(w->cmdVolNameFilter, Qt::LeftButton);
    EXPECT_EQ(w->LVVolumes->topLevelItemCount(), 0);
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text,
              "Das angegebene Kriterium liefert kein Ergebnis. Versuchen Sie eine andere Eingabe.");
  }
}

TEST_F(FindWindowTest, RowsReachTheListInChunksNotOneByOne) {
  gDB->WS()->BeginTrans();
  for (int i = 0; i < 3000; ++i) file(10000 + i, 22, QStringLiteral("viele_%1.dat").arg(i, 5, 10, QLatin1Char('0')));
  gDB->WS()->CommitTrans();
  open();
  QSignalSpy inserted(&results(), &QAbstractItemModel::rowsInserted);
  search(QStringLiteral("viele_"));
  EXPECT_EQ(results().count(), 3000);
  EXPECT_EQ(status(), kDone.arg(3000));
  EXPECT_LT(inserted.count(), 30);
  EXPECT_EQ(results().text(2999, 0), "viele_02999.dat");
  // The view has the first rows; scrolling to the end fetches the rest.
  EXPECT_LT(results().rowCount(), 3000);
  for (int i = 0; i < 10 && results().rowCount() < 3000; ++i) {
    w->LVFiles->scrollToBottom();
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(results().rowCount(), 3000);
  EXPECT_EQ(results().index(2999, 0).data().toString(), "viele_02999.dat");
}

TEST_F(FindWindowTest, AHeaderClickSortsByThatColumn) {
  open();
  search(QStringLiteral("zebra"), true);
  search(QStringLiteral("a.txt"), true);
  QTest::mouseClick(w->LVFiles->header()->viewport(), Qt::LeftButton, {},
                    QPoint(w->LVFiles->header()->sectionViewportPosition(2) + 5, 5));
  EXPECT_EQ(column(2).join('|'), "/mnt/musik/|/mnt/musik/Fotos/|/srv/archiv/|/srv/archiv/fotos/");
  QTest::mouseClick(w->LVFiles->header()->viewport(), Qt::LeftButton, {},
                    QPoint(w->LVFiles->header()->sectionViewportPosition(1) + 5, 5));
  // Equal texts keep their order.
  EXPECT_EQ(column(1).join('|'), "Archiv|Archiv|Musik|Musik");
  EXPECT_EQ(column(2).join('|'), "/srv/archiv/|/srv/archiv/fotos/|/mnt/musik/|/mnt/musik/Fotos/");
  // The keys travel with their rows.
  EXPECT_EQ(results().index(2, 0).data(ui::kItemKeyRole).toString(), "A1000");
}

TEST_F(FindWindowTest, VolumeFiltersListIdLocationOrNamePart) {
  category(3, QStringLiteral("Oben"));
  volume(7, QStringLiteral("MÜLLER-Archiv"), QStringLiteral("/m/"), 3, 2);
  volume(12345, QStringLiteral("Rock and Roll"), QStringLiteral("/r/"), rt::Null, 2);
  // In the catalogue's text order, not by character codes: "bücher" between "Archiv" and "Musik".
  volume(8, QStringLiteral("bücher"), QStringLiteral("/b/"), rt::Null, 1);
  open();
  auto rows = [&] {
    QStringList out;
    for (int i = 0; i < w->LVVolumes->topLevelItemCount(); ++i) {
      QTreeWidgetItem* it = w->LVVolumes->topLevelItem(i);
      out << it->text(0) + "/" + it->text(1) + "/" + it->text(2) + "/" + ui::itemKey(it) + "/" +
                 ui::itemTag(it).toString();
    }
    return out.join('|');
  };
  struct {
    int vid, loc;
    const char* name;
    const char* rows;
    bool noResultBox;
  } cases[] = {
      {42, 0, "", "O'Brien CDs/0042/-/A42/42", false},
      {12345, 0, "", "Rock and Roll/12345/-/A12345/12345", false},
      {0, 1, "", "Archiv/0001/Medien > Bilder/A1/1|bücher/0008/-/A8/8|Musik/0002/Medien/A2/2", false},
      {0, 2, "", "MÜLLER-Archiv/0007/Oben/A7/7|O'Brien CDs/0042/-/A42/42|Rock and Roll/12345/-/A12345/12345", false},
      {0, 3, "", "", true},
      {0, 0, "o'b", "O'Brien CDs/0042/-/A42/42", false},
      {0, 0, "müller", "MÜLLER-Archiv/0007/Oben/A7/7", false},
      {0, 0, "ARCHIV", "Archiv/0001/Medien > Bilder/A1/1|MÜLLER-Archiv/0007/Oben/A7/7", false},
      {0, 0, " and ", "Rock and Roll/12345/-/A12345/12345", false},
      {0, 0, "?ock", "Rock and Roll/12345/-/A12345/12345", false},
      {0, 0, "nichts", "", true},
      {0, 0, "", "", false},
      {99, 0, "", "", true},
  };
  for (const auto& c : cases) {
    boxes->shown.clear();
    w->Filter(c.vid, c.loc, QString::fromUtf8(c.name));
    EXPECT_EQ(rows(), QString::fromUtf8(c.rows)) << c.vid << " " << c.loc << " " << c.name;
    if (c.noResultBox) {
      ASSERT_EQ(boxes->shown.size(), 1u) << c.name;
      EXPECT_EQ(boxes->shown[0].text,
                "Das angegebene Kriterium liefert kein Ergebnis. Versuchen Sie eine andere Eingabe.");
      EXPECT_EQ(boxes->shown[0].style, ui::kInformation);
    } else {
      EXPECT_TRUE(boxes->shown.empty()) << c.name;
    }
  }
  // A bad pattern is the matcher's error, not the database's.
  boxes->shown.clear();
  w->Filter(0, 0, QStringLiteral("[x"));
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].title, gErr->AppName() + " <Fehler Nr. 93>");
  EXPECT_TRUE(boxes->shown[0].text.contains("frmFind: Filter")) << boxes->shown[0].text.toStdString();
}

TEST_F(FindWindowTest, TheVolumeChoosersAndTheNameFilterFilterAsTheyAreUsed) {
  open();
  w->TabOne1->setCurrentIndex(1);
  emit w->cmbVolID->activated(2);
  ASSERT_EQ(w->LVVolumes->topLevelItemCount(), 1);
  EXPECT_EQ(w->LVVolumes->topLevelItem(0)->text(1), "0042");
  emit w->cmbVolLoc->activated(0);
  EXPECT_EQ(w->LVVolumes->topLevelItemCount(), 2);
  QTest::keyClicks(w->txtVolName, QStringLiteral("mus"));
  EXPECT_TRUE(w->cmdVolNameFilter->isEnabled());
  QTest::keyClick(w->txtVolName, Qt::Key_Return);
  ASSERT_EQ(w->LVVolumes->topLevelItemCount(), 1);
  EXPECT_EQ(w->LVVolumes->topLevelItem(0)->text(0), "Musik");
  w->txtVolName->clear();
  EXPECT_FALSE(w->cmdVolNameFilter->isEnabled());
  // A click on a header sorts by it.
  emit w->cmbVolLoc->activated(0);
  w->LVVolumes->header()->sectionClicked(2);
  EXPECT_EQ(w->LVVolumes->topLevelItem(0)->text(2), "Medien");
}

TEST_F(FindWindowTest, TheContextMenuOffersPropertiesForFilesAndVolumesOnly) {
  open();
  search(QStringLiteral("a.txt"), true);
  rightClick(w->LVFiles);
  EXPECT_FALSE(w->kLV->isVisible());  // no row selected
  selectRow(0);
  rightClick(w->LVFiles);
  QTRY_VERIFY(w->kLV->isVisible());
  EXPECT_TRUE(w->kLV_Properties->isEnabled());
  QStringList captions;
  for (QAction* a : w->kLV->actions()) captions << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(captions.join('|'), "&Auswählen|-|&Eigenschaften|&Ausgeben ...");
  w->kLV->hide();
  search(QStringLiteral("\\fotos\\"));
  selectRow(0);
  rightClick(w->LVFiles);
  QTRY_VERIFY(w->kLV->isVisible());
  EXPECT_FALSE(w->kLV_Properties->isEnabled());
  w->kLV->hide();
  w->TabOne1->setCurrentIndex(1);
  w->Filter(0, 1, QString());
  w->LVVolumes->setCurrentItem(w->LVVolumes->topLevelItem(0));
  rightClick(w->LVVolumes);
  QTRY_VERIFY(w->kLV->isVisible());
  EXPECT_TRUE(w->kLV_Properties->isEnabled());
  w->kLV->hide();
}

TEST_F(FindWindowTest, PropertiesOpenAfterTheMenuWithTheRowsOfTheHit) {
  open();
  search(QStringLiteral("a.txt"), true);
  selectRow(1);  // A.TXT in Archiv/fotos
  w->kLV_Properties->trigger();
  EXPECT_EQ(props.count, 0);  // from the timer, once the menu has gone
  QTRY_COMPARE(props.count, 1);
  EXPECT_EQ(props.caption, "Datei-Eigenschaften");
  ASSERT_EQ(props.rows.size(), 6);
  EXPECT_EQ(props.rows[0], "Datei: A.TXT");
  EXPECT_EQ(props.rows[3], "Volume: Archiv");
  EXPECT_EQ(props.rows[4], "Pfad: /srv/archiv/fotos/");
  EXPECT_EQ(props.owner, w.get());
  // A volume without any folder or file.
  w->TabOne1->setCurrentIndex(1);
  w->Filter(42, 0, QString());
  w->LVVolumes->setCurrentItem(w->LVVolumes->topLevelItem(0));
  w->kLV_Properties->trigger();
  QTRY_COMPARE(props.count, 2);
  EXPECT_EQ(props.caption, "Volume-Eigenschaften");
  EXPECT_EQ(props.rows.join('|'), "Name: O'Brien CDs|Pfad: /cdrom/|Ordner: 0|Dateien: 0|Größe: 0");
  // Without a selected row nothing opens, nor for a folder hit (its id is no file's).
  w->LVVolumes->clear();
  w->kLV_Properties->trigger();
  w->TabOne1->setCurrentIndex(0);
  search(QStringLiteral("\\fotos\\"));
  selectRow(0);
  w->kLV_Properties_Click();
  // The window would open from the one-shot timer.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w->Timer1.isActive(); }, 5000));
  EXPECT_EQ(props.count, 2);
  EXPECT_TRUE(boxes->shown.empty());
}

TEST_F(FindWindowTest, SelectingAHitShowsItInTheMainWindow) {
  open();
  search(QStringLiteral("a.txt"), true);
  w->kLV_Select->trigger();
  EXPECT_TRUE(main->calls.isEmpty());  // nothing selected
  selectRow(1);
  w->kLV_Select->trigger();
  EXPECT_EQ(main->calls.join(", "), "volume 1, folder 1|22, file 984");
  main->calls.clear();
  main->folderFound = false;
  w->kLV_Select->trigger();
  EXPECT_EQ(main->calls.join(", "), "volume 1, folder 1|22");
  main->folderFound = true;
  main->calls.clear();
  search(QStringLiteral("\\2020\\"));
  selectRow(0);
  w->kLV_Select->trigger();
  EXPECT_EQ(main->calls.join(", "), "volume 2, folder 2|11");
  main->calls.clear();
  w->TabOne1->setCurrentIndex(1);
  w->Filter(42, 0, QString());
  w->LVVolumes->setCurrentItem(w->LVVolumes->topLevelItem(0));
  w->kLV_Select->trigger();
  EXPECT_EQ(main->calls.join(", "), "volume 42");
  // A main window that cannot show the folder says so in the window's error box.
  class Unwired : public RecordingMain {
   public:
    bool pubFolderSelect(int32_t vid, int32_t pid) override { return MainWindowServices::pubFolderSelect(vid, pid); }
  };
  gfrmMain = std::make_unique<Unwired>();
  w->TabOne1->setCurrentIndex(0);
  selectRow(0);
  boxes->shown.clear();
  w->kLV_Select->trigger();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains("frmFind: FileSelect")) << boxes->shown[0].text.toStdString();
}

TEST(FindOutput, AlignsTheColumnsWithTabsAndJoinsLinesWithCrLf) {
  using Rows = std::vector<std::array<QString, 3>>;
  struct {
    Rows rows;
    const char* text;
  } cases[] = {
      {{}, ""},
      {{{"a", "b", "c"}}, "a\tb\tc"},
      {{{"lang", "x", "1"}, {"k", "mittel", "22"}}, "lang\tx     \t1 \r\nk   \tmittel\t22"},
      {{{"", "", ""}, {"ä", "", "ß"}}, " \t\t \r\nä\t\tß"},
  };
  for (const auto& c : cases) {
    const QString out = FindOutputText(static_cast<int>(c.rows.size()),
                                       [&](int r, int col) { return c.rows[static_cast<size_t>(r)][col]; });
    EXPECT_EQ(out, QString::fromUtf8(c.text));
  }
}

TEST_F(FindWindowTest, OutputWritesTheListAsTextIntoATextWindow) {
  open();
  // The text window is modal: read it from inside, then close it.
  auto output = [&] {
    Shown shown;
    QTimer::singleShot(0, w.get(), [&] {
      auto* editor = qobject_cast<frmEditor*>(QApplication::activeModalWidget());
      if (!editor) return;
      shown.caption = editor->windowTitle();
      shown.text = editor->RichTextBox1()->toPlainText();
      shown.mode = editor->TextMode();
      shown.owner = editor->parentWidget();
      ++shown.count;
      editor->close();
    });
    w->kLV_Output->trigger();
    return shown;
  };
  Shown shown = output();
  EXPECT_EQ(shown.count, 1);
  EXPECT_EQ(shown.caption, "Ausgabe");
  EXPECT_EQ(shown.mode, 0);
  EXPECT_EQ(shown.text, "");
  EXPECT_EQ(shown.owner, w.get());
  search(QStringLiteral("zebra"), true);
  EXPECT_EQ(output().text, "zebra\tArchiv\t/srv/archiv/      \nZebra\tArchiv\t/srv/archiv/Ärger/");
  w->TabOne1->setCurrentIndex(1);
  w->Filter(0, 1, QString());
  EXPECT_EQ(output().text, "Archiv\t0001\tMedien > Bilder\nMusik \t0002\tMedien         ");
  EXPECT_TRUE(boxes->shown.empty());
}

}  // namespace
