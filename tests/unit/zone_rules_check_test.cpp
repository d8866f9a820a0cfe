// The rules of a valid zone, without a window: each case breaks one rule of
// a sound zone and names the field, the message and the log line it gives.
#include "core/zone_rules_check.h"

#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace tarvane::test {
namespace {

class FixedClock : public ClockApi {
public:
    SYSTEMTIME UtcNow() override { return SYSTEMTIME{2026, 6, 1, 1, 12, 0, 0, 0}; }
    SYSTEMTIME LocalNow() override { return UtcNow(); }
    bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME* local) override {
        *local = utc;
        return true;
    }
};

struct RuleCase {
    const char* name;
    DWORD year;
    std::function<void(TimeZoneRecord&, ZoneRules&)> breakIt;
    std::optional<ZoneField> field;
    std::wstring message; // its start
    std::wstring logLine;
};

class ZoneRulesCheckTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(ZoneRulesCheckTest, NamesTheFieldTheMessageAndTheLine) {
    const RuleCase& c = GetParam();
    TimeZoneRecord zone;
    zone.standardName = L"Pacific Standard Time";
    zone.daylightName = L"Pacific Daylight Time";
    ZoneRules rules{};
    rules.tzi = MakeTzi(480, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2));
    rules.dstEnabled = 1;
    rules.standardOccurs = kOccursRecurringYearly;
    rules.daylightOccurs = kOccursRecurringYearly;
    c.breakIt(zone, rules);
    FixedClock clock;
    const ZoneRulesCheck check = CheckZoneRules(zone, c.year, rules, clock);
    ASSERT_EQ(check.problem.has_value(), c.field.has_value());
    if (!c.field) {
        return;
    }
    EXPECT_EQ(check.problem->field, *c.field);
    EXPECT_EQ(check.problem->message.rfind(c.message, 0), 0u)
        << testing::PrintToString(check.problem->message);
    EXPECT_EQ(check.problem->logLine, c.logLine);
    EXPECT_EQ(check.problem->inYear,
              *c.field != ZoneField::kDaylightName && *c.field != ZoneField::kStandardName);
}

const auto keep = [](TimeZoneRecord&, ZoneRules&) {};

INSTANTIATE_TEST_SUITE_P(
    Rules, ZoneRulesCheckTest,
    ::testing::Values(
        RuleCase{"Sound", 0, keep, std::nullopt, L"", L""},
        RuleCase{"BiasBeyondADay", 0, [](TimeZoneRecord&, ZoneRules& r) { r.tzi.Bias = 1500; },
                 ZoneField::kBias, L"'Offset (bias)' is out of range", L"[108] bias=1500"},
        RuleCase{"BiasBeyondFourteenHours", 2030, [](TimeZoneRecord&, ZoneRules& r) { r.tzi.Bias = 900; },
                 ZoneField::kBias, L"'Offset (bias)' is out of range: it must lie", L"[239] bias=900"},
        RuleCase{"BlankDaylightName", 0, [](TimeZoneRecord& z, ZoneRules&) { z.daylightName = L" \t"; },
                 ZoneField::kDaylightName, L"'Daylight Saving Time Name' must be provided", L""},
        RuleCase{"DaylightMonth13", 0, [](TimeZoneRecord&, ZoneRules& r) { r.tzi.DaylightDate.wMonth = 13; },
                 ZoneField::kDaylightMonth, L"Daylight Saving Time 'Month'", L""},
        RuleCase{"StandardWeek6", 0, [](TimeZoneRecord&, ZoneRules& r) { r.tzi.StandardDate.wDay = 6; },
                 ZoneField::kStandardWeek, L"Standard Time 'Week'", L""},
        RuleCase{"OnceDateOutsideItsYear", 2030,
                 [](TimeZoneRecord&, ZoneRules& r) {
                     r.daylightOccurs = kOccursOnlyOnce;
                     r.daylightAbsoluteDate = Once(2031, 3, 9, 2);
                 },
                 ZoneField::kDaylightDate,
                 L"Daylight Saving Time Date/Time selection for 'Occurs on' must lie",
                 L"[242] yr=2030, date=2031-03-09"},
        RuleCase{"ShiftBeyondFourHours", 0, [](TimeZoneRecord&, ZoneRules& r) { r.tzi.DaylightBias = -300; },
                 ZoneField::kDaylightBias, L"Daylight Saving Time 'Offset (bias)' is out of range: it must",
                 L"[240] stdBias=0, dstBias=-300"},
        RuleCase{"SameMoments", 0,
                 [](TimeZoneRecord&, ZoneRules& r) { r.tzi.StandardDate = r.tzi.DaylightDate; },
                 ZoneField::kDaylightMonth, L"Daylight Saving Time must begin and end", L"[241] yr=0"}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvane::test
