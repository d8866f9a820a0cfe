#include "tzdb/tz_check.h"

#include "platform/format.h"
#include "tzdb/civil_time.h"

#include <algorithm>

namespace tarvane {
namespace {

// "3/14 2:00", with seconds when there are any.
std::wstring WallClockText(std::int64_t local) {
    const SYSTEMTIME t = CivilTime(local);
    if (t.wSecond != 0) {
        return Format(L"%u/%u %u:%02u:%02u", t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    }
    return Format(L"%u/%u %u:%02u", t.wMonth, t.wDay, t.wHour, t.wMinute);
}

const wchar_t* ChangeName(std::int64_t before, std::int64_t after) {
    return after > before ? L"daylight time begins" : L"standard time begins";
}

std::wstring When(const OffsetChange& change, bool withOffset) {
    std::wstring text = WallClockText(change.localBefore);
    if (withOffset) {
        text += Format(L" (%s)", UtcOffsetText(change.offset));
    }
    return text;
}

std::vector<std::wstring> Fields(const ZoneCheck& check) {
    return {check.key, RegionColumnText(check), check.tzName, StatusText(check.status), check.difference};
}

// The zone beside the IANA zone `tz`, year by year: the first difference.
void CompareYears(const TimeZoneRecord& zone, const TzZone& tz, int firstYear, int lastYear,
                  ZoneCheck* check) {
    check->status = TzCheckStatus::kMatches;
    check->difference.clear();
    for (int year = firstYear; year <= lastYear; ++year) {
        std::wstring problem;
        const std::optional<YearProfile> here = RegistryYearProfile(RulesInForce(zone, year), year, &problem);
        check->difference =
            here ? DescribeDifference(TzYearProfile(tz, year), *here) : Format(L"%d: %s", year, problem);
        if (!check->difference.empty()) {
            check->status = TzCheckStatus::kDiffers;
            return;
        }
    }
}

std::wstring CsvField(const std::wstring& field) {
    std::wstring text = field;
    if (!text.empty() && (text[0] == L'=' || text[0] == L'+' || text[0] == L'-' || text[0] == L'@' ||
                          text[0] == L'\t' || text[0] == L'\r')) {
        text.insert(text.begin(), L'\'');
    }
    if (text.find_first_of(L",\"\r\n") == std::wstring::npos) {
        return text;
    }
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        quoted += c;
        if (c == L'"') {
            quoted += c;
        }
    }
    return quoted + L"\"";
}

std::wstring TextField(const std::wstring& field) {
    std::wstring text = field;
    for (wchar_t& c : text) {
        if (c == L'\t' || c == L'\r' || c == L'\n') {
            c = L' ';
        }
    }
    return text;
}

std::wstring Join(const std::vector<const ZoneCheck*>& rows, wchar_t separator,
                  std::wstring (*field)(const std::wstring&)) {
    std::wstring text;
    auto line = [&](const std::vector<std::wstring>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i != 0) {
                text += separator;
            }
            text += field(fields[i]);
        }
        text += L"\r\n";
    };
    line(std::vector<std::wstring>(std::begin(kCheckColumns), std::end(kCheckColumns)));
    for (const ZoneCheck* row : rows) {
        line(Fields(*row));
    }
    return text;
}

} // namespace

const wchar_t* StatusText(TzCheckStatus status) {
    switch (status) {
    case TzCheckStatus::kMatches:
        return L"matches";
    case TzCheckStatus::kDiffers:
        return L"differs";
    case TzCheckStatus::kNoMapping:
    default:
        return L"no mapping";
    }
}

std::wstring UtcOffsetText(std::int64_t offset) {
    const std::int64_t magnitude = offset < 0 ? -offset : offset;
    const auto hours = static_cast<DWORD>(magnitude / 3600);
    const auto minutes = static_cast<DWORD>(magnitude / 60 % 60);
    const auto seconds = static_cast<DWORD>(magnitude % 60);
    const wchar_t* sign = offset < 0 ? L"-" : L"+";
    if (seconds != 0) {
        return Format(L"UTC%s%02u:%02u:%02u", sign, hours, minutes, seconds);
    }
    return Format(L"UTC%s%02u:%02u", sign, hours, minutes);
}

std::wstring DescribeDifference(const YearProfile& tz, const YearProfile& here) {
    const int year = tz.year;
    if (tz.startOffset != here.startOffset) {
        return Format(L"%d: the year begins at %s in the tz database, at %s here", year,
                      UtcOffsetText(tz.startOffset), UtcOffsetText(here.startOffset));
    }
    std::int64_t tzBefore = tz.startOffset;
    std::int64_t hereBefore = here.startOffset;
    const std::size_t count =
        tz.changes.size() > here.changes.size() ? tz.changes.size() : here.changes.size();
    for (std::size_t i = 0; i < count; ++i) {
        const OffsetChange* a = i < tz.changes.size() ? &tz.changes[i] : nullptr;
        const OffsetChange* b = i < here.changes.size() ? &here.changes[i] : nullptr;
        if (a != nullptr && b != nullptr && *a == *b) {
            tzBefore = a->offset;
            hereBefore = b->offset;
            continue;
        }
        if (b == nullptr) {
            return Format(L"%d: %s %s in the tz database, not here", year, ChangeName(tzBefore, a->offset),
                          When(*a, false));
        }
        if (a == nullptr) {
            return Format(L"%d: %s %s here, not in the tz database", year, ChangeName(hereBefore, b->offset),
                          When(*b, false));
        }
        const bool offsetsDiffer = a->offset != b->offset;
        const std::wstring tzName = ChangeName(tzBefore, a->offset);
        const std::wstring hereName = ChangeName(hereBefore, b->offset);
        if (tzName == hereName) {
            return Format(L"%d: %s %s in the tz database, %s here", year, tzName, When(*a, offsetsDiffer),
                          When(*b, offsetsDiffer));
        }
        return Format(L"%d: %s %s in the tz database, %s %s here", year, tzName, When(*a, offsetsDiffer),
                      hereName, When(*b, offsetsDiffer));
    }
    return std::wstring();
}

TzChoice ChooseTzZone(const TzTable& table, const std::wstring& zoneKey, const ZoneSources& sources,
                      std::wstring_view region) {
    TzChoice choice;
    const std::wstring* source = FindZoneSource(sources, zoneKey);
    if (source != nullptr && FindTzZone(table, *source) != nullptr) {
        choice.tzName = source;
        return choice;
    }
    choice.tzName = MappedTzName(table, zoneKey, region, &choice.region);
    return choice;
}

std::vector<TzZoneOffer> ZonesOfKey(const TzTable& table, std::wstring_view zoneKey,
                                    std::wstring_view region) {
    std::vector<const TzMapping*> mappings = MappingsOfKey(table, zoneKey);
    std::stable_partition(mappings.begin(), mappings.end(),
                          [&](const TzMapping* mapping) { return mapping->territory == region; });
    std::vector<TzZoneOffer> offers;
    std::vector<std::vector<std::wstring>> territories;
    for (const TzMapping* mapping : mappings) {
        for (const std::uint16_t name : mapping->names) {
            const auto known = std::find_if(offers.begin(), offers.end(),
                                            [&](const TzZoneOffer& offer) { return offer.name == name; });
            if (known == offers.end()) {
                offers.push_back(TzZoneOffer{name, std::wstring()});
                territories.emplace_back(1, mapping->territory);
            } else {
                territories[static_cast<std::size_t>(known - offers.begin())].push_back(mapping->territory);
            }
        }
    }
    for (std::size_t i = 0; i < offers.size(); ++i) {
        std::wstring list;
        for (const std::wstring& territory : territories[i]) {
            list += (list.empty() ? L"" : L", ") + territory;
        }
        offers[i].label = Format(L"%s (%s)", table.names[offers[i].name].first, list);
    }
    return offers;
}

const std::wstring* TzNameOfZone(const TzTable& table, const std::wstring& zoneKey,
                                 const ZoneSources& sources, std::wstring_view region) {
    return ChooseTzZone(table, zoneKey, sources, region).tzName;
}

ZoneCheck CheckZone(const TimeZoneRecord& zone, const TzTable& table, int firstYear, int lastYear,
                    const ZoneSources& sources, std::wstring_view region) {
    ZoneCheck check;
    check.key = zone.keyName;
    const TzChoice choice = ChooseTzZone(table, zone.keyName, sources, region);
    const TzZone* tz = choice.tzName != nullptr ? FindTzZone(table, *choice.tzName) : nullptr;
    if (tz == nullptr) {
        return check;
    }
    check.tzName = *choice.tzName;
    check.region = choice.region;
    check.chosen = choice.tzName == FindZoneSource(sources, zone.keyName);
    CompareYears(zone, *tz, firstYear, lastYear, &check);
    return check;
}

std::wstring RegionColumnText(const ZoneCheck& check) {
    return check.chosen ? std::wstring(L"chosen") : check.region;
}

bool CanChooseTzZone(const ZoneCheck& check) {
    return !check.otherRegion && (check.status == TzCheckStatus::kNoMapping || check.chosen);
}

std::vector<ZoneCheck> CheckZones(const std::vector<TimeZoneRecord>& zones, const TzTable& table,
                                  int firstYear, const ZoneSources& sources, std::wstring_view region) {
    return CheckZoneYears(zones, table, firstYear, firstYear + kCheckedYears - 1, sources, region);
}

std::vector<ZoneCheck> CheckZoneYears(const std::vector<TimeZoneRecord>& zones, const TzTable& table,
                                      int firstYear, int lastYear, const ZoneSources& sources,
                                      std::wstring_view region) {
    std::vector<ZoneCheck> checks;
    checks.reserve(zones.size());
    for (const TimeZoneRecord& zone : zones) {
        checks.push_back(CheckZone(zone, table, firstYear, lastYear, sources, region));
        const std::size_t own = checks.size() - 1;
        for (const TzMapping* mapping : MappingsOfKey(table, zone.keyName)) {
            for (const std::uint16_t name : mapping->names) {
                const std::wstring& tzName = table.names[name].first;
                if (mapping->territory == checks[own].region && tzName == checks[own].tzName) {
                    continue;
                }
                ZoneCheck other;
                other.key = zone.keyName;
                other.tzName = tzName;
                other.region = mapping->territory;
                other.otherRegion = true;
                CompareYears(zone, table.zones[table.names[name].second], firstYear, lastYear, &other);
                const bool seen = std::any_of(checks.begin() + static_cast<std::ptrdiff_t>(own), checks.end(),
                                              [&](const ZoneCheck& shown) {
                                                  return shown.status == other.status &&
                                                         shown.difference == other.difference;
                                              });
                if (!seen) {
                    checks.push_back(std::move(other));
                }
            }
        }
    }
    return checks;
}

CheckCounts CountChecks(const std::vector<ZoneCheck>& checks) {
    CheckCounts counts;
    for (const ZoneCheck& check : checks) {
        if (check.otherRegion) {
            counts.otherRegionsDiffer += check.status == TzCheckStatus::kDiffers ? 1 : 0;
            continue;
        }
        ++counts.zones;
        switch (check.status) {
        case TzCheckStatus::kMatches:
            ++counts.matches;
            break;
        case TzCheckStatus::kDiffers:
            ++counts.differ;
            break;
        case TzCheckStatus::kNoMapping:
        default:
            ++counts.noMapping;
            break;
        }
    }
    return counts;
}

std::wstring TerritoryOfRegion(std::wstring_view regionCode) {
    return std::wstring(regionCode.empty() ? std::wstring_view(kWorldTerritory) : regionCode);
}

std::wstring RegionText(std::wstring_view code, std::wstring_view name) {
    if (code.empty() || code == kWorldTerritory) {
        return Format(L"every region (%s)", std::wstring(kWorldTerritory));
    }
    if (name.empty()) {
        return std::wstring(code);
    }
    return Format(L"%s (%s)", std::wstring(name), std::wstring(code));
}

std::wstring CheckSummary(const CheckCounts& counts, const std::wstring& regionText) {
    return Format(L"%u zones: %u match, %u differ for %s, %u without a mapping; %u more (zone, region) %s "
                  L"elsewhere",
                  counts.zones, counts.matches, counts.differ, regionText, counts.noMapping,
                  counts.otherRegionsDiffer,
                  counts.otherRegionsDiffer == 1 ? L"pair differs" : L"pairs differ");
}

std::wstring ChecksAsCsv(const std::vector<const ZoneCheck*>& rows) {
    return Join(rows, L',', CsvField);
}

std::wstring ChecksAsText(const std::vector<const ZoneCheck*>& rows) {
    return Join(rows, L'\t', TextField);
}

} // namespace tarvane
