#include "backup/restore.h"

#include "backup/backup_file.h"
#include "backup/code_page.h"
#include "backup/command_line.h"
#include "backup/export_text_reader.h"
#include "backup/make_backup.h"
#include "backup/private_copy.h"
#include "backup/zone_value_check.h"
#include "core/registry_values.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <cwchar>

namespace tarvane {
namespace {

constexpr REGSAM kTimeZonesWriteAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
constexpr DWORD kNameCapacity = 261;          // 260 characters and the terminator
constexpr DWORD kDirectoryNotSupported = 336; // ERROR_DIRECTORY_NOT_SUPPORTED, newer than some headers

int Failed(DWORD error) {
    SetThreadLastError(error);
    return 0;
}

// Runs "<system>\reg.exe import "<copy>"" and waits for it; 0 when it ended
// with exit code 0, else the error code (each failure logged; the lines after
// the start name the user's file `path`).
DWORD RunImportTool(ProcessApi& processes, const std::wstring& copy, const std::wstring& path) {
    const std::wstring folder = WithTrailingSeparator(TrimWhiteSpace(processes.SystemDirectory()));
    const std::wstring commandLine = Format(L"%sreg.exe import \"%s\"", folder, copy);
    ProcessHandles handles;
    if (!processes.Start(commandLine, &handles)) {
        const DWORD error = GetThreadLastError();
        LogMessage(L"[168] path=\"%s\"", commandLine);
        return error;
    }
    DWORD error = 0;
    if (handles.process == 0) {
        error = ERROR_OUT_OF_STRUCTURES;
        SetThreadLastError(error);
        LogMessage(L"[169] path=\"%s\"", path);
    } else {
        const DWORD wait = processes.Wait(handles, kImportTimeoutMs);
        if (wait == WAIT_TIMEOUT) {
            error = WAIT_TIMEOUT;
            SetThreadLastError(error);
            LogMessage(L"[171] path=\"%s\"", path);
        } else if (wait != WAIT_OBJECT_0) {
            error = GetThreadLastError();
            LogMessage(L"[170] path=\"%s\"", path);
        } else {
            DWORD exitCode = static_cast<DWORD>(-1);
            if (!processes.ExitCode(handles, &exitCode)) {
                error = GetThreadLastError();
                LogMessage(L"[172] path=\"%s\"", path);
            } else if (exitCode != 0) {
                error = ERROR_GEN_FAILURE;
                LogMessage(L"[173] path=\"%s\", exitCode=%d", path, exitCode);
            }
        }
    }
    processes.Close(handles);
    return error;
}

// What the file says, read strictly: only the time-zone keys, nothing
// deleted, every zone value readable by the loader. 0, or 11 with [219].
DWORD ReadStrictly(const std::vector<BYTE>& bytes, const std::wstring& path, ExportContent* content) {
    TextRefusal refusal;
    if (ReadExportText(bytes, DecodeCodePage, content, &refusal) && CheckZoneValues(*content, &refusal)) {
        return 0;
    }
    SetThreadLastError(ERROR_BAD_FORMAT);
    LogMessage(L"[219] path=\"%s\", line=%u, text=\"%s\"", path, refusal.line, refusal.text);
    return ERROR_BAD_FORMAT;
}

// Writes the content as the private copy and has the import tool read that
// copy, never the user's file; the copy is gone when this returns. 0, or the
// error (logged).
DWORD ImportPrivateCopy(BackupContext& context, const ExportContent& content, const std::wstring& path) {
    PrivateCopy copy(context.files);
    DWORD error = copy.Write(BackupFileBytes(CanonicalExportText(content)), path);
    if (error == 0) {
        error = RunImportTool(context.processes, copy.Path(), path);
    }
    copy.Remove();
    return error;
}

bool IsYearName(const std::wstring& name, DWORD* year) {
    const long value = std::wcstol(name.c_str(), nullptr, 10);
    if (value < 1000 || value > 9999) {
        return false;
    }
    *year = static_cast<DWORD>(value);
    return true;
}

} // namespace

bool TimeZonesWriteDenied(RegistryApi& registry) {
    RegKey key(registry);
    const LONG result = key.Open(kHkeyLocalMachine, kTimeZonesPath, kTimeZonesWriteAccess);
    return result != ERROR_SUCCESS && result != static_cast<LONG>(ERROR_FILE_NOT_FOUND);
}

bool LoadZoneByKeyName(RegistryApi& registry, const std::wstring& keyName, TimeZoneRecord& record) {
    record = TimeZoneRecord{};
    if (keyName.empty()) {
        SetThreadLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    RegKey key(registry);
    const LONG result = key.Open(kHkeyLocalMachine, Format(L"%s\\%s", kTimeZonesPath, keyName), KEY_READ);
    if (result != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(result));
        return false;
    }
    TimeZoneRecord loaded;
    TziBlock tzi{};
    if (!ReadStringValue(key, L"Display", &loaded.displayName) ||
        !ReadStringValue(key, L"Std", &loaded.standardName) ||
        !ReadStringValue(key, L"Dlt", &loaded.daylightName) || !ReadTziValue(key, L"TZI", &tzi)) {
        // The reader's own code says which value; the caller's message needs a failure code.
        SetThreadLastError(ERROR_INVALID_DATA);
        return false;
    }
    loaded.rules = DeriveRules(tzi);
    loaded.keyName = keyName;
    record = std::move(loaded);
    SetThreadLastError(0);
    return true;
}

bool ResetDynamicYears(RegistryApi& registry) {
    RegKey zones(registry);
    LONG result = zones.Open(kHkeyLocalMachine, kTimeZonesPath, KEY_ENUMERATE_SUB_KEYS);
    if (result != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(result));
        LogMessage(L"[159] err=%d", result);
        return false;
    }
    bool ok = true;
    DWORD lastError = 0;
    std::vector<std::pair<std::wstring, std::wstring>> cleanup;
    RegistryKeyIterator zoneNames(registry, zones.Handle(), kNameCapacity);
    while (zoneNames.Next()) {
        const std::wstring& zoneName = zoneNames.Name();
        RegKey dynamic(registry);
        result = dynamic.Open(zones.Handle(), Format(L"%s\\%s", zoneName, kDynamicDstName), KEY_READ);
        if (result == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
            continue;
        }
        if (result != ERROR_SUCCESS) {
            lastError = static_cast<DWORD>(result);
            SetThreadLastError(lastError);
            LogMessage(L"[161] res=%d", result);
            ok = false;
            continue;
        }
        DWORD first = 0;
        DWORD last = 0;
        if (!ReadNumberValue(dynamic, L"FirstEntry", &first) ||
            !ReadNumberValue(dynamic, L"LastEntry", &last)) {
            continue;
        }
        if (last < first) {
            lastError = 1;
            SetThreadLastError(lastError);
            LogMessage(L"[162] y1=%d, y2=%d", first, last);
            ok = false;
            continue;
        }
        const std::wstring dynamicPath = Format(L"%s\\%s\\%s", kTimeZonesPath, zoneName, kDynamicDstName);
        for (DWORD index = 0;; ++index) {
            std::wstring valueName;
            DWORD type = REG_NONE;
            DWORD size = 0;
            const LONG status =
                registry.EnumValue(dynamic.Handle(), index, kNameCapacity, &valueName, &type, nullptr, &size);
            if (status == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
                break;
            }
            if (status != ERROR_SUCCESS && status != static_cast<LONG>(ERROR_MORE_DATA)) {
                lastError = static_cast<DWORD>(status);
                SetThreadLastError(lastError);
                LogMessage(L"[163] Value index: %d, key: '%s', val: '%s'", index, zoneName, valueName);
                ok = false;
                break;
            }
            DWORD year = 0;
            if (type == REG_BINARY && size == kTziSize && IsYearName(valueName, &year) &&
                (year < first || year > last)) {
                cleanup.emplace_back(dynamicPath, valueName);
            }
        }
    }
    if (zoneNames.Result() != static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
        lastError = static_cast<DWORD>(zoneNames.Result());
        SetThreadLastError(lastError);
        LogMessage(L"[160] r=%d", zoneNames.Result());
        ok = false;
    }
    zones.Close();

    for (const auto& [keyPath, valueName] : cleanup) {
        RegKey key(registry);
        LONG status = key.Open(kHkeyLocalMachine, keyPath, KEY_WRITE);
        if (status == ERROR_SUCCESS) {
            status = key.DeleteValue(valueName);
        }
        if (status != ERROR_SUCCESS && status != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
            lastError = static_cast<DWORD>(status);
            SetThreadLastError(lastError);
            LogMessage(L"[164] key=\"%s\" val=\"%s\"", keyPath, valueName);
            ok = false;
        }
    }
    SetThreadLastError(lastError);
    return ok;
}

int ImportBackup(BackupContext& context, const std::wstring& path, bool* imported) {
    if (imported != nullptr) {
        *imported = false;
    }
    FileApi& files = context.files;
    if (path.empty()) {
        return Failed(ERROR_INVALID_PARAMETER);
    }
    if (!files.Exists(path)) {
        return Failed(GetThreadLastError());
    }
    if (files.IsDirectory(path)) {
        return Failed(kDirectoryNotSupported);
    }
    if (TimeZonesWriteDenied(context.registry)) {
        SetThreadLastError(ERROR_ACCESS_DENIED);
        LogMessage(L"[165] path=\"%s\"", path);
        return Failed(ERROR_ACCESS_DENIED);
    }
    // Read once, with nobody writing the file meanwhile; from here on only
    // these bytes count, whatever happens to the file.
    std::vector<BYTE> bytes;
    std::wstring keyName;
    if (!LoadFileBytes(files, path, &bytes, ReadSharing::DenyWriters) ||
        !ReadBackupTimeZoneKey(bytes, context.isLegacyOs, keyName)) {
        DWORD error = GetThreadLastError();
        if (error == 0) {
            error = ERROR_BAD_FORMAT;
        }
        SetThreadLastError(error);
        LogMessage(L"[166] path=\"%s\"", path);
        return Failed(error);
    }
    keyName = TrimWhiteSpace(keyName);
    if (keyName.empty()) {
        SetThreadLastError(ERROR_DIR_NOT_EMPTY);
        LogMessage(L"[167] path=\"%s\"", path);
        return Failed(ERROR_DIR_NOT_EMPTY);
    }
    ExportContent content;
    if (const DWORD error = ReadStrictly(bytes, path, &content); error != 0) {
        return Failed(error);
    }
    if (const DWORD error = ImportPrivateCopy(context, content, path); error != 0) {
        return Failed(error);
    }
    if (imported != nullptr) {
        *imported = true;
    }

    // The registry now holds the file's content: the stale years go whatever
    // fails after this point.
    TimeZoneRecord record;
    DWORD error = 0;
    const bool loaded = LoadZoneByKeyName(context.registry, keyName, record);
    if (!loaded) {
        error = GetThreadLastError();
        LogMessage(L"[174] path=\"%s\", key=\"%s\"", path, keyName);
    }
    if (!ResetDynamicYears(context.registry)) {
        LogMessage(L"[176] path=\"%s\"", path);
        context.prompts.ShowMessage(L"Warning: Failed to reset some information for dynamic years.",
                                    MB_OK | MB_ICONEXCLAMATION);
    }
    if (!loaded) {
        return Failed(error);
    }
    if (!context.activator.Activate(record)) {
        error = GetThreadLastError();
        LogMessage(L"[175] path=\"%s\", key=\"%s\"", path, keyName);
        return Failed(error);
    }
    SetThreadLastError(0);
    return 1;
}

int RestoreFromBackup(BackupContext& context, const std::wstring& givenPath, bool allowRelaunch) {
    MainWindowOps& window = context.window;
    Prompts& prompts = context.prompts;
    if (window.Mode() != 0) {
        return 0;
    }
    if (allowRelaunch && window.RegistryNotWritable()) {
        std::wstring parameters = Format(L"%s \"%s\"", L"bkp", EscapeForCommandLine(givenPath));
        if (const TimeZoneRecord* selected = window.SelectedZone()) {
            parameters += Format(L" %s \"%s\"", L"tz", EscapeForCommandLine(selected->keyName));
        }
        window.RelaunchAndClose(parameters);
        return 0;
    }
    std::wstring path = givenPath;
    if (path.empty()) {
        const int choice = prompts.AskOpenPath(&path);
        if (choice == 1) {
            return 0;
        }
        if (choice != 0) {
            LogMessage(L"[155] r=%d", choice);
            prompts.ShowMessage(L"ERROR: Failed to display file open dialog.", MB_OK | MB_ICONERROR);
            return -1;
        }
    }
    if (path.empty()) {
        return -1;
    }
    const int answer = prompts.ShowMessage(
        Format(L"Do you want to restore time zones information from the following file?\n\n%s\n\n"
               L"NOTE that all your current time zones will be overwritten.\n\n"
               L"IMPORTANT: Do not load time zones backed up from a different operating system!",
               path),
        MB_YESNOCANCEL | MB_ICONINFORMATION);
    if (answer == IDNO || answer == IDCANCEL) {
        return 0;
    }
    if (answer != IDYES) {
        LogMessage(L"[182] r=%d, path=%s", answer, path);
        prompts.Beep();
        return -1;
    }

    const WaitCursor wait(prompts);
    bool imported = false;
    const int result = ImportBackup(context, path, &imported);
    DWORD error = GetThreadLastError();
    bool reloaded = false;
    if (imported) {
        // Whatever failed after the import, the list must show what the
        // registry now holds, or a later save would write the old zones back.
        reloaded = window.ReloadZoneList(true);
        window.UpdateTitle();
        SetThreadLastError(error);
    }
    if (result == 0) {
        if (imported && !reloaded) {
            LogText(EVENTLOG_ERROR_TYPE, L"[158]");
        }
        SetThreadLastError(error);
        LogMessage(L"[156] file=\"%s\"", path);
        prompts.ShowMessage(
            Format(L"ERROR: Failed to restore time zones information from the file:\n\n%s\n\n(%d) %s", path,
                   error, GetErrorText(error)),
            MB_OK | MB_ICONERROR);
        return -1;
    }
    if (!reloaded) {
        LogText(EVENTLOG_ERROR_TYPE, L"[158]");
        prompts.Beep();
        return -1;
    }
    LogText(EVENTLOG_INFORMATION_TYPE, L"[181] Restored time zones");
    prompts.ShowMessage(L"Time zones information has been restored.", MB_OK | MB_ICONINFORMATION);
    return 1;
}

std::wstring PathExtension(const std::wstring& path) {
    std::size_t dot = std::wstring::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == L'\\' || path[i] == L' ') {
            dot = std::wstring::npos;
        } else if (path[i] == L'.') {
            dot = i;
        }
    }
    return dot == std::wstring::npos ? std::wstring() : path.substr(dot);
}

void DropBackupFiles(BackupContext& context, const std::vector<std::wstring>& names) {
    if (names.empty()) {
        context.prompts.Beep();
        return;
    }
    for (const std::wstring& raw : names) {
        const std::wstring name = TrimWhiteSpace(raw);
        if (name.empty()) {
            continue;
        }
        if (context.files.Exists(name) && !context.files.IsDirectory(name) &&
            EqualNoCase(PathExtension(name), kBackupExtension)) {
            const int result = RestoreFromBackup(context, name, true);
            if (result == 0 || result == 1) {
                return;
            }
            break;
        }
    }
    context.prompts.Beep();
}

} // namespace tarvane
