// The rule that carries a zone on after the transitions its compiled file
// lists: a TZ string in the POSIX form as RFC 8536 extends it,
//   std offset [dst [offset] ,start[/time],end[/time]]
// for example "EST5EDT,M3.2.0,M11.1.0" or "<-03>3". Parsing and evaluating
// are pure: no system call, any text may be given.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tarvane {

// The day a daylight-saving change falls on, and its local time.
struct PosixTzDate {
    enum Kind {
        kMonthWeekDay, // Mm.w.d: the w-th (5: last) weekday d (0 Sunday) of month m
        kJulian,       // Jn: day n of 365, 29 February never counted
        kDayOfYear,    // n: day n counted from 0, 29 February counted
    };
    Kind kind = kMonthWeekDay;
    int month = 0;
    int week = 0;
    int weekday = 0;
    int dayNumber = 0;
    // Seconds after local midnight, -167 to +167 hours; 2:00 when not given.
    std::int32_t time = 7200;
};

struct PosixTz {
    LONG standardOffset = 0; // seconds east of UTC
    bool hasDaylight = false;
    LONG daylightOffset = 0;
    PosixTzDate start; // daylight time begins, in standard time
    PosixTzDate end;   // standard time begins, in daylight time
};

// The rule of `text`; none when the text is not of the form above (a
// daylight name without dates included: its dates would be guesswork).
std::optional<PosixTz> ParsePosixTz(std::wstring_view text);

// One change of a zone's offset: the UTC second it happens at (seconds since
// 1970-01-01 00:00 UTC) and the offset from then on.
struct TzChange {
    std::int64_t time;
    LONG offset;
    bool daylight;
};

// The rule's two changes in `year`, in time order; none without daylight time.
void AppendPosixTzChanges(const PosixTz& rule, int year, std::vector<TzChange>* out);

// Midnight of the day `date` names in `year`, in seconds since 1970-01-01.
std::int64_t PosixTzDay(const PosixTzDate& date, int year);

} // namespace tarvane
