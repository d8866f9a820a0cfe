// A new zone's record before it is saved: its key, names made from the key,
// and its rules, copied from a zone of the registry or taken from an IANA zone
// of the tz table for the years the user picks.
#pragma once

#include "core/time_zone_record.h"
#include "tzdb/tz_fill.h"
#include "tzdb/tz_table.h"

#include <string>

namespace tarvane {

// The names a new zone starts with: Display "(UTC+05:45) <key>" with the
// zone's own offset, Std the key, Dlt the key with its first "Standard"
// turned into "Daylight" (the key itself when it has none), as the system's
// own zones are named. The user may change them in edit mode.
void NameNewZone(TimeZoneRecord& zone);

// A zone keyed `keyName` with the rules and dynamic years of `source`.
TimeZoneRecord NewZoneFromCopy(const std::wstring& keyName, const TimeZoneRecord& source);

// A zone whose rules for `firstYear` to `lastYear` are those of `tz`, filled
// as Fill From tz Database fills a zone that has no rules yet. A year of the
// plan's problems would be left without rules: such a plan makes no zone.
FillPlan PlanNewZone(const TzZone& tz, int firstYear, int lastYear);
TimeZoneRecord NewZoneFromPlan(const std::wstring& keyName, const FillPlan& plan);

} // namespace tarvane
