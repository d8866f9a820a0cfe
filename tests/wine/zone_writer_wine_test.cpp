// The zone writer through the real registry, on a scratch copy of Wine's
// time-zone database, read back by the loader and by reg.exe.
#include "core/zone_loader.h"
#include "core/zone_writer.h"

#include "log_capture.h"
#include "platform/format.h"
#include "platform/system_facts.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "win32/scratch_registry.h"
#include "zone_fixtures.h"
#include "win32/win32_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace tarvane::test {
namespace {

const std::wstring kZone = L"Pacific Standard Time";

// reg.exe's listing of one key and its subkeys: full key path -> value name -> "TYPE data".
using Listing = std::map<std::wstring, std::map<std::wstring, std::wstring>>;

// A child reg.exe does not see this process's redirection of
// HKEY_LOCAL_MACHINE, so it reads the scratch copy by its real path.
Listing RegQuery(const std::wstring& path) {
    Listing listing;
    std::wstring key;
    for (const std::string& text : CommandOutputLines(L"reg query \"" + path + L"\" /s")) {
        const std::wstring wide(text.begin(), text.end());
        if (wide.rfind(L"HKEY_", 0) == 0) {
            key = wide;
            listing[key];
        } else if (wide.rfind(L"    ", 0) == 0 && !key.empty()) {
            // "    <name>    <type>    <data>"
            const std::size_t typeAt = wide.find(L"    REG_", 4);
            if (typeAt == std::wstring::npos) {
                continue;
            }
            const std::wstring name = wide.substr(4, typeAt - 4);
            std::wstring rest = wide.substr(typeAt + 4);
            const std::size_t gap = rest.find(L"    ");
            if (gap != std::wstring::npos) {
                rest = rest.substr(0, gap) + L" " + rest.substr(gap + 4);
            }
            listing[key][name] = rest;
        }
    }
    return listing;
}

std::wstring Hex(const TziBlock& block) {
    std::wstring text;
    for (BYTE byte : TziToBytes(block)) {
        text += Format(L"%02X", static_cast<unsigned>(byte));
    }
    return text;
}

DynamicYearRecord Year(DWORD year, WORD month) {
    return DynamicYearRecord{
        year, DeriveRules(MakeTzi(470, 0, -60, Recurring(11, 0, 1, 2), Recurring(month, 0, 2, 3)))};
}

class ZoneWriterOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.Ok());
        ASSERT_TRUE(ScratchLocalMachine::CopyRealKey(kTimeZonesPath, scratch));
        realZonePath = L"HKEY_CURRENT_USER\\" + scratch.Path() + L"\\" + kTimeZonesPath + L"\\" + kZone;
    }

    std::vector<TimeZoneRecord> Load() {
        FakeListView view;
        std::vector<TimeZoneRecord> records;
        EXPECT_TRUE(LoadTimeZones(SystemRegistry(), SystemTimeZoneApi(), view, records, std::nullopt));
        return records;
    }

    static const TimeZoneRecord* Find(const std::vector<TimeZoneRecord>& records, const std::wstring& key) {
        auto it = std::find_if(records.begin(), records.end(), [&](const TimeZoneRecord& record) {
            return EqualNoCase(record.keyName, key);
        });
        return it == records.end() ? nullptr : &*it;
    }

    ScratchLocalMachine scratch;
    std::wstring realZonePath;
    const SystemFacts facts = ReadSystemFacts();
};

TEST_F(ZoneWriterOnWine, SavedZoneReadsBackByteForByteThroughTheLoaderAndRegQuery) {
    const std::vector<TimeZoneRecord> before = Load();
    const TimeZoneRecord* original = Find(before, kZone);
    ASSERT_NE(original, nullptr);
    ASSERT_EQ(original->years.front().year, 2000u) << "Wine's database changed: the old range is 2000-2007";

    TimeZoneRecord record = *original;
    record.displayName = L"(UTC-07:50) Edited Pacific";
    record.standardName = L"Edited Standard";
    record.daylightName = L"";
    record.rules = DeriveRules(MakeTzi(470, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2)));
    record.rules.standardOccurs = kOccursOnlyOnce;
    record.rules.standardAbsoluteDate = Once(2026, 11, 1, 2);
    record.years = {Year(2005, 3), Year(2006, 4), Year(2007, 3), Year(2008, 3), Year(2009, 4)};
    LogCapture capture;
    ASSERT_TRUE(SaveTimeZone(SystemRegistry(), facts.is64BitOs, record)) << capture.Dump();
    EXPECT_EQ(::GetLastError(), 0u);
    EXPECT_TRUE(capture.events.empty()) << capture.Dump();

    const std::vector<TimeZoneRecord> after = Load();
    EXPECT_EQ(after.size(), before.size());
    const TimeZoneRecord* saved = Find(after, kZone);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->displayName, record.displayName);
    EXPECT_EQ(saved->standardName, record.standardName);
    EXPECT_EQ(saved->daylightName, record.daylightName);
    EXPECT_EQ(Hex(saved->rules.tzi), Hex(ComposeTzi(record.rules)));
    ASSERT_EQ(saved->years.size(), record.years.size());
    for (std::size_t i = 0; i < record.years.size(); ++i) {
        EXPECT_EQ(saved->years[i].year, record.years[i].year);
        EXPECT_EQ(Hex(saved->years[i].rules.tzi), Hex(ComposeTzi(record.years[i].rules)));
    }

    const Listing listing = RegQuery(realZonePath);
    ASSERT_EQ(listing.size(), 2u) << "the zone key and its Dynamic DST";
    const auto& zone = listing.at(realZonePath);
    EXPECT_EQ(zone.at(L"Display"), L"REG_SZ " + record.displayName);
    EXPECT_EQ(zone.at(L"Std"), L"REG_SZ " + record.standardName);
    EXPECT_EQ(zone.at(L"Dlt"), L"REG_SZ ");
    EXPECT_EQ(zone.at(L"TZI"), L"REG_BINARY " + Hex(ComposeTzi(record.rules)));
    EXPECT_EQ(zone.at(L"MUI_Std"), L"REG_SZ @tzres.dll,-11232") << "values the writer does not own stay";
    std::map<std::wstring, std::wstring> expected = {{L"FirstEntry", L"REG_DWORD 0x7d5"},
                                                     {L"LastEntry", L"REG_DWORD 0x7d9"}};
    for (const DynamicYearRecord& year : record.years) {
        expected[Format(L"%u", year.year)] = L"REG_BINARY " + Hex(ComposeTzi(year.rules));
    }
    EXPECT_EQ(listing.at(realZonePath + L"\\Dynamic DST"), expected);
}

TEST_F(ZoneWriterOnWine, NonContiguousYearsLeaveNoValueBetweenThem) {
    TimeZoneRecord record = *Find(Load(), kZone);
    record.years = {Year(2007, 3), Year(2009, 3)};
    ASSERT_TRUE(SaveTimeZone(SystemRegistry(), facts.is64BitOs, record));
    const Listing listing = RegQuery(realZonePath);
    const auto& dynamic = listing.at(realZonePath + L"\\Dynamic DST");
    std::vector<std::wstring> names;
    for (const auto& [name, value] : dynamic) {
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"2007", L"2009", L"FirstEntry", L"LastEntry"}));
    EXPECT_EQ(dynamic.at(L"FirstEntry"), L"REG_DWORD 0x7d7");
    EXPECT_EQ(dynamic.at(L"LastEntry"), L"REG_DWORD 0x7d9");
}

TEST_F(ZoneWriterOnWine, ZoneWithoutYearsLosesItsDynamicDstKeyInTheRealRegistry) {
    TimeZoneRecord record = *Find(Load(), kZone);
    record.years.clear();
    ASSERT_TRUE(SaveTimeZone(SystemRegistry(), facts.is64BitOs, record));
    const Listing listing = RegQuery(realZonePath);
    EXPECT_EQ(listing.size(), 1u);
    EXPECT_EQ(listing.count(realZonePath + L"\\Dynamic DST"), 0u);
    EXPECT_TRUE(Find(Load(), kZone)->years.empty());
    // Nothing left to delete is no failure.
    ASSERT_TRUE(SaveTimeZone(SystemRegistry(), facts.is64BitOs, record));
}

TEST_F(ZoneWriterOnWine, ANewKeyNameCreatesANewZone) {
    TimeZoneRecord record = *Find(Load(), kZone);
    record.keyName = L"Tarvane Test Time";
    record.years = {Year(2010, 3)};
    ASSERT_TRUE(SaveTimeZone(SystemRegistry(), facts.is64BitOs, record));
    const std::vector<TimeZoneRecord> records = Load();
    const TimeZoneRecord* created = Find(records, L"Tarvane Test Time");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->displayName, record.displayName);
    ASSERT_EQ(created->years.size(), 1u);
    EXPECT_EQ(created->years[0].year, 2010u);
}

} // namespace
} // namespace tarvane::test
