#include "tz_fixtures.h"
#include "tzdb/civil_time.h"
#include "tzdb/tz_check.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

constexpr int kFirstYear = 2026;

// The first difference over 2026-2031 with the tz zone mapped from the record's key.
std::wstring FirstDifference(const TzZone& zone, const TimeZoneRecord& record) {
    TzTable table;
    table.zones.push_back(zone);
    table.names.emplace_back(L"Test/Zone", 0);
    table.windowsKeys.emplace_back(record.keyName, 0);
    const ZoneCheck check = CheckZone(record, table, kFirstYear, kFirstYear + kCheckedYears - 1);
    EXPECT_EQ(check.tzName, L"Test/Zone");
    EXPECT_EQ(check.status, check.difference.empty() ? TzCheckStatus::kMatches : TzCheckStatus::kDiffers);
    return check.difference;
}

std::int64_t Utc(int year, int month, int day, int hour) {
    return CivilDay(year, month, day) + hour * 3600;
}

TEST(TzCheck, FindsTheFirstYearAndChangeThatDiffer) {
    const TzZone northern = RuleZone(L"EST5EDT,M3.2.0,M11.1.0", -18000);
    const TziBlock northernTzi = MakeTzi(300, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2));
    TziBlock firstSunday = northernTzi;
    firstSunday.DaylightDate = Recurring(3, 0, 1, 2);
    TziBlock badMonth = northernTzi;
    badMonth.DaylightDate.wMonth = 13;
    const TziBlock oldUsRules = MakeTzi(300, 0, -60, Recurring(10, 0, 5, 2), Recurring(4, 0, 1, 2));

    const TzZone southern = RuleZone(L"AEST-10AEDT,M10.1.0,M4.1.0/3", 39600);
    const TziBlock southernTzi = MakeTzi(-600, 0, -60, Recurring(4, 0, 1, 3), Recurring(10, 0, 1, 2));
    const TziBlock southernAsNorthern = MakeTzi(-600, 0, -60, Recurring(10, 0, 1, 3), Recurring(4, 0, 1, 2));

    const TzZone noDaylight = RuleZone(L"<+03>-3", 10800);
    const TzZone permanentDaylight = RuleZone(L"EST5EDT,0/0,J365/25", -14400);
    const TzZone halfHourDaylight = RuleZone(L"AAA-1BBB-1:30,M3.5.0,M10.5.0/3", 3600);
    // Daylight time as the EU has it until March 2027, then +03:00 for good.
    const TzZone endsDaylight =
        RuleZone(L"<+03>-3", 7200,
                 {{Utc(2026, 3, 29, 1), 10800}, {Utc(2026, 10, 25, 1), 7200}, {Utc(2027, 3, 28, 1), 10800}});
    const TziBlock eastEuropean = MakeTzi(-120, 0, -60, Recurring(10, 0, 5, 4), Recurring(3, 0, 5, 3));

    struct Case {
        const char* name;
        const TzZone& zone;
        TimeZoneRecord record;
        const wchar_t* difference;
    };
    const Case cases[] = {
        {"northern", northern, RecordWith(northernTzi), L""},
        {"one differing year", northern,
         RecordWith(northernTzi, {{2026, northernTzi}, {2027, firstSunday}, {2028, northernTzi}}),
         L"2027: daylight time begins 3/14 2:00 in the tz database, 3/7 2:00 here"},
        {"the last dynamic year carries on", northern, RecordWith(northernTzi, {{2010, oldUsRules}}),
         L"2026: daylight time begins 3/8 2:00 in the tz database, 4/5 2:00 here"},
        {"no valid date", northern, RecordWith(badMonth),
         L"2026: the daylight time rule here names no valid date"},
        {"southern", southern, RecordWith(southernTzi), L""},
        {"southern taken for northern", southern, RecordWith(southernAsNorthern),
         L"2026: the year begins at UTC+11:00 in the tz database, at UTC+10:00 here"},
        {"no daylight time", noDaylight, RecordWith(MakeTzi(-180)), L""},
        {"another offset", noDaylight, RecordWith(MakeTzi(-240)),
         L"2026: the year begins at UTC+03:00 in the tz database, at UTC+04:00 here"},
        {"daylight time only here", noDaylight,
         RecordWith(MakeTzi(-180, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 5, 2))),
         L"2026: daylight time begins 3/29 2:00 here, not in the tz database"},
        {"permanent daylight time", permanentDaylight, RecordWith(MakeTzi(240)), L""},
        {"permanent daylight time missed", permanentDaylight, RecordWith(MakeTzi(300)),
         L"2026: the year begins at UTC-04:00 in the tz database, at UTC-05:00 here"},
        {"other daylight offset", halfHourDaylight,
         RecordWith(MakeTzi(-60, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 5, 2))),
         L"2026: daylight time begins 3/29 2:00 (UTC+01:30) in the tz database, 3/29 2:00 (UTC+02:00) here"},
        {"rules changed within the window", endsDaylight, RecordWith(eastEuropean),
         L"2027: standard time begins 10/31 4:00 here, not in the tz database"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FirstDifference(c.zone, c.record), c.difference) << c.name;
    }
}

TEST(TzCheck, AZoneWithoutMappingIsSaidSo) {
    TzTable table;
    table.zones.push_back(RuleZone(L"<+03>-3", 10800));
    table.names.emplace_back(L"Test/Zone", 0);
    table.windowsKeys.emplace_back(L"Mapped Standard Time", 0);
    std::vector<TimeZoneRecord> zones = {RecordWith(MakeTzi(-180)), RecordWith(MakeTzi(-180))};
    zones[0].keyName = L"MAPPED standard time";
    zones[1].keyName = L"Other Standard Time";
    const std::vector<ZoneCheck> checks = CheckZones(zones, table, kFirstYear);
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[0].status, TzCheckStatus::kMatches);
    EXPECT_EQ(checks[1].status, TzCheckStatus::kNoMapping);
    EXPECT_EQ(checks[1].tzName, L"");
    EXPECT_EQ(std::wstring(StatusText(checks[1].status)), L"no mapping");
}

TEST(TzCheck, TheListGoesOutAsCsvAndAsTabbedText) {
    const ZoneCheck rows[] = {
        {L"Eastern Standard Time", L"America/New_York", TzCheckStatus::kMatches, L"", L"US", false, false},
        {L"=cmd|' /C calc'!A0", L"", TzCheckStatus::kNoMapping, L"", L"", false, false},
        {L"Odd, \"quoted\"\tzone", L"Etc/GMT+5", TzCheckStatus::kDiffers, L"2027: one, two", L"001", true,
         false},
        {L"Unmapped Zone", L"Asia/Tokyo", TzCheckStatus::kMatches, L"", L"", false, true},
    };
    const std::vector<const ZoneCheck*> all = {&rows[0], &rows[1], &rows[2], &rows[3]};
    EXPECT_EQ(ChecksAsCsv(all), L"Zone Key,Region,IANA Zone,Status,First Difference\r\n"
                                L"Eastern Standard Time,US,America/New_York,matches,\r\n"
                                L"'=cmd|' /C calc'!A0,,,no mapping,\r\n"
                                L"\"Odd, \"\"quoted\"\"\tzone\",001,Etc/GMT+5,differs,\"2027: one, two\"\r\n"
                                L"Unmapped Zone,chosen,Asia/Tokyo,matches,\r\n");
    // The user chooses the zone of a row without a mapping, or changes a choice.
    EXPECT_EQ((std::vector<bool>{CanChooseTzZone(rows[0]), CanChooseTzZone(rows[1]), CanChooseTzZone(rows[2]),
                                 CanChooseTzZone(rows[3])}),
              (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(ChecksAsText({&rows[2]}), L"Zone Key\tRegion\tIANA Zone\tStatus\tFirst Difference\r\n"
                                        L"Odd, \"quoted\" zone\t001\tEtc/GMT+5\tdiffers\t2027: one, two\r\n");
    const std::pair<std::int64_t, const wchar_t*> offsets[] = {
        {0, L"UTC+00:00"}, {20700, L"UTC+05:45"}, {-2670, L"UTC-00:44:30"}, {-36000, L"UTC-10:00"}};
    for (const auto& [offset, text] : offsets) {
        EXPECT_EQ(UtcOffsetText(offset), text);
    }
}

// The zone a key is compared with, in the tests' release (2026f, CLDR 48).
struct ChoiceCase {
    const char* name;
    const wchar_t* key;
    const wchar_t* region;
    ZoneSources sources;
    const wchar_t* tzName; // null: none
    const wchar_t* territory;
};

class TzChoiceTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(TzChoiceTest, TheRegionsMainZoneElseTheWorldsAndARememberedSourceFirst) {
    const ChoiceCase& c = GetParam();
    const TzChoice choice = ChooseTzZone(GeneratedTzTable(), c.key, c.sources, TerritoryOfRegion(c.region));
    if (c.tzName == nullptr) {
        EXPECT_EQ(choice.tzName, nullptr);
        return;
    }
    ASSERT_NE(choice.tzName, nullptr);
    EXPECT_EQ(*choice.tzName, c.tzName);
    EXPECT_EQ(choice.region, c.territory);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TzChoiceTest,
    testing::Values(
        ChoiceCase{"CanadianPacific", L"Pacific Standard Time", L"CA", {}, L"America/Vancouver", L"CA"},
        ChoiceCase{"AmericanPacific", L"pacific standard time", L"US", {}, L"America/Los_Angeles", L"US"},
        ChoiceCase{"NoRegionIsTheWorld", L"Pacific Standard Time", L"", {}, L"America/Los_Angeles", L"001"},
        ChoiceCase{"KeyNotMappedInTheRegion", L"Tokyo Standard Time", L"CA", {}, L"Asia/Tokyo", L"001"},
        ChoiceCase{"KazakhstanMovedWest", L"Central Asia Standard Time", L"", {}, L"Asia/Bishkek", L"001"},
        ChoiceCase{"RememberedSourceBeatsTheRegion",
                   L"Pacific Standard Time",
                   L"CA",
                   {{L"Pacific Standard Time", L"America/Whitehorse"}},
                   L"America/Whitehorse",
                   L""},
        ChoiceCase{"SourceTheTableLacksFallsBack",
                   L"Pacific Standard Time",
                   L"CA",
                   {{L"Pacific Standard Time", L"Nowhere/City"}},
                   L"America/Vancouver",
                   L"CA"},
        ChoiceCase{"UnmappedKey", L"Made Up Standard Time", L"CA", {}, nullptr, L""}),
    [](const testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

// Wine's Pacific Standard Time: the United States' rules since 2007.
TimeZoneRecord WinePacific() {
    TimeZoneRecord zone = RecordWith(MakeTzi(480, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2)));
    zone.keyName = L"Pacific Standard Time";
    return zone;
}

TEST(TzCheck, EachZoneHasItsRegionsRowThenTheOtherRegionsWhoseVerdictIsNew) {
    const TzTable& table = GeneratedTzTable();
    const std::vector<TimeZoneRecord> zones = {WinePacific()};
    const std::vector<ZoneCheck> canada = CheckZones(zones, table, kFirstYear, {}, L"CA");
    ASSERT_EQ(canada.size(), 2u);
    EXPECT_EQ(canada[0].region, L"CA");
    EXPECT_EQ(canada[0].status, TzCheckStatus::kDiffers) << "British Columbia keeps daylight time all year";
    EXPECT_FALSE(canada[0].otherRegion);
    EXPECT_EQ(canada[1].status, TzCheckStatus::kMatches);
    EXPECT_TRUE(canada[1].otherRegion);
    const std::vector<ZoneCheck> states = CheckZones(zones, table, kFirstYear, {}, L"US");
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].tzName, L"America/Los_Angeles");
    EXPECT_EQ(states[0].status, TzCheckStatus::kMatches);
    EXPECT_EQ(states[1].tzName, L"America/Vancouver");
    EXPECT_EQ(states[1].region, L"CA");
    EXPECT_EQ(
        CheckSummary(CountChecks(states), RegionText(L"US", L"United States")),
        L"1 zones: 1 match, 0 differ for United States (US), 0 without a mapping; 1 more (zone, region) "
        L"pair differs elsewhere");
    EXPECT_EQ(RegionText(L"", L""), L"every region (001)");
    const std::vector<TzZoneOffer> offers = ZonesOfKey(table, L"Pacific Standard Time", L"CA");
    ASSERT_GE(offers.size(), 2u);
    EXPECT_EQ(offers[0].label, L"America/Vancouver (CA)");
    EXPECT_EQ(offers[1].label, L"America/Los_Angeles (001, US)");
}

} // namespace
} // namespace tarvane::test
