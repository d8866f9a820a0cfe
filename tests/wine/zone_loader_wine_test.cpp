// The loader on Wine's own time-zone database, read through the real API.
#include "core/zone_loader.h"

#include "platform/format.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "win32/win32_helpers.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tarvane::test {
namespace {

// The zone key names as `reg query` lists them: an independent reader.
std::vector<std::wstring> RegQueryZoneNames() {
    std::vector<std::wstring> names;
    const std::string prefix =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\";
    for (const std::string& text : CommandOutputLines(
             L"reg query \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\"")) {
        if (text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0) {
            const std::string name = text.substr(prefix.size());
            names.emplace_back(name.begin(), name.end());
        }
    }
    return names;
}

TEST(ZoneLoaderOnWine, LoadsEveryZoneThatRegQueryListsInBiasOrder) {
    const std::vector<std::wstring> listed = RegQueryZoneNames();
    ASSERT_GT(listed.size(), 100u) << "reg query listed too few zones";

    FakeListView view;
    std::vector<TimeZoneRecord> records;
    ASSERT_TRUE(LoadTimeZones(SystemRegistry(), SystemTimeZoneApi(), view, records, std::wstring()));
    ASSERT_EQ(records.size(), listed.size());
    ASSERT_EQ(view.rows.size(), listed.size());

    // Expected order: the registry's enumeration order (reg query lists it the
    // same way), stably sorted by Bias from the largest to the smallest.
    std::vector<std::pair<LONG, std::wstring>> expected;
    for (const auto& name : listed) {
        auto it = std::find_if(records.begin(), records.end(), [&](const TimeZoneRecord& record) {
            return EqualNoCase(record.keyName, name);
        });
        ASSERT_NE(it, records.end()) << "missing zone";
        expected.emplace_back(it->rules.tzi.Bias, name);
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_TRUE(EqualNoCase(records[i].keyName, expected[i].second)) << i;
        EXPECT_EQ(view.rows[i].text, records[i].displayName);
        EXPECT_EQ(view.rows[i].data, records[i].id);
    }
}

TEST(ZoneLoaderOnWine, MarksAndSelectsTheZoneOfTheProcessTimeZone) {
    const char* expected = std::getenv("TARVANE_EXPECT_CURRENT_ZONE");
    if (expected == nullptr) {
        GTEST_SKIP() << "TARVANE_EXPECT_CURRENT_ZONE is not set";
    }
    const std::string narrow(expected);
    const std::wstring key(narrow.begin(), narrow.end());

    FakeListView view;
    std::vector<TimeZoneRecord> records;
    ASSERT_TRUE(LoadTimeZones(SystemRegistry(), SystemTimeZoneApi(), view, records, std::wstring()));
    int current = -1;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].isCurrent) {
            EXPECT_EQ(current, -1) << "only one zone is current";
            current = static_cast<int>(i);
        }
    }
    ASSERT_NE(current, -1);
    EXPECT_EQ(records[static_cast<std::size_t>(current)].keyName, key);
    EXPECT_EQ(view.selected, current);
}

TEST(ZoneLoaderOnWine, ReadsDynamicYearsOfTheRealDatabase) {
    FakeListView view;
    std::vector<TimeZoneRecord> records;
    ASSERT_TRUE(LoadTimeZones(SystemRegistry(), SystemTimeZoneApi(), view, records, std::nullopt));
    std::size_t withYears = 0;
    for (const auto& record : records) {
        if (!record.years.empty()) {
            ++withYears;
            EXPECT_TRUE(std::is_sorted(record.years.begin(), record.years.end(),
                                       [](const auto& a, const auto& b) { return a.year < b.year; }));
        }
    }
    EXPECT_GT(withYears, 10u);
    EXPECT_EQ(view.selected, -1);
}

} // namespace
} // namespace tarvane::test
