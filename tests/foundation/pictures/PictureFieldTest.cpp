#include "foundation/widgets/mdlQZLib51_pictures.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Workspace.h"
#include "platform/runtime/RaisedError.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// A catalogue made from the built template, with one category row to hold pictures.
class PictureFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = testenv::freshTempDir() + QStringLiteral("/Bilder.qvk");
    ASSERT_TRUE(testenv::copyTemplate(path));
    ws = testenv::catalogueWorkspace(engine);
    db = ws->OpenDatabase(path, true);
    db->Execute(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (1, 'Fotos')"));
  }

  std::shared_ptr<jet::Recordset> category() {
    auto rs = db->OpenRecordset(QStringLiteral("tblCATEGORIES"), jet::RecordsetType::Table);
    rs->SetIndex(QStringLiteral("PrimaryKey"));
    rs->Seek(QStringLiteral("="), {rt::Variant(1)});
    EXPECT_FALSE(rs->NoMatch());
    return rs;
  }

  void store(const Picture& pic, bool compress) {
    auto rs = category();
    rs->Edit();
    WritePictureField(pic, rs->Fields(QStringLiteral("Icon")), compress);
    rs->Update();
    rs->Close();
  }

  QByteArray storedBytes() {
    auto rs = category();
    const QByteArray b = rs->Fields(QStringLiteral("Icon")).Value().toBinary();
    rs->Close();
    return b;
  }

  QString path;
  jet::Engine engine;
  std::shared_ptr<jet::Workspace> ws;
  std::shared_ptr<jet::Database> db;
};

// Grey levels: every pixel byte repeats, so the coded form is much shorter.
QImage stripes() {
  QImage img(32, 32, QImage::Format_RGB32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) img.setPixel(x, y, y < 16 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
  return img;
}

TEST_F(PictureFieldTest, NullFieldGivesNoPicture) {
  auto rs = category();
  EXPECT_FALSE(ReadPictureField(rs->Fields(QStringLiteral("Icon"))).has_value());
}

TEST_F(PictureFieldTest, TemplateIconsLoad) {
  auto rs = db->OpenRecordset(QStringLiteral("tblICONS"), jet::RecordsetType::Table);
  int count = 0;
  for (; !rs->IsEOF(); rs->MoveNext(), ++count) {
    const auto pic = ReadPictureField(rs->Fields(QStringLiteral("DefaultIcon")));
    ASSERT_TRUE(pic.has_value());
    EXPECT_EQ(pic->type(), PictureType::Icon);
    EXPECT_EQ(pic->image().size(), QSize(16, 16));
  }
  EXPECT_EQ(count, 10);
}

TEST_F(PictureFieldTest, PlainPicturesAreStoredAsTheirFileImage) {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(qRgba(0, 128, 0, 255));
  const Picture icon = Picture::fromImage(img);
  QByteArray expected;
  PictureToBytes(icon, expected);

  store(icon, true);  // icons are never coded
  EXPECT_EQ(storedBytes(), expected);
  auto rs = category();
  const auto back = ReadPictureField(rs->Fields(QStringLiteral("Icon")));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->image(), icon.image());

  // Writing again replaces the value instead of appending to it.
  rs->Close();
  store(icon, false);
  EXPECT_EQ(storedBytes(), expected);
}

TEST_F(PictureFieldTest, CompressedBitmapIsStoredCodedAndReadBack) {
  const Picture bmp = Picture::fromImage(stripes(), PictureType::Bitmap);
  QByteArray plain;
  PictureToBytes(bmp, plain);
  store(bmp, true);
  const QByteArray stored = storedBytes();
  EXPECT_TRUE(stored.startsWith("BU"));
  EXPECT_LT(stored.size(), plain.size() / 4);

  auto rs = category();
  const auto back = ReadPictureField(rs->Fields(QStringLiteral("Icon")));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->type(), PictureType::Bitmap);
  EXPECT_EQ(back->image(), bmp.image());
}

TEST_F(PictureFieldTest, DamagedFieldRaisesInsteadOfCrashing) {
  db->Execute(QStringLiteral("UPDATE tblCATEGORIES SET Icon = ? WHERE CID = 1"), 0,
              {rt::Variant(QByteArray("BU\xFF\xFF\xFF\x7F", 6) + QByteArray(40, '\0'))});
  auto rs = category();
  try {
    ReadPictureField(rs->Fields(QStringLiteral("Icon")));
    ADD_FAILURE() << "no error";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 9);
  }
}

}  // namespace
