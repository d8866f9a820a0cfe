// The prompts of the backup commands as Windows shows them (Windows only).
#pragma once

#ifdef _WIN32
#include "backup/backup_context.h"

#include <shellapi.h>

#include <string>

namespace tarvane {

// The save and open dialogs of a backup file: 0 chosen (`path` receives the
// full path), 1 cancelled, 2 the dialog could not be shown.
int AskBackupSavePath(HWND owner, std::wstring& path);
int AskBackupOpenPath(HWND owner, std::wstring& path);
// The save dialog of one exported zone, titled "Export Time Zone", proposing
// `fileName`; the same results.
int AskZoneFileSavePath(HWND owner, const std::wstring& fileName, std::wstring& path);

// Message boxes, dialogs, the wait cursor and the beep, owned by `owner`.
class WindowPrompts : public Prompts {
public:
    explicit WindowPrompts(HWND owner) : owner_(owner) {}
    int ShowMessage(const std::wstring& text, UINT flags) override;
    int AskSavePath(std::wstring* path) override { return AskBackupSavePath(owner_, *path); }
    int AskOpenPath(std::wstring* path) override { return AskBackupOpenPath(owner_, *path); }
    int AskZoneFilePath(const std::wstring& fileName, std::wstring* path) override {
        return AskZoneFileSavePath(owner_, fileName, *path);
    }
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void Beep() override;

private:
    HWND owner_;
    int waitDepth_ = 0;
    HCURSOR previous_ = nullptr;
};

// WM_DROPFILES: the dropped names handed to DropBackupFiles; the drop is
// freed (DragFinish) on every path. The caller then passes the message on to
// the default processing.
void OnDropFiles(BackupContext& context, HDROP drop);

} // namespace tarvane
#endif
