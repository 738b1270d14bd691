#include "catalogue/mdlCommand_categories.h"

#include "catalogue/mdlGlobals.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_sql.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Recordset.h"

#include <algorithm>
#include <unordered_set>

namespace {

const QString kSource = QStringLiteral("mdlCommand");
const QString kCategories = QStringLiteral("tblCATEGORIES");

// The direct children of a category, by ascending CID.
std::vector<CatItem> childCategories(jet::Database& db, int32_t cid) {
  QString sql = QStringLiteral("SELECT CID, CatName FROM tblCATEGORIES WHERE (Parent=##) GROUP BY CID, CatName;");
  sql.replace(QStringLiteral("##"), QString::number(cid));
  std::vector<CatItem> children;
  auto rs = db.OpenRecordset(sql, jet::RecordsetType::Snapshot);
  while (!rs->IsEOF()) {
    children.push_back(
        {rs->Fields(QStringLiteral("CID")).Value().toInt(), rs->Fields(QStringLiteral("CatName")).Value().toText()});
    rs->MoveNext();
  }
  rs->Close();
  std::stable_sort(children.begin(), children.end(), [](const CatItem& a, const CatItem& b) { return a.CID < b.CID; });
  return children;
}

}  // namespace

jet::Database& CommandDB(jet::Database* db) {
  if (db) return *db;
  if (gDB && gDB->DB()) return *gDB->DB();
  throw rt::RaisedError(rt::kErrNoObject, kSource, QStringLiteral("Es ist keine Katalogdatenbank geöffnet."));
}

std::shared_ptr<jet::Recordset> SeekCategory(jet::Database& db, int32_t CID) {
  auto rs = db.OpenRecordset(kCategories, jet::RecordsetType::Table);
  rs->SetIndex(QStringLiteral("PrimaryKey"));
  rs->Seek(QStringLiteral("="), {rt::Variant(CID)});
  return rs;
}

QString fCatName(int32_t CID) {
  try {
    rt::Variant value;
    if (SeekFieldValue(CommandDB(), kCategories, QStringLiteral("PrimaryKey"), CID, value, QStringLiteral("CatName")))
      return value.toText();
  } catch (...) {
    // A reader for captions: no catalogue simply means no name.
  }
  return QString();
}

int32_t fCatArrayParent(int32_t CID, std::vector<CatItem>& list, jet::Database* db) {
  try {
    list.clear();
    auto rs = SeekCategory(CommandDB(db), CID);
    std::vector<CatItem> chain;
    std::unordered_set<int32_t> seen{CID};
    while (!rs->NoMatch()) {
      const rt::Variant parent = rs->Fields(QStringLiteral("Parent")).Value();
      if (parent.isNull()) break;
      CatItem item{parent.toInt(), QString()};
      if (!seen.insert(item.CID).second) break;
      rs->Seek(QStringLiteral("="), {rt::Variant(item.CID)});
      if (!rs->NoMatch()) item.CatName = rs->Fields(QStringLiteral("CatName")).Value().toText();
      chain.push_back(item);
    }
    rs->Close();
    list.assign(chain.rbegin(), chain.rend());
    return static_cast<int32_t>(list.size());
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatArrayParent"));
  }
}

bool fCatMove(int32_t CID, const rt::Variant& Parent, jet::Database* db) {
  try {
    jet::Database& target = CommandDB(db);
    if (!Parent.isNull()) {
      std::vector<CatItem> above;
      fCatArrayParent(Parent.toInt(), above, &target);
      if (Parent.toInt() == CID ||
          std::any_of(above.begin(), above.end(), [CID](const CatItem& c) { return c.CID == CID; }))
        return false;
    }
    auto rs = SeekCategory(target, CID);
    if (!rs->NoMatch()) {
      rs->Edit();
      rs->Fields(QStringLiteral("Parent")).SetValue(Parent);
      rs->Update();
    }
    rs->Close();
    return true;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatMove"));
  }
}

int32_t fCatArraySub(int32_t CID, std::vector<CatItem>& list, jet::Database* db) {
  try {
    list.clear();
    int32_t count = 0;
    return fCatArraySubRecurse(CID, list, CommandDB(db), count);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatArraySub"));
  }
}

int32_t fCatArraySubRecurse(int32_t CID, std::vector<CatItem>& list, jet::Database& db, int32_t& count) {
  try {
    struct Level {
      std::vector<CatItem> children;
      size_t next = 0;
    };
    std::unordered_set<int32_t> seen{CID};
    for (const CatItem& item : list) seen.insert(item.CID);
    std::vector<Level> stack;
    stack.push_back({childCategories(db, CID)});
    while (!stack.empty()) {
      Level& top = stack.back();
      if (top.next == top.children.size()) {
        stack.pop_back();
        continue;
      }
      const CatItem item = top.children[top.next++];
      if (!seen.insert(item.CID).second) continue;
      list.push_back(item);
      ++count;
      stack.push_back({childCategories(db, item.CID)});
    }
    return count;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatArraySubRecurse"));
  }
}

QString fCatStringParent(int32_t CID) {
  try {
    std::vector<CatItem> parents;
    QString text;
    if (fCatArrayParent(CID, parents) < 1) return text;
    for (const CatItem& item : parents) AppendWithSeparator(text, item.CatName, QStringLiteral(" > "), false);
    return text;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatStringParent"));
  }
}

int32_t fCatVolumeCount(int32_t CID, std::vector<int32_t>& volumes) {
  try {
    volumes.clear();
    std::vector<CatItem> categories;
    fCatArraySub(CID, categories);
    categories.push_back({CID, fCatName(CID)});
    jet::Database& db = CommandDB();
    for (const CatItem& item : categories) {
      const QString sql = BuildSelectSql(QStringLiteral("tblVOLUMES"),
                                         QStringLiteral("[CatID] = ") + QString::number(item.CID), QString(), false);
      auto rs = db.OpenRecordset(sql, jet::RecordsetType::ForwardOnly);
      while (!rs->IsEOF()) {
        volumes.push_back(rs->Fields(QStringLiteral("VID")).Value().toInt());
        rs->MoveNext();
      }
      rs->Close();
    }
    return static_cast<int32_t>(volumes.size());
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatVolumeCount"));
  }
}
