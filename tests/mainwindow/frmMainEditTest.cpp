// Editing in the category and volume panes as a user does it: typing, leaving the field,
// choosing a location, replacing and removing category icons, relocating a volume, and the
// bad input around it: empty and too long names, files that are no pictures, damaged icons,
// rows deleted meanwhile and a catalogue another user holds locked. Each ends with the stored
// state shown and nothing half-written.
#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/widgets/mdlCommand_categoriesw.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/mdlQZLib51_pictures.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Workspace.h"
#include "tests/mainwindow/PaneFixture.h"
#include "tests/support/HostilePictures.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTextEdit>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class EditTest : public PaneFixture {
 protected:
  void showVolume() {
    node("C1")->setExpanded(true);
    node("C2")->setExpanded(true);
    ASSERT_TRUE(click("V1"));
  }
  static rt::Variant volume(const char* field) {
    return stored(QStringLiteral("SELECT %1 FROM tblVOLUMES WHERE VID = 1").arg(QString::fromLatin1(field)));
  }
  static rt::Variant category(int cid, const char* field) {
    return stored(
        QStringLiteral("SELECT %1 FROM tblCATEGORIES WHERE CID = %2").arg(QString::fromLatin1(field)).arg(cid));
  }
  QStringList boxTexts() const {
    QStringList out;
    for (const auto& b : boxes->shown) out << b.text;
    return out;
  }
  QString iconFile(const QString& name, QColor colour, int size = 16) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(colour);
    const QString path = dir + "/icons/" + name;
    QDir().mkpath(dir + "/icons");
    EXPECT_TRUE(img.save(path, "ICO"));
    return path;
  }
  static QRgb centre(const QPixmap& p) { return p.toImage().pixel(8, 8) & 0xFFFFFF; }
  // Copies the read tree to another place, as the same medium mounted elsewhere.
  QString copyOfTree(const QString& name) {
    const QString target = dir + "/" + name + "/";
    for (const TreeFile& f : kFiles) {
      const QString to = target + QString::fromUtf8(f.path);
      QDir().mkpath(QFileInfo(to).path());
      testenv::writeFile(to, QByteArray());
    }
    return target;
  }
};

}  // namespace

TEST_F(EditTest, ANameWithReservedCharactersIsStoredReplacedAndItsNodeFollows) {
  openRead();
  showVolume();
  QTreeWidgetItem* volumeNode = node("V1");
  QTreeWidgetItem* parentBefore = volumeNode->parent();
  const int indexBefore = parentBefore->indexOfChild(volumeNode);
  typeInto(window->picVolume->VolumeName, "A|B'C");
  QTest::keyClick(window->picVolume->VolumeName, Qt::Key_Tab);
  const QString replaced = QString::fromUtf8("A\u00A6B\u00B4C");
  EXPECT_EQ(volume("VolumeName"), rt::Variant(replaced));
  EXPECT_EQ(window->picVolume->VolumeName->text(), replaced);
  ASSERT_EQ(boxes->shown.size(), 1u) << boxTexts().join("\n").toStdString();
  EXPECT_TRUE(boxes->shown[0].text.startsWith("Das Hochkomma (') und das Pipe-Symbol (|) sind reservierte Zeichen."));
  EXPECT_EQ(volumeNode->text(0), replaced);
  EXPECT_EQ(volumeNode->parent(), parentBefore);
  EXPECT_EQ(parentBefore->indexOfChild(volumeNode), indexBefore);
  // Nothing else of the row was touched.
  EXPECT_EQ(volume("Description"), rt::Variant("Alles von damals"));
  EXPECT_EQ(volume("LocID"), rt::Variant(1));
}

TEST_F(EditTest, AnEmptiedNameIsRefusedKeepsTheFocusAndIsNeverStored) {
  openRead();
  ASSERT_TRUE(click("C2"));
  QLineEdit* name = window->picCategory->CatName;
  typeInto(name, "");
  QTest::keyClick(name, Qt::Key_Tab);
  ASSERT_EQ(boxTexts(), QStringList{"Das Feld 'Name' darf nicht leer sein. Bitte geben Sie einen Wert an."});
  EXPECT_TRUE(boxes->shown[0].style & ui::kCritical);
  EXPECT_EQ(name->text(), "???");
  QTRY_VERIFY(name->hasFocus());
  EXPECT_EQ(category(2, "CatName"), rt::Variant("Fotos"));
  // Going to another node drops the refused edit: the old name stays, also on the node.
  ASSERT_TRUE(click("C3"));
  EXPECT_EQ(category(2, "CatName"), rt::Variant("Fotos"));
  EXPECT_EQ(node("C2")->text(0), "Fotos");
  EXPECT_EQ(boxes->shown.size(), 1u);
  ASSERT_TRUE(click("C2"));
  EXPECT_EQ(name->text(), "Fotos");
}

TEST_F(EditTest, ANameLongerThanItsFieldIsRefusedWithTheStoredNameShownAgain) {
  openRead();
  ASSERT_TRUE(click("C2"));
  QLineEdit* name = window->picCategory->CatName;
  typeInto(name, QString(256, QLatin1Char('x')));
  leaveField();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains(
      "Der Text im Feld 'Name der Kategorie' ist zu lang: Das Feld nimmt höchstens 255 Zeichen auf."))
      << boxes->shown[0].text.toStdString();
  EXPECT_EQ(category(2, "CatName"), rt::Variant("Fotos"));
  EXPECT_EQ(name->text(), "Fotos");
  EXPECT_EQ(node("C2")->text(0), "Fotos");
  // 255 characters fit.
  typeInto(name, QString(255, QLatin1Char('y')));
  leaveField();
  EXPECT_EQ(category(2, "CatName").toText().size(), 255);
}

TEST_F(EditTest, EmptiedTextsAndNoLocationAreStoredAsNull) {
  openRead();
  ASSERT_TRUE(click("C2"));
  typeInto(window->picCategory->CatDescription, "");
  leaveField();
  EXPECT_TRUE(category(2, "CatDescription").isNull());
  EXPECT_EQ(category(2, "CatName"), rt::Variant("Fotos"));

  showVolume();
  VolumePane& vol = *window->picVolume;
  typeInto(vol.VolumeDescription, "");
  leaveField();
  EXPECT_TRUE(volume("Description").isNull());
  typeInto(vol.VolumeMemo, "");
  leaveField();
  EXPECT_TRUE(volume("Memo").isNull());
  typeInto(vol.VolumeMemo, "Zweite Zeile\nund mehr");
  leaveField();
  EXPECT_EQ(volume("Memo"), rt::Variant("Zweite Zeile\nund mehr"));

  // The location as a user picks it from the list.
  const auto choose = [&](const QString& text) {
    vol.VolumeLocID->setFocus(Qt::MouseFocusReason);
    const int index = vol.VolumeLocID->findText(text);
    ASSERT_GE(index, 0);
    vol.VolumeLocID->setCurrentIndex(index);
    emit vol.VolumeLocID->activated(index);
    leaveField();
  };
  choose("Dachboden");
  EXPECT_EQ(volume("LocID"), rt::Variant(2));
  choose("(Keiner)");
  EXPECT_TRUE(volume("LocID").isNull());
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
  // Shown again, the pane reads what was stored.
  ASSERT_TRUE(click("C2"));
  ASSERT_TRUE(click("V1"));
  EXPECT_EQ(vol.VolumeLocID->currentText(), "(Keiner)");
  EXPECT_EQ(vol.VolumeDescription->text(), "");
  EXPECT_EQ(vol.VolumeMemo->toPlainText(), "Zweite Zeile\nund mehr");
}

// The wheel over the location list while the focus is elsewhere scrolls the pane; it neither
// moves the entry nor stores a location when the focus next passes. A choice made in the
// focused list still is stored.
TEST_F(EditTest, AWheelOverTheUnfocusedLocationScrollsThePaneAndStoresNothing) {
  openRead();
  // Low enough that the volume pane scrolls.
  window->resize(900, 300);
  showVolume();
  VolumePane& vol = *window->picVolume;
  QComboBox* combo = vol.VolumeLocID;
  ASSERT_EQ(combo->currentText(), "Keller");
  auto* scroll = window->findChild<QScrollArea*>("ElasticOne1Scroll");
  ASSERT_NE(scroll, nullptr);
  QScrollBar* bar = scroll->verticalScrollBar();
  QTRY_VERIFY(bar->maximum() > 0);
  tree()->TV()->setFocus(Qt::MouseFocusReason);

  const auto wheel = [&](int delta) {
    const QPointF at = QPointF(combo->rect().center());
    QWheelEvent event(at, combo->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    // As from the mouse (delivered as QTest delivers keys): only then does it give the focus
    // and travel on to the parents.
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(combo, &event);
  };
  const struct {
    int delta;
    bool down;
  } turns[] = {{-120, true}, {-120, true}, {120, false}};
  for (const auto& turn : turns) {
    SCOPED_TRACE(turn.delta);
    const int before = bar->value();
    wheel(turn.delta);
    EXPECT_EQ(combo->currentText(), "Keller");
    EXPECT_FALSE(combo->hasFocus());
    if (turn.down) {
      EXPECT_TRUE(bar->value() > before || bar->value() == bar->maximum()) << bar->value();
    } else {
      EXPECT_LT(bar->value(), before);
    }
  }
  // The focus passes through the pane and on to another node.
  combo->setFocus(Qt::TabFocusReason);
  leaveField();
  ASSERT_TRUE(click("C2"));
  EXPECT_EQ(volume("LocID"), rt::Variant(1));

  // Chosen with the keyboard in the focused list: stored.
  ASSERT_TRUE(click("V1"));
  ASSERT_EQ(combo->currentText(), "Keller");
  combo->setFocus(Qt::TabFocusReason);
  QTest::keyClick(combo, Qt::Key_Up);
  ASSERT_EQ(combo->currentText(), "Dachboden");
  leaveField();
  EXPECT_EQ(volume("LocID"), rt::Variant(2));
  EXPECT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
}

TEST_F(EditTest, WhatIsTypedIsWrittenWhenThePaneChangesOrTheWindowCloses) {
  openRead();
  showVolume();
  // Another node selected by the program while the field still has the focus.
  typeInto(window->picVolume->VolumeDescription, "vor dem Wechsel");
  tree()->SelectItem("C3");
  QTRY_COMPARE(visiblePane(), QString("category"));
  EXPECT_EQ(volume("Description"), rt::Variant("vor dem Wechsel"));

  ASSERT_TRUE(click("C2"));
  typeInto(window->picCategory->CatDescription, "vor dem Schließen");
  window->close();
  settle();
  window = nullptr;
  ASSERT_FALSE(gfrmMain);
  jet::Engine engine;
  auto ws = testenv::catalogueWorkspace(engine);
  auto db = ws->OpenDatabase(catalogue, false);
  auto rs = db->OpenRecordset("SELECT CatDescription FROM tblCATEGORIES WHERE CID = 2", jet::RecordsetType::Snapshot);
  EXPECT_EQ(rs->Fields(0).Value(), rt::Variant("vor dem Schließen"));
  rs->Close();
  db->Close();
}

TEST_F(EditTest, ARowDeletedMeanwhileIsReportedAndThePaneHasNoRecordLeft) {
  openRead();
  showVolume();
  // Another window deletes the volume through the same catalogue.
  gDB->DB()->Execute("DELETE FROM tblVOLUMES WHERE VID = 1");
  typeInto(window->picVolume->VolumeName, "Neuer Name");
  leaveField();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].title.contains("3167")) << boxes->shown[0].title.toStdString();
  EXPECT_TRUE(boxes->shown[0].text.contains("Der Datensatz wurde gelöscht.")) << boxes->shown[0].text.toStdString();
  EXPECT_EQ(window->picVolume->VolumeName->text(), "");
  EXPECT_TRUE(window->picVolume->VolumeName->isReadOnly());
  EXPECT_TRUE(window->picVolume->VolumeMemo->isReadOnly());
  EXPECT_FALSE(window->picVolume->cmdVolumeBrowse->isEnabled());
  EXPECT_EQ(node("V1")->text(0), "Sicherung 2021");
  EXPECT_TRUE(volume("VID").isEmpty());
}

TEST_F(EditTest, AWriteRefusedByAnotherUsersLockShowsTheStoredStateAgain) {
  startExposed();
  catalogue = readCatalogue();
  gOptions->setExclusive(false);
  window->pubDBOpen(catalogue);
  ASSERT_FALSE(gDB->Exclusive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return visiblePane() == "category"; }, 5000));
  ASSERT_TRUE(click("C2"));
  // Another user of the shared catalogue is in the middle of a write.
  jet::Engine engine;
  auto ws = testenv::catalogueWorkspace(engine);
  auto other = ws->OpenDatabase(catalogue, false);
  ws->BeginTrans();
  other->Execute("UPDATE tblLOCATIONS SET LocName = 'Keller' WHERE lID = 1");
  typeInto(window->picCategory->CatDescription, "kommt nicht an");
  leaveField();
  ws->Rollback();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].style & ui::kCritical);
  EXPECT_EQ(window->picCategory->CatDescription->toPlainText(), "Urlaube und Feste");
  EXPECT_EQ(category(2, "CatDescription"), rt::Variant("Urlaube und Feste"));
  other->Close();
  // Once the other user is done, the same edit goes through.
  typeInto(window->picCategory->CatDescription, "kommt an");
  leaveField();
  EXPECT_EQ(category(2, "CatDescription"), rt::Variant("kommt an"));
}

// A second instance on the shared catalogue changes the memo while this one edits it: leaving
// the field says so (3197, in German), the typed text stays and the other's is kept; leaving
// the field again stores what was typed, knowingly.
TEST_F(EditTest, AMemoAnotherInstanceChangedMeanwhileIsNotOverwrittenUnseen) {
  startExposed();
  catalogue = readCatalogue();
  gOptions->setExclusive(false);
  window->pubDBOpen(catalogue);
  ASSERT_FALSE(gDB->Exclusive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return visiblePane() == "category"; }, 5000));
  showVolume();
  QTextEdit* memo = window->picVolume->VolumeMemo;
  ASSERT_EQ(memo->toPlainText(), "Regal 2, Fach 4");
  jet::Engine engine;
  auto ws = testenv::catalogueWorkspace(engine);
  auto other = ws->OpenDatabase(catalogue, false);
  other->Execute("UPDATE tblVOLUMES SET Memo = 'Regal 5, vom anderen' WHERE VID = 1");
  typeInto(memo, "Regal 2, Fach 6");
  leaveField();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].style & ui::kCritical);
  EXPECT_TRUE(boxes->shown[0].title.contains("3197")) << boxes->shown[0].title.toStdString();
  EXPECT_TRUE(boxes->shown[0].text.contains(jet::errorText(jet::err::kWriteConflict)))
      << boxes->shown[0].text.toStdString();
  EXPECT_EQ(memo->toPlainText(), "Regal 2, Fach 6");
  EXPECT_EQ(volume("Memo"), rt::Variant("Regal 5, vom anderen"));
  memo->setFocus(Qt::MouseFocusReason);
  leaveField();
  EXPECT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(volume("Memo"), rt::Variant("Regal 2, Fach 6"));
  other->Close();
}

// A memo saved on a full disk: the engine's disk-full error in German, nothing half-written.
TEST_F(EditTest, AMemoSavedOnAFullDiskSaysSoInGerman) {
  openRead();
  showVolume();
  // The catalogue may grow by no page: whatever needs one finds the disk full.
  const auto pragma = [](const QString& name) {
    auto q = gDB->DB()->OpenNativeQuery(QStringLiteral("PRAGMA ") + name);
    return q->Next() ? q->Long(0) : -1;
  };
  const int64_t pageSize = pragma("page_size");
  const int64_t freePages = pragma("freelist_count");
  ASSERT_GT(pragma("max_page_count = " + QString::number(pragma("page_count"))), 0);
  QTextEdit* memo = window->picVolume->VolumeMemo;
  memo->setFocus(Qt::MouseFocusReason);
  memo->setPlainText(QString(static_cast<qsizetype>((freePages + 4) * pageSize), QLatin1Char('m')));
  QTest::keyClicks(memo, "Ende");
  leaveField();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].title.contains("3026")) << boxes->shown[0].title.toStdString();
  EXPECT_TRUE(boxes->shown[0].text.contains(jet::errorText(jet::err::kDiskFull))) << boxes->shown[0].text.toStdString();
  EXPECT_FALSE(boxes->shown[0].text.contains("disk")) << boxes->shown[0].text.toStdString();
  EXPECT_EQ(volume("Memo"), rt::Variant("Regal 2, Fach 4"));
  EXPECT_EQ(memo->toPlainText(), "Regal 2, Fach 4");
}

TEST_F(EditTest, ACategoryIconIsReplacedFromAFileAndRemovedAgain) {
  openRead();
  ASSERT_TRUE(click("C2"));
  CategoryPane& cat = *window->picCategory;
  const QString red = iconFile("rot.ico", Qt::red);
  const QString before = gOptions->LastIconDir();

  // Cancelled: nothing changes, not even the folder remembered.
  chooser->answers = {QString()};
  cat.CatIconEdit->click();
  EXPECT_EQ(gOptions->LastIconDir(), before);
  EXPECT_EQ(Tree::NodeImage(node("C2")), "i12");
  EXPECT_TRUE(category(2, "Icon").isNull());

  chooser->answers = {red};
  cat.CatIconEdit->click();
  ASSERT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
  EXPECT_EQ(chooser->requests.back().title, "Wählen Sie eine Icondatei (16x16)");
  EXPECT_EQ(gOptions->LastIconDir(), dir + "/icons/");
  EXPECT_EQ(Tree::NodeImage(node("C2")), "u2");
  EXPECT_EQ(centre(tree()->ImageList().pixmap("u2")), 0xFF0000u);
  EXPECT_EQ(centre(cat.CatIcon->pixmap()), 0xFF0000u);
  const std::optional<Picture> icon = fCatIconLoad(2);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->image().size(), QSize(16, 16));

  // A file that is no picture: one box, the icon stays as it was everywhere.
  testenv::writeFile(dir + "/icons/kaputt.ico", "kein Bild");
  chooser->answers = {dir + "/icons/kaputt.ico"};
  cat.CatIconEdit->click();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].title.contains("481")) << boxes->shown[0].title.toStdString();
  EXPECT_TRUE(boxes->shown[0].text.contains("Ungültiges Bild.")) << boxes->shown[0].text.toStdString();
  EXPECT_EQ(Tree::NodeImage(node("C2")), "u2");
  EXPECT_EQ(centre(tree()->ImageList().pixmap("u2")), 0xFF0000u);
  EXPECT_FALSE(category(2, "Icon").isNull());

  // The removal is offered once the category is shown with its own icon; it asks first, and
  // No keeps the icon.
  EXPECT_FALSE(cat.CatIconDelete->isEnabled());
  ASSERT_TRUE(click("C3"));
  ASSERT_TRUE(click("C2"));
  EXPECT_TRUE(cat.CatIconDelete->isEnabled());
  boxes->shown.clear();
  boxes->script(ui::kAnswerNo);
  cat.CatIconDelete->click();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].style, 292);
  EXPECT_FALSE(category(2, "Icon").isNull());
  boxes->script(ui::kAnswerYes);
  cat.CatIconDelete->click();
  EXPECT_TRUE(category(2, "Icon").isNull());
  EXPECT_EQ(Tree::NodeImage(node("C2")), "i12");
  EXPECT_FALSE(tree()->ImageList().contains("u2"));
  // A second removal stores Null again and changes nothing else.
  boxes->script(ui::kAnswerYes);
  cat.CatIconDelete->click();
  EXPECT_TRUE(category(2, "Icon").isNull());
  EXPECT_EQ(Tree::NodeImage(node("C2")), "i12");
  // A larger icon is rendered at the tree's 16 pixels and shows again from the catalogue.
  chooser->answers = {iconFile("blau.ico", Qt::blue, 32)};
  cat.CatIconEdit->click();
  ASSERT_TRUE(click("C3"));
  EXPECT_FALSE(cat.CatIconDelete->isEnabled());
  ASSERT_TRUE(click("C2"));
  EXPECT_TRUE(cat.CatIconDelete->isEnabled());
  EXPECT_EQ(cat.CatIcon->pixmap().size(), QSize(16, 16));
  EXPECT_EQ(centre(cat.CatIcon->pixmap()), 0x0000FFu);
}

// The catalogue was written elsewhere (import copies icons byte for byte): an icon that is
// damaged, a picture of a format the program does not store, or a directory of more images
// than an icon holds is not decoded. The standard icon shows, and the removal is offered.
TEST_F(EditTest, AnIconTheProgramDoesNotStoreShowsTheStandardOneAndCanBeRemoved) {
  startExposed();
  const QString read = readCatalogue();
  const struct {
    const char* name;
    QByteArray bytes;
  } cases[] = {
      {"damaged", QByteArray("\0\0\1\0M\xC3\xBCll", 9)},
      {"vector picture", testenv::svgPicture()},
      {"65535 images", testenv::iconWithEntries(65535)},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    catalogue = dir + QStringLiteral("/fremd%1.qvk").arg(++n);
    ASSERT_TRUE(QFile::copy(read, catalogue));
    {
      jet::Engine engine;
      auto ws = testenv::catalogueWorkspace(engine);
      auto db = ws->OpenDatabase(catalogue, false);
      db->Execute("UPDATE tblCATEGORIES SET Icon = ? WHERE CID = 2", 0, {rt::Variant(c.bytes)});
      db->Close();
    }
    window->pubDBOpen(catalogue);
    ASSERT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
    ASSERT_TRUE(click("C2"));
    CategoryPane& cat = *window->picCategory;
    EXPECT_EQ(Tree::NodeImage(node("C2")), "i12");
    EXPECT_EQ(cat.CatIcon->pixmap().toImage(), tree()->ImageList().pixmap("i12").toImage());
    EXPECT_TRUE(cat.CatIconDelete->isEnabled());
    boxes->script(ui::kAnswerYes);
    cat.CatIconDelete->click();
    EXPECT_TRUE(category(2, "Icon").isNull());
    EXPECT_EQ(boxes->shown.size(), 1u);
    boxes->shown.clear();
  }
}

// Only the margins the rendering adds become transparent: the picture keeps every pixel, also
// those of the image lists' mask colour, in the tree, in the pane and in the catalogue.
TEST_F(EditTest, AReplacedCategoryIconKeepsItsPixelsOfTheMaskColour) {
  openRead();
  ASSERT_TRUE(click("C2"));
  CategoryPane& cat = *window->picCategory;
  QImage grey(32, 16, QImage::Format_ARGB32);
  grey.fill(QColor(0xC0, 0xC0, 0xC0));
  QDir().mkpath(dir + "/icons");
  ASSERT_TRUE(grey.save(dir + "/icons/grau.png", "PNG"));
  chooser->answers = {dir + "/icons/grau.png"};
  cat.CatIconEdit->click();
  ASSERT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
  ASSERT_EQ(Tree::NodeImage(node("C2")), "u2");
  const std::optional<Picture> stored = fCatIconLoad(2);
  ASSERT_TRUE(stored.has_value());
  for (const QImage& img : {tree()->ImageList().pixmap("u2").toImage(), cat.CatIcon->pixmap().toImage(),
                            stored->image().convertToFormat(QImage::Format_ARGB32)}) {
    ASSERT_EQ(img.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y) {
      const bool inside = y >= 4 && y <= 11;
      EXPECT_EQ(qAlpha(img.pixel(8, y)), inside ? 255 : 0) << "row " << y;
      if (inside) {
        EXPECT_EQ(img.pixel(8, y) & 0xFFFFFF, 0xC0C0C0u) << "row " << y;
      }
    }
  }
}

TEST_F(EditTest, AVolumeIsRelocatedOnlyToAPathThatHoldsAllItsFolders) {
  openRead();
  showVolume();
  VolumePane& vol = *window->picVolume;
  const QString moved = copyOfTree("umgezogen");
  const DriveInfoRec drive = DriveInfo(moved);

  // A medium that lacks a folder: refused, with the hint to insert the right medium only for
  // a changeable drive type.
  const QString partial = copyOfTree("teilweise");
  QDir(partial + "Musik/Klassik").removeRecursively();
  struct Case {
    int type;
    bool hint;
  } cases[] = {{3, false}, {5, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    gDB->DB()->Execute(QStringLiteral("UPDATE tblVOLUMES SET VolumeType = %1 WHERE VID = 1").arg(c.type));
    boxes->shown.clear();
    chooser->answers = {partial.chopped(1)};
    vol.cmdVolumeBrowse->click();
    QString expected = "Der Pfad des Volumes kann nicht in '" + partial +
                       "' geändert werden, da dieser Pfad nicht den Ordner 'Musik/Klassik/' enthält.";
    if (c.hint) expected += "\r\nBitte stellen Sie sicher, dass das korrekte Medium eingelegt ist.";
    ASSERT_EQ(boxTexts(), QStringList{expected});
    EXPECT_EQ(volume("VolumePath"), rt::Variant(dir + "/daten/"));
  }
  gDB->DB()->Execute("UPDATE tblVOLUMES SET VolumeType = 3 WHERE VID = 1");
  EXPECT_EQ(chooser->requests.back().title, "Wählen Sie den Pfad des Volumes");

  // Another volume of that medium already lies below the new path: the check refuses.
  gDB->DB()->Execute(
      "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeSerial, VolumeType, EditDate) "
      "VALUES (5, 'Teil', ?, ?, 3, 45000)",
      0, {rt::Variant(moved + "Bilder/"), rt::Variant(drive.VolumeSerial)});
  boxes->shown.clear();
  chooser->answers = {moved};
  vol.cmdVolumeBrowse->click();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.startsWith("Der Pfad '" + moved + "' kann nicht verwendet werden"))
      << boxes->shown[0].text.toStdString();
  EXPECT_EQ(volume("VolumePath"), rt::Variant(dir + "/daten/"));
  gDB->DB()->Execute("DELETE FROM tblVOLUMES WHERE VID = 5");

  // Every folder there: the volume moves, with the facts of the new medium.
  boxes->shown.clear();
  const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
  chooser->answers = {moved};
  vol.cmdVolumeBrowse->click();
  ASSERT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
  EXPECT_EQ(volume("VolumePath"), rt::Variant(moved));
  EXPECT_EQ(volume("VolumeSerial"), NullIfEmpty(rt::Variant(drive.VolumeSerial), false));
  EXPECT_EQ(volume("VolumeType").toInt(), drive.VolumeType);
  const QDateTime edited = volume("EditDate").toDateTime();
  EXPECT_GE(edited, before);
  EXPECT_LE(edited, QDateTime::currentDateTime().addSecs(1));
  // The pane and the tree show it at once.
  EXPECT_EQ(vol.VolumePath->text(), moved);
  EXPECT_EQ(vol.VolumeTypeString->text(), fVolumeTypeString(drive.VolumeType));
  EXPECT_FALSE(folderKey(moved + " [Root]").isEmpty());
  // The names, memo and location are untouched.
  EXPECT_EQ(volume("VolumeName"), rt::Variant("Sicherung 2021"));
  EXPECT_EQ(volume("LocID"), rt::Variant(1));
}

TEST_F(EditTest, AVolumeWithoutFoldersIsRelocatedWithoutTheFolderCheck) {
  openRead();
  gDB->DB()->Execute(
      "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) VALUES (2, 'Leer', '/weg/', 5, "
      "45000)");
  item("mMainView_Refresh")->trigger();
  ASSERT_TRUE(click("V2"));
  const QString target = dir + "/irgendwo/";
  QDir().mkpath(target);
  chooser->answers = {target};
  window->picVolume->cmdVolumeBrowse->click();
  ASSERT_TRUE(boxes->shown.empty()) << boxTexts().join("\n").toStdString();
  EXPECT_EQ(stored("SELECT VolumePath FROM tblVOLUMES WHERE VID = 2"), rt::Variant(target));
  // The placeholder below the volume names the new path.
  EXPECT_EQ(node("V2")->child(0)->text(0), target);
}
