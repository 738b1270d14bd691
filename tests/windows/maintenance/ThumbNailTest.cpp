// The picture control: where a picture is drawn, what the surface holds, which frame of an
// icon file it takes, deferred painting, and how a bad file reaches the host.
#include "tests/support/HostilePictures.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"
#include "windows/maintenance/ThumbNail.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

namespace {

QImage solid(int w, int h, QColor c) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(c);
  return img;
}

// An icon file with one image per size, each in its own colour.
QString iconFile(const QString& name, const std::vector<std::pair<int, QColor>>& frames) {
  const QString path = testenv::freshTempDir() + "/" + name;
  QList<QImage> images;
  for (auto [size, colour] : frames) images << solid(size, size, colour);
  // Qt writes one image per icon file: write each on its own and join their images behind one
  // directory.
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  QByteArray all;
  {
    std::vector<QByteArray> bodies;
    for (const QImage& img : images) {
      QByteArray one;
      QBuffer b(&one);
      b.open(QIODevice::WriteOnly);
      img.save(&b, "ICO");
      bodies.push_back(one.mid(22));  // the image data after the one-entry directory
    }
    auto u16 = [&all](int v) {
      all.append(char(v & 0xFF));
      all.append(char((v >> 8) & 0xFF));
    };
    auto u32 = [&all](uint32_t v) {
      for (int i = 0; i < 4; ++i) all.append(char((v >> (8 * i)) & 0xFF));
    };
    u16(0);
    u16(1);
    u16(int(bodies.size()));
    uint32_t offset = 6 + 16 * uint32_t(bodies.size());
    for (size_t i = 0; i < bodies.size(); ++i) {
      const int s = images[int(i)].width();
      all.append(char(s & 0xFF));
      all.append(char(s & 0xFF));
      all.append('\0');
      all.append('\0');
      u16(1);
      u16(32);
      u32(uint32_t(bodies[i].size()));
      u32(offset);
      offset += uint32_t(bodies[i].size());
    }
    for (const QByteArray& b : bodies) all.append(b);
  }
  f.write(all);
  return path;
}

QString pngFile(const QString& name, const QImage& img) {
  const QString path = testenv::freshTempDir() + "/" + name;
  EXPECT_TRUE(img.save(path, "PNG"));
  return path;
}

QRgb at(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kRed = 0xFF0000;

// A borderless control of the given inner size with a blue back colour (OLE form BGR).
std::unique_ptr<ThumbNail> control(int w, int h) {
  auto t = std::make_unique<ThumbNail>();
  t->setBorderStyle(0);
  t->resize(w, h);
  t->setBackColor(0xFF0000);  // blue in the OLE form 0x00BBGGRR
  return t;
}

}  // namespace

TEST(ThumbNailFit, PicturesKeepTheirRatioAndSitInTheMiddle) {
  struct Case {
    double W, H, pw, ph;
    int x, y;
    double w, h;
  } cases[] = {
      {100, 100, 32, 16, 0, 25, 100, 50},  // wider: full width, bands above and below
      {100, 100, 16, 32, 25, 0, 50, 100},  // narrower: full height, bands left and right
      {100, 100, 20, 20, 0, 0, 100, 100},  // the control's own ratio: no band
      {13, 10, 10, 10, 1, 0, 10, 10},      // a remainder of 3 gives the offset 1
      {10, 10, 10, 5, 0, 2, 10, 5},        // 5 rounds to 5, halved with the fraction dropped
      {11, 10, 10, 10, 0, 0, 10, 10},      // 1 halved is 0
      {100, 40, 100, 40, 0, 0, 100, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " " << c.pw << "x" << c.ph);
    const PictureFit f = FitPicture(c.W, c.H, c.pw, c.ph);
    EXPECT_FALSE(f.empty);
    EXPECT_EQ(f.x, c.x);
    EXPECT_EQ(f.y, c.y);
    EXPECT_DOUBLE_EQ(f.w, c.w);
    EXPECT_DOUBLE_EQ(f.h, c.h);
  }
  // Half remainders go to the even whole number: 2.5 -> 2 -> 1, 3.5 -> 4 -> 2.
  EXPECT_EQ(FitPicture(12.5, 10, 10, 10).x, 1);
  EXPECT_EQ(FitPicture(13.5, 10, 10, 10).x, 2);
  // Nothing to divide by: no drawing, no error.
  for (auto [W, H, pw, ph] : {std::tuple{0.0, 10.0, 5.0, 5.0},
                              {10.0, 0.0, 5.0, 5.0},
                              {10.0, 10.0, 0.0, 5.0},
                              {10.0, 10.0, 5.0, 0.0},
                              {10.0, 10.0, 0.0, 0.0}})
    EXPECT_TRUE(FitPicture(W, H, pw, ph).empty);
}

TEST(ThumbNail, TheSurfaceHoldsThePictureBetweenBandsOfTheBackColour) {
  auto t = control(100, 100);
  t->LoadPicture(pngFile("wide.png", solid(32, 16, Qt::red)));
  const QImage img = t->Image();
  ASSERT_EQ(img.size(), QSize(100, 100));
  EXPECT_EQ(at(img, 50, 10), kBlue);
  EXPECT_EQ(at(img, 50, 24), kBlue);
  EXPECT_EQ(at(img, 50, 50), kRed);
  EXPECT_EQ(at(img, 0, 26), kRed);
  EXPECT_EQ(at(img, 50, 76), kBlue);
  // Stretched, the picture covers everything.
  t->setStretch(true);
  EXPECT_EQ(at(t->Image(), 50, 5), kRed);
  EXPECT_EQ(at(t->Image(), 50, 95), kRed);
  // A new back colour shows at once where no picture is.
  t->setStretch(false);
  t->setBackColor(0x00FF00);
  EXPECT_EQ(at(t->Image(), 50, 5), 0x00FF00u);
}

// What an image list gets: the margins the control adds are transparent, every pixel of the
// picture keeps its colour, the back colour too, and its own transparent parts stay so.
TEST(ThumbNail, TheTransparentDrawingClearsOnlyTheMargins) {
  // 32 x 16: a transparent quarter on the left, then grey, white and red quarters.
  QImage picture(32, 16, QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  for (int y = 0; y < 16; ++y)
    for (int x = 8; x < 32; ++x) picture.setPixel(x, y, x < 16 ? 0xFFC0C0C0 : x < 24 ? 0xFFFFFFFF : 0xFFFF0000);
  const QString file = pngFile("viertel.png", picture);
  struct Case {
    const char* name;
    uint32_t back;  // OLE form
    bool stretch;
    int top, bottom;  // the rows the picture covers
  } cases[] = {
      {"grey back colour", 0xC0C0C0, false, 4, 11},
      {"white back colour", 0xFFFFFF, false, 4, 11},
      {"window background", ThumbNail::kWindowBackground, false, 4, 11},
      {"stretched", 0xC0C0C0, true, 0, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto t = std::make_unique<ThumbNail>();
    t->setAppearance(0);
    t->setBorderStyle(0);
    t->setFixedSize(16, 16);
    t->setBackColor(c.back);
    t->setStretch(c.stretch);
    t->LoadPicture(file);
    const QImage img = t->TransparentImage();
    ASSERT_EQ(img.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y) {
      SCOPED_TRACE(y);
      const bool inside = y >= c.top && y <= c.bottom;
      EXPECT_EQ(qAlpha(img.pixel(1, y)), 0);  // the picture's own transparent quarter
      for (auto [x, colour] : {std::pair{5, 0xC0C0C0u}, std::pair{9, 0xFFFFFFu}, std::pair{14, 0xFF0000u}}) {
        EXPECT_EQ(qAlpha(img.pixel(x, y)), inside ? 255 : 0) << x;
        if (inside) {
          EXPECT_EQ(img.pixel(x, y) & 0xFFFFFF, colour) << x;
        }
      }
    }
    // The control itself still shows the margins in its back colour.
    if (!c.stretch) {
      EXPECT_EQ(at(t->Image(), 8, 1), OleColor(c.back, t->palette()).rgb() & 0xFFFFFF);
    }
  }
}

TEST(ThumbNail, AnIconIsDrawnFromItsFrameNearestTheControlAndSavedInItsOwnSize) {
  const QString ico = iconFile("drei.ico", {{32, Qt::green}, {16, Qt::red}, {48, Qt::blue}});
  auto t = std::make_unique<ThumbNail>();
  t->setAppearance(0);
  t->setBorderStyle(0);
  t->setFixedSize(16, 16);
  t->LoadPicture(ico);
  ASSERT_TRUE(t->Picture().has_value());
  EXPECT_EQ(t->Image().size(), QSize(16, 16));
  EXPECT_EQ(at(t->Image(), 8, 8), kRed);
  // The held picture, not the drawing, goes into the file.
  const QString out = testenv::freshTempDir() + "/kopie.ico";
  t->SavePicture(out);
  EXPECT_EQ(testenv::contentOf(out), testenv::contentOf(ico));

  // A single 32-pixel icon is scaled down to the 16 pixels.
  auto one = std::make_unique<ThumbNail>();
  one->setBorderStyle(0);
  one->setFixedSize(16, 16);
  one->LoadPicture(iconFile("gross.ico", {{32, Qt::green}}));
  EXPECT_EQ(one->Image().size(), QSize(16, 16));
  EXPECT_EQ(at(one->Image(), 8, 8), 0x00FF00u);
  const QString saved = testenv::freshTempDir() + "/gross.ico";
  one->SavePicture(saved);
  EXPECT_EQ(QImage(saved).size(), QSize(32, 32));
}

// Saving replaces the file whole: a write that fails half-way (here at the file-size limit,
// which holds for the superuser as well) leaves the old file as it was and no stray file.
TEST(ThumbNail, ASaveThatFailsLeavesTheOldFileWhole) {
  QImage noise(64, 64, QImage::Format_RGB32);
  QRandomGenerator random(7);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) noise.setPixel(x, y, random.generate() | 0xFF000000);
  const QString picture = pngFile("rauschen.png", noise);
  ASSERT_GT(testenv::contentOf(picture).size(), 4000);
  auto t = control(16, 16);
  t->LoadPicture(picture);
  const QString dir = testenv::freshTempDir();
  const QString target = dir + "/bild.png";
  testenv::writeFile(target, "das alte Bild");

  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const rt::RaisedError e = testenv::raised([&] { t->SavePicture(target); });
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(e.number, 75);
  EXPECT_TRUE(e.source.endsWith(": SavePicture")) << e.source.toStdString();
  EXPECT_TRUE(e.description.contains(target)) << e.description.toStdString();
  EXPECT_EQ(testenv::contentOf(target), "das alte Bild");
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"bild.png"});

  // Without the limit the picture takes the file's place.
  t->SavePicture(target);
  EXPECT_EQ(testenv::contentOf(target), testenv::contentOf(picture));
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"bild.png"});
}

TEST(ThumbNail, PropertyChangesAreReportedOnlyWhenSomethingChanged) {
  auto t = control(100, 40);
  QSignalSpy changed(t.get(), &ThumbNail::propertyChanged);
  t->LoadPicture("");
  EXPECT_EQ(changed.count(), 0);
  EXPECT_FALSE(t->Picture().has_value());
  t->setSquare(true);
  EXPECT_EQ(t->size(), QSize(100, 100));
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).toString(), "Square");
  t->setSquare(true);
  t->setStretch(false);
  EXPECT_EQ(changed.count(), 1);
  t->LoadPicture(pngFile("p.png", solid(4, 4, Qt::red)));
  EXPECT_EQ(changed.count(), 2);
  EXPECT_EQ(changed.at(1).at(0).toString(), "Picture");
  // What a host stores leaves out the defaults and reads back the same.
  QVariantMap bag;
  t->WriteProperties(bag);
  EXPECT_EQ(bag.keys(), (QStringList{"BackColor", "BorderStyle", "Picture", "Square"}));
  ThumbNail other;
  other.ReadProperties(bag);
  EXPECT_TRUE(other.Square());
  EXPECT_EQ(other.BackColor(), 0xFF0000u);
  EXPECT_EQ(other.BorderStyle(), 0);
  EXPECT_TRUE(other.Picture().has_value());
}

TEST(ThumbNail, DeferredPaintingPaintsOnceAfterTheLastRequest) {
  auto t = control(20, 20);
  t->setAsyncInterval(50);
  t->setPaintAsync(true);
  QSignalSpy painted(t.get(), &ThumbNail::painted);
  for (uint32_t i = 0; i < 10; ++i) t->setBackColor(i);
  EXPECT_EQ(painted.count(), 0);
  EXPECT_TRUE(painted.wait(2000));
  // A second paint, which must not come, would be due by now.
  testenv::letArmedTimersRun(t->AsyncInterval());
  EXPECT_EQ(painted.count(), 1);
  EXPECT_EQ(at(t->Image(), 5, 5), 0x090000u);  // the last colour, 9 as 0x00BBGGRR is red 9
  // Refresh paints at once, deferred or not.
  t->Refresh();
  EXPECT_EQ(painted.count(), 2);
  // Switching deferring off drops a pending paint.
  t->setBackColor(0x0000FF);
  t->setPaintAsync(false);
  testenv::letArmedTimersRun(t->AsyncInterval());
  EXPECT_EQ(painted.count(), 2);
}

TEST(ThumbNail, AFileThatIsNoPictureReachesTheHostAndLeavesTheControlEmpty) {
  const QString dir = testenv::freshTempDir();
  testenv::writeFile(dir + "/kaputt.ico", QByteArray("\0\0\1\0kein Icon", 14));
  testenv::writeFile(dir + "/text.ico", "nur Text");
  testenv::writeFile(dir + "/leer.ico", QByteArray());
  // Pictures no icon file is: a vector picture, and a directory of more images than any icon
  // holds (which costs seconds to go through).
  testenv::writeFile(dir + "/vektor.ico", testenv::svgPicture());
  testenv::writeFile(dir + "/viele.ico", testenv::iconWithEntries(65535));
  struct Case {
    QString file;
    int number;
  } cases[] = {{dir + "/kaputt.ico", 481}, {dir + "/text.ico", 481},  {dir + "/leer.ico", 481},
               {dir + "/vektor.ico", 481}, {dir + "/viele.ico", 481}, {dir + "/fehlt.ico", 53}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.toStdString());
    auto t = control(16, 16);
    t->LoadPicture(pngFile("gut.png", solid(4, 4, Qt::red)));
    const rt::RaisedError e = testenv::raised([&] { t->LoadPicture(c.file); });
    EXPECT_EQ(e.number, c.number);
    EXPECT_TRUE(e.source.endsWith(": LoadPicture")) << e.source.toStdString();
    EXPECT_FALSE(t->Picture().has_value());
    EXPECT_EQ(at(t->Image(), 8, 8), kBlue);
    // Nothing to save either.
    EXPECT_EQ(testenv::raised([&] { t->SavePicture(dir + "/x.ico"); }).number, 481);
  }
}
