#include "windows/capture/FindResultModel.h"

#include "platform/jet/JetSqlText.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {
// The first chunk the view gets, and the least it fetches at a time.
constexpr int kFirstRows = 1000;
// Symbols whose pairs sit in the table rather than in the hash: ASCII and what most names add.
constexpr int kNearSymbols = 256;

int64_t exactWidth(const QFontMetricsF& metrics, const QString& text) {
  return std::max<int64_t>(0, std::llround(metrics.horizontalAdvance(text) * 64));
}

// Scripts whose letters keep their form whatever stands beside them: a letter's advance and
// its pairs' kerning add up to the width of the text.
bool keepsItsForm(char32_t letter) {
  switch (QChar::script(letter)) {
    case QChar::Script_Common:
    case QChar::Script_Inherited:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Armenian:
    case QChar::Script_Georgian:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
    case QChar::Script_Hangul:
      break;
    default:
      return false;
  }
  switch (QChar::direction(letter)) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirPDF:
    case QChar::DirLRI:
    case QChar::DirRLI:
    case QChar::DirFSI:
    case QChar::DirPDI:
      return false;
    default:
      return true;
  }
}

bool isMark(char32_t letter) {
  const QChar::Category c = QChar::category(letter);
  return c == QChar::Mark_NonSpacing || c == QChar::Mark_SpacingCombining || c == QChar::Mark_Enclosing;
}
}  // namespace

FindResultModel::FindResultModel(QObject* parent)
    : QAbstractTableModel(parent),
      headers_{QStringLiteral("Dateiname"), QStringLiteral("Volume"), QStringLiteral("Pfad")} {
  chunkTimer_.setSingleShot(true);
  connect(&chunkTimer_, &QTimer::timeout, this, &FindResultModel::flush);
}

void FindResultModel::setFont(const QFont& font) {
  metrics_.emplace(font);
  exact_.emplace(font);
  // Every symbol is measured anew in this font: its advance and kind go with it.
  symbols_.clear();
  advances_.clear();
  kinds_.clear();
  units_.assign(0x10000, -1);
  astral_.clear();
  clusters_.clear();
  nearPairs_.assign(static_cast<size_t>(kNearSymbols) * kNearSymbols, -1);
  farPairs_.clear();
  // Plain ASCII makes up most names: its symbols come first, their pairs in the table.
  for (char32_t u = 0; u < 0x80; ++u) (void)symbolOf(u);
  widest_ = {};
  for (size_t r = 0; r < rows_.size(); ++r)
    consider(0, mostPixels(extend(Extent{}, nameOf(rows_[r]))), static_cast<int>(r));
  for (auto it = volumes_.cbegin(); it != volumes_.cend(); ++it)
    consider(1, mostPixels(extend(Extent{}, it.value())), it.key());
  // Parents come first: a path goes on from its parent's.
  for (size_t i = 0; i < paths_.size(); ++i) {
    Path& p = paths_[i];
    const Path* parent = p.parent == 0 ? nullptr : pathOf(p.parent);
    p.extent = extend(parent ? parent->extent : Extent{}, p.tail);
    if (pathShown_[i]) consider(2, mostPixels(p.extent), p.PID);
  }
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
  std::vector<Path>().swap(paths_);
  std::vector<uint8_t>().swap(pathShown_);
  pathIndex_.clear();
  widest_ = {};
  endResetModel();
}

int FindResultModel::addSymbol(const QString& text, uint8_t kind) const {
  symbols_.push_back(text);
  advances_.push_back(static_cast<int32_t>(exactWidth(*exact_, text)));
  kinds_.push_back(kind);
  return static_cast<int>(symbols_.size()) - 1;
}

namespace {
uint8_t kindOf(char32_t letter) {
  return static_cast<uint8_t>((isMark(letter) ? 1 : 0) | (keepsItsForm(letter) ? 0 : 2));
}
}  // namespace

int FindResultModel::symbolOf(char32_t letter) const {
  if (letter < 0x10000) {
    int32_t& s = units_[letter];
    if (s < 0) s = addSymbol(QString(QChar(static_cast<char16_t>(letter))), kindOf(letter));
    return s;
  }
  auto it = astral_.constFind(letter);
  if (it != astral_.constEnd()) return it.value();
  const int s = addSymbol(QString::fromUcs4(&letter, 1), kindOf(letter));
  astral_.insert(letter, s);
  return s;
}

int FindResultModel::clusterOf(const char32_t* letters, size_t count) const {
  const QString text = QString::fromUcs4(letters, static_cast<qsizetype>(count));
  auto it = clusters_.constFind(text);
  if (it != clusters_.constEnd()) return it.value();
  uint8_t shaped = 0;
  for (size_t i = 0; i < count; ++i) shaped |= kinds_[static_cast<size_t>(symbolOf(letters[i]))] & kShaped;
  const int s = addSymbol(text, shaped);
  clusters_.insert(text, s);
  return s;
}

int FindResultModel::widening(int left, int right) const {
  const auto measure = [&] {
    const auto l = static_cast<size_t>(left), r = static_cast<size_t>(right);
    return static_cast<int>(
        std::max<int64_t>(0, exactWidth(*exact_, symbols_[l] + symbols_[r]) - advances_[l] - advances_[r]));
  };
  if (left < kNearSymbols && right < kNearSymbols) {
    int32_t& w = nearPairs_[static_cast<size_t>(left) * kNearSymbols + static_cast<size_t>(right)];
    if (w < 0) w = measure();
    return w;
  }
  const uint64_t key = (static_cast<uint64_t>(left) << 32) | static_cast<uint32_t>(right);
  auto it = farPairs_.constFind(key);
  if (it != farPairs_.constEnd()) return it.value();
  const int w = measure();
  farPairs_.insert(key, w);
  return w;
}

void FindResultModel::extendBy(Extent& e, const char32_t* letters, size_t count) const {
  // Shaping a text is dear, adding up its parts is not. The text engine adds the advances of
  // its glyphs, changed only by what neighbours do to each other: kerning a pair, joining a
  // letter and its marks into one glyph (a cluster is measured whole). So the width of a text is
  // at most its symbols' advances and each pair's widening, never narrowing, added up.
  int next = count > 0 ? symbolOf(letters[0]) : -1;
  for (size_t i = 0; i < count;) {
    int s = next;
    size_t end = i + 1;
    next = -1;
    while (end < count) {
      next = symbolOf(letters[end]);
      if (!(kinds_[static_cast<size_t>(next)] & kMark)) break;
      next = -1;
      ++end;
    }
    if (end > i + 1) s = clusterOf(letters + i, end - i);
    e.most += advances_[static_cast<size_t>(s)];
    if (e.last >= 0) e.most += widening(e.last, s);
    e.shaped = e.shaped || (kinds_[static_cast<size_t>(s)] & kShaped);
    e.last = s;
    i = end;
  }
}

FindResultModel::Extent FindResultModel::extend(Extent from, const QString& text) const {
  letters_.clear();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
      letters_.push_back(QChar::surrogateToUcs4(u, text[++i].unicode()));
    } else {
      letters_.push_back(u);
    }
  }
  extendBy(from, letters_.data(), letters_.size());
  return from;
}

FindResultModel::Extent FindResultModel::extend(Extent from, std::string_view utf8) const {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* const end = p + utf8.size();
  // ASCII, the bulk of most names, straight from the bytes: its symbols are its codes, and no
  // mark follows a letter that an ASCII letter follows.
  const Extent start = from;
  const int32_t* const advances = advances_.data();
  int32_t* const pairs = nearPairs_.data();
  for (; p != end && *p < 0x80 && (p + 1 == end || p[1] < 0x80); ++p) {
    from.most += advances[*p];
    if (from.last >= 0 && from.last < kNearSymbols) {
      const int32_t w = pairs[from.last * kNearSymbols + *p];
      from.most += w >= 0 ? w : widening(from.last, *p);
    } else if (from.last >= 0) {
      from.most += widening(from.last, *p);
    }
    from.last = *p;
  }
  letters_.clear();
  const auto follows = [&](int n, unsigned char low, unsigned char high) {
    if (end - p <= n) return false;
    if (p[1] < low || p[1] > high) return false;
    for (int k = 2; k <= n; ++k)
      if ((p[k] & 0xC0) != 0x80) return false;
    return true;
  };
  while (p != end) {
    const unsigned char b = *p;
    if (b < 0x80) {
      letters_.push_back(b);
      ++p;
    } else if (b >= 0xC2 && b <= 0xDF && follows(1, 0x80, 0xBF)) {
      letters_.push_back(((b & 0x1Fu) << 6) | (p[1] & 0x3Fu));
      p += 2;
    } else if (b >= 0xE0 && b <= 0xEF && follows(2, b == 0xE0 ? 0xA0 : 0x80, b == 0xED ? 0x9F : 0xBF)) {
      letters_.push_back(((b & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu));
      p += 3;
    } else if (b >= 0xF0 && b <= 0xF4 && follows(3, b == 0xF0 ? 0x90 : 0x80, b == 0xF4 ? 0x8F : 0xBF)) {
      letters_.push_back(((b & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu));
      p += 4;
    } else {
      // Bytes that form no letter: the decoded text stands for them, as the list shows it.
      return extend(start, QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    }
  }
  extendBy(from, letters_.data(), letters_.size());
  return from;
}

int FindResultModel::mostPixels(const Extent& e) {
  // Letters shaped in context may come out wider than alone and in pairs: an allowance for them.
  const int64_t most = e.shaped ? e.most + e.most / 8 + 4 * 64 : e.most;
  return static_cast<int>(std::min<int64_t>((most + 32) >> 6, std::numeric_limits<int>::max()));
}

void FindResultModel::consider(int column, int most, int ref) {
  // Only a text that may come out wider than the widest measured is kept, to be measured when
  // asked for.
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

const FindResultModel::Path* FindResultModel::pathOf(int32_t PID) const {
  auto it = pathIndex_.constFind(PID);
  return it == pathIndex_.constEnd() ? nullptr : &paths_[static_cast<size_t>(it.value())];
}

QString FindResultModel::pathText(int32_t PID) const {
  std::vector<const QString*> tails;
  qsizetype size = 0;
  // A parent is set before its folders: the walk ends at the top, within as many steps as
  // there are paths.
  for (const Path* p = pathOf(PID); p && tails.size() <= paths_.size(); p = pathOf(p->parent)) {
    tails.push_back(&p->tail);
    size += p->tail.size();
    if (p->parent == 0) break;
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
  if (metrics_) consider(1, mostPixels(extend(Extent{}, volumeName)), VID);
}

void FindResultModel::setPath(int32_t PID, int32_t parent, const QString& tail) {
  const Path* above = parent == 0 ? nullptr : pathOf(parent);
  Path path{PID, parent, metrics_ ? extend(above ? above->extent : Extent{}, tail) : Extent{}, tail};
  auto known = pathIndex_.constFind(PID);
  if (known != pathIndex_.constEnd()) {
    paths_[static_cast<size_t>(known.value())] = std::move(path);
    pathShown_[static_cast<size_t>(known.value())] = 0;
    return;
  }
  pathIndex_.insert(PID, static_cast<int32_t>(paths_.size()));
  paths_.push_back(std::move(path));
  pathShown_.push_back(0);
}

void FindResultModel::reserve(int64_t rows, int64_t nameBytes) {
  if (rows > 0) rows_.reserve(static_cast<size_t>(rows));
  if (nameBytes > 0) names_.reserve(static_cast<size_t>(nameBytes));
}

void FindResultModel::append(int32_t ID, int32_t VID, int32_t PID, std::string_view name) {
  const int storage = static_cast<int>(rows_.size());
  rows_.push_back(Row{ID, VID, PID, static_cast<uint32_t>(name.size()), static_cast<uint64_t>(names_.size())});
  names_.append(name);
  if (metrics_) consider(0, mostPixels(extend(Extent{}, name)), storage);
  auto path = pathIndex_.constFind(PID);
  if (path != pathIndex_.constEnd() && !pathShown_[static_cast<size_t>(path.value())]) {
    pathShown_[static_cast<size_t>(path.value())] = 1;
    if (metrics_) consider(2, mostPixels(paths_[static_cast<size_t>(path.value())].extent), PID);
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
      for (size_t i = 0; i < paths_.size(); ++i)
        if (pathShown_[i]) texts.insert(paths_[i].PID, pathText(paths_[i].PID));
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
