#include "platform/date_time.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace tarvane {
namespace {

std::uint64_t Ticks(const SYSTEMTIME& time) {
    FILETIME fileTime{};
    EXPECT_TRUE(DateTimeToFileTime(time, &fileTime));
    return FileTimeTicks(fileTime);
}

TEST(DateTime, FileTimesCountFrom1601) {
    EXPECT_EQ(Ticks(SYSTEMTIME{1601, 1, 0, 1, 0, 0, 0, 0}), 0u);
    EXPECT_EQ(Ticks(SYSTEMTIME{1899, 12, 0, 30, 0, 0, 0, 0}), 94353120000000000u);
    EXPECT_EQ(Ticks(SYSTEMTIME{1970, 1, 0, 1, 0, 0, 0, 1}), 116444736000010000u);

    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToDateTime(MakeFileTime(Ticks(SYSTEMTIME{2026, 11, 6, 1, 2, 3, 4, 5})), &back));
    const SYSTEMTIME expected{2026, 11, 0, 1, 2, 3, 4, 5}; // a Sunday
    EXPECT_EQ(0, std::memcmp(&back, &expected, sizeof back));
}

TEST(DateTime, FileTimeRejectsImpossibleFields) {
    FILETIME out{};
    EXPECT_FALSE(DateTimeToFileTime(SYSTEMTIME{1600, 12, 0, 31, 0, 0, 0, 0}, &out));
    EXPECT_FALSE(DateTimeToFileTime(SYSTEMTIME{2026, 0, 0, 1, 0, 0, 0, 0}, &out));
    EXPECT_FALSE(DateTimeToFileTime(SYSTEMTIME{2026, 13, 0, 1, 0, 0, 0, 0}, &out));
    EXPECT_FALSE(DateTimeToFileTime(SYSTEMTIME{2026, 4, 0, 31, 0, 0, 0, 0}, &out));
    EXPECT_FALSE(DateTimeToFileTime(SYSTEMTIME{2026, 4, 0, 0, 0, 0, 0, 0}, &out));
    EXPECT_FALSE(DateTimeToFileTime(SYSTEMTIME{2026, 4, 0, 1, 24, 0, 0, 0}, &out));
    EXPECT_FALSE(DateTimeToFileTime(SYSTEMTIME{2026, 4, 0, 1, 0, 60, 0, 0}, &out));
    EXPECT_FALSE(DateTimeToFileTime(SYSTEMTIME{2026, 4, 0, 1, 0, 0, 60, 0}, &out));
    EXPECT_FALSE(DateTimeToFileTime(SYSTEMTIME{2026, 4, 0, 1, 0, 0, 0, 1000}, &out));
    EXPECT_TRUE(DateTimeToFileTime(SYSTEMTIME{2024, 2, 0, 29, 23, 59, 59, 999}, &out));
    SYSTEMTIME back{};
    EXPECT_FALSE(FileTimeToDateTime(MakeFileTime(1ull << 63), &back));
    EXPECT_TRUE(FileTimeToDateTime(MakeFileTime((1ull << 63) - 1), &back));
    EXPECT_EQ(back.wYear, 30828);
}

TEST(DateTime, ValidDateTestRejectsImpossibleFields) {
    EXPECT_TRUE(IsValidDateTime(SYSTEMTIME{2024, 2, 0, 29, 23, 59, 59, 0}));
    EXPECT_TRUE(IsValidDateTime(SYSTEMTIME{1600, 1, 0, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(IsValidDateTime(SYSTEMTIME{9999, 12, 0, 31, 23, 59, 59, 999}));
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{2026, 2, 0, 29, 2, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{2026, 0, 0, 1, 2, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{2026, 13, 0, 1, 2, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{2026, 4, 0, 31, 2, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{2026, 4, 0, 0, 2, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{2026, 4, 0, 1, 24, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{2026, 4, 0, 1, 2, 60, 0, 0}));
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{2026, 4, 0, 1, 2, 0, 60, 0}));
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{99, 4, 0, 1, 2, 0, 0, 0}));    // taken as 1999
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{10000, 1, 0, 1, 0, 0, 0, 0})); // beyond the OLE range
    EXPECT_FALSE(IsValidDateTime(SYSTEMTIME{65535, 1, 0, 1, 0, 0, 0, 0}));
}

TEST(DateTime, OleDateOfAFileTimeCountsTheFractionForwardAlsoBefore1900) {
    const auto oleDate = [](const SYSTEMTIME& time) { return FileTimeToOleDate(MakeFileTime(Ticks(time))); };
    EXPECT_EQ(oleDate(SYSTEMTIME{1899, 12, 0, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(oleDate(SYSTEMTIME{1899, 12, 0, 31, 18, 0, 0, 0}), 1.75);
    EXPECT_EQ(oleDate(SYSTEMTIME{1899, 12, 0, 29, 6, 0, 0, 0}), -1.25);
    EXPECT_EQ(oleDate(SYSTEMTIME{1899, 12, 0, 29, 0, 0, 0, 0}), -1.0);
    for (const SYSTEMTIME& time :
         {SYSTEMTIME{1601, 1, 0, 1, 0, 0, 1, 0}, SYSTEMTIME{1899, 12, 0, 29, 23, 59, 59, 0},
          SYSTEMTIME{2026, 3, 0, 8, 2, 0, 0, 0}, SYSTEMTIME{9999, 12, 0, 31, 23, 59, 59, 0}}) {
        SYSTEMTIME back{};
        ASSERT_TRUE(VariantTimeToDateTime(oleDate(time), &back));
        EXPECT_EQ(back.wYear, time.wYear);
        EXPECT_EQ(back.wMonth, time.wMonth);
        EXPECT_EQ(back.wDay, time.wDay);
        EXPECT_EQ(back.wHour, time.wHour);
        EXPECT_EQ(back.wMinute, time.wMinute);
        EXPECT_EQ(back.wSecond, time.wSecond);
    }
}

TEST(TwoDigitPicture, OneLetterNumberFieldsBecomeTwoAndTheRestStays) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"h:mm:ss tt", L"hh:mm:ss tt"},
        {L"H:m:s", L"HH:mm:ss"},
        {L"M/d/yyyy", L"MM/dd/yyyy"},
        {L"dddd, MMMM d", L"dddd, MMMM dd"},
        {L"h 'h' mm", L"hh 'h' mm"},
        {L"d'd'", L"dd'd'"},
        {L"HH.mm", L"HH.mm"},
        {L"", L""},
    };
    for (const auto& [picture, expected] : cases) {
        EXPECT_EQ(TwoDigitPicture(picture), expected) << std::wstring(picture).size();
    }
}

TEST(FormatDateTime, InvalidOrUnshowableDatesGiveError) {
    EXPECT_EQ(FormatDateTime(SYSTEMTIME{2026, 13, 0, 1, 2, 0, 0, 0}), L"<error>");
    EXPECT_EQ(FormatDateTime(SYSTEMTIME{2026, 2, 0, 30, 2, 0, 0, 0}), L"<error>");
    EXPECT_EQ(FormatDateTime(SYSTEMTIME{1600, 12, 0, 31, 2, 0, 0, 0}), L"<error>");
    EXPECT_EQ(FormatDateTime(SYSTEMTIME{10000, 1, 0, 1, 0, 0, 0, 0}), L"<error>");
    EXPECT_EQ(FormatDateTime(SYSTEMTIME{2026, 1, 0, 1, 24, 0, 0, 0}), L"<error>");
}

TEST(FormatDateTime, CutsToWholeSecondsWithoutRounding) {
    const SYSTEMTIME whole{2026, 12, 0, 31, 23, 59, 59, 0};
    SYSTEMTIME late = whole;
    late.wMilliseconds = 999;
    EXPECT_EQ(FormatDateTime(late), FormatDateTime(whole));
    SYSTEMTIME two{2026, 3, 0, 8, 2, 0, 0, 0};
    const std::wstring twoText = FormatDateTime(two);
    two.wMilliseconds = 500;
    EXPECT_EQ(FormatDateTime(two), twoText);
}

#ifndef _WIN32
TEST(FormatDateTime, NativeTextIsIsoLike) {
    EXPECT_EQ(FormatDateTime(SYSTEMTIME{2026, 3, 0, 8, 2, 0, 0, 0}), L"2026-03-08 02:00:00");
    EXPECT_EQ(FormatDateTime(SYSTEMTIME{2026, 12, 0, 31, 23, 59, 59, 999}), L"2026-12-31 23:59:59");
    EXPECT_EQ(FormatDateTime(SYSTEMTIME{1899, 12, 0, 29, 6, 0, 0, 0}), L"1899-12-29 06:00:00");
    EXPECT_EQ(FormatDateTime(SYSTEMTIME{1601, 1, 0, 1, 0, 0, 0, 0}), L"1601-01-01 00:00:00");
}
#endif

} // namespace
} // namespace tarvane
