#pragma once

// Window utilities of the general library: font dialog, pumping, the loaded windows,
// scroll-bar size, list-view columns, shell open, redraw lock, text shortening, list selection.
// A list view is a QTreeWidget in report style (or a QTreeView over a model, for unbounded
// lists); its ColumnHeaders are the header sections.

#include <QFontMetrics>
#include <QString>
#include <QVariant>

#include <cstdint>

class QComboBox;
class QListWidget;
class QTreeView;
class QTreeWidget;
class QWidget;

// In-out font description; true when the user chose a font. Sizes are whole points.
bool ShowFontDialog(QWidget* owner, QString& faceName, int16_t& size, bool& bold, bool& italic, uint32_t& colour,
                    bool& underline, bool& strikeOut, int smallestSize, int largestSize, bool withEffects);

// Pumps pending window messages (throttled: the input test of the platform is the pump itself).
void DoEventsIfInput();

// True when a loaded window of that object name (without regard to case) is registered.
bool IsFormLoaded(const QString& windowName);
// Unloads every loaded window, the most recently loaded first; true when all went.
bool UnloadAllForms(bool stopOnFailure);

// Thickness of the system's scroll bar in pixels or twips; raises library error 7 when the
// style reports none.
int32_t GetScrollbarSize(bool vertical, bool inTwips);

// Fits a column (1-based; -1: every column) to its content, with useHeader also to its caption.
void AutoSizeListViewColumn(QTreeView* listView, int column, bool useHeader);
// Gives the column (1-based) the width the other columns leave free.
void FitListViewColumn(QTreeView* listView, int column, bool allowForScrollBar);

// Opens the file with its associated program; 0 on success, else a shell code up to 32.
int32_t ShellExecuteOpen(QWidget* owner, const QString& file, const QString& folder, bool maximised);
int32_t ShellOpenFile(QWidget* owner, const QString& file, bool maximised);

// Locks drawing of the window; nullptr unlocks the locked one. Only one window is locked at a
// time: locking another while one is locked fails.
bool LockWindowRedraw(QWidget* window);

bool IsWindowsNT();

// The text, shortened with " ..." when it is wider than largestWidth (in the target's units).
QString ShortenTextToWidth(const QString& text, int largestWidth, const QFontMetrics& target);

// Selects the first entry whose item data (mode 1: text, without regard to case) matches;
// returns its index, or -1 leaving the selection alone. Item data is Qt::UserRole.
int ListSelectItem(QComboBox* list, const QVariant& value, int mode);
int ListSelectItem(QListWidget* list, const QVariant& value, int mode);

// A bound text box that was emptied stores Null rather than an empty text: true when it did.
// Bound is the record binder's control (BoundField: DataChanged, setDataChanged, Text,
// DataField, DataSource().Recordset() with Edit() and Fields(name).SetValue(...)).
template <class Bound, class NullValue>
bool SetEmptyBoundFieldNull(Bound& box, const NullValue& null) {
  if (!box.DataChanged() || !box.Text().isEmpty()) return false;
  auto& rs = box.DataSource().Recordset();
  rs.Edit();
  rs.Fields(box.DataField()).SetValue(null);
  box.setDataChanged(false);
  return true;
}
