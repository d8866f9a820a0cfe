#include "core/clock_panel.h"

#include "platform/date_time.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace tarvane::test {
namespace {

class FakeStatusPanes : public StatusPanes {
public:
    std::array<std::wstring, 4> texts;
    std::array<int, 4> writes{};

    std::wstring PaneText(int index) override { return texts.at(static_cast<std::size_t>(index)); }
    void SetPaneText(int index, const std::wstring& text) override {
        texts.at(static_cast<std::size_t>(index)) = text;
        ++writes.at(static_cast<std::size_t>(index));
    }
    const std::wstring& Local() const { return texts[0]; }
    const std::wstring& Utc() const { return texts[1]; }
    const std::wstring& Begins() const { return texts[2]; }
    const std::wstring& Ends() const { return texts[3]; }
};

class FakeClock : public ClockApi {
public:
    SYSTEMTIME utc{2026, 12, 2, 8, 17, 4, 5, 678};
    LONG offsetMinutes = -8 * 60;
    bool localFails = false;

    SYSTEMTIME UtcNow() override { return utc; }
    // GetLocalTime cannot fail.
    SYSTEMTIME LocalNow() override { return Shifted(utc); }
    bool UtcToLocal(const SYSTEMTIME& from, SYSTEMTIME* local) override {
        if (localFails) {
            return false;
        }
        *local = Shifted(from);
        return true;
    }

private:
    SYSTEMTIME Shifted(const SYSTEMTIME& from) const {
        FILETIME time{};
        SYSTEMTIME local{};
        DateTimeToFileTime(from, &time);
        const auto shifted = static_cast<std::int64_t>(FileTimeTicks(time)) + offsetMinutes * 600000000ll;
        FileTimeToDateTime(MakeFileTime(static_cast<std::uint64_t>(shifted)), &local);
        return local;
    }
};

class ClockPanelTest : public ::testing::Test {
protected:
    ClockPanelTest() {
        zones.current.bias = 480;
        zones.current.daylightDate = Recurring(3, 0, 2, 2);
        zones.current.standardDate = Recurring(11, 0, 1, 2);
        zones.result = TIME_ZONE_ID_STANDARD;
    }
    void Refresh() { RefreshClock(panes, clock, zones); }

    FakeStatusPanes panes;
    FakeClock clock;
    FakeTimeZoneApi zones;
};

TEST_F(ClockPanelTest, ShowsUtcLocalAndThisYearsTransitions) {
    Refresh();
    EXPECT_EQ(panes.Utc(), L"UTC: 2026-12-08T17:04:05Z");
    EXPECT_EQ(panes.Local(), L"Local: " + FormatDateTime(SYSTEMTIME{2026, 12, 2, 8, 9, 4, 5, 0}));
    EXPECT_EQ(panes.Begins(), L"DST Begins: " + FormatDateTime(SYSTEMTIME{2026, 3, 0, 8, 2, 0, 0, 0}));
    EXPECT_EQ(panes.Ends(), L"DST Ends: " + FormatDateTime(SYSTEMTIME{2026, 11, 0, 1, 2, 0, 0, 0}));
#ifndef _WIN32
    EXPECT_EQ(panes.Local(), L"Local: 2026-12-08 09:04:05");
    EXPECT_EQ(panes.Begins(), L"DST Begins: 2026-03-08 02:00:00");
    EXPECT_EQ(panes.Ends(), L"DST Ends: 2026-11-01 02:00:00");
#endif
}

TEST_F(ClockPanelTest, UtcPaneAlwaysHasFullWidthFields) {
    clock.utc = SYSTEMTIME{987, 1, 0, 2, 3, 4, 5, 0};
    Refresh();
    EXPECT_EQ(panes.Utc(), L"UTC: 0987-01-02T03:04:05Z");
}

TEST_F(ClockPanelTest, TransitionsFollowTheLocalYearAcrossNewYear) {
    clock.utc = SYSTEMTIME{2027, 1, 5, 1, 7, 59, 59, 0}; // 31 December 2026, 23:59:59 local
    Refresh();
    EXPECT_EQ(panes.Ends(), L"DST Ends: " + FormatDateTime(SYSTEMTIME{2026, 11, 0, 1, 2, 0, 0, 0}));
    clock.utc = SYSTEMTIME{2027, 1, 5, 1, 8, 0, 0, 0}; // local midnight
    Refresh();
    EXPECT_EQ(panes.Ends(), L"DST Ends: " + FormatDateTime(SYSTEMTIME{2027, 11, 0, 7, 2, 0, 0, 0}));
}

TEST_F(ClockPanelTest, ZoneWithoutDaylightSavingShowsDashes) {
    zones.result = TIME_ZONE_ID_UNKNOWN;
    zones.current.daylightDate = SYSTEMTIME{};
    zones.current.standardDate = SYSTEMTIME{};
    Refresh();
    EXPECT_EQ(panes.Begins(), L"DST Begins: -");
    EXPECT_EQ(panes.Ends(), L"DST Ends: -");
}

TEST_F(ClockPanelTest, DaylightTimeResultShowsTransitionsToo) {
    zones.result = TIME_ZONE_ID_DAYLIGHT;
    Refresh();
    EXPECT_EQ(panes.Begins(), L"DST Begins: " + FormatDateTime(SYSTEMTIME{2026, 3, 0, 8, 2, 0, 0, 0}));
}

TEST_F(ClockPanelTest, InvalidZoneResultShowsErrors) {
    zones.result = TIME_ZONE_ID_INVALID;
    Refresh();
    EXPECT_EQ(panes.Begins(), L"DST Begins: <error>");
    EXPECT_EQ(panes.Ends(), L"DST Ends: <error>");
}

TEST_F(ClockPanelTest, InvalidRulesShowErrorPerPane) {
    zones.current.daylightDate = Recurring(3, 0, 6, 2);  // occurrence 6
    zones.current.standardDate = Recurring(13, 0, 1, 2); // month 13
    Refresh();
    EXPECT_EQ(panes.Begins(), L"DST Begins: <error>");
    EXPECT_EQ(panes.Ends(), L"DST Ends: <error>");
    zones.current.daylightDate = Recurring(3, 0, 0, 2); // occurrence 0
    zones.current.standardDate = Recurring(0, 0, 1, 2); // month 0
    Refresh();
    EXPECT_EQ(panes.Begins(), L"DST Begins: <error>");
    EXPECT_EQ(panes.Ends(), L"DST Ends: <error>");
}

TEST_F(ClockPanelTest, OneTimeRulesShowAsStoredWhateverTheYear) {
    zones.current.daylightDate = Once(2011, 3, 27, 2);
    zones.current.standardDate = Once(2011, 2, 30, 3); // no such day
    Refresh();
    EXPECT_EQ(panes.Begins(), L"DST Begins: " + FormatDateTime(Once(2011, 3, 27, 2)));
    EXPECT_EQ(panes.Ends(), L"DST Ends: <error>");
}

TEST_F(ClockPanelTest, FailedLocalConversionShowsErrorButStillTheTransitions) {
    clock.localFails = true;
    Refresh();
    EXPECT_EQ(panes.Local(), L"Local: <Error>");
    EXPECT_EQ(panes.Utc(), L"UTC: 2026-12-08T17:04:05Z");
    // No local year: the transitions are those of the current local year.
    EXPECT_EQ(panes.Begins(), L"DST Begins: " + FormatDateTime(SYSTEMTIME{2026, 3, 0, 8, 2, 0, 0, 0}));
}

TEST_F(ClockPanelTest, OnlyChangedPanesAreWritten) {
    Refresh();
    EXPECT_EQ(panes.writes, (std::array<int, 4>{1, 1, 1, 1}));
    Refresh();
    EXPECT_EQ(panes.writes, (std::array<int, 4>{1, 1, 1, 1}));
    clock.utc.wSecond = 6;
    Refresh();
    EXPECT_EQ(panes.writes, (std::array<int, 4>{2, 2, 1, 1}));
    clock.utc.wMilliseconds = 999; // same second
    Refresh();
    EXPECT_EQ(panes.writes, (std::array<int, 4>{2, 2, 1, 1}));
}

TEST(ClockPanes, UnknownPaneIdsAreIgnored) {
    FakeStatusPanes panes;
    SetClockPaneText(panes, 4096, L"x");
    SetClockPaneText(panes, 4101, L"x");
    SetClockPaneText(panes, 0, L"x");
    EXPECT_EQ(panes.writes, (std::array<int, 4>{0, 0, 0, 0}));
    SetClockPaneText(panes, kPaneDstEnds, L"x");
    EXPECT_EQ(panes.Ends(), L"x");
}

TEST(ClockPanes, PaneOrderAndWidths) {
    EXPECT_EQ(ClockPaneIndex(4098), 0);
    EXPECT_EQ(ClockPaneIndex(4097), 1);
    EXPECT_EQ(ClockPaneIndex(4099), 2);
    EXPECT_EQ(ClockPaneIndex(4100), 3);
    EXPECT_EQ(ClockPaneRightEdges(803), (std::array<int, 4>{200, 400, 600, -1}));
    EXPECT_EQ(ClockPaneRightEdges(0), (std::array<int, 4>{0, 0, 0, -1}));
    // Quarters while every text fits one; otherwise what each needs, and the room left shared out.
    EXPECT_EQ(ClockPaneRightEdges(803, {150, 200, 180, 200}), (std::array<int, 4>{200, 400, 600, -1}));
    EXPECT_EQ(ClockPaneRightEdges(1000, {200, 190, 290, 280}), (std::array<int, 4>{210, 410, 710, -1}));
    EXPECT_EQ(ClockPaneRightEdges(500, {200, 200, 300, 300}), (std::array<int, 4>{100, 200, 350, -1}));
    for (const std::wstring& text : WidestClockPaneTexts()) {
        EXPECT_GE(text.size(), 25u) << std::string(text.begin(), text.end());
    }
}

} // namespace
} // namespace tarvane::test
