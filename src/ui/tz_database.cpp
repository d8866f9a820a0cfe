#include "ui/tz_database.h"

#include "backup/file_api.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/module_resource.h"
#include "resources/resource.h"
#include "tzdb/cldr_mappings.h"
#include "ui/prompts.h"
#include "ui/tz_release_setting.h"

namespace tarvane::ui {
namespace {

// A release unpacks to about 2 MB and packs to less than 1 MB: a larger file
// is no release, and is not read whole into memory.
constexpr ULONGLONG kMaxReleaseFile = 64 * 1024 * 1024;

struct InUse {
    std::optional<TzTable> chosen;
    std::wstring path;
    bool settingsRead = false;
};

InUse& State() {
    static InUse state;
    return state;
}

std::wstring BuiltInName() {
    const TzTable* builtIn = BuiltInTzTable();
    return builtIn != nullptr ? Format(L"the built-in release (%s)", TzReleaseText(*builtIn))
                              : std::wstring(L"the built-in release");
}

} // namespace

const TzTable* BuiltInTzTable() {
    return tarvane::ProgramTzTable();
}

const TzTable* ProgramTzTable() {
    const InUse& state = State();
    return state.chosen ? &*state.chosen : BuiltInTzTable();
}

const std::wstring& TzReleasePathInUse() {
    return State().path;
}

const TzTable* TzTableForCommand(HWND owner, RegistryApi& registry) {
    InUse& state = State();
    if (state.settingsRead) {
        return ProgramTzTable();
    }
    state.settingsRead = true;
    const std::optional<RememberedTzRelease> remembered = ReadRememberedTzRelease(registry);
    if (!remembered) {
        return ProgramTzTable();
    }
    TzTable table;
    TzSourceError error;
    const TzRecallState recalled = RecallTzRelease(*remembered, SystemTzReleaseFiles(), &table, &error);
    std::wstring problem;
    switch (recalled) {
    case TzRecallState::kFine:
        UseTzRelease(std::move(table), remembered->path);
        return ProgramTzTable();
    case TzRecallState::kGone:
        LogMessage(L"[365] path=\"%s\", ver=%s", remembered->path, remembered->version);
        problem = Format(L"The tz release you chose, %s, is no longer there.", remembered->path);
        break;
    case TzRecallState::kChanged:
        LogMessage(L"[366] path=\"%s\", ver=%s", remembered->path, remembered->version);
        problem = Format(L"The tz release you chose, %s, has changed since you chose it: it is no longer "
                         L"release %s as it was then.",
                         remembered->path, remembered->version);
        break;
    case TzRecallState::kDamaged:
        LogMessage(L"[367] path=\"%s\", ver=%s, why=\"%s\"", remembered->path, remembered->version,
                   TzSourceErrorText(error));
        problem = Format(L"The tz release you chose, %s, can't be used: %s.", remembered->path,
                         TzSourceErrorText(error));
        break;
    }
    ShowMessage(owner,
                problem + Format(L"\n\nThe program uses %s instead. Tools > tz Database Release... opens "
                                 L"a release again or keeps the built-in one.",
                                 BuiltInName()),
                MB_OK | MB_ICONWARNING);
    return ProgramTzTable();
}

void UseTzRelease(TzTable table, const std::wstring& path) {
    InUse& state = State();
    if (const TzTable* builtIn = BuiltInTzTable()) {
        CarryCldrMappings(*builtIn, &table);
    }
    state.chosen = std::move(table);
    state.path = path;
    state.settingsRead = true;
}

void UseBuiltInTzRelease() {
    InUse& state = State();
    state.chosen.reset();
    state.path.clear();
    state.settingsRead = true;
}

void ResetTzReleaseInUse() {
    State() = InUse{};
}

TzReleaseFiles SystemTzReleaseFiles() {
    TzReleaseFiles files;
    files.kind = [](const std::wstring& path) {
        FileApi& api = SystemFiles();
        return path.empty() || !api.Exists(path) ? 0 : api.IsDirectory(path) ? 2 : 1;
    };
    files.read = [](const std::wstring& path, std::string* bytes) {
        FileApi& api = SystemFiles();
        FileHolder file(api, api.OpenExisting(path));
        ULONGLONG size = 0;
        if (file.Get() == 0 || !api.GetSize(file.Get(), &size) || size > kMaxReleaseFile) {
            return false;
        }
        bytes->assign(static_cast<std::size_t>(size), '\0');
        std::size_t at = 0;
        while (at < bytes->size()) {
            DWORD done = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes->size() - at, 1 << 20));
            if (!api.Read(file.Get(), reinterpret_cast<BYTE*>(&(*bytes)[at]), chunk, &done) || done == 0) {
                return false;
            }
            at += done;
        }
        return true;
    };
    return files;
}

std::wstring TzDatabaseLine() {
    const TzTable* table = ProgramTzTable();
    if (table == nullptr) {
        return L"IANA tz database: not available";
    }
    const std::wstring& path = TzReleasePathInUse();
    return path.empty() ? TzReleaseText(*table) : Format(L"%s (from %s)", TzReleaseText(*table), path);
}

} // namespace tarvane::ui
