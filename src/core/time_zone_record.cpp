#include "core/time_zone_record.h"

#include "platform/format.h"
#include "platform/registry.h"

namespace tarvane {
namespace {

WORD ReadWordLe(const BYTE* bytes) {
    return static_cast<WORD>(bytes[0] | (bytes[1] << 8));
}

void WriteWordLe(BYTE* bytes, WORD value) {
    bytes[0] = static_cast<BYTE>(value & 0xFF);
    bytes[1] = static_cast<BYTE>(value >> 8);
}

SYSTEMTIME DateFromBytes(const BYTE* bytes) {
    SYSTEMTIME date;
    date.wYear = ReadWordLe(bytes);
    date.wMonth = ReadWordLe(bytes + 2);
    date.wDayOfWeek = ReadWordLe(bytes + 4);
    date.wDay = ReadWordLe(bytes + 6);
    date.wHour = ReadWordLe(bytes + 8);
    date.wMinute = ReadWordLe(bytes + 10);
    date.wSecond = ReadWordLe(bytes + 12);
    date.wMilliseconds = ReadWordLe(bytes + 14);
    return date;
}

void DateToBytes(const SYSTEMTIME& date, BYTE* bytes) {
    const WORD words[8] = {date.wYear, date.wMonth,  date.wDayOfWeek, date.wDay,
                           date.wHour, date.wMinute, date.wSecond,    date.wMilliseconds};
    for (int i = 0; i < 8; ++i) {
        WriteWordLe(bytes + 2 * i, words[i]);
    }
}

} // namespace

TziBlock TziFromBytes(const BYTE* bytes) {
    TziBlock block;
    block.Bias = static_cast<LONG>(ReadDwordLe(bytes));
    block.StandardBias = static_cast<LONG>(ReadDwordLe(bytes + 4));
    block.DaylightBias = static_cast<LONG>(ReadDwordLe(bytes + 8));
    block.StandardDate = DateFromBytes(bytes + 12);
    block.DaylightDate = DateFromBytes(bytes + 28);
    return block;
}

TziBytes TziToBytes(const TziBlock& block) {
    TziBytes bytes{};
    WriteDwordLe(bytes.data(), static_cast<DWORD>(block.Bias));
    WriteDwordLe(bytes.data() + 4, static_cast<DWORD>(block.StandardBias));
    WriteDwordLe(bytes.data() + 8, static_cast<DWORD>(block.DaylightBias));
    DateToBytes(block.StandardDate, bytes.data() + 12);
    DateToBytes(block.DaylightDate, bytes.data() + 28);
    return bytes;
}

ZoneRules DeriveRules(const TziBlock& tzi) {
    ZoneRules rules{};
    rules.tzi = tzi;
    rules.standardOccurs = tzi.StandardDate.wYear != 0 ? kOccursOnlyOnce : kOccursRecurringYearly;
    rules.daylightOccurs = tzi.DaylightDate.wYear != 0 ? kOccursOnlyOnce : kOccursRecurringYearly;
    rules.standardAbsoluteDate = tzi.StandardDate;
    rules.daylightAbsoluteDate = tzi.DaylightDate;
    rules.dstEnabled = tzi.DaylightDate.wMonth != 0 ? 1 : 0;
    return rules;
}

TziBlock ComposeTzi(const ZoneRules& rules) {
    TziBlock tzi = rules.tzi;
    if (rules.dstEnabled == 0) {
        tzi.StandardDate = SYSTEMTIME{};
        tzi.DaylightDate = SYSTEMTIME{};
        return tzi;
    }
    // A rule read as a one-time date and switched to recurring keeps its year
    // in tzi; the recurring form has none, or the system would take it as a
    // one-time date in that year.
    if (rules.standardOccurs == kOccursOnlyOnce) {
        tzi.StandardDate = rules.standardAbsoluteDate;
    } else if (rules.standardOccurs == kOccursRecurringYearly) {
        tzi.StandardDate.wYear = 0;
    }
    if (rules.daylightOccurs == kOccursOnlyOnce) {
        tzi.DaylightDate = rules.daylightAbsoluteDate;
    } else if (rules.daylightOccurs == kOccursRecurringYearly) {
        tzi.DaylightDate.wYear = 0;
    }
    return tzi;
}

bool SameStoredRules(const ZoneRules& a, const ZoneRules& b) {
    return TziToBytes(ComposeTzi(a)) == TziToBytes(ComposeTzi(b));
}

bool SameStoredZone(const TimeZoneRecord& a, const TimeZoneRecord& b) {
    if (a.displayName != b.displayName || a.standardName != b.standardName ||
        a.daylightName != b.daylightName || a.years.size() != b.years.size() ||
        TziToBytes(ComposeTzi(a.rules)) != TziToBytes(ComposeTzi(b.rules))) {
        return false;
    }
    for (std::size_t i = 0; i < a.years.size(); ++i) {
        if (a.years[i].year != b.years[i].year ||
            TziToBytes(ComposeTzi(a.years[i].rules)) != TziToBytes(ComposeTzi(b.years[i].rules))) {
            return false;
        }
    }
    return true;
}

std::wstring YearRunsText(const std::vector<YearRun>& runs) {
    std::wstring text;
    for (const YearRun& run : runs) {
        if (!text.empty()) {
            text += L", ";
        }
        text += run.first == run.last ? Format(L"%u", run.first) : Format(L"%u-%u", run.first, run.last);
    }
    return text;
}

std::wstring DumpRecord(const TimeZoneRecord& record) {
    const TziBlock& tzi = record.rules.tzi;
    const SYSTEMTIME& sd = tzi.StandardDate;
    const SYSTEMTIME& dd = tzi.DaylightDate;
    std::wstring text = Format(
        L"ID=%d, current=%d, key=\"%s\", dispName=\"%s\", bias=%d, DST=%d: stdName=\"%s\", stdBias=%d, "
        L"stdOccurs=%d, stdST=%04u-%02u-%02u %02u:%02u:%02u, dstName=\"%s\", dstBias=%d, dstOccurs=%d, "
        L"dstST=%04u-%02u-%02u %02u:%02u:%02u, ",
        record.id, record.isCurrent, record.keyName, record.displayName, tzi.Bias, record.rules.dstEnabled,
        record.standardName, tzi.StandardBias, record.rules.standardOccurs, sd.wYear, sd.wMonth, sd.wDay,
        sd.wHour, sd.wMinute, sd.wSecond, record.daylightName, tzi.DaylightBias, record.rules.daylightOccurs,
        dd.wYear, dd.wMonth, dd.wDay, dd.wHour, dd.wMinute, dd.wSecond);
    text += Format(L"years (%d):\n", static_cast<LONG>(record.years.size()));
    for (const DynamicYearRecord& year : record.years) {
        const ZoneRules& rules = year.rules;
        const SYSTEMTIME& ys = rules.tzi.StandardDate;
        const SYSTEMTIME& yd = rules.tzi.DaylightDate;
        text += Format(L"year=%u, DST=%d: stdBias=%d, stdOccurs=%d, stdST=%04u-%02u-%02u %02u:%02u:%02u, "
                       L"dstBias=%d, dstOccurs=%d, dstST=%04u-%02u-%02u %02u:%02u:%02u\n",
                       year.year, rules.dstEnabled, rules.tzi.StandardBias, rules.standardOccurs, ys.wYear,
                       ys.wMonth, ys.wDay, ys.wHour, ys.wMinute, ys.wSecond, rules.tzi.DaylightBias,
                       rules.daylightOccurs, yd.wYear, yd.wMonth, yd.wDay, yd.wHour, yd.wMinute, yd.wSecond);
    }
    return text;
}

} // namespace tarvane
