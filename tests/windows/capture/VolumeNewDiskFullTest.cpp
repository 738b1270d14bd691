// A disk that fills up while the wizard reads a volume: the read ends at once with the
// disk-full error, asks nothing about skipping files and says nothing of a cancel; nothing of
// the read stays, and once there is room again the same read goes through.
#include "WalkerTestSupport.h"
#include "WizardFixture.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Workspace.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

int64_t pragma(const QString& text) {
  auto q = gDB->DB()->OpenNativeQuery(QStringLiteral("PRAGMA ") + text);
  return q->Next() ? q->Long(0) : -1;
}

}  // namespace

TEST_F(WizardTest, AFullDiskEndsTheReadAtOnceWithItsError) {
  const QByteArray root = (dir + QStringLiteral("/Voll")).toUtf8();
  walktest::makeDir(root);
  for (int i = 0; i < 2000; ++i)
    walktest::writeFile(root + "/eine Datei mit einem recht langen Namen " + QByteArray::number(i) + ".txt", i);
  auto w = wizardFor(QString::fromUtf8(root));
  w->VolumeName()->setText(QStringLiteral("Voll"));
  w->show();
  // Room for the volume's row and its folder, not for its files.
  const int64_t limit = pragma(QStringLiteral("page_count")) + pragma(QStringLiteral("freelist_count")) + 2;
  ASSERT_EQ(pragma(QStringLiteral("max_page_count = %1").arg(limit)), limit);
  saveWith(*w);
  ASSERT_EQ(boxes->shown.size(), 1u) << boxTexts().join(QStringLiteral("\n---\n")).toStdString();
  const ui::MessageBoxRequest& box = boxes->shown[0];
  EXPECT_EQ(box.style & ui::kCritical, ui::kCritical);
  EXPECT_TRUE(box.title.contains(QStringLiteral("3026"))) << box.title.toStdString();
  EXPECT_TRUE(box.text.contains(jet::errorText(jet::err::kDiskFull))) << box.text.toStdString();
  EXPECT_FALSE(box.text.contains(QStringLiteral("Abbruch"))) << box.text.toStdString();
  EXPECT_EQ(volumeRows(), 0);
  EXPECT_EQ(gDB->WS()->TransactionDepth(), 0);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->pubGetVID(), 0);

  ASSERT_GT(pragma(QStringLiteral("max_page_count = 1000000")), limit);
  boxes->shown.clear();
  saveWith(*w);
  EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("Das Einlesen ist abgeschlossen.")});
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblFILES")), 2000);
}
