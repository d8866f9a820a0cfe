#include "core/zone_loader.h"

#include "log_capture.h"
#include "platform/last_error.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

class ZoneLoader : public ::testing::Test {
protected:
    void SetUp() override { timeZones.current.timeZoneKeyName = L"Central Europe Standard Time"; }

    bool Load(const std::optional<std::wstring>& selectKey = std::wstring()) {
        return LoadTimeZones(registry, timeZones, view, records, selectKey);
    }

    std::vector<std::wstring> Keys() const {
        std::vector<std::wstring> keys;
        for (const auto& record : records) {
            keys.push_back(record.keyName);
        }
        return keys;
    }

    MemoryRegistry registry;
    FakeTimeZoneApi timeZones;
    FakeListView view;
    std::vector<TimeZoneRecord> records;
    LogCapture capture;
};

TEST_F(ZoneLoader, OrdersByBiasFromWestToEastKeepingEnumerationOrderForEqualBiases) {
    PutZone(registry, SimpleZone(L"A East", -60));
    PutZone(registry, SimpleZone(L"B UTC", 0));
    PutZone(registry, SimpleZone(L"C West", 300));
    PutZone(registry, SimpleZone(L"D UTC", 0));
    PutZone(registry, SimpleZone(L"E Far East", -540));
    ASSERT_TRUE(Load());
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"C West", L"B UTC", L"D UTC", L"A East", L"E Far East"}));
    ASSERT_EQ(view.rows.size(), 5u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(view.rows[i].text, records[i].displayName);
        EXPECT_EQ(view.rows[i].data, records[i].id);
    }
    EXPECT_TRUE(view.redraw);
    EXPECT_EQ(view.redrawOffCount, 1);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(ZoneLoader, IdsFollowEnumerationOrderAndStartAgainOnEveryLoad) {
    PutZone(registry, SimpleZone(L"A", -60));
    PutZone(registry, SimpleZone(L"B", 60));
    PutZone(registry, SimpleZone(L"C", 0));
    ASSERT_TRUE(Load());
    ASSERT_TRUE(Load());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].keyName, L"B");
    EXPECT_EQ(records[0].id, 2);
    EXPECT_EQ(records[1].id, 3);
    EXPECT_EQ(records[2].id, 1);
}

TEST_F(ZoneLoader, MarksTheCurrentZoneOnceAndSelectsIt) {
    PutZone(registry, SimpleZone(L"GMT Standard Time", 0));
    PutZone(registry, SimpleZone(L"Central Europe Standard Time", -60));
    timeZones.current.timeZoneKeyName = L"central europe STANDARD time";
    ASSERT_TRUE(Load());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].isCurrent, 1);
    EXPECT_EQ(records[0].isCurrent, 0);
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(view.visible, 1);
}

TEST_F(ZoneLoader, WithoutTheDynamicQueryTheStandardNameIsComparedAndMayMatchNothing) {
    PutZone(registry, SimpleZone(L"Tokyo Standard Time", -540));
    timeZones.hasDynamic = false;
    timeZones.current.standardName = L"Tokyo Standard Time";
    ASSERT_TRUE(Load());
    EXPECT_EQ(records[0].isCurrent, 1);

    timeZones.current.standardName = L"Tokio Normalzeit";
    ASSERT_TRUE(Load());
    EXPECT_EQ(records[0].isCurrent, 0);
    EXPECT_EQ(view.selected, -1) << "an empty selectKey selects only the current zone";
}

TEST_F(ZoneLoader, SelectKeyChoosesTheRow) {
    PutZone(registry, SimpleZone(L"A", 0));
    PutZone(registry, SimpleZone(L"B", 0));
    ASSERT_TRUE(Load(std::wstring(L"b")));
    EXPECT_EQ(view.selected, 1);
    ASSERT_TRUE(Load(std::wstring(L"Nowhere")));
    EXPECT_EQ(view.selected, -1);
    ASSERT_TRUE(Load(std::nullopt));
    EXPECT_EQ(view.selected, -1);
}

TEST_F(ZoneLoader, ReadsDynamicYearsUpToTheFirstMissingOne) {
    ZoneSpec zone = SimpleZone(L"Years", 0);
    for (DWORD year : {2006u, 2007u, 2009u, 2010u}) {
        zone.years.push_back({year, MakeTzi(0, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 5, 2))});
    }
    PutZone(registry, zone);
    ASSERT_TRUE(Load());
    ASSERT_EQ(records[0].years.size(), 2u);
    EXPECT_EQ(records[0].years[0].year, 2006u);
    EXPECT_EQ(records[0].years[1].year, 2007u);
    EXPECT_EQ(records[0].years[0].rules.dstEnabled, 1);
}

TEST_F(ZoneLoader, AReversedOrUnreadableRangeGivesNoYearsAndNoError) {
    ZoneSpec reversed = SimpleZone(L"Reversed", 0);
    reversed.years.push_back({2010, MakeTzi(0)});
    reversed.firstEntry = 2010;
    reversed.lastEntry = 2007;
    PutZone(registry, reversed);
    ZoneSpec noLast = SimpleZone(L"NoLast", 0);
    noLast.years.push_back({2010, MakeTzi(0)});
    PutZone(registry, noLast);
    registry.InjectFault(RegFault(RegOp::QueryValue, DynamicPath(L"NoLast")).Value(L"LastEntry").Error(2));
    ASSERT_TRUE(Load());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(records[0].years.empty());
    EXPECT_TRUE(records[1].years.empty());
    EXPECT_TRUE(capture.events.empty());
}

TEST_F(ZoneLoader, AWholeRangeOfYearsEndsAtTheLastValueWithoutWrappingAround) {
    ZoneSpec zone = SimpleZone(L"Edge", 0);
    zone.years.push_back({4294967294u, MakeTzi(0)});
    zone.years.push_back({4294967295u, MakeTzi(0)});
    PutZone(registry, zone);
    ASSERT_TRUE(Load());
    ASSERT_EQ(records[0].years.size(), 2u);
    EXPECT_EQ(records[0].years[1].year, 4294967295u);
}

TEST_F(ZoneLoader, ZonesWithABadValueAreSkippedSilently) {
    PutZone(registry, SimpleZone(L"Good", 0));
    ZoneSpec longTzi = SimpleZone(L"LongTzi", 0);
    PutZone(registry, longTzi);
    registry.PutValue(ZonePath(L"LongTzi"), L"TZI", REG_BINARY, std::vector<BYTE>(48, 0));
    PutZone(registry, SimpleZone(L"BinaryDisplay", 0));
    registry.PutValue(ZonePath(L"BinaryDisplay"), L"Display", REG_BINARY, {1, 0});
    PutZone(registry, SimpleZone(L"NoDlt", 0));
    registry.InjectFault(RegFault(RegOp::QueryValue, ZonePath(L"NoDlt")).Value(L"Dlt").Error(2));
    ASSERT_TRUE(Load());
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"Good"}));
    EXPECT_TRUE(capture.events.empty());
}

TEST_F(ZoneLoader, RootThatCannotBeOpenedLogs101AndEmptiesTheList) {
    PutZone(registry, SimpleZone(L"A", 0));
    ASSERT_TRUE(Load());
    registry.InjectFault(RegFault(RegOp::Open, kTimeZonesFullPath).Error(5));
    SetThreadLastError(0);
    EXPECT_FALSE(Load());
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(view.rows.empty());
    EXPECT_TRUE(view.redraw);
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[101]"}));
    EXPECT_EQ(capture.LastErrorOf(L"[101]"), 5);
}

TEST_F(ZoneLoader, EnumerationErrorLogs103AndKeepsTheZonesSoFar) {
    PutZone(registry, SimpleZone(L"A", 0));
    PutZone(registry, SimpleZone(L"B", 0));
    PutZone(registry, SimpleZone(L"C", 0));
    registry.InjectFault(RegFault(RegOp::EnumKey, kTimeZonesFullPath).At(2u).Error(1359));
    EXPECT_FALSE(Load());
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[103] r=1359"}));
    EXPECT_EQ(capture.LastErrorOf(L"[103] r=1359"), 1359);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(ZoneLoader, AZoneKeyThatCannotBeOpenedLogs104AndIsSkipped) {
    PutZone(registry, SimpleZone(L"A", 0));
    PutZone(registry, SimpleZone(L"B", 0));
    registry.InjectFault(RegFault(RegOp::Open, ZonePath(L"A")).Error(5));
    EXPECT_TRUE(Load()) << "the result is not changed";
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"B"}));
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[104] r=5, name=\"A\""}));
    EXPECT_EQ(capture.LastErrorOf(L"[104] r=5, name=\"A\""), 5);
    EXPECT_EQ(records[0].id, 1);
}

TEST_F(ZoneLoader, DynamicKeyThatCannotBeOpenedKeepsTheZoneAndFails) {
    ZoneSpec zone = SimpleZone(L"A", 0);
    zone.years.push_back({2010, MakeTzi(0)});
    PutZone(registry, zone);
    registry.InjectFault(RegFault(RegOp::Open, DynamicPath(L"A")).Error(5));
    EXPECT_FALSE(Load());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].years.empty());
    EXPECT_TRUE(capture.events.empty());
}

TEST_F(ZoneLoader, ListRowFailuresFailTheLoad) {
    PutZone(registry, SimpleZone(L"A", 0));
    PutZone(registry, SimpleZone(L"B", 0));
    PutZone(registry, SimpleZone(L"Central Europe Standard Time", 0));
    view.failInsertAt = {0};
    EXPECT_FALSE(Load());
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].text, records[1].displayName);
    EXPECT_EQ(view.selected, 1);

    FakeListView other;
    other.failDataAt = {2};
    EXPECT_FALSE(LoadTimeZones(registry, timeZones, other, records, std::wstring()));
    EXPECT_EQ(other.selected, -1) << "a row without item data cannot be chosen";
}

TEST_F(ZoneLoader, ReadsEveryValueWithOneRegistryCall) {
    ZoneSpec years = SimpleZone(L"Years", 0);
    for (DWORD year : {2006u, 2007u, 2008u}) {
        years.years.push_back({year, MakeTzi(0)});
    }
    PutZone(registry, years);
    PutZone(registry, SimpleZone(L"Plain", 60));
    const std::size_t before = registry.CallCount();
    ASSERT_TRUE(Load());
    // Root: open, 3 enumerations, close. Each zone: open, Display, Std, Dlt,
    // TZI, open Dynamic DST, close. The years' key: FirstEntry, LastEntry,
    // three years, close.
    EXPECT_EQ(registry.CallCount() - before, 5u + 2 * 7u + 6u);
}

} // namespace
} // namespace tarvane::test
