// The program's prompts: its message boxes, captioned with its name, and its
// file dialogs (a backup file, an exported zone, a CSV list), which tests
// answer through one handler.
#pragma once

#include "platform/file_dialog.h"
#include "platform/win_types.h"
#include "win/message_box.h"

#include <functional>
#include <string>

namespace tarvane::ui {

// Shows a message box captioned "Tarvane"; the button the user chose.
int ShowMessage(HWND owner, const std::wstring& text, UINT type);

// The save and open dialogs of a backup file, the save dialog of an exported
// zone and that of a CSV list (`path` set when chosen). One handler answers
// them all in tests; it finds in `path` the file name the dialog proposes
// (empty for a backup).
using FileDialogHandler = std::function<FileChoice(HWND owner, bool save, std::wstring* path)>;
FileChoice AskBackupPath(HWND owner, bool save, std::wstring* path);
// The save dialog of an exported zone, proposing `fileName`.
FileChoice AskZoneFilePath(HWND owner, const std::wstring& fileName, std::wstring* path);
FileChoice AskCsvSavePath(HWND owner, std::wstring* path);
// The open dialog of a tz release (a tarball, a tzdata.zi or a file of an
// extracted release's folder).
FileChoice AskTzReleasePath(HWND owner, std::wstring* path);
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

} // namespace tarvane::ui
