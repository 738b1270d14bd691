#pragma once

// The search window's result list: any number of hits in compact rows (the volume names and
// folder paths are held once per volume and folder), shown by a tree view in report style.
// The view is handed the rows in chunks as it scrolls towards the end (fetchMore), each chunk
// as large as what it has already, so it lays out only what it has been given and a listing
// of a million rows never stalls it; the widest text of each column is kept as rows come, so
// sizing the columns afterwards costs nothing.

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QHash>
#include <QString>
#include <QTimer>
#include <QTreeView>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class FindResultModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  struct Row {
    int32_t ID;   // FID or PID: the key is "A" & ID
    int32_t VID;  // tag of the "Volume" column
    int32_t PID;  // tag of the "Pfad" column
    QString Name;
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
  bool hasPath(int32_t PID) const { return paths_.contains(PID); }
  void setPath(int32_t PID, const QString& path);
  // Room for that many rows in all, taken at once rather than while rows come.
  void reserve(int64_t rows);
  // Adds a row after the last. The view gets the first rows at once, later ones as it fetches.
  void append(int32_t ID, int32_t VID, int32_t PID, QString name);
  // Hands the view its first chunk now, if it has not got it yet.
  void flush();

  // All rows listed, in display order (the view may have been given only the first of them).
  int count() const { return static_cast<int>(rows_.size()); }
  const Row& row(int displayRow) const;
  QString text(int displayRow, int column) const;
  // Widest text of the column in the font, in pixels.
  int widestText(int column) const { return widest_[static_cast<size_t>(column)]; }
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
  void measure(int column, const QString& text);
  // Handing the view rows up to that count.
  void expose(int rows);
  const Row& rowAt(int storageRow) const { return rows_[static_cast<size_t>(storageRow)]; }
  int storageRow(int displayRow) const;

  std::array<QString, 3> headers_;
  std::vector<Row> rows_;
  std::vector<int> order_;  // display row -> storage row once sorted; empty: as added
  int exposed_ = 0;         // rows the view has been given
  QHash<int32_t, QString> volumes_;
  QHash<int32_t, QString> paths_;
  std::optional<QFontMetrics> metrics_;
  std::vector<int> charWidths_;  // advances of the characters below U+3000, -1 until measured
  std::array<int, 3> widest_{};
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
