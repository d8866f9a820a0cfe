#include "backup/window_prompts.h"

#include "backup/restore.h"

#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace tarvane {
namespace {

constexpr DWORD kPathCapacity = 32767;
constexpr DWORD kSizingFlag = 0x00800000; // OFN_ENABLESIZING

// What tells the dialogs apart.
struct FileDialogSpec {
    const wchar_t* filter; // entries separated by "|"
    const wchar_t* defaultExtension;
    const wchar_t* title;  // null: the system's own
    std::wstring fileName; // proposed; empty for none
    bool save;
};

// "|" separates the entries; the dialog wants NULs.
std::wstring FilterText(const wchar_t* entries) {
    std::wstring filter = entries;
    for (wchar_t& ch : filter) {
        if (ch == L'|') {
            ch = L'\0';
        }
    }
    return filter;
}

int AskPath(HWND owner, std::wstring& path, const FileDialogSpec& spec) {
    path.clear();
    const std::wstring filter = FilterText(spec.filter);
    std::unique_ptr<wchar_t[]> own(new (std::nothrow) wchar_t[kPathCapacity]());
    wchar_t fallback[MAX_PATH] = {};
    wchar_t* buffer = own ? own.get() : fallback;
    const DWORD capacity = own ? kPathCapacity : MAX_PATH;
    // The proposed name goes into the buffer, where the dialog reads it from.
    const auto propose = [&] {
        const std::size_t length = std::min<std::size_t>(spec.fileName.size(), capacity - 1);
        spec.fileName.copy(buffer, length);
        buffer[length] = 0;
    };
    propose();

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = capacity;
    dialog.lpstrTitle = spec.title;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ENABLESIZING;
    if (spec.save) {
        dialog.lpstrDefExt = spec.defaultExtension;
    } else {
        dialog.Flags |= OFN_FILEMUSTEXIST;
    }
    auto show = [&] { return spec.save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog); };
    BOOL ok = show();
    if (!ok && ::CommDlgExtendedError() != 0) {
        // Older dialog code knows only the short structure and no sizing.
        dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
        dialog.Flags &= ~kSizingFlag;
        propose();
        ok = show();
    }
    if (ok) {
        buffer[capacity - 1] = 0;
        path = buffer;
        return 0;
    }
    return ::CommDlgExtendedError() == 0 ? 1 : 2;
}

constexpr wchar_t kBackupFilter[] = L"Time Zones Backup Files (*.trvbkp)|*.trvbkp|All Files (*.*)|*.*|";

} // namespace

int AskBackupSavePath(HWND owner, std::wstring& path) {
    return AskPath(owner, path, {kBackupFilter, L"trvbkp", nullptr, std::wstring(), true});
}

int AskBackupOpenPath(HWND owner, std::wstring& path) {
    return AskPath(owner, path,
                   {kBackupFilter, nullptr, L"Select Time Zones Backup File", std::wstring(), false});
}

int AskZoneFileSavePath(HWND owner, const std::wstring& fileName, std::wstring& path) {
    return AskPath(owner, path,
                   {L"Registration Files (*.reg)|*.reg|All Files (*.*)|*.*|", L"reg", L"Export Time Zone",
                    fileName, true});
}

int WindowPrompts::ShowMessage(const std::wstring& text, UINT flags) {
    return ::MessageBoxW(owner_, text.c_str(), kAppName, flags);
}

void WindowPrompts::BeginWaitCursor() {
    const HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    if (waitDepth_++ == 0) {
        previous_ = previous;
    }
}

void WindowPrompts::EndWaitCursor() {
    if (waitDepth_ > 0 && --waitDepth_ == 0) {
        ::SetCursor(previous_ ? previous_ : ::LoadCursorW(nullptr, IDC_ARROW));
    }
}

void WindowPrompts::Beep() {
    ::MessageBeep(MB_ICONHAND);
}

void OnDropFiles(BackupContext& context, HDROP drop) {
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> names;
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) {
            continue;
        }
        std::vector<wchar_t> name(length + 1, 0);
        if (::DragQueryFileW(drop, i, name.data(), length + 1) != length) {
            continue;
        }
        names.emplace_back(name.data(), length);
    }
    if (count == 0) {
        context.prompts.Beep();
        return;
    }
    if (names.empty()) {
        names.emplace_back(); // none qualifies: the handler beeps
    }
    DropBackupFiles(context, names);
}

} // namespace tarvane
