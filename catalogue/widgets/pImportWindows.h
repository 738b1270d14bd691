#pragma once

// The windows of the catalogue import: the open-file dialog for the source and the selection
// window frmImport, owned by the window that started the import; and the File menu's import
// command as one call.

#include "catalogue/pImportOwner.h"

#include <cstdint>
#include <vector>

class QWidget;
class Tree;

class pImportWindows : public pImportOwner {
 public:
  explicit pImportWindows(QWidget* owner) : owner_(owner) {}

  QString ChooseSourceFile(const QString& initialDir, const QString& title, const QString& filter) override;
  bool SelectFromSource(const std::shared_ptr<jet::Database>& source, const QString& sourcePath,
                        std::vector<int32_t>& categories, std::vector<int32_t>& volumes) override;

 private:
  QWidget* owner_;
};

// The ticked categories and volumes of the tree, in the order the tree added them (categories
// first). A node counts only when no node above it is ticked: a ticked category brings
// everything below it along. True when anything counts.
bool CollectChecked(const Tree& tree, std::vector<int32_t>& categories, std::vector<int32_t>& volumes);

struct DBImportResult {
  bool imported = false;  // the copy was committed
  int32_t categories = 0;
  int32_t volumes = 0;
  int32_t locationsAdded = 0;
};

// File "Importieren ...": the whole import over owner and, when it landed, message 185 with
// the counts. The import reports its own errors and refusals; the caller refills its views
// when imported is true (the location list only when locations were added).
DBImportResult DBImport(QWidget* owner);
