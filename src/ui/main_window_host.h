// What the backup and restore commands reach through the main window: its
// prompts (message boxes, file dialogs, the wait cursor, the beep) and the
// per-user setting that a backup has been made.
#pragma once

#include "backup/host.h"
#include "platform/registry.h"
#include "platform/settings_store.h"

namespace tarvane::ui {

class MainWindowPrompts : public Prompts {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    int ShowMessage(const std::wstring& text, UINT flags) override;
    FileChoice AskSavePath(std::wstring* path) override;
    FileChoice AskOpenPath(std::wstring* path) override;
    FileChoice AskZoneFilePath(const std::wstring& fileName, std::wstring* path) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void Beep() override;

private:
    HWND owner_ = nullptr;
    int waitDepth_ = 0;
    HCURSOR previous_ = nullptr;
};

// BackupSavedOnce written at the settings location.
class SettingsBackupFlag : public BackupSettings {
public:
    SettingsBackupFlag(RegistryApi& registry, const SettingsLocation& location)
        : registry_(registry), location_(location) {}
    bool WriteBackupSavedOnce() override {
        return tarvane::WriteBackupSavedOnce(registry_, location_.root, location_.path);
    }

private:
    RegistryApi& registry_;
    const SettingsLocation& location_;
};

} // namespace tarvane::ui
