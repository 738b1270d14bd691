#pragma once

// File-type icons: the small picture the desktop associates with a file extension.

#include <QPixmap>
#include <QString>

// The built-in icon source standing in for the shell's own icons: index 0 is the standard
// document icon, index 2 the program icon.
inline const QString kStockIconFile = QStringLiteral("stock");

// The picture of the extension's file type (with or without its leading "."): the type from
// the class root, its "DefaultIcon" location ("file,index" or an icon name of the theme), the
// icon extracted from there; the standard document icon when any step fails. Never raises and
// never returns an empty picture. iconFile receives the file the icon came from, fileType the
// type name found (left alone for ".exe").
QPixmap GetFileIcon(QString extension, QString& iconFile, QString& fileType);

// The icon at index of iconFile: an image or icon file (index = its image number), an icon name
// of the theme (index 0; fileType's generic icon when the theme lacks the name), or the stock
// source. An empty picture when there is none.
QPixmap ExtractFileIcon(const QString& iconFile, int index, const QString& fileType = QString());
