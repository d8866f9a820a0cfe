// The portable date arithmetic against the system's own functions, over a
// wide sweep of valid and invalid dates: the native build relies on the two
// agreeing word for word.
#include "platform/date_time.h"

#include "platform/format.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace tarvane::test {
namespace {

std::wstring Show(const SYSTEMTIME& t) {
    return Format(L"%u-%u-%u(dow %u) %u:%u:%u.%u", t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
}

bool SameWords(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Collects disagreements and prints the first few.
class Mismatches {
public:
    void Add(const std::wstring& what) {
        if (list_.size() < 20) {
            list_.push_back(what);
        }
        ++count_;
    }
    std::size_t count() const { return count_; }
    std::string Text() const {
        std::string text;
        for (const auto& line : list_) {
            text += std::string(line.begin(), line.end()) + "\n";
        }
        return text;
    }

private:
    std::vector<std::wstring> list_;
    std::size_t count_ = 0;
};

void CompareVariantToDate(double value, Mismatches& mismatches) {
    SYSTEMTIME real{};
    SYSTEMTIME mine{};
    const bool realOk = ::VariantTimeToSystemTime(value, &real) != FALSE;
    const bool mineOk = portable::VariantTimeToDateTime(value, &mine);
    if (realOk != mineOk || (realOk && !SameWords(real, mine))) {
        mismatches.Add(Format(L"VariantTimeToSystemTime(%s): system %d %s, portable %d %s",
                              std::to_wstring(value), realOk ? 1 : 0, Show(real), mineOk ? 1 : 0,
                              Show(mine)));
    }
}

void CompareFileTimeToDate(std::uint64_t ticks, Mismatches& mismatches) {
    const FILETIME time = MakeFileTime(ticks);
    SYSTEMTIME real{};
    SYSTEMTIME mine{};
    const bool realOk = ::FileTimeToSystemTime(&time, &real) != FALSE;
    const bool mineOk = portable::FileTimeToDateTime(time, &mine);
    if (realOk != mineOk || (realOk && !SameWords(real, mine))) {
        mismatches.Add(Format(L"FileTimeToSystemTime(%s): system %d %s, portable %d %s",
                              std::to_wstring(ticks), realOk ? 1 : 0, Show(real), mineOk ? 1 : 0,
                              Show(mine)));
    }
}

// Wine's SystemTimeToFileTime takes 29 February of every year, as 1 March;
// Windows (and the portable version) only that of a leap year. This is the
// one disagreement the sweep allows, and only in exactly this form.
bool IsWineLeapDayQuirk(const SYSTEMTIME& time, bool realOk, const FILETIME& real, bool mineOk) {
    if (!realOk || mineOk || time.wMonth != 2 || time.wDay != 29) {
        return false;
    }
    SYSTEMTIME march = time;
    march.wMonth = 3;
    march.wDay = 1;
    FILETIME expected{};
    return portable::DateTimeToFileTime(march, &expected) && FileTimeTicks(expected) == FileTimeTicks(real);
}

std::size_t wineLeapDayQuirks = 0;

void CompareDate(const SYSTEMTIME& time, Mismatches& mismatches) {
    FILETIME realFile{};
    FILETIME mineFile{};
    const bool realFileOk = ::SystemTimeToFileTime(&time, &realFile) != FALSE;
    const bool mineFileOk = portable::DateTimeToFileTime(time, &mineFile);
    if (IsWineLeapDayQuirk(time, realFileOk, realFile, mineFileOk)) {
        ++wineLeapDayQuirks;
    } else if (realFileOk != mineFileOk ||
               (realFileOk && FileTimeTicks(realFile) != FileTimeTicks(mineFile))) {
        mismatches.Add(Format(L"SystemTimeToFileTime(%s): system %d %s, portable %d %s", Show(time),
                              realFileOk ? 1 : 0, std::to_wstring(FileTimeTicks(realFile)),
                              mineFileOk ? 1 : 0, std::to_wstring(FileTimeTicks(mineFile))));
    }
    if (realFileOk) {
        CompareFileTimeToDate(FileTimeTicks(realFile), mismatches);
    }

    SYSTEMTIME copy = time;
    double realValue = 0;
    double mineValue = 0;
    const bool realValueOk = ::SystemTimeToVariantTime(&copy, &realValue) != FALSE;
    const bool mineValueOk = portable::DateTimeToVariantTime(time, &mineValue);
    if (realValueOk != mineValueOk ||
        (realValueOk && std::memcmp(&realValue, &mineValue, sizeof realValue) != 0)) {
        mismatches.Add(Format(L"SystemTimeToVariantTime(%s): system %d %s, portable %d %s", Show(time),
                              realValueOk ? 1 : 0, std::to_wstring(realValue), mineValueOk ? 1 : 0,
                              std::to_wstring(mineValue)));
    }
    if (realValueOk) {
        CompareVariantToDate(realValue, mismatches);
    }
}

TEST(DateArithmeticOnWine, PortableConversionsAgreeWithTheSystemOverValidAndInvalidDates) {
    const WORD years[] = {0,    1,    29,    30,    99,    100,   101,   1599,  1600,  1601,
                          1602, 1700, 1899,  1900,  1904,  1999,  2000,  2024,  2026,  2100,
                          9998, 9999, 10000, 30827, 30828, 32767, 32768, 55555, 65534, 65535};
    const WORD months[] = {0, 1, 2, 3, 4, 6, 9, 11, 12, 13, 24, 32767, 65535};
    const WORD days[] = {0, 1, 2, 28, 29, 30, 31, 32, 60, 65535};
    const WORD hours[] = {0, 1, 12, 23, 24, 25, 48, 65535};
    const WORD minutes[] = {0, 59, 60, 65535};
    const WORD seconds[] = {0, 30, 59, 60, 65535};
    const WORD milliseconds[] = {0, 500, 999, 1000};
    Mismatches mismatches;
    std::size_t compared = 0;
    for (WORD year : years) {
        for (WORD month : months) {
            for (WORD day : days) {
                for (WORD hour : hours) {
                    for (WORD minute : minutes) {
                        for (WORD second : seconds) {
                            for (WORD millisecond : milliseconds) {
                                const SYSTEMTIME time{year, month, 3, day, hour, minute, second, millisecond};
                                CompareDate(time, mismatches);
                                ++compared;
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(compared, 1000000u);
    EXPECT_EQ(mismatches.count(), 0u) << mismatches.Text();
}

TEST(DateArithmeticOnWine, PortableConversionsAgreeWithTheSystemOnEveryDayOfFourCenturies) {
    // Every calendar day from 1600 to 2401 at three times of day, and the
    // invalid 29 to 31 of every month.
    Mismatches mismatches;
    for (WORD year = 1600; year <= 2401; ++year) {
        for (WORD month = 1; month <= 12; ++month) {
            for (WORD day = 1; day <= 32; ++day) {
                CompareDate(SYSTEMTIME{year, month, 0, day, 0, 0, 0, 0}, mismatches);
                CompareDate(SYSTEMTIME{year, month, 0, day, 23, 59, 59, 999}, mismatches);
                CompareDate(SYSTEMTIME{year, month, 0, day, 2, 0, 0, 0}, mismatches);
            }
        }
    }
    EXPECT_EQ(mismatches.count(), 0u) << mismatches.Text();
}

TEST(DateArithmeticOnWine, PortableFileTimeToDateAgreesWithTheSystem) {
    Mismatches mismatches;
    const std::uint64_t edges[] = {0,
                                   1,
                                   kFileTimeTicksPerDay - 1,
                                   kFileTimeTicksPerDay,
                                   94353120000000000ull,
                                   (1ull << 63) - 1,
                                   1ull << 63,
                                   (1ull << 63) + 1,
                                   ~0ull};
    for (std::uint64_t ticks : edges) {
        CompareFileTimeToDate(ticks, mismatches);
    }
    std::mt19937_64 random(20261101);
    for (int i = 0; i < 200000; ++i) {
        CompareFileTimeToDate(random(), mismatches);
        CompareFileTimeToDate(random() >> (i % 64), mismatches);
    }
    EXPECT_EQ(mismatches.count(), 0u) << mismatches.Text();
}

TEST(DateArithmeticOnWine, PortableVariantToDateAgreesWithTheSystemIncludingRoundingAndRange) {
    Mismatches mismatches;
    const double edges[] = {-657435.0,
                            -657434.999999,
                            -657434.5,
                            -657434.0,
                            -1.75,
                            -1.25,
                            -1.0,
                            -0.5,
                            -0.0,
                            0.0,
                            0.5,
                            1.0,
                            2958465.0,
                            2958465.999999,
                            2958465.9999999999,
                            2958466.0,
                            1e300,
                            -1e300};
    for (double value : edges) {
        CompareVariantToDate(value, mismatches);
    }
    std::mt19937_64 random(31415);
    std::uniform_real_distribution<double> anyDay(-657500.0, 2958500.0);
    std::uniform_int_distribution<int> wholeDay(-657434, 2958465);
    std::uniform_int_distribution<int> secondOfDay(0, 86399);
    for (int i = 0; i < 200000; ++i) {
        CompareVariantToDate(anyDay(random), mismatches);
        // Whole and half seconds, and just either side of them.
        const int day = wholeDay(random);
        const double seconds = secondOfDay(random) + (i % 2 == 0 ? 0.0 : 0.5);
        const double fraction = seconds / 86400.0;
        const double value = day < 0 ? day - fraction : day + fraction;
        CompareVariantToDate(value, mismatches);
        CompareVariantToDate(std::nextafter(value, 1e9), mismatches);
        CompareVariantToDate(std::nextafter(value, -1e9), mismatches);
    }
    EXPECT_EQ(mismatches.count(), 0u) << mismatches.Text();
}

TEST(DateArithmeticOnWine, ValidDateTestAgreesWithThePortableOne) {
    std::size_t valid = 0;
    std::size_t invalid = 0;
    for (WORD year : {WORD(0), WORD(99), WORD(100), WORD(1600), WORD(1601), WORD(2026), WORD(9999),
                      WORD(10000), WORD(30827), WORD(65535)}) {
        for (WORD month = 0; month <= 13; ++month) {
            for (WORD day = 0; day <= 32; ++day) {
                for (WORD hour : {WORD(0), WORD(23), WORD(24)}) {
                    for (WORD second : {WORD(0), WORD(59), WORD(60)}) {
                        const SYSTEMTIME time{year, month, 0, day, hour, 59, second, 999};
                        double value = 0;
                        SYSTEMTIME back{};
                        const bool mine = portable::DateTimeToVariantTime(time, &value) &&
                                          portable::VariantTimeToDateTime(value, &back) &&
                                          back.wYear == time.wYear && back.wMonth == time.wMonth &&
                                          back.wDay == time.wDay && back.wHour == time.wHour &&
                                          back.wMinute == time.wMinute && back.wSecond == time.wSecond;
                        ASSERT_EQ(IsValidDateTime(time), mine) << testing::PrintToString(Show(time));
                        ++(mine ? valid : invalid);
                    }
                }
            }
        }
    }
    EXPECT_GT(valid, 1000u);
    EXPECT_GT(invalid, 1000u);
}

// VarBstrFromDate of the system's own OLE date value: the reference text.
std::wstring ReferenceText(const SYSTEMTIME& time) {
    SYSTEMTIME copy = time;
    double value = 0;
    if (!::SystemTimeToVariantTime(&copy, &value)) {
        return L"(no value)";
    }
    BSTR text = nullptr;
    if (FAILED(::VarBstrFromDate(value, LOCALE_USER_DEFAULT, VAR_FOURDIGITYEARS, &text))) {
        return L"(no text)";
    }
    std::wstring result(text, ::SysStringLen(text));
    ::SysFreeString(text);
    return result;
}

TEST(DateTextOnWine, ShowsWholeSecondsCutNotRoundedAcrossTheWholeRange) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> yearOf(1601, 9999);
    std::uniform_int_distribution<int> monthOf(1, 12);
    std::uniform_int_distribution<int> dayOf(1, 28);
    std::uniform_int_distribution<int> hourOf(0, 23);
    std::uniform_int_distribution<int> sixty(0, 59);
    for (int i = 0; i < 3000; ++i) {
        SYSTEMTIME time{static_cast<WORD>(yearOf(random)),
                        static_cast<WORD>(monthOf(random)),
                        0,
                        static_cast<WORD>(dayOf(random)),
                        static_cast<WORD>(hourOf(random)),
                        static_cast<WORD>(sixty(random)),
                        static_cast<WORD>(sixty(random)),
                        0};
        if (i % 3 == 0) {
            time.wYear = static_cast<WORD>(1601 + i % 300); // before 1899-12-30: negative OLE dates
        }
        const std::wstring expected = ReferenceText(time);
        ASSERT_EQ(FormatDateTime(time), expected) << testing::PrintToString(Show(time));
        time.wMilliseconds = 999;
        ASSERT_EQ(FormatDateTime(time), expected) << testing::PrintToString(Show(time));
    }
}

TEST(DateTextOnWine, TransitionTimesShowTheirHourExactly) {
    const SYSTEMTIME twoOClock{2026, 3, 0, 8, 2, 0, 0, 0};
    const std::wstring text = FormatDateTime(twoOClock);
    EXPECT_NE(text.find(L"2026"), std::wstring::npos) << testing::PrintToString(text);
    EXPECT_NE(text.find(L"2:00:00"), std::wstring::npos) << testing::PrintToString(text);
    EXPECT_EQ(text, ReferenceText(twoOClock));
}

} // namespace
} // namespace tarvane::test
