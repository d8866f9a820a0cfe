#include "platform/environment.h"
#include "platform/error_text.h"
#include "platform/last_error.h"
#include "fakes/memory_registry.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/time_sync.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tarvane {
namespace {

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
    const std::string n(name), v(value);
    ::SetEnvironmentVariableW(std::wstring(n.begin(), n.end()).c_str(),
                              std::wstring(v.begin(), v.end()).c_str());
#else
    ::setenv(name, value, 1);
#endif
}

TEST(CleanErrorText, MakesOneLineWithoutCarriageReturnsAndWithNumberSignsForPercents) {
    EXPECT_EQ(CleanErrorText(L"  Insert %2 into drive %1.\r\nThen retry.\r\n", 34),
              L"Insert #2 into drive #1. Then retry.");
    EXPECT_EQ(CleanErrorText(L"100%\n", 1), L"100#");
}

TEST(CleanErrorText, EmptyOrBlankTextBecomesErrorAndTheCode) {
    EXPECT_EQ(CleanErrorText(L"", 0x20000001), L"Error 536870913");
    EXPECT_EQ(CleanErrorText(L" \r\n\t", 12176), L"Error 12176");
    EXPECT_EQ(CleanErrorText(L"", 0xFFFFFFFF), L"Error -1");
}

TEST(GetErrorText, GivesNothingForZeroAndKeepsTheCallersLastError) {
    SetThreadLastError(1234);
    EXPECT_EQ(GetErrorText(0), L"");
    EXPECT_FALSE(GetErrorText(5).empty());
    EXPECT_EQ(GetThreadLastError(), 1234u);
}

TEST(NativeSystemFolder, ThirtyTwoBitProcessOnModern64BitWindowsGoesThroughSysNative) {
    EXPECT_EQ(NativeSystemFolderFrom(true, false, L" C:\\Windows\r\n", L"C:\\Windows\\SysWOW64"),
              L"C:\\Windows\\SysNative\\");
    EXPECT_EQ(NativeSystemFolderFrom(true, false, L"C:\\Windows\\", L""), L"C:\\Windows\\SysNative\\");
}

TEST(NativeSystemFolder, LegacyAndNativeProcessesUseTheSystemFolder) {
    EXPECT_EQ(NativeSystemFolderFrom(true, true, L"C:\\WINDOWS", L"C:\\WINDOWS\\system32\t"),
              L"C:\\WINDOWS\\system32\\");
    EXPECT_EQ(NativeSystemFolderFrom(false, false, L"C:\\Windows", L"C:\\Windows\\System32"),
              L"C:\\Windows\\System32\\");
}

TEST(ToUtf8, EncodesEveryPlaneAndReplacesALoneSurrogate) {
    const std::pair<std::wstring, std::string> cases[] = {
        {L"UTC", "UTC"},
        {L"\u00e9\u20ac", "\xC3\xA9\xE2\x82\xAC"},
        {L"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x", "\xEF\xBF\xBDx"},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(ToUtf8(text), bytes);
    }
}

TEST(TrimBlanksAndLineBreaks, TrimsOnlyThoseFourFromBothEnds) {
    EXPECT_EQ(TrimBlanksAndLineBreaks(L" \t\r\nC:\\a b\n"), L"C:\\a b");
    EXPECT_EQ(TrimBlanksAndLineBreaks(L" \v x\f "), L"\v x\f");
    EXPECT_EQ(TrimBlanksAndLineBreaks(L" \r\n"), L"");
}

TEST(ExpandEnvironmentText, ReplacesDefinedVariablesAndLeavesUndefinedOnes) {
    SetVariable("TARVANE_TEST_SYNC", "NTP");
    std::wstring expanded;
    ASSERT_TRUE(ExpandEnvironmentText(L"%TARVANE_TEST_SYNC%,%TARVANE_UNDEFINED_VAR%", &expanded, false));
    EXPECT_EQ(expanded, L"NTP,%TARVANE_UNDEFINED_VAR%");
    EXPECT_EQ(GetThreadLastError(), 0u);
}

TEST(ExpandEnvironmentText, MissingTextFailsWithInvalidParameterAndEmptyTextGivesEmpty) {
    std::wstring expanded = L"old";
    EXPECT_FALSE(ExpandEnvironmentText(nullptr, &expanded, false));
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(ExpandEnvironmentText(L"", &expanded, false));
    EXPECT_EQ(expanded, L"");
}

TEST(ExpandEnvironmentText, GrowsTheBufferForLongResultsWithoutCuttingThem) {
    const std::string value(3000, 'v');
    SetVariable("TARVANE_TEST_LONG", value.c_str());
    std::wstring expanded;
    ASSERT_TRUE(ExpandEnvironmentText(L"<%TARVANE_TEST_LONG%>", &expanded, true));
    EXPECT_EQ(expanded, L"<" + std::wstring(3000, L'v') + L">");
}

TEST(ExpandEnvironmentText, LegacySystemsStopAtTheSmallerLimit) {
    // 32,601 characters with the terminator: beyond the last legacy buffer
    // (32,512), within the first buffer of at least 32,768 characters.
    const std::string value(32600, 'v');
    SetVariable("TARVANE_TEST_HUGE", value.c_str());
    std::wstring expanded;
    EXPECT_FALSE(ExpandEnvironmentText(L"%TARVANE_TEST_HUGE%", &expanded, true));
    EXPECT_NE(GetThreadLastError(), 0u);
    ASSERT_TRUE(ExpandEnvironmentText(L"%TARVANE_TEST_HUGE%", &expanded, false));
    EXPECT_EQ(expanded.size(), 32600u);
}

class TimeSyncType : public ::testing::Test {
protected:
    const std::wstring path = std::wstring(L"HKEY_LOCAL_MACHINE\\") + kTimeServiceParametersPath;
    MemoryRegistry registry;
    std::wstring type = L"old";

    bool Read() { return ReadTimeSyncType(registry, false, &type); }
};

TEST_F(TimeSyncType, ReadsAPlainStringValue) {
    registry.PutString(path, L"Type", L"NoSync");
    ASSERT_TRUE(Read());
    EXPECT_EQ(type, L"NoSync");
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(TimeSyncType, ExpandsAnExpandableString) {
    SetVariable("TARVANE_TEST_SYNC", "NTP");
    registry.PutString(path, L"Type", L"%TARVANE_TEST_SYNC%", REG_EXPAND_SZ);
    ASSERT_TRUE(Read());
    EXPECT_EQ(type, L"NTP");
}

TEST_F(TimeSyncType, StopsAtTheStoredTerminatorAndEndsUnterminatedData) {
    registry.PutValue(path, L"Type", REG_SZ, ToUtf16Le(std::wstring(L"NT5DS\0junk", 10), false));
    ASSERT_TRUE(Read());
    EXPECT_EQ(type, L"NT5DS");
    registry.PutValue(path, L"Type", REG_SZ, ToUtf16Le(L"NTP", false));
    ASSERT_TRUE(Read());
    EXPECT_EQ(type, L"NTP");
}

TEST_F(TimeSyncType, FailsWithTheCodeOfWhatIsMissingOrWrong) {
    EXPECT_FALSE(Read());
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);
    registry.PutKey(path);
    EXPECT_FALSE(Read());
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);
    registry.PutDword(path, L"Type", 1);
    EXPECT_FALSE(Read());
    EXPECT_EQ(GetThreadLastError(), ERROR_BAD_DEV_TYPE);
    registry.PutValue(path, L"Type", REG_SZ, {});
    EXPECT_FALSE(Read());
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(TimeSyncType, ValueThatChangesTypeBetweenTheReadsIsInvalidData) {
    registry.PutString(path, L"Type", L"NTP");
    registry.InjectFault(RegFault(RegOp::QueryValue, path).Value(L"Type").Skip(1).Type(REG_BINARY));
    EXPECT_FALSE(Read());
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_DATA);
}

TEST_F(TimeSyncType, KeyThatCannotBeOpenedGivesItsCode) {
    registry.PutString(path, L"Type", L"NTP");
    registry.InjectFault(RegFault(RegOp::Open, path).Error(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(Read());
    EXPECT_EQ(GetThreadLastError(), ERROR_ACCESS_DENIED);
}

} // namespace
} // namespace tarvane
