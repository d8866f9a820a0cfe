// The system's Save As and Open dialogs (Windows only), and how any file
// dialog of the program ends.
#pragma once

namespace tarvane {

// A file was chosen (the caller's path receives its full path), the user
// cancelled, or the dialog could not be shown. The values are those the log
// lines of a failed dialog show.
enum class FileChoice { kChosen = 0, kCancelled = 1, kFailed = 2 };

} // namespace tarvane

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

FileChoice AskFileName(HWND owner, const FileDialogOptions& options, std::wstring& path);

} // namespace tarvane
#endif
