#include "backup/window_prompts.h"

#include "backup/make_backup.h"
#include "backup/restore.h"
#include "platform/file_dialog.h"

#include <vector>

namespace tarvane {
namespace {

FileChoice AskBackupPath(HWND owner, std::wstring& path, bool save) {
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

FileChoice AskBackupSavePath(HWND owner, std::wstring& path) {
    return AskBackupPath(owner, path, true);
}

FileChoice AskBackupOpenPath(HWND owner, std::wstring& path) {
    return AskBackupPath(owner, path, false);
}

FileChoice AskZoneFileSavePath(HWND owner, const std::wstring& fileName, std::wstring& path) {
    FileDialogOptions options;
    options.save = true;
    options.filter = L"Registration Files (*.reg)|*.reg|All Files (*.*)|*.*|";
    options.defaultExtension = L"reg";
    options.title = L"Export Time Zone";
    options.fileName = fileName;
    return AskFileName(owner, options, path);
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
