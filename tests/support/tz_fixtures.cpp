#include "tz_fixtures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace tarvane::test {

namespace {

std::string BuildTreeFile(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path; // the build's Unix path, seen from Wine
    }
#endif
    std::ifstream file(path, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

std::vector<BYTE> GeneratedTzTableBytes() {
    const std::string bytes = BuildTreeFile(TARVANE_TZ_TABLE_PATH);
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

std::string TestDataBytes(const char* name) {
    return BuildTreeFile(std::string(TARVANE_TEST_DATA_DIR) + "/" + name);
}

const TzTable& GeneratedTzTable() {
    static const TzTable table = [] {
        const std::vector<BYTE> bytes = GeneratedTzTableBytes();
        TzTable read;
        EXPECT_TRUE(ReadTzTable(bytes.data(), bytes.size(), &read)) << "the generated tz table";
        return read;
    }();
    return table;
}

TzZone RuleZone(const wchar_t* rule, LONG offsetIn1970,
                std::initializer_list<std::pair<std::int64_t, LONG>> changes) {
    TzZone zone;
    zone.types.push_back(TzOffsetType{offsetIn1970, false});
    for (const auto& [time, offset] : changes) {
        zone.types.push_back(TzOffsetType{offset, false});
        zone.transitions.push_back(TzTransition{time, static_cast<std::uint8_t>(zone.types.size() - 1)});
    }
    zone.ruleText = rule;
    zone.rule = ParsePosixTz(rule);
    EXPECT_TRUE(zone.rule.has_value()) << "rule of a test zone";
    return zone;
}

TimeZoneRecord RecordWith(const TziBlock& tzi, std::initializer_list<std::pair<DWORD, TziBlock>> years) {
    TimeZoneRecord record;
    record.id = 1;
    record.keyName = L"Test Standard Time";
    record.rules = DeriveRules(tzi);
    for (const auto& [year, yearTzi] : years) {
        record.years.push_back(DynamicYearRecord{year, DeriveRules(yearTzi)});
    }
    return record;
}

} // namespace tarvane::test
