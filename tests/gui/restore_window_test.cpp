// Backup and restore through the real window, in a throw-away prefix: the
// registry import tool writes the prefix's own database.
#include "dialog_driver.h"
#include "main_window_harness.h"

#include "ui/file_drop.h"
#include "backup_fakes.h"
#include "core/registry_values.h"
#include "platform/format.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "ui/prompts.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <string>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

const std::wstring kTokyo = std::wstring(kTimeZonesPath) + L"\\Tokyo Standard Time";
const std::wstring kPacificYears = std::wstring(kTimeZonesPath) + L"\\Pacific Standard Time\\Dynamic DST";

std::wstring ReadString(const std::wstring& path, const wchar_t* name) {
    RegKey key(SystemRegistry());
    std::wstring text;
    if (key.Open(kHkeyLocalMachine, path, KEY_READ) == ERROR_SUCCESS) {
        ReadStringValue(key, name, &text);
    }
    return text;
}

bool ValueExists(const std::wstring& path, const wchar_t* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    const bool exists = ::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return exists;
}

void SetValue(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(key);
}

int RunProgram(const std::wstring& commandLine) {
    return RunToEnd(commandLine, 30000);
}

TEST(DropHandler, TheDropIsFreedOnEveryPath) {
    MemoryRegistry registry;
    MemoryFiles files;
    files.files[L"C:\\b.trvbkp"] = {1};
    FakeImportTool tool{registry, files};
    FakePrompts prompts;
    FakeWindow window;
    window.mode = EditMode::kEdit; // a backup dropped in edit mode is left alone
    FakeSettings settings;
    FakeActivator activator;
    BackupContext context{registry, files, tool, prompts, window, settings, activator};
    for (const wchar_t* name : {L"", L"C:\\none.txt", L"C:\\b.trvbkp"}) {
        const HDROP drop = MakeDrop(name);
        ui::OnDropFiles(context, drop);
        EXPECT_EQ(::GlobalFlags(drop), static_cast<UINT>(GMEM_INVALID_HANDLE)) << "freed";
    }
    EXPECT_EQ(prompts.beeps, 2) << "nothing dropped, nothing usable";
}

class ThrowAwayPrefixTest : public MainWindowTest {
protected:
    void SetUp() override {
        const char* allowed = std::getenv("TARVANE_THROWAWAY_PREFIX");
        if (allowed == nullptr || std::string(allowed) != "1") {
            GTEST_SKIP() << "writes the prefix's own registry: runs only in a prefix of its own";
        }
        useScratchDatabase = false;
        MainWindowTest::SetUp();
    }
};

TEST_F(ThrowAwayPrefixTest, ABackupFromTheMenuImportsAndADroppedBackupRestoresTheDatabase) {
    const std::wstring file = TempPath(L"tarvane-window.trvbkp");
    ::DeleteFileW(file.c_str());
    const std::wstring original = ReadString(kTokyo, L"Display");
    ASSERT_FALSE(original.empty());
    ui::SetFileDialogHandler([&](HWND, bool save, std::wstring* path) {
        EXPECT_TRUE(save);
        *path = file;
        return FileChoice::kChosen;
    });
    Run([&](CTarvaneDlg& window) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_FILE_MAKE_BACKUP, 0);
        Pump();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(
            messages[0].text.rfind(L"Existing time zones information was saved into the following file:", 0),
            0u);
        EXPECT_FALSE(Visible(IDC_BACKUP_LINK)) << "the reminder goes after the first backup";
    });
    ASSERT_EQ(RunProgram(L"reg.exe import \"" + file + L"\""), 0)
        << "the registry import tool accepts the file";

    // Damage the database: another display name and a stale dynamic year.
    const std::wstring changed = L"Changed after the backup";
    SetValue(kTokyo, L"Display", REG_SZ, changed.c_str(), static_cast<DWORD>((changed.size() + 1) * 2));
    const BYTE stale[44] = {};
    SetValue(kPacificYears, L"1999", REG_BINARY, stale, sizeof stale);

    messages.clear();
    answers = {IDYES};
    Run([&](CTarvaneDlg& window) {
        ASSERT_EQ(ReadString(kTokyo, L"Display"), changed);
        ::PostMessageW(window.Hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(file)), 0);
        Pump(3000);
        ASSERT_GE(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind(
                      L"Do you want to restore time zones information from the following file?", 0),
                  0u);
        bool listed = false;
        for (const auto& zone : window.Zones()) {
            if (zone.keyName == L"Tokyo Standard Time") {
                listed = zone.displayName == original;
            }
        }
        EXPECT_TRUE(listed) << "the list was reloaded from the restored registry";
    });
    EXPECT_EQ(ReadString(kTokyo, L"Display"), original);
    EXPECT_FALSE(ValueExists(kPacificYears, L"1999")) << "stale years are removed";
    ::DeleteFileW(file.c_str());
}

// Another program changes the database while the window is open: reg.exe
// here, as a second copy of Tarvane restoring a backup or an update of the
// system would. The list follows; an edit is not saved over it unasked.
TEST_F(ThrowAwayPrefixTest, AChangeByAnotherProgramIsFollowedAndNotSavedOverUnasked) {
    realRegistryWatch = true;
    const TziBlock original = StoredTzi(L"Tokyo Standard Time");
    ASSERT_EQ(original.Bias, -540);
    const auto regAddBias = [&](LONG bias) {
        TziBlock tzi = original;
        tzi.Bias = bias;
        std::wstring hex;
        for (BYTE byte : TziToBytes(tzi)) {
            hex += Format(L"%02x", byte);
        }
        return RunProgram(L"reg.exe add \"HKLM\\" + kTokyo + L"\" /v TZI /t REG_BINARY /d " + hex + L" /f");
    };
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Tokyo Standard Time");
        ASSERT_EQ(Text(IDC_BIAS_HOURS), L"9");
        ASSERT_EQ(regAddBias(-600), 0);
        EXPECT_TRUE(PumpUntil([&] { return Text(IDC_BIAS_HOURS) == L"10"; }))
            << "the list follows the change";
        ASSERT_NE(window.SelectedZone(), nullptr);
        EXPECT_EQ(window.SelectedZone()->keyName, L"Tokyo Standard Time");

        EditZone(L"Tokyo Standard Time");
        Type(IDC_BIAS_MINUTES, L"30");
        ASSERT_EQ(regAddBias(-660), 0);
        answers = {IDNO};
        Click(IDC_SAVE_CHANGES);
        Pump();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind(L"The time zone \"" + window.SelectedZone()->displayName +
                                             L"\" was changed in the registry by another program",
                                         0),
                  0u);
        EXPECT_EQ(window.Mode(), EditMode::kView) << "No discards the edit";
        EXPECT_TRUE(PumpUntil([&] { return Text(IDC_BIAS_HOURS) == L"11"; }))
            << "and shows the registry's zone";
    });
    EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -660) << "the other program's value stands";
    const TziBytes bytes = TziToBytes(original);
    SetValue(kTokyo, L"TZI", REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

TEST_F(ThrowAwayPrefixTest, ACraftedBackupThatWritesElsewhereIsRefusedWithNothingImported) {
    const std::wstring file = TempPath(L"tarvane-crafted.trvbkp");
    const std::wstring run = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    {
        std::wstring text =
            L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n"
            L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]\r\n"
            L"\"TimeZoneKeyName\"=\"Tokyo Standard Time\"\r\n\r\n"
            L"[HKEY_LOCAL_MACHINE\\" +
            run + L"]\r\n\"TarvaneCrafted\"=\"calc.exe\"\r\n\r\n";
        FILE* out = _wfopen(file.c_str(), L"wb");
        ASSERT_NE(out, nullptr);
        const std::vector<BYTE> bytes = ToUtf16Le(text, false);
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    answers = {IDYES};
    Run([&](CTarvaneDlg& window) {
        ::PostMessageW(window.Hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(file)), 0);
        Pump(1000);
        ASSERT_EQ(messages.size(), 1u) << "refused before anything is asked";
        EXPECT_EQ(
            messages[0].text.rfind(L"The file cannot be restored: line 6 names a key outside the time-zone "
                                   L"database (HKEY_LOCAL_MACHINE\\" +
                                       run + L"). Nothing was changed.",
                                   0),
            0u);
        EXPECT_NE(messages[0].text.find(L"(11) "), std::wstring::npos);
    });
    EXPECT_FALSE(ValueExists(run, L"TarvaneCrafted"));
    ::DeleteFileW(file.c_str());
}

} // namespace
} // namespace tarvane::test
