#include "foundation/mdlQZLib51_sql.h"

#include "foundation/mdlQZLib51_libmsg.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/ui/MessageBox.h"

namespace {

const QString kAnd = QStringLiteral(" AND ");
const QString kOr = QStringLiteral(" OR ");
const QString kQuote = QStringLiteral("'");

// Blanks only, as the runtime's Trim.
QString trimBlanks(const QString& s) { return StripText(s, QStringLiteral(" "), true, true, Qt::CaseSensitive, false); }

QString bracketed(const QString& name) { return EncloseIn(name, QStringLiteral("[]")); }

bool isKeywordAt(const QString& text, qsizetype at) {
  return QStringView(text).mid(at).startsWith(kAnd, Qt::CaseInsensitive) ||
         QStringView(text).mid(at).startsWith(kOr, Qt::CaseInsensitive);
}

// A quote inside a value ends it only where blanks and then the end of the text or a keyword
// follow; any other quote belongs to the value (O'Brien).
bool closesValue(const QString& text, qsizetype quote) {
  qsizetype j = quote + 1;
  while (j < text.size() && text.at(j) == QLatin1Char(' ')) ++j;
  if (j == text.size()) return true;
  return j > quote + 1 && isKeywordAt(text, j - 1);
}

// The positions at which keyword (any case) stands outside quoted values. A quote opens a value;
// inside it a doubled quote stands for one quote of the value, so a value whose quotes are
// doubled can never end early and let a keyword of its own split the criterion.
std::vector<qsizetype> keywordPositions(const QString& text, const QString& keyword) {
  std::vector<qsizetype> found;
  bool inValue = false;
  for (qsizetype i = 0; i < text.size();) {
    if (text.at(i) == kQuote.at(0)) {
      if (!inValue) {
        inValue = true;
      } else if (closesValue(text, i)) {
        inValue = false;
      } else if (i + 1 < text.size() && text.at(i + 1) == kQuote.at(0)) {
        ++i;  // a doubled quote: one quote of the value
      }
      ++i;
      continue;
    }
    if (!inValue && QStringView(text).mid(i).startsWith(keyword, Qt::CaseInsensitive)) {
      found.push_back(i);
      i += keyword.size();
      continue;
    }
    ++i;
  }
  return found;
}

bool hasKeywordOutsideValues(const QString& text) {
  return !keywordPositions(text, kAnd).empty() || !keywordPositions(text, kOr).empty();
}

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
  if (keyword.isEmpty()) return 0;
  const std::vector<qsizetype> at = keywordPositions(text, keyword);
  if (at.empty()) return 0;
  const QString op = trimBlanks(keyword);
  CriteriaRows out;
  out.reserve(at.size() + 1);
  qsizetype from = 0;
  for (const qsizetype pos : at) {
    out.push_back({trimBlanks(text.mid(from, pos - from)), op});
    from = pos + keyword.size();
  }
  out.push_back({trimBlanks(text.mid(from)), op});
  pairs = std::move(out);
  return static_cast<int>(pairs.size());
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
  if (!hasKeywordOutsideValues(userCriterion)) return FormatCriteriaTerm(userCriterion);
  CriteriaRows rows;
  SplitCriteria(userCriterion, rows);
  QString result;
  for (size_t i = 0; i < rows.size(); ++i) {
    QString term = FormatCriteriaTerm(rows[i].term);
    if (i + 1 < rows.size()) term += QLatin1Char(' ') + rows[i].op;
    result += QLatin1Char(' ') + term;
  }
  return trimBlanks(result);
}

QString FormatCriteriaTerm(const QString& term) {
  const QString t = trimBlanks(term);
  if (!t.endsWith(kQuote)) return DoubleSingleQuotes(t);
  const qsizetype first = t.indexOf(kQuote);
  const QString fieldAndOperator = trimBlanks(t.left(first));
  const QString quoted = trimBlanks(t.mid(first));
  // Drop the enclosing quotes; a lone quote leaves an empty value. A quote the caller already
  // doubled counts once, so that value and literal hold the same quotes either way.
  QString value = quoted.size() >= 2 ? quoted.mid(1, quoted.size() - 2) : QString();
  value.replace(QStringLiteral("''"), kQuote);
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
      ui::showMessageBox(noticeText.isEmpty() ? LibMessage(kLibMsgReservedChars) : noticeText, ui::kInformation,
                         QString());
    return rt::Variant(after);
  } catch (...) {
    // The notice is a courtesy: whatever fails, the caller keeps its value.
    return value;
  }
}
