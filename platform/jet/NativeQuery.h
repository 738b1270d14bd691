#pragma once

// A statement in SQLite's own dialect with bound values, stepped forward. For the few texts that
// must name the text collation or call the engine's functions themselves, which the Jet
// translator does not accept. Every value comes in as a bound parameter, never as SQL text.

#include "platform/jet/Connection.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string_view>

namespace jet {

class NativeQuery {
 public:
  NativeQuery(std::shared_ptr<detail::Connection> connection, detail::StmtPtr statement, QString sql);
  NativeQuery(const NativeQuery&) = delete;
  NativeQuery& operator=(const NativeQuery&) = delete;

  // Steps to the next row; false at the end. Raises the engine's error on a failure and 3420
  // when the database was closed meanwhile.
  bool Next();
  // Steps to the end; returns the number of rows the statement changed.
  int64_t Run();

  // Columns of the current row.
  bool IsNull(int column) const;
  int64_t Long(int column) const;
  QString Text(int column) const;
  // Valid until the next step.
  std::string_view Utf8(int column) const;
  rt::Variant Value(int column) const;

  void Close();

 private:
  sqlite3_stmt* statement() const;

  std::shared_ptr<detail::Connection> connection_;
  detail::StmtPtr statement_;
  QString sql_;
};

}  // namespace jet
