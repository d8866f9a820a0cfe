#include "platform/clock_api.h"

#include "platform/system_time.h"

#ifndef _WIN32
#include "platform/date_time.h"

#include <ctime>
#endif

namespace tarvane {
namespace {

#ifdef _WIN32
class Win32Clock : public ClockApi {
public:
    SYSTEMTIME UtcNow() override { return CurrentUtcTime(); }
    SYSTEMTIME LocalNow() override {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        return now;
    }
    bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME* local) override {
        return ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, local) != FALSE;
    }
};
using PlatformClock = Win32Clock;
#else
// The C library's idea of the local zone (TZ).
class CLibraryClock : public ClockApi {
public:
    SYSTEMTIME UtcNow() override { return CurrentUtcTime(); }
    SYSTEMTIME LocalNow() override {
        SYSTEMTIME local{};
        UtcToLocal(CurrentUtcTime(), &local);
        return local;
    }
    bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME* local) override {
        FILETIME fileTime{};
        if (!DateTimeToFileTime(utc, &fileTime)) {
            return false;
        }
        // 1970-01-01 as a file time.
        constexpr std::int64_t kUnixEpoch = 116444736000000000ll;
        const auto ticks = static_cast<std::int64_t>(FileTimeTicks(fileTime)) - kUnixEpoch;
        const time_t seconds = static_cast<time_t>(ticks / 10000000);
        tm parts{};
        if (localtime_r(&seconds, &parts) == nullptr) {
            return false;
        }
        local->wYear = static_cast<WORD>(parts.tm_year + 1900);
        local->wMonth = static_cast<WORD>(parts.tm_mon + 1);
        local->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
        local->wDay = static_cast<WORD>(parts.tm_mday);
        local->wHour = static_cast<WORD>(parts.tm_hour);
        local->wMinute = static_cast<WORD>(parts.tm_min);
        local->wSecond = static_cast<WORD>(parts.tm_sec);
        local->wMilliseconds = utc.wMilliseconds;
        return true;
    }
};
using PlatformClock = CLibraryClock;
#endif

} // namespace

ClockApi& SystemClock() {
    static PlatformClock clock;
    return clock;
}

} // namespace tarvane
