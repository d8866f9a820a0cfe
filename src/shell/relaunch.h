// The elevated relaunch: a command that writes the machine-wide database and
// finds no write access starts an elevated copy of the program with a command
// line that names the work, waits until the copy reports that it runs, and
// closes this window.
#pragma once

#include "backup/host.h"
#include "platform/win_types.h"
#include "shell/tarvane_app.h"

#include <shellapi.h>

#include <string>

namespace tarvane::shell {

// The system calls of the hand-shake between this instance and its elevated
// copy (here and in the application object), replaceable so that tests can
// make each of them fail. A default set is the system's own.
struct HandshakeCalls {
    BOOL(WINAPI* shellExecuteEx)(SHELLEXECUTEINFOW* info) = ::ShellExecuteExW;
    DWORD(WINAPI* getProcessId)(HANDLE process) = ::GetProcessId;
    PSECURITY_DESCRIPTOR (*buildOpenSecurityDescriptor)() = BuildOpenSecurityDescriptor;
    HANDLE (*createReadyEvent)(DWORD processId, PSECURITY_DESCRIPTOR descriptor) = CreateReadyEvent;
    DWORD(WINAPI* waitForSingleObject)(HANDLE handle, DWORD milliseconds) = ::WaitForSingleObject;
    BOOL(WINAPI* getExitCodeProcess)(HANDLE process, DWORD* code) = ::GetExitCodeProcess;
    BOOL(WINAPI* setEvent)(HANDLE event) = ::SetEvent;
    BOOL(WINAPI* postMessage)(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = ::PostMessageW;
};

// The calls in use. A test replaces members and puts the old set back.
HandshakeCalls& TheHandshakeCalls();

// The last error holds the outcome's code.
RelaunchOutcome RelaunchElevated(const std::wstring& parameters);

// RelaunchElevated, then, when the copy runs, WM_CLOSE posted to `window`; a
// failure is logged with the outcome.
RelaunchOutcome RelaunchAndClose(const std::wstring& parameters, HWND window);

} // namespace tarvane::shell
