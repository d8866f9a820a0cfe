// The command line, the start-up action and the quoting of relaunch values.
#include "backup/command_line.h"

#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "backup_fakes.h"
#include "command_line_split.h"
#include "log_capture.h"
#include "platform/error_text.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace tarvane::test {
namespace {

StartRequest Parse(std::vector<const wchar_t*> args, MemoryFiles* files = nullptr) {
    MemoryFiles none;
    std::vector<const wchar_t*> argv = {L"C:\\tarvane.exe"};
    argv.insert(argv.end(), args.begin(), args.end());
    StartRequest request;
    EXPECT_TRUE(ParseCommandLine(static_cast<int>(argv.size()), argv.data(), files ? *files : none, request));
    return request;
}

TEST(ParseCommandLine, NoArgumentsSetNothing) {
    const StartRequest request = Parse({});
    EXPECT_TRUE(request.startRestorePath.empty());
    EXPECT_EQ(request.startAction, StartAction::kNone);
    EXPECT_TRUE(request.startZoneKey.empty());
    EXPECT_TRUE(request.startBackupPath.empty());
}

TEST(ParseCommandLine, ExistingBackupFileAsFirstArgumentIsRestored) {
    MemoryFiles files;
    files.files[L"C:\\b.TrvBkp"] = {1};
    files.folders.insert(L"C:\\dir.trvbkp");
    EXPECT_EQ(Parse({L"C:\\b.TrvBkp", L"e", L"Zone"}, &files).startRestorePath, L"C:\\b.TrvBkp");
    EXPECT_EQ(Parse({L"C:\\b.TrvBkp", L"e", L"Zone"}, &files).startAction, StartAction::kNone)
        << "nothing after it is read";
    // One that is not there is still asked for, so that the start-up action says so.
    EXPECT_EQ(Parse({L"C:\\missing.trvbkp"}, &files).startRestorePath, L"C:\\missing.trvbkp");
    EXPECT_EQ(Parse({L"C:\\dir.trvbkp"}, &files).startRestorePath, L"C:\\dir.trvbkp");
}

TEST(ParseCommandLine, Switches) {
    StartRequest request = Parse({L"-BKP", L"C:\\x.trvbkp"});
    EXPECT_EQ(request.startAction, StartAction::kRestore);
    EXPECT_EQ(request.startBackupPath, L"C:\\x.trvbkp");
    EXPECT_EQ(Parse({L"/bkp", L""}).startAction, StartAction::kRestore)
        << "an empty path shows the open dialog later";

    request = Parse({L"e", L""});
    EXPECT_EQ(request.startAction, StartAction::kNone);
    EXPECT_TRUE(request.startZoneKey.empty());
    request = Parse({L"\\E", L"Zone A"});
    EXPECT_EQ(request.startAction, StartAction::kEdit);
    EXPECT_EQ(request.startZoneKey, L"Zone A");

    request = Parse({L"tz", L"Zone B"});
    EXPECT_EQ(request.startAction, StartAction::kNone);
    EXPECT_EQ(request.startZoneKey, L"Zone B");

    request = Parse({L"bkp", L"C:\\p", L"tz", L"Zone C", L"junk", L"tz"});
    EXPECT_EQ(request.startAction, StartAction::kRestore);
    EXPECT_EQ(request.startBackupPath, L"C:\\p");
    EXPECT_EQ(request.startZoneKey, L"Zone C") << "a switch without a value sets nothing";

    request = Parse({L"e", L"tz", L"x"});
    EXPECT_EQ(request.startZoneKey, L"tz") << "a switch's value is taken whatever it looks like";
    EXPECT_EQ(request.startAction, StartAction::kEdit);

    // The zone commands' hand-over: "new" with the selected zone (none is an
    // empty value), "del" with the zone to delete.
    struct Case {
        std::vector<const wchar_t*> args;
        StartAction action;
        const wchar_t* zone;
    };
    const Case zoneCases[] = {
        {{L"new", L"Zone D"}, StartAction::kNewZone, L"Zone D"},
        {{L"-NEW", L""}, StartAction::kNewZone, L""},
        {{L"new"}, StartAction::kNone, L""},
        {{L"/del", L"Zone E"}, StartAction::kDeleteZone, L"Zone E"},
        {{L"del", L""}, StartAction::kNone, L""},
        {{L"del", L"Zone F", L"e", L"G"}, StartAction::kEdit, L"G"},
    };
    for (const Case& c : zoneCases) {
        request = Parse(c.args);
        EXPECT_EQ(request.startAction, c.action);
        EXPECT_EQ(request.startZoneKey, c.zone);
    }
}

TEST(MatchSwitch, NameAloneOrAfterOnePrefix) {
    EXPECT_TRUE(MatchSwitch(L"bkp", L"bkp"));
    EXPECT_TRUE(MatchSwitch(L"/BKP", L"bkp"));
    EXPECT_TRUE(MatchSwitch(L"-Bkp", L"bkp"));
    EXPECT_TRUE(MatchSwitch(L"\\bkp", L"bkp"));
    EXPECT_FALSE(MatchSwitch(L"--bkp", L"bkp"));
    EXPECT_FALSE(MatchSwitch(L"bkpx", L"bkp"));
    EXPECT_FALSE(MatchSwitch(L"", L"bkp"));
    EXPECT_FALSE(MatchSwitch(L"/", L""));
    EXPECT_FALSE(MatchSwitch(L"", L""));
}

TEST(EscapeForCommandLine, QuotesAndControlCharacters) {
    EXPECT_EQ(EscapeForCommandLine(L"Zone \"A\""), L"Zone \\\"A\\\"");
    EXPECT_EQ(EscapeForCommandLine(L"a\nb\rc\td"), L"a\\nb\\rc\\td");
    EXPECT_EQ(EscapeForCommandLine(L"C:\\dir\\file"), L"C:\\dir\\file");
    EXPECT_EQ(EscapeForCommandLine(L"C:\\dir\\"), L"C:\\dir\\\\");
    EXPECT_EQ(EscapeForCommandLine(L"a\\\"b"), L"a\\\\\\\"b");
}

// What the copy receives for a value put between quotes after a switch.
std::wstring Expected(const std::wstring& value) {
    std::wstring out;
    for (wchar_t ch : value) {
        out += ch == L'\n' ? L"\\n" : ch == L'\r' ? L"\\r" : ch == L'\t' ? L"\\t" : std::wstring(1, ch);
    }
    return out;
}

TEST(EscapeForCommandLine, EveryValueArrivesAsOneArgument) {
    std::vector<std::wstring> values = {L"",
                                        L"C:\\t\\x\\\" e \"y\\..\\..\\b.trvbkp",
                                        L"ends\\",
                                        L"ends\\\\",
                                        L"\\\"",
                                        L"\"",
                                        L"\\\\\\\"\\",
                                        L" lead and trail ",
                                        L"tab\tand\nline\\\n"};
    std::mt19937 random(4);
    const wchar_t alphabet[] = {L'a', L'\\', L'"', L' ', L'\t', L'\n', L'\r', L'e', L'/', L'-'};
    for (int i = 0; i < 3000; ++i) {
        std::wstring value;
        const int length = static_cast<int>(random() % 12);
        for (int k = 0; k < length; ++k) {
            value.push_back(alphabet[random() % std::size(alphabet)]);
        }
        values.push_back(value);
    }
    for (const std::wstring& value : values) {
        const std::wstring parameters = L"bkp \"" + EscapeForCommandLine(value) + L"\" tz \"" +
                                        EscapeForCommandLine(value + L"\\") + L"\"";
        const auto argv = SplitCommandLine(L"\"C:\\tarvane.exe\" " + parameters);
        ASSERT_EQ(argv, (std::vector<std::wstring>{L"C:\\tarvane.exe", L"bkp", Expected(value), L"tz",
                                                   Expected(value + L"\\")}))
            << std::string(parameters.begin(), parameters.end());
    }
}

struct StartActionTest : ::testing::Test, FakeBackupWorld {
    LogCapture log;
    StartRequest request;
};

TEST_F(StartActionTest, NothingRequestedDoesNothing) {
    EXPECT_EQ(RunStartAction(context, request), 0);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(window.editCalls.empty());
}

TEST_F(StartActionTest, BackupFileArgumentIsRestoredAndAFailureBeeps) {
    request.startRestorePath = L"C:\\bad.trvbkp";
    files.files[request.startRestorePath] = {1, 2, 3};
    prompts.answers = {IDYES};
    EXPECT_EQ(RunStartAction(context, request), 0);
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_EQ(log.Messages().back(), L"[156] file=\"C:\\bad.trvbkp\"");
}

TEST_F(StartActionTest, BackupFileArgumentThatCannotBeReadIsSaidAndFailsTheStart) {
    files.folders.insert(L"C:\\dir.trvbkp");
    files.files[L"C:\\locked.trvbkp"] = {1};
    files.openError = 32; // ERROR_SHARING_VIOLATION
    for (const auto& [path, error] :
         std::vector<std::pair<std::wstring, DWORD>>{{L"C:\\missing.trvbkp", ERROR_FILE_NOT_FOUND},
                                                     {L"C:\\dir.trvbkp", 336},
                                                     {L"C:\\locked.trvbkp", 32}}) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        log.events.clear();
        prompts.messages.clear();
        request.startRestorePath = path;
        EXPECT_EQ(RunStartAction(context, request), -1);
        EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[318] path=\"" + path + L"\""});
        EXPECT_EQ(log.LastErrors(), std::vector<LONG>{static_cast<LONG>(error)});
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, L"The backup file named on the command line cannot be read:\n\n" +
                                                path + L"\n\n(" + std::to_wstring(error) + L") " +
                                                GetErrorText(error));
    }
    EXPECT_TRUE(tool.commandLines.empty());
}

TEST_F(StartActionTest, EditEntersEditModeWithoutRelaunch) {
    request.startAction = StartAction::kEdit;
    request.startZoneKey = L"Zone";
    window.selected = TimeZoneRecord{};
    window.selected->keyName = L"zone"; // the first load selected it
    RunStartAction(context, request);
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_EQ(window.editCalls.size(), 1u);
    EXPECT_TRUE(window.editCalls[0].enter);
    EXPECT_TRUE(window.editCalls[0].reloadOnLeave);
    EXPECT_FALSE(window.editCalls[0].allowRelaunch);
    RunStartAction(context, request);
    EXPECT_EQ(window.editCalls.size(), 1u) << "already in edit mode";
}

TEST_F(StartActionTest, HandedOverZoneCommandsRunInViewModeWithoutRelaunch) {
    for (StartAction action : {StartAction::kNewZone, StartAction::kDeleteZone}) {
        request.startAction = action;
        RunStartAction(context, request);
        window.mode = EditMode::kEdit;
        RunStartAction(context, request);
        window.mode = EditMode::kView;
    }
    const std::vector<std::pair<std::wstring, bool>> expected = {{L"new", false}, {L"del", false}};
    EXPECT_EQ(window.zoneCommands, expected) << "nothing in edit mode";
}

TEST_F(StartActionTest, AZoneNamedOnTheCommandLineThatIsNotThereIsSaid) {
    struct Case {
        StartAction action;
        const wchar_t* selected; // what the first load selected, if anything
    };
    for (const Case& c : std::vector<Case>{{StartAction::kEdit, nullptr},
                                           {StartAction::kNone, nullptr},
                                           {StartAction::kRestore, L"Other Zone"},
                                           {StartAction::kDeleteZone, L"Other Zone"}}) {
        FakeBackupWorld world;
        log.events.clear();
        StartRequest asked;
        asked.startAction = c.action;
        asked.startZoneKey = L"No Such Zone";
        if (c.selected != nullptr) {
            world.window.selected = TimeZoneRecord{};
            world.window.selected->keyName = c.selected;
        }
        world.prompts.openResult = FileChoice::kCancelled;
        EXPECT_EQ(RunStartAction(world.context, asked), 0);
        ASSERT_FALSE(world.prompts.messages.empty()) << static_cast<int>(c.action);
        EXPECT_EQ(world.prompts.messages[0].text, L"No time zone named \"No Such Zone\".");
        EXPECT_EQ(world.prompts.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_EQ(log.Messages().at(0), L"[243] key=\"No Such Zone\"");
        EXPECT_TRUE(world.window.editCalls.empty()) << "nothing to edit";
        EXPECT_TRUE(world.window.zoneCommands.empty()) << "nothing to delete";
        EXPECT_EQ(world.prompts.openAsked, c.action == StartAction::kRestore ? 1 : 0)
            << "a handed-over restore still runs";
    }
}

TEST_F(StartActionTest, HandedOverRestoreNeverRelaunchesAgain) {
    window.notWritable = true;
    request.startAction = StartAction::kRestore;
    prompts.openResult = FileChoice::kCancelled;
    RunStartAction(context, request);
    EXPECT_TRUE(window.relaunches.empty());
    EXPECT_EQ(prompts.openAsked, 1) << "an empty path shows the open dialog";
}

} // namespace
} // namespace tarvane::test
