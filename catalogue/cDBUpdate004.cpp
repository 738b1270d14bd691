#include "catalogue/cDBUpdate004.h"

#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlGlobals.h"
#include "foundation/cuAppError.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Recordset.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/MousePointer.h"

#include <cmath>
#include <optional>
#include <unordered_map>

namespace {

void setPanel1(const QString& text) {
  if (gfrmMain) gfrmMain->SetStatusPanel1(text);
}

}  // namespace

std::vector<cDBUpdate004::PathRow> cDBUpdate004::CollectSubPaths() {
  jet::Database& db = CommandDB();
  std::vector<PathRow> rows;
  std::vector<std::optional<int32_t>> parents;
  std::unordered_map<int32_t, int32_t> indexOf;
  auto rs = db.OpenRecordset(
      QStringLiteral("SELECT tblPATHS.PID, tblPATHS.Parent, tblVOLUMES.VID FROM tblPATHS LEFT JOIN tblVOLUMES ON "
                     "tblPATHS.VolumeID = tblVOLUMES.VID ORDER BY tblPATHS.PID;"),
      jet::RecordsetType::ForwardOnly);
  while (!rs->IsEOF()) {
    PathRow row;
    row.pid = rs->Fields(0).Value().toInt();
    const rt::Variant parent = rs->Fields(1).Value();
    parents.push_back(parent.isNull() ? std::nullopt : std::optional<int32_t>(parent.toInt()));
    row.hasVolume = !rs->Fields(2).Value().isNull();
    indexOf.emplace(row.pid, static_cast<int32_t>(rows.size()));
    rows.push_back(row);
    rs->MoveNext();
  }
  rs->Close();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!parents[i]) continue;
    const auto it = indexOf.find(*parents[i]);
    if (it != indexOf.end()) rows[i].parent = it->second;
  }
  auto files = db.OpenRecordset(
      QStringLiteral("SELECT PathID, Count(FID) AS Files, Sum(Filesize) AS SumFileSize FROM tblFILES GROUP BY PathID;"),
      jet::RecordsetType::ForwardOnly);
  while (!files->IsEOF()) {
    const auto it = indexOf.find(files->Fields(0).Value().toInt());
    if (it != indexOf.end()) {
      rows[it->second].files = files->Fields(1).Value().toInt();
      rows[it->second].size = files->Fields(2).Value().toDouble();
    }
    files->MoveNext();
  }
  files->Close();
  return rows;
}

std::vector<std::vector<int32_t>> cDBUpdate004::CollectChildPaths(const std::vector<PathRow>& rows) {
  std::vector<std::vector<int32_t>> children(rows.size());
  // Rows come by ascending PID, so each child list is in that order too.
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].parent >= 0) children[rows[i].parent].push_back(static_cast<int32_t>(i));
  return children;
}

std::vector<cDBUpdate004::PathStats> cDBUpdate004::CalcPathStats(const std::vector<PathRow>& rows) {
  const auto children = CollectChildPaths(rows);
  std::vector<PathStats> stats(rows.size());
  // 0 not reached, 1 on the current walk, 2 summed. Each row has one parent, so a walk meets a
  // row twice only through a cycle; that edge is not followed.
  std::vector<char> state(rows.size(), 0);
  struct Frame {
    int32_t row;
    size_t next;
  };
  for (size_t start = 0; start < rows.size(); ++start) {
    if (state[start]) continue;
    std::vector<Frame> stack{{static_cast<int32_t>(start), 0}};
    state[start] = 1;
    while (!stack.empty()) {
      Frame& f = stack.back();
      const auto& kids = children[f.row];
      if (f.next < kids.size()) {
        const int32_t c = kids[f.next++];
        if (state[c] == 0) {
          state[c] = 1;
          stack.push_back({c, 0});
        } else if (state[c] == 2) {
          // Summed already by a walk that started at it (its key sorts before its parent's).
          PathStats& p = stats[f.row];
          p.totalFiles += stats[c].totalFiles;
          p.totalSize += stats[c].totalSize;
          p.totalDirs += stats[c].totalDirs + 1;
        }
        continue;
      }
      PathStats& s = stats[f.row];
      s.files = rows[f.row].hasVolume ? rows[f.row].files : 0;
      s.size = rows[f.row].hasVolume ? rows[f.row].size : 0;
      s.totalFiles += s.files;
      s.totalSize += s.size;
      state[f.row] = 2;
      const int32_t done = f.row;
      stack.pop_back();
      if (!stack.empty()) {
        PathStats& p = stats[stack.back().row];
        p.totalFiles += stats[done].totalFiles;
        p.totalSize += stats[done].totalSize;
        p.totalDirs += stats[done].totalDirs + 1;
      }
    }
  }
  // Rows on a parent cycle: the walk above cut the cycle where it entered it, so each of them
  // is summed on its own over everything it reaches.
  std::vector<char> mark(rows.size(), 0);
  std::vector<char> onCycle(rows.size(), 0);
  for (size_t start = 0; start < rows.size(); ++start) {
    std::vector<int32_t> path;
    int32_t r = static_cast<int32_t>(start);
    while (r >= 0 && mark[r] == 0) {
      mark[r] = 1;
      path.push_back(r);
      r = rows[r].parent;
    }
    if (r >= 0 && mark[r] == 1)
      for (auto it = path.rbegin(); it != path.rend(); ++it) {
        onCycle[*it] = 1;
        if (*it == r) break;
      }
    for (int32_t p : path) mark[p] = 2;
  }
  for (size_t start = 0; start < rows.size(); ++start) {
    if (!onCycle[start]) continue;
    PathStats& s = stats[start];
    s.totalFiles = s.files;
    s.totalSize = s.size;
    s.totalDirs = 0;
    std::vector<char> seen(rows.size(), 0);
    seen[start] = 1;
    std::vector<int32_t> todo(children[start].begin(), children[start].end());
    while (!todo.empty()) {
      const int32_t c = todo.back();
      todo.pop_back();
      if (seen[c]) continue;
      seen[c] = 1;
      ++s.totalDirs;
      s.totalFiles += stats[c].files;
      s.totalSize += stats[c].size;
      todo.insert(todo.end(), children[c].begin(), children[c].end());
    }
  }
  return stats;
}

void cDBUpdate004::DoUpdate004() {
  // Pumped once per row: other commands wait, and Esc has nothing to cancel.
  ui::BusyScope busy;
  ui::HourglassScope hourglass;
  setPanel1(QString());
  try {
    // Held for the whole run: the pump below may let the catalogue be closed meanwhile, and a
    // closed database then fails the next update instead of vanishing under it.
    const std::shared_ptr<jet::Database> held = gDB ? gDB->DB() : nullptr;
    jet::Database& db = CommandDB(held.get());
    const std::vector<PathRow> rows = CollectSubPaths();
    const std::vector<PathStats> stats = CalcPathStats(rows);
    const QString update = QStringLiteral(
        "UPDATE tblPATHS SET Files = ?, [Size] = ?, TotalSize = ?, TotalFiles = ?, TotalDirs = ? WHERE PID = ?;");
    for (size_t i = 0; i < rows.size(); ++i) {
      const double percent = 100.0 * static_cast<double>(i) / static_cast<double>(rows.size());
      setPanel1(QStringLiteral("Update läuft (") + QString::number(static_cast<int>(std::nearbyint(percent))) +
                QStringLiteral("%)"));
      ui::pumpMessages();
      // The folder's own count comes from its volume's rows; without a volume row there is none.
      if (!rows[i].hasVolume) jet::raise(jet::err::kNoCurrentRecord, QStringLiteral("Field"));
      const PathStats& s = stats[i];
      db.Execute(update, jet::dbFailOnError,
                 {rt::Variant(s.files), rt::Variant(s.size), rt::Variant(s.totalSize), rt::Variant(s.totalFiles),
                  rt::Variant(s.totalDirs), rt::Variant(rows[i].pid)});
    }
    setPanel1(QString());
    hourglass.end();
    ui::showMessageBox(QStringLiteral("Fertig."), ui::kInformation, gErr ? gErr->AppName() : QString());
  } catch (...) {
    const rt::RaisedError e = rt::currentError();
    hourglass.end();
    ui::showMessageBox(e.description, ui::kCritical, gErr ? gErr->AppName() : QString());
  }
  try {
    setPanel1(QString());
  } catch (...) {
    // The exit path ignores errors.
  }
}
