// The console program's command line: commands, options, help texts and
// exit codes. Pure: the arguments go in, the options or a usage error come
// out.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarvane::console {

// Exit codes, as the help and the README list them: management tools read a
// check's 1 as "fix me" and everything from 2 on as a failed run.
enum ConsoleExit : int {
    kExitOk = 0,             // everything holds, or the write is done
    kExitDiffers = 1,        // the check found zones that differ
    kExitUsage = 2,          // the command line is wrong
    kExitFailed = 3,         // a registry, file or system call failed
    kExitNotAdmin = 4,       // a write without administrator rights
    kExitRefused = 5,        // a file, zone or IANA name given was refused
    kExitNotExpressible = 6, // a fill left zones whose years the registry cannot express
    kExitNotCurrent = 7,     // written, but the current zone could not be made current again
};

enum class ConsoleCommand { kHelp, kList, kCheck, kFill, kExport, kBackup, kRestore };

struct YearRange {
    int first = 0;
    int last = 0;
    bool operator==(const YearRange&) const = default;
};

struct ConsoleOptions {
    ConsoleCommand command = ConsoleCommand::kHelp;
    // For help: the command it is about (kHelp: the whole program).
    ConsoleCommand helpTopic = ConsoleCommand::kHelp;
    bool json = false;
    std::wstring region; // "CA" or "001"; empty: the machine's
    bool allRegions = false;
    std::optional<YearRange> years;
    std::wstring tzdataPath;
    std::wstring zoneKey; // fill, export
    bool stale = false;   // fill
    std::wstring tzName;  // fill --tz
    bool dryRun = false;  // fill
    std::wstring file;    // export, backup, restore
    bool yes = false;     // restore
    bool operator==(const ConsoleOptions&) const = default;
};

struct ParsedArguments {
    std::optional<ConsoleOptions> options;
    std::wstring usageError; // when there are no options: what is wrong, one line
};

// The arguments after the program's name.
ParsedArguments ParseConsoleArguments(const std::vector<std::wstring>& arguments);

// The command's name as typed ("check"); "help" for kHelp.
const wchar_t* CommandName(ConsoleCommand command);

// `tarvanec help` (kHelp) or `tarvanec <command> --help`.
std::wstring HelpText(ConsoleCommand topic);

// The years the tz commands cover unless told: this year and the five after it.
YearRange DefaultYears(int thisYear);

} // namespace tarvane::console
