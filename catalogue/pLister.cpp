#include "catalogue/pLister.h"

#include "catalogue/mdlCommand_categories.h"
#include "foundation/mdlQZLib51_sql.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Recordset.h"
#include "platform/runtime/RaisedError.h"

#include <QLocale>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kSeparator = QStringLiteral("/");

}  // namespace

QString pLister::tvwGetData(const ListerTree& tv, std::unique_ptr<ListerNode>& startNode, bool skipSiblings,
                            int16_t indent, bool recursive) {
  if (!startNode) startNode = tv.FirstNode();
  if (!startNode) return QString();
  QString listing;
  ListNode(*startNode, listing, 0, indent, skipSiblings, recursive);
  return listing;
}

void pLister::AppendBlock(const ListerNode& node, QString& listing, int level, int16_t indent) {
  const QString margin(level * indent, QLatin1Char(' '));
  // The folder joined to the path separator; a root shown by its absolute path has it already.
  const QString name = node.Text();
  const QString heading = margin + (name.startsWith(kSeparator) ? name : kSeparator + name);
  if (listing.isEmpty()) {
    listing = heading;
  } else {
    listing += kCrLf + kCrLf + heading;
  }
  // The tag is the record id the tree stored; only a whole number goes into the statement.
  bool ok = false;
  const qlonglong pathId = node.Tag().trimmed().toLongLong(&ok);
  const QString criterion = QStringLiteral("[PathID]=") + (ok ? QString::number(pathId) : QStringLiteral("Null"));
  const QString sql = BuildSelectSql(QStringLiteral("tblFILES"), criterion, QStringLiteral("Filename"), false);
  auto rs = CommandDB().OpenRecordset(sql, jet::RecordsetType::ForwardOnly);
  const QString fileMargin = margin + QString(indent, QLatin1Char(' '));
  const QLocale locale;
  QString lines;
  while (!rs->IsEOF()) {
    const rt::Variant size = rs->Fields(QStringLiteral("Filesize")).Value();
    const rt::Variant date = rs->Fields(QStringLiteral("DateTime")).Value();
    if (size.isNull() || date.isNull())
      throw rt::RaisedError(rt::kErrInvalidUseOfNull, QStringLiteral("pLister"),
                            QStringLiteral("Unzulässige Verwendung von Null."));
    QString line = fileMargin + rs->Fields(QStringLiteral("Filename")).Value().toText() + QStringLiteral(", ") +
                   date.toDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) + QStringLiteral(", ") +
                   locale.toString(size.toDouble(), 'f', 0) + QStringLiteral(" Bytes (") +
                   FormatBytesShort(size.toDouble()) + QStringLiteral(")");
    AppendWithSeparator(lines, line, kCrLf, false);
    rs->MoveNext();
  }
  rs->Close();
  if (!lines.isEmpty()) listing += kCrLf + lines;
}

void pLister::ListNode(const ListerNode& node, QString& listing, int level, int16_t indent, bool skipSiblings,
                       bool recursive) {
  AppendBlock(node, listing, level, indent);
  if (!recursive) return;
  // Depth first in tree order with a stack of its own: a node's children come before its next
  // sibling, and neither deep nor wide branches deepen the call stack.
  struct Pending {
    std::unique_ptr<ListerNode> node;
    int level;
  };
  std::vector<Pending> pending;
  auto push = [&pending](std::unique_ptr<ListerNode> n, int lv) {
    if (n) pending.push_back({std::move(n), lv});
  };
  if (!skipSiblings) push(node.Next(), level);
  if (node.Children() > 0) push(node.Child(), level + 1);
  while (!pending.empty()) {
    Pending p = std::move(pending.back());
    pending.pop_back();
    AppendBlock(*p.node, listing, p.level, indent);
    push(p.node->Next(), p.level);
    if (p.node->Children() > 0) push(p.node->Child(), p.level + 1);
  }
}
