#pragma once

// Error numbers of the engine layer. They keep the numbers the program's callers test for; the
// German descriptions are our own. Every failure is raised as rt::RaisedError with a source of
// the form "DAO.<Object>".

#include "platform/runtime/RaisedError.h"

#include <QString>

struct sqlite3;
struct sqlite3_context;

namespace jet {

// Number  Meaning
// 3019    operation needs an index (Seek without Index)
// 3020    Update or CancelUpdate without AddNew or Edit
// 3021    no current record
// 3022    duplicate value in a unique index or key
// 3024    file not found
// 3026    not enough space on the disk
// 3027    record set or database is read-only
// 3028    workgroup file missing, unreadable or damaged
// 3029    unknown user or wrong password
// 3034    CommitTrans or Rollback without BeginTrans
// 3045    file in use (held exclusively, or held at all for an exclusive open)
// 3049    database damaged
// 3051    cannot open the file for writing (read-only or locked)
// 3052    the locks of one file exceed the engine's limit (MaxLocksPerFile)
// 3061    unknown column in an SQL text
// 3075    syntax error in an SQL text or criterion
// 3078    unknown table or query
// 3163    value too large for the field
// 3167    record has been deleted
// 3197    record changed by another user since the edit began
// 3201    related record required (foreign key)
// 3204    target database already exists
// 3251    operation not supported for this record set type
// 3265    item not found in this collection (field or index name)
// 3314    a required field holds no value
// 3343    not a database or an unknown format
// 3356    file opened exclusively by another user (compaction)
// 3420    object is no longer valid (closed)
// 3421    value cannot be converted to the field's type
// 3000    any other engine failure
// The descriptions never carry the store's own (English) texts: what they name, a table, a
// column, a token, is given in German words of our own.
namespace err {
inline constexpr int kNoIndex = 3019;
inline constexpr int kUpdateWithoutEdit = 3020;
inline constexpr int kNoCurrentRecord = 3021;
inline constexpr int kDuplicateKey = 3022;
inline constexpr int kFileNotFound = 3024;
inline constexpr int kDiskFull = 3026;
inline constexpr int kReadOnly = 3027;
inline constexpr int kWorkgroupFile = 3028;
inline constexpr int kWrongLogin = 3029;
inline constexpr int kNoTransaction = 3034;
// The store rolled the transaction back on its own (disk full, I/O error).
inline constexpr int kTransactionLost = 3035;
inline constexpr int kFileInUse = 3045;
inline constexpr int kDamaged = 3049;
inline constexpr int kCannotOpen = 3051;
inline constexpr int kTooManyLocks = 3052;
inline constexpr int kUnknownColumn = 3061;
inline constexpr int kSyntax = 3075;
inline constexpr int kUnknownTable = 3078;
inline constexpr int kValueTooLarge = 3163;
inline constexpr int kRecordDeleted = 3167;
inline constexpr int kWriteConflict = 3197;
inline constexpr int kRelatedRecordRequired = 3201;
inline constexpr int kTargetExists = 3204;
inline constexpr int kNotSupported = 3251;
inline constexpr int kNotInCollection = 3265;
inline constexpr int kRequiredField = 3314;
inline constexpr int kExclusiveByOther = 3356;
inline constexpr int kObjectInvalid = 3420;
inline constexpr int kNotADatabase = 3343;
inline constexpr int kTypeConversion = 3421;
inline constexpr int kEngineFailure = 3000;
}  // namespace err

// German description of a number of the table above; `detail` (a name, a path, the engine's
// own text) is appended where it helps the user.
QString errorText(int number, const QString& detail = QString());

// Raises the error `number` with source "DAO.<object>".
[[noreturn]] void raise(int number, const QString& object, const QString& detail = QString());

// Raises the error that matches SQLite's last failure on `db` (result code `rc`).
[[noreturn]] void raiseSqlite(sqlite3* db, int rc, const QString& object);

// Fails the call of one of our SQL functions with a text of our own, which raiseSqlite then
// passes on as it stands (SQLite's own texts it replaces).
void functionError(sqlite3_context* ctx, const QString& text);

}  // namespace jet
