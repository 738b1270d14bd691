#include "foundation/mdlQZLib51_libmsg.h"
#include "platform/runtime/RaisedError.h"
#include "tests/support/TestHelpers.h"

#include <gtest/gtest.h>

TEST(LibMessage, Table) {
  struct Case {
    int code;
    rt::Variant a1, a2;
    QString out;
  };
  const Case cases[] = {
      {5, "D:", "1,5 MB", "Zu wenig Speicherplatz auf Laufwerk 'D:'.\r\nEs werden 1,5 MB benötigt."},
      {5, "D:", rt::Variant(), "Zu wenig Speicherplatz auf Laufwerk 'D:'.\r\nEs werden ## benötigt."},
      {9, rt::Variant(), rt::Variant(), "Auf Laufwerk '##' kann nicht zugegriffen werden."},
      {6, "/a.qvk", rt::Variant(),
       "Durch einen schweren Fehler wurde die Datenbank '/a.qvk'' gelöscht!\r\nVersuchen Sie bitte, sie über den "
       "Papierkorb wiederherzustellen."},
      {5, rt::Null, "x", "Zu wenig Speicherplatz auf Laufwerk '##'.\r\nEs werden x benötigt."},
      {99, "a", "b", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(LibMessage(c.code, c.a1, c.a2), c.out) << c.code;
  EXPECT_TRUE(GetLibMessageText(27).contains("Zeichen  nicht"));
}

TEST(RaiseLibError, CodesAndPassingOn) {
  // Each case must raise: a routine that stopped raising gives number 0 and fails here.
  rt::RaisedError e = testenv::raised([] { RaiseLibError(-26, "", "", "", "/x/y.txt"); });
  EXPECT_EQ(e.number, -2147220454);
  EXPECT_EQ(e.source, "zuvrax");
  EXPECT_EQ(e.description, "Die Datei '/x/y.txt' ist nicht vorhanden.");

  e = testenv::raised([] { RaiseLibError(-26, "", "", "eigene Beschreibung"); });
  EXPECT_EQ(e.number, -2147220454);
  EXPECT_EQ(e.description, "eigene Beschreibung");

  e = testenv::raised([] {
    try {
      RaiseLibError(-7);
    } catch (...) {
      RaiseLibError(0, "mdlLib", "GetScrollbarSize");
    }
  });
  EXPECT_EQ(e.number, -2147220473);
  EXPECT_EQ(e.source, "zuvrax: mdlLib: GetScrollbarSize");
  EXPECT_EQ(e.description, "Fehler beim Ermitteln der Größe der Bildlaufleiste.");

  e = testenv::raised([] {
    try {
      throw rt::RaisedError(53, "", "Datei nicht gefunden.");
    } catch (...) {
      RaiseLibError(0, "mdlLib", "DriveGetType");
    }
  });
  EXPECT_EQ(e.number, 53);
  EXPECT_EQ(e.source, "mdlLib: DriveGetType");
  EXPECT_EQ(e.description, "Datei nicht gefunden.");
}
