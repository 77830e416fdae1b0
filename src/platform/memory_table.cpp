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
  rowIndex_.clear();
}

RowHandle MemoryTable::addRow(std::int64_t position, std::string_view key, std::string_view text) {
  if (position < 1 || position > static_cast<std::int64_t>(rows_.size()) + 1)
    throw std::logic_error("row position " + std::to_string(position) + " out of range");
  if (hasRow(key)) throw std::logic_error("duplicate row key " + std::string(key));
  Row row{std::string(key), std::string(text), {}, RowState::Counted, {}};
  row.cells.resize(columns_.empty() ? 0 : columns_.size() - 1);
  const auto at = static_cast<std::size_t>(position - 1);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
  if (at + 1 == rows_.size()) {
    rowIndex_.emplace(std::string(key), static_cast<int>(at));
  } else {
    rowIndex_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i)
      rowIndex_.emplace(rows_[i].key, static_cast<int>(i));
  }
  return {std::string(key)};
}

MemoryTable::Row& MemoryTable::row(const RowHandle& handle) {
  const int index = rowIndex(handle.key);
  if (index < 0) throw std::logic_error("no row keyed " + handle.key);
  return rows_[static_cast<std::size_t>(index)];
}

void MemoryTable::setCell(const RowHandle& handle, std::string_view columnKey,
                          std::uint64_t value) {
  const int column = columnIndex(columnKey);
  if (column < 1) throw std::logic_error("no cell column keyed " + std::string(columnKey));
  row(handle).cells[static_cast<std::size_t>(column - 1)] = std::to_string(value);
}

void MemoryTable::describeRow(const RowHandle& handle, RowState state, std::string_view tip) {
  Row& described = row(handle);
  described.state = state;
  described.tip = tip;
}

void MemoryTable::appendRowsOf(MemoryTable& other) {
  for (Row& row : other.rows_) {
    if (hasRow(row.key)) throw std::logic_error("duplicate row key " + row.key);
    rowIndex_.emplace(row.key, static_cast<int>(rows_.size()));
    rows_.push_back(std::move(row));
  }
  other.clearRows();
}

int MemoryTable::rowIndex(std::string_view key) const {
  const auto found = rowIndex_.find(std::string(key));
  return found == rowIndex_.end() ? -1 : found->second;
}

int MemoryTable::columnIndex(std::string_view key) const {
  for (int i = 0; i < static_cast<int>(columns_.size()); ++i)
    if (columns_[static_cast<std::size_t>(i)].key == key) return i;
  return -1;
}

}  // namespace tarnwick
