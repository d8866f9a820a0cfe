// The dynamic-year commands on the real main window: the "+" and "-" buttons,
// the menu commands, the Add Year dialog driven on screen, and Copy and Paste
// Year Settings through the real clipboard.
#include "core/year_settings_text.h"
#include "dialog_driver.h"
#include "log_capture.h"
#include "main_window_harness.h"
#include "platform/clipboard.h"
#include "platform/format.h"
#include "resources/resource.h"
#include "ui/help_request.h"
#include "win/icon_menu.h"

#include <commctrl.h>

#include <cstring>

namespace tarvane::test {
namespace {

using ui::AddYearExchange;
using ui::CTarvaneDlg;

const wchar_t kAddYearCaption[] = L"Add Dynamic Daylight Saving Year";

// A year whose rules tell it apart from every other year.
DynamicYearRecord YearWithRules(DWORD year) {
    DynamicYearRecord record{};
    record.year = year;
    record.rules.tzi.Bias = 480;
    record.rules.tzi.StandardBias = 0;
    record.rules.tzi.DaylightBias = -static_cast<LONG>(year % 100);
    record.rules.tzi.StandardDate = SYSTEMTIME{0, 11, 0, 1, 2, 0, 0, 0};
    record.rules.tzi.DaylightDate = SYSTEMTIME{0, 3, 0, 2, 2, 0, 0, 0};
    record.rules.dstEnabled = 1;
    record.rules.standardOccurs = kOccursRecurringYearly;
    record.rules.daylightOccurs = kOccursRecurringYearly;
    return record;
}

bool SameRules(const ZoneRules& a, const ZoneRules& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<DWORD> YearsOf(const TimeZoneRecord& zone) {
    std::vector<DWORD> years;
    for (const auto& record : zone.years) {
        years.push_back(record.year);
    }
    return years;
}

class DynamicYearsTest : public MainWindowTest {
protected:
    // Edit mode on the selected zone (Pacific), its years replaced by `years`.
    TimeZoneRecord* EditWithYears(CTarvaneDlg& window, std::initializer_list<DWORD> years) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
        Pump();
        EXPECT_EQ(window.Mode(), EditMode::kEdit);
        TimeZoneRecord* zone = window.SelectedZone();
        if (zone == nullptr) {
            ADD_FAILURE() << "no zone selected";
            return nullptr;
        }
        zone->years.clear();
        for (DWORD year : years) {
            zone->years.push_back(YearWithRules(year));
        }
        window.Editor().ShowZone(zone);
        Pump(10);
        return zone;
    }

    std::vector<LPARAM> YearListData() {
        std::vector<LPARAM> data;
        const auto count = static_cast<int>(::SendMessageW(Item(IDC_YEAR), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            data.push_back(::SendMessageW(Item(IDC_YEAR), CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        }
        return data;
    }

    void Command(CTarvaneDlg& window, WORD id, WORD code = 0) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, MAKEWPARAM(id, code), 0);
        Pump(10);
    }

    // The state the menu would show for `id` of the Dynamic Daylight Saving submenu.
    bool MenuEnabled(CTarvaneDlg& window, UINT id) {
        HMENU edit = ::GetSubMenu(::GetMenu(window.Hwnd()), 1);
        HMENU years = nullptr; // the Edit menu's one submenu, wherever it stands
        for (int i = 0; years == nullptr && i < ::GetMenuItemCount(edit); ++i) {
            years = ::GetSubMenu(edit, i);
        }
        win::UpdateMenuCommandUI(years, window, false);
        return (::GetMenuState(years, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
    }

    // Answers the Add Year dialog without showing it.
    void AnswerAddYear(CTarvaneDlg& window, INT_PTR result, LONG year, bool copy = false, LONG copyFrom = 0) {
        window.runAddYearDialog = [=](HWND, AddYearExchange& exchange) {
            exchange.year = year;
            exchange.copy = copy;
            exchange.copyFrom = copyFrom;
            if (result == -1) {
                ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            }
            return result;
        };
    }
};

TEST_F(DynamicYearsTest, AddYearOffersTheYearsNextToTheGroupAndAddsTheLaterOne) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {2007, 2008, 2009, 2010});
        ASSERT_NE(zone, nullptr);
        ChooseListItem(IDC_YEAR, 2008);
        bool driven = false;
        WhenDialogOpens(kAddYearCaption, [&](HWND dialog) {
            driven = true;
            HWND years = ::GetDlgItem(dialog, IDC_ADD_YEAR_COMBO);
            EXPECT_EQ(ComboItems(years), (std::vector<std::wstring>{L"2006", L"2011"}));
            EXPECT_EQ(::SendMessageW(years, CB_GETCURSEL, 0, 0), 1);
            EXPECT_EQ(::GetFocus(), years);
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_ADD_YEAR_EDIT)));
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_ADD_YEAR_SPIN)));
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_ADD_YEAR_WARNING)));
            HWND copyFrom = ::GetDlgItem(dialog, IDC_COPY_FROM_YEAR);
            EXPECT_EQ(ComboItems(copyFrom),
                      (std::vector<std::wstring>{L"Default", L"2007", L"2008", L"2009", L"2010"}));
            EXPECT_EQ(::IsDlgButtonChecked(dialog, IDC_COPY_FROM_CHECK), BST_CHECKED)
                << "copying is the default";
            EXPECT_EQ(::SendMessageW(copyFrom, CB_GETCURSEL, 0, 0), 4) << "the year before 2011";
            EXPECT_TRUE(::IsWindowEnabled(copyFrom));
            ::SendMessageW(years, CB_SETCURSEL, 0, 0);
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ADD_YEAR_COMBO, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(years));
            EXPECT_EQ(::SendMessageW(copyFrom, CB_GETCURSEL, 0, 0), 1) << "the year after 2006";
            ::SendMessageW(years, CB_SETCURSEL, 1, 0);
            PressButton(dialog, IDC_COPY_FROM_CHECK);
            EXPECT_FALSE(::IsWindowEnabled(copyFrom)) << "until the box is checked again";
            PressButton(dialog, IDOK);
        });
        Click(IDC_ADD_YEAR);
        ASSERT_TRUE(driven);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(YearsOf(*zone), (std::vector<DWORD>{2007, 2008, 2009, 2010, 2011}));
        const ZoneRules& added = zone->years.back().rules;
        EXPECT_EQ(added.tzi.Bias, zone->rules.tzi.Bias);
        EXPECT_EQ(added.dstEnabled, 0);
        EXPECT_EQ(added.tzi.DaylightBias, 0);
        EXPECT_EQ(added.standardOccurs, 0);
        EXPECT_EQ(YearListData(), (std::vector<LPARAM>{0, 2007, 2008, 2009, 2010, 2011}));
        EXPECT_EQ(window.Editor().SelectedYear(), 2011u);
        EXPECT_EQ(Text(IDC_YEAR), L"2011");
        EXPECT_EQ(::IsDlgButtonChecked(window.Hwnd(), IDC_DST_ENABLED), BST_UNCHECKED)
            << "the editor shows the new year";
        EXPECT_TRUE(Enabled(IDC_REMOVE_YEAR)) << "the new last year may go again";
    });
}

TEST_F(DynamicYearsTest, AnEarlierYearGoesToTheFrontOfTheRecordAndTheList) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {2007, 2008});
        ASSERT_NE(zone, nullptr);
        WhenDialogOpens(kAddYearCaption, [&](HWND dialog) {
            ::SendMessageW(::GetDlgItem(dialog, IDC_ADD_YEAR_COMBO), CB_SETCURSEL, 0, 0);
            PressButton(dialog, IDOK);
        });
        Command(window, ID_YEARS_ADD);
        EXPECT_EQ(YearsOf(*zone), (std::vector<DWORD>{2006, 2007, 2008}));
        EXPECT_EQ(YearListData(), (std::vector<LPARAM>{0, 2006, 2007, 2008}));
        EXPECT_EQ(window.Editor().SelectedYear(), 2006u);
    });
}

TEST_F(DynamicYearsTest, TenThousandIsRefusedAndTheDialogStaysOpenOnTheYear) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {9998, 9999});
        ASSERT_NE(zone, nullptr);
        bool stayedOpen = false;
        WhenDialogOpens(kAddYearCaption, [&](HWND dialog) {
            HWND years = ::GetDlgItem(dialog, IDC_ADD_YEAR_COMBO);
            EXPECT_EQ(ComboItems(years), (std::vector<std::wstring>{L"9997", L"10000"}));
            ::SetFocus(::GetDlgItem(dialog, IDC_COPY_FROM_CHECK));
            PressButton(dialog, IDOK);
            stayedOpen = ::IsWindowVisible(dialog) != FALSE;
            EXPECT_EQ(::GetFocus(), years);
            PressButton(dialog, IDCANCEL);
        });
        Click(IDC_ADD_YEAR);
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"Provide select a year between 1000 and 9999.");
        EXPECT_EQ(messages[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_EQ(YearsOf(*zone), (std::vector<DWORD>{9998, 9999})) << "Cancel adds nothing";
    });
}

TEST_F(DynamicYearsTest, AZoneWithoutYearsTakesAnyYearTypedIntoTheEdit) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {});
        ASSERT_NE(zone, nullptr);
        const SYSTEMTIME now = LocalNow();
        WhenDialogOpens(kAddYearCaption, [&](HWND dialog) {
            HWND edit = ::GetDlgItem(dialog, IDC_ADD_YEAR_EDIT);
            HWND combo = ::GetDlgItem(dialog, IDC_ADD_YEAR_COMBO);
            EXPECT_TRUE(::IsWindowVisible(edit));
            EXPECT_FALSE(::IsWindowVisible(combo));
            EXPECT_EQ(::GetFocus(), edit);
            wchar_t text[16] = {};
            ::GetWindowTextW(edit, text, 16);
            EXPECT_EQ(std::wstring(text), Format(L"%u", static_cast<DWORD>(now.wYear)));
            RECT editRect{};
            RECT comboRect{};
            ::GetWindowRect(edit, &editRect);
            ::GetWindowRect(combo, &comboRect);
            EXPECT_EQ(editRect.left, comboRect.left) << "the edit takes the list's place";
            EXPECT_EQ(editRect.top, comboRect.top);
            EXPECT_EQ(::SendMessageW(::GetDlgItem(dialog, IDC_ADD_YEAR_SPIN), UDM_GETBUDDY, 0, 0),
                      reinterpret_cast<LRESULT>(edit));
            EXPECT_EQ(::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 4);

            ::SetWindowTextW(edit, L"999");
            PressButton(dialog, IDOK);
            EXPECT_TRUE(::IsWindowVisible(dialog));
            ::SetWindowTextW(edit, L" 2012ab");
            PressButton(dialog, IDOK);
        });
        Click(IDC_ADD_YEAR);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"Provide a year between 1000 and 9999.");
        EXPECT_EQ(YearsOf(*zone), (std::vector<DWORD>{2012}));
        EXPECT_EQ(YearListData(), (std::vector<LPARAM>{0, 2012}));
    });
}

TEST_F(DynamicYearsTest, CopyingFromDefaultGivesTheNewYearTheZonesWholeRules) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {2007});
        ASSERT_NE(zone, nullptr);
        WhenDialogOpens(kAddYearCaption, [&](HWND dialog) {
            ::SendMessageW(::GetDlgItem(dialog, IDC_COPY_FROM_YEAR), CB_SETCURSEL, 0, 0);
            PressButton(dialog, IDOK);
        });
        Click(IDC_ADD_YEAR);
        ASSERT_EQ(YearsOf(*zone), (std::vector<DWORD>{2007, 2008}));
        EXPECT_TRUE(SameRules(zone->years[1].rules, zone->rules));
        EXPECT_EQ(::IsDlgButtonChecked(window.Hwnd(), IDC_DST_ENABLED), BST_CHECKED);
    });
}

TEST_F(DynamicYearsTest, CopyingFromAYearGivesTheNewYearThatYearsRules) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {2007, 2008});
        ASSERT_NE(zone, nullptr);
        WhenDialogOpens(kAddYearCaption, [&](HWND dialog) {
            ::SendMessageW(::GetDlgItem(dialog, IDC_COPY_FROM_YEAR), CB_SETCURSEL, 1, 0);
            PressButton(dialog, IDOK);
        });
        Click(IDC_ADD_YEAR);
        ASSERT_EQ(YearsOf(*zone), (std::vector<DWORD>{2007, 2008, 2009}));
        EXPECT_TRUE(SameRules(zone->years[2].rules, zone->years[0].rules));
    });
}

TEST_F(DynamicYearsTest, TheDialogRefusesACheckedCopyWithoutASourceYear) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {2007});
        ASSERT_NE(zone, nullptr);
        WhenDialogOpens(kAddYearCaption, [&](HWND dialog) {
            HWND copyFrom = ::GetDlgItem(dialog, IDC_COPY_FROM_YEAR);
            ::SendMessageW(copyFrom, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            PressButton(dialog, IDOK);
            EXPECT_TRUE(::IsWindowVisible(dialog));
            EXPECT_EQ(::GetFocus(), copyFrom);
            PressButton(dialog, IDCANCEL);
        });
        Click(IDC_ADD_YEAR);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"Cannot locate provided year 4294967295 to copy settings from...");
        EXPECT_EQ(YearsOf(*zone), (std::vector<DWORD>{2007}));
    });
}

TEST_F(DynamicYearsTest, AddYearFailuresAreLoggedAndShown) {
    Run([&](CTarvaneDlg& window) {
        LogCapture capture;
        Command(window, ID_YEARS_ADD);
        EXPECT_TRUE(capture.Has(L"[111]")) << "view mode";

        TimeZoneRecord* zone = EditWithYears(window, {2007});
        ASSERT_NE(zone, nullptr);
        AnswerAddYear(window, IDOK, 2008, true, 1999);
        Click(IDC_ADD_YEAR);
        EXPECT_TRUE(capture.Has(L"[114] yr=1999")) << capture.Dump();
        AnswerAddYear(window, IDOK, 0);
        Click(IDC_ADD_YEAR);
        EXPECT_TRUE(capture.Has(L"[113] yr=0")) << capture.Dump();
        AnswerAddYear(window, -1, 0);
        Click(IDC_ADD_YEAR);
        EXPECT_EQ(capture.LastErrorOf(L"ERROR: (1400) Can't display window to add year"), 1400)
            << capture.Dump();
        AnswerAddYear(window, IDCANCEL, 2008);
        Click(IDC_ADD_YEAR);

        std::vector<std::wstring> texts;
        for (const auto& shown : messages) {
            texts.push_back(shown.text);
            EXPECT_EQ(shown.type, static_cast<UINT>(MB_OK | MB_ICONERROR));
        }
        EXPECT_EQ(texts, (std::vector<std::wstring>{L"Adding year is not available",
                                                    L"ERROR: Failed to copy data for the specified year",
                                                    L"ERROR: Invalid year specified",
                                                    L"ERROR: Can't display window to add year"}));
        EXPECT_EQ(YearsOf(*zone), (std::vector<DWORD>{2007}));
        EXPECT_EQ(YearListData(), (std::vector<LPARAM>{0, 2007}));
    });
}

TEST_F(DynamicYearsTest, AddYearIsUnavailableForAZoneWithAThousandYears) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {});
        ASSERT_NE(zone, nullptr);
        for (DWORD year = 2000; year < 3000; ++year) {
            zone->years.push_back(YearWithRules(year));
        }
        window.Editor().ShowZone(zone);
        ChooseListItem(IDC_YEAR, 2000);
        EXPECT_FALSE(Enabled(IDC_ADD_YEAR));
        EXPECT_FALSE(MenuEnabled(window, ID_YEARS_ADD));
        zone->years.pop_back();
        ChooseListItem(IDC_YEAR, 2000);
        EXPECT_TRUE(Enabled(IDC_ADD_YEAR));
        EXPECT_TRUE(MenuEnabled(window, ID_YEARS_ADD));
    });
}

TEST_F(DynamicYearsTest, OnlyTheFirstOrLastYearCanBeRemovedAfterAYes) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {2007, 2008, 2009, 2010});
        ASSERT_NE(zone, nullptr);
        const std::pair<DWORD, bool> cases[] = {
            {0, false}, {2007, true}, {2008, false}, {2009, false}, {2010, true}};
        for (const auto& [year, removable] : cases) {
            ChooseListItem(IDC_YEAR, static_cast<LPARAM>(year));
            EXPECT_EQ(Enabled(IDC_REMOVE_YEAR), removable) << year;
            EXPECT_EQ(MenuEnabled(window, ID_YEARS_REMOVE), removable) << year;
        }
        answers = {IDNO};
        Click(IDC_REMOVE_YEAR);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
                  L"Do you want to remove dynamic daylight saving settings for the year 2010?");
        EXPECT_EQ(messages[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
        EXPECT_EQ(zone->years.size(), 4u) << "No keeps the year";

        answers = {IDYES};
        Click(IDC_REMOVE_YEAR);
        EXPECT_EQ(YearsOf(*zone), (std::vector<DWORD>{2007, 2008, 2009}));
        EXPECT_EQ(YearListData(), (std::vector<LPARAM>{0, 2007, 2008, 2009}));
        EXPECT_EQ(window.Editor().SelectedYear(), 0u) << "Default is selected";
        EXPECT_EQ(Text(IDC_YEAR), L"Default");
        EXPECT_FALSE(Enabled(IDC_REMOVE_YEAR));
        ChooseListItem(IDC_YEAR, 2009);
        EXPECT_TRUE(Enabled(IDC_REMOVE_YEAR)) << "2009 is the last year now";

        answers = {IDYES};
        Command(window, ID_YEARS_REMOVE);
        EXPECT_EQ(YearsOf(*zone), (std::vector<DWORD>{2007, 2008}));
        EXPECT_EQ(messages.size(), 3u) << "one question each, nothing else";
    });
}

TEST_F(DynamicYearsTest, RemoveYearRefusesWhatTheRuleForbids) {
    Run([&](CTarvaneDlg& window) {
        LogCapture capture;
        TimeZoneRecord* zone = EditWithYears(window, {2007, 2008, 2009});
        ASSERT_NE(zone, nullptr);
        ChooseListItem(IDC_YEAR, 2008);
        Command(window, ID_YEARS_REMOVE);
        ChooseListItem(IDC_YEAR, 0);
        Command(window, ID_YEARS_REMOVE);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].text, L"Removing selected year is not possible.");
        EXPECT_EQ(messages[1].text, L"Removing selected year is not possible.");
        EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[116]", L"[116]"}));

        // The smallest year in the middle of the record: the rule allows it,
        // but only an end of the record may go.
        std::swap(zone->years[0], zone->years[1]);
        window.Editor().ShowZone(zone);
        ChooseListItem(IDC_YEAR, 2007);
        EXPECT_TRUE(Enabled(IDC_REMOVE_YEAR));
        answers = {IDYES};
        Click(IDC_REMOVE_YEAR);
        EXPECT_TRUE(capture.Has(L"[117] yr=2007, ind=1")) << capture.Dump();
        ASSERT_EQ(messages.size(), 4u);
        EXPECT_EQ(messages[3].text, L"Cannot remove selected year");
        EXPECT_EQ(zone->years.size(), 3u);
    });
}

TEST_F(DynamicYearsTest, CopyOnDefaultThenPasteOnAYearGivesItTheZonesRules) {
    Run([&](CTarvaneDlg& window) {
        ChooseListItem(IDC_YEAR, 0);
        EXPECT_TRUE(window.CanCopyYear());
        EXPECT_TRUE(MenuEnabled(window, ID_YEARS_COPY));
        Command(window, ID_YEARS_COPY);
        TimeZoneRecord* zone = window.SelectedZone();
        ASSERT_NE(zone, nullptr);
        DynamicYearRecord expected{};
        expected.year = 0;
        expected.rules = zone->rules;
        EXPECT_EQ(GetClipboardText(window.Hwnd()), FormatYearSettings(expected));
        EXPECT_FALSE(window.CanPasteYear()) << "not in view mode";

        zone = EditWithYears(window, {2007, 2008});
        ASSERT_NE(zone, nullptr);
        ChooseListItem(IDC_YEAR, 2008);
        EXPECT_TRUE(window.CanPasteYear());
        EXPECT_TRUE(MenuEnabled(window, ID_YEARS_PASTE));
        Command(window, ID_YEARS_PASTE, 1);
        EXPECT_TRUE(SameRules(zone->years[1].rules, zone->rules)) << "biases included";
        EXPECT_FALSE(SameRules(zone->years[0].rules, zone->rules));
        EXPECT_EQ(Text(IDC_DST_MINUTES), L"0") << "the editor shows the pasted rules";
    });
}

TEST_F(DynamicYearsTest, PasteOnDefaultChangesTheZonesOwnBias) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {2007});
        ASSERT_NE(zone, nullptr);
        DynamicYearRecord source = YearWithRules(1999);
        source.rules.tzi.Bias = -330;
        ASSERT_TRUE(PutClipboardText(window.Hwnd(), FormatYearSettings(source)));
        ChooseListItem(IDC_YEAR, 0);
        Command(window, ID_YEARS_PASTE);
        EXPECT_EQ(zone->rules.tzi.Bias, -330);
        EXPECT_TRUE(SameRules(zone->rules, source.rules));
        EXPECT_EQ(YearsOf(*zone), (std::vector<DWORD>{2007})) << "the year in the text is ignored";
        EXPECT_EQ(Text(IDC_BIAS_HOURS), L"5");
        EXPECT_EQ(Text(IDC_BIAS_MINUTES), L"30");
    });
}

TEST_F(DynamicYearsTest, PasteIsDisabledForOrdinaryClipboardText) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {2007});
        ASSERT_NE(zone, nullptr);
        ChooseListItem(IDC_YEAR, 2007);
        const ZoneRules before = zone->years[0].rules;
        ASSERT_TRUE(PutClipboardText(window.Hwnd(), L"Hello, world"));
        EXPECT_FALSE(window.CanPasteYear());
        EXPECT_FALSE(MenuEnabled(window, ID_YEARS_PASTE));
        Command(window, ID_YEARS_PASTE, 1);
        Command(window, ID_YEARS_PASTE, 0);
        EXPECT_TRUE(SameRules(zone->years[0].rules, before));
        EXPECT_TRUE(messages.empty()) << "a failed paste only beeps";
    });
}

TEST_F(DynamicYearsTest, CopyWithoutRulesIsLoggedAndLeavesTheClipboard) {
    Run([&](CTarvaneDlg& window) {
        TimeZoneRecord* zone = EditWithYears(window, {2007});
        ASSERT_NE(zone, nullptr);
        ChooseListItem(IDC_YEAR, 2007);
        ASSERT_TRUE(PutClipboardText(window.Hwnd(), L"kept"));
        zone->years.clear(); // the list still shows the year
        EXPECT_FALSE(window.CanCopyYear());
        EXPECT_FALSE(MenuEnabled(window, ID_YEARS_COPY));
        LogCapture capture;
        Command(window, ID_YEARS_COPY, 1);
        EXPECT_TRUE(capture.events.empty()) << "a disabled shortcut does nothing";
        Command(window, ID_YEARS_COPY);
        EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[120]"}));
        EXPECT_EQ(GetClipboardText(window.Hwnd()), L"kept");
        EXPECT_TRUE(messages.empty());
    });
}

TEST_F(DynamicYearsTest, TheYearShortcutsReachTheCommands) {
    Run([&](CTarvaneDlg& window) {
        ChooseListItem(IDC_YEAR, 0);
        ASSERT_TRUE(PutClipboardText(window.Hwnd(), L"before"));
        ::SetFocus(Item(IDC_ZONE_LIST));
        INPUT keys[6] = {};
        const WORD sequence[] = {VK_CONTROL, VK_SHIFT, 'C'};
        for (int i = 0; i < 3; ++i) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = sequence[i];
            keys[5 - i].type = INPUT_KEYBOARD;
            keys[5 - i].ki.wVk = sequence[i];
            keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
        }
        ::SetForegroundWindow(window.Hwnd());
        ::SendInput(6, keys, sizeof(INPUT));
        Pump(200);
        DynamicYearRecord copied{};
        EXPECT_TRUE(ParseYearSettings(GetClipboardText(window.Hwnd()), &copied))
            << "Ctrl+Shift+C copied the Default settings";
    });
}

TEST_F(DynamicYearsTest, F1InTheAddYearDialogOpensTheHelpPage) {
    Run([&](CTarvaneDlg& window) {
        EditWithYears(window, {2007});
        HWND helpOwner = nullptr;
        HWND shown = nullptr;
        ui::SetHelpOpener([&](HWND owner) { helpOwner = owner; });
        WhenDialogOpens(kAddYearCaption, [&](HWND dialog) {
            shown = dialog;
            HELPINFO help{};
            help.cbSize = sizeof help;
            help.iContextType = HELPINFO_WINDOW;
            ::SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
            PressButton(dialog, IDCANCEL);
        });
        Click(IDC_ADD_YEAR);
        ui::SetHelpOpener(nullptr);
        EXPECT_NE(shown, nullptr);
        EXPECT_EQ(helpOwner, shown);
    });
}

} // namespace
} // namespace tarvane::test
