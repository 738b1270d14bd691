#pragma once

// The workgroup file: the users that may open catalogues, with salted password hashes.
// Format: a header line "ZXWORKGROUP 1", then one line per user "name<TAB>salt<TAB>sha256hex",
// the hash taken over salt followed by the UTF-8 password.

#include <QString>

namespace jet {

enum class WorkgroupCheck { Ok, FileMissing, FileDamaged, UnknownUser, WrongPassword };

// User names compare without regard to case, passwords exactly.
WorkgroupCheck checkWorkgroupUser(const QString& path, const QString& user, const QString& password);

// Writes a workgroup file holding the one user (replacing any file at `path`). Raises
// rt::RaisedError 3028 when the file cannot be written.
void createWorkgroupFile(const QString& path, const QString& user, const QString& password);

}  // namespace jet
