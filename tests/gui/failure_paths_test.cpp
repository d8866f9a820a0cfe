// The main window's failure paths that no command reaches by itself, each
// forced on the real window: a value out of range, a record gone from under a
// command, a list control that refuses an item, the database key gone from
// the (scratch) registry, the activation Wine refuses, a quit event that
// cannot be signalled. One table: what is forced, the lines it logs with
// their codes, and what the user is shown.
#include "dialog_driver.h"
#include "log_capture.h"
#include "main_window_harness.h"
#include "platform/registry.h"
#include "resources/resource.h"
#include "shell/tarvane_app.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

struct ExpectedLine {
    std::wstring start; // the whole message, or its start when a record's dump follows
    std::optional<LONG> error;
};

struct FailureCase {
    const char* what;
    std::function<void(CTarvaneDlg&)> force;
    std::vector<ExpectedLine> lines;
    std::vector<std::wstring> shown; // the starts of the message boxes, in order
};

// A combo box that refuses one message, as one out of memory would.
LRESULT CALLBACK RefuseMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR refused) {
    if (message == refused) {
        return message == CB_INSERTSTRING ? CB_ERRSPACE : CB_ERR;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

constexpr UINT_PTR kRefusalId = 13;

// A list view that refuses the next item it is given, once.
LRESULT CALLBACK RefuseOneItem(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR) {
    if (message == LVM_INSERTITEMW) {
        ::RemoveWindowSubclass(window, RefuseOneItem, id);
        return -1;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

class FailurePathsTest : public MainWindowTest {
protected:
    void Save() {
        Click(IDC_SAVE_CHANGES);
        Pump();
    }
    void Refuse(UINT message) { ::SetWindowSubclass(Item(IDC_YEAR), RefuseMessage, kRefusalId, message); }
    void StopRefusing() { ::RemoveWindowSubclass(Item(IDC_YEAR), RefuseMessage, kRefusalId); }
    // The record is gone from the list, as a reload under the command would leave it.
    static void DropRecord(CTarvaneDlg& window, LONG id) {
        auto& zones = window.Zones();
        zones.erase(std::remove_if(zones.begin(), zones.end(),
                                   [id](const TimeZoneRecord& zone) { return zone.id == id; }),
                    zones.end());
    }
};

TEST_F(FailurePathsTest, EachForcedFailureLogsItsLineAndCodeAndTellsTheUser) {
    const std::vector<FailureCase> cases = {
        {"base offset out of range",
         [&](CTarvaneDlg&) {
             EditZone(L"Tokyo Standard Time");
             Type(IDC_BIAS_HOURS, L"25");
             Save();
         },
         {{L"[108] bias=-1500", std::nullopt}},
         {L"'Offset (bias)' is out of range"}},
        {"daylight offset out of range",
         [&](CTarvaneDlg& window) {
             EditZone(L"Tokyo Standard Time");
             window.SelectedZone()->rules.tzi.DaylightBias = -1441;
             Save();
         },
         {{L"[110] bias=-1441", std::nullopt}},
         {L"Daylight Saving Time 'Offset (bias)' is out of range"}},
        {"standard offset out of range",
         [&](CTarvaneDlg& window) {
             EditZone(L"Tokyo Standard Time");
             window.SelectedZone()->rules.tzi.StandardBias = 1441;
             Save();
         },
         {{L"[109] bias=1441", std::nullopt}},
         {L"Standard Time 'Offset (bias)' is out of range"}},
        {"edited zone gone before Save",
         [&](CTarvaneDlg& window) {
             EditZone(L"Tokyo Standard Time");
             DropRecord(window, window.EditedZoneId());
             Save();
         },
         {{L"[107] id=", std::nullopt}},
         {L"ERROR: No time zone selected"}},
        {"zone gone while Add Year was open",
         [&](CTarvaneDlg& window) {
             EditZone(L"Tokyo Standard Time");
             window.runAddYearDialog = [&window](HWND, ui::AddYearExchange& exchange) {
                 DropRecord(window, exchange.zone->id);
                 exchange.year = 2030;
                 return INT_PTR{IDOK};
             };
             Click(IDC_ADD_YEAR);
         },
         {{L"[112]", std::nullopt}},
         {L"There's no time zone selected"}},
        {"year list refuses the new year",
         [&](CTarvaneDlg& window) {
             EditZone(L"Tokyo Standard Time");
             window.runAddYearDialog = [&](HWND, ui::AddYearExchange& exchange) {
                 Refuse(CB_INSERTSTRING);
                 exchange.year = 2030;
                 return INT_PTR{IDOK};
             };
             Click(IDC_ADD_YEAR);
             StopRefusing();
             const auto& years = window.SelectedZone()->years;
             EXPECT_TRUE(std::none_of(years.begin(), years.end(), [](const auto& y) {
                 return y.year == 2030;
             })) << "a year the list refused is not saved";
         },
         {{L"[115] yr=2030", std::nullopt}},
         {L"ERROR: Failed to add year"}},
        {"year list refuses to remove the year",
         [&](CTarvaneDlg& window) {
             EditZone(L"Tokyo Standard Time");
             TimeZoneRecord* zone = window.SelectedZone();
             zone->years = {DynamicYearRecord{2020, zone->rules}, DynamicYearRecord{2021, zone->rules}};
             window.Editor().ShowZone(zone);
             ChooseListItem(IDC_YEAR, 2021);
             answers = {IDYES};
             whileAsking = [&] { Refuse(CB_DELETESTRING); };
             Click(IDC_REMOVE_YEAR);
             StopRefusing();
             EXPECT_EQ(zone->years.size(), 2u) << "the year stays where the list kept it";
         },
         {{L"[119] yr=2021, ind=1", std::nullopt}},
         {L"Do you want to remove", L"FAILED to remove selected year"}},
        // Another program left the zone unreadable while it was edited: that
        // counts as a change, said before anything is saved over it.
        {"edited zone unreadable at Save",
         [&](CTarvaneDlg&) {
             EditZone(L"Tokyo Standard Time");
             const std::wstring tokyo = std::wstring(kTimeZonesPath) + L"\\Tokyo Standard Time";
             BYTE tzi[44] = {};
             DWORD size = sizeof tzi;
             ASSERT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, tokyo.c_str(), L"TZI", RRF_RT_REG_BINARY, nullptr,
                                      tzi, &size),
                       ERROR_SUCCESS);
             const auto setTzi = [&](DWORD bytes) {
                 HKEY key = nullptr;
                 ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, tokyo.c_str(), 0, KEY_SET_VALUE, &key),
                           ERROR_SUCCESS);
                 ::RegSetValueExW(key, L"TZI", 0, REG_BINARY, tzi, bytes);
                 ::RegCloseKey(key);
             };
             setTzi(3);
             answers = {IDCANCEL}; // go on editing
             whileAsking = [&] { setTzi(sizeof tzi); };
             Save();
         },
         {{L"[238] key=Tokyo Standard Time", std::nullopt}, {L"[237] key=Tokyo Standard Time", std::nullopt}},
         {L"The time zone \""}},
        // The new zone's row cannot be added: nothing is written, the list is read again.
        {"zone list refuses the new zone",
         [&](CTarvaneDlg& window) {
             SelectZone(L"Tokyo Standard Time");
             window.runNewZoneDialog = [&](HWND, ui::NewZoneExchange& exchange) {
                 exchange.zone = *exchange.copySource;
                 exchange.zone.keyName = L"Refused Test Standard Time";
                 ::SetWindowSubclass(Item(IDC_ZONE_LIST), RefuseOneItem, kRefusalId, 0);
                 return INT_PTR{IDOK};
             };
             ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_NEW_ZONE, 0);
             Pump();
             window.runNewZoneDialog = ui::RunNewZoneDialog;
             EXPECT_EQ(window.Mode(), EditMode::kView);
         },
         {{L"[272] row=-1, key=Refused Test Standard Time", std::nullopt}},
         {L"ERROR: Failed to add the new time zone to the list"}},
        // The zone is deleted, and the list cannot be read again after it.
        {"list refuses a row after a delete",
         [&](CTarvaneDlg& window) {
             SelectZone(L"Yakutsk Standard Time");
             answers = {IDNO}; // delete without a backup
             whileAsking = [&] { ::SetWindowSubclass(Item(IDC_ZONE_LIST), RefuseOneItem, kRefusalId, 0); };
             ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_EDIT_DELETE_ZONE, 0);
             Pump();
             EXPECT_TRUE(window.ReloadZoneList(false)) << "the list whole again for the cases after";
         },
         {{L"[105] ", std::nullopt}, {L"[286]", std::nullopt}},
         {L"Delete the time zone \"Yakutsk Standard Time\"?", L"ERROR: Failed to reload list of time zones"}},
        // Wine knows no time-zone privilege (1313) and refuses the change (1314).
        {"activation refused",
         [&](CTarvaneDlg&) {
             EditZone(L"Pacific Standard Time");
             Save();
         },
         {{L"[177]", 1313}, {L"[179]", 1313}, {L"[154] ", ERROR_PRIVILEGE_NOT_HELD}},
         {L"The time zone \"(UTC-08:00) Pacific Time (US & Canada)\" was saved, but it could not be made the "
          L"current time zone.\n\n(1314) "}},
        // Save cannot open the database key, and the edit's end cannot reload it.
        {"database key gone",
         [&](CTarvaneDlg&) {
             EditZone(L"Tokyo Standard Time");
             ASSERT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTimeZonesPath), ERROR_SUCCESS);
             answers = {IDYES}; // save over what is gone
             Save();
             Click(IDC_CANCEL_EDIT);
         },
         {{L"[237] key=Tokyo Standard Time", std::nullopt},
          {L"[134] err=2", ERROR_FILE_NOT_FOUND},
          {L"[153] ", ERROR_FILE_NOT_FOUND},
          {L"[101]", ERROR_FILE_NOT_FOUND},
          {L"[105] ", std::nullopt},
          {L"[157]", std::nullopt}},
         {L"The time zone \"", L"ERROR: Failed to save time zone data in the system registry.\n\n(2) ",
          L"ERROR: Failed to reload list of time zones"}},
    };
    Run([&](CTarvaneDlg& window) {
        for (const FailureCase& c : cases) {
            SCOPED_TRACE(c.what);
            LogCapture capture;
            messages.clear();
            c.force(window);
            const std::vector<std::wstring> logged = capture.Messages();
            const std::vector<LONG> errors = capture.LastErrors();
            ASSERT_EQ(logged.size(), c.lines.size()) << capture.Dump();
            for (std::size_t i = 0; i < logged.size(); ++i) {
                EXPECT_EQ(logged[i].rfind(c.lines[i].start, 0), 0u) << capture.Dump();
                if (c.lines[i].error) {
                    EXPECT_EQ(errors[i], *c.lines[i].error) << capture.Dump();
                }
            }
            ASSERT_EQ(messages.size(), c.shown.size());
            for (std::size_t i = 0; i < messages.size(); ++i) {
                EXPECT_EQ(messages[i].text.rfind(c.shown[i], 0), 0u);
            }
            if (window.Mode() == EditMode::kEdit) {
                Click(IDC_CANCEL_EDIT);
                Pump();
            }
            window.runAddYearDialog = ui::RunAddYearDialog;
        }
        // What the user is left with once the database could not be reloaded.
        Pump(200);
        SaveWindowShot(window.Hwnd(), L"failure_paths_reload_failed");
        ASSERT_TRUE(ScratchLocalMachine::CopyRealKey(kTimeZonesPath, *scratch));

        // Last, since it ends the window: the quit event of a relaunch cannot be signalled.
        LogCapture capture;
        win::ScopedHandle quit = std::move(shell::TheApp().quitEvent);
        ::SendMessageW(window.Hwnd(), WM_COMMAND, IDCANCEL, 0);
        shell::TheApp().quitEvent = std::move(quit);
        EXPECT_EQ(capture.Messages(), std::vector<std::wstring>{L"[198] h=0x0000000000000000"});
        EXPECT_EQ(capture.LastErrors(), std::vector<LONG>{ERROR_INVALID_HANDLE});
    });
}

} // namespace
} // namespace tarvane::test
