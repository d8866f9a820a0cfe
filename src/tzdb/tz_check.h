// Check Against tz Database: every zone of the registry beside the IANA zone
// that CLDR maps its key to, year by year, with the registry's rules as the
// system applies them. Pure: the records and the table go in, texts come out.
#pragma once

#include "core/time_zone_record.h"
#include "tzdb/tz_table.h"
#include "tzdb/year_profile.h"

#include <string>
#include <vector>

namespace tarvane {

// The check covers the current year and the five after it.
constexpr int kCheckedYears = 6;

enum class TzCheckStatus { kMatches, kDiffers, kNoMapping };

// The columns of the list, its CSV and its clipboard text.
inline constexpr const wchar_t* kCheckColumns[] = {L"Zone Key", L"IANA Zone", L"Status", L"First Difference"};

struct ZoneCheck {
    std::wstring key;
    std::wstring tzName; // empty without a mapping
    TzCheckStatus status = TzCheckStatus::kNoMapping;
    // The first year and change that differ, e.g. "2027: daylight time
    // begins 3/14 2:00 in the tz database, 3/8 2:00 here".
    std::wstring difference;
};

// "matches", "differs" or "no mapping".
const wchar_t* StatusText(TzCheckStatus status);

// "UTC+05:45", "UTC-00:44:30".
std::wstring UtcOffsetText(std::int64_t offset);

// The first way the registry's year `here` differs from the tz database's
// year `tz`, prefixed with the year; empty when their clocks agree.
std::wstring DescribeDifference(const YearProfile& tz, const YearProfile& here);

ZoneCheck CheckZone(const TimeZoneRecord& zone, const TzTable& table, int firstYear, int lastYear);

// Every zone, in order, over `firstYear` and the years after it.
std::vector<ZoneCheck> CheckZones(const std::vector<TimeZoneRecord>& zones, const TzTable& table,
                                  int firstYear);

// The rows with a header line, CR LF ended: comma-separated with quotes where
// a field needs them, or tab-separated for the clipboard. A field that a
// spreadsheet would take for a formula starts with an apostrophe in the CSV.
std::wstring ChecksAsCsv(const std::vector<const ZoneCheck*>& rows);
std::wstring ChecksAsText(const std::vector<const ZoneCheck*>& rows);

} // namespace tarvane
