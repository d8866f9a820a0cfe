// Backup files dropped on the main window (Windows only).
#pragma once

#include "backup/backup_context.h"

#include <shellapi.h>

namespace tarvane::ui {

// WM_DROPFILES: the dropped names handed to DropBackupFiles; the drop is
// freed (DragFinish) on every path. The caller then passes the message on to
// the default processing.
void OnDropFiles(BackupContext& context, HDROP drop);

} // namespace tarvane::ui
