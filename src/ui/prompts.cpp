#include "ui/prompts.h"

#include "backup/host.h"
#include "backup/make_backup.h"
#include "platform/product.h"

namespace tarvane::ui {
namespace {

FileDialogHandler& FileHandler() {
    static FileDialogHandler handler;
    return handler;
}

// The save dialog proposes today's backup name; the open dialog is titled.
FileChoice ShowBackupDialog(HWND owner, bool save, std::wstring& path) {
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

} // namespace

int ShowMessage(HWND owner, const std::wstring& text, UINT type) {
    return win::ShowMessageBox(owner, kApplicationName, text, type);
}

FileChoice AskBackupPath(HWND owner, bool save, std::wstring* path) {
    if (FileHandler()) {
        if (save) {
            SYSTEMTIME today{};
            ::GetLocalTime(&today);
            *path = SuggestedBackupFileName(today);
        }
        return FileHandler()(owner, save, path);
    }
    return ShowBackupDialog(owner, save, *path);
}

FileChoice AskZoneFilePath(HWND owner, const std::wstring& fileName, std::wstring* path) {
    if (FileHandler()) {
        *path = fileName;
        return FileHandler()(owner, true, path);
    }
    FileDialogOptions options;
    options.save = true;
    options.filter = L"Registration Files (*.reg)|*.reg|All Files (*.*)|*.*|";
    options.defaultExtension = L"reg";
    options.title = L"Export Time Zone";
    options.fileName = fileName;
    return AskFileName(owner, options, *path);
}

FileChoice AskCsvSavePath(HWND owner, std::wstring* path) {
    if (FileHandler()) {
        return FileHandler()(owner, true, path);
    }
    FileDialogOptions options;
    options.save = true;
    options.filter = L"CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|";
    options.defaultExtension = L"csv";
    return AskFileName(owner, options, *path);
}

FileChoice AskTzReleasePath(HWND owner, std::wstring* path) {
    if (FileHandler()) {
        return FileHandler()(owner, false, path);
    }
    FileDialogOptions options;
    options.filter =
        L"tz Releases (*.tar.gz;*.tgz;*.zi;version)|*.tar.gz;*.tgz;*.zi;version|All Files (*.*)|*.*|";
    options.title = L"Open tz Release";
    return AskFileName(owner, options, *path);
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
    FileDialogHandler previous = std::move(FileHandler());
    FileHandler() = std::move(handler);
    return previous;
}

} // namespace tarvane::ui
