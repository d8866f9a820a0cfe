#include "tzdb/civil_time.h"

#include "platform/date_time.h"

namespace tarvane {
namespace {

// FILETIME counts 100 ns units from 1601-01-01.
constexpr std::int64_t kSecondsFrom1601 = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10000000;

} // namespace

std::int64_t CivilDay(int year, int month, int day) {
    const SYSTEMTIME date{
        static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day), 0, 0, 0, 0};
    FILETIME ticks{};
    portable::DateTimeToFileTime(date, &ticks);
    return static_cast<std::int64_t>(FileTimeTicks(ticks)) / kTicksPerSecond - kSecondsFrom1601;
}

SYSTEMTIME CivilTime(std::int64_t seconds) {
    SYSTEMTIME time{};
    portable::FileTimeToDateTime(MakeFileTime(static_cast<std::uint64_t>(seconds + kSecondsFrom1601) *
                                              static_cast<std::uint64_t>(kTicksPerSecond)),
                                 &time);
    return time;
}

int CivilWeekday(int year, int month, int day) {
    // 1970-01-01 was a Thursday.
    const std::int64_t days = CivilDay(year, month, day) / kSecondsPerDay;
    return static_cast<int>(((days + 4) % 7 + 7) % 7);
}

} // namespace tarvane
