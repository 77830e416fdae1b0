#include "app/win32/list_view_table.h"

#include <commctrl.h>

#include <algorithm>

#include "app/win32/dpi.h"
#include "app/window_design.h"
#include "platform/win32_text.h"

namespace tarnwick {

void ListViewTable::showColumns(const std::vector<ResultsColumn>& columns) {
  ::SetWindowLongPtrW(list_, GWL_STYLE,
                      (::GetWindowLongPtrW(list_, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_REPORT);
  ListView_SetExtendedListViewStyle(list_,
                                    LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
  while (ListView_DeleteColumn(list_, 0)) {
  }
  for (std::size_t c = 0; c < columns.size(); ++c) {
    std::wstring text = widen(columns[c].header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.fmt = c == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
    column.pszText = text.data();
    ::SendMessageW(list_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  rescale();
}

void ListViewTable::rescale() {
  const HWND header = ListView_GetHeader(list_);
  const int count = Header_GetItemCount(header);
  const int dpi = dpiOf(list_);
  for (int c = 0; c < count && static_cast<std::size_t>(c) < rows_.columns().size(); ++c) {
    // The header's text in the list's font, with the room a header item keeps around it.
    const std::wstring text = widen(rows_.columns()[static_cast<std::size_t>(c)].header);
    const int needed = ListView_GetStringWidth(list_, text.c_str()) + ::MulDiv(16, dpi, 96);
    ListView_SetColumnWidth(
        list_, c,
        std::max(twipsToPixels(rows_.columns()[static_cast<std::size_t>(c)].widthTwips, dpi),
                 needed));
  }
}

void ListViewTable::showRows(std::size_t count, bool followNewest) {
  SCROLLINFO bar{};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_ALL;
  const bool atEnd =
      !::GetScrollInfo(list_, SB_VERT, &bar) || bar.nPos + static_cast<int>(bar.nPage) > bar.nMax;
  const bool replaced = count < shown_;
  shown_ = count;
  ListView_SetItemCountEx(list_, static_cast<int>(count),
                          replaced ? 0 : LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  ::InvalidateRect(list_, nullptr, replaced);
  if (followNewest && atEnd && count > 0)
    ListView_EnsureVisible(list_, static_cast<int>(count) - 1, FALSE);
}

std::vector<std::size_t> ListViewTable::selectedRows() const {
  std::vector<std::size_t> rows;
  for (int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED); item >= 0;
       item = ListView_GetNextItem(list_, item, LVNI_SELECTED))
    rows.push_back(static_cast<std::size_t>(item));
  return rows;
}

void ListViewTable::selectRows(const std::vector<std::size_t>& rows) {
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
  bool first = true;
  for (const std::size_t row : rows) {
    if (row >= shown_) continue;
    const UINT state = first ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED;
    ListView_SetItemState(list_, static_cast<int>(row), state, state);
    first = false;
  }
}

bool ListViewTable::onNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != list_) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
      const auto row = static_cast<std::size_t>(info.item.iItem);
      if (!(info.item.mask & LVIF_TEXT) || row >= shown_) return true;
      text_ = widen(rows_.cell(row, static_cast<std::size_t>(info.item.iSubItem)));
      info.item.pszText = text_.data();
      result = 0;
      return true;
    }
    case LVN_GETINFOTIPW: {
      auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(const_cast<NMHDR&>(header));
      const auto row = static_cast<std::size_t>(tip.iItem);
      if (row < shown_ && tip.cchTextMax > 0) {
        const std::wstring text = widen(rows_.tip(row));
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
        if (row < shown_ && rows_.greyed(row)) draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
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
