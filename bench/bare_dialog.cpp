// The start-up benchmark's baseline: the smallest dialog program with the kinds
// of controls the main window has (list view, edit, combo box, date picker,
// link, status bar). It is ready, as the benchmark sees it, once its window is
// visible with one list row and its status panes written.
#include <windows.h>

#include <commctrl.h>

#include "bare_dialog_ids.h"

namespace {

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND list = ::GetDlgItem(dialog, IDC_BARE_LIST);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 200;
        column.pszText = const_cast<wchar_t*>(L"Items");
        ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"Item");
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));

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

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_DATE_CLASSES | ICC_LINK_CLASS | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&classes);
    return static_cast<int>(
        ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_BARE_DIALOG), nullptr, BareDialogProc, 0));
}
