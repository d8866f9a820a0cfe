#include "core/transition_dates.h"

#include "platform/date_time.h"

namespace tarvane {

bool ComputeTransitionDate(const SYSTEMTIME* rule, WORD year, SYSTEMTIME* out, ClockApi& clock) {
    if (rule == nullptr) {
        return false;
    }
    if (year == 0) {
        year = clock.LocalNow().wYear;
    }
    if (rule->wYear != 0) {
        *out = *rule;
        return IsValidDateTime(*rule);
    }

    SYSTEMTIME candidate{};
    candidate.wYear = year;
    candidate.wMonth = rule->wMonth;
    candidate.wDay = 1;
    candidate.wHour = rule->wHour;
    candidate.wMinute = rule->wMinute;
    *out = candidate;
    FILETIME step{};
    if (!DateTimeToFileTime(candidate, &step)) {
        return false;
    }
    // Day by day from the 1st of the month, the 1st itself included: the
    // first Sunday of November 2026 is 1 November.
    int matches = 0;
    WORD lastMatch = 0;
    for (;;) {
        SYSTEMTIME day{};
        if (!FileTimeToDateTime(step, &day)) {
            return false;
        }
        if (day.wMonth != rule->wMonth) {
            if (rule->wDay == 5 && matches > 0) {
                candidate.wDay = lastMatch;
                break;
            }
            return false;
        }
        if (day.wDayOfWeek == rule->wDayOfWeek) {
            ++matches;
            if (matches == rule->wDay) {
                candidate.wDay = day.wDay;
                break;
            }
            lastMatch = day.wDay;
        }
        step = MakeFileTime(FileTimeTicks(step) + kFileTimeTicksPerDay);
    }
    *out = candidate;
    return IsValidDateTime(candidate);
}

} // namespace tarvane
