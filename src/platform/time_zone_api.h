// The time-zone seam: the kernel32 calls that read and set the machine's
// current zone, the token calls around setting it and the broadcast after it.
// The Win32 implementation calls the system (the dynamic forms only where the
// system has them); tests use their own.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvane {

// TIME_ZONE_INFORMATION, and with the last two fields DYNAMIC_TIME_ZONE_INFORMATION.
struct TimeZoneInfo {
    LONG bias = 0;
    std::wstring standardName;
    SYSTEMTIME standardDate{};
    LONG standardBias = 0;
    std::wstring daylightName;
    SYSTEMTIME daylightDate{};
    LONG daylightBias = 0;
    std::wstring timeZoneKeyName;
    bool dynamicDaylightTimeDisabled = false;
};

// Token access and privilege attributes, with the values Windows gives them.
inline constexpr DWORD kTokenQuery = 0x0008;
inline constexpr DWORD kTokenAdjustPrivileges = 0x0020;
inline constexpr DWORD kPrivilegeEnabled = 0x0002;

using TokenHandle = std::uintptr_t;

class TimeZoneApi {
public:
    virtual ~TimeZoneApi() = default;

    // Whether GetDynamicTimeZoneInformation exists on this system.
    virtual bool HasGetDynamicTimeZoneInformation() const = 0;
    // GetDynamicTimeZoneInformation; only called when it exists.
    virtual DWORD GetDynamicTimeZoneInformation(TimeZoneInfo* info) = 0;
    // GetTimeZoneInformation (no key name).
    virtual DWORD GetTimeZoneInformation(TimeZoneInfo* info) = 0;

    // Whether SetDynamicTimeZoneInformation exists on this system.
    virtual bool HasSetDynamicTimeZoneInformation() const = 0;
    // SetDynamicTimeZoneInformation; only called when it exists. The names go
    // into the system's fixed arrays of 32 and 128 characters: the caller cuts
    // them to 31 and 127. Nonzero on success, last error set.
    virtual BOOL SetDynamicTimeZoneInformation(const TimeZoneInfo& info) = 0;
    // SetTimeZoneInformation (no key name, no dynamic switch).
    virtual BOOL SetTimeZoneInformation(const TimeZoneInfo& info) = 0;

    // OpenProcessToken of the current process.
    virtual BOOL OpenProcessToken(DWORD access, TokenHandle* token) = 0;
    // LookupPrivilegeValueW on the local system.
    virtual BOOL LookupPrivilegeValue(std::wstring_view name, std::uint64_t* luid) = 0;
    // AdjustTokenPrivileges with one privilege. The token may lack it and the
    // call still return nonzero: the last error (ERROR_NOT_ALL_ASSIGNED) says so.
    virtual BOOL AdjustTokenPrivilege(TokenHandle token, std::uint64_t luid, DWORD attributes) = 0;
    virtual void CloseToken(TokenHandle token) = 0;

    // SendMessageTimeoutW to HWND_BROADCAST: WM_SETTINGCHANGE with `area` as
    // lParam, skipping hung windows, waiting at most `timeoutMs` for each.
    virtual void BroadcastSettingChange(std::wstring_view area, UINT timeoutMs) = 0;
};

// The system's own functions.
TimeZoneApi& SystemTimeZoneApi();

} // namespace tarvane
