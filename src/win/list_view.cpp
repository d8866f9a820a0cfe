#include "win/list_view.h"

#include <commctrl.h>

namespace tarvane::win {

void ListView::SetExtendedStyle(DWORD styles) const {
    ListView_SetExtendedListViewStyleEx(hwnd_, static_cast<DWORD>(-1), styles);
}

bool ListView::InsertColumn(int index, const std::wstring& text, int width) const {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(text.c_str());
    return ::SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                          reinterpret_cast<LPARAM>(&column)) != -1;
}

int ListView::ItemCount() const {
    return static_cast<int>(::SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0));
}

int ListView::InsertItem(int index, const std::wstring& text) const {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return static_cast<int>(::SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListView::SetItemData(int row, LPARAM data) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    return ::SendMessageW(hwnd_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

LPARAM ListView::ItemData(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (::SendMessageW(hwnd_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) == FALSE) {
        return -1;
    }
    return item.lParam;
}

std::wstring ListView::ItemText(int row, int column) const {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(sizeof buffer / sizeof buffer[0]);
    const auto length =
        ::SendMessageW(hwnd_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::wstring(buffer, static_cast<std::size_t>(length));
}

bool ListView::SetItemText(int row, int column, const std::wstring& text) const {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return ::SendMessageW(hwnd_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(&item)) != FALSE;
}

bool ListView::SetItemState(int row, UINT state, UINT mask) const {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    return ::SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(&item)) != FALSE;
}

int ListView::NextItem(int start, UINT flags) const {
    return static_cast<int>(
        ::SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

bool ListView::DeleteAllItems() const {
    return ::SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0) != FALSE;
}

bool ListView::EnsureVisible(int row, bool partialOk) const {
    return ::SendMessageW(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), partialOk ? TRUE : FALSE) !=
           FALSE;
}

void ListView::SetRedraw(bool enable) const {
    ::SendMessageW(hwnd_, WM_SETREDRAW, enable ? TRUE : FALSE, 0);
}

} // namespace tarvane::win
