#include "foundation/mdlQZLib51_sql.h"

#include "foundation/mdlQZLib51_libmsg.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/ui/MessageBox.h"

namespace {

const QString kAnd = QStringLiteral(" AND ");
const QString kOr = QStringLiteral(" OR ");
const QString kQuote = QStringLiteral("'");

constexpr int32_t kMsgReservedChars = 27;

// Blanks only, as the runtime's Trim.
QString trimBlanks(const QString& s) { return StripText(s, QStringLiteral(" "), true, true, Qt::CaseSensitive, false); }

QString bracketed(const QString& name) { return EncloseIn(name, QStringLiteral("[]")); }

// The WHERE part shared by the SELECT and DELETE builders, without its leading blank.
QString wherePart(const QString& table, const QString& criterion) {
  if (IsSimpleCriteria(criterion))
    return QStringLiteral("WHERE ((") + table + QLatin1Char('.') + criterion + QStringLiteral("))");
  return QStringLiteral("WHERE ((") + criterion + QStringLiteral("))");
}

}  // namespace

bool IsSimpleCriteria(const QString& criterion) {
  return !criterion.startsWith(QLatin1Char('(')) && !criterion.contains(kAnd, Qt::CaseInsensitive) &&
         !criterion.contains(kOr, Qt::CaseInsensitive);
}

QString BuildSelectSql(const QString& table, const QString& criterion, const QString& sortField, bool descending) {
  const QString t = bracketed(table);
  QString sql = QStringLiteral("SELECT ") + t + QStringLiteral(".* FROM ") + t;
  if (!criterion.isEmpty()) sql += QLatin1Char(' ') + wherePart(t, criterion);
  if (!sortField.isEmpty()) {
    sql += QStringLiteral(" ORDER BY ") + t + QLatin1Char('.') + bracketed(sortField);
    if (descending) sql += QStringLiteral(" DESC");
  }
  return sql + QLatin1Char(';');
}

QString BuildDeleteSql(const QString& table, const QString& criterion) {
  const QString t = bracketed(table);
  QString sql = QStringLiteral("DELETE ") + t + QStringLiteral(".* FROM ") + t;
  if (!criterion.isEmpty()) sql += QLatin1Char(' ') + wherePart(t, criterion);
  return sql + QLatin1Char(';');
}

int SplitByKeyword(const QString& text, const QString& keyword, CriteriaRows& pairs) {
  if (keyword.isEmpty() || !text.contains(keyword, Qt::CaseInsensitive)) return 0;
  QStringList parts;
  const int n = SplitText(rt::Variant(text), parts, keyword);
  const QString op = trimBlanks(keyword);
  CriteriaRows out;
  out.reserve(parts.size());
  for (const QString& part : parts) out.push_back({trimBlanks(part), op});
  pairs = std::move(out);
  return n;
}

int SplitCriteria(const QString& userCriterion, CriteriaRows& rows) {
  rows.clear();
  const QString text = trimBlanks(userCriterion);
  if (text.isEmpty()) return 0;
  CriteriaRows andParts;
  // Without " AND " the whole text is the one AND-part.
  if (SplitByKeyword(text, kAnd, andParts) == 0) andParts = {{text, QStringLiteral("AND")}};
  for (const CriteriaRow& part : andParts) {
    CriteriaRows orParts;
    if (SplitByKeyword(part.term, kOr, orParts) == 0) {
      rows.push_back({part.term, QStringLiteral("AND")});
      continue;
    }
    for (size_t i = 0; i < orParts.size(); ++i)
      rows.push_back({orParts[i].term, i + 1 < orParts.size() ? QStringLiteral("OR") : QStringLiteral("AND")});
  }
  return static_cast<int>(rows.size());
}

QString BuildCriteria(const QString& userCriterion) {
  if (!userCriterion.contains(kAnd, Qt::CaseInsensitive) && !userCriterion.contains(kOr, Qt::CaseInsensitive))
    return FormatCriteriaTerm(userCriterion);
  CriteriaRows rows;
  SplitCriteria(userCriterion, rows);
  QString result;
  for (size_t i = 0; i < rows.size(); ++i) {
    QString piece = FormatCriteriaTerm(rows[i].term);
    if (i + 1 < rows.size()) piece += QLatin1Char(' ') + rows[i].op;
    result += QLatin1Char(' ') + piece;
  }
  return trimBlanks(result);
}

QString FormatCriteriaTerm(const QString& term) {
  const QString t = trimBlanks(term);
  if (!t.endsWith(kQuote)) return DoubleSingleQuotes(t);
  const qsizetype first = t.indexOf(kQuote);
  const QString fieldAndOperator = trimBlanks(t.left(first));
  const QString quoted = trimBlanks(t.mid(first));
  // Drop the enclosing quotes; a lone quote leaves an empty value.
  const QString value = quoted.size() >= 2 ? quoted.mid(1, quoted.size() - 2) : QString();
  return fieldAndOperator + QLatin1Char(' ') + kQuote + DoubleSingleQuotes(value) + kQuote;
}

QString DoubleSingleQuotes(const QString& text) {
  QString r = text;
  return r.replace(kQuote, QStringLiteral("''"));
}

QString EscapePipeForSql(const QString& criterion) {
  QString r = criterion;
  return r.replace(QLatin1Char('|'), QStringLiteral("' & Chr(124) & '"));
}

rt::Variant ReplaceReservedChars(const rt::Variant& value, bool showNotice, const QString& noticeText) {
  if (!value.isText()) return value;
  try {
    const QString before = value.toText();
    QString after = before;
    after.replace(QLatin1Char('|'), QChar(0x00A6));
    after.replace(QLatin1Char('\''), QChar(0x00B4));
    if (after != before && showNotice)
      ui::showMessageBox(noticeText.isEmpty() ? LibMessage(kMsgReservedChars) : noticeText, ui::kInformation,
                         QString());
    return rt::Variant(after);
  } catch (...) {
    // The notice is a courtesy: whatever fails, the caller keeps its value.
    return value;
  }
}
