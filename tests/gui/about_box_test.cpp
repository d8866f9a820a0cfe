// The About box and the Add Year dialog on screen: contents, the link, F1,
// moving by the body, and screenshots for a look at the layouts.
#include "dialog_driver.h"
#include "resources/resource.h"
#include "ui/about_dlg.h"
#include "ui/add_year_dlg.h"
#include "ui/help_request.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>

namespace tarvane::test {
namespace {

std::wstring TextOf(HWND dialog, int id) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

class OnScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no DISPLAY";
        }
    }
};

TEST_F(OnScreenTest, TheAboutBoxNamesTheProductAndOpensTheMakersPage) {
    struct Opened {
        HWND owner;
        std::wstring verb;
        std::wstring file;
    };
    std::vector<Opened> opened;
    ui::CAboutDlg::SetShellOpener([&](HWND owner, const wchar_t* verb, const wchar_t* file) {
        opened.push_back(Opened{owner, verb, file});
        return INT_PTR{42};
    });
    HWND shown = nullptr;
    WhenDialogOpens(L"About", [&](HWND dialog) {
        shown = dialog;
        EXPECT_EQ(TextOf(dialog, IDC_ABOUT_NAME), L"Tarvane time zone database editor");
        EXPECT_EQ(TextOf(dialog, IDC_ABOUT_VERSION), L"Version: 1.0.0.0");
        EXPECT_FALSE(TextOf(dialog, IDC_ABOUT_NOTICE).empty());
        HWND link = ::GetDlgItem(dialog, IDC_ABOUT_LINK);
        wchar_t className[32] = {};
        ::GetClassNameW(link, className, 32);
        EXPECT_EQ(std::wstring(className), L"SysLink");
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, IDOK)) << "Enter presses OK, not the link";
        EXPECT_EQ(LOWORD(::SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);
        // A click on the link's text, as the mouse gives it.
        ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 5));
        ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(6, 5));
        EXPECT_EQ(::GetWindow(dialog, GW_CHILD) != nullptr, true);
        SaveWindowShot(dialog, L"about_box");
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(ui::ShowAboutBox(nullptr), IDOK);
    ui::CAboutDlg::SetShellOpener(nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].owner, shown);
    EXPECT_EQ(opened[0].verb, L"open");
    EXPECT_EQ(opened[0].file, L"https://tarvane.example/");
}

TEST_F(OnScreenTest, TheAboutBoxAnswersF1AndMovesByItsBody) {
    HWND helpOwner = nullptr;
    ui::SetHelpOpener([&](HWND owner) { helpOwner = owner; });
    HWND shown = nullptr;
    RECT before{};
    RECT after{};
    WhenDialogOpens(L"About", [&](HWND dialog) {
        shown = dialog;
        HELPINFO help{};
        help.cbSize = sizeof help;
        ::SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));

        ::SetForegroundWindow(dialog);
        ::GetWindowRect(dialog, &before);
        // An empty spot of the body, below the icon.
        POINT spot{8, 80};
        ::ClientToScreen(dialog, &spot);
        ::SetCursorPos(spot.x, spot.y);
        ::SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 80));
        ::SetCursorPos(spot.x + 30, spot.y + 20);
        ::SendMessageW(dialog, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(38, 100));
        ::SendMessageW(dialog, WM_LBUTTONUP, 0, MAKELPARAM(38, 100));
        ::GetWindowRect(dialog, &after);
        PressButton(dialog, IDOK);
    });
    ui::ShowAboutBox(nullptr);
    ui::SetHelpOpener(nullptr);
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(helpOwner, shown);
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 20);
}

TEST_F(OnScreenTest, AddYearDialogScreenshots) {
    TimeZoneRecord zone;
    zone.id = 1;
    for (DWORD year = 2007; year <= 2010; ++year) {
        DynamicYearRecord record{};
        record.year = year;
        zone.years.push_back(record);
    }
    ui::AddYearExchange exchange;
    exchange.zone = &zone;
    WhenDialogOpens(L"Add Dynamic Daylight Saving Year", [&](HWND dialog) {
        EXPECT_TRUE(SaveWindowShot(dialog, L"add_year"));
        PressButton(dialog, IDCANCEL);
    });
    ui::CAddYearDlg withYears(exchange);
    EXPECT_EQ(withYears.DoModal(::GetModuleHandleW(nullptr)), IDCANCEL);

    // No years yet, on a system that may ignore them: the edit with its spin
    // and the warning line.
    TimeZoneRecord empty;
    empty.id = 2;
    ui::AddYearExchange none;
    none.zone = &empty;
    none.legacyOs = true;
    bool warned = false;
    WhenDialogOpens(L"Add Dynamic Daylight Saving Year", [&](HWND dialog) {
        warned = ::IsWindowVisible(::GetDlgItem(dialog, IDC_ADD_YEAR_WARNING)) != FALSE;
        SaveWindowShot(dialog, L"add_year_first_legacy");
        PressButton(dialog, IDOK);
    });
    ui::CAddYearDlg first(none);
    EXPECT_EQ(first.DoModal(::GetModuleHandleW(nullptr)), IDOK);
    EXPECT_TRUE(warned);
    const SYSTEMTIME now = LocalNow();
    EXPECT_EQ(none.year, static_cast<LONG>(now.wYear));
    EXPECT_TRUE(none.copy) << "a first year starts from the zone's own rules";
    EXPECT_EQ(none.copyFrom, 0);
}

} // namespace
} // namespace tarvane::test
