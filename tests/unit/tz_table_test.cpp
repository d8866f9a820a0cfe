#include "tz_fixtures.h"
#include "tzdb/civil_time.h"
#include "tzdb/posix_tz.h"
#include "tzdb/tz_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace tarvane::test {
namespace {

TEST(PosixTz, ParsesTheFormsThatZoneFilesEndWith) {
    struct Case {
        const wchar_t* text;
        LONG standard;
        bool daylight;
        LONG daylightOffset;
        PosixTzDate::Kind kind;
        int startMonth, startWeek, startDay, startTime, endTime;
    };
    const Case cases[] = {
        {L"EST5EDT,M3.2.0,M11.1.0", -18000, true, -14400, PosixTzDate::kMonthWeekDay, 3, 2, 0, 7200, 7200},
        {L"<+0330>-3:30", 12600, false, 0, PosixTzDate::kMonthWeekDay, 0, 0, 0, 7200, 7200},
        {L"<-02>2<-01>,M3.5.0/-1,M10.5.0/0", -7200, true, -3600, PosixTzDate::kMonthWeekDay, 3, 5, 0, -3600,
         0},
        {L"IST-1GMT0,M10.5.0,M3.5.0/1", 3600, true, 0, PosixTzDate::kMonthWeekDay, 10, 5, 0, 7200, 3600},
        {L"EET-2EEST,M3.4.4/50,M10.4.4/50", 7200, true, 10800, PosixTzDate::kMonthWeekDay, 3, 4, 4, 180000,
         180000},
        {L"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", 37800, true, 39600, PosixTzDate::kMonthWeekDay, 10, 1, 0,
         7200, 7200},
        {L"<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45", 45900, true, 49500, PosixTzDate::kMonthWeekDay, 9,
         5, 0, 9900, 13500},
        {L"AAA3BBB,J60/2:30:15,300/-167", -10800, true, -7200, PosixTzDate::kJulian, 0, 0, 0, 9015, -601200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.text).size() << " chars: case " << (&c - cases));
        const std::optional<PosixTz> rule = ParsePosixTz(c.text);
        ASSERT_TRUE(rule.has_value());
        EXPECT_EQ(rule->standardOffset, c.standard);
        EXPECT_EQ(rule->hasDaylight, c.daylight);
        if (c.daylight) {
            EXPECT_EQ(rule->daylightOffset, c.daylightOffset);
            EXPECT_EQ(rule->start.kind, c.kind);
            EXPECT_EQ(rule->start.month, c.startMonth);
            EXPECT_EQ(rule->start.week, c.startWeek);
            EXPECT_EQ(rule->start.weekday, c.startDay);
            EXPECT_EQ(rule->start.time, c.startTime);
            EXPECT_EQ(rule->end.time, c.endTime);
        }
    }
    for (const wchar_t* text :
         {L"", L"EST", L"ES5", L"EST5EDT", L"EST5EDT,M3.2.0", L"EST5EDT,M13.1.0,M11.1.0",
          L"EST5EDT,M3.6.0,M11.1.0", L"EST5EDT,M3.2.7,M11.1.0", L"EST5EDT,M3.2.0,M11.1.0x", L"<EST5", L"<>5",
          L"EST25", L"EST5EDT,J0,J365", L"EST5EDT,366,1", L"EST5EDT,M3.2.0/168,M11.1.0", L"EST5:60",
          L"EST-"}) {
        EXPECT_FALSE(ParsePosixTz(text).has_value()) << "accepted " << std::wstring(text).size() << " chars";
    }
}

TEST(PosixTz, DatesFallWhereTheRuleSays) {
    struct Case {
        const wchar_t* rule;
        int year;
        int month, day; // of daylight time's start
    };
    const Case cases[] = {
        {L"AAA0BBB,M3.5.0,M10.5.0", 2026, 3, 29}, // the fifth Sunday
        {L"AAA0BBB,M3.5.0,M10.5.0", 2027, 3, 28}, // the fourth, when there are four
        {L"AAA0BBB,M2.5.0,M10.5.0", 2026, 2, 22}, // February of a common year
        {L"AAA0BBB,M3.1.0,M10.5.0", 2026, 3, 1},  // the 1st itself
        {L"AAA0BBB,J60,J300", 2024, 3, 1},        // 29 February is not counted
        {L"AAA0BBB,J60,J300", 2026, 3, 1},
        {L"AAA0BBB,59,300", 2024, 2, 29}, // but counted from 0 it is
        {L"AAA0BBB,59,300", 2026, 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        const std::optional<PosixTz> rule = ParsePosixTz(c.rule);
        ASSERT_TRUE(rule.has_value());
        EXPECT_EQ(PosixTzDay(rule->start, c.year), CivilDay(c.year, c.month, c.day));
    }
}

// A table with one zone, laid out as WriteTzTable writes it.
std::vector<BYTE> SmallTable() {
    std::vector<BYTE> bytes;
    auto u8 = [&](unsigned value) { bytes.push_back(static_cast<BYTE>(value)); };
    auto u16 = [&](unsigned value) { u8(value & 0xFF), u8(value >> 8); };
    auto u32 = [&](std::uint32_t value) { u16(value & 0xFFFF), u16(value >> 16); };
    auto text = [&](const char* value) {
        u8(static_cast<unsigned>(std::strlen(value)));
        for (const char* c = value; *c != 0; ++c) {
            u8(static_cast<unsigned char>(*c));
        }
    };
    for (char c : {'T', 'V', 'T', 'Z'}) {
        u8(static_cast<unsigned char>(c));
    }
    u16(2);
    text("2026f");
    text("48");
    u16(1);                                         // zones
    u8(2);                                          // types
    u32(static_cast<std::uint32_t>(-18000)), u8(0); // EST
    u32(static_cast<std::uint32_t>(-14400)), u8(1); // EDT
    u8(0);                                          // EST in 1970
    u16(2);                                         // transitions
    u32(9964800), u8(1);                            // 1970-04-26 07:00 UTC
    u32(15724800), u8(0);                           // six months later
    text("EST5EDT,M3.2.0,M11.1.0");
    u16(2);
    text("America/New_York"), u16(0);
    text("US/Eastern"), u16(0);
    u16(2);
    text("Eastern Standard Time"), text("001"), u8(1), u16(0);
    text("Eastern Standard Time"), text("US"), u8(2), u16(0), u16(1);
    return bytes;
}

TEST(TzTableReader, ReadsEveryPartOfATable) {
    const std::vector<BYTE> bytes = SmallTable();
    TzTable table;
    ASSERT_TRUE(ReadTzTable(bytes.data(), bytes.size(), &table));
    EXPECT_EQ(table.version, L"2026f");
    ASSERT_EQ(table.zones.size(), 1u);
    const TzZone& zone = table.zones[0];
    ASSERT_EQ(zone.transitions.size(), 2u);
    EXPECT_EQ(zone.transitions[1].time, 9964800 + 15724800);
    EXPECT_TRUE(zone.types[1].daylight);
    EXPECT_EQ(FindTzZone(table, L"US/Eastern"), &zone);
    EXPECT_EQ(FindTzZone(table, L"us/eastern"), nullptr);
    ASSERT_NE(MappedTzName(table, L"EASTERN standard time"), nullptr);
    EXPECT_EQ(*MappedTzName(table, L"EASTERN standard time"), L"America/New_York");
    EXPECT_EQ(MappedTzName(table, L"Tokyo Standard Time"), nullptr);
    EXPECT_EQ(table.cldrVersion, L"48");
    ASSERT_EQ(table.mappings.size(), 2u);
    EXPECT_EQ(table.mappings[1].names, (std::vector<std::uint16_t>{0, 1}));
    // Within the list, and after it where the rule carries on.
    EXPECT_EQ(TzOffsetAt(zone, 9964800 - 1), -18000);
    EXPECT_EQ(TzOffsetAt(zone, 9964800), -14400);
    EXPECT_EQ(TzOffsetAt(zone, CivilDay(2026, 7, 1)), -14400);
    EXPECT_EQ(TzOffsetAt(zone, CivilDay(2026, 12, 1)), -18000);
}

TEST(TzTableWriter, WritesBackTheBytesItsTablesAreReadFrom) {
    for (const std::vector<BYTE>& bytes : {SmallTable(), GeneratedTzTableBytes()}) {
        TzTable table;
        ASSERT_TRUE(ReadTzTable(bytes.data(), bytes.size(), &table));
        std::string written;
        std::wstring reason;
        ASSERT_TRUE(WriteTzTable(table, &written, &reason)) << std::string(reason.begin(), reason.end());
        EXPECT_EQ(written, std::string(bytes.begin(), bytes.end()));
    }
}

TEST(TzTableReader, RefusesDamageWithoutReadingPastTheBytes) {
    const std::vector<BYTE> whole = SmallTable();
    TzTable table;
    table.version = L"untouched";
    // Every shortened copy, in a buffer of exactly its size for the sanitizer.
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const std::vector<BYTE> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(ReadTzTable(cut.data(), cut.size(), &table)) << "accepted " << size << " bytes";
    }
    std::vector<BYTE> longer = whole;
    longer.push_back(0);
    EXPECT_FALSE(ReadTzTable(longer.data(), longer.size(), &table));
    struct Damage {
        std::size_t at;
        BYTE value;
    };
    const Damage damages[] = {
        {0, 'X'},   // magic
        {4, 3},     // format
        {21, 0x7F}, // an offset of years
        {22, 2},    // daylight flag
        {28, 2},    // type in 1970
        {31, 0},    // a transition's delta of 0 (with the next three bytes)
        {35, 2},    // a transition's type
        {42, '%'},  // the rule no longer parses
        {43, 0x80}, // a character outside ASCII
    };
    for (const Damage& damage : damages) {
        std::vector<BYTE> bytes = whole;
        bytes[damage.at] = damage.value;
        if (damage.at == 31) {
            bytes[32] = bytes[33] = bytes[34] = 0;
        }
        EXPECT_FALSE(ReadTzTable(bytes.data(), bytes.size(), &table)) << "damage at " << damage.at;
    }
    // The mappings: a territory that is no ISO code, a row without a zone.
    auto at = [&](std::vector<BYTE> text) {
        return static_cast<std::size_t>(std::search(whole.begin(), whole.end(), text.begin(), text.end()) -
                                        whole.begin());
    };
    const std::size_t us = at({2, 'U', 'S'});
    const std::size_t world = at({3, '0', '0', '1'});
    for (const Damage& damage : {Damage{us + 1, 'u'}, Damage{us + 3, 0}, Damage{world + 3, 'A'}}) {
        std::vector<BYTE> bytes = whole;
        bytes[damage.at] = damage.value;
        EXPECT_FALSE(ReadTzTable(bytes.data(), bytes.size(), &table)) << "damage at " << damage.at;
    }
    // Every single-byte change either reads or is refused, never more.
    for (std::size_t at = 0; at < whole.size(); ++at) {
        for (BYTE value : {BYTE{0}, BYTE{1}, BYTE{0x7F}, BYTE{0xFF}}) {
            std::vector<BYTE> bytes = whole;
            bytes[at] = value;
            TzTable any;
            ReadTzTable(bytes.data(), bytes.size(), &any);
        }
    }
    EXPECT_EQ(table.version, L"untouched");
    EXPECT_FALSE(ReadTzTable(nullptr, 10, &table));
}

TEST(TzTableReader, TheGeneratedTableMapsEveryWindowsKeyToAZoneWithItsRule) {
    const TzTable& table = GeneratedTzTable();
    ASSERT_EQ(table.version.size(), 5u);
    EXPECT_TRUE(std::iswdigit(table.version[0]) && std::iswalpha(table.version[4]));
    EXPECT_GT(table.names.size(), 500u) << "every zone and link, not only the mapped ones";
    EXPECT_GT(table.windowsKeys.size(), 130u);
    for (const auto& [key, name] : table.windowsKeys) {
        const TzZone* zone = FindTzZone(table, table.names[name].first);
        ASSERT_NE(zone, nullptr);
        EXPECT_FALSE(zone->ruleText.empty());
    }
    EXPECT_EQ(*MappedTzName(table, L"Pacific Standard Time"), L"America/Los_Angeles");
    EXPECT_EQ(FindTzZone(table, L"US/Pacific"), FindTzZone(table, L"America/Los_Angeles"));
}

} // namespace
} // namespace tarvane::test
