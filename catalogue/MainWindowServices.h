#pragma once

// What the engine asks of the main window. The main window implements it; the engine reaches
// it through gfrmMain, so the catalogue code is built and tested without any window.

#include "platform/runtime/RaisedError.h"

#include <QString>

#include <cstdint>

class MainWindowServices {
 public:
  virtual ~MainWindowServices() = default;

  // Closes the shown catalogue, opens path with DBOpen and, on success, shows it. Reports its
  // own failures; never raises.
  virtual void pubDBOpen(const QString& path) = 0;
  // Puts text into the first status bar panel and pumps the message loop once.
  virtual void pubStatus(const QString& text) = 0;
  // Selects, shows and expands the node of the volume.
  virtual void pubVolumeSelect(int32_t vid) = 0;
  // The first status bar panel (folder statistics).
  virtual void SetStatusPanel1(const QString& text) = 0;
  // Applies the tree, file list and category description font options at once.
  virtual void pubRefreshFonts() {}
  // True when the folder pane is showing and the tree's selected node is a folder.
  virtual bool FolderPaneShowsFolder() const { return false; }
  // Shows the tree's selected folder again (its file list follows the current IconMode).
  virtual void ShowPath() {}
  // Selects the folder node "V" & vid & "|" & pid of the tree, scrolled into view, and reports
  // its click; true when it was selected. Raises when the tree has no such node. (The search
  // window, after pubVolumeSelect has loaded the volume's folders.)
  virtual bool pubFolderSelect(int32_t vid, int32_t pid) {
    (void)vid;
    (void)pid;
    throw rt::RaisedError(rt::kErrNoObject, QStringLiteral("frmMain"),
                          QStringLiteral("Das Hauptfenster kann keinen Ordner auswählen."));
  }
  // Selects the item "A" & fid of the file list and scrolls it into view; nothing when the list
  // does not hold it. (The search window, after pubFolderSelect.)
  virtual void pubFileListSelect(int32_t fid) { (void)fid; }
};
