// Dates and times as a count of seconds since 1970-01-01 00:00, in UTC or on
// a wall clock, through the portable date arithmetic of the platform layer:
// no system call, so the tz code that uses it runs the same everywhere.
#pragma once

#include "platform/win_types.h"

#include <cstdint>

namespace tarvane {

constexpr std::int64_t kSecondsPerDay = 86400;

// Seconds since 1970-01-01 00:00 of midnight at the start of that day; the
// date must exist (years 1601-30827).
std::int64_t CivilDay(int year, int month, int day);

// The date and time of a second count, with the day of the week (0 Sunday);
// milliseconds 0.
SYSTEMTIME CivilTime(std::int64_t seconds);

// The day of the week (0 Sunday) of a date.
int CivilWeekday(int year, int month, int day);

} // namespace tarvane
