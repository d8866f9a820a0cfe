#include "backup/export_zone.h"

#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"

namespace tarvane {
namespace {

constexpr RegistryFileLogLines kZoneFileLines = {
    L"[262] file=\"%s\"", L"[263] file=\"%s\"", L"[264] sz1=%d, sz2=%d, file=\"%s\"",
    L"[265] file=\"%s\", ln=%d", L"[266] sz1=%d, sz2=%d, file=\"%s\""};

bool FitsFileName(wchar_t ch) {
    return ch >= 0x20 && std::wstring_view(L"<>:\"/\\|?*").find(ch) == std::wstring_view::npos;
}

} // namespace

std::wstring ZoneFileName(const std::wstring& keyName) {
    std::wstring name = keyName;
    for (wchar_t& ch : name) {
        if (!FitsFileName(ch)) {
            ch = L'_';
        }
    }
    return name + kZoneFileExtension;
}

LONG ExportZoneText(RegistryApi& registry, const std::wstring& keyName, std::wstring& text) {
    text = Format(L"%s\n\n", kRegistryFileHeader);
    // An empty name would export the whole Time Zones key, and a backslash
    // would reach below a zone: neither is one zone.
    if (keyName.empty() || keyName.find(L'\\') != std::wstring::npos) {
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    }
    const LONG result = ExportRegistryKey(registry, kHkeyLocalMachine, kLocalMachineName,
                                          Format(L"%s\\%s", kTimeZonesPath, keyName), text);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    text = TrimWhiteSpace(text) + L"\n\n";
    // Where the zone came from goes with it, for Check Against tz Database.
    AddZoneSourceComments(ReadZoneSources(registry), text);
    return ERROR_SUCCESS;
}

void ExportTimeZone(BackupContext& context, const std::wstring& keyName) {
    Prompts& prompts = context.prompts;
    const WaitCursor wait(prompts);
    std::wstring text;
    const LONG result = ExportZoneText(context.registry, keyName, text);
    if (result != ERROR_SUCCESS) {
        const auto error = static_cast<DWORD>(result);
        SetThreadLastError(error);
        LogMessage(L"[260] key=\"%s\"", keyName);
        prompts.ShowMessage(
            Format(L"ERROR: Failed to collect the time zone \"%s\" from the system registry.\n\n(%d) %s",
                   keyName, error, GetErrorText(error)),
            MB_OK | MB_ICONERROR);
        return;
    }

    std::wstring path;
    const FileChoice choice = prompts.AskZoneFilePath(ZoneFileName(keyName), &path);
    if (choice == FileChoice::kCancelled) {
        return;
    }
    if (choice != FileChoice::kChosen) {
        LogMessage(L"[261] res=%d", static_cast<int>(choice));
        return;
    }

    const WaitCursor waitAgain(prompts);
    DWORD error = 0;
    if (WriteRegistryFile(context.files, path, text, kZoneFileLines, &error)) {
        prompts.ShowMessage(Format(L"The time zone \"%s\" was saved into the following file:\n\n%s\n\n"
                                   L"You can apply it on other computers with \"reg.exe import\".",
                                   keyName, path),
                            MB_OK | MB_ICONINFORMATION);
    } else {
        prompts.ShowMessage(Format(L"ERROR: Failed to save time zone file to:\n\n%s\n\n(%d) %s", path, error,
                                   GetErrorText(error)),
                            MB_OK | MB_ICONERROR);
    }
}

} // namespace tarvane
