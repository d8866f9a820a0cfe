#include "tzdb/tz_fill.h"

#include "platform/date_time.h"
#include "platform/format.h"
#include "tzdb/civil_time.h"
#include "tzdb/tz_check.h"
#include "tzdb/year_profile.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>

namespace tarvane {
namespace {

// How many years after the range are looked at: a whole cycle of the
// calendar's weekdays and leap years.
constexpr int kYearsLookedAhead = 28;

bool SameRules(const ZoneRules& a, const ZoneRules& b) {
    return TziToBytes(ComposeTzi(a)) == TziToBytes(ComposeTzi(b));
}

// The recurring form of a wall-clock time: its weekday's occurrence in the
// month. On the last such weekday both "4th" and "Last" name the day; the
// zone's continuing rule decides, else "Last", which carries over to other
// years as rules are usually written.
SYSTEMTIME RecurringForm(std::int64_t local, const TzZone& tz) {
    SYSTEMTIME form = CivilTime(local);
    const int week = (form.wDay - 1) / 7 + 1;
    const bool last = form.wDay + 7 > portable::MonthLength(form.wYear, form.wMonth);
    int chosen = last ? 5 : week;
    if (tz.rule && tz.rule->hasDaylight) {
        for (const PosixTzDate& date : {tz.rule->start, tz.rule->end}) {
            if (date.kind == PosixTzDate::kMonthWeekDay && date.month == form.wMonth &&
                date.weekday == form.wDayOfWeek && (date.week == week || (date.week == 5 && last))) {
                chosen = date.week;
            }
        }
    }
    form.wDay = static_cast<WORD>(chosen);
    form.wYear = 0;
    form.wMilliseconds = 0;
    return form;
}

LONG Minutes(std::int64_t offset) {
    return static_cast<LONG>(-offset / 60);
}

} // namespace

std::wstring DisplayNameForBias(const std::wstring& displayName, LONG bias) {
    // "(UTC)", "(UTC+05:45)", "(UTC-03:00)": what comes before the closing
    // parenthesis must be an offset, or the name is left alone.
    if (displayName.rfind(L"(UTC", 0) != 0) {
        return displayName;
    }
    const std::size_t close = displayName.find(L')');
    if (close == std::wstring::npos) {
        return displayName;
    }
    const std::wstring offset = displayName.substr(4, close - 4);
    const bool plain = offset.empty();
    const bool hasOffset = offset.size() == 6 && (offset[0] == L'+' || offset[0] == L'-') &&
                           offset[3] == L':' && std::iswdigit(offset[1]) && std::iswdigit(offset[2]) &&
                           std::iswdigit(offset[4]) && std::iswdigit(offset[5]);
    if (!plain && !hasOffset) {
        return displayName;
    }
    const std::int64_t seconds = -static_cast<std::int64_t>(bias) * 60;
    long long shown = 0;
    if (hasOffset) {
        shown = ((offset[1] - L'0') * 10 + (offset[2] - L'0')) * 3600LL +
                ((offset[4] - L'0') * 10 + (offset[5] - L'0')) * 60LL;
        shown = offset[0] == L'-' ? -shown : shown;
    }
    if (shown == seconds) {
        return displayName;
    }
    return L"(" + UtcOffsetText(seconds) + displayName.substr(close);
}

std::wstring ProblemLines(const std::vector<FillProblem>& problems) {
    std::wstring lines;
    for (const FillProblem& problem : problems) {
        lines += Format(L"%d: %s\n", problem.year, problem.reason);
    }
    if (!lines.empty()) {
        lines.pop_back();
    }
    return lines;
}

std::optional<ZoneRules> ExpressYear(const TzZone& tz, int year, const ZoneRules& base,
                                     std::wstring* reason) {
    const YearProfile profile = TzYearProfile(tz, year);
    std::set<std::int64_t> offsets{profile.startOffset};
    for (const OffsetChange& change : profile.changes) {
        offsets.insert(change.offset);
    }
    for (std::int64_t offset : offsets) {
        if (offset % 60 != 0) {
            *reason = Format(L"%s is not a whole number of minutes", UtcOffsetText(offset));
            return std::nullopt;
        }
    }
    const auto& changes = profile.changes;
    const bool returns = changes.size() == 2 && changes[1].offset == profile.startOffset;
    if (changes.size() > 2 || (changes.size() == 2 && !returns)) {
        if (offsets.size() > 2) {
            *reason = Format(L"%u different UTC offsets", static_cast<DWORD>(offsets.size()));
        } else if (changes.size() == 4) {
            *reason = L"two daylight periods";
        } else {
            *reason = Format(L"%u changes of the UTC offset", static_cast<DWORD>(changes.size()));
        }
        return std::nullopt;
    }

    TziBlock tzi{};
    tzi.DaylightBias = base.tzi.DaylightBias;
    std::int64_t standard = profile.startOffset;
    if (changes.size() == 1) {
        // One change for good: the year opens in the old offset as a daylight
        // period from 1 January 00:00, and the new offset is standard time.
        standard = changes[0].offset;
        tzi.DaylightDate = RecurringForm(CivilDay(year, 1, 1), tz);
        tzi.DaylightDate.wDay = 1;
        tzi.StandardDate = RecurringForm(changes[0].localBefore, tz);
        tzi.DaylightBias = Minutes(profile.startOffset) - Minutes(standard);
    } else if (changes.size() == 2) {
        // Daylight time is the period ahead of the other, whichever opens the year.
        const bool opensInStandard = changes[0].offset > profile.startOffset;
        standard = opensInStandard ? profile.startOffset : changes[0].offset;
        const std::int64_t daylight = opensInStandard ? changes[0].offset : profile.startOffset;
        tzi.DaylightDate = RecurringForm(changes[opensInStandard ? 0 : 1].localBefore, tz);
        tzi.StandardDate = RecurringForm(changes[opensInStandard ? 1 : 0].localBefore, tz);
        tzi.DaylightBias = Minutes(daylight) - Minutes(standard);
    }
    tzi.Bias = Minutes(standard);
    const ZoneRules rules = DeriveRules(tzi);

    // The form is read back as the system would read it: whatever it cannot
    // hold shows here rather than in the registry.
    std::wstring problem;
    const std::optional<YearProfile> readBack = RegistryYearProfile(rules, year, &problem);
    if (!readBack || !(*readBack == profile)) {
        *reason = L"a transition at a time the registry's fields cannot hold";
        return std::nullopt;
    }
    return rules;
}

FillPlan PlanFill(const TimeZoneRecord& zone, const TzZone& tz, int firstYear, int lastYear) {
    FillPlan plan;
    std::map<int, ZoneRules> range;
    for (int year = firstYear; year <= lastYear; ++year) {
        const ZoneRules& now = RulesInForce(zone, year);
        std::wstring reason;
        if (const std::optional<ZoneRules> filled = ExpressYear(tz, year, now, &reason)) {
            range[year] = *filled;
            ++plan.filledYears;
        } else {
            range[year] = now;
            plan.problems.push_back(FillProblem{year, reason});
        }
    }
    plan.rules = range[lastYear];

    const bool varies = std::any_of(range.begin(), range.end(), [&](const auto& entry) {
        return !SameRules(entry.second, range[firstYear]);
    });
    const bool laterYearsStay = !zone.years.empty() && static_cast<int>(zone.years.back().year) > lastYear;
    if (varies || !zone.years.empty()) {
        std::map<int, ZoneRules> years;
        for (const DynamicYearRecord& year : zone.years) {
            years[static_cast<int>(year.year)] = year.rules;
        }
        if (!zone.years.empty()) {
            // The years between the zone's run and the range keep what the
            // system gives them now: the nearer end of the run.
            for (int year = static_cast<int>(zone.years.back().year) + 1; year < firstYear; ++year) {
                years[year] = RulesInForce(zone, year);
            }
            for (int year = lastYear + 1; year < static_cast<int>(zone.years.front().year); ++year) {
                years[year] = RulesInForce(zone, year);
            }
        }
        for (const auto& [year, rules] : range) {
            years[year] = rules;
        }
        if (!laterYearsStay) {
            while (years.size() > 1 && SameRules(years.rbegin()->second, std::next(years.rbegin())->second)) {
                years.erase(std::prev(years.end()));
            }
        }
        for (const auto& [year, rules] : years) {
            plan.years.push_back(DynamicYearRecord{static_cast<DWORD>(year), rules});
        }
    }

    if (!laterYearsStay) {
        const ZoneRules& continuing = plan.years.empty() ? plan.rules : plan.years.back().rules;
        for (int year = lastYear + 1; year <= std::min(lastYear + kYearsLookedAhead, kLastTzYear); ++year) {
            std::wstring problem;
            const std::optional<YearProfile> here = RegistryYearProfile(continuing, year, &problem);
            if (!here || !(*here == TzYearProfile(tz, year))) {
                plan.laterDifference = year;
                break;
            }
        }
    }
    return plan;
}

} // namespace tarvane
