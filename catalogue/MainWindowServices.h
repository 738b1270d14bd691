#pragma once

// What the engine asks of the main window. The main window implements it; the engine reaches
// it through gfrmMain, so the catalogue code is built and tested without any window.

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
};
