#pragma once

// The main window's totals of a category, volume or folder, taken from its cache when it holds
// them, else computed and put in; and the property rows the Info commands show of them. They
// are kept below the windows so the rows are built and tested without any window. Errors are
// raised on with the main window's name and the routine's as source.

#include "catalogue/PropItem.h"
#include "catalogue/pCatInfo.h"
#include "catalogue/pInfoColl.h"
#include "catalogue/pPathInfo.h"
#include "catalogue/pVolumeInfo.h"

#include <cstdint>
#include <memory>
#include <vector>

// Volumes, files and bytes of the category with all its sub-categories.
std::shared_ptr<pCatInfo> CathInfo(int32_t CID, pInfoColl& cache);
// Folders, files and bytes of the volume.
std::shared_ptr<pVolumeInfo> VolumeInfo(int32_t VID, pInfoColl& cache);
// The folder's full path, own files and bytes, and the stored totals of its subtree when it
// has sub-folders. A folder that is not found is kept with zeros.
std::shared_ptr<pPathInfo> PathInfo(int32_t PID, pInfoColl& cache);

// "Kategorie", "Volumes", "Dateien", "Größe".
void CatInfo2InfoData(const pCatInfo& info, std::vector<PropItem>& rows);
// "Pfad", "Dateien", "Größe"; with totals also a separator row, "Gesamtgröße", "Dateien
// gesamt" and "Unterordner".
void PathInfo2InfoData(const pPathInfo& info, std::vector<PropItem>& rows);
