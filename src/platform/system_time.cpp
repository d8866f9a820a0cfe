#include "platform/system_time.h"

#ifndef _WIN32
#include <ctime>
#endif

namespace tarvane {

SYSTEMTIME CurrentUtcTime() {
    SYSTEMTIME now{};
#ifdef _WIN32
    ::GetSystemTime(&now);
#else
    timespec spec{};
    clock_gettime(CLOCK_REALTIME, &spec);
    tm parts{};
    gmtime_r(&spec.tv_sec, &parts);
    now.wYear = static_cast<WORD>(parts.tm_year + 1900);
    now.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    now.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    now.wDay = static_cast<WORD>(parts.tm_mday);
    now.wHour = static_cast<WORD>(parts.tm_hour);
    now.wMinute = static_cast<WORD>(parts.tm_min);
    now.wSecond = static_cast<WORD>(parts.tm_sec);
    now.wMilliseconds = static_cast<WORD>(spec.tv_nsec / 1000000);
#endif
    return now;
}

} // namespace tarvane
