// The process seam of the restore: the calls that run the registry import
// tool and wait for it, with the Windows error code of a failure in the
// thread's last-error slot.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <string>

namespace tarvane {

struct ProcessHandles {
    std::uintptr_t process = 0;
    std::uintptr_t thread = 0;
};

class ProcessApi {
public:
    virtual ~ProcessApi() = default;
    // GetSystemDirectoryW into a buffer of 260 characters; empty on failure.
    virtual std::wstring SystemDirectory() = 0;
    // CreateProcessW with `commandLine` and no application name, no inherited
    // handles, CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, the parent's
    // environment and folder. False on failure; a success may still hand
    // back no process handle.
    virtual bool Start(const std::wstring& commandLine, ProcessHandles* handles) = 0;
    // WaitForSingleObject on the process: WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
    virtual DWORD Wait(const ProcessHandles& handles, DWORD milliseconds) = 0;
    // GetExitCodeProcess.
    virtual bool ExitCode(const ProcessHandles& handles, DWORD* code) = 0;
    // TerminateProcess with exit code 258 (WAIT_TIMEOUT), then a wait of up to
    // 5 seconds for the process to end: false when it did not end.
    virtual bool Terminate(const ProcessHandles& handles) = 0;
    // Closes whichever of the two handles is open.
    virtual void Close(const ProcessHandles& handles) = 0;
};

#ifdef _WIN32
// The system's processes.
ProcessApi& SystemProcesses();
#endif

} // namespace tarvane
