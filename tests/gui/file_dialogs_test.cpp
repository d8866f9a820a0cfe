// Make Backup, Restore From Backup and Export Time Zone with the real common
// file dialogs.
#include "dialog_driver.h"
#include "main_window_harness.h"

#include "backup/export_zone.h"
#include "backup/make_backup.h"
#include "platform/system_registry.h"
#include "resources/resource.h"
#include "ui/prompts.h"

#include <cstdio>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

constexpr int kFileNameCombo = 0x47C; // cmb13
constexpr int kFileNameEdit = 0x480;  // edt1

void TypeFileName(HWND dialog, const std::wstring& name) {
    ::SetDlgItemTextW(dialog, kFileNameCombo, name.c_str());
    ::SetDlgItemTextW(dialog, kFileNameEdit, name.c_str());
    PressButton(dialog, IDOK);
}

TEST_F(MainWindowTest, MakeBackupSavesWhereTheSaveDialogSaysAddingTheExtension) {
    const std::wstring typed = TempPath(L"tarvane-real-dialog");
    const std::wstring saved = typed + L".trvbkp";
    ::DeleteFileW(saved.c_str());
    Run([&](CTarvaneDlg& window) {
        WhenDialogOpens(L"Save As", [&](HWND dialog) { TypeFileName(dialog, typed); });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_FILE_MAKE_BACKUP, 0);
        Pump();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
                  L"Existing time zones information was saved into the following file:\n\n" + saved +
                      L"\n\nYou can restore this information by going to File -> Restore From "
                      L"Backup.");
    });
    FILE* file = _wfopen(saved.c_str(), L"rb");
    ASSERT_NE(file, nullptr);
    unsigned char mark[2] = {};
    EXPECT_EQ(std::fread(mark, 1, 2, file), 2u);
    std::fclose(file);
    EXPECT_EQ(mark[0], 0xFF);
    EXPECT_EQ(mark[1], 0xFE);
    ::DeleteFileW(saved.c_str());
}

TEST_F(MainWindowTest, CancellingTheOpenDialogRestoresNothing) {
    Run([&](CTarvaneDlg& window) {
        WhenDialogOpens(L"Select Time Zones Backup File", [](HWND dialog) { PressButton(dialog, IDCANCEL); });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_FILE_RESTORE, 0);
        Pump();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(window.Mode(), EditMode::kView);
    });
}

TEST_F(MainWindowTest, ExportTimeZoneProposesTheZoneKeyAndWritesThatZoneAlone) {
    const std::wstring typed = TempPath(L"tarvane-export-tokyo");
    const std::wstring saved = typed + L".reg";
    ::DeleteFileW(saved.c_str());
    std::wstring proposed;
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Tokyo Standard Time");
        WhenDialogOpens(L"Export Time Zone", [&](HWND dialog) {
            wchar_t name[MAX_PATH] = {};
            ::GetDlgItemTextW(dialog, kFileNameCombo, name, MAX_PATH);
            proposed = name;
            SaveWindowShot(dialog, L"export_time_zone_dialog");
            TypeFileName(dialog, typed);
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_FILE_EXPORT_ZONE, 0);
        Pump();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
                  L"The time zone \"Tokyo Standard Time\" was saved into the following file:\n\n" + saved +
                      L"\n\nYou can apply it on other computers with \"reg.exe import\".");

        // In edit mode the registry's zone may differ from what is on screen:
        // the command is greyed and does nothing.
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        ASSERT_EQ(window.Mode(), EditMode::kEdit);
        HMENU fileMenu = ::GetSubMenu(::GetMenu(window.Hwnd()), 0);
        ::SendMessageW(window.Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(fileMenu), 0);
        EXPECT_NE(::GetMenuState(fileMenu, ID_FILE_EXPORT_ZONE, MF_BYCOMMAND) & MF_GRAYED, 0u);
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_FILE_EXPORT_ZONE, 0);
        Pump();
        EXPECT_EQ(messages.size(), 1u);
    });
    EXPECT_EQ(proposed, L"Tokyo Standard Time.reg");
    std::wstring text;
    ASSERT_EQ(ExportZoneText(SystemRegistry(), L"Tokyo Standard Time", text), ERROR_SUCCESS);
    FILE* file = _wfopen(saved.c_str(), L"rb");
    ASSERT_NE(file, nullptr);
    std::vector<BYTE> bytes(1 << 16);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    EXPECT_EQ(bytes, BackupFileBytes(text));
    ::DeleteFileW(saved.c_str());
}

} // namespace
} // namespace tarvane::test
