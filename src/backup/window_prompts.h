// The prompts of the backup commands as Windows shows them (Windows only).
#pragma once

#ifdef _WIN32
#include "backup/backup_context.h"

#include <shellapi.h>

#include <string>

namespace tarvane {

// The save and open dialogs of a backup file (`path` receives the full path).
FileChoice AskBackupSavePath(HWND owner, std::wstring& path);
FileChoice AskBackupOpenPath(HWND owner, std::wstring& path);
// The save dialog of one exported zone, titled "Export Time Zone", proposing
// `fileName`.
FileChoice AskZoneFileSavePath(HWND owner, const std::wstring& fileName, std::wstring& path);

// WM_DROPFILES: the dropped names handed to DropBackupFiles; the drop is
// freed (DragFinish) on every path. The caller then passes the message on to
// the default processing.
void OnDropFiles(BackupContext& context, HDROP drop);

} // namespace tarvane
#endif
