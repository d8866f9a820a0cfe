#include "core/time_zone_record.h"

#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace tarvane {
namespace {

using test::MakeTzi;
using test::Once;
using test::Recurring;
using test::SameSystemTime;

bool SameTzi(const TziBlock& a, const TziBlock& b) {
    return TziToBytes(a) == TziToBytes(b);
}

TEST(TziBlock, BytesAreLittleEndianInRegistryOrder) {
    const TziBlock block = MakeTzi(-60, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 5, 2));
    const TziBytes bytes = TziToBytes(block);
    const BYTE expected[44] = {0xC4, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xC4, 0xFF, 0xFF, 0xFF, 0, 0, 10,
                               0,    0,    0,    5,    0, 3, 0, 0, 0,    0,    0,    0,    0, 0, 0,
                               3,    0,    0,    0,    5, 0, 2, 0, 0,    0,    0,    0,    0, 0};
    EXPECT_EQ(std::memcmp(bytes.data(), expected, 44), 0);
    EXPECT_TRUE(SameTzi(TziFromBytes(bytes.data()), block));
}

TEST(TimeZoneRecord, NewRecordsAreEmpty) {
    const TimeZoneRecord record;
    EXPECT_EQ(record.id, 0);
    EXPECT_EQ(record.isCurrent, 0);
    EXPECT_TRUE(record.keyName.empty() && record.displayName.empty());
    EXPECT_EQ(record.rules.standardOccurs, 0);
    EXPECT_TRUE(record.years.empty());
}

TEST(DeriveRules, RecurringDatesGiveKindOneAndTheSameAbsoluteDate) {
    const TziBlock tzi = MakeTzi(300, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2));
    const ZoneRules rules = DeriveRules(tzi);
    EXPECT_EQ(rules.standardOccurs, kOccursRecurringYearly);
    EXPECT_EQ(rules.daylightOccurs, kOccursRecurringYearly);
    EXPECT_TRUE(SameSystemTime(rules.standardAbsoluteDate, tzi.StandardDate));
    EXPECT_TRUE(SameSystemTime(rules.daylightAbsoluteDate, tzi.DaylightDate));
    EXPECT_EQ(rules.dstEnabled, 1);
    EXPECT_TRUE(SameTzi(ComposeTzi(rules), tzi)) << "both kinds recurring compose to the stored block";
}

TEST(DeriveRules, OneTimeDatesGiveKindTwo) {
    const ZoneRules rules = DeriveRules(MakeTzi(0, 0, -60, Once(2015, 10, 25, 3), Recurring(3, 0, 5, 2)));
    EXPECT_EQ(rules.standardOccurs, kOccursOnlyOnce);
    EXPECT_EQ(rules.daylightOccurs, kOccursRecurringYearly);
}

TEST(DeriveRules, DaylightMonthZeroMeansNoDaylightSavingWhateverElseIsStored) {
    SYSTEMTIME daylight = Recurring(0, 0, 2, 2);
    const TziBlock tzi = MakeTzi(-540, 5, -60, Recurring(10, 0, 5, 3), daylight);
    const ZoneRules rules = DeriveRules(tzi);
    EXPECT_EQ(rules.dstEnabled, 0);
    const TziBlock composed = ComposeTzi(rules);
    EXPECT_TRUE(SameSystemTime(composed.StandardDate, SYSTEMTIME{}));
    EXPECT_TRUE(SameSystemTime(composed.DaylightDate, SYSTEMTIME{}));
    EXPECT_EQ(composed.Bias, -540);
    EXPECT_EQ(composed.StandardBias, 5);
    EXPECT_EQ(composed.DaylightBias, -60);
}

TEST(ComposeTzi, SwitchingARecurringRuleToOnceKeepsItsDateAsItWas) {
    ZoneRules rules = DeriveRules(MakeTzi(0, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 5, 2)));
    rules.standardOccurs = kOccursOnlyOnce;
    const TziBlock composed = ComposeTzi(rules);
    EXPECT_TRUE(SameSystemTime(composed.StandardDate, Recurring(10, 0, 5, 3)));
    EXPECT_EQ(composed.StandardDate.wYear, 0);
}

TEST(ComposeTzi, BothKindsOnceTakeTheAbsoluteDatesAndLeaveTheRecordAlone) {
    ZoneRules rules = DeriveRules(MakeTzi(0, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 5, 2)));
    rules.standardOccurs = rules.daylightOccurs = kOccursOnlyOnce;
    rules.standardAbsoluteDate = Once(2026, 10, 25, 3);
    rules.daylightAbsoluteDate = Once(2026, 3, 29, 2);
    const ZoneRules before = rules;
    const TziBlock composed = ComposeTzi(rules);
    EXPECT_TRUE(SameSystemTime(composed.StandardDate, Once(2026, 10, 25, 3)));
    EXPECT_TRUE(SameSystemTime(composed.DaylightDate, Once(2026, 3, 29, 2)));
    EXPECT_EQ(std::memcmp(&rules, &before, sizeof rules), 0);
    EXPECT_TRUE(SameSystemTime(rules.tzi.StandardDate, Recurring(10, 0, 5, 3)));
}

TEST(ComposeTzi, AOneTimeRuleSwitchedToRecurringLosesItsYear) {
    ZoneRules rules = DeriveRules(MakeTzi(0, 0, -60, Once(2015, 10, 25, 3), Once(2015, 3, 29, 2)));
    rules.standardOccurs = kOccursRecurringYearly;
    rules.daylightOccurs = kOccursRecurringYearly;
    const TziBlock composed = ComposeTzi(rules);
    EXPECT_EQ(composed.StandardDate.wYear, 0);
    EXPECT_EQ(composed.DaylightDate.wYear, 0);
    EXPECT_EQ(composed.StandardDate.wMonth, 10);
    EXPECT_EQ(composed.DaylightDate.wDay, 29);
}

TEST(ComposeTzi, AnUnsetKindLeavesTheStoredDate) {
    ZoneRules rules{};
    rules.tzi = MakeTzi(0, 0, -60, Once(2015, 10, 25, 3), Once(2015, 3, 29, 2));
    rules.dstEnabled = 1;
    const TziBlock composed = ComposeTzi(rules);
    EXPECT_EQ(composed.StandardDate.wYear, 2015);
    EXPECT_EQ(composed.DaylightDate.wYear, 2015);
}

TEST(SameStoredZone, OnlyWhatTheRegistryWouldHoldCounts) {
    TimeZoneRecord base;
    base.keyName = L"Zone";
    base.displayName = L"Zone";
    base.standardName = L"Std";
    base.daylightName = L"Dlt";
    base.rules = DeriveRules(MakeTzi(300, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2)));
    base.years.push_back({2010, base.rules});
    base.years[0].rules.dstEnabled = 0;
    const std::vector<std::pair<const char*, void (*)(TimeZoneRecord&)>> cases = {
        {"id, flag and lost years",
         [](TimeZoneRecord& r) {
             r.id = 7;
             r.isCurrent = 1;
             r.damagedYears.push_back({2011, 2011});
         }},
        {"a one-time date not in use", [](TimeZoneRecord& r) { r.rules.standardAbsoluteDate.wDay = 9; }},
        {"rules of a disabled daylight saving",
         [](TimeZoneRecord& r) { r.years[0].rules.tzi.DaylightDate.wHour = 5; }},
    };
    const std::vector<std::pair<const char*, void (*)(TimeZoneRecord&)>> differences = {
        {"a name", [](TimeZoneRecord& r) { r.daylightName += L" "; }},
        {"the bias", [](TimeZoneRecord& r) { r.rules.tzi.Bias = 360; }},
        {"the kind of a rule",
         [](TimeZoneRecord& r) {
             r.rules.daylightOccurs = kOccursOnlyOnce;
             r.rules.daylightAbsoluteDate = Once(2010, 3, 14, 2);
         }},
        {"a year's number", [](TimeZoneRecord& r) { r.years[0].year = 2011; }},
        {"a year's rules", [](TimeZoneRecord& r) { r.years[0].rules.tzi.DaylightBias = -30; }},
        {"a year more", [](TimeZoneRecord& r) { r.years.push_back(r.years[0]); }},
    };
    for (const auto& [name, change] : cases) {
        TimeZoneRecord other = base;
        change(other);
        EXPECT_TRUE(SameStoredZone(base, other)) << name;
    }
    for (const auto& [name, change] : differences) {
        TimeZoneRecord other = base;
        change(other);
        EXPECT_FALSE(SameStoredZone(base, other)) << name;
        EXPECT_FALSE(SameStoredZone(other, base)) << name;
    }
}

TEST(DumpRecord, WritesZoneThenYearsInTheirFixedForm) {
    TimeZoneRecord record;
    record.id = 3;
    record.isCurrent = 1;
    record.keyName = L"Pacific Standard Time";
    record.displayName = L"(UTC-08:00) Pacific Time";
    record.standardName = L"Pacific Standard Time";
    record.daylightName = L"Pacific Daylight Time";
    SYSTEMTIME standard = Recurring(11, 0, 1, 2);
    standard.wSecond = 7;
    standard.wMilliseconds = 9;
    record.rules = DeriveRules(MakeTzi(480, 0, -60, standard, Recurring(3, 0, 2, 2)));
    DynamicYearRecord year{2007,
                           DeriveRules(MakeTzi(480, 0, -60, Once(2007, 11, 4, 2), Recurring(3, 0, 2, 2)))};
    record.years.push_back(year);
    EXPECT_EQ(
        DumpRecord(record),
        L"ID=3, current=1, key=\"Pacific Standard Time\", dispName=\"(UTC-08:00) Pacific Time\", bias=480, "
        L"DST=1: stdName=\"Pacific Standard Time\", stdBias=0, stdOccurs=1, stdST=0000-11-01 02:00:07, "
        L"dstName=\"Pacific Daylight Time\", dstBias=-60, dstOccurs=1, dstST=0000-03-02 02:00:00, years "
        L"(1):\n"
        L"year=2007, DST=1: stdBias=0, stdOccurs=2, stdST=2007-11-04 02:00:00, dstBias=-60, dstOccurs=1, "
        L"dstST=0000-03-02 02:00:00\n");
}

TEST(DumpRecord, AZoneWithoutYearsEndsWithTheCountZero) {
    TimeZoneRecord record;
    const std::wstring text = DumpRecord(record);
    const std::wstring tail = L", years (0):\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

} // namespace
} // namespace tarvane
