// What both start-up baselines do with their dialog: once it is made, a list
// column and `rows` rows in the list `listId`, and a status bar with four
// written panes (ready, as the benchmark sees it); on WM_CLOSE, the end.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace tarvane::bench {

inline INT_PTR BaselineDialogMessage(HWND dialog, UINT message, int listId, DWORD (*rows)()) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND list = ::GetDlgItem(dialog, listId);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 200;
        column.pszText = const_cast<wchar_t*>(L"Items");
        ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        const DWORD count = rows();
        for (DWORD row = 0; row < count; ++row) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.pszText = const_cast<wchar_t*>(L"Item");
            ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        HWND bar = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0,
                                     0, 0, dialog, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        const int edges[4] = {100, 200, 300, -1};
        ::SendMessageW(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
        for (WPARAM part = 0; part < 4; ++part) {
            ::SendMessageW(bar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(L"Pane"));
        }
        return TRUE;
    }
    case WM_CLOSE:
        ::EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace tarvane::bench
