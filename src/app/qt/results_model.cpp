#include "app/qt/results_model.h"

#include <QBrush>
#include <QPalette>

namespace tarnwick {

namespace {

QString text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

int ResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_) return {};
  const auto row = static_cast<std::size_t>(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return text(rows_.cell(row, static_cast<std::size_t>(index.column())));
    case Qt::TextAlignmentRole:
      if (index.column() > 0) return QVariant::fromValue<int>(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case Qt::ForegroundRole:
      if (rows_.greyed(row)) return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
      return {};
    case Qt::ToolTipRole:
      return text(rows_.tip(row));
    default:
      return {};
  }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= columns_) return {};
  return text(rows_.columns()[static_cast<std::size_t>(section)].header);
}

void ResultsModel::showColumns() {
  beginResetModel();
  columns_ = static_cast<int>(rows_.columns().size());
  endResetModel();
}

void ResultsModel::refresh() {
  if (shown_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(shown_ - 1, columns_ - 1));
}

void ResultsModel::showRows(std::size_t count) {
  const int rows = static_cast<int>(count);
  if (rows < shown_) {
    beginResetModel();
    shown_ = rows;
    endResetModel();
  } else if (rows > shown_) {
    beginInsertRows({}, shown_, rows - 1);
    shown_ = rows;
    endInsertRows();
  }
}

}  // namespace tarnwick
