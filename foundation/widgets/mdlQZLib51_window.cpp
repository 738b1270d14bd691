#include "foundation/widgets/mdlQZLib51_window.h"

#include "foundation/mdlQZLib51_libmsg.h"
#include "platform/ui/MessagePump.h"
#include "platform/ui/ShellOpen.h"
#include "platform/ui/Twips.h"
#include "platform/ui/widgets/FontChooser.h"
#include "platform/ui/widgets/FormRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPointer>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

bool ShowFontDialog(QWidget* owner, QString& faceName, int16_t& size, bool& bold, bool& italic, uint32_t& colour,
                    bool& underline, bool& strikeOut, int smallestSize, int largestSize, bool withEffects) {
  // Only face and size preset the dialog; the styles passed in do not.
  ui::FontRequest request;
  request.owner = owner;
  request.initial = QFont(faceName.isEmpty() ? QStringLiteral("Times New Roman") : faceName);
  request.initial.setPointSize(size >= 1 ? size : 12);
  request.initial.setWeight(QFont::Normal);
  request.smallestSize = smallestSize;
  request.largestSize = largestSize;
  request.withEffects = withEffects;
  const std::optional<QFont> chosen = ui::fontChooser().choose(request);
  if (!chosen) {
    faceName.clear();
    size = 0;
    colour = 0;
    bold = italic = underline = strikeOut = false;
    return false;
  }
  faceName = chosen->family();
  int points = static_cast<int>(std::lround(chosen->pointSizeF() > 0 ? chosen->pointSizeF() : chosen->pointSize()));
  // The dialog cannot limit the size range itself.
  if (smallestSize > 0) points = std::max(points, smallestSize);
  if (largestSize > 0 && largestSize >= smallestSize) points = std::min(points, largestSize);
  size = static_cast<int16_t>(points);
  bold = chosen->weight() >= QFont::Bold;
  italic = chosen->italic();
  underline = withEffects && chosen->underline();
  strikeOut = withEffects && chosen->strikeOut();
  colour = 0;  // the dialog offers no colour: the initial black
  return true;
}

void DoEventsIfInput() { ui::pumpMessagesThrottled(); }

bool IsFormLoaded(const QString& windowName) {
  for (QWidget* w : ui::loadedForms())
    if (w->objectName().compare(windowName, Qt::CaseInsensitive) == 0) return true;
  return false;
}

bool UnloadAllForms(bool stopOnFailure) {
  bool result = true;
  std::vector<QPointer<QWidget>> forms;
  for (QWidget* w : ui::loadedForms()) forms.emplace_back(w);
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
    if (it->isNull()) continue;
    const QString name = (*it)->objectName();
    ui::unloadForm(it->data());
    if (IsFormLoaded(name)) {
      result = false;
      if (stopOnFailure) return false;
    }
  }
  return result;
}

int32_t GetScrollbarSize(bool vertical, bool inTwips) {
  try {
    // Qt styles have one extent for both bars.
    const int m = QApplication::style() ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    if (m == 0) RaiseLibError(-kLibMsgScrollbarSize);
    if (!inTwips) return m;
    return static_cast<int32_t>(std::lround(m * (vertical ? ui::twipsPerPixelX() : ui::twipsPerPixelY())));
  } catch (...) {
    RaiseLibError(0, QStringLiteral("mdlLib"), QStringLiteral("GetScrollbarSize"));
  }
}

void AutoSizeListViewColumn(QTreeView* listView, int column, bool useHeader) {
  if (!listView) return;
  const int columns = listView->header()->count();
  auto fit = [&](int index) {
    if (index < 0 || index >= columns) return;
    // Public through the base class; dispatches to the tree view's own measure.
    int width = static_cast<QAbstractItemView*>(listView)->sizeHintForColumn(index);
    if (useHeader) width = std::max(width, listView->header()->sectionSizeHint(index));
    if (width > 0) listView->setColumnWidth(index, width);
  };
  if (column == -1) {
    for (int i = 0; i < columns; ++i) fit(i);
  } else {
    fit(column - 1);
  }
}

void FitListViewColumn(QTreeView* listView, int column, bool allowForScrollBar) {
  const int columns = listView ? listView->header()->count() : 0;
  if (column < 1 || column > columns) return;
  // The arithmetic is in twips, as the column widths are stored.
  const int sb =
      allowForScrollBar ? ui::pixelsToTwipsX(QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent)) : 0;
  int others = 0;
  for (int i = 0; i < columns; ++i)
    if (i != column - 1) others += ui::pixelsToTwipsX(listView->columnWidth(i));
  const int w = ui::pixelsToTwipsX(listView->width()) - others - sb - 60;
  listView->setColumnWidth(column - 1, w < 1 ? 0 : ui::twipsToPixelsX(w));
}

int32_t ShellExecuteOpen(QWidget* /*owner*/, const QString& file, const QString& folder, bool maximised) {
  return ui::shellOpen(file, folder, maximised);
}

int32_t ShellOpenFile(QWidget* owner, const QString& file, bool maximised) {
  return ShellExecuteOpen(owner, file, QString(), maximised);
}

bool LockWindowRedraw(QWidget* window) {
  static QPointer<QWidget> locked;
  if (!window) {
    if (!locked) return false;
    locked->setUpdatesEnabled(true);
    locked = nullptr;
    return true;
  }
  if (locked && locked != window) return false;
  window->setUpdatesEnabled(false);
  locked = window;
  return true;
}

bool IsWindowsNT() { return true; }

QString ShortenTextToWidth(const QString& text, int largestWidth, const QFontMetrics& target) {
  if (text.isEmpty()) return text;
  if (target.horizontalAdvance(text) <= largestWidth) return text;
  const QString dots = QStringLiteral(" ...");
  QString t = text;
  // Cuts n characters from the end, and the first half of a pair that would be left alone.
  const auto cut = [&t](qsizetype n) {
    t.chop(n);
    if (!t.isEmpty() && t.back().isHighSurrogate()) t.chop(1);
  };
  // The dots take the place of the last four characters; then one more goes at a time until
  // the text fits. It ends at the empty text: " ..." alone is the shortest result, even when
  // it does not fit.
  cut(dots.size());
  while (!t.isEmpty() && target.horizontalAdvance(t + dots) > largestWidth) cut(1);
  return t + dots;
}

namespace {
bool itemMatches(const QVariant& data, const QString& text, const QVariant& value, int mode) {
  if (mode == 1) return text.compare(value.toString(), Qt::CaseInsensitive) == 0;
  bool okData = false, okValue = false;
  const qlonglong d = data.toLongLong(&okData);
  const qlonglong v = value.toLongLong(&okValue);
  return okData && okValue && d == v;
}
}  // namespace

int ListSelectItem(QComboBox* list, const QVariant& value, int mode) {
  if (!list) return -1;
  for (int i = 0; i < list->count(); ++i) {
    if (itemMatches(list->itemData(i), list->itemText(i), value, mode)) {
      list->setCurrentIndex(i);
      return i;
    }
  }
  return -1;
}

int ListSelectItem(QListWidget* list, const QVariant& value, int mode) {
  if (!list) return -1;
  for (int i = 0; i < list->count(); ++i) {
    const QListWidgetItem* item = list->item(i);
    if (itemMatches(item->data(Qt::UserRole), item->text(), value, mode)) {
      list->setCurrentRow(i);
      return i;
    }
  }
  return -1;
}
