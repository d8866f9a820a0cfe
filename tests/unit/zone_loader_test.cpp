#include "core/zone_loader.h"

#include "core/zone_writer.h"
#include "log_capture.h"
#include "platform/last_error.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST_F(ZoneLoader, ReadsEveryReadableYearAndNotesAndLogsTheLostOnes) {
    const TziBlock rules = MakeTzi(0, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 5, 2));
    ZoneSpec zone = SimpleZone(L"Years", 0);
    for (DWORD year = 2000; year <= 2010; ++year) {
        if (year != 2008) {
            zone.years.push_back({year, rules});
        }
    }
    PutZone(registry, zone);
    // 2003 cut short, 2004 of another type, 2008 missing, 2009 and 2010 adjacent and lost too.
    registry.PutValue(DynamicPath(L"Years"), L"2003", REG_BINARY, {1, 2, 3, 4});
    registry.PutValue(DynamicPath(L"Years"), L"2004", REG_DWORD, std::vector<BYTE>(44, 0));
    registry.InjectFault(RegFault(RegOp::QueryValue, DynamicPath(L"Years")).Value(L"2009").Error(5));
    registry.InjectFault(RegFault(RegOp::QueryValue, DynamicPath(L"Years")).Value(L"2010").Size(43));
    ASSERT_TRUE(Load()) << "lost years do not fail the load";
    std::vector<DWORD> read;
    for (const auto& year : records[0].years) {
        read.push_back(year.year);
    }
    EXPECT_EQ(read, (std::vector<DWORD>{2000, 2001, 2002, 2005, 2006, 2007}));
    EXPECT_EQ(records[0].years[3].rules.dstEnabled, 1);
    EXPECT_EQ(YearRunsText(records[0].damagedYears), L"2003-2004, 2008-2010");
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[235] key=Years, yr=2003-2004",
                                                             L"[235] key=Years, yr=2008-2010"}));
    EXPECT_EQ(capture.LastErrorOf(L"[235] key=Years, yr=2003-2004"), ERROR_INVALID_DATA);
    EXPECT_EQ(capture.LastErrorOf(L"[235] key=Years, yr=2008-2010"), ERROR_FILE_NOT_FOUND);

    // A save keeps every year that was read and drops exactly the lost ones.
    ASSERT_TRUE(SaveTimeZone(registry, true, records[0]));
    std::vector<std::wstring> kept = registry.ValueNames(DynamicPath(L"Years"));
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::wstring>{L"2000", L"2001", L"2002", L"2005", L"2006", L"2007",
                                               L"FirstEntry", L"LastEntry"}));
    EXPECT_EQ(ReadDwordLe(registry.GetValue(DynamicPath(L"Years"), L"LastEntry")->data.data()), 2007u);

    // A range no zone can hold is tried for its first thousand years only.
    ZoneSpec wide = SimpleZone(L"Wide", 0);
    wide.years.push_back({2006, rules});
    wide.years.push_back({2500, rules});
    wide.lastEntry = 4294967295u;
    registry.RemoveTree(ZonePath(L"Years"));
    PutZone(registry, wide);
    capture.events.clear();
    const std::size_t callsBefore = registry.CallCount();
    ASSERT_TRUE(Load());
    EXPECT_LT(registry.CallCount() - callsBefore, 2500u);
    ASSERT_EQ(records[0].years.size(), 2u);
    EXPECT_EQ(YearRunsText(records[0].damagedYears), L"2007-2499, 2501-4294967295");
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

TEST_F(ZoneLoader, LoadZoneReadsOneZoneAsTheListDoes) {
    ZoneSpec zone = SimpleZone(L"One", 300);
    zone.years.push_back({2010, MakeTzi(300)});
    zone.lastEntry = 2011;
    PutZone(registry, zone);
    PutZone(registry, SimpleZone(L"Other", 0));
    ASSERT_TRUE(Load());
    TimeZoneRecord one;
    ASSERT_TRUE(LoadZone(registry, L"one", &one));
    EXPECT_EQ(one.keyName, L"one");
    EXPECT_TRUE(SameStoredZone(one, records[0]));
    EXPECT_EQ(YearRunsText(one.damagedYears), L"2011");
    const std::vector<std::pair<std::wstring, DWORD>> failures = {
        {L"Missing", ERROR_FILE_NOT_FOUND}, {L"", ERROR_INVALID_PARAMETER}, {L"Broken", ERROR_INVALID_DATA}};
    PutZone(registry, SimpleZone(L"Broken", 0));
    registry.PutValue(ZonePath(L"Broken"), L"TZI", REG_BINARY, {1});
    for (const auto& [key, error] : failures) {
        EXPECT_FALSE(LoadZone(registry, key, &one)) << std::string(key.begin(), key.end());
        EXPECT_EQ(GetThreadLastError(), error);
        EXPECT_TRUE(one.keyName.empty());
    }
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
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

// The start-up reads on a thread of its own: the same records, result, log
// lines and last error (in the thread that takes them) as the loader's own.
TEST_F(ZoneLoader, ABackgroundReadHandsOverWhatTheLoaderWouldHaveRead) {
    PutZone(registry, SimpleZone(L"A", 0));
    PutZone(registry, SimpleZone(L"B", 60));
    PutZone(registry, SimpleZone(L"C", -60));
    const struct {
        std::optional<RegFault> fault;
        bool read;
        std::vector<std::wstring> keys;
        std::vector<std::wstring> log;
        DWORD error;
    } cases[] = {
        {std::nullopt, true, {L"B", L"A", L"C"}, {}, 0},
        {RegFault(RegOp::EnumKey, kTimeZonesFullPath).At(2u).Error(1359),
         false,
         {L"B", L"A"},
         {L"[103] r=1359"},
         1359},
        {RegFault(RegOp::Open, kTimeZonesFullPath).Error(5), false, {}, {L"[101]"}, 5},
    };
    for (const auto& c : cases) {
        registry.ClearFaults();
        if (c.fault) {
            registry.InjectFault(*c.fault);
        }
        capture.events.clear();
        SetThreadLastError(0);
        bool read = false;
        {
            BackgroundZoneLoad load(registry, timeZones);
            SetThreadLastError(77);
            read = load.Take(records);
        }
        EXPECT_EQ(read, c.read);
        EXPECT_EQ(c.read ? 0u : GetThreadLastError(), c.error);
        EXPECT_EQ(Keys(), c.keys);
        EXPECT_EQ(capture.Messages(), c.log);
        EXPECT_TRUE(FillZoneList(view, records, std::wstring()));
        EXPECT_EQ(view.rows.size(), c.keys.size());
        EXPECT_EQ(registry.OpenHandleCount(), 0u);
    }
    BackgroundZoneLoad unused(registry, timeZones); // never taken: its thread is waited for
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
