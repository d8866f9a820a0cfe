#include "tzdb/tz_check.h"

#include "platform/format.h"
#include "tzdb/civil_time.h"

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
    return {check.key, check.tzName, StatusText(check.status), check.difference};
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

ZoneCheck CheckZone(const TimeZoneRecord& zone, const TzTable& table, int firstYear, int lastYear) {
    ZoneCheck check;
    check.key = zone.keyName;
    const std::wstring* name = MappedTzName(table, zone.keyName);
    const TzZone* tz = name != nullptr ? FindTzZone(table, *name) : nullptr;
    if (tz == nullptr) {
        return check;
    }
    check.tzName = *name;
    check.status = TzCheckStatus::kMatches;
    for (int year = firstYear; year <= lastYear; ++year) {
        std::wstring problem;
        const std::optional<YearProfile> here = RegistryYearProfile(RulesInForce(zone, year), year, &problem);
        check.difference =
            here ? DescribeDifference(TzYearProfile(*tz, year), *here) : Format(L"%d: %s", year, problem);
        if (!check.difference.empty()) {
            check.status = TzCheckStatus::kDiffers;
            break;
        }
    }
    return check;
}

std::vector<ZoneCheck> CheckZones(const std::vector<TimeZoneRecord>& zones, const TzTable& table,
                                  int firstYear) {
    std::vector<ZoneCheck> checks;
    checks.reserve(zones.size());
    for (const TimeZoneRecord& zone : zones) {
        checks.push_back(CheckZone(zone, table, firstYear, firstYear + kCheckedYears - 1));
    }
    return checks;
}

std::wstring ChecksAsCsv(const std::vector<const ZoneCheck*>& rows) {
    return Join(rows, L',', CsvField);
}

std::wstring ChecksAsText(const std::vector<const ZoneCheck*>& rows) {
    return Join(rows, L'\t', TextField);
}

} // namespace tarvane
