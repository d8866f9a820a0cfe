// The relaunch's failure paths: every system call of the hand-shake made to
// fail through its seam, and with this test program as the "copy", started
// through the same "runas" verb but never signalling a ready event.
#include "log_capture.h"
#include "platform/last_error.h"
#include "shell/relaunch.h"
#include "shell/tarvane_app.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <tuple>

namespace tarvane::test {
namespace {

// The hand-shake's system calls for the table below: a copy that starts (a
// handle the relaunch may wait on and close), waits that answer in turn from
// `scriptedWaits`, and calls that fail with a fixed code.
std::deque<std::pair<DWORD, DWORD>> scriptedWaits; // result, and the error a failed wait leaves

BOOL WINAPI StartedCopy(SHELLEXECUTEINFOW* info) {
    info->hProcess = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return TRUE;
}
DWORD WINAPI CopyProcessId(HANDLE) {
    return 4242;
}
DWORD WINAPI ScriptedWait(HANDLE, DWORD) {
    // Past the script a wait fails, so a wrong script ends the relaunch instead of hanging it.
    auto [result, error] = std::make_pair(DWORD{WAIT_FAILED}, DWORD{1});
    if (!scriptedWaits.empty()) {
        std::tie(result, error) = scriptedWaits.front();
        scriptedWaits.pop_front();
    }
    ::SetLastError(error);
    return result;
}
BOOL WINAPI RefusedStart(SHELLEXECUTEINFOW*) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}
BOOL WINAPI DeclinedStart(SHELLEXECUTEINFOW*) {
    ::SetLastError(1223); // ERROR_CANCELLED: the user said no
    return FALSE;
}
PSECURITY_DESCRIPTOR NoDescriptor() {
    ::SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return nullptr;
}
HANDLE NoReadyEvent(DWORD, PSECURITY_DESCRIPTOR) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}
BOOL WINAPI NoExitCode(HANDLE, DWORD*) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL WINAPI NoSignal(HANDLE) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL WINAPI NoPost(HWND, UINT, WPARAM, LPARAM) {
    ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
}

std::wstring OwnPath() {
    wchar_t path[521] = {};
    return std::wstring(path, ::GetModuleFileNameW(nullptr, path, 520));
}

TEST(ElevatedRelaunch, EveryFailureOfTheHandShakeIsLoggedWithItsCode) {
    using Calls = shell::HandshakeCalls;
    const std::wstring where = L"path=\"" + OwnPath() + L"\", cmd=\"p\"";
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    constexpr DWORD kFailed = WAIT_FAILED;
    enum class Run { Relaunch, RelaunchAndClose, BuildApp };
    struct Case {
        const char* what;
        std::function<void(Calls&)> fake;
        std::deque<std::pair<DWORD, DWORD>> waits;
        Run run;
        int result;
        std::vector<std::wstring> lines;
        std::vector<LONG> errors;   // each line's code
        std::optional<DWORD> error; // the code the caller is left
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"copy not started", [](Calls& c) { c.shellExecuteEx = RefusedStart; }, {}, Run::Relaunch, -1,
         {L"[197] hwnd=0x0000000000000000, path=\"" + OwnPath() + L"\", param=\"p\""}, {2}, 2},
        {"elevation declined", [](Calls& c) { c.shellExecuteEx = DeclinedStart; }, {}, Run::Relaunch, 0,
         {}, {}, 1223},
        {"no descriptor", [](Calls& c) { c.buildOpenSecurityDescriptor = NoDescriptor; }, {}, Run::Relaunch,
         -1, {L"[209] " + where}, {1338}, 1338},
        {"no ready event", [](Calls& c) { c.createReadyEvent = NoReadyEvent; }, {}, Run::Relaunch, -1,
         {L"[210] PID=4242, " + where}, {5}, 5},
        {"wait for the ready event fails", [](Calls&) {}, {{kFailed, 6}}, Run::Relaunch, -1,
         {L"[199] r=-1, " + where}, {6}, 6},
        {"wait for the copy fails", [](Calls&) {}, {{WAIT_TIMEOUT, 0}, {kFailed, 6}}, Run::Relaunch, -1,
         {L"[211] r=-1, " + where}, {6}, 6},
        {"ended copy's exit code unreadable", [](Calls& c) { c.getExitCodeProcess = NoExitCode; },
         {{WAIT_TIMEOUT, 0}, {WAIT_OBJECT_0, 0}}, Run::Relaunch, -1,
         {L"[212] r=0, " + where, L"[213] exitCode=57005, " + where}, {6, 57005}, 57005},
        {"wait for the quit event fails", [](Calls&) {}, {{WAIT_TIMEOUT, 0}, {WAIT_TIMEOUT, 0}, {kFailed, 6}},
         Run::Relaunch, -1, {L"[200] r=-1, " + where}, {6}, 6},
        {"window cannot be told to close", [](Calls& c) { c.postMessage = NoPost; }, {{WAIT_OBJECT_0, 0}},
         Run::RelaunchAndClose, 1, {L"[207] cmd=\"p\""}, {1400}, 1400},
        {"application object without a descriptor",
         [](Calls& c) { c.buildOpenSecurityDescriptor = NoDescriptor; }, {}, Run::BuildApp, 0, {L"[214]"},
         {1338}, std::nullopt},
        {"application object without a ready event", [](Calls& c) { c.createReadyEvent = NoReadyEvent; }, {},
         Run::BuildApp, 0, {L"[215] pid=" + pid}, {5}, std::nullopt},
        {"application object cannot signal", [](Calls& c) { c.setEvent = NoSignal; }, {}, Run::BuildApp, 0,
         {L"[216] pid=" + pid}, {6}, std::nullopt},
    };
    // clang-format on
    shell::TheApp(); // the process's own, built before any call is replaced
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Calls& calls = shell::TheHandshakeCalls();
        const Calls system = calls;
        calls.shellExecuteEx = StartedCopy;
        calls.getProcessId = CopyProcessId;
        calls.waitForSingleObject = ScriptedWait;
        scriptedWaits = c.waits;
        c.fake(calls);
        LogCapture capture;
        int result = 0;
        if (c.run == Run::BuildApp) {
            shell::CTarvaneApp second; // makes and signals this process's ready event again
        } else {
            result = c.run == Run::Relaunch ? static_cast<int>(shell::RelaunchElevated(L"p"))
                                            : static_cast<int>(shell::RelaunchAndClose(L"p", nullptr));
        }
        const DWORD error = GetThreadLastError();
        calls = system;
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(capture.Messages(), c.lines) << capture.Dump();
        EXPECT_EQ(capture.LastErrors(), c.errors);
        if (c.error) {
            EXPECT_EQ(error, *c.error);
        }
    }
}

TEST(ElevatedRelaunch, ACopyThatEndsBeforeSignallingIsReportedWithItsExitCode) {
    LogCapture capture;
    // The copy runs no test and exits with 0 before it could signal.
    const RelaunchOutcome result = shell::RelaunchElevated(L"--gtest_filter=NoSuchTest.NoSuchCase");
    EXPECT_EQ(result, RelaunchOutcome::kFailed);
    EXPECT_EQ(GetThreadLastError(), 1226u) << "exit code 0 reads as 'process ended early'";
    bool found = false;
    for (const auto& message : capture.Messages()) {
        found = found || message.rfind(L"[213] exitCode=0, path=\"", 0) == 0;
    }
    EXPECT_TRUE(found) << capture.Dump();
}

TEST(ElevatedRelaunch, RelaunchAndCloseLeavesTheWindowOpenAndLogsTheFailure) {
    LogCapture capture;
    HWND window =
        ::CreateWindowExW(0, L"STATIC", L"parent", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(shell::RelaunchAndClose(L"--gtest_filter=NoSuchTest.NoSuchCase", window),
              RelaunchOutcome::kFailed);
    EXPECT_TRUE(capture.Has(L"[201] r=-1, cmd=\"--gtest_filter=NoSuchTest.NoSuchCase\"")) << capture.Dump();
    MSG message{};
    EXPECT_FALSE(::PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) << "no WM_CLOSE was posted";
    ::DestroyWindow(window);
}

TEST(ElevatedRelaunch, CancellingTheMainWindowEndsTheWait) {
    // With the quit event already signalled the wait ends at its first pass.
    ASSERT_TRUE(::SetEvent(shell::TheApp().quitEvent.Get()));
    const RelaunchOutcome result = shell::RelaunchElevated(L"--gtest_filter=NoSuchTest.NoSuchCase");
    ::ResetEvent(shell::TheApp().quitEvent.Get());
    EXPECT_EQ(result, RelaunchOutcome::kCancelled);
}

} // namespace
} // namespace tarvane::test
