#include "foundation/mdlQZLib51_registry.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using registry::HKEY_CLASSES_ROOT;
using registry::HKEY_CURRENT_USER;

namespace {

const QString kKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Options");

class RegistryValues : public ::testing::Test {
 protected:
  void SetUp() override { qputenv("ZUVRAX_REGISTRY_DIR", testenv::freshTempDir().toUtf8()); }
};

TEST_F(RegistryValues, WrittenTextsReadBack) {
  struct Case {
    QString written;
    QString read;
  };
  const Case cases[] = {
      {"", ""},                            // an empty value is not the default
      {"  C:/Daten  ", "C:/Daten"},        // no NUL is stored, so blanks go
      {"Größe äöü ß €", "Größe äöü ß €"},  // byte count is not character count
      {QString(5000, 'x'), QString(5000, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written.left(20).toStdString());
    EXPECT_TRUE(RegSetString(HKEY_CURRENT_USER, kKey, "Value", c.written));
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kKey, "value", "default"), c.read);
  }
}

TEST_F(RegistryValues, OtherProgramsValuesFollowTheNulAndTypeRules) {
  using registry::Value;
  ASSERT_EQ(registry::setValue(HKEY_CURRENT_USER, kKey, "nul", Value::text(QString::fromUtf8("  a b  \0rest", 12))), 0);
  ASSERT_EQ(registry::setValue(HKEY_CURRENT_USER, kKey, "dword", Value::dword(7)), 0);
  ASSERT_EQ(registry::setValue(HKEY_CURRENT_USER, kKey, "expand", Value::text("%HOME%\\x", registry::REG_EXPAND_SZ)),
            0);
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kKey, "nul", "d"), "  a b  ");
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kKey, "dword", "d"), "d");
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kKey, "expand", "d"), "%HOME%\\x");
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kKey, "missing", "d"), "d");
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, "Software\\Missing", "x", ""), "");
}

TEST_F(RegistryValues, KeysAreCreatedOnlyByWriting) {
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kKey));
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kKey, "x", "d"), "d");
  EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kKey, "x"));
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kKey));
  EXPECT_TRUE(RegSetString(HKEY_CURRENT_USER, kKey + "\\", "x", "1"));
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kKey.toUpper()));
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Tolvarent"));
}

TEST_F(RegistryValues, ValueExistsLooksThroughLargeValues) {
  ASSERT_TRUE(RegSetString(HKEY_CURRENT_USER, kKey, "big", QString(10000, 'y')));
  ASSERT_TRUE(RegSetString(HKEY_CURRENT_USER, kKey, "Asked", "1"));
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kKey, "ASKED"));
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kKey, "big"));
  EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kKey, "other"));
}

TEST_F(RegistryValues, ReadOnlyHivesRefuseWrites) {
  EXPECT_FALSE(RegSetString(HKEY_CLASSES_ROOT, ".txt", "", "x"));
  EXPECT_EQ(RegGetString(HKEY_CLASSES_ROOT, ".txt", "", ""), "text/plain");
  EXPECT_FALSE(RegSetString(registry::HKEY_LOCAL_MACHINE, "Software", "x", "1"));
  EXPECT_FALSE(RegSetString(0x12345u, "Software", "x", "1"));
}

}  // namespace
