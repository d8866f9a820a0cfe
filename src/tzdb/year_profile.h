// One year of a zone's clock, from the tz database or from the registry's
// rules as the system applies them: the UTC offset when the year begins
// (local 1 January 00:00) and every change of it during the year, as the
// clock on the wall sees it. Two profiles are equal exactly when the two
// clocks show the same time all year.
#pragma once

#include "core/time_zone_record.h"
#include "tzdb/tz_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvane {

struct OffsetChange {
    std::int64_t localBefore; // the wall clock just before the change, seconds since 1970-01-01 00:00
    std::int64_t offset;      // seconds east of UTC from the change on

    bool operator==(const OffsetChange& other) const = default;
};

// A change at local 1 January 00:00 counts as the year's start; one from
// 31 December 23:59:59 on is the next year's business (the registry's way of
// ending a year in another offset).
struct YearProfile {
    int year = 0;
    std::int64_t startOffset = 0;
    std::vector<OffsetChange> changes;

    bool operator==(const YearProfile& other) const = default;
};

YearProfile TzYearProfile(const TzZone& zone, int year);

// The rules the system applies to `year` of `zone`: the Dynamic DST year, the
// first dynamic year before it and the last after it, the zone's own rules
// when it has no dynamic years (or lacks this one between them).
const ZoneRules& RulesInForce(const TimeZoneRecord& zone, int year);

// The year under `rules`, composed as they are written and applied; none,
// with `problem` saying which, when a transition rule names no valid date.
std::optional<YearProfile> RegistryYearProfile(const ZoneRules& rules, int year, std::wstring* problem);

// The local wall-clock time of a transition rule in `year`: a recurring
// rule's date in that year, or a one-time rule's own date; none when the rule
// names no valid date.
std::optional<std::int64_t> TransitionLocalTime(const SYSTEMTIME& rule, int year);

} // namespace tarvane
