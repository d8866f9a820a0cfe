// The program's message boxes go through one function, so that tests can
// answer them.
#pragma once

#include "platform/file_dialog.h"
#include "platform/win_types.h"

#include <functional>
#include <string>

namespace tarvane::ui {

using MessageBoxHandler = std::function<int(HWND owner, const std::wstring& text, UINT type)>;

// Shows a message box captioned "Tarvane"; the button the user chose.
int ShowMessage(HWND owner, const std::wstring& text, UINT type);

// Replaces the message box (tests answer it this way); an empty handler
// restores the real one. The previous handler is returned.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The save and open dialogs of a backup file, the save dialog of an exported
// zone and that of a CSV list (`path` set when chosen). One handler answers them all in tests; it finds
// in `path` the file name the dialog proposes (empty for a backup).
using FileDialogHandler = std::function<FileChoice(HWND owner, bool save, std::wstring* path)>;
FileChoice AskBackupPath(HWND owner, bool save, std::wstring* path);
// The save dialog of an exported zone, proposing `fileName`.
FileChoice AskZoneFilePath(HWND owner, const std::wstring& fileName, std::wstring* path);
FileChoice AskCsvSavePath(HWND owner, std::wstring* path);
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

} // namespace tarvane::ui
