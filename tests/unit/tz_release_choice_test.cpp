// Choosing a tz release: what one release changes against another, a
// remembered release read again (fine, gone, changed, damaged), and the
// SHA-256 that recognises it, held against coreutils' sha256sum.
#include "tz_fixtures.h"
#include "platform/sha256.h"
#include "tzdb/tz_release_choice.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace tarvane;

namespace {

const std::string kRules = "R U 1990 ma - Mar Sun>=8 2 1 D\nR U 1990 ma - N Sun>=1 2 0 S\n";
const std::string kKeep = "Z Test/Keep -5 U E%sT\nL Test/Keep Test/Alias\n";
const std::string kChange = "Z Test/Change -5 U E%sT\n";
const std::string kGone = "Z Test/Gone 1 - CET\n";

TzTable Compiled(const std::string& text) {
    TzTable table;
    const auto error = CompileTzSource({TzSourceFile{L"test", text}}, L"2099a", &table);
    EXPECT_FALSE(error.has_value()) << (error ? TzSourceErrorText(*error) : std::wstring());
    return table;
}

struct CompareCase {
    const char* name;
    std::string candidate;
    std::vector<std::wstring> changed, added, removed;
};

class TzReleaseCompare : public testing::TestWithParam<CompareCase> {};

TEST_P(TzReleaseCompare, NamesWhatDiffersFromTheFirstYearOn) {
    const TzReleaseChanges changes =
        CompareTzReleases(Compiled(kRules + kKeep + kChange + kGone), Compiled(GetParam().candidate), 2026);
    EXPECT_EQ(changes.changed, GetParam().changed);
    EXPECT_EQ(changes.added, GetParam().added);
    EXPECT_EQ(changes.removed, GetParam().removed);
}

INSTANTIATE_TEST_SUITE_P(
    Releases, TzReleaseCompare,
    testing::Values(CompareCase{"Same", kRules + kKeep + kChange + kGone, {}, {}, {}},
                    CompareCase{"RulesEndLater",
                                kRules + kKeep + "Z Test/Change -5 U E%sT 2030\n-5 - EST\n" + kGone,
                                {L"Test/Change"},
                                {},
                                {}},
                    CompareCase{"PastChangesDoNotCount",
                                kRules + kKeep + "Z Test/Change -6 - CST 2000\n-5 U E%sT\n" + kGone,
                                {},
                                {},
                                {}},
                    CompareCase{
                        "AbbreviationOnly", kRules + kKeep + "Z Test/Change -5 U X%sT\n" + kGone, {}, {}, {}},
                    CompareCase{"LinkMoved",
                                kRules + "Z Test/Keep -5 U E%sT\nL Test/Gone Test/Alias\n" + kChange + kGone,
                                {L"Test/Alias"},
                                {},
                                {}},
                    CompareCase{"AddedAndRemoved",
                                kRules + kKeep + kChange + "Z Test/New 2 - EET\n",
                                {},
                                {L"Test/New"},
                                {L"Test/Gone"}}),
    [](const testing::TestParamInfo<CompareCase>& info) { return info.param.name; });

// Files held in memory; a path ending in "/" is a folder.
struct MemoryReleaseFiles {
    std::map<std::wstring, std::string> files;
    std::set<std::wstring> folders;
    std::set<std::wstring> unreadable;

    TzReleaseFiles Api() {
        return TzReleaseFiles{[this](const std::wstring& path) {
                                  return files.count(path) != 0 ? 1 : folders.count(path) != 0 ? 2 : 0;
                              },
                              [this](const std::wstring& path, std::string* bytes) {
                                  if (unreadable.count(path) != 0 || files.count(path) == 0) {
                                      return false;
                                  }
                                  *bytes = files[path];
                                  return true;
                              }};
    }
};

const std::string kRelease = "# version 2099a\n" + kRules + kKeep;

struct RecallCase {
    const char* name;
    std::wstring path;                                        // remembered
    std::function<void(MemoryReleaseFiles&)> afterwards;      // what became of the files
    std::function<void(RememberedTzRelease&)> settingsDamage; // what became of the record
    TzRecallState state;
};

class TzReleaseRecall : public testing::TestWithParam<RecallCase> {};

TEST_P(TzReleaseRecall, ReadsTheSameReleaseOrSaysWhy) {
    MemoryReleaseFiles disk;
    disk.files[L"C:\\tz\\tzdata.zi"] = kRelease;
    disk.folders.insert(L"C:\\tz\\2099a");
    disk.files[L"C:\\tz\\2099a\\version"] = "2099a\n";
    disk.files[L"C:\\tz\\2099a\\northamerica"] = kRules + kKeep;

    TzTable first;
    std::wstring sha256;
    TzSourceError error;
    ASSERT_EQ(ReadTzReleaseAt(disk.Api(), GetParam().path, &first, &sha256, &error),
              TzReleaseReadResult::kRead)
        << TzSourceErrorText(error);
    RememberedTzRelease remembered{GetParam().path, first.version, sha256};
    if (GetParam().afterwards) {
        GetParam().afterwards(disk);
    }
    if (GetParam().settingsDamage) {
        GetParam().settingsDamage(remembered);
    }
    TzTable again;
    again.version = L"untouched";
    EXPECT_EQ(RecallTzRelease(remembered, disk.Api(), &again, &error), GetParam().state);
    if (GetParam().state == TzRecallState::kFine) {
        EXPECT_EQ(again.version, L"2099a");
        EXPECT_NE(FindTzZone(again, L"Test/Alias"), nullptr);
    } else {
        EXPECT_EQ(again.version, L"untouched") << "nothing half-read is used";
    }
}

INSTANTIATE_TEST_SUITE_P(
    States, TzReleaseRecall,
    testing::Values(RecallCase{"FileFine", L"C:\\tz\\tzdata.zi", nullptr, nullptr, TzRecallState::kFine},
                    RecallCase{"FolderFineThroughItsVersionFile", L"C:\\tz\\2099a\\version", nullptr, nullptr,
                               TzRecallState::kFine},
                    RecallCase{"FileGone", L"C:\\tz\\tzdata.zi",
                               [](MemoryReleaseFiles& d) { d.files.clear(); }, nullptr, TzRecallState::kGone},
                    RecallCase{"FileUnreadable", L"C:\\tz\\tzdata.zi",
                               [](MemoryReleaseFiles& d) { d.unreadable.insert(L"C:\\tz\\tzdata.zi"); },
                               nullptr, TzRecallState::kGone},
                    RecallCase{"FileChanged", L"C:\\tz\\tzdata.zi",
                               [](MemoryReleaseFiles& d) { d.files[L"C:\\tz\\tzdata.zi"] += kChange; },
                               nullptr, TzRecallState::kChanged},
                    RecallCase{"FolderChanged", L"C:\\tz\\2099a\\version",
                               [](MemoryReleaseFiles& d) { d.files[L"C:\\tz\\2099a\\europe"] = kGone; },
                               nullptr, TzRecallState::kChanged},
                    RecallCase{"FileDamaged", L"C:\\tz\\tzdata.zi",
                               [](MemoryReleaseFiles& d) {
                                   d.files[L"C:\\tz\\tzdata.zi"] += "Z Test/Bad 1 - CET 2000 Foo\n";
                               },
                               nullptr, TzRecallState::kDamaged},
                    RecallCase{"SettingsDamaged", L"C:\\tz\\tzdata.zi", nullptr,
                               [](RememberedTzRelease& r) { r.sha256.resize(10); }, TzRecallState::kDamaged}),
    [](const testing::TestParamInfo<RecallCase>& info) { return info.param.name; });

TEST(Sha256, MatchesSha256sumOverTheKeptReleaseFedInAnyPieces) {
    const std::string bytes = test::TestDataBytes("tzdata2026f.zi");
    ASSERT_GT(bytes.size(), 100000u);
    EXPECT_EQ(Sha256Text(bytes), L"" TARVANE_TEST_ZI_SHA256);
    for (const std::size_t piece : {1u, 55u, 63u, 64u, 65u, 4097u}) {
        Sha256 hash;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            hash.Update(std::string_view(bytes).substr(at, piece));
        }
        EXPECT_EQ(Sha256Text(hash.Finish()), L"" TARVANE_TEST_ZI_SHA256) << "pieces of " << piece;
    }
}

} // namespace
