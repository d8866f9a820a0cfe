#include "core/zone_rules_check.h"

#include "core/zone_limits.h"
#include "platform/date_time.h"
#include "platform/format.h"
#include "platform/text.h"

#include <cstdlib>

namespace tarvane {
namespace {

// The editor's fields hold no offset beyond a day.
constexpr LONG kMaxOffset = 1440;

bool OutOfRange(LONG bias) {
    return std::llabs(static_cast<long long>(bias)) > kMaxOffset;
}

// The fields and texts of one transition group's checks.
struct TransitionChecks {
    ZoneField month;
    ZoneField week;
    ZoneField dayOfWeek;
    ZoneField time;
    ZoneField date;
    ZoneField occurs;
    const wchar_t* monthText;
    const wchar_t* weekText;
    const wchar_t* dayOfWeekText;
    const wchar_t* timeText;
    const wchar_t* dateText;
    const wchar_t* occursText;
    const wchar_t* dateYearText; // format: the year the date must lie in
};

const TransitionChecks kDaylightChecks{
    ZoneField::kDaylightMonth,
    ZoneField::kDaylightWeek,
    ZoneField::kDaylightDayOfWeek,
    ZoneField::kDaylightTime,
    ZoneField::kDaylightDate,
    ZoneField::kDaylightOccurs,
    L"Daylight Saving Time 'Month' for 'Occurs on' selection is incorrect",
    L"Daylight Saving Time 'Week' for 'Occurs on' selection is incorrect",
    L"Daylight Saving Time 'Day Of The Week' for 'Occurs on' selection is incorrect",
    L"Daylight Saving 'Time' for 'Occurs on' selection is incorrect",
    L"Daylight Saving Time Date/Time selection for 'Occurs on' is incorrect",
    L"Daylight Saving Time 'Occurs on' selection is incorrect",
    L"Daylight Saving Time Date/Time selection for 'Occurs on' must lie in the year %u",
};

const TransitionChecks kStandardChecks{
    ZoneField::kStandardMonth,
    ZoneField::kStandardWeek,
    ZoneField::kStandardDayOfWeek,
    ZoneField::kStandardTime,
    ZoneField::kStandardDate,
    ZoneField::kStandardOccurs,
    L"Standard Time 'Month' for 'Occurs on' selection is incorrect",
    L"Standard Time 'Week' for 'Occurs on' selection is incorrect",
    L"Standard Time 'Day Of The Week' for 'Occurs on' selection is incorrect",
    L"Standard 'Time' for 'Occurs on' selection is incorrect",
    L"Standard Time Date/Time selection for 'Occurs on' is incorrect",
    L"Standard Time 'Occurs on' selection is incorrect",
    L"Standard Time Date/Time selection for 'Occurs on' must lie in the year %u",
};

ZoneRuleProblem InYear(ZoneField field, std::wstring message, std::wstring logLine = {}) {
    return ZoneRuleProblem{field, std::move(message), std::move(logLine), true};
}

std::optional<ZoneRuleProblem> CheckTransition(DWORD year, LONG kind, SYSTEMTIME* recurring,
                                               const SYSTEMTIME& once, const TransitionChecks& checks) {
    if (kind == kOccursRecurringYearly) {
        if (recurring->wMonth < 1 || recurring->wMonth > 12) {
            return InYear(checks.month, checks.monthText);
        }
        if (recurring->wDay < 1 || recurring->wDay > 5) {
            return InYear(checks.week, checks.weekText);
        }
        if (recurring->wDayOfWeek > 6) {
            return InYear(checks.dayOfWeek, checks.dayOfWeekText);
        }
        if (recurring->wHour > 23 || recurring->wMinute > 59) {
            return InYear(checks.time, checks.timeText);
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
            return InYear(checks.date, checks.dateText);
        }
        if (!OnceDateInYear(once, year)) {
            return InYear(
                checks.date, Format(checks.dateYearText, year),
                Format(L"[242] yr=%u, date=%04u-%02u-%02u", year, once.wYear, once.wMonth, once.wDay));
        }
        return std::nullopt;
    }
    return InYear(checks.occurs, checks.occursText);
}

} // namespace

ZoneRulesCheck CheckZoneRules(TimeZoneRecord& zone, DWORD year, ZoneRules& rules, ClockApi& clock) {
    ZoneRulesCheck check;
    const bool own = year == 0;
    if (OutOfRange(rules.tzi.Bias)) {
        check.problem = InYear(ZoneField::kBias, L"'Offset (bias)' is out of range",
                               Format(L"[108] bias=%d", rules.tzi.Bias));
        return check;
    }
    if (!BaseOffsetPossible(rules.tzi.Bias)) {
        check.problem =
            InYear(ZoneField::kBias,
                   L"'Offset (bias)' is out of range: it must lie between GMT -14:00 and GMT +14:00",
                   Format(L"[239] bias=%d", rules.tzi.Bias));
        return check;
    }
    if (own) {
        zone.daylightName = TrimWhiteSpace(zone.daylightName);
        check.daylightNameTrimmed = true;
        if (zone.daylightName.empty()) {
            check.problem = ZoneRuleProblem{
                ZoneField::kDaylightName, L"'Daylight Saving Time Name' must be provided", {}, false};
            return check;
        }
    }
    if (OutOfRange(rules.tzi.DaylightBias)) {
        check.problem =
            InYear(ZoneField::kDaylightBias, L"Daylight Saving Time 'Offset (bias)' is out of range",
                   Format(L"[110] bias=%d", rules.tzi.DaylightBias));
        return check;
    }
    if (rules.dstEnabled != 0) {
        check.problem = CheckTransition(year, rules.daylightOccurs, &rules.tzi.DaylightDate,
                                        rules.daylightAbsoluteDate, kDaylightChecks);
        if (check.problem) {
            return check;
        }
    }
    if (own) {
        zone.standardName = TrimWhiteSpace(zone.standardName);
        check.standardNameTrimmed = true;
        if (zone.standardName.empty()) {
            check.problem = ZoneRuleProblem{
                ZoneField::kStandardName, L"'Standard Time Name' must be provided", {}, false};
            return check;
        }
    }
    if (OutOfRange(rules.tzi.StandardBias)) {
        check.problem = InYear(ZoneField::kStandardBias, L"Standard Time 'Offset (bias)' is out of range",
                               Format(L"[109] bias=%d", rules.tzi.StandardBias));
        return check;
    }
    if (rules.dstEnabled == 0) {
        return check;
    }
    // Daylight saving in use: its offset and its two transitions must be ones a zone can have.
    if (!DaylightShiftPossible(rules.tzi)) {
        check.problem =
            InYear(ZoneField::kDaylightBias,
                   L"Daylight Saving Time 'Offset (bias)' is out of range: it must lie within 4 hours of "
                   L"the Standard Time 'Offset (bias)'",
                   Format(L"[240] stdBias=%d, dstBias=%d", rules.tzi.StandardBias, rules.tzi.DaylightBias));
        return check;
    }
    check.problem = CheckTransition(year, rules.standardOccurs, &rules.tzi.StandardDate,
                                    rules.standardAbsoluteDate, kStandardChecks);
    if (check.problem) {
        return check;
    }
    if (!TransitionsDistinct(rules, clock)) {
        check.problem = InYear(
            rules.daylightOccurs == kOccursOnlyOnce ? ZoneField::kDaylightDate : ZoneField::kDaylightMonth,
            L"Daylight Saving Time must begin and end at two different moments: the 'Occurs on' "
            L"selections of Daylight Saving Time and of Standard Time name the same date and time",
            Format(L"[241] yr=%u", year));
    }
    return check;
}

} // namespace tarvane
