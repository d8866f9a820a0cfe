#include "core/activation.h"

#include "platform/diagnostic_log.h"
#include "platform/last_error.h"
#include "platform/text.h"

namespace tarvane {
namespace {

constexpr DWORD kErrorInvalidBlock = 9;
constexpr std::size_t kNameUnits = 31;     // 32-character arrays, terminator included
constexpr std::size_t kKeyNameUnits = 127; // 128-character array
constexpr UINT kBroadcastTimeoutMs = 2000;

struct PrivilegeChoice {
    const wchar_t* name;
    const wchar_t* enableFailed;
    const wchar_t* disableFailed;
};

// Windows 5.x knows no time-zone privilege: setting the zone needs the system-time one.
PrivilegeChoice ChoosePrivilege(bool isLegacyOs) {
    if (isLegacyOs) {
        return {L"SeSystemtimePrivilege", L"[178]", L"[180]"};
    }
    return {L"SeTimeZonePrivilege", L"[177]", L"[179]"};
}

TimeZoneInfo ComposeInfo(const TimeZoneRecord& record, bool dynamicForm) {
    const TziBlock tzi = ComposeTzi(record.rules);
    TimeZoneInfo info;
    info.bias = tzi.Bias;
    info.standardName = CutToUtf16Units(record.standardName, kNameUnits);
    info.standardDate = tzi.StandardDate;
    info.standardBias = tzi.StandardBias;
    info.daylightName = CutToUtf16Units(record.daylightName, kNameUnits);
    info.daylightDate = tzi.DaylightDate;
    info.daylightBias = tzi.DaylightBias;
    if (dynamicForm) {
        info.timeZoneKeyName = CutToUtf16Units(record.keyName, kKeyNameUnits);
        info.dynamicDaylightTimeDisabled = record.rules.dstEnabled == 0;
    }
    return info;
}

} // namespace

std::wstring CutToUtf16Units(std::wstring_view text, std::size_t units) {
    std::wstring cut;
    std::size_t used = 0;
    for (wchar_t ch : text) {
        // Only a 32-bit wchar_t holds a character that takes two units.
        const std::uint32_t code = static_cast<std::uint32_t>(ch);
        const std::size_t width = code > 0xFFFF ? 2 : 1;
        if (used + width > units) {
            break;
        }
        cut.push_back(ch);
        used += width;
    }
    return cut;
}

bool SetPrivilege(TimeZoneApi& system, std::wstring_view name, bool enable) {
    TokenHandle token = 0;
    if (!system.OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, &token)) {
        return false;
    }
    bool result = false;
    DWORD code = 0;
    std::uint64_t luid = 0;
    if (!system.LookupPrivilegeValue(name, &luid)) {
        code = GetThreadLastError();
    } else {
        const BOOL adjusted = system.AdjustTokenPrivilege(token, luid, enable ? kPrivilegeEnabled : 0);
        code = GetThreadLastError();
        result = adjusted != FALSE && code == 0;
        if (adjusted == FALSE && code == 0) {
            code = ERROR_GEN_FAILURE;
        }
    }
    system.CloseToken(token);
    SetThreadLastError(code);
    return result;
}

bool ActivateTimeZone(TimeZoneApi& system, bool isLegacyOs, const TimeZoneRecord* record) {
    if (record == nullptr) {
        SetThreadLastError(kErrorInvalidBlock);
        return false;
    }
    const PrivilegeChoice privilege = ChoosePrivilege(isLegacyOs);
    if (!SetPrivilege(system, privilege.name, true)) {
        LogText(EVENTLOG_ERROR_TYPE, privilege.enableFailed);
    }

    bool result = false;
    DWORD code = 0;
    if (system.HasSetDynamicTimeZoneInformation()) {
        result = system.SetDynamicTimeZoneInformation(ComposeInfo(*record, true)) != FALSE;
    } else {
        result = system.SetTimeZoneInformation(ComposeInfo(*record, false)) != FALSE;
    }
    if (!result) {
        code = GetThreadLastError();
    }

    if (!SetPrivilege(system, privilege.name, false)) {
        LogText(EVENTLOG_ERROR_TYPE, privilege.disableFailed);
    }
    if (result) {
        system.BroadcastSettingChange(L"intl", kBroadcastTimeoutMs);
    }
    SetThreadLastError(code);
    return result;
}

} // namespace tarvane
