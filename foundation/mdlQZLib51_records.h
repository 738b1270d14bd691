#pragma once

// Small jobs on one table of an open catalogue, each through a record set of its own that is
// closed again before the routine returns.

#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

// Closes the record set it holds when the scope ends, however it ends.
class RecordsetCloser {
 public:
  explicit RecordsetCloser(std::shared_ptr<jet::Recordset> rs) : rs_(std::move(rs)) {}
  ~RecordsetCloser() {
    if (!rs_) return;
    try {
      rs_->Close();
    } catch (...) {
      // A failing close must not hide the routine's own result or error.
    }
  }
  RecordsetCloser(const RecordsetCloser&) = delete;
  RecordsetCloser& operator=(const RecordsetCloser&) = delete;

 private:
  std::shared_ptr<jet::Recordset> rs_;
};

// The whole content of a long binary field; nothing when it is Null.
std::optional<QByteArray> LongBinaryValue(const jet::Field& field);
// Replaces the value of the field being edited or added by these bytes.
void SetLongBinaryValue(jet::Field field, const QByteArray& bytes);

// Number of records of the table that match criterion (all for an empty one). With a record set
// passed in, counts that one instead and leaves it on its last record. An empty set counts 0;
// other errors are raised unchanged.
int32_t GetRecordCount(const std::shared_ptr<jet::Recordset>& recordset, jet::Database& db, const QString& table,
                       const QString& criterion);

// Deletes the one record whose key on indexName equals key; true when there was one. Errors are
// raised unchanged.
bool DeleteRecordBySeek(jet::Database& db, const QString& table, int32_t key, const QString& indexName);

// The first record matching the user criterion (BuildCriteria, then EscapePipeForSql): Null when
// none matches, true when one does and fieldName is empty, else the value of that field. Errors
// (also a criterion the engine rejects) are raised unchanged.
rt::Variant LookupFieldValue(jet::Database& db, const QString& table, const QString& userCriterion,
                             const QString& fieldName);

// Seeks key on indexName; true when the record exists, and value is then the field's value
// (Null without a field name). Never raises: any failure gives false and Null.
bool SeekFieldValue(jet::Database& db, const QString& table, const QString& indexName, const rt::Variant& key,
                    rt::Variant& value, const QString& fieldName);
