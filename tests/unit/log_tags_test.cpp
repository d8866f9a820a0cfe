// The catalogue of log tags against the sources: every tag a source writes is
// listed, and each is written at one site only, so a line in the event log
// names the place it came from.
#include "platform/log_tags.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tarvane {
namespace {

// Each site that writes a tag: "path:line" by tag. Comments that quote a tag
// are not sites.
std::map<int, std::vector<std::string>> TagSites(const std::filesystem::path& sources) {
    const std::regex tagLiteral(R"re(L"\[([0-9]{3})\])re");
    std::map<int, std::vector<std::string>> sites;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sources)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) {
            continue;
        }
        std::ifstream file(entry.path());
        std::string line;
        for (int number = 1; std::getline(file, line); ++number) {
            const std::size_t start = line.find_first_not_of(" \t");
            if (start != std::string::npos && line.compare(start, 2, "//") == 0) {
                continue;
            }
            for (std::sregex_iterator it(line.begin(), line.end(), tagLiteral), end; it != end; ++it) {
                const std::string where = std::filesystem::relative(entry.path(), sources).generic_string() +
                                          ":" + std::to_string(number);
                sites[std::stoi((*it)[1].str())].push_back(where);
            }
        }
    }
    return sites;
}

TEST(LogTagsTest, EveryTagInTheSourcesIsCataloguedAndWrittenAtOneSite) {
    std::set<int> catalogued;
    for (const LogTag& entry : kLogTags) {
        catalogued.insert(entry.tag);
    }
    const auto sites = TagSites(TARVANE_SOURCE_DIR "/src");
    ASSERT_FALSE(sites.empty());
    for (const auto& [tag, where] : sites) {
        std::ostringstream list;
        for (const std::string& site : where) {
            list << ' ' << site;
        }
        EXPECT_TRUE(catalogued.count(tag)) << "[" << tag << "] is not in log_tags.h:" << list.str();
        EXPECT_EQ(where.size(), 1u) << "[" << tag << "] is written at more than one site:" << list.str();
    }
}

TEST(LogTagsTest, TheCatalogueListsEachTagOnceInOrderWithItsMeaning) {
    for (std::size_t i = 0; i < std::size(kLogTags); ++i) {
        EXPECT_GE(kLogTags[i].tag, 100);
        EXPECT_LE(kLogTags[i].tag, 999);
        EXPECT_NE(std::wstring(kLogTags[i].meaning), L"");
        if (i > 0) {
            EXPECT_LT(kLogTags[i - 1].tag, kLogTags[i].tag) << "after [" << kLogTags[i - 1].tag << "]";
        }
    }
}

} // namespace
} // namespace tarvane
