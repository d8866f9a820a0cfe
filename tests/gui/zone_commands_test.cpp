// New Time Zone and Delete Time Zone on the real main window over a scratch
// copy of Wine's database: the dialog with its name rules and its two starts,
// the new zone in edit mode, saved at its place or cancelled without a trace,
// checked against the IANA zone it came from; the deletion's refusal of the
// current zone, its confirmations and the backup it offers; the hand-over to
// an elevated copy.
#include "counting_registry.h"
#include "dialog_driver.h"
#include "log_capture.h"
#include "main_window_harness.h"
#include "zone_fixtures.h"

#include "core/zone_sources.h"
#include "platform/format.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "ui/prompts.h"

#include <commctrl.h>

#include <algorithm>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

class ZoneCommandsTest : public MainWindowTest {
protected:
    const TimeZoneRecord* Find(CTarvaneDlg& window, const std::wstring& key) {
        for (const TimeZoneRecord& zone : window.Zones()) {
            if (zone.keyName == key) {
                return &zone;
            }
        }
        return nullptr;
    }
    bool KeyExists(const std::wstring& key) {
        RegKey zone(SystemRegistry());
        return zone.Open(kHkeyLocalMachine, std::wstring(kTimeZonesPath) + L"\\" + key, KEY_READ) ==
               ERROR_SUCCESS;
    }
    // Types `key` into the open dialog and presses OK.
    void Submit(HWND dialog, const std::wstring& key) {
        ::SetDlgItemTextW(dialog, IDC_NEW_ZONE_KEY, key.c_str());
        PressButton(dialog, IDOK);
    }
    void Command(CTarvaneDlg& window, UINT id) {
        ::SendMessageW(window.Hwnd(), WM_COMMAND, id, 0);
        Pump();
    }
};

TEST_F(ZoneCommandsTest, ACopyIsNamedCheckedEditedAndSavedAtItsPlace) {
    Run([&](CTarvaneDlg& window) {
        LogCapture capture;
        window.runNewZoneDialog = [](HWND, ui::NewZoneExchange&) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return INT_PTR{-1};
        };
        Command(window, ID_EDIT_NEW_ZONE);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"ERROR: Can't display window to create a time zone");
        EXPECT_TRUE(capture.Has(Format(L"[270] dlg=%d", IDD_NEW_ZONE))) << capture.Dump();
        messages.clear();
        window.runNewZoneDialog = ui::RunNewZoneDialog;

        SelectZone(L"Pacific Standard Time");
        const TimeZoneRecord pacific = *window.SelectedZone();
        bool stayedOpen = false;
        WhenDialogOpens(L"New Time Zone", [&](HWND dialog) {
            EXPECT_EQ(::IsDlgButtonChecked(dialog, IDC_NEW_ZONE_FROM_COPY), BST_CHECKED);
            wchar_t copied[256] = {};
            ::GetDlgItemTextW(dialog, IDC_NEW_ZONE_COPY_NAME, copied, 256);
            EXPECT_EQ(copied, pacific.displayName);
            EXPECT_GT(::SendDlgItemMessageW(dialog, IDC_NEW_ZONE_TZ_LIST, LB_GETCOUNT, 0, 0), 500)
                << "every IANA zone";
            EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_NEW_ZONE_SEARCH)));
            ::SetDlgItemTextW(dialog, IDC_NEW_ZONE_KEY, L"Baja Test Standard Time");
            SaveWindowShot(dialog, L"new_zone");
            EXPECT_EQ(CutLabels(dialog), std::vector<std::wstring>{}) << "every label whole";
            Submit(dialog, L"pacific STANDARD time");
            Submit(dialog, L"Baja/Test");
            stayedOpen = ::IsWindowVisible(dialog) != FALSE;
            Submit(dialog, L" Baja Test Standard Time ");
        });
        Command(window, ID_EDIT_NEW_ZONE);
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].text,
                  L"There is a time zone with the key name \"Pacific Standard Time\" already.");
        EXPECT_EQ(messages[1].text.rfind(L"The key name may hold letters", 0), 0u);

        // In edit mode on the new zone, its names the user's to change.
        ASSERT_EQ(window.Mode(), EditMode::kEdit);
        EXPECT_EQ(window.SelectedZone()->keyName, L"Baja Test Standard Time");
        EXPECT_EQ(Text(IDC_DISPLAY_NAME), L"(UTC-08:00) Baja Test Standard Time");
        EXPECT_FALSE(ReadOnly(IDC_DISPLAY_NAME)) << "even with AllowEditDSTzNames 0";
        EXPECT_FALSE(KeyExists(L"Baja Test Standard Time")) << "nothing is written before Save Changes";
        Type(IDC_DISPLAY_NAME, L"(UTC-08:00) Baja California Test");
        Click(IDC_SAVE_CHANGES);
        ASSERT_EQ(window.Mode(), EditMode::kView);
        EXPECT_EQ(messages.size(), 2u);

        ASSERT_TRUE(KeyExists(L"Baja Test Standard Time"));
        const TimeZoneRecord* baja = window.SelectedZone();
        ASSERT_NE(baja, nullptr);
        EXPECT_EQ(baja->keyName, L"Baja Test Standard Time") << "reloaded and selected";
        EXPECT_EQ(baja->displayName, L"(UTC-08:00) Baja California Test");
        EXPECT_EQ(TziToBytes(ComposeTzi(baja->rules)), TziToBytes(ComposeTzi(pacific.rules)));
        EXPECT_EQ(baja->years.size(), pacific.years.size());
        // At its place: among the zones of its bias.
        const auto& zones = window.Zones();
        const auto at = static_cast<std::size_t>(baja - zones.data());
        EXPECT_TRUE(at == 0 || zones[at - 1].rules.tzi.Bias >= baja->rules.tzi.Bias);
        EXPECT_TRUE(at + 1 == zones.size() || zones[at + 1].rules.tzi.Bias <= baja->rules.tzi.Bias);
        EXPECT_TRUE(ReadZoneSources(SystemRegistry()).empty()) << "a copy has no IANA source";
    });
}

TEST_F(ZoneCommandsTest, AZoneFromTheTzDatabaseMatchesItAndCancellingItWritesNothing) {
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Tokyo Standard Time");
        const auto fromKathmandu = [&](const std::wstring& key) {
            WhenDialogOpens(L"New Time Zone", [&, key](HWND dialog) {
                ::SendMessageW(::GetDlgItem(dialog, IDC_NEW_ZONE_FROM_TZ), BM_CLICK, 0, 0);
                EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_NEW_ZONE_SEARCH)));
                ::SetDlgItemTextW(dialog, IDC_NEW_ZONE_SEARCH, L"kathm");
                EXPECT_EQ(::SendDlgItemMessageW(dialog, IDC_NEW_ZONE_TZ_LIST, LB_GETCOUNT, 0, 0), 1);
                EXPECT_EQ(::SendDlgItemMessageW(dialog, IDC_NEW_ZONE_TZ_LIST, LB_GETCURSEL, 0, 0), 0);
                Submit(dialog, key);
            });
            Command(window, ID_EDIT_NEW_ZONE);
        };
        fromKathmandu(L"Nepal Test Standard Time");
        ASSERT_EQ(window.Mode(), EditMode::kEdit);
        EXPECT_EQ(Text(IDC_DISPLAY_NAME), L"(UTC+05:45) Nepal Test Standard Time");
        Click(IDC_CANCEL_EDIT);
        ASSERT_EQ(window.Mode(), EditMode::kView);
        EXPECT_FALSE(KeyExists(L"Nepal Test Standard Time"));
        EXPECT_EQ(Find(window, L"Nepal Test Standard Time"), nullptr);
        ASSERT_NE(window.SelectedZone(), nullptr);
        EXPECT_EQ(window.SelectedZone()->keyName, L"Tokyo Standard Time") << "back where the user was";

        fromKathmandu(L"Nepal Test Standard Time");
        Click(IDC_SAVE_CHANGES);
        ASSERT_EQ(window.Mode(), EditMode::kView);
        ASSERT_TRUE(KeyExists(L"Nepal Test Standard Time"));
        const ZoneSources sources = ReadZoneSources(SystemRegistry());
        ASSERT_NE(FindZoneSource(sources, L"Nepal Test Standard Time"), nullptr);
        EXPECT_EQ(*FindZoneSource(sources, L"Nepal Test Standard Time"), L"Asia/Kathmandu");

        // The check lists it beside the zone it was made from.
        ZoneCheck nepal;
        window.runTzCheckDialog = [&](HWND, ui::TzCheckExchange& exchange) {
            for (const ZoneCheck& check : *exchange.checks) {
                nepal = check.key == L"Nepal Test Standard Time" ? check : nepal;
            }
            return INT_PTR{IDCANCEL};
        };
        Command(window, ID_TOOLS_TZ_CHECK);
        EXPECT_EQ(nepal.tzName, L"Asia/Kathmandu");
        EXPECT_EQ(nepal.status, TzCheckStatus::kMatches)
            << std::string(nepal.difference.begin(), nepal.difference.end());

        // Deleted again, without the backup offered: the source goes with it.
        SelectZone(L"Nepal Test Standard Time");
        answers = {IDNO};
        Command(window, ID_EDIT_DELETE_ZONE);
        EXPECT_FALSE(KeyExists(L"Nepal Test Standard Time"));
        EXPECT_EQ(FindZoneSource(ReadZoneSources(SystemRegistry()), L"Nepal Test Standard Time"), nullptr);
        ASSERT_NE(window.SelectedZone(), nullptr) << "the zone next to it is selected";
    });
}

TEST_F(ZoneCommandsTest, DeletingRefusesTheCurrentZoneAndOffersABackupUntilOneIsMade) {
    const std::wstring backup = TempPath(L"tarvane-before-delete.trvbkp");
    ::DeleteFileW(backup.c_str());
    Run([&](CTarvaneDlg& window) {
        LogCapture capture;
        const TimeZoneRecord* current = window.CurrentZone();
        ASSERT_NE(current, nullptr);
        const std::wstring currentKey = current->keyName;
        SelectZone(currentKey);
        Command(window, ID_EDIT_DELETE_ZONE);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind(L"The time zone \"" + currentKey +
                                             L"\" is this computer's current time zone and cannot be deleted",
                                         0),
                  0u);
        EXPECT_TRUE(capture.Has(L"[280] key=" + currentKey)) << capture.Dump();
        EXPECT_TRUE(KeyExists(currentKey));

        // No row selected, as in an elevated copy told to delete a zone that
        // went meanwhile: nothing is deleted.
        LVITEMW none{};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(Item(IDC_ZONE_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(&none));
        Pump();
        const std::size_t zones = window.Zones().size();
        window.DeleteTimeZone(false);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].text, L"Select time zone first to be able to delete it");
        EXPECT_TRUE(capture.Has(L"[279]")) << capture.Dump();
        EXPECT_EQ(window.Zones().size(), zones);

        // The real confirmation, as the user sees it, while no backup exists.
        SelectZone(L"Tokyo Standard Time");
        messages.clear();
        win::MessageBoxHandler answering = win::SetMessageBoxHandler(nullptr);
        std::wstring shown;
        WhenDialogOpens(L"Tarvane", [&](HWND box) {
            wchar_t text[1024] = {};
            ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
            shown = text;
            SaveWindowShot(box, L"delete_zone");
            PressButton(box, IDCANCEL);
        });
        Command(window, ID_EDIT_DELETE_ZONE);
        EXPECT_TRUE(KeyExists(L"Tokyo Standard Time"));
        EXPECT_NE(shown.find(L"Delete the time zone \"Tokyo Standard Time\"?"), std::wstring::npos)
            << std::string(shown.begin(), shown.end());
        EXPECT_NE(shown.find(L"No backup has been made yet"), std::wstring::npos);
        EXPECT_NE(
            shown.find(L"A backup, or the zone's own file from File > Export Time Zone, brings it back."),
            std::wstring::npos);
        win::SetMessageBoxHandler(answering);

        // Yes makes the backup first; a cancelled file dialog deletes nothing.
        int asked = 0;
        ui::SetFileDialogHandler([&](HWND, bool save, std::wstring* path) {
            EXPECT_TRUE(save);
            *path = backup;
            return ++asked == 1 ? FileChoice::kCancelled : FileChoice::kChosen;
        });
        answers = {IDYES};
        Command(window, ID_EDIT_DELETE_ZONE);
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(KeyExists(L"Tokyo Standard Time"));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONWARNING));

        answers = {IDYES, IDOK};
        Command(window, ID_EDIT_DELETE_ZONE);
        EXPECT_EQ(asked, 2);
        EXPECT_EQ(::GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES, true);
        EXPECT_FALSE(KeyExists(L"Tokyo Standard Time")) << "deleted after the backup";
        EXPECT_FALSE(Visible(IDC_BACKUP_LINK));

        // With a backup made, the plain question, No by default.
        SelectZone(L"Hawaiian Standard Time");
        messages.clear();
        answers = {IDNO, IDYES};
        Command(window, ID_EDIT_DELETE_ZONE);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].type, static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
        EXPECT_EQ(messages[0].text.find(L"No backup"), std::wstring::npos);
        EXPECT_TRUE(KeyExists(L"Hawaiian Standard Time"));
        Command(window, ID_EDIT_DELETE_ZONE);
        EXPECT_FALSE(KeyExists(L"Hawaiian Standard Time"));
        EXPECT_FALSE(KeyExists(L"Hawaiian Standard Time\\Dynamic DST"));
        EXPECT_EQ(Find(window, L"Hawaiian Standard Time"), nullptr);
    });
    ::DeleteFileW(backup.c_str());
}

// The list's mark of the current zone is as old as the last reload: another
// program may make the zone current while the question is open.
TEST_F(ZoneCommandsTest, DeletingChecksTheCurrentZoneAgainAfterTheQuestion) {
    FakeTimeZoneApi clock;
    clock.current.timeZoneKeyName = L"Pacific Standard Time";
    timeZones = &clock;
    Run([&](CTarvaneDlg& window) {
        LogCapture capture;
        SelectZone(L"Tokyo Standard Time");
        ASSERT_EQ(window.SelectedZone()->isCurrent, 0);
        answers = {IDNO};
        whileAsking = [&] { clock.current.timeZoneKeyName = L"Tokyo Standard Time"; };
        Command(window, ID_EDIT_DELETE_ZONE);
        EXPECT_TRUE(KeyExists(L"Tokyo Standard Time"));
        EXPECT_TRUE(capture.Has(L"[280] key=Tokyo Standard Time")) << capture.Dump();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(
            messages[1].text.rfind(L"The time zone \"Tokyo Standard Time\" is this computer's current", 0),
            0u);
    });
    timeZones = nullptr;
}

// A new zone whose first save failed part way, and whose key could not be
// removed then: Cancel removes exactly that key, or says in the log why not.
struct LeftOverCase {
    const char* name;
    bool removalFailsAtCancel;
    bool keyStays;
    const wchar_t* log; // the start of the line logged at Cancel; empty when none
};

class NewZoneLeftOverTest : public ZoneCommandsTest, public ::testing::WithParamInterface<LeftOverCase> {};

TEST_P(NewZoneLeftOverTest, CancelRemovesWhatTheFailedSaveLeft) {
    const LeftOverCase& c = GetParam();
    CountingRegistry faulty(SystemRegistry());
    registry = &faulty;
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Tokyo Standard Time");
        WhenDialogOpens(L"New Time Zone", [&](HWND dialog) { Submit(dialog, L"Left Over Standard Time"); });
        Command(window, ID_EDIT_NEW_ZONE);
        ASSERT_EQ(window.Mode(), EditMode::kEdit);
        faulty.failValue = L"TZI";
        faulty.failDelete = L"Left Over Standard Time";
        Click(IDC_SAVE_CHANGES);
        ASSERT_EQ(window.Mode(), EditMode::kEdit) << "the failed save stays in edit mode";
        ASSERT_TRUE(KeyExists(L"Left Over Standard Time")) << "the save's own removal failed";
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind(L"ERROR: Failed to save time zone data", 0), 0u);

        LogCapture capture;
        faulty.failValue.clear();
        faulty.failDelete = c.removalFailsAtCancel ? L"Left Over Standard Time" : L"";
        Click(IDC_CANCEL_EDIT);
        EXPECT_EQ(window.Mode(), EditMode::kView);
        EXPECT_EQ(KeyExists(L"Left Over Standard Time"), c.keyStays);
        const std::vector<std::wstring> lines = capture.Messages();
        const bool logged = std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
            return *c.log != 0 && line.rfind(c.log, 0) == 0;
        });
        EXPECT_EQ(logged, *c.log != 0) << capture.Dump();
        EXPECT_TRUE(KeyExists(L"Tokyo Standard Time"));
        faulty.failDelete.clear();
    });
    registry = nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    ZoneCommands, NewZoneLeftOverTest,
    ::testing::Values(LeftOverCase{"Removed", false, false, L""},
                      LeftOverCase{"RemovalFails", true, true, L"[319] err=5, key=Left Over Standard Time"}),
    [](const ::testing::TestParamInfo<LeftOverCase>& info) { return std::string(info.param.name); });

TEST_F(ZoneCommandsTest, WithoutWriteAccessTheZoneCommandsHandOverToAnElevatedCopy) {
    if (RestrictToReading(kTimeZonesPath) != ERROR_SUCCESS) {
        GTEST_SKIP() << "cannot restrict the scratch key here";
    }
    Run([&](CTarvaneDlg& window) {
        if (!window.RegistryNotWritable()) {
            GTEST_SKIP() << "this registry does not enforce key security";
        }
        SelectZone(L"Tokyo Standard Time");
        Command(window, ID_EDIT_NEW_ZONE);
        Command(window, ID_EDIT_DELETE_ZONE);
        SelectZone(window.CurrentZone()->keyName);
        Command(window, ID_EDIT_DELETE_ZONE);
        const std::vector<std::wstring> expected = {L"new \"Tokyo Standard Time\"",
                                                    L"del \"Tokyo Standard Time\""};
        EXPECT_EQ(relaunches, expected) << "the current zone is refused before any elevation";
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(window.Mode(), EditMode::kView);
    });
}

} // namespace
} // namespace tarvane::test
