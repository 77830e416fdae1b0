#include "app/results_model.h"

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
  if (role == Qt::TextAlignmentRole && index.column() > 0)
    return QVariant::fromValue<int>(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  const std::string& text = index.column() == 0 ? row.text : row.cells[index.column() - 1];
  return QString::fromStdString(text);
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromStdString(table_.columns()[static_cast<std::size_t>(section)].header);
}

void ResultsModel::addColumn(std::string_view key, std::string_view header) {
  const int at = columnCount();
  beginInsertColumns({}, at, at);
  table_.addColumn(key, header);
  endInsertColumns();
}

void ResultsModel::clearRows() {
  beginResetModel();
  table_.clearRows();
  endResetModel();
}

RowHandle ResultsModel::addRow(std::int64_t position, std::string_view key, std::string_view text) {
  // A row the table refuses is refused before the view hears of it.
  if (position < 1 || position > rowCount() + 1 || table_.hasRow(key))
    return table_.addRow(position, key, text);
  const int at = static_cast<int>(position - 1);
  beginInsertRows({}, at, at);
  RowHandle row = table_.addRow(position, key, text);
  endInsertRows();
  return row;
}

void ResultsModel::setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value) {
  table_.setCell(row, columnKey, value);
  const int r = table_.rowIndex(row.key);
  const int c = table_.columnIndex(columnKey);
  emit dataChanged(index(r, c), index(r, c));
}

}  // namespace tarnwick
