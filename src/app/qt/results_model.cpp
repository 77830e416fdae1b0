#include "app/qt/results_model.h"

#include <QBrush>
#include <QPalette>

namespace tarnwick {

int ResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.rows().size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.columns().size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto& row = table_.rows()[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole: {
      const std::string& text = index.column() == 0 ? row.text : row.cells[index.column() - 1];
      return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::TextAlignmentRole:
      if (index.column() > 0) return QVariant::fromValue<int>(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case Qt::ForegroundRole:
      if (row.state != RowState::Counted)
        return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
      return {};
    case Qt::ToolTipRole:
      return QString::fromUtf8(row.tip.data(), static_cast<qsizetype>(row.tip.size()));
    default:
      return {};
  }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromStdString(table_.columns()[static_cast<std::size_t>(section)].header);
}

void ResultsModel::addColumn(std::string_view key, std::string_view header) {
  flush();
  const int at = columnCount();
  beginInsertColumns({}, at, at);
  table_.addColumn(key, header);
  endInsertColumns();
  pending_.addColumn(key, header);
}

void ResultsModel::clearRows() {
  pending_.clearRows();
  beginResetModel();
  table_.clearRows();
  endResetModel();
}

RowHandle ResultsModel::addRow(std::int64_t position, std::string_view key, std::string_view text) {
  const auto shown = static_cast<std::int64_t>(table_.rows().size());
  const auto waiting = static_cast<std::int64_t>(pending_.rows().size());
  if (batching_ && position == shown + waiting + 1 && !table_.hasRow(key))
    return pending_.addRow(waiting + 1, key, text);
  flush();
  // A row the table refuses is refused before the view hears of it.
  if (position < 1 || position > shown + 1 || table_.hasRow(key))
    return table_.addRow(position, key, text);
  const int at = static_cast<int>(position - 1);
  beginInsertRows({}, at, at);
  RowHandle row = table_.addRow(position, key, text);
  endInsertRows();
  return row;
}

MemoryTable& ResultsModel::holder(const RowHandle& row) {
  return pending_.hasRow(row.key) ? pending_ : table_;
}

void ResultsModel::setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value) {
  MemoryTable& rows = holder(row);
  rows.setCell(row, columnKey, value);
  if (&rows == &pending_) return;
  const QModelIndex cell = index(table_.rowIndex(row.key), table_.columnIndex(columnKey));
  emit dataChanged(cell, cell);
}

void ResultsModel::describeRow(const RowHandle& row, RowState state, std::string_view tip) {
  MemoryTable& rows = holder(row);
  rows.describeRow(row, state, tip);
  if (&rows == &pending_) return;
  const int r = table_.rowIndex(row.key);
  emit dataChanged(index(r, 0), index(r, columnCount() - 1));
}

void ResultsModel::endUpdate() {
  flush();
  batching_ = false;
}

void ResultsModel::flush() {
  if (pending_.rows().empty()) return;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(pending_.rows().size()) - 1);
  table_.appendRowsOf(pending_);
  endInsertRows();
}

}  // namespace tarnwick
