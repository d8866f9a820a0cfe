#include "console/console_options.h"

#include "platform/format.h"
#include "tzdb/tz_check.h"
#include "tzdb/tz_fill.h"

#include <array>
#include <cwctype>

namespace tarvane::console {
namespace {

// What a command takes: its options, and how many plain arguments.
enum Option : unsigned {
    kJson = 1u << 0,
    kRegion = 1u << 1,
    kAllRegions = 1u << 2,
    kYears = 1u << 3,
    kTzdata = 1u << 4,
    kStale = 1u << 5,
    kTz = 1u << 6,
    kDryRun = 1u << 7,
    kYes = 1u << 8,
};

struct OptionName {
    Option option;
    const wchar_t* name;
    bool takesValue;
};

constexpr std::array<OptionName, 9> kOptionNames = {{
    {kJson, L"--json", false},
    {kRegion, L"--region", true},
    {kAllRegions, L"--all-regions", false},
    {kYears, L"--years", true},
    {kTzdata, L"--tzdata", true},
    {kStale, L"--stale", false},
    {kTz, L"--tz", true},
    {kDryRun, L"--dry-run", false},
    {kYes, L"--yes", false},
}};

struct CommandSpec {
    ConsoleCommand command;
    const wchar_t* name;
    unsigned options;
    std::size_t minArguments;
    std::size_t maxArguments;
    const wchar_t* synopsis;
};

constexpr std::array<CommandSpec, 7> kCommands = {{
    {ConsoleCommand::kHelp, L"help", 0, 0, 1, L"tarvanec help [COMMAND]"},
    {ConsoleCommand::kList, L"list", kJson, 0, 0, L"tarvanec list [--json]"},
    {ConsoleCommand::kCheck, L"check", kJson | kRegion | kAllRegions | kYears | kTzdata, 0, 0,
     L"tarvanec check [--region CC] [--all-regions] [--years A-B] [--tzdata PATH] [--json]"},
    {ConsoleCommand::kFill, L"fill", kRegion | kYears | kTzdata | kStale | kTz | kDryRun, 0, 1,
     L"tarvanec fill ZONEKEY|--stale [--tz IANA] [--region CC] [--years A-B] [--tzdata PATH] [--dry-run]"},
    {ConsoleCommand::kExport, L"export", 0, 2, 2, L"tarvanec export ZONEKEY FILE"},
    {ConsoleCommand::kBackup, L"backup", 0, 1, 1, L"tarvanec backup FILE"},
    {ConsoleCommand::kRestore, L"restore", kYes, 1, 1, L"tarvanec restore FILE --yes"},
}};

const CommandSpec* FindCommand(std::wstring_view name) {
    for (const CommandSpec& spec : kCommands) {
        if (name == spec.name) {
            return &spec;
        }
    }
    return nullptr;
}

const CommandSpec& SpecOf(ConsoleCommand command) {
    for (const CommandSpec& spec : kCommands) {
        if (spec.command == command) {
            return spec;
        }
    }
    return kCommands[0];
}

bool IsHelpSwitch(std::wstring_view argument) {
    return argument == L"--help" || argument == L"-h" || argument == L"/?" || argument == L"-?";
}

std::optional<int> ReadYear(std::wstring_view text) {
    if (text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    int year = 0;
    for (wchar_t ch : text) {
        if (ch < L'0' || ch > L'9') {
            return std::nullopt;
        }
        year = year * 10 + (ch - L'0');
    }
    return year;
}

// "2027" or "2026-2031", within the tz table's years.
std::optional<YearRange> ReadYears(std::wstring_view text) {
    const std::size_t dash = text.find(L'-');
    const auto first = ReadYear(text.substr(0, dash));
    const auto last = dash == std::wstring_view::npos ? first : ReadYear(text.substr(dash + 1));
    if (!first || !last || *first < kFirstTzYear || *last > kLastTzYear || *first > *last) {
        return std::nullopt;
    }
    return YearRange{*first, *last};
}

// An ISO 3166 code in either case, or CLDR's "001".
std::optional<std::wstring> ReadRegion(std::wstring_view text) {
    if (text == kWorldTerritory) {
        return std::wstring(text);
    }
    if (text.size() != 2) {
        return std::nullopt;
    }
    std::wstring code;
    for (wchar_t ch : text) {
        const wchar_t upper = static_cast<wchar_t>(std::towupper(ch));
        if (upper < L'A' || upper > L'Z') {
            return std::nullopt;
        }
        code.push_back(upper);
    }
    return code;
}

ParsedArguments Usage(const std::wstring& text) {
    return ParsedArguments{std::nullopt, text};
}

ParsedArguments Help(ConsoleCommand topic) {
    ConsoleOptions options;
    options.helpTopic = topic;
    return ParsedArguments{options, {}};
}

} // namespace

const wchar_t* CommandName(ConsoleCommand command) {
    return SpecOf(command).name;
}

YearRange DefaultYears(int thisYear) {
    return YearRange{thisYear, thisYear + kCheckedYears - 1};
}

ParsedArguments ParseConsoleArguments(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) {
        return Usage(L"no command given; \"tarvanec help\" lists the commands");
    }
    if (IsHelpSwitch(arguments[0])) {
        return Help(ConsoleCommand::kHelp);
    }
    const CommandSpec* spec = FindCommand(arguments[0]);
    if (spec == nullptr) {
        return Usage(Format(L"unknown command \"%s\"; \"tarvanec help\" lists the commands", arguments[0]));
    }
    ConsoleOptions options;
    options.command = spec->command;
    std::vector<std::wstring> plain;
    unsigned seen = 0;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (IsHelpSwitch(argument)) {
            return Help(spec->command);
        }
        if (argument.size() < 2 || argument.compare(0, 2, L"--") != 0 || argument == L"--") {
            plain.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find(L'=');
        const std::wstring name = argument.substr(0, equals);
        const OptionName* known = nullptr;
        for (const OptionName& option : kOptionNames) {
            if (name == option.name) {
                known = &option;
            }
        }
        if (known == nullptr || (spec->options & known->option) == 0) {
            return Usage(Format(L"%s takes no option \"%s\"; \"tarvanec %s --help\" says what it takes",
                                spec->name, name, spec->name));
        }
        if ((seen & known->option) != 0) {
            return Usage(Format(L"%s is given twice", name));
        }
        seen |= known->option;
        std::wstring value;
        if (known->takesValue) {
            if (equals != std::wstring::npos) {
                value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            }
            if (value.empty()) {
                return Usage(Format(L"%s needs a value", name));
            }
        } else if (equals != std::wstring::npos) {
            return Usage(Format(L"%s takes no value", name));
        }
        switch (known->option) {
        case kJson:
            options.json = true;
            break;
        case kRegion:
            if (const auto region = ReadRegion(value)) {
                options.region = *region;
            } else {
                return Usage(
                    Format(L"--region \"%s\" is no region code: give two letters (CA) or 001", value));
            }
            break;
        case kAllRegions:
            options.allRegions = true;
            break;
        case kYears:
            options.years = ReadYears(value);
            if (!options.years) {
                return Usage(
                    Format(L"--years \"%s\" is no range of years: give A-B or one year, within %d-%d", value,
                           kFirstTzYear, kLastTzYear));
            }
            break;
        case kTzdata:
            options.tzdataPath = value;
            break;
        case kStale:
            options.stale = true;
            break;
        case kTz:
            options.tzName = value;
            break;
        case kDryRun:
            options.dryRun = true;
            break;
        case kYes:
            options.yes = true;
            break;
        }
    }
    if (spec->command == ConsoleCommand::kHelp) {
        if (plain.empty()) {
            return Help(ConsoleCommand::kHelp);
        }
        const CommandSpec* topic = FindCommand(plain[0]);
        if (topic == nullptr) {
            return Usage(Format(L"unknown command \"%s\"; \"tarvanec help\" lists the commands", plain[0]));
        }
        return Help(topic->command);
    }
    if (spec->command == ConsoleCommand::kFill) {
        // One zone by its key, or every stale one: exactly one of the two.
        if (options.stale == !plain.empty()) {
            return Usage(L"fill takes a zone key or --stale, one of the two");
        }
        if (options.stale && !options.tzName.empty()) {
            return Usage(L"--tz names the IANA zone of one zone: it goes with a zone key, not with --stale");
        }
    } else if (plain.size() < spec->minArguments || plain.size() > spec->maxArguments) {
        return Usage(Format(L"usage: %s", spec->synopsis));
    }
    switch (spec->command) {
    case ConsoleCommand::kFill:
        if (!plain.empty()) {
            options.zoneKey = plain[0];
        }
        break;
    case ConsoleCommand::kExport:
        options.zoneKey = plain[0];
        options.file = plain[1];
        break;
    case ConsoleCommand::kBackup:
    case ConsoleCommand::kRestore:
        options.file = plain[0];
        break;
    default:
        break;
    }
    if (spec->command == ConsoleCommand::kRestore && !options.yes) {
        // A restore replaces the whole database and nobody is asked: the
        // caller says so on the command line.
        return Usage(L"restore replaces the time-zone database and asks nothing: add --yes to go ahead");
    }
    return ParsedArguments{options, {}};
}

std::wstring HelpText(ConsoleCommand topic) {
    static const wchar_t kExitCodes[] =
        L"Exit codes:\n"
        L"  0  everything holds (check), or the write is done\n"
        L"  1  check: zones differ from the tz database\n"
        L"  2  usage error (also: restore without --yes)\n"
        L"  3  a registry, file or system call failed\n"
        L"  4  a write without administrator rights (run elevated or as SYSTEM)\n"
        L"  5  a file, zone key or IANA zone given was refused (missing, damaged, unknown),\n"
        L"     or fill: a zone Save Changes would refuse to save (an empty name, say)\n"
        L"  6  fill: zones left as they are, their years cannot be expressed in the registry\n"
        L"  7  written, but the current zone could not be made current again\n"
        L"\n"
        L"The last line of output is a summary of under 2,048 characters; --json prints one JSON\n"
        L"document instead. Nothing is written to stderr unless the command failed (exit code 2\n"
        L"or more), and nothing is ever asked. Failures are logged to the Application event log\n"
        L"(source Tarvane).\n";
    switch (topic) {
    case ConsoleCommand::kList:
        return L"tarvanec list [--json]\n\n"
               L"Every zone of the registry in the window's order: key, display name, standard and\n"
               L"daylight offsets, dynamic years; * marks the machine's current zone.\n\n"
               L"  --json   one JSON document\n\n" +
               std::wstring(kExitCodes);
    case ConsoleCommand::kCheck:
        return L"tarvanec check [--region CC] [--all-regions] [--years A-B] [--tzdata PATH] [--json]\n\n"
               L"Check Against tz Database, as the window does it: each zone beside the IANA zone that\n"
               L"CLDR maps it to in the region, year by year, with the rules as Windows applies them.\n"
               L"Exit code 1 when a zone differs: a detection script as it stands.\n\n"
               L"  --region CC     the ISO 3166 region (CA) or 001; else the machine's Country or Region\n"
               L"  --all-regions   also every other region's zones of each key count\n"
               L"  --years A-B     the years checked (else this year and the five after it)\n"
               L"  --tzdata PATH   an IANA release instead of the built-in one: tzdataYYYYx.tar.gz,\n"
               L"                  a folder of its files, or a tzdata.zi\n"
               L"  --json          one JSON document\n\n" +
               std::wstring(kExitCodes);
    case ConsoleCommand::kFill:
        return L"tarvanec fill ZONEKEY|--stale [--tz IANA] [--region CC] [--years A-B] [--tzdata PATH]\n"
               L"              [--dry-run]\n\n"
               L"Fill From tz Database and Save Changes, as the window does them: the zone's rules for\n"
               L"the years from the IANA zone, written with the same writer. A zone whose years the\n"
               L"registry cannot express is left as it is (exit code 6). The machine's current zone is\n"
               L"made current again, so that the running system applies it. Needs administrator rights.\n\n"
               L"  ZONEKEY         the zone's key name (\"Pacific Standard Time\")\n"
               L"  --stale         every zone that check finds differing for the region\n"
               L"  --tz IANA       the IANA zone to fill from (else the one check compares with)\n"
               L"  --region CC     as for check\n"
               L"  --years A-B     the years filled (else this year and the five after it)\n"
               L"  --tzdata PATH   as for check\n"
               L"  --dry-run       say what would be written, write nothing\n\n" +
               std::wstring(kExitCodes);
    case ConsoleCommand::kExport:
        return L"tarvanec export ZONEKEY FILE\n\n"
               L"File > Export Time Zone: the zone's key with its Dynamic DST subkey as a registry file,\n"
               L"which \"reg.exe import FILE\" applies on other computers.\n\n" +
               std::wstring(kExitCodes);
    case ConsoleCommand::kBackup:
        return L"tarvanec backup FILE\n\n"
               L"File > Make Backup: the whole time-zone database and the current zone in FILE\n"
               L"(a .trvbkp file, which the window and \"tarvanec restore\" read).\n\n" +
               std::wstring(kExitCodes);
    case ConsoleCommand::kRestore:
        return L"tarvanec restore FILE --yes\n\n"
               L"File > Restore From Backup: FILE is read strictly; the registry import tool reads a\n"
               L"private copy of what it says; afterwards the database is exactly the backup and the\n"
               L"zone it names is current. A file that is refused changes nothing (exit code 5).\n"
               L"Without --yes nothing is done (exit code 2): nobody is asked. Needs administrator\n"
               L"rights.\n\n" +
               std::wstring(kExitCodes);
    case ConsoleCommand::kHelp:
    default:
        break;
    }
    std::wstring text =
        L"tarvanec: the Tarvane time-zone database tools for scripts and management tools.\n\n";
    for (const CommandSpec& spec : kCommands) {
        text += L"  " + std::wstring(spec.synopsis) + L"\n";
    }
    text += L"\n\"tarvanec COMMAND --help\" describes a command and its options.\n\n";
    return text + kExitCodes;
}

} // namespace tarvane::console
