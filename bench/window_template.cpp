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

#include "baseline_dialog.h"
#include "platform/registry.h"
#include "resources/resource.h"
#include "win/window_class.h"

namespace {

DWORD ZoneCount() {
    HKEY key = nullptr;
    DWORD count = 0;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, tarvane::kTimeZonesPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr);
        ::RegCloseKey(key);
    }
    return count;
}

INT_PTR CALLBACK TemplateProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    return tarvane::bench::BaselineDialogMessage(dialog, message, IDC_ZONE_LIST, ZoneCount);
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
    windowClass.lpszClassName = tarvane::win::kMainDialogClassName;
    ::RegisterClassExW(&windowClass);
    const INT_PTR result =
        ::DialogBoxParamW(program, MAKEINTRESOURCEW(IDD_TARVANE_DIALOG), nullptr, TemplateProc, 0);
    ::FreeLibrary(program);
    return static_cast<int>(result);
}
