// The collation and the functions that translated Jet SQL texts call (see JetSql.h).

#include "platform/jet/JetError.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/JetSqlText.h"
#include "platform/runtime/RaisedError.h"

#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <string>

namespace jet {

namespace {

int collateText(void*, int n1, const void* s1, int n2, const void* s2) {
  return compareText(std::string_view(static_cast<const char*>(s1), static_cast<size_t>(n1)),
                     std::string_view(static_cast<const char*>(s2), static_cast<size_t>(n2)));
}

std::string_view textOf(sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p ? std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void destroyPattern(void* p) { delete static_cast<LikePattern*>(p); }

// like(pattern, value): SQLite's LIKE operator calls it for "value LIKE pattern".
void likeFunc(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) return;
  auto* compiled = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
  if (!compiled) {
    try {
      auto fresh = std::make_unique<LikePattern>(textOf(argv[0]));
      compiled = fresh.get();
      sqlite3_set_auxdata(ctx, 0, fresh.release(), destroyPattern);
      // SQLite may drop the pattern at once (a pattern that is no constant); fetch it again.
      compiled = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
      if (!compiled) {
        const LikePattern once(textOf(argv[0]));
        sqlite3_result_int(ctx, once.matches(textOf(argv[1])) ? 1 : 0);
        return;
      }
    } catch (const rt::RaisedError& e) {
      functionError(ctx, e.description);
      return;
    }
  }
  sqlite3_result_int(ctx, compiled->matches(textOf(argv[1])) ? 1 : 0);
}

void appendValue(std::string& out, sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_FLOAT: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.15g", sqlite3_value_double(v));
      out += buf;
      break;
    }
    default:
      out += textOf(v);
      break;
  }
}

// Jet's "&": Null counts as an empty text, but Null & Null stays Null.
void concatFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  std::string out;
  bool any = false;
  for (int i = 0; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) continue;
    any = true;
    appendValue(out, argv[i]);
  }
  if (!any) return;
  sqlite3_result_text64(ctx, out.data(), out.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// Characters 128-159 of the Windows ANSI code page; the rest of 0-255 is Latin-1.
constexpr char16_t kAnsi80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                  0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

void chrFunc(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const int type = sqlite3_value_numeric_type(argv[0]);
  if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
    functionError(ctx, QStringLiteral("Chr: ungültiges Argument (keine Zahl)."));
    return;
  }
  const sqlite3_int64 code = sqlite3_value_int64(argv[0]);
  if (code < 0 || code > 255) {
    functionError(ctx, QStringLiteral("Chr: Zeichencode außerhalb von 0 bis 255."));
    return;
  }
  const char16_t ch = (code >= 0x80 && code < 0xA0) ? kAnsi80[code - 0x80] : static_cast<char16_t>(code);
  const QByteArray u = QString(QChar(ch)).toUtf8();
  sqlite3_result_text(ctx, u.constData(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
}

// Nz(value[, replacement]): without a replacement a Null becomes an empty text.
void nzFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
    sqlite3_result_value(ctx, argv[0]);
  else if (argc > 1)
    sqlite3_result_value(ctx, argv[1]);
  else
    sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

// First and Last: the value of the first or last row of the group, Null included.
struct PickState {
  sqlite3_value* value;
  bool seen;
};

template <bool kLast>
void pickStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* st = static_cast<PickState*>(sqlite3_aggregate_context(ctx, sizeof(PickState)));
  if (!st) {
    sqlite3_result_error_nomem(ctx);
    return;
  }
  if (st->seen && !kLast) return;
  sqlite3_value* copy = sqlite3_value_dup(argv[0]);
  if (!copy) {
    sqlite3_result_error_nomem(ctx);
    return;
  }
  sqlite3_value_free(st->value);
  st->value = copy;
  st->seen = true;
}

void pickFinal(sqlite3_context* ctx) {
  auto* st = static_cast<PickState*>(sqlite3_aggregate_context(ctx, 0));
  if (!st || !st->value) return;
  sqlite3_result_value(ctx, st->value);
  sqlite3_value_free(st->value);
  st->value = nullptr;
}

}  // namespace

void registerJetFunctions(sqlite3* db) {
  constexpr int kPure = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  int rc = sqlite3_create_collation(db, kTextCollation, SQLITE_UTF8, nullptr, collateText);
  rc |= sqlite3_create_function(db, "like", 2, kPure, nullptr, likeFunc, nullptr, nullptr);
  rc |= sqlite3_create_function(db, "jet_concat", -1, kPure, nullptr, concatFunc, nullptr, nullptr);
  rc |= sqlite3_create_function(db, "jet_chr", 1, kPure, nullptr, chrFunc, nullptr, nullptr);
  rc |= sqlite3_create_function(db, "jet_nz", 1, kPure, nullptr, nzFunc, nullptr, nullptr);
  rc |= sqlite3_create_function(db, "jet_nz", 2, kPure, nullptr, nzFunc, nullptr, nullptr);
  rc |= sqlite3_create_function(db, "jet_first", 1, SQLITE_UTF8, nullptr, nullptr, pickStep<false>, pickFinal);
  rc |= sqlite3_create_function(db, "jet_last", 1, SQLITE_UTF8, nullptr, nullptr, pickStep<true>, pickFinal);
  if (rc != SQLITE_OK)
    throw rt::RaisedError(err::kEngineFailure, QStringLiteral("DAO.DBEngine"),
                          QStringLiteral("Die SQL-Funktionen konnten nicht angemeldet werden (Code %1).")
                              .arg(sqlite3_extended_errcode(db)));
}

}  // namespace jet
