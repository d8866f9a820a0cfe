// Save Changes' checks without a window, in their fixed order: the field
// refused, its message and the line logged; names trimmed on the way.
#include "core/save_checks.h"

#include "log_capture.h"
#include "tz_fixtures.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace tarvane::test {
namespace {

struct SaveCheckCase {
    const char* name;
    std::function<void(TimeZoneRecord&)> change;
    std::optional<SaveField> field; // none: the zone passes
    DWORD year = 0;
    const wchar_t* message = L"";
    const wchar_t* logged = L""; // the start of the line logged, if any
};

class SaveChecks : public ::testing::TestWithParam<SaveCheckCase> {};

// The United States' rules, with a 2027 that follows them.
TimeZoneRecord Zone() {
    TimeZoneRecord zone =
        RecordWith(MakeTzi(480, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2)),
                   {{2027, MakeTzi(480, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2))}});
    zone.displayName = L" (UTC-08:00) Pacific Time ";
    zone.standardName = L"Pacific Standard Time\t";
    zone.daylightName = L"Pacific Daylight Time";
    return zone;
}

TEST_P(SaveChecks, FirstRefusalInOrder) {
    const SaveCheckCase& c = GetParam();
    TimeZoneRecord zone = Zone();
    if (c.change) {
        c.change(zone);
    }
    LogCapture log;
    const std::optional<SaveRefusal> refusal = CheckZoneForSave(zone, SystemClock());
    ASSERT_EQ(refusal.has_value(), c.field.has_value());
    if (refusal) {
        EXPECT_EQ(refusal->field, *c.field);
        EXPECT_EQ(refusal->year, c.year);
        EXPECT_EQ(refusal->message, c.message);
    } else {
        EXPECT_EQ(zone.displayName, L"(UTC-08:00) Pacific Time") << "trimmed as saved";
        EXPECT_EQ(zone.standardName, L"Pacific Standard Time");
    }
    const std::vector<std::wstring> messages = log.Messages();
    if (*c.logged != L'\0') {
        ASSERT_EQ(messages.size(), 1u) << log.Dump();
        EXPECT_EQ(messages[0].rfind(c.logged, 0), 0u) << log.Dump();
    } else {
        EXPECT_TRUE(messages.empty()) << log.Dump();
    }
}

const SaveCheckCase kCases[] = {
    {"AZoneAsTheWindowSavesIt", {}, std::nullopt},
    {"NoDisplayName", [](auto& z) { z.displayName = L"  "; }, SaveField::kDisplayName, 0,
     L"'Display Name' must be provided"},
    {"BiasOutOfRange", [](auto& z) { z.rules.tzi.Bias = 1441; }, SaveField::kBias, 0,
     L"'Offset (bias)' is out of range", L"[108] bias=1441"},
    {"NoSuchBaseOffset", [](auto& z) { z.rules.tzi.Bias = -900; }, SaveField::kBias, 0,
     L"'Offset (bias)' is out of range: it must lie between GMT -14:00 and GMT +14:00", L"[239] bias=-900"},
    {"NoDaylightName", [](auto& z) { z.daylightName = L""; }, SaveField::kDaylightName, 0,
     L"'Daylight Saving Time Name' must be provided"},
    {"NoStandardNameAfterTheDaylightRules", [](auto& z) { z.standardName = L" "; }, SaveField::kStandardName,
     0, L"'Standard Time Name' must be provided"},
    {"DaylightMonthOfAYear", [](auto& z) { z.years[0].rules.tzi.DaylightDate.wMonth = 13; },
     SaveField::kDaylightMonth, 2027, L"Daylight Saving Time 'Month' for 'Occurs on' selection is incorrect"},
    {"StandardWeek", [](auto& z) { z.rules.tzi.StandardDate.wDay = 6; }, SaveField::kStandardWeek, 0,
     L"Standard Time 'Week' for 'Occurs on' selection is incorrect"},
    {"DaylightShiftTooLarge", [](auto& z) { z.rules.tzi.DaylightBias = -300; }, SaveField::kDaylightBias, 0,
     L"Daylight Saving Time 'Offset (bias)' is out of range: it must lie within 4 hours of the Standard Time "
     L"'Offset (bias)'",
     L"[240] stdBias=0, dstBias=-300"},
    {"OneMomentForBoth",
     [](auto& z) { z.years[0].rules.tzi.StandardDate = z.years[0].rules.tzi.DaylightDate; },
     SaveField::kDaylightMonth, 2027,
     L"Daylight Saving Time must begin and end at two different moments: the 'Occurs on' selections of "
     L"Daylight "
     L"Saving Time and of Standard Time name the same date and time",
     L"[241] yr=2027"},
    {"OnceDateOutsideItsYear",
     [](auto& z) {
         z.years[0].rules.daylightOccurs = kOccursOnlyOnce;
         z.years[0].rules.daylightAbsoluteDate = Once(2028, 3, 12, 2);
     },
     SaveField::kDaylightDate, 2027,
     L"Daylight Saving Time Date/Time selection for 'Occurs on' must lie in the year 2027",
     L"[242] yr=2027, date=2028-03-12"},
};

INSTANTIATE_TEST_SUITE_P(Table, SaveChecks, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace tarvane::test
