// What the tests on real Win32 (under Wine) share: running a program, reading
// what a command prints (reg.exe as the independent reader of the registry),
// paths in the temporary folder and the local time.
#pragma once

#include "platform/win_types.h"

#include <string>
#include <vector>

namespace tarvane::test {

// Runs `commandLine` without a window and waits up to `timeoutMs` for it to
// end; its exit code, or -1 when it could not be started.
int RunToEnd(const std::wstring& commandLine, DWORD timeoutMs = 60000);

// What `commandLine` prints, as text (line ends as "\n").
std::string CommandOutput(const std::wstring& commandLine);
// The same, a string a line, without the line ends.
std::vector<std::string> CommandOutputLines(const std::wstring& commandLine);

// `name` in the user's temporary folder.
std::wstring TempPath(const std::wstring& name);

// The local time now.
SYSTEMTIME LocalNow();

} // namespace tarvane::test
