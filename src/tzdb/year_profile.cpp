#include "tzdb/year_profile.h"

#include "platform/date_time.h"
#include "tzdb/civil_time.h"

#include <algorithm>

namespace tarvane {
namespace {

// Collects a year's changes in time order, folding those at its edges.
class ProfileBuilder {
public:
    ProfileBuilder(int year, std::int64_t startOffset)
        : yearStart_(CivilDay(year, 1, 1)), nextYear_(CivilDay(year + 1, 1, 1)), current_(startOffset) {
        profile_.year = year;
        profile_.startOffset = startOffset;
    }

    std::int64_t YearStart() const { return yearStart_; }
    std::int64_t NextYear() const { return nextYear_; }
    std::int64_t Current() const { return current_; }

    // False once the changes have left the year.
    bool Add(std::int64_t localBefore, std::int64_t offset) {
        if (localBefore >= nextYear_ - 1) {
            return false;
        }
        if (offset == current_) {
            return true;
        }
        current_ = offset;
        if (localBefore <= yearStart_) {
            profile_.startOffset = offset;
        } else {
            profile_.changes.push_back(OffsetChange{localBefore, offset});
        }
        return true;
    }

    YearProfile Take() { return std::move(profile_); }

private:
    std::int64_t yearStart_;
    std::int64_t nextYear_;
    std::int64_t current_;
    YearProfile profile_;
};

bool ValidRecurring(const SYSTEMTIME& rule) {
    return rule.wMonth >= 1 && rule.wMonth <= 12 && rule.wDay >= 1 && rule.wDay <= 5 &&
           rule.wDayOfWeek <= 6 && rule.wHour <= 23 && rule.wMinute <= 59 && rule.wSecond <= 59 &&
           rule.wMilliseconds <= 999;
}

} // namespace

YearProfile TzYearProfile(const TzZone& zone, int year) {
    // Offsets stay within a day, so two days either side hold every change
    // whose wall-clock time falls in the year.
    const std::int64_t from = CivilDay(year, 1, 1) - 2 * kSecondsPerDay;
    const std::int64_t to = CivilDay(year + 1, 1, 1) + 2 * kSecondsPerDay;
    ProfileBuilder builder(year, TzOffsetAt(zone, from));
    for (const TzChange& change : TzChangesBetween(zone, from, to)) {
        if (!builder.Add(change.time + builder.Current(), change.offset)) {
            break;
        }
    }
    return builder.Take();
}

const ZoneRules& RulesInForce(const TimeZoneRecord& zone, int year) {
    if (zone.years.empty()) {
        return zone.rules;
    }
    if (year <= static_cast<int>(zone.years.front().year)) {
        return zone.years.front().rules;
    }
    if (year >= static_cast<int>(zone.years.back().year)) {
        return zone.years.back().rules;
    }
    for (const DynamicYearRecord& dynamicYear : zone.years) {
        if (static_cast<int>(dynamicYear.year) == year) {
            return dynamicYear.rules;
        }
    }
    return zone.rules;
}

std::optional<std::int64_t> TransitionLocalTime(const SYSTEMTIME& rule, int year) {
    const std::int64_t timeOfDay = rule.wHour * 3600 + rule.wMinute * 60 + rule.wSecond;
    if (rule.wYear != 0) {
        FILETIME unused{};
        if (rule.wYear < 1601 || !portable::DateTimeToFileTime(rule, &unused)) {
            return std::nullopt;
        }
        return CivilDay(rule.wYear, rule.wMonth, rule.wDay) + timeOfDay;
    }
    if (!ValidRecurring(rule)) {
        return std::nullopt;
    }
    const int first = CivilWeekday(year, rule.wMonth, 1);
    int day = 1 + (rule.wDayOfWeek - first + 7) % 7 + 7 * (rule.wDay - 1);
    while (day > portable::MonthLength(year, rule.wMonth)) {
        day -= 7;
    }
    return CivilDay(year, rule.wMonth, day) + timeOfDay;
}

std::optional<YearProfile> RegistryYearProfile(const ZoneRules& rules, int year, std::wstring* problem) {
    const TziBlock tzi = ComposeTzi(rules);
    const auto minutes = [](std::int64_t bias) { return -bias * 60; };
    if (tzi.DaylightDate.wMonth == 0 || tzi.StandardDate.wMonth == 0) {
        // Without a daylight period the standard bias is not applied either.
        return ProfileBuilder(year, minutes(tzi.Bias)).Take();
    }
    const std::int64_t standard = minutes(static_cast<std::int64_t>(tzi.Bias) + tzi.StandardBias);
    const std::int64_t daylight = minutes(static_cast<std::int64_t>(tzi.Bias) + tzi.DaylightBias);
    const std::optional<std::int64_t> begins = TransitionLocalTime(tzi.DaylightDate, year);
    const std::optional<std::int64_t> ends = TransitionLocalTime(tzi.StandardDate, year);
    if (!begins || !ends) {
        *problem = begins ? L"the standard time rule here names no valid date"
                          : L"the daylight time rule here names no valid date";
        return std::nullopt;
    }
    // The daylight period runs from its start to its end, across the turn of
    // the year when it ends earlier in the year than it starts.
    const auto inDaylight = [&](std::int64_t t) {
        return *begins < *ends ? (*begins <= t && t < *ends)
                               : (*begins > *ends && (t >= *begins || t < *ends));
    };
    const std::int64_t yearStart = CivilDay(year, 1, 1);
    ProfileBuilder builder(year, inDaylight(yearStart) ? daylight : standard);
    if (*begins == *ends) {
        return builder.Take();
    }
    const bool beginsFirst = *begins < *ends;
    const std::int64_t firstAt = beginsFirst ? *begins : *ends;
    const std::int64_t secondAt = beginsFirst ? *ends : *begins;
    for (const auto& [at, offset] : {std::pair{firstAt, beginsFirst ? daylight : standard},
                                     std::pair{secondAt, beginsFirst ? standard : daylight}}) {
        // What happened before the year began is in its start offset already.
        if (at > yearStart && !builder.Add(at, offset)) {
            break;
        }
    }
    return builder.Take();
}

} // namespace tarvane
