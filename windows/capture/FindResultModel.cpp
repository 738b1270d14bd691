#include "windows/capture/FindResultModel.h"

#include "platform/jet/JetSqlText.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>
#include <numeric>

namespace {
// Rows come in chunks at most this often while a search lists them.
constexpr int kChunkMs = 200;
}  // namespace

FindResultModel::FindResultModel(QObject* parent)
    : QAbstractTableModel(parent),
      headers_{QStringLiteral("Dateiname"), QStringLiteral("Volume"), QStringLiteral("Pfad")} {
  chunkTimer_.setSingleShot(true);
  connect(&chunkTimer_, &QTimer::timeout, this, &FindResultModel::flush);
}

void FindResultModel::setFont(const QFont& font) {
  metrics_.emplace(font);
  widest_ = {};
  for (const Row& r : rows_) measure(0, r.Name);
  for (const QString& v : std::as_const(volumes_)) measure(1, v);
  for (const QString& p : std::as_const(paths_)) measure(2, p);
}

void FindResultModel::setFirstHeader(const QString& caption) {
  if (headers_[0] == caption) return;
  headers_[0] = caption;
  emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void FindResultModel::clear() {
  chunkTimer_.stop();
  beginResetModel();
  std::vector<Row>().swap(rows_);
  std::vector<int>().swap(order_);
  shown_ = 0;
  volumes_.clear();
  paths_.clear();
  widest_ = {};
  endResetModel();
}

void FindResultModel::measure(int column, const QString& text) {
  if (!metrics_) return;
  int& widest = widest_[static_cast<size_t>(column)];
  // No glyph is wider than the widest one: most names need no measuring once a long one came.
  if (text.size() * metrics_->maxWidth() <= widest) return;
  widest = std::max(widest, metrics_->horizontalAdvance(text));
}

void FindResultModel::setVolume(int32_t VID, const QString& volumeName) {
  volumes_.insert(VID, volumeName);
  measure(1, volumeName);
}

void FindResultModel::setPath(int32_t PID, const QString& path) {
  paths_.insert(PID, path);
  measure(2, path);
}

void FindResultModel::append(int32_t ID, int32_t VID, int32_t PID, QString name) {
  measure(0, name);
  rows_.push_back(Row{ID, VID, PID, std::move(name)});
  if (!chunkTimer_.isActive()) {
    // The first rows show at once, the rest in chunks.
    chunkTimer_.setInterval(shown_ == 0 ? 0 : kChunkMs);
    chunkTimer_.start();
  }
}

void FindResultModel::flush() {
  chunkTimer_.stop();
  const int total = static_cast<int>(rows_.size());
  if (total == shown_) return;
  beginInsertRows(QModelIndex(), shown_, total - 1);
  if (!order_.empty())
    for (int i = shown_; i < total; ++i) order_.push_back(i);
  shown_ = total;
  endInsertRows();
}

int FindResultModel::storageRow(int displayRow) const {
  return order_.empty() ? displayRow : order_[static_cast<size_t>(displayRow)];
}

const FindResultModel::Row& FindResultModel::row(int displayRow) const { return rowAt(storageRow(displayRow)); }

QString FindResultModel::text(int displayRow, int column) const {
  const Row& r = row(displayRow);
  switch (column) {
    case 0:
      return r.Name;
    case 1:
      return volumes_.value(r.VID);
    default:
      return paths_.value(r.PID);
  }
}

void FindResultModel::sortByColumn(int column) {
  if (column < 0 || column > 2) return;
  flush();
  std::vector<int> order(static_cast<size_t>(shown_));
  if (order_.empty())
    std::iota(order.begin(), order.end(), 0);
  else
    order = order_;
  auto key = [&](int storage) -> const QString& {
    const Row& r = rowAt(storage);
    if (column == 0) return r.Name;
    static const QString none;
    auto it = column == 1 ? volumes_.constFind(r.VID) : paths_.constFind(r.PID);
    return it == (column == 1 ? volumes_.constEnd() : paths_.constEnd()) ? none : it.value();
  };
  emit layoutAboutToBeChanged();
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return jet::compareText(key(a), key(b)) < 0; });
  order_ = std::move(order);
  emit layoutChanged();
}

int FindResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

int FindResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant FindResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_) return {};
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return text(index.row(), column);
    case ui::kItemKeyRole:
      return column == 0 ? QVariant(QStringLiteral("A") + QString::number(row(index.row()).ID)) : QVariant();
    case ui::kItemTagRole: {
      const Row& r = row(index.row());
      return column == 0 ? r.ID : (column == 1 ? r.VID : r.PID);
    }
    default:
      return {};
  }
}

QVariant FindResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 2) return {};
  return headers_[static_cast<size_t>(section)];
}

// ---- view ---------------------------------------------------------------------------------

FindResultView::FindResultView(QWidget* parent) : QTreeView(parent), model_(new FindResultModel(this)) {
  setModel(model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setStretchLastSection(false);
  header()->setSectionsClickable(true);
  model_->setFont(font());
}

int FindResultView::selectedRow() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || !selectionModel()->isRowSelected(current.row(), QModelIndex())) return -1;
  return current.row();
}

int FindResultView::sizeHintForColumn(int column) const {
  if (model_->count() == 0) return -1;
  // The item delegate's padding around the text.
  const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
  return model_->widestText(column) + margin;
}

void FindResultView::changeEvent(QEvent* event) {
  QTreeView::changeEvent(event);
  if (event->type() == QEvent::FontChange) model_->setFont(font());
}
