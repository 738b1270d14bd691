// Times the main window's panes on a catalogue made by the volume reader: a folder of BIG
// files shown in the file list (icons included, in both icon modes), the first information of
// the whole volume and the same shown again from the cache, expanding the volume's folders
// level by level, selecting a folder below levels not opened (as the search window does) and
// making every folder node (as a listing with subfolders does). The window runs offscreen, as
// in the tests.
//
//   bench_panes ROOT [FILES [FOLDERS [BIG]]]   (defaults: 1000000 files in 50000 folders, of
//                                               which one folder holds 10000 files)
//
// The tree is generated under ROOT on the first run (FILES - BIG files spread over FOLDERS - 1
// folders, and the folder "zehntausend" with BIG files) and reused when it matches.

#include "bench/support/BenchCatalogue.h"
#include "bench/support/BenchTree.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/mdlInfo.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/TreeView.h"
#include "catalogue/widgets/mdlGlobals_main.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainDetail.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/jet/Recordset.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

using namespace benchtree;

namespace {

constexpr const char* kBig = "zehntausend";

void makeBigFolder(const std::string& root, long files) {
  const std::string dir = root + "/" + kBig;
  // The mark stands beside the tree, so the folder holds exactly its files.
  const std::string mark = root + "." + kBig;
  std::ifstream in(mark);
  long have = 0;
  // A tree made anew under root takes the folder with it, the mark beside it stays.
  struct stat st {};
  if (in >> have && have == files && stat(dir.c_str(), &st) == 0) return;
  mkdir(dir.c_str(), 0755);
  for (long i = 0; i < files; ++i) {
    // Names of a few kinds, so the list meets several file types.
    static const char* const exts[] = {".jpg", ".txt", ".pdf", ".exe", "", ".tar.gz", ".mp3"};
    const std::string p = dir + "/Datei " + std::to_string(i) + exts[i % 7];
    const int fd = open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ftruncate(fd, (i * 7919) % 300000) != 0) {
      perror(p.c_str());
      std::exit(1);
    }
    close(fd);
  }
  std::ofstream(mark) << files << "\n";
}

double timed(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return seconds(t0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s ROOT [FILES [FOLDERS [BIG]]]\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir registryDir;
  qputenv("ZUVRAX_REGISTRY_DIR", QFile::encodeName(registryDir.path()));
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

  const std::string root = argv[1];
  const long files = argc > 2 ? std::atol(argv[2]) : 1000000;
  const long folders = argc > 3 ? std::atol(argv[3]) : 50000;
  const long big = argc > 4 ? std::atol(argv[4]) : 10000;
  prepareTree(root, files - big, folders - 1);
  makeBigFolder(root, big);

  frmMain* window = nullptr;
  if (!Main([&window] {
        auto w = std::make_unique<frmMain>();
        w->resize(1000, 700);
        w->show();
        window = w.get();
        return w;
      }))
    return 1;

  // The catalogue, read by the volume reader.
  const QString catalogue = QString::fromStdString(root) + QStringLiteral(".panes.qvk");
  std::optional<double> readTime;
  {
    jet::Engine engine;
    const std::optional<BenchCatalogue> c = freshCatalogue(engine, catalogue, root);
    if (!c) return 1;
    readTime = readVolume(*c);
    c->db->Close();
    if (!readTime) return 1;
  }

  window->pubDBOpen(catalogue);
  Tree* tree = window->Tree1;
  frmMainDetail& detail = *window->Detail();
  // The fill selected the volume; its deferred click computes the volume's information. It is
  // let through first, so that no expansion below pays for it.
  for (const auto t0 = std::chrono::steady_clock::now();
       !detail.InfoCache().IDExists(1, pInfoColl::Volume) && seconds(t0) < 30;)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  tree->setUseNodeClickTimer(false);

  // Expanding level by level: the volume (which reads all its folder rows and makes the nodes at
  // the volume), its root folder, and then the first folder with subfolders on each level below.
  const auto hasSubfolders = [](const QTreeWidgetItem* n) {
    return Tree::FolderChildrenPending(n) || n->childCount() > 0;
  };
  std::vector<double> levels;
  std::vector<int> levelNodes;
  QTreeWidgetItem* at = tree->TV()->node(QStringLiteral("V1"));
  while (at && levels.size() < 8) {
    QTreeWidgetItem* node = at;
    levels.push_back(timed([&] {
      node->setExpanded(true);
      QCoreApplication::processEvents();
    }));
    levelNodes.push_back(node->childCount());
    at = nullptr;
    for (int i = 0; i < node->childCount() && !at; ++i)
      if (hasSubfolders(node->child(i))) at = node->child(i);
  }

  // The folder read last lies deepest; its levels are not opened yet.
  int32_t deepest = 0;
  {
    auto rs = gDB->DB()->OpenRecordset(QStringLiteral("SELECT Max(PID) FROM tblPATHS WHERE VolumeID=1"),
                                       jet::RecordsetType::Snapshot);
    deepest = rs->Fields(0).Value().toInt();
    rs->Close();
  }
  const QString deepKey = QStringLiteral("V1|") + QString::number(deepest);
  const bool deepWasMade = tree->TV()->node(deepKey) != nullptr;
  const double selectDeep = timed([&] {
    tree->SelectItem(deepKey, true);
    QCoreApplication::processEvents();
  });
  int deepLevel = 0;
  for (QTreeWidgetItem* n = tree->SelectedItem(); n && n->parent(); n = n->parent()) ++deepLevel;

  // Of the first level, what reading the volume's folder rows alone costs.
  const double folderRows = timed([] {
    auto rs = gDB->DB()->OpenRecordset(
        QStringLiteral("SELECT PID, Path, Parent FROM tblPATHS WHERE (VolumeID=1) ORDER BY PID;"),
        jet::RecordsetType::ForwardOnly);
    while (!rs->IsEOF()) {
      rs->Fields(0).Value();
      rs->Fields(1).Value();
      rs->Fields(2).Value();
      rs->MoveNext();
    }
    rs->Close();
  });

  // The big folder: shown by a click in the tree, the file list filled with its icons.
  QTreeWidgetItem* rootFolder = tree->TV()->node(QStringLiteral("V1"))->child(0);
  QTreeWidgetItem* bigFolder = nullptr;
  for (int i = 0; i < rootFolder->childCount(); ++i)
    if (rootFolder->child(i)->text(0) == QLatin1String(kBig)) bigFolder = rootFolder->child(i);
  if (!bigFolder) {
    std::fprintf(stderr, "folder %s not in the tree\n", kBig);
    return 1;
  }
  QAction* folderInfo = window->findChild<QAction*>(QStringLiteral("mMainView_FolderInfo"));
  folderInfo->setChecked(false);
  double list[2] = {0, 0}, paint[2] = {0, 0}, listAgain[2] = {0, 0};
  for (int mode : {0, 1}) {
    gOptions->setIconMode(mode);
    // The first fill meets each file type for the first time; the second finds them known.
    list[mode] = timed([&] { detail.ShowPath(bigFolder); });
    paint[mode] = timed([] { QCoreApplication::processEvents(); });
    listAgain[mode] = timed([&] {
      detail.ShowPath(bigFolder);
      QCoreApplication::processEvents();
    });
  }
  const int rows = window->picFolder->LVFiles->topLevelItemCount();
  folderInfo->setChecked(true);
  tree->SelectItem(ui::itemKey(bigFolder));
  const double click = timed([&] {
    tree->SelectItem(ui::itemKey(rootFolder));
    QCoreApplication::processEvents();
  });

  // The volume's information: computed once, then from the cache.
  detail.NewInfoCache();
  const double firstInfo = timed([&] { detail.VolumeProperties(1); });
  const bool cached = detail.InfoCache().IDExists(1, pInfoColl::Volume);
  const double againInfo = timed([&] { detail.VolumeProperties(1); });
  const auto info = VolumeInfo(1, detail.InfoCache());

  // Every folder node, as a listing with subfolders makes them.
  int made = 0;
  const double allFolders = timed([&] {
    std::vector<QTreeWidgetItem*> todo{rootFolder};
    while (!todo.empty()) {
      QTreeWidgetItem* n = todo.back();
      todo.pop_back();
      ++made;
      tree->LoadFolderChildren(n);
      for (int i = 0; i < n->childCount(); ++i) todo.push_back(n->child(i));
    }
  });

  std::printf("read by the reader:        %.2f s\n", *readTime);
  for (size_t i = 0; i < levels.size(); ++i)
    std::printf("expand level %zu:            %.3f s  (%d nodes made)%s\n", i + 1, levels[i], levelNodes[i],
                i == 0 ? "  (reads every folder row of the volume)" : "");
  std::printf("  the folder rows alone:   %.3f s\n", folderRows);
  std::printf("select folder %s on level %d (%s): %.3f s\n", qPrintable(deepKey), deepLevel,
              deepWasMade ? "its node was made" : "levels not opened", selectDeep);
  for (int mode : {0, 1})
    std::printf("file list, %d rows, icon mode %d: %.3f s + %.3f s drawing (again, types known: %.3f s)\n", rows, mode,
                list[mode], paint[mode], listAgain[mode]);
  std::printf("click on a folder (pane, list, info): %.3f s\n", click);
  std::printf("volume information, first: %.3f s  (%d files, %d folders)\n", firstInfo, info->Files, info->Folders);
  std::printf("volume information, again: %.6f s  (%s)\n", againInfo, cached ? "from the cache" : "NOT CACHED");
  std::printf("every folder node made:    %.3f s  (%d folders)\n", allFolders, made);

  window->close();
  QCoreApplication::processEvents();
  QFile::remove(catalogue);
  return cached ? 0 : 1;
}
