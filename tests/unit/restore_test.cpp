// Restore: the import sequence, the clean-up of stale years and the drop handler.
#include "backup/restore.h"

#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "backup_fakes.h"
#include "log_capture.h"
#include "platform/error_text.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "reg_file.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

const std::wstring kInfo = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
const std::wstring kPath = L"C:\\b.trvbkp";
const std::wstring kCopy = L"C:\\ProgramData\\Tarvane-1\\backup.reg";
const std::wstring kCommandLine = L"C:\\Windows\\system32\\reg.exe import \"" + kCopy + L"\"";

std::vector<BYTE> Tzi(LONG bias) {
    const TziBytes bytes = TziToBytes(MakeTzi(bias));
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

struct RestoreTest : ::testing::Test {
    MemoryRegistry registry;
    MemoryFiles files;
    FakeImportTool tool{registry, files};
    FakePrompts prompts;
    FakeWindow window;
    FakeSettings settings;
    FakeActivator activator;
    BackupContext context{registry, files, tool, prompts, window, settings, activator};
    LogCapture log;
    std::wstring backupText;

    RestoreTest() {
        registry.PutString(kInfo, L"TimeZoneKeyName", L"Zone B");
        registry.PutString(kInfo, L"StandardName", L"Zone B Standard");
        PutZone(registry, SimpleZone(L"Zone A", 60));
        ZoneSpec b = SimpleZone(L"Zone B", -120);
        b.years = {{2006, MakeTzi(-120)}, {2007, MakeTzi(-120)}, {2008, MakeTzi(-60)}, {2009, MakeTzi(-60)}};
        PutZone(registry, b);
        EXPECT_TRUE(ExportTimeZoneDatabase(registry, backupText));
        files.files[kPath] = BackupFileBytes(backupText);
        prompts.answers = {IDYES};
    }

    std::wstring Current() {
        std::wstring text;
        EXPECT_TRUE(ExportTimeZoneDatabase(registry, text));
        return text;
    }
    // The registry as a user's edits leave it after the backup: names
    // changed, years added on both sides with the range widened.
    void ChangeZones() {
        registry.PutString(ZonePath(L"Zone A"), L"Display", L"Edited");
        registry.PutValue(ZonePath(L"Zone B"), L"TZI", REG_BINARY, Tzi(300));
        registry.PutValue(DynamicPath(L"Zone B"), L"2005", REG_BINARY, Tzi(1));
        registry.PutValue(DynamicPath(L"Zone B"), L"2010", REG_BINARY, Tzi(2));
        registry.PutDword(DynamicPath(L"Zone B"), L"FirstEntry", 2005);
        registry.PutDword(DynamicPath(L"Zone B"), L"LastEntry", 2010);
    }
    void SetFileText(const std::wstring& text) { files.files[kPath] = BackupFileBytes(text); }
    void ExpectRestoreErrorBox(DWORD error) {
        ASSERT_FALSE(prompts.messages.empty());
        EXPECT_EQ(prompts.messages.back().text,
                  L"ERROR: Failed to restore time zones information from the file:\n\n" + kPath + L"\n\n(" +
                      std::to_wstring(error) + L") " + GetErrorText(error));
        EXPECT_EQ(prompts.messages.back().flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    }
    // ImportBackup alone: its result and error, with the tags it logged.
    int Import(DWORD* error) {
        const int result = ImportBackup(context, kPath);
        *error = GetThreadLastError();
        return result;
    }
};

TEST_F(RestoreTest, RestoreBringsBackTheBackupAndRemovesStaleYears) {
    ChangeZones();
    registry.PutValue(DynamicPath(L"Zone B"), L"NotAYear", REG_BINARY, Tzi(3));
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), 1);

    EXPECT_FALSE(registry.GetValue(DynamicPath(L"Zone B"), L"2005"));
    EXPECT_FALSE(registry.GetValue(DynamicPath(L"Zone B"), L"2010"));
    EXPECT_TRUE(registry.GetValue(DynamicPath(L"Zone B"), L"NotAYear")) << "only year values are removed";
    {
        RegKey key(registry);
        ASSERT_EQ(
            key.Open(kHkeyLocalMachine,
                     L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Zone B\\Dynamic DST",
                     KEY_WRITE),
            ERROR_SUCCESS);
        key.DeleteValue(L"NotAYear");
    }
    EXPECT_EQ(Current(), backupText);

    EXPECT_EQ(files.deniedWriters, std::vector<std::wstring>{kPath}) << "read once, with nobody writing it";
    EXPECT_EQ(tool.commandLines, std::vector<std::wstring>{kCommandLine});
    EXPECT_EQ(tool.importedFiles, std::vector<std::vector<BYTE>>{BackupFileBytes(backupText)})
        << "the copy of a backup made here is the backup byte for byte";
    EXPECT_TRUE(files.Below(files.programData).empty()) << "the copy and its folder are gone";
    EXPECT_EQ(files.openHandles, 0u);
    EXPECT_EQ(tool.lastWaitMs, kImportTimeoutMs);
    EXPECT_EQ(tool.closed, tool.opened);
    ASSERT_EQ(activator.activated.size(), 1u);
    EXPECT_EQ(activator.activated[0].keyName, L"Zone B");
    EXPECT_EQ(activator.activated[0].displayName, L"(UTC) Zone B");
    EXPECT_EQ(activator.activated[0].rules.tzi.Bias, -120);
    EXPECT_TRUE(activator.activated[0].years.empty());
    EXPECT_EQ(window.reloads, std::vector<bool>{true});
    EXPECT_EQ(window.titleUpdates, 1);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[181] Restored time zones"});
    EXPECT_EQ(log.events[0].type, EVENTLOG_INFORMATION_TYPE);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text,
              L"Do you want to restore time zones information from the following file?\n\n" + kPath +
                  L"\n\nNOTE that all your current time zones will be overwritten.\n\n"
                  L"IMPORTANT: Do not load time zones backed up from a different operating system!");
    EXPECT_EQ(prompts.messages[0].flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONINFORMATION));
    EXPECT_EQ(prompts.messages[1].text, L"Time zones information has been restored.");
    EXPECT_EQ(prompts.messages[1].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(prompts.waitDepth, 0);
    EXPECT_EQ(prompts.maxWaitDepth, 1);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RestoreTest, NothingHappensOutsideViewMode) {
    window.mode = 1;
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), 0);
    window.mode = -1;
    EXPECT_EQ(RestoreFromBackup(context, L"", true), 0);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(prompts.openAsked, 0);
    EXPECT_TRUE(tool.commandLines.empty());
}

TEST_F(RestoreTest, WithoutWriteAccessTheRestoreIsHandedToAnElevatedCopy) {
    window.notWritable = true;
    TimeZoneRecord selected;
    selected.keyName = L"Zone \"B\"";
    window.selected = selected;
    EXPECT_EQ(RestoreFromBackup(context, L"C:\\dir\\", true), 0);
    EXPECT_EQ(RestoreFromBackup(context, L"", true), 0);
    window.selected.reset();
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), 0);
    EXPECT_EQ(window.relaunches,
              (std::vector<std::wstring>{L"bkp \"C:\\dir\\\\\" tz \"Zone \\\"B\\\"\"",
                                         L"bkp \"\" tz \"Zone \\\"B\\\"\"", L"bkp \"C:\\b.trvbkp\""}));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(prompts.openAsked, 0);
}

TEST_F(RestoreTest, WithoutWriteAccessAndNoRelaunchTheImportRefusesWithAccessDenied) {
    window.notWritable = true;
    registry.DenyWrite(kTimeZonesFullPath);
    EXPECT_EQ(RestoreFromBackup(context, kPath, false), -1);
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{L"[165] path=\"C:\\b.trvbkp\"", L"[156] file=\"C:\\b.trvbkp\""}));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{5, 5}));
    ExpectRestoreErrorBox(5);
    EXPECT_TRUE(tool.commandLines.empty());
}

TEST_F(RestoreTest, EmptyPathAsksForTheFile) {
    prompts.openPath = kPath;
    EXPECT_EQ(RestoreFromBackup(context, L"", true), 1);
    EXPECT_EQ(prompts.openAsked, 1);

    prompts.openResult = 1;
    EXPECT_EQ(RestoreFromBackup(context, L"", true), 0);

    prompts.messages.clear();
    log.events.clear();
    prompts.openResult = 2;
    EXPECT_EQ(RestoreFromBackup(context, L"", true), -1);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[155] r=2"});
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, L"ERROR: Failed to display file open dialog.");
}

TEST_F(RestoreTest, ConfirmationDecides) {
    prompts.answers = {IDNO, IDCANCEL, 0};
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), 0);
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), 0);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), -1);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[182] r=0, path=C:\\b.trvbkp"});
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(tool.commandLines.empty());
}

TEST_F(RestoreTest, FileChecksBeforeTheImport) {
    DWORD error = 0;
    EXPECT_EQ(ImportBackup(context, L""), 0);
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ImportBackup(context, L"C:\\missing.trvbkp"), 0);
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);
    files.folders.insert(L"C:\\folder.trvbkp");
    EXPECT_EQ(ImportBackup(context, L"C:\\folder.trvbkp"), 0);
    EXPECT_EQ(GetThreadLastError(), 336u);
    EXPECT_TRUE(log.events.empty());

    SetFileText(ReplaceAll(backupText, L"TimeZoneInformation]", L"TimeZoneInformationX]"));
    EXPECT_EQ(Import(&error), 0);
    EXPECT_EQ(error, ERROR_BAD_FORMAT);
    SetFileText(
        ReplaceAll(backupText, L"\"TimeZoneKeyName\"=\"Zone B\"", L"\"TimeZoneKeyName\"=hex(1):41,00,00,00"));
    EXPECT_EQ(Import(&error), 0);
    EXPECT_EQ(error, ERROR_BAD_FORMAT);
    files.files[kPath] = {0x00, 0x00, 0xFE, 0xFF};
    EXPECT_EQ(Import(&error), 0);
    EXPECT_EQ(error, ERROR_NOT_SUPPORTED);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>(3, L"[166] path=\"C:\\b.trvbkp\""));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{11, 11, 50}));

    log.events.clear();
    SetFileText(ReplaceAll(backupText, L"\"TimeZoneKeyName\"=\"Zone B\"", L"\"TimeZoneKeyName\"=\" \t \""));
    EXPECT_EQ(Import(&error), 0);
    EXPECT_EQ(error, ERROR_DIR_NOT_EMPTY);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[167] path=\"C:\\b.trvbkp\""});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{145});
    EXPECT_TRUE(tool.commandLines.empty());
}

TEST_F(RestoreTest, FileThatWritesOutsideTheTimeZoneKeysIsRefusedBeforeTheImport) {
    const std::wstring run = L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]";
    SetFileText(backupText + run + L"\n\"Evil\"=\"C:\\\\evil.exe\"\n\n");
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), -1);
    EXPECT_TRUE(tool.commandLines.empty());
    EXPECT_FALSE(
        registry.KeyExists(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"));
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{L"[219] path=\"C:\\b.trvbkp\", line=35, text=\"" + run + L"\"",
                                         L"[156] file=\"C:\\b.trvbkp\""}));
    EXPECT_TRUE(files.privateFolders.empty()) << "refused before anything is written";
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{11, 11}));
    ExpectRestoreErrorBox(ERROR_BAD_FORMAT);
    EXPECT_TRUE(window.reloads.empty());

    log.events.clear();
    const std::wstring deletion =
        L"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Zone A]";
    SetFileText(backupText + deletion + L"\n\n");
    DWORD error = 0;
    EXPECT_EQ(Import(&error), 0);
    EXPECT_EQ(error, ERROR_BAD_FORMAT);
    EXPECT_EQ(log.Messages(),
              std::vector<std::wstring>{L"[219] path=\"C:\\b.trvbkp\", line=35, text=\"" + deletion + L"\""});
    EXPECT_TRUE(registry.KeyExists(ZonePath(L"Zone A")));
}

TEST_F(RestoreTest, ImportFailuresAreReportedAndLeaveNoCopyBehind) {
    const std::wstring size = std::to_wstring(BackupFileBytes(backupText).size());
    struct Case {
        const char* what;
        std::function<void(FakeImportTool&, MemoryFiles&)> setUp;
        DWORD error;
        std::wstring message;
    };
    const std::vector<Case> cases = {
        {"tool missing", [](FakeImportTool& t, MemoryFiles&) { t.startError = ERROR_FILE_NOT_FOUND; }, 2,
         L"[168] path=\"" + kCommandLine + L"\""},
        {"no handle", [](FakeImportTool& t, MemoryFiles&) { t.noProcessHandle = true; }, 84,
         L"[169] path=\"C:\\b.trvbkp\""},
        {"wait",
         [](FakeImportTool& t, MemoryFiles&) {
             t.waitResult = WAIT_FAILED;
             t.waitError = 6;
         },
         6, L"[170] path=\"C:\\b.trvbkp\""},
        {"timeout", [](FakeImportTool& t, MemoryFiles&) { t.waitResult = WAIT_TIMEOUT; }, 258,
         L"[171] path=\"C:\\b.trvbkp\""},
        {"exit code", [](FakeImportTool& t, MemoryFiles&) { t.exitCodeError = 6; }, 6,
         L"[172] path=\"C:\\b.trvbkp\""},
        {"exit 1", [](FakeImportTool& t, MemoryFiles&) { t.exitCode = 1; }, 31,
         L"[173] path=\"C:\\b.trvbkp\", exitCode=1"},
        {"no private folder", [](FakeImportTool&, MemoryFiles& f) { f.privateFolderError = 5; }, 5,
         L"[220] path=\"C:\\b.trvbkp\""},
        {"no copy", [](FakeImportTool&, MemoryFiles& f) { f.createNewError = 80; }, 80,
         L"[221] copy=\"" + kCopy + L"\", path=\"C:\\b.trvbkp\""},
        {"write fails",
         [](FakeImportTool&, MemoryFiles& f) {
             f.writeFaults = {{0, 112, std::nullopt, 0}};
         },
         112, L"[222] copy=\"" + kCopy + L"\", ln=" + size},
        {"short write",
         [](FakeImportTool&, MemoryFiles& f) {
             f.writeFaults = {{0, 0, 10, 0}};
         },
         29, L"[223] sz1=10, sz2=" + size + L", copy=\"" + kCopy + L"\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryFiles disk = files;
        FakeImportTool failing(registry, disk);
        failing.writes = false;
        c.setUp(failing, disk);
        BackupContext local{registry, disk, failing, prompts, window, settings, activator};
        log.events.clear();
        prompts.messages.clear();
        prompts.answers = {IDYES};
        window.reloads.clear();
        EXPECT_EQ(RestoreFromBackup(local, kPath, true), -1);
        EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{c.message, L"[156] file=\"C:\\b.trvbkp\""}));
        // Each line carries the code current when it is written: a tool's exit code is none.
        const LONG lineError = c.error == ERROR_GEN_FAILURE ? 0 : static_cast<LONG>(c.error);
        EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{lineError, static_cast<LONG>(c.error)}));
        ExpectRestoreErrorBox(c.error);
        EXPECT_EQ(failing.closed, failing.opened);
        EXPECT_TRUE(disk.Below(disk.programData).empty()) << "nothing half-written is left";
        EXPECT_EQ(disk.openHandles, 0u);
        EXPECT_TRUE(window.reloads.empty()) << "nothing was imported";
        EXPECT_TRUE(activator.activated.empty());
    }
}

TEST_F(RestoreTest, CopyThatCannotBeRemovedIsLoggedAndTheRestoreStands) {
    files.removeFileError = 32;
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), 1);
    EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{L"[224] copy=\"" + kCopy + L"\"",
                                                         L"[225] folder=\"C:\\ProgramData\\Tarvane-1\"",
                                                         L"[181] Restored time zones"}));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{32, 145, 0}));
}

TEST_F(RestoreTest, FailedActivationStillCleansUpReloadsAndUpdatesTheTitle) {
    ChangeZones();
    activator.error = 1314;
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), -1);
    EXPECT_EQ(Current(), backupText) << "the import stays and the stale years are gone";
    EXPECT_EQ(window.reloads, std::vector<bool>{true});
    EXPECT_EQ(window.titleUpdates, 1);
    EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{L"[175] path=\"C:\\b.trvbkp\", key=\"Zone B\"",
                                                         L"[156] file=\"C:\\b.trvbkp\""}));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{1314, 1314}));
    ExpectRestoreErrorBox(1314);
}

TEST_F(RestoreTest, ZoneMissingAfterTheImportStillCleansUpAndReloads) {
    ChangeZones();
    SetFileText(
        ReplaceAll(backupText, L"\"TimeZoneKeyName\"=\"Zone B\"", L"\"TimeZoneKeyName\"=\"  Zone Gone \""));
    window.reloadResult = false;
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), -1);
    EXPECT_FALSE(registry.GetValue(DynamicPath(L"Zone B"), L"2005"));
    EXPECT_EQ(window.reloads, std::vector<bool>{true});
    EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{L"[174] path=\"C:\\b.trvbkp\", key=\"Zone Gone\"",
                                                         L"[158]", L"[156] file=\"C:\\b.trvbkp\""}));
    EXPECT_EQ(log.LastErrors().at(2), 2);
    ExpectRestoreErrorBox(ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(activator.activated.empty());
}

TEST_F(RestoreTest, UnreadableZoneValueReportsInvalidData) {
    registry.InjectFault(
        RegFault(RegOp::QueryValue, ZonePath(L"Zone B")).Value(L"TZI").Error(ERROR_ACCESS_DENIED));
    DWORD error = 0;
    EXPECT_EQ(Import(&error), 0);
    EXPECT_EQ(error, ERROR_INVALID_DATA);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[174] path=\"C:\\b.trvbkp\", key=\"Zone B\""});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{13});
}

TEST_F(RestoreTest, ReloadFailureAfterASuccessfulImportBeeps) {
    window.reloadResult = false;
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), -1);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[158]"});
    EXPECT_EQ(log.events[0].type, EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_EQ(prompts.messages.size(), 1u) << "only the confirmation";
    EXPECT_EQ(window.titleUpdates, 1);
}

TEST_F(RestoreTest, LoadZoneByKeyName) {
    TimeZoneRecord record;
    record.keyName = L"stale";
    EXPECT_FALSE(LoadZoneByKeyName(registry, L"", record));
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(record.keyName.empty());
    EXPECT_FALSE(LoadZoneByKeyName(registry, L"Nowhere", record));
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);
    registry.PutValue(ZonePath(L"Zone A"), L"TZI", REG_BINARY, {1, 2, 3});
    EXPECT_FALSE(LoadZoneByKeyName(registry, L"Zone A", record));
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_DATA);
    EXPECT_TRUE(record.displayName.empty());
    ASSERT_TRUE(LoadZoneByKeyName(registry, L"zone b", record));
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_EQ(record.keyName, L"zone b");
    EXPECT_EQ(record.standardName, L"Zone B");
    EXPECT_EQ(record.daylightName, L"Zone B Daylight");
    EXPECT_TRUE(record.years.empty());
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RestoreTest, TimeZonesWriteDenied) {
    EXPECT_FALSE(TimeZonesWriteDenied(registry));
    registry.DenyWrite(kTimeZonesFullPath);
    EXPECT_TRUE(TimeZonesWriteDenied(registry));
    MemoryRegistry empty;
    EXPECT_FALSE(TimeZonesWriteDenied(empty)) << "a missing key is not a denial";
}

struct ResetDynamicYearsTest : RestoreTest {};

TEST_F(ResetDynamicYearsTest, OnlyFortyFourByteBinaryYearsOutsideTheRangeGo) {
    const std::wstring dynamic = DynamicPath(L"Zone B");
    for (const wchar_t* name : {L"999", L"10000", L"abc", L"", L"0", L"2005x"}) {
        registry.PutValue(dynamic, name, REG_BINARY, Tzi(0));
    }
    registry.PutValue(dynamic, L"2003", REG_BINARY, {1, 2, 3});
    registry.PutDword(dynamic, L"2004", 1);
    registry.PutValue(dynamic, L"1000", REG_BINARY, Tzi(0));
    registry.PutValue(dynamic, L"9999", REG_BINARY, Tzi(0));
    registry.PutValue(dynamic, L"2006", REG_BINARY, Tzi(0));
    registry.PutValue(dynamic, L"2009", REG_BINARY, Tzi(0));
    EXPECT_TRUE(ResetDynamicYears(registry));
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_EQ(registry.ValueNames(dynamic),
              (std::vector<std::wstring>{L"FirstEntry", L"LastEntry", L"2006", L"2007", L"2008", L"2009",
                                         L"999", L"10000", L"abc", L"", L"0", L"2003", L"2004"}));
    EXPECT_TRUE(log.events.empty()) << log.Dump();
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(ResetDynamicYearsTest, ZonesWithoutReadableRangeAreLeftAlone) {
    registry.PutKey(DynamicPath(L"Zone A"));
    registry.PutValue(DynamicPath(L"Zone A"), L"1990", REG_BINARY, Tzi(0));
    EXPECT_TRUE(ResetDynamicYears(registry));
    EXPECT_TRUE(registry.GetValue(DynamicPath(L"Zone A"), L"1990"));
}

TEST_F(ResetDynamicYearsTest, RangeUpsideDownIsReportedAndTheRestoreGoesOn) {
    registry.PutDword(DynamicPath(L"Zone A"), L"FirstEntry", 2010);
    registry.PutDword(DynamicPath(L"Zone A"), L"LastEntry", 2000);
    registry.PutValue(DynamicPath(L"Zone A"), L"1990", REG_BINARY, Tzi(0));
    registry.PutValue(DynamicPath(L"Zone B"), L"1990", REG_BINARY, Tzi(0));
    EXPECT_FALSE(ResetDynamicYears(registry));
    EXPECT_EQ(GetThreadLastError(), 1u);
    EXPECT_TRUE(registry.GetValue(DynamicPath(L"Zone A"), L"1990"));
    EXPECT_FALSE(registry.GetValue(DynamicPath(L"Zone B"), L"1990")) << "other zones are still cleaned";
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[162] y1=2010, y2=2000"});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{1});
}

TEST_F(ResetDynamicYearsTest, UpsideDownRangeInTheBackupWarnsAndStillActivates) {
    SetFileText(ReplaceAll(backupText, L"\"LastEntry\"=dword:000007d9", L"\"LastEntry\"=dword:000007d0"));
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), 1);
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{L"[162] y1=2006, y2=2000", L"[176] path=\"C:\\b.trvbkp\"",
                                         L"[181] Restored time zones"}));
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.messages[1].text, L"Warning: Failed to reset some information for dynamic years.");
    EXPECT_EQ(prompts.messages[1].flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(activator.activated.size(), 1u);
}

TEST_F(ResetDynamicYearsTest, EachFailureIsLoggedWithItsTag) {
    const std::wstring dynamic = DynamicPath(L"Zone B");
    registry.PutValue(dynamic, L"2005", REG_BINARY, Tzi(0));
    {
        registry.InjectFault(RegFault(RegOp::Open, kTimeZonesFullPath).Error(ERROR_ACCESS_DENIED).Times(1));
        EXPECT_FALSE(ResetDynamicYears(registry));
        EXPECT_EQ(GetThreadLastError(), 5u);
        EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[159] err=5"});
        EXPECT_TRUE(registry.GetValue(dynamic, L"2005"));
    }
    log.events.clear();
    {
        registry.InjectFault(
            RegFault(RegOp::EnumKey, kTimeZonesFullPath).At(1).Error(ERROR_INVALID_HANDLE).Times(1));
        EXPECT_FALSE(ResetDynamicYears(registry));
        EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[160] r=6"});
        EXPECT_TRUE(registry.GetValue(dynamic, L"2005")) << "Zone B was not reached";
    }
    log.events.clear();
    {
        registry.PutValue(DynamicPath(L"Zone A"), L"1990", REG_BINARY, Tzi(0));
        registry.PutDword(DynamicPath(L"Zone A"), L"FirstEntry", 2000);
        registry.PutDword(DynamicPath(L"Zone A"), L"LastEntry", 2001);
        registry.InjectFault(
            RegFault(RegOp::Open, DynamicPath(L"Zone A")).Error(ERROR_ACCESS_DENIED).Times(1));
        EXPECT_FALSE(ResetDynamicYears(registry));
        EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[161] res=5"});
        EXPECT_EQ(log.LastErrors(), std::vector<LONG>{5});
        EXPECT_FALSE(registry.GetValue(dynamic, L"2005")) << "the next zone is still cleaned";
        EXPECT_TRUE(registry.GetValue(DynamicPath(L"Zone A"), L"1990"));
    }
    log.events.clear();
    {
        registry.PutValue(dynamic, L"2005", REG_BINARY, Tzi(0));
        registry.InjectFault(
            RegFault(RegOp::EnumValue, DynamicPath(L"Zone A")).At(0).Error(ERROR_INVALID_HANDLE).Times(1));
        EXPECT_FALSE(ResetDynamicYears(registry));
        EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[163] Value index: 0, key: 'Zone A', val: ''"});
        EXPECT_TRUE(registry.GetValue(DynamicPath(L"Zone A"), L"1990")) << "its values stop at the failure";
        EXPECT_FALSE(registry.GetValue(dynamic, L"2005"));
    }
    log.events.clear();
    {
        registry.PutValue(dynamic, L"2005", REG_BINARY, Tzi(0));
        registry.PutValue(DynamicPath(L"Zone A"), L"1990", REG_BINARY, Tzi(0));
        registry.InjectFault(
            RegFault(RegOp::DeleteValue, DynamicPath(L"Zone A")).Error(ERROR_ACCESS_DENIED).Times(1));
        EXPECT_FALSE(ResetDynamicYears(registry));
        EXPECT_EQ(GetThreadLastError(), 5u);
        EXPECT_EQ(log.Messages(),
                  std::vector<std::wstring>{
                      L"[164] key=\"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Zone "
                      L"A\\Dynamic DST\" val=\"1990\""});
        EXPECT_FALSE(registry.GetValue(dynamic, L"2005")) << "later pairs are still deleted";
    }
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RestoreTest, DropRestoresTheFirstExistingBackupFile) {
    files.files[L"C:\\a.txt"] = {1};
    files.files[L"C:\\second.TRVBKP"] = files.files[kPath];
    files.files[L"C:\\third.trvbkp"] = files.files[kPath];
    DropBackupFiles(context, {L"  C:\\a.txt ", L"", L" C:\\second.TRVBKP\t", L"C:\\third.trvbkp"});
    ASSERT_EQ(tool.commandLines.size(), 1u);
    EXPECT_EQ(files.deniedWriters, std::vector<std::wstring>{L"C:\\second.TRVBKP"});
    EXPECT_EQ(prompts.beeps, 0);
}

TEST_F(RestoreTest, DropOfNothingUsableBeeps) {
    files.folders.insert(L"C:\\folder.trvbkp");
    DropBackupFiles(context, {L"C:\\folder.trvbkp", L"C:\\missing.trvbkp", L"C:\\x.trvbkp.txt"});
    EXPECT_EQ(prompts.beeps, 1);
    DropBackupFiles(context, {});
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(RestoreTest, DropInEditModeDoesNothingAndDoesNotBeep) {
    window.mode = 1;
    DropBackupFiles(context, {kPath});
    EXPECT_EQ(prompts.beeps, 0);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(RestoreTest, DropWhoseRestoreFailsBeeps) {
    tool.exitCode = 1;
    DropBackupFiles(context, {kPath});
    EXPECT_EQ(prompts.beeps, 1);
}

TEST(PathExtension, FollowsTheLastDotOfTheLastComponent) {
    EXPECT_EQ(PathExtension(L"C:\\dir.x\\file.trvbkp"), L".trvbkp");
    EXPECT_EQ(PathExtension(L"C:\\dir.x\\file"), L"");
    EXPECT_EQ(PathExtension(L"file.tar.trvbkp"), L".trvbkp");
    EXPECT_EQ(PathExtension(L"file.trv bkp"), L"");
    EXPECT_EQ(PathExtension(L"file."), L".");
}

} // namespace
} // namespace tarvane::test
