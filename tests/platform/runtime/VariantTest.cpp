#include "platform/runtime/RaisedError.h"
#include "platform/runtime/Variant.h"

#include <gtest/gtest.h>

#include <stdexcept>

using rt::Variant;

TEST(Variant, ConversionsFollowTheRuntimeRules) {
  EXPECT_EQ(Variant(true).toLong(), -1);
  EXPECT_EQ(Variant("42").toLong(), 42);
  EXPECT_EQ(Variant(" 1.5 ").toDouble(), 1.5);
  EXPECT_EQ(Variant("1,5").toDouble(), 1.5);  // the user's (German) locale
  EXPECT_EQ(Variant(int64_t{5'000'000'000}).toText(), "5000000000");
  EXPECT_TRUE(rt::Null.isNull());
  EXPECT_EQ(rt::Null.toText(), "");
  EXPECT_EQ(Variant().toLong(), 0);
  EXPECT_NE(Variant(1), Variant("1"));
  EXPECT_EQ(Variant::null(), rt::Null);
}

TEST(Variant, OleDatesRoundTrip) {
  const QDateTime dt(QDate(2024, 2, 29), QTime(13, 45, 30));
  const double ole = rt::oleDateFromDateTime(dt);
  EXPECT_NEAR(ole, 45351.5732638889, 1e-9);
  EXPECT_EQ(rt::dateTimeFromOleDate(ole), dt);
  EXPECT_EQ(rt::oleDateFromDateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
  EXPECT_EQ(Variant::fromDateTime(dt).toText(), "29.02.2024 13:45:30");
}

TEST(RaisedError, CurrentErrorMapsForeignExceptions) {
  EXPECT_EQ(rt::currentError().number, 0);
  try {
    throw rt::RaisedError(-2147221617, "src", "desc");
  } catch (...) {
    const rt::RaisedError e = rt::currentError();
    EXPECT_EQ(e.number, -2147221617);
    EXPECT_EQ(e.source, "src");
  }
  try {
    throw std::runtime_error("boom");
  } catch (...) {
    const rt::RaisedError e = rt::currentError();
    EXPECT_EQ(e.number, rt::kErrInternal);
    EXPECT_TRUE(e.description.contains("boom"));
  }
}
