#pragma once

#include <QAbstractTableModel>

#include "app/result_rows.h"

namespace tarnwick {

// The presenter's rows for a Qt view. It shows as many of them as it was last told to,
// so that rows that arrive in a batch reach the view in one insertion.
class ResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ResultsModel(const ResultRows& rows, QObject* parent = nullptr)
      : QAbstractTableModel(parent), rows_(rows) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Shows the first `count` rows: fewer than now means the rows were replaced.
  void showRows(std::size_t count);
  // The columns are set: announces them to the view.
  void showColumns();
  // The cells of the rows shown changed.
  void refresh();

 private:
  const ResultRows& rows_;
  int shown_ = 0;
  int columns_ = 0;
};

}  // namespace tarnwick
