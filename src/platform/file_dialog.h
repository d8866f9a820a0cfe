// The system's Save As and Open dialogs (Windows only).
#pragma once

#ifdef _WIN32
#include "platform/win_types.h"

#include <string>

namespace tarvane {

struct FileDialogOptions {
    bool save = false;
    // Pairs of name and pattern, each ended by '|': "Text (*.txt)|*.txt|".
    const wchar_t* filter = L"";
    // Added to a typed name without one (Save As only).
    const wchar_t* defaultExtension = nullptr;
    // The dialog's caption; null for the system's.
    const wchar_t* title = nullptr;
    // The file name proposed in the dialog; empty for none.
    std::wstring fileName;
};

// 0 when a file was chosen (`path` receives its full path), 1 when the user
// cancelled, 2 when the dialog could not be shown.
int AskFileName(HWND owner, const FileDialogOptions& options, std::wstring& path);

} // namespace tarvane
#endif
