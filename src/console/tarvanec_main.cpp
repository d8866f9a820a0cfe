// tarvanec: the console program. Reads its arguments, runs one command and
// prints its report: to the console as UTF-16, to a pipe or file as UTF-8.
// It never shows a window or a message box, and asks nothing.
#include "backup/file_api.h"
#include "backup/process_api.h"
#include "console/console_commands.h"
#include "platform/clock_api.h"
#include "platform/diagnostic_log.h"
#include "platform/environment.h"
#include "platform/dll_search.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "tzdb/tz_table_resource.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

using namespace tarvane;

// First thing, before anything loads a library by name: it runs as SYSTEM
// from whatever folder a management tool copied it to.
[[maybe_unused]] const bool systemFolderOnly = LoadLibrariesFromSystemFolderOnly();

// A path of the command line made whole against the current folder, so that
// messages, the log and the registry import tool all name the same file.
std::wstring FullPath(const std::wstring& path) {
    if (path.empty()) {
        return path;
    }
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return path;
    }
    full.resize(length);
    return full;
}

void Write(DWORD which, const std::wstring& text) {
    if (text.empty()) {
        return;
    }
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    DWORD done = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(text);
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

} // namespace

int wmain() {
    using namespace tarvane::console;
    // No dialog of the system's either: a missing disk or a crash ends the
    // run with its exit code instead of waiting for somebody to click.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    TheLog();

    std::vector<std::wstring> arguments = ProcessArguments();
    arguments.erase(arguments.begin(), arguments.begin() + (arguments.empty() ? 0 : 1));
    const ParsedArguments parsed = ParseConsoleArguments(arguments);
    if (!parsed.options) {
        std::wstring line;
        for (const std::wstring& argument : arguments) {
            line += (line.empty() ? L"" : L" ") + argument;
        }
        LogMessage(L"[390] args=\"%s\"", line);
        ConsoleReport report;
        report.exitCode = kExitUsage;
        report.error = L"tarvanec: " + parsed.usageError;
        report.summary = report.error;
        Write(STD_OUTPUT_HANDLE, StdoutText(report, false));
        Write(STD_ERROR_HANDLE, StderrText(report));
        return report.exitCode;
    }
    ConsoleOptions options = *parsed.options;
    options.file = FullPath(options.file);
    options.tzdataPath = FullPath(options.tzdataPath);

    ConsoleHost host{SystemRegistry(),  SystemTimeZoneApi(), SystemFiles(),
                     SystemProcesses(), ReadSystemFacts(),   SystemClock().LocalNow().wYear,
                     &ReadUserRegion,   &ProgramTzTable};
    const ConsoleReport report = RunConsoleCommand(options, host);
    Write(STD_OUTPUT_HANDLE, StdoutText(report, options.json));
    Write(STD_ERROR_HANDLE, StderrText(report));
    return report.exitCode;
}
