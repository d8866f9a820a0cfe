// The tz database commands on the real main window over a scratch copy of
// Wine's own database: Check Against tz Database with its list, Ctrl+C, the
// CSV and the jump to a zone; Fill From tz Database in edit mode, through its
// dialog, with Save Changes and Cancel; the About box's line.
#include "dialog_driver.h"
#include "log_capture.h"
#include "main_window_harness.h"
#include "tz_fixtures.h"

#include "core/zone_keys.h"
#include "core/zone_sources.h"
#include "platform/clipboard.h"
#include "platform/format.h"
#include "platform/module_resource.h"
#include "platform/system_facts.h"
#include "platform/system_registry.h"
#include "resources/resource.h"
#include "tzdb/tz_check.h"
#include "tzdb/tz_fill.h"
#include "ui/about_dlg.h"
#include "win/icon_menu.h"
#include "ui/prompts.h"
#include "ui/tz_database.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

int ThisYear() {
    return LocalNow().wYear;
}

std::wstring ItemText(HWND list, int row, int column) {
    wchar_t text[512] = {};
    ListView_GetItemText(list, row, column, text, 512);
    return text;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class TzDatabaseTest : public MainWindowTest {
protected:
    // The state the menu bar's popup `index` would show for `id`.
    bool MenuEnabled(CTarvaneDlg& window, int index, UINT id) {
        HMENU popup = ::GetSubMenu(::GetMenu(window.Hwnd()), index);
        win::UpdateMenuCommandUI(popup, window, false);
        return (::GetMenuState(popup, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
    }

    // Answers the fill dialog without showing it.
    void AnswerFill(CTarvaneDlg& window, const std::wstring& tzName, LONG first, LONG last) {
        window.runTzFillDialog = [=](HWND, ui::TzFillExchange& exchange) {
            exchange.tzName = tzName;
            exchange.firstYear = first;
            exchange.lastYear = last;
            return INT_PTR{IDOK};
        };
    }

    ZoneCheck CheckNow(const TimeZoneRecord& zone) {
        return CheckZone(zone, *ui::ProgramTzTable(), ThisYear(), ThisYear() + kCheckedYears - 1);
    }
};

TEST_F(TzDatabaseTest, TheCheckListsWinesZonesCopiesThemSavesThemAndGoesToOne) {
    const std::wstring csv = TempPath(L"tarvane-tz-check.csv");
    ::DeleteFileW(csv.c_str());
    Run([&](CTarvaneDlg& window) {
        const TzTable* table = ui::ProgramTzTable();
        ASSERT_NE(table, nullptr) << "the table is a resource of the program";
        // How long the check takes on Wine's database, for the record.
        LARGE_INTEGER frequency{}, start{}, end{};
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        const std::vector<ZoneCheck> checks = CheckZones(window.Zones(), *table, ThisYear(), {}, L"US");
        ::QueryPerformanceCounter(&end);
        const double milliseconds = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                    static_cast<double>(frequency.QuadPart);
        std::printf("checked %u zones against tz %ls in %.1f ms\n", static_cast<unsigned>(checks.size()),
                    table->version.c_str(), milliseconds);
        RecordProperty("check_milliseconds", static_cast<int>(milliseconds + 0.5));
        for (const ZoneCheck& check : checks) {
            if (check.status != TzCheckStatus::kMatches) {
                std::printf("  %ls (%ls): %ls\n", check.key.c_str(), check.tzName.c_str(),
                            check.difference.c_str());
            }
        }

        // The dialog cannot be shown.
        LogCapture capture;
        window.runTzCheckDialog = [](HWND, ui::TzCheckExchange&) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return INT_PTR{-1};
        };
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_CHECK, 0);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"ERROR: Can't display window to check against the tz database");
        EXPECT_TRUE(capture.Has(Format(L"[258] dlg=%d", IDD_TZ_CHECK))) << capture.Dump();
        messages.clear();
        window.runTzCheckDialog = ui::RunTzCheckDialog;

        // Save As CSV: the file dialog fails, then a file that cannot be made, then the file,
        // then a device that takes no byte (Wine's Z: is the root of the file system).
        const std::wstring unwritable = TempPath(L"no-such-folder\\list.csv");
        const std::wstring full = L"Z:\\dev\\full";
        int saves = 0;
        ui::SetFileDialogHandler([&](HWND, bool save, std::wstring* path) {
            EXPECT_TRUE(save);
            ++saves;
            *path = saves == 2 ? unwritable : saves == 4 ? full : csv;
            return saves == 1 ? FileChoice::kFailed : FileChoice::kChosen;
        });
        EXPECT_TRUE(MenuEnabled(window, 3, ID_TOOLS_TZ_CHECK));
        HWND shown = nullptr;
        std::wstring pacificRow;
        std::wstring copied;
        WhenDialogOpens(L"Check Against tz Database", [&](HWND dialog) {
            shown = dialog;
            HWND list = ::GetDlgItem(dialog, IDC_TZ_CHECK_LIST);
            ASSERT_EQ(ListView_GetItemCount(list), static_cast<int>(window.Zones().size()));
            int pacific = -1;
            int tokyo = -1;
            for (int row = 0; row < ListView_GetItemCount(list); ++row) {
                pacific = ItemText(list, row, 0) == L"Pacific Standard Time" ? row : pacific;
                tokyo = ItemText(list, row, 0) == L"Tokyo Standard Time" ? row : tokyo;
            }
            ASSERT_GE(pacific, 0);
            ASSERT_GE(tokyo, 0);
            EXPECT_EQ(ItemText(list, pacific, 1), L"US");
            EXPECT_EQ(ItemText(list, pacific, 2), L"America/Los_Angeles");
            pacificRow = ItemText(list, pacific, 0);
            for (int column = 1; column < 5; ++column) {
                pacificRow += L"\t" + ItemText(list, pacific, column);
            }
            EXPECT_EQ(ItemText(list, tokyo, 1), L"001") << "no mapping for the United States";
            EXPECT_EQ(ItemText(list, tokyo, 3), L"matches") << Narrow(ItemText(list, tokyo, 4));
            wchar_t intro[512] = {};
            ::GetDlgItemTextW(dialog, IDC_TZ_CHECK_INTRO, intro, 512);
            EXPECT_NE(std::wstring(intro).find(L"IANA tz database 2026f, CLDR 48, for United States (US), "),
                      std::wstring::npos)
                << Narrow(intro);
            wchar_t summary[256] = {};
            ::GetDlgItemTextW(dialog, IDC_TZ_CHECK_SUMMARY, summary, 256);
            const CheckCounts counts = CountChecks(checks);
            EXPECT_EQ(
                std::wstring(summary),
                Format(L"%u zones: %u match, %u differ for United States (US), %u without a mapping; %u "
                       L"more (zone, region) pairs differ elsewhere",
                       counts.zones, counts.matches, counts.differ, counts.noMapping,
                       counts.otherRegionsDiffer));
            EXPECT_GT(counts.otherRegionsDiffer, 0u)
                << "Canada's Pacific, Mountain and Central time at least";
            ListView_EnsureVisible(list, pacific, FALSE);
            SaveWindowShot(dialog, L"tz_check");

            // Ctrl+C on the list with one row selected.
            ListView_SetItemState(list, pacific, LVIS_SELECTED, LVIS_SELECTED);
            BYTE keys[256] = {};
            ::GetKeyboardState(keys);
            keys[VK_CONTROL] = 0x80;
            ::SetKeyboardState(keys);
            ::SendMessageW(list, WM_KEYDOWN, 'C', 1);
            keys[VK_CONTROL] = 0;
            ::SetKeyboardState(keys);
            copied = GetClipboardText(dialog);

            PressButton(dialog, IDC_TZ_CHECK_SAVE);
            PressButton(dialog, IDC_TZ_CHECK_SAVE);
            PressButton(dialog, IDC_TZ_CHECK_SAVE);
            PressButton(dialog, IDC_TZ_CHECK_SAVE);

            // Every region: Pacific's own row, then Canada's, which differs.
            PressButton(dialog, IDC_TZ_CHECK_ALL_REGIONS);
            EXPECT_EQ(ListView_GetItemCount(list), static_cast<int>(checks.size()));
            EXPECT_EQ(ItemText(list, pacific + 1, 0), L"Pacific Standard Time");
            EXPECT_EQ(ItemText(list, pacific + 1, 1), L"CA");
            EXPECT_EQ(ItemText(list, pacific + 1, 2), L"America/Vancouver");
            EXPECT_EQ(ItemText(list, pacific + 1, 3), L"differs");
            ListView_EnsureVisible(list, pacific + 1, FALSE);
            SaveWindowShot(dialog, L"tz_check_every_region");
            PressButton(dialog, IDC_TZ_CHECK_ALL_REGIONS);
            ASSERT_EQ(ListView_GetItemCount(list), static_cast<int>(counts.zones));

            // A double click on Tokyo goes to it.
            ListView_EnsureVisible(list, tokyo, FALSE);
            RECT rect{};
            ListView_GetItemRect(list, tokyo, &rect, LVIR_LABEL);
            const LPARAM at = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
            ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
            ::SendMessageW(list, WM_LBUTTONUP, 0, at);
            ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            ::SendMessageW(list, WM_LBUTTONUP, 0, at);
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_CHECK, 0);
        Pump();
        ASSERT_NE(shown, nullptr);
        EXPECT_FALSE(::IsWindow(shown));
        EXPECT_TRUE(capture.Has(L"[255] res=2")) << capture.Dump();
        EXPECT_TRUE(capture.Has(L"[253] file=\"" + unwritable + L"\"")) << capture.Dump();
        const std::vector<std::wstring> logged = capture.Messages();
        EXPECT_TRUE(std::any_of(logged.begin(), logged.end(), [&](const std::wstring& line) {
            return line.rfind(L"[254] sz1=0, sz2=", 0) == 0 &&
                   line.find(L"file=\"" + full + L"\"") != std::wstring::npos;
        })) << capture.Dump();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(
            messages[0].text.rfind(L"ERROR: Failed to save the list to:\n\n" + unwritable + L"\n\n(3) ", 0),
            0u)
            << Narrow(messages[0].text);
        EXPECT_EQ(messages[1].text.rfind(L"ERROR: Failed to save the list to:\n\n" + full + L"\n\n(112) ", 0),
                  0u)
            << Narrow(messages[1].text);
        EXPECT_EQ(copied,
                  L"Zone Key\tRegion\tIANA Zone\tStatus\tFirst Difference\r\n" + pacificRow + L"\r\n");
        ASSERT_NE(window.SelectedZone(), nullptr);
        EXPECT_EQ(window.SelectedZone()->keyName, L"Tokyo Standard Time");

        // Enter goes to the focused zone too.
        WhenDialogOpens(L"Check Against tz Database", [&](HWND dialog) {
            HWND list = ::GetDlgItem(dialog, IDC_TZ_CHECK_LIST);
            for (int row = 0; row < ListView_GetItemCount(list); ++row) {
                if (ItemText(list, row, 0) == L"Pacific Standard Time") {
                    ListView_SetItemState(list, row, LVIS_FOCUSED | LVIS_SELECTED,
                                          LVIS_FOCUSED | LVIS_SELECTED);
                }
            }
            ::SetFocus(list);
            ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_CHECK, 0);
        Pump();
        ASSERT_NE(window.SelectedZone(), nullptr);
        EXPECT_EQ(window.SelectedZone()->keyName, L"Pacific Standard Time");
    });
    std::ifstream file(std::string(csv.begin(), csv.end()), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBFZone Key,Region,IANA Zone,Status,First Difference\r\n", 0), 0u);
    EXPECT_NE(bytes.find("\r\nTokyo Standard Time,001,Asia/Tokyo,matches,\r\n"), std::string::npos);
    ::DeleteFileW(csv.c_str());
}

// A zone CLDR does not map is given its IANA zone from its row: remembered
// as the zone's source, and shown as chosen when the check runs again.
TEST_F(TzDatabaseTest, AZoneWithoutAMappingIsGivenItsIanaZoneFromTheCheck) {
    const std::wstring key = L"Unmapped Test Standard Time";
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Tokyo Standard Time");
        TimeZoneRecord copy = *window.SelectedZone();
        copy.keyName = key;
        bool leftOver = false;
        ASSERT_TRUE(CreateTimeZone(SystemRegistry(), ReadSystemFacts().is64BitOs, copy, &leftOver));
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_VIEW_REFRESH, 0);
        Pump();
        const auto rowOf = [](HWND list, const std::wstring& zone) {
            for (int row = 0; row < ListView_GetItemCount(list); ++row) {
                if (ItemText(list, row, 0) == zone) {
                    return row;
                }
            }
            return -1;
        };
        const auto focus = [](HWND list, int row) {
            ListView_SetItemState(list, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        };
        std::wstring afterwards[5];
        WhenDialogOpens(L"Check Against tz Database", [&](HWND dialog) {
            HWND list = ::GetDlgItem(dialog, IDC_TZ_CHECK_LIST);
            const int unmapped = rowOf(list, key);
            ASSERT_GE(unmapped, 0);
            EXPECT_EQ(ItemText(list, unmapped, 3), L"no mapping");
            focus(list, rowOf(list, L"Tokyo Standard Time"));
            EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_TZ_CHECK_CHOOSE))) << "Tokyo is mapped";
            focus(list, unmapped);
            EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_TZ_CHECK_CHOOSE)));
            WhenDialogOpens(L"Choose IANA Zone", [&](HWND chooser) {
                ::SetDlgItemTextW(chooser, IDC_TZ_CHOOSE_SEARCH, L"asia/toky");
                EXPECT_EQ(::SendDlgItemMessageW(chooser, IDC_TZ_CHOOSE_LIST, LB_GETCOUNT, 0, 0), 1);
                SaveWindowShot(chooser, L"tz_choose");
                // The check runs again, the zone's row where it was.
                WhenDialogOpens(L"Check Against tz Database", [&](HWND again) {
                    HWND rows = ::GetDlgItem(again, IDC_TZ_CHECK_LIST);
                    const int row = ListView_GetNextItem(rows, -1, LVNI_FOCUSED);
                    for (int column = 0; row >= 0 && column < 5; ++column) {
                        afterwards[column] = ItemText(rows, row, column);
                    }
                    PressButton(again, IDCANCEL);
                });
                PressButton(chooser, IDOK);
            });
            PressButton(dialog, IDC_TZ_CHECK_CHOOSE);
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_CHECK, 0);
        Pump();
        EXPECT_EQ(afterwards[0], key);
        EXPECT_EQ(afterwards[1], L"chosen");
        EXPECT_EQ(afterwards[2], L"Asia/Tokyo");
        EXPECT_EQ(afterwards[3], L"matches") << Narrow(afterwards[4]);
        const ZoneSources sources = ReadZoneSources(SystemRegistry());
        ASSERT_NE(FindZoneSource(sources, key), nullptr);
        EXPECT_EQ(*FindZoneSource(sources, key), L"Asia/Tokyo");
    });
}

TEST_F(TzDatabaseTest, FillThroughItsDialogThenSaveWritesRulesThatMatch) {
    Run([&](CTarvaneDlg& window) {
        EXPECT_FALSE(MenuEnabled(window, 1, ID_EDIT_TZ_FILL)) << "view mode";
        {
            LogCapture capture;
            window.FillFromTzDatabase();
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text, L"There's no time zone selected");
            EXPECT_TRUE(capture.Has(L"[257] id=0")) << capture.Dump();
            messages.clear();
        }
        // Not the current zone: Wine refuses to activate one.
        EditZone(L"Eastern Standard Time");
        EXPECT_TRUE(Visible(IDC_TZ_FILL));
        SaveWindowShot(window.Hwnd(), L"tz_fill_button");
        EXPECT_TRUE(MenuEnabled(window, 1, ID_EDIT_TZ_FILL));
        EXPECT_FALSE(MenuEnabled(window, 3, ID_TOOLS_TZ_CHECK)) << "edit mode";
        bool driven = false;
        WhenDialogOpens(L"Fill From tz Database", [&](HWND dialog) {
            driven = true;
            wchar_t text[64] = {};
            ::GetDlgItemTextW(dialog, IDC_TZ_FILL_ZONE, text, 64);
            EXPECT_EQ(std::wstring(text), L"America/New_York (US, 001)")
                << "the zone mapped to the key in the region, with its territories";
            EXPECT_EQ(::GetDlgItemInt(dialog, IDC_TZ_FILL_FROM, nullptr, FALSE),
                      static_cast<UINT>(ThisYear()));
            EXPECT_EQ(::GetDlgItemInt(dialog, IDC_TZ_FILL_TO, nullptr, FALSE),
                      static_cast<UINT>(ThisYear() + 5));
            SaveWindowShot(dialog, L"tz_fill");
            ::SetDlgItemTextW(dialog, IDC_TZ_FILL_FROM, L"2040");
            PressButton(dialog, IDOK);
            ::SetDlgItemTextW(dialog, IDC_TZ_FILL_FROM, L"1969");
            PressButton(dialog, IDOK);
            ::SetDlgItemTextW(dialog, IDC_TZ_FILL_FROM, L"2000");
            PressButton(dialog, IDOK);
        });
        Click(IDC_TZ_FILL);
        ASSERT_TRUE(driven);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].text, L"The last year must not be earlier than the first.");
        EXPECT_EQ(messages[1].text, L"Provide a year between 1970 and 9999.");
        const TimeZoneRecord* zone = window.SelectedZone();
        ASSERT_NE(zone, nullptr);
        EXPECT_EQ(CheckNow(*zone).status, TzCheckStatus::kMatches) << Narrow(CheckNow(*zone).difference);
        // 2000 to 2006 under the old US rules, then the new ones carried on.
        ASSERT_FALSE(zone->years.empty());
        EXPECT_EQ(zone->years.back().year, 2007u);
        EXPECT_EQ(zone->rules.tzi.Bias, 300);

        Click(IDC_SAVE_CHANGES);
        Pump();
        EXPECT_EQ(window.Mode(), EditMode::kView);
        EXPECT_EQ(messages.size(), 2u);
        ASSERT_NE(window.SelectedZone(), nullptr);
        EXPECT_EQ(window.SelectedZone()->years.back().year, 2007u) << "reloaded from the registry";
        EXPECT_EQ(CheckNow(*window.SelectedZone()).status, TzCheckStatus::kMatches);
    });
}

TEST_F(TzDatabaseTest, YearsTheFormCannotHoldAreListedFirstAndCancelLeavesTheRegistryAlone) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Pacific Standard Time");
        const TimeZoneRecord before = *window.SelectedZone();
        LogCapture capture;

        // Nothing in the range can be held: refused, nothing changes.
        AnswerFill(window, L"Africa/Casablanca", 2026, 2026);
        Click(IDC_TZ_FILL);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
                  L"None of the years 2026 to 2026 can be expressed exactly in the registry's "
                  L"form:\n\n2026: 3 changes of the UTC offset\n\nNothing was changed.");
        EXPECT_EQ(messages[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
        const std::vector<std::wstring> logged = capture.Messages();
        EXPECT_TRUE(std::any_of(logged.begin(), logged.end(), [](const std::wstring& line) {
            return line.rfind(L"[259] tz=\"Africa/Casablanca\", from=2026, to=2026, yrs=", 0) == 0;
        })) << capture.Dump();

        // One year cannot: the question lists it; No changes nothing.
        AnswerFill(window, L"Africa/Casablanca", 2025, 2028);
        answers = {IDNO, IDYES};
        Click(IDC_TZ_FILL);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].text,
                  L"These years cannot be expressed exactly in the registry's form and keep "
                  L"the rules they have now:\n\n2026: 3 changes of the UTC offset\n\nThe zone's offset from "
                  L"UTC changes, and so does its display name: \"" +
                      before.displayName + L"\" becomes \"" + DisplayNameForBias(before.displayName, 0) +
                      L"\".\n\nFill the other years from the tz database?");
        EXPECT_EQ(DisplayNameForBias(before.displayName, 0).rfind(L"(UTC+00:00) ", 0), 0u)
            << Narrow(before.displayName);
        EXPECT_EQ(messages[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(window.SelectedZone()->years.size(), before.years.size());
        EXPECT_EQ(window.SelectedZone()->rules.tzi.Bias, before.rules.tzi.Bias);

        // Yes fills the others: no daylight time at +00:00 from 2027.
        Click(IDC_TZ_FILL);
        ASSERT_EQ(messages.size(), 3u);
        const TimeZoneRecord& filled = *window.SelectedZone();
        EXPECT_EQ(filled.rules.tzi.Bias, 0);
        EXPECT_EQ(filled.rules.dstEnabled, 0);
        EXPECT_EQ(filled.years.back().year, 2027u);
        EXPECT_EQ(filled.displayName, DisplayNameForBias(before.displayName, 0)) << "the name shows +00:00";
        wchar_t hours[8] = {};
        ::GetWindowTextW(Item(IDC_BIAS_HOURS), hours, 8);
        EXPECT_EQ(std::wstring(hours), L"0") << "the editor shows the filled rules";

        Click(IDC_CANCEL_EDIT);
        Pump();
        EXPECT_EQ(window.Mode(), EditMode::kView);
        ASSERT_NE(window.SelectedZone(), nullptr);
        EXPECT_EQ(window.SelectedZone()->rules.tzi.Bias, before.rules.tzi.Bias);
        EXPECT_EQ(window.SelectedZone()->years.size(), before.years.size()) << "the registry is untouched";
    });
}

TEST_F(TzDatabaseTest, TheProgramCarriesTheTestedTableAndTheAboutBoxNamesItsVersion) {
    const BYTE* data = nullptr;
    std::size_t size = 0;
    ASSERT_TRUE(ReadModuleResource(IDR_TZ_TABLE, &data, &size));
    EXPECT_TRUE(std::vector<BYTE>(data, data + size) == GeneratedTzTableBytes())
        << "the resource is the file the tests read";
    {
        LogCapture capture;
        EXPECT_FALSE(ui::ReadTzTableResource(1198).has_value());
        EXPECT_FALSE(ui::ReadTzTableResource(1199).has_value()) << "gui_tests.rc: not a table";
        EXPECT_EQ(capture.Messages(), (std::vector<std::wstring>{L"[250] id=1198", L"[251] id=1199, sz=14"}));
        EXPECT_NE(capture.LastErrorOf(L"[250] id=1198"), 0);
    }
    const TzTable* table = ui::ProgramTzTable();
    ASSERT_NE(table, nullptr);
    std::wstring line;
    WhenDialogOpens(L"About", [&](HWND dialog) {
        wchar_t text[128] = {};
        ::GetDlgItemTextW(dialog, IDC_ABOUT_TZDATA, text, 128);
        line = text;
        SaveWindowShot(dialog, L"about_box_tz");
        PressButton(dialog, IDOK);
    });
    ui::ShowAboutBox(nullptr);
    EXPECT_EQ(line, L"IANA tz database 2026f, CLDR 48") << "the tests' release";
}

} // namespace
} // namespace tarvane::test
