#include "app/win32/list_view_table.h"

#include <commctrl.h>

#include <stdexcept>

#include "app/window_design.h"
#include "platform/win32_text.h"

namespace tarnwick {

void ListViewTable::setReportView() {
  ::SetWindowLongPtrW(list_, GWL_STYLE,
                      (::GetWindowLongPtrW(list_, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_REPORT);
  ListView_SetExtendedListViewStyle(list_,
                                    LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
}

void ListViewTable::addColumn(std::string_view key, std::string_view header) {
  table_.addColumn(key, header);
  std::wstring text = widen(header);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
  column.fmt = table_.columns().size() == 1 ? LVCFMT_LEFT : LVCFMT_RIGHT;
  column.cx = twipsToPixels(800, static_cast<int>(::GetDpiForWindow(list_)));
  column.pszText = text.data();
  const int at = static_cast<int>(table_.columns().size()) - 1;
  ::SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(at),
                 reinterpret_cast<LPARAM>(&column));
  widthsTwips_.push_back(0);
}

void ListViewTable::setColumnWidth(int position, int twips) {
  table_.setColumnWidth(position, twips);
  widthsTwips_[static_cast<std::size_t>(position - 1)] = twips;
  ListView_SetColumnWidth(list_, position - 1,
                          twipsToPixels(twips, static_cast<int>(::GetDpiForWindow(list_))));
}

void ListViewTable::rescale() {
  for (std::size_t c = 0; c < widthsTwips_.size(); ++c)
    if (widthsTwips_[c])
      ListView_SetColumnWidth(
          list_, static_cast<int>(c),
          twipsToPixels(widthsTwips_[c], static_cast<int>(::GetDpiForWindow(list_))));
}

void ListViewTable::clearRows() {
  table_.clearRows();
  ListView_SetItemCountEx(list_, 0, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
}

void ListViewTable::showRowCount() {
  ListView_SetItemCountEx(list_, static_cast<int>(table_.rows().size()),
                          LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
}

RowHandle ListViewTable::addRow(std::int64_t position, std::string_view key,
                                std::string_view text) {
  RowHandle row = table_.addRow(position, key, text);
  if (!batching_) showRowCount();
  return row;
}

void ListViewTable::redraw(const RowHandle& row) {
  if (batching_) return;
  const int index = table_.rowIndex(row.key);
  ListView_RedrawItems(list_, index, index);
}

void ListViewTable::setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value) {
  table_.setCell(row, columnKey, value);
  redraw(row);
}

void ListViewTable::describeRow(const RowHandle& row, RowState state, std::string_view tip) {
  table_.describeRow(row, state, tip);
  redraw(row);
}

void ListViewTable::endUpdate() {
  batching_ = false;
  showRowCount();
  ::InvalidateRect(list_, nullptr, FALSE);
}

bool ListViewTable::onNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != list_) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
      const auto row = static_cast<std::size_t>(info.item.iItem);
      if (!(info.item.mask & LVIF_TEXT) || row >= table_.rows().size()) return true;
      const MemoryTable::Row& shown = table_.rows()[row];
      const auto column = static_cast<std::size_t>(info.item.iSubItem);
      text_ = widen(column == 0 ? shown.text
                                : (column - 1 < shown.cells.size() ? shown.cells[column - 1] : ""));
      info.item.pszText = text_.data();
      result = 0;
      return true;
    }
    case LVN_GETINFOTIPW: {
      auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(const_cast<NMHDR&>(header));
      const auto row = static_cast<std::size_t>(tip.iItem);
      if (row < table_.rows().size() && tip.cchTextMax > 0) {
        const std::wstring text = widen(table_.rows()[row].tip);
        lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
      }
      result = 0;
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header));
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
        return true;
      }
      if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const auto row = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
        // A missing or unreadable log keeps its zeros, greyed.
        if (row < table_.rows().size() && table_.rows()[row].state != RowState::Counted)
          draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
        result = CDRF_DODEFAULT;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace tarnwick
