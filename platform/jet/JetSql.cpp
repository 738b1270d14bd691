#include "platform/jet/JetSql.h"

#include "platform/jet/Connection.h"
#include "platform/jet/JetError.h"
#include "platform/runtime/RaisedError.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <sqlite3.h>

#include <vector>

// The translator works in three steps: tokens, a tree of parenthesised groups, and clause by
// clause emission. Every token must be one it knows; whatever falls outside the accepted set
// is refused with 3075 rather than handed to SQLite half-translated.
namespace jet {

namespace {

enum class Tok { Word, Name, String, Number, Param, Op, Open, Close, Comma, Dot, Semi };

struct Token {
  Tok kind;
  QString text;
};

struct Node {
  Token tok;
  std::vector<Node> kids;  // contents of a group "( ... )"
  bool isGroup() const { return tok.kind == Tok::Open; }
};

const QSet<QString>& clauseWords() {
  static const QSet<QString> s = {"SELECT", "FROM",   "WHERE",  "GROUP",  "ORDER", "BY",    "HAVING",
                                  "SET",    "DELETE", "UPDATE", "INSERT", "INTO",  "VALUES"};
  return s;
}

const QSet<QString>& exprWords() {
  static const QSet<QString> s = {"AND",   "OR",   "NOT",   "IS",   "NULL", "LIKE", "AS",
                                  "INNER", "LEFT", "OUTER", "JOIN", "ON",   "TRUE", "FALSE"};
  return s;
}

// Reserved words of either dialect that the program's texts never use.
const QSet<QString>& refusedWords() {
  static const QSet<QString> s = {
      "TOP",       "DISTINCT",    "DISTINCTROW", "UNION",  "ALL",       "PIVOT",   "TRANSFORM", "PARAMETERS",
      "WITH",      "OWNERACCESS", "EXISTS",      "IN",     "BETWEEN",   "ESCAPE",  "LIMIT",     "OFFSET",
      "CASE",      "WHEN",        "THEN",        "ELSE",   "END",       "CAST",    "COLLATE",   "GLOB",
      "REGEXP",    "MATCH",       "RIGHT",       "FULL",   "CROSS",     "NATURAL", "USING",     "EXCEPT",
      "INTERSECT", "CREATE",      "DROP",        "ALTER",  "TABLE",     "INDEX",   "PRAGMA",    "ATTACH",
      "DETACH",    "VACUUM",      "BEGIN",       "COMMIT", "ROLLBACK",  "REPLACE", "MOD",       "XOR",
      "EQV",       "IMP",         "ANY",         "SOME",   "RETURNING", "WINDOW",  "OVER"};
  return s;
}

struct Function {
  const char* sqlName;
  int minArgs;
  int maxArgs;
};

const QHash<QString, Function>& functions() {
  static const QHash<QString, Function> f = {{"COUNT", {"count", 1, 1}},   {"SUM", {"sum", 1, 1}},
                                             {"AVG", {"avg", 1, 1}},       {"MAX", {"max", 1, 1}},
                                             {"MIN", {"min", 1, 1}},       {"FIRST", {"jet_first", 1, 1}},
                                             {"LAST", {"jet_last", 1, 1}}, {"CHR", {"jet_chr", 1, 1}},
                                             {"NZ", {"jet_nz", 1, 2}},     {"IIF", {"iif", 3, 3}}};
  return f;
}

QString quoteName(const QString& name) {
  QString n = name;
  n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + n + QLatin1Char('"');
}

QString quoteText(const QString& text) {
  QString t = text;
  t.replace(QLatin1Char('\''), QStringLiteral("''"));
  return QLatin1Char('\'') + t + QLatin1Char('\'');
}

// One emitted piece of an expression.
struct Item {
  enum class Kind { Operand, Keyword, Operator };
  Item(Kind k, QString t) : kind(k), text(std::move(t)) {}
  Kind kind;
  QString text;
  bool plainName = false;  // a column reference, possibly qualified
  int nameParts = 0;
  QString lastPart;
  bool collated = false;  // carries COLLATE JETTEXT already
  bool textLiteral = false;
  bool textColumn = false;  // a column that holds texts, alone or in brackets
};

struct Expr {
  QString text;
  bool plainName = false;
  int nameParts = 0;
  QString lastPart;
  bool collated = false;
  bool textLiteral = false;
  bool textColumn = false;
  bool hasCondition = false;  // a comparison or logical operator at the top level
};

bool isComparison(const Item& it) {
  return it.kind == Item::Kind::Operator && (it.text == u"=" || it.text == u"<>" || it.text == u"<" ||
                                             it.text == u">" || it.text == u"<=" || it.text == u">=");
}

const QString& collateClause() {
  static const QString c = QStringLiteral(" COLLATE ") + QString::fromLatin1(kTextCollation);
  return c;
}

bool isArithmetic(const Item& it) {
  return it.kind == Item::Kind::Operator && (it.text == u"+" || it.text == u"-" || it.text == u"*" || it.text == u"/");
}

class Translator {
 public:
  Translator(const QString& source, const TextColumns& textColumns) : src_(source), text_(textColumns) {}

  QString statement() {
    std::vector<Node> nodes = parse();
    if (nodes.empty()) fail(QStringLiteral("leerer SQL-Text"));
    const QString first = upperWord(nodes[0]);
    if (first == u"SELECT") return selectStatement(nodes);
    if (first == u"DELETE") return deleteStatement(nodes);
    if (first == u"UPDATE") return updateStatement(nodes);
    if (first == u"INSERT") return insertStatement(nodes);
    fail(QStringLiteral("unbekannte Anweisung \"%1\"").arg(nodes[0].tok.text));
  }

  QString criteria() {
    std::vector<Node> nodes = parse();
    if (nodes.empty()) fail(QStringLiteral("leeres Kriterium"));
    return condition(nodes, 0, nodes.size()).text;
  }

 private:
  [[noreturn]] void fail(const QString& why) const {
    throw rt::RaisedError(err::kSyntax, QStringLiteral("DAO.Database"),
                          QStringLiteral("Syntaxfehler in der Abfrage: %1 (in \"%2\").").arg(why, src_));
  }

  // ---- tokens and tree ------------------------------------------------------------------

  std::vector<Token> tokenize() const {
    std::vector<Token> out;
    const QString& s = src_;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
      const QChar c = s[i];
      if (c.isSpace()) {
        ++i;
        continue;
      }
      if (c.isLetter() || c == u'_') {
        qsizetype j = i + 1;
        while (j < n && (s[j].isLetterOrNumber() || s[j] == u'_')) ++j;
        out.push_back({Tok::Word, s.mid(i, j - i)});
        i = j;
      } else if (c.isDigit()) {
        qsizetype j = i;
        while (j < n && s[j].isDigit()) ++j;
        if (j < n && s[j] == u'.' && j + 1 < n && s[j + 1].isDigit()) {
          ++j;
          while (j < n && s[j].isDigit()) ++j;
        }
        if (j < n && (s[j] == u'e' || s[j] == u'E')) {
          qsizetype k = j + 1;
          if (k < n && (s[k] == u'+' || s[k] == u'-')) ++k;
          if (k < n && s[k].isDigit()) {
            while (k < n && s[k].isDigit()) ++k;
            j = k;
          }
        }
        if (j < n && (s[j].isLetter() || s[j] == u'_'))
          fail(QStringLiteral("ungültige Zahl bei \"%1\"").arg(s.mid(i, j - i + 1)));
        out.push_back({Tok::Number, s.mid(i, j - i)});
        i = j;
      } else if (c == u'[') {
        const qsizetype close = s.indexOf(u']', i + 1);
        if (close < 0) fail(QStringLiteral("\"[\" ohne \"]\""));
        if (close == i + 1) fail(QStringLiteral("leerer Name \"[]\""));
        out.push_back({Tok::Name, s.mid(i + 1, close - i - 1)});
        i = close + 1;
      } else if (c == u'\'' || c == u'"') {
        QString text;
        qsizetype j = i + 1;
        for (;;) {
          if (j >= n) fail(QStringLiteral("Zeichenfolge ohne schließendes %1").arg(c));
          if (s[j] == c) {
            if (j + 1 < n && s[j + 1] == c) {  // doubled quote inside the text
              text += c;
              j += 2;
              continue;
            }
            break;
          }
          text += s[j++];
        }
        out.push_back({Tok::String, text});
        i = j + 1;
      } else if (c == u'<' && i + 1 < n && (s[i + 1] == u'>' || s[i + 1] == u'=')) {
        out.push_back({Tok::Op, s.mid(i, 2)});
        i += 2;
      } else if (c == u'>' && i + 1 < n && s[i + 1] == u'=') {
        out.push_back({Tok::Op, s.mid(i, 2)});
        i += 2;
      } else if (QStringLiteral("=<>+-*/&").contains(c)) {
        out.push_back({Tok::Op, QString(c)});
        ++i;
      } else {
        Tok kind;
        switch (c.unicode()) {
          case '(':
            kind = Tok::Open;
            break;
          case ')':
            kind = Tok::Close;
            break;
          case ',':
            kind = Tok::Comma;
            break;
          case '.':
            kind = Tok::Dot;
            break;
          case ';':
            kind = Tok::Semi;
            break;
          case '?':
            kind = Tok::Param;
            break;
          case '#':
            fail(QStringLiteral("Datumsliteral oder nicht ersetzter Platzhalter bei \"%1\"").arg(s.mid(i, 12)));
          default:
            fail(QStringLiteral("unbekanntes Zeichen \"%1\"").arg(c));
        }
        out.push_back({kind, QString(c)});
        ++i;
      }
    }
    return out;
  }

  std::vector<Node> parse() const {
    std::vector<Token> tokens = tokenize();
    if (!tokens.empty() && tokens.back().kind == Tok::Semi) tokens.pop_back();
    for (const Token& t : tokens)
      if (t.kind == Tok::Semi) fail(QStringLiteral("mehr als eine Anweisung"));
    size_t pos = 0;
    std::vector<Node> nodes = group(tokens, pos, 0);
    if (pos < tokens.size()) fail(QStringLiteral("\")\" ohne \"(\""));
    return nodes;
  }

  // Every level of brackets is a level of recursion here and in the emission; the program's
  // texts nest a few levels, a text built to nest thousands would overflow the stack.
  static constexpr int kMaxNesting = 64;

  std::vector<Node> group(const std::vector<Token>& tokens, size_t& pos, int depth) const {
    if (depth > kMaxNesting) fail(QStringLiteral("zu tief geschachtelte Klammern"));
    std::vector<Node> out;
    while (pos < tokens.size()) {
      const Token& t = tokens[pos];
      if (t.kind == Tok::Close) return out;
      ++pos;
      Node node{t, {}};
      if (t.kind == Tok::Open) {
        node.kids = group(tokens, pos, depth + 1);
        if (pos >= tokens.size()) fail(QStringLiteral("\"(\" ohne \")\""));
        ++pos;  // the ")"
        if (node.kids.empty()) fail(QStringLiteral("leere Klammer"));
      }
      out.push_back(std::move(node));
    }
    return out;
  }

  static QString upperWord(const Node& n) { return n.tok.kind == Tok::Word ? n.tok.text.toUpper() : QString(); }

  // ---- expressions ----------------------------------------------------------------------

  static bool isNameToken(const Node& n) { return n.tok.kind == Tok::Word || n.tok.kind == Tok::Name; }

  // A name with qualifiers, "t.col", "[t].[col]" or "t.*", starting at i.
  Item nameChain(const std::vector<Node>& nodes, size_t& i, size_t e) const {
    Item it{Item::Kind::Operand, quoteName(nodes[i].tok.text)};
    it.plainName = true;
    it.nameParts = 1;
    it.lastPart = nodes[i].tok.text;
    ++i;
    while (i < e && nodes[i].tok.kind == Tok::Dot) {
      if (i + 1 >= e) fail(QStringLiteral("Name endet mit \".\""));
      const Node& next = nodes[i + 1];
      if (next.tok.kind == Tok::Op && next.tok.text == u"*") {
        it.text += QStringLiteral(".*");
        it.plainName = false;
        i += 2;
        return it;
      }
      if (!isNameToken(next)) fail(QStringLiteral("nach \".\" fehlt ein Name"));
      it.text += QLatin1Char('.') + quoteName(next.tok.text);
      it.lastPart = next.tok.text;
      ++it.nameParts;
      i += 2;
    }
    it.textColumn = text_.contains(it.lastPart);
    return it;
  }

  Item functionCall(const Node& nameNode, const Node& args) const {
    const QString upper = nameNode.tok.text.toUpper();
    const auto f = functions().constFind(upper);
    if (f == functions().constEnd()) fail(QStringLiteral("unbekannte Funktion \"%1\"").arg(nameNode.tok.text));
    QStringList parts;
    const auto& kids = args.kids;
    if (upper == u"COUNT" && kids.size() == 1 && kids[0].tok.kind == Tok::Op && kids[0].tok.text == u"*") {
      parts << QStringLiteral("*");
    } else {
      // The text collation gives Max and Min of texts their order.
      const bool ordered = upper == u"MAX" || upper == u"MIN";
      for (const auto& [b, e] : splitCommas(kids, 0, kids.size())) {
        const Expr arg = expr(kids, b, e);
        parts << (ordered && arg.textColumn && !arg.collated ? arg.text + collateClause() : arg.text);
      }
    }
    if (parts.size() < f->minArgs || parts.size() > f->maxArgs)
      fail(QStringLiteral("falsche Anzahl von Argumenten für \"%1\"").arg(nameNode.tok.text));
    Item it{Item::Kind::Operand,
            QString::fromLatin1(f->sqlName) + QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')')};
    return it;
  }

  std::vector<std::pair<size_t, size_t>> splitCommas(const std::vector<Node>& nodes, size_t b, size_t e) const {
    std::vector<std::pair<size_t, size_t>> out;
    size_t start = b;
    for (size_t i = b; i <= e; ++i) {
      if (i == e || nodes[i].tok.kind == Tok::Comma) {
        if (i == start) fail(QStringLiteral("leerer Eintrag in einer Liste"));
        out.emplace_back(start, i);
        start = i + 1;
      }
    }
    return out;
  }

  std::vector<Item> items(const std::vector<Node>& nodes, size_t b, size_t e) const {
    std::vector<Item> out;
    size_t i = b;
    while (i < e) {
      const Node& n = nodes[i];
      switch (n.tok.kind) {
        case Tok::Word: {
          const QString u = n.tok.text.toUpper();
          if (refusedWords().contains(u))
            fail(QStringLiteral("nicht unterstütztes Schlüsselwort \"%1\"").arg(n.tok.text));
          if (clauseWords().contains(u)) fail(QStringLiteral("\"%1\" an dieser Stelle").arg(n.tok.text));
          const bool keyword = exprWords().contains(u);
          if (!keyword && i + 1 < e && nodes[i + 1].isGroup()) {
            out.push_back(functionCall(n, nodes[i + 1]));
            i += 2;
          } else if (u == u"TRUE" || u == u"FALSE") {
            out.push_back({Item::Kind::Operand, u == u"TRUE" ? QStringLiteral("-1") : QStringLiteral("0")});
            ++i;
          } else if (u == u"NULL") {
            out.push_back({Item::Kind::Operand, QStringLiteral("NULL")});
            ++i;
          } else if (u == u"AS") {
            if (i + 1 >= e || !isNameToken(nodes[i + 1])) fail(QStringLiteral("nach AS fehlt ein Name"));
            out.push_back({Item::Kind::Keyword, QStringLiteral("AS ") + quoteName(nodes[i + 1].tok.text)});
            i += 2;
          } else if (keyword) {
            out.push_back({Item::Kind::Keyword, u});
            ++i;
          } else {
            out.push_back(nameChain(nodes, i, e));
          }
          break;
        }
        case Tok::Name:
          out.push_back(nameChain(nodes, i, e));
          break;
        case Tok::String: {
          Item text{Item::Kind::Operand, quoteText(n.tok.text)};
          text.textLiteral = true;
          out.push_back(std::move(text));
          ++i;
          break;
        }
        case Tok::Number:
          out.push_back({Item::Kind::Operand, n.tok.text});
          ++i;
          break;
        case Tok::Param:
          out.push_back({Item::Kind::Operand, QStringLiteral("?")});
          ++i;
          break;
        case Tok::Open: {
          if (upperWord(n.kids[0]) == u"SELECT") fail(QStringLiteral("Unterabfragen werden nicht unterstützt"));
          const Expr inner = expr(n.kids, 0, n.kids.size());
          Item group{Item::Kind::Operand, QLatin1Char('(') + inner.text + QLatin1Char(')')};
          group.textColumn = inner.textColumn;
          group.collated = inner.collated;
          out.push_back(std::move(group));
          ++i;
          break;
        }
        case Tok::Op:
          out.push_back({Item::Kind::Operator, n.tok.text});
          ++i;
          break;
        case Tok::Comma:
          fail(QStringLiteral("unerwartetes Komma"));
        case Tok::Dot:
          fail(QStringLiteral("unerwarteter Punkt"));
        default:
          fail(QStringLiteral("unerwartetes \"%1\"").arg(n.tok.text));
      }
    }
    return out;
  }

  // Jet's "&" joins texts and treats Null as empty; its operands must be simple (a name, a
  // literal, a call or a parenthesis), since "&" binds looser than + and - in Jet but "||"
  // binds tighter in SQLite.
  std::vector<Item> foldConcat(const std::vector<Item>& in) const {
    std::vector<Item> out;
    for (size_t j = 0; j < in.size(); ++j) {
      const bool startsChain = in[j].kind == Item::Kind::Operand && j + 1 < in.size() &&
                               in[j + 1].kind == Item::Kind::Operator && in[j + 1].text == u"&";
      if (in[j].kind == Item::Kind::Operator && in[j].text == u"&") fail(QStringLiteral("\"&\" ohne Operanden"));
      if (!startsChain) {
        out.push_back(in[j]);
        continue;
      }
      if (!out.empty() && isArithmetic(out.back()))
        fail(QStringLiteral("\"&\" neben einem Rechenzeichen; bitte Klammern setzen"));
      QStringList parts{in[j].text};
      while (j + 1 < in.size() && in[j + 1].kind == Item::Kind::Operator && in[j + 1].text == u"&") {
        if (j + 2 >= in.size() || in[j + 2].kind != Item::Kind::Operand) fail(QStringLiteral("\"&\" ohne Operanden"));
        parts << in[j + 2].text;
        j += 2;
      }
      if (j + 1 < in.size() && isArithmetic(in[j + 1]))
        fail(QStringLiteral("\"&\" neben einem Rechenzeichen; bitte Klammern setzen"));
      // The joined text compares like a text column, not byte by byte.
      Item joined{Item::Kind::Operand, QStringLiteral("jet_concat(") + parts.join(QStringLiteral(", ")) +
                                           QLatin1Char(')') + collateClause()};
      joined.collated = true;
      out.push_back(std::move(joined));
    }
    return out;
  }

  // A bare text between AND and OR is no condition in Jet (a type mismatch), but SQLite would
  // take "x' OR '1" as true: the typical result of a quote that broke out of its literal.
  void refuseTextAsCondition(const std::vector<Item>& list) const {
    auto isLogical = [](const Item& it) {
      return it.kind == Item::Kind::Keyword && (it.text == u"AND" || it.text == u"OR");
    };
    bool logical = false;
    for (const Item& it : list) logical = logical || isLogical(it);
    if (!logical) return;
    size_t start = 0;
    for (size_t j = 0; j <= list.size(); ++j) {
      if (j < list.size() && !isLogical(list[j])) continue;
      size_t k = start;
      while (k < j && list[k].kind == Item::Kind::Keyword && list[k].text == u"NOT") ++k;
      if (k + 1 == j && list[k].textLiteral) fail(QStringLiteral("Text %1 als Bedingung").arg(list[k].text));
      start = j + 1;
    }
  }

  // A WHERE or HAVING clause, or a criterion.
  Expr condition(const std::vector<Node>& nodes, size_t b, size_t e) const {
    const Expr x = expr(nodes, b, e);
    if (x.textLiteral) fail(QStringLiteral("Text als Bedingung"));
    return x;
  }

  // The stored schema names no collation: a text column compared with anything compares
  // through the text collation, which SQLite takes from either side.
  static void collateComparisons(std::vector<Item>& list) {
    for (size_t j = 0; j < list.size(); ++j) {
      if (!isComparison(list[j])) continue;
      for (size_t k : {j - 1, j + 1}) {
        if (k >= list.size()) continue;  // j - 1 wrapped around, or nothing follows
        Item& side = list[k];
        if (side.kind != Item::Kind::Operand || !side.textColumn || side.collated) continue;
        side.text += collateClause();
        side.collated = true;
      }
    }
  }

  Expr expr(const std::vector<Node>& nodes, size_t b, size_t e) const {
    if (b >= e) fail(QStringLiteral("fehlender Ausdruck"));
    std::vector<Item> list = foldConcat(items(nodes, b, e));
    collateComparisons(list);
    Expr x;
    QStringList parts;
    for (size_t j = 0; j < list.size(); ++j) {
      const Item& it = list[j];
      if (j > 0) {
        const Item& prev = list[j - 1];
        if (prev.kind == Item::Kind::Operand && it.kind == Item::Kind::Operand)
          fail(QStringLiteral("fehlender Operator vor \"%1\"").arg(it.text));
        if (prev.kind == Item::Kind::Operator && it.kind == Item::Kind::Operator && it.text != u"-" && it.text != u"+")
          fail(QStringLiteral("zwei Operatoren hintereinander"));
      }
      if (it.kind == Item::Kind::Operator && it.text != u"+" && it.text != u"-" && it.text != u"*" && it.text != u"/")
        x.hasCondition = true;
      if (it.kind == Item::Kind::Keyword &&
          (it.text == u"AND" || it.text == u"OR" || it.text == u"NOT" || it.text == u"IS" || it.text == u"LIKE"))
        x.hasCondition = true;
      parts << it.text;
    }
    if (list.back().kind == Item::Kind::Operator) fail(QStringLiteral("unvollständiger Ausdruck"));
    refuseTextAsCondition(list);
    x.text = parts.join(QLatin1Char(' '));
    x.collated = list.size() == 1 && list[0].collated;
    x.textLiteral = list.size() == 1 && list[0].textLiteral;
    x.textColumn = list.size() == 1 && list[0].textColumn;
    if (list.size() == 1 && list[0].plainName) {
      x.plainName = true;
      x.nameParts = list[0].nameParts;
      x.lastPart = list[0].lastPart;
    }
    return x;
  }

  // ---- statements -----------------------------------------------------------------------

  struct Clause {
    QString keyword;
    size_t b, e;  // body
  };

  // Splits the top level into clauses; `allowed` lists the clause words in their order.
  std::vector<Clause> clauses(const std::vector<Node>& nodes, const QStringList& allowed) const {
    std::vector<Clause> out;
    int lastRank = -1;
    for (size_t i = 0; i < nodes.size();) {
      const QString u = upperWord(nodes[i]);
      const bool isClause = clauseWords().contains(u) && u != u"BY";
      if (!isClause) {
        if (out.empty()) fail(QStringLiteral("unerwarteter Anfang"));
        out.back().e = ++i;
        continue;
      }
      const int rank = static_cast<int>(allowed.indexOf(u));
      if (rank < 0 || rank <= lastRank) fail(QStringLiteral("\"%1\" an dieser Stelle").arg(nodes[i].tok.text));
      lastRank = rank;
      size_t body = i + 1;
      if (u == u"GROUP" || u == u"ORDER") {
        if (body >= nodes.size() || upperWord(nodes[body]) != u"BY")
          fail(QStringLiteral("nach \"%1\" fehlt BY").arg(nodes[i].tok.text));
        ++body;
      }
      out.push_back({u, body, body});
      i = body;
    }
    return out;
  }

  void requireBody(const Clause& c) const {
    if (c.b >= c.e) fail(QStringLiteral("leere %1-Klausel").arg(c.keyword));
  }

  // GROUP BY and ORDER BY terms: text columns and text expressions get the collation; other
  // plain columns stay bare, so that their indexes serve the order.
  QString sortTerm(const std::vector<Node>& nodes, size_t b, size_t e, bool allowDirection,
                   const QString& clause) const {
    QString direction;
    if (allowDirection && e - b > 1) {
      const QString u = upperWord(nodes[e - 1]);
      if (u == u"DESC" || u == u"ASC") {
        direction = QLatin1Char(' ') + u;
        --e;
      }
    }
    const Expr x = expr(nodes, b, e);
    if (x.hasCondition) fail(QStringLiteral("Bedingung in %1").arg(clause));
    QString text = x.text;
    if (!x.collated && (!x.plainName || x.textColumn)) text += collateClause();
    return text + direction;
  }

  QString selectStatement(const std::vector<Node>& nodes) const {
    const auto cs = clauses(nodes, {"SELECT", "FROM", "WHERE", "GROUP", "HAVING", "ORDER"});
    QStringList out;
    for (const Clause& c : cs) {
      requireBody(c);
      QStringList terms;
      if (c.keyword == u"SELECT") {
        for (const auto& [b, e] : splitCommas(nodes, c.b, c.e)) {
          if (e - b == 1 && nodes[b].tok.kind == Tok::Op && nodes[b].tok.text == u"*") {
            terms << QStringLiteral("*");
            continue;
          }
          const Expr x = expr(nodes, b, e);
          // A qualified column gets its own name: SQLite does not promise one without AS.
          terms << (x.plainName && x.nameParts > 1 ? x.text + QStringLiteral(" AS ") + quoteName(x.lastPart) : x.text);
        }
        out << QStringLiteral("SELECT ") + terms.join(QStringLiteral(", "));
      } else if (c.keyword == u"GROUP" || c.keyword == u"ORDER") {
        const bool order = c.keyword == u"ORDER";
        for (const auto& [b, e] : splitCommas(nodes, c.b, c.e))
          terms << sortTerm(nodes, b, e, order, order ? QStringLiteral("ORDER BY") : QStringLiteral("GROUP BY"));
        out << c.keyword + QStringLiteral(" BY ") + terms.join(QStringLiteral(", "));
      } else if (c.keyword == u"FROM") {
        out << QStringLiteral("FROM ") + expr(nodes, c.b, c.e).text;
      } else {
        out << c.keyword + QLatin1Char(' ') + condition(nodes, c.b, c.e).text;
      }
    }
    return out.join(QLatin1Char(' '));
  }

  QString deleteStatement(const std::vector<Node>& nodes) const {
    const auto cs = clauses(nodes, {"DELETE", "FROM", "WHERE"});
    if (cs.size() < 2 || cs[1].keyword != u"FROM") fail(QStringLiteral("DELETE ohne FROM"));
    // "DELETE t.* FROM t" and "DELETE * FROM t" both mean "DELETE FROM t".
    const Clause& d = cs[0];
    const size_t n = d.e - d.b;
    auto isStar = [&](size_t i) { return nodes[i].tok.kind == Tok::Op && nodes[i].tok.text == u"*"; };
    const bool ok = n == 0 || (n == 1 && isStar(d.b)) ||
                    (n == 3 && isNameToken(nodes[d.b]) && nodes[d.b + 1].tok.kind == Tok::Dot && isStar(d.b + 2));
    if (!ok) fail(QStringLiteral("nach DELETE ist nur \"*\" oder \"Tabelle.*\" erlaubt"));
    QStringList out{QStringLiteral("DELETE")};
    for (size_t k = 1; k < cs.size(); ++k) {
      requireBody(cs[k]);
      const Expr x = cs[k].keyword == u"FROM" ? expr(nodes, cs[k].b, cs[k].e) : condition(nodes, cs[k].b, cs[k].e);
      if (cs[k].keyword == u"FROM" && !x.plainName) fail(QStringLiteral("DELETE aus mehr als einer Tabelle"));
      out << cs[k].keyword + QLatin1Char(' ') + x.text;
    }
    return out.join(QLatin1Char(' '));
  }

  QString updateStatement(const std::vector<Node>& nodes) const {
    const auto cs = clauses(nodes, {"UPDATE", "SET", "WHERE"});
    if (cs.size() < 2 || cs[1].keyword != u"SET") fail(QStringLiteral("UPDATE ohne SET"));
    QStringList out;
    for (const Clause& c : cs) {
      requireBody(c);
      if (c.keyword == u"UPDATE") {
        const Expr t = expr(nodes, c.b, c.e);
        if (!t.plainName) fail(QStringLiteral("UPDATE auf mehr als eine Tabelle"));
        out << QStringLiteral("UPDATE ") + t.text;
      } else if (c.keyword == u"SET") {
        // SQLite takes no table qualifier on the assigned column: "SET t.col =" -> "SET col =".
        QStringList sets;
        for (const auto& [b, e] : splitCommas(nodes, c.b, c.e)) {
          size_t eq = b;
          while (eq < e && !(nodes[eq].tok.kind == Tok::Op && nodes[eq].tok.text == u"=")) ++eq;
          if (eq == e) fail(QStringLiteral("SET ohne \"=\""));
          const Expr target = expr(nodes, b, eq);
          if (!target.plainName) fail(QStringLiteral("SET braucht einen Feldnamen"));
          sets << quoteName(target.lastPart) + QStringLiteral(" = ") + expr(nodes, eq + 1, e).text;
        }
        out << QStringLiteral("SET ") + sets.join(QStringLiteral(", "));
      } else {
        out << QStringLiteral("WHERE ") + condition(nodes, c.b, c.e).text;
      }
    }
    return out.join(QLatin1Char(' '));
  }

  // INSERT INTO t [(col, ...)] VALUES (value, ...)[, (value, ...)]
  QString insertStatement(const std::vector<Node>& nodes) const {
    size_t i = 1;
    if (i >= nodes.size() || upperWord(nodes[i]) != u"INTO") fail(QStringLiteral("INSERT ohne INTO"));
    ++i;
    if (i >= nodes.size() || !isNameToken(nodes[i])) fail(QStringLiteral("INSERT INTO ohne Tabelle"));
    const Expr table = expr(nodes, i, i + 1);
    ++i;
    QString columns;
    if (i < nodes.size() && nodes[i].isGroup()) {
      QStringList names;
      const auto& kids = nodes[i].kids;
      for (const auto& [b, e] : splitCommas(kids, 0, kids.size())) {
        const Expr c = expr(kids, b, e);
        if (!c.plainName || c.nameParts != 1) fail(QStringLiteral("INSERT braucht Feldnamen"));
        names << c.text;
      }
      columns = QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QLatin1Char(')');
      ++i;
    }
    if (i >= nodes.size() || upperWord(nodes[i]) != u"VALUES") fail(QStringLiteral("INSERT ohne VALUES"));
    ++i;
    // One row or several: "VALUES (..), (..)".
    QStringList rows;
    for (;;) {
      if (i >= nodes.size() || !nodes[i].isGroup()) fail(QStringLiteral("VALUES braucht eine Werteliste"));
      QStringList values;
      const auto& kids = nodes[i].kids;
      for (const auto& [b, e] : splitCommas(kids, 0, kids.size())) values << expr(kids, b, e).text;
      rows << QLatin1Char('(') + values.join(QStringLiteral(", ")) + QLatin1Char(')');
      ++i;
      if (i == nodes.size()) break;
      if (nodes[i].tok.kind != Tok::Comma)
        fail(QStringLiteral("unerwartetes \"%1\" nach VALUES").arg(nodes[i].tok.text));
      ++i;
    }
    return QStringLiteral("INSERT INTO ") + table.text + columns + QStringLiteral(" VALUES ") +
           rows.join(QStringLiteral(", "));
  }

  const QString& src_;
  const TextColumns& text_;
};

// Bounded memo: the program's texts are few, but criteria carry values and keep coming.
QString cachedTranslation(QHash<QString, QString>& cache, const QString& jet, const TextColumns& textColumns,
                          QString (Translator::*how)()) {
  const QString key = textColumns.key() + QChar(0) + jet;
  const auto hit = cache.constFind(key);
  if (hit != cache.constEnd()) return hit.value();
  Translator t(jet, textColumns);
  QString sql = (t.*how)();
  constexpr qsizetype kMaxEntries = 512;
  if (cache.size() >= kMaxEntries) cache.clear();
  cache.insert(key, sql);
  return sql;
}

}  // namespace

TextColumns::TextColumns(const QStringList& names) {
  for (const QString& n : names) names_.insert(n.toLower());
  QStringList sorted(names_.begin(), names_.end());
  sorted.sort();
  key_ = sorted.join(QLatin1Char(','));
}

bool TextColumns::contains(const QString& name) const { return names_.contains(name.toLower()); }

TextColumns textColumnsOf(sqlite3* db) {
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db,
                                    "SELECT p.name, p.type FROM sqlite_schema AS s, pragma_table_info(s.name) AS p "
                                    "WHERE s.type = 'table'",
                                    -1, &raw, nullptr);
  detail::StmtPtr s(raw);
  if (rc != SQLITE_OK) raiseSqlite(db, rc, QStringLiteral("Database"));
  QStringList names;
  int step;
  while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
    const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 1)));
    const FieldType t = detail::columnFromDecl(name, type).type;
    if (t == FieldType::Text || t == FieldType::Memo) names << name;
  }
  if (step != SQLITE_DONE) raiseSqlite(db, step, QStringLiteral("Database"));
  return TextColumns(names);
}

QString translateJetSql(const QString& jetSql, const TextColumns& textColumns) {
  static QHash<QString, QString> cache;
  return cachedTranslation(cache, jetSql, textColumns, &Translator::statement);
}

QString translateJetCriteria(const QString& jetCriteria, const TextColumns& textColumns) {
  static QHash<QString, QString> cache;
  return cachedTranslation(cache, jetCriteria, textColumns, &Translator::criteria);
}

}  // namespace jet
