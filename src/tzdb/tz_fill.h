// Fill From tz Database: a zone's rules for a range of years replaced by
// those of an IANA zone, in the registry's form. Planned here, without a
// window, so the main window only asks the user and applies the plan.
#pragma once

#include "core/time_zone_record.h"
#include "tzdb/tz_table.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvane {

// The table's data begins in 1970; a zone has at most 1000 dynamic years.
constexpr int kFirstTzYear = 1970;
constexpr int kLastTzYear = 9999;
constexpr std::size_t kMaxDynamicYears = 1000;

// A year of the range that the registry's form cannot hold exactly.
struct FillProblem {
    int year;
    std::wstring reason; // "two daylight periods", "3 different UTC offsets", ...
};

struct FillPlan {
    // Years of the range left with the rules they have now.
    std::vector<FillProblem> problems;
    int filledYears = 0;
    // The first year after the range whose continued rules differ from the
    // tz database, when the range ends the zone's dynamic years.
    std::optional<int> laterDifference;
    // The zone's own rules and dynamic years afterwards.
    ZoneRules rules{};
    std::vector<DynamicYearRecord> years;
};

// `displayName` with its "(UTC+hh:mm)" prefix showing the base offset of
// `bias` (minutes west of UTC, as the registry keeps it); a name without such
// a prefix, or whose prefix already shows it, is returned as it is.
std::wstring DisplayNameForBias(const std::wstring& displayName, LONG bias);

// The problems one a line, "2012: two daylight periods", for a message.
std::wstring ProblemLines(const std::vector<FillProblem>& problems);

// `year` of the tz zone in the registry's form, recurring dates only, with
// the daylight bias of `base` where the year has no daylight time; none, with
// `reason`, when the form cannot hold the year exactly.
std::optional<ZoneRules> ExpressYear(const TzZone& tz, int year, const ZoneRules& base, std::wstring* reason);

// The zone after filling `firstYear` to `lastYear` (within 1970-9999) from
// `tz`. Those years then follow the tz database (but for the problems); the
// zone's own rules become those of the last year; dynamic years are written
// where the rules change from year to year or the zone has them already, in
// one run: the years it has outside the range stay, the years between them
// and the range are written with the rules they follow now, and repeats at
// the end of the run are left out, since the system carries the last year on.
FillPlan PlanFill(const TimeZoneRecord& zone, const TzZone& tz, int firstYear, int lastYear);

} // namespace tarvane
