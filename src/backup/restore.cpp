#include "backup/restore.h"

#include "backup/backup_file.h"
#include "backup/code_page.h"
#include "backup/database_state.h"
#include "backup/command_line.h"
#include "backup/export_text_reader.h"
#include "backup/export_zone.h"
#include "backup/import_scope.h"
#include "backup/make_backup.h"
#include "backup/private_copy.h"
#include "backup/registry_export.h"
#include "backup/zone_value_check.h"
#include "core/registry_values.h"
#include "core/zone_keys.h"
#include "core/zone_sources.h"
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

// Runs "<system>\reg.exe import "<copy>"" and waits for it, ending it when it
// outlives its time; 0 when it ended with exit code 0, else the error code
// (each failure logged; the lines after the start name the user's file `path`)
// with what went wrong in words in `reason`.
DWORD RunImportTool(ProcessApi& processes, const std::wstring& copy, const std::wstring& path,
                    std::wstring* reason) {
    const std::wstring folder = WithTrailingSeparator(TrimWhiteSpace(processes.SystemDirectory()));
    const std::wstring commandLine = Format(L"%sreg.exe import \"%s\"", folder, copy);
    ProcessHandles handles;
    if (!processes.Start(commandLine, &handles)) {
        const DWORD error = GetThreadLastError();
        LogMessage(L"[168] path=\"%s\"", commandLine);
        *reason = Format(L"The registry import tool could not be started: %s", GetErrorText(error));
        return error;
    }
    DWORD error = 0;
    if (handles.process == 0) {
        error = ERROR_OUT_OF_STRUCTURES;
        SetThreadLastError(error);
        LogMessage(L"[169] path=\"%s\"", path);
        *reason = L"The registry import tool could not be started.";
    } else {
        const DWORD wait = processes.Wait(handles, kImportTimeoutMs);
        if (wait == WAIT_TIMEOUT) {
            error = WAIT_TIMEOUT;
            SetThreadLastError(error);
            LogMessage(L"[171] path=\"%s\"", path);
            *reason = Format(L"The registry import tool did not finish within %u seconds.",
                             kImportTimeoutMs / 1000);
            // Left running, the tool would go on writing the registry after the
            // user is told that the restore failed, and keep the copy open.
            if (!processes.Terminate(handles)) {
                LogMessage(L"[292] path=\"%s\"", path);
            }
        } else if (wait != WAIT_OBJECT_0) {
            error = GetThreadLastError();
            LogMessage(L"[170] path=\"%s\"", path);
            *reason = Format(L"Waiting for the registry import tool failed: %s", GetErrorText(error));
        } else {
            DWORD exitCode = static_cast<DWORD>(-1);
            if (!processes.ExitCode(handles, &exitCode)) {
                error = GetThreadLastError();
                LogMessage(L"[172] path=\"%s\"", path);
                *reason = Format(L"The registry import tool's exit code could not be read: %s",
                                 GetErrorText(error));
            } else if (exitCode != 0) {
                error = ERROR_GEN_FAILURE;
                LogMessage(L"[173] path=\"%s\", exitCode=%d", path, exitCode);
                *reason = Format(L"The registry import tool ended with exit code %d.", exitCode);
            }
        }
    }
    processes.Close(handles);
    return error;
}

// A file of File > Export Time Zone: every key lies below one zone's key.
bool HoldsOneZone(const ExportContent& content) {
    std::wstring_view zone;
    for (const ExportKey& key : content.keys) {
        const std::wstring_view below = PathBelowTimeZones(key.path);
        const std::wstring_view name = below.substr(0, below.find(L'\\'));
        if (name.empty() || (!zone.empty() && !EqualAsciiNoCase(name, zone))) {
            return false;
        }
        zone = name;
    }
    return !zone.empty();
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

namespace {

constexpr DWORD kBadFormat = ERROR_BAD_FORMAT;
// The restore says so when the file holds fewer than this share of the
// registry's zones (in quarters): a copy cut at a key boundary reads as a
// valid backup, and only the count shows that it is not whole.
constexpr std::size_t kFewZonesQuarters = 3;
constexpr std::size_t kNamesShown = 10;

// What the strict reading of a file found, and what restoring it changes.
struct RestorePlan {
    ExportContent content;
    bool zoneFile = false;
    std::wstring zone;    // the one zone of a zone file
    std::wstring keyName; // the zone to make current, from the file's TimeZoneInformation
};

// Ends the reading: logs `line` with the path (unless empty) and the code,
// and keeps the reason for the user.
DWORD Refuse(ImportOutcome& reached, DWORD error, const std::wstring& reason) {
    reached.refused = true;
    reached.reason = reason;
    SetThreadLastError(error);
    return error;
}

// The name of the zone to make current, as the strict reading found it; the
// reason it cannot be one, or empty.
std::wstring KeyNameProblem(const std::wstring& name, const std::vector<std::wstring>& zones) {
    if (name.find(L'\0') != std::wstring::npos) {
        return L"the current time zone's name (TimeZoneKeyName) holds a NUL character";
    }
    if (name.find(L'\\') != std::wstring::npos) {
        return L"the current time zone's name (TimeZoneKeyName) holds a backslash";
    }
    if (name.size() > kMaxZoneKeyLength) {
        return Format(L"the current time zone's name (TimeZoneKeyName) has %u characters; a time zone's key "
                      L"name has at most %u",
                      static_cast<DWORD>(name.size()), static_cast<DWORD>(kMaxZoneKeyLength));
    }
    for (const std::wstring& zone : zones) {
        if (EqualKeyNames(zone, name)) {
            return std::wstring();
        }
    }
    return Format(L"the current time zone it names (%s) is none of the zones it holds", name);
}

// Reads and checks the file before anything is written or asked. 0, or the
// code with `reached.reason` saying in words what is wrong.
DWORD ReadRestoreFile(BackupContext& context, const std::wstring& path, RestorePlan* plan,
                      ImportOutcome& reached) {
    FileApi& files = context.files;
    if (path.empty()) {
        return Refuse(reached, ERROR_INVALID_PARAMETER, L"no file was named");
    }
    if (!files.Exists(path)) {
        const DWORD error = GetThreadLastError();
        return Refuse(reached, error, Format(L"the file cannot be found: %s", GetErrorText(error)));
    }
    if (files.IsDirectory(path)) {
        return Refuse(reached, kDirectoryNotSupported, L"it is a folder, not a file");
    }
    if (TimeZonesWriteDenied(context.registry)) {
        SetThreadLastError(ERROR_ACCESS_DENIED);
        LogMessage(L"[165] path=\"%s\"", path);
        return Refuse(reached, ERROR_ACCESS_DENIED, L"this program may not write the time-zone database");
    }
    // Read once, with nobody writing the file meanwhile; from here on only
    // these bytes count, whatever happens to the file.
    std::vector<BYTE> bytes;
    std::wstring decoded;
    if (!LoadFileBytes(files, path, &bytes, ReadSharing::DenyWriters) ||
        !DecodeBackupText(bytes, true, &decoded)) {
        DWORD error = GetThreadLastError();
        error = error == 0 ? kBadFormat : error;
        SetThreadLastError(error);
        // The line names the file and no text of it.
        LogMessage(L"[166] path=\"%s\"", path);
        return Refuse(reached, error, Format(L"the file cannot be read: %s", GetErrorText(error)));
    }
    TextRefusal refusal;
    if (!ReadExportText(bytes, DecodeCodePage, &plan->content, &refusal) ||
        !CheckZoneValues(plan->content, &refusal)) {
        SetThreadLastError(kBadFormat);
        // No text of the file: the log of an elevated program is read by others.
        LogMessage(L"[219] path=\"%s\", line=%u, reason=\"%s\"", path, refusal.line, refusal.plainReason);
        return Refuse(reached, kBadFormat, refusal.reason);
    }
    const std::wstring informationKey = Format(L"%s\\%s", kLocalMachineName, kTimeZoneInformationPath);
    std::wstring keyName;
    const bool named = FindStringValue(plan->content, informationKey,
                                       context.isLegacyOs ? L"StandardName" : L"TimeZoneKeyName", &keyName);
    if (!named) {
        // A zone exported for other computers names no current zone; it is
        // recognised by its extension and then by holding one zone and nothing else.
        const bool zoneFile = EqualNoCase(PathExtension(path), kZoneFileExtension);
        if (!zoneFile || !HoldsOneZone(plan->content)) {
            SetThreadLastError(kBadFormat);
            LogMessage(L"[406] path=\"%s\"", path);
            return Refuse(
                reached, kBadFormat,
                zoneFile ? L"a registry file restores only when it holds one zone's keys and nothing else"
                         : L"it names no current time zone (TimeZoneKeyName in the TimeZoneInformation "
                           L"key)");
        }
        plan->zoneFile = true;
        plan->zone = ZoneNames(plan->content).front();
        SetThreadLastError(0);
        return 0;
    }
    plan->keyName = TrimWhiteSpace(keyName);
    if (plan->keyName.empty()) {
        SetThreadLastError(ERROR_DIR_NOT_EMPTY);
        LogMessage(L"[167] path=\"%s\"", path);
        return Refuse(reached, ERROR_DIR_NOT_EMPTY,
                      L"the current time zone's name (TimeZoneKeyName) is empty");
    }
    if (const std::wstring problem = KeyNameProblem(plan->keyName, ZoneNames(plan->content));
        !problem.empty()) {
        SetThreadLastError(kBadFormat);
        LogMessage(L"[316] path=\"%s\", length=%u", path, static_cast<DWORD>(plan->keyName.size()));
        return Refuse(reached, kBadFormat, problem);
    }
    SetThreadLastError(0);
    return 0;
}

// "Changed (12): A, B, ... J and 2 more\n", or nothing for no names.
std::wstring NameLine(const wchar_t* label, const std::vector<std::wstring>& names) {
    if (names.empty()) {
        return std::wstring();
    }
    std::wstring line = Format(L"%s (%u): ", label, static_cast<DWORD>(names.size()));
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
        line += (i == 0 ? L"" : L", ") + names[i];
    }
    if (names.size() > kNamesShown) {
        line += Format(L" and %u more", static_cast<DWORD>(names.size() - kNamesShown));
    }
    return line + L"\n";
}

// The confirmation's text, or empty when the restore would change nothing.
std::wstring PreviewText(const RestorePlan& plan, const ExportContent& current, const std::wstring& path) {
    const ZoneChanges changes = CompareZones(current, plan.content);
    if (plan.zoneFile) {
        const bool added = !changes.added.empty();
        if (!added && changes.changed.empty()) {
            return std::wstring();
        }
        return Format(L"Do you want to restore the time zone %s from the following file?\n\n%s\n\n"
                      L"The restore %s this zone as the file holds it; nothing else is touched.",
                      plan.zone, path, added ? L"adds" : L"changes");
    }
    std::wstring currentName;
    FindStringValue(current, Format(L"%s\\%s", kLocalMachineName, kTimeZoneInformationPath),
                    L"TimeZoneKeyName", &currentName);
    const bool newCurrent = !EqualKeyNames(TrimWhiteSpace(currentName), plan.keyName);
    if (changes.changed.empty() && changes.added.empty() && changes.deleted.empty() && !newCurrent) {
        return std::wstring();
    }
    std::wstring text =
        Format(L"Do you want to restore time zones information from the following file?\n\n%s\n\n"
               L"The time zones will be exactly those of the backup:\n",
               path);
    text += NameLine(L"Changed", changes.changed);
    text += NameLine(L"Added back", changes.added);
    text += NameLine(L"Deleted, as the backup does not hold them", changes.deleted);
    if (changes.toZones * 4 < changes.fromZones * kFewZonesQuarters) {
        text += Format(L"The backup holds %u zones; the registry has %u.\n",
                       static_cast<DWORD>(changes.toZones), static_cast<DWORD>(changes.fromZones));
    }
    if (newCurrent) {
        text += Format(L"%s becomes the current time zone.\n", plan.keyName);
    }
    return text + L"\nIMPORTANT: Do not load time zones backed up from a different operating system!";
}

// Puts the database back as `before` holds it; the copy keeps the saved
// state when that fails. The import's error stays the last error.
void PutBack(BackupContext& context, const ExportContent& before, PrivateCopy& copy, const std::wstring& path,
             ImportOutcome& reached) {
    const LastErrorKeeper keep;
    DWORD failed = 0;
    for (const wchar_t* root : {kTimeZoneInformationPath, kTimeZonesPath}) {
        if (const DWORD error = MirrorKeyTree(context.registry, context.is64BitOs, root, before, true);
            error != 0 && failed == 0) {
            failed = error;
        }
    }
    reached.putBack = true;
    if (failed == 0) {
        SetThreadLastError(0);
        LogMessage(L"[312] path=\"%s\"", path);
        return;
    }
    reached.putBackFailed = true;
    if (!copy.StatePath().empty()) {
        copy.KeepState();
        reached.keptState = copy.StatePath();
    }
    SetThreadLastError(failed);
    LogMessage(L"[313] path=\"%s\", state=\"%s\"", path, reached.keptState);
}

// Saves the database, has the import tool read a private copy of the file's
// content, then removes what the file does not hold; when any of it fails
// the database is put back. 0 or the first failure's code.
DWORD ApplyExactly(BackupContext& context, const RestorePlan& plan, const std::wstring& path,
                   ImportOutcome& reached) {
    ExportContent before;
    if (const DWORD error = ReadDatabaseState(context.registry, &before); error != 0) {
        return Refuse(
            reached, error,
            Format(L"the time-zone database could not be read to be saved first: %s", GetErrorText(error)));
    }
    PrivateCopy copy(context.files);
    DWORD error = copy.Write(BackupFileBytes(CanonicalExportText(plan.content)), path);
    if (error == 0) {
        error = copy.WriteState(BackupFileBytes(CanonicalExportText(before)), path);
    }
    if (error != 0) {
        return Refuse(reached, error,
                      Format(L"the restore's files could not be written in its private folder: %s",
                             GetErrorText(error)));
    }
    error = RunImportTool(context.processes, copy.Path(), path, &reached.reason);
    if (error == 0) {
        // The import adds and overwrites; what the file does not hold goes here.
        const std::wstring root =
            plan.zoneFile ? Format(L"%s\\%s", kTimeZonesPath, plan.zone) : std::wstring(kTimeZonesPath);
        error = MirrorKeyTree(context.registry, context.is64BitOs, root, plan.content, false);
        if (error != 0) {
            LogMessage(L"[317] path=\"%s\"", path);
            reached.reason =
                Format(L"Removing what the backup does not hold failed: %s", GetErrorText(error));
        }
    }
    if (error != 0) {
        SetThreadLastError(error);
        PutBack(context, before, copy, path, reached);
        SetThreadLastError(error);
        return error;
    }
    // What Check Against tz Database remembers of a zone goes with the zone,
    // and comes back with it from the file's comments (a failure is logged
    // and leaves the check without a mapping for it).
    if (!plan.zoneFile) {
        for (const std::wstring& zone : CompareZones(before, plan.content).deleted) {
            SetZoneSource(context.registry, zone, L"");
        }
    }
    for (const ExportKey& key : plan.content.keys) {
        if (!key.tzSource.empty()) {
            SetZoneSource(context.registry, std::wstring(PathBelowTimeZones(key.path)), key.tzSource);
        }
    }
    SetThreadLastError(0);
    return 0;
}

int Failed(ImportOutcome& reached, DWORD error) {
    reached.error = error;
    SetThreadLastError(error);
    return 0;
}

// The import of a file already read and checked; see ImportBackup.
int ImportPlan(BackupContext& context, const RestorePlan& plan, const std::wstring& path,
               ImportOutcome& reached) {
    if (const DWORD error = ApplyExactly(context, plan, path, reached); error != 0) {
        return Failed(reached, error);
    }
    reached.imported = true;
    if (plan.zoneFile) {
        // The zone is in place; which zone is current is not the file's business.
        SetThreadLastError(0);
        return 1;
    }
    TimeZoneRecord record;
    if (!LoadZoneByKeyName(context.registry, plan.keyName, record)) {
        const DWORD error = GetThreadLastError();
        LogMessage(L"[174] path=\"%s\", key=\"%s\"", path, plan.keyName);
        return Failed(reached, error);
    }
    if (!context.activator.Activate(record)) {
        const DWORD error = GetThreadLastError();
        LogMessage(L"[175] path=\"%s\", key=\"%s\"", path, plan.keyName);
        reached.onlyActivationFailed = true;
        return Failed(reached, error);
    }
    SetThreadLastError(0);
    return 1;
}

// The message of a restore that failed with `error`.
std::wstring FailureText(const ImportOutcome& outcome, const std::wstring& path, DWORD error) {
    const std::wstring code = Format(L"(%d) %s", error, GetErrorText(error));
    if (outcome.refused) {
        const bool stop = !outcome.reason.empty() && outcome.reason.back() == L'.';
        return Format(L"The file cannot be restored: %s%s Nothing was changed.\n\n%s\n\n%s", outcome.reason,
                      stop ? L"" : L".", path, code);
    }
    if (outcome.putBackFailed) {
        return Format(L"ERROR: Failed to restore time zones information from the file:\n\n%s\n\n%s\n\n"
                      L"Putting the time-zone database back as it was failed too. %s\n\n%s\n\n%s",
                      path, outcome.reason,
                      outcome.keptState.empty()
                          ? L""
                          : L"This file holds the database as it was before the restore; "
                            L"restore it to put the database back:",
                      outcome.keptState, code);
    }
    if (outcome.putBack) {
        return Format(L"ERROR: Failed to restore time zones information from the file:\n\n%s\n\n%s\n\n"
                      L"The time-zone database was put back as it was; nothing was changed.",
                      path, outcome.reason);
    }
    return Format(L"ERROR: Failed to restore time zones information from the file:\n\n%s\n\n%s", path, code);
}

} // namespace

int ImportBackup(BackupContext& context, const std::wstring& path, ImportOutcome* outcome) {
    ImportOutcome ignored;
    ImportOutcome& reached = outcome != nullptr ? *outcome : ignored;
    reached = ImportOutcome{};
    RestorePlan plan;
    if (const DWORD error = ReadRestoreFile(context, path, &plan, reached); error != 0) {
        return Failed(reached, error);
    }
    return ImportPlan(context, plan, path, reached);
}

RestoreOutcome RestoreFromBackup(BackupContext& context, const std::wstring& givenPath, bool allowRelaunch,
                                 ImportOutcome* reached) {
    ImportOutcome own;
    ImportOutcome& outcome = reached != nullptr ? *reached : own;
    outcome = ImportOutcome{};
    MainWindowOps& window = context.window;
    Prompts& prompts = context.prompts;
    if (window.Mode() != EditMode::kView) {
        return RestoreOutcome::kNothingDone;
    }
    if (allowRelaunch && window.RegistryNotWritable()) {
        std::wstring parameters = Format(L"%s \"%s\"", L"bkp", EscapeForCommandLine(givenPath));
        if (const TimeZoneRecord* selected = window.SelectedZone()) {
            parameters += Format(L" %s \"%s\"", L"tz", EscapeForCommandLine(selected->keyName));
        }
        window.RelaunchAndClose(parameters);
        return RestoreOutcome::kNothingDone;
    }
    std::wstring path = givenPath;
    if (path.empty()) {
        const FileChoice choice = prompts.AskOpenPath(&path);
        if (choice == FileChoice::kCancelled) {
            return RestoreOutcome::kNothingDone;
        }
        if (choice != FileChoice::kChosen) {
            LogMessage(L"[155] r=%d", static_cast<int>(choice));
            prompts.ShowMessage(L"ERROR: Failed to display file open dialog.", MB_OK | MB_ICONERROR);
            return RestoreOutcome::kFailed;
        }
    }
    if (path.empty()) {
        return RestoreOutcome::kFailed;
    }

    RestorePlan plan;
    DWORD error = 0;
    std::wstring preview;
    {
        const WaitCursor wait(prompts);
        error = ReadRestoreFile(context, path, &plan, outcome);
        ExportContent current;
        if (error == 0 && (error = ReadDatabaseState(context.registry, &current)) != 0) {
            Refuse(outcome, error,
                   Format(L"the time-zone database could not be read to compare: %s", GetErrorText(error)));
        }
        if (error == 0) {
            preview = PreviewText(plan, current, path);
        }
    }
    if (error == 0 && preview.empty()) {
        prompts.ShowMessage(Format(L"The time zones in the registry are already those of the file:\n\n%s\n\n"
                                   L"Nothing was changed.",
                                   path),
                            MB_OK | MB_ICONINFORMATION);
        return RestoreOutcome::kNothingDone;
    }
    if (error == 0) {
        const int answer = prompts.ShowMessage(preview, MB_YESNOCANCEL | MB_ICONINFORMATION);
        if (answer == IDNO || answer == IDCANCEL) {
            return RestoreOutcome::kNothingDone;
        }
        if (answer != IDYES) {
            LogMessage(L"[182] r=%d, path=%s", answer, path);
            prompts.Beep();
            return RestoreOutcome::kFailed;
        }
    }

    const WaitCursor wait(prompts);
    int result = 0;
    if (error == 0) {
        result = ImportPlan(context, plan, path, outcome);
        error = GetThreadLastError();
    }
    bool reloaded = false;
    if (outcome.imported || outcome.putBack) {
        // Whatever failed after the import, the list must show what the
        // registry now holds, or a later save would write the old zones back.
        reloaded = window.ReloadZoneList(true);
        window.UpdateTitle();
        SetThreadLastError(error);
    }
    if (!reloaded && (result != 0 || outcome.imported || outcome.putBack)) {
        LogText(EVENTLOG_ERROR_TYPE, L"[158]");
    }
    if (reloaded && (result != 0 || outcome.onlyActivationFailed)) {
        LogText(EVENTLOG_INFORMATION_TYPE, L"[181] Restored time zones");
    }
    if (result == 0 && outcome.onlyActivationFailed && reloaded) {
        // Everything is restored; saying that the restore failed would send
        // the user to restore again for nothing.
        prompts.ShowMessage(Format(L"Time zones information has been restored, but the time zone that the "
                                   L"backup names as current could not be made the current time zone.\n\n"
                                   L"(%d) %s",
                                   error, GetErrorText(error)),
                            MB_OK | MB_ICONERROR);
        return RestoreOutcome::kRestored;
    }
    if (result == 0) {
        SetThreadLastError(error);
        LogMessage(L"[156] file=\"%s\"", path);
        prompts.ShowMessage(FailureText(outcome, path, error), MB_OK | MB_ICONERROR);
        return RestoreOutcome::kFailed;
    }
    if (!reloaded) {
        prompts.Beep();
        return RestoreOutcome::kFailed;
    }
    prompts.ShowMessage(L"Time zones information has been restored.", MB_OK | MB_ICONINFORMATION);
    return RestoreOutcome::kRestored;
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
            if (RestoreFromBackup(context, name, true) != RestoreOutcome::kFailed) {
                return;
            }
            break;
        }
    }
    context.prompts.Beep();
}

} // namespace tarvane
