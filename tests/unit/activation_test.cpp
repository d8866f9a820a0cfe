#include "core/activation.h"

#include "log_capture.h"
#include "platform/last_error.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

class Activation : public ::testing::Test {
protected:
    void SetUp() override {
        record.keyName = L"Pacific Standard Time";
        record.displayName = L"(UTC-08:00) Pacific Time (US & Canada)";
        record.standardName = L"Pacific Standard Time";
        record.daylightName = L"Pacific Daylight Time";
        record.rules = DeriveRules(MakeTzi(480, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2)));
        record.years.push_back(DynamicYearRecord{2007, record.rules});
        SetThreadLastError(0xDEAD);
    }

    bool Activate(bool isLegacyOs = false) { return ActivateTimeZone(system, isLegacyOs, &record); }

    TimeZoneRecord record;
    FakeTimeZoneApi system;
    LogCapture capture;
};

TEST_F(Activation, HandsTheComposedRulesInTheDynamicFormAndBroadcastsAfterSuccess) {
    record.rules.standardOccurs = kOccursOnlyOnce;
    record.rules.standardAbsoluteDate = Once(2026, 10, 25, 3);
    ASSERT_TRUE(Activate());
    EXPECT_EQ(GetThreadLastError(), 0u);
    ASSERT_EQ(system.dynamicSets.size(), 1u);
    EXPECT_TRUE(system.plainSets.empty());
    const TimeZoneInfo& info = system.dynamicSets[0];
    const TziBlock composed = ComposeTzi(record.rules);
    EXPECT_EQ(info.bias, 480);
    EXPECT_EQ(info.standardName, L"Pacific Standard Time");
    EXPECT_TRUE(SameSystemTime(info.standardDate, Once(2026, 10, 25, 3)));
    EXPECT_TRUE(SameSystemTime(info.standardDate, composed.StandardDate));
    EXPECT_EQ(info.standardBias, 0);
    EXPECT_EQ(info.daylightName, L"Pacific Daylight Time");
    EXPECT_TRUE(SameSystemTime(info.daylightDate, Recurring(3, 0, 2, 2)));
    EXPECT_EQ(info.daylightBias, -60);
    EXPECT_EQ(info.timeZoneKeyName, L"Pacific Standard Time");
    EXPECT_FALSE(info.dynamicDaylightTimeDisabled);
    EXPECT_EQ(system.calls, (std::vector<std::wstring>{L"+SeTimeZonePrivilege", L"dynamic",
                                                       L"-SeTimeZonePrivilege", L"broadcast"}));
    EXPECT_EQ(system.broadcasts, (std::vector<std::wstring>{L"intl/2000"}));
    EXPECT_EQ(system.openTokens, 0);
    EXPECT_TRUE(capture.events.empty()) << capture.Dump();
}

TEST_F(Activation, ZoneWithoutDaylightSavingGoesOverWithZeroDatesKeptBiasesAndTheDynamicSwitchOff) {
    record.rules.dstEnabled = 0;
    record.rules.tzi.StandardBias = 5;
    ASSERT_TRUE(Activate());
    const TimeZoneInfo& info = system.dynamicSets.at(0);
    EXPECT_TRUE(SameSystemTime(info.standardDate, SYSTEMTIME{}));
    EXPECT_TRUE(SameSystemTime(info.daylightDate, SYSTEMTIME{}));
    EXPECT_EQ(info.bias, 480);
    EXPECT_EQ(info.standardBias, 5);
    EXPECT_EQ(info.daylightBias, -60);
    EXPECT_TRUE(info.dynamicDaylightTimeDisabled);
}

TEST_F(Activation, CutsNamesTo31AndTheKeyNameTo127Characters) {
    record.standardName = std::wstring(40, L'S');
    record.daylightName = std::wstring(31, L'D');
    record.keyName = std::wstring(127, L'K');
    ASSERT_TRUE(Activate());
    EXPECT_EQ(system.dynamicSets.at(0).standardName, std::wstring(31, L'S'));
    EXPECT_EQ(system.dynamicSets.at(0).daylightName, std::wstring(31, L'D'));
    EXPECT_EQ(system.dynamicSets.at(0).timeZoneKeyName, std::wstring(127, L'K'));

    record.keyName = std::wstring(127, L'K') + L'X';
    ASSERT_TRUE(Activate());
    EXPECT_EQ(system.dynamicSets.at(1).timeZoneKeyName, std::wstring(127, L'K'));
}

TEST_F(Activation, WithoutTheDynamicCallHandsThePlainFormWithoutKeyNameOrSwitch) {
    system.hasSetDynamic = false;
    record.rules.dstEnabled = 0;
    ASSERT_TRUE(Activate());
    ASSERT_EQ(system.plainSets.size(), 1u);
    EXPECT_TRUE(system.dynamicSets.empty());
    EXPECT_EQ(system.plainSets[0].timeZoneKeyName, L"");
    EXPECT_FALSE(system.plainSets[0].dynamicDaylightTimeDisabled);
    EXPECT_EQ(system.plainSets[0].standardName, L"Pacific Standard Time");
}

TEST_F(Activation, LegacySystemUsesTheSystemTimePrivilege) {
    ASSERT_TRUE(Activate(true));
    EXPECT_EQ(system.adjustments,
              (std::vector<std::wstring>{L"+SeSystemtimePrivilege", L"-SeSystemtimePrivilege"}));
}

TEST_F(Activation, RefusedZoneKeepsTheSystemCodeSkipsTheBroadcastAndStillDisablesThePrivilege) {
    system.setResult = FALSE;
    system.setError = ERROR_PRIVILEGE_NOT_HELD;
    EXPECT_FALSE(Activate());
    EXPECT_EQ(GetThreadLastError(), ERROR_PRIVILEGE_NOT_HELD);
    EXPECT_TRUE(system.broadcasts.empty());
    EXPECT_EQ(system.calls,
              (std::vector<std::wstring>{L"+SeTimeZonePrivilege", L"dynamic", L"-SeTimeZonePrivilege"}));
    EXPECT_TRUE(capture.events.empty()) << capture.Dump();
}

TEST_F(Activation, MissingRecordFailsWith9AndTouchesNothing) {
    EXPECT_FALSE(ActivateTimeZone(system, false, nullptr));
    EXPECT_EQ(GetThreadLastError(), 9u);
    EXPECT_TRUE(system.calls.empty());
}

TEST_F(Activation, PrivilegeThatCannotBeEnabledIsLoggedAndTheZoneStillGoesOver) {
    system.adjustError = ERROR_NOT_ALL_ASSIGNED;
    ASSERT_TRUE(Activate());
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[177]", L"[179]"}));
    EXPECT_EQ(capture.LastErrors(), (std::vector<LONG>{1300, 1300}));
    EXPECT_EQ(system.dynamicSets.size(), 1u);
    EXPECT_EQ(system.broadcasts.size(), 1u);
}

TEST_F(Activation, LegacyPrivilegeFailuresCarryTheirOwnTags) {
    system.enableFails = {L"SeSystemtimePrivilege"};
    system.disableFails = {L"SeSystemtimePrivilege"};
    system.setResult = FALSE;
    system.setError = 1314;
    EXPECT_FALSE(Activate(true));
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[178]", L"[180]"}));
    EXPECT_EQ(capture.LastErrors(), (std::vector<LONG>{5, 5}));
    EXPECT_EQ(GetThreadLastError(), 1314u);
}

TEST_F(Activation, FailingToDisableThePrivilegeDoesNotChangeTheResult) {
    system.disableFails = {L"SeTimeZonePrivilege"};
    EXPECT_TRUE(Activate());
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[179]"}));
    EXPECT_EQ(system.broadcasts.size(), 1u);
}

TEST(SetPrivilege, EnablesAndDisablesThroughOneTokenThatIsClosedAgain) {
    FakeTimeZoneApi system;
    EXPECT_TRUE(SetPrivilege(system, L"SeTimeZonePrivilege", true));
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_TRUE(SetPrivilege(system, L"SeTimeZonePrivilege", false));
    EXPECT_EQ(system.adjustments,
              (std::vector<std::wstring>{L"+SeTimeZonePrivilege", L"-SeTimeZonePrivilege"}));
    EXPECT_EQ(system.openTokens, 0);
}

TEST(SetPrivilege, TokenWithoutThePrivilegeFailsWithNotAllAssigned) {
    FakeTimeZoneApi system;
    system.adjustError = ERROR_NOT_ALL_ASSIGNED;
    EXPECT_FALSE(SetPrivilege(system, L"SeTimeZonePrivilege", true));
    EXPECT_EQ(GetThreadLastError(), ERROR_NOT_ALL_ASSIGNED);
    EXPECT_EQ(system.openTokens, 0);
}

TEST(SetPrivilege, UnknownPrivilegeFailsWithTheLookupCodeAndClosesTheToken) {
    FakeTimeZoneApi system;
    system.lookupError = 1313;
    EXPECT_FALSE(SetPrivilege(system, L"SeNoSuchPrivilege", true));
    EXPECT_EQ(GetThreadLastError(), 1313u);
    EXPECT_TRUE(system.adjustments.empty());
    EXPECT_EQ(system.openTokens, 0);
}

TEST(SetPrivilege, TokenThatCannotBeOpenedFailsWithTheOpenCode) {
    FakeTimeZoneApi system;
    system.openTokenError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(SetPrivilege(system, L"SeTimeZonePrivilege", true));
    EXPECT_EQ(GetThreadLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(system.adjustments.empty());
}

TEST(CutToUtf16Units, CountsCharactersOutsideTheBasicPlaneAsTwoUnits) {
    EXPECT_EQ(CutToUtf16Units(L"abc", 2), L"ab");
    EXPECT_EQ(CutToUtf16Units(L"abc", 31), L"abc");
    if constexpr (sizeof(wchar_t) > 2) {
        const std::wstring text = std::wstring(30, L'a') + static_cast<wchar_t>(0x1F600);
        EXPECT_EQ(CutToUtf16Units(text, 31), std::wstring(30, L'a'));
        EXPECT_EQ(CutToUtf16Units(text, 32), text);
    }
}

} // namespace
} // namespace tarvane::test
