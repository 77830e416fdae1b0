#include "platform/memory_table.h"

#include <stdexcept>

namespace tarnwick {

void MemoryTable::addColumn(std::string_view key, std::string_view header) {
  if (columnIndex(key) >= 0) throw std::logic_error("duplicate column key " + std::string(key));
  columns_.push_back({std::string(key), std::string(header), 0});
  for (Row& row : rows_) row.cells.resize(columns_.size() - 1);
}

void MemoryTable::setColumnWidth(int position, int twips) {
  if (position < 1 || position > static_cast<int>(columns_.size()))
    throw std::logic_error("no column at position " + std::to_string(position));
  columns_[position - 1].widthTwips = twips;
}

void MemoryTable::clearRows() {
  rows_.clear();
  rowKeys_.clear();
}

RowHandle MemoryTable::addRow(std::int64_t position, std::string_view key, std::string_view text) {
  if (position < 1 || position > static_cast<std::int64_t>(rows_.size()) + 1)
    throw std::logic_error("row position " + std::to_string(position) + " out of range");
  if (!rowKeys_.emplace(key).second)
    throw std::logic_error("duplicate row key " + std::string(key));
  Row row{std::string(key), std::string(text), {}};
  row.cells.resize(columns_.empty() ? 0 : columns_.size() - 1);
  rows_.insert(rows_.begin() + (position - 1), std::move(row));
  return {std::string(key)};
}

void MemoryTable::setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value) {
  const int column = columnIndex(columnKey);
  if (column < 1) throw std::logic_error("no cell column keyed " + std::string(columnKey));
  const int index = rowIndex(row.key);
  if (index < 0) throw std::logic_error("no row keyed " + row.key);
  rows_[index].cells[column - 1] = std::to_string(value);
}

int MemoryTable::rowIndex(std::string_view key) const {
  // Rows are appended, so the row asked for is nearly always the last one.
  for (int i = static_cast<int>(rows_.size()) - 1; i >= 0; --i)
    if (rows_[i].key == key) return i;
  return -1;
}

int MemoryTable::columnIndex(std::string_view key) const {
  for (int i = 0; i < static_cast<int>(columns_.size()); ++i)
    if (columns_[i].key == key) return i;
  return -1;
}

}  // namespace tarnwick
