#include "tzdb/new_zone.h"

#include "platform/format.h"
#include "tzdb/tz_check.h"

namespace tarvane {

void NameNewZone(TimeZoneRecord& zone) {
    const std::int64_t offset = -static_cast<std::int64_t>(zone.rules.tzi.Bias) * 60;
    zone.displayName = Format(L"(%s) %s", UtcOffsetText(offset), zone.keyName);
    zone.standardName = zone.keyName;
    zone.daylightName = zone.keyName;
    if (const std::size_t at = zone.daylightName.find(L"Standard"); at != std::wstring::npos) {
        zone.daylightName.replace(at, 8, L"Daylight");
    }
}

namespace {

TimeZoneRecord NewZone(const std::wstring& keyName, const ZoneRules& rules,
                       const std::vector<DynamicYearRecord>& years) {
    TimeZoneRecord zone;
    zone.keyName = keyName;
    zone.rules = rules;
    zone.years = years;
    NameNewZone(zone);
    return zone;
}

} // namespace

TimeZoneRecord NewZoneFromCopy(const std::wstring& keyName, const TimeZoneRecord& source) {
    return NewZone(keyName, source.rules, source.years);
}

FillPlan PlanNewZone(const TzZone& tz, int firstYear, int lastYear) {
    return PlanFill(TimeZoneRecord{}, tz, firstYear, lastYear);
}

TimeZoneRecord NewZoneFromPlan(const std::wstring& keyName, const FillPlan& plan) {
    return NewZone(keyName, plan.rules, plan.years);
}

} // namespace tarvane
