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
  // Plain ASCII makes up most names: its advances are known before any row comes.
  for (char16_t u = 0; u < 0x80; ++u) charWidths_[u] = metrics_->horizontalAdvance(QChar(u));
  widest_ = {};
  for (size_t r = 0; r < rows_.size(); ++r) consider(0, estimate(nameOf(rows_[r])), static_cast<int>(r));
  for (auto it = volumes_.cbegin(); it != volumes_.cend(); ++it) consider(1, estimate(it.value()), it.key());
  // Parents first: a path's width is its parent's and its own part's.
  std::vector<int32_t> pending;
  for (auto it = paths_.begin(); it != paths_.end(); ++it) it.value().width = -1;
  for (auto it = paths_.begin(); it != paths_.end(); ++it) {
    for (int32_t pid = it.key(); pid != 0;) {
      auto p = paths_.find(pid);
      if (p == paths_.end() || p.value().width >= 0) break;
      pending.push_back(pid);
      pid = p.value().parent;
    }
    while (!pending.empty()) {
      Path& p = paths_[pending.back()];
      pending.pop_back();
      auto parent = paths_.constFind(p.parent);
      p.width = (parent == paths_.constEnd() ? 0 : parent.value().width) + estimate(p.tail);
    }
  }
  for (auto it = paths_.cbegin(); it != paths_.cend(); ++it)
    if (it.value().shown) consider(2, it.value().width, it.key());
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
  std::string().swap(names_);
  std::vector<int>().swap(order_);
  exposed_ = 0;
  volumes_.clear();
  paths_.clear();
  widest_ = {};
  endResetModel();
}

int FindResultModel::estimate(const QString& text) const {
  int width = 0;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u < kCharTableEnd) {
      int& w = charWidths_[u];
      if (w < 0) w = metrics_->horizontalAdvance(c);
      width += w;
    } else {
      width += metrics_->horizontalAdvance(c);
    }
  }
  return width;
}

int FindResultModel::estimate(std::string_view utf8) const {
  int width = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* const end = p + utf8.size();
  const int* const widths = charWidths_.data();
  while (p != end) {
    if (*p < 0x80) {
      width += widths[*p++];
      continue;
    }
    // Letters of two and three bytes are decoded here; anything else (four bytes, or bytes
    // that form no letter) is left to the decoded text, which stands for it as the list does.
    char16_t u = *p;
    int bytes = 0;
    if (u >= 0xC2 && u <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
      u = static_cast<char16_t>(((u & 0x1F) << 6) | (p[1] & 0x3F));
      bytes = 2;
    } else if (u >= 0xE0 && u <= 0xEF && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
      u = static_cast<char16_t>(((u & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
      if (u >= 0x800 && (u < 0xD800 || u > 0xDFFF)) bytes = 3;
    }
    if (bytes == 0) return estimate(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    if (u < kCharTableEnd) {
      int& w = charWidths_[u];
      if (w < 0) w = metrics_->horizontalAdvance(QChar(u));
      width += w;
    } else {
      width += metrics_->horizontalAdvance(QChar(u));
    }
    p += bytes;
  }
  return width;
}

void FindResultModel::consider(int column, int estimated, int ref) {
  // Shaping a text is dear, adding up its characters is not: kerning and ligatures narrow a
  // text rather than widen it, and the allowance covers what they do either way. Only a text
  // that may come out wider than the widest measured is kept, to be measured when asked for.
  const int most = estimated + estimated / 8 + 4;
  Widest& w = widest_[static_cast<size_t>(column)];
  if (most <= w.measured) return;
  w.pending.push_back(Candidate{most, ref});
  if (w.pending.size() >= 4096) settle(column);
}

QString FindResultModel::textOf(int column, int ref) const {
  switch (column) {
    case 0: {
      const std::string_view name = nameOf(rowAt(ref));
      return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    case 1:
      return volumes_.value(ref);
    default:
      return pathText(ref);
  }
}

QString FindResultModel::pathText(int32_t PID) const {
  std::vector<const QString*> tails;
  qsizetype size = 0;
  // A parent is set before its folders: the walk ends at the top, within as many steps as
  // there are paths.
  for (auto it = paths_.constFind(PID); it != paths_.constEnd() && tails.size() <= static_cast<size_t>(paths_.size());
       it = paths_.constFind(it.value().parent)) {
    tails.push_back(&it.value().tail);
    size += it.value().tail.size();
    if (it.value().parent == 0) break;
  }
  QString text;
  text.reserve(size);
  for (auto t = tails.rbegin(); t != tails.rend(); ++t) text += **t;
  return text;
}

void FindResultModel::settle(int column) const {
  Widest& w = widest_[static_cast<size_t>(column)];
  std::sort(w.pending.begin(), w.pending.end(), [](const Candidate& a, const Candidate& b) { return a.most > b.most; });
  for (const Candidate& c : w.pending) {
    if (c.most <= w.measured) break;
    w.measured = std::max(w.measured, metrics_->horizontalAdvance(textOf(column, c.ref)));
  }
  std::vector<Candidate>().swap(w.pending);
}

int FindResultModel::widestText(int column) const {
  if (!metrics_) return 0;
  settle(column);
  return widest_[static_cast<size_t>(column)].measured;
}

void FindResultModel::setVolume(int32_t VID, const QString& volumeName) {
  volumes_.insert(VID, volumeName);
  if (metrics_) consider(1, estimate(volumeName), VID);
}

void FindResultModel::setPath(int32_t PID, int32_t parent, const QString& tail) {
  auto above = paths_.constFind(parent);
  const int width =
      (parent == 0 || above == paths_.constEnd() ? 0 : above.value().width) + (metrics_ ? estimate(tail) : 0);
  paths_.insert(PID, Path{parent, width, false, tail});
}

void FindResultModel::reserve(int64_t rows, int64_t nameBytes) {
  if (rows > 0) rows_.reserve(static_cast<size_t>(rows));
  if (nameBytes > 0) names_.reserve(static_cast<size_t>(nameBytes));
}

void FindResultModel::append(int32_t ID, int32_t VID, int32_t PID, std::string_view name) {
  const int storage = static_cast<int>(rows_.size());
  rows_.push_back(Row{ID, VID, PID, static_cast<uint32_t>(name.size()), static_cast<uint64_t>(names_.size())});
  names_.append(name);
  if (metrics_) consider(0, estimate(name), storage);
  auto path = paths_.find(PID);
  if (path != paths_.end() && !path.value().shown) {
    path.value().shown = true;
    if (metrics_) consider(2, path.value().width, PID);
  }
  if (!order_.empty()) order_.push_back(storage);
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
  return textOf(column, column == 0 ? storageRow(displayRow) : (column == 1 ? r.VID : r.PID));
}

void FindResultModel::sortByColumn(int column) {
  if (column < 0 || column > 2) return;
  std::vector<int> order(rows_.size());
  if (order_.empty())
    std::iota(order.begin(), order.end(), 0);
  else
    order = order_;
  if (column == 0) {
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return jet::compareText(nameOf(rowAt(a)), nameOf(rowAt(b))) < 0; });
  } else {
    // The texts of the column, once per volume or folder.
    QHash<int32_t, QString> texts;
    if (column == 1) texts = volumes_;
    if (column == 2)
      for (auto it = paths_.cbegin(); it != paths_.cend(); ++it)
        if (it.value().shown) texts.insert(it.key(), pathText(it.key()));
    static const QString none;
    auto key = [&](int storage) -> const QString& {
      const Row& r = rowAt(storage);
      auto it = texts.constFind(column == 1 ? r.VID : r.PID);
      return it == texts.constEnd() ? none : it.value();
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return jet::compareText(key(a), key(b)) < 0; });
  }
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
