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

TimeZoneRecord NewZoneFromCopy(const std::wstring& keyName, const TimeZoneRecord& source) {
    TimeZoneRecord zone;
    zone.keyName = keyName;
    zone.rules = source.rules;
    zone.years = source.years;
    NameNewZone(zone);
    return zone;
}

FillPlan PlanNewZone(const TzZone& tz, int firstYear, int lastYear) {
    return PlanFill(TimeZoneRecord{}, tz, firstYear, lastYear);
}

TimeZoneRecord NewZoneFromPlan(const std::wstring& keyName, const FillPlan& plan) {
    TimeZoneRecord zone;
    zone.keyName = keyName;
    zone.rules = plan.rules;
    zone.years = plan.years;
    NameNewZone(zone);
    return zone;
}

} // namespace tarvane
