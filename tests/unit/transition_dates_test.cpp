#include "core/transition_dates.h"

#include "real_world_transitions.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tarvane::test {
namespace {

class FixedClock : public ClockApi {
public:
    SYSTEMTIME now{};
    SYSTEMTIME UtcNow() override { return now; }
    SYSTEMTIME LocalNow() override { return now; }
    bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME* local) override {
        *local = utc;
        return true;
    }
};

struct Outcome {
    bool ok;
    SYSTEMTIME when;
};

Outcome Compute(const SYSTEMTIME& rule, WORD year) {
    FixedClock clock;
    clock.now = Once(1999, 6, 15, 12);
    Outcome outcome{false, {}};
    outcome.ok = ComputeTransitionDate(&rule, year, &outcome.when, clock);
    return outcome;
}

::testing::AssertionResult Lands(const SYSTEMTIME& rule, WORD year, WallClock expected) {
    const Outcome outcome = Compute(rule, year);
    if (!outcome.ok) {
        return ::testing::AssertionFailure() << "no date for " << year;
    }
    const SYSTEMTIME& w = outcome.when;
    if (w.wYear != year || w.wMonth != expected.month || w.wDay != expected.day || w.wHour != expected.hour ||
        w.wMinute != 0 || w.wSecond != 0 || w.wMilliseconds != 0 || w.wDayOfWeek != 0) {
        return ::testing::AssertionFailure()
               << year << ": got " << w.wYear << "-" << w.wMonth << "-" << w.wDay << " " << w.wHour << ":"
               << w.wMinute << ":" << w.wSecond << " dow " << w.wDayOfWeek << ", expected " << expected.month
               << "-" << expected.day << " " << expected.hour << ":00";
    }
    return ::testing::AssertionSuccess();
}

TEST(ComputeTransitionDate, YearlyRulesMeetTheRealWorldTransitions) {
    int checked = 0;
    for (const RealTransitions& real : kRealWorldTransitions) {
        for (const ZoneRule& rule : kRealWorldRules) {
            if (std::wstring(rule.zone) == real.zone) {
                EXPECT_TRUE(Lands(rule.daylightDate, real.year, real.begins));
                EXPECT_TRUE(Lands(rule.standardDate, real.year, real.ends));
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 105);
}

TEST(ComputeTransitionDate, FirstWeekdayOnTheFirstOfTheMonthIsTheFirst) {
    // Daylight saving ended in the United States on Sunday 1 November 2026.
    EXPECT_TRUE(Lands(Recurring(11, 0, 1, 2), 2026, {11, 1, 2}));
    EXPECT_TRUE(Lands(Recurring(11, 0, 2, 2), 2026, {11, 8, 2}));
    // Thursday 1 January 2026.
    EXPECT_TRUE(Lands(Recurring(1, 4, 1, 0), 2026, {1, 1, 0}));
}

TEST(ComputeTransitionDate, OccurrenceFiveIsTheFifthWhenThereIsOneElseTheFourth) {
    // March 2026 has five Sundays (1, 8, 15, 22, 29), March 2027 four (7, 14, 21, 28).
    EXPECT_TRUE(Lands(Recurring(3, 0, 5, 2), 2026, {3, 29, 2}));
    EXPECT_TRUE(Lands(Recurring(3, 0, 5, 2), 2027, {3, 28, 2}));
    EXPECT_TRUE(Lands(Recurring(3, 0, 4, 2), 2026, {3, 22, 2}));
    // February 2026: four Sundays (1, 8, 15, 22) and four Saturdays, the last on the 28th.
    EXPECT_TRUE(Lands(Recurring(2, 0, 5, 2), 2026, {2, 22, 2}));
    EXPECT_TRUE(Lands(Recurring(2, 6, 5, 23), 2026, {2, 28, 23}));
    // A leap February with five Sundays (2004: 1, 8, 15, 22, 29).
    EXPECT_TRUE(Lands(Recurring(2, 0, 5, 0), 2004, {2, 29, 0}));
    EXPECT_TRUE(Lands(Recurring(2, 0, 4, 0), 2004, {2, 22, 0}));
}

TEST(ComputeTransitionDate, InvalidYearlyRulesFail) {
    EXPECT_FALSE(Compute(Recurring(3, 0, 0, 2), 2026).ok);  // occurrence 0
    EXPECT_FALSE(Compute(Recurring(3, 0, 6, 2), 2026).ok);  // occurrence 6
    EXPECT_FALSE(Compute(Recurring(0, 0, 1, 2), 2026).ok);  // month 0
    EXPECT_FALSE(Compute(Recurring(13, 0, 1, 2), 2026).ok); // month 13
    EXPECT_FALSE(Compute(Recurring(3, 7, 1, 2), 2026).ok);  // no such weekday
    EXPECT_FALSE(Compute(Recurring(3, 0, 2, 24), 2026).ok); // hour 24
    EXPECT_FALSE(Compute(Recurring(3, 0, 2, 2, 60), 2026).ok);
    EXPECT_FALSE(Compute(Recurring(3, 0, 2, 2), 1600).ok); // before file times begin
}

TEST(ComputeTransitionDate, NoRuleFails) {
    FixedClock clock;
    SYSTEMTIME out{};
    EXPECT_FALSE(ComputeTransitionDate(nullptr, 2026, &out, clock));
}

TEST(ComputeTransitionDate, RuleSecondsAndMillisecondsAreDropped) {
    SYSTEMTIME rule = Recurring(3, 0, 2, 1, 59);
    rule.wSecond = 59;
    rule.wMilliseconds = 999;
    const Outcome outcome = Compute(rule, 2026);
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.when.wHour, 1);
    EXPECT_EQ(outcome.when.wMinute, 59);
    EXPECT_EQ(outcome.when.wSecond, 0);
    EXPECT_EQ(outcome.when.wMilliseconds, 0);
}

TEST(ComputeTransitionDate, YearZeroMeansTheCurrentLocalYear) {
    FixedClock clock;
    clock.now = Once(2026, 12, 8, 17);
    const SYSTEMTIME rule = Recurring(11, 0, 1, 2);
    SYSTEMTIME out{};
    ASSERT_TRUE(ComputeTransitionDate(&rule, 0, &out, clock));
    EXPECT_EQ(out.wYear, 2026);
    EXPECT_EQ(out.wDay, 1);
    clock.now = Once(2027, 1, 1, 0);
    ASSERT_TRUE(ComputeTransitionDate(&rule, 0, &out, clock));
    EXPECT_EQ(out.wYear, 2027);
    EXPECT_EQ(out.wDay, 7);
}

TEST(ComputeTransitionDate, OneTimeRuleIsItsOwnDateWhateverTheYear) {
    SYSTEMTIME rule = Once(2011, 3, 27, 2, 30);
    rule.wDayOfWeek = 0;
    rule.wSecond = 15;
    rule.wMilliseconds = 500;
    const Outcome outcome = Compute(rule, 2026);
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(0, std::memcmp(&outcome.when, &rule, sizeof rule));
}

TEST(ComputeTransitionDate, InvalidOneTimeRuleFails) {
    EXPECT_FALSE(Compute(Once(2026, 2, 29, 2), 2026).ok);
    EXPECT_FALSE(Compute(Once(2026, 13, 1, 2), 2026).ok);
    EXPECT_FALSE(Compute(Once(2026, 4, 31, 2), 2026).ok);
    EXPECT_FALSE(Compute(Once(2026, 4, 1, 24), 2026).ok);
    EXPECT_TRUE(Compute(Once(2024, 2, 29, 2), 2026).ok);
}

} // namespace
} // namespace tarvane::test
