#include "app/qt/list_view_table.h"

#include <QHeaderView>
#include <QTreeView>
#include <stdexcept>

#include "app/window_design.h"

namespace tarnwick {

ListViewTable::ListViewTable(QTreeView& view) : view_(view) {
  view_.setModel(&model_);
}

void ListViewTable::setReportView() {
  view_.setRootIsDecorated(false);
  view_.setItemsExpandable(false);
  view_.setUniformRowHeights(true);
  view_.setSortingEnabled(false);
  view_.setAllColumnsShowFocus(true);
  view_.setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_.setSelectionBehavior(QAbstractItemView::SelectRows);
  view_.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view_.header()->setVisible(true);
  view_.header()->setStretchLastSection(false);
  view_.header()->setSectionsMovable(false);
}

void ListViewTable::addColumn(std::string_view key, std::string_view header) {
  model_.addColumn(key, header);
}

void ListViewTable::setColumnWidth(int position, int twips) {
  if (position < 1 || position > model_.columnCount())
    throw std::logic_error("no column at position " + std::to_string(position));
  view_.setColumnWidth(position - 1, twipsToPixels(twips));
}

}  // namespace tarnwick
