#pragma once

// The list of recently used files, newest first: kept in memory, loaded from and written back
// to a key of the current user ("File 1" ... "File n", "RFL Max Entries"), and shown as
// numbered items of a menu directly after a designed element 0 (a separator in the main
// window). Nothing is written before the list is released (Terminate or destruction) or its
// owner asks for it (Save).
//
// Failures are raised as rt::RaisedError with the number 0x80040400 + n and the source
// "clsRecentFiles: <operation>", tagged "RZVBA/" once for every operation they pass through.
//
// Menu items carry their position (1, 2, ...) as QAction::data(), so the owner can tell from
// QMenu::triggered which entry was chosen.

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QAction;
class QMenu;

class cuRecentFile {
 public:
  const QString& FullPath() const { return fullPath_; }
  // "File " followed by the entry's position.
  const QString& Name() const { return name_; }
  // The shortened path shown in the menu.
  const QString& ShortPathString() const { return shortPath_; }

 private:
  friend class cuRecentFiles;
  QString fullPath_;
  QString name_;
  QString shortPath_;
};

class cuRecentFiles : public QObject {
  Q_OBJECT

 public:
  explicit cuRecentFiles(QObject* parent = nullptr);
  // Writes the list back when Terminate has not run; errors are ignored here.
  ~cuRecentFiles() override;

  int Count() const { return static_cast<int>(entries_.size()); }

  // Takes effect at the next Refresh.
  void setIsSeparateMenu(bool v) { isSeparateMenu_ = v; }

  QString LastFolder() const { return lastFolder_; }
  // Accepts an existing file, or a folder with a trailing "/" that holds at least one file.
  void setLastFolder(const QString& v);

  int16_t MaxEntries() const { return maxEntries_; }
  void setMaxEntries(int16_t v);
  int16_t MaxLength() const { return maxLength_; }
  void setMaxLength(int16_t v);

  // The menu and its element 0 (which must be one of the menu's actions, or null: the items
  // are then appended at the menu's end). A null menu detaches the list from any menu.
  void setMenu(QMenu* menu, QAction* element0);

  QString RegKey() const { return regKey_; }
  // Loads the list from HKEY_CURRENT_USER\<key>, creating the key when missing.
  void setRegKey(const QString& sNewKey);

  bool SaveMaxEntries() const { return saveMaxEntries_; }
  void setSaveMaxEntries(bool v) { saveMaxEntries_ = v; }

  // Puts an existing file (or a folder path with a trailing "/", unchecked) at the top.
  void Add(const QString& path);
  // Moves the entry at that position to the top.
  void Add(int position);
  // Empties the list in memory only.
  void Clear() { entries_.clear(); }
  const cuRecentFile& Item(int iTheItem) const;
  void Remove(const QString& path);
  void Remove(int position);
  void Refresh();

  // Writes the list to the registry now (when RegKey is set): the entries, no values beyond
  // them, and the maximum when SaveMaxEntries. The list and the menu stay as they are.
  void Save() const;

  // Writes the list back (Save), then releases the list and the menu.
  void Terminate();

 signals:
  // Raised by Refresh when no menu is attached.
  void Change();

 private:
  void InsertEntry(int position, const QString& path);
  void RemoveEntry(int position);
  void SetTopItem(int position);
  void ShortHand(int position);
  void OpenRegKey(const QString& key);
  void Renumber();
  // The write-back of Save and Terminate; failures name the operation proc.
  void WriteList(const QString& proc) const;
  int FindPath(const QString& path) const;
  // The whole menu array: element 0 plus the items made at run time.
  int MenuCount() const { return 1 + static_cast<int>(items_.size()); }

  std::vector<std::unique_ptr<cuRecentFile>> entries_;
  int16_t maxEntries_ = 4;
  int16_t maxLength_ = 40;
  QString regKey_;
  bool saveMaxEntries_ = true;
  QString lastFolder_;
  bool isSeparateMenu_ = false;
  QPointer<QMenu> menu_;
  QPointer<QAction> element0_;
  std::vector<QPointer<QAction>> items_;
  bool terminated_ = false;
};
