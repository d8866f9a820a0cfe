#include "backup/command_line.h"

#include "backup/make_backup.h"
#include "backup/restore.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"

namespace tarvane {
namespace {

constexpr DWORD kDirectoryNotSupported = 336; // ERROR_DIRECTORY_NOT_SUPPORTED, newer than some headers

// 0 when `path` is a file that can be opened for reading, else the code that says why not.
DWORD UnreadableFileError(FileApi& files, const std::wstring& path) {
    if (!files.Exists(path)) {
        const DWORD error = GetThreadLastError();
        return error != 0 ? error : ERROR_FILE_NOT_FOUND;
    }
    if (files.IsDirectory(path)) {
        return kDirectoryNotSupported;
    }
    const FileHolder file(files, files.OpenExisting(path));
    if (file.Get() == 0) {
        const DWORD error = GetThreadLastError();
        return error != 0 ? error : ERROR_GEN_FAILURE;
    }
    return 0;
}

} // namespace

bool ParseCommandLine(int argc, const wchar_t* const* argv, FileApi& /*files*/, StartRequest& request) {
    if (argc < 2) {
        return true;
    }
    const std::wstring first = argv[1] ? argv[1] : L"";
    // A backup that is not there or is a folder is still the request: the
    // start-up action says so, rather than open the window without a word.
    if (EqualNoCase(PathExtension(first), kBackupExtension)) {
        request.startRestorePath = first;
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i] ? argv[i] : L"";
        const bool hasNext = i + 1 < argc;
        const std::wstring next = hasNext && argv[i + 1] ? argv[i + 1] : L"";
        if (MatchSwitch(argument, L"e")) {
            if (hasNext) {
                request.startZoneKey = next;
                if (!next.empty()) {
                    request.startAction = StartAction::kEdit;
                }
                ++i;
            }
        } else if (MatchSwitch(argument, L"bkp")) {
            if (hasNext) {
                request.startBackupPath = next;
                request.startAction = StartAction::kRestore;
                ++i;
            }
        } else if (MatchSwitch(argument, L"tz")) {
            if (hasNext) {
                request.startZoneKey = next;
                ++i;
            }
        } else if (MatchSwitch(argument, L"new")) {
            // The zone selected when the command was given, which the new
            // zone may copy; none is an empty value.
            if (hasNext) {
                request.startZoneKey = next;
                request.startAction = StartAction::kNewZone;
                ++i;
            }
        } else if (MatchSwitch(argument, L"del")) {
            if (hasNext) {
                request.startZoneKey = next;
                if (!next.empty()) {
                    request.startAction = StartAction::kDeleteZone;
                }
                ++i;
            }
        }
    }
    return true;
}

bool MatchSwitch(const std::wstring& argument, const std::wstring& name) {
    if (argument.empty() || name.empty()) {
        return false;
    }
    if (EqualNoCase(argument, name)) {
        return true;
    }
    for (const wchar_t* prefix : {L"/", L"-", L"\\"}) {
        if (EqualNoCase(argument, prefix + name)) {
            return true;
        }
    }
    return false;
}

std::wstring EscapeForCommandLine(const std::wstring& value) {
    // Backslashes are literal unless a double quote follows them; a run of
    // them before a quote (also the closing quote the caller adds) is doubled.
    std::wstring out;
    out.reserve(value.size() + 8);
    std::size_t backslashes = 0;
    for (wchar_t ch : value) {
        if (ch == L'\\') {
            ++backslashes;
            continue;
        }
        if (ch == L'"') {
            out.append(2 * backslashes + 1, L'\\');
            out.push_back(L'"');
        } else {
            out.append(backslashes, L'\\');
            switch (ch) {
            case L'\n':
                out += L"\\n";
                break;
            case L'\r':
                out += L"\\r";
                break;
            case L'\t':
                out += L"\\t";
                break;
            default:
                out.push_back(ch);
                break;
            }
        }
        backslashes = 0;
    }
    out.append(2 * backslashes, L'\\');
    return out;
}

int RunStartAction(BackupContext& context, const StartRequest& request) {
    // The first load selected the zone that "e" or "tz" named; one it did not
    // find is said now that the window is up, and there is nothing to edit.
    bool zoneFound = true;
    if (!request.startZoneKey.empty()) {
        const TimeZoneRecord* selected = context.window.SelectedZone();
        zoneFound = selected != nullptr && EqualKeyNames(selected->keyName, request.startZoneKey);
        if (!zoneFound) {
            LogMessage(L"[243] key=\"%s\"", request.startZoneKey);
            context.prompts.ShowMessage(Format(L"No time zone named \"%s\".", request.startZoneKey),
                                        MB_OK | MB_ICONERROR);
        }
    }
    int result = 0;
    if (!request.startRestorePath.empty()) {
        const std::wstring& file = request.startRestorePath;
        if (const DWORD error = UnreadableFileError(context.files, file); error != 0) {
            SetThreadLastError(error);
            LogMessage(L"[318] path=\"%s\"", file);
            context.prompts.ShowMessage(
                Format(L"The backup file named on the command line cannot be read:\n\n%s\n\n(%d) %s", file,
                       error, GetErrorText(error)),
                MB_OK | MB_ICONERROR);
            result = -1;
        } else if (RestoreFromBackup(context, file, true) == RestoreOutcome::kFailed) {
            context.prompts.Beep();
        }
    }
    if (request.startAction == StartAction::kEdit) {
        if (zoneFound && context.window.Mode() != EditMode::kEdit) {
            context.window.SetEditMode(EditMode::kEdit, {.allowRelaunch = false});
        }
    } else if (request.startAction == StartAction::kRestore) {
        RestoreFromBackup(context, request.startBackupPath, false);
    } else if (request.startAction == StartAction::kNewZone) {
        if (context.window.Mode() == EditMode::kView) {
            context.window.NewTimeZone(false);
        }
    } else if (request.startAction == StartAction::kDeleteZone) {
        // Never the zone that happens to be selected instead of the one named.
        if (zoneFound && context.window.Mode() == EditMode::kView) {
            context.window.DeleteTimeZone(false);
        }
    }
    return result;
}

} // namespace tarvane
