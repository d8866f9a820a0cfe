// The main window on its real controls: view mode, the editor panel, edit mode.
#include "dialog_driver.h"
#include "main_window_harness.h"

#include "core/clock_panel.h"
#include "counting_registry.h"
#include "log_capture.h"
#include "platform/format.h"
#include "platform/launchers.h"
#include "platform/settings_store.h"
#include "platform/system_registry.h"
#include "resources/resource.h"
#include "ui/prompts.h"
#include "ui/clock_status_bar.h"

#include <commctrl.h>

#include <array>
#include <cwchar>
#include <map>
#include <utility>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

constexpr int kEditorFields[] = {IDC_CURRENT_ZONE, IDC_DST_ENABLED,    IDC_BIAS_SIGN,  IDC_STD_SIGN,
                                 IDC_DST_SIGN,     IDC_STD_OCCURS,     IDC_DST_OCCURS, IDC_STD_MONTH,
                                 IDC_DST_MONTH,    IDC_STD_TIME,       IDC_DST_TIME,   IDC_STD_DATE,
                                 IDC_DST_DATE,     IDC_BIAS_HOURS_SPIN};
constexpr int kEditButtons[] = {IDC_ADD_YEAR, IDC_REMOVE_YEAR, IDC_SAVE_CHANGES, IDC_CANCEL_EDIT};

TEST_F(MainWindowTest, OpensInViewModeOnTheCurrentZoneWithTheEditorLocked) {
    Run([&](CTarvaneDlg& window) {
        EXPECT_EQ(window.Mode(), EditMode::kView);
        EXPECT_TRUE(Visible(IDC_ZONE_LIST));
        EXPECT_EQ(::SendMessageW(Item(IDC_ZONE_LIST), LVM_GETITEMCOUNT, 0, 0),
                  static_cast<LRESULT>(window.Zones().size()));
        TimeZoneRecord* zone = window.SelectedZone();
        ASSERT_NE(zone, nullptr);
        EXPECT_EQ(zone->keyName, L"Pacific Standard Time");
        EXPECT_EQ(Text(IDC_DISPLAY_NAME), zone->displayName);
        EXPECT_EQ(Text(IDC_DST_NAME), L"Pacific Daylight Time");
        EXPECT_EQ(Text(IDC_BIAS_HOURS), L"8");
        EXPECT_EQ(Text(IDC_BIAS_MINUTES), L"0");
        EXPECT_EQ(::IsDlgButtonChecked(window.Hwnd(), IDC_CURRENT_ZONE), BST_CHECKED);
        EXPECT_EQ(::IsDlgButtonChecked(window.Hwnd(), IDC_DST_ENABLED), BST_CHECKED);
        for (int id : kEditorFields) {
            EXPECT_FALSE(Enabled(id)) << id;
        }
        for (int id : {IDC_DISPLAY_NAME, IDC_STD_NAME, IDC_DST_NAME, IDC_BIAS_HOURS, IDC_STD_MINUTES}) {
            EXPECT_TRUE(ReadOnly(id)) << id;
        }
        EXPECT_TRUE(Enabled(IDC_YEAR));
        for (int id : kEditButtons) {
            EXPECT_FALSE(Visible(id)) << id;
        }
        EXPECT_FALSE(Visible(IDC_SYNC_LINK));
        EXPECT_TRUE(Visible(IDC_BACKUP_LINK));
        wchar_t title[256] = {};
        ::GetWindowTextW(window.Hwnd(), title, 256);
        EXPECT_EQ(std::wstring(title), L"Tarvane - \"" + zone->displayName + L"\"");
    });
}

TEST_F(MainWindowTest, OneClickFillsTheEditorOnce) {
    Run([&](CTarvaneDlg& window) {
        const int before = window.Editor().Updates();
        SelectZone(L"Tokyo Standard Time");
        EXPECT_EQ(window.Editor().Updates(), before + 1);
        EXPECT_EQ(Text(IDC_STD_NAME), L"Tokyo Standard Time");
        EXPECT_EQ(::SendMessageW(Item(IDC_BIAS_SIGN), CB_GETCURSEL, 0, 0), 0)
            << "GMT + for a zone east of UTC";
        EXPECT_EQ(Text(IDC_BIAS_HOURS), L"9");
    });
}

TEST_F(MainWindowTest, TheChosenYearStaysAcrossZonesThatHaveIt) {
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Pacific Standard Time");
        ChooseListItem(IDC_YEAR, 2006);
        EXPECT_EQ(window.Editor().SelectedYear(), 2006u);
        SelectZone(L"Mountain Standard Time");
        EXPECT_EQ(window.Editor().SelectedYear(), 2006u);
        SelectZone(L"Tokyo Standard Time");
        EXPECT_EQ(window.Editor().SelectedYear(), 0u) << "a zone without the year shows Default";
    });
}

TEST_F(MainWindowTest, EditTimeZoneEntersEditModeWithTheFieldsLive) {
    Run([&](CTarvaneDlg& window) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        EXPECT_EQ(window.Mode(), EditMode::kEdit);
        EXPECT_FALSE(Visible(IDC_ZONE_LIST));
        for (int id : kEditButtons) {
            EXPECT_TRUE(Visible(id)) << id;
        }
        EXPECT_EQ(::SendMessageW(window.Hwnd(), DM_GETDEFID, 0, 0),
                  MAKELRESULT(IDC_SAVE_CHANGES, DC_HASDEFID));
        for (int id : {IDC_CURRENT_ZONE, IDC_DST_ENABLED, IDC_BIAS_SIGN, IDC_STD_OCCURS, IDC_STD_MONTH,
                       IDC_STD_TIME}) {
            EXPECT_TRUE(Enabled(id)) << id;
        }
        EXPECT_FALSE(ReadOnly(IDC_BIAS_HOURS));
        EXPECT_TRUE(ReadOnly(IDC_DISPLAY_NAME)) << "names stay locked without AllowEditDSTzNames";
        EXPECT_TRUE(ReadOnly(IDC_STD_NAME));
        EXPECT_FALSE(Enabled(IDC_STD_DATE)) << "recurring rule: the one-time date is not live";
    });
}

HWND OwnedToolTips(HWND owner) {
    return FindThreadWindow([owner](HWND window) {
        wchar_t name[32] = {};
        ::GetClassNameW(window, name, 32);
        return std::wstring(name) == TOOLTIPS_CLASSW && ::GetWindow(window, GW_OWNER) == owner;
    });
}

// Each pane of a status bar is wider than its text; the right edges.
std::array<int, 4> ExpectPanesHoldTheirTexts(HWND bar) {
    std::array<int, 4> edges{};
    EXPECT_EQ(::SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges.data())), 4);
    HDC dc = ::GetDC(bar);
    HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(bar, WM_GETFONT, 0, 0)));
    RECT client{};
    ::GetClientRect(bar, &client);
    for (std::size_t i = 0; i < edges.size(); ++i) {
        wchar_t text[128] = {};
        ::SendMessageW(bar, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(text));
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text, static_cast<int>(::wcslen(text)), &size);
        const int right = edges[i] < 0 ? client.right : edges[i];
        EXPECT_GT(right - (i == 0 ? 0 : edges[i - 1]), size.cx) << i;
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(bar, dc);
    return edges;
}

// What the editor shows besides its values: plain "+" and "-" with tooltips,
// the pickers' times without a blank, status panes as wide as their texts.
TEST_F(MainWindowTest, ButtonsPickersAndPanesShowTheirTextsWhole) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Pacific Standard Time");
        EXPECT_EQ(Text(IDC_ADD_YEAR), L"+");
        EXPECT_EQ(Text(IDC_REMOVE_YEAR), L"-");
        HWND tips = OwnedToolTips(window.Hwnd());
        ASSERT_NE(tips, nullptr);
        const std::pair<int, std::wstring> named[] = {{IDC_ADD_YEAR, L"Add Year"},
                                                      {IDC_REMOVE_YEAR, L"Remove Year"}};
        for (const auto& [id, expected] : named) {
            wchar_t text[80] = {};
            TOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.hwnd = window.Hwnd();
            tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
            tool.lpszText = text;
            ::SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
            EXPECT_EQ(std::wstring(text), expected);
        }
        EXPECT_EQ(Text(IDC_DST_TIME), L"02:00:00 AM");
        ChooseListItem(IDC_STD_OCCURS, kOccursOnlyOnce);
        EXPECT_EQ(Text(IDC_STD_ONCE_TIME), L"02:00:00 AM");
        ExpectPanesHoldTheirTexts(::GetDlgItem(window.Hwnd(), IDW_STATUS_BAR));
        SaveWindowShot(window.Hwnd(), L"edit_mode_buttons_pickers");
    });
}

// Quarters while every text fits one; a text that outgrows its quarter (a
// large font, a narrow window) widens the panes to what their texts need.
TEST(StatusBarPanes, ATextThatOutgrowsItsQuarterWidensThePanes) {
    // A bar with room for the widest texts in all, but not in quarters.
    const auto makeParent = [](int width) {
        return ::CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, width, 120, nullptr,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
    };
    int width = 40;
    {
        HWND probe = makeParent(400);
        win::StatusBar measure;
        ASSERT_TRUE(measure.Create(probe, 1));
        HDC dc = ::GetDC(measure.Hwnd());
        HGDIOBJ previous =
            ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(measure.Hwnd(), WM_GETFONT, 0, 0)));
        for (const std::wstring& text : WidestClockPaneTexts()) {
            SIZE size{};
            ::GetTextExtentPoint32W(dc, (text + L"M").c_str(), static_cast<int>(text.size() + 1), &size);
            width += size.cx;
        }
        ::SelectObject(dc, previous);
        ::ReleaseDC(measure.Hwnd(), dc);
        ::DestroyWindow(probe);
    }
    HWND parent = makeParent(width);
    ASSERT_NE(parent, nullptr);
    ui::ClockStatusBar bar;
    ASSERT_TRUE(bar.Create(parent, 1));
    RECT client{};
    ::GetClientRect(bar.Hwnd(), &client);
    const int quarter = (client.right - client.left) * 25 / 100;
    const std::array<int, 4> quarters{quarter, 2 * quarter, 3 * quarter, -1};
    const wchar_t* shortTexts[] = {L"Local: -", L"UTC: -", L"DST Begins: -", L"DST Ends: -"};
    for (int i = 0; i < 4; ++i) {
        bar.SetPaneText(i, shortTexts[i]);
    }
    EXPECT_EQ(ExpectPanesHoldTheirTexts(bar.Hwnd()), quarters);
    bar.SetPaneText(2, WidestClockPaneTexts()[2]);
    EXPECT_NE(ExpectPanesHoldTheirTexts(bar.Hwnd()), quarters);
    ::DestroyWindow(parent);
}

TEST_F(MainWindowTest, WithAllowEditNamesTheNamesAreLiveAndTypingWritesTheRecord) {
    allowEditNames = 1;
    Run([&](CTarvaneDlg& window) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        EXPECT_FALSE(ReadOnly(IDC_DISPLAY_NAME));
        EXPECT_FALSE(ReadOnly(IDC_DST_NAME));
        Type(IDC_DISPLAY_NAME, L"  Renamed zone ");
        Type(IDC_DST_NAME, L"Pacific Summer Time");
        TimeZoneRecord* zone = window.SelectedZone();
        ASSERT_NE(zone, nullptr);
        EXPECT_EQ(zone->displayName, L"  Renamed zone ");
        EXPECT_EQ(zone->daylightName, L"Pacific Summer Time");
        Click(IDC_DST_ENABLED);
        EXPECT_EQ(zone->rules.dstEnabled, 0);
        EXPECT_TRUE(ReadOnly(IDC_DST_NAME)) << "group names are live only while DST is checked";
        EXPECT_FALSE(Enabled(IDC_STD_SIGN)) << "unchecking DST locks the standard offset too";
        EXPECT_EQ(::SendMessageW(Item(IDC_STD_OCCURS), CB_GETCURSEL, 0, 0), CB_ERR);
    });
}

TEST_F(MainWindowTest, AChangedAllowEditNamesTakesEffectAtTheNextYearOrDaylightSavingClick) {
    Run([&](CTarvaneDlg& window) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        ASSERT_TRUE(ReadOnly(IDC_DST_NAME));
        WriteAllowEditDSTzNames(SystemRegistry(), 1);
        ChooseListItem(IDC_YEAR, 2006);
        EXPECT_FALSE(ReadOnly(IDC_DST_NAME)) << "read again at the year change";
        WriteAllowEditDSTzNames(SystemRegistry(), 0);
        Click(IDC_DST_ENABLED);
        Click(IDC_DST_ENABLED);
        EXPECT_TRUE(ReadOnly(IDC_DST_NAME)) << "read again at the daylight saving click";
    });
}

TEST_F(MainWindowTest, OffsetsAndRulesChangedThroughTheControlsReachTheRecord) {
    Run([&](CTarvaneDlg& window) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        TimeZoneRecord* zone = window.SelectedZone();
        ASSERT_NE(zone, nullptr);
        Type(IDC_BIAS_HOURS, L"99");
        EXPECT_EQ(zone->rules.tzi.Bias, 99 * 60) << "the range is checked only at save";
        Type(IDC_BIAS_HOURS, L"7");
        Type(IDC_BIAS_MINUTES, L"30");
        EXPECT_EQ(zone->rules.tzi.Bias, 450);
        ChooseListItem(IDC_BIAS_SIGN, 1);
        EXPECT_EQ(zone->rules.tzi.Bias, -450);
        ChooseListItem(IDC_DST_MONTH, 4);
        ChooseListItem(IDC_DST_WEEK, 5);
        ChooseListItem(IDC_DST_DAY_OF_WEEK, 6);
        EXPECT_EQ(zone->rules.tzi.DaylightDate.wMonth, 4);
        EXPECT_EQ(zone->rules.tzi.DaylightDate.wDay, 5);
        EXPECT_EQ(zone->rules.tzi.DaylightDate.wDayOfWeek, 6);

        ChooseListItem(IDC_STD_OCCURS, kOccursOnlyOnce);
        EXPECT_EQ(zone->rules.standardOccurs, kOccursOnlyOnce);
        EXPECT_TRUE(Enabled(IDC_STD_DATE));
        EXPECT_FALSE(Enabled(IDC_STD_MONTH));
        EXPECT_EQ(zone->rules.tzi.StandardDate.wMonth, 11) << "the recurring rule is kept";

        NMDATETIMECHANGE change{};
        change.nmhdr.hwndFrom = Item(IDC_STD_DATE);
        change.nmhdr.idFrom = IDC_STD_DATE;
        change.nmhdr.code = DTN_DATETIMECHANGE;
        change.st = SYSTEMTIME{2027, 10, 0, 31, 0, 0, 0, 0};
        ::SendMessageW(window.Hwnd(), WM_NOTIFY, IDC_STD_DATE, reinterpret_cast<LPARAM>(&change));
        EXPECT_EQ(zone->rules.standardAbsoluteDate.wYear, 2027);
        EXPECT_EQ(zone->rules.standardAbsoluteDate.wDay, 31);

        change.nmhdr.hwndFrom = Item(IDC_DST_TIME);
        change.nmhdr.idFrom = IDC_DST_TIME;
        change.st = SYSTEMTIME{2017, 1, 0, 1, 3, 15, 0, 0};
        ::SendMessageW(window.Hwnd(), WM_NOTIFY, IDC_DST_TIME, reinterpret_cast<LPARAM>(&change));
        EXPECT_EQ(zone->rules.tzi.DaylightDate.wHour, 3);
        EXPECT_EQ(zone->rules.tzi.DaylightDate.wMinute, 15);
        EXPECT_EQ(zone->rules.tzi.DaylightDate.wMonth, 4) << "the date words stay";
    });
}

TEST_F(MainWindowTest, EscAndCancelLeaveEditModeAndDiscardTheChanges) {
    Run([&](CTarvaneDlg& window) {
        for (int way = 0; way < 2; ++way) {
            ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
            Pump();
            ASSERT_EQ(window.Mode(), EditMode::kEdit);
            Type(IDC_BIAS_HOURS, L"3");
            ASSERT_EQ(window.SelectedZone()->rules.tzi.Bias, 180);
            if (way == 0) {
                ::SetFocus(Item(IDC_BIAS_HOURS));
                PressKey(Item(IDC_BIAS_HOURS), VK_ESCAPE);
            } else {
                Click(IDC_CANCEL_EDIT);
            }
            EXPECT_EQ(window.Mode(), EditMode::kView) << way;
            EXPECT_TRUE(::IsWindow(window.Hwnd())) << "Esc never closes the window";
            ASSERT_NE(window.SelectedZone(), nullptr);
            EXPECT_EQ(window.SelectedZone()->keyName, L"Pacific Standard Time");
            EXPECT_EQ(window.SelectedZone()->rules.tzi.Bias, 480);
        }
    });
}

TEST_F(MainWindowTest, EscOnAnOpenDropDownOnlyClosesIt) {
    Run([&](CTarvaneDlg& window) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        Type(IDC_BIAS_HOURS, L"3");
        ::SetFocus(Item(IDC_DST_MONTH));
        ::SendMessageW(Item(IDC_DST_MONTH), CB_SHOWDROPDOWN, TRUE, 0);
        Pump();
        ASSERT_NE(::SendMessageW(Item(IDC_DST_MONTH), CB_GETDROPPEDSTATE, 0, 0), 0);
        PressKey(::GetFocus(), VK_ESCAPE);
        EXPECT_EQ(window.Mode(), EditMode::kEdit);
        EXPECT_EQ(window.SelectedZone()->rules.tzi.Bias, 180) << "the edit is kept";
    });
}

TEST_F(MainWindowTest, TypingFindsAZoneByAnyWordAndLockedNamesAndMakeBackupSayWhatTheyDo) {
    Run([&](CTarvaneDlg& window) {
        HWND list = Item(IDC_ZONE_LIST);
        auto type = [&](HWND target, const std::wstring& text) {
            for (wchar_t c : text) {
                ::PostMessageW(target, WM_CHAR, c, 1);
            }
            Pump(100);
        };
        auto selected = [&] {
            return window.SelectedZone() != nullptr ? window.SelectedZone()->keyName : std::wstring();
        };
        ::SetFocus(list);
        type(list, L"tokyo");
        EXPECT_EQ(selected(), L"Tokyo Standard Time") << "a word of \"(UTC+09:00) Osaka, Sapporo, Tokyo\"";
        PressKey(list, VK_ESCAPE);
        type(list, L"pacific sa");
        EXPECT_EQ(selected(), L"Pacific SA Standard Time") << "words of the key";
        type(list, L"zz\b");
        EXPECT_EQ(selected(), L"Pacific SA Standard Time") << "no match leaves the selection";
        PressKey(list, VK_ESCAPE);
        type(list, L"sapporo, t");
        EXPECT_EQ(selected(), L"Tokyo Standard Time");
        EXPECT_TRUE(messages.empty());

        // Make Backup suggests a name with the date.
        std::wstring suggested;
        ui::SetFileDialogHandler([&](HWND, bool save, std::wstring* path) {
            EXPECT_TRUE(save);
            suggested = *path;
            return FileChoice::kCancelled;
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_FILE_MAKE_BACKUP, 0);
        const SYSTEMTIME today = LocalNow();
        EXPECT_EQ(suggested,
                  Format(L"Time Zones %04u-%02u-%02u.trvbkp", today.wYear, today.wMonth, today.wDay));

        // A name that cannot be edited says why, once in an edit.
        EditZone(L"Tokyo Standard Time");
        const std::wstring name = Text(IDC_DISPLAY_NAME);
        type(Item(IDC_DISPLAY_NAME), L"xy");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"Names can be changed when AllowEditDSTzNames is set; see Help.");
        EXPECT_EQ(Text(IDC_DISPLAY_NAME), name);
    });
}

TEST_F(MainWindowTest, EnterInViewModeDoesNothing) {
    Run([&](CTarvaneDlg& window) {
        PressKey(Item(IDC_ZONE_LIST), VK_RETURN);
        EXPECT_EQ(window.Mode(), EditMode::kView);
        EXPECT_TRUE(::IsWindow(window.Hwnd()));
        EXPECT_TRUE(messages.empty());
    });
}

void DoubleClickZoneList(HWND window) {
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = ::GetDlgItem(window, IDC_ZONE_LIST);
    click.hdr.idFrom = IDC_ZONE_LIST;
    click.hdr.code = NM_DBLCLK;
    ::SendMessageW(window, WM_NOTIFY, IDC_ZONE_LIST, reinterpret_cast<LPARAM>(&click));
}

TEST_F(MainWindowTest, EditWithoutASelectedZoneIsRefused) {
    Run([&](CTarvaneDlg& window) {
        const int rows = static_cast<int>(::SendMessageW(Item(IDC_ZONE_LIST), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            LVITEMW item{};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageW(Item(IDC_ZONE_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(&item));
        }
        Pump();
        // Edit Time Zone is greyed then; a double-click on the list asks for it all the same.
        for (const bool doubleClick : {false, true}) {
            LogCapture capture;
            messages.clear();
            if (doubleClick) {
                DoubleClickZoneList(window.Hwnd());
                Pump();
            } else {
                window.SetEditMode(EditMode::kEdit, {});
            }
            EXPECT_EQ(window.Mode(), EditMode::kView);
            EXPECT_TRUE(capture.Has(L"[106]")) << capture.Dump();
            ASSERT_EQ(messages.size(), 1u) << doubleClick;
            EXPECT_EQ(messages[0].text, L"Select time zone first to be able to edit it");
            EXPECT_EQ(messages[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        }
    });
}

TEST_F(MainWindowTest, RemovingTheBackupBandMovesEverythingUpAndShortensTheWindow) {
    Run([&](CTarvaneDlg& window) {
        RECT windowBefore{};
        RECT listBefore{};
        RECT linkBefore{};
        ::GetWindowRect(window.Hwnd(), &windowBefore);
        ::GetWindowRect(Item(IDC_ZONE_LIST), &listBefore);
        ::GetWindowRect(Item(IDC_BACKUP_LINK), &linkBefore);
        RECT nameBefore{};
        ::GetWindowRect(Item(IDC_DISPLAY_NAME), &nameBefore);
        window.RemoveBackupNotice();
        window.RemoveBackupNotice();
        Pump();
        const LONG distance = listBefore.top - linkBefore.top;
        RECT windowAfter{};
        RECT listAfter{};
        RECT nameAfter{};
        ::GetWindowRect(window.Hwnd(), &windowAfter);
        ::GetWindowRect(Item(IDC_ZONE_LIST), &listAfter);
        ::GetWindowRect(Item(IDC_DISPLAY_NAME), &nameAfter);
        EXPECT_FALSE(Visible(IDC_BACKUP_LINK));
        EXPECT_EQ(listAfter.top, linkBefore.top);
        EXPECT_EQ(nameAfter.top, nameBefore.top - distance);
        EXPECT_EQ(nameAfter.bottom - nameAfter.top, nameBefore.bottom - nameBefore.top);
        EXPECT_EQ(windowAfter.bottom - windowAfter.top, windowBefore.bottom - windowBefore.top - distance)
            << "removed once only";
    });
}

TEST_F(MainWindowTest, AFailedReloadLogsTheKeyThatWasSelected) {
    Run([&](CTarvaneDlg& window) {
        LogCapture capture;
        const TimeZoneRecord* selected = window.SelectedZone();
        ASSERT_NE(selected, nullptr);
        const std::wstring expected =
            Format(L"[105] pTz=0x%p, tz=\"Pacific Standard Time\"", static_cast<const void*>(selected));
        ASSERT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTimeZonesPath), ERROR_SUCCESS);
        EXPECT_FALSE(window.ReloadZoneList(false));
        EXPECT_TRUE(capture.Has(L"[101]")) << capture.Dump();
        EXPECT_TRUE(capture.Has(expected)) << capture.Dump();
        EXPECT_TRUE(window.Zones().empty());
        EXPECT_EQ(window.SelectedZone(), nullptr);
    });
}

TEST_F(MainWindowTest, ReloadIsRefusedInEditMode) {
    Run([&](CTarvaneDlg& window) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        EXPECT_FALSE(window.ReloadZoneList(false));
        EXPECT_EQ(window.Mode(), EditMode::kEdit);
    });
}

// The key of a label: the character after a single "&", upper-cased; 0 for none.
wchar_t Mnemonic(const std::wstring& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'&' && text[++i] != L'&') {
            return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(
                ::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(text[i])))));
        }
    }
    return 0;
}

TEST_F(MainWindowTest, NoLabelTakesTheKeyOfAMenuOrOfAnotherLabelShownWithIt) {
    Run([&](CTarvaneDlg& window) {
        HMENU bar = ::GetMenu(window.Hwnd());
        std::map<wchar_t, std::wstring> menuKeys;
        for (int index = 0; index < ::GetMenuItemCount(bar); ++index) {
            wchar_t text[64] = {};
            ::GetMenuStringW(bar, static_cast<UINT>(index), text, 64, MF_BYPOSITION);
            menuKeys.emplace(Mnemonic(text), text);
        }
        ASSERT_EQ(menuKeys.size(), 5u);
        for (const EditMode mode : {EditMode::kView, EditMode::kEdit}) {
            if (mode == EditMode::kEdit) {
                ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
                Pump();
                ASSERT_EQ(window.Mode(), EditMode::kEdit);
            }
            std::map<wchar_t, std::wstring> labelKeys;
            for (HWND child = ::GetWindow(window.Hwnd(), GW_CHILD); child != nullptr;
                 child = ::GetWindow(child, GW_HWNDNEXT)) {
                wchar_t className[32] = {};
                wchar_t buffer[256] = {};
                ::GetClassNameW(child, className, 32);
                ::GetWindowTextW(child, buffer, 256);
                const std::wstring text = buffer;
                const bool label = std::wstring(className) == L"Button" ||
                                   (std::wstring(className) == L"Static" &&
                                    (::GetWindowLongPtrW(child, GWL_STYLE) & SS_NOPREFIX) == 0);
                const wchar_t key = Mnemonic(text);
                if (!label || key == 0 || !::IsWindowVisible(child)) {
                    continue;
                }
                const std::string shown =
                    "mode " + std::to_string(static_cast<int>(mode)) + ": " + testing::PrintToString(text);
                EXPECT_EQ(menuKeys.count(key), 0u) << shown << " takes the key of a menu";
                const auto [other, fresh] = labelKeys.emplace(key, text);
                EXPECT_TRUE(fresh) << shown << " shares its key with "
                                   << testing::PrintToString(other->second);
            }
            // "+" and "-" have no keys of their own.
            EXPECT_GE(labelKeys.size(), mode == EditMode::kView ? 15u : 16u) << "the labels were found";
        }
    });
}

bool Grayed(HMENU menu, UINT command) {
    return (::GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// The menu bar's popup at `index` as the window prepares it for showing.
HMENU PreparedPopup(HWND window, int index) {
    HMENU popup = ::GetSubMenu(::GetMenu(window), index);
    ::SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(index, 0));
    return popup;
}

TEST_F(MainWindowTest, MenuItemsFollowTheirRulesInViewAndEditMode) {
    Run([&](CTarvaneDlg& window) {
        ASSERT_NE(::GetMenu(window.Hwnd()), nullptr);
        auto open = [&](int index) { return PreparedPopup(window.Hwnd(), index); };
        EXPECT_FALSE(Grayed(open(0), ID_FILE_RESTORE));
        EXPECT_FALSE(Grayed(open(1), ID_EDIT_TIME_ZONE));
        EXPECT_FALSE(Grayed(open(2), ID_VIEW_REFRESH));
        EXPECT_FALSE(Grayed(open(2), ID_VIEW_CURRENT_ZONE));

        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        ASSERT_EQ(window.Mode(), EditMode::kEdit);
        EXPECT_TRUE(Grayed(open(0), ID_FILE_RESTORE));
        EXPECT_FALSE(Grayed(open(0), ID_FILE_MAKE_BACKUP));
        EXPECT_TRUE(Grayed(open(1), ID_EDIT_TIME_ZONE));
        EXPECT_TRUE(Grayed(open(2), ID_VIEW_REFRESH));
        EXPECT_TRUE(Grayed(open(2), ID_VIEW_CURRENT_ZONE));
        EXPECT_FALSE(Grayed(open(3), ID_TOOLS_EVENT_LOG));
    });
}

TEST_F(MainWindowTest, AnAcceleratorOfADisabledCommandDoesNothing) {
    Run([&](CTarvaneDlg& window) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        Type(IDC_BIAS_HOURS, L"3");
        // What TranslateAccelerator sends for F5.
        ::SendMessageW(window.Hwnd(), WM_COMMAND, MAKEWPARAM(ID_VIEW_REFRESH, 1), 0);
        Pump();
        EXPECT_EQ(window.Mode(), EditMode::kEdit);
        EXPECT_EQ(window.SelectedZone()->rules.tzi.Bias, 180) << "no reload in edit mode";
    });
}

TEST_F(MainWindowTest, GoToCurrentTimeZoneSelectsTheCurrentZoneAgain) {
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Tokyo Standard Time");
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_VIEW_CURRENT_ZONE, 0);
        Pump();
        ASSERT_NE(window.SelectedZone(), nullptr);
        EXPECT_EQ(window.SelectedZone()->keyName, L"Pacific Standard Time");
        EXPECT_EQ(::GetFocus(), Item(IDC_ZONE_LIST));
    });
}

// What the context menu looked like while it was open, and how it was closed.
struct OpenMenu {
    bool seen = false;
    bool grayed = false;
    UINT defaultItem = 0;
    bool choose = false;
};
OpenMenu* openMenu = nullptr;

void CALLBACK InspectOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    if (menuWindow == nullptr || openMenu == nullptr) {
        return;
    }
    ::KillTimer(nullptr, id);
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    openMenu->seen = menu != nullptr;
    openMenu->grayed = (::GetMenuState(menu, ID_CONTEXT_EDIT_TIME_ZONE, MF_BYCOMMAND) & MF_GRAYED) != 0;
    openMenu->defaultItem = ::GetMenuDefaultItem(menu, FALSE, 0);
    if (openMenu->choose) {
        ::PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    } else {
        ::EndMenu();
    }
}

TEST_F(MainWindowTest, TheContextMenuOffersEditTimeZoneAsItsDefaultItem) {
    Run([&](CTarvaneDlg& window) {
        OpenMenu menu;
        menu.choose = true;
        openMenu = &menu;
        ::SetTimer(nullptr, 0, 200, InspectOpenMenu);
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = Item(IDC_ZONE_LIST);
        click.hdr.idFrom = IDC_ZONE_LIST;
        click.hdr.code = NM_RCLICK;
        click.ptAction = POINT{20, 40};
        ::SendMessageW(window.Hwnd(), WM_NOTIFY, IDC_ZONE_LIST, reinterpret_cast<LPARAM>(&click));
        Pump();
        openMenu = nullptr;
        EXPECT_TRUE(menu.seen);
        EXPECT_FALSE(menu.grayed);
        EXPECT_EQ(menu.defaultItem, static_cast<UINT>(ID_CONTEXT_EDIT_TIME_ZONE));
        EXPECT_EQ(window.Mode(), EditMode::kEdit) << "choosing the item enters edit mode";
    });
}

TEST_F(MainWindowTest, TheContextMenuKeyOpensTheMenuBelowTheHeader) {
    Run([&](CTarvaneDlg& window) {
        OpenMenu menu;
        openMenu = &menu;
        ::SetTimer(nullptr, 0, 200, InspectOpenMenu);
        ::SetFocus(Item(IDC_ZONE_LIST));
        ::PostMessageW(Item(IDC_ZONE_LIST), WM_KEYUP, VK_APPS, 0xC0000001);
        Pump(500);
        openMenu = nullptr;
        EXPECT_TRUE(menu.seen);
        EXPECT_EQ(window.Mode(), EditMode::kView) << "closed without a choice";
    });
}

TEST_F(MainWindowTest, DoubleClickingAZoneEditsIt) {
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Tokyo Standard Time");
        DoubleClickZoneList(window.Hwnd());
        Pump();
        EXPECT_EQ(window.Mode(), EditMode::kEdit);
        EXPECT_EQ(window.EditedZoneId(), window.SelectedZone()->id);
    });
}

std::wstring openedAddress;

TEST_F(MainWindowTest, F1OpensTheHelpPage) {
    openedAddress.clear();
    const auto previous = SetShellExecuteFunction([](HWND, const std::wstring& address) -> INT_PTR {
        openedAddress = address;
        return 42;
    });
    Run([&](CTarvaneDlg& window) {
        HELPINFO help{};
        help.cbSize = sizeof help;
        ::SendMessageW(window.Hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        Pump();
    });
    SetShellExecuteFunction(previous);
    EXPECT_EQ(openedAddress, L"https://tarvane.example/help");
}

TEST_F(MainWindowTest, EnterInEditModePressesSaveChanges) {
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Tokyo Standard Time");
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        ::SetFocus(Item(IDC_BIAS_HOURS));
        PressKey(Item(IDC_BIAS_HOURS), VK_RETURN);
        EXPECT_EQ(window.Mode(), EditMode::kView) << "saved and back in view mode";
        EXPECT_TRUE(messages.empty());
    });
}

TEST_F(MainWindowTest, WithoutWriteAccessEditingRelaunchesElevatedOnceWithTheZone) {
    // The Time Zones key refuses writing to this process.
    const LONG denied = RestrictToReading(kTimeZonesPath);
    if (denied != ERROR_SUCCESS) {
        GTEST_SKIP() << "cannot restrict the scratch key here";
    }
    const std::wstring backup = TempPath(L"tarvane-relaunch-guard.trvbkp");
    ::CloseHandle(::CreateFileW(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Run([&](CTarvaneDlg& window) {
        if (!window.RegistryNotWritable()) {
            GTEST_SKIP() << "this registry does not enforce key security";
        }
        // While the copy starts, everything that would relaunch or restore again.
        bool restoreGrayed = false;
        bool editGrayed = false;
        whileRelaunching = [&] {
            const HWND hwnd = window.Hwnd();
            ::SendMessageW(hwnd, WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
            ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ID_EDIT_TIME_ZONE, 1), 0);
            DoubleClickZoneList(hwnd);
            ::SendMessageW(hwnd, WM_COMMAND, ID_FILE_RESTORE, 0);
            ::SendMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(backup)), 0);
            restoreGrayed = Grayed(PreparedPopup(hwnd, 0), ID_FILE_RESTORE);
            editGrayed = Grayed(PreparedPopup(hwnd, 1), ID_EDIT_TIME_ZONE);
        };
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        EXPECT_EQ(window.Mode(), EditMode::kView);
        ASSERT_EQ(relaunches.size(), 1u);
        EXPECT_EQ(relaunches[0], L"e \"Pacific Standard Time\"");
        EXPECT_TRUE(restoreGrayed);
        EXPECT_TRUE(editGrayed);
        EXPECT_TRUE(messages.empty());

        // The user declined the elevation: the commands are back.
        EXPECT_FALSE(Grayed(PreparedPopup(window.Hwnd(), 0), ID_FILE_RESTORE));
        DoubleClickZoneList(window.Hwnd());
        Pump();
        EXPECT_EQ(relaunches.size(), 2u);
    });
    ::DeleteFileW(backup.c_str());
}

// What the status bar is asked to show: texts set per pane, and texts set
// that the pane already showed (each set repaints the pane).
struct PaneWrites {
    std::array<int, 4> sets{};
    int unchanged = 0;
};
PaneWrites* paneWrites = nullptr;

LRESULT CALLBACK CountPaneWrites(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == SB_SETTEXTW && paneWrites != nullptr) {
        const int pane = LOBYTE(LOWORD(wParam));
        wchar_t shown[256] = {};
        if (LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(pane), 0)) < 256) {
            ::SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(shown));
        }
        paneWrites->sets.at(static_cast<std::size_t>(pane)) += 1;
        paneWrites->unchanged += std::wstring(shown) == reinterpret_cast<const wchar_t*>(lParam) ? 1 : 0;
    }
    return ::DefSubclassProc(bar, message, wParam, lParam);
}

TEST_F(MainWindowTest, TheClockTickMakesNoRegistryCallAndRewritesOnlyPanesWhoseTextChanged) {
    CountingRegistry counting(SystemRegistry());
    registry = &counting;
    Run([&](CTarvaneDlg& window) {
        HWND bar = ::FindWindowExW(window.Hwnd(), nullptr, STATUSCLASSNAMEW, nullptr);
        ASSERT_NE(bar, nullptr);
        PaneWrites writes;
        paneWrites = &writes;
        ASSERT_TRUE(::SetWindowSubclass(bar, CountPaneWrites, 1, 0));
        const std::size_t before = counting.Calls();
        ::SendMessageW(window.Hwnd(), WM_TIMER, kClockTimerId, 0);
        ::SendMessageW(window.Hwnd(), WM_TIMER, kClockTimerId, 0);
        const PaneWrites sameSecond = writes;
        ::Sleep(1100);
        ::SendMessageW(window.Hwnd(), WM_TIMER, kClockTimerId, 0);
        ::RemoveWindowSubclass(bar, CountPaneWrites, 1);
        paneWrites = nullptr;

        EXPECT_EQ(counting.Calls(), before) << "no registry call";
        EXPECT_EQ(writes.unchanged, 0) << "no pane is given the text it shows";
        // A second later the local and UTC times moved on; this year's
        // transitions did not.
        EXPECT_EQ(writes.sets[0], sameSecond.sets[0] + 1);
        EXPECT_EQ(writes.sets[1], sameSecond.sets[1] + 1);
        EXPECT_EQ(writes.sets[2] + writes.sets[3], 0);
    });
    registry = nullptr;
}

} // namespace
} // namespace tarvane::test
