#include "core/save_checks.h"

#include "core/zone_limits.h"
#include "platform/date_time.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/text.h"

#include <cstdlib>

namespace tarvane {
namespace {

constexpr LONG kMaxOffset = 1440;

bool OutOfRange(LONG bias) {
    return std::llabs(static_cast<long long>(bias)) > kMaxOffset;
}

// The fields and texts of one transition group's checks.
struct TransitionChecks {
    SaveField month;
    SaveField week;
    SaveField dayOfWeek;
    SaveField time;
    SaveField date;
    SaveField occurs;
    const wchar_t* monthText;
    const wchar_t* weekText;
    const wchar_t* dayOfWeekText;
    const wchar_t* timeText;
    const wchar_t* dateText;
    const wchar_t* occursText;
    const wchar_t* dateYearText; // format: the year the date must lie in
};

const TransitionChecks kDaylightChecks{
    SaveField::kDaylightMonth,
    SaveField::kDaylightWeek,
    SaveField::kDaylightDayOfWeek,
    SaveField::kDaylightTime,
    SaveField::kDaylightDate,
    SaveField::kDaylightOccurs,
    L"Daylight Saving Time 'Month' for 'Occurs on' selection is incorrect",
    L"Daylight Saving Time 'Week' for 'Occurs on' selection is incorrect",
    L"Daylight Saving Time 'Day Of The Week' for 'Occurs on' selection is incorrect",
    L"Daylight Saving 'Time' for 'Occurs on' selection is incorrect",
    L"Daylight Saving Time Date/Time selection for 'Occurs on' is incorrect",
    L"Daylight Saving Time 'Occurs on' selection is incorrect",
    L"Daylight Saving Time Date/Time selection for 'Occurs on' must lie in the year %u",
};

const TransitionChecks kStandardChecks{
    SaveField::kStandardMonth,
    SaveField::kStandardWeek,
    SaveField::kStandardDayOfWeek,
    SaveField::kStandardTime,
    SaveField::kStandardDate,
    SaveField::kStandardOccurs,
    L"Standard Time 'Month' for 'Occurs on' selection is incorrect",
    L"Standard Time 'Week' for 'Occurs on' selection is incorrect",
    L"Standard Time 'Day Of The Week' for 'Occurs on' selection is incorrect",
    L"Standard 'Time' for 'Occurs on' selection is incorrect",
    L"Standard Time Date/Time selection for 'Occurs on' is incorrect",
    L"Standard Time 'Occurs on' selection is incorrect",
    L"Standard Time Date/Time selection for 'Occurs on' must lie in the year %u",
};

std::optional<SaveRefusal> CheckTransition(DWORD year, LONG kind, SYSTEMTIME* recurring,
                                           const SYSTEMTIME& once, const TransitionChecks& checks) {
    if (kind == kOccursRecurringYearly) {
        if (recurring->wMonth < 1 || recurring->wMonth > 12) {
            return SaveRefusal{year, checks.month, checks.monthText};
        }
        if (recurring->wDay < 1 || recurring->wDay > 5) {
            return SaveRefusal{year, checks.week, checks.weekText};
        }
        if (recurring->wDayOfWeek > 6) {
            return SaveRefusal{year, checks.dayOfWeek, checks.dayOfWeekText};
        }
        if (recurring->wHour > 23 || recurring->wMinute > 59) {
            return SaveRefusal{year, checks.time, checks.timeText};
        }
        if (recurring->wSecond > 59) {
            recurring->wSecond = 0;
        }
        if (recurring->wMilliseconds > 999) {
            recurring->wMilliseconds = 0;
        }
        return std::nullopt;
    }
    if (kind == kOccursOnlyOnce) {
        if (!IsValidDateTime(once)) {
            return SaveRefusal{year, checks.date, checks.dateText};
        }
        if (!OnceDateInYear(once, year)) {
            LogMessage(L"[242] yr=%u, date=%04u-%02u-%02u", year, once.wYear, once.wMonth, once.wDay);
            return SaveRefusal{year, checks.date, Format(checks.dateYearText, year)};
        }
        return std::nullopt;
    }
    return SaveRefusal{year, checks.occurs, checks.occursText};
}

std::optional<SaveRefusal> CheckRules(TimeZoneRecord& zone, DWORD year, ZoneRules& rules, ClockApi& clock) {
    const bool own = year == 0;
    if (OutOfRange(rules.tzi.Bias)) {
        LogMessage(L"[108] bias=%d", rules.tzi.Bias);
        return SaveRefusal{year, SaveField::kBias, L"'Offset (bias)' is out of range"};
    }
    if (!BaseOffsetPossible(rules.tzi.Bias)) {
        LogMessage(L"[239] bias=%d", rules.tzi.Bias);
        return SaveRefusal{year, SaveField::kBias,
                           L"'Offset (bias)' is out of range: it must lie between GMT -14:00 and GMT +14:00"};
    }
    if (own) {
        zone.daylightName = TrimWhiteSpace(zone.daylightName);
        if (zone.daylightName.empty()) {
            return SaveRefusal{year, SaveField::kDaylightName,
                               L"'Daylight Saving Time Name' must be provided"};
        }
    }
    if (OutOfRange(rules.tzi.DaylightBias)) {
        LogMessage(L"[110] bias=%d", rules.tzi.DaylightBias);
        return SaveRefusal{year, SaveField::kDaylightBias,
                           L"Daylight Saving Time 'Offset (bias)' is out of range"};
    }
    if (rules.dstEnabled != 0) {
        if (auto refusal = CheckTransition(year, rules.daylightOccurs, &rules.tzi.DaylightDate,
                                           rules.daylightAbsoluteDate, kDaylightChecks)) {
            return refusal;
        }
    }
    if (own) {
        zone.standardName = TrimWhiteSpace(zone.standardName);
        if (zone.standardName.empty()) {
            return SaveRefusal{year, SaveField::kStandardName, L"'Standard Time Name' must be provided"};
        }
    }
    if (OutOfRange(rules.tzi.StandardBias)) {
        LogMessage(L"[109] bias=%d", rules.tzi.StandardBias);
        return SaveRefusal{year, SaveField::kStandardBias, L"Standard Time 'Offset (bias)' is out of range"};
    }
    if (rules.dstEnabled == 0) {
        return std::nullopt;
    }
    // Daylight saving in use: its offset and its two transitions must be ones a zone can have.
    if (!DaylightShiftPossible(rules.tzi)) {
        LogMessage(L"[240] stdBias=%d, dstBias=%d", rules.tzi.StandardBias, rules.tzi.DaylightBias);
        return SaveRefusal{
            year, SaveField::kDaylightBias,
            L"Daylight Saving Time 'Offset (bias)' is out of range: it must lie within 4 hours "
            L"of the Standard Time 'Offset (bias)'"};
    }
    if (auto refusal = CheckTransition(year, rules.standardOccurs, &rules.tzi.StandardDate,
                                       rules.standardAbsoluteDate, kStandardChecks)) {
        return refusal;
    }
    if (!TransitionsDistinct(rules, clock)) {
        LogMessage(L"[241] yr=%u", year);
        return SaveRefusal{
            year,
            rules.daylightOccurs == kOccursOnlyOnce ? SaveField::kDaylightDate : SaveField::kDaylightMonth,
            L"Daylight Saving Time must begin and end at two different moments: the 'Occurs on' "
            L"selections of Daylight Saving Time and of Standard Time name the same date and time"};
    }
    return std::nullopt;
}

} // namespace

std::optional<SaveRefusal> CheckZoneForSave(TimeZoneRecord& zone, ClockApi& clock) {
    zone.displayName = TrimWhiteSpace(zone.displayName);
    if (zone.displayName.empty()) {
        return SaveRefusal{0, SaveField::kDisplayName, L"'Display Name' must be provided"};
    }
    if (auto refusal = CheckRules(zone, 0, zone.rules, clock)) {
        return refusal;
    }
    for (DynamicYearRecord& year : zone.years) {
        if (auto refusal = CheckRules(zone, year.year, year.rules, clock)) {
            return refusal;
        }
    }
    return std::nullopt;
}

} // namespace tarvane
