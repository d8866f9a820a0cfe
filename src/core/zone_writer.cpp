#include "core/zone_writer.h"

#include "platform/diagnostic_log.h"
#include "platform/format.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace tarvane {
namespace {

// ERROR_INVALID_BLOCK: what an empty key name or a year 0 leaves as the last error.
constexpr DWORD kErrorInvalidBlock = 9;
constexpr REGSAM kWriteAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
// The registry's longest value name, with its terminator.
constexpr DWORD kValueNameCapacity = 16384;

// The year a value name stands for, when the name is exactly the "%u" form of
// a 32-bit year (no sign, no leading zero, no blank).
std::optional<DWORD> YearOfValueName(const std::wstring& name) {
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == L'0')) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (wchar_t ch : name) {
        if (ch < L'0' || ch > L'9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(ch - L'0');
    }
    if (value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<DWORD>(value);
}

// The log lines of one old range bound: read failed, wrong type or size.
struct BoundTags {
    const wchar_t* readFailed;
    const wchar_t* badType;
};

class ZoneWriter {
public:
    ZoneWriter(RegistryApi& registry, bool is64BitOs, const TimeZoneRecord& record)
        : registry_(registry), is64BitOs_(is64BitOs), record_(record), key_(record.keyName) {}

    bool Save();

private:
    void Fail(DWORD code) {
        result_ = false;
        lastError_ = code;
        SetThreadLastError(code);
    }
    void WriteNames(const RegKey& zoneKey);
    void RebuildYears(const RegKey& zoneKey);
    std::optional<DWORD> ReadOldBound(const RegKey& dynamicKey, const wchar_t* name, const BoundTags& tags);
    void RemoveOldYears(const RegKey& dynamicKey);
    void WriteYears(const RegKey& dynamicKey);

    RegistryApi& registry_;
    bool is64BitOs_;
    const TimeZoneRecord& record_;
    const std::wstring& key_;
    bool result_ = true;
    DWORD lastError_ = 0;
};

bool ZoneWriter::Save() {
    RegKey root(registry_);
    if (const LONG opened = root.Open(kHkeyLocalMachine, kTimeZonesPath, kWriteAccess);
        opened != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(opened));
        LogMessage(L"[134] err=%d", opened);
        return false;
    }
    if (key_.empty()) {
        SetThreadLastError(kErrorInvalidBlock);
        LogText(EVENTLOG_ERROR_TYPE, L"[135]");
        root.Close();
        SetThreadLastError(kErrorInvalidBlock);
        return false;
    }
    RegKey zoneKey(registry_);
    if (const LONG created = zoneKey.Create(root.Handle(), key_, kWriteAccess); created != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(created));
        LogMessage(L"[136] err=%d, key=%s", created, key_);
        root.Close();
        SetThreadLastError(static_cast<DWORD>(created));
        return false;
    }
    WriteNames(zoneKey);
    if (record_.years.empty()) {
        if (const LONG deleted = DeleteDynamicDstKey(zoneKey, is64BitOs_); deleted != ERROR_SUCCESS) {
            Fail(static_cast<DWORD>(deleted));
            LogMessage(L"[141] err=%d, key=%s", deleted, key_);
        }
    } else {
        RebuildYears(zoneKey);
    }
    zoneKey.Close();
    root.Close();
    SetThreadLastError(lastError_);
    return result_;
}

void ZoneWriter::WriteNames(const RegKey& zoneKey) {
    if (const LONG r = zoneKey.SetString(L"Display", record_.displayName); r != ERROR_SUCCESS) {
        Fail(static_cast<DWORD>(r));
        LogMessage(L"[137] err=%d, key=%s, v=\"%s\"", r, key_, record_.displayName);
    }
    if (const LONG r = zoneKey.SetString(L"Std", record_.standardName); r != ERROR_SUCCESS) {
        Fail(static_cast<DWORD>(r));
        LogMessage(L"[138] err=%d, key=%s, v=\"%s\"", r, key_, record_.standardName);
    }
    if (const LONG r = zoneKey.SetString(L"Dlt", record_.daylightName); r != ERROR_SUCCESS) {
        Fail(static_cast<DWORD>(r));
        LogMessage(L"[139] err=%d, key=%s, v=\"%s\"", r, key_, record_.daylightName);
    }
    const TziBytes tzi = TziToBytes(ComposeTzi(record_.rules));
    if (const LONG r = zoneKey.SetValue(L"TZI", REG_BINARY, tzi.data(), static_cast<DWORD>(tzi.size()));
        r != ERROR_SUCCESS) {
        Fail(static_cast<DWORD>(r));
        LogMessage(L"[140] err=%d, key=%s", r, key_);
    }
}

void ZoneWriter::RebuildYears(const RegKey& zoneKey) {
    RegKey dynamicKey(registry_);
    if (const LONG created = dynamicKey.Create(zoneKey.Handle(), kDynamicDstName, kWriteAccess);
        created != ERROR_SUCCESS) {
        Fail(static_cast<DWORD>(created));
        LogMessage(L"[142] err=%d, key=%s", created, key_);
        return;
    }
    RemoveOldYears(dynamicKey);

    DWORD first = 0xFFFFFFFF;
    DWORD last = 0;
    for (std::size_t i = 0; i < record_.years.size(); ++i) {
        const DWORD year = record_.years[i].year;
        if (year == 0) {
            Fail(kErrorInvalidBlock);
            LogMessage(L"[149] key=%s, i=%d, yr=%u", key_, static_cast<LONG>(i), year);
            continue;
        }
        last = std::max(last, year);
        first = std::min(first, year);
    }
    if (const LONG r = dynamicKey.SetDword(L"FirstEntry", first); r != ERROR_SUCCESS) {
        Fail(static_cast<DWORD>(r));
        LogMessage(L"[150] err=%d, key=%s", r, key_);
    }
    if (const LONG r = dynamicKey.SetDword(L"LastEntry", last); r != ERROR_SUCCESS) {
        Fail(static_cast<DWORD>(r));
        LogMessage(L"[151] err=%d, key=%s", r, key_);
    }
    WriteYears(dynamicKey);
}

// One old range bound of "Dynamic DST". Absent: nothing, silently; unreadable
// or of the wrong type or size: logged, nothing.
std::optional<DWORD> ZoneWriter::ReadOldBound(const RegKey& dynamicKey, const wchar_t* name,
                                              const BoundTags& tags) {
    BYTE bytes[4] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof bytes;
    const LONG r = dynamicKey.QueryValue(name, &type, bytes, &size);
    if (r == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
        return std::nullopt;
    }
    if (r != ERROR_SUCCESS) {
        Fail(static_cast<DWORD>(r));
        LogMessage(tags.readFailed, r, key_);
        return std::nullopt;
    }
    if (type != REG_DWORD || size != sizeof bytes) {
        Fail(ERROR_INVALID_DATA);
        LogMessage(tags.badType, key_, type, size);
        return std::nullopt;
    }
    return ReadDwordLe(bytes);
}

// Deletes the values named by the years of the old range. The names are found
// by enumerating what exists rather than by counting through the range, so a
// damaged range such as 0..4294967295 costs no more than a sound one.
void ZoneWriter::RemoveOldYears(const RegKey& dynamicKey) {
    const std::optional<DWORD> first =
        ReadOldBound(dynamicKey, L"FirstEntry", {L"[143] err=%d, key=%s", L"[144] key=%s, type=%d, sz=%d"});
    if (!first) {
        return;
    }
    const std::optional<DWORD> last =
        ReadOldBound(dynamicKey, L"LastEntry", {L"[145] err=%d, key=%s", L"[146] key=%s, type=%d, sz=%d"});
    if (!last) {
        return;
    }
    if (*first > *last) {
        LogMessage(L"[147] key=%s, min=%d, max=%d", key_, *first, *last);
        return;
    }
    std::vector<DWORD> years;
    for (DWORD index = 0;; ++index) {
        std::wstring name;
        const LONG r = registry_.EnumValue(dynamicKey.Handle(), index, kValueNameCapacity, &name, nullptr,
                                           nullptr, nullptr);
        if (r == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
            break;
        }
        if (r != ERROR_SUCCESS) {
            // The years not seen stay; the new ones are still written.
            Fail(static_cast<DWORD>(r));
            LogMessage(L"[217] err=%d, key=%s", r, key_);
            break;
        }
        if (const std::optional<DWORD> year = YearOfValueName(name);
            year && *year >= *first && *year <= *last) {
            years.push_back(*year);
        }
    }
    std::sort(years.begin(), years.end());
    for (DWORD year : years) {
        const LONG r = dynamicKey.DeleteValue(Format(L"%u", year));
        if (r != ERROR_SUCCESS && r != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
            Fail(static_cast<DWORD>(r));
            LogMessage(L"[148] err=%d, key=%s, yr=%u", r, key_, year);
        }
    }
}

void ZoneWriter::WriteYears(const RegKey& dynamicKey) {
    for (const DynamicYearRecord& year : record_.years) {
        const TziBytes tzi = TziToBytes(ComposeTzi(year.rules));
        const LONG r = dynamicKey.SetValue(Format(L"%u", year.year), REG_BINARY, tzi.data(),
                                           static_cast<DWORD>(tzi.size()));
        if (r != ERROR_SUCCESS) {
            Fail(static_cast<DWORD>(r));
            LogMessage(L"[152] err=%d, key=%s, yr=%u", r, key_, year.year);
        }
    }
}

} // namespace

bool SaveTimeZone(RegistryApi& registry, bool is64BitOs, const TimeZoneRecord& record) {
    return ZoneWriter(registry, is64BitOs, record).Save();
}

LONG DeleteSubKey(const RegKey& parent, std::wstring_view name, bool is64BitOs) {
    RegistryApi& registry = parent.Api();
    if (registry.HasDeleteKeyEx()) {
        // This process's own view: the other one would leave the real key standing.
        return registry.DeleteKeyEx(parent.Handle(), name, kOwnRegistryView);
    }
    if (is64BitOs) {
        // RegDeleteKeyW cannot name a view, and a 32-bit caller would hit the wrong one.
        return static_cast<LONG>(ERROR_NOT_SUPPORTED);
    }
    return registry.DeleteKey(parent.Handle(), name);
}

LONG DeleteDynamicDstKey(const RegKey& zoneKey, bool is64BitOs) {
    const LONG result = DeleteSubKey(zoneKey, kDynamicDstName, is64BitOs);
    if (result == static_cast<LONG>(ERROR_FILE_NOT_FOUND) ||
        result == static_cast<LONG>(ERROR_PATH_NOT_FOUND)) {
        return ERROR_SUCCESS;
    }
    return result;
}

} // namespace tarvane
