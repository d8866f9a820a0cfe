#include "core/zone_limits.h"

#include "core/transition_dates.h"
#include "platform/date_time.h"

#include <cstdlib>

namespace tarvane {
namespace {

bool SameMoment(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

bool SameRecurringRule(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wMonth == b.wMonth && a.wDay == b.wDay && a.wDayOfWeek == b.wDayOfWeek && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

// The moment a recurring rule gives in the year of the one-time date `once`.
bool RecurringMeetsOnce(const SYSTEMTIME& recurring, const SYSTEMTIME& once, ClockApi& clock) {
    SYSTEMTIME rule = recurring;
    rule.wYear = 0;
    SYSTEMTIME when{};
    return ComputeTransitionDate(&rule, once.wYear, &when, clock) && SameMoment(when, once);
}

} // namespace

bool BaseOffsetPossible(LONG bias) {
    return std::llabs(static_cast<long long>(bias)) <= kMaxBaseOffsetMinutes;
}

bool DaylightShiftPossible(const TziBlock& tzi) {
    const long long shift = static_cast<long long>(tzi.DaylightBias) - tzi.StandardBias;
    return std::llabs(shift) <= kMaxDaylightShiftMinutes;
}

bool TransitionsDistinct(const ZoneRules& rules, ClockApi& clock) {
    const bool daylightOnce = rules.daylightOccurs == kOccursOnlyOnce;
    const bool standardOnce = rules.standardOccurs == kOccursOnlyOnce;
    if (daylightOnce && standardOnce) {
        return !SameMoment(rules.daylightAbsoluteDate, rules.standardAbsoluteDate);
    }
    if (daylightOnce) {
        return !RecurringMeetsOnce(rules.tzi.StandardDate, rules.daylightAbsoluteDate, clock);
    }
    if (standardOnce) {
        return !RecurringMeetsOnce(rules.tzi.DaylightDate, rules.standardAbsoluteDate, clock);
    }
    return !SameRecurringRule(rules.tzi.DaylightDate, rules.tzi.StandardDate);
}

bool OnceDateInYear(const SYSTEMTIME& once, DWORD year) {
    return year == 0 || once.wYear == year;
}

SYSTEMTIME OnceDateForYear(const SYSTEMTIME& recurring, const SYSTEMTIME& once, WORD year, ClockApi& clock) {
    SYSTEMTIME rule = recurring;
    rule.wYear = 0;
    SYSTEMTIME date{};
    if (ComputeTransitionDate(&rule, year, &date, clock)) {
        return date;
    }
    const SYSTEMTIME atOnceTime{year, 1, 0, 1, once.wHour, once.wMinute, once.wSecond, 0};
    if (IsValidDateTime(atOnceTime)) {
        return atOnceTime;
    }
    return SYSTEMTIME{year, 1, 0, 1, 0, 0, 0, 0};
}

} // namespace tarvane
