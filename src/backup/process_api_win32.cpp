#include "backup/process_api.h"

#include <vector>

namespace tarvane {
namespace {

constexpr DWORD kEndWaitMs = 5000;

class Win32Processes : public ProcessApi {
public:
    std::wstring SystemDirectory() override {
        wchar_t buffer[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
        buffer[MAX_PATH - 1] = 0;
        return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(buffer);
    }
    bool Start(const std::wstring& commandLine, ProcessHandles* handles) override {
        *handles = ProcessHandles{};
        // CreateProcessW may write into the command line.
        std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
        line.push_back(0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                              CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup,
                              &info)) {
            return false;
        }
        handles->process = reinterpret_cast<std::uintptr_t>(info.hProcess);
        handles->thread = reinterpret_cast<std::uintptr_t>(info.hThread);
        return true;
    }
    DWORD Wait(const ProcessHandles& handles, DWORD milliseconds) override {
        return ::WaitForSingleObject(reinterpret_cast<HANDLE>(handles.process), milliseconds);
    }
    bool ExitCode(const ProcessHandles& handles, DWORD* code) override {
        return ::GetExitCodeProcess(reinterpret_cast<HANDLE>(handles.process), code) != FALSE;
    }
    bool Terminate(const ProcessHandles& handles) override {
        const auto process = reinterpret_cast<HANDLE>(handles.process);
        if (!::TerminateProcess(process, WAIT_TIMEOUT)) {
            return false;
        }
        // Ending is asynchronous: the process holds its files until it is gone.
        const DWORD ended = ::WaitForSingleObject(process, kEndWaitMs);
        if (ended == WAIT_TIMEOUT) {
            ::SetLastError(WAIT_TIMEOUT);
        }
        return ended == WAIT_OBJECT_0;
    }
    void Close(const ProcessHandles& handles) override {
        if (handles.thread != 0) {
            ::CloseHandle(reinterpret_cast<HANDLE>(handles.thread));
        }
        if (handles.process != 0) {
            ::CloseHandle(reinterpret_cast<HANDLE>(handles.process));
        }
    }
};

} // namespace

ProcessApi& SystemProcesses() {
    static Win32Processes processes;
    return processes;
}

} // namespace tarvane
