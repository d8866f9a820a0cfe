#include "core/clock_warnings.h"

#include "platform/format.h"

#include <algorithm>

namespace tarvane {
namespace {

bool HasDaylight(const ZoneRules& rules) {
    return ComposeTzi(rules).DaylightDate.wMonth != 0;
}

// The year as `before` held it, unchanged.
bool Unchanged(const DynamicYearRecord& year, const TimeZoneRecord& before) {
    return std::any_of(before.years.begin(), before.years.end(), [&](const DynamicYearRecord& old) {
        return old.year == year.year && SameStoredRules(old.rules, year.rules);
    });
}

} // namespace

std::vector<std::wstring> ClockWarnings(const TimeZoneRecord& zone, const TimeZoneRecord& before,
                                        const std::vector<DWORD>& untouchedNewYears) {
    std::vector<std::wstring> warnings;
    const std::vector<DynamicYearRecord>& years = zone.years;
    const std::wstring& name = zone.keyName;
    bool daylightBefore = false;
    bool lastWarned = false;
    for (std::size_t i = 0; i < years.size(); ++i) {
        const DynamicYearRecord& year = years[i];
        if (HasDaylight(year.rules)) {
            daylightBefore = true;
            continue;
        }
        if (!daylightBefore || !HasDaylight(zone.rules) || Unchanged(year, before)) {
            continue;
        }
        // One sentence for a run of such years.
        std::size_t end = i;
        while (end + 1 < years.size() && !HasDaylight(years[end + 1].rules) &&
               !Unchanged(years[end + 1], before)) {
            ++end;
        }
        if (end + 1 == years.size()) {
            lastWarned = true;
            warnings.push_back(Format(L"From %u on, %s has no daylight saving time.", year.year, name));
        } else if (end == i) {
            warnings.push_back(Format(L"In %u, %s has no daylight saving time.", year.year, name));
        } else {
            warnings.push_back(
                Format(L"From %u to %u, %s has no daylight saving time.", year.year, years[end].year, name));
        }
        i = end;
    }
    if (years.size() >= 2) {
        const DynamicYearRecord& lastYear = years.back();
        const DynamicYearRecord& previous = years[years.size() - 2];
        const bool untouched = std::find(untouchedNewYears.begin(), untouchedNewYears.end(), lastYear.year) !=
                               untouchedNewYears.end();
        if (untouched && !lastWarned && !SameStoredRules(lastYear.rules, previous.rules)) {
            warnings.push_back(
                Format(L"From %u on, %s follows the rules of the new year %u, which differ from "
                       L"those of %u and were not edited.",
                       lastYear.year, name, lastYear.year, previous.year));
        }
    }
    return warnings;
}

} // namespace tarvane
