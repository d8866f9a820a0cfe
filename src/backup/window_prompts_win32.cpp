#include "backup/window_prompts.h"

#include "backup/make_backup.h"
#include "backup/restore.h"
#include "platform/file_dialog.h"

#include <vector>

namespace tarvane {
namespace {

int AskBackupPath(HWND owner, std::wstring& path, bool save) {
    FileDialogOptions options;
    options.save = save;
    options.filter = L"Time Zones Backup Files (*.trvbkp)|*.trvbkp|All Files (*.*)|*.*|";
    options.defaultExtension = save ? L"trvbkp" : nullptr;
    options.title = save ? nullptr : L"Select Time Zones Backup File";
    if (save) {
        SYSTEMTIME today{};
        ::GetLocalTime(&today);
        options.fileName = SuggestedBackupFileName(today);
    }
    return AskFileName(owner, options, path);
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

int AskZoneFileSavePath(HWND owner, const std::wstring& fileName, std::wstring& path) {
    FileDialogOptions options;
    options.save = true;
    options.filter = L"Registration Files (*.reg)|*.reg|All Files (*.*)|*.*|";
    options.defaultExtension = L"reg";
    options.title = L"Export Time Zone";
    options.fileName = fileName;
    return AskFileName(owner, options, path);
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
