// Transition dates from the rules of Wine's own time-zone database, against
// the dates on which daylight saving really began and ended; and the clock
// panel on the real clock and current zone.
#include "core/clock_panel.h"
#include "core/transition_dates.h"
#include "core/zone_loader.h"
#include "platform/date_time.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "real_world_transitions.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

namespace tarvane::test {
namespace {

const TimeZoneRecord* FindZone(const std::vector<TimeZoneRecord>& zones, const std::wstring& key) {
    for (const TimeZoneRecord& zone : zones) {
        if (EqualNoCase(zone.keyName, key)) {
            return &zone;
        }
    }
    return nullptr;
}

// The rules in force in `year`: the zone's dynamic year when it has one, else
// its default rules.
const ZoneRules& RulesFor(const TimeZoneRecord& zone, DWORD year) {
    for (const DynamicYearRecord& dynamic : zone.years) {
        if (dynamic.year == year) {
            return dynamic.rules;
        }
    }
    return zone.rules;
}

std::string Describe(const std::wstring& key, WORD year, const char* which, const SYSTEMTIME& got,
                     const WallClock& expected) {
    return std::string(key.begin(), key.end()) + " " + std::to_string(year) + " " + which + ": got " +
           std::to_string(got.wMonth) + "-" + std::to_string(got.wDay) + " " + std::to_string(got.wHour) +
           ":" + std::to_string(got.wMinute) + ", expected " + std::to_string(expected.month) + "-" +
           std::to_string(expected.day) + " " + std::to_string(expected.hour) + ":00";
}

TEST(TransitionDatesOnWine, RulesOfWinesDatabaseMeetTheRealWorldTransitions) {
    FakeListView view;
    std::vector<TimeZoneRecord> zones;
    ASSERT_TRUE(LoadTimeZones(SystemRegistry(), SystemTimeZoneApi(), view, zones, std::nullopt));
    int checked = 0;
    for (const ZoneRule& rule : kRealWorldRules) {
        const TimeZoneRecord* zone = FindZone(zones, rule.windowsKey);
        ASSERT_NE(zone, nullptr) << "no zone " << testing::PrintToString(std::wstring(rule.windowsKey));
        for (const RealTransitions& real : kRealWorldTransitions) {
            if (std::wstring(real.zone) != rule.zone) {
                continue;
            }
            const ZoneRules& rules = RulesFor(*zone, real.year);
            SYSTEMTIME begins{};
            SYSTEMTIME ends{};
            ASSERT_TRUE(ComputeTransitionDate(&rules.tzi.DaylightDate, real.year, &begins, SystemClock()));
            ASSERT_TRUE(ComputeTransitionDate(&rules.tzi.StandardDate, real.year, &ends, SystemClock()));
            EXPECT_TRUE(begins.wYear == real.year && begins.wMonth == real.begins.month &&
                        begins.wDay == real.begins.day && begins.wHour == real.begins.hour &&
                        begins.wMinute == 0)
                << Describe(rule.windowsKey, real.year, "begins", begins, real.begins);
            EXPECT_TRUE(ends.wYear == real.year && ends.wMonth == real.ends.month &&
                        ends.wDay == real.ends.day && ends.wHour == real.ends.hour && ends.wMinute == 0)
                << Describe(rule.windowsKey, real.year, "ends", ends, real.ends);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 105);
}

TEST(TransitionDatesOnWine, EveryRuleOfWinesDatabaseGivesADateOrAClearFailure) {
    // Each zone's own rules and every dynamic year: a zone with daylight
    // saving yields both transitions in the rule's month, seconds 0.
    FakeListView view;
    std::vector<TimeZoneRecord> zones;
    ASSERT_TRUE(LoadTimeZones(SystemRegistry(), SystemTimeZoneApi(), view, zones, std::nullopt));
    int computed = 0;
    for (const TimeZoneRecord& zone : zones) {
        std::vector<std::pair<DWORD, const ZoneRules*>> all = {{2026, &zone.rules}};
        for (const DynamicYearRecord& year : zone.years) {
            all.emplace_back(year.year, &year.rules);
        }
        for (const auto& [year, rules] : all) {
            if (rules->dstEnabled == 0 || year < 1601) {
                continue;
            }
            for (const SYSTEMTIME* rule : {&rules->tzi.DaylightDate, &rules->tzi.StandardDate}) {
                SYSTEMTIME when{};
                const bool ok = ComputeTransitionDate(rule, static_cast<WORD>(year), &when, SystemClock());
                if (rule->wYear == 0 && rule->wMonth >= 1 && rule->wMonth <= 12 && rule->wDay >= 1 &&
                    rule->wDay <= 5 && rule->wDayOfWeek <= 6 && rule->wHour <= 23) {
                    ASSERT_TRUE(ok) << testing::PrintToString(zone.keyName) << " " << year;
                    EXPECT_EQ(when.wMonth, rule->wMonth);
                    EXPECT_EQ(when.wSecond, 0);
                    ++computed;
                }
            }
        }
    }
    EXPECT_GT(computed, 200);
}

class RecordingPanes : public StatusPanes {
public:
    std::array<std::wstring, 4> texts;
    std::wstring PaneText(int index) override { return texts.at(static_cast<std::size_t>(index)); }
    void SetPaneText(int index, const std::wstring& text) override {
        texts.at(static_cast<std::size_t>(index)) = text;
    }
};

TEST(ClockPanelOnWine, ShowsThisYearsPacificTransitions) {
    const char* expected = std::getenv("TARVANE_EXPECT_CURRENT_ZONE");
    if (expected == nullptr || std::string(expected) != "Pacific Standard Time") {
        GTEST_SKIP() << "runs with TZ=America/Los_Angeles";
    }
    RecordingPanes panes;
    RefreshClock(panes, SystemClock(), SystemTimeZoneApi());
    const SYSTEMTIME local = SystemClock().LocalNow();
    SYSTEMTIME secondSunday{};
    const SYSTEMTIME rule{0, 3, 0, 2, 2, 0, 0, 0};
    ASSERT_TRUE(ComputeTransitionDate(&rule, local.wYear, &secondSunday, SystemClock()));
    EXPECT_EQ(panes.texts[2], L"DST Begins: " + FormatDateTime(secondSunday));
    EXPECT_EQ(panes.texts[0].rfind(L"Local: ", 0), 0u);
    EXPECT_EQ(panes.texts[0].find(L"rror"), std::wstring::npos);
    EXPECT_EQ(panes.texts[1].rfind(L"UTC: ", 0), 0u);
    EXPECT_EQ(panes.texts[1].size(), std::wstring(L"UTC: 2026-12-08T17:04:05Z").size());
    EXPECT_EQ(panes.texts[3].rfind(L"DST Ends: ", 0), 0u);
    EXPECT_EQ(panes.texts[3].find(L"error"), std::wstring::npos);
}

} // namespace
} // namespace tarvane::test
