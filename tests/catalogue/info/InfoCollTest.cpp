#include "catalogue/pCatInfo.h"
#include "catalogue/pInfoColl.h"
#include "catalogue/pPathInfo.h"
#include "catalogue/pVolumeInfo.h"
#include "platform/runtime/RaisedError.h"

#include <gtest/gtest.h>

namespace {

TEST(InfoTexts, BytesAndCountsInTheGermanLocale) {
  pPathInfo p;
  EXPECT_EQ(p.ByteString(), QStringLiteral("0"));
  EXPECT_EQ(p.FilesString(), QStringLiteral("0"));
  p.Bytes = 1023;
  p.TotalBytes = 1536;
  p.TotalFiles = 1234567;
  EXPECT_EQ(p.ByteString(), QStringLiteral("1.023 Bytes (1023 Byte)"));
  EXPECT_EQ(p.TotalByteString(), QStringLiteral("1.536 Bytes (1,5 KB)"));
  EXPECT_EQ(p.TotalFilesString(), QStringLiteral("1.234.567"));
  pVolumeInfo v;
  v.Bytes = 5e9;  // beyond 32 bits
  EXPECT_EQ(v.ByteString(), QStringLiteral("5.000.000.000 Bytes (4,7 GB)"));
  pCatInfo c;
  c.Bytes = -3;
  EXPECT_EQ(c.ByteString(), QStringLiteral("0"));
}

TEST(InfoColl, KindsKeepTheirOwnKeys) {
  pInfoColl cache;
  auto r = cache.Add(17, pInfoColl::Category);
  EXPECT_NE(std::dynamic_pointer_cast<pCatInfo>(r), nullptr);
  EXPECT_EQ(r->ID, 17);
  EXPECT_TRUE(cache.IDExists(17, 0));
  EXPECT_FALSE(cache.IDExists(17, 1));
  EXPECT_EQ(cache.Item(17, 0), r);
  EXPECT_EQ(cache.Item(QStringLiteral("17"), 0), r);
  EXPECT_NE(std::dynamic_pointer_cast<pPathInfo>(cache.Add(17, pInfoColl::Folder)), nullptr);
  EXPECT_EQ(cache.Count(0), 1);
  EXPECT_EQ(cache.Count(2), 1);
}

TEST(InfoColl, MissingAndDuplicateKeysRaiseTheCollectionErrors) {
  pInfoColl cache;
  cache.Add(3, pInfoColl::Volume);
  try {
    cache.Item(4, 1);
    FAIL();
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 5);
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      if (attempt == 0)
        cache.Add(3, 1);
      else {
        auto mine = std::make_shared<pVolumeInfo>();
        mine->ID = 3;
        cache.AddInfo(mine, 1);
      }
      FAIL();
    } catch (const rt::RaisedError& e) {
      EXPECT_EQ(e.number, 457);
    }
  }
  EXPECT_EQ(cache.Count(1), 1);
}

TEST(InfoColl, RemoveAndClearTouchOnlyWhatTheyName) {
  pInfoColl cache;
  for (int id : {5, 6, 7}) cache.Add(id, 2);
  cache.Add(5, 0);
  cache.Add(5, 1);
  cache.Remove(99, 2);  // not cached: nothing happens
  cache.Remove(6, 2);
  std::vector<int32_t> ids;
  for (const auto& r : cache.NewEnum(2)) ids.push_back(r->ID);
  EXPECT_EQ(ids, (std::vector<int32_t>{5, 7}));
  cache.Add(6, 2);  // the removed key is free again, and comes last
  EXPECT_EQ(cache.NewEnum(2).back()->ID, 6);
  cache.Clear(2);
  EXPECT_EQ(cache.Count(2), 0);
  EXPECT_TRUE(cache.IDExists(5, 0));
  EXPECT_TRUE(cache.IDExists(5, 1));
}

}  // namespace
