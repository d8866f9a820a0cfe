#include "platform/diagnostic_log.h"

#include "log_capture.h"
#include "platform/product_version.h"

#include <gtest/gtest.h>

namespace tarvane {
namespace {

class DiagnosticLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheLog().SetClock([] { return SYSTEMTIME{2026, 12, 2, 8, 4, 16, 41, 123}; });
    }
    void TearDown() override { TheLog().SetClock(nullptr); }

    std::wstring Prefix() const {
        return std::wstring(L"2026-12-08T04:16:41.123 {" TARVANE_VERSION_TEXT L"|") + PlatformTag() + L"} ";
    }

    test::LogCapture capture;
};

TEST_F(DiagnosticLogTest, WritesTheLineWithTimeVersionTagLastErrorAndMessage) {
    SetThreadLastError(5);
    LogMessage(L"[208] err=%d, key=%s", 5, L"Tokyo Standard Time");
    ASSERT_EQ(capture.events.size(), 1u);
    EXPECT_EQ(capture.events[0].line, Prefix() + L"(5) [208] err=5, key=Tokyo Standard Time");
    EXPECT_EQ(capture.events[0].type, EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(capture.events[0].eventId, 0xC0020001u);
}

TEST_F(DiagnosticLogTest, NamesThePlatformItWasBuiltFor) {
    EXPECT_STREQ(PlatformTag(), sizeof(void*) == 8 ? L"x64" : L"x32");
}

TEST_F(DiagnosticLogTest, BareTagWithLastErrorZero) {
    SetThreadLastError(0);
    LogText(EVENTLOG_ERROR_TYPE, L"[102]");
    ASSERT_EQ(capture.events.size(), 1u);
    EXPECT_EQ(capture.events[0].line, Prefix() + L"(0) [102]");
}

TEST_F(DiagnosticLogTest, LastErrorIsPrintedAsSignedDecimal) {
    SetThreadLastError(0xDEAD);
    LogText(EVENTLOG_ERROR_TYPE, L"[1]");
    SetThreadLastError(0x80070005);
    LogText(EVENTLOG_ERROR_TYPE, L"[2]");
    EXPECT_EQ(capture.LastErrors(), (std::vector<LONG>{57005, static_cast<LONG>(0x80070005)}));
    EXPECT_NE(capture.events[1].line.find(L"(-2147024891) [2]"), std::wstring::npos);
}

TEST_F(DiagnosticLogTest, PercentSignsInTextAndArgumentsAreWrittenVerbatim) {
    LogText(EVENTLOG_ERROR_TYPE, L"[100] 50%d done");
    LogMessage(L"[101] v=\"%s\"", L"%s%d");
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[100] 50%d done", L"[101] v=\"%s%d\""}));
}

TEST_F(DiagnosticLogTest, AnAbsentMessageEndsTheLineAfterTheParenthesis) {
    SetThreadLastError(3);
    LogText(EVENTLOG_ERROR_TYPE, nullptr);
    LogMessage(nullptr);
    ASSERT_EQ(capture.events.size(), 2u);
    EXPECT_EQ(capture.events[0].line, Prefix() + L"(3) ");
    EXPECT_EQ(capture.events[1].line, Prefix() + L"(3) ");
}

TEST_F(DiagnosticLogTest, EventIdentifierFollowsTheType) {
    LogText(EVENTLOG_WARNING_TYPE, L"w");
    LogText(EVENTLOG_INFORMATION_TYPE, L"[181] Restored time zones");
    LogText(7, L"other");
    ASSERT_EQ(capture.events.size(), 3u);
    EXPECT_EQ(capture.events[0].eventId, 0x80020002u);
    EXPECT_EQ(capture.events[1].eventId, 0x40020003u);
    EXPECT_EQ(capture.events[1].type, EVENTLOG_INFORMATION_TYPE);
    EXPECT_EQ(capture.events[2].eventId, 0xC0020001u);
}

TEST_F(DiagnosticLogTest, CallerLastErrorSurvivesEvenWhenTheEventIsRefused) {
    SetThreadLastError(1314);
    EXPECT_EQ(LogMessage(L"[177]"), 1);
    EXPECT_EQ(GetThreadLastError(), 1314u);
    capture.accept = false;
    EXPECT_EQ(LogMessage(L"[179] r=%d", 1), 0);
    EXPECT_EQ(LogText(EVENTLOG_ERROR_TYPE, L"[180]"), 0);
    EXPECT_EQ(GetThreadLastError(), 1314u);
}

TEST_F(DiagnosticLogTest, AFormatThatCannotBeFilledIsLoggedAsItStands) {
    SetThreadLastError(2);
    EXPECT_EQ(LogMessage(L"[999] a=%d, b=%s", 1), 0);
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[999] a=%d, b=%s"}));
    EXPECT_EQ(capture.LastErrors(), (std::vector<LONG>{2}));
    EXPECT_EQ(GetThreadLastError(), 2u);
}

} // namespace
} // namespace tarvane
