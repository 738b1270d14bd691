#pragma once

// SQL text in the engine's dialect: SELECT and DELETE over one table, user criteria turned into
// valid criteria, and the two characters reserved in names. Stateless; the builders report
// nothing (a bad criterion is rejected by the engine when the statement runs).

#include "platform/runtime/Variant.h"

#include <QString>

#include <vector>

// One term of a split criterion and the keyword that joins it to the next ("AND" or "OR").
struct CriteriaRow {
  QString term;
  QString op;
};
using CriteriaRows = std::vector<CriteriaRow>;

// "SELECT [t].* FROM [t] WHERE ((...)) ORDER BY [t].[field] DESC;". A simple criterion gets the
// table prefix, a compound one stands as it is; an empty criterion or sort field is left out.
QString BuildSelectSql(const QString& table, const QString& criterion, const QString& sortField, bool descending);

// "DELETE [t].* FROM [t] WHERE ((...));", or "DELETE [t].* FROM [t];" for an empty criterion.
QString BuildDeleteSql(const QString& table, const QString& criterion);

// Simple: does not start with "(" and holds neither " AND " nor " OR " (any case).
bool IsSimpleCriteria(const QString& criterion);

// Turns terms such as [Name]='O'Brien' joined by " AND " / " OR " into valid criteria: each quoted
// value keeps its enclosing quotes and has the quotes inside doubled; keywords come out upper case.
// Keywords split the text only outside quoted values. Inside a value a doubled quote is one quote,
// and a single quote ends the value only where blanks and then a keyword or the end follow; so a
// caller putting foreign text into a value doubles its quotes (DoubleSingleQuotes) first, and no
// such text can end the value and add a term of its own.
QString BuildCriteria(const QString& userCriterion);

// Splits a user criterion into rows of (term, joining keyword); returns the row count. A text
// without " AND " counts as one AND-part, which is then split at " OR ".
int SplitCriteria(const QString& userCriterion, CriteriaRows& rows);

// Splits text at keyword (any case, outside quoted values) into (trimmed part, trimmed keyword)
// pairs; 0 and pairs left alone when the keyword does not occur there.
int SplitByKeyword(const QString& text, const QString& keyword, CriteriaRows& pairs);

// "[Name]='O'Brien'" -> "[Name]= 'O''Brien'", and so does "[Name]='O''Brien'"; a term not ending
// in a quote has every quote doubled.
QString FormatCriteriaTerm(const QString& term);

QString DoubleSingleQuotes(const QString& text);

// Every "|" becomes "' & Chr(124) & '": closes the literal, appends the character, reopens it.
QString EscapePipeForSql(const QString& criterion);

// Texts get "|" replaced by U+00A6 and "'" by U+00B4; other values are returned as they are.
// When something was replaced and showNotice is set, one information box shows noticeText (or
// library message 27 when it is empty). Any failure returns the value unchanged.
rt::Variant ReplaceReservedChars(const rt::Variant& value, bool showNotice, const QString& noticeText);
