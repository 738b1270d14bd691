#include "foundation/MessageNumbers.h"
#include "foundation/MessageTable.h"

#include <gtest/gtest.h>

#include <optional>

TEST(FillPlaceholders, Table) {
  struct Case {
    QString in;
    std::optional<QString> first, second;
    QString out;
  };
  const Case cases[] = {
      {"Erwartet: ##, Ist: ##", "1", "2", "Erwartet: 1, Ist: 2"},
      {"Erwartet: ##, Ist: ##", std::nullopt, "2", "Erwartet: ##, Ist: 2"},
      {"Erwartet: ##, Ist: ##", "1", std::nullopt, "Erwartet: 1, Ist: ##"},
      // A placeholder inside a value is text, also for the value after it.
      {"x ## y ##", "##", "z", "x ## y z"},
      {"x ## y", "##", "z", "x ## y"},
      {"a####b", "1", "2", "a12b"},
      {"[##]", "", "z", "[]"},
      {"####", "", "z", "z"},
      {"###", "x", std::nullopt, "x#"},
      {"## only", "a", "b", "a only"},
      {"plain", "a", "b", "plain"},
      {"", "a", "b", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FillPlaceholders(c.in, {c.first, c.second}), c.out) << c.in.toStdString();
  EXPECT_EQ(FillPlaceholders("## ##", {}), "## ##");
  EXPECT_EQ(FillPlaceholders("## ## ##", {"a", std::nullopt, "c"}), "a ## c");
}

// The generated names stand for the numbers of their own texts: first, last, after a gap, out of
// order and an SQL text.
TEST(MessageNumbers, NameTheTextsOfTheTable) {
  struct Case {
    int32_t number;
    QString start;
  };
  const Case cases[] = {
      {kMsgVolumeNameMissing, "Bitte geben Sie den Volumenamen an."},
      {kMsgProgramTitle, "Tolvarent Kerbolith"},
      {kMsgRequiredFileMissing, "Die Datei '##' ist nicht vorhanden.@@Ohne"},
      {kMsgBadWritePosition, "Ungültige Schreibposition."},
      {kSqlReleaseVolumes, "UPDATE tblVOLUMES SET"},
      {kSqlFindFolders, "SELECT PID, VID, VolumeName"},
  };
  for (const Case& c : cases) EXPECT_TRUE(LoadResString(c.number).startsWith(c.start)) << c.number;
}
