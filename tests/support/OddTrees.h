#pragma once

// Real folder trees with the names a file system may hold and a reader must keep apart and
// readable: blanks at either end, umlauts, names that are no UTF-8, case twins, hidden entries,
// a FIFO, links. Each returns the tree's root by its bytes.

#include <QByteArray>
#include <QString>

namespace testenv {

// base/Medium/ (with the "/"): files of set sizes, memo files (one no UTF-8, "readme" and
// "README" with different texts, "ReadMe" below), an empty folder and a deep one.
QByteArray makeOddTree(const QString& base);

// "base/Fotos vom Strand " (without a "/"): composed and decomposed accents, SQL and pattern
// characters, a 250-byte name, six levels of folders, links to a folder, a file and nothing.
QByteArray oddMedium(const QString& base);

}  // namespace testenv
