#include "catalogue/widgets/mdlCommand_otherw.h"

#include "catalogue/TableCategories.h"
#include "catalogue/TableLocations.h"
#include "catalogue/mdlCommand_categories.h"
#include "foundation/MessageNumbers.h"
#include "foundation/MessageTable.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_registry.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/Help.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/runtime/App.h"
#include "platform/ui/MessageBox.h"

#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTreeWidget>
#include <QWidget>

namespace {

const QString kSource = QStringLiteral("mdlCommand");
const QString kWebAddress = QStringLiteral("www.tolvarent.de");
constexpr int32_t kMsgHelpContext = 315;
// The message table has no entry 315; this is its text.
const QString kHelpContextText = QStringLiteral("Die Hilfe zum Thema ## konnte in '##' nicht geöffnet werden.");

PropertiesWindowFactory& propertiesFactory() {
  static PropertiesWindowFactory factory;
  return factory;
}

void selectFirst(QComboBox* combo) { combo->setCurrentIndex(0); }

}  // namespace

PropertiesWindowFactory SetPropertiesWindowFactory(PropertiesWindowFactory factory) {
  PropertiesWindowFactory previous = std::move(propertiesFactory());
  propertiesFactory() = std::move(factory);
  return previous;
}

void OpenProperties(const QString& caption, const std::vector<PropItem>& list, QWidget* owner,
                    const rt::Variant& /*unused*/) {
  try {
    if (!propertiesFactory())
      throw rt::RaisedError(rt::kErrNoObject, kSource, QStringLiteral("Das Eigenschaftsfenster ist nicht verfügbar."));
    std::unique_ptr<PropertiesWindow> window = propertiesFactory()();
    window->setCaption(caption);
    QTreeWidget* lv = window->LV();
    for (const PropItem& item : list) new QTreeWidgetItem(lv, {item.Name, item.Value});
    FitListViewColumn(lv, 2, true);
    window->showModal(owner);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("OpenProperties"));
  }
}

void fCatFillCombo(QComboBox* combo, const std::optional<std::vector<int32_t>>& exclusions) {
  try {
    combo->clear();
    combo->addItem(QStringLiteral("(Keine)"), 0);
    for (const CategoryRow& row : CategoryRows(CommandDB(), CategoryOrder::ByName)) {
      const int32_t cid = row.CID;
      bool excluded = false;
      if (exclusions)
        for (int32_t x : *exclusions) excluded = excluded || x == cid;
      if (!excluded) {
        const QString path = fCatStringParent(cid);
        combo->addItem(path.isEmpty() ? row.CatName : path + QStringLiteral(" > ") + row.CatName, cid);
      }
    }
    selectFirst(combo);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fCatFillCombo"));
  }
}

void fLocFillCombo(QComboBox* combo) {
  try {
    combo->clear();
    combo->addItem(QStringLiteral("(Keiner)"), 0);
    for (const LocationRow& row : LocationRows(CommandDB(), LocationOrder::ByName))
      combo->addItem(row.LocName, row.lID);
    selectFirst(combo);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fLocFillCombo"));
  }
}

QString ListItemToText(const QTreeWidgetItem* item) { return ListItemToText(item->text(0), item->text(1)); }

void ListViewToClipboard(QTreeWidget* listView, bool selectedOnly) {
  try {
    QString text;
    if (selectedOnly) {
      const QList<QTreeWidgetItem*> selected = listView->selectedItems();
      if (selected.isEmpty()) return;
      QTreeWidgetItem* current = listView->currentItem();
      text = ListItemToText(current && current->isSelected() ? current : selected.first());
    } else {
      for (int i = 0; i < listView->topLevelItemCount(); ++i)
        AppendWithSeparator(text, ListItemToText(listView->topLevelItem(i)), QStringLiteral("\r\n"), false);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
  } catch (...) {
    // Copying is a convenience; a failure leaves the clipboard as it was.
  }
}

QString FormFontName() {
  static const QString name = [] {
    for (const QString& family : QFontDatabase::families())
      if (family.compare(QStringLiteral("Tahoma"), Qt::CaseInsensitive) == 0) return QStringLiteral("Tahoma");
    return QStringLiteral("MS Sans Serif");
  }();
  return name;
}

void SetFormFont(QWidget* window) {
  try {
    if (!window) return;
    const QString name = FormFontName();
    QFont font = window->font();
    font.setFamily(name);
    window->setFont(font);
    for (QWidget* control : window->findChildren<QWidget*>()) {
      QFont f = control->font();
      f.setFamily(name);
      control->setFont(f);
    }
  } catch (...) {
    // The font is cosmetic.
  }
}

void GoWeb(QWidget* owner) {
  try {
    const QString key = AddTrailingChar(rt::App::registryKey(), QStringLiteral("\\")) +
                        AddTrailingChar(QStringLiteral("2.0"), QStringLiteral("\\")) +
                        AddTrailingChar(QStringLiteral("Options"), QStringLiteral("\\"));
    QString address = RegGetString(registry::HKEY_LOCAL_MACHINE, key, QStringLiteral("URLQZ"), QString());
    if (address.isEmpty()) address = MakeURL(kWebAddress, true);
    // A browser that cannot be started is told, not passed over in silence.
    const int32_t result = ShellOpenFile(owner, address, false);
    if (result != 0) gErr->MsgShow(kMsgShellOpenFailed, ui::kExclamation, result, address);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("GoWeb"));
  }
}

void fHelpOpen(QWidget* owner, int32_t context) {
  try {
    Help help;
    const QString helpFile = rt::App::helpFile();
    if (context < 1) {
      help.HTMLHelpOpen(owner, helpFile);
    } else if (help.HTMLHelpContext(owner, helpFile, context) == 0) {
      gErr->MsgShow(kMsgHelpContext, ui::kCritical, context, helpFile,
                    HasResString(kMsgHelpContext) ? QString() : kHelpContextText);
    }
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("fHelpOpen"));
  }
}
