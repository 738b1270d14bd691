#pragma once

// What the catalogue import asks of the windows: the file dialog for the source and the
// selection window over it. The window layer implements it; tests script it.

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace jet {
class Database;
}

class pImportOwner {
 public:
  virtual ~pImportOwner() = default;

  // The open-file dialog: the chosen path, or the empty text when the user cancelled.
  virtual QString ChooseSourceFile(const QString& initialDir, const QString& title, const QString& filter) = 0;

  // Shows the source's categories and volumes for ticking. False when the user cancelled;
  // otherwise the ticked categories and volumes (source keys; a node whose ancestor is ticked
  // comes with that ancestor and is not listed itself), possibly none.
  virtual bool SelectFromSource(const std::shared_ptr<jet::Database>& source, const QString& sourcePath,
                                std::vector<int32_t>& categories, std::vector<int32_t>& volumes) = 0;
};
