// Looks at the running program's main window from outside, as a user's tools
// would: it finds the window, counts the zone list's rows and checks which row
// is selected, comparing with what the loader reads from the same registry.
#include "core/zone_loader.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "zone_fixtures.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

HWND FindMainWindow(int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        HWND window = nullptr;
        while ((window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr) {
            wchar_t title[256] = {};
            ::GetWindowTextW(window, title, 256);
            if (std::wstring(title).rfind(L"Tarvane", 0) == 0 && ::IsWindowVisible(window)) {
                return window;
            }
        }
        ::Sleep(100);
    }
    return nullptr;
}

int Fail(const char* what) {
    std::printf("FAIL: %s\n", what);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"check";
    HWND window = FindMainWindow(60);
    if (window == nullptr) {
        return Fail("the main window did not appear");
    }
    if (command == L"close") {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"expect-edit" || command == L"expect-view") {
        // Edit mode hides the list and shows Save Changes and Cancel.
        const bool edit = command == L"expect-edit";
        for (int i = 0; i < 50; ++i) {
            const bool listShown = ::IsWindowVisible(::GetDlgItem(window, 1006)) != FALSE;
            const bool saveShown = ::IsWindowVisible(::GetDlgItem(window, 1044)) != FALSE;
            if (listShown != edit && saveShown == edit) {
                std::printf("OK: %s mode\n", edit ? "edit" : "view");
                return 0;
            }
            ::Sleep(100);
        }
        return Fail(edit ? "the window is not in edit mode" : "the window is not in view mode");
    }
    HWND list = ::GetDlgItem(window, 1006);
    if (list == nullptr) {
        return Fail("no zone list 1006");
    }
    tarvane::test::FakeListView view;
    std::vector<tarvane::TimeZoneRecord> records;
    tarvane::LoadTimeZones(tarvane::SystemRegistry(), tarvane::SystemTimeZoneApi(), view, records,
                           std::wstring());

    const auto rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const auto selected =
        static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    wchar_t title[512] = {};
    ::GetWindowTextW(window, title, 512);
    std::printf("rows=%d zones=%d selected=%d expected=%d\n", rows, static_cast<int>(records.size()),
                selected, view.selected);
    if (rows != static_cast<int>(records.size()) || rows < 100) {
        return Fail("the list does not show every zone");
    }
    if (selected != view.selected || selected < 0) {
        return Fail("the current zone is not the selected row");
    }
    const std::wstring expectedTitle =
        L"Tarvane - \"" + records[static_cast<std::size_t>(selected)].displayName + L"\"";
    if (expectedTitle != title) {
        return Fail("the title does not name the current zone");
    }
    std::printf("OK\n");
    return 0;
}
