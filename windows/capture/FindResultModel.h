#pragma once

// The search window's result list: any number of hits in compact rows (the names side by side
// in one UTF-8 text, the volume names and folder paths held once per volume and folder), shown
// by a tree view in report style. The view is handed the rows in chunks as it scrolls towards
// the end (fetchMore), each chunk as large as what it has already, so it lays out only what it
// has been given and a listing of a million rows never stalls it. Each text gets a bound of its
// width from the measured advances of its letters and of each neighbouring pair as rows come;
// only the few texts whose bound reaches beyond the widest measured are measured, widest bound
// first, when the width is asked for.

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <QTimer>
#include <QTreeView>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class FindResultModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  struct Row {
    int32_t ID;   // FID or PID: the key is "A" & ID
    int32_t VID;  // tag of the "Volume" column
    int32_t PID;  // tag of the "Pfad" column
    uint32_t nameSize;
    uint64_t nameAt;  // the name in the rows' text, UTF-8
  };

  explicit FindResultModel(QObject* parent = nullptr);

  // The font the widths are measured in.
  void setFont(const QFont& font);
  void setFirstHeader(const QString& caption);
  QString firstHeader() const { return headers_[0]; }

  // Drops every row (and the memory they took).
  void clear();
  // The texts of the "Volume" and "Pfad" columns, given once per volume and folder.
  bool hasVolume(int32_t VID) const { return volumes_.contains(VID); }
  void setVolume(int32_t VID, const QString& volumeName);
  // A folder's path is its parent's path and what follows it (parent 0: the whole path); a
  // parent is set before its folders. Only the paths of rows count towards the column's width.
  bool hasPath(int32_t PID) const { return pathIndex_.contains(PID); }
  void setPath(int32_t PID, int32_t parent, const QString& tail);
  // Room for that many rows and bytes of their names in all, taken at once rather than while
  // rows come.
  void reserve(int64_t rows, int64_t nameBytes = 0);
  // Adds a row after the last (its name in UTF-8). The view gets the first rows at once, later
  // ones as it fetches.
  void append(int32_t ID, int32_t VID, int32_t PID, std::string_view name);
  // Hands the view its first chunk now, if it has not got it yet.
  void flush();

  // All rows listed, in display order (the view may have been given only the first of them).
  int count() const { return static_cast<int>(rows_.size()); }
  const Row& row(int displayRow) const;
  QString text(int displayRow, int column) const;
  // Widest text of the column in the font, in pixels.
  int widestText(int column) const;
  // Sorts the shown rows by the column's text (ascending, under the catalogue's text order,
  // rows of equal text keeping their order).
  void sortByColumn(int column);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  // A text that may be the widest of its column, by the most it may measure.
  struct Candidate {
    int most;
    int ref;  // the storage row (names), the VID (volumes) or the PID (paths)
  };
  struct Widest {
    int measured = 0;                // the widest text measured so far
    std::vector<Candidate> pending;  // texts that may be wider
  };
  // How wide a text may be, in 1/64 pixel as the text engine adds advances up.
  struct Extent {
    int64_t most = 0;
    int last = -1;        // the symbol it ends with
    bool shaped = false;  // letters that change their form with their neighbours, or right to left
  };
  // What texts are made of: symbols, each a letter with the marks that follow it, measured
  // alone. The ASCII letters are the first 128.
  enum SymbolKind : uint8_t { kMark = 1, kShaped = 2 };  // a single combining mark; see Extent
  Extent extend(Extent from, const QString& text) const;
  Extent extend(Extent from, std::string_view utf8) const;
  void extendBy(Extent& e, const char32_t* letters, size_t count) const;
  // In whole pixels as the measured width is rounded.
  static int mostPixels(const Extent& e);
  int symbolOf(char32_t letter) const;
  int clusterOf(const char32_t* letters, size_t count) const;
  int addSymbol(const QString& text, uint8_t kind) const;
  // What a pair of neighbours adds to their two advances (kerning, ligatures), at least 0.
  int widening(int left, int right) const;
  void consider(int column, int most, int ref);
  // Measures the pending texts that may be wider than the widest measured, widest first.
  void settle(int column) const;
  QString textOf(int column, int ref) const;
  // Handing the view rows up to that count.
  void expose(int rows);
  const Row& rowAt(int storageRow) const { return rows_[static_cast<size_t>(storageRow)]; }
  std::string_view nameOf(const Row& r) const { return std::string_view(names_).substr(r.nameAt, r.nameSize); }
  int storageRow(int displayRow) const;

  std::array<QString, 3> headers_;
  std::vector<Row> rows_;
  std::string names_;
  std::vector<int> order_;  // display row -> storage row once sorted; empty: as added
  int exposed_ = 0;         // rows the view has been given
  struct Path {
    int32_t PID;
    int32_t parent;
    Extent extent;
    QString tail;
  };
  QString pathText(int32_t PID) const;
  const Path* pathOf(int32_t PID) const;
  QHash<int32_t, QString> volumes_;
  // The paths in the order set (parents first), found through a small index: every row looks
  // its path up, in no order.
  std::vector<Path> paths_;
  std::vector<uint8_t> pathShown_;  // the path of a row
  QHash<int32_t, int32_t> pathIndex_;
  std::optional<QFontMetrics> metrics_;
  std::optional<QFontMetricsF> exact_;
  // The symbols met, and the widening of their pairs, measured once per font.
  mutable std::vector<QString> symbols_;
  mutable std::vector<int32_t> advances_;  // of each symbol
  mutable std::vector<uint8_t> kinds_;     // of each symbol
  mutable std::vector<int32_t> units_;     // symbol of each letter below U+10000, -1 until met
  mutable QHash<char32_t, int> astral_;
  mutable QHash<QString, int> clusters_;
  mutable std::vector<int32_t> nearPairs_;  // pairs of the first symbols, -1 until measured
  mutable QHash<uint64_t, int> farPairs_;
  mutable std::vector<char32_t> letters_;
  mutable std::array<Widest, 3> widest_;
  QTimer chunkTimer_;
};

// The tree view over the model: report style, one selected row, and column sizes to the
// contents from the model's widest texts rather than from the rows in view.
class FindResultView : public QTreeView {
  Q_OBJECT

 public:
  explicit FindResultView(QWidget* parent = nullptr);
  FindResultModel* results() const { return model_; }
  // The display row of the current, selected row; -1 without one.
  int selectedRow() const;

 protected:
  int sizeHintForColumn(int column) const override;
  void changeEvent(QEvent* event) override;

 private:
  FindResultModel* model_;
};
