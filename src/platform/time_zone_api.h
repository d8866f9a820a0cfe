// The time-zone seam: the kernel32 calls that read and set the machine's
// current zone. The Win32 implementation calls the system (the dynamic forms
// only where the system has them); tests use their own.
#pragma once

#include "platform/win_types.h"

#include <string>

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

class TimeZoneApi {
public:
    virtual ~TimeZoneApi() = default;

    // Whether GetDynamicTimeZoneInformation exists on this system.
    virtual bool HasGetDynamicTimeZoneInformation() const = 0;
    // GetDynamicTimeZoneInformation; only called when it exists.
    virtual DWORD GetDynamicTimeZoneInformation(TimeZoneInfo* info) = 0;
    // GetTimeZoneInformation (no key name).
    virtual DWORD GetTimeZoneInformation(TimeZoneInfo* info) = 0;
};

// The system's own functions.
TimeZoneApi& SystemTimeZoneApi();

} // namespace tarvane
