// Check Against tz Database: every zone of the registry beside the IANA zone
// that CLDR maps its key to in the machine's region, year by year, with the
// registry's rules as the system applies them, and beside the zones of the
// key's other territories. Pure: the records and the table go in, texts come
// out.
#pragma once

#include "core/time_zone_record.h"
#include "core/zone_sources.h"
#include "tzdb/tz_table.h"
#include "tzdb/year_profile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvane {

// The check covers the current year and the five after it.
constexpr int kCheckedYears = 6;

enum class TzCheckStatus { kMatches, kDiffers, kNoMapping };

// The columns of the list, its CSV and its clipboard text.
inline constexpr const wchar_t* kCheckColumns[] = {L"Zone Key", L"Region", L"IANA Zone", L"Status",
                                                   L"First Difference"};

struct ZoneCheck {
    std::wstring key;
    std::wstring tzName; // empty without a mapping
    TzCheckStatus status = TzCheckStatus::kNoMapping;
    // The first year and change that differ, e.g. "2027: daylight time
    // begins 3/14 2:00 in the tz database, 3/8 2:00 here".
    std::wstring difference;
    // The CLDR territory `tzName` was chosen for ("CA", "001"); empty for a
    // zone compared with its remembered source, or without a mapping.
    std::wstring region;
    // A row for a further territory of the key, after the zone's own row.
    bool otherRegion = false;
    // Compared with the zone's remembered source: the IANA zone it was made
    // from, restored with, or chosen for it in the check.
    bool chosen = false;
};

// The Region column: the territory, or "chosen" for a remembered source.
std::wstring RegionColumnText(const ZoneCheck& check);

// Whether the user may choose the IANA zone of the row: a zone's own row
// without a mapping, or one compared with a source chosen before.
bool CanChooseTzZone(const ZoneCheck& check);

// The zone a key is compared with and the territory it was chosen for.
struct TzChoice {
    const std::wstring* tzName = nullptr; // null: neither a source nor a mapping
    std::wstring region;                  // as ZoneCheck::region
};

// "matches", "differs" or "no mapping".
const wchar_t* StatusText(TzCheckStatus status);

// "UTC+05:45", "UTC-00:44:30".
std::wstring UtcOffsetText(std::int64_t offset);

// The first way the registry's year `here` differs from the tz database's
// year `tz`, prefixed with the year; empty when their clocks agree.
std::wstring DescribeDifference(const YearProfile& tz, const YearProfile& here);

// The IANA zone a zone is compared with: the source remembered for a zone
// that Tarvane created from the tz database (when the table has it), else
// the main zone CLDR maps its key to in `region` (an ISO 3166 code), else
// the one of territory 001.
TzChoice ChooseTzZone(const TzTable& table, const std::wstring& zoneKey, const ZoneSources& sources,
                      std::wstring_view region = kWorldTerritory);

// The IANA zones CLDR maps the key to anywhere, each once, `region`'s first,
// then in the table's order, each labelled with its territories:
// "America/Vancouver (CA)", "America/Los_Angeles (001, US)".
struct TzZoneOffer {
    std::uint16_t name; // an index into the table's names
    std::wstring label;
};
std::vector<TzZoneOffer> ZonesOfKey(const TzTable& table, std::wstring_view zoneKey,
                                    std::wstring_view region);

// The same choice's name alone; null when neither.
const std::wstring* TzNameOfZone(const TzTable& table, const std::wstring& zoneKey,
                                 const ZoneSources& sources, std::wstring_view region = kWorldTerritory);

ZoneCheck CheckZone(const TimeZoneRecord& zone, const TzTable& table, int firstYear, int lastYear,
                    const ZoneSources& sources = {}, std::wstring_view region = kWorldTerritory);

// Every zone, in order, over `firstYear` and the years after it, for
// `region`. Each zone's row is followed by a row (`otherRegion`) for each
// further (territory, IANA zone) pair of its key whose verdict is not one
// of the rows above it for that zone: a key whose zones all agree adds none.
std::vector<ZoneCheck> CheckZones(const std::vector<TimeZoneRecord>& zones, const TzTable& table,
                                  int firstYear, const ZoneSources& sources = {},
                                  std::wstring_view region = kWorldTerritory);

// The same over the years `firstYear` to `lastYear`.
std::vector<ZoneCheck> CheckZoneYears(const std::vector<TimeZoneRecord>& zones, const TzTable& table,
                                      int firstYear, int lastYear, const ZoneSources& sources = {},
                                      std::wstring_view region = kWorldTerritory);

// What a check found: the zones' own rows, and the further rows that differ.
struct CheckCounts {
    DWORD zones = 0;
    DWORD matches = 0;
    DWORD differ = 0;
    DWORD noMapping = 0;
    DWORD otherRegionsDiffer = 0;
};
CheckCounts CountChecks(const std::vector<ZoneCheck>& checks);

// The territory the tz commands choose zones for: the user's region, or
// CLDR's default where the system names none.
std::wstring TerritoryOfRegion(std::wstring_view regionCode);

// "Canada (CA)"; the code alone without a name; "every region (001)" for
// CLDR's default.
std::wstring RegionText(std::wstring_view code, std::wstring_view name);

// "139 zones: 133 match, 3 differ for Canada (CA), 3 without a mapping; 19
// more (zone, region) pairs differ elsewhere".
std::wstring CheckSummary(const CheckCounts& counts, const std::wstring& regionText);

// The rows with a header line, CR LF ended: comma-separated with quotes where
// a field needs them, or tab-separated for the clipboard. A field that a
// spreadsheet would take for a formula starts with an apostrophe in the CSV.
std::wstring ChecksAsCsv(const std::vector<const ZoneCheck*>& rows);
std::wstring ChecksAsText(const std::vector<const ZoneCheck*>& rows);

} // namespace tarvane
