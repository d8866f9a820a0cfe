#include "win32/win32_helpers.h"

#include <cstdio>

namespace tarvane::test {

int RunToEnd(const std::wstring& commandLine, DWORD timeoutMs) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info)) {
        return -1;
    }
    ::WaitForSingleObject(info.hProcess, timeoutMs);
    DWORD code = static_cast<DWORD>(-1);
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

std::string CommandOutput(const std::wstring& commandLine) {
    std::string output;
    if (FILE* pipe = _wpopen(commandLine.c_str(), L"rt")) {
        char line[4096];
        while (std::fgets(line, sizeof line, pipe) != nullptr) {
            output += line;
        }
        _pclose(pipe);
    }
    return output;
}

std::vector<std::string> CommandOutputLines(const std::wstring& commandLine) {
    std::vector<std::string> lines;
    const std::string output = CommandOutput(commandLine);
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) {
            end = output.size();
        }
        std::string text = output.substr(start, end - start);
        while (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        lines.push_back(text);
        start = end + 1;
    }
    return lines;
}

std::wstring TempPath(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

SYSTEMTIME LocalNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now;
}

} // namespace tarvane::test
