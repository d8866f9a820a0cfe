// Daylight-saving transitions as they happened (and are scheduled), taken from
// the IANA tz database: local wall-clock time of the change, daylight saving
// beginning in standard time and ending in daylight time, as Windows rules
// state them.
#pragma once

#include "platform/win_types.h"

namespace tarvane::test {

struct WallClock {
    WORD month;
    WORD day;
    WORD hour;
};

struct RealTransitions {
    const wchar_t* zone; // IANA name
    WORD year;
    WallClock begins;
    WallClock ends;
};

// The Windows key name of each IANA zone in the table, with the yearly rule
// that has held in that zone over the table's years.
struct ZoneRule {
    const wchar_t* zone;
    const wchar_t* windowsKey;
    SYSTEMTIME daylightDate; // begins
    SYSTEMTIME standardDate; // ends
};

inline const ZoneRule kRealWorldRules[] = {
    {L"America/New_York", L"Eastern Standard Time", {0, 3, 0, 2, 2, 0, 0, 0}, {0, 11, 0, 1, 2, 0, 0, 0}},
    {L"Europe/Berlin", L"W. Europe Standard Time", {0, 3, 0, 5, 2, 0, 0, 0}, {0, 10, 0, 5, 3, 0, 0, 0}},
    {L"Australia/Sydney", L"AUS Eastern Standard Time", {0, 10, 0, 1, 2, 0, 0, 0}, {0, 4, 0, 1, 3, 0, 0, 0}},
    {L"Pacific/Auckland", L"New Zealand Standard Time", {0, 9, 0, 5, 2, 0, 0, 0}, {0, 4, 0, 1, 3, 0, 0, 0}},
};

// clang-format off
inline const RealTransitions kRealWorldTransitions[] = {
    {L"America/New_York", 2007, {3, 11, 2}, {11, 4, 2}},
    {L"America/New_York", 2008, {3, 9, 2}, {11, 2, 2}},
    {L"America/New_York", 2009, {3, 8, 2}, {11, 1, 2}},
    {L"America/New_York", 2010, {3, 14, 2}, {11, 7, 2}},
    {L"America/New_York", 2011, {3, 13, 2}, {11, 6, 2}},
    {L"America/New_York", 2012, {3, 11, 2}, {11, 4, 2}},
    {L"America/New_York", 2013, {3, 10, 2}, {11, 3, 2}},
    {L"America/New_York", 2014, {3, 9, 2}, {11, 2, 2}},
    {L"America/New_York", 2015, {3, 8, 2}, {11, 1, 2}},
    {L"America/New_York", 2016, {3, 13, 2}, {11, 6, 2}},
    {L"America/New_York", 2017, {3, 12, 2}, {11, 5, 2}},
    {L"America/New_York", 2018, {3, 11, 2}, {11, 4, 2}},
    {L"America/New_York", 2019, {3, 10, 2}, {11, 3, 2}},
    {L"America/New_York", 2020, {3, 8, 2}, {11, 1, 2}},
    {L"America/New_York", 2021, {3, 14, 2}, {11, 7, 2}},
    {L"America/New_York", 2022, {3, 13, 2}, {11, 6, 2}},
    {L"America/New_York", 2023, {3, 12, 2}, {11, 5, 2}},
    {L"America/New_York", 2024, {3, 10, 2}, {11, 3, 2}},
    {L"America/New_York", 2025, {3, 9, 2}, {11, 2, 2}},
    {L"America/New_York", 2026, {3, 8, 2}, {11, 1, 2}},
    {L"America/New_York", 2027, {3, 14, 2}, {11, 7, 2}},
    {L"America/New_York", 2028, {3, 12, 2}, {11, 5, 2}},
    {L"America/New_York", 2029, {3, 11, 2}, {11, 4, 2}},
    {L"America/New_York", 2030, {3, 10, 2}, {11, 3, 2}},
    {L"Europe/Berlin", 1996, {3, 31, 2}, {10, 27, 3}},
    {L"Europe/Berlin", 1997, {3, 30, 2}, {10, 26, 3}},
    {L"Europe/Berlin", 1998, {3, 29, 2}, {10, 25, 3}},
    {L"Europe/Berlin", 1999, {3, 28, 2}, {10, 31, 3}},
    {L"Europe/Berlin", 2000, {3, 26, 2}, {10, 29, 3}},
    {L"Europe/Berlin", 2001, {3, 25, 2}, {10, 28, 3}},
    {L"Europe/Berlin", 2002, {3, 31, 2}, {10, 27, 3}},
    {L"Europe/Berlin", 2003, {3, 30, 2}, {10, 26, 3}},
    {L"Europe/Berlin", 2004, {3, 28, 2}, {10, 31, 3}},
    {L"Europe/Berlin", 2005, {3, 27, 2}, {10, 30, 3}},
    {L"Europe/Berlin", 2006, {3, 26, 2}, {10, 29, 3}},
    {L"Europe/Berlin", 2007, {3, 25, 2}, {10, 28, 3}},
    {L"Europe/Berlin", 2008, {3, 30, 2}, {10, 26, 3}},
    {L"Europe/Berlin", 2009, {3, 29, 2}, {10, 25, 3}},
    {L"Europe/Berlin", 2010, {3, 28, 2}, {10, 31, 3}},
    {L"Europe/Berlin", 2011, {3, 27, 2}, {10, 30, 3}},
    {L"Europe/Berlin", 2012, {3, 25, 2}, {10, 28, 3}},
    {L"Europe/Berlin", 2013, {3, 31, 2}, {10, 27, 3}},
    {L"Europe/Berlin", 2014, {3, 30, 2}, {10, 26, 3}},
    {L"Europe/Berlin", 2015, {3, 29, 2}, {10, 25, 3}},
    {L"Europe/Berlin", 2016, {3, 27, 2}, {10, 30, 3}},
    {L"Europe/Berlin", 2017, {3, 26, 2}, {10, 29, 3}},
    {L"Europe/Berlin", 2018, {3, 25, 2}, {10, 28, 3}},
    {L"Europe/Berlin", 2019, {3, 31, 2}, {10, 27, 3}},
    {L"Europe/Berlin", 2020, {3, 29, 2}, {10, 25, 3}},
    {L"Europe/Berlin", 2021, {3, 28, 2}, {10, 31, 3}},
    {L"Europe/Berlin", 2022, {3, 27, 2}, {10, 30, 3}},
    {L"Europe/Berlin", 2023, {3, 26, 2}, {10, 29, 3}},
    {L"Europe/Berlin", 2024, {3, 31, 2}, {10, 27, 3}},
    {L"Europe/Berlin", 2025, {3, 30, 2}, {10, 26, 3}},
    {L"Europe/Berlin", 2026, {3, 29, 2}, {10, 25, 3}},
    {L"Europe/Berlin", 2027, {3, 28, 2}, {10, 31, 3}},
    {L"Europe/Berlin", 2028, {3, 26, 2}, {10, 29, 3}},
    {L"Europe/Berlin", 2029, {3, 25, 2}, {10, 28, 3}},
    {L"Europe/Berlin", 2030, {3, 31, 2}, {10, 27, 3}},
    {L"Australia/Sydney", 2008, {10, 5, 2}, {4, 6, 3}},
    {L"Australia/Sydney", 2009, {10, 4, 2}, {4, 5, 3}},
    {L"Australia/Sydney", 2010, {10, 3, 2}, {4, 4, 3}},
    {L"Australia/Sydney", 2011, {10, 2, 2}, {4, 3, 3}},
    {L"Australia/Sydney", 2012, {10, 7, 2}, {4, 1, 3}},
    {L"Australia/Sydney", 2013, {10, 6, 2}, {4, 7, 3}},
    {L"Australia/Sydney", 2014, {10, 5, 2}, {4, 6, 3}},
    {L"Australia/Sydney", 2015, {10, 4, 2}, {4, 5, 3}},
    {L"Australia/Sydney", 2016, {10, 2, 2}, {4, 3, 3}},
    {L"Australia/Sydney", 2017, {10, 1, 2}, {4, 2, 3}},
    {L"Australia/Sydney", 2018, {10, 7, 2}, {4, 1, 3}},
    {L"Australia/Sydney", 2019, {10, 6, 2}, {4, 7, 3}},
    {L"Australia/Sydney", 2020, {10, 4, 2}, {4, 5, 3}},
    {L"Australia/Sydney", 2021, {10, 3, 2}, {4, 4, 3}},
    {L"Australia/Sydney", 2022, {10, 2, 2}, {4, 3, 3}},
    {L"Australia/Sydney", 2023, {10, 1, 2}, {4, 2, 3}},
    {L"Australia/Sydney", 2024, {10, 6, 2}, {4, 7, 3}},
    {L"Australia/Sydney", 2025, {10, 5, 2}, {4, 6, 3}},
    {L"Australia/Sydney", 2026, {10, 4, 2}, {4, 5, 3}},
    {L"Australia/Sydney", 2027, {10, 3, 2}, {4, 4, 3}},
    {L"Australia/Sydney", 2028, {10, 1, 2}, {4, 2, 3}},
    {L"Australia/Sydney", 2029, {10, 7, 2}, {4, 1, 3}},
    {L"Australia/Sydney", 2030, {10, 6, 2}, {4, 7, 3}},
    {L"Pacific/Auckland", 2008, {9, 28, 2}, {4, 6, 3}},
    {L"Pacific/Auckland", 2009, {9, 27, 2}, {4, 5, 3}},
    {L"Pacific/Auckland", 2010, {9, 26, 2}, {4, 4, 3}},
    {L"Pacific/Auckland", 2011, {9, 25, 2}, {4, 3, 3}},
    {L"Pacific/Auckland", 2012, {9, 30, 2}, {4, 1, 3}},
    {L"Pacific/Auckland", 2013, {9, 29, 2}, {4, 7, 3}},
    {L"Pacific/Auckland", 2014, {9, 28, 2}, {4, 6, 3}},
    {L"Pacific/Auckland", 2015, {9, 27, 2}, {4, 5, 3}},
    {L"Pacific/Auckland", 2016, {9, 25, 2}, {4, 3, 3}},
    {L"Pacific/Auckland", 2017, {9, 24, 2}, {4, 2, 3}},
    {L"Pacific/Auckland", 2018, {9, 30, 2}, {4, 1, 3}},
    {L"Pacific/Auckland", 2019, {9, 29, 2}, {4, 7, 3}},
    {L"Pacific/Auckland", 2020, {9, 27, 2}, {4, 5, 3}},
    {L"Pacific/Auckland", 2021, {9, 26, 2}, {4, 4, 3}},
    {L"Pacific/Auckland", 2022, {9, 25, 2}, {4, 3, 3}},
    {L"Pacific/Auckland", 2023, {9, 24, 2}, {4, 2, 3}},
    {L"Pacific/Auckland", 2024, {9, 29, 2}, {4, 7, 3}},
    {L"Pacific/Auckland", 2025, {9, 28, 2}, {4, 6, 3}},
    {L"Pacific/Auckland", 2026, {9, 27, 2}, {4, 5, 3}},
    {L"Pacific/Auckland", 2027, {9, 26, 2}, {4, 4, 3}},
    {L"Pacific/Auckland", 2028, {9, 24, 2}, {4, 2, 3}},
    {L"Pacific/Auckland", 2029, {9, 30, 2}, {4, 1, 3}},
    {L"Pacific/Auckland", 2030, {9, 29, 2}, {4, 7, 3}},
};
// clang-format on

} // namespace tarvane::test
