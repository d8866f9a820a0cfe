// Restore: the import sequence, the clean-up of stale years and the drop handler.
#include "backup/restore.h"

#include "backup/export_zone.h"
#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "core/zone_sources.h"
#include "backup_fakes.h"
#include "log_capture.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "reg_file.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <optional>

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

struct RestoreTest : ::testing::Test, FakeBackupWorld {
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
        // A restore that changes nothing is not offered.
        registry.PutString(ZonePath(L"Zone A"), L"Display", L"Edited");
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
    static std::wstring Preview(const std::wstring& lines) {
        return L"Do you want to restore time zones information from the following file?\n\n" + kPath +
               L"\n\nThe time zones will be exactly those of the backup:\n" + lines +
               L"\nIMPORTANT: Do not load time zones backed up from a different operating system!";
    }
    // The box of a file refused before anything was written.
    void ExpectRefusedBox(const std::wstring& reason, DWORD error) {
        ASSERT_FALSE(prompts.messages.empty());
        // A reason that ends with the system's own sentence gets no second full stop.
        const std::wstring stop = !reason.empty() && reason.back() == L'.' ? L"" : L".";
        EXPECT_EQ(prompts.messages.back().text, L"The file cannot be restored: " + reason + stop +
                                                    L" Nothing was changed.\n\n" + kPath + L"\n\n(" +
                                                    std::to_wstring(error) + L") " + GetErrorText(error));
        EXPECT_EQ(prompts.messages.back().flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_EQ(prompts.messages.size(), 1u) << "nothing is asked about a refused file";
    }
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

TEST_F(RestoreTest, RestoreMakesTheDatabaseExactlyTheBackup) {
    ChangeZones();
    registry.PutValue(DynamicPath(L"Zone B"), L"NotAYear", REG_BINARY, Tzi(3));
    registry.PutString(ZonePath(L"Zone B"), L"Stray", L"x");
    registry.RemoveTree(ZonePath(L"Zone A"));
    PutZone(registry, SimpleZone(L"Zone C", 30));
    registry.PutKey(DynamicPath(L"Zone C") + L"\\Deeper");
    ASSERT_EQ(SetZoneSource(registry, L"Zone C", L"Etc/GMT-1"), ERROR_SUCCESS);
    ASSERT_EQ(SetZoneSource(registry, L"Zone B", L"Etc/GMT+2"), ERROR_SUCCESS);
    registry.PutString(kInfo, L"Live", L"kept");
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kRestored);

    std::wstring text;
    ASSERT_TRUE(ExportTimeZoneDatabase(registry, text));
    EXPECT_EQ(ReplaceAll(text, L"\"Live\"=\"kept\"\n", L""), backupText)
        << "exactly the backup; TimeZoneInformation only imported into";
    EXPECT_EQ(ReadZoneSources(registry), (ZoneSources{{L"Zone B", L"Etc/GMT+2"}})) << "a deleted zone's goes";

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
    EXPECT_EQ(prompts.messages[0].text, Preview(L"Changed (1): Zone B\nAdded back (1): Zone A\n"
                                                L"Deleted, as the backup does not hold them (1): Zone C\n"));
    EXPECT_EQ(prompts.messages[0].flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONINFORMATION));
    EXPECT_EQ(prompts.messages[1].text, L"Time zones information has been restored.");
    EXPECT_EQ(prompts.messages[1].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(prompts.waitDepth, 0);
    EXPECT_EQ(prompts.maxWaitDepth, 1);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RestoreTest, PreviewNamesTenZonesALineAndSaysWhenTheBackupHoldsMuchLess) {
    for (int i = 1; i <= 12; ++i) {
        PutZone(registry, SimpleZone(Format(L"Zone X%02d", i), i));
    }
    prompts.answers = {IDNO};
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kNothingDone);
    EXPECT_EQ(
        prompts.messages.at(0).text,
        Preview(L"Changed (1): Zone A\nDeleted, as the backup does not hold them (12): Zone X01, Zone X02, "
                L"Zone X03, Zone X04, Zone X05, Zone X06, Zone X07, Zone X08, Zone X09, Zone X10 and 2 "
                L"more\nThe backup holds 2 zones; the registry has 14.\n"));

    // A copy that stopped at a key boundary reads as a smaller backup: not
    // refused, and its preview says what the restore would delete.
    SetFileText(backupText.substr(0, backupText.find(L"[" + DynamicPath(L"Zone B") + L"]")));
    prompts.messages.clear();
    prompts.answers = {IDNO};
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kNothingDone);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find(L"exactly those of the backup:\nChanged (2): Zone A, Zone B\n"),
              std::wstring::npos)
        << ToUtf8(prompts.messages[0].text);
    SetFileText(backupText);

    // Nothing to change: said, and nothing is asked or written.
    registry.PutString(ZonePath(L"Zone A"), L"Display", L"(UTC) Zone A");
    for (int i = 1; i <= 12; ++i) {
        registry.RemoveTree(ZonePath(Format(L"Zone X%02d", i)));
    }
    prompts.messages.clear();
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kNothingDone);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, L"The time zones in the registry are already those of the file:\n\n" +
                                            kPath + L"\n\nNothing was changed.");
    EXPECT_TRUE(tool.commandLines.empty());
    EXPECT_TRUE(files.privateFolders.empty());
}

TEST_F(RestoreTest, NothingHappensOutsideViewMode) {
    window.mode = EditMode::kEdit;
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kNothingDone);
    window.mode = EditMode::kStarting;
    EXPECT_EQ(RestoreFromBackup(context, L"", true), RestoreOutcome::kNothingDone);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(prompts.openAsked, 0);
    EXPECT_TRUE(tool.commandLines.empty());
}

TEST_F(RestoreTest, WithoutWriteAccessTheRestoreIsHandedToAnElevatedCopy) {
    window.notWritable = true;
    TimeZoneRecord selected;
    selected.keyName = L"Zone \"B\"";
    window.selected = selected;
    EXPECT_EQ(RestoreFromBackup(context, L"C:\\dir\\", true), RestoreOutcome::kNothingDone);
    EXPECT_EQ(RestoreFromBackup(context, L"", true), RestoreOutcome::kNothingDone);
    window.selected.reset();
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kNothingDone);
    EXPECT_EQ(window.relaunches,
              (std::vector<std::wstring>{L"bkp \"C:\\dir\\\\\" tz \"Zone \\\"B\\\"\"",
                                         L"bkp \"\" tz \"Zone \\\"B\\\"\"", L"bkp \"C:\\b.trvbkp\""}));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(prompts.openAsked, 0);
}

TEST_F(RestoreTest, WithoutWriteAccessAndNoRelaunchTheImportRefusesWithAccessDenied) {
    window.notWritable = true;
    registry.DenyWrite(kTimeZonesFullPath);
    EXPECT_EQ(RestoreFromBackup(context, kPath, false), RestoreOutcome::kFailed);
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{L"[165] path=\"C:\\b.trvbkp\"", L"[156] file=\"C:\\b.trvbkp\""}));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{5, 5}));
    ExpectRefusedBox(L"this program may not write the time-zone database", 5);
    EXPECT_TRUE(tool.commandLines.empty());
}

TEST_F(RestoreTest, EmptyPathAsksForTheFile) {
    prompts.openPath = kPath;
    EXPECT_EQ(RestoreFromBackup(context, L"", true), RestoreOutcome::kRestored);
    EXPECT_EQ(prompts.openAsked, 1);

    prompts.openResult = FileChoice::kCancelled;
    EXPECT_EQ(RestoreFromBackup(context, L"", true), RestoreOutcome::kNothingDone);

    prompts.messages.clear();
    log.events.clear();
    prompts.openResult = FileChoice::kFailed;
    EXPECT_EQ(RestoreFromBackup(context, L"", true), RestoreOutcome::kFailed);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[155] r=2"});
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, L"ERROR: Failed to display file open dialog.");
}

TEST_F(RestoreTest, ConfirmationDecides) {
    prompts.answers = {IDNO, IDCANCEL, 0};
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kNothingDone);
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kNothingDone);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kFailed);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[182] r=0, path=C:\\b.trvbkp"});
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(tool.commandLines.empty());
}

TEST_F(RestoreTest, FileChecksBeforeTheImport) {
    EXPECT_EQ(ImportBackup(context, L""), 0);
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ImportBackup(context, L"C:\\missing.trvbkp"), 0);
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);
    files.folders.insert(L"C:\\folder.trvbkp");
    EXPECT_EQ(ImportBackup(context, L"C:\\folder.trvbkp"), 0);
    EXPECT_EQ(GetThreadLastError(), 336u);
    EXPECT_TRUE(log.events.empty());
}

// Each file is refused whole, before anything is asked or written, with what
// is wrong and where; the log names the line and the reason, never the
// file's text.
TEST_F(RestoreTest, RefusedFilesSayWhatIsWrongAndThatNothingWasChanged) {
    const std::wstring key = L"\"TimeZoneKeyName\"=\"Zone B\"";
    const auto named = [&](const std::wstring& name) {
        return ReplaceAll(backupText, key, L"\"TimeZoneKeyName\"=\"" + name + L"\"");
    };
    const std::wstring desktop = L"HKEY_CURRENT_USER\\Control Panel\\Desktop";
    // Line numbers as the file's own lines count them.
    const auto lineOf = [](const std::wstring& text, std::size_t pos) {
        return static_cast<DWORD>(
            std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), L'\n') + 1);
    };
    const std::wstring cut = backupText.substr(0, backupText.find(L"\"Std\"") + 5);
    const DWORD cutLine = lineOf(cut, cut.size());
    std::vector<BYTE> tzi43 = Tzi(60);
    tzi43.pop_back();
    registry.PutValue(ZonePath(L"Zone A"), L"TZI", REG_BINARY, tzi43);
    std::wstring shortTzi;
    ASSERT_TRUE(ExportTimeZoneDatabase(registry, shortTzi));
    registry.PutValue(ZonePath(L"Zone A"), L"TZI", REG_BINARY, Tzi(60));
    const DWORD tziLine = lineOf(shortTzi, shortTzi.find(L"\"TZI\""));
    const std::wstring infoLine = L"[" + kInfo + L"]\n";
    const std::wstring zoneALine = L"[" + ZonePath(L"Zone A") + L"]\n";
    const DWORD zoneASource = lineOf(backupText, backupText.find(zoneALine)) + 1;
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        DWORD error;
        std::wstring log;
        std::wstring reason;
    };
    const std::vector<Case> cases = {
        {"empty",
         {},
         11,
         L"[219] path=\"C:\\b.trvbkp\", line=1, reason=\"the file is empty\"",
         L"the file is empty"},
        {"foreign key", BackupFileBytes(backupText + L"[" + desktop + L"]\n\"Wallpaper\"=\"x\"\n\n"), 11,
         L"[219] path=\"C:\\b.trvbkp\", line=35, reason=\"line 35 names a key outside the time-zone "
         L"database\"",
         L"line 35 names a key outside the time-zone database (" + desktop + L")"},
        {"cut mid-line", BackupFileBytes(cut), 11,
         Format(L"[219] path=\"C:\\b.trvbkp\", line=%u, reason=\"line %u ends in the middle (the file is cut "
                L"short)\"",
                cutLine, cutLine),
         Format(L"line %u ends in the middle (the file is cut short)", cutLine)},
        {"43-byte TZI", BackupFileBytes(shortTzi), 11,
         Format(
             L"[219] path=\"C:\\b.trvbkp\", line=%u, reason=\"line %u: a zone value has a TZI of 43 bytes; a "
             L"zone's TZI has 44\"",
             tziLine, tziLine),
         Format(L"the zone Zone A has a TZI of 43 bytes; a zone's TZI has 44 (line %u)", tziLine)},
        {"no current zone", BackupFileBytes(ReplaceAll(backupText, key + L"\n", L"")), 11,
         L"[406] path=\"C:\\b.trvbkp\"",
         L"it names no current time zone (TimeZoneKeyName in the TimeZoneInformation key)"},
        {"SCSU",
         {0x0E, 0xFE, 0xFF},
         50,
         L"[166] path=\"C:\\b.trvbkp\"",
         L"the file cannot be read: " + GetErrorText(50)},
        {"blank name", BackupFileBytes(named(L" \t ")), 145, L"[167] path=\"C:\\b.trvbkp\"",
         L"the current time zone's name (TimeZoneKeyName) is empty"},
        // The zone made current is the one the strict reading found, under the key names' own rules.
        {"backslash", BackupFileBytes(named(L"Zone B\\\\Dynamic DST")), 11,
         L"[316] path=\"C:\\b.trvbkp\", length=18",
         L"the current time zone's name (TimeZoneKeyName) holds a backslash"},
        {"128 characters", BackupFileBytes(named(std::wstring(128, L'B'))), 11,
         L"[316] path=\"C:\\b.trvbkp\", length=128",
         L"the current time zone's name (TimeZoneKeyName) has 128 characters; a time zone's key name has at "
         L"most 127"},
        // A soft hyphen is ignored by a linguistic comparison, never by an ordinal one.
        {"look-alike", BackupFileBytes(named(L"Zone B\u00AD")), 11, L"[316] path=\"C:\\b.trvbkp\", length=7",
         L"the current time zone it names (Zone B\u00AD) is none of the zones it holds"},
        {"embedded NUL",
         BackupFileBytes(ReplaceAll(backupText, key, L"\"TimeZoneKeyName\"=hex(1):5a,00,00,00,42,00,00,00")),
         11, L"[316] path=\"C:\\b.trvbkp\", length=3",
         L"the current time zone's name (TimeZoneKeyName) holds a NUL character"},
        {"no such zone", BackupFileBytes(named(L"Zone Gone")), 11, L"[316] path=\"C:\\b.trvbkp\", length=9",
         L"the current time zone it names (Zone Gone) is none of the zones it holds"},
        // An IANA source goes into the registry too: only a zone's, and only a name.
        {"source outside a zone",
         BackupFileBytes(ReplaceAll(backupText, infoLine, infoLine + kZoneSourceComment + L"Etc/UTC\n")), 11,
         L"[219] path=\"C:\\b.trvbkp\", line=4, reason=\"line 4 gives an IANA zone outside a zone's key\"",
         L"line 4 gives an IANA zone outside a zone's key"},
        {"source not a name",
         BackupFileBytes(ReplaceAll(backupText, zoneALine, zoneALine + kZoneSourceComment + L"../x\n")), 11,
         Format(L"[219] path=\"C:\\b.trvbkp\", line=%u, reason=\"line %u gives an IANA zone that is not a "
                L"zone's name\"",
                zoneASource, zoneASource),
         Format(L"line %u gives an IANA zone that is not a zone's name (../x)", zoneASource)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        files.files[kPath] = c.bytes;
        log.events.clear();
        prompts.messages.clear();
        EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kFailed);
        EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{c.log, L"[156] file=\"C:\\b.trvbkp\""}));
        ExpectRefusedBox(c.reason, c.error);
    }
    EXPECT_TRUE(tool.commandLines.empty());
    EXPECT_TRUE(files.privateFolders.empty()) << "refused before anything is written";
    EXPECT_TRUE(window.reloads.empty());
}

TEST_F(RestoreTest, FileThatWritesOutsideTheTimeZoneKeysIsRefusedBeforeTheImport) {
    const std::wstring run = L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]";
    SetFileText(backupText + run + L"\n\"Evil\"=\"C:\\\\evil.exe\"\n\n");
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kFailed);
    EXPECT_TRUE(tool.commandLines.empty());
    EXPECT_FALSE(
        registry.KeyExists(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"));
    EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{
                                  L"[219] path=\"C:\\b.trvbkp\", line=35, reason=\"line 35 names a key "
                                  L"outside the time-zone database\"",
                                  L"[156] file=\"C:\\b.trvbkp\""}));
    EXPECT_TRUE(files.privateFolders.empty()) << "refused before anything is written";
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{11, 11}));
    ExpectRefusedBox(L"line 35 names a key outside the time-zone database (" + run.substr(1, run.size() - 2) +
                         L")",
                     ERROR_BAD_FORMAT);
    EXPECT_TRUE(window.reloads.empty());

    log.events.clear();
    const std::wstring deletion =
        L"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Zone A]";
    SetFileText(backupText + deletion + L"\n\n");
    DWORD error = 0;
    EXPECT_EQ(Import(&error), 0);
    EXPECT_EQ(error, ERROR_BAD_FORMAT);
    EXPECT_EQ(log.Messages(),
              std::vector<std::wstring>{L"[219] path=\"C:\\b.trvbkp\", line=35, reason=\"line 35 deletes a "
                                        L"key; a backup deletes nothing\""});
    EXPECT_TRUE(registry.KeyExists(ZonePath(L"Zone A")));
}

TEST_F(RestoreTest, AnExportedZoneIsRestoredWithoutChangingTheCurrentZone) {
    std::wstring zoneB;
    std::wstring zoneA;
    ASSERT_EQ(ExportZoneText(registry, L"Zone B", zoneB), ERROR_SUCCESS);
    ASSERT_EQ(ExportZoneText(registry, L"Zone A", zoneA), ERROR_SUCCESS);
    const std::wstring before = Current();
    const std::wstring zonePath = L"C:\\Zone B.reg";
    files.files[zonePath] = BackupFileBytes(zoneB);
    ChangeZones();
    registry.PutString(ZonePath(L"Zone B"), L"Stray", L"x");
    EXPECT_EQ(RestoreFromBackup(context, zonePath, true), RestoreOutcome::kRestored);
    EXPECT_EQ(Current(), before) << "the zone exactly as in the file, the others untouched";
    EXPECT_EQ(prompts.messages.at(0).text,
              L"Do you want to restore the time zone Zone B from the following file?\n\n"
              L"C:\\Zone B.reg\n\nThe restore changes this zone as the file holds it; "
              L"nothing else is touched.");
    EXPECT_TRUE(activator.activated.empty());
    EXPECT_EQ(window.reloads, std::vector<bool>{true});
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[181] Restored time zones"});
    EXPECT_EQ(prompts.messages.back().text, L"Time zones information has been restored.");

    // Only a .reg file that holds one zone and nothing else stands in for a backup.
    const std::wstring root =
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones]\n\n";
    const std::pair<std::wstring, std::wstring> refused[] = {
        {zonePath, zoneB + zoneA.substr(38)},
        {zonePath, zoneB + root},
        {zonePath, L"Windows Registry Editor Version 5.00\n\n"},
        {kPath, zoneB},
    };
    for (const auto& [path, text] : refused) {
        log.events.clear();
        files.files[path] = BackupFileBytes(text);
        DWORD error = 0;
        EXPECT_EQ(ImportBackup(context, path), 0) << text;
        error = GetThreadLastError();
        EXPECT_EQ(error, ERROR_BAD_FORMAT);
        EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[406] path=\"" + path + L"\""}) << text;
    }
    EXPECT_EQ(tool.commandLines.size(), 1u);
}

// A zone's IANA source travels in its file as a comment that the import tool
// skips, and a restore of the file puts it back.
TEST_F(RestoreTest, AZoneFileBringsBackTheZonesIanaSource) {
    ASSERT_EQ(SetZoneSource(registry, L"Zone B", L"America/Asuncion"), ERROR_SUCCESS);
    std::wstring zoneB;
    ASSERT_EQ(ExportZoneText(registry, L"Zone B", zoneB), ERROR_SUCCESS);
    const std::wstring keyLine = L"[" + ZonePath(L"Zone B") + L"]\n";
    EXPECT_NE(zoneB.find(keyLine + kZoneSourceComment + L"America/Asuncion\n"), std::wstring::npos)
        << ToUtf8(zoneB);
    const std::wstring zonePath = L"C:\\Zone B.reg";
    files.files[zonePath] = BackupFileBytes(zoneB);
    registry.RemoveTree(ZonePath(L"Zone B"));
    ASSERT_EQ(SetZoneSource(registry, L"Zone B", L""), ERROR_SUCCESS);
    ASSERT_EQ(RestoreFromBackup(context, zonePath, true), RestoreOutcome::kRestored);
    const ZoneSources sources = ReadZoneSources(registry);
    ASSERT_NE(FindZoneSource(sources, L"Zone B"), nullptr);
    EXPECT_EQ(*FindZoneSource(sources, L"Zone B"), L"America/Asuncion");
}

// An import tool that fails after it wrote part of the file, or never
// finishes, leaves the database as it was: what it wrote is put back.
TEST_F(RestoreTest, ImportFailuresAreReportedAndLeaveNoCopyBehind) {
    const std::wstring size = std::to_wstring(BackupFileBytes(backupText).size());
    ChangeZones();
    registry.RemoveTree(ZonePath(L"Zone A"));
    const std::wstring before = Current();
    struct Case {
        const char* what;
        std::function<void(FakeImportTool&, MemoryFiles&)> setUp;
        DWORD error;
        std::wstring message;
        std::wstring reason = {}; // empty: refused before anything was written
        int terminations = 0;     // a tool that outlived its time is ended
        std::optional<std::pair<std::wstring, LONG>> then = std::nullopt;
    };
    const std::vector<Case> cases = {
        {"tool missing", [](FakeImportTool& t, MemoryFiles&) { t.startError = ERROR_FILE_NOT_FOUND; }, 2,
         L"[168] path=\"" + kCommandLine + L"\"",
         L"The registry import tool could not be started: " + GetErrorText(2)},
        {"no handle", [](FakeImportTool& t, MemoryFiles&) { t.noProcessHandle = true; }, 84,
         L"[169] path=\"C:\\b.trvbkp\"", L"The registry import tool could not be started."},
        {"wait",
         [](FakeImportTool& t, MemoryFiles&) {
             t.waitResult = WAIT_FAILED;
             t.waitError = 6;
         },
         6, L"[170] path=\"C:\\b.trvbkp\"",
         L"Waiting for the registry import tool failed: " + GetErrorText(6)},
        {"hangs after writing part",
         [](FakeImportTool& t, MemoryFiles&) {
             t.waitResult = WAIT_TIMEOUT;
             t.keysWritten = 3;
         },
         258, L"[171] path=\"C:\\b.trvbkp\"", L"The registry import tool did not finish within 10 seconds.",
         1},
        {"timeout, not ended",
         [](FakeImportTool& t, MemoryFiles&) {
             t.waitResult = WAIT_TIMEOUT;
             t.terminateError = 5;
         },
         258, L"[171] path=\"C:\\b.trvbkp\"", L"The registry import tool did not finish within 10 seconds.",
         1, std::make_pair(L"[292] path=\"C:\\b.trvbkp\"", 5)},
        {"exit code", [](FakeImportTool& t, MemoryFiles&) { t.exitCodeError = 6; }, 6,
         L"[172] path=\"C:\\b.trvbkp\"",
         L"The registry import tool's exit code could not be read: " + GetErrorText(6)},
        {"fails after writing part",
         [](FakeImportTool& t, MemoryFiles&) {
             t.exitCode = 1;
             t.keysWritten = 3;
         },
         31, L"[173] path=\"C:\\b.trvbkp\", exitCode=1", L"The registry import tool ended with exit code 1."},
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
        c.setUp(failing, disk);
        BackupContext local{registry, disk, failing, prompts, window, settings, activator};
        log.events.clear();
        prompts.messages.clear();
        prompts.answers = {IDYES};
        window.reloads.clear();
        EXPECT_EQ(RestoreFromBackup(local, kPath, true), RestoreOutcome::kFailed);
        EXPECT_EQ(Current(), before) << "the database as it was before the restore";
        // Each line carries the code current when it is written: a tool's exit code is none.
        const LONG lineError = c.error == ERROR_GEN_FAILURE ? 0 : static_cast<LONG>(c.error);
        std::vector<std::wstring> lines = {c.message};
        std::vector<LONG> errors = {lineError};
        if (c.then) {
            lines.push_back(c.then->first);
            errors.push_back(c.then->second);
        }
        if (!c.reason.empty()) {
            lines.push_back(L"[312] path=\"C:\\b.trvbkp\"");
            errors.push_back(0);
        }
        lines.push_back(L"[156] file=\"C:\\b.trvbkp\"");
        errors.push_back(static_cast<LONG>(c.error));
        EXPECT_EQ(log.Messages(), lines);
        EXPECT_EQ(log.LastErrors(), errors);
        EXPECT_EQ(failing.terminated, c.terminations);
        ASSERT_EQ(prompts.messages.size(), 2u);
        if (c.reason.empty()) {
            EXPECT_EQ(
                prompts.messages.back().text.rfind(L"The file cannot be restored: the restore's files could "
                                                   L"not be written in its private folder: ",
                                                   0),
                0u);
            EXPECT_NE(prompts.messages.back().text.find(L"Nothing was changed."), std::wstring::npos);
        } else {
            EXPECT_EQ(prompts.messages.back().text,
                      L"ERROR: Failed to restore time zones information from the file:\n\n" + kPath +
                          L"\n\n" + c.reason +
                          L"\n\nThe time-zone database was put back as it was; nothing was changed.");
        }
        EXPECT_EQ(failing.closed, failing.opened);
        EXPECT_TRUE(disk.Below(disk.programData).empty()) << "no copy and no saved state is left";
        EXPECT_EQ(disk.openHandles, 0u);
        // What the tool wrote was put back: the list shows the registry again.
        EXPECT_EQ(window.reloads, c.reason.empty() ? std::vector<bool>{} : std::vector<bool>{true});
        EXPECT_TRUE(activator.activated.empty());
    }
}

// Putting back fails too: the saved state stays, named, and restores the database.
TEST_F(RestoreTest, FailedPutBackKeepsTheSavedStateWhichRestoresTheDatabase) {
    ChangeZones();
    const std::wstring before = Current();
    tool.exitCode = 1;
    registry.InjectFault(
        RegFault(RegOp::SetValue, ZonePath(L"Zone B")).Value(L"TZI").Error(ERROR_ACCESS_DENIED));
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kFailed);
    const std::wstring kept = L"C:\\ProgramData\\Tarvane-1\\before-restore.trvbkp";
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{L"[173] path=\"C:\\b.trvbkp\", exitCode=1",
                                         L"[311] err=5, key=\"" + ZonePath(L"Zone B").substr(19) + L"\"",
                                         L"[313] path=\"C:\\b.trvbkp\", state=\"" + kept + L"\"",
                                         L"[156] file=\"C:\\b.trvbkp\""}));
    EXPECT_EQ(
        prompts.messages.back().text,
        L"ERROR: Failed to restore time zones information from the file:\n\n" + kPath +
            L"\n\nThe registry import tool ended with exit code 1.\n\nPutting the time-zone database back as "
            L"it was failed too. This file holds the database as it was before the restore; restore it to "
            L"put the database back:\n\n" +
            kept + L"\n\n(31) " + GetErrorText(31));
    ASSERT_EQ(files.Below(files.programData),
              (std::vector<std::wstring>{kept, L"C:\\ProgramData\\Tarvane-1"}));

    registry.ClearFaults();
    tool.exitCode.reset();
    prompts.answers = {IDYES};
    const std::vector<BYTE> state = files.files.at(kept);
    files.files[L"C:\\kept.trvbkp"] = state;
    EXPECT_EQ(RestoreFromBackup(context, L"C:\\kept.trvbkp", true), RestoreOutcome::kRestored) << log.Dump();
    EXPECT_EQ(Current(), before);
}

// The database cannot be read to be compared: refused before anything is
// asked. The clean-up after the import fails: the database is put back.
TEST_F(RestoreTest, UnreadableDatabaseIsRefusedAndAFailedCleanUpIsPutBack) {
    registry.InjectFault(RegFault(RegOp::QueryInfo, kInfo).Error(ERROR_ACCESS_DENIED).Times(1));
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kFailed);
    EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{L"[310] err=5, key=\"" + kInfo.substr(19) + L"\"",
                                                         L"[156] file=\"C:\\b.trvbkp\""}));
    ExpectRefusedBox(L"the time-zone database could not be read to compare: " + GetErrorText(5), 5);

    registry.PutString(ZonePath(L"Zone B"), L"Stray", L"x");
    const std::wstring before = Current();
    registry.InjectFault(RegFault(RegOp::DeleteValue, ZonePath(L"Zone B")).Value(L"Stray").Error(5).Times(1));
    log.events.clear();
    prompts.messages.clear();
    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kFailed);
    EXPECT_EQ(Current(), before);
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{L"[311] err=5, key=\"" + ZonePath(L"Zone B").substr(19) + L"\"",
                                         L"[317] path=\"C:\\b.trvbkp\"", L"[312] path=\"C:\\b.trvbkp\"",
                                         L"[156] file=\"C:\\b.trvbkp\""}));
    EXPECT_EQ(prompts.messages.back().text,
              L"ERROR: Failed to restore time zones information from the file:\n\n" + kPath +
                  L"\n\nRemoving what the backup does not hold failed: " + GetErrorText(5) +
                  L"\n\nThe time-zone database was put back as it was; nothing was changed.");
}

TEST_F(RestoreTest, CopyThatCannotBeRemovedIsLoggedAndTheRestoreStands) {
    files.removeFileError = 32;
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kRestored);
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{L"[224] copy=\"" + kCopy + L"\"",
                                         L"[224] copy=\"C:\\ProgramData\\Tarvane-1\\before-restore.trvbkp\"",
                                         L"[225] folder=\"C:\\ProgramData\\Tarvane-1\"",
                                         L"[181] Restored time zones"}));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{32, 32, 145, 0}));
}

TEST_F(RestoreTest, FailedActivationStillCleansUpReloadsAndSaysWhatWasRestored) {
    ChangeZones();
    activator.error = 1314;
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kRestored)
        << "everything was restored";
    EXPECT_EQ(Current(), backupText) << "the import stays and the stale years are gone";
    EXPECT_EQ(window.reloads, std::vector<bool>{true});
    EXPECT_EQ(window.titleUpdates, 1);
    EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{L"[175] path=\"C:\\b.trvbkp\", key=\"Zone B\"",
                                                         L"[181] Restored time zones"}));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{1314, 1314}));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text,
              L"Time zones information has been restored, but the time zone that the "
              L"backup names as current could not be made the current time zone.\n\n"
              L"(1314) " +
                  GetErrorText(1314));
    EXPECT_EQ(prompts.messages[1].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(prompts.beeps, 0);

    // When the list could not be reloaded either, the restore has failed.
    prompts.messages.clear();
    prompts.answers = {IDYES};
    window.reloadResult = false;
    registry.PutString(ZonePath(L"Zone A"), L"Display", L"Edited again");
    log.events.clear();
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kFailed);
    EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{L"[175] path=\"C:\\b.trvbkp\", key=\"Zone B\"",
                                                         L"[158]", L"[156] file=\"C:\\b.trvbkp\""}));
    ExpectRestoreErrorBox(1314);
}

TEST_F(RestoreTest, ZoneMissingAfterTheImportIsReportedAndTheRestoreStands) {
    // The file names a zone it holds; the import tool left it out all the same.
    tool.keysWritten = 0;
    registry.RemoveTree(ZonePath(L"Zone B"));
    window.reloadResult = false;
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kFailed);
    EXPECT_EQ(window.reloads, std::vector<bool>{true});
    EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{L"[174] path=\"C:\\b.trvbkp\", key=\"Zone B\"",
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
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kFailed);
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

TEST_F(ResetDynamicYearsTest, UpsideDownRangeInTheBackupIsRestoredAsItIsAndStillActivates) {
    // The restore holds the years to what the file holds, whatever its range says.
    const std::wstring text =
        ReplaceAll(backupText, L"\"LastEntry\"=dword:000007d9", L"\"LastEntry\"=dword:000007d0");
    SetFileText(text);
    EXPECT_EQ(RestoreFromBackup(context, kPath, true), RestoreOutcome::kRestored);
    EXPECT_EQ(Current(), text);
    EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{L"[181] Restored time zones"}));
    EXPECT_EQ(prompts.messages.size(), 2u);
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
    window.mode = EditMode::kEdit;
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
