#pragma once

// Shared catalogue commands that work on windows and controls: the property window, combo
// boxes of categories and locations, list texts for the clipboard, the window font, the web
// address and the help.

#include "catalogue/mdlCommand_other.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The property list window as OpenProperties drives it. The window layer provides it through
// SetPropertiesWindowFactory, so this layer never includes the window itself.
class PropertiesWindow {
 public:
  virtual ~PropertiesWindow() = default;
  virtual void setCaption(const QString& caption) = 0;
  // The two-column list: the name as the row text, the value as its first sub-item.
  virtual QTreeWidget* LV() = 0;
  // Shows the window modally, owned by owner, until it is closed.
  virtual void showModal(QWidget* owner) = 0;
};
using PropertiesWindowFactory = std::function<std::unique_ptr<PropertiesWindow>()>;
// Installs the factory and returns the previous one.
PropertiesWindowFactory SetPropertiesWindowFactory(PropertiesWindowFactory factory);

// Shows the property list in a new property window, modally over owner. Errors are shown at
// once. The fourth argument is accepted and not used.
void OpenProperties(const QString& caption, const std::vector<PropItem>& list, QWidget* owner,
                    const rt::Variant& unused = rt::Variant());

// "(Keine)" with data 0, then every category of the open catalogue by name as "path > name"
// with its CID as data, leaving out those in exclusions; the first entry selected.
void fCatFillCombo(QComboBox* combo, const std::optional<std::vector<int32_t>>& exclusions);

// "(Keiner)" with data 0, then the storage locations by name with their lID; the first entry
// selected.
void fLocFillCombo(QComboBox* combo);

// "name: value" of a list row (see the text form in mdlCommand_other.h).
QString ListItemToText(const QTreeWidgetItem* item);
// The selected row, or all rows joined by CR LF, onto the clipboard as text. Without a
// selection, "selected only" leaves the clipboard alone. Never raises.
void ListViewToClipboard(QTreeWidget* listView, bool selectedOnly);

// "Tahoma" when installed, else "MS Sans Serif" (which font matching turns into the general
// sans-serif font), for the window and every control in it. Never raises.
void SetFormFont(QWidget* window);
// The font name SetFormFont gives, determined once per run.
QString FormFontName();

// Opens the program's web address ("URLQZ" of the machine's options key, else the built-in
// one). Errors are shown at once; a failed open is not reported.
void GoWeb(QWidget* owner);

// Opens the help at its start (context below 1) or at the context; a context it cannot show
// is told in a critical box.
void fHelpOpen(QWidget* owner, int32_t context);
