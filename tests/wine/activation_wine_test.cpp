// Activation against the real system: Wine refuses to change the zone, so the
// call must fail cleanly.
#include "core/activation.h"

#include "log_capture.h"
#include "platform/system_facts.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

// A hidden top-level window of this thread that counts the "intl" setting
// changes broadcast to all top-level windows.
class BroadcastListener {
public:
    BroadcastListener() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TarvaneBroadcastListener";
        ::RegisterClassW(&windowClass);
        window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, windowClass.hInstance, nullptr);
        count_ = 0;
    }
    ~BroadcastListener() {
        if (window_ != nullptr) {
            ::DestroyWindow(window_);
        }
    }
    bool Ok() const { return window_ != nullptr; }
    int Count() const { return count_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_SETTINGCHANGE && wParam == 0 && lParam != 0 &&
            std::wstring(reinterpret_cast<const wchar_t*>(lParam)) == L"intl") {
            ++count_;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
    static inline int count_ = 0;
};

// Whether the process token has the privilege enabled now.
bool PrivilegeEnabled(const wchar_t* name) {
    LUID luid{};
    if (!::LookupPrivilegeValueW(nullptr, name, &luid)) {
        return false;
    }
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD size = 0;
    ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    bool enabled = false;
    if (size != 0 && ::GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
            if (entry.Luid.LowPart == luid.LowPart && entry.Luid.HighPart == luid.HighPart) {
                enabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
            }
        }
    }
    ::CloseHandle(token);
    return enabled;
}

TEST(ActivationOnWine, TheBroadcastReachesTopLevelWindows) {
    BroadcastListener listener;
    ASSERT_TRUE(listener.Ok());
    SystemTimeZoneApi().BroadcastSettingChange(L"intl", 2000);
    EXPECT_EQ(listener.Count(), 1);
}

TEST(ActivationOnWine, RefusedZoneFailsWithTheSystemCodeWithoutBroadcastAndWithThePrivilegeDisabled) {
    BroadcastListener listener;
    ASSERT_TRUE(listener.Ok());
    // The zone the process already runs in (TZ=America/Los_Angeles), should Wine ever accept it.
    TimeZoneRecord record;
    record.keyName = L"Pacific Standard Time";
    record.standardName = L"Pacific Standard Time";
    record.daylightName = L"Pacific Daylight Time";
    record.rules = DeriveRules(MakeTzi(480, 0, -60, Recurring(11, 0, 1, 2), Recurring(3, 0, 2, 2)));
    const SystemFacts facts = ReadSystemFacts();

    LogCapture capture;
    ::SetLastError(0xDEAD);
    EXPECT_FALSE(ActivateTimeZone(SystemTimeZoneApi(), facts.isLegacyOs, &record));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
    EXPECT_EQ(listener.Count(), 0);
    EXPECT_FALSE(PrivilegeEnabled(L"SeTimeZonePrivilege"));
    // Wine knows no time-zone privilege (1313) or its token lacks it (1300):
    // enabling and disabling it are logged, each with the code it left.
    EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[177]", L"[179]"})) << capture.Dump();
    ASSERT_FALSE(SetPrivilege(SystemTimeZoneApi(), L"SeTimeZonePrivilege", true));
    const auto code = static_cast<LONG>(::GetLastError());
    EXPECT_TRUE(code == ERROR_NO_SUCH_PRIVILEGE || code == ERROR_NOT_ALL_ASSIGNED) << code;
    EXPECT_EQ(capture.LastErrors(), (std::vector<LONG>{code, code}));
}

TEST(ActivationOnWine, SetPrivilegeEnablesAndDisablesAPrivilegeTheTokenHolds) {
    const wchar_t* name = L"SeShutdownPrivilege";
    if (!SetPrivilege(SystemTimeZoneApi(), name, true)) {
        GTEST_SKIP() << "this token does not hold "
                     << "SeShutdownPrivilege"
                     << ": " << ::GetLastError();
    }
    EXPECT_EQ(::GetLastError(), 0u);
    EXPECT_TRUE(PrivilegeEnabled(name));
    EXPECT_TRUE(SetPrivilege(SystemTimeZoneApi(), name, false));
    EXPECT_FALSE(PrivilegeEnabled(name));
}

TEST(ActivationOnWine, SetPrivilegeOfAnUnknownNameFailsWithTheLookupCode) {
    EXPECT_FALSE(SetPrivilege(SystemTimeZoneApi(), L"SeNoSuchPrivilege", true));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_PRIVILEGE));
}

} // namespace
} // namespace tarvane::test
