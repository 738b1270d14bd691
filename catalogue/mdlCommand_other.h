#pragma once

// Shared catalogue commands that need no window: file properties, full folder paths, the
// catalogue file filter, extension classes and web addresses.

#include "catalogue/PropItem.h"
#include "platform/runtime/Variant.h"

#include <QString>

#include <cstdint>
#include <vector>

// The six property rows of a file of the open catalogue (Datei, Größe, Letzte Änderung, Volume,
// Pfad, Beschreibung); returns the list's upper bound (5). An unknown id raises message 125.
int32_t fFileProperties(int32_t FID, std::vector<PropItem>& list);

// The full path of a folder row, ending in the path separator: volumePath (when not Null, else
// the volume's own when lookUpVolume) followed by the names from the root's child down to the
// folder. Never raises: what was reached is returned. A broken parent chain (a cycle, a missing
// parent) ends the walk where it breaks.
QString PathFullName(int32_t PID, const rt::Variant& volumePath, bool lookUpVolume);

// "<program title>-Datenbanken (*.qvk)|*.qvk".
QString CatalogueFileFilter();

// 0 for the executable extensions bat, exe, pif and com; 1 for a type the class root knows;
// 2 otherwise. With or without the leading point.
int ExtensionType(QString extension);

// Adds ("add") or strips the "http://" prefix (any case); the empty text stays empty.
QString MakeURL(const QString& text, bool add);

// A property row as one line of text: "name: value", or name and value joined directly for a
// separator row (a name beginning with ten minus signs).
QString ListItemToText(const QString& name, const QString& value);
