// The backup engine against Wine's real tools: reg.exe export as an
// independent reader of the export, reg.exe import for a restore (in a
// throw-away prefix only) and CommandLineToArgvW for the relaunch quoting.
#include "backup/activator.h"
#include "backup/file_api.h"
#include "backup/process_api.h"
#include "backup/backup_file.h"
#include "backup/code_page.h"
#include "backup/command_line.h"
#include "backup/export_text_reader.h"
#include "backup/export_zone.h"
#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "backup/restore.h"
#include "backup/zone_value_check.h"
#include "core/zone_sources.h"
#include "win32/win32_helpers.h"
#include "backup_fakes.h"
#include "log_capture.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "platform/time_zone_api.h"
#include "reg_file.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <random>

namespace tarvane::test {
namespace {

std::wstring TempFile(const std::wstring& name) {
    return TempPath(Format(L"tarvane-%u-", ::GetCurrentProcessId()) + name);
}

std::wstring RegExe() {
    return WithTrailingSeparator(SystemProcesses().SystemDirectory()) + L"reg.exe";
}

RegFile Parse(const std::wstring& text) {
    RegFile file;
    std::string error;
    EXPECT_TRUE(ParseRegText(text, &file, &error)) << error;
    return file;
}

RegFile ExportNow() {
    std::wstring text;
    EXPECT_TRUE(ExportTimeZoneDatabase(SystemRegistry(), text));
    return Parse(text);
}

std::wstring RegExeExportText(const std::wstring& key) {
    const std::wstring file = TempFile(L"regexport.reg");
    EXPECT_EQ(RunToEnd(Format(L"\"%s\" export \"%s\" \"%s\" /y", RegExe(), key, file)), 0);
    std::wstring text;
    EXPECT_TRUE(LoadTextFile(SystemFiles(), file, text));
    ::DeleteFileW(file.c_str());
    return text;
}

RegFile RegExeExport(const std::wstring& key) {
    return Parse(RegExeExportText(key));
}

constexpr wchar_t kInformationKeyName[] = L"HKLM\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
constexpr wchar_t kZonesKeyName[] = L"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";

// Both keys as reg.exe exports them, one after the other under one header:
// the backup an administrator makes without this program.
std::wstring RegExeExportOfBothKeys() {
    const std::wstring zones = RegExeExportText(kZonesKeyName);
    return RegExeExportText(kInformationKeyName) + zones.substr(zones.find(L'['));
}

RegFile RegExeExportOfBoth() {
    RegFile both = RegExeExport(kInformationKeyName);
    const RegFile zones = RegExeExport(kZonesKeyName);
    both.insert(zones.begin(), zones.end());
    return both;
}

// The strict reading of a backup as the test reader's keys and values.
RegFile ReadStrictly(const std::vector<BYTE>& bytes) {
    ExportContent content;
    TextRefusal refusal;
    EXPECT_TRUE(ReadExportText(bytes, DecodeCodePage, &content, &refusal) &&
                CheckZoneValues(content, &refusal))
        << refusal.line << ": " << std::string(refusal.text.begin(), refusal.text.end());
    const auto upper = [](std::wstring text) {
        for (wchar_t& ch : text) {
            ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
        }
        return text;
    };
    RegFile file;
    for (const ExportKey& key : content.keys) {
        RegFileKey& into = file[upper(key.path)];
        into.path = key.path;
        for (const ExportValue& value : key.values) {
            into.values[upper(value.name)] = RegFileValue{value.name, value.type, value.data, false};
        }
    }
    return file;
}

void WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes) {
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::vector<BYTE> ResourceBytes(int id) {
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10)); // RT_RCDATA
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
    return data == nullptr ? std::vector<BYTE>()
                           : std::vector<BYTE>(data, data + ::SizeofResource(nullptr, found));
}

std::wstring ProgramDataFolder() {
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &path))) {
        folder = path;
    }
    ::CoTaskMemFree(path);
    return folder;
}

// The folders of private copies that are still there.
std::vector<std::wstring> LeftPrivateFolders() {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data{};
    const HANDLE search = ::FindFirstFileW((ProgramDataFolder() + L"\\Tarvane-*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            found.emplace_back(data.cFileName);
        } while (::FindNextFileW(search, &data));
        ::FindClose(search);
    }
    return found;
}

TEST(ExportOnWine, WholeDatabaseEqualsWhatRegExeExports) {
    const RegFile expected = RegExeExportOfBoth();
    ASSERT_GT(expected.size(), 139u) << "every zone and its Dynamic DST keys";
    const RegFile actual = ExportNow();
    const std::string diff = DiffRegFiles(NormalizeStrings(expected), NormalizeStrings(actual));
    EXPECT_TRUE(diff.empty()) << diff;

    // The restore's strict reading of every zone gives back the same content,
    // from this program's backup and from reg.exe's export alike, and the
    // backup is its own canonical copy.
    std::wstring text;
    ASSERT_TRUE(ExportTimeZoneDatabase(SystemRegistry(), text));
    const std::string strict = DiffRegFiles(NormalizeStrings(expected), ReadStrictly(BackupFileBytes(text)));
    EXPECT_TRUE(strict.empty()) << strict;
    const std::string regExe =
        DiffRegFiles(expected, ReadStrictly(BackupFileBytes(RegExeExportOfBothKeys())));
    EXPECT_TRUE(regExe.empty()) << regExe;
    ExportContent content;
    TextRefusal refusal;
    ASSERT_TRUE(ReadExportText(BackupFileBytes(text), DecodeCodePage, &content, &refusal));
    EXPECT_EQ(CanonicalExportText(content), text);
}

TEST(CommandLineOnWine, EveryEscapedValueArrivesAsOneArgument) {
    std::vector<std::wstring> values = {L"",           L"C:\\t\\x\\\" e \"y\\..\\..\\b.trvbkp",
                                        L"ends\\",     L"\\\"",
                                        L"\"",         L"Zone \"A\"",
                                        L"a\tb\nc\rd", L" x "};
    std::mt19937 random(7);
    const wchar_t alphabet[] = {L'a', L'\\', L'"', L' ', L'\t', L'\n', L'\r', L'/', L'-', 0x00E9};
    for (int i = 0; i < 2000; ++i) {
        std::wstring value;
        const int length = static_cast<int>(random() % 10);
        for (int k = 0; k < length; ++k) {
            value.push_back(alphabet[random() % std::size(alphabet)]);
        }
        values.push_back(value);
    }
    for (const std::wstring& value : values) {
        const std::wstring line = L"C:\\tarvane.exe " +
                                  Format(L"%s \"%s\"", L"bkp", EscapeForCommandLine(value)) +
                                  Format(L" %s \"%s\"", L"tz", EscapeForCommandLine(value));
        int count = 0;
        LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
        ASSERT_NE(argv, nullptr);
        std::vector<std::wstring> arguments(argv, argv + count);
        ::LocalFree(argv);
        std::wstring expected;
        for (wchar_t ch : value) {
            expected += ch == L'\n'   ? L"\\n"
                        : ch == L'\r' ? L"\\r"
                        : ch == L'\t' ? L"\\t"
                                      : std::wstring(1, ch);
        }
        ASSERT_EQ(arguments,
                  (std::vector<std::wstring>{L"C:\\tarvane.exe", L"bkp", expected, L"tz", expected}))
            << std::string(line.begin(), line.end());
    }
}

// The tests below write the prefix's real HKEY_LOCAL_MACHINE, because
// reg.exe runs as a process of its own and sees no redirection. They run only
// in the throw-away prefix that their ctest entry names.
bool InThrowAwayPrefix() {
    const char* allowed = std::getenv("TARVANE_THROWAWAY_PREFIX");
    return allowed != nullptr && std::string(allowed) == "1";
}

// The backup commands on the real registry, files and processes, with the
// window and its prompts faked.
struct SystemBackupWorld {
    FakePrompts prompts;
    FakeWindow window;
    FakeSettings settings;
    FakeActivator activator;
    BackupContext context{SystemRegistry(), SystemFiles(), SystemProcesses(), prompts,
                          window,           settings,      activator};
};

class RestoreOnThrowAwayPrefix : public ::testing::Test, protected SystemBackupWorld {
protected:
    void SetUp() override {
        if (!InThrowAwayPrefix()) {
            GTEST_SKIP() << "writes the real registry: runs only in its own prefix";
        }
        path = TempFile(L"restore.trvbkp");
        prompts.savePath = path;
        MakeBackup(context);
        ASSERT_EQ(prompts.messages.size(), 1u);
        ASSERT_NE(prompts.messages[0].text.find(L"was saved"), std::wstring::npos);
        prompts.messages.clear();
        std::wstring text;
        ASSERT_TRUE(LoadTextFile(SystemFiles(), path, text));
        backup = Parse(text);
        before = ExportNow();
        ASSERT_TRUE(DiffRegFiles(backup, before).empty());
    }
    void TearDown() override { ::DeleteFileW(path.c_str()); }

    // A zone with dynamic years, its years widened by stale values on both
    // sides, and other zones' names and rules changed.
    void ChangeZones() {
        HKEY zones = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTimeZonesPath, 0, KEY_ALL_ACCESS, &zones),
                  ERROR_SUCCESS);
        HKEY dynamic = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(zones, L"Pacific Standard Time\\Dynamic DST", 0, KEY_ALL_ACCESS, &dynamic),
                  ERROR_SUCCESS);
        DWORD first = 0;
        DWORD last = 0;
        DWORD size = 4;
        ASSERT_EQ(::RegQueryValueExW(dynamic, L"FirstEntry", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&first), &size),
                  ERROR_SUCCESS);
        size = 4;
        ASSERT_EQ(::RegQueryValueExW(dynamic, L"LastEntry", nullptr, nullptr, reinterpret_cast<BYTE*>(&last),
                                     &size),
                  ERROR_SUCCESS);
        BYTE tzi[44] = {1, 2, 3};
        staleLow = Format(L"%u", first - 3);
        staleHigh = Format(L"%u", last + 5);
        ::RegSetValueExW(dynamic, staleLow.c_str(), 0, REG_BINARY, tzi, sizeof tzi);
        ::RegSetValueExW(dynamic, staleHigh.c_str(), 0, REG_BINARY, tzi, sizeof tzi);
        DWORD wider = first - 3;
        ::RegSetValueExW(dynamic, L"FirstEntry", 0, REG_DWORD, reinterpret_cast<BYTE*>(&wider), 4);
        wider = last + 5;
        ::RegSetValueExW(dynamic, L"LastEntry", 0, REG_DWORD, reinterpret_cast<BYTE*>(&wider), 4);
        ::RegCloseKey(dynamic);
        HKEY tokyo = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(zones, L"Tokyo Standard Time", 0, KEY_ALL_ACCESS, &tokyo), ERROR_SUCCESS);
        const std::wstring edited = L"Edited \x00e9 name";
        ::RegSetValueExW(tokyo, L"Display", 0, REG_SZ, reinterpret_cast<const BYTE*>(edited.c_str()),
                         static_cast<DWORD>((edited.size() + 1) * 2));
        ::RegSetValueExW(tokyo, L"TZI", 0, REG_BINARY, tzi, sizeof tzi);
        ::RegCloseKey(tokyo);
        ::RegCloseKey(zones);
        ASSERT_FALSE(DiffRegFiles(backup, ExportNow()).empty());
    }

    bool HasYear(const std::wstring& year) {
        HKEY dynamic = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                            (std::wstring(kTimeZonesPath) + L"\\Pacific Standard Time\\Dynamic DST").c_str(),
                            0, KEY_READ, &dynamic) != ERROR_SUCCESS) {
            return false;
        }
        const bool found =
            ::RegQueryValueExW(dynamic, year.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        ::RegCloseKey(dynamic);
        return found;
    }

    LogCapture log;
    std::wstring path;
    RegFile backup;
    RegFile before;
    std::wstring staleLow;
    std::wstring staleHigh;
};

// Besides the changed zones: a zone added with a key below it, a stray value
// in a zone, a zone deleted. Afterwards reg.exe exports the very key it
// exported at the backup.
TEST_F(RestoreOnThrowAwayPrefix, RealImportBringsBackTheBackupAndRemovesStaleYears) {
    const RegFile zonesAtBackup = RegExeExport(kZonesKeyName);
    ChangeZones();
    ASSERT_TRUE(HasYear(staleLow));
    const std::wstring zones = kTimeZonesPath;
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (zones + L"\\Tarvane Probe Zone\\Dynamic DST").c_str(), 0,
                                nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (zones + L"\\UTC").c_str(), 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    const DWORD stray = 7;
    ::RegSetValueExW(key, L"Stray", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stray), 4);
    ::RegCloseKey(key);
    ASSERT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (zones + L"\\Yakutsk Standard Time").c_str()),
              ERROR_SUCCESS);
    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(context, path, false), RestoreOutcome::kRestored) << log.Dump();
    const std::string diff = DiffRegFiles(backup, ExportNow());
    EXPECT_TRUE(diff.empty()) << diff;
    const std::string regExeDiff = DiffRegFiles(zonesAtBackup, RegExeExport(kZonesKeyName));
    EXPECT_TRUE(regExeDiff.empty()) << regExeDiff;
    const std::wstring& preview = prompts.messages.at(0).text;
    for (const wchar_t* line : {L"Added back (1): Yakutsk Standard Time\n",
                                L"Deleted, as the backup does not hold them (1): Tarvane Probe Zone\n"}) {
        EXPECT_NE(preview.find(line), std::wstring::npos) << std::string(preview.begin(), preview.end());
    }
    // Tokyo's edit is no change where an earlier run left the prefix with it.
    const std::size_t changed = preview.find(L"Changed (");
    ASSERT_NE(changed, std::wstring::npos) << std::string(preview.begin(), preview.end());
    const std::wstring changedLine = preview.substr(changed, preview.find(L'\n', changed) - changed);
    for (const wchar_t* zone : {L"Pacific Standard Time", L"UTC"}) {
        EXPECT_NE(changedLine.find(zone), std::wstring::npos);
    }
    EXPECT_FALSE(HasYear(staleLow));
    EXPECT_FALSE(HasYear(staleHigh));
    ASSERT_EQ(activator.activated.size(), 1u);
    EXPECT_EQ(activator.activated[0].keyName, L"Pacific Standard Time");
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[181] Restored time zones"});
}

TEST_F(RestoreOnThrowAwayPrefix, FailingRealActivationIsReportedAndNothingIsLost) {
    ChangeZones();
    SystemZoneActivator real(SystemTimeZoneApi(), false);
    BackupContext withReal{SystemRegistry(), SystemFiles(), SystemProcesses(), prompts, window,
                           settings,         real};
    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(withReal, path, false), RestoreOutcome::kRestored)
        << "restored; only the activation failed";
    const std::string diff = DiffRegFiles(backup, ExportNow());
    EXPECT_TRUE(diff.empty()) << diff;
    EXPECT_FALSE(HasYear(staleLow));
    EXPECT_EQ(window.reloads, std::vector<bool>{true});
    EXPECT_EQ(window.titleUpdates, 1);
    const std::wstring tag = L"[175] path=\"" + path + L"\", key=\"Pacific Standard Time\"";
    // The activation's own privilege lines ([177]-[180]) may come first.
    std::vector<std::wstring> restoreLines;
    for (const auto& message : log.Messages()) {
        if (message.rfind(L"[17", 0) != 0 || message.rfind(L"[175]", 0) == 0) {
            restoreLines.push_back(message);
        }
    }
    ASSERT_EQ(restoreLines, (std::vector<std::wstring>{tag, L"[181] Restored time zones"})) << log.Dump();
    const LONG error = log.LastErrorOf(tag);
    EXPECT_NE(error, 0);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text,
              Format(L"Time zones information has been restored, but the time zone that the backup names as "
                     L"current could not be made the current time zone.\n\n(%d) %s",
                     error, GetErrorText(static_cast<DWORD>(error))));
}

TEST_F(RestoreOnThrowAwayPrefix, BackupThatAlsoWritesTheRunKeyIsRefusedAndTheKeyIsUntouched) {
    const std::wstring runPath = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    std::wstring runBefore;
    LONG runState =
        ExportRegistryKey(SystemRegistry(), kHkeyLocalMachine, kLocalMachineName, runPath, runBefore);

    std::wstring text;
    ASSERT_TRUE(LoadTextFile(SystemFiles(), path, text));
    const std::wstring crafted = path + L".crafted.trvbkp";
    text += L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
            L"\"TarvaneProbe\"=\"C:\\\\windows\\\\notepad.exe\"\r\n\r\n";
    const std::vector<BYTE> bytes = BackupFileBytes(text);
    HANDLE file = ::CreateFileW(crafted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);

    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(context, crafted, false), RestoreOutcome::kFailed);
    std::wstring runAfter;
    EXPECT_EQ(ExportRegistryKey(SystemRegistry(), kHkeyLocalMachine, kLocalMachineName, runPath, runAfter),
              runState);
    EXPECT_EQ(runAfter, runBefore);
    const std::size_t runLine = static_cast<std::size_t>(std::count(text.begin(), text.end(), L'\n')) - 2;
    EXPECT_TRUE(log.Has(
        Format(L"[219] path=\"%s\", line=%u, reason=\"line %s names a key outside the time-zone database\"",
               crafted, runLine, GroupedNumber(runLine))))
        << log.Dump();
    EXPECT_TRUE(activator.activated.empty());

    // The same file given to reg.exe directly does write the key: the refusal is what kept it out.
    ASSERT_EQ(RunToEnd(Format(L"\"%s\" import \"%s\"", RegExe(), crafted)), 0);
    HKEY run = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, runPath.c_str(), 0, KEY_ALL_ACCESS, &run), ERROR_SUCCESS);
    EXPECT_EQ(::RegQueryValueExW(run, L"TarvaneProbe", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    ::RegDeleteValueW(run, L"TarvaneProbe");
    ::RegCloseKey(run);
    ::DeleteFileW(crafted.c_str());
}

// A backup cut short, as a full disk or an interrupted copy leaves it: cut in
// the middle of a line, after half a UTF-16 unit, and after a line that a
// continuation of hex bytes should follow. Nothing of it reaches the registry.
TEST_F(RestoreOnThrowAwayPrefix, TruncatedBackupIsRefusedAndTheRegistryStaysAsItWas) {
    std::vector<BYTE> whole;
    {
        FILE* in = _wfopen(path.c_str(), L"rb");
        ASSERT_NE(in, nullptr);
        BYTE buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
            whole.insert(whole.end(), buffer, buffer + n);
        }
        std::fclose(in);
    }
    const auto lineFeedBefore = [&](std::size_t at) { return whole[at - 2] == 0x0A && whole[at - 1] == 0; };
    std::size_t midLine = whole.size() * 2 / 3 & ~std::size_t{1};
    while (lineFeedBefore(midLine) || lineFeedBefore(midLine - 2)) {
        midLine -= 2;
    }
    const BYTE continuation[] = {'\\', 0, '\r', 0, '\n', 0};
    std::size_t afterContinuation =
        static_cast<std::size_t>(std::search(whole.begin() + static_cast<std::ptrdiff_t>(midLine),
                                             whole.end(), std::begin(continuation), std::end(continuation)) -
                                 whole.begin());
    ASSERT_LT(afterContinuation, whole.size());
    afterContinuation += sizeof continuation;

    ChangeZones();
    const RegFile before = ExportNow();
    const std::wstring cut = TempFile(L"truncated.trvbkp");
    for (const std::size_t size : {midLine, midLine + 1, afterContinuation}) {
        SCOPED_TRACE(size);
        WriteFileBytes(cut,
                       std::vector<BYTE>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
        log.events.clear();
        prompts.messages.clear();
        prompts.answers = {IDYES};
        EXPECT_EQ(RestoreFromBackup(context, cut, false), RestoreOutcome::kFailed);
        const std::string diff = DiffRegFiles(before, ExportNow());
        EXPECT_TRUE(diff.empty()) << diff;
        EXPECT_TRUE(activator.activated.empty());
        ASSERT_EQ(log.Messages().size(), 2u) << log.Dump();
        EXPECT_EQ(log.Messages()[0].rfind(L"[219] path=\"" + cut + L"\", line=", 0), 0u) << log.Dump();
        EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{11, 11}));
        ASSERT_EQ(prompts.messages.size(), 1u) << "nothing is asked about a refused file";
        EXPECT_NE(prompts.messages[0].text.find(L"(11) "), std::wstring::npos);
        EXPECT_NE(prompts.messages[0].text.find(L"Nothing was changed."), std::wstring::npos);
    }
    // The line named is the one the cut left unfinished.
    unsigned lines = 0;
    for (std::size_t at = 2; at < midLine; at += 2) {
        lines += lineFeedBefore(at + 2) ? 1 : 0;
    }
    WriteFileBytes(cut,
                   std::vector<BYTE>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(midLine)));
    prompts.answers = {IDYES};
    log.events.clear();
    RestoreFromBackup(context, cut, false);
    EXPECT_EQ(log.Messages().at(0).rfind(Format(L"[219] path=\"%s\", line=%u,", cut, lines + 1), 0), 0u)
        << log.Dump();
    ::DeleteFileW(cut.c_str());
}

// One zone exported by File -> Export Time Zone, deleted and imported again
// with the real reg.exe, which writes the real HKEY_LOCAL_MACHINE: only in the
// throw-away prefix that its ctest entry names.
TEST(ZoneExportOnThrowAwayPrefix, AZoneDeletedAndImportedFromItsExportHoldsTheSameValues) {
    if (!InThrowAwayPrefix()) {
        GTEST_SKIP() << "writes the real registry: runs only in its own prefix";
    }
    const std::wstring zone = L"Pacific Standard Time";
    const std::wstring key = L"HKLM\\" + std::wstring(kTimeZonesPath) + L"\\" + zone;
    // Texts that only the hexadecimal form and the escapes carry across.
    HKEY zoneKey = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kTimeZonesPath) + L"\\" + zone).c_str(), 0,
                              KEY_ALL_ACCESS, &zoneKey),
              ERROR_SUCCESS);
    for (const auto& [name, text] :
         {std::pair<const wchar_t*, std::wstring>{L"Std", L"Pacific \x00e9t\x00e9"},
          {L"Dlt", L"Pacific \"Daylight\" C:\\tz\\"}}) {
        ::RegSetValueExW(zoneKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    ::RegCloseKey(zoneKey);
    const RegFile before = RegExeExport(key);
    ASSERT_EQ(before.size(), 2u) << "the zone and its Dynamic DST key";
    // Its IANA source rides along as a comment line the import tool skips.
    ASSERT_EQ(SetZoneSource(SystemRegistry(), zone, L"America/Los_Angeles"), ERROR_SUCCESS);

    SystemBackupWorld world;
    FakePrompts& prompts = world.prompts;
    prompts.savePath = TempFile(L"zone.reg");
    FakeActivator& activator = world.activator;
    BackupContext& context = world.context;
    LogCapture log;
    ExportTimeZone(context, zone);
    ASSERT_EQ(prompts.messages.size(), 1u);
    ASSERT_EQ(prompts.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION)) << log.Dump();

    // As the README tells an administrator to apply it.
    ASSERT_EQ(RunToEnd(Format(L"\"%s\" delete \"%s\" /f /reg:64", RegExe(), key)), 0);
    ASSERT_NE(RunToEnd(Format(L"\"%s\" query \"%s\"", RegExe(), key)), 0) << "the zone is gone";
    ASSERT_EQ(RunToEnd(Format(L"\"%s\" import \"%s\" /reg:64", RegExe(), prompts.savePath)), 0);
    const std::string diff = DiffRegFiles(before, RegExeExport(key));
    EXPECT_TRUE(diff.empty()) << diff;

    // Tarvane's own restore takes the same file, and leaves the current zone
    // alone; the zone's source comes back with it.
    ASSERT_EQ(RunToEnd(Format(L"\"%s\" delete \"%s\" /f /reg:64", RegExe(), key)), 0);
    ASSERT_EQ(SetZoneSource(SystemRegistry(), zone, L""), ERROR_SUCCESS);
    EXPECT_EQ(ImportBackup(context, prompts.savePath), 1) << log.Dump();
    const std::string restored = DiffRegFiles(before, RegExeExport(key));
    EXPECT_TRUE(restored.empty()) << restored;
    EXPECT_TRUE(activator.activated.empty());
    const ZoneSources sources = ReadZoneSources(SystemRegistry());
    ASSERT_NE(FindZoneSource(sources, zone), nullptr);
    EXPECT_EQ(*FindZoneSource(sources, zone), L"America/Los_Angeles");
    ::DeleteFileW(prompts.savePath.c_str());
}

// The process calls of the restore, watched: the file the import tool is
// given and its folder's protection while it runs; a system folder or an
// argument of the test's choosing makes the tool missing or failing.
// The system's process calls, for stand-ins that change only how the import
// tool starts.
class SystemProcessesExceptStart : public ProcessApi {
public:
    std::wstring SystemDirectory() override { return SystemProcesses().SystemDirectory(); }
    DWORD Wait(const ProcessHandles& handles, DWORD milliseconds) override {
        return SystemProcesses().Wait(handles, milliseconds);
    }
    bool ExitCode(const ProcessHandles& handles, DWORD* code) override {
        return SystemProcesses().ExitCode(handles, code);
    }
    bool Terminate(const ProcessHandles& handles) override { return SystemProcesses().Terminate(handles); }
    void Close(const ProcessHandles& handles) override { SystemProcesses().Close(handles); }

protected:
    // The file the import tool is asked to import: its last quoted argument.
    static std::wstring ImportedFile(const std::wstring& commandLine) {
        const std::size_t close = commandLine.rfind(L'"');
        const std::size_t open = commandLine.rfind(L'"', close - 1);
        return commandLine.substr(open + 1, close - open - 1);
    }
};

class WatchedProcesses : public SystemProcessesExceptStart {
public:
    std::wstring systemDirectory;
    std::wstring extraArgument;
    std::wstring copy;
    bool copyExisted = false;
    std::wstring folderSddl;

    std::wstring SystemDirectory() override {
        return systemDirectory.empty() ? SystemProcesses().SystemDirectory() : systemDirectory;
    }
    bool Start(const std::wstring& commandLine, ProcessHandles* handles) override {
        copy = ImportedFile(commandLine);
        copyExisted = ::GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES;
        const std::wstring folder = copy.substr(0, copy.rfind(L'\\'));
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        wchar_t* text = nullptr;
        if (::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS &&
            ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
                descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
            folderSddl = text;
        }
        ::LocalFree(text);
        ::LocalFree(descriptor);
        return SystemProcesses().Start(commandLine + extraArgument, handles);
    }
};

TEST_F(RestoreOnThrowAwayPrefix, ImportToolReadsAPrivateCopyThatIsGoneAfterwardsWhateverHappened) {
    ASSERT_TRUE(LeftPrivateFolders().empty());
    WatchedProcesses watched;
    BackupContext watching{SystemRegistry(), SystemFiles(), watched, prompts, window, settings, activator};
    ChangeZones();
    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(watching, path, false), RestoreOutcome::kRestored) << log.Dump();
    EXPECT_TRUE(watched.copyExisted);
    EXPECT_EQ(watched.copy.rfind(ProgramDataFolder() + L"\\Tarvane-", 0), 0u);
    // Wine keeps of a folder's DACL only what its file mode can hold: there,
    // without the protected DACL, everyone could read the folder.
    EXPECT_NE(watched.folderSddl.find(L"(A;OICI;FA;;;SY)"), std::wstring::npos) << watched.folderSddl;
    EXPECT_EQ(watched.folderSddl.find(L";WD)"), std::wstring::npos);
    EXPECT_TRUE(LeftPrivateFolders().empty());

    watched.extraArgument = L" /nonsense"; // reg.exe ends with exit code 1
    ChangeZones();
    const RegFile changed = ExportNow();
    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(watching, path, false), RestoreOutcome::kFailed);
    EXPECT_TRUE(log.Has(L"[173] path=\"" + path + L"\", exitCode=1")) << log.Dump();
    EXPECT_TRUE(log.Has(L"[312] path=\"" + path + L"\"")) << log.Dump();
    EXPECT_TRUE(DiffRegFiles(changed, ExportNow()).empty()) << "put back as it was";
    EXPECT_TRUE(LeftPrivateFolders().empty());

    watched.systemDirectory = L"C:\\no such folder"; // reg.exe cannot be started
    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(watching, path, false), RestoreOutcome::kFailed);
    EXPECT_TRUE(log.Has(Format(L"[168] path=\"C:\\no such folder\\reg.exe import \"%s\"\"", watched.copy)))
        << log.Dump();
    EXPECT_TRUE(LeftPrivateFolders().empty());
    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(context, path, false), RestoreOutcome::kRestored)
        << "the prefix as the backup left it";
}

// A stand-in for the import tool: the real reg.exe writes the first half of
// the copy's keys, then the "tool" ends with exit code 1 (reg.exe given a
// switch it does not know) or outlives its time (20 pings of this machine's
// own loopback address, a second apart: about 19 seconds).
class PartialImport : public SystemProcessesExceptStart {
public:
    bool hang = false;
    bool wrotePart = false;

    bool Start(const std::wstring& commandLine, ProcessHandles* handles) override {
        std::wstring text;
        if (LoadTextFile(SystemFiles(), ImportedFile(commandLine), text)) {
            text = ReplaceAll(text, L"\r\n", L"\n");
            std::vector<std::size_t> keys;
            for (std::size_t at = text.find(L"\n["); at != std::wstring::npos;
                 at = text.find(L"\n[", at + 1)) {
                keys.push_back(at);
            }
            const std::wstring part = TempFile(L"part.reg");
            WriteFileBytes(part, BackupFileBytes(text.substr(0, keys.at(keys.size() / 2) + 1)));
            wrotePart = RunToEnd(Format(L"\"%s\" import \"%s\"", RegExe(), part)) == 0;
            ::DeleteFileW(part.c_str());
        }
        const std::wstring folder = WithTrailingSeparator(SystemDirectory());
        return SystemProcesses().Start(hang ? Format(L"\"%sping.exe\" -n 20 127.0.0.1", folder)
                                            : Format(L"\"%s\" /nonsense", RegExe()),
                                       handles);
    }
};

TEST_F(RestoreOnThrowAwayPrefix, ImportToolThatWritesPartAndFailsOrHangsLeavesBothKeysAsTheyWere) {
    for (const bool hang : {false, true}) {
        SCOPED_TRACE(hang ? "hangs" : "fails");
        ChangeZones();
        // A zone in the half that the stand-in writes back.
        HKEY first = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                                  (std::wstring(kTimeZonesPath) + L"\\Afghanistan Standard Time").c_str(), 0,
                                  KEY_SET_VALUE, &first),
                  ERROR_SUCCESS);
        const std::wstring edited = L"Edited before the restore";
        ::RegSetValueExW(first, L"Display", 0, REG_SZ, reinterpret_cast<const BYTE*>(edited.c_str()),
                         static_cast<DWORD>((edited.size() + 1) * 2));
        ::RegCloseKey(first);
        const RegFile before = RegExeExportOfBoth();
        PartialImport standIn;
        standIn.hang = hang;
        BackupContext local{SystemRegistry(), SystemFiles(), standIn, prompts, window, settings, activator};
        prompts.messages.clear();
        prompts.answers = {IDYES};
        log.events.clear();
        EXPECT_EQ(RestoreFromBackup(local, path, false), RestoreOutcome::kFailed) << log.Dump();
        EXPECT_TRUE(standIn.wrotePart);
        const std::string diff = DiffRegFiles(before, RegExeExportOfBoth());
        EXPECT_TRUE(diff.empty()) << diff;
        EXPECT_TRUE(LeftPrivateFolders().empty()) << "no saved state or copy is left";
        EXPECT_TRUE(log.Has(L"[312] path=\"" + path + L"\"")) << log.Dump();
        ASSERT_FALSE(prompts.messages.empty());
        EXPECT_EQ(prompts.messages.back().text,
                  L"ERROR: Failed to restore time zones information from the file:\n\n" + path + L"\n\n" +
                      (hang ? L"The registry import tool did not finish within 10 seconds."
                            : L"The registry import tool ended with exit code 1.") +
                      L"\n\nThe time-zone database was put back as it was; nothing was changed.");
    }
    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(context, path, false), RestoreOutcome::kRestored)
        << "the prefix as the backup left it";
}

// A backup made here and the reg.exe export of both keys restore to the same
// registry as when reg.exe imported the file itself, value for value.
TEST_F(RestoreOnThrowAwayPrefix, BackupsRestoreAsWhenTheImportToolReadTheFileItself) {
    const std::wstring exported = TempFile(L"regexe-export.trvbkp");
    WriteFileBytes(exported, BackupFileBytes(RegExeExportOfBothKeys()));
    for (const std::wstring& file : {path, exported}) {
        SCOPED_TRACE(std::string(file.begin(), file.end()));
        ChangeZones();
        prompts.answers = {IDYES};
        ASSERT_EQ(RestoreFromBackup(context, file, false), RestoreOutcome::kRestored) << log.Dump();
        const RegFile restored = ExportNow();
        ChangeZones();
        ASSERT_EQ(RunToEnd(Format(L"\"%s\" import \"%s\"", RegExe(), file)), 0);
        ASSERT_TRUE(ResetDynamicYears(SystemRegistry()));
        const std::string diff = DiffRegFiles(ExportNow(), restored);
        EXPECT_TRUE(diff.empty()) << diff;
    }
    ::DeleteFileW(exported.c_str());
}

// The files were made against reg.exe itself: without the strict reading
// (the check before it saw no foreign key in them) the import wrote the Run
// key, and one unit or byte off the boundary it did not.
TEST_F(RestoreOnThrowAwayPrefix, RunKeyHiddenBehindANulAtTheImportToolsBufferBoundaryIsRefused) {
    const std::wstring runPath = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    const auto probeWritten = [&] {
        HKEY run = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, runPath.c_str(), 0, KEY_READ, &run) != ERROR_SUCCESS) {
            return false;
        }
        const bool found =
            ::RegQueryValueExW(run, L"TarvaneProbe", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        ::RegCloseKey(run);
        return found;
    };
    for (const int resource : {301, 302}) {
        SCOPED_TRACE(resource);
        const std::wstring crafted = TempFile(L"nul-boundary.trvbkp");
        const std::vector<BYTE> bytes = ResourceBytes(resource);
        ASSERT_GT(bytes.size(), 4096u);
        WriteFileBytes(crafted, bytes);
        log.events.clear();
        prompts.answers = {IDYES};
        EXPECT_EQ(RestoreFromBackup(context, crafted, false), RestoreOutcome::kFailed);
        EXPECT_FALSE(probeWritten());
        const std::vector<std::wstring> messages = log.Messages();
        ASSERT_EQ(messages.size(), 2u) << log.Dump();
        EXPECT_EQ(messages[0],
                  L"[219] path=\"" + crafted +
                      L"\", line=6, reason=\"line 6 holds a NUL character or a stray carriage return\"");
        EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{11, 11}));
        EXPECT_TRUE(LeftPrivateFolders().empty());

        ASSERT_EQ(RunToEnd(Format(L"\"%s\" import \"%s\"", RegExe(), crafted)), 0);
        EXPECT_TRUE(probeWritten()) << "reg.exe reading the file itself still finds the hidden key";
        HKEY run = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, runPath.c_str(), 0, KEY_ALL_ACCESS, &run),
                  ERROR_SUCCESS);
        ::RegDeleteValueW(run, L"TarvaneProbe");
        ::RegCloseKey(run);
        ::DeleteFileW(crafted.c_str());
    }
}

} // namespace
} // namespace tarvane::test
