// The in-memory model of the time-zone database: a zone, its dynamic years,
// its rules, and the 44-byte binary form (TZI) the registry stores them in.
#pragma once

#include "platform/win_types.h"

#include <array>
#include <string>
#include <vector>

namespace tarvane {

// REG_TZI_FORMAT: the registry value TZI of a zone and each per-year value.
struct TziBlock {
    LONG Bias;               // minutes; UTC = local time + Bias
    LONG StandardBias;       // added to Bias while standard time is in force
    LONG DaylightBias;       // added to Bias while daylight time is in force
    SYSTEMTIME StandardDate; // daylight time ends
    SYSTEMTIME DaylightDate; // daylight time begins (wMonth 0: no daylight saving)
};
static_assert(sizeof(TziBlock) == 44, "TziBlock is the 44-byte REG_TZI_FORMAT");

constexpr std::size_t kTziSize = 44;
using TziBytes = std::array<BYTE, kTziSize>;

// The block from / to its little-endian registry bytes.
TziBlock TziFromBytes(const BYTE* bytes);
TziBytes TziToBytes(const TziBlock& block);

// The kind of one transition date, as the "occurs" lists of the editor offer it.
enum OccursKind : LONG {
    kOccursUnset = 0,
    kOccursRecurringYearly = 1, // "Recurring Yearly": wYear 0, the nth weekday of a month
    kOccursOnlyOnce = 2,        // "Happens Only Once": one absolute date
};

// The rules of a zone or of one of its years, as the editor works on them.
// Each transition keeps both forms: the recurring rule in tzi and the
// one-time date in the absolute field; the occurs kind says which is meant.
struct ZoneRules {
    TziBlock tzi;
    LONG dstEnabled;
    LONG standardOccurs;
    LONG daylightOccurs;
    SYSTEMTIME standardAbsoluteDate;
    SYSTEMTIME daylightAbsoluteDate;
};
static_assert(sizeof(ZoneRules) == 88, "ZoneRules is copied as one 88-byte block");

struct DynamicYearRecord {
    DWORD year;
    ZoneRules rules;
};
static_assert(sizeof(DynamicYearRecord) == 92);

// Consecutive years, both ends included.
struct YearRun {
    DWORD first;
    DWORD last;
};

struct TimeZoneRecord {
    LONG id = 0;        // unique in one loaded list, never 0 or -1; the list row's item data
    LONG isCurrent = 0; // 1 for the machine's current zone
    std::wstring keyName;
    std::wstring displayName;
    std::wstring standardName;
    std::wstring daylightName;
    ZoneRules rules{};
    std::vector<DynamicYearRecord> years; // ascending by year
    // Years of the stored FirstEntry..LastEntry range whose values could not
    // be read (missing, or of the wrong type or size), ascending. Known to
    // the loader only; a save writes `years` and so drops exactly these.
    std::vector<YearRun> damagedYears;
};

// Stored form to edited form.
ZoneRules DeriveRules(const TziBlock& tzi);

// Edited form to the block that is written to the registry or applied to the
// system. A recurring-yearly transition goes out with wYear 0, whatever date
// the block held when it was read.
TziBlock ComposeTzi(const ZoneRules& rules);

// The two rules compose to the same TZI block.
bool SameStoredRules(const ZoneRules& a, const ZoneRules& b);

// The two records would leave the same values in the registry: the same
// names, and the same composed TZI for the zone and for each of the same
// years. Ids, the current-zone flag and the lost years do not count.
bool SameStoredZone(const TimeZoneRecord& a, const TimeZoneRecord& b);

// The runs as the user reads them: "2003, 2011-2015".
std::wstring YearRunsText(const std::vector<YearRun>& runs);

// One text of the whole record for the diagnostic log.
std::wstring DumpRecord(const TimeZoneRecord& record);

} // namespace tarvane
