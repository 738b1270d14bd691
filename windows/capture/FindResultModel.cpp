#include "windows/capture/FindResultModel.h"

#include "platform/jet/JetSqlText.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>
#include <numeric>

namespace {
// The first chunk the view gets, and the least it fetches at a time.
constexpr int kFirstRows = 1000;
constexpr char16_t kCharTableEnd = 0x3000;
}  // namespace

FindResultModel::FindResultModel(QObject* parent)
    : QAbstractTableModel(parent),
      headers_{QStringLiteral("Dateiname"), QStringLiteral("Volume"), QStringLiteral("Pfad")} {
  chunkTimer_.setSingleShot(true);
  connect(&chunkTimer_, &QTimer::timeout, this, &FindResultModel::flush);
}

void FindResultModel::setFont(const QFont& font) {
  metrics_.emplace(font);
  charWidths_.assign(kCharTableEnd, -1);
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
  exposed_ = 0;
  volumes_.clear();
  paths_.clear();
  widest_ = {};
  endResetModel();
}

void FindResultModel::measure(int column, const QString& text) {
  if (!metrics_) return;
  int& widest = widest_[static_cast<size_t>(column)];
  // Shaping a text is dear, adding up its characters is not: only a text whose characters
  // come near the widest so far is measured. Kerning and ligatures narrow a text rather than
  // widen it; the allowance covers what they do either way.
  int estimate = 0;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u < kCharTableEnd) {
      int& w = charWidths_[u];
      if (w < 0) w = metrics_->horizontalAdvance(c);
      estimate += w;
    } else {
      estimate += metrics_->horizontalAdvance(c);
    }
  }
  if (estimate + estimate / 8 + 4 <= widest) return;
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

void FindResultModel::reserve(int64_t rows) {
  if (rows > 0) rows_.reserve(static_cast<size_t>(rows));
}

void FindResultModel::append(int32_t ID, int32_t VID, int32_t PID, QString name) {
  measure(0, name);
  rows_.push_back(Row{ID, VID, PID, std::move(name)});
  if (!order_.empty()) order_.push_back(static_cast<int>(rows_.size()) - 1);
  // The first rows show while the search goes on.
  if (exposed_ < kFirstRows && !chunkTimer_.isActive()) chunkTimer_.start(0);
}

void FindResultModel::flush() {
  chunkTimer_.stop();
  expose(std::min(count(), std::max(exposed_, kFirstRows)));
}

void FindResultModel::expose(int rows) {
  if (rows <= exposed_) return;
  beginInsertRows(QModelIndex(), exposed_, rows - 1);
  exposed_ = rows;
  endInsertRows();
}

bool FindResultModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && exposed_ < count(); }

void FindResultModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid()) return;
  // Each chunk as large as what the view has: the view lays out its rows anew for every
  // chunk, so a million rows cost it a few dozen layouts, not thousands.
  expose(std::min(count(), exposed_ + std::max(exposed_, kFirstRows)));
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
  std::vector<int> order(rows_.size());
  if (order_.empty())
    std::iota(order.begin(), order.end(), 0);
  else
    order = order_;
  const QHash<int32_t, QString>& names = column == 1 ? volumes_ : paths_;
  static const QString none;
  auto key = [&](int storage) -> const QString& {
    const Row& r = rowAt(storage);
    if (column == 0) return r.Name;
    auto it = names.constFind(column == 1 ? r.VID : r.PID);
    return it == names.constEnd() ? none : it.value();
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return jet::compareText(key(a), key(b)) < 0; });
  beginResetModel();
  order_ = std::move(order);
  const int exposed = exposed_;
  exposed_ = 0;
  endResetModel();
  expose(std::min(count(), std::max(exposed, kFirstRows)));
}

int FindResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : exposed_; }

int FindResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant FindResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= exposed_) return {};
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
  if (model_->rowCount() == 0) return -1;
  // What the item delegate adds around a text, taken from one row: the widest text is known.
  const QModelIndex sample = model_->index(0, column);
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const int padding = itemDelegateForIndex(sample)->sizeHint(option, sample).width() -
                      QFontMetrics(option.font).horizontalAdvance(model_->text(0, column));
  // The delegate lays a text out to its width rounded up, the advance is rounded to nearest:
  // the widest text may need one pixel more than the sample's difference says, or it is cut.
  return model_->widestText(column) + std::max(padding, 0) + 1;
}

void FindResultView::changeEvent(QEvent* event) {
  QTreeView::changeEvent(event);
  if (event->type() == QEvent::FontChange) model_->setFont(font());
}
