// Make Backup and Restore From Backup with the real common file dialogs.
#include "dialog_driver.h"
#include "main_window_harness.h"

#include "resources/resource.h"
#include "ui/message_box.h"

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
        EXPECT_EQ(window.Mode(), 0);
    });
}

} // namespace
} // namespace tarvane::test
