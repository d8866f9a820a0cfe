#include "zone_fixtures.h"

#include "platform/format.h"

namespace tarvane::test {

SYSTEMTIME Recurring(WORD month, WORD dayOfWeek, WORD occurrence, WORD hour, WORD minute) {
    return SYSTEMTIME{0, month, dayOfWeek, occurrence, hour, minute, 0, 0};
}

SYSTEMTIME Once(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    return SYSTEMTIME{year, month, 0, day, hour, minute, 0, 0};
}

bool SameSystemTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek && a.wDay == b.wDay &&
           a.wHour == b.wHour && a.wMinute == b.wMinute && a.wSecond == b.wSecond &&
           a.wMilliseconds == b.wMilliseconds;
}

TziBlock MakeTzi(LONG bias, LONG standardBias, LONG daylightBias, SYSTEMTIME standardDate,
                 SYSTEMTIME daylightDate) {
    return TziBlock{bias, standardBias, daylightBias, standardDate, daylightDate};
}

ZoneSpec SimpleZone(const std::wstring& key, LONG bias) {
    ZoneSpec zone;
    zone.key = key;
    zone.display = L"(UTC) " + key;
    zone.standard = key;
    zone.daylight = key + L" Daylight";
    zone.tzi = MakeTzi(bias);
    return zone;
}

void PutAwkwardZones(MemoryRegistry& registry) {
    const std::wstring info = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
    registry.PutString(info, L"TimeZoneKeyName", L"Zone \"A\" = -1");
    registry.PutString(info, L"", L"=-");
    auto zone = SimpleZone(L"Zone A", 60);
    zone.years = {{2005, MakeTzi(60)}, {2006, MakeTzi(60)}};
    PutZone(registry, zone);
    registry.PutString(ZonePath(L"Zone A"), L"Weird", L"a=-b\\\"[x]");
    registry.PutValue(ZonePath(L"Zone A"), L"Bytes", REG_BINARY, std::vector<BYTE>(200, 0x5B));
    PutZone(registry, SimpleZone(L"[Bracket] Zone", 0));
}

void PutZone(MemoryRegistry& registry, const ZoneSpec& zone) {
    const std::wstring path = ZonePath(zone.key);
    registry.PutKey(path);
    registry.PutString(path, L"Display", zone.display);
    registry.PutString(path, L"Dlt", zone.daylight);
    registry.PutString(path, L"Std", zone.standard);
    const TziBytes bytes = TziToBytes(zone.tzi);
    registry.PutValue(path, L"TZI", REG_BINARY, std::vector<BYTE>(bytes.begin(), bytes.end()));
    if (zone.years.empty() && !zone.firstEntry && !zone.lastEntry) {
        return;
    }
    const std::wstring dynamic = DynamicPath(zone.key);
    registry.PutKey(dynamic);
    const DWORD first = zone.firstEntry.value_or(zone.years.empty() ? 0 : zone.years.front().first);
    const DWORD last = zone.lastEntry.value_or(zone.years.empty() ? 0 : zone.years.back().first);
    registry.PutDword(dynamic, L"FirstEntry", first);
    registry.PutDword(dynamic, L"LastEntry", last);
    for (const auto& [year, tzi] : zone.years) {
        const TziBytes yearBytes = TziToBytes(tzi);
        registry.PutValue(dynamic, Format(L"%u", year), REG_BINARY,
                          std::vector<BYTE>(yearBytes.begin(), yearBytes.end()));
    }
}

} // namespace tarvane::test
