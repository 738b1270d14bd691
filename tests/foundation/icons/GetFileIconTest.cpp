#include "foundation/widgets/mdlQZLib52_icons.h"
#include "tests/support/TestEnvironment.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QImage filled(QColor c) {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(c);
  return img;
}

QColor centre(const QPixmap& pm) { return pm.toImage().pixelColor(8, 8); }

// An icon file of several 16x16 32-bit images, one colour each.
void writeIco(const QString& path, const std::vector<QColor>& colours) {
  QByteArray out;
  QDataStream s(&out, QIODevice::WriteOnly);
  s.setByteOrder(QDataStream::LittleEndian);
  const quint32 imageSize = 40 + 16 * 16 * 4 + 16 * 4;
  s << quint16(0) << quint16(1) << quint16(colours.size());
  for (size_t i = 0; i < colours.size(); ++i) {
    s << quint8(16) << quint8(16) << quint8(0) << quint8(0) << quint16(1) << quint16(32) << imageSize
      << quint32(6 + 16 * colours.size() + i * imageSize);
  }
  for (const QColor& c : colours) {
    s << quint32(40) << qint32(16) << qint32(32) << quint16(1) << quint16(32) << quint32(0) << quint32(0) << qint32(0)
      << qint32(0) << quint32(0) << quint32(0);
    for (int p = 0; p < 256; ++p) s << quint8(c.blue()) << quint8(c.green()) << quint8(c.red()) << quint8(255);
    for (int r = 0; r < 16; ++r) s << quint32(0);
  }
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(out);
}

// A private icon theme with a plain-text icon (red), the generic document icon (green) and the
// program icon (blue).
class GetFileIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = testenv::freshTempDir();
    const QString dir = root + "/zxtest/16x16/mimetypes";
    ASSERT_TRUE(QDir().mkpath(dir));
    QFile index(root + "/zxtest/index.theme");
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write(
        "[Icon Theme]\nName=zxtest\nDirectories=16x16/mimetypes\n\n"
        "[16x16/mimetypes]\nSize=16\nContext=MimeTypes\nType=Fixed\n");
    index.close();
    filled(Qt::red).save(dir + "/text-plain.png");
    filled(Qt::green).save(dir + "/text-x-generic.png");
    filled(Qt::blue).save(dir + "/application-x-executable.png");
    savedPaths = QIcon::themeSearchPaths();
    savedTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({root});
    QIcon::setThemeName("zxtest");
  }
  void TearDown() override {
    QIcon::setThemeSearchPaths(savedPaths);
    QIcon::setThemeName(savedTheme);
  }

  QString root;
  QStringList savedPaths;
  QString savedTheme;
};

TEST_F(GetFileIconTest, RegisteredTypeWithOrWithoutPointGivesTheTypesIcon) {
  for (const char* ext : {"txt", ".txt", ".TXT"}) {
    QString file, type;
    const QPixmap pm = GetFileIcon(ext, file, type);
    EXPECT_EQ(centre(pm), QColor(Qt::red)) << ext;
    EXPECT_EQ(type, "text/plain") << ext;
    EXPECT_EQ(file, "text-plain") << ext;
  }
}

TEST_F(GetFileIconTest, ExeGivesTheProgramIconAndLeavesTheTypeAlone) {
  QString file, type = "unverändert";
  const QPixmap pm = GetFileIcon(".EXE", file, type);
  EXPECT_EQ(centre(pm), QColor(Qt::blue));
  EXPECT_EQ(file, kStockIconFile);
  EXPECT_EQ(type, "unverändert");
}

TEST_F(GetFileIconTest, UnknownExtensionGivesTheStandardDocumentIcon) {
  QString file, type;
  const QPixmap pm = GetFileIcon("zzq7w", file, type);
  EXPECT_EQ(centre(pm), QColor(Qt::green));
  EXPECT_EQ(file, kStockIconFile);
  EXPECT_TRUE(type.isEmpty());
}

TEST_F(GetFileIconTest, TypeWhoseIconTheThemeLacksTakesTheGenericOrTheDocumentIcon) {
  // text/x-csrc has its own icon name, absent here; its generic icon is the green one.
  QString file, type;
  EXPECT_EQ(centre(GetFileIcon("c", file, type)), QColor(Qt::green));
  EXPECT_EQ(type, "text/x-csrc");
}

TEST_F(GetFileIconTest, WithoutAnyThemeIconTheFallbackIsStillAPicture) {
  QIcon::setThemeName("keines");
  for (const char* ext : {"txt", "exe", "zzq7w"}) {
    QString file, type;
    const QPixmap pm = GetFileIcon(ext, file, type);
    EXPECT_FALSE(pm.isNull()) << ext;
    EXPECT_EQ(pm.size(), QSize(16, 16)) << ext;
  }
}

TEST_F(GetFileIconTest, IconLocations) {
  const QString ico = root + "/vier.ico";
  writeIco(ico, {Qt::red, Qt::green, Qt::blue, Qt::yellow});
  EXPECT_EQ(centre(ExtractFileIcon(ico, 3)), QColor(Qt::yellow));
  EXPECT_EQ(centre(ExtractFileIcon(ico, 0)), QColor(Qt::red));
  EXPECT_TRUE(ExtractFileIcon(ico, 4).isNull());
  EXPECT_TRUE(ExtractFileIcon(ico, -3).isNull());
  EXPECT_TRUE(ExtractFileIcon("%1", 0).isNull());
  EXPECT_TRUE(ExtractFileIcon("\"" + ico + "\"", 0).isNull());
  EXPECT_TRUE(ExtractFileIcon(root + "/fehlt.ico", 0).isNull());
  EXPECT_TRUE(ExtractFileIcon("text-plain", 1).isNull());
  EXPECT_EQ(centre(ExtractFileIcon("text-plain", 0)), QColor(Qt::red));
  EXPECT_TRUE(ExtractFileIcon(kStockIconFile, 1).isNull());
}

}  // namespace
