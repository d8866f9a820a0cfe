// Releases the tz source compiler refuses, whole: the tarball's layers and
// a line zic refuses, each with the place and the reason it names, and the
// table it was given left as it was. (What it compiles is held against zic
// itself by tests/tz/check_tz_source.py.)
#include "tz_release_fixtures.h"
#include "tzdb/tz_release.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace tarvane;
using tarvane::test::Gzip;
using tarvane::test::TarArchive;

namespace {

const std::string kVersion = "2099z\n";
const std::string kZone =
    "R U 1990 ma - Mar Sun>=8 2 1 D\nR U 1990 ma - N Sun>=1 2 0 S\nZ Test/Zone -5 U E%sT\n";

std::string Release(const std::string& northamerica) {
    return Gzip(TarArchive({{"version", kVersion}, {"northamerica", northamerica}, {"backzone", "junk\n"}}));
}

struct RefusalCase {
    const char* name;
    std::function<std::string()> bytes; // the file given
    const wchar_t* file;                // the file the refusal names
    std::size_t line;
    const wchar_t* reason; // a part of it
};

class TzReleaseRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(TzReleaseRefusal, NamesWhereAndWhyAndReplacesNothing) {
    const std::string bytes = GetParam().bytes();
    TzTable table;
    table.version = L"in use";
    const auto error = ReadTzReleaseFile(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(),
                                         L"tzdata2099z.tar.gz", &table);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->file, GetParam().file);
    EXPECT_EQ(error->line, GetParam().line);
    EXPECT_NE(error->reason.find(GetParam().reason), std::wstring::npos) << error->reason;
    EXPECT_EQ(table.version, L"in use");
    EXPECT_TRUE(table.zones.empty() && table.names.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Releases, TzReleaseRefusal,
    testing::Values(
        RefusalCase{"TruncatedTarball",
                    [] {
                        const std::string whole = Release(kZone);
                        return whole.substr(0, whole.size() / 2);
                    },
                    L"tzdata2099z.tar.gz", 0, L"truncated"},
        RefusalCase{"GzipChecksumWrong",
                    [] {
                        std::string whole = Release(kZone);
                        whole[whole.size() - 8] ^= 1; // the CRC-32 in the trailer
                        return whole;
                    },
                    L"tzdata2099z.tar.gz", 0, L"damaged"},
        RefusalCase{"TarEntryLongerThanArchive",
                    [] {
                        std::string tar = TarArchive({{"version", kVersion}, {"northamerica", kZone}});
                        return Gzip(tar.substr(0, 512 + 512 + 512)); // the second entry's data cut short
                    },
                    L"tzdata2099z.tar.gz", 0, L"past the end"},
        RefusalCase{"TarHeaderDamaged",
                    [] {
                        std::string tar = TarArchive({{"version", kVersion}, {"northamerica", kZone}});
                        tar[1024 + 124] = '7'; // the second entry's size, not its checksum
                        return Gzip(tar);
                    },
                    L"tzdata2099z.tar.gz", 0, L"checksum"},
        RefusalCase{"LineZicRefuses", [] { return Release(kZone + "\nZ Test/Other 1 - CET 2000 Foo\n"); },
                    L"northamerica", 5, L"invalid month name"},
        RefusalCase{"RuleSetUnknown", [] { return Release("Z Test/Zone -5 Nowhere E%sT\n"); },
                    L"northamerica", 1, L"no such rule"},
        RefusalCase{"NoZones", [] { return Release("# rules only\nR U 1990 ma - Mar Sun>=8 2 1 D\n"); },
                    L"tzdata2099z.tar.gz", 0, L"no zones"},
        RefusalCase{"NoVersionFile",
                    [] {
                        return Gzip(TarArchive({{"northamerica", kZone}}));
                    },
                    L"tzdata2099z.tar.gz", 0, L"no version"},
        RefusalCase{"TzdataZiLastLineUnterminated",
                    [] { return "# version 2099z\n" + kZone + "L Test/Zone A"; }, L"tzdata2099z.tar.gz", 5,
                    L"unterminated"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// A folder of the extracted files reads as the tarball does, and what is
// not compiled by default is left alone.
TEST(TzReleaseFolder, ReadsAsTheTarballDoes) {
    const std::map<std::wstring, std::string> folder = {{L"version", kVersion},
                                                        {L"northamerica", kZone},
                                                        {L"backward", "L Test/Zone Test/Alias\n"},
                                                        {L"backzone", "not zic input\n"}};
    TzTable fromFolder;
    ASSERT_FALSE(ReadTzFolder(
        [&](std::wstring_view name, std::string* bytes) {
            const auto file = folder.find(std::wstring(name));
            return file != folder.end() && (*bytes = file->second, true);
        },
        L"tzdata", &fromFolder));
    const std::string tarball = Gzip(TarArchive({{"version", kVersion},
                                                 {"./northamerica", kZone},
                                                 {"backward", "L Test/Zone Test/Alias\n"},
                                                 {"backzone", "not zic input\n"}}));
    TzTable fromTarball;
    ASSERT_FALSE(
        ReadTzTarball(reinterpret_cast<const BYTE*>(tarball.data()), tarball.size(), L"t", &fromTarball));
    EXPECT_EQ(fromFolder.version, L"2099z");
    EXPECT_EQ(fromTarball.version, L"2099z");
    ASSERT_EQ(fromFolder.names.size(), 2u);
    EXPECT_EQ(fromFolder.names, fromTarball.names);
    EXPECT_EQ(fromFolder.zones.size(), 1u);
    EXPECT_EQ(fromFolder.zones[0].ruleText, L"EST5EDT,M3.2.0,M11.1.0");
    EXPECT_TRUE(fromFolder.windowsKeys.empty());
}

} // namespace
