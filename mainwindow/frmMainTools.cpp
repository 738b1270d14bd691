// The main window's listings, the folding of the whole tree and its catalogue tools: storage
// locations, database facts, compaction, statistics update, options, import and the about window.

#include "catalogue/PropItem.h"
#include "catalogue/TableVersion.h"
#include "catalogue/cDBUpdate004.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pLister.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeLister.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "catalogue/widgets/mdlGlobals_main.h"
#include "catalogue/widgets/pImportWindows.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_compact.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "foundation/widgets/mdlQZLib52_window.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainDetail.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "windows/capture/frmEditor.h"
#include "windows/maintenance/frmLocList.h"
#include "windows/maintenance/frmOptions.h"
#include "windows/maintenance/frmSplash.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLocale>
#include <QSplitter>
#include <QStackedWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kCancelPollEvery = 10;
const QString kCompactTemp = QStringLiteral("~db.tmp");
// What the about window links to: the maker's site (shown without its scheme) and support.
const QString kMakerWeb = QStringLiteral("http://www.tolvarent.de");
const QString kSupportMail = QStringLiteral("support@tolvarent.de");

void pumpTwice() {
  ui::pumpMessages();
  ui::pumpMessages();
}

// "1.0.011": the revision at least three digits; a Null field reads as an empty text.
QString VersionOfRecord(const rt::Variant& major, const rt::Variant& minor, const rt::Variant& revision) {
  const auto text = [](const rt::Variant& v) { return v.isNull() ? QString() : v.toText(); };
  QString rev = text(revision);
  bool numeric = false;
  const qlonglong n = rev.trimmed().toLongLong(&numeric);
  if (numeric) rev = QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
  return text(major) + QStringLiteral(".") + text(minor) + QStringLiteral(".") + rev;
}

}  // namespace

// --- Connections of the menu items ---

void frmMain::ConnectToolCommands() {
  connect(mMainEdit_Locations, &QAction::triggered, this, &frmMain::mMainEdit_Locations_Click);
  connect(mMainExtras_DBInfo, &QAction::triggered, this, &frmMain::mMainExtras_DBInfo_Click);
  connect(mMainExtras_Compress, &QAction::triggered, this, &frmMain::mMainExtras_Compress_Click);
  connect(mMainExtras_DBUpdate, &QAction::triggered, this, &frmMain::mMainExtras_DBUpdate_Click);
  connect(mMainExtras_Options, &QAction::triggered, this, &frmMain::mMainExtras_Options_Click);
  connect(mMainFile_DBImport, &QAction::triggered, this, &frmMain::mMainFile_DBImport_Click);
  connect(mMainHelp_About, &QAction::triggered, this, &frmMain::mMainHelp_About_Click);
}

// --- What the options window asks of the window ---

bool frmMain::FolderPaneShowsFolder() const {
  QTreeWidgetItem* node = Tree1->SelectedItem();
  return !picFolder->isHidden() && node && Tree::NodeType(node) == Tree::kNodeFolder;
}

void frmMain::ShowPath() { detail_->ShowPath(); }

// --- Listing ---

void frmMain::CmdOutput(bool WithSubfolders) {
  Command(QStringLiteral("CmdOutput"), [this, WithSubfolders] {
    QTreeWidgetItem* node = Tree1->SelectedItem();
    if (!node) return;
    const Tree::NodeKind type = Tree::NodeType(node);
    if (type != Tree::kNodeVolume && type != Tree::kNodeFolder) return;
    QString title = QStringLiteral("Ausgabe");
    QString text;
    {
      ui::HourglassScope hourglass;
      std::unique_ptr<ListerNode> start;
      if (type == Tree::kNodeVolume) {
        title += QStringLiteral(" [Volume: ") + node->text(0) + QStringLiteral("]");
        const QString key = ui::itemKey(node);
        Tree1->TV_Expand(node);
        // The load pumps messages: go on with the node as it stands in the tree now.
        node = Tree1->TV()->node(key);
        // A volume without folders has nothing to list; without a start the lister would list
        // the tree's first node instead.
        if (node && node->childCount() > 0 && Tree::NodeType(node->child(0)) == Tree::kNodeFolder)
          start = TreeLister(*Tree1).Of(node->child(0));
      } else {
        title += QStringLiteral(" [Ordner: ") + node->text(0) + QStringLiteral("]");
        start = TreeLister(*Tree1).Of(node);
      }
      if (start) {
        // The folder load ends its own hourglass; the listing keeps one up.
        ui::HourglassScope listing;
        text = pLister().tvwGetData(TreeLister(*Tree1), start, true, 2, WithSubfolders);
      }
    }
    frmEditor window(this);
    window.Init(text, title, 0);
    window.exec();
  });
}

// --- Folding the whole tree ---

void frmMain::kTV_Category_Nodes_Close_Click() {
  Command(QStringLiteral("Nodes_Close"), [this] {
    // Without a catalogue the container is no page of the window; it stays as it is.
    if (client_->currentWidget() != ElasticOne1) return;
    pubStatus(gErr->MsgLoad(kMsgNodesClosing));
    ui::HourglassScope hourglass;
    // Whatever ends the command, the tree and the panes come back and the status text goes.
    struct Restore {
      frmMain* w;
      ~Restore() {
        try {
          if (w->ElasticOne1->isHidden()) {
            pumpTwice();
            w->ElasticOne1->show();
          }
          w->pubStatus(QString());
        } catch (...) {
          // Closing steps after the command's own error, which is the one shown.
        }
      }
    } restore{this};
    ElasticOne1->hide();
    pumpTwice();

    const std::vector<QTreeWidgetItem*> nodes = Tree1->NodesInAddOrder();
    const auto collapse = [&](const std::function<bool(QTreeWidgetItem*)>& wanted) {
      for (QTreeWidgetItem* n : nodes)
        if (n->isExpanded() && wanted(n)) n->setExpanded(false);
    };
    collapse([](QTreeWidgetItem* n) { return Tree::NodeType(n) == Tree::kNodeFolder; });
    collapse([](QTreeWidgetItem* n) { return Tree::NodeType(n) == Tree::kNodeVolume; });
    collapse([](QTreeWidgetItem* n) { return Tree::NodeType(n) == Tree::kNodeCategory && n->parent(); });
    collapse([](QTreeWidgetItem* n) { return Tree::NodeType(n) == Tree::kNodeCategory && !n->parent(); });

    const QString key = ui::itemKey(GetFirstRootNode(Tree1->TV()));
    if (!key.isEmpty()) {
      Tree1->setSelectedItem(nullptr);
      pumpTwice();
      ElasticOne1->show();
      Tree1->SelectItem(key, true);
    }
  });
}

void frmMain::kTV_Category_Nodes_Open_Click() {
  Command(QStringLiteral("Nodes_Open"), [this] {
    if (client_->currentWidget() != ElasticOne1) return;
    m_Cancel = false;
    std::optional<ui::HourglassScope> hourglass;
    hourglass.emplace();
    struct Restore {
      frmMain* w;
      ~Restore() {
        try {
          pumpTwice();
          if (w->ElasticOne1->isHidden()) w->ElasticOne1->show();
          w->pubStatus(QString());
        } catch (...) {
          // Closing steps after the command's own error, which is the one shown.
        }
        w->m_Cancel = false;
      }
    } restore{this};
    pubStatus(gErr->MsgLoad(kMsgNodesOpening));
    ElasticOne1->hide();
    pumpTwice();

    QString remembered;
    if (QTreeWidgetItem* selected = Tree1->SelectedItem()) {
      remembered = ui::itemKey(selected);
      Tree1->setSelectedItem(nullptr);
    }
    // The keys are taken before anything is expanded: the folders loaded meanwhile are not
    // expanded themselves.
    QStringList keys;
    for (QTreeWidgetItem* n : Tree1->NodesInAddOrder()) {
      const Tree::NodeKind type = Tree::NodeType(n);
      if (type == Tree::kNodeCategory || type == Tree::kNodeVolume) keys << ui::itemKey(n);
    }
    // Esc is seen only while a volume's folders load (the load yields to pending input); the
    // passes test it at every tenth node.
    const auto pass = [&](const std::function<void(QTreeWidgetItem*)>& expand) {
      for (int i = 0; i < keys.size(); ++i) {
        if (i % kCancelPollEvery == 0 && m_Cancel) return false;
        QTreeWidgetItem* n = Tree1->TV()->node(keys[i]);
        if (n && !n->isExpanded()) expand(n);
      }
      return true;
    };
    if (pass([&](QTreeWidgetItem* n) {
          Tree1->TV_Expand(n);
          // A folder load ends its own hourglass; the command's stays up.
          hourglass.emplace();
        }))
      pass([](QTreeWidgetItem* n) { n->setExpanded(true); });

    if (!remembered.isEmpty()) {
      pumpTwice();
      ElasticOne1->show();
      Tree1->SelectItem(remembered, true);
    }
  });
}

// --- Edit menu ---

void frmMain::mMainEdit_Locations_Click() {
  Command(QStringLiteral("EditCategories"), [this] {
    frmLocList window(this);
    window.exec();
    if (window.chkEdited() == 1) {
      // Refilling sets no changed flag of the combo (only the user's choice does): a volume
      // whose location was not touched is not written back.
      QComboBox* combo = picVolume->VolumeLocID;
      QVariant lID;
      if (combo->count() > 0 && combo->currentIndex() > 0) lID = combo->currentData();
      fLocFillCombo(combo);
      if (lID.isValid() && ListSelectItem(combo, lID, 0) < 0) combo->setCurrentIndex(0);
    }
    pumpTwice();
  });
}

// --- Extras menu ---

void frmMain::mMainExtras_DBInfo_Click() {
  Command(QStringLiteral("DBInfo"), [this] {
    if (!gDB || !gDB->DB()) return;
    std::vector<PropItem> rows;
    {
      ui::HourglassScope hourglass;
      jet::Database& db = *gDB->DB();
      QString version, guid;
      {
        const VersionRecord record = VersionRecordOf(db);
        version = VersionOfRecord(record.Major, record.Minor, record.Revision);
        guid = record.GUID.isNull() ? QString() : record.GUID.toText();
      }
      const int64_t categories = TableRowCount(db, QStringLiteral("tblCATEGORIES"));
      const int64_t folders = TableRowCount(db, QStringLiteral("tblPATHS"));
      const int64_t volumes = TableRowCount(db, QStringLiteral("tblVOLUMES"));
      const int64_t files = TableRowCount(db, QStringLiteral("tblFILES"));
      const QLocale locale;
      const double size = static_cast<double>(QFileInfo(db.Name()).size());
      rows = {
          {QStringLiteral("Datenbank"), gDB->DBPath()},
          {QStringLiteral("Version"), version},
          {QStringLiteral("GUID"), guid},
          {QStringLiteral("Größe"),
           locale.toString(size, 'f', 0) + QStringLiteral(" Bytes (") + FormatBytesShort(size) + QStringLiteral(")")},
          {QString(20, QLatin1Char('-')), QString(50, QLatin1Char('-'))},
          {QStringLiteral("Kategorien"), locale.toString(categories)},
          {QStringLiteral("Volumes"), locale.toString(volumes)},
          {QStringLiteral("Ordner"), locale.toString(folders)},
          {QStringLiteral("Dateien"), locale.toString(files)},
      };
    }
    OpenProperties(QStringLiteral("Datenbank-Info"), rows, this);
  });
}

void frmMain::mMainExtras_Compress_Click() {
  Command(QStringLiteral("Compress"), [this] {
    const QString path = gDB ? gDB->DBPath() : QString();
    if (path.isEmpty()) return;
    if (gErr->MsgShow(kMsgCompressAsk, ui::kYesNo + ui::kQuestion + ui::kDefaultButton2, path) != ui::kAnswerYes)
      return;
    ui::HourglassScope hourglass;
    // The view closes first, so that a pending edit in a pane is written while the catalogue is
    // still open.
    FormEnable(false);
    gDB->setDBPath(QString());
    const qint64 before = QFileInfo(path).size();
    const QString error = CompactDatabaseFile(path, kCompactTemp);
    if (!error.isEmpty()) {
      hourglass.end();
      gErr->MsgShow(kMsgCompressFailed, ui::kCritical, path, error);
      return;
    }
    const qint64 after = QFileInfo(path).size();
    // Only a smaller file is reported; a grown one would read as a negative reduction.
    if (after < before) {
      gErr->MsgShow(kMsgCompressed, ui::kInformation, path,
                    FormatFileSize(static_cast<double>(before - after), 4, 1).toText());
    }
    OpenCatalogue(path, -2);
  });
}

void frmMain::mMainExtras_DBUpdate_Click() {
  Command(QStringLiteral("DBUpdate_Click"), [] { cDBUpdate004().DoUpdate004(); });
}

void frmMain::mMainExtras_Options_Click() {
  Command(QStringLiteral("Options"), [this] {
    frmOptions window(this);
    window.exec();
  });
}

// --- File and Help menus ---

void frmMain::mMainFile_DBImport_Click() {
  Command(QStringLiteral("DBImport"), [this] {
    const DBImportResult result = DBImport(this);
    if (!result.imported) return;
    if (result.locationsAdded > 0) fLocFillCombo(picVolume->VolumeLocID);
    Tree1->Populate();
  });
}

void frmMain::mMainHelp_About_Click() {
  Command(QStringLiteral("mMainHelp_About"), [this] {
    frmSplash window(this);
    window.Init(1, windowIcon(), MakeURL(kMakerWeb, false), kSupportMail);
    window.exec();
  });
}
