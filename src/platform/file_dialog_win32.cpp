#include "platform/file_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <new>

namespace tarvane {
namespace {

constexpr DWORD kPathCapacity = 32767;
constexpr DWORD kSizingFlag = 0x00800000; // OFN_ENABLESIZING

// "|" separates the entries; the dialog wants NULs.
std::wstring FilterText(const wchar_t* filter) {
    std::wstring text = filter;
    for (wchar_t& ch : text) {
        if (ch == L'|') {
            ch = L'\0';
        }
    }
    return text;
}

} // namespace

FileChoice AskFileName(HWND owner, const FileDialogOptions& options, std::wstring& path) {
    path.clear();
    const std::wstring filter = FilterText(options.filter);
    std::unique_ptr<wchar_t[]> own(new (std::nothrow) wchar_t[kPathCapacity]());
    wchar_t fallback[MAX_PATH] = {};
    wchar_t* buffer = own ? own.get() : fallback;
    const DWORD capacity = own ? kPathCapacity : MAX_PATH;
    // The proposed name goes into the buffer, where the dialog reads it from.
    const auto propose = [&] {
        const std::size_t length = std::min<std::size_t>(options.fileName.size(), capacity - 1);
        options.fileName.copy(buffer, length);
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
    dialog.lpstrTitle = options.title;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ENABLESIZING;
    if (options.save) {
        dialog.lpstrDefExt = options.defaultExtension;
    } else {
        dialog.Flags |= OFN_FILEMUSTEXIST;
    }
    auto show = [&] { return options.save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog); };
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
        return FileChoice::kChosen;
    }
    return ::CommDlgExtendedError() == 0 ? FileChoice::kCancelled : FileChoice::kFailed;
}

} // namespace tarvane
