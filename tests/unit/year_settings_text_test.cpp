#include "core/year_settings_text.h"

#include "platform/text.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace tarvane::test {
namespace {

DynamicYearRecord SampleYear() {
    DynamicYearRecord year{};
    year.year = 2026;
    year.rules = DeriveRules(MakeTzi(300, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2)));
    year.rules.standardAbsoluteDate = Once(2026, 11, 1, 2);
    year.rules.standardOccurs = kOccursOnlyOnce;
    return year;
}

const std::wstring kSampleText =
    L"ver=1\r\nyear=2026\r\ndst=1\r\nbias=300\r\nstd_bias=0\r\ndst_bias=4294967236\r\n"
    L"std_st=0|11|0|1|2|0|0|0\r\ndst_st=0|3|0|2|2|0|0|0\r\nstd_occurs=2\r\n"
    L"dst_occurs=1\r\nstd_abs_st=2026|11|0|1|2|0|0|0\r\n"
    L"dst_abs_st=0|3|0|2|2|0|0|0\r\n";

bool Same(const DynamicYearRecord& a, const DynamicYearRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool Parses(const std::wstring& text) {
    DynamicYearRecord record{};
    return ParseYearSettings(text, &record);
}

// The sample text with `from` replaced once by `to`.
std::wstring SampleWith(const std::wstring& from, const std::wstring& to) {
    std::wstring text = kSampleText;
    const auto at = text.find(from);
    EXPECT_NE(at, std::wstring::npos) << "fixture text not found";
    return text.replace(at, from.size(), to);
}

TEST(YearSettingsText, FormatsTwelveLinesWithNegativeBiasesAsUnsigned) {
    EXPECT_EQ(FormatYearSettings(SampleYear()), kSampleText);
}

TEST(YearSettingsText, RoundTripsWhateverTheSignsOfTheBiases) {
    for (LONG bias : {0, 1, -1, 300, -780, 2147483647, -2147483647 - 1}) {
        DynamicYearRecord year = SampleYear();
        year.rules.tzi.Bias = bias;
        year.rules.tzi.StandardBias = bias == INT32_MIN ? 7 : -bias;
        year.rules.tzi.DaylightBias = bias / 2;
        year.year = 4294967295u;
        year.rules.tzi.DaylightDate = SYSTEMTIME{65534, 65535, 65535, 65535, 65535, 65535, 65535, 65535};
        DynamicYearRecord parsed{};
        ASSERT_TRUE(ParseYearSettings(FormatYearSettings(year), &parsed));
        EXPECT_TRUE(Same(parsed, year));
    }
}

TEST(YearSettingsText, AcceptsLineFeedsAloneEmptyLinesAndTrailingText) {
    DynamicYearRecord parsed{};
    ASSERT_TRUE(ParseYearSettings(ReplaceAll(kSampleText, L"\r\n", L"\n"), &parsed));
    EXPECT_TRUE(Same(parsed, SampleYear()));
    ASSERT_TRUE(ParseYearSettings(ReplaceAll(kSampleText, L"\r\n", L"\r\n\r\n\n\r"), &parsed));
    EXPECT_TRUE(Same(parsed, SampleYear()));
    ASSERT_TRUE(ParseYearSettings(kSampleText + L"signature: anything at all\r\n", &parsed));
    EXPECT_TRUE(Same(parsed, SampleYear()));
    // Without the final line break, the text may end right after the last number.
    ASSERT_TRUE(ParseYearSettings(kSampleText.substr(0, kSampleText.size() - 2), &parsed));
    EXPECT_TRUE(Same(parsed, SampleYear()));
}

TEST(YearSettingsText, AcceptsLineBreaksInPlaceOfBarsAndCarriageReturnsInsideNumbers) {
    EXPECT_TRUE(Parses(SampleWith(L"std_st=0|11|0|1", L"std_st=0\n11\r\n0|1")));
    DynamicYearRecord parsed{};
    ASSERT_TRUE(ParseYearSettings(SampleWith(L"year=2026", L"year=20\r26"), &parsed));
    EXPECT_EQ(parsed.year, 2026u);
}

TEST(YearSettingsText, TakesAnyNonZeroDstAsOnAndOccursZero) {
    DynamicYearRecord parsed{};
    ASSERT_TRUE(ParseYearSettings(SampleWith(L"dst=1", L"dst=7"), &parsed));
    EXPECT_EQ(parsed.rules.dstEnabled, 1);
    ASSERT_TRUE(ParseYearSettings(SampleWith(L"dst=1", L"dst=0"), &parsed));
    EXPECT_EQ(parsed.rules.dstEnabled, 0);
    ASSERT_TRUE(ParseYearSettings(SampleWith(L"std_occurs=2", L"std_occurs=0"), &parsed));
    EXPECT_EQ(parsed.rules.standardOccurs, 0);
}

TEST(YearSettingsText, AcceptsUpTo127DigitsAndValuesUpTo32Bits) {
    DynamicYearRecord parsed{};
    ASSERT_TRUE(
        ParseYearSettings(SampleWith(L"year=2026", L"year=" + std::wstring(123, L'0') + L"2026"), &parsed));
    EXPECT_EQ(parsed.year, 2026u);
    EXPECT_FALSE(Parses(SampleWith(L"year=2026", L"year=" + std::wstring(124, L'0') + L"2026")));
    EXPECT_TRUE(Parses(SampleWith(L"year=2026", L"year=4294967295")));
    EXPECT_FALSE(Parses(SampleWith(L"year=2026", L"year=4294967296")));
    EXPECT_FALSE(Parses(SampleWith(L"year=2026", L"year=99999999999999999999999")));
}

TEST(YearSettingsText, FirstWordOfADateAtMost65534TheOthers65535) {
    EXPECT_FALSE(Parses(SampleWith(L"std_st=0|", L"std_st=65535|")));
    EXPECT_TRUE(Parses(SampleWith(L"std_st=0|", L"std_st=65534|")));
    EXPECT_TRUE(Parses(
        SampleWith(L"std_st=0|11|0|1|2|0|0|0", L"std_st=0|65535|65535|65535|65535|65535|65535|65535")));
    EXPECT_FALSE(Parses(SampleWith(L"std_st=0|11|", L"std_st=0|65536|")));
    EXPECT_FALSE(Parses(SampleWith(L"dst_abs_st=0|3|0|2|2|0|0|0", L"dst_abs_st=0|3|0|2|2|0|0|65536")));
}

TEST(YearSettingsText, RejectsEveryDeparture) {
    const struct {
        const wchar_t* what;
        std::wstring text;
    } cases[] = {
        {L"empty", L""},
        {L"version 2", SampleWith(L"ver=1", L"ver=2")},
        {L"version 0", SampleWith(L"ver=1", L"ver=0")},
        {L"keys in another order",
         SampleWith(L"std_bias=0\r\ndst_bias=4294967236", L"dst_bias=4294967236\r\nstd_bias=0")},
        {L"upper-case key", SampleWith(L"year=", L"Year=")},
        {L"blank before a key", SampleWith(L"\r\nbias=", L"\r\n bias=")},
        {L"blank after =", SampleWith(L"bias=300", L"bias= 300")},
        {L"blank after a number", SampleWith(L"bias=300", L"bias=300 ")},
        {L"signed bias", SampleWith(L"dst_bias=4294967236", L"dst_bias=-60")},
        {L"plus sign", SampleWith(L"bias=300", L"bias=+300")},
        {L"letter in a number", SampleWith(L"bias=300", L"bias=30a")},
        {L"bar in a single number", SampleWith(L"bias=300", L"bias=300|1")},
        {L"empty number", SampleWith(L"bias=300", L"bias=")},
        {L"empty list number", SampleWith(L"std_st=0|11|", L"std_st=0||")},
        {L"key without =", SampleWith(L"year=", L"year:")},
        {L"std_occurs 3", SampleWith(L"std_occurs=2", L"std_occurs=3")},
        {L"dst_occurs 3", SampleWith(L"dst_occurs=1", L"dst_occurs=3")},
        {L"missing line", SampleWith(L"dst=1\r\n", L"")},
        {L"ends after three numbers of dst_abs_st",
         SampleWith(L"dst_abs_st=0|3|0|2|2|0|0|0\r\n", L"dst_abs_st=0|3|0")},
        {L"ends after a bar", SampleWith(L"dst_abs_st=0|3|0|2|2|0|0|0\r\n", L"dst_abs_st=0|3|0|2|2|0|0|")},
        {L"ends after a key", L"ver=1\r\nyear="},
        {L"ends after a key name", L"ver"},
        {L"only the version", L"ver=1"},
    };
    for (const auto& c : cases) {
        DynamicYearRecord record = SampleYear();
        EXPECT_FALSE(ParseYearSettings(c.text, &record)) << testing::PrintToString(std::wstring(c.what));
        EXPECT_TRUE(Same(record, SampleYear()))
            << "changed on failure: " << testing::PrintToString(std::wstring(c.what));
    }
}

} // namespace
} // namespace tarvane::test
