#include "backup/make_backup.h"

#include "backup/registry_export.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"

namespace tarvane {
namespace {

// Every line ended by CR LF, whatever it ended with before.
std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (wchar_t ch : text) {
        if (ch == L'\r') {
            continue;
        }
        if (ch == L'\n') {
            out.push_back(L'\r');
        }
        out.push_back(ch);
    }
    return out;
}

constexpr RegistryFileLogLines kBackupFileLines = {
    L"[129] file=\"%s\"", L"[130] file=\"%s\"", L"[131] sz1=%d, sz2=%d, file=\"%s\"",
    L"[132] file=\"%s\", ln=%d", L"[133] sz1=%d, sz2=%d, file=\"%s\""};

} // namespace

bool WriteRegistryFile(FileApi& files, const std::wstring& path, const std::wstring& lfText,
                       const RegistryFileLogLines& lines, DWORD* error) {
    const std::wstring text = WithCrLf(lfText);
    const FileHolder file(files, files.CreateAlways(path));
    if (file.Get() == 0) {
        *error = GetThreadLastError();
        LogMessage(lines.create, path);
        return false;
    }
    static const BYTE kMark[2] = {0xFF, 0xFE};
    DWORD written = 0;
    if (!files.Write(file.Get(), kMark, sizeof kMark, &written)) {
        *error = GetThreadLastError();
        LogMessage(lines.markWrite, path);
        return false;
    }
    if (written != sizeof kMark) {
        *error = GetThreadLastError();
        LogMessage(lines.markShort, written, 2, path);
        return false;
    }
    const std::vector<BYTE> bytes = ToUtf16Le(text, false);
    const std::size_t length = bytes.size() / 2;
    const auto expected = static_cast<DWORD>(bytes.size());
    if (!files.Write(file.Get(), bytes.data(), expected, &written)) {
        *error = GetThreadLastError();
        LogMessage(lines.textWrite, path, length);
        return false;
    }
    if (written != expected) {
        *error = GetThreadLastError();
        LogMessage(lines.textShort, written, expected, path);
        return false;
    }
    return true;
}

std::vector<BYTE> BackupFileBytes(const std::wstring& text) {
    std::vector<BYTE> bytes = {0xFF, 0xFE};
    const std::vector<BYTE> body = ToUtf16Le(WithCrLf(text), false);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

std::wstring SuggestedBackupFileName(const SYSTEMTIME& today) {
    return Format(L"Time Zones %04u-%02u-%02u.trvbkp", today.wYear, today.wMonth, today.wDay);
}

void MakeBackup(BackupContext& context) {
    Prompts& prompts = context.prompts;
    const WaitCursor wait(prompts);
    std::wstring text;
    if (!ExportTimeZoneDatabase(context.registry, text)) {
        const DWORD error = GetThreadLastError();
        LogText(EVENTLOG_ERROR_TYPE, L"[127]");
        prompts.ShowMessage(
            Format(L"ERROR: Failed to collect time zone data from the system registry.\n\n(%d) %s", error,
                   GetErrorText(error)),
            MB_OK | MB_ICONERROR);
        return;
    }
    AddZoneSourceComments(ReadZoneSources(context.registry), text);

    std::wstring path;
    const FileChoice choice = prompts.AskSavePath(&path);
    if (choice == FileChoice::kCancelled) {
        return;
    }
    if (choice != FileChoice::kChosen) {
        LogMessage(L"[128] res=%d", static_cast<int>(choice));
        return;
    }

    const WaitCursor waitAgain(prompts);
    DWORD error = 0;
    if (WriteRegistryFile(context.files, path, text, kBackupFileLines, &error)) {
        context.settings.WriteBackupSavedOnce();
        context.window.RemoveBackupNotice();
        prompts.ShowMessage(
            Format(L"Existing time zones information was saved into the following file:\n\n%s\n\n"
                   L"You can restore this information by going to File -> Restore From Backup.",
                   path),
            MB_OK | MB_ICONINFORMATION);
    } else {
        prompts.ShowMessage(Format(L"ERROR: Failed to save backup data file to:\n\n%s\n\n(%d) %s", path,
                                   error, GetErrorText(error)),
                            MB_OK | MB_ICONERROR);
    }
}

} // namespace tarvane
