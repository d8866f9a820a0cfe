#include "tz_fixtures.h"
#include "tzdb/civil_time.h"
#include "tzdb/tz_check.h"
#include "tzdb/tz_fill.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace tarvane::test {
namespace {

std::int64_t Utc(int year, int month, int day, int hour) {
    return CivilDay(year, month, day) + hour * 3600;
}

bool SameTzi(const ZoneRules& rules, const TziBlock& tzi) {
    return TziToBytes(ComposeTzi(rules)) == TziToBytes(tzi);
}

const TziBlock kNoRules = MakeTzi(0);
const TziBlock kUsRules = MakeTzi(300, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2));
const TziBlock kOldUsRules = MakeTzi(300, 0, -60, Recurring(10, 0, 5, 2), Recurring(4, 0, 1, 2));
const TziBlock kEastEuropean = MakeTzi(-120, 0, -60, Recurring(10, 0, 5, 4), Recurring(3, 0, 5, 3));

// EU daylight time until March 2027, then +03:00 for good.
TzZone EndsDaylight() {
    return RuleZone(
        L"<+03>-3", 7200,
        {{Utc(2026, 3, 29, 1), 10800}, {Utc(2026, 10, 25, 1), 7200}, {Utc(2027, 3, 28, 1), 10800}});
}

TEST(TzFill, EachYearTakesTheRegistrysFormOrSaysWhyNot) {
    const TzZone us = RuleZone(L"EST5EDT,M3.2.0,M11.1.0", -18000);
    const TzZone southern = RuleZone(L"AEST-10AEDT,M10.1.0,M4.1.0/3", 39600);
    const TzZone fourthSunday = RuleZone(L"CET-1CEST,M3.4.0,M10.5.0/3", 3600);
    const TzZone lastSundayListed =
        RuleZone(L"<+01>-1", 3600, {{Utc(2027, 3, 28, 1), 7200}, {Utc(2027, 10, 31, 1), 3600}});
    const TzZone endsDaylight = EndsDaylight();
    // Morocco's way in 2012: daylight time paused for Ramadan.
    const TzZone twoPeriods = RuleZone(L"<+00>0", 0,
                                       {{Utc(2012, 4, 29, 2), 3600},
                                        {Utc(2012, 7, 20, 2), 0},
                                        {Utc(2012, 8, 20, 2), 3600},
                                        {Utc(2012, 9, 30, 2), 0}});
    const TzZone threeOffsets =
        RuleZone(L"<+04>-4", 7200, {{Utc(2026, 3, 29, 1), 10800}, {Utc(2026, 10, 25, 1), 14400}});
    const TzZone pauseThenStop = RuleZone(
        L"<+00>0", 3600, {{Utc(2026, 2, 15, 2), 0}, {Utc(2026, 3, 22, 2), 3600}, {Utc(2026, 9, 20, 1), 0}});
    const TzZone localMeanTime = RuleZone(L"<-0044>0:44:30", -2670);

    struct Case {
        const char* name;
        const TzZone& zone;
        int year;
        TziBlock expected; // ignored when a reason is expected
        const wchar_t* reason;
    };
    const Case cases[] = {
        {"northern", us, 2026, kUsRules, nullptr},
        {"southern", southern, 2026, MakeTzi(-600, 0, -60, Recurring(4, 0, 1, 3), Recurring(10, 0, 1, 2)),
         nullptr},
        {"without daylight time", RuleZone(L"<+03>-3", 10800), 2026, MakeTzi(-180, 0, 7), nullptr},
        {"the rule's 4th Sunday", fourthSunday, 2027,
         MakeTzi(-60, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 4, 2)), nullptr},
        {"the 4th Sunday is the last", lastSundayListed, 2027,
         MakeTzi(-60, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 5, 2)), nullptr},
        // From 1 January (a Friday) the old offset as daylight time, until the change.
        {"one change for good", endsDaylight, 2027,
         MakeTzi(-180, 0, 60, Recurring(3, 0, 5, 3), Recurring(1, 5, 1, 0)), nullptr},
        {"two daylight periods", twoPeriods, 2012, {}, L"two daylight periods"},
        {"three offsets", threeOffsets, 2026, {}, L"3 different UTC offsets"},
        {"three changes", pauseThenStop, 2026, {}, L"3 changes of the UTC offset"},
        {"seconds in the offset", localMeanTime, 1971, {}, L"UTC-00:44:30 is not a whole number of minutes"},
    };
    const ZoneRules base = DeriveRules(MakeTzi(0, 0, 7));
    for (const Case& c : cases) {
        std::wstring reason;
        const std::optional<ZoneRules> rules = ExpressYear(c.zone, c.year, base, &reason);
        if (c.reason != nullptr) {
            EXPECT_FALSE(rules.has_value()) << c.name;
            EXPECT_EQ(reason, c.reason) << c.name;
            continue;
        }
        ASSERT_TRUE(rules.has_value()) << c.name << ": " << std::string(reason.begin(), reason.end());
        EXPECT_TRUE(SameTzi(*rules, c.expected)) << c.name;
        EXPECT_EQ(rules->standardOccurs, kOccursRecurringYearly) << c.name;
    }
}

std::vector<DWORD> YearsOf(const FillPlan& plan) {
    std::vector<DWORD> years;
    for (const DynamicYearRecord& year : plan.years) {
        years.push_back(year.year);
    }
    return years;
}

TEST(TzFill, DynamicYearsOnlyWhereTheRulesChangeAndInOneRun) {
    const TzZone us = RuleZone(L"EST5EDT,M3.2.0,M11.1.0", -18000);

    // The same rules all through: no dynamic years, the zone's own rules.
    FillPlan plan = PlanFill(RecordWith(kNoRules), us, 2026, 2031);
    EXPECT_TRUE(plan.years.empty());
    EXPECT_TRUE(SameTzi(plan.rules, kUsRules));
    EXPECT_EQ(plan.filledYears, 6);
    EXPECT_TRUE(plan.problems.empty());
    EXPECT_FALSE(plan.laterDifference.has_value());

    // Rules that change: a year each while they do, the repeats at the end left out.
    plan = PlanFill(RecordWith(kEastEuropean), EndsDaylight(), 2026, 2031);
    EXPECT_EQ(YearsOf(plan), (std::vector<DWORD>{2026, 2027, 2028}));
    EXPECT_TRUE(SameTzi(plan.years[0].rules, kEastEuropean));
    EXPECT_TRUE(SameTzi(plan.rules, MakeTzi(-180, 0, -60)));

    // Dynamic years before the range: those between keep what they follow now.
    plan = PlanFill(RecordWith(kOldUsRules, {{2006, kOldUsRules}, {2007, kOldUsRules}}), us, 2026, 2027);
    ASSERT_EQ(plan.years.size(), 21u);
    EXPECT_EQ(plan.years.front().year, 2006u);
    EXPECT_TRUE(SameTzi(plan.years[2025 - 2006].rules, kOldUsRules));
    EXPECT_EQ(plan.years.back().year, 2026u);
    EXPECT_TRUE(SameTzi(plan.years.back().rules, kUsRules));

    // Dynamic years after the range stay, and so does the year between.
    plan = PlanFill(RecordWith(kUsRules, {{2030, kOldUsRules}}), us, 2026, 2028);
    EXPECT_EQ(YearsOf(plan), (std::vector<DWORD>{2026, 2027, 2028, 2029, 2030}));
    EXPECT_TRUE(SameTzi(plan.years[3].rules, kOldUsRules));
    EXPECT_FALSE(plan.laterDifference.has_value()) << "later years are the zone's own business";
}

TEST(TzFill, AYearTheFormCannotHoldKeepsItsRulesAndTheFutureIsToldApart) {
    const TzZone twoPeriods = RuleZone(L"<+00>0", 0,
                                       {{Utc(2012, 4, 29, 2), 3600},
                                        {Utc(2012, 7, 20, 2), 0},
                                        {Utc(2012, 8, 20, 2), 3600},
                                        {Utc(2012, 9, 30, 2), 0}});
    const TziBlock before = MakeTzi(0, 0, -60, Recurring(9, 0, 5, 3), Recurring(4, 0, 5, 2));
    const FillPlan plan = PlanFill(RecordWith(before), twoPeriods, 2011, 2013);
    ASSERT_EQ(plan.problems.size(), 1u);
    EXPECT_EQ(plan.problems[0].year, 2012);
    EXPECT_EQ(plan.filledYears, 2);
    EXPECT_EQ(YearsOf(plan), (std::vector<DWORD>{2011, 2012, 2013}));
    EXPECT_TRUE(SameTzi(plan.years[1].rules, before));
    EXPECT_TRUE(SameTzi(plan.rules, MakeTzi(0, 0, -60)));

    // A rule at 24:00 of the first Saturday has no yearly form: the year
    // after the range in which the last filled year's form misses it.
    const FillPlan santiago =
        PlanFill(RecordWith(kNoRules), RuleZone(L"<-04>4<-03>,M9.1.6/24,M4.1.6/24", -10800), 2026, 2026);
    EXPECT_TRUE(santiago.problems.empty());
    EXPECT_EQ(santiago.laterDifference, std::optional<int>(2029));
}

TEST(TzFill, EveryMappedZoneFilledFromTheTableMatchesItInEveryYearItCanHold) {
    const TzTable& table = GeneratedTzTable();
    ASSERT_FALSE(table.windowsKeys.empty());
    int problems = 0;
    for (const auto& [key, name] : table.windowsKeys) {
        const TzZone& tz = *FindTzZone(table, table.names[name].first);
        for (const auto& [first, last] : {std::pair{kFirstTzYear, 2037}, std::pair{2026, 2031}}) {
            TimeZoneRecord zone = RecordWith(kOldUsRules, {{2000, kOldUsRules}});
            zone.keyName = key;
            const FillPlan plan = PlanFill(zone, tz, first, last);
            zone.rules = plan.rules;
            zone.years = plan.years;
            std::set<int> kept;
            for (const FillProblem& problem : plan.problems) {
                kept.insert(problem.year);
            }
            problems += static_cast<int>(kept.size());
            for (int year = first; year <= last; ++year) {
                std::wstring why;
                const std::optional<YearProfile> here =
                    RegistryYearProfile(RulesInForce(zone, year), year, &why);
                ASSERT_TRUE(here.has_value());
                const std::wstring difference = DescribeDifference(TzYearProfile(tz, year), *here);
                if (kept.count(year) == 0) {
                    EXPECT_EQ(difference, L"") << std::string(key.begin(), key.end());
                }
            }
            if (first == 2026 && kept.empty()) {
                EXPECT_EQ(CheckZone(zone, table, first, last).status, TzCheckStatus::kMatches);
            }
            EXPECT_LE(zone.years.size(), kMaxDynamicYears);
        }
    }
    // Some years cannot be held (two daylight periods, offsets in seconds),
    // but few.
    EXPECT_LT(problems, 100);
}

struct NameCase {
    const char* name;
    const wchar_t* before;
    LONG bias;
    const wchar_t* after;
};

class DisplayNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(DisplayNameTest, ThePrefixFollowsTheOffsetAndTheRestStays) {
    EXPECT_EQ(DisplayNameForBias(GetParam().before, GetParam().bias), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DisplayNameTest,
    testing::Values(NameCase{"OffsetChanges", L"(UTC-04:00) Asuncion", 180, L"(UTC-03:00) Asuncion"},
                    NameCase{"OffsetStays", L"(UTC-03:00) Asuncion", 180, L"(UTC-03:00) Asuncion"},
                    NameCase{"EastOfUtc", L"(UTC+05:00) Astana", -300, L"(UTC+05:00) Astana"},
                    NameCase{"ToUtcItself", L"(UTC+01:00) Casablanca", 0, L"(UTC+00:00) Casablanca"},
                    NameCase{"PlainUtcStays", L"(UTC) Coordinated Universal Time", 0,
                             L"(UTC) Coordinated Universal Time"},
                    NameCase{"PlainUtcMoves", L"(UTC) Coordinated Universal Time", 90,
                             L"(UTC-01:30) Coordinated Universal Time"},
                    NameCase{"NoPrefix", L"Asuncion", 180, L"Asuncion"},
                    NameCase{"NotAnOffset", L"(UTC-4) Asuncion", 180, L"(UTC-4) Asuncion"}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvane::test
