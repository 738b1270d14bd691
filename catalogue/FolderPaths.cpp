#include "catalogue/FolderPaths.h"

#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Recordset.h"

#include <unordered_set>
#include <vector>

namespace {
const QString kSep = QStringLiteral("/");
}

FolderPaths::FolderPaths(jet::Database& db) : db_(db) {}

FolderPaths::~FolderPaths() {
  try {
    if (rs_) rs_->Close();
  } catch (...) {
    // Closing a set of a database that went away is nothing to report.
  }
}

const FolderPaths::Folder* FolderPaths::row(int32_t PID, bool& failed) {
  auto it = rows_.find(PID);
  if (it != rows_.end()) return &it->second;
  if (missing_.contains(PID)) return nullptr;
  try {
    if (!rs_) {
      rs_ = db_.OpenRecordset(QStringLiteral("tblPATHS"), jet::RecordsetType::Table);
      rs_->SetIndex(QStringLiteral("PrimaryKey"));
    }
    rs_->Seek(QStringLiteral("="), {rt::Variant(PID)});
    if (rs_->NoMatch()) {
      missing_.insert(PID, true);
      return nullptr;
    }
    Folder f{rs_->Fields(QStringLiteral("Path")).Value().toText(), rs_->Fields(QStringLiteral("Parent")).Value(),
             rs_->Fields(QStringLiteral("VolumeID")).Value()};
    return &rows_.emplace(PID, std::move(f)).first->second;
  } catch (...) {
    failed = true;
    return nullptr;
  }
}

QString FolderPaths::Of(int32_t PID) {
  auto known = paths_.constFind(PID);
  if (known != paths_.constEnd()) return known.value();
  // Up the chain to a folder whose path is known, the top, a break or a repeat.
  std::vector<int32_t> chain;
  std::unordered_set<int32_t> seen;
  QString text;
  bool remember = true;
  for (int32_t current = PID;;) {
    auto it = paths_.constFind(current);
    if (it != paths_.constEnd()) {
      text = it.value();
      break;
    }
    if (!seen.insert(current).second) {
      remember = false;
      break;
    }
    bool failed = false;
    const Folder* f = row(current, failed);
    if (failed) remember = false;
    if (!f) break;
    chain.push_back(current);
    if (f->parent.isNull()) break;
    current = f->parent.toInt();
  }
  // Down again, each folder's path being its parent's and its own name.
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    text += AddTrailingChar(rows_.at(*it).name, kSep);
    if (remember) paths_.insert(*it, text);
  }
  return text;
}

bool FolderPaths::sound(int32_t PID) {
  std::vector<int32_t> walked;
  std::unordered_set<int32_t> seen;
  bool ends = false;
  for (int32_t current = PID;;) {
    if (sound_.contains(current)) {
      ends = true;
      break;
    }
    if (!seen.insert(current).second) break;
    bool failed = false;
    const Folder* f = row(current, failed);
    if (failed) break;
    walked.push_back(current);
    if (!f || f->parent.isNull()) {
      ends = true;
      break;
    }
    current = f->parent.toInt();
  }
  if (!ends) return false;
  for (int32_t w : walked) sound_.insert(w);
  return true;
}

FolderPaths::Part FolderPaths::PartOf(int32_t PID) {
  bool failed = false;
  const Folder* f = row(PID, failed);
  if (!f) return {};
  if (f->parent.isNull()) return {0, AddTrailingChar(f->name, kSep)};
  // Below a sound chain the folder adds its own name; a cycle or a read that failed leave
  // the whole text to Of.
  const int32_t parent = f->parent.toInt();
  if (parent == PID || !sound(parent)) return {0, Of(PID)};
  return {parent, AddTrailingChar(f->name, kSep)};
}

rt::Variant FolderPaths::VolumeOf(int32_t PID) {
  bool failed = false;
  const Folder* f = row(PID, failed);
  return f ? f->volume : rt::Null;
}

void FolderPaths::Know(int32_t PID, const QString& name, const rt::Variant& parent, const rt::Variant& volume) {
  rows_.try_emplace(PID, Folder{name, parent, volume});
  missing_.remove(PID);
}
