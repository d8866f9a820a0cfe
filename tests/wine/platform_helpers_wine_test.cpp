// The platform helpers against the real Win32 API.
#include "log_capture.h"
#include "platform/error_text.h"
#include "platform/launchers.h"
#include "platform/os_version.h"
#include "platform/system_facts.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "platform/time_sync.h"
#include "platform/user_region.h"
#include "platform/system_registry.h"
#include "win32/scratch_registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tarvane::test {
namespace {

std::wstring SystemDirectory() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, length);
}

std::wstring RawMessage(DWORD flags, HMODULE module, DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(flags | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, module, code,
                         0x400, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (buffer != nullptr) {
        text.assign(buffer, length);
        ::LocalFree(buffer);
    }
    return text;
}

TEST(OsVersionOnWine, BothRecordSizesGetTheVersionFromRtlGetVersion) {
    OSVERSIONINFOEXW extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    ::SetLastError(0xDEAD);
    ASSERT_TRUE(GetOsVersion(&extended));
    EXPECT_EQ(::GetLastError(), 0u);
    EXPECT_GE(extended.dwMajorVersion, 6u);
    EXPECT_EQ(extended.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_NE(extended.wProductType, 0);

    OSVERSIONINFOW basic{};
    basic.dwOSVersionInfoSize = sizeof basic;
    ASSERT_TRUE(GetOsVersion(&basic));
    EXPECT_EQ(basic.dwMajorVersion, extended.dwMajorVersion);
    EXPECT_EQ(basic.dwMinorVersion, extended.dwMinorVersion);
    EXPECT_EQ(basic.dwBuildNumber, extended.dwBuildNumber);
}

TEST(OsVersionOnWine, WithoutRtlGetVersionTheVersionComesFromGetVersionEx) {
    OSVERSIONINFOEXW direct{};
    direct.dwOSVersionInfoSize = sizeof direct;
    ASSERT_TRUE(::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&direct)));
    OSVERSIONINFOEXW viaFallback{};
    viaFallback.dwOSVersionInfoSize = sizeof viaFallback;
    ASSERT_TRUE(detail::GetOsVersionWith(nullptr, reinterpret_cast<OSVERSIONINFOW*>(&viaFallback)));
    EXPECT_EQ(viaFallback.dwMajorVersion, direct.dwMajorVersion);
    EXPECT_EQ(viaFallback.dwBuildNumber, direct.dwBuildNumber);

    // A failing RtlGetVersion falls back the same way.
    const auto failing = [](OSVERSIONINFOW*) -> LONG { return static_cast<LONG>(0xC0000022); };
    OSVERSIONINFOW basic{};
    basic.dwOSVersionInfoSize = sizeof basic;
    ASSERT_TRUE(detail::GetOsVersionWith(failing, &basic));
    EXPECT_EQ(basic.dwMajorVersion, direct.dwMajorVersion);
}

TEST(OsVersionOnWine, MissingOrOddRecordsFail) {
    EXPECT_FALSE(GetOsVersion(static_cast<OSVERSIONINFOW*>(nullptr)));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    OSVERSIONINFOEXW odd{};
    odd.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(GetOsVersion(&odd));
    EXPECT_EQ(odd.dwMajorVersion, 0u);
}

TEST(NtStatusOnWine, TranslatesStatusesAndKeepsUnknownOnes) {
    EXPECT_EQ(NtStatusToWin32Error(static_cast<LONG>(0xC0000022)), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(NtStatusToWin32Error(static_cast<LONG>(0xC0000034)), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(NtStatusToWin32Error(0), 0u);
    EXPECT_EQ(::GetLastError(), 0u);
}

TEST(SystemFactsOnWine, AModern64BitSystem) {
    const SystemFacts facts = ReadSystemFacts();
    EXPECT_FALSE(facts.isLegacyOs);
    EXPECT_TRUE(facts.is64BitOs);
}

TEST(SystemFoldersOnWine, ANativeProcessUsesTheSystemFolderWithASeparator) {
    EXPECT_EQ(GetSystemFolder(), SystemDirectory() + L"\\");
    EXPECT_EQ(GetNativeSystemFolder(false), SystemDirectory() + L"\\");
    EXPECT_EQ(GetNativeSystemFolder(true), SystemDirectory() + L"\\");
}

TEST(ErrorTextOnWine, SystemCodesGetTheSystemTextOnOneLine) {
    const std::wstring raw = RawMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED);
    ASSERT_FALSE(raw.empty());
    const std::wstring text = GetErrorText(ERROR_ACCESS_DENIED);
    EXPECT_EQ(text, CleanErrorText(raw, ERROR_ACCESS_DENIED));
    EXPECT_EQ(text.find_first_of(L"\r\n%"), std::wstring::npos);
}

TEST(ErrorTextOnWine, PercentSignsOfTheMessageBecomeNumberSigns) {
    // The first system message that holds an insert such as "%1".
    DWORD code = 1;
    std::wstring raw;
    for (; code < 16000; ++code) {
        raw = RawMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
        if (raw.find(L'%') != std::wstring::npos) {
            break;
        }
    }
    ASSERT_LT(code, 16000u) << "no system message with a percent sign";
    const std::wstring text = GetErrorText(code);
    EXPECT_EQ(text, CleanErrorText(raw, code));
    EXPECT_EQ(text.find(L'%'), std::wstring::npos);
    EXPECT_NE(text.find(L'#'), std::wstring::npos);
}

TEST(ErrorTextOnWine, WinInetCodesComeFromWinInetAndOthersFromTheSystemTable) {
    HMODULE wininet =
        ::LoadLibraryExW((SystemDirectory() + L"\\wininet.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(wininet, nullptr);
    const std::wstring fromWinInet = RawMessage(FORMAT_MESSAGE_FROM_HMODULE, wininet, 12029);
    ::FreeLibrary(wininet);
    ASSERT_FALSE(fromWinInet.empty());
    EXPECT_EQ(GetErrorText(12029), CleanErrorText(fromWinInet, 12029));
    EXPECT_EQ(GetErrorText(12176),
              CleanErrorText(RawMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 12176), 12176));
}

TEST(ErrorTextOnWine, ACodeWithoutAnyMessageIsNamedByItsNumber) {
    ::SetLastError(77);
    EXPECT_EQ(GetErrorText(0x20000001), L"Error 536870913");
    EXPECT_EQ(::GetLastError(), 77u);
}

TEST(TimeSyncOnWine, ReadsTheTypeFromTheRealRegistry) {
    ScratchLocalMachine scratch;
    ASSERT_TRUE(scratch.Ok());
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTimeServiceParametersPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t value[] = L"%TARVANE_SYNC_KIND%";
    ::RegSetValueExW(key, L"Type", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    ::RegCloseKey(key);
    ::SetEnvironmentVariableW(L"TARVANE_SYNC_KIND", L"NoSync");
    std::wstring type;
    ASSERT_TRUE(ReadTimeSyncType(SystemRegistry(), false, &type));
    EXPECT_EQ(type, L"NoSync");
}

// A failing ShellOpen is not run for real: the shell then shows its own
// error box and waits for the user. The failure paths use the replaced shell.
TEST(ShellOpenOnWine, AnExistingProgramOpens) {
    EXPECT_EQ(ShellOpen(nullptr, GetSystemFolder() + L"cmd.exe", L"/c exit 0"), 0u);
    EXPECT_EQ(::GetLastError(), 0u);
}

// SE_ERR_NOASSOC: the shell knows no program for the address.
constexpr LONG kNoAssociation = 31;

// What the replaced shell and prompt functions were asked.
struct Seen {
    std::vector<std::wstring> opened;
    std::vector<std::wstring> prompts;
    std::vector<UINT> types;
    std::vector<UINT> beeps;
    DWORD openResult = 0;
    INT_PTR executeResult = 42;
};
Seen seen;

class Launchers : public ::testing::Test {
protected:
    void SetUp() override {
        seen = Seen{};
        SetShellOpenFunction([](HWND, const std::wstring& program, const std::wstring& parameters) -> DWORD {
            seen.opened.push_back(program + L"|" + parameters);
            ::SetLastError(seen.openResult);
            return seen.openResult;
        });
        SetShellExecuteFunction([](HWND, const std::wstring& address) -> INT_PTR {
            seen.opened.push_back(address);
            return seen.executeResult;
        });
        SetPromptFunction([](HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
            seen.prompts.push_back(caption + L"|" + text);
            seen.types.push_back(type);
            return IDOK;
        });
        SetBeepFunction([](UINT type) { seen.beeps.push_back(type); });
    }
    void TearDown() override {
        SetShellOpenFunction(nullptr);
        SetShellExecuteFunction(nullptr);
        SetPromptFunction(nullptr);
        SetBeepFunction(nullptr);
    }
    LogCapture capture;
};

TEST_F(Launchers, DateTimeSettingsAndEventViewerOpenTheirProgramsWithTheirParameters) {
    EXPECT_TRUE(OpenDateTimeSettings(nullptr, false));
    EXPECT_TRUE(OpenEventViewer(nullptr));
    EXPECT_EQ(seen.opened, (std::vector<std::wstring>{GetNativeSystemFolder(false) +
                                                          L"control.exe|timedate.cpl,Date and Time",
                                                      GetSystemFolder() + L"eventvwr.exe|/c:Application"}));
    OnInternetTimeLink(nullptr, false);
    OnAdjustSystemTimeCommand(nullptr, false);
    OnOpenEventLogCommand(nullptr);
    EXPECT_TRUE(capture.events.empty());
    EXPECT_TRUE(seen.beeps.empty());
}

TEST_F(Launchers, EachFailingToolCommandLogsItsTagAndBeeps) {
    seen.openResult = ERROR_FILE_NOT_FOUND;
    EXPECT_FALSE(OpenDateTimeSettings(nullptr, false));
    OnInternetTimeLink(nullptr, false);
    OnAdjustSystemTimeCommand(nullptr, false);
    OnOpenEventLogCommand(nullptr);
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[203]", L"[206]", L"[218]"}));
    EXPECT_EQ(capture.LastErrors(), (std::vector<LONG>{2, 2, 2}));
    EXPECT_EQ(seen.beeps, (std::vector<UINT>{MB_ICONHAND, MB_ICONHAND, MB_ICONHAND}));
}

TEST_F(Launchers, HelpPageOpensTheProductAddressSilently) {
    EXPECT_TRUE(OpenHelpPage(nullptr));
    EXPECT_EQ(seen.opened, (std::vector<std::wstring>{kHelpPageAddress}));
    EXPECT_TRUE(seen.prompts.empty());
    EXPECT_TRUE(capture.events.empty());
}

TEST_F(Launchers, HelpPageThatCannotBeOpenedIsLoggedWithTheShellResultAndTold) {
    seen.executeResult = kNoAssociation;
    EXPECT_FALSE(OpenHelpPage(nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(kNoAssociation));
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[100] ulr=https://tarvane.example/help"}));
    EXPECT_EQ(capture.LastErrors(), (std::vector<LONG>{kNoAssociation}));
    EXPECT_EQ(seen.prompts,
              (std::vector<std::wstring>{L"Tarvane|Failed to open URL:\n\nhttps://tarvane.example/help"}));
    EXPECT_EQ(seen.types, (std::vector<UINT>{MB_OK | MB_ICONERROR}));

    seen.executeResult = 32;
    EXPECT_FALSE(OpenHelpPage(nullptr));
    EXPECT_EQ(seen.prompts.size(), 2u);
}

// The Country or Region setting, in a prefix started with the locale whose
// region TARVANE_EXPECT_REGION names (Wine takes the setting from LANG).
TEST(UserRegionOnWine, ReadsTheCountryOrRegionSetting) {
    const char* expected = std::getenv("TARVANE_EXPECT_REGION");
    if (expected == nullptr) {
        GTEST_SKIP() << "run by the test that starts a prefix with a known locale";
    }
    const UserRegion region = ReadUserRegion();
    EXPECT_EQ(region.code, std::wstring(expected, expected + std::strlen(expected)));
    EXPECT_FALSE(region.name.empty()) << "the system names the region";
    std::printf("region %ls (%ls)\n", region.code.c_str(), region.name.c_str());
}

} // namespace
} // namespace tarvane::test
