// Looks at the running program's main window from outside, as a user's tools
// would: it finds the window, counts the zone list's rows and checks which row
// is selected, comparing with what the loader reads from the same registry;
// and it reads the clock panes of the status bar.
#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "core/zone_loader.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "win32/scratch_registry.h"
#include "zone_fixtures.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

HWND FindMainWindow(int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        HWND window = nullptr;
        while ((window = ::FindWindowExW(nullptr, window, L"TarvaneLabs.Tarvane.MainDialog", nullptr)) !=
               nullptr) {
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

// Memory inside the program's process, for the status bar messages that
// pass pointers.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, std::size_t size) : size_(size) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_ != nullptr) {
            address_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        }
    }
    ~RemoteBuffer() {
        if (address_ != nullptr) {
            ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            ::CloseHandle(process_);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ok() const { return address_ != nullptr; }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
    bool Read(void* into, std::size_t size) const {
        SIZE_T read = 0;
        return size <= size_ && ::ReadProcessMemory(process_, address_, into, size, &read) && read == size;
    }
    bool Write(const void* from, std::size_t size) const {
        SIZE_T written = 0;
        return size <= size_ && ::WriteProcessMemory(process_, address_, from, size, &written) &&
               written == size;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    std::size_t size_;
};

std::wstring PaneText(HWND bar, int index) {
    const auto length = LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0));
    RemoteBuffer buffer(bar, (length + 1u) * sizeof(wchar_t));
    if (!buffer.Ok()) {
        return L"(no remote memory)";
    }
    ::SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(index), buffer.Address());
    std::wstring text(length, L'\0');
    if (!buffer.Read(text.data(), length * sizeof(wchar_t))) {
        return L"(unreadable)";
    }
    return text;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The text of the zone list's selected row; empty when none is selected.
std::wstring SelectedRowText(HWND list) {
    const auto row =
        static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) {
        return std::wstring();
    }
    constexpr int kCapacity = 256;
    RemoteBuffer buffer(list, sizeof(LVITEMW) + kCapacity * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = 0;
    item.cchTextMax = kCapacity;
    item.pszText = reinterpret_cast<LPWSTR>(buffer.Address() + static_cast<LPARAM>(sizeof(LVITEMW)));
    if (!buffer.Ok() || !buffer.Write(&item, sizeof item)) {
        return L"(no remote memory)";
    }
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), buffer.Address());
    std::vector<BYTE> bytes(sizeof(LVITEMW) + kCapacity * sizeof(wchar_t));
    if (!buffer.Read(bytes.data(), bytes.size())) {
        return L"(unreadable)";
    }
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + sizeof(LVITEMW)), kCapacity);
    return text.substr(0, text.find(L'\0'));
}

int CheckStatusBar(HWND window) {
    HWND bar = ::GetDlgItem(window, 0xE801);
    if (bar == nullptr) {
        return Fail("no status bar");
    }
    wchar_t className[64] = {};
    ::GetClassNameW(bar, className, 64);
    const auto parts = static_cast<int>(::SendMessageW(bar, SB_GETPARTS, 0, 0));
    int edges[4] = {};
    RemoteBuffer buffer(bar, sizeof edges);
    if (buffer.Ok()) {
        ::SendMessageW(bar, SB_GETPARTS, 4, buffer.Address());
        buffer.Read(edges, sizeof edges);
    }
    RECT barClient{};
    RECT barRect{};
    RECT windowRect{};
    ::GetClientRect(bar, &barClient);
    ::GetWindowRect(bar, &barRect);
    ::GetClientRect(window, &windowRect);
    POINT barBottom{0, barRect.bottom};
    ::ScreenToClient(window, &barBottom);
    std::printf("status bar class=%ls parts=%d edges=%d,%d,%d,%d bottom=%ld of %ld\n", className, parts,
                edges[0], edges[1], edges[2], edges[3], barBottom.y, windowRect.bottom);
    if (parts != 4) {
        return Fail("the status bar does not have four parts");
    }
    const int width = barClient.right - barClient.left;
    const int quarter = width * 25 / 100;
    if (edges[0] != quarter || edges[1] != 2 * quarter || edges[2] != 3 * quarter || edges[3] != -1) {
        return Fail("the panes are not a quarter wide each with the last one stretching");
    }
    if (barBottom.y != windowRect.bottom) {
        return Fail("the status bar is not at the bottom");
    }
    const std::wstring local = PaneText(bar, 0);
    const std::wstring utc = PaneText(bar, 1);
    const std::wstring begins = PaneText(bar, 2);
    const std::wstring ends = PaneText(bar, 3);
    std::printf("panes: [%ls] [%ls] [%ls] [%ls]\n", local.c_str(), utc.c_str(), begins.c_str(), ends.c_str());
    if (!StartsWith(local, L"Local: ") || local.find(L"rror") != std::wstring::npos) {
        return Fail("the first pane does not show the local time");
    }
    if (!StartsWith(utc, L"UTC: ") || utc.size() != std::wstring(L"UTC: 2026-12-08T17:04:05Z").size() ||
        utc.back() != L'Z') {
        return Fail("the second pane does not show the UTC time");
    }
    // The test runs in America/Los_Angeles, which has daylight saving.
    if (!StartsWith(begins, L"DST Begins: ") || begins.find(L"error") != std::wstring::npos ||
        begins == L"DST Begins: -") {
        return Fail("the third pane does not show when daylight saving begins");
    }
    if (!StartsWith(ends, L"DST Ends: ") || ends.find(L"error") != std::wstring::npos ||
        ends == L"DST Ends: -") {
        return Fail("the fourth pane does not show when daylight saving ends");
    }
    // The clock ticks every second.
    ::Sleep(2200);
    if (PaneText(bar, 1) == utc) {
        return Fail("the UTC pane did not move on");
    }
    return 0;
}

} // namespace

// Lets this prefix's Time Zones key be read but not written by anyone, as a
// non-elevated user finds it.
int DenyWrite() {
    const LONG result = tarvane::test::RestrictToReading(
        L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones", WRITE_DAC | READ_CONTROL);
    return result == ERROR_SUCCESS ? 0 : Fail("cannot restrict the Time Zones key");
}

// Asks the running window to edit its zone; without write access it hands the
// edit to an elevated copy and closes. The copy must come up in edit mode on
// the same zone.
int CheckRelaunch(HWND parent) {
    DWORD parentId = 0;
    ::GetWindowThreadProcessId(parent, &parentId);
    wchar_t expectedName[256] = {};
    ::GetDlgItemTextW(parent, 1008, expectedName, 256);
    HANDLE parentProcess = ::OpenProcess(SYNCHRONIZE, FALSE, parentId);
    ::PostMessageW(parent, WM_COMMAND, 32776, 0);
    if (parentProcess == nullptr || ::WaitForSingleObject(parentProcess, 60000) != WAIT_OBJECT_0) {
        return Fail("the first instance did not close");
    }
    ::CloseHandle(parentProcess);
    for (int i = 0; i < 600; ++i) {
        HWND window = nullptr;
        while ((window = ::FindWindowExW(nullptr, window, L"TarvaneLabs.Tarvane.MainDialog", nullptr)) !=
               nullptr) {
            DWORD id = 0;
            ::GetWindowThreadProcessId(window, &id);
            const bool edit = !::IsWindowVisible(::GetDlgItem(window, 1006)) &&
                              ::IsWindowVisible(::GetDlgItem(window, 1044));
            if (id != parentId && edit) {
                wchar_t name[256] = {};
                ::GetDlgItemTextW(window, 1008, name, 256);
                if (std::wstring(name) != expectedName) {
                    return Fail("the copy edits another zone");
                }
                std::printf("OK: the elevated copy edits the zone\n");
                return 0;
            }
        }
        ::Sleep(100);
    }
    return Fail("no copy in edit mode appeared");
}

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"check";
    if (command == L"deny-write") {
        return DenyWrite();
    }
    if (command == L"export" && argc > 2) {
        // A backup file as the program writes it, of this prefix's database.
        std::wstring text;
        if (!tarvane::ExportTimeZoneDatabase(tarvane::SystemRegistry(), text)) {
            return Fail("the export failed");
        }
        const std::vector<BYTE> bytes = tarvane::BackupFileBytes(text);
        FILE* out = _wfopen(argv[2], L"wb");
        if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
            return Fail("cannot write the backup file");
        }
        std::fclose(out);
        return 0;
    }
    HWND window = FindMainWindow(60);
    if (window == nullptr) {
        return Fail("the main window did not appear");
    }
    if (command == L"close") {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"relaunch") {
        return CheckRelaunch(window);
    }
    if (command == L"expect-name" && argc > 2) {
        wchar_t name[256] = {};
        for (int i = 0; i < 50; ++i) {
            ::GetDlgItemTextW(window, 1008, name, 256);
            if (std::wstring(name) == argv[2]) {
                std::printf("OK: the window shows the zone\n");
                return 0;
            }
            ::Sleep(100);
        }
        return Fail("the window shows another zone");
    }
    if (command == L"expect-row" && argc > 2) {
        // The zone list shows a row with this text, and it is the selected one.
        std::wstring text;
        for (int i = 0; i < 50; ++i) {
            text = SelectedRowText(::GetDlgItem(window, 1006));
            if (text == argv[2]) {
                std::printf("OK: the list shows the zone, selected\n");
                return 0;
            }
            ::Sleep(100);
        }
        std::printf("selected row: %ls\n", text.c_str());
        return Fail("the list does not show the zone selected");
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
    if (CheckStatusBar(window) != 0) {
        return 1;
    }
    std::printf("OK\n");
    return 0;
}
