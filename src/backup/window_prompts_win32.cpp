#include "backup/window_prompts.h"

#include "backup/restore.h"

#include <commdlg.h>

#include <memory>
#include <new>
#include <vector>

namespace tarvane {
namespace {

constexpr DWORD kPathCapacity = 32767;
constexpr DWORD kSizingFlag = 0x00800000; // OFN_ENABLESIZING

// "|" separates the entries; the dialog wants NULs.
std::wstring FilterText() {
    std::wstring filter = L"Time Zones Backup Files (*.trvbkp)|*.trvbkp|All Files (*.*)|*.*|";
    for (wchar_t& ch : filter) {
        if (ch == L'|') {
            ch = L'\0';
        }
    }
    return filter;
}

int AskBackupPath(HWND owner, std::wstring& path, bool save) {
    path.clear();
    const std::wstring filter = FilterText();
    std::unique_ptr<wchar_t[]> own(new (std::nothrow) wchar_t[kPathCapacity]());
    wchar_t fallback[MAX_PATH] = {};
    wchar_t* buffer = own ? own.get() : fallback;
    const DWORD capacity = own ? kPathCapacity : MAX_PATH;

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = capacity;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ENABLESIZING;
    if (save) {
        dialog.lpstrDefExt = L"trvbkp";
    } else {
        dialog.Flags |= OFN_FILEMUSTEXIST;
        dialog.lpstrTitle = L"Select Time Zones Backup File";
    }
    auto show = [&] { return save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog); };
    BOOL ok = show();
    if (!ok && ::CommDlgExtendedError() != 0) {
        // Older dialog code knows only the short structure and no sizing.
        dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
        dialog.Flags &= ~kSizingFlag;
        buffer[0] = 0;
        ok = show();
    }
    if (ok) {
        buffer[capacity - 1] = 0;
        path = buffer;
        return 0;
    }
    return ::CommDlgExtendedError() == 0 ? 1 : 2;
}

// The drop's memory, freed on every path out of the handler.
class DropHolder {
public:
    explicit DropHolder(HDROP drop) : drop_(drop) {}
    ~DropHolder() { ::DragFinish(drop_); }
    DropHolder(const DropHolder&) = delete;
    DropHolder& operator=(const DropHolder&) = delete;

private:
    HDROP drop_;
};

} // namespace

int AskBackupSavePath(HWND owner, std::wstring& path) {
    return AskBackupPath(owner, path, true);
}

int AskBackupOpenPath(HWND owner, std::wstring& path) {
    return AskBackupPath(owner, path, false);
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
    const DropHolder holder(drop);
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
