// The console program's command line, parsed into options or refused with a
// usage error, and its commands run against the in-memory registry: exit
// codes, the lines they log, and what goes to stdout and stderr.
#include "console/console_commands.h"

#include "backup_fakes.h"
#include "command_line_split.h"
#include "log_capture.h"
#include "tz_fixtures.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace tarvane::test {
namespace {

using console::ConsoleCommand;
using console::ConsoleOptions;

ConsoleOptions Options(ConsoleCommand command, const std::function<void(ConsoleOptions&)>& set = {}) {
    ConsoleOptions options;
    options.command = command;
    if (set) {
        set(options);
    }
    return options;
}

struct ParseCase {
    const char* name;
    const wchar_t* line;
    std::optional<ConsoleOptions> options; // none: a usage error
    const wchar_t* usage = L"";            // what the usage error says
};

class ConsoleArguments : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ConsoleArguments, ParseOrRefuse) {
    const ParseCase& c = GetParam();
    const console::ParsedArguments parsed = console::ParseConsoleArguments(SplitCommandLine(c.line));
    if (c.options) {
        ASSERT_TRUE(parsed.options) << std::string(parsed.usageError.begin(), parsed.usageError.end());
        EXPECT_TRUE(*parsed.options == *c.options);
        EXPECT_TRUE(parsed.usageError.empty());
    } else {
        ASSERT_FALSE(parsed.options);
        EXPECT_NE(parsed.usageError.find(c.usage), std::wstring::npos)
            << std::string(parsed.usageError.begin(), parsed.usageError.end());
        EXPECT_EQ(parsed.usageError.find(L'\n'), std::wstring::npos) << "one line";
    }
}

const ParseCase kParseCases[] = {
    {"Help", L"help", Options(ConsoleCommand::kHelp)},
    {"HelpSwitch", L"/?", Options(ConsoleCommand::kHelp)},
    {"HelpOfCommand", L"help fill",
     Options(ConsoleCommand::kHelp, [](auto& o) { o.helpTopic = ConsoleCommand::kFill; })},
    {"CommandHelp", L"check --region CA --help",
     Options(ConsoleCommand::kHelp, [](auto& o) { o.helpTopic = ConsoleCommand::kCheck; })},
    {"ListJson", L"list --json", Options(ConsoleCommand::kList, [](auto& o) { o.json = true; })},
    {"CheckEverything",
     L"check --region ca --all-regions --years 2026-2031 --tzdata=C:\\tz\\tzdata.zi --json",
     Options(ConsoleCommand::kCheck,
             [](auto& o) {
                 o.region = L"CA";
                 o.allRegions = true;
                 o.years = console::YearRange{2026, 2031};
                 o.tzdataPath = L"C:\\tz\\tzdata.zi";
                 o.json = true;
             })},
    {"CheckWorldOneYear", L"check --region 001 --years 2027",
     Options(ConsoleCommand::kCheck,
             [](auto& o) {
                 o.region = L"001";
                 o.years = console::YearRange{2027, 2027};
             })},
    {"FillZone", L"fill \"Pacific Standard Time\" --tz America/Vancouver --dry-run",
     Options(ConsoleCommand::kFill,
             [](auto& o) {
                 o.zoneKey = L"Pacific Standard Time";
                 o.tzName = L"America/Vancouver";
                 o.dryRun = true;
             })},
    {"FillStale", L"fill --stale --years 2026-2040",
     Options(ConsoleCommand::kFill,
             [](auto& o) {
                 o.stale = true;
                 o.years = console::YearRange{2026, 2040};
             })},
    {"Export", L"export \"Tokyo Standard Time\" C:\\out\\tokyo.reg",
     Options(ConsoleCommand::kExport,
             [](auto& o) {
                 o.zoneKey = L"Tokyo Standard Time";
                 o.file = L"C:\\out\\tokyo.reg";
             })},
    {"Backup", L"backup C:\\b.trvbkp",
     Options(ConsoleCommand::kBackup, [](auto& o) { o.file = L"C:\\b.trvbkp"; })},
    {"RestoreYes", L"restore C:\\b.trvbkp --yes",
     Options(ConsoleCommand::kRestore,
             [](auto& o) {
                 o.file = L"C:\\b.trvbkp";
                 o.yes = true;
             })},
    {"Nothing", L"", std::nullopt, L"no command given"},
    {"UnknownCommand", L"repair", std::nullopt, L"unknown command \"repair\""},
    {"UnknownHelpTopic", L"help repair", std::nullopt, L"unknown command \"repair\""},
    {"OptionOfAnotherCommand", L"list --stale", std::nullopt, L"list takes no option \"--stale\""},
    {"UnknownOption", L"check --verbose", std::nullopt, L"check takes no option \"--verbose\""},
    {"OptionTwice", L"check --json --json", std::nullopt, L"--json is given twice"},
    {"MissingValue", L"check --region", std::nullopt, L"--region needs a value"},
    {"ValueOnSwitch", L"check --json=1", std::nullopt, L"--json takes no value"},
    {"BadRegion", L"check --region Canada", std::nullopt, L"is no region code"},
    {"BadYears", L"check --years 2031-2026", std::nullopt, L"is no range of years"},
    {"YearsBefore1970", L"fill --stale --years 1969-1980", std::nullopt, L"is no range of years"},
    {"FillNeither", L"fill", std::nullopt, L"a zone key or --stale"},
    {"FillBoth", L"fill Zone --stale", std::nullopt, L"a zone key or --stale"},
    {"TzWithStale", L"fill --stale --tz Europe/Paris", std::nullopt, L"--tz names the IANA zone of one zone"},
    {"ExportOneArgument", L"export Zone", std::nullopt, L"usage: tarvanec export ZONEKEY FILE"},
    {"BackupTwoFiles", L"backup a b", std::nullopt, L"usage: tarvanec backup FILE"},
    {"RestoreWithoutYes", L"restore C:\\b.trvbkp", std::nullopt, L"add --yes"},
};

INSTANTIATE_TEST_SUITE_P(Table, ConsoleArguments, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return info.param.name; });

// A registry of three zones: Pacific with the United States' rules (as the
// tz database has them), Tokyo, and a Mountain zone without daylight time
// (which the tz database's America/Denver has): the machine's current zone.
struct ConsoleWorld {
    ConsoleWorld() {
        const SYSTEMTIME march = Recurring(3, 0, 2, 2);
        const SYSTEMTIME november = Recurring(11, 0, 1, 2);
        ZoneSpec pacific = SimpleZone(L"Pacific Standard Time", 480);
        pacific.tzi = MakeTzi(480, 0, -60, november, march);
        PutZone(registry, pacific);
        PutZone(registry, SimpleZone(L"Tokyo Standard Time", -540));
        PutZone(registry, SimpleZone(L"Mountain Standard Time", 420));
        timeZones.current.timeZoneKeyName = L"Mountain Standard Time";
        timeZones.current.bias = 420;
        registry.PutString(L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation",
                           L"TimeZoneKeyName", L"Mountain Standard Time");
    }
    MemoryRegistry registry;
    MemoryFiles files;
    FakeImportTool tool{registry, files};
    FakeTimeZoneApi timeZones;
    console::ConsoleHost host{registry,
                              timeZones,
                              files,
                              tool,
                              SystemFacts{},
                              2026,
                              [] {
                                  return UserRegion{L"US", L"United States"};
                              },
                              [] { return &GeneratedTzTable(); }};
};

struct RunCase {
    const char* name;
    const wchar_t* line;
    std::function<void(ConsoleWorld&)> setUp;
    int exitCode;
    const wchar_t* logged = L"";  // the start of a line the run logs
    const wchar_t* summary = L""; // a part of the last line of stdout
};

class ConsoleRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(ConsoleRun, ExitCodeLogAndOutput) {
    const RunCase& c = GetParam();
    ConsoleWorld world;
    if (c.setUp) {
        c.setUp(world);
    }
    const console::ParsedArguments parsed = console::ParseConsoleArguments(SplitCommandLine(c.line));
    ASSERT_TRUE(parsed.options);
    LogCapture log;
    const console::ConsoleReport report = console::RunConsoleCommand(*parsed.options, world.host);
    const std::wstring out = console::StdoutText(report, false);
    const std::wstring err = console::StderrText(report);
    const std::string dump(out.begin(), out.end());
    EXPECT_EQ(report.exitCode, c.exitCode) << dump;
    EXPECT_EQ(err.empty(), c.exitCode < 2) << "stderr only when the command failed";
    ASSERT_GE(out.size(), 2u);
    const std::size_t lastLine = out.rfind(L"\r\n", out.size() - 3);
    const std::wstring summary = out.substr(lastLine == std::wstring::npos ? 0 : lastLine + 2);
    EXPECT_LT(summary.size(), 2048u);
    EXPECT_NE(summary.find(c.summary), std::wstring::npos) << dump;
    if (*c.logged != L'\0') {
        const std::vector<std::wstring> messages = log.Messages();
        EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [&](const std::wstring& m) {
            return m.rfind(c.logged, 0) == 0;
        })) << log.Dump();
    } else {
        EXPECT_TRUE(log.events.empty()) << log.Dump();
    }
}

const RunCase kRunCases[] = {
    {"ListMarksTheCurrentZone",
     L"list",
     {},
     0,
     L"",
     L"3 zones; the current zone is \"Mountain Standard Time\""},
    {"CheckFindsTheZoneWithoutDaylightTime", L"check", {}, 1, L"", L"1 differ for United States (US)"},
    {"CheckOfFilledZoneHolds", L"check --years 2026-2031",
     [](ConsoleWorld& w) {
         const console::ParsedArguments fill = console::ParseConsoleArguments({L"fill", L"--stale"});
         ASSERT_EQ(console::RunConsoleCommand(*fill.options, w.host).exitCode, 0);
         ASSERT_EQ(w.timeZones.dynamicSets.size(), 1u) << "the current zone is made current again";
     },
     0, L"", L"0 differ"},
    {"DryRunWritesNothing", L"fill --stale --dry-run",
     [](ConsoleWorld& w) { w.registry.DenyWrite(kTimeZonesFullPath); }, 0, L"", L"1 zone would be filled"},
    {"FillWithoutRightsFailsAtOnce", L"fill --stale",
     [](ConsoleWorld& w) { w.registry.DenyWrite(kTimeZonesFullPath); }, 4, L"[399] cmd=fill",
     L"needs administrator rights"},
    {"RestoreWithoutRightsFailsAtOnce", L"restore C:\\b.trvbkp --yes",
     [](ConsoleWorld& w) { w.registry.DenyWrite(kTimeZonesFullPath); }, 4, L"[399] cmd=restore",
     L"needs administrator rights"},
    {"FailedSaveIsAFailure", L"fill \"Mountain Standard Time\"",
     [](ConsoleWorld& w) {
         w.registry.InjectFault(RegFault(RegOp::SetValue, ZonePath(L"Mountain Standard Time")).Error(5));
     },
     3, L"[397] ", L"1 failed"},
    {"CurrentZoneNotMadeCurrentAgain", L"fill \"Mountain Standard Time\"",
     [](ConsoleWorld& w) { w.timeZones.setResult = FALSE; }, 7, L"[398] ", L"1 zone filled"},
    {"UnknownZone",
     L"fill \"Atlantis Standard Time\"",
     {},
     5,
     L"[395] key=\"Atlantis Standard Time\"",
     L"There is no time zone"},
    {"UnknownIanaZone", L"fill \"Tokyo Standard Time\" --tz Asia/Atlantis", {}, 5, L"[402] ", L"has no zone"},
    {"YearsTheRegistryCannotExpress",
     L"fill \"Tokyo Standard Time\" --tz Africa/Casablanca --years 2013-2014",
     {},
     6,
     L"[396] key=\"Tokyo Standard Time\"",
     L"the registry cannot express its years: Tokyo Standard Time"},
    {"ZoneSaveChangesRefuses", L"fill \"Mountain Standard Time\"",
     [](ConsoleWorld& w) { w.registry.PutString(ZonePath(L"Mountain Standard Time"), L"Dlt", L" "); }, 5,
     L"[405] key=\"Mountain Standard Time\"", L"refused as Save Changes refuses it: Mountain Standard Time"},
    {"ReleaseFileWithTheProgramsMapping", L"check --tzdata C:\\tzdata.zi",
     [](ConsoleWorld& w) {
         const std::string zi = "# version 2099a\nZ America/Denver -7 - MST\n";
         w.files.files[L"C:\\tzdata.zi"] = std::vector<BYTE>(zi.begin(), zi.end());
     },
     0, L"",
     L"IANA tz database 2099a, CLDR 48, 2026-2031: 3 zones: 1 match, 0 differ for United States (US), 2 "
     L"without a mapping"},
    {"MissingRelease", L"check --tzdata C:\\none.zi", {}, 5, L"[393] path=\"C:\\none.zi\"", L"no tz release"},
    {"DamagedRelease", L"check --tzdata C:\\bad.zi",
     [](ConsoleWorld& w) {
         w.files.files[L"C:\\bad.zi"] = {'Z', ' ', '\n'};
     },
     5, L"[394] ", L"was refused"},
    {"UnreadableDatabase", L"check",
     [](ConsoleWorld& w) { w.registry.InjectFault(RegFault(RegOp::EnumKey, kTimeZonesFullPath).Error(5)); },
     3, L"[392] ", L"Failed to read the time zones"},
    {"ExportOfUnknownZone",
     L"export Nowhere C:\\z.reg",
     {},
     5,
     L"[401] key=\"Nowhere\"",
     L"There is no time zone"},
    {"ExportFileNotCreated", L"export \"Tokyo Standard Time\" C:\\z.reg",
     [](ConsoleWorld& w) { w.files.createError = 5; }, 3, L"[262] ", L""},
    {"BackupWritten", L"backup C:\\b.trvbkp", {}, 0, L"", L"C:\\b.trvbkp"},
    {"RestoreOfDamagedBackupRefused", L"restore C:\\b.trvbkp --yes",
     [](ConsoleWorld& w) {
         w.files.files[L"C:\\b.trvbkp"] = {0xFF, 0xFE, 'x', 0};
     },
     5, L"[", L""},
};

INSTANTIATE_TEST_SUITE_P(Table, ConsoleRun, ::testing::ValuesIn(kRunCases),
                         [](const auto& info) { return info.param.name; });

TEST(ConsoleReport, SummaryIsOneShortLine) {
    console::ConsoleReport report;
    report.summary = std::wstring(3000, L'x') + L"\nsecond";
    const std::wstring out = console::StdoutText(report, false);
    EXPECT_EQ(out.size(), console::kMaxSummaryLength + 2);
    EXPECT_EQ(out.find(L'\n'), out.size() - 1);
    EXPECT_EQ(console::JsonString(L"a\"b\\c\n\x01"), L"\"a\\\"b\\\\c\\n\\u0001\"");
}

} // namespace
} // namespace tarvane::test
