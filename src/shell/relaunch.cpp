#include "shell/relaunch.h"

#include "platform/diagnostic_log.h"
#include "platform/last_error.h"
#include "shell/tarvane_app.h"
#include "win/scoped_handle.h"

#include <objbase.h>
#include <shellapi.h>

namespace tarvane::shell {
namespace {

constexpr DWORD kPollMs = 10;
constexpr DWORD kExitCodeUnreadable = 0xDEAD;
constexpr DWORD kErrorCancelled = 1223;
constexpr DWORD kErrorProcessEndedEarly = 1226;

std::wstring OwnPath() {
    wchar_t path[521] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, 520);
    return std::wstring(path, length);
}

// Waits until the copy signals `ready`, ends, or this instance's main window
// is cancelled, keeping this window answering meanwhile.
RelaunchOutcome WaitForTheCopy(const HandshakeCalls& calls, HANDLE process, HANDLE ready,
                               const std::wstring& path, const std::wstring& parameters, DWORD* error) {
    for (;;) {
        const DWORD signalled = calls.waitForSingleObject(ready, kPollMs);
        if (signalled == WAIT_OBJECT_0) {
            return RelaunchOutcome::kRunning;
        }
        if (signalled != WAIT_TIMEOUT) {
            *error = ::GetLastError();
            LogMessage(L"[199] r=%d, path=\"%s\", cmd=\"%s\"", signalled, path, parameters);
            return RelaunchOutcome::kFailed;
        }
        const DWORD ended = calls.waitForSingleObject(process, 0);
        if (ended == WAIT_OBJECT_0) {
            DWORD exitCode = static_cast<DWORD>(-1);
            if (!calls.getExitCodeProcess(process, &exitCode)) {
                exitCode = kExitCodeUnreadable;
                LogMessage(L"[212] r=%d, path=\"%s\", cmd=\"%s\"", 0, path, parameters);
            }
            *error = exitCode != 0 ? exitCode : kErrorProcessEndedEarly;
            SetThreadLastError(*error);
            LogMessage(L"[213] exitCode=%d, path=\"%s\", cmd=\"%s\"", exitCode, path, parameters);
            return RelaunchOutcome::kFailed;
        }
        if (ended != WAIT_TIMEOUT) {
            *error = ::GetLastError();
            LogMessage(L"[211] r=%d, path=\"%s\", cmd=\"%s\"", ended, path, parameters);
            return RelaunchOutcome::kFailed;
        }
        const DWORD quit = calls.waitForSingleObject(TheApp().quitEvent.Get(), 0);
        if (quit == WAIT_OBJECT_0) {
            return RelaunchOutcome::kCancelled;
        }
        if (quit != WAIT_TIMEOUT) {
            *error = ::GetLastError();
            LogMessage(L"[200] r=%d, path=\"%s\", cmd=\"%s\"", quit, path, parameters);
            return RelaunchOutcome::kFailed;
        }
        // Keep this window answering while the copy starts.
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

} // namespace

HandshakeCalls& TheHandshakeCalls() {
    static HandshakeCalls calls;
    return calls;
}

RelaunchOutcome RelaunchElevated(const std::wstring& parameters) {
    const HandshakeCalls& calls = TheHandshakeCalls();
    RelaunchOutcome result = RelaunchOutcome::kFailed;
    DWORD error = 0;
    const std::wstring path = OwnPath();
    {
        // Freed in the reverse order of their making, before the outcome's
        // code is left in the last-error slot.
        const win::ComScope com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

        SHELLEXECUTEINFOW execute{};
        execute.cbSize = sizeof execute;
        execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_UNICODE;
        execute.hwnd = nullptr;
        execute.lpVerb = L"runas";
        execute.lpFile = path.c_str();
        execute.lpParameters = parameters.c_str();
        execute.nShow = SW_SHOW;
        if (!calls.shellExecuteEx(&execute)) {
            error = ::GetLastError();
            if (error == kErrorCancelled) {
                result = RelaunchOutcome::kDeclined;
            } else {
                LogMessage(L"[197] hwnd=0x%p, path=\"%s\", param=\"%s\"", static_cast<const void*>(nullptr),
                           path, parameters);
            }
        } else if (execute.hProcess == nullptr) {
            error = ERROR_INVALID_HANDLE;
        } else {
            const win::ScopedHandle process(execute.hProcess);
            const DWORD processId = calls.getProcessId(process.Get());
            win::ScopedLocal descriptor;
            if (processId == 0) {
                error = ::GetLastError();
                LogMessage(L"[208] path=\"%s\", cmd=\"%s\"", path, parameters);
            } else if (descriptor.Reset(calls.buildOpenSecurityDescriptor()); !descriptor.Valid()) {
                error = ::GetLastError();
                LogMessage(L"[209] path=\"%s\", cmd=\"%s\"", path, parameters);
            } else if (const win::ScopedHandle ready(calls.createReadyEvent(processId, descriptor.Get()));
                       !ready.Valid()) {
                error = ::GetLastError();
                LogMessage(L"[210] PID=%u, path=\"%s\", cmd=\"%s\"", processId, path, parameters);
            } else {
                result = WaitForTheCopy(calls, process.Get(), ready.Get(), path, parameters, &error);
            }
        }
    }
    SetThreadLastError(error);
    return result;
}

RelaunchOutcome RelaunchAndClose(const std::wstring& parameters, HWND window) {
    const RelaunchOutcome result = RelaunchElevated(parameters);
    if (result == RelaunchOutcome::kRunning) {
        if (!TheHandshakeCalls().postMessage(window, WM_CLOSE, 0, 0)) {
            LogMessage(L"[207] cmd=\"%s\"", parameters);
        }
    } else if (result == RelaunchOutcome::kFailed) {
        LogMessage(L"[201] r=%d, cmd=\"%s\"", static_cast<int>(result), parameters);
    }
    return result;
}

} // namespace tarvane::shell
