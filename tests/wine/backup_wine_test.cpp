// The backup engine against Wine's real tools: reg.exe export as an
// independent reader of the export, reg.exe import for a restore (in a
// throw-away prefix only) and CommandLineToArgvW for the relaunch quoting.
#include "backup/activator.h"
#include "backup/file_api.h"
#include "backup/process_api.h"
#include "backup/backup_file.h"
#include "backup/command_line.h"
#include "backup/export_zone.h"
#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "backup/restore.h"
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

#include <shellapi.h>

#include <cstdlib>
#include <random>

namespace tarvane::test {
namespace {

std::wstring TempFile(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return WithTrailingSeparator(folder) + Format(L"tarvane-%u-", ::GetCurrentProcessId()) + name;
}

// Runs a command line to its end; its exit code, or -1.
int RunToEnd(const std::wstring& commandLine) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info)) {
        return -1;
    }
    ::WaitForSingleObject(info.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return static_cast<int>(code);
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

RegFile RegExeExport(const std::wstring& key) {
    const std::wstring file = TempFile(L"regexport.reg");
    EXPECT_EQ(RunToEnd(Format(L"\"%s\" export \"%s\" \"%s\" /y", RegExe(), key, file)), 0);
    std::wstring text;
    EXPECT_TRUE(LoadTextFile(SystemFiles(), file, text));
    ::DeleteFileW(file.c_str());
    return Parse(text);
}

TEST(ExportOnWine, WholeDatabaseEqualsWhatRegExeExports) {
    RegFile expected = RegExeExport(L"HKLM\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation");
    const RegFile zones = RegExeExport(L"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones");
    expected.insert(zones.begin(), zones.end());
    ASSERT_GT(expected.size(), 139u) << "every zone and its Dynamic DST keys";
    const RegFile actual = ExportNow();
    const std::string diff = DiffRegFiles(NormalizeStrings(expected), NormalizeStrings(actual));
    EXPECT_TRUE(diff.empty()) << diff;
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

class RestoreOnThrowAwayPrefix : public ::testing::Test {
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

    FakePrompts prompts;
    FakeWindow window;
    FakeSettings settings;
    FakeActivator activator;
    BackupContext context{SystemRegistry(), SystemFiles(), SystemProcesses(), prompts,
                          window,           settings,      activator};
    LogCapture log;
    std::wstring path;
    RegFile backup;
    RegFile before;
    std::wstring staleLow;
    std::wstring staleHigh;
};

TEST_F(RestoreOnThrowAwayPrefix, RealImportBringsBackTheBackupAndRemovesStaleYears) {
    ChangeZones();
    ASSERT_TRUE(HasYear(staleLow));
    prompts.answers = {IDYES};
    EXPECT_EQ(RestoreFromBackup(context, path, false), 1) << log.Dump();
    const std::string diff = DiffRegFiles(backup, ExportNow());
    EXPECT_TRUE(diff.empty()) << diff;
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
    EXPECT_EQ(RestoreFromBackup(withReal, path, false), -1);
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
    ASSERT_EQ(restoreLines, (std::vector<std::wstring>{tag, L"[156] file=\"" + path + L"\""})) << log.Dump();
    const LONG error = log.LastErrorOf(tag);
    EXPECT_NE(error, 0);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text,
              Format(L"ERROR: Failed to restore time zones information from the file:\n\n%s"
                     L"\n\n(%d) %s",
                     path, error, GetErrorText(static_cast<DWORD>(error))));
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
    EXPECT_EQ(RestoreFromBackup(context, crafted, false), -1);
    std::wstring runAfter;
    EXPECT_EQ(ExportRegistryKey(SystemRegistry(), kHkeyLocalMachine, kLocalMachineName, runPath, runAfter),
              runState);
    EXPECT_EQ(runAfter, runBefore);
    EXPECT_TRUE(
        log.Has(L"[219] path=\"" + crafted +
                L"\", key=\"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\""))
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

    FakePrompts prompts;
    prompts.savePath = TempFile(L"zone.reg");
    FakeWindow window;
    FakeSettings settings;
    FakeActivator activator;
    BackupContext context{SystemRegistry(), SystemFiles(), SystemProcesses(), prompts,
                          window,           settings,      activator};
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
    ::DeleteFileW(prompts.savePath.c_str());
}

} // namespace
} // namespace tarvane::test
