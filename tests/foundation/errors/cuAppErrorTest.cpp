#include "foundation/MessageTable.h"
#include "foundation/cuAppError.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MousePointer.h"
#include "tests/support/TestHelpers.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using testenv::raised;

class ReporterTest : public ::testing::Test {
 protected:
  cuAppError err;
  testenv::BoxRecorder recorder;
};

}  // namespace

TEST_F(ReporterTest, NothingToRaiseReturns) { EXPECT_NO_THROW(err.ErrRaise(0, "mod", "proc")); }

TEST_F(ReporterTest, ProgramErrorFromMessageNumber) {
  const auto e = raised([&] { err.ErrRaise(-113); });
  EXPECT_EQ(e.number, -2147221617);
  EXPECT_EQ(e.description, "Klasse konnte nicht initialisiert werden.");
  EXPECT_EQ(e.source, "");
  EXPECT_EQ(err.ProgramErrorNumber(196), -2147221700);
}

TEST_F(ReporterTest, ParametersFillTheMessage) {
  const auto e = raised([&] { err.ErrRaise(-196, "", "", "", "/x/zuvrax.mdw", "Tolvarent Kerbolith"); });
  EXPECT_EQ(e.description,
            "Die Datei '/x/zuvrax.mdw' ist nicht vorhanden.\r\nOhne diese Datei kann 'Tolvarent Kerbolith' nicht "
            "ausgeführt werden.");
}

TEST_F(ReporterTest, SourceChainGrowsOutward) {
  const auto e = raised([&] {
    try {
      try {
        err.ErrRaise(-117);
      } catch (...) {
        err.ErrRaise(0, "mdlGlobals", "CheckFiles");
      }
    } catch (...) {
      err.ErrRaise(0, "mdlGlobals", "Main");
    }
  });
  EXPECT_EQ(e.number, err.ProgramErrorNumber(117));
  EXPECT_EQ(e.source, "mdlGlobals: CheckFiles | mdlGlobals: Main");
  EXPECT_EQ(e.description, "Die Datenbank ist inkompatibel.");
}

TEST_F(ReporterTest, ReRaiseExtendsTheChainAndNeverReturns) {
  auto e = raised([&] {
    try {
      throw rt::RaisedError(3021, "DAO.Recordset", "Kein aktueller Datensatz.");
    } catch (...) {
      err.ErrReRaise("pReader", "SavePath");
    }
  });
  EXPECT_EQ(e.number, 3021);
  EXPECT_EQ(e.source, "DAO.Recordset | pReader: SavePath");
  EXPECT_EQ(e.description, "Kein aktueller Datensatz.");
  // An error numbered 0 has nothing to extend: it goes on as it was.
  e = raised([&] {
    try {
      throw rt::RaisedError(0, "x", "ohne Nummer");
    } catch (...) {
      err.ErrReRaise("m", "p");
    }
  });
  EXPECT_EQ(e.source, "x");
  EXPECT_EQ(e.description, "ohne Nummer");
}

TEST_F(ReporterTest, ProjectSourceInAnyCaseContributesNothing) {
  const auto e = raised([&] {
    try {
      throw rt::RaisedError(5, "zuvrax", "kaputt");
    } catch (...) {
      err.ErrRaise(0, "mdlCommand", "DBOpen");
    }
  });
  EXPECT_EQ(e.source, "mdlCommand: DBOpen");
  EXPECT_EQ(e.number, 5);
  EXPECT_EQ(e.description, "kaputt");
}

TEST_F(ReporterTest, LineOnlyWithProcedure) {
  struct Case {
    QString proc;
    QString expected;
  };
  for (const Case& c : {Case{"P", "inner | mod: P (12)"}, Case{"", "inner | mod"}}) {
    const auto e = raised([&] {
      try {
        throw rt::RaisedError(5, "inner", "d", "", 0, 12);
      } catch (...) {
        err.ErrRaise(0, "mod", c.proc);
      }
    });
    EXPECT_EQ(e.source, c.expected);
  }
}

TEST_F(ReporterTest, EmptyDescriptionGetsTheStandardText) {
  const auto e = raised([&] { err.ErrRaise(1234, "m", "p"); });
  EXPECT_EQ(e.number, 1234);
  EXPECT_EQ(e.description, "Keine Fehlerbeschreibung verfügbar.");
  EXPECT_EQ(e.source, "m: p");
}

TEST_F(ReporterTest, RaiseResetsThePointer) {
  ui::setMousePointer(ui::kPointerHourglass);
  raised([&] { err.ErrRaise(-130); });
  EXPECT_EQ(ui::mousePointer(), ui::kPointerDefault);
}

TEST(MsgParse, Table) {
  struct Case {
    QString in;
    rt::Variant p1, p2;
    QString out;
  };
  const Case cases[] = {
      {"Erwartet: ##, Ist: ##", "1.0.011", "2.0.001", "Erwartet: 1.0.011, Ist: 2.0.001"},
      {"Erwartet: ##, Ist: ##", rt::Null, "2.0.001", "Erwartet: ##, Ist: ##"},
      {"a@@@@b", rt::Null, rt::Null, "a\r\n\r\nb"},
      {"x ## y ##", "@@", rt::Null, "x @@ y ##"},
      {"x ## y", "##", "z", "x ## y"},
      {"Volume '##' (##)", "Disc ##1", "7", "Volume 'Disc ##1' (7)"},
      {"## Dateien", 42, rt::Null, "42 Dateien"},
      {"", "a", "b", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cuAppError::MsgParse(c.in, c.p1, c.p2), c.out) << c.in.toStdString();
}

TEST(MessageTable, EntriesAreExact) {
  EXPECT_EQ(LoadResString(144), "Tolvarent Kerbolith");
  EXPECT_EQ(LoadResString(176), "Lese Datei:@@## ... ##%");
  EXPECT_EQ(LoadResString(507),
            "SELECT Filename, DateTime, Filesize, Desc, FID FROM tblFILES WHERE (PathID=#PathID# ) ORDER BY Filename;");
  EXPECT_TRUE(HasResString(515));
  EXPECT_FALSE(HasResString(194));
  EXPECT_FALSE(HasResString(516));
  int count = 0;
  for (int i = 0; i < 600; ++i) count += HasResString(i) ? 1 : 0;
  EXPECT_EQ(count, 117);
  EXPECT_THROW(LoadResString(99), rt::RaisedError);
}

TEST_F(ReporterTest, MsgLoadFillsAndMissingNumberRaises) {
  EXPECT_EQ(err.MsgLoad(115, "/k.qvk", "2.0.000"),
            "Die Datenbank '/k.qvk' hat eine höhere Version als erwartet (2.0.000).\r\n\r\nWenn Sie diese Datenbank "
            "verwenden, kann es zu Fehlern im Programmablauf kommen.\r\nMöchten Sie die Datenbank trotzdem verwenden?");
  EXPECT_EQ(err.MsgLoad(176, "a.txt", 50), "Lese Datei:\r\na.txt ... 50%");
  EXPECT_THROW(err.MsgLoad(99), rt::RaisedError);
  err.setMsgArray(std::vector<QString>{"", "eins ##"});
  EXPECT_EQ(err.MsgLoad(1, 7), "eins 7");
}

TEST_F(ReporterTest, ErrMsgTitleAndLevels) {
  try {
    throw rt::RaisedError(-2147221617, "cuDAODatabase: OpenDB", "Klasse konnte nicht initialisiert werden.", "", 0, 7);
  } catch (...) {
    err.ErrMsg("frmMain", "Form_Load");
    err.setErrLevel(1);
    err.ErrMsg("frmMain", "Form_Load");
    err.setErrLevel(0);
    err.ErrMsg("frmMain", "Form_Load");
  }
  ASSERT_EQ(recorder->shown.size(), 2u);
  EXPECT_EQ(recorder->shown[0].title, "Tolvarent Kerbolith <Fehler Nr. -2147221617>");
  EXPECT_EQ(recorder->shown[0].text,
            "Zeile: 7\r\ncuDAODatabase: OpenDB | frmMain: Form_Load\r\n\r\nKlasse konnte nicht initialisiert werden.");
  EXPECT_EQ(recorder->shown[0].style, 16);
  EXPECT_EQ(recorder->shown[1].text, "Klasse konnte nicht initialisiert werden.");
  EXPECT_EQ(recorder->shown[1].title, "Tolvarent Kerbolith <Fehler Nr. -2147221617>");
}

TEST_F(ReporterTest, HelpButtonOnlyWithAContext) {
  try {
    throw rt::RaisedError(5, "", "d");
  } catch (...) {
    err.ErrMsg("m", "p", "", 12);
  }
  err.MsgShow(129, 64);
  err.MsgShow(129, 64, rt::Null, rt::Null, "", "", "", 5);
  ASSERT_EQ(recorder->shown.size(), 3u);
  EXPECT_EQ(recorder->shown[0].style, 16 + 0x4000);
  EXPECT_TRUE(recorder->shown[0].helpFile.endsWith("/zuvrax.chm"));
  EXPECT_EQ(recorder->shown[1].style, 64);
  EXPECT_EQ(recorder->shown[1].title, "Tolvarent Kerbolith");
  EXPECT_EQ(recorder->shown[1].text, "Das Einlesen ist abgeschlossen.");
  EXPECT_EQ(recorder->shown[2].style, 64 + 0x4000);
}

TEST_F(ReporterTest, MsgShowReturnsTheAnswerAndRestoresThePointer) {
  recorder->script(ui::kAnswerYes);
  ui::setMousePointer(ui::kPointerHourglass);
  EXPECT_EQ(err.MsgShow(104, 292, "CD 1"), ui::kAnswerYes);
  EXPECT_EQ(ui::mousePointer(), ui::kPointerHourglass);
  EXPECT_EQ(recorder->shown.back().text, "Soll das Volume 'CD 1' wirklich unwiderruflich gelöscht werden?");
  EXPECT_EQ(err.MsgShow(0, 292, "x", rt::Null, "Frage ##?"), ui::kAnswerNo);  // default button 2
  EXPECT_EQ(recorder->shown.back().text, "Frage x?");
  ui::setMousePointer(ui::kPointerDefault);
}

TEST_F(ReporterTest, StoreAndRaiseStored) {
  const auto e = raised([&] {
    try {
      throw rt::RaisedError(3021, "DAO.Recordset", "Kein aktueller Datensatz.", "", 0, 3);
    } catch (...) {
      err.ErrStore();
    }
    err.ErrRaiseStored("pReader", "Read");
  });
  EXPECT_EQ(e.number, 3021);
  EXPECT_EQ(e.source, "DAO.Recordset | pReader: Read (3)");
  EXPECT_EQ(e.description, "Kein aktueller Datensatz.");
  try {
    throw rt::RaisedError(1, "", "x", "", 0, 4);
  } catch (...) {
    err.ErrStore();
  }
  EXPECT_EQ(raised([&] { err.ErrRaiseStored("", ""); }).source, "Zeile 4");
}

TEST_F(ReporterTest, RaiseStoredWithoutAStoredSourceStartsWithTheCaller) {
  // A program error carries no source, a runtime error the project's name: neither adds a part.
  for (const char* stored : {"", "zuvrax"}) {
    SCOPED_TRACE(stored);
    try {
      throw rt::RaisedError(err.ProgramErrorNumber(514), stored, "Ungültige Schreibposition.");
    } catch (...) {
      err.ErrStore();
    }
    const auto e = raised([&] { err.ErrRaiseStored("mdlQZFramework", "File_Put"); });
    EXPECT_EQ(e.source, "mdlQZFramework: File_Put");
    EXPECT_EQ(e.number, err.ProgramErrorNumber(514));
    EXPECT_EQ(raised([&] { err.ErrRaiseStored("", "File_Put"); }).source, "File_Put");
  }
}

TEST_F(ReporterTest, ErrStringJoinsTitleAndText) {
  try {
    throw rt::RaisedError(5, "inner", "d");
  } catch (...) {
    EXPECT_EQ(err.ErrString("m", "p"), "Tolvarent Kerbolith <Fehler Nr. 5>\r\ninner | m: p\r\n\r\nd");
  }
}
