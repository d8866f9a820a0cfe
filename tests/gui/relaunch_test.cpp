// The relaunch's failure paths, with this test program as the "copy": it is
// started through the same "runas" verb but never signals a ready event.
#include "log_capture.h"
#include "platform/last_error.h"
#include "ui/relaunch.h"
#include "ui/tarvane_app.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

TEST(ElevatedRelaunch, ACopyThatEndsBeforeSignallingIsReportedWithItsExitCode) {
    LogCapture capture;
    // The copy runs no test and exits with 0 before it could signal.
    const int result = ui::RelaunchElevated(L"--gtest_filter=NoSuchTest.NoSuchCase");
    EXPECT_EQ(result, -1);
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
    EXPECT_EQ(ui::RelaunchAndClose(L"--gtest_filter=NoSuchTest.NoSuchCase", window), 0);
    EXPECT_TRUE(capture.Has(L"[201] r=-1, cmd=\"--gtest_filter=NoSuchTest.NoSuchCase\"")) << capture.Dump();
    MSG message{};
    EXPECT_FALSE(::PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) << "no WM_CLOSE was posted";
    ::DestroyWindow(window);
}

TEST(ElevatedRelaunch, CancellingTheMainWindowEndsTheWait) {
    // With the quit event already signalled the wait ends at its first pass.
    ASSERT_TRUE(::SetEvent(ui::TheApp().quitEvent));
    const int result = ui::RelaunchElevated(L"--gtest_filter=NoSuchTest.NoSuchCase");
    ::ResetEvent(ui::TheApp().quitEvent);
    EXPECT_EQ(result, -2);
}

} // namespace
} // namespace tarvane::test
