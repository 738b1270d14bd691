#pragma once

// The file list's icons (imlFileIcons) and its records of the file types met so far
// (IconKeys). Icon mode 0 shows one of three built-in images per type class: "B0" a program
// (bat, exe, pif, com), "B1" a type the system knows, "B2" any other; another mode shows the
// system's icon of each extension under "A" followed by the extension. Each extension is
// looked up once per lifetime of the list: one class test in mode 0, one icon lookup in the
// other mode. Both caches only grow, and a change of mode keeps them.

#include "platform/ui/widgets/ImageList.h"

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <cstdint>
#include <functional>

// The type record of one extension.
struct cuProperty {
  QString Extension;
  QString ImageKey;  // "B0", "B1" or "B2"
};

class FileTypeIcons {
 public:
  // The lookups of the platform; tests put counting ones in their place.
  using TypeLookup = std::function<int(const QString& extension)>;
  using IconLookup = std::function<QPixmap(const QString& extension)>;

  FileTypeIcons();

  // The image key of a file name under the icon mode (a name without "." has the
  // extension "???"). Never raises.
  QString FileIconKey(const QString& FileName, int32_t IconMode);
  // Makes sure the type record (mode 0) or the image (other modes) of the extension exists.
  void FileIconGet(const QString& Extension, int32_t IconMode);

  // The picture of an image key, drawn as the list draws it; a null icon for an unknown key.
  QIcon Icon(const QString& key) const;
  const ui::ImageList& imlFileIcons() const { return images_; }
  const QHash<QString, cuProperty>& IconKeys() const { return iconKeys_; }

  void setLookups(TypeLookup types, IconLookup icons);

 private:
  void addImage(const QString& key, const QPixmap& pixmap);

  ui::ImageList images_;
  QHash<QString, QIcon> icons_;          // by lower-case key, as the image list keys them
  QHash<QString, cuProperty> iconKeys_;  // by lower-case extension
  TypeLookup typeLookup_;
  IconLookup iconLookup_;
};
