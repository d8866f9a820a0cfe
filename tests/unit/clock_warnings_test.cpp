#include "core/clock_warnings.h"
#include "tz_fixtures.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

const TziBlock kUs = MakeTzi(480, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2));
const TziBlock kOldUs = MakeTzi(480, 0, -60, Recurring(10, 0, 5, 2), Recurring(4, 0, 1, 2));
const TziBlock kNoDaylight = MakeTzi(480, 0, 0);

struct WarningCase {
    const char* name;
    TziBlock own;                                   // the zone's own rules
    std::vector<std::pair<DWORD, TziBlock>> years;  // as saved
    std::vector<std::pair<DWORD, TziBlock>> before; // as the registry held them
    std::vector<DWORD> untouched;                   // added, not edited
    std::vector<std::wstring> expected;
};

TimeZoneRecord Zone(const TziBlock& own, const std::vector<std::pair<DWORD, TziBlock>>& years) {
    TimeZoneRecord zone = RecordWith(own);
    for (const auto& [year, tzi] : years) {
        zone.years.push_back(DynamicYearRecord{year, DeriveRules(tzi)});
    }
    return zone;
}

class ClockWarningsTest : public testing::TestWithParam<WarningCase> {};

TEST_P(ClockWarningsTest, SaysWhatTheClocksWillDo) {
    const WarningCase& c = GetParam();
    EXPECT_EQ(ClockWarnings(Zone(c.own, c.years), Zone(c.own, c.before), c.untouched), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockWarningsTest,
    testing::Values(
        WarningCase{"NewLastYearWithoutDaylight",
                    kUs,
                    {{2007, kUs}, {2008, kNoDaylight}},
                    {{2007, kUs}},
                    {2008},
                    {L"From 2008 on, Test Standard Time has no daylight saving time."}},
        WarningCase{"OneYearBetween",
                    kUs,
                    {{2006, kOldUs}, {2007, kNoDaylight}, {2008, kUs}},
                    {{2006, kOldUs}, {2007, kOldUs}, {2008, kUs}},
                    {},
                    {L"In 2007, Test Standard Time has no daylight saving time."}},
        WarningCase{"ARunBetween",
                    kUs,
                    {{2006, kOldUs}, {2007, kNoDaylight}, {2008, kNoDaylight}, {2009, kUs}},
                    {{2006, kOldUs}, {2009, kUs}},
                    {},
                    {L"From 2007 to 2008, Test Standard Time has no daylight saving time."}},
        WarningCase{"UntouchedNewLastYearThatDiffers",
                    kUs,
                    {{2006, kOldUs}, {2007, kUs}},
                    {{2006, kOldUs}},
                    {2007},
                    {L"From 2007 on, Test Standard Time follows the rules of the new year 2007, which differ "
                     L"from those of 2006 and were not edited."}},
        WarningCase{"EditedNewLastYear", kUs, {{2006, kOldUs}, {2007, kUs}}, {{2006, kOldUs}}, {}, {}},
        WarningCase{"NewLastYearAsTheOneBefore", kUs, {{2006, kUs}, {2007, kUs}}, {{2006, kUs}}, {2007}, {}},
        WarningCase{"ZoneWithoutDaylight",
                    kNoDaylight,
                    {{2006, kOldUs}, {2007, kNoDaylight}},
                    {{2006, kOldUs}},
                    {},
                    {}},
        WarningCase{"AsTheRegistryHeldIt",
                    kUs,
                    {{2006, kOldUs}, {2007, kNoDaylight}},
                    {{2006, kOldUs}, {2007, kNoDaylight}},
                    {},
                    {}},
        WarningCase{
            "NoDaylightBeforeTheFirstDaylightYear", kUs, {{2006, kNoDaylight}, {2007, kUs}}, {}, {}, {}}),
    [](const testing::TestParamInfo<WarningCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvane::test
