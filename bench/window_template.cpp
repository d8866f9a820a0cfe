// The start-up benchmark's second baseline: Tarvane's own main window with
// nothing of the program behind it. It makes the window from the dialog
// template inside the tarvane.exe named on its command line (the same
// controls, menu and font), fills the list with as many rows as the machine
// has zones and writes the status panes, as the bare dialog does. What
// Tarvane takes beyond this is its own work; the rest is what the platform
// charges for a window with these controls.
//
//   window_template PATH-OF-TARVANE.EXE
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "platform/registry.h"
#include "resources/resource.h"
#include "ui/window_class.h"

namespace {

DWORD ZoneCount() {
    HKEY key = nullptr;
    DWORD count = 0;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, tarvane::kTimeZonesPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr);
        ::RegCloseKey(key);
    }
    return count;
}

INT_PTR CALLBACK TemplateProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND list = ::GetDlgItem(dialog, IDC_ZONE_LIST);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 200;
        column.pszText = const_cast<wchar_t*>(L"Time Zones");
        ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        const DWORD rows = ZoneCount();
        for (DWORD row = 0; row < rows; ++row) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.pszText = const_cast<wchar_t*>(L"(UTC) Zone");
            ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        HWND bar = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0,
                                     0, 0, dialog, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        const int edges[4] = {150, 300, 450, -1};
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

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    HMODULE program = arguments != nullptr && count == 2
                          ? ::LoadLibraryExW(arguments[1], nullptr,
                                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)
                          : nullptr;
    ::LocalFree(arguments);
    if (program == nullptr) {
        return 2;
    }
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = 0xFF;
    ::InitCommonControlsEx(&classes);
    // The template names the program's window class: the same class, made
    // global so that a template from another module finds it.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    ::GetClassInfoExW(nullptr, L"#32770", &windowClass);
    windowClass.style |= CS_GLOBALCLASS;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = tarvane::ui::kMainDialogClassName;
    ::RegisterClassExW(&windowClass);
    const INT_PTR result =
        ::DialogBoxParamW(program, MAKEINTRESOURCEW(IDD_TARVANE_DIALOG), nullptr, TemplateProc, 0);
    ::FreeLibrary(program);
    return static_cast<int>(result);
}
