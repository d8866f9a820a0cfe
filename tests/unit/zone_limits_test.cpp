#include "core/zone_limits.h"

#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvane::test {
namespace {

TEST(ZoneLimits, OffsetsNoZoneCanHave) {
    for (LONG bias : {-840, 0, 720, 840}) {
        EXPECT_TRUE(BaseOffsetPossible(bias)) << bias;
    }
    for (LONG bias : std::vector<LONG>{-841, 841, 1440, -1440, LONG(-2147483647 - 1)}) {
        EXPECT_FALSE(BaseOffsetPossible(bias)) << bias;
    }
    struct Shift {
        LONG standard;
        LONG daylight;
        bool possible;
    };
    for (const Shift& shift : std::vector<Shift>{{0, -60, true},
                                                 {0, -240, true},
                                                 {60, -180, true},
                                                 {0, 30, true},
                                                 {0, -241, false},
                                                 {0, -1440, false},
                                                 {-1440, 1440, false}}) {
        EXPECT_EQ(DaylightShiftPossible(MakeTzi(0, shift.standard, shift.daylight)), shift.possible)
            << shift.standard << " " << shift.daylight;
    }
}

TEST(ZoneLimits, TheTwoTransitionsMustFallOnDifferentMoments) {
    auto rules = [](SYSTEMTIME standard, SYSTEMTIME daylight) {
        ZoneRules block = DeriveRules(MakeTzi(480, 0, -60, standard, daylight));
        return block;
    };
    // Pacific in 2008: DST from the 2nd Sunday of March (9 March) to the 1st Sunday of November (2 November).
    const SYSTEMTIME march = Recurring(3, 0, 2, 2);
    const SYSTEMTIME november = Recurring(11, 0, 1, 2);
    struct Case {
        const char* name;
        ZoneRules block;
        bool distinct;
    };
    const std::vector<Case> cases = {
        {"two recurring rules", rules(november, march), true},
        {"one recurring rule twice", rules(march, march), false},
        {"the same rule an hour apart", rules(Recurring(3, 0, 2, 3), march), true},
        {"two one-time dates", rules(Once(2008, 11, 2, 2), Once(2008, 3, 9, 2)), true},
        {"one one-time date twice", rules(Once(2008, 3, 9, 2), Once(2008, 3, 9, 2)), false},
        {"a date the recurring rule gives", rules(march, Once(2008, 3, 9, 2)), false},
        {"the recurring rule meets the date", rules(Once(2008, 3, 9, 2), march), false},
        {"a date the rule gives another year", rules(march, Once(2009, 3, 9, 2)), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TransitionsDistinct(c.block, SystemClock()), c.distinct) << c.name;
    }
}

TEST(ZoneLimits, AYearsOneTimeDateLiesInThatYearAndStartsFromItsRule) {
    EXPECT_TRUE(OnceDateInYear(Once(2026, 12, 8, 0), 0));
    EXPECT_TRUE(OnceDateInYear(Once(2008, 12, 8, 0), 2008));
    EXPECT_FALSE(OnceDateInYear(Once(2026, 12, 8, 0), 2008));

    auto same = [](const SYSTEMTIME& a, const SYSTEMTIME& b) {
        return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
               a.wMinute == b.wMinute && a.wSecond == b.wSecond;
    };
    // The rule's own date in that year; without a usable rule the 1st of January, at the stored time if any.
    EXPECT_TRUE(same(OnceDateForYear(Recurring(3, 0, 2, 2), Recurring(3, 0, 2, 2), 2008, SystemClock()),
                     Once(2008, 3, 9, 2)));
    EXPECT_TRUE(
        same(OnceDateForYear(Recurring(0, 0, 0, 3, 30), Recurring(0, 0, 0, 3, 30), 2008, SystemClock()),
             Once(2008, 1, 1, 3, 30)));
    EXPECT_TRUE(same(OnceDateForYear(Recurring(13, 0, 1, 99), Recurring(13, 0, 1, 99), 1999, SystemClock()),
                     Once(1999, 1, 1, 0)));
}

} // namespace
} // namespace tarvane::test
