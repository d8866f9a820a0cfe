// The start-up benchmark's baseline: the smallest dialog program with the kinds
// of controls the main window has (list view, edit, combo box, date picker,
// link, status bar). It is ready, as the benchmark sees it, once its window is
// visible with one list row and its status panes written.
#include <windows.h>

#include <commctrl.h>

#include "bare_dialog_ids.h"
#include "baseline_dialog.h"

namespace {

DWORD OneRow() {
    return 1;
}

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    return tarvane::bench::BaselineDialogMessage(dialog, message, IDC_BARE_LIST, OneRow);
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
